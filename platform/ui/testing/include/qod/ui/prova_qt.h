// What the offscreen tests of the Qt programs share: the application,
// waiting on the event loop, and the folder the screenshots go to.
#pragma once

#include <QApplication>
#include <QString>
#include <QThread>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace qod::prova {

inline void Applicazione() {
  static int argc = 1;
  static char nome[] = "prova_qt";
  static char* argv[] = {nome, nullptr};
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  new QApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
}

// Lets the event loop run until `condizione` holds or the time is up.
inline bool Attendi(const std::function<bool()>& condizione, int limite_ms = 10000) {
  const auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(limite_ms);
  while (!condizione()) {
    if (std::chrono::steady_clock::now() > fine) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

// The path of a screenshot under the build folder's "schermate".
inline QString Schermata(const std::string& nome) {
  std::filesystem::path d = std::filesystem::current_path() / "schermate";
  std::filesystem::create_directories(d);
  return QString::fromStdString((d / (nome + ".png")).string());
}

}  // namespace qod::prova
