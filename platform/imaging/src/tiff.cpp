// TIFF files through libtiff: reading of any image libtiff can decode (one
// directory per image), writing of uncompressed, CCITT group 3 and group 4
// pages, appending a page, and replacing one page while every other page
// keeps its data byte for byte.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "formati.h"
#include "interno.h"
#include "qod/basic.h"

namespace qod::img {

namespace {

// ---- libtiff plumbing -----------------------------------------------------

// libtiff reads through these from a Sorgente, memory or a file, which it
// takes as a mapped file: both kinds take the same road through the library.
struct Lettura {
  Sorgente* sorgente;
  uint64_t pos;
};

tmsize_t Sorg_Leggi(thandle_t h, void* buf, tmsize_t size) {
  auto* l = static_cast<Lettura*>(h);
  if (size <= 0 || l->pos >= l->sorgente->Dimensione()) return 0;
  const size_t k = l->sorgente->Leggi(l->pos, buf, static_cast<size_t>(size));
  l->pos += k;
  return static_cast<tmsize_t>(k);
}
tmsize_t Sorg_Scrivi(thandle_t, void*, tmsize_t) { return 0; }
toff_t Sorg_Cerca(thandle_t h, toff_t off, int whence) {
  auto* l = static_cast<Lettura*>(h);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = l->pos;
  else if (whence == SEEK_END) base = l->sorgente->Dimensione();
  const uint64_t nuovo = base + off;
  if (nuovo < base) return static_cast<toff_t>(-1);
  l->pos = nuovo;
  return nuovo;
}
int Sorg_Chiudi(thandle_t) { return 0; }
toff_t Sorg_Dimensione(thandle_t h) { return static_cast<Lettura*>(h)->sorgente->Dimensione(); }
int Sorg_Mappa(thandle_t h, void** base, toff_t* size) {
  Sorgente* s = static_cast<Lettura*>(h)->sorgente;
  *base = const_cast<uint8_t*>(s->Base());
  *size = s->Dimensione();
  return 1;
}
void Sorg_Smappa(thandle_t, void*, toff_t) {}

int Gestore_Errore(TIFF*, void* utente, const char* modulo, const char* formato, va_list ap) {
  auto* testo = static_cast<std::string*>(utente);
  if (testo->empty()) {
    char buf[512];
    std::vsnprintf(buf, sizeof buf, formato, ap);
    *testo = std::string(modulo ? modulo : "TIFF") + ": " + buf;
  }
  return 1;
}
int Gestore_Avviso(TIFF*, void*, const char*, const char*, va_list) { return 1; }

void Zittisci_Globali() {
  static std::once_flag fatto;
  std::call_once(fatto, [] {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
  });
}

// An open TIFF with its own error text.
class Tiff {
 public:
  Tiff() {
    Zittisci_Globali();
    opzioni_ = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(opzioni_, static_cast<tmsize_t>(Limite_Memoria()));
    TIFFOpenOptionsSetErrorHandlerExtR(opzioni_, Gestore_Errore, &errore_);
    TIFFOpenOptionsSetWarningHandlerExtR(opzioni_, Gestore_Avviso, nullptr);
  }
  ~Tiff() {
    if (t_) TIFFClose(t_);
    TIFFOpenOptionsFree(opzioni_);
  }
  Tiff(const Tiff&) = delete;
  Tiff& operator=(const Tiff&) = delete;

  // With `intestazione` only the header is read, no directory.
  bool Apri_Sorgente(Sorgente& s, bool intestazione = false) {
    lettura_ = {&s, 0};
    t_ = TIFFClientOpenExt("sorgente", intestazione ? "rh" : "r", &lettura_, Sorg_Leggi, Sorg_Scrivi, Sorg_Cerca, Sorg_Chiudi,
                           Sorg_Dimensione, Sorg_Mappa, Sorg_Smappa, opzioni_);
    return t_ != nullptr;
  }
  bool Apri_File(const std::string& percorso, const char* modo) {
    t_ = TIFFOpenExt(percorso.c_str(), modo, opzioni_);
    return t_ != nullptr;
  }
  // Closes and reports whether the close wrote everything.
  bool Chiudi() {
    if (!t_) return false;
    TIFFClose(t_);
    t_ = nullptr;
    return errore_.empty();
  }
  TIFF* operator*() const { return t_; }
  // Forgets the errors reported so far (before another image is read).
  void Dimentica_Errori() { errore_.clear(); }
  Esito Errore(const std::string& cosa) const {
    return Esito::Errore("TIFF: " + cosa + (errore_.empty() ? "" : " (" + errore_ + ")"));
  }

