// Qod_S_INI and Qod_C_INI: the settings editors of the spool server and of
// the archive viewer client. Each edits [Generale] of its settings file in
// the current folder; "/INIT" opens the window with the standard values.
#include <QApplication>

#include <filesystem>
#include <string>

#include "frm_impostazioni.h"
#include "qod/ansi.h"
#include "qod/ui/qt.h"
#include "qod/winpath.h"

int main(int argc, char** argv) {
  std::error_code ec;
  const std::string cartella = qod::Percorso_Ansi(std::filesystem::current_path(ec)) + "/";
  std::string riga;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) riga += ' ';
    riga += argv[i];
  }
  QApplication app(argc, argv);
  qod::Messaggi_Qt messaggi;
  auto avviato = qod::Editor_Avvia(QOD_EDITOR, cartella, qod::Utf8_A_Ansi(riga), messaggi);
  avviato.finestra->show();
  return app.exec();
}
