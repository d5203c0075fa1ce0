#include "frm_help.h"

#include <QFontDatabase>
#include <QCloseEvent>
#include <QVBoxLayout>

#include "qod/testers/aiuto.h"
#include "qt_testo.h"

namespace qod::testers {

FrmHelp::FrmHelp(QWidget* genitore) : QWidget(genitore, Qt::Window) {
  setObjectName("frmHelp");
  setWindowTitle("Help dei comandi");
  setMinimumSize(160, 160);
  auto* l = new QVBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  txt_help = new QPlainTextEdit(this);
  txt_help->setObjectName("txt_help");
  txt_help->setLineWrapMode(QPlainTextEdit::NoWrap);
  txt_help->setFont(Font_Testo(font()));
  // The box shows rows; the text's CR LF line ends become its row breaks.
  QString testo = Testo_Qt(Testo_Help());
  if (testo.endsWith('\n')) testo.chop(1);
  txt_help->setPlainText(testo);
  l->addWidget(txt_help);
}

void FrmHelp::closeEvent(QCloseEvent* e) {
  QWidget::closeEvent(e);
  if (chiusa) chiusa();
}

}  // namespace qod::testers
