// The viewer control on the offscreen platform, driven as a user would: the
// saved state, the toolbar and its layout, pages of fixture documents, zoom
// and scrolling, the keys and the wheel through QTest, the pointer, and
// screenshots kept under the build folder for a person to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <filesystem>
#include <memory>

#include "qod/imaging/file.h"
#include "qod/imaging/qimage.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"
#include "qod/viewer/qod_imv.h"
#include "visore_prova.h"

using namespace qod;
using namespace qod::imv;

namespace {

using prova::Applicazione;

// A page with a frame, a diagonal, a grid of boxes and its name in large
// letters, so that a screenshot shows where it is cut and how it is turned.
img::Immagine Pagina(int w, int h, int bit, const QString& testo, int dpi_x, int dpi_y) {
  QImage q(w, h, QImage::Format_RGB32);
  q.fill(Qt::white);
  {
    QPainter p(&q);
    p.setPen(QPen(Qt::black, std::max(2, w / 300)));
    p.drawRect(w / 40, h / 40, w - w / 20, h - h / 20);
    p.drawLine(0, 0, w, h);
    for (int i = 0; i < 6; ++i) p.fillRect(w / 10 + i * w / 8, h / 2, w / 20, h / 20, i % 2 ? Qt::red : Qt::blue);
    QFont f("Liberation Sans");
    f.setPixelSize(std::max(8, h / 12));
    p.setFont(f);
    p.drawText(QRect(0, h / 8, w, h / 4), Qt::AlignCenter, testo);
    p.setPen(Qt::black);
    f.setPixelSize(std::max(6, h / 60));
    p.setFont(f);
    for (int r = 0; r < 10; ++r)
      p.drawText(w / 10, h * 2 / 3 + r * h / 40, QString("Riga %1 del documento di prova, colonne allineate").arg(r + 1));
  }
  img::Immagine im;
  EXPECT_TRUE(img::Da_QImage(q, im));
  if (bit != 24) {
    EXPECT_TRUE(im.Converti_Bit(bit));
  }
  im.Imposta_Dpi(dpi_x, dpi_y);
  return im;
}

void Salva_Tiff(const img::Immagine& im, const std::filesystem::path& f, int compressione = 5, bool accoda = false) {
  ASSERT_TRUE(img::Salva(im, f, {compressione, accoda, "EXTENSION = TIF"})) << f;
}

class Visore : public prova::Prova_Qt {
 protected:
  void SetUp() override {
    // A folder of this process alone: the same test may run at the same
    // time in another build or under another locale.
    cartella_ = std::make_unique<prova::Cartella_Prova>("imv");
    dir_ = cartella_->Dir();
    host_ = std::make_unique<Host>();
    v_ = prova::Visore_In(*host_, 900, 700);
    v_->Imposta_Posizione_Puntatore([this] { return puntatore_; });
  }
  void TearDown() override {
    host_.reset();
    cartella_.reset();
  }

  void Mostra() {
    host_->show();
    host_->activateWindow();
    // A loaded machine may take a while to expose and activate the window.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host_.get(), 60000));
    // Focus is given only inside the active window: wait for it.
    ASSERT_TRUE(QTest::qWaitForWindowActive(host_.get(), 60000));
  }

  std::string Documento(const std::string& base, int pagine, int w = 400, int h = 300, int dpi_x = 200,
                        int dpi_y = 200) {
    for (int i = 1; i <= pagine; ++i) {
      char n[16];
      std::snprintf(n, sizeof n, "%05d", i);
      Salva_Tiff(Pagina(w, h, 1, QString("Pagina %1").arg(i), dpi_x, dpi_y), dir_ / (base + n + ".TIF"));
    }
    return (dir_ / (base + "00001.TIF")).string();
  }

  void Schermata(const std::string& nome) { prova::Schermata(*host_, nome); }

  // The host window records the keys and wheel turns that reach it.
  class Host : public QWidget {
   public:
    std::vector<int> tasti;
    int rotelle = 0;

   protected:
    void keyPressEvent(QKeyEvent* e) override { tasti.push_back(e->key()); }
    void wheelEvent(QWheelEvent*) override { ++rotelle; }
  };

