// The viewer's main window on its own, offscreen: the notification-area
// icon on minimising and the way back on a click; message boxes that bring
// the window back and come up centred on it with their exact titles; the
// layout of the tabs, the minimum size and the re-layout after a resize.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "frm_client.h"
#include "qod/prova/finti.h"
#include "qod/ui/qt.h"
#include "qod/ui/prova_qt.h"

using namespace qod;
using namespace qod::prova;

namespace {

void Pompa_Qt() { QCoreApplication::processEvents(); }

// Records each box with whether the window was on screen when it came.
class Messaggi_Visti : public MessageSink {
 public:
  explicit Messaggi_Visti(QWidget*& finestra) : finestra_(finestra) {}
  int MsgBox(const std::string& testo, int, const std::string& titolo) override {
    visti.push_back({testo, titolo, finestra_ && finestra_->isVisible() && !finestra_->isMinimized()});
    return vbOK;
  }
  struct Visto {
    std::string testo, titolo;
    bool finestra_visibile;
  };
  std::vector<Visto> visti;

 private:
  QWidget*& finestra_;
};

class ClientWindow : public Prova_Qt {
 protected:

  void SetUp() override {
    f_ = std::make_unique<FrmClient>(tray_, messaggi_, nullptr, Pump(Pompa_Qt));
    finestra_ = f_.get();
    f_->Istanza_Imposta("Quillon Viewer 3");
    f_->Subclass_Attiva(true);
    f_->setGeometry(100, 80, 700, 500);
    f_->show();
    f_->Base_Ridimensiona_();
    QCoreApplication::processEvents();
  }
  void TearDown() override { finestra_ = nullptr; }

  Tray_Finto tray_;
  QWidget* finestra_ = nullptr;
  Messaggi_Visti messaggi_{finestra_};
  std::unique_ptr<FrmClient> f_;
};

}  // namespace

TEST_F(ClientWindow, MinimiseHidesToTheTrayAndAButtonReleaseBringsItBack) {
  for (const int rilascio : {WM_LBUTTONUP, WM_RBUTTONUP}) {
    SCOPED_TRACE(rilascio);
    tray_.chiamate.clear();
    f_->showMinimized();
    QCoreApplication::processEvents();
    ASSERT_EQ(tray_.Conta(NIM_ADD), 1);
    const Icona_Tray& icona = tray_.chiamate[0].icona;
    EXPECT_EQ(icona.Suggerimento(), "Quillon Viewer 3");
    EXPECT_EQ(icona.szTip.size(), 64u);
    EXPECT_EQ(icona.cbSize, 88);
    EXPECT_EQ(icona.uID, 1);
    EXPECT_EQ(icona.uFlags, 7);
    EXPECT_EQ(icona.uCallbackMessage, 512);
    EXPECT_FALSE(f_->isVisible());

    // Moving the mouse over the icon does nothing.
    f_->pic_try__MouseMove(WM_MOUSEMOVE);
    EXPECT_FALSE(f_->isVisible());
    EXPECT_EQ(tray_.Conta(NIM_DELETE), 0);

    const int disposizioni = f_->Disposizioni();
    f_->pic_try__MouseMove(rilascio);
    EXPECT_EQ(tray_.Conta(NIM_DELETE), 1);
    EXPECT_FALSE(f_->Icona_Presente());
    ASSERT_TRUE(Attendi([&] { return f_->isVisible(); }, 2000));
    EXPECT_FALSE(f_->isMinimized());
    EXPECT_EQ(f_->size(), QSize(700, 500));  // its former size
    EXPECT_GT(f_->Disposizioni(), disposizioni);
  }
}

TEST_F(ClientWindow, WithoutANotificationAreaTheWindowStaysMinimised) {
  tray_.disponibile = false;
  f_->showMinimized();
  QCoreApplication::processEvents();
  EXPECT_EQ(tray_.Conta(NIM_ADD), 1);
  EXPECT_FALSE(f_->Icona_Presente());
  EXPECT_TRUE(f_->isMinimized());
  EXPECT_TRUE(f_->isVisible());  // still reachable from the desktop
}

