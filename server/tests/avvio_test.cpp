// The start of the server: the splash window's bar, one running copy per
// program folder, and the main window's load over the real spool work when
// the host cannot be reached.
#include <gtest/gtest.h>

#include "qod/prova/strumenti.h"
#include "qod/cripto.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "qod/server/finestra_base.h"
#include "qod/server/istanza.h"
#include "qod/host/splash.h"

using namespace qod;
using namespace qod::prova;

TEST(Splash, SevenInitialStepsLeaveADashedSegmentInsideTheBar) {
  Splash_Barra b;
  const auto iniziali = b.Carica(15, 15);
  EXPECT_EQ(b.Sinistra, 156 * 15);
  EXPECT_EQ(b.Destra, 370 * 15);
  EXPECT_EQ(b.Basso - b.Alto, 3 * 15);  // the drawn bar is 3 pixels high
  // Blocks still left of the bar are not drawn: 7 + 6 + 1 + 0 boxes.
  EXPECT_EQ(iniziali.size(), 14u);
  for (const auto& r : iniziali) EXPECT_GE(r.x1, b.Sinistra);
  // Block 0 leads; then 180, 900 and 180 twips apart.
  EXPECT_EQ(b.Posizioni, (std::array<int32_t, 4>{3600, 3420, 2520, 2340}));

  const auto primo = b.Passo();
  ASSERT_EQ(primo.size(), 4u);
  EXPECT_EQ(primo[0], (Splash_Barra::Riquadro{3600, 146 * 15, 3690, 149 * 15, 0x81D383}));
  EXPECT_EQ(primo[3].colore, 0xDAE8F0u);  // the eraser, in the bar's background colour
  for (const auto& r : primo) EXPECT_GE(r.x1, b.Sinistra);
}

TEST(Splash, ABlockAtTheRightEndStartsAgainAtTheLeftInTheSameTick) {
  Splash_Barra b;
  b.Carica();
  int32_t precedente = b.Posizioni[0];
  bool girato = false;
  for (int tick = 0; tick < 40 && !girato; ++tick) {
    const auto r = b.Passo();
    ASSERT_LT(r[0].x1, b.Destra);
    if (r[0].x1 < precedente) {
      EXPECT_EQ(precedente, 156 * 15 + 17 * 180);  // the last cell inside the bar
      EXPECT_EQ(r[0].x1, b.Sinistra);
      girato = true;
    }
    precedente = r[0].x1;
  }
  EXPECT_TRUE(girato);
}

TEST(Splash, CentredAsA400By154Window) {
  int32_t x = 0, y = 0;
  Splash_Centro(1024, 768, x, y);
  EXPECT_EQ(x, 312);
  EXPECT_EQ(y, 307);
  Splash_Centro(3840, 2160, x, y);
  EXPECT_EQ(x, 1720);
  EXPECT_EQ(y, 1003);
}

TEST(Istanza, OneRunningCopyPerProgramFolder) {
  Cartella_Prova a;
  std::filesystem::create_directories(a.Dir() / "uno");
  std::filesystem::create_directories(a.Dir() / "due");
  const std::string uno = (a.Dir() / "uno").string(), due = (a.Dir() / "due").string() + "/";
  Istanza_Unica prima, seconda, altra;
  ASSERT_TRUE(prima.Acquisisci(uno));
  EXPECT_FALSE(seconda.Acquisisci(uno + "/"));
  EXPECT_TRUE(altra.Acquisisci(due));  // another slot in another folder runs beside it
  prima.Rilascia();
  EXPECT_TRUE(seconda.Acquisisci(uno));
  EXPECT_FALSE(Istanza_Unica().Acquisisci((a.Dir() / "manca").string()));

  // Only another copy is a quiet refusal; a lock file that cannot be made
  // says why.
  EXPECT_EQ(seconda.Errore(), "");
  Istanza_Unica terza, manca, cartella;
  EXPECT_FALSE(terza.Acquisisci(due));
  EXPECT_EQ(terza.Errore(), "");
  EXPECT_FALSE(manca.Acquisisci((a.Dir() / "manca").string()));
  EXPECT_NE(manca.Errore().find("Qod_S.LCK"), std::string::npos) << manca.Errore();
  std::filesystem::create_directories(a.Dir() / "tre" / "Qod_S.LCK");
  EXPECT_FALSE(cartella.Acquisisci((a.Dir() / "tre").string()));
  EXPECT_NE(cartella.Errore(), "");

  // Looking whether another copy runs makes no lock file and takes no lock.
  EXPECT_TRUE(Istanza_Unica::Altra_Copia(uno));
  EXPECT_TRUE(Istanza_Unica::Altra_Copia(due));
  seconda.Rilascia();
  EXPECT_FALSE(Istanza_Unica::Altra_Copia(uno));
  EXPECT_TRUE(prima.Acquisisci(uno));  // the look took no lock that stays
  std::filesystem::create_directories(a.Dir() / "quattro");
  EXPECT_FALSE(Istanza_Unica::Altra_Copia((a.Dir() / "quattro").string()));
  EXPECT_EQ(Nomi(a.Dir() / "quattro"), std::vector<std::string>{});
}

