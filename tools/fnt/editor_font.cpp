#include "editor_font.h"

#include <algorithm>
#include <cmath>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/imaging/file.h"
#include "qod/winpath.h"

namespace qod {

int Larghezza_Da_Striscia(int larghezza_immagine) {
  return static_cast<int>(Arrotonda_Pari(larghezza_immagine / 256.0));
}

int Scala_Editor(int w, int h) {
  const int lato = std::max(w, h);
  if (lato < 1) return 0;
  return static_cast<int>(Arrotonda_Pari(static_cast<double>(kLato_Editor_Twip) / lato));
}

Colori_Striscia Colori_Da_Striscia(const img::Immagine& striscia, int w, int h) {
  Colori_Striscia c;
  c.sfondo = striscia.Pixel(32 * w, 0);
  c.testo = img::Nero;
  const int y = static_cast<int>(Arrotonda_Pari(h / 2.0));
  for (int x = 0; x < striscia.Larghezza(); ++x) {
    const img::Colore p = striscia.Pixel(x, y);
    if (!(p == c.sfondo)) {
      c.testo = p;
      break;
    }
  }
  return c;
}

text::LogFont Font_Logico(const Impostazioni_Font& f) {
  text::LogFont lf;
  lf.height = f.Font_Larghezza != 0 ? f.Font_Punti : -f.Font_Punti;
  lf.width = f.Font_Larghezza;
  lf.escapement = lf.orientation = 0;
  lf.weight = f.Font_Grassetto ? 700 : 400;
  lf.italic = f.Font_Corsivo;
  lf.underline = f.Font_Sottolineato;
  lf.strike_out = f.Font_Tagliato;
  lf.charset = text::charset::kDefault;
  lf.face_name = Trim(f.Font_Nome);
  return lf;
}

std::optional<int> Valore_Casella(const std::string& testo, double minimo, double massimo) {
  const std::string t = Trim(testo);
  const std::optional<double> n = t.empty() ? std::nullopt : Testo_Numerico(t);
  if (!n) return std::nullopt;
  const double v = *n;
  if (v < minimo || v > massimo) return std::nullopt;
  return static_cast<int>(Arrotonda_Pari(v));
}

img::Immagine Editor_Font::Immagine_Pulisci(int w, int h) const {
  img::Immagine im;
  if (!im.Crea(w, h, Bit_Pixel)) return im;
  // An opened two-colour strip keeps its own pair in the working images.
  if (Bit_Pixel == 1 && Striscia.Bit() == 1) im.Imposta_Tavolozza(Striscia.Tavolozza());
  im.Riempi(Colore_Sfondo);
  return im;
}

std::string Editor_Font::Apri(const std::string& file) {
  img::Immagine nuova;
  if (!img::Carica(Percorso_Fs(Percorso_Risolvi(file)), nuova))
    return "Il file non \xE8 un'immagine leggibile: " + file;
  const int h = nuova.Altezza();
  const int w = Larghezza_Da_Striscia(nuova.Larghezza());
  const std::string misura = "La striscia (cella di " + std::to_string(w) + " x " + std::to_string(h) +
                             " pixel) non si pu\xF2 modificare: " + file;
  if (w < 1 || h < 1 || Scala_Editor(w, h) < 1) return misura;
  const int bit = nuova.Numero_Colori() == 2 ? 1 : 24;
  // Other depths are edited and saved at 24 bits.
  if (nuova.Bit() != bit && !nuova.Converti_Bit(bit)) return misura;
  img::Immagine prova;
  if (!prova.Crea(w, h, bit)) return misura;

  Striscia = std::move(nuova);
  Nome_Striscia = file;
  Altezza_Cella = h;
  Larghezza_Cella = w;
  Larghezza_Striscia = Striscia.Larghezza();
  Bit_Pixel = bit;
  const Colori_Striscia c = Colori_Da_Striscia(Striscia, w, h);
  Colore_Sfondo = c.sfondo;
  Colore_Testo = c.testo;
  Codice_Scelto = 0;
  Primo_Codice = 0;
  Carattere_Carica();
  return {};
}

std::string Editor_Font::Salva(const std::string& file) const {
  img::Parametri_Salvataggio p;
  p.opzioni = "EXTENSION = BMP";
  if (Striscia.Vuota() || !img::Salva(Striscia, Percorso_Fs(Percorso_Unix(file)), p))
    return "Impossibile salvare la striscia: " + file;
  return {};
}

bool Editor_Font::Nuova(int w, int h, int bit, img::Colore testo, img::Colore sfondo) {
  img::Immagine nuova;
  if (w < 1 || h < 1 || (bit != 1 && bit != 24) || !nuova.Crea(256 * w, h, bit)) return false;
  nuova.Riempi(sfondo);
  Striscia = std::move(nuova);
  Nome_Striscia = "Nuovo.bmp";
  Altezza_Cella = h;
  Larghezza_Cella = w;
  Larghezza_Striscia = 256 * w;
  Bit_Pixel = bit;
  Colore_Testo = testo;
  Colore_Sfondo = sfondo;
  Codice_Scelto = 0;
  Primo_Codice = 0;
  Carattere_Carica();
  return true;
}

void Editor_Font::Carattere_Genera(int codice, const text::Font& font) {
  const int w = Larghezza_Cella, h = Altezza_Cella;
  img::Immagine im = Immagine_Pulisci(w, h);
  if (im.Vuota()) return;
  const int angolo = Font.Font_Rotazione % 360;
  const bool retto = angolo % 90 == 0;
  // Quarter turns turn the image itself (its sides swap, every pixel moves
  // exactly); other angles turn about the cell's centre and are cropped
  // back to the cell, so the canvas stays w x h.
  if (angolo != 0 && retto) im.Ruota(angolo * 100L, Colore_Sfondo);
  const auto c = static_cast<unsigned char>(codice);
  if (Codice_Con_Glifo(c)) Glifo_Disegna(font, im, 0, 0, c, Colore_Testo);
  if (angolo != 0) {
    im.Ruota(36000L - angolo * 100L, Colore_Sfondo);
    if (!retto) {
      img::Immagine ritaglio = Immagine_Pulisci(w, h);
      img::Trasferisci(ritaglio, 0, 0, w, h, im, (im.Larghezza() - w) / 2, (im.Altezza() - h) / 2);
      im = std::move(ritaglio);
    }
  }
  // Centring: the ink box in the middle of the image, measured on the image
  // as it now is.
  int off_x = 0, off_y = 0;
  if (Font.Centra_X || Font.Centra_Y) {
    int min_x = im.Larghezza(), max_x = -1, min_y = im.Altezza(), max_y = -1;
    for (int y = 0; y < im.Altezza(); ++y)
      for (int x = 0; x < im.Larghezza(); ++x)
        if (!(im.Pixel(x, y) == Colore_Sfondo)) {
          min_x = std::min(min_x, x);
          max_x = std::max(max_x, x);
          min_y = std::min(min_y, y);
          max_y = std::max(max_y, y);
        }
    if (max_x >= 0) {
      if (Font.Centra_X) off_x = (im.Larghezza() - (max_x - min_x + 1)) / 2 - min_x;
      if (Font.Centra_Y) off_y = (im.Altezza() - (max_y - min_y + 1)) / 2 - min_y;
    }
  }
  // The copy ends at the cell's right and bottom edges; what would fall left
  // of the cell or above the strip is not copied, so no neighbour cell
  // changes.
  const int cella = codice * w;
  int x = cella + Font.Distanza_X + off_x, y = Font.Distanza_Y + off_y;
  int sx = 0, sy = 0;
  if (x < cella) {
    sx = cella - x;
    x = cella;
  }
  if (y < 0) {
    sy = -y;
    y = 0;
  }
  const int larghezza = cella + w - x, altezza = h - y;
  if (larghezza > 0 && altezza > 0) img::Trasferisci(Striscia, x, y, larghezza, altezza, im, sx, sy);
}

bool Editor_Font::Genera(std::string* errore) {
  if (!Presente()) {
    if (errore) *errore = "no strip";
    return false;
  }
  auto font = text::Font::Create(Font_Logico(Font), errore);
  if (!font) return false;
  for (int c = 0; c < 256; ++c) Carattere_Genera(c, *font);
  Codice_Scelto = 0;
  Primo_Codice = 0;
  Carattere_Carica();
  return true;
}

void Editor_Font::Seleziona(int anteprima) {
  if (!Presente() || anteprima < 0 || anteprima >= kAnteprime) return;
  Codice_Scelto = Primo_Codice + anteprima;
  Carattere_Carica();
}

void Editor_Font::Scorri(int primo) { Primo_Codice = std::clamp(primo, 0, kPrimo_Codice_Massimo); }

int Editor_Font::Riga_Scelta() const {
  const int r = Codice_Scelto - Primo_Codice;
  return r >= 0 && r < kAnteprime ? r : -1;
}

void Editor_Font::Carattere_Carica() {
  if (!Presente()) return;
  if (Cella.Larghezza() != Larghezza_Cella || Cella.Altezza() != Altezza_Cella || Cella.Bit() != Bit_Pixel)
    Cella = Immagine_Pulisci(Larghezza_Cella, Altezza_Cella);
  img::Trasferisci(Cella, 0, 0, Larghezza_Cella, Altezza_Cella, Striscia, Codice_Scelto * Larghezza_Cella, 0);
}

img::Immagine Editor_Font::Cella_Di(int codice) const {
  img::Immagine cella = Immagine_Pulisci(Larghezza_Cella, Altezza_Cella);
  img::Trasferisci(cella, 0, 0, Larghezza_Cella, Altezza_Cella, Striscia, codice * Larghezza_Cella, 0);
  return cella;
}

void Editor_Font::Carattere_Riporta() {
  if (!Presente()) return;
  img::Trasferisci(Striscia, Codice_Scelto * Larghezza_Cella, 0, Larghezza_Cella, Altezza_Cella, Cella, 0, 0);
}

void Editor_Font::Sposta(Direzione d) {
  if (!Presente()) return;
  const int W = Cella.Larghezza(), H = Cella.Altezza();
  switch (d) {
    case Direzione::Sinistra:
      for (int y = 0; y < H; ++y) {
        for (int x = 1; x < W; ++x) Cella.Imposta_Pixel(x - 1, y, Cella.Pixel(x, y));
        Cella.Imposta_Pixel(W - 1, y, Colore_Sfondo);
      }
      break;
    case Direzione::Destra:
      for (int y = 0; y < H; ++y) {
        for (int x = W - 2; x >= 0; --x) Cella.Imposta_Pixel(x + 1, y, Cella.Pixel(x, y));
        Cella.Imposta_Pixel(0, y, Colore_Sfondo);
      }
      break;
    case Direzione::Alto:
      for (int x = 0; x < W; ++x) {
        for (int y = 1; y < H; ++y) Cella.Imposta_Pixel(x, y - 1, Cella.Pixel(x, y));
        Cella.Imposta_Pixel(x, H - 1, Colore_Sfondo);
      }
      break;
    case Direzione::Basso:
      for (int x = 0; x < W; ++x) {
        for (int y = H - 2; y >= 0; --y) Cella.Imposta_Pixel(x, y + 1, Cella.Pixel(x, y));
        Cella.Imposta_Pixel(x, 0, Colore_Sfondo);
      }
      break;
  }
  Carattere_Riporta();
}

bool Editor_Font::Premi_Twip(double x_twip, double y_twip, bool sinistro) {
  const int z = Scala_Editor(Larghezza_Cella, Altezza_Cella);
  if (!Presente() || z < 1 || x_twip < 0 || y_twip < 0) return false;
  const long x = std::lround(x_twip) / z, y = std::lround(y_twip) / z;
  if (x >= Cella.Larghezza() || y >= Cella.Altezza()) return false;
  Cella.Imposta_Pixel(static_cast<int>(x), static_cast<int>(y), sinistro ? Colore_Testo : Colore_Sfondo);
  Carattere_Riporta();
  return true;
}

void Editor_Font::Incolla(const img::Immagine& immagine) {
  if (!Presente() || immagine.Vuota()) return;
  img::Trasferisci(Cella, 0, 0, Larghezza_Cella, Altezza_Cella, immagine, 0, 0);
  Carattere_Riporta();
}

}  // namespace qod
