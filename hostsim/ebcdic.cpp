#include "ebcdic.h"

#include <iconv.h>

namespace hostsim {

namespace {

// One byte through iconv; 0 when it has no counterpart.
unsigned char Uno(iconv_t cd, unsigned char c) {
  char in = static_cast<char>(c), out[8] = {};
  char* pin = &in;
  char* pout = out;
  size_t nin = 1, nout = sizeof out;
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the state
  if (::iconv(cd, &pin, &nin, &pout, &nout) == static_cast<size_t>(-1)) return 0;
  if (sizeof out - nout != 1) return 0;
  return static_cast<unsigned char>(out[0]);
}

}  // namespace

Ebcdic::Ebcdic() {
  iconv_t verso_ansi = ::iconv_open("CP1252", "IBM280");
  iconv_t verso_ebcdic = ::iconv_open("IBM280", "CP1252");
  if (verso_ansi != reinterpret_cast<iconv_t>(-1) && verso_ebcdic != reinterpret_cast<iconv_t>(-1)) {
    for (int i = 1; i < 256; ++i) {
      a_ansi_[static_cast<size_t>(i)] = Uno(verso_ansi, static_cast<unsigned char>(i));
      da_ansi_[static_cast<size_t>(i)] = Uno(verso_ebcdic, static_cast<unsigned char>(i));
    }
    valida_ = a_ansi_[0xC1] == 'A' && da_ansi_[' '] == 0x40;
  }
  if (verso_ansi != reinterpret_cast<iconv_t>(-1)) ::iconv_close(verso_ansi);
  if (verso_ebcdic != reinterpret_cast<iconv_t>(-1)) ::iconv_close(verso_ebcdic);
}

const Ebcdic& Ebcdic::Standard() {
  static const Ebcdic e;
  return e;
}

std::string Ebcdic::Codifica(std::string_view ansi) const {
  std::string r(ansi.size(), '\0');
  for (size_t i = 0; i < ansi.size(); ++i) r[i] = static_cast<char>(da_ansi_[static_cast<unsigned char>(ansi[i])]);
  return r;
}

std::string Ebcdic::Decodifica(std::string_view ebcdic) const {
  std::string r(ebcdic.size(), '\0');
  for (size_t i = 0; i < ebcdic.size(); ++i) r[i] = static_cast<char>(a_ansi_[static_cast<unsigned char>(ebcdic[i])]);
  return r;
}

std::string Ebcdic::Tabella_File() const {
  std::string r = "IBM280";
  for (int i = 0; i < 256; ++i) r.push_back(static_cast<char>(a_ansi_[static_cast<size_t>(i)]));
  return r;
}

namespace {

// The rightmost `n` decimal digits of |v|, most significant first.
std::string Cifre(int64_t v, size_t n) {
  uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  std::string d(n, 0);
  for (size_t i = n; i-- > 0;) {
    d[i] = static_cast<char>(u % 10);
    u /= 10;
  }
  return d;
}

}  // namespace

std::string Zoned(int64_t valore, int cifre) {
  if (cifre < 1) return {};
  std::string d = Cifre(valore, static_cast<size_t>(cifre));
  for (auto& c : d) c = static_cast<char>(0xF0 | c);
  if (valore < 0) d.back() = static_cast<char>(0xD0 | (d.back() & 0x0F));
  return d;
}

std::string Packed(int64_t valore, int byte) {
  if (byte < 1) return {};
  std::string d = Cifre(valore, static_cast<size_t>(2 * byte - 1));
  d.push_back(valore < 0 ? 0x0D : 0x0F);
  std::string r(static_cast<size_t>(byte), 0);
  for (size_t i = 0; i < r.size(); ++i) r[i] = static_cast<char>((d[2 * i] << 4) | d[2 * i + 1]);
  return r;
}

std::string Binario(int64_t valore, int byte) {
  if (byte < 1 || byte > 8) return {};
  std::string r(static_cast<size_t>(byte), 0);
  uint64_t u = static_cast<uint64_t>(valore);
  for (size_t i = r.size(); i-- > 0;) {
    r[i] = static_cast<char>(u & 0xFF);
    u >>= 8;
  }
  return r;
}

std::string Esadecimale(std::string_view byte) {
  static constexpr char kCifre[] = "0123456789ABCDEF";
  std::string r;
  r.reserve(byte.size() * 2);
  for (unsigned char c : byte) {
    r.push_back(kCifre[c >> 4]);
    r.push_back(kCifre[c & 15]);
  }
  return r;
}

}  // namespace hostsim
