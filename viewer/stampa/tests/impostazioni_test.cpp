// The print settings of the viewer without widgets: the section of the
// settings file and its reading rules, the checks of the dialog's boxes
// with the user's separators, the pages of a document to print, and where
// a page lands on the paper.
#include <gtest/gtest.h>

#include <string>

#include "qod/prova/strumenti.h"
#include "qod/viewer/impostazioni_stampa.h"

using namespace qod;
using namespace qod::imv;

namespace {

const Separatori kC{',', '.'};
const Separatori kIt{'.', ','};

TEST(ImpostazioniStampa, MissingSectionGivesTheDefaults) {
  prova::Cartella_Prova dir("imv_stampa");
  const std::string ini = dir / "Qod_C.INI";
  prova::File_Scrivi(ini, "[Generale]\r\nNome=Altro\r\n");
  const auto i = Impostazioni_Leggi(ini, "Stampante", kC, [] { return std::string("Laser"); });
  Impostazioni_Stampa atteso;
  atteso.Nome = "Laser";
  EXPECT_EQ(i, atteso);
  EXPECT_EQ(i.Adatta, 1);
  EXPECT_EQ(i.Allinea_X, 1);
  EXPECT_EQ(i.Allinea_Y, 1);
  EXPECT_EQ(i.Zoom_X, 100);
  EXPECT_EQ(i.Zoom_Y, 100);
  EXPECT_TRUE(i.Verticale);
  EXPECT_EQ(i.Copie, 1);
  EXPECT_EQ(i.Fascicola, 0);
  // No file at all reads the same way.
  EXPECT_EQ(Impostazioni_Leggi(dir / "nessuno.INI", "Stampante", kC, [] { return std::string("Laser"); }), atteso);
}

TEST(ImpostazioniStampa, WrittenKeysInTheirOrderAndReadBack) {
  prova::Cartella_Prova dir("imv_stampa");
  const std::string ini = dir / "Qod.INI";
  prova::File_Scrivi(ini, "[Generale]\r\nA=1\r\n");
  Impostazioni_Stampa i;
  i.Nome = "  Laser 2  ";
  i.Adatta = 0;
  i.Allinea_X = 1;
  i.Allinea_Y = 0;
  i.Zoom_X = 87.5;
  i.Zoom_Y = 800;
  i.Verticale = false;
  i.Margine_Sx = 10;
  i.Margine_Dx = 0;
  i.Margine_Top = 999;
  i.Margine_Bot = 5;
  i.Copie = 2;
  i.Fascicola = 1;
  ASSERT_TRUE(Impostazioni_Scrivi(ini, "Stampante", i));
  EXPECT_EQ(prova::File_Leggi(ini), prova::Righe_CRLF("[Generale]\nA=1\n[Stampante]\nNome=Laser 2\nAdatta=0\n"
                                                      "Allinea X=1\nAllinea Y=0\nZoom X=8750\nZoom Y=80000\n"
                                                      "Orientamento=O\nMargine Sx=10\nMargine Dx=0\n"
                                                      "Margine Top=999\nMargine Bot=5\nCopie=002\nFascicola=1"));
  // Read back the same under either user's separators.
  for (const Separatori& s : {kC, kIt}) {
    auto letta = Impostazioni_Leggi(ini, "Stampante", s, [] { return std::string("Altra"); });
    i.Nome = "Laser 2";
    EXPECT_EQ(letta, i) << s.decimale;
  }
  // Without an orientation chosen the key is left as it was.
  i.Verticale = true;
  ASSERT_TRUE(Impostazioni_Scrivi(ini, "Stampante", i, false));
  EXPECT_FALSE(Impostazioni_Leggi(ini, "Stampante", kC, {}).Verticale);
  // A file that cannot be written is reported.
  EXPECT_FALSE(Impostazioni_Scrivi(dir / "manca/Qod.INI", "Stampante", i));
}

TEST(ImpostazioniStampa, ReadingRules) {
  const struct {
    const char* chiave;
    const char* valore;
    std::function<bool(const Impostazioni_Stampa&)> vero;
  } casi[] = {
      {"Orientamento", "v", [](auto& i) { return !i.Verticale; }},  // compared exactly
      {"Orientamento", "O", [](auto& i) { return !i.Verticale; }},
      {"Adatta", "2", [](auto& i) { return i.Adatta == 0; }},
      {"Adatta", " 1 ", [](auto& i) { return i.Adatta == 1; }},  // values are trimmed by the file's rules
      {"Fascicola", "S", [](auto& i) { return i.Fascicola == 0; }},
      {"Zoom X", "abc", [](auto& i) { return i.Zoom_X == 100; }},
      {"Zoom X", "", [](auto& i) { return i.Zoom_X == 100; }},
      {"Zoom Y", "12345", [](auto& i) { return i.Zoom_Y == 123.45; }},
      {"Copie", "003", [](auto& i) { return i.Copie == 3; }},
      {"Copie", "x", [](auto& i) { return i.Copie == 1; }},
      {"Copie", "99999999999", [](auto& i) { return i.Copie == 1; }},  // beyond 32 bits
      {"Margine Sx", "12.5", [](auto& i) { return i.Margine_Sx == 12; }},  // halves to even
      {"Margine Dx", "13.5", [](auto& i) { return i.Margine_Dx == 14; }},
      {"Margine Top", "-3", [](auto& i) { return i.Margine_Top == -3; }},
      {"Margine Bot", "dieci", [](auto& i) { return i.Margine_Bot == 0; }},
      {"Nome", "   ", [](auto& i) { return i.Nome == "Predefinita"; }},
  };
  prova::Cartella_Prova dir("imv_stampa");
  for (const auto& c : casi) {
    const std::string ini = dir / "Qod.INI";
    prova::File_Scrivi(ini, std::string("[Stampante]\r\n") + c.chiave + "=" + c.valore + "\r\n");
    const auto i = Impostazioni_Leggi(ini, "Stampante", kC, [] { return std::string("Predefinita"); });
    EXPECT_TRUE(c.vero(i)) << c.chiave << "=" << c.valore;
  }
}

TEST(ImpostazioniStampa, BoxChecksWithTheUsersSeparators) {
  const struct {
    const Separatori* s;
    const char* testo;
    double minimo, massimo;
    bool intero, valido;
    double valore;
  } casi[] = {
      {&kIt, "87,50", 10, 800, false, true, 87.5},
      {&kC, "87.50", 10, 800, false, true, 87.5},
      {&kC, "87,50", 10, 800, false, false, 8750},  // "," groups digits here
      {&kIt, "9,99", 10, 800, false, false, 9.99},
      {&kIt, "800,01", 10, 800, false, false, 800.01},
      {&kIt, "800", 10, 800, false, true, 800},
      {&kIt, "10", 10, 800, false, true, 10},
      {&kC, "-1", 0, 999, true, false, -1},
      {&kC, "0", 1, 999, true, false, 0},
      {&kC, "999", 1, 999, true, true, 999},
      {&kIt, "1.000", 1, 5, true, false, 1000},  // the grouping is dropped
      {&kC, "1,000", 1, 1000, true, true, 1000},
      {&kC, "2.5", 0, 999, true, true, 2},  // an integer box rounds halves to even
      {&kC, "", 0, 999, true, false, -7},
      {&kC, "12a", 0, 999, true, false, -7},
      {&kC, "99999999999", 0, 999, true, false, -7},  // no 32-bit value
  };
  for (const auto& c : casi) {
    if (c.intero) {
      int32_t v = -7;
      EXPECT_EQ(Controlla_Intero(c.testo, *c.s, static_cast<int32_t>(c.minimo), static_cast<int32_t>(c.massimo), v),
                c.valido)
          << c.testo;
      EXPECT_EQ(v, c.valore) << c.testo;
    } else {
      double v = -7;
      EXPECT_EQ(Controlla_Decimale(c.testo, *c.s, c.minimo, c.massimo, v), c.valido) << c.testo;
      EXPECT_DOUBLE_EQ(v, c.valore) << c.testo;
    }
  }
}

TEST(ImpostazioniStampa, PagesOfADocumentToPrint) {
  auto esistono = [](std::initializer_list<const char*> nomi) {
    std::vector<std::string> v(nomi.begin(), nomi.end());
    return [v](const std::string& n) { return std::find(v.begin(), v.end(), n) != v.end(); };
  };
  Modello_Stampa m;
  m.NomeFile = "/d/X_0005.TIF";
  ASSERT_TRUE(m.Scopri(1, esistono({"/d/X_0006.TIF", "/d/X_0007.TIF", "/d/X_0009.TIF"})));
  EXPECT_EQ(m.prima, 5);
  EXPECT_EQ(m.ultima, 7);
  EXPECT_EQ(m.da, 5);
  EXPECT_EQ(m.a, 7);
  EXPECT_EQ(m.File(6), "/d/X_0006.TIF");
  EXPECT_EQ(m.Immagine(6), 1);

  // No number before the last ".": one page, the file itself.
  for (const char* nome : {"/d/LETTERA.TIF", "/d/senza_punto", "/d.1/pagina"}) {
    m.NomeFile = nome;
    ASSERT_TRUE(m.Scopri(1, esistono({})));
    EXPECT_EQ(m.prima, 1) << nome;
    EXPECT_EQ(m.ultima, 1) << nome;
    EXPECT_EQ(m.File(1), nome);
  }

  // Four images in one file: pages 1..4 of that file.
  m.NomeFile = "/d/X_0001.TIF";
  ASSERT_TRUE(m.Scopri(4, esistono({"/d/X_0002.TIF"})));
  EXPECT_EQ(m.ultima, 4);
  EXPECT_EQ(m.File(3), "/d/X_0001.TIF");
  EXPECT_EQ(m.Immagine(3), 3);

  // A page number beyond 32 bits cannot be printed.
  m.NomeFile = "/d/X_99999999999.TIF";
  EXPECT_FALSE(m.Scopri(1, esistono({})));
}

TEST(ImpostazioniStampa, WhereAPageLands) {
  Impostazioni_Stampa adatta;
  Impostazioni_Stampa zoom;
  zoom.Adatta = 0;
  zoom.Zoom_X = 50;
  zoom.Zoom_Y = 100;
  zoom.Allinea_X = zoom.Allinea_Y = 0;
  Impostazioni_Stampa margini = adatta;
  margini.Margine_Sx = 10;
  margini.Margine_Dx = 20;
  margini.Margine_Top = 15;
  margini.Margine_Bot = 5;
  Impostazioni_Stampa margini_zoom = zoom;
  margini_zoom.Margine_Sx = 25;  // one inch: 1417 twips at the left
  margini_zoom.Margine_Top = 50;
  const struct {
    const char* caso;
    const Impostazioni_Stampa* i;
    int w, h, dpi_x, dpi_y;
    stampa::Rettangolo atteso;
  } casi[] = {
      // 12240 x 15840 twips fitted to the width and centred down.
      {"fit", &adatta, 1700, 2200, 200, 200, {0, 706, 11520, 15614}},
      // A resolution of 0 counts as 200 dpi.
      {"no dpi", &adatta, 1700, 2200, 0, 0, {0, 706, 11520, 15614}},
      // A small page grows to the height and is centred across.
      {"fit up", &adatta, 400, 800, 200, 200, {1680, 0, 9840, 16320}},
      {"zoom", &zoom, 1700, 2200, 200, 200, {0, 0, 6120, 15840}},
      {"zoom margins", &margini_zoom, 1700, 2200, 200, 200, {1417, 2835, 1417 + 6120, 2835 + 15840}},
      // Inside the margins of 10, 20, 15 and 5 mm (567, 1134, 850, 283 twips): the width
      // of 9819 twips decides, 12707 twips high, centred in the 15187 twips between.
      {"fit margins", &margini, 1700, 2200, 200, 200, {567, 2090, 10386, 14797}},
  };
  for (const auto& c : casi) {
    const auto r = Posizione_Pagina(*c.i, c.w, c.h, c.dpi_x, c.dpi_y, 11520, 16320);
    EXPECT_EQ(r, c.atteso) << c.caso << ": " << r.sinistra << "," << r.alto << " " << r.destra << "," << r.basso;
  }
}

}  // namespace
