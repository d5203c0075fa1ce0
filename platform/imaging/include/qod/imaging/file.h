// Reading and writing image files: BMP, TIFF (one or more images), PNG and
// JPEG. Every size, offset and length read from a file is checked against
// the file and against Limite_Memoria(); a bad file is a failure with a
// reason, never a crash.
//
// Loading gives the depths the file holds where the model has them:
//  - 1-bit files (BMP, bilevel TIFF of any compression, 1-bit PNG) give a
//    1-bit image (black 0, white 1 after loading, whatever the file's own
//    sense);
//  - 4- and 8-bit palette or grey files give 4- or 8-bit images (2-bit PNG
//    gives 8 bits);
//  - colour gives 24 bits, colour with alpha (PNG, TIFF, 32-bit BMP) 32 bits;
//  - 16-bit samples are cut to 8.
// The resolution comes from the file (0 when it holds none).
//
// Saving (Salva) takes the three settings of the imaging control:
//  - `compressione`: 0 none, 4 CCITT group 3 one-dimensional, 5 CCITT
//    group 4 (TIFF only; a CCITT page is first made black and white);
//  - `accoda`: add the image as a further page of an existing TIFF file;
//  - `opzioni`: lines "KEY = value" joined by CR (LF is accepted too):
//      EXTENSION = TIF | BMP | JPG | PNG   the format (else the file's extension)
//      TIFF_FILLORDER = 2                  bits of each byte from the least significant
//      TIFF_XRES = n, TIFF_YRES = n        resolution in dpi (else the image's)
//      TIFF_ROWSPERSTRIP = n               rows per strip (else one strip)
//      JPEG_OPTIMIZE_CODING = ON | OFF     optimised Huffman tables
//      LOSSY_QUALITY = n                   JPEG quality 0..100 (default 75)
//      JPEG_SMOOTHING = n                  JPEG smoothing 0..100 (default 0)
//    Unknown keys are ignored.
// What is written, so that other readers (the PDF writer among them) can
// take the data as it stands:
//  - TIFF: little-endian, one image per directory; 1-bit CCITT pages are
//    min-is-white, uncompressed 1-bit pages min-is-black (0 = black, as a PDF
//    1-bit grey image); 8-bit grey min-is-black; palettes as a colour map;
//    24 bits RGB; 32-bit images are written as 24 bits. One strip unless
//    TIFF_ROWSPERSTRIP asks for more. Resolution unit inch.
//  - PNG: no interlace, no alpha, no pHYs chunk; 1-bit black and white and
//    grey images as grey (colour type 0), other palettes as colour type 3
//    (entry 0 the darker colour), 24 and 32 bits as colour type 2.
//  - BMP: 14-byte file header and 40-byte information header, bottom-up,
//    uncompressed; 1, 4, 8 bits with their palette, 24 bits otherwise.
//  - JPEG: JFIF, 8-bit grey for grey images, else colour; density unit 1
//    (dots per inch) with the image's resolution, or unit 0 and 1:1 when it
//    has none.
// Every file is written under a temporary name in its own folder and renamed
// onto the target only when complete, so a failed save leaves the earlier
// file (and every page it held) unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "qod/imaging/immagine.h"

namespace qod::img {

enum class Formato { Sconosciuto, BMP, TIFF, PNG, JPEG };

// The format of a file by its first bytes.
Formato Formato_Dati(const uint8_t* dati, size_t n);
Formato Formato_File(const std::filesystem::path& percorso);

struct Info_File {
  Formato formato = Formato::Sconosciuto;
  int immagini = 0;  // images in the file (TIFF directories; 1 for the others)
};

// Loads image `indice` (from 1) of the file into `out`. On failure `out` is
// left empty. `info`, when given, receives the format and the image count.
Esito Carica(const std::filesystem::path& percorso, Immagine& out, int indice = 1,
             Info_File* info = nullptr);
Esito Carica_Memoria(const uint8_t* dati, size_t n, Immagine& out, int indice = 1,
                     Info_File* info = nullptr);

// Number of images in the file: TIFF directories, 1 for the other formats,
// 0 for a file that cannot be read.
int Conta_Immagini(const std::filesystem::path& percorso);

// An image file kept open to load its images one at a time, as a viewer
// turns pages. A TIFF file is never read whole: the opening reads and checks
// its directories, each load reads the directory and the data of its image,
// so image 1000 of a long file costs what image 2 costs. Other formats (one
// image each) are read whole at the opening. No descriptor stays open
// between calls; a load first makes sure the file is still the one opened
// (same file, size and times) and opens it again when it is not.
class File_Aperto {
 public:
  File_Aperto();
  ~File_Aperto();
  File_Aperto(File_Aperto&&) noexcept;
  File_Aperto& operator=(File_Aperto&&) noexcept;

  // Opens the file and counts its images, with the checks and messages of
  // Carica; `Info()` tells the format and count (also after a failure).
  Esito Apri(const std::filesystem::path& percorso);
  bool Aperto() const;
  const Info_File& Info() const;
  const std::filesystem::path& Percorso() const;
  // Loads image `indice` (from 1), as Carica on the file would. On failure
  // `out` is left empty.
  Esito Carica(int indice, Immagine& out);
  // Whether the file on disk is still the one opened.
  bool Invariato() const;
  void Chiudi();

 private:
  struct Stato;
  std::unique_ptr<Stato> s_;
};

struct Parametri_Salvataggio {
  int compressione = 0;  // 0, 4 or 5
  bool accoda = false;   // TIFF: append as a further page
  std::string opzioni;   // "KEY = value" lines joined by CR
};

Esito Salva(const Immagine& immagine, const std::filesystem::path& percorso,
            const Parametri_Salvataggio& parametri);

// Replaces image `indice` (from 1) of a TIFF file, keeping every other image
// as it was (written under a temporary name, renamed on success).
Esito Sostituisci_Pagina_Tiff(const Immagine& immagine, const std::filesystem::path& percorso,
                              int indice, const Parametri_Salvataggio& parametri);

// Copies a file byte for byte, with every image it holds, onto `a` (written
// under a temporary name beside it and renamed when complete, so a failed
// copy leaves an earlier `a` as it was).
Esito Copia_File(const std::filesystem::path& da, const std::filesystem::path& a);

}  // namespace qod::img
