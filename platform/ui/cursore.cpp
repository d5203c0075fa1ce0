#include "qod/ui/cursore.h"

#include <QApplication>

namespace qod {

Cursore_Attesa::Cursore_Attesa() { QApplication::setOverrideCursor(Qt::WaitCursor); }

Cursore_Attesa::~Cursore_Attesa() { QApplication::restoreOverrideCursor(); }

Cursore_Sospeso::Cursore_Sospeso() {
  while (const QCursor* c = QApplication::overrideCursor()) {
    tolti_.push_back(*c);
    QApplication::restoreOverrideCursor();
  }
}

Cursore_Sospeso::~Cursore_Sospeso() {
  for (auto c = tolti_.rbegin(); c != tolti_.rend(); ++c) QApplication::setOverrideCursor(*c);
}

}  // namespace qod
