// A spool server wired to a scripted host on one loopback connection: the
// test queues the host's replies, runs a stage, then reads the requests the
// server sent and the log it wrote.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qod/prova/strumenti.h"
#include "ebcdic_test.h"
#include "generatore_finto.h"
#include "qod/clock.h"
#include "qod/server/base_server.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/imagegen/qod_img.h"
#include "qod/prova/finti.h"
#include "qod/server/spool.h"
#include "record_test.h"
#include "support/pari.h"

namespace qod::test {

using namespace qod::prova;

class Ping_Finto : public Ping_Stampante {
 public:
  std::optional<Risultato_Ping> Ping(const std::string& indirizzo) override {
    indirizzi.push_back(indirizzo);
    return risultato;
  }
  std::optional<Risultato_Ping> risultato = Risultato_Ping{"   OK : completato in 1ms.", 1, false};  // nothing: lookup failed
  std::vector<std::string> indirizzi;
};

class Strada : public ::testing::Test {
 protected:
  // Starts the server with settings [Generale] `Log` and `Backup`.
  void Avvia(bool log = false, bool backup = false);
  void TearDown() override;

  Spool_Server& Server() { return *server_; }
  // Queues replies of the host.
  void Host(const std::string& risposte) { pari_.Invia(risposte); }
  // The host closes the connection (after the replies queued so far).
  void Host_Chiude() { pari_.Chiudi(); }
  // The requests received since the last call.
  std::vector<std::string> Ricevute();
  std::string Log() const { return File_Leggi(base_.File_LOG); }
  // The log with the start-up lines left out.
  std::string Log_Spool() const;

  Cartella_Prova dir_;
  FakeClock orologio_{DateTime::Da(2026, 3, 7, 9, 0, 0)};
  RecordingMessageSink messaggi_;
  NoPrinters stampanti_;
  Server_Base base_{orologio_, messaggi_, stampanti_};
  Trasporto trasporto_{Attese_Rete{2000, 100, 1000}};
  std::vector<int> stati_;
  std::unique_ptr<Connessione_Host> host_;
  Pannello pannello_;
  Qod_IMG_Finto img_;
  Generatore_Qod_IMG<Qod_IMG_Finto> generatore_{img_};
  Ping_Finto ping_;
  Fasi_Spool fasi_;
  std::unique_ptr<Spool_Server> server_;
  prova::Pari pari_;
  size_t log_avvio_ = 0;
};

}  // namespace qod::test
