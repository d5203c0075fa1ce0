// The font editor's model: strip geometry and colours, opening (damaged
// files and sizes that cannot be edited are refused with a message), saving,
// pixel editing, blank strips and glyph generation from an installed font;
// the command-line tool that writes a generated strip.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "editor_font.h"
#include "pagina_striscia.h"
#include "qod/ansi.h"
#include "qod/imaging/file.h"
#include "qod/prova/costruzione.h"
#include "qod/prova/strumenti.h"
#include "supporto.h"

using namespace qod;
using namespace qod::prova;

namespace {

bool Salva_Bmp(const img::Immagine& im, const std::string& file) {
  img::Parametri_Salvataggio p;
  p.opzioni = "EXTENSION = BMP";
  return static_cast<bool>(img::Salva(im, file, p));
}

int Inchiostro(const img::Immagine& im, int x, int y, int w, int h, img::Colore sfondo) {
  int n = 0;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      if (!(im.Pixel(i, j) == sfondo)) ++n;
  return n;
}

bool Uguale(const img::Immagine& a, int ax, const img::Immagine& b, int bx, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (!(a.Pixel(ax + x, y) == b.Pixel(bx + x, y))) return false;
  return true;
}

// A strip of cells w x h at the depth: background white, a black bar across
// the middle row of every cell from code 33 on.
img::Immagine Striscia_Barre(int w, int h, int bit, img::Colore sfondo = img::Bianco,
                             img::Colore testo = img::Nero) {
  img::Immagine s;
  s.Crea(256 * w, h, bit);
  s.Riempi(sfondo);
  for (int c = 33; c < 256; ++c) s.Riempi(c * w + 1, h / 2, w - 2, 1, testo);
  return s;
}

Editor_Font Editor_Liberation(int w, int h, int bit = 1) {
  Editor_Font e;
  EXPECT_TRUE(e.Nuova(w, h, bit, img::Nero, img::Bianco));
  e.Font.Font_Nome = "Liberation Mono";
  e.Font.Font_Punti = h * 3 / 4;
  return e;
}

}  // namespace

TEST(StrisciaGeometria, CellaEScala) {
  struct Caso {
    int larghezza, cella;
  } casi[] = {{4096, 16}, {1000, 4}, {640, 2}, {384, 2}, {128, 0}, {32768, 128}, {5120, 20}};
  for (const auto& c : casi) EXPECT_EQ(Larghezza_Da_Striscia(c.larghezza), c.cella) << c.larghezza;
  EXPECT_EQ(Scala_Editor(16, 32), 163);  // 5220 / 32 = 163.1
  EXPECT_EQ(Scala_Editor(128, 4), 41);   // 40.8
  EXPECT_EQ(Scala_Editor(0, 32), 163);
  EXPECT_EQ(Scala_Editor(0, 0), 0);
  EXPECT_EQ(Scala_Editor(10, 10440), 0);  // 0.5 to even
  EXPECT_EQ(Scala_Editor(10, 10439), 1);
}

TEST(StrisciaColori, SfondoDallaCella32TestoDallaRigaCentrale) {
  // Standard: white background, black ink.
  img::Immagine s = Striscia_Barre(8, 16, 24, img::Bianco, {200, 0, 0});
  Colori_Striscia c = Colori_Da_Striscia(s, 8, 16);
  EXPECT_EQ(c.sfondo, img::Bianco);
  EXPECT_EQ(c.testo, (img::Colore{200, 0, 0}));
  // Ink at the top-left pixel of cell 32 is taken as the background.
  s.Imposta_Pixel(32 * 8, 0, {0, 0, 255});
  c = Colori_Da_Striscia(s, 8, 16);
  EXPECT_EQ(c.sfondo, (img::Colore{0, 0, 255}));
  EXPECT_EQ(c.testo, img::Bianco);  // the first pixel of row 8 that differs
  // No ink on the middle row: black, even on a black background.
  img::Immagine nero;
  nero.Crea(256 * 8, 16, 1);
  nero.Riempi(img::Nero);
  c = Colori_Da_Striscia(nero, 8, 16);
  EXPECT_EQ(c.sfondo, img::Nero);
  EXPECT_EQ(c.testo, img::Nero);
}

