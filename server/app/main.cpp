// Qod_S: the spool server. Its program folder is the current directory; one
// copy runs per folder. "/AUTO" starts the automatic cycle, "/ICON" starts it
// in the notification area. SIGTERM (or SIGINT) ends it in order.
#include <cstdio>
#include <optional>

#include "avvio.h"
#include "programma.h"
#include "qod/console.h"
#include "qod/server/istanza.h"

namespace {

const qod::Uso_Programma kUso{
    "Qod_S",
    "uso: Qod_S [/AUTO] [/ICON] [/NOSUBCLASS]\n"
    "\n"
    "Il server di spool di Quillon. La cartella del programma è la cartella corrente:\n"
    "Qod_S.INI, Qod_S.LOG, Qod_TBL1.Tbl e le cartelle TmpS, Lgo, Fnt, Backup.\n"
    "\n"
    "  /AUTO        parte con il funzionamento automatico\n"
    "  /ICON        parte ridotto a icona, nell'area di notifica\n"
    "  /NOSUBCLASS  il visualizzatore non prende i tasti né la rotella del mouse\n"
    "\n"
    "Le parole si scrivono come qui, in maiuscolo, anche unite (/AUTO/ICON).\n"
    "--help mostra questo testo.\n",
    {"/AUTO", "/ICON", "/NOSUBCLASS"},
    true};

}  // namespace

int main(int argc, char** argv) {
  // A second copy in the same folder ends at once, with no window and no
  // message. A lock file that cannot be made at all is an error.
  qod::Istanza_Unica istanza;
  const auto una_copia = [&](const qod::Avvio_Programma& avvio) -> std::optional<int> {
    if (istanza.Acquisisci(avvio.cartella)) return std::nullopt;
    if (istanza.Errore().empty()) return 0;
    std::fprintf(stderr, "Qod_S: %s\n", istanza.Errore().c_str());
    return 1;
  };
  // "--help" and an unknown option end there, before anything is made.
  return qod::Programma_Esegui<qod::Programma_Qod_S>(kUso, argc, argv, qod::Opzioni_Qod_S{}, una_copia);
}