  std::unique_ptr<prova::Cartella_Prova> cartella_;
  std::filesystem::path dir_;
  std::unique_ptr<Host> host_;
  Qod_IMV* v_ = nullptr;
  QPoint puntatore_{-1000, -1000};
};

TEST_F(Visore, DefaultsFromTheStartAndASaveThatWritesNothing) {
  for (int t = 0; t < kTasti; ++t) {
    if (v_->Pulsante(t)) {
      EXPECT_EQ(v_->Tasto_Abilitato(t), t == T_Uscita) << Tasti_Chiave()[t];
    }
  }
  EXPECT_TRUE(v_->qodimv_button_div4());
  EXPECT_TRUE(v_->qodimv_button_pagine());
  EXPECT_TRUE(v_->qodimv_button_zoom());
  EXPECT_EQ(v_->qodimv_zoom(), "Adatta");
  EXPECT_EQ(v_->qodimv_FileINI(), "Qod.INI");
  EXPECT_EQ(v_->qodimv_Paragrafo(), "Stampante");
  EXPECT_EQ(v_->qodimv_Brv_Tipo(), "");
  EXPECT_EQ(v_->qodimv_Pag_Fine(), 0);
  EXPECT_EQ(v_->qodimv_BackColor(), 0x8000000Fu);
  EXPECT_FALSE(v_->qodimv_Memo());
  EXPECT_FALSE(v_->qodimv_Memo_Change());
  EXPECT_EQ(v_->Zoom()->count(), 14);
  EXPECT_FALSE(v_->Zoom()->isEnabled());
  EXPECT_EQ(v_->Pulsante(T_Set_Stampa)->toolTip(), " Imposta stampante ");
  EXPECT_TRUE(v_->Stato_Salva().empty());

  // An empty bag restored later changes nothing either; the host window is
  // still hidden, and the keys still count as visible.
  v_->Stato_Ripristina({});
  EXPECT_TRUE(v_->Stato_Salva().empty());
}

TEST_F(Visore, SavedStateRoundTripAndTheHandOffKeys) {
  Borsa b;
  b["QODIMV_BUTTON_POSIZ"] = "0";  // names without regard to case
  b["qodimv_zoom"] = "150%";
  b["qodimv_Brv_Tipo"] = "FAX";
  b["qodimv_BackColor"] = "255";
  v_->Stato_Ripristina(b);
  EXPECT_FALSE(v_->qodimv_button_posiz());
  EXPECT_TRUE(v_->Tasto_Abilitato(T_InvioFax));
  EXPECT_TRUE(v_->Tasto_Abilitato(T_InvioMail));
  const Borsa s = v_->Stato_Salva();
  EXPECT_EQ(s.size(), 4u);
  EXPECT_EQ(s.at("qodimv_button_posiz"), "0");
  EXPECT_EQ(s.at("qodimv_zoom"), "150%");
  EXPECT_EQ(s.at("qodimv_BackColor"), "255");

  v_->qodimv_Brv_Tipo("   ");
  EXPECT_FALSE(v_->Tasto_Abilitato(T_InvioFax));
  EXPECT_FALSE(v_->Tasto_Abilitato(T_InvioMail));
  v_->qodimv_Brv_Tipo("x");
  EXPECT_TRUE(v_->Tasto_Abilitato(T_InvioFax));

  // The user's pick from the list is what reads back.
  v_->Zoom()->setCurrentIndex(v_->Zoom()->findText("200%"));
  EXPECT_EQ(v_->qodimv_zoom(), "200%");
}

TEST_F(Visore, TheToolbarEndFollowsTheLastVisibleKey) {
  Mostra();
  const int px = 15;  // twips per pixel offscreen
  ASSERT_DOUBLE_EQ(v_->Twips_X(), px);
  auto fine_tasto = [&](int t) { return v_->Pulsante(t)->geometry().right() + 1; };
  // All keys: the page box 2 px after Div3, the counter 4 px into it, the zoom list 2 px after the box.
  EXPECT_EQ(v_->lblPag0()->x(), 4595 / px + 2);
  EXPECT_EQ(v_->lblPag1()->x(), v_->lblPag0()->x() + 4);
  EXPECT_EQ(v_->lblPag0()->width(), 735 / px);
  EXPECT_EQ(v_->Zoom()->x(), v_->lblPag0()->x() + v_->lblPag0()->width() + 2);
  v_->qodimv_button_div3(false);
  v_->qodimv_button_successiva(false);
  EXPECT_EQ(v_->lblPag0()->x(), fine_tasto(T_Precedente) + 2);
  v_->qodimv_button_pagine(false);
  EXPECT_FALSE(v_->lblPag0()->isVisible());
  EXPECT_EQ(v_->Zoom()->x(), fine_tasto(T_Precedente) + 2);
  v_->qodimv_button_salva(false);
  v_->qodimv_button_ruota(false);
  v_->qodimv_button_cancella(false);
  v_->qodimv_button_div4(false);
  ASSERT_TRUE(v_->Immagine_Carica(Documento("H_", 2, 800, 600)));
  EXPECT_EQ(v_->Zoom()->x(), fine_tasto(T_Precedente) + 2);
  Schermata("toolbar_tasti_nascosti");
  const Borsa s = v_->Stato_Salva();
  EXPECT_EQ(s.size(), 8u);  // six keys, the page counter and the last page number
  EXPECT_EQ(s.at("qodimv_Pag_Fine"), "2");
}

TEST_F(Visore, PagesOfADocument) {
  const std::string primo = Documento("A_", 2);
  Salva_Tiff(Pagina(400, 300, 1, "Pagina 4", 200, 200), dir_ / "A_00004.TIF");  // after a gap
  Mostra();
  ASSERT_TRUE(v_->Immagine_Carica(primo));
  EXPECT_EQ(v_->lblPag1()->text(), "1/2");
  EXPECT_FALSE(v_->Tasto_Abilitato(T_Precedente));
  EXPECT_TRUE(v_->Tasto_Abilitato(T_Successiva));
  EXPECT_TRUE(v_->Tasto_Abilitato(T_Posiz));
  EXPECT_TRUE(v_->Zoom()->isEnabled());
  EXPECT_TRUE(v_->IM1()->isVisible());
  EXPECT_TRUE(v_->Immagine_Pagina(1));
  EXPECT_EQ(v_->lblPag1()->text(), "2/2");
  EXPECT_EQ(v_->IM1()->File(), dir_ / "A_00002.TIF");
  EXPECT_TRUE(v_->Immagine_Pagina(1));  // on the last page: stays, shown again
  EXPECT_EQ(v_->lblPag1()->text(), "2/2");
  EXPECT_FALSE(v_->Tasto_Abilitato(T_Successiva));
  EXPECT_EQ(v_->qodimv_Pag_Fine(), 2);

  // An index out of range: the empty state, even with pages.
  EXPECT_FALSE(v_->Immagine_Carica_Pagina(primo, 3));
  EXPECT_EQ(v_->lblPag1()->text(), "");
  EXPECT_FALSE(v_->Tasto_Abilitato(T_Stampa));
  EXPECT_FALSE(v_->IM1()->isVisible());
  EXPECT_TRUE(v_->Immagine_Carica_Pagina(primo, 2));
  EXPECT_EQ(v_->lblPag1()->text(), "2/2");

  // A name without digits, a damaged file and an empty name show nothing.
  Salva_Tiff(Pagina(100, 100, 1, "R", 200, 200), dir_ / "REPORT.TIF");
  std::FILE* f = std::fopen((dir_ / "X_00001.TIF").c_str(), "wb");
  std::fputs("II*\0garbage", f);
  std::fclose(f);
  for (const std::string& n : {(dir_ / "REPORT.TIF").string(), (dir_ / "X_00001.TIF").string(), std::string()}) {
    ASSERT_TRUE(v_->Immagine_Carica(primo));
    EXPECT_FALSE(v_->Immagine_Carica(n)) << n;
    EXPECT_EQ(v_->lblPag1()->text(), "") << n;
    for (int t : {T_Stampa, T_Set_Stampa, T_Salva, T_Ruota, T_Cancella, T_Posiz, T_Precedente, T_Successiva})
      EXPECT_FALSE(v_->Tasto_Abilitato(t)) << n << " " << Tasti_Chiave()[t];
    EXPECT_TRUE(v_->Tasto_Abilitato(T_Uscita));
    EXPECT_FALSE(v_->Zoom()->isEnabled());
  }
}

TEST_F(Visore, AMultiImageTiffIsOnePagePerImage) {
  const auto f = dir_ / "M_00005.TIF";
  for (int i = 1; i <= 3; ++i) Salva_Tiff(Pagina(300 + 50 * i, 200, 1, QString("Immagine %1").arg(i), 200, 200), f, 5, i > 1);
  Mostra();
  ASSERT_TRUE(v_->Immagine_Carica(f.string()));
  EXPECT_EQ(v_->lblPag1()->text(), "1/3");
  EXPECT_EQ(v_->IM1()->Larghezza_Immagine(), 350);
  ASSERT_TRUE(v_->Immagine_Pagina(1));
  EXPECT_EQ(v_->IM1()->Larghezza_Immagine(), 400);
  ASSERT_TRUE(v_->Immagine_Carica_Pagina(f.string(), 3));
  EXPECT_EQ(v_->lblPag1()->text(), "3/3");
  EXPECT_EQ(v_->IM1()->Larghezza_Immagine(), 450);
}

TEST_F(Visore, FaxPageFittedZoomedScrolledStretchedAndTurned) {
  const auto fax = dir_ / "F_00001.TIF";
  Salva_Tiff(Pagina(1728, 2292, 1, "Fax G4 204x196", 204, 196), fax);
  Mostra();
  ASSERT_TRUE(v_->Immagine_Carica(fax.string()));
  EXPECT_EQ(v_->IM1()->Modo(), 3);  // two colours
  EXPECT_TRUE(v_->IM1()->Adatta());
  // The whole page is in view: its (stretched) height fills it.
  EXPECT_NEAR(v_->IM1()->Allungamento_Y(), 204.0 / 196, 1e-9);
  EXPECT_NEAR(v_->IM1()->Altezza_Visibile(), 2292, 1);
  EXPECT_GE(v_->IM1()->Larghezza_Visibile(), 1728);
  Schermata("fax_g4_adatta");

  v_->qodimv_zoom("400%");
  long x = 900, y = 1200;
  ASSERT_TRUE(v_->Zoom_Applica(x, y));
  EXPECT_EQ(x, 900);
  EXPECT_EQ(y, 1200);
  EXPECT_DOUBLE_EQ(v_->IM1()->Zoom(), 400);
  EXPECT_NEAR(v_->IM1()->Larghezza_Visibile(), v_->IM1()->width() / 4.0, 0.01);
  Schermata("fax_g4_400_scorsa");
  // Past the far corner the origin stops at the page's edges.
  x = 100000;
  y = 100000;
  ASSERT_TRUE(v_->Zoom_Applica(x, y));
  EXPECT_NEAR(x, 1728 - v_->IM1()->Larghezza_Visibile(), 0.5);
  EXPECT_NEAR(y, 2292 - v_->IM1()->Altezza_Visibile(), 0.5);

  // A page of 204 x 98 dpi shows at its true height.
  const auto basso = dir_ / "S_00001.TIF";
  Salva_Tiff(Pagina(1728, 1100, 1, "Fax 204x98", 204, 98), basso);
  v_->qodimv_zoom("Adatta");
  ASSERT_TRUE(v_->Immagine_Carica(basso.string()));
  EXPECT_NEAR(v_->Rapporto_Risoluzione(), 204.0 / 98, 1e-9);
  EXPECT_NEAR(v_->IM1()->Allungamento_Y(), 204.0 / 98, 1e-9);
  EXPECT_EQ(v_->IM1()->Altezza_Immagine(), 1100);  // the pixels stay as loaded
  Schermata("fax_204x98_allungata");

  // R turns the page a quarter clockwise (the toolbar's rotate key is on).
  const auto colore = dir_ / "C_00001.png";
  ASSERT_TRUE(img::Salva(Pagina(600, 400, 24, "Ruotata", 96, 96), colore, {0, false, "EXTENSION = PNG"}));
  ASSERT_TRUE(v_->Immagine_Carica(colore.string()));
  v_->Tasto_Agisci(Tasto_Visore::R);
  EXPECT_EQ(v_->IM1()->Larghezza_Immagine(), 400);
  EXPECT_EQ(v_->IM1()->Altezza_Immagine(), 600);
  EXPECT_FALSE(v_->qodimv_Memo_Change());  // the key never marks the page changed
  Schermata("pagina_ruotata");
  v_->Toolbar_ButtonClick(T_Ruota);
  EXPECT_EQ(v_->IM1()->Larghezza_Immagine(), 600);
  EXPECT_TRUE(v_->qodimv_Memo_Change());
  ASSERT_TRUE(v_->Immagine_Carica(colore.string()));
  EXPECT_FALSE(v_->qodimv_Memo_Change());
}

TEST_F(Visore, KeysAndWheelThroughTheEventLoop) {
  const std::string primo = Documento("K_", 2, 1600, 1200);
  v_->qodimv_subclass(true);
  ASSERT_TRUE(v_->Aggancio_Proprio());
  Mostra();
  ASSERT_TRUE(v_->Immagine_Carica(primo));
  ASSERT_TRUE(v_->Focus());
  QWidget* bersaglio = QApplication::focusWidget();
  ASSERT_TRUE(bersaglio);

  QTest::keyClick(bersaglio, Qt::Key_PageDown);
  EXPECT_EQ(v_->lblPag1()->text(), "2/2");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);  // the last page: swallowed
  EXPECT_EQ(v_->lblPag1()->text(), "2/2");
  EXPECT_TRUE(host_->tasti.empty());

