// What a program tells whoever started it, on the terminal: how it is used
// (its usage for "--help", and for an option a tool does not know), and the
// messages that must reach the error output as well as a box; and what it
// is started with: its folder and its command line.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qod {

// The command line of one of the system's programs (Qod_S, Qod_C, the
// editors, ...) and the text that tells it. The program finds its switches
// in its command line itself; a word it does not know is ignored.
struct Uso_Programma {
  std::string nome;                 // "Qod_S"
  std::string testo;                // the usage, UTF-8, lines ending in "\n"
  std::vector<std::string> parole;  // its switches ("/AUTO")
  bool maiuscole = true;            // the switches as written; false: in any case
  // False: a switch counts anywhere in the command line ("/AUTO" in
  // "/AUTOMATICO"); true: only as the whole command line ("/INIT").
  bool riga_intera = false;
};

// Looks at the command line of one of the system's programs before it
// starts. "--help" (also "-h", "/?"): the usage on standard output, 0.
// Otherwise nothing: the program starts; the words that will not count (no
// switch of the program in them) are named on standard error, one line each.
// Qt's own options ("-platform NAME") are Qt's and no words of the program.
std::optional<int> Uso_Controlla(const Uso_Programma& uso, int argc, const char* const* argv,
                                 std::FILE* uscita = stdout, std::FILE* errori = stderr);

// What the values of a tool's option are.
enum class Tipo_Valore {
  Nome,    // a file, a folder or any other word: never one that looks like an option
  Numero,  // a whole number, decimal digits, which may begin with "-" ("--left -3")
  Testo,   // taken as it is, whatever it looks like (a password, a settings value)
};

// An option of a tool: its name ("--cell", "/NOSUBCLASS"), how many words
// after it are its value, and what they are.
struct Opzione_Strumento {
  std::string nome;
  int valori = 0;
  Tipo_Valore tipo = Tipo_Valore::Nome;
};

// The command line of a tool of the build (a helper for the tests, the demo
// and scripts): its options, and its own words (names, values) that are no
// options.
//
// A tool never takes a word that looks like an option for one of its own
// words or for an option's value (but a number's, which may begin with "-",
// and a text's, taken as it is). A word looks like an option when it
//  - begins with "-" ("-h", "--log", "-"),
//  - is "/?",
//  - or is "/" and one name, with no further "/", and nothing of that name
//    is at the root of the file system ("/help", "/H", "/AUTO"; not "/tmp"
//    where /tmp is): this system's switches are written so.
// A file or folder whose name begins with "-" is written "./-name", a new
// one at the root "/./name".
struct Uso_Strumento {
  std::string nome;                        // "zufnt_genera"
  std::string testo;                       // the usage, UTF-8, lines ending in "\n"
  std::vector<Opzione_Strumento> opzioni;  // the only options it takes
  bool con_uguale = false;                 // an option of one value also as "--name=VALUE"
  bool opzioni_qt = false;                 // Qt's own options too (a tool that runs a Qt program)
  // How many words after its own word number n (from 0) go with it, taken
  // as they are (texts). Unset: none.
  std::function<int(size_t n)> valori_parola;
};

// One item of a tool's command line, in order: an option with its values,
// or (`opzione` empty) one of its own words with the words that go with it.
struct Voce_Comando {
  std::string opzione;
  std::vector<std::string> valori;
};

// Looks at a tool's command line before it reads or writes anything.
// "--help" (also "-h", "/?") where an option may stand (not in the place of
// a value): the usage on standard output, 0. An option it does not take, an
// own word that looks like an option, an option without its value or with
// one that looks like an option, or a number's value that is no number: the
// word and the usage on standard error, 2. Otherwise nothing, and `voci`
// (when given) gets the items of the command line.
std::optional<int> Uso_Controlla(const Uso_Strumento& uso, int argc, const char* const* argv,
                                 std::vector<Voce_Comando>* voci = nullptr, std::FILE* uscita = stdout,
                                 std::FILE* errori = stderr);

// A tool refuses its command line for a reason of its own (a word missing,
// one too many): the reason and the usage on standard error; 2.
int Uso_Rifiuta(const Uso_Strumento& uso, std::string_view motivo, std::FILE* errori = stderr);

// The words of the command line after the program's name, split at blanks
// as well (a quoted argument may hold several).
std::vector<std::string> Parole_Comando(int argc, const char* const* argv);

// The program folder: the current directory with a trailing "/", in the
// program's code page.
std::string Cartella_Programma();

// The arguments after the program's name joined by blanks, in the program's
// code page; with `senza_qt`, without Qt's own options and their values
// (Qt takes them: they are not the program's).
std::string Riga_Comando(int argc, const char* const* argv, bool senza_qt = false);

// The program's name as it was started (the last part of argv[0]).
std::string Nome_Programma();

// Writes a message (ANSI, lines ended by CR, LF or CR LF) to standard error,
// each line after the program's name, the first after the title too:
//   Qod_S: Quillon Server: Impostazione del server non corretta
//   Qod_S: /srv/qod/Qod_S.INI: il file non esiste
void Errore_Scrivi(std::string_view titolo, std::string_view testo, std::FILE* errori = stderr);

}  // namespace qod
