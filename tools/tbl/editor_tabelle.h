// The conversion-table editor's model, without widgets: the two table files
// of the current folder ("ZuTBL1.TBL" EBCDIC to ASCII, "ZuTBL2.TBL" shown as
// ASCII to EBCDIC), the check of a typed cell value and the save of both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "qod/host/tabella.h"

namespace qod {

inline constexpr const char* kFile_Tabella_1 = "ZuTBL1.TBL";
inline constexpr const char* kFile_Tabella_2 = "ZuTBL2.TBL";
inline constexpr const char* kMsg_Codice = "il codice deve essere compreso tra 0 e 255";

// The glyph (UTF-8) that EBCDIC code page 280 gives `codice`; a blank for
// the control codes, the blanks, the soft hyphen and 0xFF.
const char* Carattere_EBCDIC(int codice);

// A typed cell value: digits only (blanks around them allowed), 0 to 255.
std::optional<int> Codice_Valido(std::string_view testo);

struct Editor_Tabelle {
  std::string File_Tabella_1, File_Tabella_2;
  Tabella_Conversione Tabella_1, Tabella_2;

  // Reads both files from `cartella` (ending in a separator). Empty when
  // both are whole tables, else the message (ANSI) to show before ending.
  std::string Carica(const std::string& cartella);

  // The standard tables of `cartella` (ending in a separator), not yet
  // written: EBCDIC code page 280 to Windows-1252 with the header "IBM280",
  // and its other direction.
  void Standard(const std::string& cartella);

  // Writes both files, the first first. Empty on success, else the message
  // (ANSI) naming the file that could not be written.
  std::string Salva() const;

  Tabella_Conversione& Tabella(int quale) { return quale == 0 ? Tabella_1 : Tabella_2; }
};

}  // namespace qod
