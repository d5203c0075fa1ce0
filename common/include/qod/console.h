// What a program tells whoever started it, on the terminal: how it is used
// (its usage for "--help" and for an option it does not know), and the
// messages that must reach the error output as well as a box; and what it
// is started with: its folder and its command line.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qod {

// The command line a program accepts and the text that tells it.
struct Uso_Programma {
  std::string nome;                 // "Qod_S"
  std::string testo;                // the usage, UTF-8, lines ending in "\n"
  std::vector<std::string> parole;  // its switches ("/AUTO"), the only options it takes
  bool maiuscole = true;            // switches compared as written; false: in any case
  bool opzioni_qt = true;           // a Qt program: Qt's own options ("-platform X") are taken too
};

// Looks at the words of the command line before the program starts.
// "--help" (also "-h", "/?"): the usage on standard output, 0. An option the
// program does not take (a word beginning with "-" or "/" that is neither
// one of its switches, nor switches written together ("/AUTO/ICON"), nor an
// option of Qt's): the word and the usage on standard error, 2. Otherwise
// nothing: the program starts. Other words are left to the program.
std::optional<int> Uso_Controlla(const Uso_Programma& uso, int argc, const char* const* argv,
                                 std::FILE* uscita = stdout, std::FILE* errori = stderr);

// The words of the command line after the program's name, split at blanks
// as well (a quoted argument may hold several).
std::vector<std::string> Parole_Comando(int argc, const char* const* argv);

// The program folder: the current directory with a trailing "/", in the
// program's code page.
std::string Cartella_Programma();

// The arguments after the program's name joined by blanks, in the program's
// code page.
std::string Riga_Comando(int argc, const char* const* argv);

// The program's name as it was started (the last part of argv[0]).
std::string Nome_Programma();

// Writes a message (ANSI, lines ended by CR, LF or CR LF) to standard error,
// each line after the program's name, the first after the title too:
//   Qod_S: Quillon Server: Impostazione del server non corretta
//   Qod_S: /srv/qod/Qod_S.INI: il file non esiste
void Errore_Scrivi(std::string_view titolo, std::string_view testo, std::FILE* errori = stderr);

}  // namespace qod
