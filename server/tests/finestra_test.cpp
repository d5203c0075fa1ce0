// The main window's rules without a display: start state, toolbar keys of
// each run state, light and blink, timer ticks and their depth counters, the
// connection window of the automatic cycle, the toolbar, the switches, the
// notification area, the exit rules, the window position and the orderly end
// on a request of the system.
#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <functional>

#include "qod/prova/strumenti.h"
#include "qod/basic.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "qod/server/finestra_base.h"

using namespace qod;
using namespace qod::prova;

namespace {

class Timer_Finto : public Timer_Sistema {
 public:
  void Avvia(int32_t ms, std::function<void()> r) override {
    intervallo = ms;
    richiamo = std::move(r);
    attivo = true;
    ++avvii;
  }
  void Ferma() override { attivo = false; }
  bool Attivo() const override { return attivo; }
  void Scatta() {
    if (attivo && richiamo) richiamo();
  }
  int32_t intervallo = -1;
  int avvii = 0;
  bool attivo = false;
  std::function<void()> richiamo;
};

class Vista_Finta : public Vista_Base {
 public:
  enum Stato { Normale_, Minimizzata_, Massimizzata_ };
  bool Minimizzata() const override { return stato == Minimizzata_; }
  bool Normale() const override { return stato == Normale_; }
  void Minimizza() override {
    stato = Minimizzata_;
    if (finestra) finestra->Form_Resize();
  }
  void Nascondi() override { visibile = false; }
  void Mostra_Normale() override {
    stato = Normale_;
    visibile = true;
  }
  void Ripristina() override { ++ripristini; }
  void Posizione(int32_t& l, int32_t& t) const override {
    l = left;
    t = top;
  }
  void Sposta(int32_t l, int32_t t) override {
    left = l;
    top = t;
  }
  void Schermo(int32_t& w, int32_t& h) const override {
    w = schermo_w;
    h = schermo_h;
  }
  void Chiudi() override {
    ++chiusure;
    if (finestra && !finestra->Form_Unload()) chiusa = true;
  }
  void Esci() override { ++uscite; }

  Finestra_Base* finestra = nullptr;
  Stato stato = Normale_;
  bool visibile = true, chiusa = false;
  int32_t left = 0, top = 0, schermo_w = 1024, schermo_h = 768;
  int ripristini = 0, chiusure = 0, uscite = 0;
};

class Lavoro_Finto : public Lavoro_Spool {
 public:
  bool Host_Collega() override {
    ++collegamenti;
    if (durante_collega) durante_collega();
    bool r = collega;
    if (!esiti_collega.empty()) {
      r = esiti_collega.front();
      esiti_collega.pop_front();
    }
    return r;
  }
  void Host_Scollega() override { ++scollegamenti; }
  bool Spool_Get() override {
    ++spool_get;
    in_corso = true;
    bool r = false;
    if (durante) durante();
    if (!esiti_spool.empty()) {
      r = esiti_spool.front();
      esiti_spool.pop_front();
    }
    in_corso = false;
    return r;
  }
  bool Spool_In_Corso() const override { return in_corso; }
  bool Spool_Irrevocabile() const override { return in_corso && irrevocabile; }
  const std::string& End() const override { return end; }
  const std::string& Restart() const override { return restart; }
  std::string Immagine_Visualizza() const override { return immagine; }
  void Progressivi_Carica() override { ++progressivi; }

  std::function<void()> durante_collega;
  bool collega = true;
  std::deque<bool> esiti_collega, esiti_spool;
  std::function<void()> durante;  // runs inside Spool_Get
  bool in_corso = false;
  bool irrevocabile = false;  // the spool file's mail command has started
  std::string end = "20991231230000", restart = "20991231233000", immagine;
  int collegamenti = 0, scollegamenti = 0, spool_get = 0, progressivi = 0;
};

class Finestra : public ::testing::Test {
 protected:
  void SetUp() override {
    base_.Percorso = dir_.Testo();
    base_.Percorso_Tmp = dir_.Testo() + "TmpS/";
    base_.File_INI = dir_.Testo() + "Qod_S.INI";
    base_.File_LOG = dir_.Testo() + "Qod_S.LOG";
    base_.Collegamento.Indice_Server = 3;
    vista_.finestra = &f_;
    pannello_.Osserva([this](int r) {
      if (r == Pannello::kAvviso_Sem) ++scritture_sem_;
    });
  }

  // Starts the window with `riga` as the command line.
  void Carica(const std::string& riga = "") {
    base_.Riga_Comando = riga;
    f_.Form_Load();
  }
  int Sem_Visibile() const {
    int v = -1, n = 0;
    for (int i = 0; i < Pannello::kLuci; ++i)
      if (pannello_.Sem_Visibile(i)) {
        v = i;
        ++n;
      }
    return n == 1 ? v : -100 - n;
  }
  bool Interruttori(bool a, bool b, bool c) const {
    return pannello_.Interruttore(20) == a && pannello_.Interruttore(21) == b && pannello_.Interruttore(22) == c;
  }

