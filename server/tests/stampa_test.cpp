// The print stage against the recording print device: the copy plan, the
// split into jobs, where each image lands, the phase texts, and every way
// it can fail.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"
#include "qod/ansi.h"
#include "qod/imaging/file.h"
#include "qod/printing/registrato.h"
#include "qod/server/pagine.h"
#include "qod/server/stampa.h"
#include "strada_test.h"

using namespace qod;
using namespace qod::test;
using stampa::Dispositivo_Registrato;
using stampa::Rettangolo;

namespace {

class Stampa : public ::testing::Test {
 protected:
  void SetUp() override {
    a_.Stampante = "Laser";
    a_.Copie = 1;
    a_.Prima_Pagina = 1;
    a_.Modo_Scala = "A";
    a_.Orientamento = "V";
    d_.stampanti["Laser"] = {};
  }

  // Page images h = 1..pagine of copy image c, 200 dpi, 100 + c pixels wide
  // so that a drawing tells which copy image it came from.
  void Immagini(int pagine, int copie = 1, int prima = 1) {
    for (int c = 1; c <= copie; ++c)
      for (int h = 0; h < pagine; ++h) {
        img::Immagine im;
        ASSERT_TRUE(im.Crea(100 + c, 150, 1));
        im.Imposta_Dpi(200, 200);
        ASSERT_TRUE(img::Salva(im, File_Immagine(dir_.Testo(), 1, c, prima + h, ".PNG"), {}));
      }
  }

  bool Esegui(int pagine, int copie_immagini = 1, int max_blocco = 0) {
    const Lavoro_Stampa lavoro{a_, pagine, copie_immagini, estensione_, dir_.Testo(), 1, max_blocco};
    Servizi_Stampa servizi{d_,
                           ping_,
                           quadro_,
                           [this] { stati_.push_back(quadro_.Valore(Pannello::Riga_Stato)); },
                           [this](std::string_view r) { log_.emplace_back(r); },
                           [this](const std::string& m) { errori_.push_back(m); },
                           5,
                           arresto_,
                           &consegnati_};
    return Spool_Stampa(lavoro, servizi);
  }

  // Pages per finished job.
  std::vector<size_t> Pagine_Lavori() const {
    std::vector<size_t> r;
    for (const auto* l : d_.Finiti()) r.push_back(l->pagine.size());
    return r;
  }
  // The width of every image drawn, in order: 100 + its copy image.
  std::vector<int> Copie_Disegnate() const {
    std::vector<int> r;
    for (const auto& l : d_.lavori)
      for (const auto& p : l.pagine)
        for (const auto& g : p.disegni) r.push_back(g.larghezza - 100);
    return r;
  }
  std::string Stato() const { return quadro_.Valore(Pannello::Riga_Stato); }

