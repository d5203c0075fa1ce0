// The life every Qt program with a host connection shares: the message
// boxes, notification area and clock it uses unless a test gives its own;
// the splash that runs its start; a stop request that first closes an open
// message; and the end, once, with its exit code. A program says what its
// own start, stop and end do.
#pragma once

#include <QIcon>
#include <QString>

#include <functional>
#include <memory>
#include <string>

#include "qod/clock.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/ui.h"

namespace qod {

class FrmSplash;
class Messaggi_Qt;

struct Opzioni_Programma {
  std::string cartella;       // the program folder: the current directory at start
  std::string riga_comando;   // as given; trimmed at start
  // Unset: message boxes on screen, the desktop's notification area, the
  // system clock.
  MessageSink* messaggi = nullptr;
  Area_Notifica* tray = nullptr;
  Clock* orologio = nullptr;
  Attese_Rete attese_rete{};
  Attese_Collegamento attese_collegamento{};
  // Called once when the program ends, with its exit code. Unset: the
  // application's event loop ends with it.
  std::function<void(int)> fine;
};

class Programma_Qt {
 public:
  virtual ~Programma_Qt();
  Programma_Qt(const Programma_Qt&) = delete;
  Programma_Qt& operator=(const Programma_Qt&) = delete;

  // Shows the splash; the start of the program runs from its timers.
  void Avvia();
  // The system asks the program to end (SIGTERM): an open message closes,
  // then the program stops as it says (Termina).
  void Termina_Richiesta();
  bool Finito() const { return finito_; }

  FrmSplash* Splash() { return splash_.get(); }

 protected:
  // `nome` is drawn on the splash ("Server", "Viewer"); `icona` draws the
  // notification area's icons when no area was given.
  Programma_Qt(const Opzioni_Programma& opzioni, QString nome, std::function<QIcon(int)> icona);

  // From the splash's first tick.
  virtual void Base_Prepara() = 0;
  // Settings and log; false ends the program with code 1.
  virtual bool Base_Inizializza() = 0;
  // The rest of the start, once the settings are read and no stop came.
  virtual void Carica() = 0;
  // What a stop request does once an open message is closed.
  virtual void Termina() = 0;
  // Just before the end is handed on.
  virtual void Alla_Fine() {}
  // A mouse message of the notification area's icon.
  virtual void Tray_Mouse(int messaggio) = 0;

  // Ends the program with `codice`; later calls do nothing.
  void Fine(int codice);
  // The splash says the start waits for the host `host`.
  void Stato_Connessione(const std::string& host);
  // Closes the splash now (before the parts its timers call go).
  void Splash_Chiudi();

  MessageSink& Messaggi() { return *messaggi_; }
  // The message boxes made here; null when a test gave its own.
  Messaggi_Qt* Messaggi_Schermo() { return messaggi_qt_; }
  Area_Notifica& Tray() { return *tray_; }
  Clock& Orologio() { return *orologio_; }
  // Lets Qt process its events: every wait of the program pumps with it.
  static void Pompa_Qt();

 private:
  void Base_Avvio();

  std::unique_ptr<MessageSink> messaggi_propri_;
  Messaggi_Qt* messaggi_qt_ = nullptr;
  MessageSink* messaggi_ = nullptr;
  std::unique_ptr<Area_Notifica> tray_proprio_;
  Area_Notifica* tray_ = nullptr;
  Clock* orologio_ = nullptr;
  std::function<void(int)> fine_;
  QString nome_;
  std::unique_ptr<FrmSplash> splash_;
  bool avviato_ = false, finito_ = false;
};

}  // namespace qod
