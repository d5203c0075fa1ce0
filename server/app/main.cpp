// Qod_S: the spool server. Its program folder is the current directory; one
// copy runs per folder. "/AUTO" starts the automatic cycle, "/ICON" starts it
// in the notification area. SIGTERM (or SIGINT) ends it in order.
#include <cstdio>
#include <string>
#include <utility>

#include "avvio.h"
#include "programma.h"
#include "qod/server/istanza.h"

int main(int argc, char** argv) {
  const std::string cartella = qod::Cartella_Programma();

  // A second copy in the same folder ends at once, with no window and no
  // message. A lock file that cannot be made at all is an error.
  qod::Istanza_Unica istanza;
  if (!istanza.Acquisisci(cartella)) {
    if (istanza.Errore().empty()) return 0;
    std::fprintf(stderr, "Qod_S: %s\n", istanza.Errore().c_str());
    return 1;
  }

  qod::Opzioni_Qod_S opzioni;
  opzioni.cartella = cartella;
  return qod::Programma_Esegui<qod::Programma_Qod_S>(argc, argv, std::move(opzioni));
}
