// Qod_IMG_TST: drives the page image generator by hand.
#include "dialoghi.h"
#include "frm_parm.h"
#include "qod/console.h"
#include "qod/ui/applicazione_qt.h"

namespace {

const qod::Uso_Programma kUso{
    "Qod_IMG_TST",
    "uso: Qod_IMG_TST\n"
    "\n"
    "Prova a mano il generatore delle immagini di pagina (Qod_IMG): i campi partono\n"
    "dai file della cartella TEST della cartella corrente.\n"
    "Non ha opzioni: le parole della riga di comando sono ignorate.\n"
    "--help (anche -h, /?) mostra questo testo.\n",
    {}};

}  // namespace

int main(int argc, char** argv) {
  return qod::Applicazione_Esegui(kUso, argc, argv, [](const qod::Avvio_Programma& avvio, qod::Applicazione_Qt& app) {
    qod::testers::Dialoghi_Qt dialoghi(nullptr);
    qod::testers::FrmParm frm(dialoghi, avvio.Percorso());
    frm.show();
    return app.Esegui();
  });
}