  Cartella_Prova dir_;
  std::string estensione_ = ".PNG";
  Attributi_Spool a_;
  Dispositivo_Registrato d_;
  Ping_Finto ping_;
  Pannello quadro_;
  std::vector<std::string> stati_, log_, errori_;
  std::function<bool()> arresto_;
  std::vector<int32_t> consegnati_;
};

TEST_F(Stampa, CopyPlan) {
  const struct {
    const char* nome;
    int32_t copie;
    const char* fascicola;
    int copie_immagini;
    std::vector<size_t> pagine_lavori;
    int16_t copie_driver;
    std::vector<int> immagini;
  } casi[] = {
      {"driver copies", 3, "N", 1, {2}, 3, {1, 1}},
      {"collated", 3, "S", 1, {6}, 1, {1, 1, 1, 1, 1, 1}},
      {"copy images, each page in turn", 3, "N", 3, {6}, 1, {1, 2, 3, 1, 2, 3}},
      {"copy images, whole document", 3, "S", 3, {6}, 1, {1, 1, 2, 2, 3, 3}},
      {"copies 0, collated, prints once", 0, "S", 1, {2}, 1, {1, 1}},
      {"copies 0 asks the driver for 1", 0, "N", 1, {2}, 1, {1, 1}},
  };
  Immagini(2, 3);
  for (const auto& c : casi) {
    d_ = Dispositivo_Registrato();
    d_.stampanti["Laser"] = {};
    a_.Copie = c.copie;
    a_.Copie_Server = c.fascicola;
    EXPECT_TRUE(Esegui(2, c.copie_immagini)) << c.nome << ": " << Stato();
    EXPECT_EQ(Pagine_Lavori(), c.pagine_lavori) << c.nome;
    ASSERT_EQ(d_.modi_applicati.size(), 1u) << c.nome;
    EXPECT_EQ(d_.modi_applicati[0].copie, c.copie_driver) << c.nome;
    EXPECT_EQ(d_.lavori.front().nome, "Quillon");
    EXPECT_EQ(Copie_Disegnate(), c.immagini) << c.nome;
    EXPECT_EQ(d_.contesti_eliminati, 1) << c.nome;
  }
}

TEST_F(Stampa, JobsOfAtMostMaxImagesAndMissingFilesSkipped) {
  Immagini(5);
  EXPECT_TRUE(Esegui(5, 1, 2));
  EXPECT_EQ(Pagine_Lavori(), (std::vector<size_t>{2, 2, 1}));
  EXPECT_EQ(quadro_.Valore(Pannello::Riga_Stampa), " 5 / 5");
  EXPECT_EQ(Stato(), "");
  EXPECT_TRUE(errori_.empty());

  d_ = Dispositivo_Registrato();
  d_.stampanti["Laser"] = {};
  EXPECT_TRUE(Esegui(5, 1, 0));
  EXPECT_EQ(Pagine_Lavori(), (std::vector<size_t>{5}));

  // Page 3 missing: no page, and it does not count towards the block.
  std::filesystem::remove(File_Immagine(dir_.Testo(), 1, 1, 3, ".PNG"));
  d_ = Dispositivo_Registrato();
  d_.stampanti["Laser"] = {};
  EXPECT_TRUE(Esegui(5, 1, 2));
  EXPECT_EQ(Pagine_Lavori(), (std::vector<size_t>{2, 2}));
  EXPECT_TRUE(errori_.empty());
}

// A stop request before an image, or before a job is ended: the job being
// drawn is dropped, never ended, whatever was drawn on it; the jobs ended
// before it are the ones handed on; the device context goes; nothing is
// marked failed.
TEST_F(Stampa, StopRequestDropsTheJobBeingDrawn) {
  const struct {
    int disegnate;  // images drawn when the stop comes
    std::vector<size_t> finiti;
    size_t pagine_annullato;  // pages of the dropped job
  } casi[] = {
      {0, {}, 0},
      {2, {}, 2},      // a whole block drawn, not yet ended
      {3, {2}, 1},
      {5, {2, 2}, 1},  // every image drawn, the last job not ended
  };
  Immagini(5);
  for (const auto& c : casi) {
    d_ = Dispositivo_Registrato();
    d_.stampanti["Laser"] = {};
    consegnati_.clear();
    errori_.clear();
    arresto_ = [&] {
      int n = 0;
      for (const auto& l : d_.lavori)
        for (const auto& p : l.pagine) n += static_cast<int>(p.disegni.size());
      return n >= c.disegnate;
    };
    EXPECT_FALSE(Esegui(5, 1, 2)) << c.disegnate;
    EXPECT_EQ(Pagine_Lavori(), c.finiti) << c.disegnate;
    ASSERT_EQ(d_.lavori.size(), c.finiti.size() + 1) << c.disegnate;
    EXPECT_TRUE(d_.lavori.back().annullato) << c.disegnate;
    EXPECT_FALSE(d_.lavori.back().finito) << c.disegnate;
    EXPECT_EQ(d_.lavori.back().pagine.size(), c.pagine_annullato) << c.disegnate;
    std::vector<int32_t> finiti;
    for (const auto* l : d_.Finiti()) finiti.push_back(l->id);
    EXPECT_EQ(consegnati_, finiti) << c.disegnate;
    EXPECT_EQ(d_.contesti_eliminati, d_.contesti_creati) << c.disegnate;
    EXPECT_TRUE(errori_.empty()) << c.disegnate;
  }
  arresto_ = {};
}

TEST_F(Stampa, PhaseTextsThenEmpty) {
  Immagini(2);
  EXPECT_TRUE(Esegui(2, 1, 1));
  const std::string f = "          Stampa fase ";
  EXPECT_EQ(stati_, (std::vector<std::string>{f + "1", f + "2", f + "3", f + "4", f + "6", f + "7", f + "7", f + "8",
                                              f + "8", f + "5", f + "6", f + "7", f + "7", f + "8", f + "8", f + "9"}));
  EXPECT_EQ(Stato(), "");
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0], "[Stampante Imposta] hWnd=5 hPrintDC=100 Stampante=Laser Verticale=Vero Copie=1 Colore= "
                     "RisolX=0 RisolY=0 Cassetto=0");
}

