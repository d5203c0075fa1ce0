// Qod_IMG_TST: drives the page image generator by hand.
#include <QApplication>
#include <QDir>

#include "dialoghi.h"
#include "frm_parm.h"
#include "qt_testo.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  qod::testers::Dialoghi_Qt dialoghi(nullptr);
  qod::testers::FrmParm frm(dialoghi, qod::Ansi_Qt(QDir::currentPath()));
  frm.show();
  return app.exec();
}