  Cartella_Prova dir_;
  FakeClock orologio_{DateTime::Da(2026, 1, 15, 10, 0, 0)};
  RecordingMessageSink messaggi_;
  NoPrinters stampanti_;
  Server_Base base_{orologio_, messaggi_, stampanti_};
  Pannello pannello_;
  Lavoro_Finto lavoro_;
  Vista_Finta vista_;
  Tray_Finto tray_;
  Timer_Finto ciclo_, semaforo_;
  int pompe_ = 0;
  std::vector<std::string> visore_;
  Finestra_Base f_{base_,  pannello_, lavoro_, vista_, tray_, ciclo_, semaforo_, [this] { ++pompe_; },
                   {[this](const std::string& i) { visore_.push_back(i); }, [this] { visore_.push_back("-"); }}};
  int scritture_sem_ = 0;
};

}  // namespace

// ---- Start ------------------------------------------------------------------------

TEST_F(Finestra, StartStateFromTheConnectionAndTheCommandLine) {
  struct Caso {
    bool connesso;
    const char* riga;
    int32_t stato;
    bool icona;
  };
  const Caso casi[] = {
      {true, "/AUTO /ICON", 6, true}, {true, "", 2, false},        {false, "/AUTO", 4, false},
      {false, "", 0, false},          {true, "/auto /icon", 2, false}, {false, "x/AUTOx", 4, false},
      {false, "/ICON", 0, true},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.riga);
    Pannello pannello;
    Lavoro_Finto lavoro;
    lavoro.collega = c.connesso;
    Vista_Finta vista;
    Tray_Finto tray;
    Timer_Finto ciclo, semaforo;
    Finestra_Base f(base_, pannello, lavoro, vista, tray, ciclo, semaforo, {});
    vista.finestra = &f;
    base_.Riga_Comando = c.riga;
    f.Form_Load();
    EXPECT_EQ(lavoro.collegamenti, 1);
    EXPECT_EQ(f.Stato_Ciclo, c.stato);
    // The automatic states start with print, archive and save on.
    for (int r = 20; r <= 22; ++r) EXPECT_EQ(pannello.Interruttore(r), c.stato > 2);
    EXPECT_EQ(vista.Minimizzata(), c.icona);
    EXPECT_EQ(vista.visibile, !c.icona);
    EXPECT_EQ(tray.Conta(NIM_ADD), c.icona ? 1 : 0);
    // The light timer and the cycle timer run.
    EXPECT_TRUE(semaforo.attivo);
    EXPECT_TRUE(ciclo.attivo);
    EXPECT_EQ(lavoro.progressivi, 1);
  }
}

TEST(Opzioni, SwitchesAreCaseSensitiveSubstrings) {
  EXPECT_TRUE(Opzione_Presente("/AUTO /ICON", "/ICON"));
  EXPECT_TRUE(Opzione_Presente("x/AUTOx", "/AUTO"));
  EXPECT_FALSE(Opzione_Presente("/Auto", "/AUTO"));
  EXPECT_FALSE(Opzione_Presente("", "/AUTO"));
  EXPECT_FALSE(Visore_Subclass("/AUTO /NOSUBCLASS"));
  EXPECT_TRUE(Visore_Subclass("/nosubclass"));
  EXPECT_TRUE(Visore_Subclass(""));
}

TEST_F(Finestra, LoadShowsCaptionConnectionWindowAndEmptyRows) {
  pannello_.Valore_Imposta(Pannello::Riga_Lavoro, " VECCHIO");
  pannello_.Visualizza_Imposta(true);
  lavoro_.end = "20260115203000";
  lavoro_.restart = "20260116073000";
  f_.Versione = "1.0.0   prova";
  Carica();
  EXPECT_EQ(pannello_.Caption(), "Quillon Server - 3");
  EXPECT_EQ(pannello_.Release(), "1.0.0   prova");
  EXPECT_FALSE(pannello_.Visualizza());
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stop), " 15/01/26  20:30");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Restart), " 16/01/26  07:30");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Lavoro), "");
}

TEST_F(Finestra, CycleAndLightTimerIntervals) {
  for (auto [tempo, atteso] : {std::pair{0, 10}, {-5, 10}, {9, 10}, {10, 10}, {250, 250}}) {
    base_.Generale.Tempo_Ciclo = tempo;
    f_.Ciclo_Timer_Avvia();
    EXPECT_EQ(ciclo_.intervallo, atteso) << tempo;
  }
  f_.Semaforo_Timer_Avvia();
  EXPECT_EQ(semaforo_.intervallo, 1000);
  f_.Ciclo_Timer_Ferma();
  f_.Semaforo_Timer_Ferma();
  EXPECT_FALSE(ciclo_.attivo);
  EXPECT_FALSE(semaforo_.attivo);
}

