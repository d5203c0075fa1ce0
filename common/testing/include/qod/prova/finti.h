// Stand-ins the tests pass where the programs pass the real platform: a
// clock that moves only when told, message boxes that record and answer
// from a script, a notification area that records, and an empty printer
// list.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "qod/clock.h"
#include "qod/ui.h"

namespace qod {

class FakeClock : public Clock {
 public:
  explicit FakeClock(DateTime t = DateTime::Da(2026, 1, 15, 10, 0, 0)) : adesso_(t) {}
  DateTime Adesso() const override { return adesso_; }
  int64_t Millisecondi() const override { return ms_; }
  void Attendi(int millisecondi) override { Avanza(millisecondi); }
  void Imposta(DateTime t) { adesso_ = t; }
  void Avanza(int64_t millisecondi);

 private:
  DateTime adesso_;
  int64_t ms_ = 0;
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

// Records every call to the notification area; `disponibile` false makes
// them fail, as on a desktop without one.
class Tray_Finto : public Area_Notifica {
 public:
  struct Chiamata {
    int messaggio;
    Icona_Tray icona;
  };
  bool Shell_NotifyIcon(int messaggio, const Icona_Tray& icona) override {
    chiamate.push_back({messaggio, icona});
    return disponibile;
  }
  int Conta(int messaggio) const {
    int n = 0;
    for (const auto& c : chiamate) n += c.messaggio == messaggio;
    return n;
  }
  bool disponibile = true;
  std::vector<Chiamata> chiamate;
};

// Lists no printer.
class NoPrinters : public PrinterList {
 public:
  std::vector<std::string> Stampanti() override { return {}; }
};

}  // namespace qod
