// The server's record connection to the host program: start it over FTP
// when needed, connect, log in, re-register after an error, and download the
// archive field dictionary from which the blank archive index template is
// built.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "qod/cripto.h"
#include "qod/host/programma.h"
#include "qod/host/scambio.h"
#include "qod/host/trasporto.h"

namespace qod {

// The host's archive field dictionary: entries 1..Numero (at most 77), in
// the order the host listed them, the rows it marks "A" left out. Field k
// covers columns Inizio[k] .. Inizio[k] + Larghezza[k] - 1 of the archive
// index record; the first 13 are its fixed part (columns 1-112).
struct Dizionario_Campi {
  static constexpr int kMassimo = 77;
  int32_t Numero = 0;
  std::array<int32_t, kMassimo + 1> Larghezza{};   // 1..77
  std::array<std::string, kMassimo + 1> Tipo{};    // 1..77: "A" text, "N", "D", "Z"
  std::array<std::string, kMassimo + 1> Etichetta{};     // 1..77: label, trimmed
  std::array<std::string, kMassimo + 1> Intestazione{};  // 1..77: list column heading, trimmed
  std::array<int32_t, kMassimo + 2> Inizio{};      // 1..78
};

// The program's values the connection reads and keeps: the connection
// record, the login title and the reconnect mark.
struct Dati_Collegamento {
  Parametri_Collegamento Collegamento;
  std::string Titolo_Login;       // "Quillon Server  " & index
  bool Riconnessione = false;     // reconnect mark of the host connection
};

// `Stato_Ciclo`: 0 manual and not connected, 2 manual and connected,
// 4 automatic and waiting (for the connection window or a reconnection),
// 6 automatic, connected and cycling.
enum : int32_t { Stato_Manuale = 0, Stato_Connesso = 2, Stato_Attesa = 4, Stato_Automatico = 6 };

// What the connection shows and the state it sets, outside the core.
struct Effetti_Collegamento {
  std::function<void(const std::string&)> Etichetta_Client;  // "non connesso", "Client 7"
  std::function<void(int)> Stato_Imposta;                   // run state after an error (Stato_Attesa)
  // True while the automatic cycle runs: a failure is then logged only, so
  // that no message box holds the cycle up.
  std::function<bool()> Automatico;
  // The title of the connection's message boxes; empty: kTitolo_Errore.
  std::string Titolo_Errore;
};

// The pause between connection attempts: `passi` rounds of a sleep of
// `passo_ms` (on the base's clock) followed by a pump.
struct Attese_Collegamento {
  int tentativi = 10;
  int passi = 10;
  int passo_ms = 200;
  // The viewer pauses after its last failed attempt too, before it gives
  // up; the server gives up at once.
  bool pausa_dopo_ultimo = false;
  // Asked after each pump of a pause: true gives up at once, with no
  // further attempt (the program is ending).
  std::function<bool()> interrompi;
};

inline constexpr const char* kTitolo_Errore = "Quillon     ERRORE";

class Connessione_Host {
 public:
  // `programma` gives the log, the messages, the clock and the conversion
  // table; `dati` the connection values.
  Connessione_Host(const Base_Programma& programma, Dati_Collegamento& dati, Trasporto& trasporto,
                   Effetti_Collegamento effetti = {}, Attese_Collegamento attese = {});
  ~Connessione_Host();
  Connessione_Host(const Connessione_Host&) = delete;
  Connessione_Host& operator=(const Connessione_Host&) = delete;

  // Opens the connection on slot 1. True when logged in and the dictionary
  // has been read. Pumps (`pompa`) during the pauses between attempts. Every
  // failure is logged. A call made while one is under way (from a pump)
  // returns false at once.
  bool Host_Collega(const Pump& pompa = {});
  // Closes the connection for good.
  void Host_Scollega();
  // Closes the connection after an error; the next Host_Collega skips the
  // FTP start and re-registers the previous client index. Run state
  // Stato_Attesa.
  void Host_Scollega_Riprova();

  // Kept across connections until the next login and dictionary replace them.
  int32_t Indice_Client = 0;
  Dizionario_Campi Dizionario;
  std::string Modello_Archivio;  // the blank archive index from column 113 on
  std::string Corpo_Accesso;     // the body of the last login reply, as text
  // True when the last Host_Collega failed because the host refused the
  // login (a box has said why).
  bool Accesso_Rifiutato = false;

 private:
  bool Greeting_Leggi();
  bool Accesso();
  bool Dizionario_Leggi();
  void Modello_Costruisci();
  void Chiudi() { trasporto_.Sock_Close(kSlot_Host); }
  void Etichetta(const std::string& t) const {
    if (effetti_.Etichetta_Client) effetti_.Etichetta_Client(t);
  }
  // Logs the failure and, outside the automatic cycle, shows it.
  void Errore(const std::string& testo) const;
  void Registra(const std::string& testo) const;
  bool Interrotto() const { return attese_.interrompi && attese_.interrompi(); }

  const Base_Programma& programma_;
  Dati_Collegamento& dati_;
  Trasporto& trasporto_;
  Effetti_Collegamento effetti_;
  Attese_Collegamento attese_;
  bool in_corso_ = false;
};

}  // namespace qod
