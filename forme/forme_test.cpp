// Every window of every program, offscreen, at the default font and at a
// font a quarter larger, under each of Qt's own styles: no control covers
// another and every text is shown whole (qod/ui/geometria_prova.h). Each
// window is filled as a user meets it (a search form with every kind of
// key, a page in the viewer, a strip in the font editor) and kept as a
// screenshot named after the case.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archivio_client.h"
#include "config/app/frm_impostazioni.h"
#include "frm_client.h"
#include "programma_client.h"
#include "qod/basic.h"
#include "qod/cripto.h"
#include "qod/config/editor_impostazioni.h"
#include "qod/host_simulato.h"
#include "qod/imaging/file.h"
#include "qod/imaging/immagine.h"
#include "qod/printing/registrato.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "qod/server/pannello.h"
#include "qod/ui/geometria_prova.h"
#include "qod/ui/prova_qt.h"
#include "qod/viewer/frm_stampa.h"
#include "qod/viewer/proprieta_stampante.h"
#include "qod/viewer/qod_imv.h"
#include "server/app/frm_base.h"
#include "server/app/frm_vis.h"
#include "supporto_qt.h"
#include "testers/img_tst/frm_help.h"
#include "testers/img_tst/frm_out.h"
#include "testers/img_tst/frm_parm.h"
#include "testers/img_tst/frm_txt.h"
#include "testers/pdf_tst/frm_base.h"
#include "tools/fnt/frm_font.h"
#include "tools/tbl/frm_tabelle.h"

using namespace qod;
using namespace qod::prova;
namespace fs = std::filesystem;