 private:
  TIFF* t_ = nullptr;
  TIFFOpenOptions* opzioni_ = nullptr;
  Lettura lettura_{};
  std::string errore_;
};

int Dpi_Tiff(TIFF* t, ttag_t tag) {
  float v = 0;
  uint16_t unita = RESUNIT_INCH;
  if (!TIFFGetField(t, tag, &v)) return 0;
  TIFFGetFieldDefaulted(t, TIFFTAG_RESOLUTIONUNIT, &unita);
  double dpi = v;
  if (unita == RESUNIT_CENTIMETER) dpi *= 2.54;
  else if (unita != RESUNIT_INCH) return 0;
  if (!(dpi > 0 && dpi < 1e6)) return 0;
  return static_cast<int>(Arrotonda_Pari(dpi));
}

// ---- The directory chain ------------------------------------------------------

// The directory chain of a file, as checked: byte order, classic or big
// TIFF, and where each directory lies.
struct Catena {
  bool le = true, grande = false;
  std::vector<uint64_t> directory;  // offsets, in chain order
};

uint64_t Leggi_U16(bool le, const uint8_t* p) { return le ? p[0] | (p[1] << 8) : (p[0] << 8) | p[1]; }
uint64_t Leggi_U32(bool le, const uint8_t* p) {
  return le ? (uint64_t(p[0]) | uint64_t(p[1]) << 8 | uint64_t(p[2]) << 16 | uint64_t(p[3]) << 24)
            : (uint64_t(p[0]) << 24 | uint64_t(p[1]) << 16 | uint64_t(p[2]) << 8 | uint64_t(p[3]));
}
uint64_t Leggi_U64(bool le, const uint8_t* p) {
  return le ? Leggi_U32(le, p) | (Leggi_U32(le, p + 4) << 32) : (Leggi_U32(le, p) << 32) | Leggi_U32(le, p + 4);
}

// Bytes of one value of a tag type; 0 for a type libtiff does not read.
constexpr uint8_t kDim_Tipo[19] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};

// libtiff reads no directory of more entries than this (it refuses the
// image, reading none of them).
constexpr uint64_t kVoci_Massime = 4096;

const uint8_t* Blocco(Sorgente& s, uint64_t off, uint64_t n) {
  return s.Prepara(off, n) ? s.Base() + off : nullptr;
}

// libtiff reads past a damaged directory chain or tag quietly (a colour map
// that is cut off, for example, makes a palette image grey, and pages after
// a cut disappear). Before decoding, the chain and the out-of-line data of
// the tags that make up an image are checked to lie inside the file. Only
// the directories are read, not the data they point to.
Esito Verifica_Catena(Sorgente& s, Catena& c) {
  const uint64_t n = s.Dimensione();
  if (n < 8) return Esito::Errore("TIFF: truncated header");
  const uint8_t* testa = s.Vedi(0, 8);
  if (!testa) return Esito::Errore("TIFF: truncated header");
  const bool le = testa[0] == 'I';
  auto u16 = [le](const uint8_t* p) { return Leggi_U16(le, p); };
  auto u32 = [le](const uint8_t* p) { return Leggi_U32(le, p); };
  auto u64 = [le](const uint8_t* p) { return Leggi_U64(le, p); };
  const bool grande = u16(testa + 2) == 43;
  c.le = le;
  c.grande = grande;
  c.directory.clear();
  uint64_t off = 0;
  if (grande) {
    const uint8_t* t = n < 16 ? nullptr : s.Vedi(0, 16);
    if (!t) return Esito::Errore("TIFF: truncated header");
    off = u64(t + 8);
  } else {
    off = u32(testa + 4);
  }
  const uint64_t dim_conto = grande ? 8 : 2, dim_voce = grande ? 20 : 12, dim_valore = grande ? 8 : 4;
  std::unordered_set<uint64_t> visti;
  while (off != 0) {
    if (off > n || n - off < dim_conto) return Esito::Errore("TIFF: a directory lies past the end of the file");
    if (visti.count(off)) return Esito::Errore("TIFF: directory loop");
    if (visti.size() >= 65535) return Esito::Errore("TIFF: too many directories");
    visti.insert(off);
    c.directory.push_back(off);
    const uint8_t* conto_voci = s.Vedi(off, dim_conto);
    if (!conto_voci) return Esito::Errore("TIFF: a directory is cut off");
    const uint64_t voci = grande ? u64(conto_voci) : u16(conto_voci);
    if (voci > (n - off - dim_conto) / dim_voce || n - off - dim_conto - voci * dim_voce < dim_valore)
      return Esito::Errore("TIFF: a directory is cut off");
    if (voci > kVoci_Massime) {
      // Its image is refused when asked for: only its link to the next one
      // is looked at.
      const uint8_t* prossimo = s.Vedi(off + dim_conto + voci * dim_voce, dim_valore);
      if (!prossimo) return Esito::Errore("TIFF: a directory is cut off");
      off = grande ? u64(prossimo) : u32(prossimo);
      continue;
    }
    const uint8_t* dir = s.Vedi(off, dim_conto + voci * dim_voce + dim_valore);
    if (!dir) return Esito::Errore("TIFF: a directory is cut off");
    for (uint64_t i = 0; i < voci; ++i) {
      const uint8_t* e = dir + dim_conto + i * dim_voce;
      const uint64_t tag = u16(e), tipo = u16(e + 2);
      const uint64_t conto = grande ? u64(e + 4) : u32(e + 4);
      const bool usato = (tag >= 256 && tag <= 259) || tag == 262 || tag == 266 || (tag >= 273 && tag <= 279) ||
                         (tag >= 282 && tag <= 284) || tag == 292 || tag == 293 || tag == 296 || tag == 317 ||
                         tag == 320 || (tag >= 322 && tag <= 325) || tag == 338 || tag == 339 || tag == 347 ||
                         tag == 530 || tag == 532;
      if (!usato || tipo >= 19 || kDim_Tipo[tipo] == 0) continue;
      if (conto > UINT64_MAX / 8) return Esito::Errore("TIFF: tag " + std::to_string(tag) + " is damaged");
      const uint64_t dim = conto * kDim_Tipo[tipo];
      if (dim <= dim_valore) continue;
      const uint64_t dove = grande ? u64(e + 12) : u32(e + 8);
      if (dove > n || n - dove < dim)
        return Esito::Errore("TIFF: the data of tag " + std::to_string(tag) + " lies past the end of the file");
    }
    const uint8_t* prossimo = dir + dim_conto + voci * dim_voce;
    off = grande ? u64(prossimo) : u32(prossimo);
  }
  if (visti.empty()) return Esito::Errore("TIFF: no image directory");
  return Esito::Bene();
}

// How much of an image's tag data is made ready besides its strip arrays: a
// colour map or a transfer function (3 x 2^16 16-bit values at most) whole;
// any other tag (the few the image is made of, texts, a writer's own tags)
// when it holds no more than 64 KiB, while 1 MiB for all of them lasts,
// counted as libtiff's copy of the data and the pages of the block it fills.
// libtiff reads every tag of a directory, whatever it holds, into memory of
// its own: a tag not made ready is shown to it (in the block, not in the
// file) with a count it refuses as too large, so it reads nothing of it.
// None of those tags makes any part of an image the loaders give.
constexpr uint64_t kDati_Mappa = uint64_t{6} << 16;
constexpr uint64_t kDati_Tag = uint64_t{64} << 10, kDati_Tag_Tutti = uint64_t{1} << 20;

// The value of an entry of one integer, as libtiff reads ImageWidth,
// RowsPerStrip and the like; -1 when it holds none.
int64_t Valore_Intero(Sorgente& s, const Catena& c, const uint8_t* e) {
  const uint64_t tipo = Leggi_U16(c.le, e + 2);
  const uint64_t conto = c.grande ? Leggi_U64(c.le, e + 4) : Leggi_U32(c.le, e + 4);
  if (conto != 1) return -1;
  const uint8_t* v = e + (c.grande ? 12 : 8);
  if (!c.grande && (tipo == 16 || tipo == 17 || tipo == 18)) {
    // An 8-byte value lies outside a classic entry.
    v = s.Vedi(Leggi_U32(c.le, v), 8);
    if (!v) return -1;
  }
  uint64_t u = 0;
  int bit = 0;
  switch (tipo) {
    case 1: case 6: u = v[0]; bit = 8; break;
    case 3: case 8: u = Leggi_U16(c.le, v); bit = 16; break;
    case 4: case 9: case 13: u = Leggi_U32(c.le, v); bit = 32; break;
    case 16: case 17: case 18: u = Leggi_U64(c.le, v); bit = 64; break;
    default: return -1;
  }
  const bool con_segno = tipo == 6 || tipo == 8 || tipo == 9 || tipo == 17;
  if ((con_segno || bit == 64) && (u >> (bit - 1)) != 0) return -1;
  return static_cast<int64_t>(u);
}

// What an image's directory says of its size, read from its entries before
// libtiff reads them and as libtiff will (from the first entry of a tag).
struct Forma {
  static constexpr int64_t kManca = -1, kIllegibile = -2;
  int64_t w = kManca, h = kManca, campioni = kManca, righe = kManca, piani = kManca;
  int64_t tile_w = kManca, tile_h = kManca, prof = kManca, prof_tile = kManca;
  bool tile = false;

  // Sets the field of the entry's tag, if it is one of them.
  void Imposta(Sorgente& s, const Catena& c, const uint8_t* e) {
    int64_t* campo = nullptr;
    int64_t massimo = UINT32_MAX;
    switch (Leggi_U16(c.le, e)) {
      case 256: campo = &w; break;
      case 257: campo = &h; break;
      case 277: campo = &campioni; massimo = UINT16_MAX; break;
      case 278: campo = &righe; break;
      case 284: campo = &piani; massimo = UINT16_MAX; break;
      case 322: campo = &tile_w; tile = true; break;
      case 323: campo = &tile_h; tile = true; break;
      case 32997: campo = &prof; break;
      case 32998: campo = &prof_tile; break;
      default: return;
    }
    const int64_t v = Valore_Intero(s, c, e);
    *campo = v < 0 || v > massimo ? kIllegibile : v;
  }

  // The strips or tiles libtiff counts for it (TIFFNumberOfStrips,
  // TIFFNumberOfTiles), or more, never fewer; 0 when libtiff refuses the
  // directory for its size.
  uint64_t Pezzi() const {
    auto su = [](uint64_t a, uint64_t b) { return a / b + (a % b != 0); };
    auto per = [](uint64_t a, uint64_t b) { return a != 0 && b > UINT64_MAX / a ? UINT64_MAX : a * b; };
    const int64_t k = campioni == kManca ? 1 : campioni;
    if (h < 0 || k < 1 || (piani != kManca && piani != 1 && piani != 2)) return 0;
    // Separate planes: one set per sample, of 3 when libtiff takes an
    // old-style JPEG image for colour.
    const uint64_t insiemi = piani == 2 ? static_cast<uint64_t>(std::max<int64_t>(k, 3)) : 1;
    uint64_t n;
    if (tile) {
      const int64_t p = prof == kManca ? 1 : prof, pt = prof_tile == kManca ? 1 : prof_tile;
      if (w < 0 || tile_w < 1 || tile_h < 1 || p < 0 || pt < 1) return 0;
      n = per(per(su(static_cast<uint64_t>(w), static_cast<uint64_t>(tile_w)),
                  su(static_cast<uint64_t>(h), static_cast<uint64_t>(tile_h))),
              su(static_cast<uint64_t>(p), static_cast<uint64_t>(pt)));
    } else {
      if (righe == kIllegibile || righe == 0) return 0;
      n = su(static_cast<uint64_t>(h), righe == kManca ? UINT32_MAX : static_cast<uint64_t>(righe));
    }
    n = per(n, insiemi);
    return n > UINT32_MAX ? 0 : n;
  }
};

bool Tag_Pezzi(uint64_t tag) { return tag == 273 || tag == 279 || tag == 324 || tag == 325; }

// The entries of a directory (checked by Verifica_Catena) made ready in the
// block until Rilascia, as libtiff takes them: the first entry of each tag,
// the others passed over.
class Voci {
 public:
  // False on a read error. A directory of more entries than libtiff reads
  // (it refuses the image, reading none of them) has none here.
  bool Leggi(Sorgente& s, const Catena& c, uint64_t off) {
    c_ = &c;
    dim_conto_ = c.grande ? 8 : 2;
    dim_voce_ = c.grande ? 20 : 12;
    const uint8_t* p = Blocco(s, off, dim_conto_);
    if (!p) return false;
    const uint64_t voci = c.grande ? Leggi_U64(c.le, p) : Leggi_U16(c.le, p);
    if (voci > kVoci_Massime) return true;
    dir_ = Blocco(s, off, dim_conto_ + voci * dim_voce_ + Dim_Valore());
    if (!dir_) return false;
    // Pointers into the source's block stay valid: the block does not move.
    std::vector<bool> visto(65536);
    for (uint64_t i = 0; i < voci; ++i) {
      const uint64_t tag = Tag(Voce(i));
      if (visto[tag]) continue;
      visto[tag] = true;
      primi_.push_back(Voce(i));
    }
    off_ = off;
    return true;
  }

