// The conversion table files: 6 header bytes, then 256 entries, entry i
// the ANSI code of EBCDIC code i (or, in the table editor's second file,
// the EBCDIC code of ANSI code i). The transport reads the program's
// "Qod_TBL1.Tbl" with it; the table editor reads and writes its files.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qod {

inline constexpr int kTabella_Testata = 6;
inline constexpr int kTabella_Voci = 256;

struct Tabella_Conversione {
  std::array<uint8_t, kTabella_Testata> Testata{};
  std::array<uint8_t, kTabella_Voci> Voci{};
};

// Reads the header and then the entries from the first byte of the file.
// Gives the number of entries read: 256 for a whole table; fewer (0 when
// the header itself is short, -1 when the file cannot be opened) leave the
// entries not read 0.
int Tabella_Leggi(const std::string& file, Tabella_Conversione& tabella);

// Writes the header and the entries from the first byte of the file,
// without shortening it (a missing file is created; bytes past the table
// stay), through a temporary file renamed over it. False when the file
// cannot be read or written; the old file is then left as it was.
bool Tabella_Scrivi(const std::string& file, const Tabella_Conversione& tabella);

// The other direction of a table: where two codes give one character, the
// higher code wins.
std::array<uint8_t, kTabella_Voci> Tabella_Inversa(const std::array<uint8_t, kTabella_Voci>& voci);

}  // namespace qod
