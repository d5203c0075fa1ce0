// The server's module level: its program base, general settings, the
// connection values and the file-name templates that every stage of the
// server shares.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "qod/clock.h"
#include "qod/host/collegamento.h"
#include "qod/host/programma.h"
#include "qod/ui.h"

namespace qod {

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

// The spool server's base: the program base with the server's own names,
// its further folders and files, the connection values and [Generale].
class Server_Base : public Base_Programma, public Dati_Collegamento {
 public:
  Server_Base(Clock& orologio, MessageSink& messaggi, PrinterList& stampanti)
      : Base_Programma(orologio, messaggi, kNomi_Server), stampanti_(stampanti) {}

  // Does nothing; called by the splash window before the settings load.
  void Base_Prepara() {}

  // Fixes the program folder (`cartella`, the current directory at start-up)
  // and its files, checks the connection record, makes the missing folders,
  // reads [Generale] and logs the printers. False when the record fails its
  // check: the message has been shown, nothing was made in the folder and
  // the program must end. `prima_delle_cartelle` runs once the record has
  // passed, before anything is made: false ends the start there too.
  bool Base_Inizializza(const std::string& cartella, std::string_view riga_comando,
                        const std::function<bool()>& prima_delle_cartelle = {});

  // Expands the "##" tokens of a file-name template (named counters in
  // [Numeratori], date, time, document and page counters); with `pulisci`
  // the characters not allowed in file names become "_" and each blank
  // becomes `sostituto`.
  std::string Nome_File_Espandi(std::string modello, std::string_view sostituto, bool pulisci);

  // Folders (with their trailing "/") and files besides the program base's.
  std::string Percorso_Lgo, Percorso_Fnt, Percorso_Backup;
  std::string File_CHM;

  Impostazioni_Generali Generale;
  std::string Riga_Comando;           // trimmed
  DateTime Ultimo_Keep_Alive;         // keep-alive time mark
  bool Log_Intestazione = true;       // spool log heading still to be written
  int32_t Contatore_Documento = 0;    // "##INDI"
  int32_t Contatore_Pagina = 0;       // "##PAGT"

 private:
  PrinterList& stampanti_;
};

}  // namespace qod
