// Test support for the transport: the other end of one loopback
// connection, driven byte by byte by the test, and a small conversion table.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "qod/prova/strumenti.h"

namespace qod::prova {

class Pari {
 public:
  Pari();
  ~Pari();
  Pari(const Pari&) = delete;
  Pari& operator=(const Pari&) = delete;

  uint16_t Porta() const { return porta_; }
  // Takes the connection the transport opened.
  bool Accetta(int limite_ms = 2000);
  // Sends the bytes in one send.
  void Invia(std::string_view dati);
  // Up to `n` bytes, waiting at most `limite_ms` for them.
  std::string Ricevi(size_t n, int limite_ms = 2000);
  // Closes the accepted connection (the transport sees end of stream).
  void Chiudi();
  // Closes the listener too: nothing answers on the port any more.
  void Chiudi_Ascolto();

 private:
  int ascolto_ = -1, fd_ = -1;
  uint16_t porta_ = 0;
};

// EBCDIC digits, letters, blank and a few signs, as the common code pages
// place them; every other code maps to 0. Codes 0x4A and 0xB1 both give "["
// (the higher wins in the inverse table); nothing gives "€" (0x80).
std::array<uint8_t, 256> Tabella_Prova();

// Writes a table file: 6 header bytes and the entries, cut to `byte` bytes.
void Tabella_Scrivi(const std::filesystem::path& file, const std::array<uint8_t, 256>& tabella,
                    size_t byte = 262);

// Bytes from hex text ("C1 C2 00").
std::string Esa(std::string_view testo);
// Hex text of bytes ("C1C200").
std::string In_Esa(std::string_view byte);

// Open file descriptors of this process.
int Descrittori_Aperti();

}  // namespace qod::prova