  // The first entries of its tags, in the directory's order.
  const std::vector<const uint8_t*>& Prime() const { return primi_; }
  uint64_t Tag(const uint8_t* e) const { return Leggi_U16(c_->le, e); }
  uint64_t Tipo(const uint8_t* e) const { return Leggi_U16(c_->le, e + 2); }
  uint64_t Conto(const uint8_t* e) const { return c_->grande ? Leggi_U64(c_->le, e + 4) : Leggi_U32(c_->le, e + 4); }
  // Where the entry's data lies, and how long it is, when it lies outside
  // the entry, of a type libtiff reads, and inside a file of n bytes; else 0.
  uint64_t Dove(const uint8_t* e) const { return c_->grande ? Leggi_U64(c_->le, e + 12) : Leggi_U32(c_->le, e + 8); }
  uint64_t Dati(const uint8_t* e, uint64_t n) const {
    const uint64_t tipo = Tipo(e), conto = Conto(e);
    if (tipo >= 19 || kDim_Tipo[tipo] == 0 || conto > UINT64_MAX / 8) return 0;
    const uint64_t dim = conto * kDim_Tipo[tipo], dove = Dove(e);
    // Data past the end is refused by libtiff itself, as from a mapped file.
    if (dim <= Dim_Valore() || dove > n || n - dove < dim) return 0;
    return dim;
  }
  // Where in the file the entry lies, and the size of its count.
  uint64_t Posizione(const uint8_t* e) const { return off_ + static_cast<uint64_t>(e - dir_); }
  uint64_t Dim_Conto() const { return c_->grande ? 8 : 4; }
  uint64_t Dim_Valore() const { return c_->grande ? 8 : 4; }
  // The strips or tiles libtiff counts, as the entries tell (see Forma).
  Forma Leggi_Forma(Sorgente& s) const {
    Forma f;
    for (const uint8_t* e : primi_) f.Imposta(s, *c_, e);
    return f;
  }

 private:
  const uint8_t* Voce(uint64_t i) const { return dir_ + dim_conto_ + i * dim_voce_; }

