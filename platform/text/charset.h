// Character sets: the code page that turns ANSI bytes into characters, and
// the language a font must cover to draw them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qod::text::detail {

// A character with no glyph: drawn as the font's missing-glyph shape.
inline constexpr char32_t kNoChar = 0x110000;

struct CharsetInfo {
  uint8_t value;
  const char* code_page;  // iconv name; nullptr for the symbol set
  const char* lang;       // fontconfig language a font must cover; nullptr: any
  bool multibyte;
};

// The table entry of a character set; unknown values read as DEFAULT.
const CharsetInfo& Charset_Info(uint8_t charset);

// The characters of an ANSI text in the character set's code page; a byte
// (or byte pair) the code page does not define gives kNoChar.
std::u32string Charset_Decodifica(std::string_view bytes, uint8_t charset);

}  // namespace qod::text::detail
