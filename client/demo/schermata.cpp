// qod_c_schermata: runs the archive viewer in the current folder as Qod_C
// does (same program, settings, instance slot, host connection), and once
// its main window has loaded saves a picture of it, tells what it loaded and
// ends it in order. For the demo, offscreen.
//
//   qod_c_schermata FILE.png [--ricerca=NN] [/NOSUBCLASS] [Qt's options]
//
// With --ricerca=NN it also chooses search definition NN, shows the list tab
// (which searches with empty criteria) and opens the first document listed,
// saving FILE_elenco.png and FILE_documento.png beside FILE.png.
//
// Exit code 0 when the window loaded and the pictures were saved; 1 when the
// program ended during its start (its message is on standard error), or did
// not load within a minute.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archivio_client.h"
#include "frm_client.h"
#include "programma_client.h"
#include "qod/ansi.h"
#include "qod/console.h"
#include "qod/ui/applicazione_qt.h"
#include "qod/viewer/qod_imv.h"

namespace {

// Message boxes written to standard error, answered with their default.
class Messaggi_Testo : public qod::MessageSink {
 public:
  int MsgBox(const std::string& testo, int stile, const std::string& titolo) override {
    std::fprintf(stderr, "[%s] %s\n", qod::Ansi_A_Utf8(titolo).c_str(), qod::Ansi_A_Utf8(testo).c_str());
    return (stile & 0xF) == qod::vbYesNo ? ((stile & qod::vbDefaultButton2) ? qod::vbNo : qod::vbYes) : qod::vbOK;
  }
};

// Another picture beside `file`: FILE_nome.png.
QString Accanto(const QString& file, const char* nome) {
  QString f = file;
  if (f.endsWith(".png", Qt::CaseInsensitive)) f.chop(4);
  return f + "_" + nome + ".png";
}

// Chooses definition `numero`, lists what it finds and opens the first
// document. False when a picture could not be saved.
bool Ricerca_Mostra(qod::Programma_Qod_C& programma, int numero, const QString& file) {
  qod::FrmClient& f = *programma.Vista();
  qod::Archivio_Client& a = *programma.Archivio();
  QComboBox* c = f.Ricerche();
  const int voce = c->findData(numero);
  if (voce < 0) {
    std::printf("search definition %02d not offered\n", numero);
    return true;
  }
  c->setCurrentIndex(voce);
  f.Schede()->setCurrentIndex(1);
  QCoreApplication::processEvents();
  QTableWidget* g = a.Grid1();
  std::printf("search %02d \"%s\": %d documents listed\n", numero, c->currentText().toUtf8().constData(),
              g->rowCount());
  for (int r = 0; r < g->rowCount(); ++r) {
    std::string riga = "  ";
    for (int k = 3; k < g->columnCount(); ++k)
      riga += (k > 3 ? " | " : "") + g->item(r, k)->text().trimmed().toStdString();
    std::printf("%s\n", riga.c_str());
  }
  bool salvate = f.grab().save(Accanto(file, "elenco"), "PNG");
  if (g->rowCount() > 0) {
    g->setCurrentCell(0, 3);
    a.Grid1_DblClick(0);
    QCoreApplication::processEvents();
    std::printf("first document shown on tab %d, page %s\n", f.Scheda(),
                a.Qod_IMV1()->lblPag1()->text().toUtf8().constData());
    salvate = f.grab().save(Accanto(file, "documento"), "PNG") && salvate;
  }
  return salvate;
}

}  // namespace

int main(int argc, char** argv) {
  const qod::Uso_Strumento uso{"qod_c_schermata",
                               "uso: qod_c_schermata FILE.png [--ricerca=NN] [/NOSUBCLASS]\n"
                               "  esegue Qod_C nella cartella corrente e salva FILE.png (con --ricerca=NN anche\n"
                               "  FILE_elenco.png e FILE_documento.png); /NOSUBCLASS e le opzioni di Qt vanno a\n"
                               "  Qod_C. Un file che comincia con \"-\" si scrive ./-nome, uno nuovo alla radice\n"
                               "  /./nome; --help (anche -h, /?) mostra questo testo.\n",
                               {{"--ricerca", 1, qod::Tipo_Valore::Numero}, {"/NOSUBCLASS"}},
                               true,
                               true};
  // The whole command line is looked at before Qod_C starts.
  std::vector<qod::Voce_Comando> voci;
  if (const auto fine = qod::Uso_Controlla(uso, argc, argv, &voci)) return *fine;
  QString file;
  int ricerca = 0;
  std::string riga;  // Qod_C's command line: its switch (Qt's options go to the application)
  for (const auto& v : voci) {
    if (v.opzione.empty()) {
      if (!file.isEmpty()) return qod::Uso_Rifiuta(uso, "un solo FILE.png: " + v.valori[0]);
      file = QString::fromLocal8Bit(v.valori[0].c_str());
    } else if (v.opzione == "--ricerca") {
      ricerca = std::atoi(v.valori[0].c_str());
    } else {
      riga += (riga.empty() ? "" : " ") + v.opzione;
    }
  }
  if (file.isEmpty()) return qod::Uso_Rifiuta(uso, "manca FILE.png");
  const std::string cartella = qod::Cartella_Programma();

  // It only keeps pictures: without a display it draws offscreen, as the
  // demo runs it; Qt's texts in Italian, as in the program.
  qod::Applicazione_Qt app(argc, argv, true);
  QApplication::setQuitOnLastWindowClosed(false);
  Messaggi_Testo messaggi;
  qod::Opzioni_Qod_C o;
  o.cartella = cartella;
  o.riga_comando = riga;
  o.messaggi = &messaggi;
  int codice = -1;
  o.fine = [&](int c) {
    codice = c;
    QCoreApplication::exit(c);
  };
  qod::Programma_Qod_C programma(o);

  QTimer attesa;
  QObject::connect(&attesa, &QTimer::timeout, [&] {
    if (!programma.Caricato()) return;
    attesa.stop();
    qod::FrmClient& f = *programma.Vista();
    QCoreApplication::processEvents();
    const bool salvata = f.grab().save(file, "PNG");
    std::printf("caption: %s\n", f.windowTitle().toUtf8().constData());
    std::printf("instance: %d, dictionary fields: %d\n", programma.Base().Numero_Istanza,
                programma.Collegamento()->Dizionario().Numero);
    std::printf("search definitions offered:\n");
    for (const auto& r : programma.Ricerche())
      std::printf("  %02d %s\n", r.Numero, qod::Ansi_A_Utf8(r.Nome).c_str());
    std::printf("main window: %dx%d, picture %s\n", f.width(), f.height(), salvata ? "saved" : "NOT saved");
    bool altre = true;
    if (ricerca > 0) altre = Ricerca_Mostra(programma, ricerca, file);
    programma.Termina_Richiesta();
    if (!salvata || !altre) codice = 1;
  });
  attesa.start(100);
  QTimer::singleShot(60000, [&] {
    std::fprintf(stderr, "qod_c_schermata: the window did not load within a minute\n");
    programma.Termina_Richiesta();
    codice = 1;
  });

  programma.Avvia();
  const int r = app.exec();
  return codice >= 0 ? codice : r;
}