  const Catena* c_ = nullptr;
  uint64_t dim_conto_ = 2, dim_voce_ = 12, off_ = 0;
  const uint8_t* dir_ = nullptr;
  std::vector<const uint8_t*> primi_;
};

// Makes ready the directory at `off` (checked by Verifica_Catena) and as
// much of the data of its tags as libtiff can need to read it for an image
// the memory limit lets through, until Rilascia. An image that cannot be
// had within the limit, as its directory tells, is found here, before
// libtiff reads anything of it: `rifiuto` tells it, and nothing more is
// made ready. `copie` is what libtiff's copy of the tags read takes (its
// strip arrays and the rest). False on a read error.
bool Prepara_Tag(Sorgente& s, const Catena& c, uint64_t off, Esito& rifiuto, uint64_t& copie) {
  rifiuto = Esito::Bene();
  copie = 0;
  const uint64_t n = s.Dimensione();
  Voci v;
  if (!v.Leggi(s, c, off)) return false;
  const Forma f = v.Leggi_Forma(s);
  if (f.w > Lato_Massimo || f.h > Lato_Massimo) {
    rifiuto = Esito::Errore("TIFF: bad image size");
    return true;
  }
  if (f.w >= 1 && f.h >= 1 && Byte_Necessari(f.w, f.h, 1) == 0) {
    rifiuto = Esito::Errore("TIFF: image too large");
    return true;
  }
  // Of each strip array libtiff reads one value a strip and holds it in 8
  // bytes; more values than strips it passes over.
  const uint64_t pezzi = f.Pezzi();
  auto di_pezzi = [&](const uint8_t* e) { return std::min(v.Conto(e), pezzi) * kDim_Tipo[v.Tipo(e)]; };
  uint64_t tabelle = pezzi * 16;
  for (const uint8_t* e : v.Prime())
    if (Tag_Pezzi(v.Tag(e)) && v.Dati(e, n)) tabelle += s.Costo(v.Dove(e), di_pezzi(e));
  if (tabelle > Limite_Memoria() || s.Tenuto() > Limite_Memoria() - tabelle) {
    rifiuto = Esito::Errore("TIFF: too many strips");
    return true;
  }
  copie = pezzi * 16;
  uint64_t altri = 0;
  for (const uint8_t* e : v.Prime()) {
    const uint64_t tag = v.Tag(e), dim = v.Dati(e, n);
    if (!dim) continue;
    const uint64_t dove = v.Dove(e);
    uint64_t quanto = 0;
    if (Tag_Pezzi(tag)) {
      quanto = di_pezzi(e);
    } else if (tag == 320 || tag == 301) {
      if (dim <= kDati_Mappa) quanto = dim;
    } else if (const uint64_t costo = dim + s.Costo(dove, dim); dim <= kDati_Tag && altri + costo <= kDati_Tag_Tutti) {
      quanto = dim;
      altri += costo;
    }
    if (quanto && !s.Prepara(dove, quanto)) return false;
    if (!Tag_Pezzi(tag)) copie += quanto;
    if (!quanto) {
      static constexpr uint8_t kTroppi[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
      (void)s.Riscrivi(v.Posizione(e) + 4, kTroppi, v.Dim_Conto());
    }
  }
  return true;
}

// The strip or tile data of an image copied as it is, this much at a time.
constexpr uint64_t kPezzo_Copia = uint64_t{1} << 20;

// Makes ready the directory at `off` (checked by Verifica_Catena) and the
// whole data of its tags until Rilascia, for copying its image as it is,
// when what the copy holds fits in the memory limit: the pages of the block
// and libtiff's copy of the tags while libtiff reads them, then that copy,
// the one made for the file written and a piece of the strips (the block
// is let go in between). `pagina` names the image in the refusal.
Esito Prepara_Copia(Sorgente& s, const Catena& c, uint64_t off, const std::string& pagina) {
  const uint64_t n = s.Dimensione(), limite = Limite_Memoria();
  Voci v;
  if (!v.Leggi(s, c, off)) return Esito::Errore("TIFF: cannot read image " + pagina);
  // libtiff holds 8 bytes for each strip of each strip array, whatever the
  // file stores.
  const uint64_t pezzi = v.Leggi_Forma(s).Pezzi();
  uint64_t copie = 0;
  for (const uint8_t* e : v.Prime())
    if (const uint64_t dim = v.Dati(e, n)) copie += Tag_Pezzi(v.Tag(e)) ? pezzi * 8 : dim;
  const Esito troppo = Esito::Errore("TIFF: the tags of image " + pagina + " take more memory than the limit of " +
                                     std::to_string(limite >> 20) + " MB");
  // While libtiff reads the directory, the block and its copy; while the
  // image is copied, its copy, the one made for the file written and a
  // piece of the strips.
  if (copie > limite / 2 || 2 * copie + kPezzo_Copia > limite || s.Tenuto() > limite - copie) return troppo;
  s.Limita(limite - copie);
  for (const uint8_t* e : v.Prime()) {
    const uint64_t dim = v.Dati(e, n);
    if (!dim) continue;
    const uint64_t quanto = Tag_Pezzi(v.Tag(e)) ? std::min(v.Conto(e), pezzi) * kDim_Tipo[v.Tipo(e)] : dim;
    if (!s.Prepara(v.Dove(e), quanto)) return s.Oltre() ? troppo : Esito::Errore("TIFF: cannot read image " + pagina);
  }
  return Esito::Bene();
}

// ---- What one image's load holds ---------------------------------------------

// The memory limit bounds the peak of one image's load, all of it together:
// the image; the raster libtiff converts it through, with the buffer of one
// decoded strip or tile it decodes into for that (freed before the image is
// made of the raster: the larger of the two counts); libtiff's copy of the
// directory's tags (its strip arrays and the rest); the pages of the block
// the strip data fills, and what the block keeps to know them; and the copy
// of a strip libtiff makes when it does not decode from the block. The
// directory and its tags' data are let go from the block once libtiff has
// read them, before the strip data is made ready. Not counted: a codec's
// state of a few rows.

uint16_t Compressione(TIFF* t) {
  uint16_t compr = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &compr);
  return compr;
}

// Whether libtiff decodes the strips of the directory it has read from a
// copy of its own rather than from the block: their bits stored in the other
// order, for a codec that leaves turning them to libtiff (the CCITT and JPEG
// codecs do without), and JBIG, which reads the file itself.
bool Copia_Libtiff(TIFF* t) {
  uint16_t ordine = FILLORDER_MSB2LSB;
  TIFFGetFieldDefaulted(t, TIFFTAG_FILLORDER, &ordine);
  switch (Compressione(t)) {
    case COMPRESSION_CCITTRLE: case COMPRESSION_CCITTRLEW: case COMPRESSION_CCITTFAX3: case COMPRESSION_CCITTFAX4:
    case COMPRESSION_JPEG: case COMPRESSION_OJPEG: return false;
    case COMPRESSION_JBIG: return true;
    default: return ordine != FILLORDER_MSB2LSB;
  }
}

// The JBIG decoder takes the size of what it decodes from the strip's own
// header, not from the directory, and ends the program when it cannot have
// that memory. A strip whose header claims more than the strip decodes to
// (libtiff refuses it once decoded, all the same) is refused before: its
// planes, width and height (20 bytes: layers, planes, a spare byte, width
// and height in 32 bits, most significant byte first). libtiff stores JBIG
// data with each byte's bits turned when the FillOrder is 1, and as it is
// when it is 2.
Esito Verifica_Jbig(TIFF* t, Sorgente& s, uint64_t dove, uint64_t conto, uint64_t decodificato) {
  uint8_t bih[20];
  if (conto < sizeof bih || s.Leggi(dove, bih, sizeof bih) != sizeof bih) return Esito::Errore(" is cut off");
  uint16_t ordine = FILLORDER_MSB2LSB;
  TIFFGetFieldDefaulted(t, TIFFTAG_FILLORDER, &ordine);
  if (ordine == FILLORDER_MSB2LSB) TIFFReverseBits(bih, sizeof bih);
  const uint64_t piani = std::max<uint64_t>(bih[2], 1), larghezza = Leggi_U32(false, bih + 4),
                 altezza = Leggi_U32(false, bih + 8);
  if ((larghezza + 7) / 8 * altezza > decodificato / piani) return Esito::Errore(" claims a larger image");
  return Esito::Bene();
}

// Makes ready the strips or tiles of the directory libtiff has read, each as
// far as libtiff reads it, once the load is known to fit in the limit with
// them: `tenuti` is what the load holds besides the strip data (the image
// and the rest, see above). libtiff takes of each:
//  - compressed, up to its own bound: a byte count over 1 MiB that is more
//    than 10 times the decoded size plus 4096 is read only that far
//    (TIFFFillStrip, TIFFFillTile). The coded size of a strip has no strict
//    bound from its decoded size (a G4 page of noise codes larger than it
//    decodes, a JPEG strip may carry a colour profile of its own), so the
//    bound is what libtiff would read: less would change what it decodes;
//  - uncompressed, only its decoded size from the block, though a copy
//    libtiff makes of it is as long as a compressed strip's;
//  - nothing of one that does not lie whole inside the file (it refuses
//    it), when it reads from the block.
// A copy of its own is of one strip at a time, in a buffer that grows to
// the largest (JBIG's decoder keeps one more strip, decoded).
Esito Prepara_Dati(Sorgente& s, TIFF* t, uint64_t tenuti) {
  const uint64_t limite = Limite_Memoria();
  if (tenuti > limite) return Esito::Errore("TIFF: image too large");
  const bool tile = TIFFIsTiled(t);
  const uint32_t pezzi = tile ? TIFFNumberOfTiles(t) : TIFFNumberOfStrips(t);
  uint64_t* dove = nullptr;
  uint64_t* conti = nullptr;
  if (!TIFFGetField(t, tile ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS, &dove) ||
      !TIFFGetField(t, tile ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &conti) || !dove || !conti)
    return Esito::Bene();  // libtiff tells what is missing when it decodes
  const uint16_t compr = Compressione(t);
  const bool da_file = compr == COMPRESSION_JBIG, copia = Copia_Libtiff(t);
  const tmsize_t dim_pezzo = tile ? TIFFTileSize(t) : TIFFStripSize(t);
  const uint64_t decodificato = dim_pezzo > 0 ? static_cast<uint64_t>(dim_pezzo) : 0;
  const uint64_t n = s.Dimensione();
  auto presi = [&](uint32_t k) -> uint64_t {
    const uint64_t q = conti[k];
    if (q > (uint64_t{1} << 20) && decodificato != 0 && (q - 4096) / 10 > decodificato) return decodificato * 10 + 4096;
    return q;
  };
  auto nel_file = [&](uint32_t k) { return conti[k] != 0 && dove[k] <= n && presi(k) <= n - dove[k]; };
  auto nel_blocco = [&](uint32_t k) -> uint64_t {
    if (da_file || !nel_file(k)) return 0;
    return compr == COMPRESSION_NONE ? std::min(presi(k), decodificato) : presi(k);
  };
  auto copiati = [&](uint32_t k) -> uint64_t {
    if (!copia || conti[k] == 0 || dove[k] >= n) return 0;
    if (da_file) return std::min(presi(k), n - dove[k]);
    return nel_file(k) ? (presi(k) + 1023) / 1024 * 1024 : 0;
  };
  // The block fills whole pages: a strip of one byte costs the page it lies
  // in, and each run of pages apart from the others what the block keeps to
  // know it. Counted before anything is read, from the strips in the
  // order they lie: exact for strips in the order of the file, and more
  // than they take when one lies before the one listed before it.
  const uint64_t pagina = std::max<uint64_t>(s.Pagina(), 1), per_tratto = s.Pagina() ? Sorgente_Blocco::kCosto_Tratto : 0;
  uint64_t totale = tenuti + s.Tenuto() + (da_file ? decodificato : 0), copia_massima = 0;
  if (totale > limite) return Esito::Errore("TIFF: image data too large");
  bool primo = true;
  uint64_t inizio = 0, fine = 0;  // the pages from the last strip's first page up to `fine` are counted
  for (uint32_t k = 0; k < pezzi; ++k) {
    copia_massima = std::max(copia_massima, copiati(k));
    if (const uint64_t q = nel_blocco(k)) {
      const uint64_t da = dove[k] / pagina, a = (dove[k] + q - 1) / pagina + 1;
      uint64_t nuove = a - da;
      if (primo || da < inizio) {
        totale += per_tratto;
        fine = a;
      } else {
        if (da > fine) totale += per_tratto;
        nuove = a > std::max(da, fine) ? a - std::max(da, fine) : 0;
        fine = std::max(fine, a);
      }
      primo = false;
      inizio = da;
      totale += nuove * pagina;
    }
    if (totale > limite || copia_massima > limite - totale) return Esito::Errore("TIFF: image data too large");
  }
  for (uint32_t k = 0; da_file && !tile && k < pezzi; ++k)
    if (Esito e = Verifica_Jbig(t, s, dove[k], conti[k], decodificato); !e)
      return Esito::Errore("TIFF: JBIG strip " + std::to_string(k) + e.motivo);
  // What the block may hold while it is filled, whatever the count above
  // missed.
  s.Limita(limite - (tenuti + (da_file ? decodificato : 0) + copia_massima));
  for (uint32_t k = 0; k < pezzi; ++k)
    if (const uint64_t q = nel_blocco(k); q && !s.Prepara(dove[k], q))
      return Esito::Errore(s.Oltre() ? "TIFF: image data too large" : "TIFF: read error");
  return Esito::Bene();
}

// ---- Reading ---------------------------------------------------------------

// Reads the image through libtiff's conversion to RGBA: the whole raster,
// and the image made of it.
Esito Leggi_Rgba(Tiff& tf, Sorgente& s, uint64_t copie, uint32_t w, uint32_t h, uint16_t bps, uint16_t spp,
                 uint16_t extra, Immagine& out) {
  TIFF* t = *tf;
  char msg[1024] = {};
  if (!TIFFRGBAImageOK(t, msg)) return tf.Errore(std::string("cannot decode: ") + msg);
  const bool bilivello = bps == 1 && spp == 1;
  const int bit = bilivello ? 1 : (extra > 0 ? 32 : 24);
  const uint64_t byte = uint64_t{w} * h * 4;
  const size_t immagine = Byte_Necessari(w, h, bit);
  if (byte > Limite_Memoria() || immagine == 0) return Esito::Errore("TIFF: image too large");
  uint16_t compr = COMPRESSION_NONE, foto = 0, planare = PLANARCONFIG_CONTIG;
  TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &compr);
  TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planare);
  TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &foto);
  // The conversion has libjpeg give RGB for a YCbCr JPEG image: its strips
  // decode to that size, as it is set here first.
  if (compr == COMPRESSION_JPEG && foto == PHOTOMETRIC_YCBCR && planare == PLANARCONFIG_CONTIG)
    TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  // It decodes one strip or tile at a time, of three or four planes when
  // they are stored apart.
  const tmsize_t pezzo = TIFFIsTiled(t) ? TIFFTileSize(t) : TIFFStripSize(t);
  const uint64_t piani = planare == PLANARCONFIG_SEPARATE && spp > 1 ? (extra > 0 ? 4 : 3) : 1;
  const uint64_t buffer = pezzo > 0 ? static_cast<uint64_t>(pezzo) * piani : 0;
  // The decode buffer is freed before the image is made of the raster: the
  // two are never held together.
  if (Esito e = Prepara_Dati(s, t, byte + std::max<uint64_t>(immagine, buffer) + copie); !e) return e;
  std::vector<uint32_t> raster;
  try {
    raster.resize(static_cast<size_t>(uint64_t{w} * h));
  } catch (const std::bad_alloc&) {
    return Esito::Errore("TIFF: image too large");
  }
  if (!TIFFReadRGBAImageOriented(t, w, h, raster.data(), ORIENTATION_TOPLEFT, 1))
    return tf.Errore("cannot decode the image");
  if (!Accesso_Interno::Alloca(out, static_cast<int>(w), static_cast<int>(h), bit))
    return Esito::Errore("TIFF: image too large");
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* o = out.Riga(static_cast<int>(y));
    const uint32_t* r = raster.data() + static_cast<size_t>(y) * w;
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t p = r[x];
      const Colore c{static_cast<uint8_t>(TIFFGetR(p)), static_cast<uint8_t>(TIFFGetG(p)),
                     static_cast<uint8_t>(TIFFGetB(p))};
      if (bit == 1) {
        Scrivi_Valore(o, x, 1, c.Luminanza() >= 128 ? 1u : 0u);
      } else if (bit == 24) {
        o[3 * x] = c.r; o[3 * x + 1] = c.g; o[3 * x + 2] = c.b;
      } else {
        o[4 * x] = c.r; o[4 * x + 1] = c.g; o[4 * x + 2] = c.b;
        o[4 * x + 3] = static_cast<uint8_t>(TIFFGetA(p));
      }
    }
  }
  return Esito::Bene();
}

