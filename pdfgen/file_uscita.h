// Binary output and input files of the writer: every write and read is
// checked, positions are 64-bit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "qod/pdf/x_pdf.h"

namespace qod::pdf {

class X_PDF::File_Uscita {
 public:
  // Creates `percorso` exclusively (it must not exist).
  static std::unique_ptr<File_Uscita> Crea(const std::filesystem::path& percorso);
  ~File_Uscita();

  void Scrivi(const void* dati, size_t n);
  uint64_t Posizione() const;
  // Flushes to the disk and closes; throws on any failure.
  void Chiudi();

 private:
  explicit File_Uscita(std::FILE* f) : f_(f) {}
  std::FILE* f_;
  char* buffer_ = nullptr;
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
