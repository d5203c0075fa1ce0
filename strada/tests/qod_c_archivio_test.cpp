// The archive viewer used as a user would, offscreen, on documents the
// server archived into the stand-in host's store: the sample invoices as
// page images (two documents) and a statement as text (three documents, the
// first of three pages). The user picks a search, types criteria (a bad one
// is marked and nothing is sent), gets the list, opens a row in the viewer,
// looks at the data grid, prints rows 5 back to 3 on a printer busy with
// another job, and leaves: the window's settings are kept.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTableWidget>

#include <filesystem>
#include <fstream>

#include "archivio_client.h"
#include "frm_client.h"
#include "programma_client.h"
#include "qod/basic.h"
#include "qod/cripto.h"
#include "qod/imagegen/qod_img.h"
#include "qod/imaging/file.h"
#include "qod/imaging/qimage.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/printing/cups_privato.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "qod/server/archivia.h"
#include "qod/ui/prova_qt.h"
#include "qod/viewer/qod_imv.h"
#include "stessi_pixel.h"
#include "strada_simulata.h"

using namespace qod;
using namespace qod::test;
using qod::prova::File_Leggi;
namespace fs = std::filesystem;

namespace {

// A search by the document key (a range) and the invoice date (from),
// listing the document key, the customer, the pages and the image type.
constexpr const char* kRicerca_Documento = "SEARCH|06||Per documento|0515|21||05160311\n";

class Qod_C_Archivio : public prova::Prova_Qt {
 protected:
  void SetUp() override { ASSERT_TRUE(cups_.Avviato()) << cups_.Errore(); }

  int Pagine_Pdf(const fs::path& pdf) const {
    const std::string info = prova::Comando("pdfinfo '" + pdf.string() + "'");
    const auto p = info.find("Pages:");
    return p == std::string::npos ? -1 : std::stoi(info.substr(p + 6));
  }

  // The statement of the samples with its first customer on three pages,
  // archived as text and handed to nobody.
  void Estratto(const std::string& nome) {
    const fs::path da = fs::path(QOD_CODA_ESEMPI) / "0002_ESTRATTO", d = strada_.coda / nome;
    fs::create_directories(d);
    fs::copy_file(da / "definizioni.txt", d / "definizioni.txt");
    std::string attributi;
    for (const std::string& riga : Dividi(File_Leggi(da / "attributi.txt"), '\n'))
      if (riga.rfind("consegna", 0) != 0) attributi += riga + "\n";
    prova::File_Scrivi(d / "attributi.txt", attributi + "archivia = S\nrecord_grezzo = T\n");
    std::vector<std::string> pagine = Dividi(File_Leggi(da / "dati.txt"), "<FF>\n");
    std::string terza = pagine.at(1);
    terza.replace(terza.find("Pagina 2"), 8, "Pagina 3");
    pagine.insert(pagine.begin() + 2, terza);
    std::string dati;
    for (const auto& p : pagine)
      if (!p.empty()) dati += p + "<FF>\n";
    prova::File_Scrivi(d / "dati.txt", dati);
  }

  void Fatture(const std::string& nome) {
    const fs::path d = strada_.coda / nome;
    fs::copy(fs::path(QOD_CODA_ESEMPI) / "0001_FATTURE", d, fs::copy_options::recursive);
    std::ofstream(d / "attributi.txt", std::ios::app) << "archivia = S\n";
  }

  static std::vector<std::string> Dividi(const std::string& s, const std::string& sep) {
    std::vector<std::string> r;
    size_t a = 0;
    for (size_t b; (b = s.find(sep, a)) != std::string::npos; a = b + sep.size()) r.push_back(s.substr(a, b - a));
    r.push_back(s.substr(a));
    return r;
  }
  static std::vector<std::string> Dividi(const std::string& s, char sep) { return Dividi(s, std::string(1, sep)); }

