// Qod_PDF_TST: drives the PDF generator by hand.
#include <QDir>

#include "frm_base.h"
#include "qod/console.h"
#include "qod/ui/applicazione_qt.h"
#include "qt_testo.h"

namespace {

const qod::Uso_Programma kUso{
    "Qod_PDF_TST",
    "uso: Qod_PDF_TST\n"
    "\n"
    "Prova a mano il generatore dei PDF (Qod_PDF): una casella per ogni proprietà,\n"
    "un pulsante lo esegue. Non ha opzioni; --help mostra questo testo.\n",
    {},
    true};

}  // namespace

int main(int argc, char** argv) {
  if (const auto fine = qod::Uso_Controlla(kUso, argc, argv)) return *fine;
  qod::Applicazione_Qt app(argc, argv);
  qod::testers::FrmBase frm(qod::Ansi_Qt(QDir::currentPath()));
  frm.show();
  return app.Esegui();
}
