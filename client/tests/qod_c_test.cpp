// The viewer program against the stand-in host, offscreen: the start behind
// the splash (settings, instance slot, FTP start, login, dictionary, search
// definitions) with a screenshot of the main window; the start-up failures;
// the exit question; and, as separate processes, two copies started together
// taking different slots and ending in order on SIGTERM.
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QScreen>
#include <QThread>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <set>

#include "frm_client.h"
#include "frm_splash.h"
#include "programma_client.h"
#include "qod/basic.h"
#include "qod/client/istanze.h"
#include "qod/cripto.h"
#include "qod/host_simulato.h"
#include "qod/profile.h"
#include "qod/prova/costruzione.h"
#include "qod/prova/finti.h"
#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"

using namespace qod;
using namespace qod::prova;

namespace {

// A table of slots, each holding `pid` or 0.
std::string Tabella(const std::vector<int32_t>& pid) {
  std::string t(128, '\0');
  for (size_t k = 0; k < pid.size() && k < 32; ++k) std::memcpy(&t[k * 4], &pid[k], 4);
  return t;
}

int32_t Slot(const std::string& tabella, int k) {
  int32_t v = 0;
  std::memcpy(&v, tabella.data() + (k - 1) * 4, 4);
  return v;
}

// A viewer program folder and a stand-in host with the viewer's fixture.
class Cartella_Client {
 public:
  explicit Cartella_Client(const std::filesystem::path& radice, std::vector<std::string> altri = {})
      : programma_(radice / "Qod_C") {
    std::vector<std::string> a = {"--dictionary", Host_Simulato::Dizionario_Predefinito(), "--viewer",
                                  QOD_VIEWER_FIXTURE};
    a.insert(a.end(), altri.begin(), altri.end());
    host_ = std::make_unique<Host_Simulato>(a);
    std::filesystem::create_directories(programma_);
  }
  // The conversion table and a settings file whose record names the
  // stand-in's ports (`ftp`: the host program is started over FTP).
  bool Prepara(bool ftp = true, int porta = 0) {
    if (!host_->In_Esecuzione() && !host_->Avvia()) return false;
    if (!Host_Simulato::Scrivi_Tabella(programma_ / "Qod_TBL1.Tbl")) return false;
    Parametri_Collegamento p = host_->Collegamento("UTENTELUNG");  // the record's user field is 10 wide
    if (porta) p.Porta = porta;
    p.Porta_Ftp = host_->Porta_Ftp();
    p.Libreria = ftp ? "QODLIB" : "";
    return Collegamento_Scrivi(Ini(), p.Componi(false));
  }
  std::string Ini() const { return (programma_ / "Qod_C.INI").string(); }
  std::string Dat() const { return File_Leggi(programma_ / "Qod_C.DAT"); }

  std::filesystem::path programma_;
  std::unique_ptr<Host_Simulato> host_;
};

class Qod_C_Programma : public Prova_Qt {
 protected:

  // Starts the program; false when it ended before its window was loaded.
  bool Avvia(const std::string& riga = "", bool splash = false) {
    Opzioni_Qod_C o;
    o.cartella = cartella_.programma_.string() + "/";
    o.riga_comando = riga;
    o.messaggi = &messaggi_;
    o.tray = &tray_;
    o.attese_rete = Attese_Rete{3000, 200, 1000};
    o.attese_collegamento = Attese_Collegamento{2, 1, 10};
    o.pid = 4242;
    o.attivo = [this](int32_t pid) { return vivi_.count(pid) > 0; };
    o.fine = [this](int codice) { fine_.push_back(codice); };
    p_ = std::make_unique<Programma_Qod_C>(o);
    p_->Avvia();
    if (splash) {
      // Half a second into the start: the splash shows its moving bar.
      Attendi([] { return false; }, 500);
      EXPECT_TRUE(p_->Splash()->isVisible());
      Schermata(*p_->Splash(), "qod_c_splash");
    }
    EXPECT_TRUE(Attendi([this] { return p_->Caricato() || !fine_.empty(); }, 15000));
    return p_->Caricato() && fine_.empty();
  }

  FrmClient& V() { return *p_->Vista(); }

  int Visibili(std::initializer_list<const char*> chiavi) {
    int n = 0;
    for (const char* c : chiavi) n += V().Tasto(c)->isVisible();
    return n;
  }

