// A spool server wired to a scripted host on one loopback connection: the
// test queues the host's replies, runs a stage, then reads the requests the
// server sent and the log it wrote.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cartella_test.h"
#include "ebcdic_test.h"
#include "qod/clock.h"
#include "qod/host/base.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/server/spool.h"
#include "record_test.h"
#include "support/pari.h"

namespace qod::test {

// The image generator's members, as a host of the generator sees them.
struct Qod_IMG_Finto {
  std::string qodimg_Out_File;
  int32_t qodimg_Out_Width = 0, qodimg_Out_Height = 0;
  double qodimg_Out_ZoomX = 0, qodimg_Out_ZoomY = 0;
  int32_t qodimg_Out_BkColor = 0, qodimg_Out_Save = 0, qodimg_Out_ResX = 0, qodimg_Out_ResY = 0;
  bool qodimg_JPG_Otti = false;
  int32_t qodimg_JPG_Qual = 0, qodimg_JPG_Atte = 0, qodimg_Rows_Strip = 0;
  bool qodimg_TIF_MultiP = false;
  std::string qodimg_Cmd_File;
  int32_t qodimg_Cmd_CPY = 0;
  std::string qodimg_Txt_File;
  int16_t qodimg_Txt_Orie = 0, qodimg_Txt_Col_Dim = 0, qodimg_Txt_Row_Dim = 0, qodimg_Txt_Left = 0, qodimg_Txt_Top = 0,
          qodimg_Txt_Cols = 0, qodimg_Txt_Rows = 0;
  std::string qodimg_Fnt_File;
  int16_t qodimg_Fnt_Left = 0, qodimg_Fnt_Top = 0, qodimg_Fnt_Width = 0, qodimg_Fnt_Height = 0, qodimg_Fnt_Mode = 0;
  std::string qodimg_Im1_File;
  int16_t qodimg_Im1_Left = 0, qodimg_Im1_Top = 0, qodimg_Im1_Src_Left = 0, qodimg_Im1_Src_Top = 0,
          qodimg_Im1_Width = 0, qodimg_Im1_Height = 0, qodimg_Im1_Mode = 0, qodimg_Im1_Pos = 0;
  double qodimg_Im1_ZoomX = 0, qodimg_Im1_ZoomY = 0;
  std::string qodimg_Im2_File;
  int16_t qodimg_Im2_Left = 0, qodimg_Im2_Top = 0, qodimg_Im2_Src_Left = 0, qodimg_Im2_Src_Top = 0,
          qodimg_Im2_Width = 0, qodimg_Im2_Height = 0, qodimg_Im2_Mode = 0, qodimg_Im2_Pos = 0;
  double qodimg_Im2_ZoomX = 0, qodimg_Im2_ZoomY = 0;
  std::string qodimg_Status;
  bool qodimg_Error = false;

  // Every call, with the members it was made with; an output file named
  // in `fallisce` fails with `messaggio`.
  struct Chiamata {
    std::string Out_File, Txt_File, Cmd_File, Im2_File;
    int32_t Cmd_CPY;
    bool inizializza;
  };
  std::vector<Chiamata> chiamate;
  std::string fallisce, messaggio = "Out_File manca";
  // When set, each call writes a blank page of the asked size at the output
  // name (as a PBM image, whatever the extension says).
  bool scrivi = false;
  void qodimg_Elabora(bool& inizializza);
};

class Ping_Finto : public Ping_Stampante {
 public:
  Risultato_Ping Ping(const std::string& indirizzo) override {
    indirizzi.push_back(indirizzo);
    return risultato;
  }
  Risultato_Ping risultato{"   OK : completato in 1ms.", 1, false};
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
  std::string Log() const { return Leggi_File(base_.File_LOG); }
  // The log with the start-up lines left out.
  std::string Log_Spool() const;

  Cartella_Test dir_;
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
