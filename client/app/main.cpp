// Qod_C: the archive viewer. Its program folder is the current directory;
// up to 32 copies run at once, each with its own instance number. The only
// switch is "/NOSUBCLASS". SIGTERM (or SIGINT) ends it in order.
#include <QApplication>

#include <filesystem>
#include <string>

#include "programma_client.h"
#include "qod/ansi.h"
#include "segnali.h"
#include "qod/winpath.h"

int main(int argc, char** argv) {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  const std::string cartella = qod::Percorso_Ansi(cwd) + "/";

  std::string riga;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) riga += ' ';
    riga += argv[i];
  }

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  qod::Opzioni_Qod_C opzioni;
  opzioni.cartella = cartella;
  opzioni.riga_comando = qod::Utf8_A_Ansi(riga);
  qod::Programma_Qod_C programma(opzioni);

  qod::Segnali_Termine segnali;
  if (!segnali.Installa([&] { programma.Termina_Richiesta(); })) return 1;

  programma.Avvia();
  return app.exec();
}
