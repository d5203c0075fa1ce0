// The archive viewer's window over the stand-in host's archive store,
// offscreen: when the list tab searches, how many rows a load asks for and
// when scrolling asks for more, what the toolbar keys and the list's clicks
// do with the rows selected, that window events during an exchange start
// nothing, and under which definition the list's column widths are kept.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>

#include <cmath>
#include <filesystem>
#include <memory>

#include "archivio_client.h"
#include "frm_client.h"
#include "programma_client.h"
#include "qod/basic.h"
#include "qod/cripto.h"
#include "qod/host_simulato.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "qod/printing/registrato.h"
#include "qod/ui/geometria_prova.h"
#include "qod/ui/prova_qt.h"
#include "qod/viewer/frm_stampa.h"
#include "qod/viewer/qod_imv.h"

using namespace qod;
using namespace qod::prova;
namespace fs = std::filesystem;

namespace {

// Definitions over the stand-in's dictionary: 14 invoice number (N 8),
// 16 customer (A 30), 18 amount (N 12).
constexpr const char* kDefinizioni =
    "ORDER|14 16 18\n"
    "SEARCH|01||Per fattura|14|1||1416\n"
    "SEARCH|02||Per cliente|16|3||161418\n"
    "SEARCH|03||Tutte||||14\n";

constexpr int kDocumenti = 40;

class Finestra_Archivio : public Prova_Qt {
 protected:

  void SetUp() override {
    File_Scrivi(dir_.Dir() / "viewer.txt", kDefinizioni);
    host_ = std::make_unique<Host_Simulato>(std::vector<std::string>{
        "--dictionary", Host_Simulato::Dizionario_Predefinito(), "--viewer", (dir_.Dir() / "viewer.txt").string(),
        "--archive", (dir_.Dir() / "archivio").string()});
    ASSERT_TRUE(host_->Avvia()) << host_->Uscita();
    for (int id = 1; id <= kDocumenti; ++id) Documento(id);
    fs::create_directories(programma_);
    ASSERT_TRUE(Host_Simulato::Scrivi_Tabella(programma_ / "Qod_TBL1.Tbl"));
    ASSERT_TRUE(Collegamento_Scrivi(Ini(), host_->Collegamento().Componi(false)));
  }

  // A closed document of one image page: invoice number `id`, customer
  // "CLIENTE nn".
  void Documento(int id) const {
    const fs::path d = dir_.Dir() / "archivio" / Format(id, "0000000000");
    fs::create_directories(d / "chunk");
    std::string indice = "U" + Space(10) + "00001" + Space(93) + "7  ";
    indice += Format(id, "00000000") + "20150131" + Testo_Largo("CLIENTE " + Format(id, "00"), 30) +
              "00001234567" + "000000000099";
    File_Scrivi(d / "indice.txt", indice);
    File_Scrivi(d / "stato.txt", "chiuso\n");
    File_Scrivi(d / "chunk" / "1_00001_00001.bin", Pagina_Png());
  }

  static std::string Pagina_Png() {
    QImage i(120, 160, QImage::Format_RGB32);
    i.fill(Qt::white);
    QByteArray b;
    QBuffer buf(&b);
    buf.open(QIODevice::WriteOnly);
    i.save(&buf, "PNG");
    return b.toStdString();
  }

  void Avvia(QSize dimensione = QSize(600, 300)) {
    Opzioni_Qod_C o;
    o.cartella = programma_.string() + "/";
    o.messaggi = &messaggi_;
    o.tray = &tray_;
    o.attese_rete = Attese_Rete{3000, 200, 1000};
    o.attese_collegamento = Attese_Collegamento{2, 1, 10};
    o.pid = 4545;
    o.attivo = [](int32_t) { return false; };
    o.fine = [this](int codice) { fine_.push_back(codice); };
    p_ = std::make_unique<Programma_Qod_C>(o);
    p_->Avvia();
    ASSERT_TRUE(Attendi([this] { return p_->Caricato() || !fine_.empty(); }, 15000));
    ASSERT_TRUE(p_->Caricato());
    V().resize(dimensione);
    V().Base_Ridimensiona_();
    // The viewer's printing, recorded.
    imv::Azioni_Visore& a = A().Qod_IMV1()->Azioni();
    a.Stampa = [this](imv::Qod_IMV&, const std::string& f) {
      stampati_.push_back(fs::path(f).filename().string());
      return true;
    };
    a.Set_Stampa = [this](imv::Qod_IMV&, const std::string& f) {
      impostati_.push_back(f.empty() ? "" : fs::path(f).filename().string());
      return true;
    };
  }

