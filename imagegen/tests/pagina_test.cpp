// Page composition: the text grid drawn from the font strip onto a fax page,
// the landscape canvas turned, logos placed (also below the text), hidden
// cells, the end of the text kept between calls, zoom, the cap on canvas
// sizes, and every image type written and read back.
#include <gtest/gtest.h>

#include <random>

#include "qod/imaging/file.h"
#include "qod/imaging/pagina.h"
#include "supporto.h"

using namespace qod;
using namespace qod::prova;

namespace {

// A dense 80 x 66 page: printable characters everywhere, with chosen bytes
// at chosen cells.
struct Cella_Scelta {
  int riga, colonna;
  unsigned char b;
};
const Cella_Scelta kScelte[] = {{0, 0, 'Q'},  {0, 79, 'Z'},  {65, 0, '@'},  {65, 79, '#'},
                                {30, 40, 'g'}, {12, 7, 0xE0}, {47, 63, 'F'}, {5, 33, '0'}};

std::string Pagina_Densa(int righe = 66, int colonne = 80) {
  std::mt19937 caso(7);
  std::vector<std::string> r(static_cast<size_t>(righe));
  for (auto& s : r)
    for (int c = 0; c < colonne; ++c) s.push_back(static_cast<char>(33 + caso() % 94));
  for (const auto& s : kScelte)
    if (s.riga < righe && s.colonna < colonne) r[static_cast<size_t>(s.riga)][static_cast<size_t>(s.colonna)] = static_cast<char>(s.b);
  return Righe(r);
}

class Pagina : public ::testing::Test {
 protected:
  void SetUp() override { Pagina_Fax(g, uscita); }
  void Elabora(bool inizializza = true) {
    g.qodimg_Elabora(inizializza);
    ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
    ASSERT_EQ(g.qodimg_Status, "");
  }
  Cartella_Prova dir{"img"};
  std::string uscita = dir / "pagina.tif";
  Qod_IMG g;
};

}  // namespace

TEST_F(Pagina, TextGridOnAFaxPageInG4) {
  File_Scrivi(dir / "testo.txt", Pagina_Densa());
  g.qodimg_Txt_File = dir / "testo.txt";
  Elabora();

  const std::string info = Tiffinfo(uscita);
  EXPECT_NE(info.find("Image Width: 1728 Image Length: 2292"), std::string::npos) << info;
  EXPECT_NE(info.find("CCITT Group 4"), std::string::npos) << info;
  EXPECT_NE(info.find("Resolution: 204, 196 pixels/inch"), std::string::npos) << info;
  EXPECT_EQ(info.find("Warning"), std::string::npos) << info;

  const img::Immagine p = Carica(uscita);
  ASSERT_EQ(p.Larghezza(), 1728);
  ASSERT_EQ(p.Altezza(), 2292);
  Rendi(p, "pagina_fax_80x66");
  for (const auto& s : kScelte) {
    std::string dove;
    EXPECT_TRUE(Uguali(p, 64 + s.colonna * kCellaW, 80 + s.riga * kCellaH, Striscia_Immagine(), s.b * kCellaW, 0,
                       kCellaW, kCellaH, &dove))
        << "byte " << int(s.b) << " at row " << s.riga << " column " << s.colonna << " " << dove;
  }
  // The glyphs are distinct and really ink: the chosen cell is not another glyph.
  EXPECT_FALSE(Glifo(p, 64, 80, 'O'));
  EXPECT_GT(Scuri(p, 64, 80, kCellaW, kCellaH), 20);
  // Around the grid the page stays white.
  EXPECT_EQ(Scuri(p, 0, 0, 1728, 80), 0);
  EXPECT_EQ(Scuri(p, 0, 80 + 66 * kCellaH, 1728, 2292 - 80 - 66 * kCellaH), 0);
  EXPECT_EQ(Scuri(p, 64 + 80 * kCellaW, 0, 1728 - 64 - 80 * kCellaW, 2292), 0);
  EXPECT_EQ(g.qodimg_Fnt_Width, kCellaW);  // 0 became the cell size
  EXPECT_EQ(g.qodimg_Fnt_Height, kCellaH);
}