  // Plus and minus stop at their bounds.
  v_->qodimv_zoom("1500%");
  long x = 0, y = 0;
  ASSERT_TRUE(v_->Zoom_Applica(x, y));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Plus);
  EXPECT_EQ(v_->qodimv_zoom(), "1500%");
  v_->qodimv_zoom("100%");
  ASSERT_TRUE(v_->Zoom_Applica(x, y));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Equal);
  EXPECT_EQ(v_->qodimv_zoom(), "110%");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(v_->qodimv_zoom(), "99%");
  v_->qodimv_zoom("6%");
  ASSERT_TRUE(v_->Zoom_Applica(x, y));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Minus);
  EXPECT_EQ(v_->qodimv_zoom(), "5%");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Minus);
  EXPECT_EQ(v_->qodimv_zoom(), "5%");

  // Arrows at 100%: 30 image pixels a press.
  v_->qodimv_zoom("100%");
  ASSERT_TRUE(v_->Zoom_Applica(x, y));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(v_->IM1()->Origine_X(), 30);
  EXPECT_EQ(v_->IM1()->Origine_Y(), 30);

  // The wheel: down a notch scrolls down, with Shift sideways, with the left button alone not at all.
  auto rotella = [&](Qt::MouseButtons b, Qt::KeyboardModifiers m, int delta) {
    const QPointF p(50, 50);
    QWheelEvent e(p, v_->IM1()->viewport()->mapToGlobal(p), QPoint(), QPoint(0, delta), b, m, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(v_->IM1()->viewport(), &e);
  };
  rotella(Qt::NoButton, Qt::NoModifier, -120);
  EXPECT_EQ(v_->IM1()->Origine_Y(), 60);
  rotella(Qt::NoButton, Qt::ShiftModifier, -120);
  EXPECT_EQ(v_->IM1()->Origine_X(), 60);
  EXPECT_EQ(v_->IM1()->Origine_Y(), 60);
  rotella(Qt::LeftButton, Qt::NoModifier, -120);
  EXPECT_EQ(v_->IM1()->Origine_X(), 60);
  EXPECT_EQ(v_->IM1()->Origine_Y(), 60);
  EXPECT_EQ(host_->rotelle, 0);

  // P turns the position mode on and off.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_P);
  EXPECT_TRUE(v_->Posizione());
  EXPECT_TRUE(v_->Pulsante(T_Posiz)->isChecked());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_P);
  EXPECT_FALSE(v_->Posizione());

  // Without the focus the keys reach the host.
  host_->setFocus();
  ASSERT_FALSE(v_->Focus());
  QTest::keyClick(host_.get(), Qt::Key_PageUp);
  EXPECT_EQ(host_->tasti, std::vector<int>{Qt::Key_PageUp});
  EXPECT_EQ(v_->lblPag1()->text(), "2/2");
}

