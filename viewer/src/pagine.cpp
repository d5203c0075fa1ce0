#include "qod/viewer/pagine.h"

#include <sys/stat.h>

#include <limits>

namespace qod::imv {

bool File_Esiste(const std::string& percorso) {
  if (percorso.empty()) return false;
  const size_t barra = percorso.find_last_of('/');
  const size_t inizio = barra == std::string::npos ? 0 : barra + 1;
  if (inizio >= percorso.size() || percorso[inizio] == '.') return false;
  struct stat st {};
  return ::stat(percorso.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Cifre Cifre_Trova(std::string_view nome) {
  Cifre c;
  const size_t punto = nome.find_last_of('.');
  if (punto == std::string_view::npos) return c;
  const long d = static_cast<long>(punto) + 1;  // 1-based
  if (d <= 1) return c;
  for (long p = d - 1; p >= 1; --p) {
    const char ch = nome[p - 1];
    if (ch < '0' || ch > '9') break;
    c.inizio = p;
    c.numero = d - p;
  }
  return c;
}

std::string Nome_Pagina(std::string_view nome, Cifre c, int64_t n) {
  std::string numero = std::to_string(n);
  if (static_cast<long>(numero.size()) < c.numero) numero.insert(0, c.numero - numero.size(), '0');
  std::string r(nome.substr(0, c.inizio - 1));
  r += numero;
  r += nome.substr(c.inizio - 1 + c.numero);
  return r;
}

void Pagine::Azzera() {
  Cifre_Inizio = Cifre_Numero = 0;
  Pagina_Prima = Pagina_Ultima = Pagine_Numero = Pagina_Attuale = 0;
}

bool Pagine::Scopri(int immagini, const std::function<bool(const std::string&)>& esiste) {
  Azzera();
  if (immagini > 1) {
    Pagina_Prima = 1;
    Pagina_Ultima = immagini;
    Pagine_Numero = immagini;
    Pagina_Attuale = 1;
    return true;
  }
  const Cifre c = Cifre_Trova(File_Documento);
  Cifre_Inizio = c.inizio;
  Cifre_Numero = c.numero;
  if (c.numero == 0) return true;
  // The run's value must fit a 32-bit number.
  int64_t prima = 0;
  for (long i = 0; i < c.numero; ++i) {
    prima = prima * 10 + (File_Documento[c.inizio - 1 + i] - '0');
    if (prima > std::numeric_limits<int32_t>::max()) {
      Azzera();
      return false;
    }
  }
  int64_t n = prima + 1;
  while (n <= std::numeric_limits<int32_t>::max() && esiste(Nome_Pagina(File_Documento, c, n))) ++n;
  Pagina_Prima = static_cast<long>(prima);
  Pagina_Ultima = static_cast<long>(n - 1);
  Pagine_Numero = Pagina_Ultima - Pagina_Prima + 1;
  Pagina_Attuale = 1;
  return true;
}

std::string Pagine::File_Pagina(long i) const {
  return Nome_Pagina(File_Documento, Cifre{Cifre_Inizio, Cifre_Numero}, int64_t{Pagina_Prima} + i - 1);
}

std::string Pagine::Contatore() const {
  if (Pagine_Numero < 1) return "";
  return std::to_string(Pagina_Attuale) + "/" + std::to_string(Pagine_Numero);
}

}  // namespace qod::imv