// Reads the image of the directory libtiff has read, whose tags take `copie`
// in libtiff's memory: what its load holds is checked against the limit
// before any of its data is read.
Esito Leggi_Directory(Tiff& tf, Sorgente& s, uint64_t copie, Immagine& out) {
  TIFF* t = *tf;
  uint32_t w = 0, h = 0;
  uint16_t bps = 1, spp = 1, planare = PLANARCONFIG_CONTIG, compr = COMPRESSION_NONE, foto = 0;
  if (!TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h))
    return tf.Errore("no image size");
  if (w < 1 || h < 1 || w > static_cast<uint32_t>(Lato_Massimo) || h > static_cast<uint32_t>(Lato_Massimo))
    return Esito::Errore("TIFF: bad image size");
  TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bps);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planare);
  TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &compr);
  if (!TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &foto))
    foto = spp >= 3 ? PHOTOMETRIC_RGB : (bps == 1 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
  uint16_t extra = 0;
  uint16_t* tipi_extra = nullptr;
  TIFFGetField(t, TIFFTAG_EXTRASAMPLES, &extra, &tipi_extra);

  const bool diretto = !TIFFIsTiled(t) && (spp == 1 || planare == PLANARCONFIG_CONTIG) &&
                       compr != COMPRESSION_JPEG && compr != COMPRESSION_OJPEG;
  int bit = 0;
  if (diretto) {
    if (spp == 1 && (bps == 1 || bps == 4 || bps == 8) &&
        (foto == PHOTOMETRIC_MINISWHITE || foto == PHOTOMETRIC_MINISBLACK || foto == PHOTOMETRIC_PALETTE))
      bit = bps;
    else if (foto == PHOTOMETRIC_RGB && bps == 8 && spp == 3)
      bit = 24;
    else if (foto == PHOTOMETRIC_RGB && bps == 8 && spp == 4)
      bit = 32;
  }
  const int dpi_x = Dpi_Tiff(t, TIFFTAG_XRESOLUTION), dpi_y = Dpi_Tiff(t, TIFFTAG_YRESOLUTION);
  if (!bit) {
    Esito e = Leggi_Rgba(tf, s, copie, w, h, bps, spp, extra, out);
    if (e) out.Imposta_Dpi(dpi_x, dpi_y);
    return e;
  }

  std::vector<Colore> tavolozza;
  if (foto == PHOTOMETRIC_PALETTE) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(t, TIFFTAG_COLORMAP, &r, &g, &b)) return tf.Errore("palette image without colour map");
    const size_t voci = size_t{1} << bps;
    // Some writers store 8-bit values in the 16-bit map.
    bool otto = true;
    for (size_t i = 0; i < voci; ++i)
      if (r[i] > 255 || g[i] > 255 || b[i] > 255) otto = false;
    for (size_t i = 0; i < voci; ++i) {
      auto c = [&](uint16_t v) { return static_cast<uint8_t>(otto ? v : v >> 8); };
      tavolozza.push_back({c(r[i]), c(g[i]), c(b[i])});
    }
  }
  uint32_t rps = h;
  TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &rps);
  if (rps == 0 || rps > h) rps = h;
  const tmsize_t dim_riga = TIFFScanlineSize(t);
  const size_t byte_riga = (size_t{w} * static_cast<size_t>(bit) + 7) / 8;
  if (TIFFStripSize(t) <= 0 || dim_riga <= 0 || static_cast<size_t>(dim_riga) != byte_riga)
    return tf.Errore("bad strip layout");
  const size_t immagine = Byte_Necessari(w, h, bit);
  if (immagine == 0) return Esito::Errore("TIFF: image too large");
  if (Esito e = Prepara_Dati(s, t, immagine + copie); !e) return e;
  if (!Accesso_Interno::Alloca(out, static_cast<int>(w), static_cast<int>(h), bit, tavolozza))
    return Esito::Errore("TIFF: image too large");
  // Each strip is decoded into the image itself, its rows one after another
  // from the first row it makes, and then each row is moved to its place
  // (the image's rows are Passo() apart, no fewer bytes than a row has).
  const size_t passo = out.Passo();
  for (uint32_t riga = 0; riga < h; riga += rps) {
    const uint32_t strip = TIFFComputeStrip(t, riga, 0);
    const uint32_t righe = std::min(rps, h - riga);
    uint8_t* d = out.Riga(static_cast<int>(riga));
    const tmsize_t voluti = static_cast<tmsize_t>(righe) * dim_riga;
    if (TIFFReadEncodedStrip(t, strip, d, voluti) != voluti)
      return tf.Errore("cannot decode strip " + std::to_string(strip));
    if (passo != byte_riga)
      for (size_t k = righe - 1; k > 0; --k) {
        std::memmove(d + k * passo, d + k * byte_riga, byte_riga);
        std::memset(d + (k - 1) * passo + byte_riga, 0, passo - byte_riga);
      }
  }
  if (foto == PHOTOMETRIC_MINISWHITE) {
    if (bit == 1) {
      for (int y = 0; y < out.Altezza(); ++y) {
        uint8_t* r = out.Riga(y);
        for (size_t i = 0; i < byte_riga; ++i) r[i] = static_cast<uint8_t>(~r[i]);
      }
    } else {
      const uint32_t massimo = (1u << bit) - 1;
      for (int y = 0; y < out.Altezza(); ++y)
        for (int x = 0; x < out.Larghezza(); ++x)
          Scrivi_Valore(out.Riga(y), x, bit, massimo - Leggi_Valore(out.Riga(y), x, bit));
    }
  }
  Accesso_Interno::Normalizza_1bit(out);
  out.Imposta_Dpi(dpi_x, dpi_y);
  return Esito::Bene();
}

}  // namespace

