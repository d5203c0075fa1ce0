// What the offscreen tests of the Qt programs share: the application with
// its guard against boxes and dialogs nobody answers, the fixture that makes
// it before anything else, waiting on the event loop, and the screenshots
// (in "schermate" beside the test program, under the build folder).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QString>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qod/prova/finti.h"

class QWidget;

namespace qod::prova {

// The application, made once (offscreen unless a platform is named), with
// its guard: a message box that comes up while no Modali_Attese lives fails
// the running test at once, with its title and text, and takes its default
// answer without being shown; any other modal window fails the test and is
// closed as soon as it is seen. No test waits on a window nobody answers.
void Applicazione();

// The fixture of every window test: the application is there before the
// fixture's own members (widgets among them) are made, and before the
// suite's set-up. A suite with a set-up of its own calls Applicazione()
// first in it.
class Prova_Qt : public ::testing::Test {
 protected:
  Prova_Qt() { Applicazione(); }
  static void SetUpTestSuite() { Applicazione(); }
};

// The boxes and modal dialogs the running test brings up on purpose and
// answers itself (from a timer, say): while one of these lives they come up
// as in the program. One still open after `limite_ms` fails the test and is
// closed.
class Modali_Attese {
 public:
  explicit Modali_Attese(int limite_ms = 15000);
  ~Modali_Attese();
  Modali_Attese(const Modali_Attese&) = delete;
  Modali_Attese& operator=(const Modali_Attese&) = delete;

  static bool Attive();
  static int Limite_ms();

 private:
  int limite_precedente_;
};

// Runs `azione` on the modal dialog of type T as soon as one is open (the
// next turn of the event loop, the dialog's own); the dialog is closed
// afterwards if the action left it open. Till then the dialog is expected.
template <class T>
void Quando_Aperto(std::function<void(T&)> azione) {
  auto attese = std::make_shared<Modali_Attese>();
  QTimer::singleShot(0, [azione, attese] {
    auto* d = qobject_cast<T*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr) << "no dialog open";
    azione(*d);
    if (d->isVisible()) d->reject();
  });
}

// Records every box, as RecordingMessageSink does, with whether it came up
// under a busy pointer.
struct Messaggi_Puntatore : RecordingMessageSink {
  std::vector<bool> occupato;
  int MsgBox(const std::string& testo, int stile, const std::string& titolo) override {
    occupato.push_back(QApplication::overrideCursor() != nullptr);
    return RecordingMessageSink::MsgBox(testo, stile, titolo);
  }
};

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

// The screenshots' folder: "schermate" beside the test program, in the
// build folder it runs from.
std::filesystem::path Schermate();
// The path of the screenshot `nome`.png.
QString Schermata(const std::string& nome);
// `finestra` as it stands (pending events let run first), saved as the
// screenshot `nome`.png; the test fails when it cannot be saved. The
// picture it saved.
QPixmap Schermata(QWidget& finestra, const std::string& nome);

}  // namespace qod::prova