  std::vector<std::string> Di(char lettera) const { return host_->Richieste(lettera); }
  // The document keys asked for with "K", as numbers.
  std::vector<int> Chiesti() const {
    std::vector<int> r;
    for (const auto& k : Di('K')) r.push_back(static_cast<int>(Val(k.substr(6, 10))));
    return r;
  }

  // Selects rows `da`..`a` (from 0) as a drag from `da` would.
  void Seleziona(int da, int a) {
    QTableWidget* g = A().Grid1();
    g->clearSelection();
    g->setCurrentCell(da, 3, QItemSelectionModel::NoUpdate);
    g->setRangeSelected(QTableWidgetSelectionRange(std::min(da, a), 0, std::max(da, a), g->columnCount() - 1), true);
  }
  void Tasto(const char* chiave) { V().Tasto(chiave)->trigger(); }
  void Scheda(int n) { V().Schede()->setCurrentIndex(n); }
  void Clic(Qt::MouseButton b, int riga) {
    QTableWidget* g = A().Grid1();
    const QPoint p(g->columnViewportPosition(3) + 5, g->rowViewportPosition(riga) + 5);
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), g->viewport()->mapToGlobal(QPointF(p)), b, b,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(g->viewport(), &e);
  }
  std::string Ini() const { return (programma_ / "Qod_C.INI").string(); }
  FrmClient& V() { return *p_->Vista(); }
  Archivio_Client& A() { return *p_->Archivio(); }
  int Righe() { return A().Grid1()->rowCount(); }

  Cartella_Prova dir_{"archivio_client"};
  const fs::path programma_ = dir_.Dir() / "Qod_C";
  std::unique_ptr<Host_Simulato> host_;
  // The boxes, and whether each came up under a busy pointer.
  Messaggi_Puntatore messaggi_;
  Tray_Finto tray_;
  std::vector<int> fine_;
  std::vector<std::string> stampati_, impostati_;
  std::unique_ptr<Programma_Qod_C> p_;
};

}  // namespace

