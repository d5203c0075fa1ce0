// The server's module level: program folder and files, general settings,
// the connection record, the log, file-name templates and small helpers
// that every stage of the server shares.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qod/clock.h"
#include "qod/cripto.h"
#include "qod/ui.h"

namespace qod {

// The installed printers, in the order the system lists them.
class PrinterList {
 public:
  virtual ~PrinterList() = default;
  virtual std::vector<std::string> Stampanti() = 0;
};

class NoPrinters : public PrinterList {
 public:
  std::vector<std::string> Stampanti() override { return {}; }
};

// [Generale] of the settings file, as read at start-up.
struct Impostazioni_Generali {
  std::string Fine_Collegamento_Ora;        // hhnnss
  int32_t Fine_Collegamento_Anticipo = 0;   // minutes
  std::string Inizio_Collegamento_Ora;      // hhnnss
  int32_t Inizio_Collegamento_Attesa = 0;   // minutes
  int32_t Tempo_Ciclo = 0;                  // ms
  bool Log = false;                         // detailed log: "S" exactly
  bool Backup = false;                      // backup copies: "S" exactly
  int32_t Max_Pagine_Blocco = 0;            // pages per print block, 0 = no limit
  int32_t Time_Out = 0;                     // read, unused
};

class Server_Base {
 public:
  Server_Base(Clock& orologio, MessageSink& messaggi, PrinterList& stampanti)
      : orologio_(orologio), messaggi_(messaggi), stampanti_(stampanti) {}

  // Does nothing; called by the splash window before the settings load.
  void Base_Prepara() {}

  // Fixes the program folder (`cartella`, the current directory at start-up)
  // and its files, checks the connection record, reads [Generale] and logs
  // the printers. False when the record fails its check: the message has
  // been shown and the program must end.
  bool Base_Inizializza(const std::string& cartella, std::string_view riga_comando);

  // Appends one line to the log; optionally a line holding one blank before
  // it and the date prefix "dd/mm/yyyy hh:nn:ss - ". A log that cannot be
  // opened drops the line.
  void Log_Scrivi(bool riga_vuota, bool data, std::string_view testo) const;

  // Expands the "##" tokens of a file-name template (named counters in
  // [Numeratori], date, time, document and page counters); with `pulisci`
  // the characters not allowed in file names become "_" and each blank
  // becomes `sostituto`.
  std::string Nome_File_Espandi(std::string modello, std::string_view sostituto, bool pulisci);

  // Runs the command line (no shell) and waits, pumping every 50 ms, until
  // it ends. The start and the end are logged. False when it could not be
  // started.
  bool Esegui_Attendi(std::string_view riga_comando, const Pump& pompa) const;

  // Writes one key of the settings file; a failed write is logged.
  bool Impostazione_Scrivi(std::string_view sezione, std::string_view chiave, std::string_view valore) const;
  std::string Impostazione_Leggi(std::string_view sezione, std::string_view chiave,
                                 std::string_view predefinito = "") const;

  Clock& Orologio() const { return orologio_; }
  MessageSink& Messaggi() const { return messaggi_; }

  // Folders (with their trailing "/") and files.
  std::string Percorso, Percorso_TmpS, Percorso_Lgo, Percorso_Fnt, Percorso_Backup;
  std::string File_INI, File_LOG, File_CHM, File_TBL;

  Parametri_Collegamento Collegamento;
  Impostazioni_Generali Generale;
  std::string Titolo_Login;           // "Quillon Server  " & index
  bool Riconnessione = false;         // reconnect mark of the host connection
  std::string Riga_Comando;           // trimmed
  DateTime Ultimo_Keep_Alive;         // keep-alive time mark
  bool Log_Intestazione = true;       // spool log heading still to be written
  int32_t Contatore_Documento = 0;    // "##INDI"
  int32_t Contatore_Pagina = 0;       // "##PAGT"

 private:
  Clock& orologio_;
  MessageSink& messaggi_;
  PrinterList& stampanti_;
};

// 0..35 for "0".."9", "A".."Z" (exact: lower case gives -1); -1 otherwise.
int32_t Cifra_Base36(std::string_view carattere);

// Compacts a fixed-column record: field i covers columns inizi[i-1] ..
// inizi[i]-1; kind "R" loses its trailing blanks, "Z" its leading zeros.
std::string Record_Comprimi(std::string record, const std::vector<std::string>& tipi,
                            const std::vector<int32_t>& inizi, int32_t numero);

}  // namespace qod
