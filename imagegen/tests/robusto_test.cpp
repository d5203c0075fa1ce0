// Bad input of every kind: damaged strips, logos and tag images, command
// files of random lines with values at and past every limit, page texts of
// random bytes, overlong lines. Every call ends with a message or a page,
// never a crash, and the outcome flags agree with each other.
#include <gtest/gtest.h>

#include <random>

#include "qod/imaging/file.h"
#include "supporto.h"

using namespace qod;
using namespace qod::prova;

namespace {

void Pagina_Piccola(Qod_IMG& g, const std::string& uscita, int codice) {
  Pagina_Imposta(g, uscita, {300, 200, codice, 100, 100, 4, 4, 14, 6});
  g.qodimg_Fnt_File = Striscia_Prova();
}

// The outcome flags agree: an error has a message, a success none.
void Coerente(const Qod_IMG& g) {
  EXPECT_EQ(g.qodimg_Error, !g.qodimg_Status.empty()) << g.qodimg_Status;
}

std::string Troncato(const std::string& file, size_t n) {
  std::string d = File_Leggi(file);
  return d.substr(0, std::min(n, d.size()));
}

}  // namespace

TEST(Robusto, DamagedStripsAndLogosAreRefusedWithTheirMessages) {
  Cartella_Prova dir{"img"};
  File_Scrivi(dir / "testo.txt", Righe({"abc"}));
  File_Scrivi(dir / "strip_corta.bmp", Troncato(Striscia_Prova(), 200));
  Scrivi_Bmp(Logo_Prova(64, 32), dir / "logo.bmp");
  File_Scrivi(dir / "logo_corto.bmp", Troncato(dir / "logo.bmp", 80));
  {
    img::Immagine l = Logo_Prova(64, 32);
    img::Parametri_Salvataggio p;
    p.opzioni = "EXTENSION = PNG";
    ASSERT_TRUE(img::Salva(l, dir / "logo.png", p));
    p.opzioni = "EXTENSION = TIF";
    p.compressione = 5;
    ASSERT_TRUE(img::Salva(l, dir / "logo.tif", p));
  }
  File_Scrivi(dir / "logo_corto.png", Troncato(dir / "logo.png", 60));
  File_Scrivi(dir / "logo_corto.tif", Troncato(dir / "logo.tif", 40));
  File_Scrivi(dir / "vuoto.bmp", "");
  struct {
    const char* strip;
    const char* logo;
    std::string messaggio;
  } casi[] = {
      {"strip_corta.bmp", "", "Errore caricamento " + dir / "strip_corta.bmp"},
      {"vuoto.bmp", "", "Errore caricamento " + dir / "vuoto.bmp"},
      {"", "logo_corto.bmp", "Errore caricamento " + dir / "logo_corto.bmp"},
      {"", "logo_corto.png", "Errore caricamento " + dir / "logo_corto.png"},
      {"", "logo_corto.tif", "Errore caricamento " + dir / "logo_corto.tif"},
      {"", "testo.txt", "Errore caricamento " + dir / "testo.txt"},
  };
  for (const auto& c : casi) {
    Qod_IMG g;
    Pagina_Piccola(g, dir / "p.png", 7);
    g.qodimg_Txt_File = dir / "testo.txt";
    if (*c.strip) g.qodimg_Fnt_File = dir / c.strip;
    if (*c.logo) g.qodimg_Im1_File = dir / c.logo;
    g.qodimg_Elabora(true);
    EXPECT_TRUE(g.qodimg_Error) << c.strip << c.logo;
    EXPECT_EQ(g.qodimg_Status, c.messaggio);
    EXPECT_FALSE(fs::exists(dir.Dir() / "p.png"));
  }
}

