// Qt's file dialog as the programs show it: Qt's own widgets, not the
// desktop's, and Italian whatever LANG says. Qt's translations leave out
// the type of a folder, and Qt writes sizes and dates in the system's
// language: the dialog gets them in Italian here. Only the dialog changes;
// the rest of the program keeps the user's locale.
#pragma once

class QFileDialog;

namespace qod {

// To be called on a dialog just made, before it is shown.
void Dialogo_File_Italiano(QFileDialog& dialogo);

}  // namespace qod
