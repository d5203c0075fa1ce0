#include "qod/bench/misura.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

namespace qod::bench {

double Serie::Mediana() const {
  if (valori_.empty()) return 0;
  std::vector<double> t = valori_;
  std::sort(t.begin(), t.end());
  const size_t n = t.size();
  return n % 2 ? t[n / 2] : (t[n / 2 - 1] + t[n / 2]) / 2;
}

double Serie::Minimo() const { return valori_.empty() ? 0 : *std::min_element(valori_.begin(), valori_.end()); }

double Serie::Massimo() const { return valori_.empty() ? 0 : *std::max_element(valori_.begin(), valori_.end()); }

std::string Serie::Testo(const char* formato) const {
  char a[64], b[64], c[64];
  std::snprintf(a, sizeof a, formato, Mediana());
  std::snprintf(b, sizeof b, formato, Minimo());
  std::snprintf(c, sizeof c, formato, Massimo());
  return std::string(a) + " (" + b + " - " + c + ")";
}

namespace {

template <class F>
Serie Combina(const Serie& a, const Serie& b, F f) {
  Serie r;
  for (size_t i = 0; i < std::min(a.Quanti(), b.Quanti()); ++i) r.Aggiungi(f(a[i], b[i]));
  return r;
}

}  // namespace

Serie Rapporto(const Serie& a, const Serie& b) {
  return Combina(a, b, [](double x, double y) { return y > 0 ? x / y : 0; });
}

Serie Somma(const Serie& a, const Serie& b) {
  return Combina(a, b, [](double x, double y) { return x + y; });
}

Serie Scala(const Serie& s, double k) {
  Serie r;
  for (size_t i = 0; i < s.Quanti(); ++i) r.Aggiungi(s[i] * k);
  return r;
}

double Cronometra_Ms(const std::function<void()>& f) {
  const auto a = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - a).count();
}

bool Tiff_G4(const img::Immagine& im, const std::string& file) {
  TIFF* t = TIFFOpen(file.c_str(), "wl");
  if (!t) return false;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(im.Larghezza()));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(im.Altezza()));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t{1});
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t{1});
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(im.Altezza()));
  TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0f);
  TIFFSetField(t, TIFFTAG_YRESOLUTION, 196.0f);
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  const size_t br = im.Byte_Riga(), n = br * static_cast<size_t>(im.Altezza());
  // One buffer for every call: grown when a larger page comes, never
  // allocated or cleared again for a page that fits.
  thread_local std::vector<uint8_t> buf;
  if (buf.size() < n) buf.resize(n);
  for (int y = 0; y < im.Altezza(); ++y) {
    const uint8_t* r = im.Riga(y);
    for (size_t i = 0; i < br; ++i) buf[static_cast<size_t>(y) * br + i] = static_cast<uint8_t>(~r[i]);
  }
  const bool ok = TIFFWriteEncodedStrip(t, 0, buf.data(), static_cast<tmsize_t>(n)) >= 0;
  TIFFClose(t);
  return ok;
}

double Loopback_Ms(size_t byte) {
  int ascolto = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t n = sizeof sa;
  if (::bind(ascolto, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(ascolto, 1) != 0) std::exit(1);
  ::getsockname(ascolto, reinterpret_cast<sockaddr*>(&sa), &n);
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) std::exit(1);
  int pari = ::accept(ascolto, nullptr, nullptr);
  std::vector<char> dati(8192, 'x');
  const double ms = Cronometra_Ms([&] {
    std::thread lettore([&] {
      std::vector<char> b(65536);
      size_t letti = 0;
      while (letti < byte) {
        ssize_t r = ::recv(pari, b.data(), b.size(), 0);
        if (r <= 0) std::exit(1);
        letti += static_cast<size_t>(r);
      }
    });
    for (size_t fatti = 0; fatti < byte;) {
      ssize_t r = ::send(fd, dati.data(), std::min(dati.size(), byte - fatti), 0);
      if (r <= 0) std::exit(1);
      fatti += static_cast<size_t>(r);
    }
    lettore.join();
  });
  ::close(fd);
  ::close(pari);
  ::close(ascolto);
  return ms;
}

img::Immagine Pagina_Testo(unsigned seme) {
  img::Immagine im;
  im.Crea(1728, 2292, 1);
  im.Riempi(img::Bianco);
  im.Imposta_Dpi(204, 196);
  std::mt19937 g(seme);
  for (int y = 150; y < 2292 - 200; y += 48)
    for (int x = 120 + static_cast<int>(g() % 40); x < 1728 - 200;) {
      const int w = 12 + static_cast<int>(g() % 10), h = 20 + static_cast<int>(g() % 12);
      im.Riempi(x, y + 32 - h, w, h, img::Nero);
      im.Riempi(x + 3, y + 35 - h, w - 6, h - 6, img::Bianco);
      x += w + 4 + (g() % 6 == 0 ? 24 : 0);
    }
  return im;
}

}  // namespace qod::bench
