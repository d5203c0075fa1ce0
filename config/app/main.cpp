// Qod_S_INI and Qod_C_INI: the settings editors of the spool server and of
// the archive viewer client. Each edits [Generale] of its settings file in
// the current folder; "/INIT" opens the window with the standard values.
#include <filesystem>
#include <string>

#include "frm_impostazioni.h"
#include "qod/ansi.h"
#include "qod/console.h"
#include "qod/ui/applicazione_qt.h"
#include "qod/ui/qt.h"
#include "qod/winpath.h"

int main(int argc, char** argv) {
  const qod::Modulo_Impostazioni& modulo = QOD_EDITOR;
  const std::string nome = modulo.programma, ini = qod::Nomi_Editor(modulo).Impostazioni;
  const qod::Uso_Programma uso{
      nome,
      "uso: " + nome + " [/INIT]\n\n" + qod::Ansi_A_Utf8(modulo.caption) + ": modifica [Generale] di " + ini +
          "\nnella cartella corrente.\n\n"
          "  /INIT  apre la finestra con i valori standard (il file cambia solo con \"Aggiorna\")\n\n"
          "/INIT si scrive in maiuscolo o in minuscolo. --help mostra questo testo.\n",
      {"/INIT"},
      false};
  // "--help" and an unknown option end here, before anything is made.
  if (const auto fine = qod::Uso_Controlla(uso, argc, argv)) return *fine;

  std::error_code ec;
  const std::string cartella = qod::Percorso_Ansi(std::filesystem::current_path(ec)) + "/";
  std::string riga;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) riga += ' ';
    riga += argv[i];
  }
  qod::Applicazione_Qt app(argc, argv);
  qod::Messaggi_Qt messaggi;
  auto avviato = qod::Editor_Avvia(modulo, cartella, qod::Utf8_A_Ansi(riga), messaggi);
  avviato.finestra->show();
  return app.Esegui();
}