// ---- Run state ----------------------------------------------------------------------

TEST_F(Finestra, ToolbarKeysOfEachRunState) {
  struct Caso {
    int32_t stato;
    Tasti_Stato tasti;  // Uscita, Start, Stop, Uno, Visualizza
  };
  const Caso casi[] = {
      {0, {true, true, false, false, true}},
      {2, {true, true, false, true, true}},
      {4, {false, false, true, false, false}},
      {6, {false, false, true, false, false}},
  };
  for (const auto& c : casi) {
    f_.Stato_Imposta(c.stato);
    EXPECT_EQ(Tasti_Abilitati(c.stato), c.tasti) << c.stato;
    EXPECT_EQ(pannello_.Tasto_Abilitato(Pannello::Tasto_Uscita), c.tasti.Uscita) << c.stato;
    EXPECT_EQ(pannello_.Tasto_Abilitato(Pannello::Tasto_Start), c.tasti.Start) << c.stato;
    EXPECT_EQ(pannello_.Tasto_Abilitato(Pannello::Tasto_Stop), c.tasti.Stop) << c.stato;
    EXPECT_EQ(pannello_.Tasto_Abilitato(Pannello::Tasto_Uno), c.tasti.Uno) << c.stato;
    EXPECT_EQ(pannello_.Tasto_Abilitato(Pannello::Tasto_Visualizza), c.tasti.Visualizza) << c.stato;
  }
}

TEST_F(Finestra, AutomaticStatesForceTheSwitchesOnManualStatesLeaveThem) {
  pannello_.Interruttore_Imposta(21, true);
  f_.Stato_Imposta(2);
  EXPECT_TRUE(Interruttori(false, true, false));
  f_.Stato_Imposta(0);
  EXPECT_TRUE(Interruttori(false, true, false));
  f_.Stato_Imposta(4);
  EXPECT_TRUE(Interruttori(true, true, true));
  pannello_.Interruttore_Imposta(20, false);  // as the operator left it before
  f_.Stato_Imposta(6);
  EXPECT_TRUE(Interruttori(true, true, true));
  f_.Stato_Imposta(2);
  EXPECT_TRUE(Interruttori(true, true, true));
}

TEST_F(Finestra, LightColoursAndBlinkWithTwoWritesPerTick) {
  const uint32_t colori[8] = {0xFF0000, 0xC04000, 0x8080FF, 0x00FFFF, 0xFFFF00, 0xC0C000, 0x00FF00, 0x00C000};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Colore_Sem(i), colori[i]) << i;

  f_.Stato_Imposta(2);
  EXPECT_EQ(scritture_sem_, 0);  // the state alone does not touch the light
  f_.Semaforo_Timer();
  EXPECT_EQ(Sem_Visibile(), 3);
  EXPECT_EQ(scritture_sem_, 1);  // from all hidden: one shape shown
  for (int tick = 0; tick < 4; ++tick) {
    scritture_sem_ = 0;
    f_.Semaforo_Timer();
    EXPECT_EQ(Sem_Visibile(), tick % 2 == 0 ? 2 : 3);
    EXPECT_EQ(scritture_sem_, 2);
  }
  // A new state shows at the next tick, with its own phase colour.
  f_.Stato_Imposta(6);
  EXPECT_EQ(Sem_Visibile(), 3);
  scritture_sem_ = 0;
  f_.Semaforo_Timer();
  EXPECT_EQ(Sem_Visibile(), 6);
  EXPECT_EQ(scritture_sem_, 2);
  // Not minimised: the notification area is left alone.
  EXPECT_TRUE(tray_.chiamate.empty());
}

TEST_F(Finestra, MinimisedTheIconBlinksInTheLightColours) {
  Carica("/AUTO /ICON");
  ASSERT_EQ(tray_.chiamate.size(), 1u);
  const Icona_Tray& aggiunta = tray_.chiamate[0].icona;
  EXPECT_EQ(tray_.chiamate[0].messaggio, NIM_ADD);
  EXPECT_EQ(aggiunta.cbSize, 88);
  EXPECT_EQ(aggiunta.uID, 1);
  EXPECT_EQ(aggiunta.uFlags, 7);
  EXPECT_EQ(aggiunta.uCallbackMessage, 512);
  EXPECT_EQ(aggiunta.hIcon, 6);
  EXPECT_EQ(aggiunta.Suggerimento(), "Quillon Server - 3");
  EXPECT_EQ(aggiunta.szTip.size(), 64u);
  EXPECT_EQ(aggiunta.szTip, "Quillon Server - 3" + std::string(1, '\0') + Space(64 - 19));
  EXPECT_FALSE(vista_.visibile);

  for (int tick = 0; tick < 3; ++tick) {
    f_.Semaforo_Timer();
    ASSERT_EQ(tray_.chiamate.size(), 2u + static_cast<size_t>(tick));
    const auto& c = tray_.chiamate.back();
    EXPECT_EQ(c.messaggio, NIM_MODIFY);
    EXPECT_EQ(c.icona.uFlags, 2);
    EXPECT_EQ(c.icona.hIcon, tick % 2 == 0 ? 7 : 6);
  }
}