TEST(FontLogico, AltezzaLarghezzaEStile) {
  Impostazioni_Font f;
  f.Font_Nome = "  Liberation Mono ";
  f.Font_Punti = 14;
  f.Font_Larghezza = 10;
  f.Font_Grassetto = true;
  text::LogFont lf = Font_Logico(f);
  EXPECT_EQ(lf.height, 14);
  EXPECT_EQ(lf.width, 10);
  EXPECT_EQ(lf.weight, 700);
  EXPECT_EQ(lf.face_name, "Liberation Mono");
  EXPECT_EQ(lf.charset, text::charset::kDefault);
  f.Font_Larghezza = 0;
  f.Font_Grassetto = false;
  f.Font_Corsivo = f.Font_Sottolineato = f.Font_Tagliato = true;
  lf = Font_Logico(f);
  EXPECT_EQ(lf.height, -14);
  EXPECT_EQ(lf.weight, 400);
  EXPECT_TRUE(lf.italic && lf.underline && lf.strike_out);
}

// Damaged files and sizes the editor cannot work with: a message naming the
// file, and the strip open before stays as it was.
TEST(StrisciaApri, RifiutaFileDanneggiatiEMisureNonModificabili) {
  Cartella_Prova dir{"zufnt"};
  const std::string buona = dir / "buona.bmp";
  ASSERT_TRUE(Salva_Bmp(Striscia_Barre(8, 16, 1), buona));
  const std::string bmp = File_Leggi(buona);

  auto scrivi_immagine = [&](const std::string& nome, int w, int h, int bit) {
    img::Immagine im;
    EXPECT_TRUE(im.Crea(w, h, bit));
    EXPECT_TRUE(Salva_Bmp(im, dir / nome));
    return dir / nome;
  };
  // A BMP whose header claims a width of 2^30 pixels.
  std::string enorme = bmp;
  enorme[18] = 0, enorme[19] = 0, enorme[20] = 0, enorme[21] = 0x40;
  std::string rovesciata = bmp;  // negative width
  rovesciata[21] = static_cast<char>(0x80);
  struct Caso {
    const char* nome;
    std::string file;
    const char* messaggio;
  } casi[] = {
      {"missing", dir / "manca.bmp", "Il file non \xE8 un'immagine leggibile"},
      {"not an image", (File_Scrivi(dir / "testo.bmp", "BM not really"), dir / "testo.bmp"),
       "Il file non \xE8 un'immagine leggibile"},
      {"cut short", (File_Scrivi(dir / "corta.bmp", bmp.substr(0, bmp.size() / 2)), dir / "corta.bmp"),
       "Il file non \xE8 un'immagine leggibile"},
      {"header only", (File_Scrivi(dir / "testata.bmp", bmp.substr(0, 54)), dir / "testata.bmp"),
       "Il file non \xE8 un'immagine leggibile"},
      {"huge width", (File_Scrivi(dir / "enorme.bmp", enorme), dir / "enorme.bmp"),
       "Il file non \xE8 un'immagine leggibile"},
      {"negative width", (File_Scrivi(dir / "rovesciata.bmp", rovesciata), dir / "rovesciata.bmp"),
       "Il file non \xE8 un'immagine leggibile"},
      {"cell width 0", scrivi_immagine("stretta.bmp", 127, 16, 1), "La striscia (cella di 0 x 16 pixel)"},
      {"too tall for the editor box", scrivi_immagine("alta.bmp", 256 * 4, 10440, 1),
       "La striscia (cella di 4 x 10440 pixel)"},
  };
  for (const auto& c : casi) {
    Editor_Font e;
    ASSERT_EQ(e.Apri(buona), "");
    e.Codice_Scelto = 65;
    const std::string m = e.Apri(c.file);
    EXPECT_EQ(m.rfind(c.messaggio, 0), 0u) << c.nome << ": " << m;
    EXPECT_NE(m.find(c.file), std::string::npos) << c.nome;
    EXPECT_EQ(e.Nome_Striscia, buona) << c.nome;
    EXPECT_EQ(e.Larghezza_Cella, 8) << c.nome;
    EXPECT_EQ(e.Codice_Scelto, 65) << c.nome;
  }
}

