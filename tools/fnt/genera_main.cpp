// zufnt_genera: a new strip with every glyph drawn from an installed font,
// made by the font editor's own code ("Nuovo", then "Genera") and saved.
//
//   zufnt_genera OUT.BMP [--cell WxH] [--bits 1|24] [--face NAME] [--size N]
//                [--width N] [--bold] [--center-x] [--center-y] [--left N] [--top N] [--rotate DEG]
#include <cstdio>
#include <string>
#include <vector>

#include "editor_font.h"
#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/console.h"

namespace {

const qod::Uso_Strumento kUso{
    "zufnt_genera",
    "usage: zufnt_genera OUT.BMP [--cell WxH] [--bits 1|24] [--face NAME] [--size N] [--width N]\n"
    "                    [--bold] [--center-x] [--center-y] [--left N] [--top N] [--rotate DEG]\n"
    "  defaults: --cell 16x32 --bits 1 --face Arial --size 14 (pixels; with --width, the cell height)\n"
    "  a name that begins with \"-\" is written ./-name, a new one at the root /./name;\n"
    "  --help (also -h, /?) shows this text\n",
    {{"--cell", 1},
     {"--bits", 1, qod::Tipo_Valore::Numero},
     {"--face", 1},
     {"--size", 1, qod::Tipo_Valore::Numero},
     {"--width", 1, qod::Tipo_Valore::Numero},
     {"--left", 1, qod::Tipo_Valore::Numero},
     {"--top", 1, qod::Tipo_Valore::Numero},
     {"--rotate", 1, qod::Tipo_Valore::Numero},
     {"--bold"},
     {"--center-x"},
     {"--center-y"}}};

bool Intero(const std::string& s, int& n) {
  if (!qod::IsNumeric(s)) return false;
  const auto v = qod::CLng(std::string_view(s));
  if (!v) return false;
  n = *v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // The whole command line is looked at before anything is written.
  std::vector<qod::Voce_Comando> voci;
  if (const auto fine = qod::Uso_Controlla(kUso, argc, argv, &voci)) return *fine;
  int w = 16, h = 32, bit = 1;
  qod::Impostazioni_Font f;
  std::string uscita;
  for (const auto& v : voci) {
    const std::string& a = v.opzione;
    const std::string valore = v.valori.empty() ? std::string() : v.valori[0];
    bool ok = true;
    if (a.empty()) {
      if (!uscita.empty()) return qod::Uso_Rifiuta(kUso, "one OUT.BMP only: " + valore);
      uscita = valore;
    } else if (a == "--cell") {
      const size_t x = valore.find_first_of("xX");
      ok = x != std::string::npos && Intero(valore.substr(0, x), w) && Intero(valore.substr(x + 1), h);
    } else if (a == "--bits") {
      ok = Intero(valore, bit);
    } else if (a == "--face") {
      f.Font_Nome = qod::Utf8_A_Ansi(valore);
    } else if (a == "--size") {
      ok = Intero(valore, f.Font_Punti);
    } else if (a == "--width") {
      ok = Intero(valore, f.Font_Larghezza);
    } else if (a == "--left") {
      ok = Intero(valore, f.Distanza_X);
    } else if (a == "--top") {
      ok = Intero(valore, f.Distanza_Y);
    } else if (a == "--rotate") {
      ok = Intero(valore, f.Font_Rotazione);
    } else if (a == "--bold") {
      f.Font_Grassetto = true;
    } else if (a == "--center-x") {
      f.Centra_X = true;
    } else if (a == "--center-y") {
      f.Centra_Y = true;
    }
    if (!ok) return qod::Uso_Rifiuta(kUso, "bad value: " + a + " " + valore);
  }
  if (uscita.empty()) return qod::Uso_Rifiuta(kUso, "OUT.BMP missing");
  // The editor's own limits on its dialogs' boxes.
  if (w < 4 || w > 128 || h < 4 || h > 128 || (bit != 1 && bit != 24) || f.Font_Larghezza < 0 ||
      f.Font_Larghezza > 512 || f.Font_Rotazione < 0 || f.Font_Rotazione > 360 || f.Distanza_X < 0 ||
      f.Distanza_X > w - 1 || f.Distanza_Y < 1 - h || f.Distanza_Y > h - 1)
    return qod::Uso_Rifiuta(kUso, "a value out of range");
  qod::Editor_Font e;
  if (!e.Nuova(w, h, bit, qod::img::Nero, qod::img::Bianco)) return qod::Uso_Rifiuta(kUso, "a value out of range");
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
