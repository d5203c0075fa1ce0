#include "finestra.h"

#include "qt_testo.h"

namespace qod::testers {

QVBoxLayout* Finestra_Colonna(QWidget* w, const char* nome, const QString& titolo, int larghezza, int altezza) {
  w->setObjectName(nome);
  w->setWindowTitle(titolo);
  w->setMinimumSize(larghezza, altezza);
  auto* colonna = new QVBoxLayout(w);
  colonna->setContentsMargins(0, 0, 0, 0);
  return colonna;
}

QPlainTextEdit* Casella_Righe(QWidget* genitore, const char* nome) {
  auto* casella = new QPlainTextEdit(genitore);
  casella->setObjectName(nome);
  casella->setLineWrapMode(QPlainTextEdit::NoWrap);
  casella->setFont(Font_Testo(genitore->font()));
  return casella;
}

}  // namespace qod::testers
