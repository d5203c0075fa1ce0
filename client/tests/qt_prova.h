// What the viewer's offscreen window tests share: the application, waiting
// on the event loop, a notification area that records its calls, and the
// folder the screenshots go to.
#pragma once

#include <QApplication>
#include <QString>
#include <QThread>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "qod/ui.h"

namespace qod::prova {

inline void Applicazione() {
  static int argc = 1;
  static char nome[] = "qod_c_test";
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

class Tray_Finto : public Area_Notifica {
 public:
  bool Shell_NotifyIcon(int messaggio, const Icona_Tray& icona) override {
    chiamate.push_back({messaggio, icona});
    return disponibile;
  }
  int Conta(int messaggio) const {
    int n = 0;
    for (const auto& c : chiamate) n += c.first == messaggio;
    return n;
  }
  bool disponibile = true;
  std::vector<std::pair<int, Icona_Tray>> chiamate;
};

// The path of a screenshot under the build folder's "schermate".
inline QString Schermata(const std::string& nome) {
  std::filesystem::path d = std::filesystem::current_path() / "schermate";
  std::filesystem::create_directories(d);
  return QString::fromStdString((d / (nome + ".png")).string());
}

}  // namespace qod::prova