TEST_F(Pagina, LandscapeCanvasIsTurnedWithTheTopOfTheTextOnTheLeft) {
  // 80 x 50 cells on the 2292 x 1728 canvas.
  g.qodimg_Txt_Orie = 0;
  g.qodimg_Txt_Rows = 50;
  File_Scrivi(dir / "testo.txt", Pagina_Densa(50));
  g.qodimg_Txt_File = dir / "testo.txt";
  Elabora();
  const img::Immagine p = Carica(uscita);
  ASSERT_EQ(p.Larghezza(), 1728);
  ASSERT_EQ(p.Altezza(), 2292);
  Rendi(p, "pagina_orizzontale");
  // Canvas pixel (X, Y) lands at (Y, 2291 - X): the first row runs up the
  // left edge from the bottom.
  const img::Immagine& s = Striscia_Immagine();
  for (const auto& c : kScelte) {
    if (c.riga >= 50) continue;
    const int X = 64 + c.colonna * kCellaW, Y = 80 + c.riga * kCellaH;
    int diversi = 0;
    for (int j = 0; j < kCellaH; ++j)
      for (int i = 0; i < kCellaW; ++i)
        diversi += (p.Pixel(Y + j, 2291 - (X + i)).Luminanza() < 128) !=
                   (s.Pixel(c.b * kCellaW + i, j).Luminanza() < 128);
    EXPECT_EQ(diversi, 0) << "byte " << int(c.b);
  }
  EXPECT_GT(Scuri(p, 80, 2291 - 64 - kCellaW, kCellaH, kCellaW), 20);  // row 1, column 1: bottom left
  EXPECT_EQ(Scuri(p, 0, 0, 80, 2292), 0);                               // above the first row: the left margin
}

TEST_F(Pagina, LogoBelowTheTextAndTheEndOfTextKeptBetweenCalls) {
  Scrivi_Bmp(Logo_Prova(200, 60), dir / "logo.bmp");
  g.qodimg_Im1_File = "  " + dir / "logo.bmp" + " ";
  g.qodimg_Im1_Left = 100;
  g.qodimg_Im1_Top = 10;
  g.qodimg_Im1_Pos = 1;
  // The last glyph on row 40 (0-based); two blank lines after it.
  std::vector<std::string> r(41, "riga");
  r.push_back("");
  r.push_back("      ");
  File_Scrivi(dir / "testo.txt", Righe(r));
  g.qodimg_Txt_File = dir / "testo.txt";
  Elabora();
  EXPECT_EQ(g.qodimg_Im1_File, dir / "logo.bmp");  // trimmed, written back
  EXPECT_EQ(g.qodimg_Im1_Width, 200);
  EXPECT_EQ(g.qodimg_Im1_Height, 60);
  EXPECT_EQ(g.qodimg_Im1_ZoomX, 1);
  const int fine = 80 + 40 * kCellaH + kCellaH;
  img::Immagine p = Carica(uscita);
  Rendi(p, "logo_sotto_il_testo");
  const img::Immagine logo = Logo_Prova(200, 60);
  EXPECT_TRUE(Uguali(p, 100, 10 + fine, logo, 0, 0, 200, 60));
  EXPECT_TRUE(Glifo(p, 64, 80 + 40 * kCellaH, 'r'));

  // A call without a page text keeps the end of the last one.
  g.qodimg_Txt_File.clear();
  Elabora(false);
  p = Carica(uscita);
  EXPECT_TRUE(Uguali(p, 100, 10 + fine, logo, 0, 0, 200, 60));
  EXPECT_EQ(Scuri(p, 0, 0, 1728, 10 + fine), 0);

  // A text of blanks and line ends draws nothing: the end of text is Txt_Top.
  File_Scrivi(dir / "vuoto.txt", "   \r\n\r\n  \r\n");
  g.qodimg_Txt_File = dir / "vuoto.txt";
  Elabora(false);
  p = Carica(uscita);
  EXPECT_TRUE(Uguali(p, 100, 10 + 80, logo, 0, 0, 200, 60));

  // Position 0: where Left and Top say; a source rectangle of the logo only.
  g.qodimg_Im1_Pos = 0;
  g.qodimg_Im1_Src_Left = 100;
  g.qodimg_Im1_Src_Top = 30;
  g.qodimg_Im1_Width = 100;
  g.qodimg_Im1_Height = 30;
  Elabora(false);
  p = Carica(uscita);
  EXPECT_TRUE(Uguali(p, 100, 10, logo, 100, 30, 100, 30));
  EXPECT_EQ(Scuri(p, 0, 40, 1728, 2292 - 40), 0);
}

