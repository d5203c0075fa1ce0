// The server program against the stand-in host, offscreen: started with
// "/AUTO /ICON" it reaches run state 6 with the switches on, goes to the
// notification area and handles the queue; the toolbar, the switches and the
// exit rules through the window; a screenshot of the panel in every run
// state; and, as separate processes, one running copy per folder and the
// orderly end on SIGTERM.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>

#include "ebcdic_test.h"
#include "qod/prova/costruzione.h"
#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"
#include "frm_base.h"
#include "frm_splash.h"
#include "frm_vis.h"
#include "programma.h"
#include "qod/basic.h"
#include "qod/cripto.h"
#include "qod/host_simulato.h"
#include "qod/imaging/file.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/viewer/qod_imv.h"
#include "qod/ui/prova_qt.h"
#include "qod/profile.h"
#include "qod/server/stampa.h"
#include "qod/prova/finti.h"

using namespace qod;
using namespace qod::prova;
using qod::prova::Host_Simulato;
using qod::test::Scs;

namespace {

// A program folder and a stand-in host with a copy of the sample queue.
class Cartella_Server {
 public:
  // `altre`: more options of the stand-in (its misbehaviour).
  explicit Cartella_Server(const std::filesystem::path& radice, const std::vector<std::string>& altre = {}) {
    coda_ = radice / "coda";
    fatti_ = radice / "fatti";
    programma_ = radice / "Qod_S";
    std::filesystem::copy(QOD_CODA_ESEMPI, coda_, std::filesystem::copy_options::recursive);
    std::vector<std::string> argomenti = {"--dictionary", Host_Simulato::Dizionario_Predefinito(), "--user",
                                          "QSYS:PW:7", "--spool-queue", coda_.string(), "--spool-done",
                                          fatti_.string()};
    argomenti.insert(argomenti.end(), altre.begin(), altre.end());
    host_ = std::make_unique<Host_Simulato>(argomenti);
    std::filesystem::create_directories(programma_);
  }
  // `ftp`: the host program is started over FTP at each connection (the
  // FTP dialogue waits on every reply, so process tests leave it out).
  bool Prepara(const std::filesystem::path& programma, bool ftp = true) {
    if (!host_->In_Esecuzione() && !host_->Avvia()) return false;
    std::filesystem::create_directories(programma);
    if (!Host_Simulato::Scrivi_Tabella(programma / "Qod_TBL1.Tbl")) return false;
    Parametri_Collegamento p = host_->Collegamento();
    p.Porta_Ftp = host_->Porta_Ftp();
    p.Libreria = ftp ? "QGPL" : "";
    p.Indice_Server = 1;
    // The font strip and the logo the sample spool files name.
    std::filesystem::create_directories(programma / "Fnt");
    std::filesystem::create_directories(programma / "Lgo");
    if (!Scrivi_Striscia_Font(programma / "Fnt" / "COUR20.BMP", Opzioni_Striscia{})) return false;
    img::Immagine logo;
    if (!logo.Crea(200, 80, 1)) return false;
    logo.Riempi(img::Nero);
    if (!img::Salva(logo, (programma / "Lgo" / "logo.bmp").string(), {0, false, "EXTENSION = BMP"})) return false;
    const std::string ini = (programma / "Qod_S.INI").string();
    const std::pair<const char*, const char*> voci[] = {
        {"Tempo Ciclo", "50"}, {"Fine Collegamento Ora", "235959"}, {"Inizio Collegamento Ora", "000000"},
        {"Log", "S"}};
    bool ok = Collegamento_Scrivi(ini, p.Componi());
    for (const auto& [chiave, valore] : voci) ok = ok && Profilo_Scrivi(ini, "Generale", chiave, valore);
    return ok && Profilo_Scrivi(ini, "Progressivi", "Stampe", "41") && Profilo_Scrivi(ini, "Progressivi", "Pagine", "1234");
  }
  size_t Fatti() const { return Nomi(fatti_).size(); }
  size_t In_Coda() const { return Nomi(coda_).size(); }

  std::filesystem::path coda_, fatti_, programma_;
  std::unique_ptr<Host_Simulato> host_;
};

class Qod_S_Finestra : public Prova_Qt {
 protected:
  void Avvia(const std::string& riga, bool splash = false) {
    ASSERT_TRUE(server_.Prepara(server_.programma_)) << server_.host_->Uscita();
    Opzioni_Qod_S o;
    o.cartella = server_.programma_.string() + "/";
    o.riga_comando = riga;
    o.messaggi = &messaggi_;
    o.tray = &tray_;
    o.stampanti = &stampanti_;
    o.attese_rete = Attese_Rete{3000, 200, 1000};
    o.attese_collegamento = Attese_Collegamento{2, 1, 10};
    o.fine = [this](int codice) { fine_.push_back(codice); };
    p_ = std::make_unique<Programma_Qod_S>(o);
    p_->Avvia();
    if (splash) {
      // Half a second into the start: the bar has moved on from its first cells.
      Attendi([] { return false; }, 500);
      EXPECT_TRUE(p_->Splash()->isVisible());
      prova::Schermata(*p_->Splash(), "splash");
    }
    ASSERT_TRUE(Attendi([this] { return p_->Caricato() || !fine_.empty(); }, 5000));
    ASSERT_TRUE(fine_.empty());
  }

  Finestra_Base& F() { return *p_->Finestra(); }
  FrmBase& V() { return *p_->Vista(); }
  Pannello& Q() { return p_->Quadro(); }

  // Waits for a light tick that shows the current state, then keeps a
  // screenshot of the window.
  void Schermata(const std::string& nome) {
    const int s = F().Stato_Ciclo;
    ASSERT_TRUE(Attendi([&] { return Q().Sem_Visibile(s) || Q().Sem_Visibile(s + 1); }, 3000));
    const QPixmap p = prova::Schermata(V(), nome);
    EXPECT_EQ(p.width(), 391);
    EXPECT_EQ(p.height(), 294);
  }

