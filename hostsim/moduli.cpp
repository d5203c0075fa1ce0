// The modules of the stand-in. A new area of the protocol is a new
// modulo_*.cpp with its factory listed here.
#include "host.h"

namespace hostsim {

std::unique_ptr<Modulo> Modulo_Accesso();
std::unique_ptr<Modulo> Modulo_Tabelle();
std::unique_ptr<Modulo> Modulo_Banco();
std::unique_ptr<Modulo> Modulo_Spool();
std::unique_ptr<Modulo> Modulo_Archivio();
std::unique_ptr<Modulo> Modulo_Ricerca();

std::vector<std::unique_ptr<Modulo>> Moduli_Crea() {
  std::vector<std::unique_ptr<Modulo>> m;
  m.push_back(Modulo_Accesso());
  m.push_back(Modulo_Tabelle());
  m.push_back(Modulo_Spool());
  m.push_back(Modulo_Archivio());
  m.push_back(Modulo_Ricerca());
  m.push_back(Modulo_Banco());
  return m;
}

}  // namespace hostsim
