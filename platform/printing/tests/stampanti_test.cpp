#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "qod/ansi.h"
#include "qod/imaging/file.h"
#include "qod/printing/registrato.h"
#include "qod/printing/stampanti.h"
#include "qod/prova/strumenti.h"

using namespace qod::stampa;
using qod::A;

namespace {

TEST(StampanteStato, StatusWordTable) {
  const struct {
    uint32_t stato;
    int32_t codice;
    const char* testo;  // UTF-8
  } casi[] = {
      {0, 0, "è in Pronto"},
      {0x1, 0x1, "è in pausa"},
      {0x8, 0x8, "ha la carta inceppata"},
      {0x10, 0x10, "è senza carta"},
      {0x40, 0x40, "ha problemi con la carta"},
      {0x80000, 0x80000, "ha problemi con la carta"},
      {0x400, 0x400, "è in stampa"},
      {0x20000, 0, ""},                                   // toner low alone: ready
      {0x20000 | 0x400, 0x20400, "ha un errore sconosciuto"},  // with any other bit: unknown
      {0x40000, 0x40000, "è senza toner"},
      {0x400000, 0x400000, "ha lo sportello aperto"},
      {0x1000000, 0x1000000, "è In risparmio energetico"},
      {0x1 | 0x2, 0x3, "ha un errore sconosciuto"},
      {0x2000000, 0x2000000, "ha un errore sconosciuto"},
  };
  for (const auto& c : casi) {
    std::string testo = "vecchio";
    EXPECT_EQ(Stato_Testo(c.stato, testo), c.codice) << std::hex << c.stato;
    EXPECT_EQ(testo, A(c.testo)) << std::hex << c.stato;
  }
}

TEST(StampanteStato, FromTheDevice) {
  Dispositivo_Registrato d;
  d.stampanti["Pronta"] = {};
  d.stampanti["Occupata"] = {0, 0, false, kStato_In_Stampa};
  d.stampanti["Toner"] = {0, 0, false, kStato_Toner_Scarso};
  d.stampanti["Spenta"] = {0, 0, true, 0};                 // offline whatever its word
  d.stampanti["Spenta2"] = {0, 0, true, kStato_In_Stampa};
  d.stampanti["Rete"] = {0, kErrore_Percorso_Rete, false, 0};
  d.stampanti["Guasta"] = {0, 5, false, 0};
  const struct {
    const char* nome;
    int32_t codice;
    const char* testo;
  } casi[] = {
      {"Pronta", 0, "è in Pronto"},
      {"Occupata", 0x400, "è in stampa"},
      {"Toner", 0, ""},
      {"Spenta", 128, "è fuori linea"},
      {"Spenta2", 128, "è fuori linea"},
      {"Rete", 128, "è fuori linea"},
      {"Guasta", 5, "ha un errore generico"},
      {"Sconosciuta", kErrore_Nome_Stampante, "non è possibile contattarla"},
  };
  for (const auto& c : casi) {
    std::string testo = "vecchio";
    EXPECT_EQ(Stampante_Stato(d, c.nome, testo), c.codice) << c.nome;
    EXPECT_EQ(testo, A(c.testo)) << c.nome;
  }
}

TEST(StampanteStato, CupsQueueStates) {
  const struct {
    int stato;
    std::vector<std::string> motivi;
    bool accetta;
    Info_Stampante atteso;
  } casi[] = {
      {3, {"none"}, true, {0, 0, false, 0}},
      {4, {"none"}, true, {0, 0, false, 0}},  // processing another job: the next one waits, ready
      {4, {"paused"}, true, {0, 0, false, kStato_Pausa}},
      {4, {"none"}, false, {0, 0, true, 0}},
      {5, {"paused"}, true, {0, 0, false, kStato_Pausa}},
      {3, {"toner-low-report"}, true, {0, 0, false, kStato_Toner_Scarso}},
      {3, {"media-empty-error", "toner-low-warning"}, true, {0, 0, false, kStato_Senza_Carta | kStato_Toner_Scarso}},
      {3, {"media-jam"}, true, {0, 0, false, kStato_Carta_Inceppata}},
      {3, {"toner-empty-error"}, true, {0, 0, false, kStato_Senza_Toner}},
      {3, {"door-open"}, true, {0, 0, false, kStato_Sportello_Aperto}},
      {3, {"offline-report"}, true, {0, 0, false, kStato_Fuori_Linea}},
      {3, {"none"}, false, {0, 0, true, 0}},
      {3, {"something-new-warning"}, true, {0, 0, false, 0}},
  };
  for (const auto& c : casi) {
    const Info_Stampante i = Info_Da_Cups(c.stato, c.motivi, c.accetta);
    EXPECT_EQ(i.stato, c.atteso.stato) << c.stato << " " << c.motivi.front();
    EXPECT_EQ(i.fuori_linea, c.atteso.fuori_linea) << c.stato << " " << c.motivi.front();
  }
}

class Imposta : public ::testing::Test {
 protected:
  void SetUp() override {
    d_.stampanti["Laser"] = {};
    d_.modo_iniziale = {1, 1, 1, 0, 0, 0, 0};
  }
  int32_t Chiama(int32_t copie, const std::string& colore, int32_t rx, int32_t ry, int32_t cassetto,
                 bool verticale = true, const std::string& nome = "Laser") {
    dc_ = d_.Crea_DC(nome);
    return Stampante_Imposta(d_, [this](std::string_view r) { log_.emplace_back(r); }, 77, dc_, nome, verticale,
                             copie, colore, rx, ry, cassetto);
  }
  Dispositivo_Registrato d_;
  Contesto dc_ = 0;
  std::vector<std::string> log_;
};

TEST_F(Imposta, FieldsAndTheirBits) {
  const struct {
    const char* colore;
    int32_t rx, ry, cassetto;
    bool verticale;
    Modo_Dispositivo atteso;
  } casi[] = {
      // Orientation and copies always; nothing else when not asked.
      {"", 0, 0, 0, true, {1, 3, 1, 0, 0, 0, DM_ORIENTATION | DM_COPIES}},
      {"X", 0, 0, 0, false, {2, 3, 1, 0, 0, 0, DM_ORIENTATION | DM_COPIES}},
      {"S", 0, 0, 0, true, {1, 3, 2, 0, 0, 0, DM_ORIENTATION | DM_COPIES | DM_COLOR}},
      {"N", 300, 0, 0, true, {1, 3, 1, 300, 0, 0, DM_ORIENTATION | DM_COPIES | DM_COLOR | DM_PRINTQUALITY}},
      {"s", 600, 600, 2, true,
       {1, 3, 1, 600, 600, 2, DM_ORIENTATION | DM_COPIES | DM_PRINTQUALITY | DM_YRESOLUTION | DM_DEFAULTSOURCE}},
      {"", -1, -5, -2, true, {1, 3, 1, 0, 0, 0, DM_ORIENTATION | DM_COPIES}},
  };
  for (const auto& c : casi) {
    d_.modi_applicati.clear();
    ASSERT_EQ(Chiama(3, c.colore, c.rx, c.ry, c.cassetto, c.verticale), 0) << c.colore;
    ASSERT_EQ(d_.modi_applicati.size(), 1u);
    EXPECT_EQ(d_.modi_applicati[0], c.atteso) << '"' << c.colore << "\" " << c.rx;
  }
}

TEST_F(Imposta, DiagnosticLineOnSuccessAndOnEveryFailure) {
  const std::string riga = "[Stampante Imposta] hWnd=77 hPrintDC=100 Stampante=Laser Verticale=Falso Copie=2 "
                           "Colore=S RisolX=300 RisolY=300 Cassetto=1";
  EXPECT_EQ(Chiama(2, "S", 300, 300, 1, false), 0);
  EXPECT_EQ(log_, std::vector<std::string>{riga});

  const struct {
    const char* nome;
    int32_t Dispositivo_Registrato::*errore;
    int32_t codice;
    const char* riga;
  } casi[] = {
      {"open", &Dispositivo_Registrato::errore_apri, 1801, "[Stampante Imposta] OpenPrinter=1801"},
      {"read", &Dispositivo_Registrato::errore_modo_leggi, 87, "[Stampante Imposta] read DocumentProperties=87"},
      {"write", &Dispositivo_Registrato::errore_modo_scrivi, 13, "[Stampante Imposta] write DocumentProperties=13"},
      {"reset", &Dispositivo_Registrato::errore_reimposta, 6, "[Stampante Imposta] ResetDC=6"},
  };
  for (const auto& c : casi) {
    Dispositivo_Registrato pulito;
    pulito.stampanti["Laser"] = {};
    d_ = pulito;
    d_.*c.errore = c.codice;
    log_.clear();
    EXPECT_EQ(Chiama(2, "S", 300, 300, 1, false), c.codice) << c.nome;
    ASSERT_EQ(log_.size(), 2u) << c.nome;
    EXPECT_EQ(log_[0], riga) << c.nome;
    EXPECT_EQ(log_[1], c.riga);
    EXPECT_TRUE(d_.modi_applicati.empty()) << c.nome;
  }

  // An unknown printer fails at the opening step.
  log_.clear();
  EXPECT_EQ(Chiama(1, "", 0, 0, 0, true, "Nessuna"), kErrore_Nome_Stampante);
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[1], "[Stampante Imposta] OpenPrinter=1801");
}

