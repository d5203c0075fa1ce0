// The notification-area icon of the server: the record the program keeps for
// it through its whole life, and the system call it is handed to.
#pragma once

#include <cstdint>
#include <string>

namespace qod {

// Messages and flags of the notification-area call.
enum : int { NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2 };
enum : int32_t { NIF_MESSAGE = 1, NIF_ICON = 2, NIF_TIP = 4 };
// Mouse messages the icon reports.
enum : int { WM_MOUSEMOVE = 512, WM_LBUTTONUP = 514, WM_RBUTTONUP = 517 };

// `Icona_Tray`. The icon is named by its light: `Sem_`(hIcon) shows the
// colour of light shape hIcon (0..7).
struct Icona_Tray {
  int32_t cbSize = 88;
  int32_t uID = 1;
  int32_t uFlags = 0;
  int32_t uCallbackMessage = WM_MOUSEMOVE;
  int32_t hIcon = 0;
  std::string szTip;  // 64 characters: the tip, a NUL, blanks

  // The tip as far as its NUL.
  std::string Suggerimento() const;
  // Puts `testo` in the 64-character field: the text, a NUL, then blanks.
  void Suggerimento_Imposta(const std::string& testo);
};

// Shell_NotifyIcon: adds, changes or removes the icon. False when the
// system has no notification area or refused the call.
class Area_Notifica {
 public:
  virtual ~Area_Notifica() = default;
  virtual bool Shell_NotifyIcon(int messaggio, const Icona_Tray& icona) = 0;
};

}  // namespace qod