TEST(StrisciaApri, MisureCheIlGeneratoreRifiutaSiAprono) {
  Cartella_Prova dir{"zufnt"};
  struct Caso {
    int larghezza, altezza, bit;
    int cella, bit_pixel;
  } casi[] = {{640, 20, 1, 2, 1}, {1000, 4, 24, 4, 24}, {4096, 32, 1, 16, 1}, {300, 3, 8, 1, 24}};
  for (const auto& c : casi) {
    img::Immagine im;
    ASSERT_TRUE(im.Crea(c.larghezza, c.altezza, c.bit));
    const std::string f = dir / "s.bmp";
    ASSERT_TRUE(Salva_Bmp(im, f));
    Editor_Font e;
    EXPECT_EQ(e.Apri(f), "") << c.larghezza;
    EXPECT_EQ(e.Larghezza_Cella, c.cella);
    EXPECT_EQ(e.Altezza_Cella, c.altezza);
    EXPECT_EQ(e.Larghezza_Striscia, c.larghezza);
    EXPECT_EQ(e.Bit_Pixel, c.bit_pixel);
    EXPECT_EQ(e.Cella.Larghezza(), c.cella);
    // The last cells lie partly outside a strip narrower than 256 cells:
    // editing them stays inside the image.
    e.Scorri(250);
    e.Seleziona(5);
    e.Sposta(Direzione::Destra);
    EXPECT_TRUE(e.Premi_Twip(0, 0, true));
  }
}

TEST(StrisciaSalva, UnoEVentiquattroBitTornanoUguali) {
  Cartella_Prova dir{"zufnt"};
  for (int bit : {1, 24}) {
    const std::string f = dir / ("s" + std::to_string(bit) + ".bmp"), g = dir / "copia.bmp";
    img::Immagine s = Striscia_Barre(6, 10, bit);
    if (bit == 24) s.Imposta_Pixel(100, 3, {10, 200, 30});
    ASSERT_TRUE(Salva_Bmp(s, f));
    Editor_Font e;
    ASSERT_EQ(e.Apri(f), "");
    EXPECT_EQ(e.Bit_Pixel, bit);
    ASSERT_EQ(e.Salva(g), "");
    img::Immagine a, b;
    ASSERT_TRUE(img::Carica(f, a) && img::Carica(g, b));
    EXPECT_EQ(b.Bit(), bit);
    EXPECT_TRUE(Uguale(a, 0, b, 0, a.Larghezza(), a.Altezza())) << bit;
  }
  Editor_Font e;
  ASSERT_TRUE(e.Nuova(4, 4, 1, img::Nero, img::Bianco));
  std::filesystem::create_directories(dir / "cartella.bmp");
  EXPECT_EQ(e.Salva(dir / "cartella.bmp"), "Impossibile salvare la striscia: " + dir / "cartella.bmp");
}

TEST(EditorFont, SpostamentiPerdonoLInchiostroOltreIlBordo) {
  Editor_Font e;
  ASSERT_TRUE(e.Nuova(8, 6, 24, {0, 0, 200}, {250, 250, 0}));
  e.Seleziona(5);  // code 5
  ASSERT_EQ(e.Codice_Scelto, 5);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) e.Cella.Imposta_Pixel(x, y, e.Colore_Testo);
  for (int i = 0; i < 4; ++i) e.Sposta(Direzione::Sinistra);
  for (int i = 0; i < 4; ++i) e.Sposta(Direzione::Destra);
  // The four columns that left the cell are background now; the strip took it.
  EXPECT_EQ(Inchiostro(e.Striscia, 5 * 8, 0, 4, 6, e.Colore_Sfondo), 0);
  EXPECT_EQ(Inchiostro(e.Striscia, 5 * 8 + 4, 0, 4, 6, e.Colore_Sfondo), 24);
  e.Sposta(Direzione::Alto);
  e.Sposta(Direzione::Basso);
  EXPECT_EQ(Inchiostro(e.Striscia, 5 * 8 + 4, 0, 4, 1, e.Colore_Sfondo), 0);
  EXPECT_EQ(Inchiostro(e.Striscia, 5 * 8 + 4, 1, 4, 5, e.Colore_Sfondo), 20);
  // Neighbour cells untouched.
  EXPECT_EQ(Inchiostro(e.Striscia, 4 * 8, 0, 8, 6, e.Colore_Sfondo), 0);
  EXPECT_EQ(Inchiostro(e.Striscia, 6 * 8, 0, 8, 6, e.Colore_Sfondo), 0);
}

