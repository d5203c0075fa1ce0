// The viewer's print settings without widgets: the section of the host's
// settings file they live in, the checks of the print dialog's boxes, the
// page model of a document to print and where a page lands on the paper.
// Text is ANSI bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "qod/printing/stampanti.h"

namespace qod::imv {

// The print settings as the dialog holds them.
struct Impostazioni_Stampa {
  std::string Nome;  // printer; never empty after reading when there is a default printer
  uint8_t Adatta = 1, Allinea_X = 1, Allinea_Y = 1;
  double Zoom_X = 100, Zoom_Y = 100;  // percent
  bool Verticale = true;
  int32_t Margine_Sx = 0, Margine_Dx = 0, Margine_Top = 0, Margine_Bot = 0;  // millimetres
  int32_t Copie = 1;
  uint8_t Fascicola = 0;
  bool operator==(const Impostazioni_Stampa&) const = default;
};

// The user's number separators (the locale's digit grouping and decimal
// point), which the boxes are typed with.
struct Separatori {
  char migliaia = ',';
  char decimale = '.';
};

// A box's text as a number: every grouping separator removed, the decimal
// point made ".", then the numeric test and the "."-only conversion.
// Nothing when the text is not a number.
std::optional<double> Numero_Testo(std::string_view testo, const Separatori& s);

// The check of one box. `valore` gets the number read (also when out of
// range; the integer check rounds it to 32 bits, halves to even); the result
// tells whether it is a number within minimo..massimo.
bool Controlla_Intero(std::string_view testo, const Separatori& s, int32_t minimo, int32_t massimo,
                      int32_t& valore);
bool Controlla_Decimale(std::string_view testo, const Separatori& s, double minimo, double massimo,
                        double& valore);

// Reads the section: each key with its default, then its reading rule. An
// empty printer name becomes `predefinita()`.
Impostazioni_Stampa Impostazioni_Leggi(const std::string& file, const std::string& paragrafo, const Separatori& s,
                                       const std::function<std::string()>& predefinita);

// Writes the section, one key at a time in the order of the table
// ("Orientamento" only when `orientamento` is set). False when any write
// failed.
bool Impostazioni_Scrivi(const std::string& file, const std::string& paragrafo, const Impostazioni_Stampa& i,
                         bool orientamento = true);

// ---- The pages of a document to print ---------------------------------------

// A document is a run of files numbered before the last "." of the name, or
// one file of several images. An unnumbered one-image file is page 1.
struct Modello_Stampa {
  std::string NomeFile;
  long cifre_inizio = 0, cifre_numero = 0;  // 1-based position and width of the page number
  int32_t prima = 1, ultima = 1;
  int immagini = 1;  // images in the first file
  int32_t da = 1, a = 1;

  // Finds the pages, given how many images the first file holds and which
  // files exist. False when the page number does not fit 32 bits.
  bool Scopri(int immagini_file, const std::function<bool(const std::string&)>& esiste);
  // The file and the image (from 1) that hold page p.
  std::string File(int32_t p) const;
  int Immagine(int32_t p) const { return immagini > 1 ? static_cast<int>(p) : 1; }
};

// ---- Where a page lands ------------------------------------------------------

// The destination in twips on a printable area of `W` x `H` twips of an
// image of `w_px` x `h_px` pixels at its resolution (0 or less counts as
// 200 dpi): fitted inside the margins keeping its proportions, or zoomed;
// centred inside the margins or at the left and top margin. Margins are
// millimetres.
stampa::Rettangolo Posizione_Pagina(const Impostazioni_Stampa& i, int w_px, int h_px, int dpi_x, int dpi_y, int32_t W,
                                    int32_t H);

// Millimetres as twips, to the nearest twip.
double Millimetri_Twips(double mm);

}  // namespace qod::imv
