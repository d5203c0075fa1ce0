#include "qod/basic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "qod/ansi.h"

namespace qod {
namespace {

bool Cifra(char c) { return c >= '0' && c <= '9'; }

int Valore_Esadecimale(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "&H..." / "&O..." with the prefix already consumed: at most 4 digits give a
// 16-bit signed value, at most 8 (hex) or 11 (octal) a 32-bit one.
std::optional<double> Leggi_Base(std::string_view digits, int base, size_t* used) {
  uint64_t v = 0;
  size_t n = 0;
  while (n < digits.size()) {
    int d = Valore_Esadecimale(digits[n]);
    if (d < 0 || d >= base) break;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    if (v > 0xFFFFFFFFull) return std::nullopt;
    ++n;
  }
  if (used) *used = n;
  if (n == 0) return 0.0;
  if (v <= 0xFFFF && ((base == 16 && n <= 4) || (base == 8 && n <= 6)))
    return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(v)));
  return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
}

// Digits, one ".", exponent; returns the count of characters used and the
// value read. `skip` tells whether blanks inside are skipped (Val) or end it.
struct Lettura {
  double valore = 0;
  size_t usati = 0;
  bool cifre = false;
};

Lettura Leggi_Decimale(std::string_view s, bool skip) {
  Lettura r;
  std::string testo;  // digits and point as read, for strtod
  size_t i = 0;
  auto salta = [&] {
    while (skip && i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
  };
  bool punto = false;
  size_t fine = 0;
  for (;;) {
    salta();
    if (i >= s.size()) break;
    char c = s[i];
    if (Cifra(c)) {
      testo.push_back(c);
      r.cifre = true;
      ++i;
      fine = i;
    } else if (c == '.' && !punto) {
      punto = true;
      testo.push_back('.');
      ++i;
      if (r.cifre) fine = i;
    } else {
      break;
    }
  }
  if (!r.cifre) return r;
  // Exponent: E or D, optional sign, at least one digit.
  size_t j = fine;
  auto salta_j = [&] {
    while (skip && j < s.size() && (s[j] == ' ' || s[j] == '\t' || s[j] == '\n' || s[j] == '\r')) ++j;
  };
  salta_j();
  if (j < s.size() && (s[j] == 'E' || s[j] == 'e' || s[j] == 'D' || s[j] == 'd')) {
    ++j;
    salta_j();
    std::string esp = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      esp.push_back(s[j]);
      ++j;
    }
    bool ce = false;
    for (;;) {
      salta_j();
      if (j < s.size() && Cifra(s[j])) {
        esp.push_back(s[j]);
        ++j;
        ce = true;
      } else {
        break;
      }
    }
    if (ce) {
      testo += esp;
      fine = j;
    }
  }
  // from_chars never follows the locale.
  if (testo.front() == '.') testo.insert(testo.begin(), '0');
  auto esito = std::from_chars(testo.data(), testo.data() + testo.size(), r.valore);
  if (esito.ec == std::errc::result_out_of_range) r.valore = HUGE_VAL;
  r.usati = fine;
  return r;
}

}  // namespace

double Arrotonda_Pari(double v) {
  if (!std::isfinite(v)) return v;
  double f = std::floor(v);
  double d = v - f;
  if (d > 0.5) return f + 1;
  if (d < 0.5) return f;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

double Arrotonda_Su(double v) { return std::round(v); }

double Val(std::string_view s) {
  size_t i = 0;
  auto salta = [&] {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
  };
  salta();
  if (i + 1 < s.size() && s[i] == '&') {
    char b = s[i + 1];
    int base = (b == 'H' || b == 'h') ? 16 : (b == 'O' || b == 'o') ? 8 : 0;
    if (base) {
      auto v = Leggi_Base(s.substr(i + 2), base, nullptr);
      return v ? *v : 0.0;
    }
    return 0.0;
  }
  double segno = 1;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    if (s[i] == '-') segno = -1;
    ++i;
  }
  Lettura r = Leggi_Decimale(s.substr(i), true);
  return r.cifre ? segno * r.valore : 0.0;
}

