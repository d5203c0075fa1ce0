// Page image types and their saving: `Tipo_Immagine`, the save options each
// type gets, the resolution written into BMP, JPEG and PNG files after
// saving, the CRC-32 of PNG chunks, and the conversion of 32-bit BMP files
// for loaders that take 24 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "qod/imaging/file.h"
#include "qod/imaging/immagine.h"

namespace qod::img {

// One `Tipo_Immagine` code (0..10; the digit "A" is 10).
struct Tipo_Immagine {
  int codice;
  const char* etichetta;    // "0=TIF G3-1D" ...
  int bit_tela;             // canvas depth: 1 or 24
  const char* estensione;   // ".TIF", ".BMP", ".JPG", ".PNG"
  bool grigio;              // grey conversion before saving (5, 8)
  int compressione;         // 4, 5 or 0
  bool multipagina;         // the TIFF append setting applies (0, 1, 2, 10)
  Formato formato;
};

// The type of a code, nullptr outside 0..10.
const Tipo_Immagine* Tipo_Immagine_Da_Codice(int codice);

// The file extension of a code, "" outside 0..10.
std::string Estensione_Tipo(int codice);

// The save option lines of a code, joined by CR, with the resolution in dpi
// as given (three digits at least), rows per strip only for codes 0 and 10
// and only when not 0, and the JPEG settings for 5 and 6. "" outside 0..10.
std::string Opzioni_Tipo(int codice, int res_x, int res_y, int righe_strip,
                         bool jpg_ottimizza, int jpg_qualita, int jpg_attenuazione);

// CRC-32 of the PNG standard (reflected polynomial 0xEDB88320).
uint32_t Crc32(const uint8_t* dati, size_t n, uint32_t crc = 0);

// Pixels per metre written for a dpi value: dpi x 39.3, rounded (halves to
// even), as the stored page images carry it.
uint32_t Pixel_Per_Metro(int dpi);

// Resolution patches of saved files:
//  - BMP: at byte 38 two 32-bit little-endian values, Pixel_Per_Metro(x)
//    and Pixel_Per_Metro(y);
//  - JPEG: at byte 14 of the JFIF header the x and y densities, high byte
//    first (the unit byte before them stays as saved);
//  - PNG: a pHYs chunk (pixels per metre, unit 1) inserted right after
//    IHDR, every other chunk copied as it stands up to IEND (an earlier pHYs
//    is dropped); the copy replaces the file by rename.
// False when the file is not of that kind or cannot be rewritten; the file
// is then left as it was.
bool Risoluzione_Bmp(const std::filesystem::path& percorso, int dpi_x, int dpi_y);
bool Risoluzione_Jpeg(const std::filesystem::path& percorso, int dpi_x, int dpi_y);
bool Risoluzione_Png(const std::filesystem::path& percorso, int dpi_x, int dpi_y);
// By type code: the patch of its format; TIFF codes need none (true).
bool Risoluzione_Imposta(const std::filesystem::path& percorso, int codice, int dpi_x, int dpi_y);

// What the page save needs of the generator's members.
struct Pagina_Salvataggio {
  int codice = 0;           // `Tipo_Immagine`
  int res_x = 0, res_y = 0;
  int righe_strip = 0;      // 0 = one strip
  bool tif_multipagina = false;
  bool jpg_ottimizza = false;
  int jpg_qualita = 0, jpg_attenuazione = 0;
};

// The whole save of a finished page: grey conversion for codes 5 and 8,
// the resolution set on the image, the options of the code, Salva (with
// the append setting for TIFF codes) and the resolution patch. Returns ""
// on success, else "Errore nel salvataggio" or
// "Errore nell'impostazione della risoluzione"; `motivo`, when given,
// receives the reason for the log.
std::string Pagina_Salva(Immagine& tela, const std::filesystem::path& percorso,
                         const Pagina_Salvataggio& p, std::string* motivo = nullptr);

// The 32-bit BMP conversion: when `percorso` is a BMP of 32 bits per pixel,
// writes a 24-bit copy (40-byte header, bottom-up, pixel data at 54) under a
// new name in `cartella_temp` and returns that name; the caller loads it and
// deletes it. Pixels are read from the header's pixel offset, top-down files
// and channel masks are honoured, and sizes are checked against the file.
// Returns an empty path for any other file or a failure.
std::filesystem::path Bmp32_Converti(const std::filesystem::path& percorso,
                                     const std::filesystem::path& cartella_temp);

}  // namespace qod::img