TEST(EditorFont, PuntatoreImpostaUnPixel) {
  Editor_Font e;
  EXPECT_FALSE(e.Premi_Twip(10, 10, true));  // no strip
  ASSERT_TRUE(e.Nuova(16, 32, 1, img::Nero, img::Bianco));
  const int z = Scala_Editor(16, 32);  // 163 twips per pixel
  struct Caso {
    double x, y;
    bool sinistro, cambia;
    int px, py;
  } casi[] = {
      {0, 0, true, true, 0, 0},
      {z - 0.6, 0, true, true, 0, 0},        // rounds to z - 1: still pixel 0
      {z - 0.4, 2.0 * z, true, true, 1, 2},  // rounds to z: pixel 1
      {15.0 * z, 31.0 * z, true, true, 15, 31},
      {16.0 * z, 0, true, false, 0, 0},  // right of a narrow cell in the square box
      {0, 32.0 * z, true, false, 0, 0},
  };
  for (const auto& c : casi) {
    e.Cella.Riempi(img::Bianco);
    EXPECT_EQ(e.Premi_Twip(c.x, c.y, c.sinistro), c.cambia) << c.x << "," << c.y;
    EXPECT_EQ(Inchiostro(e.Cella, 0, 0, 16, 32, img::Bianco), c.cambia ? 1 : 0);
    if (c.cambia) {
      EXPECT_EQ(e.Cella.Pixel(c.px, c.py), img::Nero) << c.x << "," << c.y;
    }
  }
  // Another button paints the background.
  e.Cella.Riempi(img::Nero);
  EXPECT_TRUE(e.Premi_Twip(z, z, false));
  EXPECT_EQ(e.Cella.Pixel(1, 1), img::Bianco);
  EXPECT_EQ(e.Striscia.Pixel(1, 1), img::Bianco);
}

TEST(EditorFont, IncollaSoloLaParteDellaCellaAllaSuaProfondita) {
  Editor_Font e;
  ASSERT_TRUE(e.Nuova(8, 8, 1, img::Nero, img::Bianco));
  e.Scorri(60);
  e.Seleziona(5);  // code 65
  img::Immagine foto;  // 20 x 3 colour picture: dark left half, light right
  ASSERT_TRUE(foto.Crea(20, 3, 24));
  foto.Riempi(0, 0, 4, 3, {30, 40, 50});
  foto.Riempi(4, 0, 16, 3, {240, 240, 200});
  e.Incolla(foto);
  EXPECT_EQ(e.Cella.Larghezza(), 8);
  EXPECT_EQ(e.Cella.Bit(), 1);
  EXPECT_EQ(Inchiostro(e.Striscia, 65 * 8, 0, 8, 8, img::Bianco), 12);  // 4 x 3, the rest kept
  EXPECT_EQ(Inchiostro(e.Striscia, 66 * 8, 0, 8, 8, img::Bianco), 0);
}

// Generation from Liberation Mono: ink in every printable cell, none in the
// cells of control and undefined codes, and never outside a code's cell.
TEST(GeneraFont, CelleStampabiliConInchiostroEVicineVuote) {
  for (int bit : {1, 24}) {
    Editor_Font e = Editor_Liberation(16, 32, bit);
    std::string errore;
    ASSERT_TRUE(e.Genera(&errore)) << errore;
    for (int c = 0; c < 256; ++c) {
      const int n = Inchiostro(e.Striscia, c * 16, 0, 16, 32, img::Bianco);
      const bool vuota = c <= 32 || c == 127 || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D ||
                         c == 0xA0;
      if (vuota) {
        EXPECT_EQ(n, 0) << bit << " bit, code " << c;
      } else {
        EXPECT_GT(n, 0) << bit << " bit, code " << c;
      }
    }
    // Only the two colours, no smoothing.
    for (int x = 0; x < e.Striscia.Larghezza(); ++x)
      for (int y = 0; y < 32; ++y) {
        const img::Colore p = e.Striscia.Pixel(x, y);
        ASSERT_TRUE(p == img::Nero || p == img::Bianco) << x << "," << y;
      }
  }
}

