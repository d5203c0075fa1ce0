// The font editor's model, without widgets: the strip (one row of 256 glyph
// cells), the cell being edited, the editor state, opening and checking a
// strip file, saving, the one-pixel shifts, setting a pixel from the
// pointer, pasting, a blank strip and the generation of every glyph from an
// installed font.
#pragma once

#include <optional>
#include <string>

#include "qod/imaging/immagine.h"
#include "qod/text/text.h"

namespace qod {

// Side of the square editor box in twips, and twips per screen pixel.
inline constexpr int kLato_Editor_Twip = 5220;
inline constexpr int kTwip_Pixel = 15;
// Previews shown beside the scroll bar; the bar runs 0 to 256 - 6.
inline constexpr int kAnteprime = 6;
inline constexpr int kPrimo_Codice_Massimo = 256 - kAnteprime;

// Cell width of a strip image: width / 256, halves to even.
int Larghezza_Da_Striscia(int larghezza_immagine);
// Editor scale: twips per cell pixel, round(5220 / max(w, h)); 0 when the
// cell has no size or is too large to show a pixel.
int Scala_Editor(int w, int h);

// Background (top-left pixel of cell 32) and text colour (first pixel of
// the middle row that differs from it; black when none) of a strip.
struct Colori_Striscia {
  img::Colore testo = img::Nero;
  img::Colore sfondo = img::Bianco;
};
Colori_Striscia Colori_Da_Striscia(const img::Immagine& striscia, int w, int h);

// The font the glyphs are drawn with, and where they go in their cells.
struct Impostazioni_Font {
  std::string Font_Nome = "Arial";  // ANSI
  int Font_Punti = 14;              // used directly as pixels
  bool Font_Grassetto = false;
  bool Font_Corsivo = false;
  bool Font_Sottolineato = false;
  bool Font_Tagliato = false;
  int Font_Larghezza = 0;  // 0 = proportional
  int Font_Rotazione = 0;  // whole degrees, 0 to 360
  int Distanza_X = 0;
  int Distanza_Y = 0;
  bool Centra_X = false;
  bool Centra_Y = false;
};

// The logical font of the settings: with a fixed width the size is the
// cell height, else the character height.
text::LogFont Font_Logico(const Impostazioni_Font& f);

// A dialog box's value when it is valid: not empty once trimmed, numeric,
// and from `minimo` to `massimo`; rounded halves to even.
std::optional<int> Valore_Casella(const std::string& testo, double minimo, double massimo);

enum class Direzione { Sinistra, Destra, Alto, Basso };

struct Editor_Font {
  int Altezza_Cella = 0;
  int Larghezza_Cella = 0;
  int Larghezza_Striscia = 0;
  int Bit_Pixel = 1;
  img::Colore Colore_Testo = img::Nero;
  img::Colore Colore_Sfondo = img::Bianco;
  std::string Nome_Striscia;  // ANSI
  int Codice_Scelto = 0;
  int Primo_Codice = 0;  // first code of the previews (the scroll bar)
  bool Appunti_Pieni = false;
  Impostazioni_Font Font;

  img::Immagine Striscia;  // the whole strip
  img::Immagine Cella;     // the editor image of the selected cell

  // A strip exists (created or opened): the editing commands act.
  bool Presente() const { return Larghezza_Cella >= 1; }

  // Loads a strip file. Empty on success; else the message (ANSI) and the
  // editor keeps its previous strip. Refused: a file that is no readable
  // image, and a size whose cell cannot be edited (width below 256 pixels
  // after rounding, a cell too large for the editor box or for memory).
  std::string Apri(const std::string& file);
  // Writes the strip as a BMP file. Empty on success, else the message.
  std::string Salva(const std::string& file) const;

  // A blank strip of 256 cells w x h in the background colour, named
  // "Nuovo.bmp". False when the size cannot be made (nothing changes).
  bool Nuova(int w, int h, int bit, img::Colore testo, img::Colore sfondo);

  // Draws every code from 0 to 255 into its cell with the font settings; the
  // strip is not cleared first. False (strip unchanged) when no font can be
  // made, with the reason.
  bool Genera(std::string* errore = nullptr);
  // One code's cell, drawn with `font` (made from Font_Logico(Font)).
  void Carattere_Genera(int codice, const text::Font& font);

  // Selects the code of preview i (0 to 5) and loads its cell.
  void Seleziona(int anteprima);
  // Sets the scroll bar's value, 0 to 250.
  void Scorri(int primo);
  // The preview row of the selected code, or -1 when it is scrolled out.
  int Riga_Scelta() const;

  // The selected cell from the strip into the editor image, and back.
  void Carattere_Carica();
  void Carattere_Riporta();

  // Shifts the editor image one pixel; the vacated column or row takes the
  // background colour, ink past the edge is lost. Then back into the strip.
  void Sposta(Direzione d);

  // A pointer press at (x, y) twips from the editor box's top-left corner:
  // the left button paints the text colour, another the background colour.
  // False when nothing changed (no strip, or outside the cell).
  bool Premi_Twip(double x_twip, double y_twip, bool sinistro);

  // Pastes an image into the cell: its top-left w x h part at the cell's
  // depth; the rest of the cell keeps its pixels. Then back into the strip.
  void Incolla(const img::Immagine& immagine);

  // A copy of one code's cell from the strip.
  img::Immagine Cella_Di(int codice) const;

  // A blank image of the working depth and palette in the background colour.
  img::Immagine Immagine_Pulisci(int w, int h) const;
};

}  // namespace qod
