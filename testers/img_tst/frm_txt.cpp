#include "frm_txt.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QTextBlock>
#include <QVBoxLayout>

#include "finestra.h"
#include "qod/basic.h"
#include "qod/testers/file_testo.h"
#include "qt_testo.h"

namespace qod::testers {

FrmTxt::FrmTxt(QWidget* genitore) : QWidget(genitore, Qt::Window) {
  auto* l = Finestra_Colonna(this, "frmTxt", "xxxxxxxxx", 160, 160);
  txt_Cmd = Casella_Righe(this, "txt_Cmd");
  l->addWidget(txt_Cmd);
}

void FrmTxt::Apri(const std::string& titolo, const std::string& byte) {
  titolo_ = titolo;
  setWindowTitle(Testo_Qt(titolo));
  Righe_Testo r = Dividi_Righe(byte);
  fine_ = std::move(r.fine);
  QStringList righe;
  for (const std::string& riga : r.righe) righe << Riga_Qt(riga);
  txt_Cmd->setPlainText(righe.join('\n'));
}

std::string FrmTxt::Nome_File() const { return Mid(titolo_, 21); }

std::string FrmTxt::Testo() const {
  // Block by block: the text of a block is the row as typed (a no-break
  // space stays one), without the conversions of the plain-text export.
  std::vector<std::string> righe;
  for (QTextBlock b = txt_Cmd->document()->begin(); b.isValid(); b = b.next()) righe.push_back(Riga_Ansi(b.text()));
  return Unisci_Righe(righe, fine_);
}

void FrmTxt::closeEvent(QCloseEvent* e) {
  if (chiusura && !chiusura()) {
    e->ignore();
    return;
  }
  e->accept();
  if (chiusa) chiusa();
}

}  // namespace qod::testers
