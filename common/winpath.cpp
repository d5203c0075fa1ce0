#include "qod/winpath.h"

#include <cstdlib>
#include <system_error>
#include <vector>

#include "qod/ansi.h"
#include "qod/basic.h"

namespace qod {
namespace {

std::string Variabile(const std::string& nome, std::string_view predefinito) {
  const char* v = std::getenv(nome.c_str());
  return v && *v ? std::string(v) : std::string(predefinito);
}

std::string Senza_Barra_Finale(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

std::string Percorso_Unix(std::string_view p) {
  std::string s(p);
  for (auto& c : s)
    if (c == '\\') c = '/';
  if (s.size() >= 2 && s[0] == '/' && s[1] == '/') {
    // UNC: //server/share/rest
    size_t i = 2;
    while (i < s.size() && s[i] == '/') ++i;
    return Senza_Barra_Finale(Variabile("QOD_UNC_ROOT", "/net")) + "/" + s.substr(i);
  }
  if (s.size() >= 2 && s[1] == ':' &&
      ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'))) {
    char lettera = static_cast<char>(Ansi_Maiuscolo(static_cast<unsigned char>(s[0])));
    std::string radice = Variabile(std::string("QOD_DRIVE_") + lettera, "");
    std::string resto = s.substr(2);
    if (radice.empty()) return resto.empty() || resto[0] != '/' ? "/" + resto : resto;
    radice = Senza_Barra_Finale(radice);
    if (resto.empty()) return radice + "/";
    return radice + (resto[0] == '/' ? "" : "/") + resto;
  }
  return s;
}

std::filesystem::path Percorso_Fs(std::string_view p) { return std::filesystem::path(Ansi_A_Utf8(p)); }

std::string Percorso_Ansi(const std::filesystem::path& p) { return Utf8_A_Ansi(p.string()); }

std::string Percorso_Risolvi(std::string_view percorso) {
  std::string s = Percorso_Unix(percorso);
  if (s.empty()) return s;
  // Split into components; keep a leading "/" and a trailing "/".
  bool assoluto = s[0] == '/';
  bool barra_finale = s.size() > 1 && s.back() == '/';
  std::vector<std::string> parti;
  size_t i = 0;
  while (i < s.size()) {
    size_t j = s.find('/', i);
    if (j == std::string::npos) j = s.size();
    if (j > i) parti.push_back(s.substr(i, j - i));
    i = j + 1;
  }
  std::string attuale = assoluto ? "/" : "";
  bool esiste = true;  // the folder built so far exists
  for (size_t k = 0; k < parti.size(); ++k) {
    std::string nome = parti[k];
    if (esiste && nome != "." && nome != "..") {
      std::error_code ec;
      auto cartella = Percorso_Fs(attuale.empty() ? "." : attuale);
      if (!std::filesystem::exists(Percorso_Fs(attuale + nome), ec)) {
        std::string trovato;
        std::string cercato = UCase(nome);
        for (std::filesystem::directory_iterator it(cartella, ec), fine; !ec && it != fine; it.increment(ec)) {
          std::string n = Percorso_Ansi(it->path().filename());
          if (UCase(n) == cercato) {
            trovato = n;
            break;
          }
        }
        if (!trovato.empty())
          nome = trovato;
        else
          esiste = false;
      }
    }
    attuale += nome;
    if (k + 1 < parti.size()) attuale += "/";
  }
  if (barra_finale && !attuale.empty() && attuale.back() != '/') attuale += "/";
  return attuale;
}

bool Percorso_Esiste(std::string_view p) {
  std::error_code ec;
  return std::filesystem::exists(Percorso_Fs(Percorso_Risolvi(p)), ec);
}

std::string Percorso_Cartella(std::string_view p) {
  size_t k = p.find_last_of("/\\");
  return k == std::string_view::npos ? std::string() : std::string(p.substr(0, k + 1));
}

}  // namespace qod