  // The server archives both spool files; its copy-1 image of the
  // statement's first page is kept.
  void Archivia() {
    Fatture("0001_IMMAGINI");
    Estratto("0002_TESTO");
    const fs::path viewer = dir_.Dir() / "viewer.txt";
    prova::File_Scrivi(viewer, File_Leggi(QOD_VIEWER_FIXTURE) + kRicerca_Documento);
    ASSERT_TRUE(strada_.Avvia({"--viewer", viewer.string()}));
    Server_Base& base = strada_.base;
    std::string errore;
    ASSERT_TRUE(Scrivi_Striscia_Font(base.Percorso_Fnt + "cour20.bmp", Opzioni_Striscia{}, &errore)) << errore;
    Fasi_Spool fasi;
    fasi.Immagini = &generatore_;
    fasi.Archivia = &archivia_;
    ASSERT_TRUE(strada_.Collega(fasi));
    strada_.pannello.Interruttore_Imposta(Pannello::Riga_Archivia, true);
    for (int run = 0; run < 2; ++run) {
      ASSERT_TRUE(strada_.server->Spool_Get()) << File_Leggi(base.File_LOG);
      ASSERT_FALSE(strada_.server->Stato().Errore_Spool) << File_Leggi(base.File_LOG);
    }
    fs::copy_file(base.Percorso_Tmp + "00001_I_00001_00001.TIF", dir_.Dir() / "server_testo_1.TIF");
  }

  // The viewer's program folder: the conversion table, the record naming
  // the stand-in, the font strip the statement names.
  void Cartella_Client() {
    fs::create_directories(programma_ / "Fnt");
    ASSERT_TRUE(prova::Host_Simulato::Scrivi_Tabella(programma_ / "Qod_TBL1.Tbl"));
    fs::copy_file(strada_.base.Percorso_Fnt + "cour20.bmp", programma_ / "Fnt" / "COUR20.BMP");
    ASSERT_TRUE(Collegamento_Scrivi(Ini(), strada_.host->Collegamento().Componi(false)));
  }

  bool Avvia() {
    Opzioni_Qod_C o;
    o.cartella = programma_.string() + "/";
    o.messaggi = &messaggi_;
    o.tray = &tray_;
    o.attese_rete = Attese_Rete{5000, 200, 2000};
    o.attese_collegamento = Attese_Collegamento{2, 1, 10};
    o.pid = 4343;
    o.attivo = [](int32_t) { return false; };
    o.fine = [this](int codice) { fine_.push_back(codice); };
    p_ = std::make_unique<Programma_Qod_C>(o);
    p_->Avvia();
    EXPECT_TRUE(prova::Attendi([this] { return p_->Caricato() || !fine_.empty(); }, 20000));
    return p_->Caricato() && fine_.empty();
  }

  std::string Ini() const { return (programma_ / "Qod_C.INI").string(); }
  FrmClient& V() { return *p_->Vista(); }
  Archivio_Client& A() { return *p_->Archivio(); }
  std::string Cella(int r, int c) { return A().Grid1()->item(r, c) ? A().Grid1()->item(r, c)->text().toStdString() : ""; }
  void Foto(const std::string& nome) { prova::Schermata(V(), nome); }

  // The printers the viewer prints on: one queue, the default.
  stampa::prova::Cups_Privato cups_;
  Strada_Simulata strada_;
  const prova::Cartella_Prova& dir_ = strada_.dir;
  const fs::path programma_ = strada_.dir.Dir() / "Qod_C";
  Qod_IMG img_server_;
  Generatore_Qod_IMG<Qod_IMG> generatore_{img_server_};
  Fase_Archivia archivia_{{strada_.base, strada_.pannello, {}}, strada_.trasporto};
  RecordingMessageSink messaggi_;
  Tray_Finto tray_;
  std::vector<int> fine_;
  std::unique_ptr<Programma_Qod_C> p_;
};

}  // namespace

