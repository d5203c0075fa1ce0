// The road of two sample spool files against the stand-in host with the
// real page image generator: the page images in TmpS, their names, copies,
// sizes and formats as independent readers see them, and what is on them.
#include "qod/prova/strumenti.h"
#include <gtest/gtest.h>

#include <cstdio>

#include "qod/basic.h"
#include "qod/host_simulato.h"
#include "qod/imagegen/qod_img.h"
#include "qod/imaging/file.h"
#include "qod/imagegen/striscia_font.h"
#include "strada_simulata.h"
#include "strada_test.h"

using namespace qod;
using namespace qod::test;
using qod::prova::Host_Simulato;

namespace {

using qod::prova::Comando;

std::vector<std::string> Immagini(const std::string& tmps) {
  std::vector<std::string> r;
  for (const auto& n : Nomi(tmps))
    if (n.find("_I_") != std::string::npos) r.push_back(n);
  return r;
}

int Scuri(const img::Immagine& im, int x, int y, int w, int h) {
  int n = 0;
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) n += im.Pixel(i, j).Luminanza() < 128;
  return n;
}

}  // namespace

TEST(Strada_Immagini, SampleSpoolFilesBecomePageImages) {
  Strada_Simulata strada;
  const auto& coda = strada.coda;
  for (const char* s : {"0001_FATTURE", "0003_ETICHETTE"})
    std::filesystem::copy(std::filesystem::path(QOD_CODA_ESEMPI) / s, coda / s, std::filesystem::copy_options::recursive);
  ASSERT_TRUE(strada.Avvia());
  Server_Base& base = strada.base;
  // The font strip the attribute records name (found whatever its case),
  // and the logo the labels' image tag names.
  std::string errore;
  ASSERT_TRUE(Scrivi_Striscia_Font(base.Percorso_Fnt + "cour20.bmp", Opzioni_Striscia{}, &errore))
      << errore;
  img::Immagine logo;
  ASSERT_TRUE(logo.Crea(200, 80, 1));
  logo.Riempi(img::Nero);
  ASSERT_TRUE(img::Salva(logo, base.Percorso_Lgo + "logo.bmp", {0, false, "EXTENSION = BMP"}));

  Qod_IMG img;
  Generatore_Qod_IMG<Qod_IMG> generatore(img);
  Fasi_Spool fasi;
  fasi.Immagini = &generatore;
  ASSERT_TRUE(strada.Collega(fasi));
  Spool_Server& s = *strada.server;
  const Pannello& pannello = strada.pannello;
  const std::string tmps = base.Percorso_Tmp;

  // Invoices: two fax pages, one copy each, TIFF G4.
  ASSERT_TRUE(s.Spool_Get()) << File_Leggi(base.File_LOG);
  EXPECT_FALSE(s.Stato().Errore_Spool) << pannello.Valore(Pannello::Riga_Stato);
  EXPECT_EQ(Immagini(tmps), (std::vector<std::string>{"00001_I_00001_00001.TIF", "00001_I_00001_00002.TIF"}));
  for (const auto& n : Immagini(tmps)) {
    const std::string info = Comando("tiffinfo '" + tmps + n + "' 2>&1");
    EXPECT_NE(info.find("Image Width: 1728 Image Length: 2292"), std::string::npos) << info;
    EXPECT_NE(info.find("CCITT Group 4"), std::string::npos) << info;
    EXPECT_NE(info.find("Resolution: 204, 196 pixels/inch"), std::string::npos) << info;
    EXPECT_EQ(info.find("Warning"), std::string::npos) << info;
  }
  img::Immagine pagina;
  ASSERT_TRUE(img::Carica(tmps + "00001_I_00001_00001.TIF", pagina));
  EXPECT_GT(Scuri(pagina, 64, 80, 1600, 2112), 5000);     // the text grid
  EXPECT_GT(Scuri(pagina, 1150, 100, 300, 60), 300);      // the constant tag "FATTURA"
  EXPECT_EQ(Scuri(pagina, 0, 0, 1728, 60), 0);

  // Labels: two pages in two copies (a copy selector), PNG 1200 x 800; the
  // barcode reads, the logo sits where its tag puts it, only copy 2 has
  // the carrier's line.
  ASSERT_TRUE(s.Spool_Get()) << File_Leggi(base.File_LOG);
  EXPECT_FALSE(s.Stato().Errore_Spool) << pannello.Valore(Pannello::Riga_Stato);
  EXPECT_EQ(Immagini(tmps), (std::vector<std::string>{"00001_I_00001_00001.PNG", "00001_I_00001_00002.PNG",
                                                      "00001_I_00002_00001.PNG", "00001_I_00002_00002.PNG"}));
  for (const auto& n : Immagini(tmps)) {
    EXPECT_EQ(Comando("pngcheck -q '" + tmps + n + "' >/dev/null 2>&1 && echo OK"), "OK") << n;
    img::Immagine im;
    ASSERT_TRUE(img::Carica(tmps + n, im)) << n;
    EXPECT_EQ(im.Larghezza(), 1200) << n;
    EXPECT_EQ(im.Altezza(), 800) << n;
    EXPECT_EQ(im.Dpi_X(), 200) << n;
    EXPECT_EQ(Scuri(im, 900, 20, 200, 80), 200 * 80) << n;
  }
  EXPECT_EQ(Comando("zbarimg -q '" + tmps + "00001_I_00001_00001.PNG' 2>/dev/null"), "CODE-128:SPED0001234");
  EXPECT_EQ(Comando("zbarimg -q '" + tmps + "00001_I_00002_00002.PNG' 2>/dev/null"), "CODE-128:SPED0001235");
  img::Immagine copia1, copia2;
  ASSERT_TRUE(img::Carica(tmps + "00001_I_00001_00001.PNG", copia1));
  ASSERT_TRUE(img::Carica(tmps + "00001_I_00002_00001.PNG", copia2));
  // "COPIA VETTORE" from column 36 of line 12, right of the barcode, on
  // the carrier's copy only.
  const int y = 40 + 12 * 32, x = 40 + 35 * 20;
  EXPECT_EQ(Scuri(copia1, x, y, 300, 40), 0);
  EXPECT_GT(Scuri(copia2, x, y, 300, 40), 200);
  img::Parametri_Salvataggio png{0, false, "EXTENSION = PNG"};
  img::Salva(copia2, "strada_etichetta_copia2.png", png);
  img::Salva(pagina, "strada_fattura.png", png);
}
