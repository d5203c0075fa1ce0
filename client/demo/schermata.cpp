// qod_c_schermata: runs the archive viewer in the current folder as Qod_C
// does (same program, settings, instance slot, host connection), and once
// its main window has loaded saves a picture of it, tells what it loaded and
// ends it in order. For the demo, offscreen.
//
//   qod_c_schermata FILE.png [ARGOMENTI DI Qod_C ...]
//
// Exit code 0 when the window loaded and the picture was saved; 1 when the
// program ended during its start (its message is on standard error), or did
// not load within a minute.
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <string>

#include "frm_client.h"
#include "programma_client.h"
#include "qod/ansi.h"
#include "qod/winpath.h"

namespace {

// Message boxes written to standard error, answered with their default.
class Messaggi_Testo : public qod::MessageSink {
 public:
  int MsgBox(const std::string& testo, int stile, const std::string& titolo) override {
    std::fprintf(stderr, "[%s] %s\n", qod::Ansi_A_Utf8(titolo).c_str(), qod::Ansi_A_Utf8(testo).c_str());
    return (stile & 0xF) == qod::vbYesNo ? ((stile & qod::vbDefaultButton2) ? qod::vbNo : qod::vbYes) : qod::vbOK;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "uso: qod_c_schermata FILE.png [ARGOMENTI DI Qod_C ...]\n");
    return 2;
  }
  const QString file = QString::fromLocal8Bit(argv[1]);
  std::error_code ec;
  const std::string cartella = qod::Percorso_Ansi(std::filesystem::current_path(ec)) + "/";
  std::string riga;
  for (int i = 2; i < argc; ++i) {
    if (i > 2) riga += ' ';
    riga += argv[i];
  }

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  Messaggi_Testo messaggi;
  qod::Opzioni_Qod_C o;
  o.cartella = cartella;
  o.riga_comando = qod::Utf8_A_Ansi(riga);
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
    programma.Termina_Richiesta();
    if (!salvata) codice = 1;
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