TEST_F(Pagina, SecondLogoZoomedAndAndedOntoTheText) {
  Scrivi_Bmp(Logo_Prova(50, 20, 24), dir / "logo2.bmp");
  g.qodimg_Im2_File = dir / "logo2.bmp";
  g.qodimg_Im2_Left = 64;
  g.qodimg_Im2_Top = 80;
  g.qodimg_Im2_ZoomX = 2;
  g.qodimg_Im2_ZoomY = 3;
  g.qodimg_Im2_Mode = 1;  // AND: the text stays where the logo is white
  File_Scrivi(dir / "testo.txt", Righe({"WWWWWWWWWW", "WWWWWWWWWW"}));
  g.qodimg_Txt_File = dir / "testo.txt";
  Elabora();
  EXPECT_EQ(g.qodimg_Im2_Width, 100);
  EXPECT_EQ(g.qodimg_Im2_Height, 60);
  const img::Immagine p = Carica(uscita);
  Rendi(p, "logo2_zoom_and");
  EXPECT_EQ(Scuri(p, 64, 80, 50, 30), 50 * 30);  // the top-left block, zoomed
  // Inside the white part of the logo the glyphs show through.
  EXPECT_GT(Scuri(p, 64 + 60, 80 + 32, 30, 20), 0);
}

TEST_F(Pagina, RowsColumnsAndHiddenCells) {
  g.qodimg_Txt_Rows = 3;
  g.qodimg_Txt_Cols = 20;
  // Four lines for three rows; a line of 30 characters for 20 columns; LF
  // ignored, a control byte takes its cell.
  File_Scrivi(dir / "testo.txt", std::string("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\r\n") + "B\nB\x0C" + "B\r\n" +
                                "CCCCCCCCCCCCCCCCCCCC\r\nDDDD\r\n");
  File_Scrivi(dir / "comandi.txt", Righe({"{TN=3,10,5}", "{TN=2,1,1}"}));
  g.qodimg_Txt_File = dir / "testo.txt";
  g.qodimg_Cmd_File = dir / "comandi.txt";
  Elabora();
  const img::Immagine p = Carica(uscita);
  Rendi(p, "celle_nascoste");
  auto x = [](int c) { return 64 + c * kCellaW; };
  auto y = [](int r) { return 80 + r * kCellaH; };
  EXPECT_TRUE(Glifo(p, x(19), y(0), 'A'));
  EXPECT_EQ(Scuri(p, x(20), y(0), 10 * kCellaW, kCellaH), 0);  // past the columns
  EXPECT_EQ(Scuri(p, x(0), y(1), kCellaW, kCellaH), 0);        // hidden
  EXPECT_TRUE(Glifo(p, x(1), y(1), 'B'));
  EXPECT_TRUE(Glifo(p, x(3), y(1), 'B'));
  for (int c = 0; c < 20; ++c) {
    const bool nascosta = c >= 9 && c <= 13;
    EXPECT_EQ(Glifo(p, x(c), y(2), 'C'), !nascosta) << c;
    if (nascosta) { EXPECT_EQ(Scuri(p, x(c), y(2), kCellaW, kCellaH), 0) << c; }
  }
  EXPECT_EQ(Scuri(p, 0, y(3), 1728, 2292 - y(3)), 0);  // the fourth line is past the rows
}