  // A click on the caption of a row.
  void Clic_Didascalia(int riga) {
    QWidget* quadro = V().Quadro();
    const QPointF punto = V().Didascalia(riga).center() + QPointF(10, 0);
    QMouseEvent premuto(QEvent::MouseButtonPress, punto, quadro->mapToGlobal(punto), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(quadro, &premuto);
  }

  int Domande_Uscita() const {
    int n = 0;
    for (const auto& b : messaggi_.boxes) n += b.titolo == "Uscita";
    return n;
  }

  Cartella_Prova dir_;
  Cartella_Server server_{dir_.Dir()};
  RecordingMessageSink messaggi_;
  Tray_Finto tray_;
  NoPrinters stampanti_;
  std::vector<int> fine_;
  std::unique_ptr<Programma_Qod_S> p_;
};

}  // namespace

TEST_F(Qod_S_Finestra, AutoIconRunsTheQueueFromTheTrayThenTheOperatorTakesOver) {
  Avvia("/AUTO /ICON", true);

  // State 6, switches forced on, hidden behind the icon.
  EXPECT_EQ(F().Stato_Ciclo, 6);
  for (int r = 20; r <= 22; ++r) EXPECT_TRUE(Q().Interruttore(r)) << r;
  ASSERT_EQ(tray_.Conta(NIM_ADD), 1);
  EXPECT_EQ(tray_.chiamate[0].icona.Suggerimento(), "Quillon Server - 1");
  EXPECT_EQ(tray_.chiamate[0].icona.hIcon, 6);
  EXPECT_FALSE(V().isVisible());
  EXPECT_EQ(Q().Caption(), "Quillon Server - 1");
  EXPECT_EQ(Q().Client(), "Client 7");
  // The print stage names the main window by its id, hidden as it is.
  ASSERT_TRUE(p_->Stampa().Finestra);
  const int64_t finestra = p_->Stampa().Finestra();
  EXPECT_NE(finestra, 0);

  // The queue is handled: every spool file got its done record.
  ASSERT_TRUE(Attendi([this] { return server_.Fatti() == 3; }, 20000)) << server_.Fatti();
  EXPECT_EQ(server_.In_Coda(), 0u);
  for (const auto& n : Nomi(server_.fatti_)) {
    const std::string esito = File_Leggi(server_.fatti_ / n / "esito.txt");
    EXPECT_EQ(esito.find("*ERR"), std::string::npos) << n << ": " << esito;
  }
  // Page images were made, and the totals moved: 3 spool files, 2 + 5 + 2 pages.
  EXPECT_EQ(Q().Valore(Pannello::Riga_Stato), "Ok");
  EXPECT_EQ(Q().Valore(Pannello::Riga_Stampe), " 3 / 44");
  EXPECT_EQ(Q().Valore(Pannello::Riga_Pagine), " 9 / 1.243");
  const std::string ini = (server_.programma_ / "Qod_S.INI").string();
  EXPECT_EQ(Profilo_Leggi(ini, "Progressivi", "Stampe"), "44");
  EXPECT_EQ(Profilo_Leggi(ini, "Progressivi", "Pagine"), "1243");
  EXPECT_TRUE(std::filesystem::exists(server_.programma_ / "TmpS" / "00001_I_00001_00001.PNG"));
  EXPECT_EQ(p_->Spool().Immagine_Visualizza(), (server_.programma_ / "TmpS" / "00001_I_00001_00001.PNG").string());
  // The icon blinks while the window is in the tray.
  ASSERT_TRUE(Attendi([this] { return tray_.Conta(NIM_MODIFY) >= 2; }, 3000));
  for (const auto& [m, icona] : tray_.chiamate) {
    if (m == NIM_MODIFY) {
      EXPECT_TRUE(icona.hIcon == 6 || icona.hIcon == 7) << icona.hIcon;
    }
  }

  // A click on the icon brings the window back.
  F().pic_try__MouseMove(WM_LBUTTONUP);
  EXPECT_EQ(tray_.Conta(NIM_DELETE), 1);
  ASSERT_TRUE(Attendi([this] { return V().isVisible(); }, 2000));
  EXPECT_TRUE(V().Normale());
  EXPECT_EQ(static_cast<int64_t>(V().winId()), finestra);
  Schermata("stato_6");

  // In state 6: the switches do not move, and the exit is refused silently.
  Clic_Didascalia(20);
  EXPECT_TRUE(Q().Interruttore(20));
  EXPECT_FALSE(V().Pulsante(Pannello::Tasto_Uscita)->isEnabled());
  F().Toolbar_ButtonClick("Uscita");
  V().close();
  QCoreApplication::processEvents();
  EXPECT_TRUE(V().isVisible());
  EXPECT_EQ(Domande_Uscita(), 0);

  // Stop: state 2, the connection stays; a switch flips on each click.
  ASSERT_TRUE(V().Pulsante(Pannello::Tasto_Stop)->isEnabled());
  V().Pulsante(Pannello::Tasto_Stop)->click();
  EXPECT_EQ(F().Stato_Ciclo, 2);
  EXPECT_TRUE(V().Pulsante(Pannello::Tasto_Uno)->isEnabled());
  EXPECT_FALSE(V().Pulsante(Pannello::Tasto_Stop)->isEnabled());
  Clic_Didascalia(21);
  EXPECT_FALSE(Q().Interruttore(21));
  Clic_Didascalia(21);
  EXPECT_TRUE(Q().Interruttore(21));
  Clic_Didascalia(22);
  EXPECT_FALSE(Q().Interruttore(22));
  Schermata("stato_2");

  // Exit in state 2 asks; No keeps the program running.
  messaggi_.risposte = {vbNo};
  V().Pulsante(Pannello::Tasto_Uscita)->click();
  ASSERT_EQ(Domande_Uscita(), 1);
  EXPECT_EQ(messaggi_.boxes.back().testo, "Confermi l'uscita dal programma ?");
  EXPECT_EQ(messaggi_.boxes.back().stile, vbYesNo + vbCritical + vbDefaultButton2);
  EXPECT_TRUE(V().isVisible());
  EXPECT_TRUE(fine_.empty());

  // Start again, then the host goes away: state 4 after the transfer error;
  // the exit is refused there too.
  V().Pulsante(Pannello::Tasto_Start)->click();
  EXPECT_EQ(F().Stato_Ciclo, 6);
  server_.host_->Ferma();
  ASSERT_TRUE(Attendi([this] { return F().Stato_Ciclo == 4 && !p_->Spool().Spool_In_Corso(); }, 10000));
  EXPECT_EQ(Q().Client(), "non connesso");
  Schermata("stato_4");
  F().Toolbar_ButtonClick("Uscita");
  V().close();
  QCoreApplication::processEvents();
  EXPECT_EQ(Domande_Uscita(), 1);
  EXPECT_TRUE(fine_.empty());

  // Stop: state 0; the exit asks, Yes ends the program and keeps the position.
  ASSERT_TRUE(Attendi([this] { return F().Ciclo_Profondita == 0; }, 5000));
  V().Pulsante(Pannello::Tasto_Stop)->click();
  EXPECT_EQ(F().Stato_Ciclo, 0);
  Schermata("stato_0");
  V().move(40, 30);
  messaggi_.risposte = {vbYes};
  V().Pulsante(Pannello::Tasto_Uscita)->click();
  EXPECT_EQ(Domande_Uscita(), 2);
  EXPECT_EQ(fine_, std::vector<int>{0});
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Left"), std::to_string(V().x() * 15));
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Top"), std::to_string(V().y() * 15));
}

TEST_F(Qod_S_Finestra, VisualizzaShowsTheLastSpoolFilesFirstPageAndClosingPutsTheKeyUp) {
  Avvia("/AUTO");
  ASSERT_TRUE(Attendi([this] { return server_.Fatti() == 3 && !p_->Spool().Spool_In_Corso(); }, 20000));
  const std::string immagine = p_->Spool().Immagine_Visualizza();
  ASSERT_TRUE(std::filesystem::exists(immagine)) << immagine;
  EXPECT_EQ(p_->Visore(), nullptr);

  // Stop: state 2, where the viewer key is enabled.
  ASSERT_TRUE(Attendi([this] { return F().Ciclo_Profondita == 0; }, 5000));
  V().Pulsante(Pannello::Tasto_Stop)->click();
  ASSERT_EQ(F().Stato_Ciclo, 2);
  QToolButton* tasto = V().Pulsante(Pannello::Tasto_Visualizza);
  ASSERT_TRUE(tasto->isEnabled());
  tasto->click();
  ASSERT_NE(p_->Visore(), nullptr);
  FrmVis& vis = *p_->Visore();
  EXPECT_TRUE(vis.isVisible());
  EXPECT_EQ(vis.windowTitle(), "Quillon Server - 1  Viewer");
  imv::Qod_IMV& v = *vis.Qod_IMV1();
  EXPECT_EQ(v.Stato_Pagine().File_Documento, immagine);
  EXPECT_EQ(v.IM1()->File(), std::filesystem::path(immagine));
  EXPECT_TRUE(v.IM1()->isVisible());
  EXPECT_TRUE(v.lblPag1()->text().startsWith("1/")) << v.lblPag1()->text().toStdString();
  EXPECT_EQ(v.qodimv_FileINI(), (server_.programma_ / "Qod_S.INI").string());
  EXPECT_TRUE(v.Aggancio_Proprio());  // no "/NOSUBCLASS": the viewer takes the wheel and keys
  EXPECT_EQ(v.geometry(), vis.rect());
  vis.resize(700, 520);
  EXPECT_EQ(v.geometry(), vis.rect());
  QCoreApplication::processEvents();
  prova::Schermata(vis, "visualizza");

  // Closing the window by its own close box puts the key up and releases the window.
  vis.close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(p_->Visore(), nullptr);
  EXPECT_FALSE(Q().Visualizza());
  EXPECT_FALSE(tasto->isChecked());

  // Down again, then up: the key closes the window.
  tasto->click();
  ASSERT_NE(p_->Visore(), nullptr);
  tasto->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(p_->Visore(), nullptr);
  EXPECT_FALSE(Q().Visualizza());
}

TEST_F(Qod_S_Finestra, StartsWhereTheSettingsLeftItWithTheTotals) {
  ASSERT_TRUE(server_.Prepara(server_.programma_));
  const std::string ini = (server_.programma_ / "Qod_S.INI").string();
  Profilo_Scrivi(ini, "Dimensioni", "Left", "1500");
  Profilo_Scrivi(ini, "Dimensioni", "Top", "-45");
  Avvia("/auto");  // lower case: not the automatic switch
  EXPECT_EQ(F().Stato_Ciclo, 2);
  EXPECT_TRUE(V().isVisible());
  EXPECT_EQ(tray_.Conta(NIM_ADD), 0);
  EXPECT_EQ(V().x(), 100);
  EXPECT_EQ(V().y(), 0);
  EXPECT_EQ(Q().Valore(Pannello::Riga_Stampe), " 0 / 41");
  EXPECT_EQ(Q().Valore(Pannello::Riga_Pagine), " 0 / 1.234");
  EXPECT_EQ(Q().Valore(Pannello::Riga_Stop).substr(9), "  23:59");
  // Nothing is fetched in the manual state until "Uno".
  QThread::msleep(200);
  QCoreApplication::processEvents();
  EXPECT_EQ(server_.Fatti(), 0u);
  V().Pulsante(Pannello::Tasto_Uno)->click();
  EXPECT_EQ(server_.Fatti(), 1u);
  EXPECT_EQ(Q().Valore(Pannello::Riga_Stampe), " 1 / 42");
  // The end asked by the system: in order, without a question.
  p_->Termina_Richiesta();
  EXPECT_EQ(fine_, std::vector<int>{0});
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_TRUE(server_.host_->Attendi_Evento("rec-close"));
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Left"), "1500");
}

// While the window's load connects, the splash says to what: here to a host
// that takes the connection and never greets.
TEST_F(Qod_S_Finestra, TheSplashSaysWhatTheStartWaitsFor) {
  const int muto = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(muto, 0);
  sockaddr_in indirizzo{};
  indirizzo.sin_family = AF_INET;
  indirizzo.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t lunghezza = sizeof indirizzo;
  ASSERT_EQ(::bind(muto, reinterpret_cast<sockaddr*>(&indirizzo), sizeof indirizzo), 0);
  ASSERT_EQ(::listen(muto, 4), 0);
  ASSERT_EQ(::getsockname(muto, reinterpret_cast<sockaddr*>(&indirizzo), &lunghezza), 0);
  ASSERT_TRUE(server_.Prepara(server_.programma_, false));
  Parametri_Collegamento c = server_.host_->Collegamento();
  c.Porta = ntohs(indirizzo.sin_port);
  c.Indice_Server = 1;
  ASSERT_TRUE(Collegamento_Scrivi((server_.programma_ / "Qod_S.INI").string(), c.Componi()));

  Opzioni_Qod_S o;
  o.cartella = server_.programma_.string() + "/";
  o.messaggi = &messaggi_;
  o.tray = &tray_;
  o.stampanti = &stampanti_;
  o.attese_rete = Attese_Rete{600, 200, 1000};
  o.attese_collegamento = Attese_Collegamento{1, 1, 10};
  o.fine = [this](int codice) { fine_.push_back(codice); };
  p_ = std::make_unique<Programma_Qod_S>(o);
  // The start runs inside the splash's timer: a timer of the test looks on
  // from the waits' pumps.
  QString visto;
  QTimer guarda;
  QObject::connect(&guarda, &QTimer::timeout, [&] {
    FrmSplash* s = p_->Splash();
    if (!visto.isEmpty() || !s || s->Stato().isEmpty()) return;
    visto = s->Stato();
    prova::Schermata(*s, "splash_connessione");
  });
  guarda.start(20);
  p_->Avvia();
  EXPECT_TRUE(Attendi([&] { return p_->Caricato() || !fine_.empty(); }, 10000));
  guarda.stop();
  ::close(muto);
  EXPECT_EQ(visto.toStdString(), "Connessione a 127.0.0.1 ...");
  // The host never greeted: the manual start goes on unconnected.
  EXPECT_TRUE(p_->Caricato());
  EXPECT_EQ(F().Stato_Ciclo, 0);
}

// ---- As separate processes ------------------------------------------------------------

namespace {

// Qod_S started in `cartella` (its program folder), offscreen; or, with
// `senza_display`, with neither a display nor a platform named, as a
// service starts it.
class Qod_S_Avviato {
 public:
  Qod_S_Avviato(const std::filesystem::path& cartella, const std::string& riga, bool senza_display = false,
                std::vector<std::pair<std::string, std::string>> ambiente = {}) {
    uscita_ = cartella.string() + ".out";
    std::filesystem::remove(uscita_);
    std::vector<std::string> a = {Programma_Build(QOD_QOD_S)};
    if (senza_display) a.insert(a.begin(), {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM"});
    if (!riga.empty()) a.push_back(riga);
    if (!senza_display) ambiente.emplace_back("QT_QPA_PLATFORM", "offscreen");
    processo_.Avvia({.argomenti = a, .cartella = cartella, .uscita = uscita_, .ambiente = ambiente});
  }
  pid_t Pid() const { return processo_.Pid(); }
  ~Qod_S_Avviato() { processo_.Ferma(0); }
  // Waits for the end; the exit code, or -1 when still running at the limit.
  int Attendi_Fine(int limite_ms) { return processo_.Attendi(limite_ms).value_or(-1); }
  void Segnale(int s) const { processo_.Segnale(s); }
  std::string Uscita() const { return File_Leggi(uscita_); }

 private:
  Processo processo_;
  std::string uscita_;
};

bool Attendi_Vero(const std::function<bool()>& c, int limite_ms) {
  const auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(limite_ms);
  while (!c()) {
    if (std::chrono::steady_clock::now() > fine) return false;
    ::usleep(10000);
  }
  return true;
}

int Sessioni_Dizionario(const Host_Simulato& h) {
  int n = 0;
  for (const auto& v : h.Log("REC")) n += v.testo.rfind("T00022CA77", 0) == 0 || v.testo.rfind("T00022CA20", 0) == 0;
  return n;
}

}  // namespace

TEST(Qod_S_Processo, ASecondCopyInTheSameFolderEndsAtOnceSilently) {
  Cartella_Prova dir;
  Cartella_Server server(dir.Dir());
  ASSERT_TRUE(server.Prepara(server.programma_, false));
  const auto altra = dir.Dir() / "Qod_S_2";
  ASSERT_TRUE(server.Prepara(altra, false));

  Qod_S_Avviato prima(server.programma_, "");
  ASSERT_TRUE(server.host_->Attendi_Evento("rec-connect", 8000)) << prima.Uscita();
  ASSERT_TRUE(Attendi_Vero([&] { return Sessioni_Dizionario(*server.host_) >= 1; }, 8000)) << prima.Uscita();

  const auto inizio = std::chrono::steady_clock::now();
  Qod_S_Avviato seconda(server.programma_, "/AUTO");
  EXPECT_EQ(seconda.Attendi_Fine(3000), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(2000));
  EXPECT_EQ(seconda.Uscita(), "");

  // Also when the settings have gone bad meanwhile, before it would say so.
  ASSERT_TRUE(File_Scrivi(server.programma_ / "Qod_S.INI", "[Generale]\r\nLicenza=x\r\n"));
  Qod_S_Avviato guasta(server.programma_, "/AUTO");
  EXPECT_EQ(guasta.Attendi_Fine(3000), 0);
  EXPECT_EQ(guasta.Uscita(), "");

  // Another folder is another slot: it runs beside the first.
  Qod_S_Avviato terza(altra, "");
  ASSERT_TRUE(Attendi_Vero([&] { return Sessioni_Dizionario(*server.host_) >= 2; }, 8000)) << terza.Uscita();
  EXPECT_EQ(terza.Attendi_Fine(200), -1);
  EXPECT_EQ(server.host_->Eventi("rec-connect"), 2);

  prima.Segnale(SIGTERM);
  terza.Segnale(SIGTERM);
  EXPECT_EQ(prima.Attendi_Fine(8000), 0) << prima.Uscita();
  EXPECT_EQ(terza.Attendi_Fine(8000), 0) << terza.Uscita();
}

TEST(Qod_S_Processo, SigtermEndsInOrderAndLosesNoSpoolFile) {
  Cartella_Prova dir;
  Cartella_Server server(dir.Dir());
  ASSERT_TRUE(server.Prepara(server.programma_, false));
  Qod_S_Avviato p(server.programma_, "/AUTO");
  ASSERT_TRUE(Attendi_Vero([&] { return server.Fatti() >= 1; }, 10000)) << p.Uscita();
  p.Segnale(SIGTERM);
  EXPECT_EQ(p.Attendi_Fine(8000), 0) << p.Uscita();
  // The connection was closed by the program, and every spool file is
  // either still waiting or done with its done record.
  EXPECT_TRUE(server.host_->Attendi_Evento("rec-close", 2000));
  EXPECT_EQ(server.Fatti() + server.In_Coda(), 3u);
  for (const auto& n : Nomi(server.fatti_)) EXPECT_TRUE(std::filesystem::exists(server.fatti_ / n / "esito.txt")) << n;
  const std::string log = File_Leggi(server.programma_ / "Qod_S.LOG");
  EXPECT_NE(log.find("Programma terminato su richiesta del sistema"), std::string::npos) << log;
}

// Without a display the automatic cycle serves as on the offscreen platform
// (also from the notification area, and with "/AUTO" inside a longer word),
// and SIGTERM ends it in order; without "/AUTO" nobody could work its keys,
// and it ends at its window.
TEST(Qod_S_Processo, WithoutADisplayTheAutomaticCycleServesAndEndsInOrder) {
  const struct {
    const char* riga;
    bool automatico;
  } casi[] = {{"/AUTO", true}, {"/ICON /AUTO", true}, {"/AUTOMATIC", true}, {"/ICON", false}};
  for (const auto& c : casi) {
    SCOPED_TRACE(c.riga);
    Cartella_Prova dir;
    Cartella_Server server(dir.Dir());
    ASSERT_TRUE(server.Prepara(server.programma_, false));
    Qod_S_Avviato p(server.programma_, c.riga, true);
    if (!c.automatico) {
      EXPECT_EQ(p.Attendi_Fine(10000), 1) << p.Uscita();
      EXPECT_NE(p.Uscita().find("la finestra \"Quillon Server - 1\" non si pu\xC3\xB2 mostrare"), std::string::npos)
          << p.Uscita();
      EXPECT_EQ(server.Fatti(), 0u);
      continue;
    }
    ASSERT_TRUE(Attendi_Vero([&] { return server.Fatti() >= 1; }, 10000)) << p.Uscita();
    p.Segnale(SIGTERM);
    EXPECT_EQ(p.Attendi_Fine(8000), 0) << p.Uscita();
    EXPECT_TRUE(server.host_->Attendi_Evento("rec-close", 2000));
    for (const auto& n : Nomi(server.fatti_)) EXPECT_TRUE(std::filesystem::exists(server.fatti_ / n / "esito.txt")) << n;
    const std::string log = File_Leggi(server.programma_ / "Qod_S.LOG");
    EXPECT_NE(log.find("Programma terminato su richiesta del sistema"), std::string::npos) << log;
    EXPECT_EQ(p.Uscita().find("non si pu"), std::string::npos) << p.Uscita();
  }
}

// A stop request ends the program within two seconds in every state of its
// work, once that state is reached: in the FTP dialogue with a server that
// never ends its greeting, in a record read the host never answers, while
// rendering a long spool file, and in the copy loop of a huge copy count.
// The spool file in hand is abandoned: the host keeps it.
TEST(Qod_S_Processo, StopRequestEndsTheProgramWithinTwoSecondsInEveryState) {
  Scs lunga;
  for (int p = 1; p <= 1500; ++p) lunga.Testo("PAGINA " + std::to_string(p)).NL().FF();
  Scs una;
  una.Testo("UNA PAGINA").NL().FF();
  const std::string immagine =
      "tipo_immagine = 7\nout_width = 850\nout_height = 1100\nout_resx = 100\nout_resy = 100\n"
      "txt_cols = 80\ntxt_rows = 66\ntxt_col_dim = 10\ntxt_row_dim = 16\nfnt_file = COUR20.BMP\n";
  struct Caso {
    const char* stato;
    std::vector<std::string> argomenti;  // of the stand-in
    bool ftp;
    std::string attributi;
    const Scs* dati;
  } casi[] = {
      {"FTP", {"--ftp-endless-greeting", "100"}, true, "", nullptr},
      {"record read", {"--slow", "S=60000"}, false, "", nullptr},
      {"rendering", {}, false, "numero_spool = 77\npagine = 1500\n" + immagine, &lunga},
      {"copy loop", {}, false, "numero_spool = 78\npagine = 1\ncopie = 2147483647\nim2_file_2 = logo.bmp\n" + immagine,
       &una},
  };
  for (const auto& c : casi) {
    Cartella_Prova dir;
    // The stand-in's misbehaviour, and only this case's spool file in the queue.
    Cartella_Server server(dir.Dir(), c.argomenti);
    for (const auto& n : Nomi(server.coda_)) std::filesystem::remove_all(server.coda_ / n);
    if (c.dati) {
      std::filesystem::create_directories(server.coda_ / "0001_LUNGO");
      File_Scrivi(server.coda_ / "0001_LUNGO" / "attributi.txt", c.attributi);
      File_Scrivi(server.coda_ / "0001_LUNGO" / "dati.scs", std::string(c.dati->dati.begin(), c.dati->dati.end()));
    }
    ASSERT_TRUE(server.Prepara(server.programma_, c.ftp)) << c.stato << server.host_->Uscita();

    Qod_S_Avviato p(server.programma_, "/AUTO");
    const std::string tmps = (server.programma_ / "TmpS").string();
    auto immagini = [&] {
      size_t n = 0;
      for (const auto& f : Nomi(tmps)) n += f.find("_I_") != std::string::npos;
      return n;
    };
    const std::string stato = c.stato;
    bool raggiunto = false;
    if (stato == "FTP")
      raggiunto = server.host_->Attendi_Evento("ftp-connect", 30000);
    else if (stato == "record read")
      raggiunto = server.host_->Attendi_Log(
          [](const std::vector<prova::Voce_Log>& log) {
            for (const auto& v : log)
              if (v.canale == "REC" && v.testo.rfind("S00005", 0) == 0) return true;
            return false;
          },
          30000);
    else
      raggiunto = Attendi_Vero([&] { return immagini() >= 3; }, 40000);
    ASSERT_TRUE(raggiunto) << c.stato << p.Uscita();
    ::usleep(300000);  // well inside the state

    const auto inizio = std::chrono::steady_clock::now();
    p.Segnale(SIGTERM);
    EXPECT_EQ(p.Attendi_Fine(2000), 0) << c.stato << p.Uscita();
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(2000)) << c.stato;
    const std::string log = File_Leggi(server.programma_ / "Qod_S.LOG");
    EXPECT_NE(log.find("Programma terminato su richiesta del sistema"), std::string::npos) << c.stato << log;
    if (c.dati) {
      EXPECT_EQ(server.Fatti(), 0u) << c.stato;  // no done record for the abandoned spool file
      EXPECT_EQ(server.In_Coda(), 1u) << c.stato;
      EXPECT_NE(log.find("abbandonato"), std::string::npos) << c.stato << log;
    }
  }
}

namespace {

// The stand-in host with one spool file of `documenti` one-page documents
// (keys "D00001", "D00002", ..., the first 6 characters of line 1) and
// small page images, and a program folder whose drive C is `c_`.
class Spool_Proprio {
 public:
  // `host`: more options of the stand-in; `prefisso`: the test folder's
  // prefix, one for each spool file a test keeps at once.
  Spool_Proprio(const std::string& attributi, const std::string& definizioni, int documenti,
                const std::vector<std::string>& host = {}, const std::string& prefisso = "prova")
      : dir_(prefisso), server_(dir_.Dir(), host) {
    for (const auto& n : Nomi(server_.coda_)) std::filesystem::remove_all(server_.coda_ / n);
    const auto cartella = server_.coda_ / "0001_LUNGO";
    std::filesystem::create_directories(cartella);
    File_Scrivi(cartella / "attributi.txt",
                "numero_spool = 1\nsalva = S\nsalva_pdf = S\npdf_left = 0\npdf_top = 0\npdf_width = 2100\n"
                "pdf_height = 2970\ntipo_immagine = 7\nout_width = 200\nout_height = 100\nout_resx = 100\n"
                "out_resy = 100\ntxt_cols = 20\ntxt_rows = 4\ntxt_col_dim = 10\ntxt_row_dim = 16\n"
                "fnt_file = COUR20.BMP\n" +
                    attributi);
    File_Scrivi(cartella / "definizioni.txt", "F | K | 1 | 1 | 0 | 1 | 6 | A |\n" + definizioni);
    std::string dati;
    for (int d = 1; d <= documenti; ++d) dati += Chiave(d) + " PAGINA\nRIGA DI TESTO\n<FF>";
    File_Scrivi(cartella / "dati.txt", dati);
  }
  static std::string Chiave(int documento) { return "D" + Format(documento, "00000"); }