TEST_F(Stampa, PlacementByScaleMode) {
  // Printable 11904 x 16836 twips; the image 1728 x 2292 pixels at 200 dpi
  // is 12442 x 16502 twips.
  const struct {
    const char* nome;
    const char* modo;
    const char* centra_x;
    const char* centra_y;
    double ms, md, ma, mb;
    double fisso_x, fisso_y;
    int dpi;
    Rettangolo atteso;
  } casi[] = {
      // 11904 / 12442 = 0.95676...: the width fills the frame.
      {"width", "O", "S", "N", 0, 0, 0, 0, 0, 0, 200, {0, 0, 11904, 15788}},
      {"width, centred down", "O", "S", "S", 0, 0, 0, 0, 0, 0, 200, {0, 524, 11904, 16312}},
      {"fit", "A", "S", "S", 0, 0, 0, 0, 0, 0, 200, {0, 524, 11904, 16312}},
      {"unknown mode fits", "Z", "S", "S", 0, 0, 0, 0, 0, 0, 200, {0, 524, 11904, 16312}},
      {"resolution 0 is 200 dpi", "A", "S", "S", 0, 0, 0, 0, 0, 0, 0, {0, 524, 11904, 16312}},
      // 16836 / 16502 = 1.02024...: the height fills the frame, wider than it.
      {"height", "V", "N", "N", 0, 0, 0, 0, 0, 0, 200, {0, 0, 12694, 16836}},
      {"height, centred across", "V", "S", "N", 0, 0, 0, 0, 0, 0, 200, {-395, 0, 12299, 16836}},
      {"fixed", "N", "N", "N", 567, 0, 1134, 0, 0.5, 0.25, 200, {567, 1134, 6788, 5260}},
      // Margins narrow the frame: 11904 - 1134 = 10770 across.
      {"fit within margins", "A", "S", "S", 567, 567, 567, 567, 0, 0, 200, {567, 1276, 11337, 15560}},
      {"fit, not centred", "A", "N", "N", 567, 567, 567, 567, 0, 0, 200, {567, 567, 11337, 14851}},
  };
  for (const auto& c : casi) {
    a_.Modo_Scala = c.modo;
    a_.Centra_Orizzontale = c.centra_x;
    a_.Centra_Verticale = c.centra_y;
    a_.Margine_Sinistro = c.ms;
    a_.Margine_Destro = c.md;
    a_.Margine_Alto = c.ma;
    a_.Margine_Basso = c.mb;
    a_.Scala_Orizzontale = c.fisso_x;
    a_.Scala_Verticale = c.fisso_y;
    double h = 0, v = 0;
    EXPECT_EQ(Destinazione_Immagine(a_, 11904, 16836, 1728, 2292, c.dpi, c.dpi, h, v), c.atteso) << c.nome;
  }
  a_ = Attributi_Spool();
  a_.Modo_Scala = "O";
  double h = 0, v = 0;
  Destinazione_Immagine(a_, 11904, 16836, 1728, 2292, 200, 200, h, v);
  EXPECT_NEAR(h, 0.95676, 1e-5);
  EXPECT_EQ(h, v);
}

TEST_F(Stampa, DrawnWhereTheModeSays) {
  Immagini(1);
  a_.Modo_Scala = "O";
  a_.Centra_Orizzontale = "S";
  EXPECT_TRUE(Esegui(1));
  ASSERT_EQ(d_.lavori.size(), 1u);
  ASSERT_EQ(d_.lavori[0].pagine.size(), 1u);
  const auto& g = d_.lavori[0].pagine[0].disegni.at(0);
  // 101 px at 200 dpi are 727 twips; 11904 / 727 across.
  EXPECT_EQ(g.destinazione, (Rettangolo{0, 0, 11904, 17684}));
}

