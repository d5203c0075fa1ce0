#include "dati_xml.h"

#include <sstream>

#include "qod/ansi.h"
#include "qod/basic.h"

namespace hostsim {

bool Dati_N_Componi(const std::string& testo, std::vector<Riga_Dati_N>& righe, std::string& errore) {
  std::istringstream in(testo);
  int numero = 0;
  for (std::string riga; std::getline(in, riga);) {
    ++numero;
    if (!riga.empty() && riga.back() == '\r') riga.pop_back();
    const std::string t = qod::Trim(riga);
    if (t.empty() || t[0] == '#') continue;
    const std::string dove = "dati_n.txt:" + std::to_string(numero) + ": ";
    const size_t barra = riga.find('|');
    if (barra == std::string::npos) return errore = dove + "expected KEY | BODY", false;
    Riga_Dati_N r;
    r.chiave = qod::Utf8_A_Ansi(qod::Trim(riga.substr(0, barra)));
    r.corpo = qod::Utf8_A_Ansi(qod::Trim(riga.substr(barra + 1)));
    if (r.corpo.size() >= 2 && r.corpo.front() == '"' && r.corpo.back() == '"') r.corpo = r.corpo.substr(1, r.corpo.size() - 2);
    if (r.chiave.empty()) return errore = dove + "empty KEY", false;
    if (r.corpo.size() > 8192) return errore = dove + "BODY longer than 8192", false;
    righe.push_back(std::move(r));
  }
  return true;
}

Risposta Dati_N_Risposta(const std::vector<Riga_Dati_N>& righe, const std::string& corpo) {
  for (const auto& r : righe)
    if (corpo.compare(0, r.chiave.size(), r.chiave) == 0) return Risposta::Una('0', Corpo().Testo(r.corpo, r.corpo.size()));
  return Risposta::Una('1');
}

}  // namespace hostsim
