// The print dialog on the offscreen platform, driven as a user would from
// the viewer's toolbar, over a recording print device: the section of the
// settings file it reads and writes (with the user's separators), the
// colours of the checked boxes, the button "Stampa" without a document, and
// what printing gives the device (one job, copies, collation, pages, the
// messages of a printer that is not ready and of a failed print).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <functional>

#include "qod/ansi.h"
#include "qod/imaging/file.h"
#include "qod/printing/registrato.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"
#include "qod/ui/qt.h"
#include "qod/viewer/frm_stampa.h"
#include "qod/viewer/qod_imv.h"

using namespace qod;
using namespace qod::imv;
namespace fs = std::filesystem;

namespace {

// A 1-bit page at 100 dpi, `w` pixels wide so that the pages of a document
// tell apart in what the device records.
void Pagina(const fs::path& file, int w) {
  img::Immagine im;
  ASSERT_TRUE(im.Crea(w, 300, 1));
  for (int x = 0; x < w; ++x) im.Imposta_Pixel(x, 0, img::Nero);
  im.Imposta_Dpi(100, 100);
  ASSERT_TRUE(img::Salva(im, file, {4, false, ""}));
}

// The colours a box shows (in the state it is in) against the system's.
bool Evidenziata(QLineEdit* box) {
  const QPalette& s = QApplication::palette();
  return box->palette().color(QPalette::Base) == s.color(QPalette::Active, QPalette::Highlight) &&
         box->palette().color(QPalette::Text) == s.color(QPalette::Active, QPalette::HighlightedText);
}
bool Normale(QLineEdit* box) {
  const QPalette& s = QApplication::palette();
  const auto g = box->isEnabled() ? QPalette::Active : QPalette::Disabled;
  return box->palette().color(QPalette::Base) == s.color(g, QPalette::Base) &&
         box->palette().color(QPalette::Text) == s.color(g, QPalette::Text);
}

void Scrivi(QLineEdit* box, const QString& testo) {
  box->selectAll();
  QTest::keyClicks(box, testo);
  if (testo.isEmpty()) box->clear();
}

// The user's locale for one test, given back at the end.
class Locale_Prova {
 public:
  explicit Locale_Prova(const QLocale& l) { QLocale::setDefault(l); }
  ~Locale_Prova() { QLocale::setDefault(QLocale::system()); }
};

class DialogoStampa : public prova::Prova_Qt {
 protected:
  void SetUp() override {
    dispositivo_.stampanti["Laser"] = {};
    dispositivo_.stampanti["Ufficio"] = {};
    dispositivo_.predefinita = "Ufficio";
    for (int p = 1; p <= 3; ++p) Pagina(dir_.Dir() / ("X_0000" + std::to_string(p) + ".TIF"), 300 + p * 10);
    ini_ = dir_ / "Qod_C.INI";
    visore_.qodimv_FileINI(ini_);
    visore_.qodimv_Paragrafo("Stampante");
    stampa_.Collega(visore_);
    visore_.resize(600, 400);
  }
  std::string Documento() const { return dir_ / "X_00001.TIF"; }

