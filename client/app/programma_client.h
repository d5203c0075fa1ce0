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

#include "qod/client/base_client.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/trasporto_client.h"
#include "qod/clock.h"
#include "qod/ui.h"

namespace qod {

class Archivio_Client;
class FrmClient;
class FrmSplash;
class Messaggi_Qt;

// The name the running copies carry (the instance slots test it).
inline constexpr const char* kProgramma_Client = "Qod_C";

struct Opzioni_Qod_C {
  std::string cartella;      // the program folder: the current directory at start
  std::string riga_comando;  // as given; trimmed at start
  // Unset: message boxes on screen, the desktop's notification area, the
  // system clock.
  MessageSink* messaggi = nullptr;
  Area_Notifica* tray = nullptr;
  Clock* orologio = nullptr;
  Attese_Rete attese_rete = kAttese_Client;
  Attese_Collegamento attese_collegamento{};
  // The process id the instance slot is taken for (0: this process), and the
  // check that a slot's process still runs (unset: a running "Qod_C").
  int32_t pid = 0;
  std::function<bool(int32_t)> attivo;
  // Called once when the program ends, with its exit code. Unset: the
  // application's event loop ends with it.
  std::function<void(int)> fine;
};

class Programma_Qod_C {
 public:
  explicit Programma_Qod_C(Opzioni_Qod_C opzioni);
  ~Programma_Qod_C();
  Programma_Qod_C(const Programma_Qod_C&) = delete;
  Programma_Qod_C& operator=(const Programma_Qod_C&) = delete;

  // Shows the splash; the start of the program runs from its timers.
  void Avvia();
  // The system asks the program to end (SIGTERM): no question, the
  // connection is closed and the window's settings are kept.
  void Termina_Richiesta();

  bool Caricato() const { return caricato_; }
  bool Finito() const { return finito_; }

  // For tests and the demo.
  Client_Base& Base() { return *base_; }
  Trasporto_Client& Trasporto() { return *trasporto_; }
  Collegamento_Client* Collegamento() { return collegamento_.get(); }
  const std::vector<Voce_Ricerca>& Ricerche() const { return ricerche_; }
  FrmClient* Vista() { return vista_.get(); }
  Archivio_Client* Archivio() { return archivio_.get(); }
  FrmSplash* Splash() { return splash_.get(); }

 private:
  void Base_Avvio();
  bool Form_Load();
  bool Form_Unload();
  void Posizione_Carica();
  void Posizione_Salva();
  void Chiudi_Ordinato();
  void Fine(int codice);

  Opzioni_Qod_C opzioni_;
  std::unique_ptr<MessageSink> messaggi_propri_;
  Messaggi_Qt* messaggi_qt_ = nullptr;
  std::unique_ptr<Area_Notifica> tray_proprio_;
  std::unique_ptr<Client_Base> base_;
  std::unique_ptr<Trasporto_Client> trasporto_;
  std::unique_ptr<Collegamento_Client> collegamento_;
  std::vector<Voce_Ricerca> ricerche_;
  std::unique_ptr<FrmClient> vista_;
  std::unique_ptr<FrmSplash> splash_;
  // The pages' contents; they go before the window that holds them.
  std::unique_ptr<Archivio_Client> archivio_;
  bool avviato_ = false, in_caricamento_ = false, caricato_ = false, finito_ = false;
};

}  // namespace qod
