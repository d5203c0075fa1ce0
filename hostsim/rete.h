// The stand-in's listeners: the host's FTP server, whose RCMD starts (or
// confirms) the host program, and the host program's record listener, with
// the misbehaviours tests ask for.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "host.h"
#include "lettura.h"
#include "opzioni.h"
#include "registro.h"

namespace hostsim {

// A misbehaviour of the replies to one record letter ("@" the greeting, "*"
// every record), on every request or only on the n-th of the connection.
struct Guasto {
  enum Tipo { Lento, Taglia, Chiudi, Goccia, Allunga, Cresce } tipo;
  char lettera;
  int occorrenza;  // 0: every one
  // ms for Lento and Goccia (between two bytes), bytes sent for Taglia and
  // Chiudi, bytes added for Allunga (past the announced length) and Cresce
  // (counted in the announced length).
  int valore;
};

struct Configurazione {
  std::string indirizzo = "127.0.0.1";
  int porta_ftp = 0;     // 0: any free port; -1: no FTP server
  int porta_record = 0;  // 0: any free port
  std::string file_pronto, file_log;
  bool programma_su_rcmd = false;   // the host program runs only after an RCMD
  bool fine_con_sessione = false;   // and ends when its record connection closes
  std::string esito_greeting = "0";
  int corpo_su_vuoto = 0;           // filler bytes on replies without a body
  std::vector<Guasto> guasti;
  std::string ftp_muto, ftp_errato; // step: greeting, user, pass, rcmd
  bool ftp_multiriga = false;
  int ftp_greeting_infinito_ms = 0; // a "220-" line this often, never the last one
  Lettura lettura;                  // how request bodies are read

  void Opzioni_Dichiara(Opzioni& o);
};

class Server {
 public:
  // `sincronizza` returns once what the handlers keep in memory is in its
  // files; it runs at the end of every connection and on a "sync" of the
  // control port.
  Server(const Configurazione& c, const Gestori& g, Registro& r, std::function<void()> sincronizza)
      : c_(c), gestori_(g), log_(r), sincronizza_(std::move(sincronizza)) {}
  // Binds the listeners and starts serving; writes the ready file.
  bool Avvia(std::string& errore);
  int Porta_Ftp() const { return porta_ftp_; }
  int Porta_Record() const { return porta_record_; }
  int Porta_Controllo() const { return porta_controllo_; }
  // Files and log written: what is kept in memory, then the queued log lines.
  void Sincronizza();

 private:
  int Ascolta(int porta, int& effettiva, std::string& errore);
  void Accetta(int fd, bool ftp);
  void Controllo(int ascolto);
  void Sessione_Ftp(int fd, int id);
  void Sessione_Record(int fd, int id);
  bool Invia(int fd, int id, const Risposta& r, char lettera, int occorrenza);
  bool Programma_Avvia(int porta, int id);
  void Programma_Termina(int id);

  const Configurazione& c_;
  const Gestori& gestori_;
  Registro& log_;
  std::function<void()> sincronizza_;
  int porta_ftp_ = -1, porta_record_ = -1, porta_controllo_ = -1;
  std::mutex m_;                  // the host program's state, the handlers
  bool programma_attivo_ = true;
  std::map<int, int> ascolti_;    // record listeners: port -> socket
  std::atomic<int> prossimo_id_{1};
  std::atomic<int> connessioni_record_{0};
};

}  // namespace hostsim