TEST_F(Pagina, StripCellsRoundHalfToEvenAndGlyphsPastTheStripAreClipped) {
  // 4000 / 256 = 15.625: cells of 16; the cells of 250..255 reach past the strip.
  img::Immagine s;
  ASSERT_TRUE(s.Crea(4000, 20, 1));
  s.Riempi(img::Bianco);
  for (int b = 0; b < 256; ++b) s.Riempi(b * 16 + (b % 4), 2, 3, 16, img::Nero);
  Scrivi_Bmp(s, dir / "s4000.bmp");
  g.qodimg_Fnt_File = dir / "s4000.bmp";
  g.qodimg_Txt_Col_Dim = 16;
  g.qodimg_Txt_Row_Dim = 20;
  File_Scrivi(dir / "testo.txt", std::string("\x01\x02\xF9\xFA\xFF"));
  g.qodimg_Txt_File = dir / "testo.txt";
  Elabora();
  EXPECT_EQ(g.qodimg_Fnt_Width, 16);
  EXPECT_EQ(g.qodimg_Fnt_Height, 20);
  const img::Immagine p = Carica(uscita);
  EXPECT_TRUE(Uguali(p, 64, 80, s, 16, 0, 16, 20));
  EXPECT_TRUE(Uguali(p, 64 + 16, 80, s, 32, 0, 16, 20));
  EXPECT_TRUE(Uguali(p, 64 + 32, 80, s, 249 * 16, 0, 16, 20));
  // 250 starts at 4000: nothing of the strip left to copy.
  EXPECT_EQ(Scuri(p, 64 + 48, 80, 32, 20), 0);
}

TEST_F(Pagina, OutputZoomScalesTheCanvasToTheOutputSize) {
  // Zoom 0.5: a 3456 x 4584 canvas, glyphs twice the size of the output's.
  g.qodimg_Out_ZoomX = 0.5;
  g.qodimg_Out_ZoomY = 0.5;
  g.qodimg_Txt_Left = 128;
  g.qodimg_Txt_Top = 160;
  File_Scrivi(dir / "testo.txt", Righe({"Q"}));
  g.qodimg_Txt_File = dir / "testo.txt";
  g.qodimg_Out_Save = 7;
  uscita = dir / "zoom.png";
  g.qodimg_Out_File = uscita;
  Elabora();
  const img::Immagine p = Carica(uscita);
  EXPECT_EQ(p.Larghezza(), 1728);
  EXPECT_EQ(p.Altezza(), 2292);
  // The glyph now covers half its cell from (64, 80).
  const img::Immagine& s = Striscia_Immagine();
  const int pieni = Scuri(s, 'Q' * kCellaW, 0, kCellaW, kCellaH);
  const int ridotti = Scuri(p, 64, 80, kCellaW / 2, kCellaH / 2);
  EXPECT_GT(ridotti, pieni / 5);
  EXPECT_LT(ridotti, pieni);
  EXPECT_EQ(Scuri(p, 64 + kCellaW / 2, 0, 1728, 2292), 0);
}

TEST_F(Pagina, TheCanvasIsHeldToAFixedSize) {
  // 4288 / 0.1 a side at 24 bits would be 5.5 GB.
  g.qodimg_Out_Width = 4288;
  g.qodimg_Out_Height = 4288;
  g.qodimg_Out_ZoomX = 0.1;
  g.qodimg_Out_ZoomY = 0.1;
  g.qodimg_Out_Save = 9;
  g.qodimg_Out_File = dir / "grande.png";
  g.qodimg_Elabora(true);
  EXPECT_TRUE(g.qodimg_Error);
  EXPECT_EQ(g.qodimg_Status, "Errore generazione " + dir / "grande.png" + " vuoto");
  // Output 2 x 2 with zoom 16 rounds to no canvas at all.
  g.qodimg_Out_Width = 2;
  g.qodimg_Out_Height = 2;
  g.qodimg_Out_ZoomX = 16;
  g.qodimg_Out_ZoomY = 16;
  g.qodimg_Txt_Left = g.qodimg_Txt_Top = 0;
  g.qodimg_Elabora(true);
  EXPECT_EQ(g.qodimg_Status, "Errore generazione " + dir / "grande.png" + " vuoto");
}