TEST_F(Stampa, Failures) {
  const std::string generico = "errore generico di stampa";
  const struct {
    const char* nome;
    std::function<void(Attributi_Spool&, Dispositivo_Registrato&, Ping_Finto&)> prepara;
    std::string messaggio;  // UTF-8
    bool contesto;          // a device context was made (and must be gone)
  } casi[] = {
      {"no echo",
       [](Attributi_Spool& a, Dispositivo_Registrato&, Ping_Finto& p) {
         a.Indirizzo_Stampante = "10.0.0.9       ";
         p.risultato = {"*** errore : Requested IP timed out", 1000, true};
       },
       "La stampante non risponde", false},
      // A lookup that fails is the stage's own failure: no echo, no printer asked.
      {"address not looked up",
       [](Attributi_Spool& a, Dispositivo_Registrato&, Ping_Finto& p) {
         a.Indirizzo_Stampante = "1.2.3.4.5      ";
         p.risultato = std::nullopt;
       },
       generico, false},
      {"status word printing",  // a device's word; a CUPS queue busy with a job gives 0
       [](Attributi_Spool&, Dispositivo_Registrato& d, Ping_Finto&) { d.stampanti["Laser"].stato = 0x400; },
       "La stampante è in stampa", false},
      {"paused", [](Attributi_Spool&, Dispositivo_Registrato& d, Ping_Finto&) { d.stampanti["Laser"].stato = 1; },
       "La stampante è in pausa", false},
      {"unknown printer", [](Attributi_Spool& a, Dispositivo_Registrato&, Ping_Finto&) { a.Stampante = "Altra"; },
       "La stampante non è possibile contattarla", false},
      {"set-up refused", [](Attributi_Spool&, Dispositivo_Registrato& d, Ping_Finto&) { d.errore_modo_scrivi = 87; },
       "Errore nell'impostazione della stampante", true},
      {"copies past 16 bits", [](Attributi_Spool& a, Dispositivo_Registrato&, Ping_Finto&) { a.Copie = 40000; },
       generico, true},
      {"job not started", [](Attributi_Spool&, Dispositivo_Registrato& d, Ping_Finto&) { d.fallisce_inizio_doc = true; },
       generico, true},
      {"job not ended", [](Attributi_Spool&, Dispositivo_Registrato& d, Ping_Finto&) { d.fallisce_fine_doc = true; },
       generico, true},
      {"drawing fails", [](Attributi_Spool&, Dispositivo_Registrato& d, Ping_Finto&) { d.fallisce_disegno = true; },
       generico, true},
      {"metrics overflow",
       [](Attributi_Spool&, Dispositivo_Registrato& d, Ping_Finto&) { d.capacita.larghezza = 40000; }, generico, true},
  };
  Immagini(2);
  for (const auto& c : casi) {
    SetUp();
    d_ = Dispositivo_Registrato();
    d_.stampanti["Laser"] = {};
    ping_ = Ping_Finto();
    quadro_.Valore_Imposta(Pannello::Riga_Stato, "");
    errori_.clear();
    c.prepara(a_, d_, ping_);
    EXPECT_FALSE(Esegui(2)) << c.nome;
    EXPECT_EQ(Stato(), A(c.messaggio)) << c.nome;
    EXPECT_EQ(errori_, std::vector<std::string>{A(c.messaggio)}) << c.nome;
    EXPECT_TRUE(d_.Finiti().empty()) << c.nome;
    EXPECT_EQ(d_.contesti_creati, c.contesto ? 1 : 0) << c.nome;
    EXPECT_EQ(d_.contesti_eliminati, d_.contesti_creati) << c.nome;
    for (const auto& l : d_.lavori) EXPECT_TRUE(l.annullato || !l.finito) << c.nome;
  }
  // The page images stay for the other outputs.
  EXPECT_TRUE(std::filesystem::exists(File_Immagine(dir_.Testo(), 1, 1, 2, ".PNG")));
}

TEST_F(Stampa, ChecksLeftOutAndMessagesKept) {
  Immagini(1);
  // Blank address: no echo; status check "N": the printer is not asked.
  a_.Indirizzo_Stampante = "               ";
  a_.Controllo_Stato = "N";
  d_.stampanti["Laser"].stato = 0x400;
  EXPECT_TRUE(Esegui(1));
  EXPECT_TRUE(ping_.indirizzi.empty());
  EXPECT_EQ(std::count(d_.chiamate.begin(), d_.chiamate.end(), "Info"), 0);

  // Toner low alone passes; the echo gets the column as it stands.
  a_.Controllo_Stato = "";
  a_.Indirizzo_Stampante = "10.0.0.9       ";
  d_.stampanti["Laser"].stato = 0x20000;
  EXPECT_TRUE(Esegui(1));
  EXPECT_EQ(ping_.indirizzi, std::vector<std::string>{"10.0.0.9       "});

  // A message already on the state row stays.
  d_.stampanti["Laser"].stato = 0x400;
  quadro_.Valore_Imposta(Pannello::Riga_Stato, "Errore precedente");
  EXPECT_FALSE(Esegui(1));
  EXPECT_EQ(Stato(), "Errore precedente");

  // A phase text gives way to the error.
  d_.stampanti["Laser"].stato = 0;
  d_.fallisce_disegno = true;
  quadro_.Valore_Imposta(Pannello::Riga_Stato, "");
  EXPECT_FALSE(Esegui(1));
  EXPECT_EQ(Stato(), "errore generico di stampa");
}

