// Decoded images: from the raster layer's model to the rows a PDF image
// takes, and those rows as one Flate stream.
#include <zlib.h>

#include <cstring>
#include <stdexcept>

#include "qod/imaging/file.h"
#include "oggetto_immagine.h"
#include "qod/pdf/immagini.h"

namespace qod::pdf {
namespace {

uint8_t Su_Bianco(uint8_t c, uint8_t a) { return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255); }

}  // namespace

bool Raster_Da_Immagine(const img::Immagine& im, Raster_Pdf& r, std::string& motivo) {
  const uint32_t w = static_cast<uint32_t>(im.Larghezza()), h = static_cast<uint32_t>(im.Altezza());
  const int bit = im.Bit();
  if (w == 0 || h == 0) {
    motivo = "empty image";
    return false;
  }
  const bool grigia = im.Tavolozza_Grigia();
  // Black and white stays 1 bit; grey palettes give grey levels; everything
  // else (colour palettes, alpha composited on white) gives RGB.
  r.larghezza = w;
  r.altezza = h;
  r.bit = bit == 1 && grigia ? 1 : (bit == 4 || bit == 8) && grigia ? 8 : 24;
  const uint64_t byte = r.Byte_Riga() * h;
  if (byte > kMassimoDecodificato) {
    motivo = "decoded image too large";
    return false;
  }
  r.dati.assign(byte, 0);
  const auto& tavolozza = im.Tavolozza();
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* s = im.Riga(static_cast<int>(y));
    uint8_t* d = r.dati.data() + r.Byte_Riga() * y;
    if (r.bit == 1) {
      std::memcpy(d, s, r.Byte_Riga());
      continue;
    }
    for (uint32_t x = 0; x < w; ++x) {
      img::Colore c;
      switch (bit) {
        case 1: c = tavolozza[(s[x / 8] >> (7 - x % 8)) & 1]; break;
        case 4: c = tavolozza[(s[x / 2] >> (x % 2 ? 0 : 4)) & 15]; break;
        case 8: c = tavolozza[s[x]]; break;
        case 24: c = {s[3 * x], s[3 * x + 1], s[3 * x + 2]}; break;
        default: {
          const uint8_t a = s[4 * x + 3];
          c = {Su_Bianco(s[4 * x], a), Su_Bianco(s[4 * x + 1], a), Su_Bianco(s[4 * x + 2], a)};
          break;
        }
      }
      if (r.bit == 8) {
        d[x] = c.r;
      } else {
        d[3 * x] = c.r;
        d[3 * x + 1] = c.g;
        d[3 * x + 2] = c.b;
      }
    }
  }
  return true;
}

bool Decodifica_Immagine(const std::filesystem::path& percorso, bool tiff, Raster_Pdf& r, std::string& motivo) {
  if (img::Formato_File(percorso) != (tiff ? img::Formato::TIFF : img::Formato::PNG)) {
    motivo = tiff ? "not a TIFF file" : "not a PNG file";
    return false;
  }
  img::Immagine im;
  img::Esito esito = img::Carica(percorso, im);
  if (!esito) {
    motivo = esito.motivo;
    return false;
  }
  return Raster_Da_Immagine(im, r, motivo);
}

std::vector<uint8_t> Comprimi_Flate(const Raster_Pdf& r) {
  const uint64_t byte = r.Byte_Riga() * r.altezza;
  if (byte != r.dati.size()) throw std::logic_error("Comprimi_Flate: raster size mismatch");
  z_stream z{};
  if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) throw Errore_PDF("zlib: deflateInit failed");
  std::vector<uint8_t> out(deflateBound(&z, static_cast<uLong>(byte)));
  z.next_in = const_cast<Bytef*>(r.dati.data());
  z.avail_in = static_cast<uInt>(byte);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int esito = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (esito != Z_STREAM_END) throw Errore_PDF("zlib: deflate failed");
  return out;
}

int32_t Scrivi_Raster(Documento_Pdf& d, std::string_view nome, const Raster_Pdf& r) {
  std::vector<uint8_t> dati = Comprimi_Flate(r);
  const int32_t n = Immagine_Inizia(d, nome, r.larghezza, r.altezza);
  d.Riga("/Filter /FlateDecode");
  d.Riga("/BitsPerComponent " + std::to_string(r.bit == 1 ? 1 : 8));
  d.Riga(r.bit == 24 ? "/ColorSpace  /DeviceRGB" : "/ColorSpace  /DeviceGray");
  Flusso_Inizia(d, dati.size());
  d.Byte(dati.data(), dati.size());
  Flusso_Chiudi(d);
  return n;
}

}  // namespace qod::pdf
