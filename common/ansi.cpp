#include "qod/ansi.h"

#include <array>

namespace qod {
namespace {

// Code points of 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kAlti = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void Aggiungi_Utf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out.push_back(static_cast<char>(u));
  } else if (u < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (u >> 6)));
    out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
  } else if (u < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (u >> 12)));
    out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (u >> 18)));
    out.push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
  }
}

}  // namespace

char32_t Ansi_A_Unicode(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F) return kAlti[c - 0x80];
  return c;
}

int Unicode_A_Ansi(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
  for (int i = 0; i < 32; ++i)
    if (kAlti[static_cast<size_t>(i)] == u) return 0x80 + i;
  return -1;
}

std::string Ansi_A_Utf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (unsigned char c : ansi) Aggiungi_Utf8(out, Ansi_A_Unicode(c));
  return out;
}

std::string Utf8_A_Ansi(std::string_view s, char sostituto) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    char32_t u = 0;
    size_t n = 0;
    if (c < 0x80) {
      u = c;
      n = 1;
    } else if ((c & 0xE0) == 0xC0) {
      u = c & 0x1F;
      n = 2;
    } else if ((c & 0xF0) == 0xE0) {
      u = c & 0x0F;
      n = 3;
    } else if ((c & 0xF8) == 0xF0) {
      u = c & 0x07;
      n = 4;
    }
    bool ok = n > 0 && i + n <= s.size();
    for (size_t k = 1; ok && k < n; ++k) {
      unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      u = (u << 6) | (t & 0x3F);
    }
    if (!ok) {
      out.push_back(sostituto);
      ++i;
      continue;
    }
    int a = Unicode_A_Ansi(u);
    out.push_back(a < 0 ? sostituto : static_cast<char>(a));
    i += n;
  }
  return out;
}

unsigned char Ansi_Maiuscolo(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);  // š œ ž
  if (c == 0xFF) return 0x9F;                                                         // ÿ
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
  return c;
}

unsigned char Ansi_Minuscolo(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
  if (c == 0x9F) return 0xFF;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  return c;
}

}  // namespace qod