TEST_F(Qod_C_Archivio, FindsShowsAndPrintsWhatTheServerArchived) {
  ASSERT_NO_FATAL_FAILURE(Archivia());
  ASSERT_NO_FATAL_FAILURE(Cartella_Client());
  // A slow printer: a job stays printing until the test releases the queue.
  ASSERT_TRUE(cups_.Coda("Laser", "", 20000)) << cups_.Errore();
  ASSERT_EQ(cups_.Comando("lpadmin -d Laser"), 0);
  ASSERT_TRUE(Avvia()) << (messaggi_.boxes.empty() ? "" : messaggi_.boxes[0].testo);
  V().resize(900, 640);
  V().Base_Ridimensiona_();

  // The search by document: a range on the key, a date from.
  QComboBox* ricerche = V().Ricerche();
  const int voce = ricerche->findText("Per documento");
  ASSERT_GE(voce, 0);
  ricerche->setCurrentIndex(voce);
  EXPECT_EQ(A().lblChiave(1)->text(), "Chiave documento");
  EXPECT_EQ(A().lblDa(1)->text(), "da");
  EXPECT_EQ(A().lblDa(9)->text(), "a");
  EXPECT_EQ(A().lblChiave(2)->text(), "Data fattura");
  EXPECT_TRUE(A().txtDa(9)->isVisibleTo(V().Pagina(0)));
  EXPECT_FALSE(A().txtDa(10)->isVisibleTo(V().Pagina(0)));
  EXPECT_EQ(A().Grid1()->columnCount(), 3 + 4);

  // A date that does not exist: its box is marked, the host hears nothing.
  // In host order letters come before digits: "C00010" and "00012345" both lie in A..99999999.
  A().txtDa(1)->setText("A");
  A().txtDa(9)->setText("99999999");
  A().txtDa(2)->setText("31/02/2026");
  const size_t prima = strada_.Record().size();
  V().Tasto("Aggiorna")->trigger();
  EXPECT_EQ(A().txtDa(2)->palette().color(QPalette::Base), Archivio_Client::Sfondo(Colore_Casella::Non_Valida));
  EXPECT_EQ(A().txtDa(1)->palette().color(QPalette::Base), Archivio_Client::Sfondo(Colore_Casella::Valida));
  EXPECT_EQ(strada_.Record().size(), prima);
  EXPECT_EQ(V().Scheda(), 0);
  Foto("qod_c_criterio_errato");

  // Put right, the list tab searches: five documents, in archive order.
  A().txtDa(2)->clear();
  V().Schede()->setCurrentIndex(1);
  ASSERT_TRUE(prova::Attendi([this] { return A().Grid1()->rowCount() == 5; }))
      << A().Grid1()->rowCount() << " rows; " << (messaggi_.boxes.empty() ? "" : messaggi_.boxes.back().testo)
      << "\n" << [this] { std::string r; for (const auto& t : strada_.Record()) if (t[0] == 'O' || t[0] == 'Q' || t[0] == 'L') r += t + "|\n"; return r; }()
      << File_Leggi(strada_.host->Cartella() / "archivio" / "0000000001" / "indice.txt") << "|\n"
      << File_Leggi(strada_.host->Cartella() / "archivio" / "0000000003" / "indice.txt") << "|\n";
  EXPECT_EQ(A().txtDa(2)->palette().color(QPalette::Base), Archivio_Client::Sfondo(Colore_Casella::Valida));
  EXPECT_EQ(strada_.host->Richieste('O'), std::vector<std::string>{"O0000206"});
  EXPECT_EQ(strada_.host->Richieste('Q').size(), 1u);
  const char* documenti[] = {"00012345", "00012346", "C00010", "C00020", "C00030"};
  const char* pagine[] = {"1", "1", "3", "1", "2"};
  for (int r = 0; r < 5; ++r) {
    EXPECT_EQ(Cella(r, 0), Format(r + 1, "0000000000"));
    EXPECT_EQ(Trim(Cella(r, 3)), documenti[r]);
    EXPECT_EQ(Cella(r, 5), pagine[r]);
    EXPECT_EQ(Cella(r, 6), r < 2 ? "A" : "T");
  }
  EXPECT_EQ(Trim(Cella(2, 4)), "Ferramenta Verdi");
  EXPECT_EQ(V().Scheda(), 1);
  Foto("qod_c_elenco");

  // The statement of three pages opened: its first page on the document tab.
  A().Grid1()->setCurrentCell(2, 3);
  A().Grid1_DblClick(2);
  ASSERT_TRUE(prova::Attendi([this] { return V().Scheda() == 2; }));
  EXPECT_TRUE(messaggi_.boxes.empty()) << messaggi_.boxes[0].testo;
  EXPECT_EQ(A().Qod_IMV1()->lblPag1()->text(), "1/3");
  EXPECT_FALSE(V().Toolbar()->isVisible());
  Foto("qod_c_documento");
  const std::string primo = (programma_ / "TmpC" / "00001_I_00001_00001.TIF").string();
  EXPECT_TRUE(Stessi_Pixel(primo, (dir_.Dir() / "server_testo_1.TIF").string()));

  // Its index fields on the data tab.
  V().Schede()->setCurrentIndex(3);
  EXPECT_EQ(A().Grid3()->item(2, 0)->text(), "Ragione sociale");
  EXPECT_EQ(A().Grid3()->item(2, 1)->text().trimmed(), "Ferramenta Verdi");
  Foto("qod_c_dati");

  // Rows 5 back to 3 printed while the printer is busy with another job:
  // one question, three documents in list order, each taken by the queue.
  const fs::path altro = dir_.Dir() / "altro.txt";
  prova::File_Scrivi(altro, "altro lavoro\n");
  ASSERT_EQ(cups_.Comando("lp -d Laser -t Altro " + altro.string()), 0);
  ASSERT_TRUE(cups_.Attendi_Stato("Laser", 4)) << cups_.Stato("Laser");
  V().Schede()->setCurrentIndex(1);
  QTableWidget* g = A().Grid1();
  g->clearSelection();
  g->setCurrentCell(4, 3);
  g->setRangeSelected(QTableWidgetSelectionRange(2, 0, 4, g->columnCount() - 1), true);
  const size_t domande = messaggi_.boxes.size();
  const size_t prima_stampa = strada_.host->Richieste('K').size();
  V().Tasto("Stampa")->trigger();
  ASSERT_EQ(messaggi_.boxes.size(), domande + 1)
      << (messaggi_.boxes.empty() ? "" : messaggi_.boxes.back().testo);
  EXPECT_EQ(messaggi_.boxes.back().testo, "Confermi la stampa\rdi 3 documenti selezionati ?");
  EXPECT_EQ(messaggi_.boxes.back().titolo, "Stampa");
  EXPECT_EQ(messaggi_.boxes.back().stile, vbYesNo | vbQuestion);
  const std::vector<std::string> k = strada_.host->Richieste('K');
  std::string chiavi;
  for (size_t i = prima_stampa; i < k.size(); ++i) chiavi += k[i].substr(6, 10) + " ";
  EXPECT_EQ(chiavi, "0000000003 0000000004 0000000005 ");
  // One job each after the other one, in that order: three pages, one, two.
  EXPECT_EQ(cups_.Stato("Laser"), 4);  // the other job still printing
  ASSERT_TRUE(cups_.Rilascia("Laser"));
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Laser"));
  const auto pdf = cups_.Pdf("Laser");
  ASSERT_EQ(pdf.size(), 4u);
  const int attese[] = {3, 1, 2};
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(Pagine_Pdf(pdf[i + 1]), attese[i]) << pdf[i + 1];
  EXPECT_EQ(messaggi_.boxes.size(), domande + 1) << messaggi_.boxes.back().testo;

  // At exit: the window's place, the zoom, the widths of the list's columns.
  g->setColumnWidth(4, 200);
  V().close();
  ASSERT_EQ(fine_, std::vector<int>{0});
  EXPECT_EQ(Profilo_Leggi(Ini(), "Dimensioni", "WindowState", "?", 378), "0");
  EXPECT_EQ(Profilo_Leggi(Ini(), "Dimensioni", "Width", "?", 378), "13500");
  EXPECT_EQ(Profilo_Leggi(Ini(), "Visualizza", "Zoom", "?", 378), "Adatta");
  EXPECT_EQ(Profilo_Leggi(Ini(), "Elenco 06", "01", "?", 378), "1500");
  EXPECT_EQ(Profilo_Leggi(Ini(), "Elenco 06", "02", "?", 378), "3000");
}