namespace {

constexpr const char* kRelease = "1.0.0   10.12.2026";

// One case: its name, the style, the font's scale in percent.
struct Condizioni {
  std::string forma, stile;
  int scala = 100;
  std::string Nome() const { return forma + "_" + stile + "_" + std::to_string(scala); }
};

// What a case does with a window it has shown.
using Esame = std::function<void(QWidget& finestra, const std::string& quale)>;

// A page image: a 1-bit TIFF page with some black on it.
void Pagina_Tif(const fs::path& file) {
  img::Immagine i;
  ASSERT_TRUE(i.Crea(864, 1072, 1));
  i.Riempi(img::Bianco);
  i.Riempi(100, 100, 600, 40, img::Nero);
  ASSERT_TRUE(img::Salva(i, file.string(), {0, false, "EXTENSION = TIF"}));
}

// ---- The windows ---------------------------------------------------------------------------

void Qod_S_Pannello(const Esame& esame, const fs::path&) {
  Pannello p;
  p.Release_Imposta(kRelease);
  p.Client_Imposta("Collegato a HOST400 come QSYS");
  for (int r = 0; r < Pannello::kRighe; ++r) p.Valore_Imposta(r, "valore " + std::to_string(r));
  FrmBase f(p, [] {});
  f.show();
  esame(f, "");
}

void Qod_S_Visualizza(const Esame& esame, const fs::path& dir) {
  Pagina_Tif(dir / "P_00001.TIF");
  RecordingMessageSink messaggi;
  FrmVis f("Quillon Server 1", messaggi, [] {});
  f.resize(640, 480);
  f.Carica((dir / "P_00001.TIF").string(), false, (dir / "Qod_S.INI").string());
  esame(f, "");
}

void Viewer_Stampa(const Esame& esame, const fs::path& dir) {
  Pagina_Tif(dir / "P_00001.TIF");
  Pagina_Tif(dir / "P_00002.TIF");
  stampa::Dispositivo_Registrato d;
  d.stampanti["Laser di ufficio al primo piano"] = {};
  d.stampanti["Ufficio"] = {};
  d.predefinita = "Ufficio";
  RecordingMessageSink messaggi;
  imv::Stampa_Visore stampa(imv::Servizi_Stampa{&d, &messaggi, [] {}, {}});
  imv::Qod_IMV visore;
  visore.qodimv_FileINI((dir / "Qod_C.INI").string());
  visore.qodimv_Paragrafo("Stampante");
  stampa.Collega(visore);
  visore.resize(600, 400);
  visore.show();
  Quando_Aperto<imv::FrmStampa>([&](imv::FrmStampa& f) { esame(f, ""); });
  visore.Immagine_Set_Stampa((dir / "P_00001.TIF").string());
}

void Viewer_Proprieta(const Esame& esame, const fs::path&) {
  imv::FrmProprieta f("Laser", {{"media", {"iso_a4_210x297mm", "iso_a5_148x210mm", "na_letter_8.5x11in"}, "iso_a4_210x297mm"},
                                {"media-source", {"auto", "tray-1", "manual"}, "auto"},
                                {"printer-resolution", {"300dpi", "600dpi"}, "600dpi"},
                                {"print-color-mode", {"color", "monochrome"}, "monochrome"},
                                {"sides", {"one-sided", "two-sided-long-edge", "two-sided-short-edge"}, "one-sided"}});
  f.show();
  esame(f, "");
}

void Editor_Impostazioni_Di(const Modulo_Impostazioni& modulo, const std::string& file, const Esame& esame,
                            const fs::path& dir) {
  fs::copy_file(fs::path(QOD_DATI_EDITORI) / file, dir / file);
  RecordingMessageSink messaggi;
  Editor_Avviato e = Editor_Avvia(modulo, dir.string() + "/", "", messaggi);
  ASSERT_TRUE(e.finestra);
  e.finestra->show();
  esame(*e.finestra, "");
}

void Qod_S_INI(const Esame& esame, const fs::path& dir) {
  Editor_Impostazioni_Di(kEditor_Server, "Qod_S.INI", esame, dir);
}
void Qod_C_INI(const Esame& esame, const fs::path& dir) {
  Editor_Impostazioni_Di(kEditor_Client, "Qod_C.INI", esame, dir);
}

struct Dialoghi_Font_Nessuno : Dialoghi_Font {
  std::string Apri_File(const std::string&) override { return ""; }
  std::string Salva_File(const std::string&, const std::string&) override { return ""; }
  std::optional<img::Colore> Scegli_Colore(img::Colore) override { return std::nullopt; }
  bool Scegli_Font(Impostazioni_Font&) override { return false; }
};

void ZuFNT(const Esame& esame, const fs::path&) {
  Editor_Font editor;
  RecordingMessageSink messaggi;
  Dialoghi_Font_Nessuno dialoghi;
  FrmFont f(editor, messaggi, dialoghi, kRelease);
  f.show();
  // The two dialogs are modal; here they are shown, looked at and closed.
  Modali_Attese attese;
  // With a strip: the cell previews and the editor box.
  f.Mostra_Modale = [](QDialog& d) { QTest::mouseClick(dynamic_cast<FrmNuovo&>(d).cmdNuovo(), Qt::LeftButton); };
  f.Azione("Nuovo")->trigger();
  esame(f, "");
  FrmNuovo n(f, editor, dialoghi);
  n.show();
  esame(n, "nuovo");
  FrmGenera g(f, editor, dialoghi);
  g.show();
  esame(g, "genera");
}

void ZuTBL(const Esame& esame, const fs::path& dir) {
  Editor_Tabelle editor;
  editor.Standard(dir.string() + "/");
  RecordingMessageSink messaggi;
  FrmTabelle f(editor, messaggi, kRelease);
  f.show();
  esame(f, "");
}

struct Dialoghi_Img_Nessuno : testers::Dialoghi {
  std::string Scegli_File(const std::string&) override { return ""; }
  std::optional<int32_t> Scegli_Colore(int32_t) override { return std::nullopt; }
};

void Qod_IMG_TST(const Esame& esame, const fs::path& dir) {
  testers::prova_qt::Cartella_Test(dir);
  Dialoghi_Img_Nessuno dialoghi;
  testers::FrmParm f(dialoghi, dir.string());
  f.show();
  esame(f, "");
  testers::FrmOut* out = f.frmOut();
  out->Pulizia("Immagine 1          " + (dir / "TEST" / "_LOGO1.TIF").string());
  out->Carica();
  esame(*out, "out");
  f.frmHelp()->show();
  esame(*f.frmHelp(), "help");
  QTest::mouseClick(f.txt_Modifica, Qt::LeftButton);
  esame(*f.frmTxt(), "txt");
}

void Qod_PDF_TST(const Esame& esame, const fs::path& dir) {
  testers::FrmBase f(dir.string());
  f.show();
  esame(f, "");
}

// Qod_C on the stand-in host, with a search of every kind of key and long
// names, on each of its tabs.
void Qod_C(const Esame& esame, const fs::path& dir) {
  File_Scrivi(dir / "viewer.txt",
              "ORDER|14 15 16 17 18\n"
              "SEARCH|01||Ricerca completa|17141516|4213|IT01234567890|14151618\n"
              "SEARCH|02||WWWWWWWWWWWWWWWWWWWW|16|3||1416\n");
  Host_Simulato host({"--dictionary", Host_Simulato::Dizionario_Predefinito(), "--viewer",
                      (dir / "viewer.txt").string(), "--archive", (dir / "archivio").string()});
  ASSERT_TRUE(host.Avvia()) << host.Uscita();
  const fs::path programma = dir / "Qod_C";
  fs::create_directories(programma);
  ASSERT_TRUE(Host_Simulato::Scrivi_Tabella(programma / "Qod_TBL1.Tbl"));
  ASSERT_TRUE(Collegamento_Scrivi((programma / "Qod_C.INI").string(), host.Collegamento().Componi(false)));
  RecordingMessageSink messaggi;
  Tray_Finto tray;
  std::vector<int> fine;
  Opzioni_Qod_C o;
  o.cartella = programma.string() + "/";
  o.messaggi = &messaggi;
  o.tray = &tray;
  o.attese_rete = Attese_Rete{3000, 200, 1000};
  o.attese_collegamento = Attese_Collegamento{2, 1, 10};
  o.pid = 4646;
  o.attivo = [](int32_t) { return false; };
  o.fine = [&](int codice) { fine.push_back(codice); };
  Programma_Qod_C p(o);
  p.Avvia();
  ASSERT_TRUE(Attendi([&] { return p.Caricato() || !fine.empty(); }, 15000));
  ASSERT_TRUE(p.Caricato());
  FrmClient& v = *p.Vista();
  v.resize(800, 560);
  v.Base_Ridimensiona_();
  esame(v, "ricerca");
  for (int scheda : {1, 2, 3}) {
    v.Scheda_Imposta(scheda);
    ASSERT_TRUE(Attendi([&] { return !p.Archivio()->Occupato(); }));
    esame(v, std::vector<std::string>{"", "elenco", "documento", "dati"}[static_cast<size_t>(scheda)]);
  }
  v.Scheda_Imposta(0);
}

struct Forma {
  const char* nome;
  void (*prova)(const Esame&, const fs::path&);
};

const Forma kForme[] = {
    {"Qod_S", Qod_S_Pannello},     {"Qod_S_Visualizza", Qod_S_Visualizza},
    {"Imposta_Stampa", Viewer_Stampa}, {"Proprieta_Stampante", Viewer_Proprieta},
    {"Qod_C", Qod_C},              {"Qod_S_INI", Qod_S_INI},
    {"Qod_C_INI", Qod_C_INI},      {"ZuFNT", ZuFNT},
    {"ZuTBL", ZuTBL},              {"Qod_IMG_TST", Qod_IMG_TST},
    {"Qod_PDF_TST", Qod_PDF_TST},
};

// The check itself: what it finds on a window made wrong on purpose, and
// what it lets be (a frame holding a control, a hidden control).
using Geometria = Prova_Qt;

TEST_F(Geometria, FindsOverlapsAndCutTextsAndLetsFramesHold) {
  QWidget w;
  w.resize(400, 200);
  auto* a = new QPushButton("Uno", &w);
  a->setGeometry(10, 10, 80, 30);
  auto* b = new QPushButton("Due", &w);
  b->setGeometry(60, 20, 80, 30);  // over "Uno"
  auto* corta = new QLabel("un testo troppo lungo", &w);
  corta->setGeometry(10, 60, 30, 20);
  auto* cornice = new QGroupBox("Cornice", &w);
  cornice->setGeometry(200, 10, 180, 120);
  auto* dentro = new QLabel("dentro", &w);  // a sibling drawn inside the frame
  dentro->setGeometry(220, 40, 100, 20);
  auto* nascosta = new QLabel("nascosta", &w);
  nascosta->setGeometry(10, 10, 80, 30);
  nascosta->hide();
  auto* lista = new QComboBox(&w);
  lista->addItems({"breve", "una voce molto molto lunga"});
  lista->setGeometry(10, 100, 90, 24);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  const std::vector<std::string> d = Difetti_Geometria(w);
  ASSERT_EQ(d.size(), 3u) << ::testing::PrintToString(d);
  EXPECT_NE(d[0].find("\"Uno\"") , std::string::npos) << d[0];
  EXPECT_NE(d[0].find("overlaps QPushButton \"Due\""), std::string::npos) << d[0];
  const std::string resto = d[1] + "\n" + d[2];
  EXPECT_NE(resto.find("\"un testo troppo lungo\": its text needs"), std::string::npos) << resto;
  EXPECT_NE(resto.find("entry \"una voce molto molto lunga\""), std::string::npos) << resto;
}

class Forme : public Prova_Qt, public ::testing::WithParamInterface<std::tuple<int, const char*, int>> {
 protected:
  static void SetUpTestSuite() {
    Applicazione();
    Font_Base() = QApplication::font();
    Stile_Base() = QApplication::style()->name();
  }
  static QFont& Font_Base() {
    static QFont f;
    return f;
  }
  static QString& Stile_Base() {
    static QString s;
    return s;
  }