  // Starts the stand-in and Qod_S /AUTO.
  bool Avvia() {
    if (!server_.Prepara(server_.programma_, false)) return false;
    // The backup copy: the last step of a spool file that goes to its end.
    if (!Profilo_Scrivi((server_.programma_ / "Qod_S.INI").string(), "Generale", "Backup", "S")) return false;
    p_ = std::make_unique<Qod_S_Avviato>(
        server_.programma_, "/AUTO", false, std::vector<std::pair<std::string, std::string>>{{"QOD_DRIVE_C", c_.string()}});
    return true;
  }
  std::string Log() const { return File_Leggi(server_.programma_ / "Qod_S.LOG"); }
  size_t Immagini() const {
    size_t n = 0;
    for (const auto& f : Nomi(server_.programma_ / "TmpS")) n += f.find("_I_") != std::string::npos;
    return n;
  }

  Cartella_Prova dir_;
  Cartella_Server server_;
  const std::filesystem::path c_ = dir_.Dir() / "c";
  std::unique_ptr<Qod_S_Avviato> p_;
};

// A mail spool file: its list file, one PDF per document, the command.
const char* kGruppi_Posta =
    "E | 1 | 0 | 0 | 9  | C | R | lista.txt\n"
    "E | 2 | 1 | 1 | 6  | A | R |\n"
    "E | 2 | 0 | 0 | 4  | C |   | .PDF\n"
    "E | 3 | 2 | 1 | 13 | A | R |\n"
    "E | 4 | 0 | 0 | 12 | C | R | C:\\Bin\\posta\n";

// A mail spool file of `documenti` documents whose command notes its process
// id in Bin/avvii when it starts, runs for 20 s, and notes its end in
// Bin/segni. Whatever a check finds, neither the program nor the command it
// started is left running past the test.
class Spool_Posta : public Spool_Proprio {
 public:
  Spool_Posta(int documenti, const std::vector<std::string>& host, const std::string& cartella)
      : Spool_Proprio("consegna = P\ncartella = C:\\Uscita\n", kGruppi_Posta, documenti, host, cartella) {
    std::filesystem::create_directories(c_ / "Uscita");
    std::filesystem::create_directories(c_ / "Bin");
    File_Scrivi(c_ / "Bin" / "posta",
                "#!/bin/sh\nd=$(dirname \"$0\")\necho $$ >> \"$d/avvii\"\nsleep 20\necho fine >> \"$d/segni\"\n");
    std::filesystem::permissions(c_ / "Bin" / "posta", std::filesystem::perms::owner_all);
  }
  ~Spool_Posta() {
    // The program first, so that it starts no command after the look below.
    p_.reset();
    std::istringstream righe(Avvii());
    for (std::string riga; std::getline(righe, riga);)
      if (const int pid = std::atoi(riga.c_str()); pid > 1) ::kill(-pid, SIGKILL);
  }
  std::string Avvii() const { return File_Leggi(c_ / "Bin" / "avvii"); }
  std::string Segni() const { return File_Leggi(c_ / "Bin" / "segni"); }
};

}  // namespace

// Once the mail command has started, stop requests no longer wait for it: the
// program logs it still running, sends the done record and ends, and the
// command goes on to its end, once. A second request while the done record
// is on its way (the stand-in holds its reply 1.3 s, the request comes 1 s
// after the first) neither abandons the spool file nor drops the connection.
// A stop request before the command starts abandons the spool file, as in
// every other stage: no command, no done record.
TEST(Qod_S_Processo, StopRequestsOnceTheMailCommandRunsEndTheProgramAndTheMailGoesOnce) {
  const struct {
    const char* nome;
    int documenti;
    bool comando;                   // the stop comes once the command has started; else while rendering
    std::vector<std::string> host;  // the stand-in's misbehaviour
    bool seconda;                   // a second request, 1 s after the first
  } casi[] = {
      {"one request while the mail command runs", 3, true, {}, false},
      {"a second request while the done record is answered", 3, true, {"--slow", "D=1300"}, true},
      {"before the mail command", 2000, false, {}, false},
  };
  // The commands run 20 s each: their ends are looked at together, after
  // every case.
  std::vector<std::unique_ptr<Spool_Posta>> inviate;
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    auto s = std::make_unique<Spool_Posta>(c.documenti, c.host, "posta" + std::to_string(&c - casi));
    ASSERT_TRUE(s->Avvia()) << s->server_.host_->Uscita();

    if (c.comando)
      ASSERT_TRUE(Attendi_Vero([&] { return !s->Avvii().empty(); }, 40000)) << s->p_->Uscita();
    else
      ASSERT_TRUE(Attendi_Vero([&] { return s->Immagini() >= 3; }, 40000)) << s->p_->Uscita();
    const auto inizio = std::chrono::steady_clock::now();
    auto trascorsi = [&] {
      return static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inizio).count());
    };
    s->p_->Segnale(SIGTERM);
    if (c.seconda) {
      ::usleep(1000000);
      // The request lands while the done record waits for its reply: the
      // host has it (the spool file is in its done folder), the program
      // still runs.
      EXPECT_EQ(s->server_.Fatti(), 1u);
      EXPECT_EQ(s->p_->Attendi_Fine(0), -1);
      s->p_->Segnale(SIGTERM);
    }
    EXPECT_EQ(s->p_->Attendi_Fine(std::max(0, 2000 - trascorsi())), 0) << s->p_->Uscita();