TEST_F(Visore, AKeyArrivingWhileAnotherKeyActsIsSwallowed) {
  const std::string primo = Documento("N_", 2);
  v_->qodimv_subclass(true);
  Mostra();
  v_->qodimv_zoom("100%");
  ASSERT_TRUE(v_->Immagine_Carica(primo));
  QWidget* bersaglio = QApplication::focusWidget();
  ASSERT_TRUE(bersaglio);
  // Page Down waits in the queue; the zoom step lets pending events run
  // while it acts, and the waiting key is taken without acting.
  QCoreApplication::postEvent(bersaglio, new QKeyEvent(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier));
  QTest::keyClick(bersaglio, Qt::Key_Plus);
  EXPECT_EQ(v_->qodimv_zoom(), "110%");
  EXPECT_EQ(v_->lblPag1()->text(), "1/2");
  EXPECT_TRUE(host_->tasti.empty());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  EXPECT_EQ(v_->lblPag1()->text(), "2/2");
}

TEST_F(Visore, NoPageShownNoKeyOrWheelDividesByZero) {
  v_->qodimv_subclass(true);
  Mostra();
  v_->setFocus();
  ASSERT_TRUE(v_->Focus());
  for (Qt::Key k : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_Plus, Qt::Key_Minus, Qt::Key_P,
                    Qt::Key_R, Qt::Key_PageDown, Qt::Key_PageUp})
    QTest::keyClick(v_, k);
  QWheelEvent e(QPointF(5, 5), v_->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(v_, &e);
  EXPECT_EQ(v_->IM1()->Origine_X(), 0);
  EXPECT_EQ(v_->IM1()->Origine_Y(), 0);
  EXPECT_EQ(v_->qodimv_zoom(), "Adatta");
  EXPECT_FALSE(v_->Posizione());
  EXPECT_TRUE(host_->tasti.empty());  // still the viewer's keys: swallowed
}

