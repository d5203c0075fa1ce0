// The image model: allocation under the memory cap, pixels, palettes, fill,
// inversion, grey levels and depth conversions.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "interno.h"
#include "qod/imaging/immagine.h"

namespace qod::img {

namespace {
std::atomic<size_t> g_limite{size_t{256} << 20};

bool Bit_Valido(int bit) { return bit == 1 || bit == 4 || bit == 8 || bit == 24 || bit == 32; }
}  // namespace

size_t Limite_Memoria() { return g_limite.load(); }
void Imposta_Limite_Memoria(size_t byte) { g_limite.store(byte); }

Raster Raster_Da_Modo(long modo) {
  switch (modo) {
    case 1: return Raster::SRCAND;
    case 2: return Raster::SRCPAINT;
    default: return Raster::SRCCOPY;
  }
}

size_t Byte_Necessari(int64_t w, int64_t h, int bit, size_t* passo) {
  if (w < 1 || h < 1 || w > Lato_Massimo || h > Lato_Massimo || !Bit_Valido(bit)) return 0;
  const uint64_t riga = (static_cast<uint64_t>(w) * bit + 7) / 8;
  const uint64_t p = (riga + 7) & ~uint64_t{7};
  const uint64_t totale = p * static_cast<uint64_t>(h) + 8;
  if (totale > Limite_Memoria()) return 0;
  if (passo) *passo = static_cast<size_t>(p);
  return static_cast<size_t>(totale);
}

std::vector<Colore> Tavolozza_Predefinita(int bit) {
  std::vector<Colore> t;
  if (bit == 1) {
    t = {Nero, Bianco};
  } else if (bit == 4) {
    for (int i = 0; i < 16; ++i) t.push_back({uint8_t(i * 17), uint8_t(i * 17), uint8_t(i * 17)});
  } else if (bit == 8) {
    for (int i = 0; i < 256; ++i) t.push_back({uint8_t(i), uint8_t(i), uint8_t(i)});
  }
  return t;
}

bool Rampa_Grigia(int bit, const std::vector<Colore>& tav) {
  if (bit > 8) return false;
  const size_t n = size_t{1} << bit;
  if (tav.size() != n) return false;
  const int passo = 255 / static_cast<int>(n - 1);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t v = static_cast<uint8_t>(i * passo);
    if (tav[i] != Colore{v, v, v}) return false;
  }
  return true;
}

