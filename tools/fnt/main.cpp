// ZuFNT: the font-strip editor. Makes blank strips, opens, edits pixel by
// pixel, generates the glyphs from an installed font and saves strips for
// the page image generator.
#include <QApplication>

#include <string>

#include "frm_font.h"
#include "qod/ui/qt.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  qod::Messaggi_Qt messaggi;
  qod::Dialoghi_Font_Qt dialoghi;
  qod::Editor_Font editor;
  qod::FrmFont finestra(editor, messaggi, dialoghi, std::string(QOD_VERSIONE) + "   " + QOD_DATA_VERSIONE);
  dialoghi.Imposta_Finestra(&finestra);
  finestra.show();
  return app.exec();
}
