// Numbers as the test programs' fields hold them: text typed by a person in
// the separators of the user's locale, turned into the generator's 32-bit,
// 16-bit and decimal values, and numbers written back for display in the
// same separators. Text is ANSI.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qod::testers {

// The user's decimal and digit-group separators.
struct Separatori {
  char decimale = '.';
  char migliaia = ',';
};

// A field's text as a number: blanks around it are allowed, digit-group
// separators are skipped, the decimal separator is the locale's, a sign, an
// exponent and "&H"/"&O" are accepted. No value when the text is empty or not
// a number.
std::optional<double> Numero_Campo(std::string_view testo, Separatori s);

// The same, rounded to a whole number (halves to the even neighbour) and held
// to the 32-bit or 16-bit range; no value outside it.
std::optional<int32_t> Intero32_Campo(std::string_view testo, Separatori s);
std::optional<int16_t> Intero16_Campo(std::string_view testo, Separatori s);

// `v` with `decimali` decimals (halves away from zero), digit groups of three
// when `gruppi`, in the given separators: (1234.5, 2, true) gives "1,234.50"
// or "1.234,50".
std::string Numero_Testo(double v, int decimali, bool gruppi, Separatori s);

}  // namespace qod::testers