// The first invoice, a text page, at "Adatta" on the document tab reads as
// its page does: the view is the page file shrunk by area averaging (beside
// Qt's own smooth scaling of the same file, the mean difference is small)
// and every stroke of the page is on the screen, "QUILLON DEMO S.p.A." with
// both L's.
TEST_F(Qod_C_Archivio, AnInvoiceAtFitReadsAsItsPage) {
  ASSERT_NO_FATAL_FAILURE(Archivia());
  ASSERT_NO_FATAL_FAILURE(Cartella_Client());
  ASSERT_TRUE(Avvia()) << (messaggi_.boxes.empty() ? "" : messaggi_.boxes[0].testo);
  V().resize(800, 560);
  V().Base_Ridimensiona_();
  QComboBox* ricerche = V().Ricerche();
  ricerche->setCurrentIndex(ricerche->findText("Per documento"));
  A().txtDa(1)->setText("A");
  A().txtDa(9)->setText("99999999");
  V().Schede()->setCurrentIndex(1);
  ASSERT_TRUE(prova::Attendi([this] { return A().Grid1()->rowCount() == 5; }));
  ASSERT_EQ(Cella(0, 6), "A");  // a page image from the server
  A().Grid1()->setCurrentCell(0, 3);
  A().Grid1_DblClick(0);
  ASSERT_TRUE(prova::Attendi([this] { return V().Scheda() == 2; }));
  imv::Qod_IMV& v = *A().Qod_IMV1();
  ASSERT_EQ(v.qodimv_zoom(), "Adatta");
  img::Vista_Immagine& im1 = *v.IM1();
  QCoreApplication::processEvents();
  Foto("qod_c_fattura_adatta");

  img::Immagine pagina;
  ASSERT_TRUE(img::Carica(im1.File(), pagina));
  ASSERT_EQ(pagina.Bit(), 1);
  const double scala = im1.Zoom() / 100;
  ASSERT_LT(scala, 0.5);
  const int wd = static_cast<int>(std::lround(pagina.Larghezza() * scala * im1.Allungamento_X()));
  const int hd = static_cast<int>(std::lround(pagina.Altezza() * scala * im1.Allungamento_Y()));
  const QImage schermo = im1.viewport()->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
  ASSERT_GE(schermo.width(), wd);
  ASSERT_GE(schermo.height(), hd);
  const QImage atteso = img::A_QImage(pagina)
                            .convertToFormat(QImage::Format_Grayscale8)
                            .scaled(wd, hd, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  // Where there is ink on either, the two agree closely; every pixel that
  // is dark in the average of the page is dark on the screen.
  double somma = 0;
  int inchiostro = 0, scuri = 0, persi = 0, peggiore = 0;
  for (int y = 0; y < hd; ++y)
    for (int x = 0; x < wd; ++x) {
      const int a = atteso.constScanLine(y)[x], b = schermo.constScanLine(y)[x];
      if (a >= 250 && b >= 250) continue;
      ++inchiostro;
      somma += std::abs(a - b);
      peggiore = std::max(peggiore, std::abs(a - b));
      if (a < 128) {
        ++scuri;
        persi += b > 200;
      }
    }
  ASSERT_GT(scuri, 500);  // a page of text
  EXPECT_LE(somma / inchiostro, 4.0);
  EXPECT_LE(peggiore, 32);
  EXPECT_EQ(persi, 0) << "of " << scuri << " dark pixels";
  // The heading three times as large, for a person to read.
  const QImage testa = schermo.copy(QRect(0, 0, wd / 2, hd / 8));
  EXPECT_TRUE(testa.scaled(testa.size() * 3).save(prova::Schermata("qod_c_fattura_adatta_intestazione")));
}
