// Page images as PDF image objects. The compressed data of a PNG or TIFF
// file goes into the PDF as it stands wherever a PDF filter decodes it to
// exactly the image: single-strip CCITT G3/G4 (with the right K, bit sense
// and bit order), uncompressed strips, single-strip LZW, and non-interlaced
// PNG of up to 8 bits per sample without alpha. Anything else the raster
// layer decodes and the writer stores again as one Flate stream. Every
// length, offset and count is checked against the file before the image
// object is begun, so a bad file adds nothing to the document.
//
// Each image object is a dictionary with /Name /<nome>; the writers give
// its object number, or 0 when they wrote nothing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qod/imaging/immagine.h"
#include "qod/pdf/documento.h"

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

// The pixels of an image as a raster: black and white stays 1 bit, grey
// palettes give grey levels, everything else (colour palettes, alpha
// composited on white) RGB. False, with the reason, past the size limit.
bool Raster_Da_Immagine(const img::Immagine& im, Raster_Pdf& r, std::string& motivo);

// Decodes the first image of a TIFF (`tiff`) or PNG file into `r` as above
// (16-bit samples reduced to 8). False, with the reason in `motivo`, when
// the file is not of that format or cannot be decoded.
bool Decodifica_Immagine(const std::filesystem::path& percorso, bool tiff, Raster_Pdf& r, std::string& motivo);

// zlib (FlateDecode) data of the raster's rows.
std::vector<uint8_t> Comprimi_Flate(const Raster_Pdf& r);

// The raster as one Flate stream.
int32_t Scrivi_Raster(Documento_Pdf& d, std::string_view nome, const Raster_Pdf& r);

// The first image of a PNG or TIFF file, its data as it stands where it
// can go so, else decoded and written again. 0 when the file holds no image
// the writer can use; a file that cannot be opened or read throws Errore_PDF.
int32_t Scrivi_Png(Documento_Pdf& d, std::string_view nome, const std::filesystem::path& file);
int32_t Scrivi_Tiff(Documento_Pdf& d, std::string_view nome, const std::filesystem::path& file);

// The first image of a TIFF file whose data Scrivi_Tiff takes as it
// stands, as its directory describes it (nothing is decoded): the size and
// the resolution in dots per inch as the raster layer reads them (0 when
// the file gives none).
struct Tiff_Diretto {
  uint32_t larghezza = 0, altezza = 0;
  int dpi_x = 0, dpi_y = 0;
};
// Nothing when the file is not such a TIFF (or cannot be read).
std::optional<Tiff_Diretto> Tiff_Senza_Decodifica(const std::filesystem::path& file);

}  // namespace qod::pdf
