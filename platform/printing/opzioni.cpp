#include "qod/printing/opzioni.h"

#include <cstdlib>
#include <filesystem>

#include "qod/profile.h"

namespace qod::stampa {

std::string Preferenze_File() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path base;
  if (xdg && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home && *home ? home : "/tmp") / ".config";
  }
  return (base / "Quillon" / "Stampanti.INI").string();
}

Preferenze Preferenze_Leggi(const std::string& file, const std::string& coda) {
  Preferenze r;
  for (const char* o : kOpzioni_Utente) {
    std::string v = Profilo_Leggi(file, coda, o, "");
    if (!v.empty()) r[o] = std::move(v);
  }
  return r;
}

bool Preferenze_Scrivi(const std::string& file, const std::string& coda, const Preferenze& valori) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
  std::vector<Profilo_Voce> voci;
  for (const auto& [chiave, valore] : valori) voci.push_back({coda, chiave, valore});
  return Profilo_Scrivi_Tutti(file, voci);
}

}  // namespace qod::stampa