  void SetUp() override {
    const auto& [forma, stile, scala] = GetParam();
    c_ = {kForme[forma].nome, stile, scala};
    QApplication::setStyle(QStyleFactory::create(QString::fromLatin1(stile)));
    QFont f = Font_Base();
    f.setPointSizeF(f.pointSizeF() * scala / 100.0);
    QApplication::setFont(f);
  }
  void TearDown() override {
    QApplication::setFont(Font_Base());
    QApplication::setStyle(QStyleFactory::create(Stile_Base()));
  }

  Condizioni c_;
  Cartella_Prova dir_{"forme"};
};

TEST_P(Forme, EveryControlFreeAndEveryTextWhole) {
  int esami = 0;
  const Esame esame = [&](QWidget& finestra, const std::string& quale) {
    ++esami;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&finestra));
    QApplication::processEvents();
    const std::string nome = quale.empty() ? c_.Nome() : c_.forma + "_" + quale + "_" + c_.stile + "_" +
                                                              std::to_string(c_.scala);
    Schermata(finestra, "forme_" + nome);
    for (const std::string& d : Difetti_Geometria(finestra)) ADD_FAILURE() << nome << ": " << d;
  };
  kForme[std::get<0>(GetParam())].prova(esame, dir_.Dir());
  EXPECT_GT(esami, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Tutte, Forme,
    ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kForme))), ::testing::Values("Fusion", "Windows"),
                       ::testing::Values(100, 125)),
    [](const ::testing::TestParamInfo<Forme::ParamType>& i) {
      return std::string(kForme[std::get<0>(i.param)].nome) + "_" + std::get<1>(i.param) + "_" +
             std::to_string(std::get<2>(i.param));
    });

}  // namespace
