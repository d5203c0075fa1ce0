// The checks of a call, in their order, as one table of bad inputs with the
// message each gives; the output file is left alone by every check before
// the one of the output file. A good call leaves the status empty; the
// replaced values are written back.
#include <gtest/gtest.h>

#include <functional>

#include "supporto.h"

using namespace qod;
using namespace qod::prova;

namespace {

struct Caso {
  const char* nome;
  std::function<void(Qod_IMG&, const Cartella_Prova&)> cambia;
  std::string messaggio;  // "%" stands for the folder of the test
  bool file_resta;        // the output file written earlier is still there
};

std::string Espandi(const std::string& m, const Cartella_Prova& d) {
  const size_t p = m.find('%');
  return p == std::string::npos ? m : m.substr(0, p) + d.Dir().string() + m.substr(p + 1);
}

}  // namespace

TEST(Controlli, TheFirstFailingCheckGivesItsMessage) {
  Cartella_Prova dir{"img"};
  File_Scrivi(dir / "testo.txt", Righe({"Quillon"}));
  File_Scrivi(dir / "comandi.txt", Righe({"{TP=800}"}));
  File_Scrivi(dir / "rotto.bmp", "BM not really a picture");
  Scrivi_Bmp(Logo_Prova(200, 60), dir / "logo.bmp");
  Scrivi_Bmp(Logo_Prova(2100, 10), dir / "largo.bmp");
  Scrivi_Bmp(Logo_Prova(4000, 4000), dir / "enorme.bmp");
  {
    img::Immagine alta, stretta;
    alta.Crea(256 * 8, 129, 1);
    stretta.Crea(256 * 3, 20, 1);
    Scrivi_Bmp(alta, dir / "alta.bmp");
    Scrivi_Bmp(stretta, dir / "stretta.bmp");
  }
  auto tn = [](const char* riga) {
    return [riga](Qod_IMG& g, const Cartella_Prova& d) {
      File_Scrivi(d / "tn.txt", Righe({"{TP=800}", riga}));
      g.qodimg_Cmd_File = d / "tn.txt";
    };
  };
  const Caso casi[] = {
      {"width", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_Width = 1; }, "Out_Width errato", true},
      {"width max", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_Width = 4289; }, "Out_Width errato", true},
      {"height", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_Height = 4289; }, "Out_Height errato", true},
      {"zoom x", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_ZoomX = 16.01; }, "Out_ZoomX errato", true},
      {"zoom y", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_ZoomY = 0.09; }, "Out_ZoomY errato", true},
      {"orientation", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Txt_Orie = 2; }, "Txt_Orie errato", true},
      {"type", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_Save = 11; }, "Out_Save errato", true},
      {"type below", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_Save = -1; }, "Out_Save errato", true},
      {"res x", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_Save = 1, g.qodimg_Out_ResX = 9; }, "Out_ResX errato", true},
      {"res y", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_Save = 1, g.qodimg_Out_ResY = 801; }, "Out_ResY errato", true},
      {"G3 at 200 dpi",
       [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_Save = 0, g.qodimg_Out_ResX = 200, g.qodimg_Out_ResY = 200; },
       "Out_Save,Out_ResX incompatibili", true},
      {"G4 at 204 x 200", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_ResY = 200; },
       "Out_Save,Out_ResY incompatibili", true},
      {"jpeg quality", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_JPG_Qual = 101; }, "JPG_Qual errato", true},
      {"jpeg smoothing", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_JPG_Atte = -1; }, "JPG_Atte errato", true},
      {"rows per strip", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Rows_Strip = 2293; }, "Rows_Strip errato", true},
      {"text file", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Txt_File = d / "manca.txt"; }, "Txt_File errato", true},
      {"text file untrimmed", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Txt_File = d / "testo.txt "; },
       "Txt_File errato", true},
      {"column pitch", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Txt_Col_Dim = 2000; }, "Txt_Col_Dim errato", true},
      {"row pitch", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Txt_Row_Dim = -1; }, "Txt_Row_Dim errato", true},
      {"top", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Txt_Top = 2292; }, "Txt_Top errato", true},
      {"left", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Txt_Left = -1728; }, "Txt_Left errato", true},
      {"columns", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Txt_Cols = 0; }, "Txt_Cols errato", true},
      {"rows", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Txt_Rows = 1000; }, "Txt_Rows errato", true},
      {"no output", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_File = "   "; }, "Out_File manca", true},
      {"output folder", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Out_File = d / "nessuna/pagina.tif"; },
       "Dir di Out_File errata", true},
      {"canvas", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Out_ZoomX = g.qodimg_Out_ZoomY = 0.1, g.qodimg_Out_Save = 2; },
       "Errore generazione %/pagina.tif vuoto", false},
      {"no strip", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Fnt_File = " "; }, "Fnt_File manca", false},
      {"strip missing", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Fnt_File = d / "manca.bmp"; }, "Fnt_File manca", false},
      {"strip unreadable", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Fnt_File = d / "rotto.bmp"; },
       "Errore caricamento %/rotto.bmp", false},
      {"strip too tall", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Fnt_File = d / "alta.bmp"; },
       "Altezza del font errata", false},
      {"strip too narrow", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Fnt_File = d / "stretta.bmp"; },
       "Larghezza del font errata", false},
      {"glyph top", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Fnt_Top = kCellaH; }, "Fnt_Top errato", false},
      {"glyph left", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Fnt_Left = kCellaW; }, "Fnt_Left errato", false},
      {"glyph width", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Fnt_Width = kCellaW + 1; }, "Fnt_Width errato", false},
      {"glyph height", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Fnt_Height = -1; }, "Fnt_Height errato", false},
      {"glyph mode", [](Qod_IMG& g, const Cartella_Prova&) { g.qodimg_Fnt_Mode = 3; }, "Fnt_Mode errato", false},
      {"logo missing", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "manca.bmp"; }, "Im1_File errato", false},
      {"logo zoom", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_ZoomX = 17; },
       "Im1_ZoomX errato", false},
      {"logo unreadable", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "rotto.bmp"; },
       "Errore caricamento %/rotto.bmp", false},
      {"logo zoomed past the cap",
       [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "enorme.bmp", g.qodimg_Im1_ZoomX = g.qodimg_Im1_ZoomY = 16; },
       "Errore adattamento %/enorme.bmp", false},
      {"logo width past 16 bits",
       [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "largo.bmp", g.qodimg_Im1_ZoomX = 16; },
       "Errore di Im1_Width", false},
      {"logo left", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Left = 1728; },
       "Im1_Left errato", false},
      {"logo top", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Top = -2292; },
       "Im1_Top errato", false},
      {"logo source left", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Src_Left = 201; },
       "Im1_Src_Left errato", false},
      {"logo source top", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Src_Top = 61; },
       "Im1_Src_Top errato", false},
      {"logo width", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Width = 201; },
       "Im1_Width errato", false},
      {"logo height", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Height = -1; },
       "Im1_Height errato", false},
      {"logo mode", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Mode = 3; },
       "Im1_Mode errato", false},
      {"logo position", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Pos = 2; },
       "Im1_Pos errato", false},
      {"logo source right",
       [](Qod_IMG& g, const Cartella_Prova& d) {
         g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Src_Left = 100, g.qodimg_Im1_Width = 101;
       },
       "Im1_Src_Left+Im1_Width errato", false},
      {"logo source bottom",
       [](Qod_IMG& g, const Cartella_Prova& d) {
         g.qodimg_Im1_File = d / "logo.bmp", g.qodimg_Im1_Src_Top = 1, g.qodimg_Im1_Height = 60;
       },
       "Im1_Src_Top+Im1_Height errato", false},
      {"second logo missing", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im2_File = d / "manca.bmp"; },
       "Im2_File errato", false},
      {"second logo source right",
       [](Qod_IMG& g, const Cartella_Prova& d) {
         g.qodimg_Im2_File = d / "logo.bmp", g.qodimg_Im2_Src_Left = 1, g.qodimg_Im2_Width = 200;
       },
       "Im2_Src_Left+Im2_Width errato", false},
      {"second logo zoom y", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Im2_File = d / "logo.bmp", g.qodimg_Im2_ZoomY = 0.05; },
       "Im2_ZoomY errato", false},
      {"command file", [](Qod_IMG& g, const Cartella_Prova& d) { g.qodimg_Cmd_File = d / "manca.txt"; }, "Cmd_File errato", false},
      {"hidden row", tn("{TN=67,1,1}"), "Riga errata in {TN=...,...,...}", false},
      {"hidden row 0", tn("{TN=0,1,1}"), "Riga errata in {TN=...,...,...}", false},
      {"hidden column", tn("{TN=3,81,1}"), "Colonna errata in {TN=...,...,...}", false},
      {"hidden length 0", tn("{TN=3,10,0}"), "Lunghezza errata in {TN=...,...,...}", false},
      {"hidden past the row", tn("{TN=3,78,4}"), "Lunghezza errata in {TN=...,...,...}", false},
      {"hidden two parts", tn("{TN=3,10}"), "Errore lettura {TN=...,...,...}", false},
      {"hidden overflow", tn("{TN=3,10,99999999999}"), "Errore lettura {TN=...,...,...}", false},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.nome);
    Qod_IMG g;
    Pagina_Fax(g, dir / "pagina.tif");
    g.qodimg_Txt_File = dir / "testo.txt";
    g.qodimg_Cmd_File = dir / "comandi.txt";
    File_Scrivi(dir / "pagina.tif", "earlier");
    c.cambia(g, dir);
    g.qodimg_Elabora(true);
    EXPECT_TRUE(g.qodimg_Error);
    EXPECT_EQ(g.qodimg_Status, Espandi(c.messaggio, dir));
    EXPECT_EQ(fs::exists(dir.Dir() / "pagina.tif"), c.file_resta);
    if (c.file_resta) { EXPECT_EQ(File_Leggi(dir / "pagina.tif"), "earlier"); }
  }

  // The same page with nothing wrong.
  Qod_IMG g;
  Pagina_Fax(g, dir / "pagina.tif");
  g.qodimg_Txt_File = dir / "testo.txt";
  g.qodimg_Cmd_File = dir / "comandi.txt";
  g.qodimg_Im1_File = dir / "logo.bmp";
  g.qodimg_Elabora(true);
  EXPECT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_EQ(g.qodimg_Status, "");
  // A failure after a success: the status is set again, the error flag too.
  g.qodimg_Out_Width = 0;
  g.qodimg_Elabora(false);
  EXPECT_TRUE(g.qodimg_Error);
  EXPECT_EQ(g.qodimg_Status, "Out_Width errato");
}

