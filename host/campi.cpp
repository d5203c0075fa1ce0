// Field decoding over the record buffer.
#include <cstring>

#include "qod/host/trasporto.h"

namespace qod {

namespace {

constexpr char kByte_Zero = '\xD8';  // "Ø": a 0 byte in a text field

// Puts "." before the last `decimali` characters of `t`.
void Punto_Inserisci(std::string& t, size_t decimali) { t.insert(t.size() - decimali, 1, '.'); }

}  // namespace

std::string Trasporto::Sock_Field(std::string_view tipo, int32_t inizio, int32_t lunghezza, int32_t /*cifre*/,
                                  int32_t decimali) const {
  if (tipo.size() != 1) return "";
  const char k = tipo[0];
  if (k != 'A' && k != 'S' && k != 'P' && k != 'B') return "";
  if (inizio < 1 || lunghezza < 1 || lunghezza > kBuffer_Record - (inizio - 1)) return "";
  const uint8_t* b = record_.data() + (inizio - 1);
  const size_t n = static_cast<size_t>(lunghezza);
  std::string t;

  switch (k) {
    case 'A': {
      t.resize(n);
      for (size_t i = 0; i < n; ++i) t[i] = b[i] == 0 ? kByte_Zero : static_cast<char>(tabella_[b[i]]);
      return t;
    }
    case 'S': {
      t.reserve(n + 2);
      for (size_t i = 0; i < n; ++i) t.push_back(static_cast<char>((b[i] & 0x0F) | 0x30));
      if (decimali > 0 && static_cast<size_t>(decimali) <= n) Punto_Inserisci(t, static_cast<size_t>(decimali));
      if ((b[n - 1] & 0xF0) != 0xF0) t.push_back('-');
      return t;
    }
    case 'P': {
      const size_t cifre = 2 * n - 1;  // the last half-byte is the sign
      if (decimali < 0) decimali = 0;
      if (static_cast<size_t>(decimali) > cifre) return "";
      t.resize(2 * n);
      for (size_t i = 0; i < n; ++i) {
        const unsigned indice = (b[i] >> 4) * 16u + (b[i] & 0x0Fu);
        if (indice >= packed_.size()) return "";  // a high half-byte above 9 is no digit
        t[2 * i] = packed_[indice][0];
        t[2 * i + 1] = packed_[indice][1];
      }
      if (decimali > 0) {
        t.resize(cifre);  // the sign position goes
        Punto_Inserisci(t, static_cast<size_t>(decimali));
      }
      if ((b[n - 1] & 0x0F) != 0x0F) t.push_back('-');
      return t;
    }
    default: {  // 'B'
      if (n > 4) return "";
      uint32_t u = 0;
      for (size_t i = 0; i < n; ++i) u = (u << 8) | b[i];
      int64_t v = u;
      if (b[0] & 0x80) v -= int64_t{1} << (8 * n);  // two's complement of n bytes
      return std::to_string(v);
    }
  }
}

}  // namespace qod
