// An image file kept open for loading its images one at a time: a TIFF file
// is read piece by piece (its directories at the opening, then each image's
// own directory and data), never whole; other formats are read whole.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "formati.h"
#include "qod/imaging/file.h"

namespace qod::img {

namespace fs = std::filesystem;

namespace {

// What tells one state of a file from another: the file itself, its size and
// its times.
struct Identita {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t dimensione = 0;
  timespec modifica{}, cambio{};

  explicit Identita(const struct stat& st = {})
      : dev(st.st_dev), ino(st.st_ino), dimensione(st.st_size), modifica(st.st_mtim), cambio(st.st_ctim) {}
  bool operator==(const Identita& o) const {
    return dev == o.dev && ino == o.ino && dimensione == o.dimensione && modifica.tv_sec == o.modifica.tv_sec &&
           modifica.tv_nsec == o.modifica.tv_nsec && cambio.tv_sec == o.cambio.tv_sec &&
           cambio.tv_nsec == o.cambio.tv_nsec;
  }
};

struct Descrittore {
  int fd = -1;
  Descrittore() = default;
  Descrittore(const Descrittore&) = delete;
  Descrittore& operator=(const Descrittore&) = delete;
  ~Descrittore() {
    if (fd >= 0) ::close(fd);
  }
};

// Opens a file for reading, with the messages of the whole-file read.
Esito Apri_Descrittore(const std::string& nome, Descrittore& d, struct stat& st) {
  d.fd = ::open(nome.c_str(), O_RDONLY | O_CLOEXEC);
  if (d.fd < 0) return Esito::Errore("cannot open " + nome + ": " + std::strerror(errno));
  if (::fstat(d.fd, &st) != 0 || !S_ISREG(st.st_mode)) return Esito::Errore("not a regular file: " + nome);
  return Esito::Bene();
}

}  // namespace

struct File_Aperto::Stato {
  fs::path percorso;
  Info_File info;
  bool aperto = false;
  Identita identita;
  std::string dati;  // a file read whole
  std::unique_ptr<Sorgente_File> file;
  std::unique_ptr<Sorgente_Memoria> memoria;  // over dati
  std::unique_ptr<Lettore_Tiff> tiff;  // after its source: it goes first

  // Reads what the opening reads, from a descriptor of the file.
  Esito Apri_Da(int fd, const struct stat& st) {
    const std::string nome = percorso.string();
    info = {};
    aperto = false;
    tiff.reset();
    file.reset();
    memoria.reset();
    dati.clear();
    identita = Identita(st);
    const uint64_t dimensione = static_cast<uint64_t>(st.st_size);
    uint8_t testa[8] = {};
    const size_t n = Leggi_Fd(fd, 0, testa, sizeof testa);
    if (Formato_Dati(testa, n) == Formato::TIFF) {
      file = std::make_unique<Sorgente_File>(dimensione);
      if (!file->Pronta()) file.reset();
    }
    if (!file) {
      // The other formats hold one image: the whole file, as their loaders
      // take it (a TIFF file too, when no block could be had for it).
      if (dimensione > Limite_Memoria()) return Esito::Errore("file larger than the memory limit: " + nome);
      dati.resize(static_cast<size_t>(dimensione));
      if (Leggi_Fd(fd, 0, dati.data(), dati.size()) != dati.size()) {
        dati.clear();
        return Esito::Errore("read error: " + nome);
      }
    }
    const auto* d = reinterpret_cast<const uint8_t*>(dati.data());
    info.formato = file ? Formato::TIFF : Formato_Dati(d, dati.size());
    switch (info.formato) {
      case Formato::Sconosciuto: return Esito::Errore(nome + ": unknown image format");
      case Formato::TIFF: break;
      default:
        info.immagini = 1;
        aperto = true;
        return Esito::Bene();
    }
    Sorgente* s = file.get();
    if (!s) s = (memoria = std::make_unique<Sorgente_Memoria>(d, dati.size())).get();
    tiff = std::make_unique<Lettore_Tiff>();
    if (file) file->Usa(fd);
    Esito e = tiff->Apri(*s, &info.immagini);
    if (file) file->Usa(-1);
    if (!e) {
      e.motivo = nome + ": " + e.motivo;
      return e;
    }
    aperto = true;
    return Esito::Bene();
  }
};

File_Aperto::File_Aperto() : s_(std::make_unique<Stato>()) {}
File_Aperto::~File_Aperto() = default;
File_Aperto::File_Aperto(File_Aperto&& o) noexcept : s_(std::move(o.s_)) {}
File_Aperto& File_Aperto::operator=(File_Aperto&& o) noexcept {
  s_ = std::move(o.s_);
  return *this;
}

bool File_Aperto::Aperto() const { return s_ && s_->aperto; }

const Info_File& File_Aperto::Info() const {
  static const Info_File nessuna;
  return s_ ? s_->info : nessuna;
}

const fs::path& File_Aperto::Percorso() const {
  static const fs::path nessuno;
  return s_ ? s_->percorso : nessuno;
}

void File_Aperto::Chiudi() { s_ = std::make_unique<Stato>(); }

Esito File_Aperto::Apri(const fs::path& percorso) {
  Chiudi();
  s_->percorso = percorso;
  Descrittore d;
  struct stat st {};
  if (Esito e = Apri_Descrittore(percorso.string(), d, st); !e) return e;
  return s_->Apri_Da(d.fd, st);
}

bool File_Aperto::Invariato() const {
  struct stat st {};
  return Aperto() && ::stat(s_->percorso.c_str(), &st) == 0 && Identita(st) == s_->identita;
}

Esito File_Aperto::Carica(int indice, Immagine& out) {
  out.Svuota();
  if (!Aperto()) return Esito::Errore("no image file open");
  Stato& s = *s_;
  const std::string nome = s.percorso.string();
  // The file is read again through a descriptor of its own; when it is no
  // longer the file opened (replaced, or written since), it is opened anew.
  Descrittore d;
  struct stat st {};
  if (Esito e = Apri_Descrittore(nome, d, st); !e) return e;
  if (!(Identita(st) == s.identita) || (s.tiff && !s.tiff->Aperto())) {
    if (Esito e = s.Apri_Da(d.fd, st); !e) return e;
  }
  Esito e;
  if (s.tiff) {
    if (s.file) s.file->Usa(d.fd);
    e = s.tiff->Carica(indice, out);
    if (s.file) s.file->Usa(-1);
  } else {
    e = Carica_Memoria(reinterpret_cast<const uint8_t*>(s.dati.data()), s.dati.size(), out, indice);
  }
  if (!e) {
    out.Svuota();
    e.motivo = nome + ": " + e.motivo;
  }
  return e;
}

}  // namespace qod::img