  Cartella_Prova dir_{"qod_c"};
  Cartella_Client cartella_{dir_.Dir()};
  RecordingMessageSink messaggi_;
  Tray_Finto tray_;
  std::set<int32_t> vivi_;
  std::vector<int> fine_;
  std::unique_ptr<Programma_Qod_C> p_;
};

}  // namespace

TEST_F(Qod_C_Programma, StartsBehindTheSplashLogsInAndShowsTheFrame) {
  ASSERT_TRUE(cartella_.Prepara());
  ASSERT_TRUE(Avvia("", true)) << (messaggi_.boxes.empty() ? "" : messaggi_.boxes[0].testo);
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_FALSE(p_->Splash()->isVisible());
  Host_Simulato& host = *cartella_.host_;

  // The host program was started over FTP with the record port.
  bool rcmd = false;
  for (const auto& v : host.Log("FTP"))
    rcmd |= v.testo == "RCMD CALL QODLIB/ZUM_121 ('P" + Format(host.Porta_Record(), "00000") + "')";
  EXPECT_TRUE(rcmd);
  EXPECT_EQ(host.Eventi("program-start") + host.Eventi("program-confirm"), 1);

  // The login record, byte for byte: the title fills its 15 columns, so the
  // instance number is cut off; the local port has five digits.
  std::string u;
  for (const auto& v : host.Log("REC"))
    if (!v.testo.empty() && v.testo[0] == 'U') u = v.testo;
  const std::string porta = Format(static_cast<int64_t>(Val(p_->Trasporto().Sock_Local_Port(1))), "00000");
  EXPECT_EQ(u, "U00075UTENTELUNGPW        Quillon Viewer " + Testo_Largo("127.0.0.1", 15) + porta +
                   Testo_Largo(Trasporto::Sock_Host_Name(), 20));

  // The dictionary without the row marked "A"; the login values.
  ASSERT_NE(p_->Collegamento(), nullptr);
  const Dizionario_Campi& d = p_->Collegamento()->Dizionario();
  EXPECT_EQ(d.Numero, 18);
  EXPECT_EQ(d.Etichetta[16], "Ragione sociale");
  EXPECT_EQ(p_->Collegamento()->Accesso().Campo_Brv_Tipo, 17);

  // The definitions: 1, 2 and 5 offered (3 is marked "A", the rest refused).
  QComboBox* r = V().Ricerche();
  ASSERT_EQ(r->count(), 3);
  const std::pair<int, const char*> attese[] = {{1, "Fatture per cliente"}, {2, "Fatture per data"},
                                                {5, "Per numero fattura"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(r->itemData(i).toInt(), attese[i].first);
    EXPECT_EQ(r->itemText(i).toStdString(), attese[i].second);
  }
  EXPECT_EQ(r->currentIndex(), 0);

  // Instance 1 in its slot; the caption names it.
  const std::string dat = cartella_.Dat();
  ASSERT_EQ(dat.size(), 128u);
  EXPECT_EQ(Slot(dat, 1), 4242);
  EXPECT_EQ(V().windowTitle().toStdString(), "Quillon Viewer 1");
  EXPECT_EQ(p_->Base().Numero_Istanza, 1);

  // The frame: four tabs, the search tab with its keys, the version label.
  ASSERT_TRUE(V().isVisible());
  ASSERT_EQ(V().Schede()->count(), 4);
  const char* schede[] = {" Ricerca  ", " Elenco  ", " Documento  ", " Dati  "};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(V().Schede()->tabText(i).toStdString(), schede[i]);
  EXPECT_EQ(V().Tasto("Aggiorna")->toolTip().toStdString(), " Aggiorna elenco ");
  EXPECT_EQ(V().Tasto("Set_Stampa")->toolTip().toStdString(), " Imposta stampa ");
  EXPECT_TRUE(V().Release()->text().startsWith("1.0.0   "));
  EXPECT_TRUE(V().Subclass_Attivo());
  EXPECT_EQ(V().minimumSize(), QSize(500, 260));
  Schermata(V(), "qod_c_principale");

  // The exit asks first; No keeps the program and its connection.
  messaggi_.risposte = {vbNo};
  V().Tasto("Uscita")->trigger();
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Confermi l'uscita dal programma ?");
  EXPECT_EQ(messaggi_.boxes[0].titolo, "Uscita");
  EXPECT_EQ(messaggi_.boxes[0].stile, vbYesNo | vbCritical | vbDefaultButton2);
  EXPECT_TRUE(V().isVisible());
  EXPECT_TRUE(fine_.empty());
  EXPECT_EQ(host.Eventi("rec-close"), 0);

  // Yes: the connection closes, the window's place is kept, the program ends.
  V().move(40, 30);
  V().resize(640, 420);
  messaggi_.risposte = {vbYes};
  V().close();
  ASSERT_EQ(fine_, std::vector<int>{0});
  EXPECT_TRUE(host.Attendi_Evento("rec-close", 5000));
  const std::string ini = cartella_.Ini();
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "WindowState"), "0");
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Width"), "9600");
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Height"), "6300");
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Left"), Format(static_cast<int32_t>(V().x() * 15), "0"));
}

