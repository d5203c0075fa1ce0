// The format codecs behind Carica and Salva; not for callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "qod/imaging/file.h"
#include "qod/imaging/immagine.h"

namespace qod::img {

// Save options as parsed from the "KEY = value" lines.
struct Opzioni {
  Formato formato = Formato::Sconosciuto;
  bool ordine_bit_2 = false;   // TIFF_FILLORDER = 2
  int dpi_x = -1, dpi_y = -1;  // -1: the image's own
  int righe_strip = 0;         // 0: one strip
  bool ottimizza = false;
  int qualita = 75;
  int attenuazione = 0;
};

Opzioni Leggi_Opzioni(const std::string& testo);

// Where the bytes of a TIFF file come from: memory, or a file read where its
// directories and the data of the image asked for lie. libtiff takes a
// source as a mapped file: one block of the file's size, of which only the
// parts made ready hold the file's bytes (all of it, for memory).
class Sorgente {
 public:
  virtual ~Sorgente() = default;
  virtual uint64_t Dimensione() const = 0;
  // Copies up to n bytes at `off` into buf, from the file itself: the count
  // copied (fewer at the end, 0 past it or on an error).
  virtual size_t Leggi(uint64_t off, void* buf, size_t n) = 0;
  // The n bytes at `off` to look at, valid until the next call; nullptr
  // when they are not all there. They need not be in the block.
  virtual const uint8_t* Vedi(uint64_t off, size_t n) = 0;
  // The block; it does not move while the source lives.
  virtual const uint8_t* Base() const = 0;
  // Makes [off, off + n) of the block hold the file's bytes until Rilascia.
  // False when they are not all there, or when the memory they take would
  // pass what Limita allows (Oltre() then tells it).
  virtual bool Prepara(uint64_t off, uint64_t n) = 0;
  // Lets everything made ready go, and the bound of Limita with it.
  virtual void Rilascia() {}
  // Writes over n bytes of the block at `off`, made ready since Rilascia,
  // what libtiff is to see there (the file stays as it is). False when the
  // block cannot be written.
  virtual bool Riscrivi(uint64_t, const void*, size_t) { return false; }
  // The memory the block holds now for what was made ready (whole pages,
  // and what it keeps to know them), and what making [off, off + n) ready
  // would add to it.
  virtual uint64_t Tenuto() const { return 0; }
  virtual uint64_t Costo(uint64_t, uint64_t) const { return 0; }
  // Until Rilascia, Prepara keeps Tenuto() within `massimo`.
  virtual void Limita(uint64_t) {}
  virtual bool Oltre() const { return false; }
  // The pages the block is filled by (0: it is not, the data is at hand).
  virtual uint64_t Pagina() const { return 0; }
};

// A source whose block is private memory of the file's size, untouched until
// a part of it is made ready by copying that part of the file into it, page
// by page, and let go again by Rilascia: between two images it holds
// nothing. What is known of the block are runs of the pages read, so it
// costs what was read, whatever the file's size; a byte made ready costs
// the whole page it lies in.
class Sorgente_Blocco : public Sorgente {
 public:
  explicit Sorgente_Blocco(uint64_t dimensione);
  ~Sorgente_Blocco() override;
  Sorgente_Blocco(const Sorgente_Blocco&) = delete;
  Sorgente_Blocco& operator=(const Sorgente_Blocco&) = delete;

  // False when the block could not be had.
  bool Pronta() const { return base_ != nullptr; }

  uint64_t Dimensione() const override { return n_; }
  const uint8_t* Base() const override { return base_; }
  size_t Leggi(uint64_t off, void* buf, size_t n) override;
  const uint8_t* Vedi(uint64_t off, size_t n) override;
  bool Prepara(uint64_t off, uint64_t n) override;
  void Rilascia() override;
  bool Riscrivi(uint64_t off, const void* dati, size_t n) override;
  uint64_t Tenuto() const override;
  uint64_t Costo(uint64_t off, uint64_t n) const override;
  void Limita(uint64_t massimo) override { massimo_ = massimo; }
  bool Oltre() const override { return oltre_; }
  uint64_t Pagina() const override { return pagina_; }

  // What the block keeps to know one run of pages read.
  static constexpr uint64_t kCosto_Tratto = 64;

 protected:
  // Copies up to n bytes of the file at `off` (not past its end): the count.
  virtual size_t Copia(uint64_t off, void* buf, size_t n) = 0;

 private:
  // Disjoint runs of pages [da, a), by their first page.
  class Tratti {
   public:
    // The parts of [da, a) that no run covers, in order.
    std::vector<std::pair<uint64_t, uint64_t>> Mancanti(uint64_t da, uint64_t a) const;
    // Pages of [da, a) that no run covers.
    uint64_t Quanti_Mancano(uint64_t da, uint64_t a) const;
    // Adds [da, a), joined to the runs it touches.
    void Aggiungi(uint64_t da, uint64_t a);
    bool Copre(uint64_t da, uint64_t a) const { return Quanti_Mancano(da, a) == 0; }
    const std::map<uint64_t, uint64_t>& Tutti() const { return m_; }
    void Svuota() { m_.clear(); }