namespace {

class Timer_Fermo : public Timer_Sistema {
 public:
  void Avvia(int32_t, std::function<void()>) override { attivo = true; }
  void Ferma() override { attivo = false; }
  bool Attivo() const override { return attivo; }
  bool attivo = false;
};

class Nessuna_Area : public Area_Notifica {
 public:
  bool Shell_NotifyIcon(int, const Icona_Tray&) override { return false; }
};

class Vista_Ferma : public Vista_Base {
 public:
  bool Minimizzata() const override { return false; }
  bool Normale() const override { return true; }
  void Minimizza() override {}
  void Nascondi() override {}
  void Mostra_Normale() override {}
  void Ripristina() override {}
  void Posizione(int32_t& l, int32_t& t) const override { l = t = 0; }
  void Sposta(int32_t, int32_t) override {}
  void Schermo(int32_t& w, int32_t& h) const override {
    w = 800;
    h = 600;
  }
  void Chiudi() override {}
  void Esci() override {}
};

}  // namespace

TEST(Avvio, LoadWithTheHostOutOfReachShowsTotalsAndStartsInStateZeroOrFour) {
  for (const char* riga : {"", "/AUTO"}) {
    Cartella_Prova dir;
    const std::string ini = dir.Testo() + "Qod_S.INI";
    Parametri_Collegamento p;
    p.Host = "127.0.0.1";
    p.Porta = 1;  // nothing listens there
    p.Utente = "QSYS";
    p.Password = "PW";
    p.Indice_Server = 2;
    ASSERT_TRUE(Collegamento_Scrivi(ini, p.Componi()));
    Profilo_Scrivi(ini, "Generale", "Fine Collegamento Ora", "235959");
    Profilo_Scrivi(ini, "Progressivi", "Stampe", "1234567");
    Profilo_Scrivi(ini, "Progressivi", "Pagine", "89");
    FakeClock orologio(DateTime::Da(2026, 5, 4, 9, 0, 0));
    RecordingMessageSink messaggi;
    NoPrinters stampanti;
    Server_Base base(orologio, messaggi, stampanti);
    ASSERT_TRUE(base.Base_Inizializza(dir.Testo(), riga));
    Trasporto trasporto(Attese_Rete{200, 100, 200});
    Pannello pannello;
    Finestra_Base* finestra = nullptr;
    Effetti_Collegamento effetti;
    effetti.Etichetta_Client = [&](const std::string& t) { pannello.Client_Imposta(t); };
    effetti.Stato_Imposta = [&](int s) { finestra->Stato_Imposta(s); };
    Connessione_Host host(base, base, trasporto, effetti, Attese_Collegamento{2, 1, 10});
    Spool_Server spool(base, trasporto, host, pannello, {});
    spool.Finestra_Iniziale();
    Lavoro_Host lavoro(host, spool, {});
    Vista_Ferma vista;
    Nessuna_Area tray;
    Timer_Fermo ciclo, semaforo;
    Finestra_Base f(base, pannello, lavoro, vista, tray, ciclo, semaforo, {});
    finestra = &f;
    f.Form_Load();
    EXPECT_EQ(f.Stato_Ciclo, *riga ? 4 : 0);
    EXPECT_EQ(pannello.Client(), "non connesso");
    EXPECT_EQ(pannello.Caption(), "Quillon Server - 2");
    EXPECT_EQ(pannello.Valore(Pannello::Riga_Stop), " 04/05/26  23:59");
    EXPECT_EQ(pannello.Valore(Pannello::Riga_Restart), " 05/05/26  :");
    EXPECT_EQ(pannello.Valore(Pannello::Riga_Stampe), " 0 / 1.234.567");
    EXPECT_EQ(pannello.Valore(Pannello::Riga_Pagine), " 0 / 89");
    EXPECT_TRUE(messaggi.boxes.empty());
  }
}
