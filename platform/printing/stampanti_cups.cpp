#include "qod/printing/stampanti_cups.h"

#include "qod/printing/cups.h"

namespace qod {

std::vector<std::string> Stampanti_Cups::Stampanti() { return stampa::Dispositivo_Cups().Elenco(); }

}  // namespace qod
