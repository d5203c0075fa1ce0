// What the form's secondary windows share: the window with its name, title
// and least size, filled edge to edge by one column; and the box of text rows
// the help and text windows show.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

namespace qod::testers {

// Names and titles `w`, gives it its least size and the column, without
// margins, that fills it.
QVBoxLayout* Finestra_Colonna(QWidget* w, const char* nome, const QString& titolo, int larghezza, int altezza);

// A box of rows that do not wrap, in the text windows' font of `genitore`.
QPlainTextEdit* Casella_Righe(QWidget* genitore, const char* nome);

}  // namespace qod::testers
