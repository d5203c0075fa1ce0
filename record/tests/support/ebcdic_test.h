// Test fixtures for the spool road: an EBCDIC conversion table and an SCS
// stream builder. The table is built from the system's iconv (IBM280, the
// Italian EBCDIC code page, against CP1252), independently of the product.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace qod::test {

struct Tabella_Ebcdic {
  std::array<uint8_t, 256> ansi{};     // EBCDIC code -> ANSI code (0 when none)
  std::array<uint8_t, 256> ebcdic{};   // ANSI code -> EBCDIC code (the higher code wins)

  static const Tabella_Ebcdic& IBM280();
  // The 262-byte table file: 6 header bytes, then the 256 entries.
  std::string File() const;
  bool Scrivi(const std::string& percorso) const;
  // ANSI text to EBCDIC bytes.
  std::string Codifica(std::string_view ansi_testo) const;
};

// An SCS print stream, built control by control.
class Scs {
 public:
  explicit Scs(const Tabella_Ebcdic& t = Tabella_Ebcdic::IBM280()) : t_(t) {}

  Scs& Testo(std::string_view ansi_testo);  // printable text, tags in braces
  Scs& NL() { return Byte(0x15); }
  Scs& CR() { return Byte(0x0D); }
  Scs& FF() { return Byte(0x0C); }
  Scs& AVPP(int riga) { return Bytes({0x34, 0xC4, static_cast<uint8_t>(riga)}); }
  Scs& AHPP(int colonna) { return Bytes({0x34, 0xC0, static_cast<uint8_t>(colonna)}); }
  Scs& RVPP(int n) { return Bytes({0x34, 0x4C, static_cast<uint8_t>(n)}); }
  Scs& RHPP(int n) { return Bytes({0x34, 0xC8, static_cast<uint8_t>(n)}); }
  Scs& SLD(int n) { return Bytes({0x2B, 0xC6, 0x02, static_cast<uint8_t>(n)}); }
  // Any 2B control: 2B class LL parameters, LL counting itself.
  Scs& Controllo(uint8_t classe, std::initializer_list<uint8_t> parametri);
  Scs& Controllo(uint8_t classe, const std::vector<uint8_t>& parametri);
  Scs& Byte(uint8_t b) {
    dati.push_back(b);
    return *this;
  }
  Scs& Bytes(std::initializer_list<uint8_t> b) {
    dati.insert(dati.end(), b);
    return *this;
  }
  size_t Lunghezza() const { return dati.size(); }

  std::vector<uint8_t> dati;

 private:
  const Tabella_Ebcdic& t_;
};

}  // namespace qod::test
