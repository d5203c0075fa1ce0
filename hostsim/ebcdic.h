// The stand-in's own EBCDIC: the code page IBM280 (Italian) as glibc's iconv
// converts it to and from Windows-1252, and the zoned, packed and binary
// number formats of the host. Deliberately independent of the product's
// transport, so that a misreading cannot hide on both sides of the wire.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace hostsim {

class Ebcdic {
 public:
  // Built once from iconv; Valida() is false when iconv lacks the code page.
  static const Ebcdic& Standard();
  bool Valida() const { return valida_; }

  // One character; 0 when the other side has no such character.
  uint8_t Da_Ansi(unsigned char c) const { return da_ansi_[c]; }
  unsigned char A_Ansi(uint8_t b) const { return a_ansi_[b]; }

  std::string Codifica(std::string_view ansi) const;
  std::string Decodifica(std::string_view ebcdic) const;

  // The conversion table file as the programs read it: 6 header bytes, then
  // entry i = the ANSI code of EBCDIC code i (262 bytes).
  std::string Tabella_File() const;

 private:
  Ebcdic();
  bool valida_ = false;
  std::array<uint8_t, 256> da_ansi_{};
  std::array<unsigned char, 256> a_ansi_{};
};

// Zoned decimal of `cifre` bytes: one digit per byte under the zone F, the
// sign in the zone of the last byte (F positive, D negative). Only the
// rightmost digits are kept.
std::string Zoned(int64_t valore, int cifre);

// Packed decimal of `byte` bytes: two digits per byte, the last half-byte the
// sign (F positive, D negative).
std::string Packed(int64_t valore, int byte);

// Big-endian two's complement of `byte` bytes (1..8).
std::string Binario(int64_t valore, int byte);

// "C1C2..." for bytes.
std::string Esadecimale(std::string_view byte);

}  // namespace hostsim
