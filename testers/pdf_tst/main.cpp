// Qod_PDF_TST: drives the PDF generator by hand.
#include "frm_base.h"
#include "qod/console.h"
#include "qod/ui/applicazione_qt.h"

namespace {

const qod::Uso_Programma kUso{
    "Qod_PDF_TST",
    "uso: Qod_PDF_TST\n"
    "\n"
    "Prova a mano il generatore dei PDF (Qod_PDF): una casella per ogni proprietà,\n"
    "un pulsante lo esegue.\n"
    "Non ha opzioni: le parole della riga di comando sono ignorate.\n"
    "--help (anche -h, /?) mostra questo testo.\n",
    {}};

}  // namespace

int main(int argc, char** argv) {
  return qod::Applicazione_Esegui(kUso, argc, argv, [](const qod::Avvio_Programma& avvio, qod::Applicazione_Qt& app) {
    qod::testers::FrmBase frm(avvio.Percorso());
    frm.show();
    return app.Esegui();
  });
}