TEST_F(Finestra, ReentrantTicksAreDroppedNotQueued) {
  // The cycle: a tick that fires while Spool_Get lets messages run.
  f_.Stato_Imposta(6);
  lavoro_.durante = [this] {
    f_.Ciclo_Timer();
    f_.Ciclo_Timer();
  };
  f_.Ciclo_Timer();
  EXPECT_EQ(lavoro_.spool_get, 1);
  EXPECT_EQ(f_.Ciclo_Profondita, 0);
  lavoro_.durante = nullptr;
  f_.Ciclo_Timer();  // a later tick runs again
  EXPECT_EQ(lavoro_.spool_get, 2);

  // The light: a tick arriving inside a tick changes nothing.
  int annidati = 0;
  pannello_.Osserva([&](int r) {
    if (r == Pannello::kAvviso_Sem && annidati++ == 0) f_.Semaforo_Timer();
  });
  f_.Semaforo_Timer();
  EXPECT_EQ(f_.Fase_Semaforo, 1);
  EXPECT_EQ(Sem_Visibile(), 7);
  EXPECT_EQ(f_.Semaforo_Profondita, 0);
}

// ---- Automatic cycle --------------------------------------------------------------------

TEST_F(Finestra, ConnectionWindowClosedFromAnticipoBeforeEndToAttesaAfterRestart) {
  const std::string end = "20260115203000", restart = "20260116073000";
  struct Caso {
    DateTime adesso;
    bool chiusa;
  };
  const Caso casi[] = {
      {DateTime::Da(2026, 1, 15, 10, 0, 0), false},  {DateTime::Da(2026, 1, 15, 20, 19, 59), false},
      {DateTime::Da(2026, 1, 15, 20, 20, 0), true},  {DateTime::Da(2026, 1, 15, 23, 59, 59), true},
      {DateTime::Da(2026, 1, 16, 7, 30, 0), true},   {DateTime::Da(2026, 1, 16, 8, 9, 59), true},
      {DateTime::Da(2026, 1, 16, 8, 10, 0), false},  // B equals Restart: already open
      {DateTime::Da(2026, 1, 16, 12, 0, 0), false},
  };
  for (const auto& c : casi) {
    const Istanti_Finestra i = Istanti(c.adesso, 10, 40);
    EXPECT_EQ(Finestra_Chiusa(i, end, restart), c.chiusa) << Format(c.adesso, "dd/mm hh:nn:ss") << " " << i.A << " " << i.B;
  }
}

// The extreme settings never overflow: the window test works in days.
TEST_F(Finestra, ExtremeAnticipationAndWaitStayDefined) {
  const DateTime adesso = DateTime::Da(2026, 1, 15, 10, 0, 0);
  for (const int32_t v : {INT32_MIN, INT32_MAX, -1, 0}) {
    const Istanti_Finestra i = Istanti(adesso, v, v);
    EXPECT_FALSE(i.A.empty()) << v;
    EXPECT_FALSE(i.B.empty()) << v;
  }
  // Minus the most negative wait lies ahead; plus the most negative
  // anticipation lies behind.
  EXPECT_GT(Istanti(adesso, 0, INT32_MIN).B, "20260115100000");
  EXPECT_LT(Istanti(adesso, INT32_MIN, 0).A, "20260115100000");
}

// Failures of the connection go to a message box only outside the
// automatic cycle: states 4 and 6, and the load under "/AUTO", log them.
TEST_F(Finestra, AutomaticWhileLoadingUnderAutoAndInTheAutomaticStates) {
  std::vector<bool> visti;
  lavoro_.durante_collega = [&] { visti.push_back(f_.Automatico()); };
  Carica("/AUTO");
  f_.Stato_Imposta(0);
  Carica("");
  EXPECT_EQ(visti, (std::vector<bool>{true, false}));
  for (const int32_t stato : {0, 2, 4, 6}) {
    f_.Stato_Imposta(stato);
    EXPECT_EQ(f_.Automatico(), stato > 2) << stato;
  }
}

