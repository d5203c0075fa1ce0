// Starting programs from a command line, without a shell.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qod/ui.h"

namespace qod {

// Splits a command line by the Windows rules: blanks and tabs separate;
// double quotes group; 2n backslashes before a quote give n backslashes and
// the quote groups, 2n+1 give n backslashes and a literal quote; "" inside
// a quoted run is a literal quote; other backslashes are literal. The
// program name (the first word) takes quotes but no backslash rules.
std::vector<std::string> Riga_Comando_Dividi(std::string_view riga);

// Runs the command (split as above, no shell), waits in slices of
// `fetta_ms`, pumping between slices, until it ends. Returns its exit status,
// or nothing when it could not be started. A program name with a folder or
// a drive letter is a path like any that arrives as data (Percorso_Risolvi:
// drive letters, UNC names, each component without regard to case); one
// without is looked up on PATH. The arguments go to the program as written.
std::optional<int> Processo_Esegui(std::string_view riga, const Pump& pompa, int fetta_ms = 50);

}  // namespace qod
