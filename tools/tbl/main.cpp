// ZuTBL: the conversion-table editor. Reads "ZuTBL1.TBL" and "ZuTBL2.TBL"
// from the current folder, shows both side by side and writes both back on
// "Salva". A missing, short or unreadable table ends the program with a
// message before the window is shown.
#include <QApplication>

#include <filesystem>
#include <string>

#include "frm_tabelle.h"
#include "qod/ui/qt.h"
#include "qod/winpath.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  qod::Messaggi_Qt messaggi;
  std::error_code ec;
  qod::Editor_Tabelle editor;
  const std::string errore = editor.Carica(qod::Percorso_Ansi(std::filesystem::current_path(ec)) + "/");
  if (!errore.empty()) {
    messaggi.MsgBox(errore, qod::vbExclamation, "ERRORE");
    return 1;
  }
  qod::FrmTabelle finestra(editor, messaggi, std::string(QOD_VERSIONE) + "   " + QOD_DATA_VERSIONE);
  finestra.show();
  return app.exec();
}
