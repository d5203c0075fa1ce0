// Qod_IMG_TST: drives the page image generator by hand.
#include <QDir>

#include "dialoghi.h"
#include "frm_parm.h"
#include "qod/console.h"
#include "qod/ui/applicazione_qt.h"
#include "qt_testo.h"

namespace {

const qod::Uso_Programma kUso{
    "Qod_IMG_TST",
    "uso: Qod_IMG_TST\n"
    "\n"
    "Prova a mano il generatore delle immagini di pagina (Qod_IMG): i campi partono\n"
    "dai file della cartella TEST della cartella corrente.\n"
    "Non ha opzioni; --help mostra questo testo.\n",
    {},
    true};

}  // namespace

int main(int argc, char** argv) {
  if (const auto fine = qod::Uso_Controlla(kUso, argc, argv)) return *fine;
  qod::Applicazione_Qt app(argc, argv);
  qod::testers::Dialoghi_Qt dialoghi(nullptr);
  qod::testers::FrmParm frm(dialoghi, qod::Ansi_Qt(QDir::currentPath()));
  frm.show();
  return app.Esegui();
}
