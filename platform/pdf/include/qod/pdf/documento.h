// A PDF file written object by object, straight into its file: every write
// is checked, positions are 64-bit, each object's offset is kept for the
// cross-reference table that closes the file. What the objects say is the
// writer's business; this layer numbers them and makes the file whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qod::pdf {

// A file or its data failed: it could not be written, read or decoded.
class Errore_PDF : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A number as the file carries it: rounded to `decimali` places (halves to
// even), in its shortest form, "." as the decimal point whatever the
// process locale: 595.27, 28.346, 8, -1.5. Throws std::invalid_argument for
// a number that is not finite.
std::string Numero_Pdf(double v, int decimali = 3);

// A text for a PDF literal string: "\" doubled, "(" and ")" escaped.
std::string Escape_Pdf(std::string_view s);

class Documento_Pdf {
 public:
  // Creates `percorso` exclusively (it must not exist); nullptr, with errno
  // telling why, when it cannot.
  static std::unique_ptr<Documento_Pdf> Crea(const std::filesystem::path& percorso);
  // Writes into the new, empty file open on `fd` (taken over: closed with
  // the document); nullptr when it cannot.
  static std::unique_ptr<Documento_Pdf> Su_Descrittore(int fd);
  ~Documento_Pdf();
  Documento_Pdf(const Documento_Pdf&) = delete;
  Documento_Pdf& operator=(const Documento_Pdf&) = delete;

  // The text and a line feed.
  void Riga(std::string_view testo);
  void Byte(const void* dati, size_t n);
  // Bytes written so far.
  uint64_t Posizione() const { return posizione_; }

  // Begins object `numero` ("n 0 obj") here, or, for 0, the object after
  // the highest number taken; its number. Throws std::invalid_argument for
  // a negative number.
  int32_t Inizia_Oggetto(int32_t numero = 0);
  void Fine_Oggetto() { Riga("endobj"); }
  // Numbers up to `ultimo` are taken: their objects come later, by number.
  void Riserva(int32_t ultimo);
  // The highest number taken.
  int32_t Oggetti() const { return oggetti_; }

  // Writes the cross-reference table (objects never begun are free) and the
  // trailer naming the information and catalog objects, then flushes and
  // closes the file, to the disk as well when `su_disco`. Throws on any
  // failure (a file still open then closes with the document).
  void Chiudi(int32_t info, int32_t catalogo, bool su_disco);

 private:
  explicit Documento_Pdf(std::FILE* f) : f_(f) {}
  std::FILE* f_;
  std::unique_ptr<char[]> buffer_;
  uint64_t posizione_ = 0;
  int32_t oggetti_ = 0;
  std::vector<uint64_t> xref_;  // offset of each object; UINT64_MAX none
};

// A file read by offset, with its size known up front.
class File_Ingresso {
 public:
  explicit File_Ingresso(const std::filesystem::path& percorso);  // throws Errore_PDF
  ~File_Ingresso();
  File_Ingresso(const File_Ingresso&) = delete;
  File_Ingresso& operator=(const File_Ingresso&) = delete;

  uint64_t Dimensione() const { return dimensione_; }
  // True when all n bytes at `posizione` lie in the file.
  bool Contiene(uint64_t posizione, uint64_t n) const {
    return posizione <= dimensione_ && n <= dimensione_ - posizione;
  }
  // Reads n bytes at `posizione`; throws Errore_PDF when they are not there.
  void Leggi(uint64_t posizione, void* dati, size_t n);

 private:
  std::FILE* f_ = nullptr;
  uint64_t dimensione_ = 0;
};

}  // namespace qod::pdf