TEST_F(Pagina, EveryImageTypeIsWrittenAndReadBack) {
  File_Scrivi(dir / "testo.txt", Righe({"Quillon 0123456789"}));
  g.qodimg_Txt_File = dir / "testo.txt";
  g.qodimg_Out_Width = 600;
  g.qodimg_Out_Height = 400;
  g.qodimg_Txt_Rows = 5;
  g.qodimg_Txt_Cols = 25;
  g.qodimg_Out_BkColor = 0xC0E0FF;  // light: white on 1-bit pages
  g.qodimg_JPG_Qual = 90;
  for (int codice = 0; codice <= 10; ++codice) {
    const std::string f = dir / ("tipo" + std::to_string(codice) + img::Estensione_Tipo(codice));
    g.qodimg_Out_File = f;
    g.qodimg_Out_Save = codice;
    g.qodimg_Out_ResX = codice == 0 || codice == 10 ? 204 : 150;
    g.qodimg_Out_ResY = codice == 0 || codice == 10 ? 196 : 150;
    g.qodimg_Rows_Strip = 9999;
    g.qodimg_Elabora(true);
    ASSERT_FALSE(g.qodimg_Error) << codice << ": " << g.qodimg_Status;
    EXPECT_EQ(g.qodimg_Rows_Strip, 400);  // 9999 became the output height
    const img::Immagine p = Carica(f);
    ASSERT_EQ(p.Larghezza(), 600) << codice;
    ASSERT_EQ(p.Altezza(), 400) << codice;
    EXPECT_EQ(p.Dpi_X(), g.qodimg_Out_ResX) << codice;
    EXPECT_EQ(p.Bit() == 1, codice == 0 || codice == 1 || codice == 3 || codice == 7 || codice == 10) << codice;
    // The glyph of "Q" is on the page in every format (JPEG within its loss).
    EXPECT_GT(Scuri(p, 64, 80, kCellaW, kCellaH), 30) << codice;
    if (codice == 2 || codice == 4 || codice == 9) { EXPECT_EQ(p.Pixel(5, 5), img::Colore::Da_RGB(0xC0E0FF)) << codice; }
    if (codice >= 7 && codice <= 9) { EXPECT_TRUE(Pngcheck(f)) << codice; }
    if (img::Estensione_Tipo(codice) == ".TIF") { EXPECT_EQ(Tiffinfo(f).find("Warning"), std::string::npos) << codice; }
  }
}

TEST_F(Pagina, MultiPageTiffGetsTheFurtherPageOthersAreReplaced) {
  g.qodimg_Out_Save = 1;
  g.qodimg_Out_ResX = g.qodimg_Out_ResY = 200;
  g.qodimg_TIF_MultiP = true;
  File_Scrivi(dir / "testo.txt", Righe({"pagina"}));
  g.qodimg_Txt_File = dir / "testo.txt";
  Elabora();
  Elabora(false);
  EXPECT_EQ(img::Conta_Immagini(uscita), 2);
  const std::string info = Tiffinfo(uscita);
  EXPECT_NE(info.find("TIFF Directory at offset"), info.rfind("TIFF Directory at offset")) << info;
  // Without the append the earlier file goes first.
  g.qodimg_TIF_MultiP = false;
  Elabora(false);
  EXPECT_EQ(img::Conta_Immagini(uscita), 1);
  // A PNG type never appends, whatever the member says.
  g.qodimg_TIF_MultiP = true;
  g.qodimg_Out_Save = 7;
  File_Scrivi(dir / "p.png", "not an image");
  g.qodimg_Out_File = dir / "p.png";
  Elabora(false);
  EXPECT_TRUE(Pngcheck(dir / "p.png"));
}

