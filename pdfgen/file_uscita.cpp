#include "file_uscita.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qod::pdf {
namespace {
constexpr size_t kBuffer = 1 << 18;

std::string Descrizione(const char* cosa) { return std::string(cosa) + ": " + std::strerror(errno); }
}  // namespace

std::unique_ptr<X_PDF::File_Uscita> X_PDF::File_Uscita::Crea(const std::filesystem::path& percorso) {
  std::FILE* f = std::fopen(percorso.c_str(), "wbx");
  if (!f) return nullptr;
  std::unique_ptr<File_Uscita> u(new File_Uscita(f));
  u->buffer_ = new char[kBuffer];
  std::setvbuf(f, u->buffer_, _IOFBF, kBuffer);
  return u;
}

X_PDF::File_Uscita::~File_Uscita() {
  if (f_) std::fclose(f_);
  delete[] buffer_;
}

void X_PDF::File_Uscita::Scrivi(const void* dati, size_t n) {
  if (n == 0) return;
  if (std::fwrite(dati, 1, n, f_) != n) throw Errore_PDF(Descrizione("writing the PDF file"));
}

uint64_t X_PDF::File_Uscita::Posizione() const {
  off_t p = ftello(f_);
  if (p < 0) throw Errore_PDF(Descrizione("position in the PDF file"));
  return static_cast<uint64_t>(p);
}

void X_PDF::File_Uscita::Chiudi() {
  std::FILE* f = f_;
  f_ = nullptr;
  bool ok = std::fflush(f) == 0;
  ok = ok && ::fsync(fileno(f)) == 0;
  int err = errno;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) {
    errno = err ? err : errno;
    throw Errore_PDF(Descrizione("closing the PDF file"));
  }
}

File_Ingresso::File_Ingresso(const std::filesystem::path& percorso) {
  f_ = std::fopen(percorso.c_str(), "rb");
  if (!f_) throw Errore_PDF(Descrizione("opening the file"));
  struct stat st {};
  if (::fstat(fileno(f_), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f_);
    f_ = nullptr;
    throw Errore_PDF("not a regular file");
  }
  dimensione_ = static_cast<uint64_t>(st.st_size);
}

File_Ingresso::~File_Ingresso() {
  if (f_) std::fclose(f_);
}

void File_Ingresso::Leggi(uint64_t posizione, void* dati, size_t n) {
  if (!Contiene(posizione, n)) throw Errore_PDF("read past the end of the file");
  if (n == 0) return;
  if (fseeko(f_, static_cast<off_t>(posizione), SEEK_SET) != 0 || std::fread(dati, 1, n, f_) != n)
    throw Errore_PDF(Descrizione("reading the file"));
}

}  // namespace qod::pdf