TEST(Robusto, RandomCommandFilesEndWithAPageOrAMessage) {
  Cartella_Prova dir{"img"};
  Scrivi_Bmp(Logo_Prova(40, 30), dir / "logo.bmp");
  File_Scrivi(dir / "logo_corto.bmp", Troncato(dir / "logo.bmp", 70));
  File_Scrivi(dir / "b32_corto.bmp", std::string("BM") + std::string(26, '\0') + "\x20" + std::string(30, '\x7f'));
  const std::vector<std::string> codici = {"TP", "rc", "RC", "RI", "CO", "bW", "bH", "BW", "BH", "BT", "FN", "FD",
                                           "FR", "FW", "FP", "FI", "FU", "RX", "RY", "OX", "OY", "IW", "IH", "iX",
                                           "iY", "iW", "iH", "iR", "OV", "CF", "CT", "32", "IN", "CP", "TN", "zz"};
  // Values a page may well hold, and values at and past the limits.
  const std::vector<std::string> buoni = {
      "0", "1", "2", "5", "14", "099", "800", "801", "809", "818", "900", "3600", "12.5", "S", "N", "0,0,0",
      "255,255,255", "10,20,30", "<CLR>", "414243", "41ab4", "Courier New", "Quillon 123", "40", "150", "-20",
      "3,10,5", dir / "logo.bmp", dir / "manca.bmp"};
  const std::vector<std::string> estremi = {
      "-1", "26", "3601", "2147483647", "-2147483648", "99999999999", "&HFFFF", "1e308", "-1e308", "", "abc",
      "300,-5,2", "1,2", "16384", "20000", "65536", dir / "logo_corto.bmp", dir / "b32_corto.bmp"};
  std::mt19937 caso(2026);
  int pagine = 0, errori = 0;
  for (int file = 0; file < 60; ++file) {
    std::vector<std::string> righe;
    for (int r = 0; r < 25; ++r) {
      const auto& c = caso() % 5 == 0 ? std::string("VA") : codici[caso() % codici.size()];
      std::string v = caso() % 6 ? buoni[caso() % buoni.size()] : estremi[caso() % estremi.size()];
      if ((c == "CF" || c == "CT") && caso() % 6) v = std::to_string(caso() % 256) + "," + std::to_string(caso() % 300) + ",7";
      switch (caso() % 12) {
        case 0: righe.push_back("{" + c + "=" + v); break;            // no closing brace
        case 1: righe.push_back(std::string(1, static_cast<char>(caso())) + c + "=" + v + "}"); break;
        case 2: righe.push_back("{" + c + "=" + v + "}" + v + "}"); break;
        default: righe.push_back("{" + c + "=" + v + "}");
      }
    }
    File_Scrivi(dir / "comandi.txt", Righe(righe));
    Qod_IMG g;
    Pagina_Piccola(g, dir / "p.png", file % 2 ? 9 : 7);
    g.qodimg_Cmd_File = dir / "comandi.txt";
    g.qodimg_Cmd_CPY = static_cast<int32_t>(caso() % 7);
    for (bool iniz : {true, false}) {
      g.qodimg_Elabora(iniz);
      Coerente(g);
      (g.qodimg_Error ? errori : pagine)++;
    }
  }
  // Both ends are reached: some files draw pages, some fail.
  EXPECT_GT(pagine, 0);
  EXPECT_GT(errori, 0);
}

TEST(Robusto, RandomPageTextsAndOverlongLines) {
  Cartella_Prova dir{"img"};
  std::mt19937 caso(5);
  std::string testo(300000, '\0');
  for (auto& b : testo) b = static_cast<char>(caso());
  File_Scrivi(dir / "testo.bin", testo);
  // A command file with one line of 3 MB, then a tag that draws.
  File_Scrivi(dir / "comandi.txt", "{VA=" + std::string(3 << 20, 'x') + "}\r\n{TP=900}\r\n{IW=5}\r\n{IH=5}\r\n"
                                  "{CF=0,0,0}\r\n{OX=290}\r\n{OY=190}\r\n{VA=<CLR>}\r\n");
  Qod_IMG g;
  Pagina_Piccola(g, dir / "p.png", 7);
  g.qodimg_Txt_File = dir / "testo.bin";
  g.qodimg_Cmd_File = dir / "comandi.txt";
  g.qodimg_Elabora(true);
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  const img::Immagine p = Carica(dir / "p.png");
  EXPECT_TRUE(Tutto(p, 290, 190, 5, 5, img::Nero));
  EXPECT_GT(Scuri(p, 0, 0, 290, 190), 100);
  // Hidden cells from a damaged command file.
  File_Scrivi(dir / "tn.txt", "{TN=" + std::string(100000, '9') + ",1,1}\r\n");
  g.qodimg_Cmd_File = dir / "tn.txt";
  g.qodimg_Elabora(true);
  EXPECT_EQ(g.qodimg_Status, "Errore lettura {TN=...,...,...}");
}

TEST(Robusto, ExtremeGridAndLogoValuesStayInsideThePage) {
  Cartella_Prova dir{"img"};
  File_Scrivi(dir / "testo.txt", Righe(std::vector<std::string>(20, std::string(120, 'W'))));
  Scrivi_Bmp(Logo_Prova(64, 32), dir / "logo.bmp");
  struct {
    int16_t col_dim, row_dim, left, top, cols, rows;
  } casi[] = {{1999, 1999, 299 - 1, 199 - 1, 999, 999},
              {0, 0, -299, -199, 999, 999},
              {1, 1, -299, -199, 1, 1}};
  for (const auto& c : casi) {
    Qod_IMG g;
    Pagina_Piccola(g, dir / "p.tif", 1);
    g.qodimg_Txt_File = dir / "testo.txt";
    g.qodimg_Txt_Col_Dim = c.col_dim;
    g.qodimg_Txt_Row_Dim = c.row_dim;
    g.qodimg_Txt_Left = c.left;
    g.qodimg_Txt_Top = c.top;
    g.qodimg_Txt_Cols = c.cols;
    g.qodimg_Txt_Rows = c.rows;
    g.qodimg_Im1_File = dir / "logo.bmp";
    g.qodimg_Im1_Left = -299;
    g.qodimg_Im1_Top = 199;
    g.qodimg_Im1_Pos = 1;
    g.qodimg_Elabora(true);
    EXPECT_FALSE(g.qodimg_Error) << g.qodimg_Status;
    g.qodimg_Im1_Left = 299;
    g.qodimg_Im1_Top = -199;
    g.qodimg_Im1_Width = g.qodimg_Im1_Height = 0;
    g.qodimg_Im1_ZoomX = 16;
    g.qodimg_Im1_ZoomY = 0.1;
    g.qodimg_Elabora(false);
    EXPECT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  }
}