std::optional<double> Testo_Numerico(std::string_view s) {
  size_t a = 0, b = s.size();
  auto bianco = [](char c) { return c == ' ' || c == '\t'; };
  while (a < b && bianco(s[a])) ++a;
  while (b > a && bianco(s[b - 1])) --b;
  s = s.substr(a, b - a);
  if (s.empty()) return std::nullopt;
  if (s.size() > 2 && s[0] == '&') {
    int base = (s[1] == 'H' || s[1] == 'h') ? 16 : (s[1] == 'O' || s[1] == 'o') ? 8 : 0;
    if (!base) return std::nullopt;
    size_t used = 0;
    auto v = Leggi_Base(s.substr(2), base, &used);
    if (!v || used == 0 || used != s.size() - 2) return std::nullopt;
    return v;
  }
  double segno = 1;
  size_t i = 0;
  bool segno_davanti = false;
  if (s[0] == '-' || s[0] == '+') {
    segno = s[0] == '-' ? -1 : 1;
    segno_davanti = true;
    i = 1;
    while (i < s.size() && bianco(s[i])) ++i;
  }
  Lettura r = Leggi_Decimale(s.substr(i), false);
  if (!r.cifre) return std::nullopt;
  size_t k = i + r.usati;
  while (k < s.size() && bianco(s[k])) ++k;
  if (k < s.size() && !segno_davanti && (s[k] == '-' || s[k] == '+')) {
    segno = s[k] == '-' ? -1 : 1;
    ++k;
  }
  if (k != s.size()) return std::nullopt;
  return segno * r.valore;
}

bool IsNumeric(std::string_view s) { return Testo_Numerico(s).has_value(); }

std::optional<int32_t> CLng(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  double r = Arrotonda_Pari(v);
  if (r < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
      r > static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::nullopt;
  return static_cast<int32_t>(r);
}

std::optional<int32_t> CLng(std::string_view s) {
  auto v = Testo_Numerico(s);
  if (!v) return std::nullopt;
  return CLng(*v);
}

int32_t Valore_Numerico(std::string_view s) {
  auto v = CLng(Trim(s));
  return v ? *v : 0;
}

std::string Numero_Cifre(std::string_view testo, int64_t larghezza) {
  if (larghezza <= 0) return {};
  std::string cifre = "0";
  if (IsNumeric(testo)) {
    std::string t = Trim(testo);
    bool negativo = false;
    size_t i = 0;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
      negativo = t[0] == '-';
      i = 1;
    }
    bool solo_cifre = i < t.size() && t.find_first_not_of("0123456789", i) == std::string::npos;
    if (solo_cifre) {
      // Every digit kept, however many.
      size_t primo = t.find_first_not_of('0', i);
      cifre = primo == std::string::npos ? "0" : t.substr(primo);
      if (negativo && cifre != "0") cifre.insert(0, 1, '-');
    } else {
      double v = Arrotonda_Pari(Val(testo));
      if (!std::isfinite(v)) {
        cifre = "0";
      } else if (std::fabs(v) < 9.0e18) {
        cifre = std::to_string(static_cast<int64_t>(v));
      } else {
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.0f", v);
        cifre = buffer;
      }
    }
  }
  return Right(Stringa(larghezza, '0') + cifre, larghezza);
}

// ---- Format --------------------------------------------------------------