TEST(GeneraFont, QuartiDiGiroEsatti) {
  // A square cell, so that every quarter turn keeps the whole glyph.
  const int l = 24;
  Editor_Font dritto = Editor_Liberation(l, l);
  ASSERT_TRUE(dritto.Genera());
  for (int angolo : {90, 180, 270, 360}) {
    Editor_Font e = Editor_Liberation(l, l);
    e.Font.Font_Rotazione = angolo;
    ASSERT_TRUE(e.Genera());
    for (int c : {int{'F'}, int{'g'}, int{'R'}, 0xE8}) {
      for (int y = 0; y < l; ++y)
        for (int x = 0; x < l; ++x) {
          // The glyph turned counter-clockwise by the angle about the cell's centre.
          int sx = x, sy = y;
          if (angolo == 90) sx = l - 1 - y, sy = x;
          if (angolo == 180) sx = l - 1 - x, sy = l - 1 - y;
          if (angolo == 270) sx = y, sy = l - 1 - x;
          ASSERT_EQ(e.Striscia.Pixel(c * l + x, y), dritto.Striscia.Pixel(c * l + sx, sy))
              << angolo << " degrees, code " << c << " at " << x << "," << y;
        }
    }
  }
  // A tall cell turned a quarter: the sides swap while drawing and come back.
  Editor_Font alto = Editor_Liberation(12, 24);
  alto.Font.Font_Rotazione = 90;
  ASSERT_TRUE(alto.Genera());
  EXPECT_EQ(alto.Striscia.Larghezza(), 256 * 12);
  EXPECT_GT(Inchiostro(alto.Striscia, 'W' * 12, 0, 12, 24, img::Bianco), 10);
}

TEST(GeneraFont, PosizioneNellaCellaSenzaToccareLeVicine) {
  const img::Colore sentinella{255, 0, 255};
  auto prepara = [&](Impostazioni_Font f) {
    Editor_Font e;
    EXPECT_TRUE(e.Nuova(16, 32, 24, img::Nero, img::Bianco));
    e.Striscia.Riempi(sentinella);
    e.Font = f;
    e.Font.Font_Nome = "Liberation Mono";
    e.Font.Font_Punti = 24;
    EXPECT_TRUE(e.Genera());
    return e;
  };
  auto conta = [](const img::Immagine& s, int x, int y, int w, int h, img::Colore c) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += s.Pixel(i, j) == c;
    return n;
  };
  {
    Impostazioni_Font f;
    f.Distanza_X = 3;
    Editor_Font e = prepara(f);
    for (int c : {0, 32, 65, 255}) {
      EXPECT_EQ(conta(e.Striscia, c * 16, 0, 3, 32, sentinella), 3 * 32) << c;
      EXPECT_EQ(conta(e.Striscia, c * 16 + 3, 0, 13, 32, sentinella), 0) << c;
    }
  }
  {
    Impostazioni_Font f;
    f.Distanza_Y = -31;  // only the bottom row of the glyph image lands, on row 0
    Editor_Font e = prepara(f);
    EXPECT_EQ(conta(e.Striscia, 0, 1, e.Striscia.Larghezza(), 31, sentinella), e.Striscia.Larghezza() * 31);
  }
  {
    // Centring: the ink box in the middle of the cell; a wide glyph whose
    // offset is negative never writes into the cell on its left.
    Impostazioni_Font f;
    f.Centra_X = f.Centra_Y = true;
    Editor_Font e = prepara(f);
    for (int c : {int{'i'}, int{'.'}, int{'M'}, int{'W'}, int{'_'}}) {
      int min_x = 99, max_x = -1, min_y = 99, max_y = -1;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 16; ++x)
          if (e.Striscia.Pixel(c * 16 + x, y) == img::Nero) {
            min_x = std::min(min_x, x), max_x = std::max(max_x, x);
            min_y = std::min(min_y, y), max_y = std::max(max_y, y);
          }
      ASSERT_GE(max_x, 0) << c;
      EXPECT_LE(std::abs((min_x) - (15 - max_x)), 1) << c;
      EXPECT_LE(std::abs((min_y) - (31 - max_y)), 1) << c;
    }
    // The blank is copied unshifted: the whole cell becomes background.
    EXPECT_EQ(conta(e.Striscia, 32 * 16, 0, 16, 32, img::Bianco), 16 * 32);
  }
  {
    // Other angles turn about the cell's centre and stay inside the cell.
    Impostazioni_Font f;
    f.Font_Rotazione = 45;
    Editor_Font e = prepara(f);
    EXPECT_GT(conta(e.Striscia, 'A' * 16, 0, 16, 32, img::Nero), 10);
    EXPECT_EQ(conta(e.Striscia, 0, 0, e.Striscia.Larghezza(), 32, sentinella), 0);
  }
  // No font: the strip stays as it was.
  Editor_Font e;
  ASSERT_TRUE(e.Nuova(8, 8, 1, img::Nero, img::Bianco));
  e.Font.Font_Punti = 100000;
  std::string errore;
  EXPECT_FALSE(e.Genera(&errore));
  EXPECT_FALSE(errore.empty());
  EXPECT_EQ(Inchiostro(e.Striscia, 0, 0, e.Striscia.Larghezza(), 8, img::Bianco), 0);
}

