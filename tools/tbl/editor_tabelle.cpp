#include "editor_tabelle.h"

#include <unistd.h>

#include <algorithm>
#include <array>

#include "qod/ansi.h"

namespace qod {
namespace {

constexpr std::array<const char*, 256> kGlifi = {
#include "carattere_ebcdic.inc"
};

constexpr std::array<uint8_t, 256> kIbm280 = {
#include "tabella_ibm280.inc"
};

std::string_view Senza_Spazi(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

const char* Carattere_EBCDIC(int codice) {
  if (codice < 0 || codice > 255) return " ";
  return kGlifi[static_cast<size_t>(codice)];
}

std::optional<int> Codice_Valido(std::string_view testo) {
  const std::string_view s = Senza_Spazi(testo);
  if (s.empty()) return std::nullopt;
  int valore = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    valore = valore * 10 + (c - '0');
    if (valore > 255) return std::nullopt;
  }
  return valore;
}

std::string Editor_Tabelle::Carica(const std::string& cartella) {
  File_Tabella_1 = cartella + kFile_Tabella_1;
  File_Tabella_2 = cartella + kFile_Tabella_2;
  const char* nomi[2] = {"La 1° tabella di conversione (EBCDIC->ASCII)", "La 2° tabella di conversione (ASCII->EBCDIC)"};
  const std::string* file[2] = {&File_Tabella_1, &File_Tabella_2};
  for (int i = 0; i < 2; ++i)
    if (::access(file[i]->c_str(), F_OK) != 0) return Utf8_A_Ansi(std::string(nomi[i]) + " non è presente");
  for (int i = 0; i < 2; ++i) {
    // A short or unreadable table is never shown padded with zeros, so it
    // cannot be written back that way.
    const int letti = Tabella_Leggi(*file[i], Tabella(i));
    if (letti < 0)
      return Utf8_A_Ansi(std::string(nomi[i]) + " non è leggibile: ") + *file[i];
    if (letti < kTabella_Voci)
      return Utf8_A_Ansi(std::string(nomi[i]) + " è incompleta: ") + *file[i];
  }
  return {};
}

void Editor_Tabelle::Standard(const std::string& cartella) {
  File_Tabella_1 = cartella + kFile_Tabella_1;
  File_Tabella_2 = cartella + kFile_Tabella_2;
  constexpr char kTestata[] = "IBM280";
  std::copy(kTestata, kTestata + kTabella_Testata, Tabella_1.Testata.begin());
  Tabella_2.Testata = Tabella_1.Testata;
  Tabella_1.Voci = kIbm280;
  Tabella_2.Voci = Tabella_Inversa(kIbm280);
}

std::string Editor_Tabelle::Salva() const {
  if (!Tabella_Scrivi(File_Tabella_1, Tabella_1))
    return Utf8_A_Ansi("Impossibile scrivere la 1° tabella di conversione: ") + File_Tabella_1;
  if (!Tabella_Scrivi(File_Tabella_2, Tabella_2))
    return Utf8_A_Ansi("Impossibile scrivere la 2° tabella di conversione: ") + File_Tabella_2;
  return {};
}

}  // namespace qod
