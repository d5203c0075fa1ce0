#include "qod/viewer/cursori.h"

#include <cmath>

#include "qod/basic.h"

namespace qod::imv {

namespace {

// Shapes, 16 rows of 16 characters, top row first.
constexpr const char* kMano_Aperta[16] = {
    ".......OO.......", "...OO.O  OOO....", "..O  OO  O  O...", "..O  OO  O  O.O.",
    "...O  O  O  OO O", "...O  O  O  O  O", ".OO.O       O  O", "O  OO          O",
    "O   O         O.", ".O            O.", "..O           O.", "..O          O..",
    "...O         O..", "....O       O...", ".....O      O...", "......O O O O..."};
constexpr const char* kMano_Chiusa[16] = {
    "................", "................", "................", "................",
    "................", "...OO.OO.OO.....", "..O  O  O  OO...", "..O        O O..",
    "...O         O..", "..OO         O..", ".O           O..", ".O          O...",
    "..O         O...", "...O       O....", "....O      O....", ".....O O O O...."};
constexpr const char* kCroce[16] = {
    "................", "................", ".....X..........", ".....X..........",
    ".....X..........", ".....X..........", ".....X..........", "XXXXXXXXXXX.....",
    ".....X..........", ".....X..........", ".....X..........", ".....X..........",
    ".....X..........", "................", "................", "................"};

// Glyph rows 2 to 8 of "0"-"9", "x", "y".
constexpr const char* kGlifi[12][7] = {
    {"  OO  ", " O  O ", " O  O ", " O  O ", " O  O ", " O  O ", "  OO  "},
    {"   O  ", "  OO  ", "   O  ", "   O  ", "   O  ", "   O  ", "  OOO "},
    {"  OO  ", " O  O ", "    O ", "   O  ", "  O   ", " O    ", " OOOO "},
    {"  OO  ", " O  O ", "    O ", "  OO  ", "    O ", " O  O ", "  OO  "},
    {"   O  ", "  OO  ", "  OO  ", " O O  ", " OOOO ", "   O  ", "   O  "},
    {" OOOO ", " O    ", " OOO  ", " O  O ", "    O ", " O  O ", "  OO  "},
    {"  OO  ", " O  O ", " O    ", " OOO  ", " O  O ", " O  O ", "  OO  "},
    {" OOOO ", "    O ", "    O ", "   O  ", "   O  ", "  O   ", "  O   "},
    {"  OO  ", " O  O ", " O  O ", "  OO  ", " O  O ", " O  O ", "  OO  "},
    {"  OO  ", " O  O ", " O  O ", "  OOO ", "    O ", " O  O ", "  OO  "},
    {"      ", "      ", " O  O ", " O  O ", "  OO  ", " O  O ", " O  O "},
    {"      ", "      ", " O  O ", " O  O ", "  OO  ", "  O   ", " O    "}};

void Riga_Testo(std::string& im, std::string_view riga, int alto) {
  if (riga.empty()) return;
  std::string t(riga.substr(0, 5));
  t += "     ";
  for (int i = 0; i < 5; ++i) {
    const std::string g = Cursore_Carattere(t[i]);
    for (int r = 0; r < 9; ++r)
      for (int c = 0; c < 6; ++c) im[(alto + r) * 32 + 5 * i + 6 + c] = g[r * 6 + c];
  }
}

}  // namespace

std::string Cursore_Forma(long forma) {
  const char* const* righe = forma == 1 ? kMano_Aperta : forma == 2 ? kMano_Chiusa : forma == 3 ? kCroce : nullptr;
  if (!righe) return std::string(256, '.');
  std::string r;
  for (int i = 0; i < 16; ++i) r += righe[i];
  return r;
}

std::string Cursore_Carattere(char c) {
  int i = -1;
  if (c >= '0' && c <= '9') i = c - '0';
  if (c == 'x') i = 10;
  if (c == 'y') i = 11;
  std::string g(54, ' ');
  if (i < 0) return g;
  for (int r = 0; r < 7; ++r) g.replace((r + 1) * 6, 6, kGlifi[i][r]);
  return g;
}

std::string Cursore_Immagine(long forma, std::string_view riga1, std::string_view riga2) {
  std::string im(1024, '.');
  const std::string f = Cursore_Forma(forma);
  for (int r = 0; r < 16; ++r) im.replace((16 + r) * 32, 16, f, r * 16, 16);
  Riga_Testo(im, riga1, 0);
  Riga_Testo(im, riga2, 8);
  return im;
}

Maschere Cursore_Maschere(std::string_view immagine) {
  Maschere m;
  for (size_t i = 0; i < 1024 && i < immagine.size(); ++i) {
    const char c = immagine[i];
    const bool e = c == '.' || c == 'X';
    const bool o = c == ' ' || c == 'X';
    const uint8_t bit = static_cast<uint8_t>(0x80 >> (i % 8));
    if (e) m.e[i / 8] |= bit;
    if (o) m.o[i / 8] |= bit;
  }
  return m;
}

Maschere_Bitmap Maschere_Per_Bitmap(const Maschere& m) {
  Maschere_Bitmap b;
  for (size_t i = 0; i < 128; ++i) {
    b.bitmap[i] = static_cast<uint8_t>(~(m.e[i] ^ m.o[i]));
    b.maschera[i] = static_cast<uint8_t>(~m.e[i]);
  }
  return b;
}

std::string Testo_Coordinata(char lettera, double valore) {
  return std::string(1, lettera) + Format(valore, "#0");
}

}  // namespace qod::imv
