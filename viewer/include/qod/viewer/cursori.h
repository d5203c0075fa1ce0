// The viewer's pointer shapes, drawn at run time as 32 x 32 pictures of
// characters: "." transparent, blank white, "X" the screen inverted, any
// other (the shapes use "O") black. Shapes 1 to 3 (open hand, closed hand,
// cross) sit in the lower-left quarter; the cross carries two text lines of
// 6 x 9 glyphs showing the pointer's page position.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qod::imv {

// The 256-character pattern (16 rows of 16) of a shape; dots for any
// number other than 1, 2, 3.
std::string Cursore_Forma(long forma);

// The 54-character glyph (9 rows of 6) of "0"-"9", "x", "y"; blanks for any
// other character.
std::string Cursore_Carattere(char c);

// The 1024-character picture of a cursor: the shape in rows 16 to 31,
// columns 0 to 15; the first five characters of line 1 in rows 0 to 8 and
// of line 2 in rows 8 to 16, glyph i at columns 5i + 6 to 5i + 11 (each glyph
// overwrites the last column of the one before it).
std::string Cursore_Immagine(long forma, std::string_view riga1, std::string_view riga2);

// The two 128-byte masks of a picture, 4 bytes a row, the leftmost pixel in
// the most significant bit: AND 1 for "." and "X", XOR 1 for blank and "X".
struct Maschere {
  std::array<uint8_t, 128> e{};  // AND
  std::array<uint8_t, 128> o{};  // XOR
};
Maschere Cursore_Maschere(std::string_view immagine);

// The same masks for a monochrome cursor with a bitmap (1 = black) and a
// mask (1 = drawn): transparent (0, 0), white (0, 1), black (1, 1), and the
// inverted screen as (1, 0), which the windowing system may show as it can.
struct Maschere_Bitmap {
  std::array<uint8_t, 128> bitmap{};
  std::array<uint8_t, 128> maschera{};
};
Maschere_Bitmap Maschere_Per_Bitmap(const Maschere& m);

// The position cursor's text of a coordinate: the letter and the value
// rounded to a whole number as Format rounds ("x120"); only the first five
// characters are drawn.
std::string Testo_Coordinata(char lettera, double valore);

}  // namespace qod::imv
