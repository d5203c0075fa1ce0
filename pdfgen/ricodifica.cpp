#include "ricodifica.h"

#include <zlib.h>

#include <stdexcept>

#include "qod/pdf/x_pdf.h"

namespace qod::pdf {

bool Decodifica_Immagine(const std::filesystem::path&, Raster_Pdf&, std::string& motivo) {
  motivo = "decoding through the raster layer is not available";
  return false;
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

}  // namespace qod::pdf
