// The spool server against the stand-in host, set up the one way the road
// tests share: a queue folder the stand-in serves and a folder for the
// spool files it has done, the stand-in started on them, the server's
// program folder prepared for it and its base started, then the connection
// and the spool server with the stages the test gives.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qod/clock.h"
#include "qod/server/base_server.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/host_simulato.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "qod/server/pannello.h"
#include "qod/server/spool.h"

namespace qod::test {

class Strada_Simulata {
 public:
  Strada_Simulata();

  // Writes a spool file into the queue: its attribute values, its
  // definitions and its print data (`file_dati` "dati.txt" in the readable
  // form, "dati.scs" as raw bytes).
  void Spool(const std::string& nome, const std::string& attributi, const std::string& definizioni,
             const std::string& dati, const std::string& file_dati = "dati.txt") const;

  // Starts the stand-in with `opzioni` added, prepares the program folder
  // for server `indice` and the user, runs `prima_della_base` (to change
  // the settings file) and starts the server's base.
  ::testing::AssertionResult Avvia(const std::vector<std::string>& opzioni = {}, int indice = 1,
                                   const std::string& utente = "QSYS", const std::string& password = "PW",
                                   const std::function<void()>& prima_della_base = {});
  // Stops the stand-in and starts another on the same queue with `opzioni`
  // added; the server's connection record then names its record port.
  ::testing::AssertionResult Riavvia_Host(const std::vector<std::string>& opzioni = {});
  // Connects to the stand-in (the connection's side effects `effetti`) and
  // makes the spool server with `fasi`.
  ::testing::AssertionResult Collega(const Fasi_Spool& fasi, const Effetti_Collegamento& effetti = {});

  // The texts of the records the stand-in received, in order.
  std::vector<std::string> Record() const;
  // The outcome the stand-in kept for a spool file it has done.
  std::string Esito_Host(const std::string& nome) const;

  prova::Cartella_Prova dir{"strada"};
  const std::filesystem::path coda = dir.Dir() / "coda";
  const std::filesystem::path fatti = dir.Dir() / "fatti";
  const std::filesystem::path programma = dir.Dir() / "Qod_S";
  std::unique_ptr<prova::Host_Simulato> host;
  FakeClock orologio{DateTime::Da(2026, 3, 7, 9, 0, 0)};
  RecordingMessageSink messaggi;
  NoPrinters stampanti;
  Server_Base base{orologio, messaggi, stampanti};
  Trasporto trasporto{Attese_Rete{3000, 100, 3000}};
  std::unique_ptr<Connessione_Host> conn;
  Pannello pannello;
  std::unique_ptr<Spool_Server> server;

 private:
  ::testing::AssertionResult Host_Avvia(const std::vector<std::string>& opzioni);
};

}  // namespace qod::test
