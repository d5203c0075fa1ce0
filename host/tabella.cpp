#include "qod/host/tabella.h"

#include <filesystem>
#include <system_error>

#include "qod/risorse_c.h"
#include "qod/winpath.h"

namespace qod {

int Tabella_Leggi(const std::string& file, Tabella_Conversione& t) {
  t = {};
  File_C f(Percorso_Fs(file).c_str(), "rb");
  if (!f) return -1;
  if (std::fread(t.Testata.data(), 1, t.Testata.size(), f.get()) != t.Testata.size()) return 0;
  return static_cast<int>(std::fread(t.Voci.data(), 1, t.Voci.size(), f.get()));
}

bool Tabella_Scrivi(const std::string& file, const Tabella_Conversione& t) {
  const auto percorso = Percorso_Fs(file);
  std::error_code ec;
  File_C f(percorso.c_str(), std::filesystem::exists(percorso, ec) ? "r+b" : "wb");
  if (!f) return false;
  const bool scritto = std::fwrite(t.Testata.data(), 1, t.Testata.size(), f.get()) == t.Testata.size() &&
                       std::fwrite(t.Voci.data(), 1, t.Voci.size(), f.get()) == t.Voci.size();
  return f.Chiudi() && scritto;
}

std::array<uint8_t, kTabella_Voci> Tabella_Inversa(const std::array<uint8_t, kTabella_Voci>& voci) {
  std::array<uint8_t, kTabella_Voci> inversa{};
  for (int i = 0; i < kTabella_Voci; ++i) inversa[voci[static_cast<size_t>(i)]] = static_cast<uint8_t>(i);
  return inversa;
}

}  // namespace qod
