// PNG and TIFF page images read from their files, their data checked and
// passed through where it can be (see qod/pdf/immagini.h).
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#include "qod/basic.h"
#include "oggetto_immagine.h"
#include "qod/pdf/immagini.h"

namespace qod::pdf {
namespace {

// Largest width or height of a page image.
constexpr uint32_t kMassimoLato = 65535;
constexpr size_t kBlocco = 1 << 18;

// Copies `lunghezza` bytes of `f` from `da` into the stream through
// `blocco`, each byte through `mappa` when there is one.
void Copia(File_Ingresso& f, uint64_t da, uint64_t lunghezza, std::vector<uint8_t>& blocco, Documento_Pdf& d,
           const std::array<uint8_t, 256>* mappa = nullptr) {
  for (uint64_t fatto = 0; fatto < lunghezza;) {
    const size_t k = static_cast<size_t>(std::min<uint64_t>(blocco.size(), lunghezza - fatto));
    f.Leggi(da + fatto, blocco.data(), k);
    if (mappa)
      for (size_t j = 0; j < k; ++j) blocco[j] = (*mappa)[blocco[j]];
    d.Byte(blocco.data(), k);
    fatto += k;
  }
}

uint32_t Be32(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

const std::array<uint8_t, 256>& Bit_Invertiti() {
  static const std::array<uint8_t, 256> t = [] {
    std::array<uint8_t, 256> r{};
    for (int i = 0; i < 256; ++i) {
      uint8_t v = 0;
      for (int b = 0; b < 8; ++b)
        if (i & (1 << b)) v |= static_cast<uint8_t>(0x80 >> b);
      r[i] = v;
    }
    return r;
  }();
  return t;
}

struct Tratto {
  uint64_t posizione, lunghezza;
};

// ---- PNG -----------------------------------------------------------------

struct Png {
  uint32_t larghezza = 0, altezza = 0;
  uint8_t profondita = 0, tipo = 0, interlacciato = 0;
  std::vector<Tratto> idat;
  uint64_t totale = 0;
  std::string plte, trns;
};

bool Crc_Chunk(File_Ingresso& f, uint64_t p, uint32_t lunghezza, std::vector<uint8_t>& blocco) {
  // CRC of type and data, stored behind the data.
  uLong crc = crc32(0L, Z_NULL, 0);
  uint64_t pos = p + 4, fine = p + 8 + lunghezza;
  while (pos < fine) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(blocco.size(), fine - pos));
    f.Leggi(pos, blocco.data(), n);
    crc = crc32(crc, blocco.data(), static_cast<uInt>(n));
    pos += n;
  }
  uint8_t atteso[4];
  f.Leggi(fine, atteso, 4);
  return Be32(atteso) == static_cast<uint32_t>(crc);
}

std::optional<Png> Analizza_Png(File_Ingresso& f, std::string& motivo) {
  static const uint8_t kFirma[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  uint8_t firma[8];
  if (!f.Contiene(0, 8)) return motivo = "PNG: file too short", std::nullopt;
  f.Leggi(0, firma, 8);
  if (std::memcmp(firma, kFirma, 8) != 0) return motivo = "PNG: bad signature", std::nullopt;
  Png png;
  std::vector<uint8_t> blocco(kBlocco);
  uint64_t p = 8;
  bool ihdr = false, iend = false;
  while (!iend) {
    uint8_t testa[8];
    if (!f.Contiene(p, 8)) return motivo = "PNG: truncated (no IEND)", std::nullopt;
    f.Leggi(p, testa, 8);
    const uint32_t lunghezza = Be32(testa);
    const std::string tipo(reinterpret_cast<char*>(testa + 4), 4);
    if (lunghezza > 0x7FFFFFFFu || !f.Contiene(p + 8, uint64_t(lunghezza) + 4))
      return motivo = "PNG: chunk " + tipo + " runs past the end of the file", std::nullopt;
    if (!ihdr && tipo != "IHDR") return motivo = "PNG: IHDR is not the first chunk", std::nullopt;
    const bool usato = tipo == "IHDR" || tipo == "PLTE" || tipo == "IDAT" || tipo == "tRNS";
    if (usato && !Crc_Chunk(f, p, lunghezza, blocco)) return motivo = "PNG: bad CRC in " + tipo, std::nullopt;
    if (tipo == "IHDR") {
      if (ihdr || lunghezza != 13) return motivo = "PNG: bad IHDR", std::nullopt;
      uint8_t d[13];
      f.Leggi(p + 8, d, 13);
      png.larghezza = Be32(d);
      png.altezza = Be32(d + 4);
      png.profondita = d[8];
      png.tipo = d[9];
      png.interlacciato = d[12];
      const int b = png.profondita;
      bool valido = (png.tipo == 0 && (b == 1 || b == 2 || b == 4 || b == 8 || b == 16)) ||
                    (png.tipo == 3 && (b == 1 || b == 2 || b == 4 || b == 8)) ||
                    ((png.tipo == 2 || png.tipo == 4 || png.tipo == 6) && (b == 8 || b == 16));
      if (!valido || d[10] != 0 || d[11] != 0 || png.interlacciato > 1)
        return motivo = "PNG: bad IHDR values", std::nullopt;
      if (png.larghezza == 0 || png.altezza == 0 || png.larghezza > kMassimoLato || png.altezza > kMassimoLato)
        return motivo = "PNG: image size out of range", std::nullopt;
      ihdr = true;
    } else if (tipo == "PLTE") {
      if (lunghezza == 0 || lunghezza % 3 != 0 || lunghezza > 768) return motivo = "PNG: bad PLTE", std::nullopt;
      png.plte.resize(lunghezza);
      f.Leggi(p + 8, png.plte.data(), lunghezza);
    } else if (tipo == "tRNS") {
      if (lunghezza > 256) return motivo = "PNG: bad tRNS", std::nullopt;
      png.trns.resize(lunghezza);
      f.Leggi(p + 8, png.trns.data(), lunghezza);
    } else if (tipo == "IDAT") {
      if (lunghezza > 0) png.idat.push_back({p + 8, lunghezza});
      png.totale += lunghezza;
    } else if (tipo == "IEND") {
      iend = true;
    } else if (!(tipo[0] & 0x20)) {
      return motivo = "PNG: unknown critical chunk " + tipo, std::nullopt;
    }
    p += 12 + uint64_t(lunghezza);
  }
  if (png.idat.empty()) return motivo = "PNG: no image data", std::nullopt;
  if (png.tipo == 3 && png.plte.empty()) return motivo = "PNG: palette image without PLTE", std::nullopt;
  return png;
}

// Inflates the image data of a non-interlaced PNG and checks that it holds
// exactly its rows, each behind a valid filter byte: the data then decodes
// to the image under the PDF filter that names it.
bool Dati_Png_Integri(File_Ingresso& f, const Png& png, int canali, std::string& motivo) {
  const uint64_t riga = 1 + (uint64_t(png.larghezza) * canali * png.profondita + 7) / 8;
  const uint64_t attesi = riga * png.altezza;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return motivo = "PNG: zlib", false;
  std::vector<uint8_t> in(kBlocco), out(kBlocco);
  uint64_t prodotti = 0;
  int esito = Z_OK;
  bool ok = true;
  for (size_t i = 0; i < png.idat.size() && ok && esito != Z_STREAM_END; ++i) {
    for (uint64_t fatto = 0; fatto < png.idat[i].lunghezza && ok && esito != Z_STREAM_END;) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(in.size(), png.idat[i].lunghezza - fatto));
      f.Leggi(png.idat[i].posizione + fatto, in.data(), n);
      fatto += n;
      z.next_in = in.data();
      z.avail_in = static_cast<uInt>(n);
      while (z.avail_in > 0 && esito != Z_STREAM_END) {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        esito = inflate(&z, Z_NO_FLUSH);
        if (esito != Z_OK && esito != Z_STREAM_END) {
          ok = false;
          break;
        }
        const uint64_t nuovi = out.size() - z.avail_out;
        for (uint64_t k = 0; k < nuovi; ++k) {
          const uint64_t pos = prodotti + k;
          if (pos >= attesi || (pos % riga == 0 && out[k] > 4)) {
            ok = false;
            break;
          }
        }
        prodotti += nuovi;
        if (esito == Z_OK && nuovi == 0 && z.avail_in > 0) ok = false;
      }
    }
  }
  inflateEnd(&z);
  if (!ok || esito != Z_STREAM_END || prodotti != attesi) return motivo = "PNG: image data damaged or incomplete", false;
  return true;
}