    const std::string log = s->Log();
    EXPECT_NE(log.find("Programma terminato su richiesta del sistema"), std::string::npos) << log;
    const std::vector<std::string> fatti = s->server_.host_->Richieste('D');
    if (c.comando) {
      // Left running, named by its process id.
      const std::string avvii = s->Avvii();
      EXPECT_NE(log.find("[Esegui_Attendi] Arresto richiesto: il comando \xE8 ancora in esecuzione, processo " +
                         avvii.substr(0, avvii.size() - 1) + "\r\n"),
                std::string::npos)
          << log;
      EXPECT_EQ(log.find("abbandonato"), std::string::npos) << log;
      // Done once, and off the host's queue: it is not offered again.
      EXPECT_EQ(fatti.size(), 1u);
      EXPECT_EQ(s->server_.Fatti(), 1u);
      EXPECT_EQ(s->server_.In_Coda(), 0u);
      for (const auto& n : Nomi(s->server_.fatti_))
        EXPECT_EQ(File_Leggi(s->server_.fatti_ / n / "esito.txt").find("*ERR"), std::string::npos) << n;
      EXPECT_EQ(File_Leggi(s->c_ / "Uscita" / "lista.txt"), "RIGA DI TESTO\r\nRIGA DI TESTO\r\nRIGA DI TESTO\r\n");
      // Its last steps ran: the backup copy of its page files.
      EXPECT_FALSE(Nomi(s->server_.programma_ / "Backup").empty());
      inviate.push_back(std::move(s));
    } else {
      EXPECT_NE(log.find("abbandonato"), std::string::npos) << log;
      EXPECT_EQ(log.find("[Esegui_Attendi]"), std::string::npos) << log;
      EXPECT_FALSE(std::filesystem::exists(s->c_ / "Bin" / "avvii"));
      EXPECT_TRUE(fatti.empty());
      EXPECT_EQ(s->server_.Fatti(), 0u);
      EXPECT_EQ(s->server_.In_Coda(), 1u);
      EXPECT_TRUE(Nomi(s->server_.programma_ / "Backup").empty());
    }
  }
  // Each command outlives its program and ends by itself, having run once.
  for (const auto& s : inviate) {
    EXPECT_TRUE(Attendi_Vero([&] { return !s->Segni().empty(); }, 30000));
    EXPECT_EQ(s->Segni(), "fine\n");
    const std::string avvii = s->Avvii();
    EXPECT_EQ(std::count(avvii.begin(), avvii.end(), '\n'), 1) << avvii;
  }
}