TEST_F(Qod_C_Programma, NoSubclassComesBackWhereItWasAndKeepsOnlyTheStateWhenMaximised) {
  ASSERT_TRUE(cartella_.Prepara(false));
  const std::string ini = cartella_.Ini();
  // A Left beyond the screen comes back 20 pixels inside its right edge.
  ASSERT_TRUE(Profilo_Scrivi_Tutti(ini, {{"Dimensioni", "WindowState", "0"},
                                         {"Dimensioni", "Left", "999999"},
                                         {"Dimensioni", "Top", "-300"},
                                         {"Dimensioni", "Width", "9000"},
                                         {"Dimensioni", "Height", "abc"}}));
  ASSERT_TRUE(Avvia("uno /NOSUBCLASS due"));
  // The switch among other words: no minimum size.
  EXPECT_FALSE(V().Subclass_Attivo());
  EXPECT_EQ(V().minimumSize(), QSize(0, 0));
  const QSize schermo = QGuiApplication::primaryScreen()->size();
  EXPECT_EQ(V().x(), schermo.width() - 20);
  EXPECT_EQ(V().y(), 0);
  // A height that is no number counts as 0: the size is not taken.
  EXPECT_EQ(V().size(), QSize(800, 560));

  V().showMaximized();
  QCoreApplication::processEvents();
  messaggi_.risposte = {vbYes};
  V().close();
  ASSERT_EQ(fine_, std::vector<int>{0});
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "WindowState"), "2");
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Left"), "999999");
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Width"), "9000");
}

TEST_F(Qod_C_Programma, InstanceSlotsOfTheCopiesRunning) {
  ASSERT_TRUE(cartella_.Prepara(false));
  const struct {
    const char* nome;
    std::vector<int32_t> tabella;  // empty: no file
    std::vector<int32_t> vivi;
    int istanza;                   // 0: every slot busy
  } casi[] = {
      {"first start", {}, {}, 1},
      {"copies 1 and 3 running, 2 ended", {101, 102, 103}, {101, 103}, 2},
      {"only ended copies listed", {101, 102, 103}, {}, 1},
      {"32 copies running", std::vector<int32_t>(32, 0), {}, 0},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    std::filesystem::remove(cartella_.programma_ / "Qod_C.DAT");
    std::vector<int32_t> tabella = c.tabella;
    vivi_ = {c.vivi.begin(), c.vivi.end()};
    if (c.istanza == 0)
      for (int k = 0; k < 32; ++k) tabella[static_cast<size_t>(k)] = 500 + k, vivi_.insert(500 + k);
    if (!tabella.empty()) {
      ASSERT_TRUE(File_Scrivi(cartella_.programma_ / "Qod_C.DAT", Tabella(tabella)));
    }
    messaggi_.boxes.clear();
    fine_.clear();
    const int connessioni = cartella_.host_->Eventi("rec-connect");

    const bool caricato = Avvia();
    const std::string dat = cartella_.Dat();
    ASSERT_EQ(dat.size(), 128u);
    if (c.istanza == 0) {
      EXPECT_FALSE(caricato);
      EXPECT_EQ(fine_, std::vector<int>{1});
      ASSERT_EQ(messaggi_.boxes.size(), 1u);
      EXPECT_EQ(messaggi_.boxes[0].testo, "Troppe istanze attive");
      EXPECT_EQ(messaggi_.boxes[0].titolo, "Quillon      ERRORE");
      EXPECT_EQ(messaggi_.boxes[0].stile, vbCritical);
      EXPECT_EQ(dat, Tabella(tabella));
      EXPECT_EQ(cartella_.host_->Eventi("rec-connect"), connessioni);  // the host is never reached
      EXPECT_FALSE(V().isVisible());
    } else {
      ASSERT_TRUE(caricato);
      EXPECT_EQ(p_->Base().Numero_Istanza, c.istanza);
      EXPECT_EQ(Slot(dat, c.istanza), 4242);
      EXPECT_EQ(V().windowTitle().toStdString(), "Quillon Viewer " + std::to_string(c.istanza));
      p_->Termina_Richiesta();
    }
    p_.reset();
  }
}