TEST(Controlli, ReplacedValuesAreWrittenBack) {
  Cartella_Prova dir{"img"};
  File_Scrivi(dir / "comandi.txt", Righe({"{TP=800}"}));
  Scrivi_Bmp(Logo_Prova(30, 20), dir / "logo.bmp");
  Qod_IMG g;
  Pagina_Fax(g, "  " + dir / "pagina.tif" + "  ");
  g.qodimg_Out_ZoomX = 0;
  g.qodimg_Out_ZoomY = 0;
  g.qodimg_Rows_Strip = 9999;
  g.qodimg_Cmd_File = " " + dir / "comandi.txt" + " ";
  g.qodimg_Cmd_CPY = -3;
  g.qodimg_Fnt_File = "  " + Striscia_Prova() + " ";
  g.qodimg_Im2_File = dir / "logo.bmp" + "  ";
  g.qodimg_Im2_ZoomX = 0;
  g.qodimg_Im2_ZoomY = 2;
  g.qodimg_Elabora(true);
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_EQ(g.qodimg_Out_File, dir / "pagina.tif");
  EXPECT_EQ(g.qodimg_Out_ZoomX, 1);
  EXPECT_EQ(g.qodimg_Out_ZoomY, 1);
  EXPECT_EQ(g.qodimg_Rows_Strip, 2292);
  EXPECT_EQ(g.qodimg_Cmd_File, dir / "comandi.txt");
  EXPECT_EQ(g.qodimg_Cmd_CPY, 0);
  EXPECT_EQ(g.qodimg_Fnt_File, Striscia_Prova());
  EXPECT_EQ(g.qodimg_Im2_File, dir / "logo.bmp");
  EXPECT_EQ(g.qodimg_Im2_ZoomX, 1);
  EXPECT_EQ(g.qodimg_Im2_Width, 30);   // the zoomed logo's size
  EXPECT_EQ(g.qodimg_Im2_Height, 40);
  // No text given: the strip is named but not read, its glyph size stays.
  EXPECT_EQ(g.qodimg_Fnt_Width, 0);
  EXPECT_TRUE(fs::exists(dir.Dir() / "pagina.tif"));
}

TEST(Controlli, ZoomLimitsAreInclusive) {
  Cartella_Prova dir{"img"};
  for (double z : {0.1, 16.0}) {
    Qod_IMG g;
    Pagina_Fax(g, dir / "p.tif");
    g.qodimg_Fnt_File.clear();
    g.qodimg_Out_ZoomX = z;
    g.qodimg_Out_ZoomY = 1;
    g.qodimg_Out_Width = 100;
    g.qodimg_Out_Height = 100;
    g.qodimg_Txt_Left = g.qodimg_Txt_Top = 0;
    g.qodimg_Elabora(true);
    EXPECT_FALSE(g.qodimg_Error) << z << ": " << g.qodimg_Status;
  }
}
