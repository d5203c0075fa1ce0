// The printing of a program's viewers on the platform: the CUPS printers
// with the user's own defaults, the message boxes of the viewer that asks,
// the window events let run while printing, and the printer properties
// dialog.
#pragma once

#include "qod/viewer/frm_stampa.h"

namespace qod::imv {

// One for the program (needs a QApplication).
Stampa_Visore& Stampa_Programma();

}  // namespace qod::imv
