// Qod_S: the spool server. Its program folder is the current directory; one
// copy runs per folder. "/AUTO" starts the automatic cycle, "/ICON" starts it
// in the notification area. SIGTERM (or SIGINT) ends it in order.
#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <string>

#include "programma.h"
#include "qod/server/istanza.h"
#include "qod/ansi.h"
#include "segnali.h"
#include "qod/winpath.h"

int main(int argc, char** argv) {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  const std::string cartella = qod::Percorso_Ansi(cwd) + "/";

  // A second copy in the same folder ends at once, with no window and no
  // message. A lock file that cannot be made at all is an error.
  qod::Istanza_Unica istanza;
  if (!istanza.Acquisisci(cartella)) {
    if (istanza.Errore().empty()) return 0;
    std::fprintf(stderr, "Qod_S: %s\n", istanza.Errore().c_str());
    return 1;
  }

  std::string riga;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) riga += ' ';
    riga += argv[i];
  }

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  qod::Opzioni_Qod_S opzioni;
  opzioni.cartella = cartella;
  opzioni.riga_comando = qod::Utf8_A_Ansi(riga);
  qod::Programma_Qod_S programma(opzioni);

  qod::Segnali_Termine segnali;
  if (!segnali.Installa([&] { programma.Termina_Richiesta(); })) return 1;

  programma.Avvia();
  return app.exec();
}
