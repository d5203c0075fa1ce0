// Windows-1252 ("ANSI") text. Core text is std::string holding one byte per
// character; it is turned into UTF-8 only where it meets the terminal, the
// file system or Qt. The table is lossless for all 256 codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qod {

// The Unicode code point that ANSI code c stands for. The five codes that
// Windows-1252 leaves undefined map to U+0081, U+008D, U+008F, U+0090, U+009D.
char32_t Ansi_A_Unicode(unsigned char c);

// The ANSI code of a code point, or -1 when Windows-1252 has none.
int Unicode_A_Ansi(char32_t u);

// ANSI bytes to UTF-8.
std::string Ansi_A_Utf8(std::string_view ansi);

// UTF-8 to ANSI bytes; a code point outside Windows-1252 (or a broken UTF-8
// sequence) becomes `sostituto`.
std::string Utf8_A_Ansi(std::string_view utf8, char sostituto = '?');

// Shorthand for literals written in UTF-8 in the source: A("¿") is "\xBF".
inline std::string A(std::string_view utf8) { return Utf8_A_Ansi(utf8); }

// Upper and lower case of one ANSI character, one character to one character.
unsigned char Ansi_Maiuscolo(unsigned char c);
unsigned char Ansi_Minuscolo(unsigned char c);

}  // namespace qod
