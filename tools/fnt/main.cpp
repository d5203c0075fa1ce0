// ZuFNT: the font-strip editor. Makes blank strips, opens, edits pixel by
// pixel, generates the glyphs from an installed font and saves strips for
// the page image generator.
#include <string>

#include "frm_font.h"
#include "qod/console.h"
#include "qod/ui/applicazione_qt.h"
#include "qod/ui/qt.h"

namespace {

const qod::Uso_Programma kUso{
    "ZuFNT",
    "uso: ZuFNT\n"
    "\n"
    "L'editor delle strisce di caratteri del generatore delle immagini di pagina:\n"
    "le crea, le apre, le modifica punto per punto, le genera da un font installato\n"
    "e le salva. Non ha opzioni: le parole della riga di comando sono ignorate.\n"
    "--help (anche -h, /?) mostra questo testo.\n",
    {}};

}  // namespace

int main(int argc, char** argv) {
  return qod::Applicazione_Esegui(kUso, argc, argv, [](const qod::Avvio_Programma&, qod::Applicazione_Qt& app) {
    qod::Messaggi_Qt messaggi;
    qod::Dialoghi_Font_Qt dialoghi;
    qod::Editor_Font editor;
    qod::FrmFont finestra(editor, messaggi, dialoghi, std::string(QOD_VERSIONE) + "   " + QOD_DATA_VERSIONE);
    dialoghi.Imposta_Finestra(&finestra);
    finestra.show();
    return app.Esegui();
  });
}