// The server's G4 page files go to the printer without being decoded, but
// one whose strip does not lie inside the file fails the spool file.
TEST_F(Stampa, G4PageFileCutShortOrWithItsStripPastItsEndFails) {
  estensione_ = ".TIF";
  const std::string file = File_Immagine(dir_.Testo(), 1, 1, 1, ".TIF");
  img::Immagine im;
  ASSERT_TRUE(im.Crea(1728, 200, 1));
  im.Imposta_Dpi(204, 196);
  im.Riempi(100, 50, 900, 120, img::Nero);
  ASSERT_TRUE(img::Salva(im, file, {5, false, ""}));
  const std::string buono = prova::File_Leggi(file);
  ASSERT_EQ(buono.substr(0, 4), std::string("II*\0", 4));
  // The value of a one-value tag of the little-endian directory, made `valore`.
  auto con_tag = [&](uint16_t tag, uint32_t valore) {
    std::string t = buono;
    auto u16 = [&](size_t p) { return static_cast<uint16_t>(uint8_t(t[p]) | uint8_t(t[p + 1]) << 8); };
    const size_t ifd = uint8_t(t[4]) | uint8_t(t[5]) << 8 | uint8_t(t[6]) << 16 | size_t(uint8_t(t[7])) << 24;
    for (size_t i = 0, n = u16(ifd); i < n; ++i) {
      const size_t voce = ifd + 2 + 12 * i;
      if (u16(voce) != tag) continue;
      for (int k = 0; k < 4; ++k) t[voce + 8 + k] = static_cast<char>(valore >> (8 * k));
      return t;
    }
    ADD_FAILURE() << "no tag " << tag;
    return t;
  };
  const uint32_t oltre = static_cast<uint32_t>(buono.size()) + 100;
  const struct {
    const char* caso;
    std::string contenuto;
    bool stampato;
  } casi[] = {
      {"whole", buono, true},
      {"cut short", buono.substr(0, buono.size() / 2), false},
      {"strip past the end", con_tag(273, oltre), false},         // StripOffsets
      {"strip running past the end", con_tag(279, oltre), false},  // StripByteCounts
  };
  for (const auto& c : casi) {
    d_ = Dispositivo_Registrato();
    d_.stampanti["Laser"] = {};
    errori_.clear();
    quadro_.Valore_Imposta(Pannello::Riga_Stato, "");
    ASSERT_TRUE(prova::File_Scrivi(file, c.contenuto)) << c.caso;
    EXPECT_EQ(Esegui(1), c.stampato) << c.caso;
    EXPECT_EQ(d_.Finiti().size(), c.stampato ? 1u : 0u) << c.caso;
    EXPECT_EQ(errori_, c.stampato ? std::vector<std::string>{} : std::vector<std::string>{"errore generico di stampa"})
        << c.caso;
    EXPECT_EQ(d_.contesti_eliminati, d_.contesti_creati) << c.caso;
  }
}

TEST(PingRete, LookupThenEcho) {
  Cartella_Prova dir;
  const auto hosts = dir.Dir() / "hosts";
  File_Scrivi(hosts, "10.0.0.7    stampante1\n1.2.3.4.5 cinque\n");
  setenv("QOD_HOSTS", hosts.c_str(), 1);
  std::vector<uint32_t> indirizzi;
  Ping_Rete ping([&](uint8_t ttl, uint32_t attesa, uint32_t a) {
    EXPECT_EQ(ttl, 20);
    EXPECT_EQ(attesa, 1000u);
    indirizzi.push_back(a);
    return net::Risposta_Echo{true, 0, 3};
  });
  const auto r = ping.Ping("STAMPANTE1     ");
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->Errore);
  EXPECT_EQ(r->Testo, "   OK : completato in 3ms.");
  EXPECT_EQ(indirizzi, std::vector<uint32_t>{0x0700000Au});
  // A name the file does not list stands for itself: address 0, which the
  // echo does not answer.
  const auto s = ping.Ping("sconosciuta");
  ASSERT_TRUE(s);
  EXPECT_EQ(indirizzi.back(), 0u);
  // A failed lookup (five parts): nothing, and no echo.
  EXPECT_EQ(ping.Ping("cinque"), std::nullopt);
  EXPECT_EQ(indirizzi.size(), 2u);
  // Nor without a readable file.
  setenv("QOD_HOSTS", (dir.Dir() / "manca").c_str(), 1);
  EXPECT_EQ(ping.Ping("10.0.0.7"), std::nullopt);
  EXPECT_EQ(indirizzi.size(), 2u);
  unsetenv("QOD_HOSTS");
}

}  // namespace