std::string Esadecimale(std::string_view dati) {
  static const char* k = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : dati) {
    r += k[c >> 4];
    r += k[c & 15];
  }
  return r;
}

// ---- TIFF ----------------------------------------------------------------

struct Tiff {
  uint32_t larghezza = 0, altezza = 0;
  std::vector<uint64_t> bit;  // BitsPerSample, one per sample
  uint64_t compressione = 1, fotometria = 0, riempimento = 1, campioni = 1, righe_strip = 0xFFFFFFFFu;
  uint64_t planare = 1, t4 = 0, t6 = 0, predittore = 1;
  uint64_t unita_risoluzione = 2;  // inch
  std::optional<double> risoluzione_x, risoluzione_y;
  bool risoluzione_chiara = true;  // every resolution tag in a form read here
  bool ha_fotometria = false, piastrelle = false;
  std::vector<uint64_t> offset, conteggi;
};

class Lettore_Tiff {
 public:
  Lettore_Tiff(File_Ingresso& f, bool be) : f_(f), be_(be) {}
  uint64_t U16(const uint8_t* p) const { return be_ ? (p[0] << 8 | p[1]) : (p[0] | p[1] << 8); }
  uint64_t U32(const uint8_t* p) const {
    return be_ ? Be32(p) : (p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint64_t>(p[3]) << 24);
  }
  // The values of one entry of type BYTE, SHORT or LONG; false for other
  // types or data outside the file.
  bool Valori(const uint8_t* voce, std::vector<uint64_t>& out) {
    const uint64_t tipo = U16(voce + 2), conteggio = U32(voce + 4);
    const int dim = tipo == 1 ? 1 : tipo == 3 ? 2 : tipo == 4 ? 4 : 0;
    // No tag the writer reads has more values than a page has strips.
    if (dim == 0 || conteggio == 0 || conteggio > (uint64_t(1) << 18)) return false;
    const uint64_t byte = conteggio * dim;
    if (byte > f_.Dimensione() + 4) return false;
    std::vector<uint8_t> dati(byte);
    if (byte <= 4) {
      std::memcpy(dati.data(), voce + 8, byte);
    } else {
      const uint64_t pos = U32(voce + 8);
      if (!f_.Contiene(pos, byte)) return false;
      f_.Leggi(pos, dati.data(), byte);
    }
    out.resize(conteggio);
    for (uint64_t i = 0; i < conteggio; ++i)
      out[i] = dim == 1 ? dati[i] : dim == 2 ? U16(&dati[2 * i]) : U32(&dati[4 * i]);
    return true;
  }
  // The value of a RATIONAL entry of one value, as libtiff reads it (0 when
  // either half is 0); false for anything else.
  bool Razionale(const uint8_t* voce, double& v) {
    if (U16(voce + 2) != 5 || U32(voce + 4) != 1) return false;
    const uint64_t pos = U32(voce + 8);
    uint8_t d[8];
    if (!f_.Contiene(pos, 8)) return false;
    f_.Leggi(pos, d, 8);
    const uint64_t num = U32(d), den = U32(d + 4);
    v = num == 0 || den == 0 ? 0.0 : static_cast<double>(num) / static_cast<double>(den);
    return true;
  }