TEST_F(Finestra, AutomaticCycleDisconnectsAndReconnectsByTheWindow) {
  base_.Generale.Fine_Collegamento_Anticipo = 10;
  base_.Generale.Inizio_Collegamento_Attesa = 40;
  lavoro_.end = "20260115203000";
  lavoro_.restart = "20260116073000";
  f_.Stato_Imposta(6);

  orologio_.Imposta(DateTime::Da(2026, 1, 15, 20, 19, 59));
  f_.Ciclo_Timer();
  EXPECT_EQ(lavoro_.spool_get, 1);
  EXPECT_EQ(f_.Stato_Ciclo, 6);

  orologio_.Imposta(DateTime::Da(2026, 1, 15, 20, 20, 0));
  f_.Ciclo_Timer();
  EXPECT_EQ(lavoro_.scollegamenti, 1);
  EXPECT_EQ(f_.Stato_Ciclo, 4);
  EXPECT_EQ(lavoro_.spool_get, 1);

  // Waiting with the window closed: nothing at all reaches the host.
  for (auto t : {DateTime::Da(2026, 1, 15, 23, 0, 0), DateTime::Da(2026, 1, 16, 8, 9, 59)}) {
    orologio_.Imposta(t);
    f_.Ciclo_Timer();
  }
  EXPECT_EQ(lavoro_.collegamenti, 0);
  EXPECT_EQ(lavoro_.spool_get, 1);
  EXPECT_EQ(f_.Stato_Ciclo, 4);

  // Open again: a failed connection waits for the next tick, which connects.
  orologio_.Imposta(DateTime::Da(2026, 1, 16, 8, 10, 0));
  lavoro_.esiti_collega = {false, true};
  f_.Ciclo_Timer();
  EXPECT_EQ(f_.Stato_Ciclo, 4);
  f_.Ciclo_Timer();
  EXPECT_EQ(f_.Stato_Ciclo, 6);
  EXPECT_EQ(lavoro_.collegamenti, 2);
  EXPECT_EQ(lavoro_.spool_get, 1);  // connecting ends the tick
  EXPECT_GE(pompe_, 6);             // every tick lets messages run at its end
}

TEST_F(Finestra, SpoolFilesFollowEachOtherWhileTheyGoTheWholeWay) {
  f_.Stato_Imposta(6);
  lavoro_.esiti_spool = {true, true, false};
  f_.Ciclo_Timer();
  EXPECT_EQ(lavoro_.spool_get, 3);

  // Stop while a spool file is handled: it ends, no further one is fetched.
  lavoro_.esiti_spool = {true, true, true};
  lavoro_.durante = [this] { f_.Toolbar_ButtonClick("Stop"); };
  f_.Ciclo_Timer();
  EXPECT_EQ(lavoro_.spool_get, 4);
  EXPECT_EQ(f_.Stato_Ciclo, 2);

  // A keep-alive that moves the end into the past closes the window at the
  // next test, in the middle of a run.
  f_.Stato_Imposta(6);
  lavoro_.esiti_spool = {true, true, true};
  lavoro_.durante = [this] {
    if (lavoro_.spool_get == 6) lavoro_.end = "20260115090000";
  };
  f_.Ciclo_Timer();
  EXPECT_EQ(lavoro_.spool_get, 6);
  EXPECT_EQ(lavoro_.scollegamenti, 1);
  EXPECT_EQ(f_.Stato_Ciclo, 4);

  // A state changed inside Spool_Get is honoured at once: after a spool
  // file that went the whole way in state 4 the same tick reconnects.
  lavoro_.end = "20991231230000";
  f_.Stato_Imposta(6);
  lavoro_.esiti_spool = {true, true};
  lavoro_.durante = [this] { f_.Stato_Imposta(4); };
  f_.Ciclo_Timer();
  EXPECT_EQ(lavoro_.spool_get, 7);
  EXPECT_EQ(lavoro_.collegamenti, 1);
  EXPECT_EQ(f_.Stato_Ciclo, 6);

  // The manual states do nothing on a tick.
  lavoro_.durante = nullptr;
  for (int s : {0, 2}) {
    f_.Stato_Imposta(s);
    f_.Ciclo_Timer();
  }
  EXPECT_EQ(lavoro_.spool_get, 7);
  EXPECT_EQ(lavoro_.collegamenti, 1);
}

TEST_F(Finestra, StartedAfterMidnightTheSettingsWindowIsOpenUntilTheEnd) {
  base_.Generale.Fine_Collegamento_Ora = "203000";
  base_.Generale.Inizio_Collegamento_Ora = "073000";
  base_.Generale.Fine_Collegamento_Anticipo = 10;
  orologio_.Imposta(DateTime::Da(2026, 1, 16, 0, 30, 0));
  std::string end, restart;
  Finestra_Collegamento_Iniziale(base_, end, restart);
  EXPECT_EQ(end, "20260116203000");
  EXPECT_EQ(restart, "20260117073000");
  EXPECT_FALSE(Finestra_Chiusa(Istanti(orologio_.Adesso(), 10, 0), end, restart));
  EXPECT_TRUE(Finestra_Chiusa(Istanti(DateTime::Da(2026, 1, 16, 20, 20, 0), 10, 0), end, restart));

  // Without the times in the settings the stamps are bare dates: closed for
  // the rest of the start day, open after midnight.
  base_.Generale.Fine_Collegamento_Ora = base_.Generale.Inizio_Collegamento_Ora = "";
  Finestra_Collegamento_Iniziale(base_, end, restart);
  EXPECT_EQ(end, "20260116");
  EXPECT_TRUE(Finestra_Chiusa(Istanti(orologio_.Adesso(), 0, 0), end, restart));
  EXPECT_FALSE(Finestra_Chiusa(Istanti(DateTime::Da(2026, 1, 17, 0, 0, 0), 0, 0), end, restart));
}

