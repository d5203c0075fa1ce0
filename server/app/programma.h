// The server program Qod_S put together: settings and log, transport and
// host connection, the spool server and its panel, the main window and its
// logic, the timers and the notification area, started from the splash.
// The program's own main and the tests build it the same way; tests pass
// their own message boxes, notification area, printers and waits.
#pragma once

#include <QPointer>

#include <functional>
#include <memory>
#include <string>

#include "qod/clock.h"
#include "qod/server/base_server.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/server/archivia.h"
#include "qod/server/emissione.h"
#include "qod/server/finestra_base.h"
#include "qod/ui.h"

namespace qod {

class FrmBase;
class FrmSplash;
class FrmVis;
class Qod_IMG;
class Generatore_Immagini;
class Ping_Rete;
class Fase_Stampa;
namespace stampa {
class Dispositivo_Stampa;
}

struct Opzioni_Qod_S {
  std::string cartella;       // the program folder: the current directory at start
  std::string riga_comando;   // as given; trimmed at start
  // Unset: message boxes on screen, the desktop's notification area, the
  // printers of CUPS, the system clock.
  MessageSink* messaggi = nullptr;
  Area_Notifica* tray = nullptr;
  PrinterList* stampanti = nullptr;
  Clock* orologio = nullptr;
  Attese_Rete attese_rete{};
  Attese_Collegamento attese_collegamento{};
  // Called once when the program ends, with its exit code. Unset: the
  // application's event loop ends with it.
  std::function<void(int)> fine;
};

class Programma_Qod_S {
 public:
  explicit Programma_Qod_S(Opzioni_Qod_S opzioni);
  ~Programma_Qod_S();
  Programma_Qod_S(const Programma_Qod_S&) = delete;
  Programma_Qod_S& operator=(const Programma_Qod_S&) = delete;

  // Shows the splash; the start of the server runs from its timers.
  void Avvia();
  // The system asks the program to end (SIGTERM).
  void Termina_Richiesta();
  bool Finito() const { return finito_; }

  // For tests.
  Server_Base& Base() { return *base_; }
  Pannello& Quadro() { return *pannello_; }
  Spool_Server& Spool() { return *spool_; }
  Finestra_Base* Finestra() { return finestra_.get(); }
  FrmBase* Vista() { return vista_.get(); }
  FrmSplash* Splash() { return splash_.get(); }
  // The viewer window while it is open.
  FrmVis* Visore();
  bool Caricato() const { return caricato_; }

 private:
  void Base_Avvio();
  void Fine(int codice);
  void Visore_Carica(const std::string& immagine);
  void Visore_Scarica();

  Opzioni_Qod_S opzioni_;
  std::unique_ptr<MessageSink> messaggi_propri_;
  std::unique_ptr<PrinterList> stampanti_proprie_;
  std::unique_ptr<Area_Notifica> tray_proprio_;
  class Messaggi_Qt* messaggi_qt_ = nullptr;
  std::unique_ptr<Server_Base> base_;
  std::unique_ptr<Trasporto> trasporto_;
  std::unique_ptr<Pannello> pannello_;
  std::unique_ptr<Connessione_Host> host_;
  std::unique_ptr<Qod_IMG> qod_img_;
  std::unique_ptr<Generatore_Immagini> generatore_;
  std::unique_ptr<stampa::Dispositivo_Stampa> dispositivo_stampa_;
  std::unique_ptr<Ping_Rete> ping_;
  std::unique_ptr<Fase_Stampa> fase_stampa_;
  std::unique_ptr<Fase_Archivia> fase_archivia_;
  std::unique_ptr<Emissione_PDF> emissione_pdf_;
  std::unique_ptr<Emissione_Immagini> emissione_immagini_;
  std::unique_ptr<Spool_Server> spool_;
  std::unique_ptr<Lavoro_Host> lavoro_;
  std::unique_ptr<Timer_Sistema> ciclo_, semaforo_;
  std::unique_ptr<FrmBase> vista_;
  std::unique_ptr<Finestra_Base> finestra_;
  std::unique_ptr<FrmSplash> splash_;
  QPointer<FrmVis> visore_;
  bool avviato_ = false, in_finestra_ = false, caricato_ = false, finito_ = false, termina_ = false;
};

}  // namespace qod
