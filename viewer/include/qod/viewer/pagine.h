// The page model of the viewer: a document named by the file of its first
// page is either one multi-image file (one page per image) or a run of files
// whose names differ only in the digits before the last "." of the path.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qod::imv {

// An ordinary file that a directory search would find: a regular file whose
// name does not start with "." (such names count as hidden).
bool File_Esiste(const std::string& percorso);

// The digit run before the last "." of the whole path: 1-based position of
// its first digit and its width; both 0 when there is none.
struct Cifre {
  long inizio = 0, numero = 0;
};
Cifre Cifre_Trova(std::string_view nome);

// The name of page number n: the run replaced by n written with at least the
// run's width (a longer number is written whole).
std::string Nome_Pagina(std::string_view nome, Cifre c, int64_t n);

struct Pagine {
  std::string File_Documento;
  long Cifre_Inizio = 0, Cifre_Numero = 0;
  long Pagina_Prima = 0, Pagina_Ultima = 0, Pagine_Numero = 0, Pagina_Attuale = 0;

  // Clears the page state (not the document name).
  void Azzera();

  // Finds the pages of File_Documento, given how many images its file holds.
  // False when the digit run's value does not fit a 32-bit number (the
  // state is then cleared). No run and a single image leave 0 pages.
  bool Scopri(int immagini, const std::function<bool(const std::string&)>& esiste = File_Esiste);

  // The file of page index i (1-based) of a one-image-per-file document.
  std::string File_Pagina(long i) const;

  // The counter text "i/n"; "" with nothing to show.
  std::string Contatore() const;
};

}  // namespace qod::imv
