// SIGTERM and SIGINT for a Qt program: the signal is turned into a call on
// the user-interface thread, where the program ends in order.
#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace qod {

class Segnali_Termine {
 public:
  // Installs the handlers; `termina` runs on the event loop at each signal.
  // False when they could not be installed.
  bool Installa(std::function<void()> termina);

 private:
  std::function<void()> termina_;
  std::unique_ptr<QSocketNotifier> notifica_;
};

}  // namespace qod
