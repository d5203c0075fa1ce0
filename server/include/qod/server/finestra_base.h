// The server's main window `frmBase` without its drawing: the load (first
// connection, first run state, timers), the unload rules and the exit
// question, the switches, the toolbar, the automatic cycle `Spool_Automa`,
// the light and cycle timer ticks, minimising to the notification area and
// restoring, and the orderly end on a request of the system. The window
// itself (Qt) draws the panel model and forwards its events here; timers,
// the notification area and the window are interfaces, so every rule runs
// in tests without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "qod/server/base_server.h"
#include "qod/host/collegamento.h"
#include "qod/server/ciclo.h"
#include "qod/server/pannello.h"
#include "qod/server/spool.h"
#include "qod/ui.h"

namespace qod {

// Twips per pixel: positions kept in the settings are in twips.
inline constexpr int32_t kTwips_Pixel = 15;

// What the window logic asks of the window on screen.
class Vista_Base {
 public:
  virtual ~Vista_Base() = default;
  virtual bool Minimizzata() const = 0;
  // Neither minimised nor maximised.
  virtual bool Normale() const = 0;
  // Window state minimised; the window then reports Form_Resize.
  virtual void Minimizza() = 0;
  virtual void Nascondi() = 0;
  // Window state normal, and shown.
  virtual void Mostra_Normale() = 0;
  // The system's restore command (brings the window back to the front).
  virtual void Ripristina() = 0;
  // Position of the window's top-left corner, in twips.
  virtual void Posizione(int32_t& left, int32_t& top) const = 0;
  virtual void Sposta(int32_t left, int32_t top) = 0;
  // Size of the screen, in pixels.
  virtual void Schermo(int32_t& larghezza, int32_t& altezza) const = 0;
  // The close message: the window asks Form_Unload whether it may close.
  virtual void Chiudi() = 0;
  // The program ends.
  virtual void Esci() = 0;
};

// The spool work the window drives: the host connection and the spool file
// cycle, with the values the window shows or tests.
class Lavoro_Spool {
 public:
  virtual ~Lavoro_Spool() = default;
  virtual bool Host_Collega() = 0;
  virtual void Host_Scollega() = 0;
  // Handles at most one spool file; true when it went the whole way.
  virtual bool Spool_Get() = 0;
  virtual bool Spool_In_Corso() const = 0;
  // The spool file in hand is past what cannot be taken back (its mail
  // command has started): no stop request may abandon it any more.
  virtual bool Spool_Irrevocabile() const = 0;
  // The connection window, "yyyymmddhhnnss" each.
  virtual const std::string& End() const = 0;
  virtual const std::string& Restart() const = 0;
  // The first page image of the last spool file; empty before the first.
  virtual std::string Immagine_Visualizza() const = 0;
  // Reads the running totals and shows them on rows 2 and 3.
  virtual void Progressivi_Carica() = 0;
};

// The real work: the host connection and the spool server.
class Lavoro_Host : public Lavoro_Spool {
 public:
  Lavoro_Host(Connessione_Host& host, Spool_Server& spool, Pump pompa)
      : host_(host), spool_(spool), pompa_(std::move(pompa)) {}
  bool Host_Collega() override { return host_.Host_Collega(pompa_); }
  void Host_Scollega() override { host_.Host_Scollega(); }
  bool Spool_Get() override { return spool_.Spool_Get(); }
  bool Spool_In_Corso() const override { return spool_.Spool_In_Corso(); }
  bool Spool_Irrevocabile() const override { return spool_.Irrevocabile(); }
  const std::string& End() const override { return spool_.End(); }
  const std::string& Restart() const override { return spool_.Restart(); }
  std::string Immagine_Visualizza() const override { return spool_.Immagine_Visualizza(); }
  void Progressivi_Carica() override { spool_.Progressivi_Carica(); }

 private:
  Connessione_Host& host_;
  Spool_Server& spool_;
  Pump pompa_;
};

// The command-line switches are exact, case-sensitive substrings of the
// trimmed command line.
bool Opzione_Presente(std::string_view riga_comando, std::string_view opzione);

// The viewer window subclasses its control unless the command line holds
// "/NOSUBCLASS".
inline bool Visore_Subclass(std::string_view riga_comando) { return !Opzione_Presente(riga_comando, "/NOSUBCLASS"); }

// The first run state: 6 connected with "/AUTO", 2 connected, 4 not
// connected with "/AUTO", 0 not connected.
int32_t Stato_Iniziale(bool connesso, std::string_view riga_comando);

// A window coordinate from the settings, in twips: the text's leading
// number (none gives 0); below 0 it becomes 0, beyond the screen size less
// 20 pixels it becomes that.
int32_t Posizione_Limita(std::string_view testo, int32_t schermo_px);

class Finestra_Base {
 public:
  // The viewer window (loaded with an image path, unloaded); unset until
  // there is one.
  struct Visore {
    std::function<void(const std::string& immagine)> Carica;
    std::function<void()> Scarica;
  };