 private:
  File_Ingresso& f_;
  bool be_;
};

// Reads the first directory. nullopt when the file is not a TIFF the
// writer can read at all (the raster layer may still decode it).
std::optional<Tiff> Analizza_Tiff(File_Ingresso& f, std::string& motivo) {
  uint8_t h[8];
  if (!f.Contiene(0, 8)) return motivo = "TIFF: file too short", std::nullopt;
  f.Leggi(0, h, 8);
  bool be;
  if (h[0] == 'I' && h[1] == 'I')
    be = false;
  else if (h[0] == 'M' && h[1] == 'M')
    be = true;
  else
    return motivo = "TIFF: bad byte-order mark", std::nullopt;
  Lettore_Tiff l(f, be);
  if (l.U16(h + 2) != 42) return motivo = "TIFF: not a classic TIFF", std::nullopt;
  const uint64_t ifd = l.U32(h + 4);
  uint8_t c[2];
  if (!f.Contiene(ifd, 2)) return motivo = "TIFF: directory past the end of the file", std::nullopt;
  f.Leggi(ifd, c, 2);
  const uint64_t voci = l.U16(c);
  if (voci == 0 || !f.Contiene(ifd + 2, voci * 12)) return motivo = "TIFF: bad directory", std::nullopt;
  std::vector<uint8_t> tabella(voci * 12);
  f.Leggi(ifd + 2, tabella.data(), tabella.size());

  Tiff t;
  bool ha_larghezza = false, ha_altezza = false;
  for (uint64_t i = 0; i < voci; ++i) {
    const uint8_t* v = &tabella[12 * i];
    const uint64_t tag = l.U16(v);
    std::vector<uint64_t> val;
    auto uno = [&](uint64_t& dest) {
      if (!l.Valori(v, val)) return false;
      dest = val[0];
      return true;
    };
    // A width or height: found, and at most 32 bits.
    auto lato = [&](uint32_t& dest, bool& trovato) {
      uint64_t x = 0;
      const bool letto = uno(x);
      dest = static_cast<uint32_t>(std::min<uint64_t>(x, 0xFFFFFFFFu));
      trovato = true;
      return letto;
    };
    bool ok = true;
    switch (tag) {
      case 256: ok = lato(t.larghezza, ha_larghezza); break;
      case 257: ok = lato(t.altezza, ha_altezza); break;
      case 258: ok = l.Valori(v, t.bit); break;
      case 259: ok = uno(t.compressione); break;
      case 262: ok = uno(t.fotometria); t.ha_fotometria = true; break;
      case 266: ok = uno(t.riempimento); break;
      case 273: ok = l.Valori(v, t.offset); break;
      case 277: ok = uno(t.campioni); break;
      case 278: ok = uno(t.righe_strip); break;
      case 279: ok = l.Valori(v, t.conteggi); break;
      case 284: ok = uno(t.planare); break;
      case 292: ok = uno(t.t4); break;
      case 293: ok = uno(t.t6); break;
      case 317: ok = uno(t.predittore); break;
      // The resolution is only described, never needed to write the image:
      // a form the description does not read leaves it unknown.
      case 282: case 283: {
        double r = 0;
        if (l.Razionale(v, r))
          (tag == 282 ? t.risoluzione_x : t.risoluzione_y) = r;
        else
          t.risoluzione_chiara = false;
        break;
      }
      case 296: {
        std::vector<uint64_t> u;
        if (l.Valori(v, u) && u.size() == 1 && u[0] >= 1 && u[0] <= 3)
          t.unita_risoluzione = u[0];
        else
          t.risoluzione_chiara = false;
        break;
      }
      case 322: case 323: case 324: case 325: t.piastrelle = true; break;
      default: break;
    }
    if (!ok) return motivo = "TIFF: bad value of tag " + std::to_string(tag), std::nullopt;
  }
  if (!ha_larghezza || !ha_altezza || t.larghezza == 0 || t.altezza == 0 || t.larghezza > kMassimoLato ||
      t.altezza > kMassimoLato)
    return motivo = "TIFF: image size missing or out of range", std::nullopt;
  if (t.bit.empty()) t.bit.assign(t.campioni ? t.campioni : 1, 1);  // BitsPerSample defaults to 1
  if (t.righe_strip == 0) t.righe_strip = 0xFFFFFFFFu;
  return t;
}