TEST_F(Pagina, WindowsPathsAreResolvedCaseInsensitively) {
  fs::create_directories(dir.Dir() / "Tmp" / "Lgo");
  Scrivi_Bmp(Logo_Prova(40, 40), dir / "Tmp/Lgo/logo.bmp");
  File_Scrivi(dir / "Tmp/testo.txt", Righe({"X"}));
  const std::string base = dir.Dir().string();
  g.qodimg_Im1_File = base + "\\TMP\\LGO\\LOGO.BMP";
  g.qodimg_Txt_File = base + "\\tmp\\TESTO.TXT";
  g.qodimg_Out_File = base + "\\tmp\\Pagina.TIF";
  Elabora();
  EXPECT_TRUE(fs::exists(dir.Dir() / "Tmp" / "Pagina.TIF"));
}

// Page after page in one generator, the canvas and the image its turn or
// zoom is drawn into are made in the memory of the pages before: every file
// is byte for byte the one a fresh generator writes for the same page, also
// for widths whose rows end inside a byte and types that store those bits
// (uncompressed TIFF, BMP), turned and zoomed pages and other backgrounds.
TEST_F(Pagina, PagesMadeInTheMemoryOfEarlierPagesAreTheFilesOfAFreshGenerator) {
  File_Scrivi(dir / "testo.txt", Pagina_Densa());
  struct Caso {
    int w, h, tipo, orie;
    double zoom;
    int32_t sfondo;
  };
  const Caso casi[] = {
      {1728, 2292, 10, 1, 1, 0xFFFFFF}, {1699, 2292, 1, 1, 1, 0xFFFFFF}, {1728, 2292, 10, 0, 1, 0xFFFFFF},
      {1728, 2292, 10, 0, 1, 0xFFFFFF}, {1701, 2201, 1, 0, 1, 0x000000}, {1701, 2201, 1, 1, 1, 0xFFFFFF},
      {1728, 2292, 3, 1, 1, 0xFFFFFF},  {1699, 2292, 3, 1, 1, 0xFFFFFF}, {1699, 2203, 3, 0, 1, 0xFFFFFF},
      {1699, 2203, 7, 0, 0.5, 0xFFFFFF}, {1203, 1601, 9, 0, 2, 0x3366CC}, {1203, 1601, 2, 1, 1, 0xCCCCCC},
      {1728, 2292, 0, 0, 0.7, 0xFFFFFF}, {1728, 2292, 10, 1, 1, 0xFFFFFF}};
  int n = 0;
  for (const Caso& c : casi) {
    const bool fax = c.tipo == 0 || c.tipo == 10;
    auto imposta = [&](Qod_IMG& x, const std::string& file) {
      Pagina_Imposta(x, file, {c.w, c.h, c.tipo, fax ? 204 : 200, fax ? 196 : 200, 64, 80, 80, 66});
      x.qodimg_Out_ZoomX = x.qodimg_Out_ZoomY = c.zoom;
      x.qodimg_Txt_Orie = static_cast<int16_t>(c.orie);
      x.qodimg_Out_BkColor = c.sfondo;
      x.qodimg_Fnt_File = Striscia_Prova();
      x.qodimg_Txt_File = dir / "testo.txt";
    };
    const std::string estensione = img::Estensione_Tipo(c.tipo), nome = "pagina" + std::to_string(++n);
    imposta(g, dir / (nome + estensione));
    Elabora();
    Qod_IMG fresco;
    imposta(fresco, dir / (nome + "_fresco" + estensione));
    fresco.qodimg_Elabora(true);
    ASSERT_FALSE(fresco.qodimg_Error) << fresco.qodimg_Status;
    EXPECT_EQ(File_Leggi(dir / (nome + estensione)), File_Leggi(dir / (nome + "_fresco" + estensione)))
        << "page " << n << ": " << c.w << " x " << c.h << ", type " << c.tipo << ", Txt_Orie " << c.orie;
  }
}