// ---- Toolbar and switches ---------------------------------------------------------------

TEST_F(Finestra, ToolbarRunControl) {
  struct Caso {
    int32_t da;
    const char* chiave;
    bool collega;
    int32_t a;
    int collegamenti;
  };
  const Caso casi[] = {
      {0, "Start", true, 6, 1}, {0, "Start", false, 0, 1}, {2, "Start", true, 6, 0}, {4, "Start", true, 4, 0},
      {6, "Start", true, 6, 0}, {4, "Stop", true, 0, 0},   {6, "Stop", true, 2, 0},  {0, "Stop", true, 0, 0},
      {2, "Stop", true, 2, 0},
  };
  for (const auto& c : casi) {
    lavoro_.collegamenti = 0;
    lavoro_.collega = c.collega;
    f_.Stato_Imposta(c.da);
    f_.Toolbar_ButtonClick(c.chiave);
    EXPECT_EQ(f_.Stato_Ciclo, c.a) << c.da << " " << c.chiave;
    EXPECT_EQ(lavoro_.collegamenti, c.collegamenti) << c.da << " " << c.chiave;
  }
  EXPECT_EQ(lavoro_.scollegamenti, 0);  // Stop in 6 keeps the connection open
}

TEST_F(Finestra, UnoFetchesOneSpoolFileUnlessOneIsRunning) {
  f_.Stato_Imposta(2);
  lavoro_.esiti_spool = {true, true};
  f_.Toolbar_ButtonClick("Uno");
  EXPECT_EQ(lavoro_.spool_get, 1);  // its result is not looked at
  lavoro_.durante = [this] { f_.Toolbar_ButtonClick("Uno"); };
  f_.Toolbar_ButtonClick("Uno");
  EXPECT_EQ(lavoro_.spool_get, 2);
}

TEST_F(Finestra, VisualizzaNamesTheFirstPageImageOfTheLastSpoolFile) {
  pannello_.Visualizza_Imposta(true);
  f_.Toolbar_ButtonClick("Visualizza");
  lavoro_.immagine = base_.Percorso_Tmp + "00003_I_00001_00004.PNG";
  f_.Toolbar_ButtonClick("Visualizza");
  pannello_.Visualizza_Imposta(false);
  f_.Toolbar_ButtonClick("Visualizza");
  EXPECT_EQ(visore_, (std::vector<std::string>{base_.Percorso_Tmp + "00003_I_00001_00001",
                                               base_.Percorso_Tmp + "00003_I_00001_00004.PNG", "-"}));
}

TEST_F(Finestra, SwitchesFlipInTheManualStatesOnly) {
  f_.Stato_Imposta(2);
  f_.lbl1_Click(20);
  f_.si_Click(21);
  f_.no_Click(22);
  EXPECT_TRUE(Interruttori(true, true, true));
  f_.lbl1_Click(21);
  EXPECT_TRUE(Interruttori(true, false, true));
  f_.lbl1_Click(19);
  f_.lbl1_Click(23);
  EXPECT_TRUE(Interruttori(true, false, true));
  f_.Stato_Imposta(0);
  f_.lbl1_Click(20);
  EXPECT_TRUE(Interruttori(false, false, true));
  f_.Stato_Imposta(6);
  for (int r : {20, 21, 22}) f_.lbl1_Click(r);
  EXPECT_TRUE(Interruttori(true, true, true));
}

// ---- Notification area --------------------------------------------------------------------

TEST_F(Finestra, ButtonReleasedOnTheIconRestoresTheWindow) {
  Carica("/ICON");
  ASSERT_EQ(tray_.Conta(NIM_ADD), 1);
  for (int m : {512, 513, 515, 516}) f_.pic_try__MouseMove(m);  // moves and presses
  EXPECT_FALSE(vista_.visibile);
  EXPECT_EQ(vista_.ripristini, 0);

  f_.pic_try__MouseMove(514);
  EXPECT_EQ(tray_.Conta(NIM_DELETE), 1);
  EXPECT_EQ(tray_.chiamate.back().icona.uID, 1);
  EXPECT_TRUE(vista_.visibile);
  EXPECT_TRUE(vista_.Normale());
  EXPECT_EQ(vista_.ripristini, 1);

  // Minimised again and restored with the right button.
  vista_.Minimizza();
  EXPECT_EQ(tray_.Conta(NIM_ADD), 2);
  f_.pic_try__MouseMove(517);
  EXPECT_EQ(tray_.Conta(NIM_DELETE), 2);
  EXPECT_TRUE(vista_.visibile);

  // Not minimised: the icon is not touched, the restore command still goes.
  f_.Finestra_Ripristina();
  EXPECT_EQ(tray_.Conta(NIM_DELETE), 2);
  EXPECT_EQ(vista_.ripristini, 3);
}

