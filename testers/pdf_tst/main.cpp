// Qod_PDF_TST: drives the PDF generator by hand.
#include <QApplication>
#include <QDir>

#include "frm_base.h"
#include "qt_testo.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  qod::testers::FrmBase frm(qod::Ansi_Qt(QDir::currentPath()));
  frm.show();
  return app.exec();
}