  prova::Cartella_Prova dir_{"imv_frm_stampa"};
  std::string ini_;
  stampa::Dispositivo_Registrato dispositivo_;
  // The boxes, and whether each came up under a busy pointer.
  prova::Messaggi_Puntatore messaggi_;
  int pompe_ = 0;
  std::function<void()> ad_ogni_pompa_;
  std::vector<std::string> proprieta_;
  Stampa_Visore stampa_{Servizi_Stampa{&dispositivo_, &messaggi_,
                                       [this] {
                                         ++pompe_;
                                         if (ad_ogni_pompa_) ad_ogni_pompa_();
                                       },
                                       [this](QWidget* w, const std::string& nome) {
                                         EXPECT_NE(qobject_cast<FrmStampa*>(w), nullptr);
                                         proprieta_.push_back(nome);
                                         return 0;
                                       }}};
  Qod_IMV visore_;
};

TEST_F(DialogoStampa, ToolbarKeyOpensTheDialogFilledFromTheSection) {
  prova::File_Scrivi(ini_, prova::Righe_CRLF("[Stampante]\nNome=Laser\nAdatta=0\nAllinea X=1\nAllinea Y=0\n"
                                             "Zoom X=8750\nZoom Y=15000\nOrientamento=O\nMargine Sx=10\n"
                                             "Margine Dx=20\nMargine Top=15\nMargine Bot=5\nCopie=002\nFascicola=1"));
  const std::string prima = prova::File_Leggi(ini_);
  ASSERT_TRUE(visore_.Immagine_Carica(Documento()));
  bool aperto = false;
  prova::Quando_Aperto<FrmStampa>([&](FrmStampa& f) {
    aperto = true;
    EXPECT_EQ(f.windowTitle(), "Imposta stampa");
    EXPECT_EQ(f.parentWidget(), visore_.window());
    const char* cornici[] = {" Stampante ", " Orientamento ", " Margini (millimetri) ", " Copie ",
                             " Dimensione ", " Pagine da stampare "};
    for (int i = 0; i < 6; ++i) {
      ASSERT_NE(f.Cornici[i], nullptr) << i;
      EXPECT_EQ(f.Cornici[i]->title(), cornici[i]);
    }
    EXPECT_EQ(f.opt_Orienta[0]->text(), "Orrizzontale");
    EXPECT_EQ(f.cmd_Proprieta->text(), QString::fromUtf8("Proprietà"));
    EXPECT_EQ(f.Stampanti->count(), 2);
    EXPECT_EQ(f.Stampanti->currentText(), "Laser");
    EXPECT_FALSE(f.chkAdatta->isChecked());
    EXPECT_TRUE(f.chkAllineaX->isChecked());
    EXPECT_FALSE(f.chkAllineaY->isChecked());
    const QChar dec = QLocale().decimalPoint().at(0);
    EXPECT_EQ(f.txtZoomX->text(), QString("87") + dec + "50");
    EXPECT_EQ(f.txtZoomY->text(), QString("150") + dec + "00");
    EXPECT_TRUE(f.txtZoomX->isEnabled());
    EXPECT_TRUE(f.opt_Orienta[0]->isChecked());
    EXPECT_FALSE(f.opt_Orienta[1]->isChecked());
    EXPECT_EQ(f.txtMar_Sx->text(), "10");
    EXPECT_EQ(f.txtMar_Bot->text(), "5");
    EXPECT_EQ(f.txtCopie->text(), "2");
    EXPECT_TRUE(f.chkFascicola->isChecked());
    EXPECT_EQ(f.txtPagDa->text(), "1");
    EXPECT_EQ(f.txtPagA->text(), "3");
    EXPECT_TRUE(f.cmd_Stampa->isVisible());
    for (QLineEdit* b : {f.txtMar_Sx, f.txtCopie, f.txtZoomX, f.txtPagDa, f.txtPagA}) EXPECT_TRUE(Normale(b));
    EXPECT_EQ(f.txtZoomX->maxLength(), 6);
    EXPECT_EQ(f.txtPagA->maxLength(), 5);
    EXPECT_EQ(f.txtCopie->maxLength(), 3);

    f.cmd_Proprieta->click();
    EXPECT_EQ(proprieta_, std::vector<std::string>{"Laser"});

    // Ticking "Adatta" disables the zoom boxes and their labels.
    f.chkAdatta->click();
    EXPECT_FALSE(f.txtZoomX->isEnabled());
    EXPECT_FALSE(f.lbl8->isEnabled());
    f.cmd_Annulla->click();
  });
  visore_.Pulsante(T_Set_Stampa)->click();
  EXPECT_TRUE(aperto);
  EXPECT_EQ(prova::File_Leggi(ini_), prima);  // "Annulla" stores nothing
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_TRUE(dispositivo_.lavori.empty());
}

TEST_F(DialogoStampa, KeptNamePicksItsPrinter) {
  const struct {
    const char* nome;
    const char* scelta;  // "" = no entry
  } casi[] = {
      {"Laser", "Laser"}, {"LASER", "Laser"}, {"\\\\server\\laser", "Laser"}, {"", "Ufficio"}, {"Andata", ""},
  };
  for (const auto& c : casi) {
    prova::File_Scrivi(ini_, std::string("[Stampante]\r\nNome=") + c.nome + "\r\n");
    prova::Quando_Aperto<FrmStampa>([&](FrmStampa& f) {
      EXPECT_EQ(f.Stampanti->currentText().toStdString(), c.scelta) << c.nome;
      EXPECT_EQ(f.Stampanti->count(), 2);
      // Kept as it is shown: a printer that is gone leaves the default one next time.
      f.cmd_Conferma->click();
    });
    EXPECT_TRUE(visore_.Immagine_Set_Stampa(""));
    EXPECT_NE(prova::File_Leggi(ini_).find(std::string("Nome=") + c.scelta + "\r\n"), std::string::npos) << c.nome;
  }
}

TEST_F(DialogoStampa, SettingsWrittenAndReadBackInTheUsersLocale) {
  const struct {
    QLocale locale;
    const char* zoom_x;
  } casi[] = {{QLocale::c(), "87.50"}, {QLocale(QLocale::Italian, QLocale::Italy), "87,50"}};
  for (const auto& c : casi) {
    Locale_Prova locale(c.locale);
    fs::remove(ini_);
    prova::Quando_Aperto<FrmStampa>([&](FrmStampa& f) {
      // No section: the default printer, fit, centred, 100 %, portrait, no margins, one copy.
      EXPECT_EQ(f.Stampanti->currentText(), "Ufficio");
      EXPECT_TRUE(f.chkAdatta->isChecked());
      EXPECT_TRUE(f.opt_Orienta[1]->isChecked());
      EXPECT_EQ(f.txtCopie->text(), "1");
      EXPECT_EQ(f.txtZoomX->text(), c.locale.toString(100.0, 'f', 2));
      // Without a document "Stampa" is hidden and the pages are 1 to 1.
      EXPECT_FALSE(f.cmd_Stampa->isVisible());
      EXPECT_EQ(f.txtPagA->text(), "1");
      f.Stampanti->setCurrentIndex(f.Stampanti->findText("Laser"));
      f.chkAdatta->click();
      Scrivi(f.txtZoomX, c.zoom_x);
      Scrivi(f.txtZoomY, "150");
      f.opt_Orienta[0]->click();
      Scrivi(f.txtMar_Sx, "10");
      Scrivi(f.txtMar_Top, "999");
      Scrivi(f.txtCopie, "2");
      f.chkFascicola->click();
      f.chkAllineaY->click();
      f.cmd_Conferma->click();
      EXPECT_FALSE(f.isVisible());
    });
    EXPECT_TRUE(visore_.Immagine_Set_Stampa(""));
    EXPECT_EQ(prova::File_Leggi(ini_),
              prova::Righe_CRLF("[Stampante]\nNome=Laser\nAdatta=0\nAllinea X=1\nAllinea Y=0\nZoom X=8750\n"
                                "Zoom Y=15000\nOrientamento=O\nMargine Sx=10\nMargine Dx=0\nMargine Top=999\n"
                                "Margine Bot=0\nCopie=002\nFascicola=1"))
        << c.zoom_x;

    // Opened again, the dialog shows what was stored.
    prova::Quando_Aperto<FrmStampa>([&](FrmStampa& f) {
      EXPECT_EQ(f.Stampanti->currentText(), "Laser");
      EXPECT_EQ(f.txtZoomX->text(), c.zoom_x);
      EXPECT_TRUE(f.opt_Orienta[0]->isChecked());
      EXPECT_EQ(f.txtMar_Top->text(), "999");
      EXPECT_EQ(f.txtCopie->text(), "2");
      EXPECT_FALSE(f.chkAdatta->isChecked());
      EXPECT_FALSE(f.chkAllineaY->isChecked());
    });
    EXPECT_TRUE(visore_.Immagine_Set_Stampa(""));
  }
  EXPECT_TRUE(messaggi_.boxes.empty());
}

TEST_F(DialogoStampa, BadBoxesAreHighlightedAndKeepTheDialogOpen) {
  Locale_Prova locale(QLocale(QLocale::Italian, QLocale::Italy));
  ASSERT_TRUE(visore_.Immagine_Carica(Documento()));
  prova::Quando_Aperto<FrmStampa>([&](FrmStampa& f) {
    f.chkAdatta->click();  // the zoom boxes take typing
    const struct {
      QLineEdit* box;
      const char* testo;
      bool buono;
    } casi[] = {
        {f.txtMar_Sx, "-1", false}, {f.txtMar_Sx, "0", true},     {f.txtMar_Dx, "abc", false},
        {f.txtMar_Dx, "999", true}, {f.txtCopie, "0", false},     {f.txtCopie, "1", true},
        {f.txtZoomX, "9,99", false}, {f.txtZoomX, "10", true},    {f.txtZoomY, "800,01", false},
        {f.txtZoomY, "800,00", true}, {f.txtPagA, "1.000", false}, {f.txtPagA, "3", true},
        {f.txtPagDa, "0", false},    {f.txtPagDa, "2", true},
    };
    for (const auto& c : casi) {
      Scrivi(c.box, c.testo);
      EXPECT_EQ(Evidenziata(c.box), !c.buono) << c.box->objectName().toStdString() << " " << c.testo;
      EXPECT_EQ(Normale(c.box), c.buono) << c.box->objectName().toStdString() << " " << c.testo;
    }

    // "from" above "to": the box just changed is highlighted, and "Conferma" does nothing.
    Scrivi(f.txtPagA, "1");
    EXPECT_TRUE(Evidenziata(f.txtPagA));
    EXPECT_TRUE(Normale(f.txtPagDa));
    f.cmd_Conferma->click();
    EXPECT_TRUE(f.isVisible());
    Scrivi(f.txtPagDa, "1");
    EXPECT_TRUE(Normale(f.txtPagDa));
    EXPECT_TRUE(Normale(f.txtPagA));

    // A disabled zoom box is still checked: every bad box lights up at once.
    f.chkAdatta->click();
    ASSERT_FALSE(f.txtZoomX->isEnabled());
    f.txtZoomX->setText("5");
    f.txtMar_Bot->setText("-5");
    f.txtCopie->blockSignals(true);
    f.txtCopie->setText("0");
    f.txtCopie->blockSignals(false);
    EXPECT_TRUE(Normale(f.txtCopie));
    f.cmd_Conferma->click();
    EXPECT_TRUE(f.isVisible());
    for (QLineEdit* b : {f.txtZoomX, f.txtMar_Bot, f.txtCopie}) EXPECT_TRUE(Evidenziata(b)) << b->objectName().toStdString();
    f.adjustSize();
    prova::Schermata(f, "frm_stampa_errori");
    f.cmd_Stampa->click();
    EXPECT_TRUE(f.isVisible());
  });
  visore_.Pulsante(T_Set_Stampa)->click();
  EXPECT_FALSE(fs::exists(ini_));
  EXPECT_TRUE(dispositivo_.lavori.empty());
}

TEST_F(DialogoStampa, SettingsThatCannotBeStoredKeepTheDialogOpen) {
  const std::string ini = dir_ / "manca/Qod_C.INI";
  visore_.qodimv_FileINI(ini);
  ASSERT_TRUE(visore_.Immagine_Carica(Documento()));
  prova::Quando_Aperto<FrmStampa>([&](FrmStampa& f) {
    for (QPushButton* b : {f.cmd_Conferma, f.cmd_Stampa}) {
      b->click();
      EXPECT_TRUE(f.isVisible()) << b->text().toStdString();
    }
  });
  visore_.Pulsante(T_Set_Stampa)->click();
  ASSERT_EQ(messaggi_.boxes.size(), 2u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Impossibile salvare le impostazioni di stampa in " + ini);
  EXPECT_TRUE(dispositivo_.lavori.empty());  // not printed with settings other than those shown
}

TEST_F(DialogoStampa, DocumentThatCannotBeReadGivesTheMessageAndNoDialog) {
  bool aperto = false;
  QTimer::singleShot(0, [&] { aperto = QApplication::activeModalWidget() != nullptr; });
  // The control reports that the call returned; the dialog never opened.
  EXPECT_TRUE(visore_.Immagine_Set_Stampa(dir_ / "manca_00001.TIF"));
  EXPECT_FALSE(stampa_.Carica(nullptr, ini_, "Stampante", dir_ / "manca_00001.TIF"));
  QApplication::processEvents();
  EXPECT_FALSE(aperto);
  ASSERT_EQ(messaggi_.boxes.size(), 2u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "errore nella ricerca delle pagine");
  EXPECT_EQ(messaggi_.boxes[0].stile, vbOKOnly);
  EXPECT_FALSE(stampa_.Stampa(0, ini_, "Stampante", dir_ / "manca_00001.TIF"));
  EXPECT_EQ(messaggi_.boxes.size(), 3u);
  EXPECT_TRUE(dispositivo_.chiamate.empty());
}

// The widths of the pages drawn in a job (page n of the fixture is 300 + 10 n wide).
std::vector<int> Pagine(const stampa::Dispositivo_Registrato::Lavoro& l) {
  std::vector<int> r;
  for (const auto& p : l.pagine) {
    EXPECT_TRUE(p.chiusa);
    EXPECT_EQ(p.disegni.size(), 1u);
    if (!p.disegni.empty()) r.push_back((p.disegni[0].larghezza - 300) / 10);
  }
  return r;
}

TEST_F(DialogoStampa, CopiesCollationAndOrientationReachTheDevice) {
  const struct {
    const char* sezione;
    std::vector<int> pagine;
    int copie;
    int orientamento;
  } casi[] = {
      {"Copie=003\nFascicola=1", {1, 2, 3, 1, 2, 3, 1, 2, 3}, 1, 1},
      {"Copie=003\nFascicola=0\nOrientamento=O", {1, 2, 3}, 3, 2},
      {"Copie=0\nFascicola=1", {1, 2, 3}, 1, 1},  // fewer than one copy is one
  };
  for (const auto& c : casi) {
    dispositivo_.lavori.clear();
    prova::File_Scrivi(ini_, prova::Righe_CRLF(std::string("[Stampante]\nNome=Laser\n") + c.sezione));
    EXPECT_TRUE(visore_.Immagine_Stampa(Documento()));  // print from the host, no dialog
    ASSERT_EQ(dispositivo_.lavori.size(), 1u) << c.sezione;
    const auto& l = dispositivo_.lavori[0];
    EXPECT_EQ(l.nome, "Quillon");
    EXPECT_TRUE(l.finito);
    EXPECT_EQ(Pagine(l), c.pagine) << c.sezione;
    EXPECT_EQ(l.modo.copie, c.copie) << c.sezione;
    EXPECT_EQ(l.modo.orientamento, c.orientamento) << c.sezione;
  }
  EXPECT_EQ(dispositivo_.contesti_creati, dispositivo_.contesti_eliminati);
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_GT(pompe_, 0);

  // From the dialog: the range typed, the settings stored first.
  dispositivo_.lavori.clear();
  prova::File_Scrivi(ini_, prova::Righe_CRLF("[Stampante]\nNome=Laser"));
  ASSERT_TRUE(visore_.Immagine_Carica(Documento()));
  prova::Quando_Aperto<FrmStampa>([&](FrmStampa& f) {
    Scrivi(f.txtPagDa, "2");
    Scrivi(f.txtCopie, "2");
    f.chkFascicola->click();
    f.cmd_Stampa->click();
    EXPECT_FALSE(f.isVisible());
  });
  visore_.Pulsante(T_Set_Stampa)->click();
  ASSERT_EQ(dispositivo_.lavori.size(), 1u);
  EXPECT_EQ(Pagine(dispositivo_.lavori[0]), (std::vector<int>{2, 3, 2, 3}));
  EXPECT_NE(prova::File_Leggi(ini_).find("Copie=002\r\nFascicola=1"), std::string::npos);
}

TEST_F(DialogoStampa, PrinterNotReadyAndFailedPrints) {
  dispositivo_.stampanti["Laser"].stato = stampa::kStato_Pausa;
  dispositivo_.stampanti["Occupata"].stato = stampa::kStato_In_Stampa;
  const struct {
    const char* sezione;
    std::function<void()> prepara;
    const char* messaggio;
    bool lavoro_annullato;
  } casi[] = {
      {"Nome=Laser", [] {}, "La stampante è in pausa", false},
      {"Nome=Occupata", [] {}, "La stampante è in stampa", false},
      {"Nome=Assente", [] {}, "La stampante non è possibile contattarla", false},
      // Copies the printer cannot be told of.
      {"Nome=Ufficio\nCopie=40000", [] {}, "Errore generico in stampa", false},
      {"Nome=Ufficio", [this] { dispositivo_.fallisce_disegno = true; }, "Errore generico in stampa", true},
      {"Nome=Ufficio", [this] { dispositivo_.fallisce_inizio_doc = true; }, "Errore generico in stampa", false},
      // The printer refuses the orientation and copies: stopped without a message.
      {"Nome=Ufficio", [this] { dispositivo_.errore_reimposta = 87; }, nullptr, false},
  };
  for (const auto& c : casi) {
    dispositivo_ = stampa::Dispositivo_Registrato{};
    dispositivo_.stampanti["Laser"].stato = stampa::kStato_Pausa;
    dispositivo_.stampanti["Occupata"].stato = stampa::kStato_In_Stampa;
    dispositivo_.stampanti["Ufficio"] = {};
    c.prepara();
    messaggi_.boxes.clear();
    prova::File_Scrivi(ini_, prova::Righe_CRLF(std::string("[Stampante]\n") + c.sezione));
    EXPECT_FALSE(stampa_.Stampa(0, ini_, "Stampante", Documento())) << c.sezione;
    ASSERT_EQ(messaggi_.boxes.size(), c.messaggio ? 1u : 0u) << c.sezione;
    if (c.messaggio) {
      EXPECT_EQ(messaggi_.boxes[0].testo, A(c.messaggio)) << c.sezione;
      EXPECT_EQ(messaggi_.boxes[0].titolo, "Qod_IMV");
    }
    EXPECT_TRUE(dispositivo_.Finiti().empty()) << c.sezione;
    EXPECT_EQ(dispositivo_.contesti_creati, dispositivo_.contesti_eliminati) << c.sezione;
    EXPECT_EQ(!dispositivo_.lavori.empty() && dispositivo_.lavori[0].annullato, c.lavoro_annullato) << c.sezione;
  }

  // A page gone since the pages were found: the others print, and the
  // short print is reported.
  dispositivo_ = stampa::Dispositivo_Registrato{};
  dispositivo_.stampanti["Ufficio"] = {};
  messaggi_.boxes.clear();
  prova::File_Scrivi(ini_, prova::Righe_CRLF("[Stampante]\nNome=Ufficio"));
  ASSERT_TRUE(visore_.Immagine_Carica(Documento()));
  prova::Quando_Aperto<FrmStampa>([&](FrmStampa& f) {
    fs::remove(dir_.Dir() / "X_00002.TIF");
    f.cmd_Stampa->click();
  });
  visore_.Pulsante(T_Set_Stampa)->click();
  ASSERT_EQ(dispositivo_.Finiti().size(), 1u);
  EXPECT_EQ(Pagine(*dispositivo_.Finiti()[0]), (std::vector<int>{1, 3}));
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Pagine non stampate: 1");
}

TEST_F(DialogoStampa, OneRequestAtATime) {
  ASSERT_TRUE(visore_.Immagine_Carica(Documento()));
  prova::Quando_Aperto<FrmStampa>([&](FrmStampa&) {
    EXPECT_TRUE(stampa_.Occupato());
    EXPECT_FALSE(stampa_.Stampa(0, ini_, "Stampante", Documento()));
    EXPECT_FALSE(stampa_.Carica(nullptr, ini_, "Stampante", Documento()));
  });
  visore_.Pulsante(T_Set_Stampa)->click();
  EXPECT_FALSE(stampa_.Occupato());
  EXPECT_TRUE(dispositivo_.lavori.empty());
  EXPECT_TRUE(stampa_.Stampa(0, ini_, "Stampante", Documento()));
}

// While a document is drawn and sent the pointer is busy; a job of more
// than a few pages counts the pages sent in the viewer's status line. Both
// are gone when the job ends, printed or failed, and a box in between shows
// the normal pointer.
TEST_F(DialogoStampa, BusyPointerAndPagesSentWhilePrinting) {
  for (int p = 4; p <= 7; ++p) Pagina(dir_.Dir() / ("X_0000" + std::to_string(p) + ".TIF"), 300 + p * 10);
  visore_.show();
  ASSERT_TRUE(visore_.Immagine_Carica(Documento()));
  struct Visto {
    bool occupato;
    std::string stato;
  };
  std::vector<Visto> visti;
  ad_ogni_pompa_ = [&] {
    visti.push_back({QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor,
                     visore_.lblStato()->isVisible() ? visore_.lblStato()->text().toStdString() : ""});
    if (visti.size() == 8 && !visore_.Stato_Stampa) prova::Schermata(visore_, "stampa_avanzamento");
  };
  visore_.Pulsante(T_Stampa)->click();
  ASSERT_EQ(dispositivo_.Finiti().size(), 1u);
  ASSERT_FALSE(visti.empty());
  std::vector<std::string> conteggi;
  for (const Visto& v : visti) {
    EXPECT_TRUE(v.occupato);
    if (!v.stato.empty() && (conteggi.empty() || conteggi.back() != v.stato)) conteggi.push_back(v.stato);
  }
  std::vector<std::string> attesi;
  for (int n = 1; n <= 7; ++n) attesi.push_back("Pagine inviate: " + std::to_string(n) + " di 7");
  EXPECT_EQ(conteggi, attesi);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(visore_.lblStato()->isVisible());

  // Two copies collated are fourteen pages sent; a host's status line takes
  // the count in place of the control's.
  std::vector<std::string> host;
  visore_.Stato_Stampa = [&](const std::string& t) { host.push_back(t); };
  prova::File_Scrivi(ini_, prova::Righe_CRLF("[Stampante]\nNome=Laser\nCopie=2\nFascicola=1"));
  visti.clear();
  visore_.Pulsante(T_Stampa)->click();
  ASSERT_EQ(host.size(), 15u);
  EXPECT_EQ(host[13], "Pagine inviate: 14 di 14");
  EXPECT_EQ(host.back(), "");
  EXPECT_FALSE(visore_.lblStato()->isVisible());
  visore_.Stato_Stampa = nullptr;

  // A short job is not counted; a failed one gives its box with the normal
  // pointer and leaves neither the busy pointer nor a count behind.
  prova::File_Scrivi(ini_, prova::Righe_CRLF("[Stampante]\nNome=Laser"));
  ASSERT_TRUE(visore_.Immagine_Carica(dir_ / "X_00005.TIF"));
  visti.clear();
  visore_.Pulsante(T_Stampa)->click();
  EXPECT_EQ(dispositivo_.lavori.back().pagine.size(), 3u);
  ASSERT_FALSE(visti.empty());
  for (const Visto& v : visti) EXPECT_EQ(v.stato, "");
  dispositivo_.fallisce_disegno = true;
  visore_.Pulsante(T_Stampa)->click();
  ASSERT_FALSE(messaggi_.boxes.empty());
  EXPECT_EQ(messaggi_.boxes.back().testo, "Errore generico in stampa");
  EXPECT_FALSE(messaggi_.occupato.back());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(visore_.lblStato()->isVisible());
}

}  // namespace
