// Test support: runs the stand-in host (qod_hostsim) on free loopback ports
// in a folder of its own, waits until it listens, stops it, and reads its
// request log.
//
//   qod::prova::Host_Simulato host({"--user", "QSYS:PW:7"});
//   ASSERT_TRUE(host.Avvia());
//   ... connect to 127.0.0.1:host.Porta_Record() ...
//   auto righe = host.Log("REC");
#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "qod/cripto.h"
#include "qod/prova/processo.h"

namespace qod::prova {

// One line of the request log.
struct Voce_Log {
  std::string canale;  // "REC", "FTP" or "EVT"
  int sessione = 0;
  std::string esa;     // the bytes received, hex
  std::string testo;   // the text, ANSI
  std::string Byte() const;  // the bytes received
};

class Host_Simulato {
 public:
  // `argomenti` are added to the ones the helper passes (--dir, --ready-file,
  // --log, --ftp-port 0, --record-port 0; later options win).
  explicit Host_Simulato(std::vector<std::string> argomenti = {});
  ~Host_Simulato();
  Host_Simulato(const Host_Simulato&) = delete;
  Host_Simulato& operator=(const Host_Simulato&) = delete;

  // Starts the program and waits until it listens. False when it did not
  // (its output is in Uscita()).
  bool Avvia(int limite_ms = 30000);
  // Stops it (SIGTERM, then SIGKILL) and waits for it. It never outlives
  // the test process.
  void Ferma();
  bool In_Esecuzione() { return processo_.In_Esecuzione(); }
  pid_t Pid() const { return processo_.Pid(); }

  int Porta_Ftp() const { return porta_ftp_; }
  int Porta_Record() const { return porta_record_; }
  const std::filesystem::path& Cartella() const { return cartella_; }
  std::string Uscita() const;  // what it wrote on stdout and stderr

  // The request log. The stand-in writes it in batches: reading it first
  // asks the stand-in to write everything it has received so far, as well as
  // the archive store's files.
  std::vector<Voce_Log> Log() const;
  std::vector<Voce_Log> Log(const std::string& canale) const;
  // Returns once the stand-in has written its log and its archive store's
  // files for everything it received so far.
  void Sincronizza() const;
  // The texts of the records received that start with `lettera`, in order.
  std::vector<std::string> Richieste(char lettera) const;
  // Waits until `condizione` holds over the log.
  bool Attendi_Log(const std::function<bool(const std::vector<Voce_Log>&)>& condizione,
                   int limite_ms = 30000) const;
  // Waits for an event line ("program-end", "ftp-close", ...).
  bool Attendi_Evento(const std::string& evento, int limite_ms = 30000) const;
  // How many event lines start with `evento`.
  int Eventi(const std::string& evento) const;

  // The program's path, and the dictionary fixture that comes with it.
  static std::string Eseguibile();
  static std::string Dizionario_Predefinito();
  // Writes the conversion table file the stand-in encodes with.
  static bool Scrivi_Tabella(const std::filesystem::path& file);

  // The connection to this (started) stand-in's record port on 127.0.0.1 as
  // `utente`, with no FTP start.
  Parametri_Collegamento Collegamento(const std::string& utente = "QSYS", const std::string& password = "PW") const;

  // A server program folder that talks to this (started) stand-in: the
  // folder, its conversion table and a settings file whose connection record
  // names the record port, with no FTP start.
  bool Programma_Prepara(const std::filesystem::path& programma, int indice_server = 1,
                         const std::string& utente = "QSYS", const std::string& password = "PW") const;

 private:
  std::vector<std::string> argomenti_;
  std::filesystem::path cartella_;
  Processo processo_;
  void Controllo_Chiudi() const;

  int porta_ftp_ = -1, porta_record_ = -1, porta_controllo_ = -1;
  mutable std::mutex controllo_m_;
  mutable int controllo_fd_ = -1;  // the connection to the control port
};

}  // namespace qod::prova