// The canvas, the font strip and the logos are kept from page to page: a
// page shows nothing of the one before, and a strip or logo changed on disk
// under the same name, or a member that changes how it is made ready, is
// read again.
TEST_F(Pagina, KeptImagesFollowTheirFilesAndMembers) {
  // A strip and a logo installed long ago.
  auto indietro = [](const std::string& f) {
    fs::last_write_time(f, fs::file_time_type::clock::now() - std::chrono::hours(1));
    return fs::last_write_time(f);
  };
  const std::string striscia = dir / "striscia.bmp", logo = dir / "logo.bmp";
  fs::copy_file(Striscia_Prova(), striscia);
  const auto tempo_striscia = indietro(striscia);
  Scrivi_Bmp(Logo_Prova(200, 60), logo);
  indietro(logo);
  g.qodimg_Fnt_File = striscia;
  g.qodimg_Im1_File = logo;
  g.qodimg_Im1_Left = 100;
  g.qodimg_Im1_Top = 10;
  File_Scrivi(dir / "denso.txt", Pagina_Densa());
  File_Scrivi(dir / "breve.txt", Righe({"Q"}));
  g.qodimg_Txt_File = dir / "denso.txt";
  Elabora();
  g.qodimg_Txt_File = dir / "breve.txt";
  Elabora(false);
  {
    Qod_IMG fresco;
    Pagina_Fax(fresco, dir / "fresco.tif");
    fresco.qodimg_Fnt_File = striscia;
    fresco.qodimg_Im1_File = logo;
    fresco.qodimg_Im1_Left = 100;
    fresco.qodimg_Im1_Top = 10;
    fresco.qodimg_Txt_File = dir / "breve.txt";
    fresco.qodimg_Elabora(true);
    ASSERT_FALSE(fresco.qodimg_Error) << fresco.qodimg_Status;
    std::string dove;
    EXPECT_TRUE(Uguali(Carica(uscita), 0, 0, Carica(dir / "fresco.tif"), 0, 0, 1728, 2292, &dove)) << dove;
  }

  // Both files rewritten in place with black pictures of the same size; the
  // strip also given back its old modification time.
  img::Immagine nera;
  nera.Crea(Striscia_Immagine().Larghezza(), Striscia_Immagine().Altezza(), 1);
  nera.Riempi(img::Nero);
  Scrivi_Bmp(nera, striscia);
  fs::last_write_time(striscia, tempo_striscia);
  nera.Crea(200, 60, 1);
  nera.Riempi(img::Nero);
  Scrivi_Bmp(nera, logo);
  Elabora(false);
  img::Immagine p = Carica(uscita);
  EXPECT_EQ(Scuri(p, 64, 80, kCellaW, kCellaH), kCellaW * kCellaH);  // the "Q" cell
  EXPECT_EQ(Scuri(p, 100, 10, 200, 60), 200 * 60);

  // A zoom of the logo: read and made ready again (its size written back).
  g.qodimg_Im1_Width = g.qodimg_Im1_Height = 0;
  g.qodimg_Im1_ZoomX = 2;
  Elabora(false);
  EXPECT_EQ(g.qodimg_Im1_Width, 400);
  EXPECT_EQ(Scuri(Carica(uscita), 100, 10, 400, 60), 400 * 60);

  // A strip damaged on disk fails the page as a strip that cannot be read.
  File_Scrivi(striscia, "non un'immagine");
  g.qodimg_Elabora(false);
  EXPECT_TRUE(g.qodimg_Error);
  EXPECT_EQ(g.qodimg_Status, "Errore caricamento " + striscia);
}