bool Accesso_Interno::Alloca(Immagine& im, int w, int h, int bit, std::vector<Colore> tavolozza) {
  size_t passo = 0;
  const size_t n = Byte_Necessari(w, h, bit, &passo);
  if (n == 0) return false;
  std::vector<uint8_t> dati;
  try {
    dati.assign(n, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  im.dati_ = std::move(dati);
  Imposta_Forma(im, w, h, bit, passo, std::move(tavolozza));
  return true;
}

void Accesso_Interno::Normalizza_1bit(Immagine& im) {
  if (im.bit_ != 1 || im.tavolozza_.size() != 2) return;
  if (im.tavolozza_[0].Luminanza() <= im.tavolozza_[1].Luminanza()) return;
  std::swap(im.tavolozza_[0], im.tavolozza_[1]);
  for (auto& b : im.dati_) b = static_cast<uint8_t>(~b);
}

bool Accesso_Interno::Riusabile(const Immagine& im, size_t byte) {
  return byte != 0 && im.dati_.capacity() >= byte && im.dati_.capacity() / 2 <= byte;
}

bool Accesso_Interno::Alloca_Riusando(Immagine& im, int w, int h, int bit, std::vector<Colore> tavolozza) {
  size_t passo = 0;
  const size_t n = Byte_Necessari(w, h, bit, &passo);
  if (!Riusabile(im, n)) return Alloca(im, w, h, bit, std::move(tavolozza));
  im.dati_.resize(n);
  std::fill(im.dati_.begin(), im.dati_.end(), uint8_t{0});
  Imposta_Forma(im, w, h, bit, passo, std::move(tavolozza));
  return true;
}

void Accesso_Interno::Imposta_Forma(Immagine& im, int w, int h, int bit, size_t passo, std::vector<Colore> tavolozza) {
  im.larghezza_ = w;
  im.altezza_ = h;
  im.bit_ = bit;
  im.passo_ = passo;
  im.dpi_x_ = im.dpi_y_ = 0;
  if (bit <= 8) {
    if (tavolozza.empty()) tavolozza = Tavolozza_Predefinita(bit);
    tavolozza.resize(size_t{1} << bit, Nero);
    im.tavolozza_ = std::move(tavolozza);
  } else {
    im.tavolozza_.clear();
  }
}

bool Immagine::Crea(int larghezza, int altezza, int bit, Colore fondo) {
  size_t passo = 0;
  const size_t n = Byte_Necessari(larghezza, altezza, bit, &passo);
  if (Accesso_Interno::Riusabile(*this, n)) {
    // The memory of the image it was is used again, without clearing it:
    // the fill below sets every pixel, and what lies outside the pixels
    // (the bits after a row's last pixel, the row padding, the spare bytes
    // at the end) is set to 0 here, as a new image has it.
    dati_.resize(n);
    Accesso_Interno::Imposta_Forma(*this, larghezza, altezza, bit, passo, {});
    const size_t byte_riga = Byte_Riga();
    const size_t da = (static_cast<size_t>(larghezza) * static_cast<size_t>(bit)) % 8 ? byte_riga - 1 : byte_riga;
    for (int y = 0; y < altezza; ++y) std::memset(Riga(y) + da, 0, passo - da);
    std::fill(dati_.begin() + static_cast<std::ptrdiff_t>(passo * static_cast<size_t>(altezza)), dati_.end(),
              uint8_t{0});
  } else {
    Immagine nuova;
    if (!Accesso_Interno::Alloca(nuova, larghezza, altezza, bit)) {
      Svuota();
      return false;
    }
    *this = std::move(nuova);
  }
  Riempi(fondo);
  return true;
}

void Immagine::Svuota() {
  larghezza_ = altezza_ = bit_ = 0;
  dpi_x_ = dpi_y_ = 0;
  passo_ = 0;
  dati_.clear();
  dati_.shrink_to_fit();
  tavolozza_.clear();
}

void Immagine::Imposta_Tavolozza(std::vector<Colore> tavolozza) {
  if (bit_ == 0 || bit_ > 8) return;
  tavolozza.resize(size_t{1} << bit_, Nero);
  tavolozza_ = std::move(tavolozza);
  Accesso_Interno::Normalizza_1bit(*this);
}

bool Immagine::Tavolozza_Grigia() const { return Rampa_Grigia(bit_, tavolozza_); }

uint32_t Immagine::Valore(int x, int y) const {
  if (x < 0 || y < 0 || x >= larghezza_ || y >= altezza_) return 0;
  return Leggi_Valore(Riga(y), x, bit_);
}

Colore Immagine::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= larghezza_ || y >= altezza_) return Nero;
  return Colore_Valore(Leggi_Valore(Riga(y), x, bit_), bit_, tavolozza_);
}

void Immagine::Imposta_Pixel(int x, int y, Colore c) {
  if (x < 0 || y < 0 || x >= larghezza_ || y >= altezza_) return;
  Mappa_Colore mappa(bit_, tavolozza_);
  Scrivi_Valore(Riga(y), x, bit_, mappa(c));
}

int64_t Immagine::Numero_Colori() const {
  if (Vuota()) return 0;
  return int64_t{1} << bit_;
}

// ---- Colour mapping -----------------------------------------------------

Mappa_Colore::Mappa_Colore(int bit, const std::vector<Colore>& tavolozza)
    : bit_(bit), tav_(tavolozza), rampa_(Rampa_Grigia(bit, tavolozza)) {}

uint32_t Mappa_Colore::operator()(Colore c) {
  switch (bit_) {
    case 1: return c.Luminanza() >= 128 ? 1u : 0u;
    case 24: return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
    case 32: return (uint32_t(c.r) << 24) | (uint32_t(c.g) << 16) | (uint32_t(c.b) << 8) | 0xFFu;
    default: break;
  }
  if (rampa_) {
    const int l = c.Luminanza();
    return bit_ == 8 ? static_cast<uint32_t>(l) : static_cast<uint32_t>((l * 15 + 127) / 255);
  }
  if (memo_chiave_.empty()) {
    memo_chiave_.assign(1024, 0xFFFFFFFFu);
    memo_valore_.assign(1024, 0);
  }
  const uint32_t chiave = c.RGB();
  const size_t h = ((chiave * 2654435761u) >> 22) & 1023u;
  if (memo_chiave_[h] == chiave) return memo_valore_[h];
  uint32_t migliore = 0;
  int64_t distanza = INT64_MAX;
  for (size_t i = 0; i < tav_.size(); ++i) {
    const int dr = c.r - tav_[i].r, dg = c.g - tav_[i].g, db = c.b - tav_[i].b;
    const int64_t d = int64_t(dr) * dr + int64_t(dg) * dg + int64_t(db) * db;
    if (d < distanza) {
      distanza = d;
      migliore = static_cast<uint32_t>(i);
    }
  }
  memo_chiave_[h] = chiave;
  memo_valore_[h] = migliore;
  return migliore;
}