TEST_F(Finestra_Archivio, TheListTabSearchesAndLoadsTwoPagesAheadOfItsTopRow) {
  ASSERT_NO_FATAL_FAILURE(Avvia());
  // Definition 1 is chosen at start: invoices from number 0 on, all forty.
  EXPECT_TRUE(Di('Q').empty());
  Scheda(1);
  ASSERT_EQ(Di('Q').size(), 1u);
  // A page is as many rows as fit under the header in the list's height.
  const QTableWidget* g = A().Grid1();
  const int riga = g->verticalHeader()->defaultSectionSize();
  const int pagina = static_cast<int>(std::nearbyint(static_cast<double>(g->height() - riga) / riga));
  ASSERT_GT(pagina, 1);
  ASSERT_LT(4 * pagina, kDocumenti + 2 * pagina);  // the second load reaches the end of the store
  EXPECT_EQ(A().Ricerca().Elenco().Elenco_Pagina, pagina);
  EXPECT_EQ(Righe(), 2 * pagina);
  EXPECT_EQ(Di('L').size(), static_cast<size_t>(2 * pagina));
  EXPECT_EQ(g->item(0, 3)->text(), "1");
  EXPECT_EQ(g->item(0, 4)->text().trimmed(), "CLIENTE 01");

  // Away to the data tab and back: the same list; to the search tab and back: searched again.
  Scheda(3);
  Scheda(1);
  EXPECT_EQ(Di('Q').size(), 1u);
  Scheda(0);
  Scheda(1);
  EXPECT_EQ(Di('Q').size(), 2u);
  EXPECT_EQ(Righe(), 2 * pagina);
  // A taller window: searched again, with pages of the new height.
  V().resize(V().width(), V().height() + 5 * riga);
  V().Base_Ridimensiona_();
  EXPECT_EQ(Di('Q').size(), 3u);
  EXPECT_GT(A().Ricerca().Elenco().Elenco_Pagina, pagina);
  V().resize(V().width(), V().height() - 5 * riga);
  V().Base_Ridimensiona_();
  ASSERT_EQ(Di('Q').size(), 4u);
  ASSERT_EQ(A().Ricerca().Elenco().Elenco_Pagina, pagina);

  // Scrolling: no load while two pages lie under the top row, then the next
  // two pages, then the refusal after the last document ends the loading.
  const size_t l = Di('L').size();
  A().Grid1()->verticalScrollBar()->setValue(0);
  EXPECT_EQ(Di('L').size(), l);
  A().Grid1()->verticalScrollBar()->setValue(1);
  const int attese = std::min(4 * pagina, kDocumenti);
  EXPECT_EQ(Righe(), attese);
  A().Grid1()->verticalScrollBar()->setValue(A().Grid1()->verticalScrollBar()->maximum());
  EXPECT_EQ(Righe(), kDocumenti);
  const size_t fine = Di('L').size();
  EXPECT_EQ(fine, l + kDocumenti - 2 * pagina + 1);  // the last one refused
  A().Grid1()->verticalScrollBar()->setValue(0);
  A().Grid1()->verticalScrollBar()->setValue(A().Grid1()->verticalScrollBar()->maximum());
  EXPECT_EQ(Di('L').size(), fine);
  EXPECT_TRUE(messaggi_.boxes.empty()) << messaggi_.boxes[0].testo;
  EXPECT_EQ(Trim(A().Grid1()->item(kDocumenti - 1, 0)->text().toStdString()), Format(kDocumenti, "0000000000"));
}

TEST_F(Finestra_Archivio, TheSelectionDecidesWhatTheKeysAndClicksDo) {
  ASSERT_NO_FATAL_FAILURE(Avvia());
  Scheda(1);
  ASSERT_GE(Righe(), 6);

  // Several rows: "Visualizza" and a right click do nothing; "Set_Stampa"
  // opens the print settings for no document.
  Seleziona(4, 2);
  Tasto("Visualizza");
  Clic(Qt::RightButton, 1);
  Tasto("Set_Stampa");
  EXPECT_TRUE(Chiesti().empty());
  EXPECT_EQ(impostati_, std::vector<std::string>{""});

  // One row: "Set_Stampa" over its document; a middle click shows the row under the pointer.
  Scheda(1);
  Seleziona(1, 1);
  Tasto("Set_Stampa");
  EXPECT_EQ(Chiesti(), std::vector<int>{2});
  EXPECT_EQ(impostati_.back(), "00001_I_00001_00001.PNG");
  Scheda(1);
  Seleziona(1, 1);
  Clic(Qt::MiddleButton, 3);
  EXPECT_EQ(Chiesti(), (std::vector<int>{2, 4}));
  EXPECT_EQ(V().Scheda(), 2);
  EXPECT_EQ(A().Qod_IMV1()->lblPag1()->text(), "1/1");
  EXPECT_EQ(A().Grid3()->item(1, 1)->text().trimmed(), "CLIENTE 04");
  EXPECT_EQ(A().Grid3()->item(2, 1)->text(), "99");

  // One row printed only on Yes, with its own question.
  Scheda(1);
  Seleziona(0, 0);
  messaggi_.risposte = {vbNo};
  Tasto("Stampa");
  EXPECT_EQ(messaggi_.boxes.back().testo, "Confermi la stampa\rdel documento selezionato ?");
  EXPECT_EQ(Chiesti().size(), 2u);

  // Rows 6 back to 4, the fifth gone from the store: the others still print, in order.
  fs::remove_all(dir_.Dir() / "archivio" / Format(5, "0000000000"));
  stampati_.clear();
  const size_t box = messaggi_.boxes.size();
  Seleziona(5, 3);
  Tasto("Stampa");
  ASSERT_EQ(messaggi_.boxes.size(), box + 2);
  EXPECT_EQ(messaggi_.boxes[box].testo, "Confermi la stampa\rdi 3 documenti selezionati ?");
  EXPECT_EQ(messaggi_.boxes[box + 1].testo, "[Spool_Presenta] Errore Esito {K}");
  EXPECT_EQ(Chiesti(), (std::vector<int>{2, 4, 4, 5, 6}));
  EXPECT_EQ(stampati_, (std::vector<std::string>{"00001_I_00001_00001.PNG", "00001_I_00001_00001.PNG"}));
}