   private:
    std::map<uint64_t, uint64_t> m_;
  };

  static constexpr size_t kAnticipo = 512;

  uint64_t n_;
  uint64_t pagina_ = 4096;
  uint8_t* base_ = nullptr;
  Tratti pronte_;        // pages read since Rilascia
  uint64_t piene_ = 0;   // how many
  uint64_t massimo_ = UINT64_MAX;
  bool oltre_ = false;
  std::vector<uint8_t> vista_;  // the last bytes looked at
  uint64_t vista_da_ = 0;
};

// Data in memory read as a file: through a block of its own, as a file is.
class Sorgente_Copia : public Sorgente_Blocco {
 public:
  Sorgente_Copia(const uint8_t* d, size_t n) : Sorgente_Blocco(n), d_(d) {}

 protected:
  size_t Copia(uint64_t off, void* buf, size_t n) override;

 private:
  const uint8_t* d_;
};

// Up to n bytes of a file's descriptor at `off`; fewer at the end of the
// file or on an error.
size_t Leggi_Fd(int fd, uint64_t off, void* buf, size_t n);

// A TIFF file as libtiff reads a mapped file, without mapping the file
// itself (a file cut short while mapped would end the program): the block
// is filled from the file's descriptor.
class Sorgente_File : public Sorgente_Blocco {
 public:
  using Sorgente_Blocco::Sorgente_Blocco;
  // The descriptor the reads use until the next call (-1: none, reads fail).
  void Usa(int fd) { fd_ = fd; }

 protected:
  size_t Copia(uint64_t off, void* buf, size_t n) override { return fd_ < 0 ? 0 : Leggi_Fd(fd_, off, buf, n); }

 private:
  int fd_ = -1;
};

// Data in memory taken whole as the block, where no block of its own can be
// had.
class Sorgente_Memoria : public Sorgente {
 public:
  Sorgente_Memoria(const uint8_t* d, size_t n) : d_(d), n_(n) {}
  uint64_t Dimensione() const override { return n_; }
  size_t Leggi(uint64_t off, void* buf, size_t n) override;
  const uint8_t* Vedi(uint64_t off, size_t n) override { return Prepara(off, n) ? d_ + off : nullptr; }
  const uint8_t* Base() const override { return d_; }
  bool Prepara(uint64_t off, uint64_t n) override;

 private:
  const uint8_t* d_;
  size_t n_;
};

// A TIFF file open for reading its images one after another: the directory
// chain is checked and counted once, at the opening; each image read costs
// its own directory and data (libtiff goes to a directory by its offset, not
// along the chain). What is read of a file is bounded by the memory limit,
// not by the file: an image's tag data and strips only as far as its size
// (from its directory, checked first) can need them, and only when its whole
// load (the image, what it is decoded through, its strip data and the
// copies libtiff makes of it) fits in the limit. The source must outlive
// the reader.
class Lettore_Tiff {
 public:
  Lettore_Tiff();
  ~Lettore_Tiff();
  Lettore_Tiff(const Lettore_Tiff&) = delete;
  Lettore_Tiff& operator=(const Lettore_Tiff&) = delete;

  // Refuses a file whose directories or tag data lie past its end.
  Esito Apri(Sorgente& s, int* immagini);
  bool Aperto() const { return stato_ != nullptr; }
  // Image `indice` (from 1). After a failure the reader is closed.
  Esito Carica(int indice, Immagine& out);

 private:
  struct Stato;
  std::unique_ptr<Stato> stato_;
};

Esito Carica_Bmp(const uint8_t* d, size_t n, Immagine& out);
Esito Carica_Tiff(const uint8_t* d, size_t n, Immagine& out, int indice, int* immagini);
Esito Carica_Png(const uint8_t* d, size_t n, Immagine& out);
Esito Carica_Jpeg(const uint8_t* d, size_t n, Immagine& out);
int Conta_Tiff(const uint8_t* d, size_t n);

// Writers: `percorso` is the temporary file, already created empty.
Esito Salva_Bmp(const Immagine& im, const std::string& percorso);
Esito Salva_Png(const Immagine& im, const std::string& percorso);
Esito Salva_Jpeg(const Immagine& im, const std::string& percorso, const Opzioni& o);
// With `accoda` the temporary file already holds a copy of the existing
// TIFF file and the image is added as its next directory.
Esito Salva_Tiff(const Immagine& im, const std::string& percorso, const Opzioni& o, int compressione,
                 bool accoda);
// Writes into `percorso` the TIFF file of `sorgente` with image `indice`
// replaced by `im`; every other image is copied as it is stored, read
// within the memory limit.
Esito Sostituisci_Tiff(const Immagine& im, Sorgente& sorgente, const std::string& percorso, int indice,
                       const Opzioni& o, int compressione);

// dpi of a pixels-per-metre value: the value written as dpi x 39.3 by the
// page save gives its dpi back exactly; any other is converted with
// 0.0254 m per inch.
int Dpi_Da_Ppm(uint32_t ppm);

// The whole file into memory, refused past the memory cap.
Esito Leggi_File(const std::string& percorso, std::string& dati);

}  // namespace qod::img
