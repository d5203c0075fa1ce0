#include "qod/pdf/documento.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace qod::pdf {
namespace {

constexpr size_t kBuffer = 1 << 18;
constexpr uint64_t kNessuno = std::numeric_limits<uint64_t>::max();

std::string Descrizione(const char* cosa) { return std::string(cosa) + ": " + std::strerror(errno); }

}  // namespace

std::string Numero_Pdf(double v, int decimali) {
  if (!std::isfinite(v)) throw std::invalid_argument("FormatNum: number is not finite");
  if (decimali < 0) decimali = 0;
  if (decimali > 15) decimali = 15;
  // to_chars rounds the exact binary value, ties to even, in the C locale.
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimali);
  std::string s(buf, r.ptr);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string Escape_Pdf(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    if (c == '\\' || c == '(' || c == ')') r += '\\';
    r += c;
  }
  return r;
}

std::unique_ptr<Documento_Pdf> Documento_Pdf::Crea(const std::filesystem::path& percorso) {
  std::FILE* f = std::fopen(percorso.c_str(), "wbx");
  if (!f) return nullptr;
  std::unique_ptr<Documento_Pdf> d(new Documento_Pdf(f));
  d->buffer_ = std::make_unique<char[]>(kBuffer);
  std::setvbuf(f, d->buffer_.get(), _IOFBF, kBuffer);
  return d;
}

std::unique_ptr<Documento_Pdf> Documento_Pdf::Su_Descrittore(int fd) {
  std::FILE* f = ::fdopen(fd, "wb");
  if (!f) {
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<Documento_Pdf> d(new Documento_Pdf(f));
  d->buffer_ = std::make_unique<char[]>(kBuffer);
  std::setvbuf(f, d->buffer_.get(), _IOFBF, kBuffer);
  return d;
}

Documento_Pdf::~Documento_Pdf() {
  if (f_) std::fclose(f_);
}

void Documento_Pdf::Byte(const void* dati, size_t n) {
  if (n == 0) return;
  if (!f_) throw std::logic_error("PDF document already closed");
  if (std::fwrite(dati, 1, n, f_) != n) throw Errore_PDF(Descrizione("writing the PDF file"));
  posizione_ += n;
}

void Documento_Pdf::Riga(std::string_view testo) {
  Byte(testo.data(), testo.size());
  Byte("\n", 1);
}

int32_t Documento_Pdf::Inizia_Oggetto(int32_t numero) {
  if (numero < 0) throw std::invalid_argument("negative object number");
  if (numero == 0) {
    if (oggetti_ == std::numeric_limits<int32_t>::max()) throw Errore_PDF("too many objects");
    numero = oggetti_ + 1;
  }
  Riserva(numero);
  if (posizione_ > 9999999999ULL) throw Errore_PDF("PDF file too large for its cross-reference table");
  xref_[static_cast<size_t>(numero)] = posizione_;
  Riga(std::to_string(numero) + " 0 obj");
  return numero;
}

void Documento_Pdf::Riserva(int32_t ultimo) {
  if (ultimo > oggetti_) oggetti_ = ultimo;
  if (xref_.size() < static_cast<size_t>(oggetti_) + 1) xref_.resize(static_cast<size_t>(oggetti_) + 1, kNessuno);
}

void Documento_Pdf::Chiudi(int32_t info, int32_t catalogo, bool su_disco) {
  const uint64_t inizio_xref = posizione_;
  Riga("xref");
  Riga("0 " + std::to_string(oggetti_ + 1));
  std::string righe;
  righe.reserve(20 * (static_cast<size_t>(oggetti_) + 1));
  righe += "0000000000 65535 f\r\n";
  for (int32_t i = 1; i <= oggetti_; ++i) {
    const uint64_t p = static_cast<size_t>(i) < xref_.size() ? xref_[static_cast<size_t>(i)] : kNessuno;
    char riga[32];
    if (p == kNessuno)
      std::snprintf(riga, sizeof riga, "0000000000 65535 f\r\n");
    else
      std::snprintf(riga, sizeof riga, "%010llu 00000 n\r\n", static_cast<unsigned long long>(p));
    righe += riga;
    if (righe.size() >= (1 << 16)) {
      Byte(righe.data(), righe.size());
      righe.clear();
    }
  }
  Byte(righe.data(), righe.size());
  Riga("trailer");
  Riga("<<");
  Riga("/Size " + std::to_string(oggetti_ + 1));
  Riga("/Info " + std::to_string(info) + " 0 R");
  Riga("/Root " + std::to_string(catalogo) + " 0 R");
  Riga(">>");
  Riga("startxref");
  Riga(std::to_string(inizio_xref));
  Riga("%%EOF");

  std::FILE* f = f_;
  f_ = nullptr;
  bool ok = std::fflush(f) == 0;
  if (su_disco) ok = ok && ::fsync(fileno(f)) == 0;
  const int err = errno;
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
