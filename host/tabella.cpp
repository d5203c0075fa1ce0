#include "qod/host/tabella.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "qod/risorse_c.h"
#include "qod/scrittura.h"
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
  // The whole old file is read first, so that the bytes past the table
  // survive; the new contents go to a temporary name renamed over the old
  // file, so a failed write never leaves a cut or half-written table.
  std::string contenuto;
  if (::access(percorso.c_str(), F_OK) == 0) {
    if (::access(percorso.c_str(), W_OK) != 0) return false;
    std::ifstream in(percorso, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    contenuto = ss.str();
  }
  const size_t lunghezza = t.Testata.size() + t.Voci.size();
  if (contenuto.size() < lunghezza) contenuto.resize(lunghezza, '\0');
  std::copy(t.Testata.begin(), t.Testata.end(), contenuto.begin());
  std::copy(t.Voci.begin(), t.Voci.end(), contenuto.begin() + static_cast<std::ptrdiff_t>(t.Testata.size()));
  auto tmp = percorso;
  tmp += ".~tmp";
  return File_Scrivi_Atomico(percorso, tmp, contenuto);
}

std::array<uint8_t, kTabella_Voci> Tabella_Inversa(const std::array<uint8_t, kTabella_Voci>& voci) {
  std::array<uint8_t, kTabella_Voci> inversa{};
  for (int i = 0; i < kTabella_Voci; ++i) inversa[voci[static_cast<size_t>(i)]] = static_cast<uint8_t>(i);
  return inversa;
}

}  // namespace qod
