// qod_font_strip: writes a font strip (256 glyph cells in one row, BMP) for
// the page image generator, drawn from an installed font.
//
//   qod_font_strip OUT.BMP [--cell WxH] [--face NAME] [--height N] [--bits 1|24] [--bold]
#include <cstdio>
#include <cstring>
#include <string>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/imagegen/striscia_font.h"

namespace {

int Uso() {
  std::fprintf(stderr,
               "usage: qod_font_strip OUT.BMP [--cell WxH] [--face NAME] [--height N] [--bits 1|24] [--bold]\n"
               "  defaults: --cell 20x32 --face \"Courier New\" --height = cell height --bits 1\n");
  return 2;
}

bool Intero(const char* s, int& n) {
  const auto v = qod::CLng(std::string_view(s));
  if (!v || !qod::IsNumeric(s)) return false;
  n = *v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Uso();
  qod::Opzioni_Striscia o;
  std::string uscita;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool valore = i + 1 < argc;
    if (a == "--cell" && valore) {
      const std::string v = argv[++i];
      const size_t x = v.find_first_of("xX");
      if (x == std::string::npos || !Intero(v.substr(0, x).c_str(), o.cella_larghezza) ||
          !Intero(v.substr(x + 1).c_str(), o.cella_altezza))
        return Uso();
    } else if (a == "--face" && valore) {
      o.font = qod::Utf8_A_Ansi(argv[++i]);
    } else if (a == "--height" && valore) {
      if (!Intero(argv[++i], o.altezza_font)) return Uso();
    } else if (a == "--bits" && valore) {
      if (!Intero(argv[++i], o.bit)) return Uso();
    } else if (a == "--bold") {
      o.grassetto = true;
    } else if (!a.empty() && a[0] != '-' && uscita.empty()) {
      uscita = a;
    } else {
      return Uso();
    }
  }
  if (uscita.empty()) return Uso();
  std::string errore;
  if (!qod::Scrivi_Striscia_Font(uscita, o, &errore)) {
    std::fprintf(stderr, "qod_font_strip: %s: %s\n", uscita.c_str(), errore.c_str());
    return 1;
  }
  std::printf("%s: %d x %d cells\n", uscita.c_str(), o.cella_larghezza, o.cella_altezza);
  return 0;
}