// How the data of a TIFF's first image goes into a PDF.
enum class Modo_Tiff { Ricodifica, Nessuna, Ccitt, Lzw };

struct Piano_Tiff {
  Modo_Tiff modo = Modo_Tiff::Ricodifica;
  int k = 0;  // CCITT K
  bool rgb = false;
  uint64_t bps = 1;
};

// Nothing when a strip lies outside the file (the file is unusable: no
// image); else the way its data goes, Ricodifica when it cannot go as it
// stands.
std::optional<Piano_Tiff> Pianifica_Tiff(File_Ingresso& f, const Tiff& t) {
  Piano_Tiff p;
  // Strips: offsets and byte counts paired, each inside the file.
  const uint64_t per_strip = std::min<uint64_t>(t.righe_strip, t.altezza);
  const uint64_t strip_attesi = (t.altezza + per_strip - 1) / per_strip;
  if (t.offset.empty() || t.offset.size() != t.conteggi.size() || t.piastrelle ||
      t.offset.size() != strip_attesi)
    return p;
  for (size_t i = 0; i < t.offset.size(); ++i)
    if (!f.Contiene(t.offset[i], t.conteggi[i])) return std::nullopt;

  const bool bianco_nero_gray = t.campioni == 1 && t.bit.size() == 1 &&
                                (t.fotometria == 0 || t.fotometria == 1 || !t.ha_fotometria);
  const bool rgb = t.campioni == 3 && t.bit.size() == 3 && t.fotometria == 2 && t.planare == 1 &&
                   t.bit[0] == 8 && t.bit[1] == 8 && t.bit[2] == 8;
  const bool bordo_ok = t.riempimento == 1 || t.riempimento == 2;
  const uint64_t bps = t.bit[0];
  p.rgb = rgb;
  p.bps = bps;

  const bool una_strip = t.offset.size() == 1;
  if (!bordo_ok) return p;
  switch (t.compressione) {
    case 1:
      if ((bianco_nero_gray && t.ha_fotometria && (bps == 1 || bps == 2 || bps == 4 || bps == 8)) || rgb) {
        // Every strip must hold exactly its rows.
        const uint64_t riga = rgb ? uint64_t(t.larghezza) * 3 : (uint64_t(t.larghezza) * bps + 7) / 8;
        bool esatte = true;
        for (size_t i = 0; i < t.offset.size(); ++i) {
          uint64_t righe = std::min<uint64_t>(per_strip, t.altezza - i * per_strip);
          if (t.conteggi[i] != righe * riga) esatte = false;
        }
        if (esatte) p.modo = Modo_Tiff::Nessuna;
      }
      break;
    case 3:
      if (una_strip && bianco_nero_gray && bps == 1 && (t.t4 & ~uint64_t(1)) == 0) {
        p.modo = Modo_Tiff::Ccitt;
        p.k = (t.t4 & 1) ? 1 : 0;
      }
      break;
    case 4:
      if (una_strip && bianco_nero_gray && bps == 1 && (t.t6 & 2) == 0) {
        p.modo = Modo_Tiff::Ccitt;
        p.k = -1;
      }
      break;
    case 5:
      if (una_strip && ((bianco_nero_gray && t.ha_fotometria && bps <= 8) || rgb) && t.predittore == 1 &&
          t.conteggi[0] > 0) {
        // New-style LZW starts with a clear code; the old style is not
        // what the PDF filter reads.
        uint8_t primo;
        f.Leggi(t.offset[0], &primo, 1);
        if (t.riempimento == 2) primo = Bit_Invertiti()[primo];
        if (primo == 0x80) p.modo = Modo_Tiff::Lzw;
      }
      break;
    default: break;
  }
  return p;
}

