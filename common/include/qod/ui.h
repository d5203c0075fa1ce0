// What the core asks of the platform at the user's side, in one place:
// letting pending window messages run (the pump), message boxes, system
// timers, the notification area and the list of installed printers. The
// programs pass their Qt and CUPS implementations (platform/ui,
// platform/printing); tests pass recorders with scripted answers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "qod/console.h"

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
  // A message that must reach whoever started the program even when no one
  // sees the box (a start-up that cannot go on): written to standard error,
  // then shown as MsgBox shows it.
  virtual int MsgBox_Errore(const std::string& testo, int stile, const std::string& titolo) {
    Errore_Scrivi(titolo, testo);
    return MsgBox(testo, stile, titolo);
  }
};

// ---- System timers ----------------------------------------------------------

// A system timer without a window: calls `richiamo` on the user-interface
// thread every `intervallo_ms` until stopped. Starting it again replaces the
// interval and the callback.
class Timer_Sistema {
 public:
  virtual ~Timer_Sistema() = default;
  virtual void Avvia(int32_t intervallo_ms, std::function<void()> richiamo) = 0;
  virtual void Ferma() = 0;
  virtual bool Attivo() const = 0;
};

// The shortest interval the system timer allows; a shorter one (a missing
// "Tempo Ciclo" gives 0) runs at this one.
inline constexpr int32_t kIntervallo_Minimo = 10;
inline int32_t Intervallo_Timer(int32_t ms) { return ms < kIntervallo_Minimo ? kIntervallo_Minimo : ms; }

// ---- The notification area ----------------------------------------------------

// Messages and flags of the notification-area call.
enum : int { NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2 };
enum : int32_t { NIF_MESSAGE = 1, NIF_ICON = 2, NIF_TIP = 4 };
// Mouse messages the icon reports.
enum : int { WM_MOUSEMOVE = 512, WM_LBUTTONUP = 514, WM_RBUTTONUP = 517 };

// The record a program keeps for its notification-area icon through its
// whole life. The icon is named by a number the program gives meaning to
// (the server's lights 0..7).
struct Icona_Tray {
  int32_t cbSize = 88;
  int32_t uID = 1;
  int32_t uFlags = 0;
  int32_t uCallbackMessage = WM_MOUSEMOVE;
  int32_t hIcon = 0;
  std::string szTip;  // 64 characters: the tip, a NUL, blanks

  // The tip as far as its NUL.
  std::string Suggerimento() const { return szTip.substr(0, szTip.find('\0')); }
  // Puts `testo` in the 64-character field: the text, a NUL, then blanks.
  void Suggerimento_Imposta(const std::string& testo) {
    szTip = testo.substr(0, 63);
    szTip.push_back('\0');
    szTip.resize(64, ' ');
  }
};

// Shell_NotifyIcon: adds, changes or removes the icon. False when the
// system has no notification area or refused the call.
class Area_Notifica {
 public:
  virtual ~Area_Notifica() = default;
  virtual bool Shell_NotifyIcon(int messaggio, const Icona_Tray& icona) = 0;
};

// ---- Printers -------------------------------------------------------------------

// The installed printers, in the order the system lists them.
class PrinterList {
 public:
  virtual ~PrinterList() = default;
  virtual std::vector<std::string> Stampanti() = 0;
};

}  // namespace qod
