// Qod_C: the archive viewer. Its program folder is the current directory;
// up to 32 copies run at once, each with its own instance number. The only
// switch is "/NOSUBCLASS". SIGTERM (or SIGINT) ends it in order.
#include <utility>

#include "avvio.h"
#include "programma_client.h"

int main(int argc, char** argv) {
  qod::Opzioni_Qod_C opzioni;
  opzioni.cartella = qod::Cartella_Programma();
  return qod::Programma_Esegui<qod::Programma_Qod_C>(argc, argv, std::move(opzioni));
}