// The resolution as the raster layer reads it: inch or centimetre, rounded
// half to even; 0 for none or a value out of range.
int Dpi(const std::optional<double>& valore, uint64_t unita) {
  if (!valore) return 0;
  double dpi = static_cast<float>(*valore);
  if (unita == 3) dpi *= 2.54;
  else if (unita != 2) return 0;
  if (!(dpi > 0 && dpi < 1e6)) return 0;
  return static_cast<int>(Arrotonda_Pari(dpi));
}

int32_t Ricodifica(Documento_Pdf& d, std::string_view nome, const std::filesystem::path& file, bool tiff) {
  Raster_Pdf r;
  std::string motivo;
  if (!Decodifica_Immagine(file, tiff, r, motivo)) return 0;
  return Scrivi_Raster(d, nome, r);
}

}  // namespace

// ---- Writing ---------------------------------------------------------------

int32_t Scrivi_Png(Documento_Pdf& d, std::string_view Name, const std::filesystem::path& file) {
  File_Ingresso f(file);
  std::string motivo;
  std::optional<Png> png = Analizza_Png(f, motivo);
  if (!png) return 0;

  // A colour key (tRNS) of a grey or RGB image is not applied, by this
  // path or by the decoder.
  const bool passante =
      png->interlacciato == 0 && png->profondita <= 8 && (png->tipo == 0 || png->tipo == 2 || png->tipo == 3);
  if (!passante) return Ricodifica(d, Name, file, false);
  if (!Dati_Png_Integri(f, *png, png->tipo == 2 ? 3 : 1, motivo)) return 0;

  std::string spazio;
  int colori = 1;
  if (png->tipo == 2) {
    spazio = "/DeviceRGB";
    colori = 3;
  } else if (png->tipo == 0) {
    spazio = "/DeviceGray";
  } else {
    // Palette: entries with a transparency are blended onto white.
    const size_t voci = std::min<size_t>(png->plte.size() / 3, size_t(1) << png->profondita);
    std::string tavola = png->plte.substr(0, voci * 3);
    for (size_t i = 0; i < voci && i < png->trns.size(); ++i) {
      const unsigned a = static_cast<uint8_t>(png->trns[i]);
      for (int k = 0; k < 3; ++k) {
        unsigned c = static_cast<uint8_t>(tavola[3 * i + k]);
        tavola[3 * i + k] = static_cast<char>((c * a + 255 * (255 - a) + 127) / 255);
      }
    }
    spazio = "[/Indexed /DeviceRGB " + std::to_string(voci - 1) + " <" + Esadecimale(tavola) + ">]";
  }

  const int32_t n = Immagine_Inizia(d, Name, png->larghezza, png->altezza);
  d.Riga("/Filter /FlateDecode");
  d.Riga("/DecodeParms");
  d.Riga("<<");
  d.Riga("/Predictor 15");
  d.Riga("/Columns " + std::to_string(png->larghezza));
  d.Riga("/Colors " + std::to_string(colori));
  d.Riga("/BitsPerComponent " + std::to_string(png->profondita));
  d.Riga(">>");
  d.Riga("/BitsPerComponent " + std::to_string(png->profondita));
  d.Riga("/ColorSpace  " + spazio);
  Flusso_Inizia(d, png->totale);
  std::vector<uint8_t> blocco(kBlocco);
  for (const Tratto& t : png->idat) Copia(f, t.posizione, t.lunghezza, blocco, d);
  Flusso_Chiudi(d);
  return n;
}

