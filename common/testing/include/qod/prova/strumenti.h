// The helpers every test program shares: a scratch folder per test, running
// an outside checker (tiffinfo, pngcheck, zbarimg, qpdf, pdftoppm ...) and
// reading its output, and reading and writing files whole.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "qod/prova/processo.h"

namespace qod::prova {

// An empty folder for one test under the build folder the test runs from
// ("tmp" beside the test program), named after `prefisso`, the process and
// the running test; removed at the end unless QOD_KEEP_TEST_FILES is set.
class Cartella_Prova {
 public:
  explicit Cartella_Prova(const std::string& prefisso = "prova");
  ~Cartella_Prova();
  Cartella_Prova(const Cartella_Prova&) = delete;
  Cartella_Prova& operator=(const Cartella_Prova&) = delete;

  const std::filesystem::path& Dir() const { return dir_; }
  // The folder as the programs write it: with a trailing "/".
  std::string Testo() const { return dir_.string() + "/"; }
  std::string operator/(const std::string& nome) const { return (dir_ / nome).string(); }

 private:
  std::filesystem::path dir_;
};

// What a program run by a test did: its exit status (-1 when it did not
// start, 128 + the signal when a signal ended it), its standard output and
// its standard error.
struct Esito_Comando {
  int rc = -1;
  std::string out, err;
};

// Runs a program with its arguments to its end, without a shell (test
// oracles only, never product code); it does not outlive the test.
Esito_Comando Esegui(const std::vector<std::string>& argomenti);

// Runs `comando` through the shell and gives its exit status; its standard
// output, as it stands, goes to `uscita` when given.
int Esegui(const std::string& comando, std::string* uscita = nullptr);

// The standard output of `comando` without its trailing line ends, or a
// marked text when it could not be started.
std::string Comando(const std::string& comando);

// A file written whole (File_Leggi, in qod/prova/processo.h, reads one).
bool File_Scrivi(const std::filesystem::path& file, std::string_view dati);

// Lines joined with "\n" become CR LF lines, each ended.
std::string Righe_CRLF(const std::string& righe);

// The names in a folder, sorted.
std::vector<std::string> Nomi(const std::filesystem::path& cartella);

}  // namespace qod::prova