TEST_F(ClientWindow, AMessageFromTheTrayBringsTheWindowBackFirst) {
  f_->showMinimized();
  QCoreApplication::processEvents();
  ASSERT_TRUE(f_->Icona_Presente());
  f_->Messaggio_Mostra("[Spool_Ricerca] Errore Sock_Read {O}", vbOKOnly, "");
  ASSERT_EQ(messaggi_.visti.size(), 1u);
  EXPECT_TRUE(messaggi_.visti[0].finestra_visibile);
  EXPECT_EQ(tray_.Conta(NIM_DELETE), 1);
  EXPECT_FALSE(f_->Icona_Presente());
}

// Real boxes on the offscreen screen: each comes up centred on the window,
// with its title as given, blanks and all.
using ClientWindowBoxes = Prova_Qt;

TEST_F(ClientWindowBoxes, BoxesAreCentredOnTheWindowWithTheirExactTitles) {
  Tray_Finto tray;
  Messaggi_Qt messaggi;
  FrmClient f(tray, messaggi, &messaggi, Pump(Pompa_Qt));
  f.Istanza_Imposta("Quillon Viewer 1");
  const struct {
    QRect finestra;
    const char* titolo;
    const char* testo;
  } casi[] = {
      {QRect(40, 30, 700, 500), "Quillon      ERRORE", "[Spool_Presenta] Errore Sock_Read {R}(4)"},
      {QRect(300, 200, 520, 270), "", "Errore Dati {R}"},
      {QRect(0, 0, 900, 640), "Quillon Viewer", "Impostazione del server non corretta"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.titolo);
    f.setGeometry(c.finestra);
    f.show();
    QCoreApplication::processEvents();
    QRect box, finestra;
    QString titolo;
    Modali_Attese attesa;  // clicked below
    QTimer::singleShot(50, [&] {
      auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!m) return;
      box = m->frameGeometry();
      finestra = f.frameGeometry();
      titolo = m->windowTitle();
      Schermata(*m, "qod_c_messaggio");
      m->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(f.Messaggio_Mostra(c.testo, vbOKOnly | vbCritical, c.titolo), vbOK);
    ASSERT_FALSE(box.isNull());
    EXPECT_EQ(titolo.toStdString(), c.titolo);
    EXPECT_NEAR(box.center().x(), finestra.center().x(), 1);
    EXPECT_NEAR(box.center().y(), finestra.center().y(), 1);
  }
}

TEST_F(ClientWindow, TabsShowTheirKeysAndPlaceTheirPages) {
  struct Caso {
    int scheda;
    std::vector<const char*> visibili;
    bool barra;
  };
  const std::vector<Caso> casi = {
      {1, {"Uscita", "Aggiorna", "Separatore", "Visualizza", "Stampa", "Set_Stampa", "Separatore2"}, true},
      {3, {"Uscita"}, true},
      {2, {}, false},
      {0, {"Uscita", "Aggiorna", "Separatore"}, true},
  };
  QWidget* tab = f_->Tab_();
  EXPECT_EQ(tab->geometry(), QRect(3, 3, 700 - 6, 500 - 7));
  std::vector<int> disposte;
  f_->Scheda_Disposta = [&](int s) { disposte.push_back(s); };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.scheda);
    f_->Scheda_Imposta(c.scheda);
    QCoreApplication::processEvents();
    EXPECT_EQ(f_->Toolbar()->isVisible(), c.barra);
    EXPECT_EQ(f_->Linee_Visibili(), c.barra);
    if (c.barra) {
      for (const char* k : FrmClient::kTasti) {
        const bool atteso = std::find_if(c.visibili.begin(), c.visibili.end(),
                                         [&](const char* v) { return std::string(v) == k; }) != c.visibili.end();
        EXPECT_EQ(f_->Tasto(k)->isVisible(), atteso) << k;
      }
      EXPECT_EQ(f_->Toolbar()->pos(), QPoint(6, 26));
      EXPECT_EQ(f_->Pagina(c.scheda)->geometry(), QRect(8, 52, tab->width() - 17, tab->height() - 61));
      EXPECT_EQ(f_->Line1()[0], QLine(6, 50, tab->width() - 8, 50));
      EXPECT_EQ(f_->Line1()[2], QLine(6, tab->height() - 8, tab->width() - 7, tab->height() - 8));
    } else {
      EXPECT_EQ(f_->Pagina(2)->geometry(), QRect(3 + 6, 3 + 26, tab->width() - 13, tab->height() - 33));
    }
    for (int n = 0; n < 4; ++n) EXPECT_EQ(f_->Pagina(n)->isVisible(), n == c.scheda) << n;
    // The version label stays at the top right on every tab.
    EXPECT_EQ(f_->Release()->x(), tab->width() - f_->Release()->width() - 3);
    EXPECT_TRUE(f_->Release()->isVisible());
  }
  EXPECT_EQ(disposte, (std::vector<int>{1, 3, 2, 0}));
}