// A stop request during the XML output: the document being written when it
// came is finished, no other is started (no data request to the host, no
// file). Document 200 of 400 reads its template from a named pipe, which
// holds it there until the stop request has reached the program.
TEST(Qod_S_Processo, StopRequestDuringTheXmlOutputStartsNoFurtherDocument) {
  const char* gruppi =
      "M | 1 |        | 0 | 0 | 11 | C |   | C:\\Modelli\\\n"
      "M | 1 |        | 1 | 1 | 6  | A | R |\n"
      "M | 1 |        | 0 | 0 | 4  | C |   | .xml\n"
      "M | 2 |        | 0 | 0 | 7  | C |   | C:\\Xml\\\n"
      "M | 2 |        | 1 | 1 | 6  | A | R |\n"
      "M | 2 |        | 0 | 0 | 4  | C |   | .xml\n"
      "M | 3 |        | 0 | 0 | 7  | C |   | C:\\Pdf\\\n"
      "M | 3 |        | 1 | 1 | 6  | A | R |\n"
      "M | 3 |        | 0 | 0 | 4  | C |   | .PDF\n"
      "M | 4 |        | 1 | 1 | 6  | A | R |\n"
      "M | 5 |        | 0 | 0 | 4  | C |   | DATI\n"
      "M | 6 | CHIAVE | 1 | 1 | 6  | A | R |\n";
  constexpr int kDocumenti = 400, kFermo = 200;
  Spool_Proprio s("consegna = X\n", gruppi, kDocumenti);
  for (const char* d : {"Modelli", "Xml", "Pdf"}) std::filesystem::create_directories(s.c_ / d);
  const std::string modello = "<documento>\r\n  <chiave>CHIAVE</chiave>\r\n</documento>\r\n";
  for (int d = 1; d <= kDocumenti; ++d)
    if (d != kFermo) File_Scrivi(s.c_ / "Modelli" / (Spool_Proprio::Chiave(d) + ".xml"), modello);
  const auto tubo = s.c_ / "Modelli" / (Spool_Proprio::Chiave(kFermo) + ".xml");
  ASSERT_EQ(::mkfifo(tubo.c_str(), 0600), 0);
  ASSERT_TRUE(s.Avvia()) << s.server_.host_->Uscita();

  // The program opens the pipe: it is writing document 200, whose data it has asked for.
  int fd = -1;
  ASSERT_TRUE(Attendi_Vero([&] { return (fd = ::open(tubo.c_str(), O_WRONLY | O_NONBLOCK)) >= 0; }, 40000))
      << s.p_->Uscita() << s.Log();
  auto documenti_xml = [&] {
    std::vector<std::string> n = Nomi(s.c_ / "Xml");
    std::erase_if(n, [](const std::string& f) { return f.size() < 4 || f.substr(f.size() - 4) != ".xml"; });
    return n;
  };
  EXPECT_EQ(documenti_xml().size(), static_cast<size_t>(kFermo - 1));
  s.p_->Segnale(SIGTERM);
  // Until the program has taken the signal (it is no longer pending).
  const std::string stato = "/proc/" + std::to_string(s.p_->Pid()) + "/status";
  auto in_attesa = [&] {
    std::istringstream righe(File_Leggi(stato));
    for (std::string riga; std::getline(righe, riga);)
      if (riga.rfind("ShdPnd:", 0) == 0)
        return (std::stoull(riga.substr(7), nullptr, 16) & (1ull << (SIGTERM - 1))) != 0;
    return false;
  };
  EXPECT_TRUE(Attendi_Vero([&] { return !in_attesa(); }, 5000));
  ::usleep(100000);
  EXPECT_EQ(::write(fd, modello.data(), modello.size()), static_cast<ssize_t>(modello.size()));
  ::close(fd);
  EXPECT_EQ(s.p_->Attendi_Fine(10000), 0) << s.p_->Uscita();

  // Documents 1 to 200, whole; nothing after them.
  std::vector<std::string> attesi;
  for (int d = 1; d <= kFermo; ++d) attesi.push_back(Spool_Proprio::Chiave(d) + ".xml");
  EXPECT_EQ(Nomi(s.c_ / "Xml"), attesi);
  EXPECT_EQ(File_Leggi(s.c_ / "Xml" / (Spool_Proprio::Chiave(kFermo) + ".xml")),
            "<documento>\r\n  <chiave>" + Spool_Proprio::Chiave(kFermo) + "</chiave>\r\n</documento>\r\n");
  const std::vector<std::string> richieste = s.server_.host_->Richieste('N');
  ASSERT_EQ(richieste.size(), static_cast<size_t>(kFermo));
  EXPECT_EQ(richieste.back().substr(6, 6), Spool_Proprio::Chiave(kFermo));
  // Abandoned: no done record, the spool file stays on the host.
  const std::string log = s.Log();
  EXPECT_NE(log.find("abbandonato"), std::string::npos) << log;
  EXPECT_EQ(log.find("Errore"), std::string::npos) << log;
  EXPECT_TRUE(s.server_.host_->Richieste('D').empty());
  EXPECT_EQ(s.server_.In_Coda(), 1u);
}

