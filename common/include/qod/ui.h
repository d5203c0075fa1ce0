// What the core asks of a user interface: letting pending window messages
// run (the pump) and message boxes. The programs pass their Qt
// implementations; tests pass recorders with scripted answers.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace qod {

// "Let the window process its messages."
using Pump = std::function<void()>;
inline void Pompa(const Pump& p) {
  if (p) p();
}

// Message box styles and answers, with the values BASIC gives them.
enum : int {
  vbOKOnly = 0,
  vbOKCancel = 1,
  vbYesNo = 4,
  vbCritical = 16,
  vbQuestion = 32,
  vbExclamation = 48,
  vbInformation = 64,
  vbDefaultButton2 = 256,
};
enum : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows `testo` (ANSI) with `stile` and `titolo`; returns the answer.
  virtual int MsgBox(const std::string& testo, int stile, const std::string& titolo) = 0;
};

// Records every box and answers from a script (vbOK, or the default, when
// the script is empty).
class RecordingMessageSink : public MessageSink {
 public:
  struct Box {
    std::string testo;
    int stile;
    std::string titolo;
  };
  int MsgBox(const std::string& testo, int stile, const std::string& titolo) override {
    boxes.push_back({testo, stile, titolo});
    if (!risposte.empty()) {
      int r = risposte.front();
      risposte.pop_front();
      return r;
    }
    return (stile & 0xF) == vbYesNo ? vbYes : vbOK;
  }
  std::vector<Box> boxes;
  std::deque<int> risposte;
};

}  // namespace qod
