// What the viewer control's offscreen tests share: the control filling a
// host window (screenshots through qod/ui/prova_qt.h).
#pragma once

#include <gtest/gtest.h>

#include <QWidget>

#include "qod/ui/prova_qt.h"
#include "qod/viewer/qod_imv.h"

namespace qod::prova {

// A viewer control filling `finestra`, which is resized to w x h.
inline imv::Qod_IMV* Visore_In(QWidget& finestra, int w, int h) {
  finestra.resize(w, h);
  auto* v = new imv::Qod_IMV(&finestra);
  v->setGeometry(0, 0, w, h);
  return v;
}

}  // namespace qod::prova
