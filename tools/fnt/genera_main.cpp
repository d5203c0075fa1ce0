// zufnt_genera: a new strip with every glyph drawn from an installed font,
// made by the font editor's own code ("Nuovo", then "Genera") and saved.
//
//   zufnt_genera OUT.BMP [--cell WxH] [--bits 1|24] [--face NAME] [--size N]
//                [--width N] [--bold] [--center-x] [--center-y] [--left N] [--top N] [--rotate DEG]
#include <cstdio>
#include <string>

#include "editor_font.h"
#include "qod/ansi.h"
#include "qod/basic.h"

namespace {

constexpr const char* kUso =
    "usage: zufnt_genera OUT.BMP [--cell WxH] [--bits 1|24] [--face NAME] [--size N] [--width N]\n"
    "                    [--bold] [--center-x] [--center-y] [--left N] [--top N] [--rotate DEG]\n"
    "  defaults: --cell 16x32 --bits 1 --face Arial --size 14 (pixels; with --width, the cell height)\n";

int Uso() {
  std::fputs(kUso, stderr);
  return 2;
}

bool Intero(const std::string& s, int& n) {
  if (!qod::IsNumeric(s)) return false;
  const auto v = qod::CLng(std::string_view(s));
  if (!v) return false;
  n = *v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUso, stdout);
      return 0;
    }
  }
  int w = 16, h = 32, bit = 1;
  qod::Impostazioni_Font f;
  std::string uscita;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool valore = i + 1 < argc;
    if (a == "--cell" && valore) {
      const std::string v = argv[++i];
      const size_t x = v.find_first_of("xX");
      if (x == std::string::npos || !Intero(v.substr(0, x), w) || !Intero(v.substr(x + 1), h)) return Uso();
    } else if (a == "--bits" && valore) {
      if (!Intero(argv[++i], bit)) return Uso();
    } else if (a == "--face" && valore) {
      f.Font_Nome = qod::Utf8_A_Ansi(argv[++i]);
    } else if (a == "--size" && valore) {
      if (!Intero(argv[++i], f.Font_Punti)) return Uso();
    } else if (a == "--width" && valore) {
      if (!Intero(argv[++i], f.Font_Larghezza)) return Uso();
    } else if (a == "--left" && valore) {
      if (!Intero(argv[++i], f.Distanza_X)) return Uso();
    } else if (a == "--top" && valore) {
      if (!Intero(argv[++i], f.Distanza_Y)) return Uso();
    } else if (a == "--rotate" && valore) {
      if (!Intero(argv[++i], f.Font_Rotazione)) return Uso();
    } else if (a == "--bold") {
      f.Font_Grassetto = true;
    } else if (a == "--center-x") {
      f.Centra_X = true;
    } else if (a == "--center-y") {
      f.Centra_Y = true;
    } else if (!a.empty() && a[0] != '-' && uscita.empty()) {
      uscita = a;
    } else {
      if (!a.empty() && a[0] == '-') std::fprintf(stderr, "zufnt_genera: unknown option or missing value: %s\n", a.c_str());
      return Uso();
    }
  }
  // The editor's own limits on its dialogs' boxes.
  if (uscita.empty() || w < 4 || w > 128 || h < 4 || h > 128 || (bit != 1 && bit != 24) || f.Font_Larghezza < 0 ||
      f.Font_Larghezza > 512 || f.Font_Rotazione < 0 || f.Font_Rotazione > 360 || f.Distanza_X < 0 ||
      f.Distanza_X > w - 1 || f.Distanza_Y < 1 - h || f.Distanza_Y > h - 1)
    return Uso();
  qod::Editor_Font e;
  if (!e.Nuova(w, h, bit, qod::img::Nero, qod::img::Bianco)) return Uso();
  e.Font = f;
  std::string errore;
  if (!e.Genera(&errore)) {
    std::fprintf(stderr, "zufnt_genera: font: %s\n", errore.c_str());
    return 1;
  }
  errore = e.Salva(qod::Utf8_A_Ansi(uscita));
  if (!errore.empty()) {
    std::fprintf(stderr, "zufnt_genera: %s\n", qod::Ansi_A_Utf8(errore).c_str());
    return 1;
  }
  std::printf("%s: %d x %d cells, %d bit\n", uscita.c_str(), w, h, bit);
  return 0;
}