// Printing rows keeps the pointer busy from the first fetch to the last
// page sent and names in the window's status line the document on its way;
// the count of a long document's pages follows it there (the viewer's
// printing reports it). All is gone at the end; a box in between has the
// normal pointer. The status line fits beside the tabs and the version.
TEST_F(Finestra_Archivio, PrintingRowsShowsTheBusyPointerAndTheDocumentOnItsWay) {
  ASSERT_NO_FATAL_FAILURE(Avvia(QSize(640, 320)));
  stampa::Dispositivo_Registrato d;
  d.stampanti["Laser"] = {};
  d.predefinita = "Laser";
  struct Visto {
    bool occupato;
    std::string stato;
  };
  std::vector<Visto> visti;
  bool controllata = false;
  imv::Stampa_Visore stampa(imv::Servizi_Stampa{&d, nullptr, [&] {
                                                  const QCursor* c = QApplication::overrideCursor();
                                                  visti.push_back({c && c->shape() == Qt::WaitCursor,
                                                                   V().Stato()->isVisible()
                                                                       ? V().Stato()->text().toStdString()
                                                                       : ""});
                                                  if (!controllata) {
                                                    controllata = true;
                                                    Schermata(V(), "qod_c_stampa_in_corso");
                                                    for (const std::string& f : Difetti_Geometria(V()))
                                                      ADD_FAILURE() << f;
                                                  }
                                                  QCoreApplication::processEvents();
                                                },
                                                {}});
  stampa.Collega(*A().Qod_IMV1());
  Scheda(1);
  Seleziona(2, 4);
  Tasto("Stampa");
  EXPECT_EQ(d.Finiti().size(), 3u);
  std::vector<std::string> stati;
  for (const Visto& v : visti) {
    EXPECT_TRUE(v.occupato) << v.stato;
    if (stati.empty() || stati.back() != v.stato) stati.push_back(v.stato);
  }
  EXPECT_EQ(stati, (std::vector<std::string>{"Stampa documento 1 di 3", "Stampa documento 2 di 3",
                                             "Stampa documento 3 di 3"}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(V().Stato()->isVisible());

  // A long document's pages after its name; a document gone from the store
  // gives its box with the normal pointer.
  A().Qod_IMV1()->Stato_Stampa_Mostra("Pagine inviate: 3 di 9");
  EXPECT_EQ(V().Stato()->text(), "Pagine inviate: 3 di 9");
  A().Qod_IMV1()->Stato_Stampa_Mostra("");
  EXPECT_FALSE(V().Stato()->isVisible());
  fs::remove_all(dir_.Dir() / "archivio" / Format(5, "0000000000"));
  const size_t box = messaggi_.boxes.size();
  Seleziona(4, 4);
  Tasto("Stampa");
  ASSERT_EQ(messaggi_.boxes.size(), box + 2);
  EXPECT_EQ(messaggi_.boxes[box + 1].testo, "[Spool_Presenta] Errore Esito {K}");
  EXPECT_FALSE(messaggi_.occupato[box + 1]);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Finestra_Archivio, WindowEventsWhileTheHostIsAskedStartNothing) {
  ASSERT_NO_FATAL_FAILURE(Avvia());
  Scheda(1);
  const size_t q = Di('Q').size(), l = Di('L').size(), t = Di('T').size();
  // Queued events that the fetch's waits let run: another search, a tab
  // change that would search, another definition chosen, a print, a double
  // click on another row, a scroll to the end.
  bool eseguiti = false;
  QTimer::singleShot(0, [&] {
    V().Ricerche()->setCurrentIndex(V().Ricerche()->findData(3));
    Tasto("Aggiorna");
    Scheda(0);
    Scheda(1);
    Seleziona(2, 4);
    Tasto("Stampa");
    A().Grid1_DblClick(3);
    A().Grid1()->verticalScrollBar()->setValue(A().Grid1()->verticalScrollBar()->maximum());
    eseguiti = true;
  });
  Seleziona(0, 0);
  A().Grid1_DblClick(0);
  EXPECT_TRUE(eseguiti);
  EXPECT_EQ(Chiesti(), std::vector<int>{1});
  // The choice waited: no definition read, the list of searches names the form shown.
  EXPECT_EQ(Di('T').size(), t);
  EXPECT_EQ(V().Ricerche()->currentData().toInt(), 1);
  EXPECT_EQ(A().Ricerca().Modello().Ricerca_Scelta, "01");
  EXPECT_EQ(Di('Q').size(), q);
  EXPECT_EQ(Di('L').size(), l);
  EXPECT_TRUE(messaggi_.boxes.empty()) << messaggi_.boxes[0].testo;
  EXPECT_TRUE(stampati_.empty());
  EXPECT_EQ(V().Scheda(), 2);
}

TEST_F(Finestra_Archivio, ColumnWidthsStayWithTheDefinitionTheListShows) {
  ASSERT_TRUE(Profilo_Scrivi(Ini(), "Elenco 02", "01", "3000"));
  ASSERT_NO_FATAL_FAILURE(Avvia());
  QComboBox* c = V().Ricerche();
  QTableWidget* g = A().Grid1();
  // Definition 2 read with its kept width of the first column, the others at 1500 twips.
  c->setCurrentIndex(c->findData(2));
  EXPECT_EQ(g->columnWidth(3), 200);
  EXPECT_EQ(g->columnWidth(4), 100);
  A().txtDa(1)->setText("CLIENTE 07");
  Scheda(1);
  ASSERT_EQ(Righe(), 1);
  g->setColumnWidth(4, 150);
  // Definition 1 chosen: the widths of definition 2 are kept.
  c->setCurrentIndex(c->findData(1));
  EXPECT_EQ(Profilo_Leggi(Ini(), "Elenco 02", "02", "?", 378), "2250");
  // Definition 1's columns widened without a search of it: they go under
  // its own section, not under the definition last searched.
  g->setColumnWidth(3, 120);
  c->setCurrentIndex(c->findData(3));
  EXPECT_EQ(Profilo_Leggi(Ini(), "Elenco 01", "01", "?", 378), "1800");
  EXPECT_EQ(Profilo_Leggi(Ini(), "Elenco 02", "01", "?", 378), "3000");
  c->setCurrentIndex(c->findData(1));
  EXPECT_EQ(g->columnWidth(3), 120);
  // At exit, after the window's place: the zoom and the list's widths.
  A().Qod_IMV1()->qodimv_zoom("Larghezza");
  g->setColumnWidth(3, 90);
  V().close();
  ASSERT_EQ(fine_, std::vector<int>{0});
  EXPECT_EQ(Profilo_Leggi(Ini(), "Elenco 01", "01", "?", 378), "1350");
  EXPECT_EQ(Profilo_Leggi(Ini(), "Visualizza", "Zoom", "?", 378), "Larghezza");
  EXPECT_EQ(Profilo_Leggi(Ini(), "Dimensioni", "Width", "?", 378), "9000");
}