TEST_F(Finestra, WithoutANotificationAreaTheWindowStaysMinimisedNotHidden) {
  tray_.disponibile = false;
  Carica("/ICON");
  EXPECT_EQ(tray_.Conta(NIM_ADD), 1);
  EXPECT_TRUE(vista_.Minimizzata());
  EXPECT_TRUE(vista_.visibile);
}

// ---- Exit ------------------------------------------------------------------------------------

TEST_F(Finestra, ExitRefusedSilentlyInTheAutomaticStatesAndWhileBusy) {
  for (int s : {4, 6}) {
    f_.Stato_Imposta(s);
    f_.Toolbar_ButtonClick("Uscita");
  }
  f_.Stato_Imposta(2);
  lavoro_.durante = [this] { vista_.Chiudi(); };
  f_.Toolbar_ButtonClick("Uno");
  EXPECT_EQ(vista_.chiusure, 3);
  EXPECT_FALSE(vista_.chiusa);
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_EQ(vista_.uscite, 0);
}

TEST_F(Finestra, ExitAsksAndNoKeepsTheProgramRunning) {
  Carica();
  ASSERT_EQ(f_.Stato_Ciclo, 2);
  messaggi_.risposte = {vbNo};
  f_.Toolbar_ButtonClick("Uscita");
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Confermi l'uscita dal programma ?");
  EXPECT_EQ(messaggi_.boxes[0].titolo, "Uscita");
  EXPECT_EQ(messaggi_.boxes[0].stile, vbYesNo + vbCritical + vbDefaultButton2);
  EXPECT_FALSE(vista_.chiusa);
  EXPECT_TRUE(ciclo_.attivo);
  EXPECT_EQ(lavoro_.scollegamenti, 0);
}

TEST_F(Finestra, ExitConfirmedStopsTimersKeepsThePositionAndDisconnectsInStateTwo) {
  struct Caso {
    bool connesso;
    Vista_Finta::Stato finestra;
    int scollegamenti;
    bool posizione;
  };
  const Caso casi[] = {
      {true, Vista_Finta::Normale_, 1, true},
      {false, Vista_Finta::Normale_, 0, true},
      {true, Vista_Finta::Massimizzata_, 1, false},
      {true, Vista_Finta::Minimizzata_, 1, false},
  };
  for (const auto& c : casi) {
    Profilo_Cancella_Sezione(base_.File_INI, "Dimensioni");
    Pannello pannello;
    Lavoro_Finto lavoro;
    lavoro.collega = c.connesso;
    Vista_Finta vista;
    Tray_Finto tray;
    Timer_Finto ciclo, semaforo;
    int scaricato = 0;
    Finestra_Base f(base_, pannello, lavoro, vista, tray, ciclo, semaforo, {}, {nullptr, [&] { ++scaricato; }});
    vista.finestra = &f;
    f.Form_Load();
    vista.stato = c.finestra;
    vista.left = 1500;
    vista.top = 3015;
    const int64_t prima = orologio_.Millisecondi();
    messaggi_.risposte = {vbYes};
    f.Toolbar_ButtonClick("Uscita");
    EXPECT_TRUE(vista.chiusa);
    EXPECT_EQ(vista.uscite, 1);
    EXPECT_FALSE(ciclo.attivo);
    EXPECT_FALSE(semaforo.attivo);
    EXPECT_EQ(scaricato, 1);
    EXPECT_EQ(lavoro.scollegamenti, c.scollegamenti);
    EXPECT_EQ(orologio_.Millisecondi() - prima, 500);  // 100 ms, then 400 ms
    EXPECT_EQ(Profilo_Leggi(base_.File_INI, "Dimensioni", "Left"), c.posizione ? "1500" : "");
    EXPECT_EQ(Profilo_Leggi(base_.File_INI, "Dimensioni", "Top"), c.posizione ? "3015" : "");
  }
}

// ---- Window position ---------------------------------------------------------------------------

TEST_F(Finestra, PositionFromTheSettingsPulledOntoTheScreen) {
  struct Caso {
    const char* testo;
    int32_t schermo;
    int32_t twips;
  };
  const Caso casi[] = {
      {"1500", 1024, 1500}, {"-150", 1024, 0},       {"", 1024, 0},         {"abc", 1024, 0},
      {"750xyz", 1024, 750}, {"99999", 1024, 15060}, {"15060", 1024, 15060}, {"15061", 1024, 15060},
      {" 3E3", 768, 3000},  {"-1E400", 768, 0},      {"1E400", 768, 11220},
  };
  for (const auto& c : casi) EXPECT_EQ(Posizione_Limita(c.testo, c.schermo), c.twips) << c.testo;

  Profilo_Scrivi(base_.File_INI, "Dimensioni", "Left", "-300");
  Profilo_Scrivi(base_.File_INI, "Dimensioni", "Top", "999999");
  Carica();
  EXPECT_EQ(vista_.left, 0);
  EXPECT_EQ(vista_.top, (768 - 20) * 15);
}

