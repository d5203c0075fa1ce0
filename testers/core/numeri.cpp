#include "qod/testers/numeri.h"

#include <cmath>

#include "qod/basic.h"

namespace qod::testers {

std::optional<double> Numero_Campo(std::string_view testo, Separatori s) {
  // Into the form the numeric test reads: group separators out, the decimal
  // separator as ".". A group separator counts only between digits, so a
  // stray one (",5" where "," groups digits) is not silently dropped.
  std::string t;
  t.reserve(testo.size());
  for (size_t i = 0; i < testo.size(); ++i) {
    const char c = testo[i];
    if (c == s.migliaia && c != s.decimale) {
      const bool prima = i > 0 && testo[i - 1] >= '0' && testo[i - 1] <= '9';
      const bool dopo = i + 1 < testo.size() && testo[i + 1] >= '0' && testo[i + 1] <= '9';
      if (prima && dopo) continue;
      return std::nullopt;
    }
    if (c == s.decimale) {
      t += '.';
    } else if (c == '.') {
      return std::nullopt;  // a "." that is neither separator of this locale
    } else {
      t += c;
    }
  }
  auto v = Testo_Numerico(t);
  if (!v || !std::isfinite(*v)) return std::nullopt;
  return v;
}

std::optional<int32_t> Intero32_Campo(std::string_view testo, Separatori s) {
  auto v = Numero_Campo(testo, s);
  if (!v) return std::nullopt;
  return CLng(*v);
}

std::optional<int16_t> Intero16_Campo(std::string_view testo, Separatori s) {
  auto v = Numero_Campo(testo, s);
  if (!v) return std::nullopt;
  const double r = Arrotonda_Pari(*v);
  if (r < -32768.0 || r > 32767.0) return std::nullopt;
  return static_cast<int16_t>(r);
}

std::string Numero_Testo(double v, int decimali, bool gruppi, Separatori s) {
  // The fixed "." form first, then the separators of the locale.
  std::string schema = decimali > 0 ? "0." + std::string(static_cast<size_t>(decimali), '0') : "0";
  std::string t = Format(v, schema);
  std::string segno;
  if (!t.empty() && t[0] == '-') {
    segno = "-";
    t.erase(0, 1);
  }
  const size_t punto = t.find('.');
  std::string intero = t.substr(0, punto);
  std::string frazione = punto == std::string::npos ? "" : t.substr(punto + 1);
  if (gruppi) {
    std::string g;
    for (size_t k = 0; k < intero.size(); ++k) {
      if (k > 0 && (intero.size() - k) % 3 == 0) g += s.migliaia;
      g += intero[k];
    }
    intero = g;
  }
  return segno + intero + (frazione.empty() ? "" : std::string(1, s.decimale) + frazione);
}

}  // namespace qod::testers