TEST_F(Visore, OneKeyHandlerForTwoViewersStaysWithTheFirst) {
  const std::string primo = Documento("D_", 2);
  v_->qodimv_subclass(true);
  auto* secondo = new Qod_IMV(host_.get());
  secondo->setGeometry(0, 0, 10, 10);
  secondo->qodimv_subclass(true);
  EXPECT_TRUE(v_->Aggancio_Proprio());
  EXPECT_FALSE(secondo->Aggancio_Proprio());
  v_->qodimv_subclass(false);  // False does not unhook
  EXPECT_TRUE(v_->Aggancio_Proprio());
  delete secondo;  // closing the second keeps the first's keys
  EXPECT_TRUE(v_->Aggancio_Proprio());
  Mostra();
  ASSERT_TRUE(v_->Immagine_Carica(primo));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
  EXPECT_EQ(v_->lblPag1()->text(), "2/2");

  // When the owner ends, a later viewer may take the handling.
  host_.reset();
  Qod_IMV terzo;
  terzo.qodimv_subclass(true);
  EXPECT_TRUE(terzo.Aggancio_Proprio());
}

TEST_F(Visore, DragPanningAndThePositionCursor) {
  const std::string primo = Documento("P_", 1, 2000, 1500);
  Mostra();
  v_->qodimv_zoom("100%");
  ASSERT_TRUE(v_->Immagine_Carica(primo));
  QWidget* vp = v_->IM1()->viewport();
  puntatore_ = vp->mapToGlobal(QPoint(100, 100));
  QTest::mouseMove(vp, QPoint(100, 100));
  EXPECT_EQ(v_->Puntatore_Stato().Stato(), P_Mano);
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
  puntatore_ = vp->mapToGlobal(QPoint(60, 70));
  QMouseEvent mossa(QEvent::MouseMove, QPointF(60, 70), vp->mapToGlobal(QPointF(60, 70)), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &mossa);
  EXPECT_EQ(v_->Puntatore_Stato().Stato(), P_Presa);
  EXPECT_EQ(v_->IM1()->Origine_X(), 40);
  EXPECT_EQ(v_->IM1()->Origine_Y(), 30);
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(60, 70));
  EXPECT_EQ(v_->Puntatore_Stato().Stato(), P_Mano);

  // Position mode: a press and drag does not pan.
  v_->Pulsante(T_Posiz)->click();
  ASSERT_TRUE(v_->Posizione());
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(60, 70));
  QMouseEvent mossa2(QEvent::MouseMove, QPointF(10, 10), vp->mapToGlobal(QPointF(10, 10)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(vp, &mossa2);
  EXPECT_EQ(v_->Puntatore_Stato().Stato(), P_Posizione);
  EXPECT_EQ(v_->IM1()->Origine_X(), 40);
  // The pointer leaves the window: state 0.
  puntatore_ = QPoint(-5000, -5000);
  v_->Puntatore_Aggiorna();
  EXPECT_EQ(v_->Puntatore_Stato().Stato(), P_Normale);
  v_->Pulsante(T_Posiz)->click();
  EXPECT_FALSE(v_->Posizione());
}

TEST_F(Visore, UscitaClosesTheHostWindow) {
  Mostra();
  v_->Pulsante(T_Uscita)->click();
  EXPECT_FALSE(host_->isVisible());
}

}  // namespace
