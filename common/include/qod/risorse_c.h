// Scope guards for the handles of C libraries: a handle is released on
// every way out of its scope, never by hand on each exit path. Where the
// release itself can fail (closing a file that was written), Chiudi()
// releases early and reports it.
#pragma once

#include <cstdio>
#include <utility>

namespace qod {

// A stdio file, closed when the guard ends.
class File_C {
 public:
  File_C() = default;
  File_C(const char* percorso, const char* modo) : f_(std::fopen(percorso, modo)) {}
  // Takes a file already open (fdopen ...).
  explicit File_C(std::FILE* f) : f_(f) {}
  ~File_C() {
    if (f_) std::fclose(f_);
  }
  File_C(const File_C&) = delete;
  File_C& operator=(const File_C&) = delete;

  std::FILE* get() const { return f_; }
  explicit operator bool() const { return f_ != nullptr; }
  // Closes now. False when there was no file or the close failed (what was
  // written may not have reached the file).
  bool Chiudi() {
    if (!f_) return false;
    const bool ok = std::fclose(f_) == 0;
    f_ = nullptr;
    return ok;
  }

 private:
  std::FILE* f_ = nullptr;
};

// Runs `rilascio` when the scope ends: for library objects released by a
// call (jpeg_destroy_decompress, png_destroy_read_struct ...). Made before
// a setjmp point of the library, it stays in force across the jump.
template <class F>
class Alla_Uscita {
 public:
  explicit Alla_Uscita(F rilascio) : rilascio_(std::move(rilascio)) {}
  ~Alla_Uscita() { rilascio_(); }
  Alla_Uscita(const Alla_Uscita&) = delete;
  Alla_Uscita& operator=(const Alla_Uscita&) = delete;

 private:
  F rilascio_;
};

}  // namespace qod
