// The BASIC-style runtime the server's rules are written in: numeric
// conversions, Format, Mid, Trim, Like and rounding. Text is ANSI bytes;
// positions are 1-based as in BASIC. Numbers never follow the process locale:
// "." is the decimal point and digit groups are separated by ".".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qod {

// ---- Rounding ----------------------------------------------------------

// Round to the nearest whole number, halves to the even neighbour.
double Arrotonda_Pari(double v);

// Round to the nearest whole number, halves away from zero (Format's rule).
double Arrotonda_Su(double v);

// ---- Numeric family ----------------------------------------------------

// BASIC Val: blanks, tabs and line feeds are skipped anywhere; an optional
// sign, digits, one ".", an exponent ("E" or "D"); "&H" and "&O" prefixes
// (up to 4 digits give a 16-bit value, up to 8 a 32-bit one, as BASIC does).
// Stops at the first character that is not part of a number: a trailing "-"
// is not a sign ("123-" gives 123). Text with no number gives 0.
double Val(std::string_view s);

// The numeric test and conversion of text: leading and trailing blanks; a
// sign before or after the number ("123-" is -123); digits with one "."; an
// exponent; or "&H"/"&O". Anything else, or an empty text, is not numeric.
std::optional<double> Testo_Numerico(std::string_view s);
bool IsNumeric(std::string_view s);

// CLng: to a 32-bit whole number, halves to even. Overflow and text that is
// not numeric give no value (the caller reports the failure).
std::optional<int32_t> CLng(double v);
std::optional<int32_t> CLng(std::string_view s);

// Valore_Numerico: the text trimmed; empty or not numeric gives 0; otherwise
// its value rounded to a whole number, halves to even. A value outside the
// 32-bit range gives 0.
int32_t Valore_Numerico(std::string_view s);

// A number as a digit string of exactly `larghezza` characters: the value
// CLng(Val(testo)) would give when the text is numeric (IsNumeric), else 0,
// but with no 32-bit limit (a run of digits keeps every digit); written as
// an optional "-" and digits, right-aligned and zero-filled, and cut to its
// rightmost characters when longer ("-123" in 8 gives "0000-123").
std::string Numero_Cifre(std::string_view testo, int64_t larghezza);

// ---- Format ------------------------------------------------------------

// Format(number, pattern) for the numeric patterns the programs use: digit
// placeholders "0" and "#", "," for digit groups (written as "."), one "."
// for decimals, "%", literals escaped with "\" or quoted. Halves are rounded
// away from zero as Format does.
std::string Format(double v, std::string_view pattern);
std::string Format(int64_t v, std::string_view pattern);
inline std::string Format(int32_t v, std::string_view pattern) { return Format(static_cast<int64_t>(v), pattern); }

// ---- Text --------------------------------------------------------------

// Mid(s, start[, length]): start counts from 1; out of range gives "".
std::string Mid(std::string_view s, int64_t start, int64_t length = -1);
// The Mid statement: overwrites at most `length` characters from `start`
// with the start of `repl`; the text never changes length.
void Mid_Imposta(std::string& s, int64_t start, int64_t length, std::string_view repl);
inline void Mid_Imposta(std::string& s, int64_t start, std::string_view repl) {
  Mid_Imposta(s, start, static_cast<int64_t>(repl.size()), repl);
}
std::string Left(std::string_view s, int64_t n);
std::string Right(std::string_view s, int64_t n);

// Trim, LTrim, RTrim remove blanks (code 32) only.
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);

std::string Space(int64_t n);
std::string Stringa(int64_t n, char c);
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);

// InStr(start, s, find): 1-based position of `find` at or after `start`,
// 0 when absent. An empty `find` gives `start` (when start <= len + 1).
int64_t InStr(int64_t start, std::string_view s, std::string_view find);
inline int64_t InStr(std::string_view s, std::string_view find) { return InStr(1, s, find); }

// Blank-padded on the right or cut to width.
std::string Testo_Largo(std::string_view s, int64_t width);

// The Like operator: "?" one character, "*" any run, "#" one digit,
// "[abc]" / "[!a-z]" character lists; everything else matches itself
// (case-sensitive, as Option Compare Binary).
bool Like(std::string_view text, std::string_view pattern);

}  // namespace qod
