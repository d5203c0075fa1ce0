// Qod_S: the spool server. Its program folder is the current directory; one
// copy runs per folder. "/AUTO" starts the automatic cycle, "/ICON" starts it
// in the notification area. SIGTERM (or SIGINT) ends it in order.
#include <cstdio>
#include <optional>
#include <string>

#include "avvio.h"
#include "programma.h"
#include "qod/console.h"
#include "qod/server/finestra_base.h"
#include "qod/server/istanza.h"

namespace {

const qod::Uso_Programma kUso{
    "Qod_S",
    "uso: Qod_S [/AUTO] [/ICON] [/NOSUBCLASS]\n"
    "\n"
    "Il server di spool di Quillon. La cartella del programma è la cartella corrente:\n"
    "Qod_S.INI, Qod_S.LOG, Qod_TBL1.Tbl e le cartelle TmpS, Lgo, Fnt, Backup.\n"
    "\n"
    "  /AUTO        parte con il funzionamento automatico (anche senza display)\n"
    "  /ICON        parte ridotto a icona, nell'area di notifica\n"
    "  /NOSUBCLASS  il visualizzatore non prende i tasti né la rotella del mouse\n"
    "\n"
    "Le parole valgono scritte come qui, in maiuscolo, ovunque nella riga di comando\n"
    "(anche unite, /AUTO/ICON, o dentro altre parole); le altre parole sono ignorate.\n"
    "--help (anche -h, /?) mostra questo testo.\n",
    {"/AUTO", "/ICON", "/NOSUBCLASS"}};

}  // namespace

int main(int argc, char** argv) {
  // One copy per folder: a second copy in the same folder ends at once, with
  // no window and no message. The lock itself is taken only once the
  // settings have passed their check, so that a start that fails leaves the
  // folder as it was; a lock file that cannot be made at all is an error.
  qod::Istanza_Unica istanza;
  std::string cartella;
  const auto prima = [&](qod::Avvio_Programma& avvio) -> std::optional<int> {
    cartella = avvio.cartella;
    // The automatic cycle needs nobody at the window: it serves without a
    // display as well.
    avvio.incustodito = qod::Opzione_Presente(avvio.riga_comando, "/AUTO");
    if (qod::Istanza_Unica::Altra_Copia(cartella)) return 0;
    return std::nullopt;
  };
  qod::Opzioni_Qod_S opzioni;
  opzioni.istanza = [&]() -> std::optional<int> {
    if (istanza.Acquisisci(cartella)) return std::nullopt;
    if (istanza.Errore().empty()) return 0;  // started beside another copy at the same moment
    std::fprintf(stderr, "Qod_S: %s\n", istanza.Errore().c_str());
    return 1;
  };
  // "--help" ends there, before anything is made.
  return qod::Programma_Esegui<qod::Programma_Qod_S>(kUso, argc, argv, std::move(opzioni), prima);
}
