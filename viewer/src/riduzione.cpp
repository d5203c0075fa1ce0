#include "qod/viewer/riduzione.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qod::img {

namespace {

// Bits set in [a, b) of a row of 1-bit pixels (most significant bit first).
inline uint32_t Conta_Uni(const uint8_t* r, int64_t a, int64_t b) {
  if (a >= b) return 0;
  const int64_t ba = a >> 3, bb = (b - 1) >> 3;
  const uint8_t testa = static_cast<uint8_t>(0xFFu >> (a & 7));
  const uint8_t coda = static_cast<uint8_t>(0xFFu << (7 - ((b - 1) & 7)));
  if (ba == bb) return static_cast<uint32_t>(std::popcount(static_cast<uint8_t>(r[ba] & testa & coda)));
  uint32_t n = static_cast<uint32_t>(std::popcount(static_cast<uint8_t>(r[ba] & testa)) +
                                     std::popcount(static_cast<uint8_t>(r[bb] & coda)));
  int64_t i = ba + 1;
  for (; i + 8 <= bb; i += 8) {
    uint64_t v;
    std::memcpy(&v, r + i, 8);
    n += static_cast<uint32_t>(std::popcount(v));
  }
  for (; i < bb; ++i) n += static_cast<uint32_t>(std::popcount(r[i]));
  return n;
}

inline bool Bit(const uint8_t* r, int64_t x) { return (r[x >> 3] >> (7 - (x & 7))) & 1; }

// Whether the w pixels of a 1-bit row all have one value, and which.
bool Riga_Uniforme(const uint8_t* r, int64_t w, bool& valore) {
  valore = Bit(r, 0);
  const uint8_t pieno = valore ? 0xFF : 0x00;
  const int64_t interi = w >> 3;
  int64_t i = 0;
  const uint64_t pieno64 = valore ? ~uint64_t{0} : 0;
  for (; i + 8 <= interi; i += 8) {
    uint64_t v;
    std::memcpy(&v, r + i, 8);
    if (v != pieno64) return false;
  }
  for (; i < interi; ++i)
    if (r[i] != pieno) return false;
  const int resto = static_cast<int>(w & 7);
  if (resto) {
    const uint8_t m = static_cast<uint8_t>(0xFF00u >> resto);
    if ((r[interi] & m) != (pieno & m)) return false;
  }
  return true;
}

inline uint8_t Premoltiplica(uint8_t c, uint8_t a) { return static_cast<uint8_t>((c * a + 127) / 255); }

// The weighted sums of each column of a row of pixels of C bytes (R, G, B
// and, with four, alpha), four values per column; without alpha the fourth is
// that of a whole alpha.
template <int C, class Tratti>
void Somma_Colonne(const uint8_t* p, const Tratti& colonne, uint32_t pieno, uint32_t* uscita) {
  for (size_t x = 0; x < colonne.size(); ++x) {
    const auto& t = colonne[x];
    uint32_t* s = uscita + 4 * x;
    const uint8_t* a = p + C * t.primo;
    if (t.primo == t.ultimo) {
      for (int c = 0; c < C; ++c) s[c] = t.peso_primo * a[c];
      if (C == 3) s[3] = t.peso_primo * 255;
      continue;
    }
    uint32_t dentro[C] = {};
    for (const uint8_t* q = a + C; q < p + C * t.ultimo; q += C)
      for (int c = 0; c < C; ++c) dentro[c] += q[c];
    const uint8_t* b = p + C * t.ultimo;
    for (int c = 0; c < C; ++c) s[c] = t.peso_primo * a[c] + t.peso_ultimo * b[c] + pieno * dentro[c];
    if (C == 3) s[3] = (t.peso_primo + t.peso_ultimo + pieno * static_cast<uint32_t>(t.ultimo - t.primo - 1)) * 255;
  }
}

inline uint64_t Carica_64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

// How much of each column of a 1-bit row is of colour 1, every column read
// as one window of the row; with the processor's own bit count where it has
// one.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
[[gnu::target_clones("popcnt", "default")]]
#endif
void Riduzione::Colonne_Bit(const uint8_t* riga, const Lettura_Bit* f, size_t n, uint32_t pieno, uint32_t* uscita) {
  for (size_t x = 0; x < n; ++x) {
    const uint64_t v = Carica_64(riga + f[x].byte) << f[x].spostamento;
    uscita[x] = f[x].peso_primo * static_cast<uint32_t>(v >> 63) +
                f[x].peso_ultimo * static_cast<uint32_t>((v >> f[x].ultimo) & 1) +
                pieno * static_cast<uint32_t>(__builtin_popcountll(v & f[x].dentro));
  }
}

void Riduzione::Svuota() {
  im_ = nullptr;
  w_ = h_ = 0;
  wd_ = hd_ = 0;
  finestra_ = QRect();
  colonne_.clear();
  fatte_.clear();
  uscita_ = QImage();
  riga_orizzontale_ = -1;
}

void Riduzione::Prepara(const Immagine& im, int larghezza, int altezza, QRect finestra) {
  Svuota();
  if (im.Vuota() || larghezza < 1 || altezza < 1) return;
  const QRect tutto(0, 0, larghezza, altezza);
  finestra = finestra.isEmpty() ? tutto : finestra & tutto;
  if (finestra.isEmpty()) return;
  const bool alfa = im.Bit() == 32;
  uscita_ = QImage(finestra.size(), alfa ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (uscita_.isNull()) return;
  im_ = &im;
  w_ = im.Larghezza();
  h_ = im.Altezza();
  wd_ = larghezza;
  hd_ = altezza;
  finestra_ = finestra;
  // In units of which an image pixel holds wd_ and a dest column w_.
  colonne_.resize(static_cast<size_t>(finestra.width()));
  for (int64_t x = finestra.left(); x <= finestra.right(); ++x) {
    const int64_t a = x * w_, b = a + w_;
    Tratto& t = colonne_[static_cast<size_t>(x - finestra.left())];
    t.primo = a / wd_;
    t.ultimo = (b - 1) / wd_;
    if (t.primo == t.ultimo) {
      t.peso_primo = static_cast<uint32_t>(w_);
      t.peso_ultimo = 0;
    } else {
      t.peso_primo = static_cast<uint32_t>((t.primo + 1) * wd_ - a);
      t.peso_ultimo = static_cast<uint32_t>(b - t.ultimo * wd_);
    }
  }
  letture_.clear();
  if (im.Bit() == 1) {
    riga_bit_.assign(im.Byte_Riga() + 8, 0);
    for (const Tratto& t : colonne_) {
      const int64_t spostamento = t.primo & 7, lunghezza = t.ultimo - t.primo + 1;
      if (spostamento + lunghezza > 64) {
        letture_.clear();
        break;
      }
      Lettura_Bit f{};
      f.byte = static_cast<uint32_t>(t.primo >> 3);
      f.spostamento = static_cast<uint32_t>(spostamento);
      f.ultimo = static_cast<uint32_t>(64 - lunghezza);
      f.peso_primo = t.peso_primo;
      f.peso_ultimo = t.primo == t.ultimo ? 0 : t.peso_ultimo;
      f.dentro = lunghezza > 2 ? ((uint64_t{1} << (lunghezza - 2)) - 1) << (65 - lunghezza) : 0;
      letture_.push_back(f);
    }
  }
  fatte_.assign(static_cast<size_t>(finestra.height()), false);
  const size_t valori = (im.Bit() == 1 ? 1 : 4) * colonne_.size();
  orizzontale_.assign(valori, 0);
  somma_.assign(valori, 0);
  colori_.clear();
  if (im.Bit() <= 8) {
    for (const Colore& c : im.Tavolozza()) colori_.push_back(qRgb(c.r, c.g, c.b));
    colori_.resize(size_t{1} << im.Bit(), qRgb(0, 0, 0));
  }
  if (im.Bit() == 1) {
    // Grey levels between the two colours, by the share of colour 1.
    const QRgb c0 = colori_[0], c1 = colori_[1];
    std::vector<uint32_t> scala(256);
    for (int k = 0; k < 256; ++k) {
      auto mescola = [k](int a, int b) { return (a * (255 - k) + b * k + 127) / 255; };
      scala[static_cast<size_t>(k)] =
          qRgb(mescola(qRed(c0), qRed(c1)), mescola(qGreen(c0), qGreen(c1)), mescola(qBlue(c0), qBlue(c1)));
    }
    colori_ = std::move(scala);
  }
  riga_rgba_.assign(im.Bit() == 1 ? 0 : 4 * static_cast<size_t>(w_), 0);
  riga_orizzontale_ = -1;
}

void Riduzione::Righe(int da, int a) {
  if (!im_) return;
  da = std::max(da, finestra_.top());
  a = std::min(a, finestra_.bottom() + 1);
  for (int j = da; j < a; ++j) {
    const size_t k = static_cast<size_t>(j - finestra_.top());
    if (!fatte_[k]) {
      Riga(j);
      fatte_[k] = true;
    }
  }
}

void Riduzione::Riga_Orizzontale(int64_t y) {
  riga_orizzontale_ = y;
  const uint8_t* r = im_->Riga(static_cast<int>(y));
  const uint32_t wd = static_cast<uint32_t>(wd_);
  if (im_->Bit() == 1) {
    bool valore = false;
    uniforme_ = Riga_Uniforme(r, w_, valore);
    if (uniforme_) {
      std::fill(orizzontale_.begin(), orizzontale_.end(), valore ? static_cast<uint32_t>(w_) : 0u);
      return;
    }
    if (!letture_.empty()) {
      std::memcpy(riga_bit_.data(), r, im_->Byte_Riga());
      Colonne_Bit(riga_bit_.data(), letture_.data(), letture_.size(), wd, orizzontale_.data());
      return;
    }
    for (size_t x = 0; x < colonne_.size(); ++x) {
      const Tratto& t = colonne_[x];
      uint32_t v;
      if (t.primo == t.ultimo) {
        v = Bit(r, t.primo) ? t.peso_primo : 0;
      } else {
        v = (Bit(r, t.primo) ? t.peso_primo : 0) + (Bit(r, t.ultimo) ? t.peso_ultimo : 0) +
            wd * Conta_Uni(r, t.primo + 1, t.ultimo);
      }
      orizzontale_[x] = v;
    }
    return;
  }
  uniforme_ = false;
  const int bit = im_->Bit();
  if (bit == 24) {
    // RGB as it is; alpha is whole everywhere.
    Somma_Colonne<3>(r, colonne_, wd, orizzontale_.data());
    return;
  }
  // The row as premultiplied RGBA.
  uint8_t* o = riga_rgba_.data();
  if (bit == 32) {
    for (int64_t x = 0; x < w_; ++x, o += 4) {
      const uint8_t a = r[4 * x + 3];
      o[0] = Premoltiplica(r[4 * x], a);
      o[1] = Premoltiplica(r[4 * x + 1], a);
      o[2] = Premoltiplica(r[4 * x + 2], a);
      o[3] = a;
    }
  } else {
    for (int64_t x = 0; x < w_; ++x, o += 4) {
      const uint32_t i = bit == 8 ? r[x] : (x & 1) ? (r[x >> 1] & 0x0Fu) : (r[x >> 1] >> 4);
      const QRgb c = colori_[i];
      o[0] = static_cast<uint8_t>(qRed(c));
      o[1] = static_cast<uint8_t>(qGreen(c));
      o[2] = static_cast<uint8_t>(qBlue(c));
      o[3] = 255;
    }
  }
  Somma_Colonne<4>(riga_rgba_.data(), colonne_, wd, orizzontale_.data());
}

void Riduzione::Riga(int j) {
  // Rows of the image under dest row j, in units of which an image row holds
  // hd_ and a dest row h_.
  const int64_t a = int64_t{j} * h_, b = a + h_;
  const int64_t primo = a / hd_, ultimo = (b - 1) / hd_;
  std::fill(somma_.begin(), somma_.end(), 0);
  uint64_t uniforme = 0;  // the share of colour 1 of uniform 1-bit rows, for every column
  const bool bilivello = im_->Bit() == 1;
  for (int64_t k = primo; k <= ultimo; ++k) {
    const uint64_t peso = primo == ultimo ? static_cast<uint64_t>(h_)
                          : k == primo    ? static_cast<uint64_t>((primo + 1) * hd_ - a)
                          : k == ultimo   ? static_cast<uint64_t>(b - ultimo * hd_)
                                          : static_cast<uint64_t>(hd_);
    if (k != riga_orizzontale_) Riga_Orizzontale(k);
    if (bilivello && uniforme_) {
      uniforme += peso * orizzontale_[0];
      continue;
    }
    for (size_t i = 0; i < somma_.size(); ++i) somma_[i] += peso * orizzontale_[i];
  }
  const double inverso = 1.0 / (static_cast<double>(w_) * static_cast<double>(h_));
  auto* o = reinterpret_cast<QRgb*>(uscita_.scanLine(j - finestra_.top()));
  if (bilivello) {
    const double k = 255.0 * inverso;
    for (size_t x = 0; x < somma_.size(); ++x) {
      const int quota = static_cast<int>(static_cast<double>(somma_[x] + uniforme) * k + 0.5);
      o[x] = colori_[static_cast<size_t>(std::clamp(quota, 0, 255))];
    }
    return;
  }
  auto canale = [inverso](uint64_t s) { return std::min(255, static_cast<int>(static_cast<double>(s) * inverso + 0.5)); };
  for (size_t x = 0; x < colonne_.size(); ++x) {
    const uint64_t* s = &somma_[4 * x];
    o[x] = qRgba(canale(s[0]), canale(s[1]), canale(s[2]), canale(s[3]));
  }
}

QImage Riduci_Area(const Immagine& im, int larghezza, int altezza) {
  Riduzione r;
  r.Prepara(im, larghezza, altezza);
  r.Righe(0, altezza);
  return r.Risultato();
}

}  // namespace qod::img