// A generated strip on a page of the page generator (looked at in
// renderings/liberation_mono.png).
TEST(GeneraFont, PaginaLeggibile) {
  Editor_Font e = Editor_Liberation(16, 32);
  e.Font.Font_Punti = 26;
  e.Font.Centra_X = true;
  ASSERT_TRUE(e.Genera());
  const std::string striscia = (Cartella_Immagini("renderings") / "liberation_mono.bmp").string();
  ASSERT_EQ(e.Salva(striscia), "");
  std::string stato;
  const img::Immagine p = Pagina_Striscia(
      striscia, {"Fattura n. 2026/0042 del 10/12/2026", "Totale EUR 1.234,56 - IVA 22%", A("àèéìòù ç £ § ° @#{}[]~")},
      16, 32, (Cartella_Immagini("renderings") / "liberation_mono.png").string(), &stato);
  ASSERT_FALSE(p.Vuota()) << stato;
  // "F" of the first line lies in column 1, row 1 of the grid.
  EXPECT_GT(Inchiostro(p, 10, 10, 16, 32, img::Bianco), 20);
  EXPECT_EQ(Inchiostro(p, 10 + 39 * 16, 10, 16, 32 * 3, img::Bianco), 0);
}

// zufnt_genera writes a strip with the editor's code that the page generator
// reads; arguments it cannot use end it with exit status 2.
TEST(GeneraFont, LoStrumentoScriveUnaStrisciaCheIlGeneratoreLegge) {
  Cartella_Prova dir{"zufnt_genera"};
  const std::string f = dir / "COUR20.BMP";
  const std::string genera = Programma_Build(QOD_ZUFNT_GENERA);
  EXPECT_EQ(Esegui({genera, f, "--cell", "16x24", "--face", "Liberation Mono"}).rc, 0);
  const img::Immagine s = Carica(f);
  EXPECT_EQ(s.Larghezza(), 256 * 16);
  EXPECT_EQ(s.Altezza(), 24);
  EXPECT_EQ(Esegui({genera, f, "--cell", "16"}).rc, 2);
  EXPECT_EQ(Esegui(std::vector<std::string>{genera}).rc, 2);
  // The generator draws with it.
  File_Scrivi(dir / "testo.txt", Righe({"Strip"}));
  Qod_IMG g;
  Pagina_Fax(g, dir / "p.tif");
  g.qodimg_Fnt_File = f;
  g.qodimg_Txt_File = dir / "testo.txt";
  g.qodimg_Elabora(true);
  EXPECT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_EQ(g.qodimg_Fnt_Width, 16);
  const img::Immagine p = Carica(dir / "p.tif");
  EXPECT_TRUE(Uguali(p, 64, 80, s, 'S' * 16, 0, 16, 24));
}
