#include "qod/client/celle.h"

#include "qod/basic.h"

namespace qod {

std::string Cella_Formatta(std::string_view tipo, std::string_view valore) {
  if (tipo == "A") return std::string(valore);
  if (tipo == "N") return Format(Val(valore), "###,###,###,###,###,##0");
  const std::string data = Mid(valore, 7, 2) + "/" + Mid(valore, 5, 2) + "/" + Mid(valore, 1, 4);
  if (tipo == "D") return data;
  if (tipo == "Z") return data + " " + Mid(valore, 9, 2) + "." + Mid(valore, 11, 2) + "." + Mid(valore, 13, 2);
  return {};
}

}  // namespace qod
