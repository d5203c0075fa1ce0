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

// A command run by Processo_Attendi.
struct Processo_Avviato {
  int Pid = 0;                // its process id; 0 when it could not be started
  std::optional<int> Codice;  // its exit status; nothing when it was left running
};

// As Processo_Esegui, and `arresto` is asked at every slice: once it is
// true the wait ends and the command is left running, its end collected
// when it comes. Every command runs in a process group of its own, so that
// what ends this program (a Ctrl+C at the terminal, a signal to its group)
// does not end the command with it.
Processo_Avviato Processo_Attendi(std::string_view riga, const Pump& pompa, const std::function<bool()>& arresto,
                                  int fetta_ms = 50);

}  // namespace qod
