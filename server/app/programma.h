// The server program Qod_S put together: settings and log, transport and
// host connection, the spool server and its panel, the main window and its
// logic, the timers and the notification area, started from the splash.
// The program's own main and the tests build it the same way; tests pass
// their own message boxes, notification area, printers and waits.
#pragma once

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "programma_qt.h"
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
class FrmVis;
class Qod_IMG;
class Generatore_Immagini;
class Ping_Rete;
class Fase_Stampa;
namespace stampa {
class Dispositivo_Stampa;
}

struct Opzioni_Qod_S : Opzioni_Programma {
  // Unset: the printers of CUPS.
  PrinterList* stampanti = nullptr;
  // Takes the folder's one-copy lock once the settings have passed their
  // check, before anything is made in the folder; an exit code ends the
  // start there. Unset: no lock.
  std::function<std::optional<int>()> istanza;
};

class Programma_Qod_S : public Programma_Qt {
 public:
  explicit Programma_Qod_S(Opzioni_Qod_S opzioni);
  ~Programma_Qod_S() override;

  // For tests.
  Server_Base& Base() { return *base_; }
  Pannello& Quadro() { return *pannello_; }
  Spool_Server& Spool() { return *spool_; }
  Finestra_Base* Finestra() { return finestra_.get(); }
  FrmBase* Vista() { return vista_.get(); }
  Fase_Stampa& Stampa() { return *fase_stampa_; }
  // The viewer window while it is open.
  FrmVis* Visore();
  bool Caricato() const { return caricato_; }

 private:
  void Base_Prepara() override;
  bool Base_Inizializza() override;
  void Carica() override;
  // In the splash nothing runs yet: the program ends; from the window on,
  // the window logic ends it in order.
  void Termina() override;
  void Tray_Mouse(int messaggio) override;
  void Visore_Carica(const std::string& immagine);
  void Visore_Scarica();

  Opzioni_Qod_S opzioni_;
  std::unique_ptr<PrinterList> stampanti_proprie_;
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
  QPointer<FrmVis> visore_;
  bool in_finestra_ = false, caricato_ = false;
};

}  // namespace qod
