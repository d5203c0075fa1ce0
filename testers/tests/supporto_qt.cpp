#include "supporto_qt.h"

#include <gtest/gtest.h>

#include "qod/imaging/file.h"
#include "qod/imagegen/striscia_font.h"
#include "supporto.h"

namespace qod::testers::prova_qt {

namespace fs = std::filesystem;

void Cartella_Test(const fs::path& dir) {
  const fs::path t = dir / "TEST";
  fs::create_directories(t);
  Opzioni_Striscia o;
  o.cella_larghezza = 16;
  o.cella_altezza = 24;
  std::string errore;
  ASSERT_TRUE(Scrivi_Striscia_Font(t / "_FONT.BMP", o, &errore)) << errore;
  prova::File_Scrivi(t / "_TESTO.TXT", prova::Righe({"", "  PAGINA DI PROVA DEL GENERATORE", "", "  Riga 4: prezzo 12,50 EUR"}));
  prova::File_Scrivi(t / "_COMANDI.TXT", prova::Righe({"{TP=014}", "{OX=400}", "{OY=1500}", "{BW=800}", "{BH=200}",
                                                  "{BT=S}", "{VA=QOD-12345}"}));
  img::Parametri_Salvataggio tif;
  tif.compressione = 5;
  tif.opzioni = "EXTENSION = TIF";
  // Logo 1 covers the page: a frame and a box in the top right corner, so
  // that the text stays readable under it.
  img::Immagine logo1;
  logo1.Crea(1728, 2144, 1);
  logo1.Riempi(img::Bianco);
  logo1.Riempi(0, 0, 1728, 6, img::Nero);
  logo1.Riempi(0, 2138, 1728, 6, img::Nero);
  logo1.Riempi(0, 0, 6, 2144, img::Nero);
  logo1.Riempi(1722, 0, 6, 2144, img::Nero);
  logo1.Riempi(1400, 60, 250, 120, img::Nero);
  ASSERT_TRUE(img::Salva(logo1, t / "_LOGO1.TIF", tif));
  img::Parametri_Salvataggio jpg;
  jpg.opzioni = "EXTENSION = JPG";
  // Logo 2: a frame and a dark box in its lower right corner, clear of the
  // text rows.
  img::Immagine logo2;
  logo2.Crea(1024, 768, 24);
  logo2.Riempi(img::Bianco);
  logo2.Riempi(0, 0, 1024, 3, img::Nero);
  logo2.Riempi(0, 765, 1024, 3, img::Nero);
  logo2.Riempi(0, 0, 3, 768, img::Nero);
  logo2.Riempi(1021, 0, 3, 768, img::Nero);
  logo2.Riempi(800, 600, 180, 120, img::Colore{0, 0, 128});
  ASSERT_TRUE(img::Salva(logo2, t / "_LOGO2.JPG", jpg));
}

}  // namespace qod::testers::prova_qt
