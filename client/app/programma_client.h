// The archive viewer program Qod_C put together: its base (folders,
// settings, connection record), the instance slot, the record transport with
// the viewer's waits and the host connection, the main window, the
// notification area, started from the splash. The program's own main and
// the tests build it the same way; tests pass their own message boxes,
// notification area, waits and process checks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "programma_qt.h"
#include "qod/client/base_client.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/trasporto_client.h"
#include "qod/clock.h"
#include "qod/ui.h"

namespace qod {

class Archivio_Client;
class FrmClient;

// The name the running copies carry (the instance slots test it).
inline constexpr const char* kProgramma_Client = "Qod_C";

struct Opzioni_Qod_C : Opzioni_Programma {
  Opzioni_Qod_C() { attese_rete = kAttese_Client; }
  // The process id the instance slot is taken for (0: this process), and the
  // check that a slot's process still runs (unset: a running "Qod_C").
  int32_t pid = 0;
  std::function<bool(int32_t)> attivo;
};

class Programma_Qod_C : public Programma_Qt {
 public:
  explicit Programma_Qod_C(Opzioni_Qod_C opzioni);
  ~Programma_Qod_C() override;

  bool Caricato() const { return caricato_; }

  // For tests and the demo.
  Client_Base& Base() { return *base_; }
  Trasporto_Client& Trasporto() { return *trasporto_; }
  Collegamento_Client* Collegamento() { return collegamento_.get(); }
  const std::vector<Voce_Ricerca>& Ricerche() const { return ricerche_; }
  FrmClient* Vista() { return vista_.get(); }
  Archivio_Client* Archivio() { return archivio_.get(); }

 private:
  void Base_Prepara() override;
  bool Base_Inizializza() override;
  void Carica() override;
  // A stop request asks nothing: the connection is closed and the window's
  // settings are kept.
  void Termina() override;
  void Alla_Fine() override;
  void Tray_Mouse(int messaggio) override;
  bool Form_Load();
  bool Form_Unload();
  void Posizione_Carica();
  void Posizione_Salva();
  void Chiudi_Ordinato();

  Opzioni_Qod_C opzioni_;
  std::unique_ptr<Client_Base> base_;
  std::unique_ptr<Trasporto_Client> trasporto_;
  std::unique_ptr<Collegamento_Client> collegamento_;
  std::vector<Voce_Ricerca> ricerche_;
  std::unique_ptr<FrmClient> vista_;
  // The pages' contents; they go before the window that holds them.
  std::unique_ptr<Archivio_Client> archivio_;
  bool in_caricamento_ = false, caricato_ = false;
};

}  // namespace qod
