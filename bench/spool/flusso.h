// What the spool benchmarks share: the conversion table the stand-in host
// encodes with, a synthetic SCS stream of realistic text pages, and the
// attribute lines that have every page rendered to a fax page image.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace qod::bench {

// The 256 entries of a conversion table file (after its 6 header bytes).
std::array<uint8_t, 256> Tabella_Conversione(const std::filesystem::path& file);

// A realistic page: 60 lines of 80 characters with positions, a few tags
// and a skipped 2B control, then a form feed. Pages until the stream has
// `byte_minimi` bytes, or exactly `pagine_esatte` pages when given; the
// number made in `pagine`.
std::vector<uint8_t> Flusso_Scs(const std::array<uint8_t, 256>& tabella, size_t byte_minimi, int& pagine,
                                int pagine_esatte = 0);

// The attribute lines (attributi.txt of the stand-in's queue) that render
// every page to a 1728 x 2292 G4 page image at fax resolution, 80 x 66 text
// cells, with the font strip `Fnt/BENCH.BMP` of the program folder.
const char* Attributi_Rendering();

}  // namespace qod::bench
