// The built-in metrics of the four TrueType families the writer can name
// without embedding them: Courier New, Times New Roman, Arial and Symbol,
// each in four styles. Widths are in 1/1000 of the text size.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qod::pdf {

struct Metrica_Font {
  std::string Subtype;   // "TrueType"
  std::string BaseFont;  // "Arial", "Arial,Bold", ...
  uint8_t FirstChar = 0;
  uint8_t LastChar = 0;
  std::array<int32_t, 256> Widths{};  // by character code; index 0 unused
  int32_t Flags = 0;
  std::string FontBBox;  // "[-250 -221 1190 1000]"
  int32_t MissingWidth = 0;
  int32_t StemV = 0;
  int32_t StemH = 0;
  int32_t ItalicAngle = 0;
  int32_t CapHeight = 0;
  int32_t XHeight = 0;
  int32_t Ascent = 0;
  int32_t Descent = 0;
  int32_t Leading = 0;
  int32_t MaxWidth = 0;
  int32_t AvgWidth = 0;
};

// Families 1 CourierNew, 2 TimesNewRoman, 3 Arial, 4 Symbol; styles 1
// regular, 2 bold, 3 italic, 4 bold italic.
inline constexpr int Indice_Metrica(int famiglia, int stile) { return (stile - 1) * 4 + (famiglia - 1); }

// The sixteen records, indexed by Indice_Metrica. Filled once; never changes.
const std::array<Metrica_Font, 16>& Tabella_Metriche();

}  // namespace qod::pdf
