#include "qod/printing/stampanti_cups.h"

#include <cups/cups.h>

#include "qod/ansi.h"

namespace qod {

std::vector<std::string> Stampanti_Cups::Stampanti() {
  cups_dest_t* d = nullptr;
  const int n = cupsGetDests(&d);
  std::vector<std::string> r;
  for (int i = 0; i < n; ++i) {
    std::string nome = d[i].name ? d[i].name : "";
    if (d[i].instance) nome += std::string("/") + d[i].instance;
    r.push_back(Utf8_A_Ansi(nome));
  }
  cupsFreeDests(n, d);
  return r;
}

}  // namespace qod