// The settings message names the file and the line at fault; the splash
// says what the start waits for once it connects.
TEST_F(Qod_C_Programma, StartFailuresEndWithOneMessage) {
  const struct {
    const char* nome;
    std::function<void(Cartella_Client&)> prepara;
    std::string testo;
    const char* titolo;
    const char* splash;
  } casi[] = {
      {"wrong connection record",
       [](Cartella_Client& c) {
         ASSERT_TRUE(c.Prepara(false));
         ASSERT_TRUE(Profilo_Scrivi(c.Ini(), "Generale", "Check", "1"));
       },
       "Impostazione del server non corretta\r" + cartella_.Ini() +
           ", riga 3: la chiave Check non corrisponde a Licenza (riga 2)",
       "Quillon Viewer", ""},
      {"nothing listens on the record port",
       [](Cartella_Client& c) {
         ASSERT_TRUE(c.Prepara(false, 1));
       },
       "Connessione al server non riuscita", "Quillon      ERRORE", "Connessione a 127.0.0.1 ..."},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    c.prepara(cartella_);
    messaggi_.boxes.clear();
    fine_.clear();
    EXPECT_FALSE(Avvia());
    EXPECT_EQ(fine_, std::vector<int>{1});
    ASSERT_EQ(messaggi_.boxes.size(), 1u);
    EXPECT_EQ(messaggi_.boxes[0].testo, c.testo);
    EXPECT_EQ(messaggi_.boxes[0].titolo, c.titolo);
    EXPECT_EQ(p_->Splash()->Stato(), QString(c.splash));
    EXPECT_FALSE(V().isVisible());
    p_.reset();
  }
}

// Two copies of the program, started together in one folder: different
// slots, both logged in, both ending in order on SIGTERM.
TEST(Qod_C_Processi, TwoCopiesStartedTogetherTakeDifferentSlots) {
  Cartella_Prova dir("qod_c_processi");
  Cartella_Client cartella(dir.Dir());
  ASSERT_TRUE(cartella.Prepara(false));
  Processo copie[2];
  pid_t figli[2] = {-1, -1};
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(copie[i].Avvia({.argomenti = {Programma_Build(QOD_QOD_C)},
                                .cartella = cartella.programma_,
                                .uscita = dir.Dir() / ("Qod_C_" + std::to_string(i + 1) + ".out"),
                                .ambiente = {{"QT_QPA_PLATFORM", "offscreen"}}}))
        << copie[i].Errore();
    figli[i] = copie[i].Pid();
  }
  Host_Simulato& host = *cartella.host_;
  const bool accessi = host.Attendi_Log(
      [](const std::vector<Voce_Log>& log) {
        int u = 0;
        for (const auto& v : log) u += v.canale == "REC" && !v.testo.empty() && v.testo[0] == 'U';
        return u == 2;
      },
      20000);
  const std::string dat = cartella.Dat();
  // Both have read their definitions before they are asked to end.
  host.Attendi_Log(
      [](const std::vector<Voce_Log>& log) {
        int cr = 0;
        for (const auto& v : log) cr += v.canale == "REC" && v.testo.rfind("T00022CR32", 0) == 0;
        return cr == 2;
      },
      20000);
  int codici[2] = {-1, -1};
  for (int i = 0; i < 2; ++i) {
    copie[i].Segnale(SIGTERM);
    codici[i] = copie[i].Attendi(20000).value_or(-1);
  }
  ASSERT_TRUE(accessi) << host.Uscita();
  ASSERT_EQ(dat.size(), 128u);
  const std::set<int32_t> presi{Slot(dat, 1), Slot(dat, 2)};
  EXPECT_EQ(presi, (std::set<int32_t>{figli[0], figli[1]}));
  EXPECT_EQ(Slot(dat, 3), 0);
  EXPECT_EQ(codici[0], 0);
  EXPECT_EQ(codici[1], 0);
  EXPECT_TRUE(host.Attendi_Log(
      [](const std::vector<Voce_Log>& log) {
        int n = 0;
        for (const auto& v : log) n += v.canale == "EVT" && v.testo == "rec-close";
        return n == 2;
      },
      5000));
}