// A lock file that cannot be made for any reason but another running copy
// is reported on the error output and in the exit status.
TEST(Qod_S_Processo, LockFileThatCannotBeMadeIsAnError) {
  Cartella_Prova dir;
  Cartella_Server server(dir.Dir());
  ASSERT_TRUE(server.Prepara(server.programma_, false));
  std::filesystem::create_directories(server.programma_ / "Qod_S.LCK");
  Qod_S_Avviato p(server.programma_, "/AUTO");
  EXPECT_EQ(p.Attendi_Fine(3000), 1);
  EXPECT_NE(p.Uscita().find("Qod_S: impossibile creare"), std::string::npos) << p.Uscita();
  EXPECT_NE(p.Uscita().find("Qod_S.LCK"), std::string::npos) << p.Uscita();
}

// ---- The panel's repaints -------------------------------------------------------------

namespace {

// Counts the repaints of a widget and joins the parts they covered.
class Conta_Ridisegni : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      ++ridisegni;
      area += static_cast<QPaintEvent*>(e)->region();
    }
    return false;
  }
  void Azzera() {
    ridisegni = 0;
    area = QRegion();
  }
  int ridisegni = 0;
  QRegion area;
};

}  // namespace

// Every change made before the event loop runs again becomes one repaint of
// the rows it touched; what shows is what a repaint of the whole window draws.
using Qod_S_Quadro = Prova_Qt;