  Finestra_Base(Server_Base& base, Pannello& pannello, Lavoro_Spool& lavoro, Vista_Base& vista,
                Area_Notifica& tray, Timer_Sistema& ciclo, Timer_Sistema& semaforo, Pump pompa,
                Visore visore = {});
  Finestra_Base(const Finestra_Base&) = delete;
  Finestra_Base& operator=(const Finestra_Base&) = delete;

  // ---- Run state and timers ----------------------------------------------------

  // Sets the run state, the toolbar keys it enables and, in the automatic
  // states, turns the three switches on. The light follows at its next tick.
  void Stato_Imposta(int32_t stato);
  void Ciclo_Timer_Avvia();
  void Ciclo_Timer_Ferma();
  void Semaforo_Timer_Avvia();
  void Semaforo_Timer_Ferma();
  // The timer callbacks. A tick that comes while an earlier one still runs
  // (the work lets window messages run) is dropped.
  void Ciclo_Timer();
  void Semaforo_Timer();

  // ---- Window events -----------------------------------------------------------

  // The load: caption, panel, position, rows 0-3, first connection and run
  // state, "/ICON", then the light and cycle timers.
  void Form_Load();
  // The unload: true (Cancel) in the automatic states, while a spool file is
  // handled, or when the operator answers No; otherwise the timers stop, the
  // position is kept, the connection closes in state 2 and the program ends.
  bool Form_Unload();
  // Minimised: the window goes to the notification area.
  void Form_Resize();
  // The switch of rows 20-22 flips, in the manual states only.
  void lbl1_Click(int indice);
  void si_Click(int indice) { lbl1_Click(indice); }
  void no_Click(int indice) { lbl1_Click(indice); }
  // A toolbar button, by its key.
  void Toolbar_ButtonClick(std::string_view chiave);
  // A mouse message of the notification-area icon: a button released
  // restores the window.
  void pic_try__MouseMove(int messaggio);
  // Removes the icon (when minimised) and restores the window.
  void Finestra_Ripristina();

  // ---- Automatic cycle -----------------------------------------------------------

  // One tick of the cycle timer: connects or disconnects by the connection
  // window, and fetches spool files while they are handled to the end.
  void Spool_Automa();

  // ---- End on a request of the system --------------------------------------------

  // The timers stop; when nothing is running the program ends in order
  // (position kept, connection closed), else it ends as soon as the running
  // work returns. The work looks at `Termina_Richiesto` in every wait and
  // at every block, page, printed image and saved document, so it returns
  // within one of them; the spool file being handled is then abandoned
  // without its done record, unless its mail command has started: it then
  // goes on to its done record without waiting for the command. A second
  // request while a spool file is handled also closes the connection, but
  // not once its mail command has started.
  void Termina_Richiesta();
  bool Termina_Richiesto() const { return termina_; }
  // The automatic cycle runs: states 4 and 6, and the load under "/AUTO".
  // Failures are then logged, never shown in a box that would hold it up.
  bool Automatico() const;
  bool Terminato() const { return terminato_; }

  // ---- State ------------------------------------------------------------------------

  int32_t Stato_Ciclo = Stato_Manuale;
  int32_t Ciclo_Profondita = 0;
  int32_t Semaforo_Profondita = 0;
  int32_t Fase_Semaforo = 0;
  std::string Riga_Comando;   // trimmed, kept at load
  std::string Versione;       // shown by `Release`
  Icona_Tray Icona;
  bool Icona_Presente = false;

  Pannello& Quadro() { return pannello_; }
  const Pannello& Quadro() const { return pannello_; }

 private:
  class Lavoro_In_Corso;
  std::string Titolo() const;  // "Quillon Server - " & the server number
  void Posizione_Salva();
  void Termina_Ora();

  Server_Base& base_;
  Pannello& pannello_;
  Lavoro_Spool& lavoro_;
  Vista_Base& vista_;
  Area_Notifica& tray_;
  Timer_Sistema& ciclo_;
  Timer_Sistema& semaforo_;
  Pump pompa_;
  Visore visore_;
  int32_t in_corso_ = 0;        // window events and ticks under way
  bool termina_ = false;        // the system asked the program to end
  bool in_caricamento_ = false; // Form_Load under way
  bool terminato_ = false;
};

}  // namespace qod