// ---- Memory and the open file ------------------------------------------------

size_t Sorgente_Memoria::Leggi(uint64_t off, void* buf, size_t n) {
  if (off >= n_) return 0;
  const size_t k = static_cast<size_t>(std::min<uint64_t>(n, n_ - off));
  std::memcpy(buf, d_ + off, k);
  return k;
}

bool Sorgente_Memoria::Prepara(uint64_t off, uint64_t n) { return off <= n_ && n <= n_ - off; }

struct Lettore_Tiff::Stato {
  Sorgente* sorgente = nullptr;
  Catena catena;
  std::unique_ptr<Tiff> tf = std::make_unique<Tiff>();
  // libtiff reads a file it took as mapped through its read function once a
  // JBIG directory is read (the codec wants to write where it decodes), the
  // next directories too: they would see the file, not the block made
  // ready. Another directory is then read by a TIFF opened anew.
  bool jbig = false;
  tdir_t immagini = 0;
  bool letta = false;   // libtiff has read a directory:
  tdir_t corrente = 0;  // this one,
  uint64_t copie = 0;   // whose tags take this in libtiff's memory
};

// libtiff keeps the tags of the directory it has read until it reads
// another: past this much they are let go after the image is loaded, and
// read again when it is asked for again.
constexpr uint64_t kCopie_Tenute = uint64_t{16} << 20;

Lettore_Tiff::Lettore_Tiff() = default;
Lettore_Tiff::~Lettore_Tiff() = default;

Esito Lettore_Tiff::Apri(Sorgente& s, int* immagini) {
  stato_.reset();
  if (immagini) *immagini = 0;
  auto st = std::make_unique<Stato>();
  st->sorgente = &s;
  if (Esito e = Verifica_Catena(s, st->catena); !e) return e;
  // The first directory is read as an opening reads it, unless its image is
  // one the limit refuses: then nothing of it is read until it is asked for.
  Esito rifiuto;
  const uint64_t primo = st->catena.directory.front();
  const bool pronto = Prepara_Tag(s, st->catena, primo, rifiuto, st->copie);
  Esito e = Esito::Bene();
  if (!pronto) e = Esito::Errore("TIFF: read error");
  else if (!st->tf->Apri_Sorgente(s, true) || (rifiuto && !TIFFSetSubDirectory(**st->tf, primo)))
    e = st->tf->Errore("cannot open");
  st->letta = e && rifiuto;
  st->jbig = st->letta && Compressione(**st->tf) == COMPRESSION_JBIG;
  s.Rilascia();
  if (!e) return e;
  // The chain as checked, every directory inside the file: libtiff's own
  // count walks the same one.
  st->immagini = static_cast<tdir_t>(st->catena.directory.size());
  if (immagini) *immagini = static_cast<int>(st->immagini);
  stato_ = std::move(st);
  return Esito::Bene();
}

Esito Lettore_Tiff::Carica(int indice, Immagine& out) {
  if (!stato_) return Esito::Errore("TIFF: not open");
  Stato& st = *stato_;
  if (indice < 1 || static_cast<tdir_t>(indice) > st.immagini)
    return Esito::Errore("TIFF: no image " + std::to_string(indice));
  st.tf->Dimentica_Errori();
  const tdir_t dir = static_cast<tdir_t>(indice - 1);
  Esito e = Esito::Bene();
  if (!st.letta || dir != st.corrente) {
    st.letta = false;
    if (st.jbig) {
      st.tf = std::make_unique<Tiff>();
      st.jbig = false;
    }
    Esito rifiuto;
    if (!**st.tf && !st.tf->Apri_Sorgente(*st.sorgente, true))
      e = st.tf->Errore("cannot open");
    else if (dir >= st.catena.directory.size() ||
             !Prepara_Tag(*st.sorgente, st.catena, st.catena.directory[dir], rifiuto, st.copie))
      e = Esito::Errore("TIFF: cannot read image " + std::to_string(indice));
    else if (!rifiuto)
      e = rifiuto;
    else if (!TIFFSetSubDirectory(**st.tf, st.catena.directory[dir]))
      e = st.tf->Errore("cannot read image " + std::to_string(indice));
    st.letta = bool(e);
    st.corrente = dir;
    st.jbig = st.letta && Compressione(**st.tf) == COMPRESSION_JBIG;
    // libtiff has its own copy of what it read of the directory.
    st.sorgente->Rilascia();
  }
  if (e) e = Leggi_Directory(*st.tf, *st.sorgente, st.copie, out);
  // A copy libtiff made of a strip would stay until the next image's data
  // is read; a buffer of 1 KiB takes its place.
  if (e && Copia_Libtiff(**st.tf)) TIFFReadBufferSetup(**st.tf, nullptr, 1);
  st.sorgente->Rilascia();
  if (e && st.copie > kCopie_Tenute) {
    st.tf = std::make_unique<Tiff>();
    st.letta = st.jbig = false;
  }
  // After a failure libtiff's state is not trusted for the next image.
  if (!e) stato_.reset();
  return e;
}

namespace {

// Reads a TIFF file in memory as a file is read, through a block of its own
// (through the data itself when no block can be had).
template <class F>
auto Da_Memoria(const uint8_t* d, size_t n, F f) {
  Sorgente_Copia copia(d, n);
  if (copia.Pronta()) return f(static_cast<Sorgente&>(copia));
  Sorgente_Memoria memoria(d, n);
  return f(static_cast<Sorgente&>(memoria));
}

}  // namespace

int Conta_Tiff(const uint8_t* d, size_t n) {
  return Da_Memoria(d, n, [](Sorgente& s) {
    Lettore_Tiff l;
    int k = 0;
    return l.Apri(s, &k) ? k : 0;
  });
}

Esito Carica_Tiff(const uint8_t* d, size_t n, Immagine& out, int indice, int* immagini) {
  return Da_Memoria(d, n, [&](Sorgente& s) {
    Lettore_Tiff l;
    if (Esito e = l.Apri(s, immagini); !e) return e;
    return l.Carica(indice, out);
  });
}

// ---- Writing ---------------------------------------------------------------