int32_t Scrivi_Tiff(Documento_Pdf& d, std::string_view Name, const std::filesystem::path& file) {
  File_Ingresso f(file);
  std::string motivo;
  std::optional<Tiff> t = Analizza_Tiff(f, motivo);
  if (!t) return Ricodifica(d, Name, file, true);
  const std::optional<Piano_Tiff> p = Pianifica_Tiff(f, *t);
  if (!p) return 0;
  if (p->modo == Modo_Tiff::Ricodifica) return Ricodifica(d, Name, file, true);

  uint64_t totale = 0;
  for (uint64_t c : t->conteggi) totale += c;
  const std::string w = std::to_string(t->larghezza);
  const int32_t n = Immagine_Inizia(d, Name, t->larghezza, t->altezza);
  if (p->modo == Modo_Tiff::Ccitt) {
    d.Riga("/Filter /CCITTFaxDecode");
    d.Riga("/DecodeParms << /K " + std::to_string(p->k) + " /Columns " + w + " /BlackIs1 " +
           (t->fotometria == 1 ? "true" : "false") + " >>");
  } else if (p->modo == Modo_Tiff::Lzw) {
    d.Riga("/Filter /LZWDecode");
    d.Riga("/DecodeParms << /Columns " + w + " >>");
  }
  d.Riga("/BitsPerComponent " + std::to_string(p->bps));
  d.Riga(p->rgb ? "/ColorSpace  /DeviceRGB" : "/ColorSpace  /DeviceGray");
  if (p->modo != Modo_Tiff::Ccitt && !p->rgb && t->fotometria == 0) d.Riga("/Decode [1 0]");
  Flusso_Inizia(d, totale);
  std::vector<uint8_t> blocco(static_cast<size_t>(std::min<uint64_t>(kBlocco, std::max<uint64_t>(totale, 1))));
  const std::array<uint8_t, 256>* mappa = t->riempimento == 2 ? &Bit_Invertiti() : nullptr;
  for (size_t i = 0; i < t->offset.size(); ++i) Copia(f, t->offset[i], t->conteggi[i], blocco, d, mappa);
  Flusso_Chiudi(d);
  return n;
}

std::optional<Tiff_Diretto> Tiff_Senza_Decodifica(const std::filesystem::path& file) {
  try {
    File_Ingresso f(file);
    std::string motivo;
    const std::optional<Tiff> t = Analizza_Tiff(f, motivo);
    if (!t || !t->risoluzione_chiara) return std::nullopt;
    const std::optional<Piano_Tiff> p = Pianifica_Tiff(f, *t);
    if (!p || p->modo == Modo_Tiff::Ricodifica) return std::nullopt;
    return Tiff_Diretto{t->larghezza, t->altezza, Dpi(t->risoluzione_x, t->unita_risoluzione),
                        Dpi(t->risoluzione_y, t->unita_risoluzione)};
  } catch (const Errore_PDF&) {
    return std::nullopt;
  }
}

}  // namespace qod::pdf
