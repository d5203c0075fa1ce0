// The user-side platform on Qt, for every program: text at the Qt edge,
// system timers, message boxes and the notification area, behind the
// interfaces of qod/ui.h.
#pragma once

#include <QIcon>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qod/ui.h"

class QMessageBox;
class QSystemTrayIcon;
class QWidget;

namespace qod {

// ANSI text for Qt; a bare CR or CR LF becomes a line break.
QString Testo_Qt(const std::string& ansi);
// What the user typed, back in the core's 8-bit text; a character it has
// no code for becomes `sostituto`.
std::string Ansi_Qt(const QString& testo, char sostituto = '?');

// A system timer: a QTimer on the user-interface thread, never faster than
// the shortest interval of the system timer.
class Timer_Qt : public Timer_Sistema {
 public:
  Timer_Qt();
  void Avvia(int32_t intervallo_ms, std::function<void()> richiamo) override;
  void Ferma() override;
  bool Attivo() const override;

 private:
  QTimer timer_;
  std::function<void()> richiamo_;
};

// Message boxes on screen. Once interrupted (the program is asked to end),
// an open box closes with its default answer and no further box is shown.
//
// A box nobody can answer is not shown: on the offscreen or minimal platform
// (which is also where a program started without a display runs), unless a
// test answers the boxes (Controllo_Imposta). Its title and text go to
// standard error, it takes its default answer, and the program is told to
// end (Fine_Senza_Risposta_Imposta) instead of waiting for an answer.
class Messaggi_Qt : public MessageSink {
 public:
  int MsgBox(const std::string& testo, int stile, const std::string& titolo) override;
  // Written to standard error once, whether the box is shown or not.
  int MsgBox_Errore(const std::string& testo, int stile, const std::string& titolo) override;
  void Interrompi();

  static bool Nessuno_Risponde();
  // What ends the program after a message nobody could answer; it runs once,
  // from the event loop. Unset: the event loop ends with code 1.
  static void Fine_Senza_Risposta_Imposta(std::function<void()> fine);
  // A message nobody could answer has gone to standard error: the program
  // ends as told above (the end is asked for once).
  static void Senza_Risposta();
  static bool Senza_Risposta_Avvenuta();

  // Consulted by every box of the process before it comes up, with the
  // box's text, style and title: when it gives an answer, the box is not
  // shown and that is its answer. The offscreen tests set one that fails
  // the test on a box it did not expect.
  using Controllo = std::function<std::optional<int>(const std::string& testo, int stile, const std::string& titolo)>;
  static void Controllo_Imposta(Controllo controllo);

  // The answer of a box closed without a choice: its default button's.
  static int Risposta_Predefinita(int stile);

  // The window the boxes belong to: each box is centred on it as it comes
  // up (on the window's centre, even when the box is the larger). Unset:
  // the active window, and Qt places the box.
  void Proprietario(QWidget* finestra) { proprietario_ = finestra; }

 private:
  QWidget* proprietario_ = nullptr;
  QMessageBox* aperta_ = nullptr;
  bool interrotto_ = false;
};

// The notification area through QSystemTrayIcon. Where the desktop has none
// (or on the offscreen platform), adding the icon fails.
class Area_Notifica_Qt : public Area_Notifica {
 public:
  // `icone` draws the icon a record names (its hIcon); `mouse` receives the
  // icon's mouse messages (514 left, 517 right button).
  Area_Notifica_Qt(std::function<QIcon(int)> icone, std::function<void(int)> mouse);
  ~Area_Notifica_Qt() override;
  bool Shell_NotifyIcon(int messaggio, const Icona_Tray& icona) override;

 private:
  std::function<QIcon(int)> icone_;
  std::function<void(int)> mouse_;
  std::unique_ptr<QSystemTrayIcon> icona_;
};

}  // namespace qod