TEST_F(Imposta, DifferentYResolutionIsLoggedAndCopiesOverflow) {
  EXPECT_EQ(Chiama(1, "", 300, 600, 0), 0);
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[1], "[Stampante Imposta] RisolY=600 diversa da RisolX=300: si usa RisolX");

  log_.clear();
  EXPECT_THROW(Chiama(40000, "", 0, 0, 0), std::overflow_error);
  EXPECT_EQ(log_.size(), 1u);  // the diagnostic line came first
  EXPECT_EQ(Chiama(32767, "", 0, 0, 0), 0);
}

TEST(Metriche, FromTheCapabilities) {
  const Metriche_Pagina m = Metriche_Da_Capacita({600, 600, 100, 120, 4960, 7015, 5100, 7180});
  EXPECT_EQ(m.Dpi_X, 600);
  EXPECT_EQ(m.Offset_Y, 120);
  EXPECT_EQ(m.Larghezza_Fisica, 5100);
  EXPECT_FLOAT_EQ(m.Twips_Pixel_X, 2.4f);
  EXPECT_NEAR(m.Pixel_Mm_X, 23.6196, 1e-4);  // 25.402708, not 25.4
  EXPECT_EQ(m.Larghezza_Twips, 11904);
  EXPECT_EQ(m.Altezza_Twips, 16836);

  // Rounded halves to even: 5 px at 288 dpi are 25 twips, 1 px at 576 dpi 2.5 twips.
  EXPECT_EQ(Metriche_Da_Capacita({576, 576, 0, 0, 1, 3, 1, 3}).Larghezza_Twips, 2);
  EXPECT_EQ(Metriche_Da_Capacita({576, 576, 0, 0, 1, 3, 1, 3}).Altezza_Twips, 8);  // 7.5 -> 8

  // 16 bits: pixels or twips past 32767 overflow.
  EXPECT_THROW(Metriche_Da_Capacita({1200, 1200, 0, 0, 40000, 100, 40000, 100}), std::overflow_error);
  EXPECT_THROW(Metriche_Da_Capacita({600, 600, 0, 0, 14000, 100, 14000, 100}), std::overflow_error);
  EXPECT_THROW(Metriche_Da_Capacita({0, 0, 0, 0, 100, 100, 100, 100}), std::overflow_error);
}

