// The data the host program returns for a document's XML output ("N"
// records). A spool file folder may hold `dati_n.txt` (UTF-8; blank lines and
// lines starting with "#" are skipped), one row per line:
//
//     KEY | BODY
//
// A request whose body (group 4 and group 5 of the document, 1034
// characters) begins with KEY (trimmed, not empty) is answered "0" with BODY
// (the rest of the line, trimmed; in double quotes to keep blanks) in EBCDIC;
// the first row that matches wins, and an empty BODY is a "0" reply of
// length 0. A request no row matches is refused: "1" and length 00000.
#pragma once

#include <string>
#include <vector>

#include "host.h"

namespace hostsim {

struct Riga_Dati_N {
  std::string chiave;  // ANSI
  std::string corpo;   // ANSI, at most 8192 characters
};

// Reads the rows from the text of `dati_n.txt`; false with a message naming
// the line.
bool Dati_N_Componi(const std::string& testo, std::vector<Riga_Dati_N>& righe, std::string& errore);

// The reply to an "N" request whose body (ANSI) is `corpo`.
Risposta Dati_N_Risposta(const std::vector<Riga_Dati_N>& righe, const std::string& corpo);

}  // namespace hostsim
