// What the viewer control's offscreen tests share: the control filling a
// host window, and screenshots kept under the build folder (QOD_SCHERMATE)
// for a person to look at.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <string>

#include "qod/viewer/qod_imv.h"

namespace qod::prova {

// The screenshots' folder, made when missing.
inline std::filesystem::path Schermate() {
  const auto d = std::filesystem::path(QOD_SCHERMATE);
  std::filesystem::create_directories(d);
  return d;
}

// A viewer control filling `finestra`, which is resized to w x h.
inline imv::Qod_IMV* Visore_In(QWidget& finestra, int w, int h) {
  finestra.resize(w, h);
  auto* v = new imv::Qod_IMV(&finestra);
  v->setGeometry(0, 0, w, h);
  return v;
}

// `finestra` as it stands, saved as `nome`.png among the screenshots.
inline void Schermata(QWidget& finestra, const std::string& nome) {
  QApplication::processEvents();
  const QPixmap p = finestra.grab();
  EXPECT_FALSE(p.isNull());
  EXPECT_TRUE(p.save(QString::fromStdString((Schermate() / (nome + ".png")).string())));
}

}  // namespace qod::prova
