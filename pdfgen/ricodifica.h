// Page images whose data cannot go into the PDF as it stands (several
// compressed strips, interlaced or alpha PNGs, JPEG-in-TIFF, ...) are decoded
// through the raster layer and written again as one Flate stream.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qod::pdf {

// A decoded image, top row first, each row `Byte_Riga()` bytes.
//  bit 1: packed from the high bit, 0 black and 1 white;
//  bit 8: grey levels; bit 24: red, green, blue.
struct Raster_Pdf {
  uint32_t larghezza = 0, altezza = 0;
  int bit = 0;
  std::vector<uint8_t> dati;
  uint64_t Byte_Riga() const { return (uint64_t(larghezza) * bit + 7) / 8; }
};

// The most a decoded page may take in memory.
inline constexpr uint64_t kMassimoDecodificato = uint64_t(512) << 20;

// Decodes the first image of a TIFF (`tiff`) or PNG file into `r` (alpha
// composited on white, 16-bit samples reduced to 8, palettes expanded).
// False, with the reason in `motivo`, when the file is not of that format or
// cannot be decoded.
bool Decodifica_Immagine(const std::filesystem::path& percorso, bool tiff, Raster_Pdf& r, std::string& motivo);

// zlib (FlateDecode) data of the raster's rows.
std::vector<uint8_t> Comprimi_Flate(const Raster_Pdf& r);

}  // namespace qod::pdf