TEST(NomeCoda, NamesMatchExactlyThenByCaseThenByLastPart) {
  const std::vector<std::string> code = {"Laser", "laser", "Ufficio", "Magazzino/bozze"};
  const struct {
    const char* nome;
    std::optional<std::string> coda;
  } casi[] = {
      {"laser", "laser"},
      {"Laser", "Laser"},
      {"UFFICIO", "Ufficio"},
      {"\\\\server\\ufficio", "Ufficio"},
      {"\\\\server\\", std::nullopt},
      {"magazzino/BOZZE", "Magazzino/bozze"},
      {"", "Ufficio"},
      {"Altra", std::nullopt},
  };
  for (const auto& c : casi) EXPECT_EQ(Coda_Per_Nome(c.nome, code, "Ufficio"), c.coda) << c.nome;
  EXPECT_EQ(Coda_Per_Nome("", code, ""), std::nullopt);
}

// A page file is read for printing from its directory alone when its data
// can go as it stands (a G4 TIFF), else decoded; either way with the sizes
// and resolution a decoding gives, and a device that takes only decoded
// images draws it decoded.
TEST(PaginaStampa, PageFilesAreReadWithoutDecodingWhereTheirDataCanGoAsItStands) {
  qod::prova::Cartella_Prova dir("printing");
  qod::img::Immagine im;
  ASSERT_TRUE(im.Crea(120, 80, 1));
  im.Imposta_Dpi(204, 196);
  im.Riempi(10, 10, 30, 20, qod::img::Nero);
  const struct {
    const char* file;
    qod::img::Parametri_Salvataggio salva;
    bool diretta;
  } casi[] = {
      {"g4.tif", {5, false, ""}, true},
      {"g4_strisce.tif", {5, false, "TIFF_ROWSPERSTRIP = 16"}, false},
      {"pagina.png", {0, false, "EXTENSION = PNG"}, false},
      {"pagina.bmp", {0, false, "EXTENSION = BMP"}, false},
  };
  for (const auto& c : casi) {
    const std::string file = dir / c.file;
    ASSERT_TRUE(qod::img::Salva(im, file, c.salva).ok) << c.file;
    qod::img::Immagine decodificata;
    ASSERT_TRUE(qod::img::Carica(file, decodificata).ok) << c.file;
    Immagine_Pagina p;
    ASSERT_TRUE(Immagine_Pagina_Leggi(file, p).ok) << c.file;
    EXPECT_EQ(p.Diretta(), c.diretta) << c.file;
    EXPECT_EQ(p.file, file);
    EXPECT_EQ(p.larghezza, 120) << c.file;
    EXPECT_EQ(p.altezza, 80) << c.file;
    EXPECT_EQ(p.dpi_x, decodificata.Dpi_X()) << c.file;
    EXPECT_EQ(p.dpi_y, decodificata.Dpi_Y()) << c.file;

    Dispositivo_Registrato d;
    const Contesto dc = d.Crea_DC("Laser");
    ASSERT_GT(d.Inizio_Doc(dc, "Quillon"), 0);
    ASSERT_GT(d.Inizio_Pagina(dc), 0);
    ASSERT_TRUE(d.Disegna_Pagina(dc, p, {0, 0, 1440, 960})) << c.file;
    ASSERT_EQ(d.lavori.size(), 1u);
    ASSERT_EQ(d.lavori[0].pagine.size(), 1u);
    ASSERT_EQ(d.lavori[0].pagine[0].disegni.size(), 1u);
    const auto& disegno = d.lavori[0].pagine[0].disegni[0];
    EXPECT_EQ(disegno.larghezza, 120) << c.file;
    EXPECT_EQ(disegno.bit, 1) << c.file;
    EXPECT_EQ(disegno.dpi_x, decodificata.Dpi_X()) << c.file;
  }

  // A file that is no image fails, and so does its drawing once it is gone.
  const std::string rotto = dir / "rotto.tif";
  ASSERT_TRUE(qod::prova::File_Scrivi(rotto, "II*\0garbage"));
  Immagine_Pagina p;
  EXPECT_FALSE(Immagine_Pagina_Leggi(rotto, p).ok);
  EXPECT_TRUE(p.Diretta());
  EXPECT_EQ(p.larghezza, 0);
  ASSERT_TRUE(Immagine_Pagina_Leggi(dir / "g4.tif", p).ok);
  std::filesystem::remove(dir / "g4.tif");
  Dispositivo_Registrato d;
  const Contesto dc = d.Crea_DC("Laser");
  ASSERT_GT(d.Inizio_Doc(dc, "Quillon"), 0);
  ASSERT_GT(d.Inizio_Pagina(dc), 0);
  EXPECT_FALSE(d.Disegna_Pagina(dc, p, {0, 0, 1440, 960}));
}

}  // namespace