namespace {

Esito Scrivi_Directory(Tiff& tf, const Immagine& im, const Opzioni& o, int compressione) {
  TIFF* t = *tf;
  uint16_t compr;
  switch (compressione) {
    case 0: compr = COMPRESSION_NONE; break;
    case 4: compr = COMPRESSION_CCITTFAX3; break;
    case 5: compr = COMPRESSION_CCITTFAX4; break;
    default: return Esito::Errore("TIFF: compression code " + std::to_string(compressione) + " not handled");
  }
  const bool ccitt = compr != COMPRESSION_NONE;
  const Immagine* sorgente = &im;
  Immagine copia;
  const bool bianco_nero = im.Bit() == 1 && im.Tavolozza_Grigia();
  if ((ccitt && !bianco_nero) || im.Bit() == 32) {
    copia = im;
    if (!(ccitt ? copia.Riduci_Colori(2, true) : copia.Converti_Bit(24))) return Esito::Errore("TIFF: image too large");
    sorgente = &copia;
  }
  const Immagine& s = *sorgente;
  const uint32_t w = static_cast<uint32_t>(s.Larghezza()), h = static_cast<uint32_t>(s.Altezza());
  const int bit = s.Bit();
  uint16_t foto;
  bool inverti = false;
  if (bit == 24) {
    foto = PHOTOMETRIC_RGB;
  } else if (bit == 1 && s.Tavolozza_Grigia()) {
    // CCITT pages are min-is-white as fax readers expect; uncompressed pages
    // keep the stored sense (0 = black).
    foto = ccitt ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK;
    inverti = ccitt;
  } else if (s.Tavolozza_Grigia()) {
    foto = PHOTOMETRIC_MINISBLACK;
  } else {
    foto = PHOTOMETRIC_PALETTE;
  }
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(bit == 24 ? 8 : bit));
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(bit == 24 ? 3 : 1));
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, compr);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, foto);
  TIFFSetField(t, TIFFTAG_FILLORDER, o.ordine_bit_2 ? FILLORDER_LSB2MSB : FILLORDER_MSB2LSB);
  if (compr == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, uint32_t{0});
  if (compr == COMPRESSION_CCITTFAX4) TIFFSetField(t, TIFFTAG_GROUP4OPTIONS, uint32_t{0});
  if (foto == PHOTOMETRIC_PALETTE) {
    const size_t voci = size_t{1} << bit;
    std::vector<uint16_t> r(voci), g(voci), b(voci);
    for (size_t i = 0; i < voci; ++i) {
      r[i] = static_cast<uint16_t>(s.Tavolozza()[i].r * 257);
      g[i] = static_cast<uint16_t>(s.Tavolozza()[i].g * 257);
      b[i] = static_cast<uint16_t>(s.Tavolozza()[i].b * 257);
    }
    TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }
  const uint32_t rps = o.righe_strip > 0 ? std::min<uint32_t>(static_cast<uint32_t>(o.righe_strip), h) : h;
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, rps);
  const int dpi_x = o.dpi_x >= 0 ? o.dpi_x : s.Dpi_X();
  const int dpi_y = o.dpi_y >= 0 ? o.dpi_y : s.Dpi_Y();
  if (dpi_x > 0 && dpi_y > 0) {
    TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(dpi_x));
    TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(dpi_y));
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
  // Row by row: libtiff encodes each row into the strip it belongs to, which
  // gives the file the same bytes as whole strips would, and only one row
  // is copied here (a strip of a whole page would be a page-sized buffer
  // for every page).
  const size_t byte_riga = bit == 24 ? size_t{w} * 3 : s.Byte_Riga();
  std::vector<uint8_t> riga(byte_riga);
  for (uint32_t y = 0; y < h; ++y) {
    std::memcpy(riga.data(), s.Riga(static_cast<int>(y)), byte_riga);
    if (inverti)
      for (uint8_t& b : riga) b = static_cast<uint8_t>(~b);
    if (TIFFWriteScanline(t, riga.data(), y, 0) < 0) return tf.Errore("cannot write strip " + std::to_string(y / rps));
  }
  if (!TIFFWriteDirectory(t)) return tf.Errore("cannot write the directory");
  return Esito::Bene();
}

// Tags whose values are offsets of further directories of the file read:
// in the file written they would point nowhere.
bool Tag_Di_Rimando(const TIFFField* f) {
  const uint32_t tag = TIFFFieldTag(f);
  const TIFFDataType tipo = TIFFFieldDataType(f);
  return tag == TIFFTAG_EXIFIFD || tag == TIFFTAG_GPSIFD || tag == TIFFTAG_INTEROPERABILITYIFD || tipo == TIFF_IFD ||
         tipo == TIFF_IFD8;
}

// Copies the tags libtiff keeps as it read them (texts, colour profiles,
// a writer's own tags, those it does not know) from the directory of `s` to
// `d`, each through the form libtiff gives and takes it in. A tag `d` does
// not know is made known to it as `s` knows it, its name kept in `nomi`
// while `d` is open.
Esito Copia_Tag_Propri(TIFF* s, TIFF* d, std::deque<std::string>& nomi) {
  const int n = TIFFGetTagListCount(s);
  for (int i = 0; i < n; ++i) {
    const uint32_t tag = TIFFGetTagListEntry(s, i);
    const TIFFField* f = TIFFFindField(s, tag, TIFF_ANY);
    if (!f || Tag_Di_Rimando(f)) continue;
    const TIFFDataType tipo = TIFFFieldDataType(f);
    if (!TIFFFindField(d, tag, TIFF_ANY)) {
      nomi.emplace_back(TIFFFieldName(f) ? TIFFFieldName(f) : "");
      TIFFFieldInfo info{tag, static_cast<short>(TIFFFieldReadCount(f)), static_cast<short>(TIFFFieldWriteCount(f)),
                         tipo, FIELD_CUSTOM, 1, static_cast<unsigned char>(TIFFFieldPassCount(f)), nomi.back().data()};
      if (TIFFMergeFieldInfo(d, &info, 1) != 0) return Esito::Errore("TIFF: tag " + std::to_string(tag) + " cannot be kept");
    }
    const TIFFField* g = TIFFFindField(d, tag, TIFF_ANY);
    const int letti = TIFFFieldReadCount(f);
    int fatto = 0;
    if (TIFFFieldPassCount(f)) {
      // A count and the values.
      void* dati = nullptr;
      uint32_t conto = 0;
      uint16_t conto16 = 0;
      const int ok = letti == TIFF_VARIABLE2 ? TIFFGetField(s, tag, &conto, &dati) : TIFFGetField(s, tag, &conto16, &dati);
      if (letti != TIFF_VARIABLE2) conto = conto16;
      if (ok && g && TIFFFieldPassCount(g))
        fatto = TIFFFieldWriteCount(g) == TIFF_VARIABLE2 ? TIFFSetField(d, tag, conto, dati)
                                                         : TIFFSetField(d, tag, static_cast<int>(conto), dati);
    } else if (tag == TIFFTAG_DOTRANGE) {
      uint16_t a = 0, b = 0;
      if (TIFFGetField(s, tag, &a, &b)) fatto = TIFFSetField(d, tag, a, b);
    } else if (tipo == TIFF_ASCII || letti == TIFF_VARIABLE || letti == TIFF_VARIABLE2 || letti == TIFF_SPP ||
               letti > 1) {
      // A text, or values of a count the tag itself has.
      void* dati = nullptr;
      if (TIFFGetField(s, tag, &dati) && dati) fatto = TIFFSetField(d, tag, dati);
    } else {
      // One value, given as its type and taken as the arguments of a call
      // without a prototype take it.
      auto copia = [&](auto v, auto come) {
        if (TIFFGetField(s, tag, &v)) fatto = TIFFSetField(d, tag, static_cast<decltype(come)>(v));
      };
      switch (tipo) {
        case TIFF_BYTE: case TIFF_UNDEFINED: copia(uint8_t{}, int{}); break;
        case TIFF_SBYTE: copia(int8_t{}, int{}); break;
        case TIFF_SHORT: copia(uint16_t{}, int{}); break;
        case TIFF_SSHORT: copia(int16_t{}, int{}); break;
        case TIFF_LONG: copia(uint32_t{}, uint32_t{}); break;
        case TIFF_SLONG: copia(int32_t{}, int32_t{}); break;
        case TIFF_LONG8: copia(uint64_t{}, uint64_t{}); break;
        case TIFF_SLONG8: copia(int64_t{}, int64_t{}); break;
        case TIFF_RATIONAL: case TIFF_SRATIONAL:
          if (TIFFFieldSetGetSize(f) == 8) copia(double{}, double{});
          else copia(float{}, double{});
          break;
        case TIFF_FLOAT: copia(float{}, double{}); break;
        case TIFF_DOUBLE: copia(double{}, double{}); break;
        default: break;
      }
    }
    if (!fatto) return Esito::Errore("TIFF: tag " + std::to_string(tag) + " cannot be kept");
  }
  return Esito::Bene();
}

