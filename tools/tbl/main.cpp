// ZuTBL: the conversion-table editor. Reads "ZuTBL1.TBL" and "ZuTBL2.TBL"
// from the current folder, shows both side by side and writes both back on
// "Salva". A missing, short or unreadable table ends the program with a
// message before the window is shown.
#include <string>

#include "frm_tabelle.h"
#include "qod/console.h"
#include "qod/ui/applicazione_qt.h"
#include "qod/ui/qt.h"

namespace {

const qod::Uso_Programma kUso{
    "ZuTBL",
    "uso: ZuTBL\n"
    "\n"
    "L'editor delle tabelle di conversione: legge ZuTBL1.TBL e ZuTBL2.TBL dalla\n"
    "cartella corrente, le mostra affiancate e le riscrive con \"Salva\".\n"
    "Non ha opzioni: le parole della riga di comando sono ignorate.\n"
    "--help (anche -h, /?) mostra questo testo.\n",
    {}};

}  // namespace

int main(int argc, char** argv) {
  return qod::Applicazione_Esegui(kUso, argc, argv, [](const qod::Avvio_Programma& avvio, qod::Applicazione_Qt& app) {
    qod::Messaggi_Qt messaggi;
    qod::Editor_Tabelle editor;
    const std::string errore = editor.Carica(avvio.cartella);
    if (!errore.empty()) {
      messaggi.MsgBox(errore, qod::vbExclamation, "ERRORE");
      return 1;
    }
    qod::FrmTabelle finestra(editor, messaggi, std::string(QOD_VERSIONE) + "   " + QOD_DATA_VERSIONE);
    finestra.show();
    return app.Esegui();
  });
}