TEST_F(Qod_S_Quadro, ChangesBetweenTwoPassesAreOneRepaintOfTheirRows) {
  Pannello p;
  FrmBase f(p, [] {});
  for (int r = 0; r < Pannello::kRighe; ++r) p.Valore_Imposta(r, "valore " + std::to_string(r));
  p.Interruttore_Imposta(Pannello::Riga_Archivia, true);
  f.show();
  ASSERT_TRUE(Attendi([&] { return f.isVisible(); }));
  Conta_Ridisegni conta;
  f.Quadro()->installEventFilter(&conta);
  QCoreApplication::processEvents();
  conta.Azzera();

  // A block of data and a page: many changes of rows 18 and 19, and of the light.
  for (int i = 1; i <= 40; ++i) {
    p.Avanzamento(Pannello::Riga_Dati, i * 1000, 40000);
    p.Avanzamento(Pannello::Riga_Immagini, i, 40);
    p.Sem_Imposta(i % Pannello::kLuci, true);
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(conta.ridisegni, 1);
  EXPECT_FALSE(conta.area.intersects(f.Didascalia(Pannello::Riga_Numero))) << "rows that did not change";
  EXPECT_TRUE(conta.area.intersects(f.Didascalia(Pannello::Riga_Dati)));
  QCoreApplication::processEvents();
  EXPECT_EQ(conta.ridisegni, 1) << "nothing changed since";

  // A value shorter than before and a bar that went back leave nothing behind.
  p.Avanzamento(Pannello::Riga_Dati, 1, 40000);
  p.Valore_Imposta(Pannello::Riga_Stato, "");
  p.Interruttore_Imposta(Pannello::Riga_Archivia, false);
  QCoreApplication::processEvents();
  const QImage a_pezzi = f.screen()->grabWindow(f.winId()).toImage().convertToFormat(QImage::Format_RGB32);
  const QImage intera = f.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(a_pezzi.size(), intera.size());
  EXPECT_TRUE(a_pezzi == intera);
  a_pezzi.save(Schermata("quadro_a_pezzi"));
}