std::string Format(double v, std::string_view pattern) {
  // Only the first section (before ";") is used.
  // Collect: literal prefix, integer placeholders, grouping, decimals, suffix.
  std::string prefisso, suffisso;
  int min_int = 0, min_dec = 0, max_dec = 0;
  bool gruppi = false, percento = false, punto = false, visto_cifra = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == ';') break;
    std::string lit;
    bool letterale = false;
    if (c == '\\' && i + 1 < pattern.size()) {
      lit = std::string(1, pattern[++i]);
      letterale = true;
    } else if (c == '"') {
      size_t j = pattern.find('"', i + 1);
      if (j == std::string_view::npos) j = pattern.size();
      lit = std::string(pattern.substr(i + 1, j - i - 1));
      i = j;
      letterale = true;
    } else if (c == '0' || c == '#') {
      visto_cifra = true;
      if (!punto) {
        if (c == '0' || min_int > 0) ++min_int;
      } else {
        ++max_dec;
        if (c == '0') min_dec = max_dec;
      }
      continue;
    } else if (c == '.') {
      punto = true;
      visto_cifra = true;
      continue;
    } else if (c == ',') {
      if (visto_cifra && !punto) gruppi = true;
      continue;
    } else if (c == '%') {
      percento = true;
      lit = "%";
      letterale = true;
    } else {
      lit = std::string(1, c);
      letterale = true;
    }
    if (letterale) (visto_cifra ? suffisso : prefisso) += lit;
  }
  if (percento) v *= 100;
  bool negativo = v < 0;
  double a = std::fabs(v);
  double scala = std::pow(10.0, max_dec);
  double arr = Arrotonda_Su(a * scala);
  if (!std::isfinite(arr) || arr > 9.0e18) {
    // Too large for the integer path: plain digits.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", a);
    return (negativo ? "-" : "") + prefisso + buf + suffisso;
  }
  uint64_t n = static_cast<uint64_t>(arr);
  uint64_t p10 = 1;
  for (int k = 0; k < max_dec; ++k) p10 *= 10;
  uint64_t intero = n / p10, frazione = n % p10;
  std::string cifre = intero ? std::to_string(intero) : "";
  while (static_cast<int>(cifre.size()) < min_int) cifre.insert(cifre.begin(), '0');
  if (gruppi && cifre.size() > 3) {
    std::string g;
    int cont = 0;
    for (size_t k = cifre.size(); k-- > 0;) {
      g.insert(g.begin(), cifre[k]);
      if (++cont % 3 == 0 && k > 0) g.insert(g.begin(), '.');
    }
    cifre = g;
  }
  std::string dec;
  if (max_dec > 0) {
    dec = std::to_string(frazione);
    while (static_cast<int>(dec.size()) < max_dec) dec.insert(dec.begin(), '0');
    while (static_cast<int>(dec.size()) > min_dec && dec.back() == '0') dec.pop_back();
  }
  std::string out = negativo ? "-" : "";
  out += prefisso;
  out += cifre;
  if (punto) out += ".";
  out += dec;
  out += suffisso;
  return out;
}

std::string Format(int64_t v, std::string_view pattern) {
  // Whole numbers beyond double's exact range keep every digit.
  if (v > (int64_t(1) << 53) || v < -(int64_t(1) << 53)) return std::to_string(v);
  return Format(static_cast<double>(v), pattern);
}

// ---- Text ----------------------------------------------------------------

std::string Mid(std::string_view s, int64_t start, int64_t length) {
  if (start < 1) start = 1;
  auto pos = static_cast<size_t>(start - 1);
  if (pos >= s.size()) return {};
  if (length < 0) return std::string(s.substr(pos));
  return std::string(s.substr(pos, static_cast<size_t>(length)));
}

void Mid_Imposta(std::string& s, int64_t start, int64_t length, std::string_view repl) {
  if (start < 1 || length <= 0) return;
  auto pos = static_cast<size_t>(start - 1);
  if (pos >= s.size()) return;
  size_t n = std::min({static_cast<size_t>(length), repl.size(), s.size() - pos});
  s.replace(pos, n, repl.substr(0, n));
}

std::string Left(std::string_view s, int64_t n) {
  if (n <= 0) return {};
  return std::string(s.substr(0, static_cast<size_t>(n)));
}

std::string Right(std::string_view s, int64_t n) {
  if (n <= 0) return {};
  if (static_cast<size_t>(n) >= s.size()) return std::string(s);
  return std::string(s.substr(s.size() - static_cast<size_t>(n)));
}

