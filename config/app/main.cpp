// Qod_S_INI and Qod_C_INI: the settings editors of the spool server and of
// the archive viewer client. Each edits [Generale] of its settings file in
// the current folder; "/INIT" opens the window with the standard values.
#include <string>

#include "frm_impostazioni.h"
#include "qod/ansi.h"
#include "qod/console.h"
#include "qod/ui/applicazione_qt.h"
#include "qod/ui/qt.h"

int main(int argc, char** argv) {
  const qod::Modulo_Impostazioni& modulo = QOD_EDITOR;
  const std::string nome = modulo.programma, ini = qod::Nomi_Editor(modulo).Impostazioni;
  const qod::Uso_Programma uso{
      nome,
      "uso: " + nome + " [/INIT]\n\n" + qod::Ansi_A_Utf8(modulo.caption) + ": modifica [Generale] di " + ini +
          "\nnella cartella corrente.\n\n"
          "  /INIT  apre la finestra con i valori standard (il file cambia solo con \"Aggiorna\")\n\n"
          "/INIT vale da solo, in maiuscolo o in minuscolo; altrimenti la riga di comando\n"
          "è ignorata. --help (anche -h, /?) mostra questo testo.\n",
      {"/INIT"},
      false,
      true};
  // "--help" ends there, before anything is made.
  return qod::Applicazione_Esegui(uso, argc, argv, [&](const qod::Avvio_Programma& avvio, qod::Applicazione_Qt& app) {
    qod::Messaggi_Qt messaggi;
    auto avviato = qod::Editor_Avvia(modulo, avvio.cartella, avvio.riga_comando, messaggi);
    avviato.finestra->show();
    return app.Esegui();
  });
}
