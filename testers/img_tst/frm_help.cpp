#include "frm_help.h"

#include <QFontDatabase>
#include <QCloseEvent>
#include <QVBoxLayout>

#include "finestra.h"
#include "qod/testers/aiuto.h"
#include "qt_testo.h"

namespace qod::testers {

FrmHelp::FrmHelp(QWidget* genitore) : QWidget(genitore, Qt::Window) {
  auto* l = Finestra_Colonna(this, "frmHelp", "Help dei comandi", 160, 160);
  txt_help = Casella_Righe(this, "txt_help");
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