// Copies the directory of `s` libtiff has read to `d` with every tag it
// carries (but those that point to further directories) and its strips or
// tiles as they are stored, read from `sorgente` a piece at a time.
Esito Copia_Directory(Tiff& ts, Tiff& td, Sorgente& sorgente, std::deque<std::string>& nomi) {
  TIFF* s = *ts;
  TIFF* d = *td;
  uint16_t compr = COMPRESSION_NONE, bps = 1, spp = 1;
  TIFFGetFieldDefaulted(s, TIFFTAG_COMPRESSION, &compr);
  TIFFGetFieldDefaulted(s, TIFFTAG_BITSPERSAMPLE, &bps);
  TIFFGetFieldDefaulted(s, TIFFTAG_SAMPLESPERPIXEL, &spp);
  if (compr == COMPRESSION_OJPEG) return Esito::Errore("TIFF: old-style JPEG page cannot be kept");
  if (!TIFFIsCODECConfigured(compr)) return Esito::Errore("TIFF: page compression not available");

  // The compression first: the codec's own tags exist only once it is set.
  TIFFSetField(d, TIFFTAG_COMPRESSION, compr);
  for (ttag_t tag : {TIFFTAG_IMAGEWIDTH, TIFFTAG_IMAGELENGTH, TIFFTAG_ROWSPERSTRIP, TIFFTAG_TILEWIDTH,
                     TIFFTAG_TILELENGTH, TIFFTAG_SUBFILETYPE, TIFFTAG_GROUP3OPTIONS, TIFFTAG_GROUP4OPTIONS,
                     TIFFTAG_IMAGEDEPTH, TIFFTAG_TILEDEPTH, TIFFTAG_BADFAXLINES, TIFFTAG_CONSECUTIVEBADFAXLINES}) {
    uint32_t v;
    if (TIFFGetField(s, tag, &v)) TIFFSetField(d, tag, v);
  }
  for (ttag_t tag : {TIFFTAG_BITSPERSAMPLE, TIFFTAG_SAMPLESPERPIXEL, TIFFTAG_PHOTOMETRIC,
                     TIFFTAG_FILLORDER, TIFFTAG_PLANARCONFIG, TIFFTAG_ORIENTATION, TIFFTAG_RESOLUTIONUNIT,
                     TIFFTAG_PREDICTOR, TIFFTAG_SAMPLEFORMAT, TIFFTAG_THRESHHOLDING, TIFFTAG_CLEANFAXDATA,
                     TIFFTAG_YCBCRPOSITIONING, TIFFTAG_MINSAMPLEVALUE, TIFFTAG_MAXSAMPLEVALUE}) {
    uint16_t v;
    if (TIFFGetField(s, tag, &v)) TIFFSetField(d, tag, v);
  }
  for (ttag_t tag : {TIFFTAG_XRESOLUTION, TIFFTAG_YRESOLUTION, TIFFTAG_XPOSITION, TIFFTAG_YPOSITION}) {
    float v;
    if (TIFFGetField(s, tag, &v)) TIFFSetField(d, tag, v);
  }
  for (ttag_t tag : {TIFFTAG_SMINSAMPLEVALUE, TIFFTAG_SMAXSAMPLEVALUE}) {
    double v;
    if (TIFFGetField(s, tag, &v)) TIFFSetField(d, tag, v);
  }
  for (ttag_t tag : {TIFFTAG_PAGENUMBER, TIFFTAG_YCBCRSUBSAMPLING, TIFFTAG_HALFTONEHINTS}) {
    uint16_t a, b;
    if (TIFFGetField(s, tag, &a, &b)) TIFFSetField(d, tag, a, b);
  }
  {
    float* v = nullptr;
    if (TIFFGetField(s, TIFFTAG_REFERENCEBLACKWHITE, &v) && v) TIFFSetField(d, TIFFTAG_REFERENCEBLACKWHITE, v);
  }
  {
    uint16_t *r, *g, *b;
    if (TIFFGetField(s, TIFFTAG_COLORMAP, &r, &g, &b)) TIFFSetField(d, TIFFTAG_COLORMAP, r, g, b);
    uint16_t n = 0;
    uint16_t* tipi = nullptr;
    if (TIFFGetField(s, TIFFTAG_EXTRASAMPLES, &n, &tipi) && n) TIFFSetField(d, TIFFTAG_EXTRASAMPLES, n, tipi);
    // One table, or three for colour, as many as libtiff gives.
    uint16_t* f[3] = {};
    if (TIFFGetField(s, TIFFTAG_TRANSFERFUNCTION, &f[0], &f[1], &f[2]) && f[0])
      TIFFSetField(d, TIFFTAG_TRANSFERFUNCTION, f[0], f[1], f[2]);
    uint32_t lung = 0;
    void* tab = nullptr;
    if (compr == COMPRESSION_JPEG && TIFFGetField(s, TIFFTAG_JPEGTABLES, &lung, &tab) && lung)
      TIFFSetField(d, TIFFTAG_JPEGTABLES, lung, tab);
  }
  {
    // The ink names as libtiff checked them: as many texts as it counted.
    uint16_t inchiostri = 0;
    char* nomi_inchiostri = nullptr;
    if (TIFFGetField(s, TIFFTAG_INKNAMES, &nomi_inchiostri) && nomi_inchiostri &&
        TIFFGetField(s, TIFFTAG_NUMBEROFINKS, &inchiostri)) {
      size_t lung = 0;
      for (uint16_t k = 0; k < inchiostri; ++k) lung += std::strlen(nomi_inchiostri + lung) + 1;
      TIFFSetField(d, TIFFTAG_INKNAMES, static_cast<int>(lung), nomi_inchiostri);
    } else if (TIFFGetField(s, TIFFTAG_NUMBEROFINKS, &inchiostri)) {
      TIFFSetField(d, TIFFTAG_NUMBEROFINKS, inchiostri);
    }
  }
  if (Esito e = Copia_Tag_Propri(s, d, nomi); !e) return e;

  const bool tile = TIFFIsTiled(s);
  const uint32_t pezzi = tile ? TIFFNumberOfTiles(s) : TIFFNumberOfStrips(s);
  uint64_t* dove = nullptr;
  uint64_t* conti = nullptr;
  if (!TIFFGetField(s, tile ? TIFFTAG_TILEOFFSETS : TIFFTAG_STRIPOFFSETS, &dove) ||
      !TIFFGetField(s, tile ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &conti) || !dove || !conti)
    return ts.Errore("page without data sizes");
  const uint64_t n = sorgente.Dimensione();
  std::vector<uint8_t> buf;
  for (uint32_t k = 0; k < pezzi; ++k) {
    if (conti[k] == 0) continue;
    if (conti[k] > Limite_Memoria()) return Esito::Errore("TIFF: page data too large");
    if (dove[k] > n || conti[k] > n - dove[k]) return ts.Errore("cannot read page data");
    // libtiff adds each piece written to the strip after the one before.
    for (uint64_t fatti = 0; fatti < conti[k];) {
      const size_t q = static_cast<size_t>(std::min(conti[k] - fatti, kPezzo_Copia));
      buf.resize(q);
      if (sorgente.Leggi(dove[k] + fatti, buf.data(), q) != q) return ts.Errore("cannot read page data");
      const tmsize_t scritti = tile ? TIFFWriteRawTile(d, k, buf.data(), static_cast<tmsize_t>(q))
                                    : TIFFWriteRawStrip(d, k, buf.data(), static_cast<tmsize_t>(q));
      if (scritti != static_cast<tmsize_t>(q)) return td.Errore("cannot write page data");
      fatti += q;
    }
  }
  if (!TIFFWriteDirectory(d)) return td.Errore("cannot write the directory");
  return Esito::Bene();
}

}  // namespace

Esito Salva_Tiff(const Immagine& im, const std::string& percorso, const Opzioni& o, int compressione, bool accoda) {
  Tiff tf;
  if (!tf.Apri_File(percorso, accoda ? "a" : "wl")) return tf.Errore("cannot open for writing");
  Esito e = Scrivi_Directory(tf, im, o, compressione);
  if (!tf.Chiudi() && e) e = tf.Errore("cannot finish the file");
  return e;
}

Esito Sostituisci_Tiff(const Immagine& im, Sorgente& sorgente, const std::string& percorso, int indice,
                       const Opzioni& o, int compressione) {
  Catena c;
  if (Esito e = Verifica_Catena(sorgente, c); !e) return e;
  Tiff ts;
  if (!ts.Apri_Sorgente(sorgente, true)) return ts.Errore("cannot open");
  // The names of the tags made known to the file written live longer than it.
  std::deque<std::string> nomi;
  Tiff td;
  if (!td.Apri_File(percorso, c.le ? "wl" : "wb")) return td.Errore("cannot open for writing");
  for (size_t i = 0; i < c.directory.size(); ++i) {
    const std::string pagina = std::to_string(i + 1);
    Esito e;
    if (static_cast<int>(i) == indice - 1) {
      e = Scrivi_Directory(td, im, o, compressione);
    } else if (e = Prepara_Copia(sorgente, c, c.directory[i], pagina); e) {
      if (!TIFFSetSubDirectory(*ts, c.directory[i])) e = ts.Errore("cannot read image " + pagina);
      // libtiff has its own copy of what it read of the directory.
      sorgente.Rilascia();
      if (e) e = Copia_Directory(ts, td, sorgente, nomi);
    }
    sorgente.Rilascia();
    if (!e) return e;
  }
  if (!td.Chiudi()) return td.Errore("cannot finish the file");
  return Esito::Bene();
}

}  // namespace qod::img