// ---- End on a request of the system -------------------------------------------------------------

TEST_F(Finestra, EndRequestedWhileIdleEndsInOrder) {
  Carica("/AUTO");
  ASSERT_EQ(f_.Stato_Ciclo, 6);
  vista_.left = 450;
  f_.Termina_Richiesta();
  EXPECT_TRUE(f_.Terminato());
  EXPECT_FALSE(ciclo_.attivo);
  EXPECT_FALSE(semaforo_.attivo);
  EXPECT_EQ(lavoro_.scollegamenti, 1);
  EXPECT_EQ(vista_.uscite, 1);
  EXPECT_EQ(Profilo_Leggi(base_.File_INI, "Dimensioni", "Left"), "450");
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_NE(File_Leggi(base_.File_LOG).find("Programma terminato su richiesta del sistema"), std::string::npos);
  f_.Termina_Richiesta();
  EXPECT_EQ(vista_.uscite, 1);
}

TEST_F(Finestra, EndRequestedDuringASpoolFileWaitsForItThenFetchesNoMore) {
  Carica("/AUTO /ICON");
  lavoro_.esiti_spool = {true, true, true};
  lavoro_.durante = [this] {
    if (lavoro_.spool_get == 1) f_.Termina_Richiesta();
    EXPECT_EQ(vista_.uscite, 0);  // not while the spool file runs
  };
  ciclo_.Scatta();
  EXPECT_EQ(lavoro_.spool_get, 1);
  EXPECT_EQ(lavoro_.scollegamenti, 1);
  EXPECT_EQ(vista_.uscite, 1);
  EXPECT_EQ(tray_.Conta(NIM_DELETE), 1);  // the icon goes with the program
  EXPECT_FALSE(ciclo_.attivo);
  // Minimised: no position is kept.
  EXPECT_EQ(Profilo_Leggi(base_.File_INI, "Dimensioni", "Left"), "");
}

// A second request abandons the spool file and drops the connection, but
// not one whose mail command has started: that one goes on to its done
// record over the connection it has.
TEST_F(Finestra, SecondEndRequestAbandonsTheSpoolFileUnlessItsMailHasGone) {
  for (const bool irrevocabile : {false, true}) {
    SCOPED_TRACE(irrevocabile ? "mail command started" : "before it");
    Lavoro_Finto lavoro;
    Vista_Finta vista;
    Tray_Finto tray;
    Timer_Finto ciclo, semaforo;
    Finestra_Base f(base_, pannello_, lavoro, vista, tray, ciclo, semaforo, {});
    vista.finestra = &f;
    std::filesystem::remove(base_.File_LOG);
    base_.Riga_Comando = "/AUTO";
    f.Form_Load();
    lavoro.irrevocabile = irrevocabile;
    lavoro.esiti_spool = {irrevocabile};
    lavoro.durante = [&] {
      f.Termina_Richiesta();
      f.Termina_Richiesta();
      // Dropped, the connection fails the spool file's next exchange.
      EXPECT_EQ(lavoro.scollegamenti, irrevocabile ? 0 : 1);
      if (!irrevocabile) f.Stato_Imposta(4);
    };
    ciclo.Scatta();
    EXPECT_EQ(vista.uscite, 1);
    EXPECT_EQ(lavoro.spool_get, 1);
    // State 4 has nothing more to close; state 6 closes the connection at the end.
    EXPECT_EQ(lavoro.scollegamenti, 1);
    EXPECT_EQ(File_Leggi(base_.File_LOG).find("abbandonato") != std::string::npos, !irrevocabile);
  }
}

TEST_F(Finestra, EndRequestedDuringTheExitQuestion) {
  // The program's message boxes give way at once to such a request.
  struct Messaggi_Interrotti : MessageSink {
    Finestra_Base* f;
    int MsgBox(const std::string&, int, const std::string&) override {
      f->Termina_Richiesta();
      return vbNo;
    }
  } interrotti;
  Server_Base base(orologio_, interrotti, stampanti_);
  base.File_INI = base_.File_INI;
  base.File_LOG = base_.File_LOG;
  Pannello pannello;
  Lavoro_Finto lavoro;
  Vista_Finta vista;
  Tray_Finto tray;
  Timer_Finto ciclo, semaforo;
  Finestra_Base f(base, pannello, lavoro, vista, tray, ciclo, semaforo, {});
  interrotti.f = &f;
  vista.finestra = &f;
  f.Form_Load();
  f.Toolbar_ButtonClick("Uscita");
  EXPECT_TRUE(f.Terminato());
  EXPECT_EQ(vista.uscite, 1);
  EXPECT_EQ(lavoro.scollegamenti, 1);
  EXPECT_FALSE(ciclo.attivo);
}
