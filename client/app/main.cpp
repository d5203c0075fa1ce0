// Qod_C: the archive viewer. Its program folder is the current directory;
// up to 32 copies run at once, each with its own instance number. The only
// switch is "/NOSUBCLASS". SIGTERM (or SIGINT) ends it in order.
#include "avvio.h"
#include "programma_client.h"
#include "qod/console.h"

namespace {

const qod::Uso_Programma kUso{
    "Qod_C",
    "uso: Qod_C [/NOSUBCLASS]\n"
    "\n"
    "Il visualizzatore dell'archivio di Quillon. La cartella del programma è la cartella\n"
    "corrente: Qod_C.INI, Qod_TBL1.Tbl, Qod_C.DAT e la cartella TmpC.\n"
    "\n"
    "  /NOSUBCLASS  la finestra non ha una dimensione minima e si ridispone a ogni\n"
    "               cambio; il visualizzatore non prende i tasti né la rotella\n"
    "\n"
    "/NOSUBCLASS vale scritto come qui, in maiuscolo, ovunque nella riga di comando;\n"
    "le altre parole sono ignorate. --help (anche -h, /?) mostra questo testo.\n",
    {"/NOSUBCLASS"}};

}  // namespace

int main(int argc, char** argv) {
  // "--help" ends there, before anything is made.
  return qod::Programma_Esegui<qod::Programma_Qod_C>(kUso, argc, argv, qod::Opzioni_Qod_C{});
}