TEST_F(ClientWindow, MinimumSizeAndReLayoutOnceTheResizeEnds) {
  // Subclassed: the window stops at 500 x 260, and is laid out once after
  // the resize has ended, not on every step.
  const int prima = f_->Disposizioni();
  for (int w = 690; w >= 200; w -= 70) f_->resize(w, w / 2);
  QCoreApplication::processEvents();
  EXPECT_EQ(f_->size(), QSize(500, 260));
  EXPECT_EQ(f_->Disposizioni(), prima);
  ASSERT_TRUE(Attendi([&] { return f_->Disposizioni() > prima; }, 2000));
  Attendi([] { return false; }, 400);
  EXPECT_EQ(f_->Disposizioni(), prima + 1);
  EXPECT_EQ(f_->Tab_()->size(), QSize(500 - 6, 260 - 7));

  // Maximised: laid out at once.
  const int massimo = f_->Disposizioni();
  f_->showMaximized();
  QCoreApplication::processEvents();
  EXPECT_GT(f_->Disposizioni(), massimo);
  EXPECT_EQ(f_->Tab_()->width(), f_->width() - 6);
  f_->showNormal();
  QCoreApplication::processEvents();

  // "/NOSUBCLASS": no minimum, every resize laid out at once; a window of
  // 10 pixels or less inside is left as it is.
  f_->Subclass_Attiva(false);
  f_->resize(300, 120);
  QCoreApplication::processEvents();
  EXPECT_EQ(f_->size(), QSize(300, 120));
  EXPECT_EQ(f_->Tab_()->size(), QSize(300 - 6, 120 - 7));
  f_->resize(10, 40);
  QCoreApplication::processEvents();
  EXPECT_EQ(f_->Tab_()->size(), QSize(300 - 6, 120 - 7));
}

TEST_F(ClientWindow, TheSearchListIsAtLeast320PixelsAndWidensForALongName) {
  // Qt fits the box to its entries a moment after they change; the width
  // must not depend on when the window is looked at.
  struct Caso {
    std::string nome;
    bool piu_largo;
  };
  for (const Caso& c : {Caso{"Fatture", false}, Caso{std::string(80, 'W'), true}}) {
    SCOPED_TRACE(c.nome);
    f_->Ricerche_Riempi({{1, c.nome}});
    QComboBox* r = f_->Ricerche();
    const int subito = r->width();
    Attendi([] { return false; }, 200);
    EXPECT_EQ(r->width(), subito);
    if (c.piu_largo) {
      EXPECT_GT(r->width(), 320);
    } else {
      EXPECT_EQ(r->width(), 320);
    }
  }
}