// ---- Fill ----------------------------------------------------------------

void Immagine::Riempi(Colore c) { Riempi(0, 0, larghezza_, altezza_, c); }

void Immagine::Riempi(int x, int y, int larghezza, int altezza, Colore c) {
  if (Vuota() || larghezza <= 0 || altezza <= 0) return;
  int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
  int64_t x1 = std::min<int64_t>(int64_t{x} + larghezza, larghezza_);
  int64_t y1 = std::min<int64_t>(int64_t{y} + altezza, altezza_);
  if (x0 >= x1 || y0 >= y1) return;
  Mappa_Colore mappa(bit_, tavolozza_);
  const uint32_t v = mappa(c);
  for (int64_t r = y0; r < y1; ++r) {
    uint8_t* riga = Riga(static_cast<int>(r));
    switch (bit_) {
      case 1: {
        const uint8_t pieno = v ? 0xFF : 0x00;
        int64_t a = x0;
        while (a < x1 && (a & 7)) Scrivi_Valore(riga, a++, 1, v);
        const int64_t interi = (x1 - a) / 8;
        if (interi > 0) {
          std::memset(riga + (a >> 3), pieno, static_cast<size_t>(interi));
          a += interi * 8;
        }
        while (a < x1) Scrivi_Valore(riga, a++, 1, v);
        break;
      }
      case 8: std::memset(riga + x0, static_cast<int>(v), static_cast<size_t>(x1 - x0)); break;
      case 24:
        if (c.r == c.g && c.g == c.b) {
          // White, black or a grey: every byte the same.
          std::memset(riga + x0 * 3, c.r, static_cast<size_t>(x1 - x0) * 3);
          break;
        }
        [[fallthrough]];
      default:
        for (int64_t a = x0; a < x1; ++a) Scrivi_Valore(riga, a, bit_, v);
        break;
    }
  }
}

// ---- Inversion and grey --------------------------------------------------

void Immagine::Inverti() {
  if (Vuota()) return;
  if (bit_ == 1) {
    // The complement of a palette pair swaps which entry is darker: flip the
    // bits and complement the entries, which keeps entry 0 the darker one.
    for (auto& c : tavolozza_) c = {uint8_t(255 - c.r), uint8_t(255 - c.g), uint8_t(255 - c.b)};
    std::swap(tavolozza_[0], tavolozza_[1]);
    for (int y = 0; y < altezza_; ++y) {
      uint8_t* r = Riga(y);
      for (size_t i = 0; i < Byte_Riga(); ++i) r[i] = static_cast<uint8_t>(~r[i]);
    }
    return;
  }
  if (bit_ <= 8) {
    if (Tavolozza_Grigia()) {
      const uint32_t massimo = (1u << bit_) - 1;
      for (int y = 0; y < altezza_; ++y)
        for (int x = 0; x < larghezza_; ++x)
          Scrivi_Valore(Riga(y), x, bit_, massimo - Leggi_Valore(Riga(y), x, bit_));
    } else {
      for (auto& c : tavolozza_) c = {uint8_t(255 - c.r), uint8_t(255 - c.g), uint8_t(255 - c.b)};
    }
    return;
  }
  const int bpp = bit_ / 8;
  for (int y = 0; y < altezza_; ++y) {
    uint8_t* r = Riga(y);
    for (int x = 0; x < larghezza_; ++x)
      for (int k = 0; k < 3; ++k) r[x * bpp + k] = static_cast<uint8_t>(255 - r[x * bpp + k]);
  }
}

namespace {

// A new image of `bit` whose every pixel is f(colour of the old pixel).
template <class F>
bool Converti_Con(Immagine& im, int bit, std::vector<Colore> tavolozza, F&& f) {
  Immagine nuova;
  if (!Accesso_Interno::Alloca(nuova, im.Larghezza(), im.Altezza(), bit, std::move(tavolozza))) return false;
  nuova.Imposta_Dpi(im.Dpi_X(), im.Dpi_Y());
  const int sb = im.Bit();
  const auto& st = im.Tavolozza();
  // Indexed sources: one result per palette entry.
  std::vector<uint32_t> lut;
  if (sb <= 8)
    for (const auto& c : st) lut.push_back(f(c));
  for (int y = 0; y < im.Altezza(); ++y) {
    const uint8_t* s = im.Riga(y);
    uint8_t* d = nuova.Riga(y);
    for (int x = 0; x < im.Larghezza(); ++x) {
      const uint32_t v = Leggi_Valore(s, x, sb);
      Scrivi_Valore(d, x, bit, sb <= 8 ? lut[v] : f(Colore_Valore(v, sb, st)));
    }
  }
  im = std::move(nuova);
  Accesso_Interno::Normalizza_1bit(im);
  return true;
}

uint32_t Grigio_Di(Colore c) { return static_cast<uint32_t>(c.Luminanza()); }

}  // namespace

