// The base every program builds on: its folder (the current directory at
// start-up), its settings file, its log and its temporary folder, each
// named by the program, and the services over them (log lines, settings
// keys, running a command and waiting for it).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "qod/clock.h"
#include "qod/ui.h"

namespace qod {

// The names a program gives its files inside its folder.
struct Nomi_Programma {
  std::string Impostazioni;  // settings file, "Qod_S.INI"
  std::string Registro;      // log file, "Qod_S.LOG"; empty: the program keeps no log
  std::string Temporanea;    // temporary folder, "TmpS"
};

inline const Nomi_Programma kNomi_Server{"Qod_S.INI", "Qod_S.LOG", "TmpS"};
inline const Nomi_Programma kNomi_Client{"Qod_C.INI", "", "TmpC"};

// The conversion table every program that talks to the host reads from its folder.
inline constexpr const char* kFile_Tabella = "Qod_TBL1.Tbl";

class Base_Programma {
 public:
  Base_Programma(Clock& orologio, MessageSink& messaggi, Nomi_Programma nomi)
      : orologio_(orologio), messaggi_(messaggi), nomi_(std::move(nomi)) {}
  virtual ~Base_Programma() = default;
  Base_Programma(const Base_Programma&) = delete;
  Base_Programma& operator=(const Base_Programma&) = delete;

  // Fixes the program folder (a trailing "/" is added when missing) and the
  // paths of its files, and creates the temporary folder when it is missing.
  void Cartella_Imposta(const std::string& cartella);
  // The same in two steps: the paths only (nothing is made), then the
  // temporary folder when it is missing.
  void Percorsi_Imposta(const std::string& cartella);
  void Temporanea_Crea() const;

  // Appends one line to the log; optionally a line holding one blank before
  // it and the date prefix "dd/mm/yyyy hh:nn:ss - ". A log that cannot be
  // opened, or a program without a log, drops the line.
  void Log_Scrivi(bool riga_vuota, bool data, std::string_view testo) const;

  // Writes one key of the settings file; a failed write is logged.
  bool Impostazione_Scrivi(std::string_view sezione, std::string_view chiave, std::string_view valore) const;
  std::string Impostazione_Leggi(std::string_view sezione, std::string_view chiave,
                                 std::string_view predefinito = "") const;

  // Runs the command line (no shell) and waits, pumping every 50 ms, until
  // it ends, or until `arresto` (asked every 50 ms) is true: then the
  // command is left running. The start and the end, or the command left
  // running with its process id, are logged. False when it could not be
  // started.
  bool Esegui_Attendi(std::string_view riga_comando, const Pump& pompa,
                      const std::function<bool()>& arresto = {}) const;

  Clock& Orologio() const { return orologio_; }
  MessageSink& Messaggi() const { return messaggi_; }
  const Nomi_Programma& Nomi() const { return nomi_; }

  // The program folder and the temporary folder, with their trailing "/";
  // the settings file, the log (empty without one) and the conversion table.
  std::string Percorso, Percorso_Tmp;
  std::string File_INI, File_LOG, File_TBL;

 private:
  Clock& orologio_;
  MessageSink& messaggi_;
  Nomi_Programma nomi_;
};

}  // namespace qod
