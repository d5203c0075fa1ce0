// The format codecs behind Carica and Salva; not for callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "qod/imaging/file.h"
#include "qod/imaging/immagine.h"

namespace qod::img {

// Save options as parsed from the "KEY = value" lines.
struct Opzioni {
  Formato formato = Formato::Sconosciuto;
  bool ordine_bit_2 = false;   // TIFF_FILLORDER = 2
  int dpi_x = -1, dpi_y = -1;  // -1: the image's own
  int righe_strip = 0;         // 0: one strip
  bool ottimizza = false;
  int qualita = 75;
  int attenuazione = 0;
};

Opzioni Leggi_Opzioni(const std::string& testo);

Esito Carica_Bmp(const uint8_t* d, size_t n, Immagine& out);
Esito Carica_Tiff(const uint8_t* d, size_t n, Immagine& out, int indice, int* immagini);
Esito Carica_Png(const uint8_t* d, size_t n, Immagine& out);
Esito Carica_Jpeg(const uint8_t* d, size_t n, Immagine& out);
int Conta_Tiff(const uint8_t* d, size_t n);

// Writers: `percorso` is the temporary file, already created empty.
Esito Salva_Bmp(const Immagine& im, const std::string& percorso);
Esito Salva_Png(const Immagine& im, const std::string& percorso);
Esito Salva_Jpeg(const Immagine& im, const std::string& percorso, const Opzioni& o);
// With `accoda` the temporary file already holds a copy of the existing
// TIFF file and the image is added as its next directory.
Esito Salva_Tiff(const Immagine& im, const std::string& percorso, const Opzioni& o, int compressione,
                 bool accoda);
Esito Sostituisci_Tiff(const Immagine& im, const uint8_t* d, size_t n, const std::string& percorso,
                       int indice, const Opzioni& o, int compressione);

// dpi of a pixels-per-metre value: the value written as dpi x 39.3 by the
// page save gives its dpi back exactly; any other is converted with
// 0.0254 m per inch.
int Dpi_Da_Ppm(uint32_t ppm);

// The whole file into memory, refused past the memory cap.
Esito Leggi_File(const std::string& percorso, std::string& dati);

}  // namespace qod::img