bool Immagine::Converti_Grigio() {
  if (Vuota()) return false;
  if (bit_ == 1) {
    for (auto& c : tavolozza_) {
      const uint8_t l = static_cast<uint8_t>(c.Luminanza());
      c = {l, l, l};
    }
    return true;
  }
  if (bit_ <= 8 && Tavolozza_Grigia()) return true;
  if (bit_ >= 24) {
    Immagine nuova;
    if (!Accesso_Interno::Alloca(nuova, larghezza_, altezza_, 8)) return false;
    nuova.Imposta_Dpi(dpi_x_, dpi_y_);
    const int bpp = bit_ / 8;
    for (int y = 0; y < altezza_; ++y) {
      const uint8_t* s = Riga(y);
      uint8_t* d = nuova.Riga(y);
      for (int x = 0; x < larghezza_; ++x, s += bpp)
        d[x] = static_cast<uint8_t>((299 * s[0] + 587 * s[1] + 114 * s[2] + 500) / 1000);
    }
    *this = std::move(nuova);
    return true;
  }
  return Converti_Con(*this, 8, {}, Grigio_Di);
}

bool Immagine::Converti_Bit(int bit) {
  if (Vuota()) return false;
  if (bit == bit_) return true;
  switch (bit) {
    case 1:
      return Converti_Con(*this, 1, {}, [](Colore c) { return c.Luminanza() >= 128 ? 1u : 0u; });
    case 24:
      if (bit_ == 32) {
        Immagine nuova;
        if (!Accesso_Interno::Alloca(nuova, larghezza_, altezza_, 24)) return false;
        nuova.Imposta_Dpi(dpi_x_, dpi_y_);
        for (int y = 0; y < altezza_; ++y) {
          const uint8_t* s = Riga(y);
          uint8_t* d = nuova.Riga(y);
          for (int x = 0; x < larghezza_; ++x) std::memcpy(d + 3 * x, s + 4 * x, 3);
        }
        *this = std::move(nuova);
        return true;
      }
      return Converti_Con(*this, 24, {}, [](Colore c) {
        return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
      });
    case 32:
      return Converti_Con(*this, 32, {}, [](Colore c) {
        return (uint32_t(c.r) << 24) | (uint32_t(c.g) << 16) | (uint32_t(c.b) << 8) | 0xFFu;
      });
    case 4:
    case 8: {
      if (bit_ < bit) {
        // A smaller palette fits as it stands: the same indexes.
        std::vector<Colore> tav = tavolozza_;
        Immagine nuova;
        if (!Accesso_Interno::Alloca(nuova, larghezza_, altezza_, bit, tav)) return false;
        nuova.Imposta_Dpi(dpi_x_, dpi_y_);
        for (int y = 0; y < altezza_; ++y)
          for (int x = 0; x < larghezza_; ++x)
            Scrivi_Valore(nuova.Riga(y), x, bit, Leggi_Valore(Riga(y), x, bit_));
        *this = std::move(nuova);
        return true;
      }
      if (bit == 8) return Converti_Con(*this, 8, {}, Grigio_Di);
      return Converti_Con(*this, 4, {}, [](Colore c) {
        return static_cast<uint32_t>((c.Luminanza() * 15 + 127) / 255);
      });
    }
    default:
      return false;
  }
}

bool Immagine::Riduci_Colori(int64_t colori, bool grigio) {
  if (Vuota()) return false;
  if (colori == 2) {
    if (bit_ == 1 && tavolozza_ == Tavolozza_Predefinita(1)) return true;
    return Converti_Con(*this, 1, {}, [](Colore c) { return c.Luminanza() >= 128 ? 1u : 0u; });
  }
  if (colori == 16 && grigio) {
    if (bit_ == 4 && Tavolozza_Grigia()) return true;
    return Converti_Con(*this, 4, {}, [](Colore c) {
      return static_cast<uint32_t>((c.Luminanza() * 15 + 127) / 255);
    });
  }
  if (colori == 256 && grigio) {
    if (bit_ == 8 && Tavolozza_Grigia()) return true;
    return Converti_Con(*this, 8, {}, Grigio_Di);
  }
  if (colori == 16777216) return Converti_Bit(24);
  return false;
}

}  // namespace qod::img
