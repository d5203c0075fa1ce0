// What a window's layout must give its user, checked on the widgets as they
// stand: no control covers another, and every text is shown whole.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace qod::prova {

// The faults of the window `finestra` as it is shown (each a line naming the
// widgets by class, object name and text):
// - two visible sibling widgets whose rectangles intersect, unless one is a
//   frame holding the other (a group box, a plain frame or container, a
//   label without text) that contains it whole;
// - a label, button, check box, radio button, list entry, group title or
//   tab whose text is wider (or taller) than the room its widget gives it;
// - a text box or list lower than its own text needs.
// The insides of Qt's composite controls (a list's box, a table's
// viewport and headers) are theirs and are not looked into.
std::vector<std::string> Difetti_Geometria(QWidget& finestra);

}  // namespace qod::prova