std::string LTrim(std::string_view s) {
  size_t a = 0;
  while (a < s.size() && s[a] == ' ') ++a;
  return std::string(s.substr(a));
}

std::string RTrim(std::string_view s) {
  size_t b = s.size();
  while (b > 0 && s[b - 1] == ' ') --b;
  return std::string(s.substr(0, b));
}

std::string Trim(std::string_view s) { return LTrim(RTrim(s)); }

std::string Space(int64_t n) { return n > 0 ? std::string(static_cast<size_t>(n), ' ') : std::string(); }

std::string Stringa(int64_t n, char c) { return n > 0 ? std::string(static_cast<size_t>(n), c) : std::string(); }

std::string UCase(std::string_view s) {
  std::string r(s);
  for (auto& c : r) c = static_cast<char>(Ansi_Maiuscolo(static_cast<unsigned char>(c)));
  return r;
}

std::string LCase(std::string_view s) {
  std::string r(s);
  for (auto& c : r) c = static_cast<char>(Ansi_Minuscolo(static_cast<unsigned char>(c)));
  return r;
}

int64_t InStr(int64_t start, std::string_view s, std::string_view find) {
  if (start < 1) start = 1;
  auto pos = static_cast<size_t>(start - 1);
  if (pos > s.size()) return 0;
  size_t k = s.find(find, pos);
  return k == std::string_view::npos ? 0 : static_cast<int64_t>(k) + 1;
}

std::string Testo_Largo(std::string_view s, int64_t width) {
  if (width <= 0) return {};
  std::string r(s.substr(0, static_cast<size_t>(width)));
  r.resize(static_cast<size_t>(width), ' ');
  return r;
}

bool Like(std::string_view t, std::string_view p) {
  // Iterative matcher with backtracking to the last "*".
  size_t ti = 0, pi = 0;
  size_t star_p = std::string_view::npos, star_t = 0;
  auto un_passo = [&](size_t& tpos, size_t& ppos) -> bool {
    // Match one pattern element at ppos against t[tpos]; advance both.
    if (tpos >= t.size() || ppos >= p.size()) return false;
    char pc = p[ppos];
    char tc = t[tpos];
    if (pc == '?') {
      ++tpos;
      ++ppos;
      return true;
    }
    if (pc == '#') {
      if (!Cifra(tc)) return false;
      ++tpos;
      ++ppos;
      return true;
    }
    if (pc == '[') {
      size_t chiusa = p.find(']', ppos + 1);
      if (chiusa == std::string_view::npos) {
        if (tc != '[') return false;
        ++tpos;
        ++ppos;
        return true;
      }
      std::string_view lista = p.substr(ppos + 1, chiusa - ppos - 1);
      bool negata = !lista.empty() && lista[0] == '!';
      if (negata) lista.remove_prefix(1);
      bool dentro = false;
      for (size_t k = 0; k < lista.size(); ++k) {
        if (k + 2 < lista.size() && lista[k + 1] == '-') {
          auto lo = static_cast<unsigned char>(lista[k]), hi = static_cast<unsigned char>(lista[k + 2]);
          auto x = static_cast<unsigned char>(tc);
          if (x >= lo && x <= hi) dentro = true;
          k += 2;
        } else if (lista[k] == tc) {
          dentro = true;
        }
      }
      if (dentro == negata) return false;
      ++tpos;
      ppos = chiusa + 1;
      return true;
    }
    if (pc != tc) return false;
    ++tpos;
    ++ppos;
    return true;
  };
  while (ti < t.size()) {
    if (pi < p.size() && p[pi] == '*') {
      star_p = ++pi;
      star_t = ti;
      continue;
    }
    size_t t2 = ti, p2 = pi;
    if (un_passo(t2, p2)) {
      ti = t2;
      pi = p2;
      continue;
    }
    if (star_p == std::string_view::npos) return false;
    pi = star_p;
    ti = ++star_t;
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace qod
