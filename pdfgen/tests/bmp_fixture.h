// Uncompressed BMP files built in the tests, with a known pixel pattern.
#pragma once

#include <cstdint>
#include <array>
#include <string>

namespace qod::pdf::test {

struct Bmp {
  int w = 1, h = 1, bit = 24;
  uint32_t dim_header = 40;     // 40, or 108 / 124 for the V4 / V5 headers
  uint32_t colori_usati = 0;    // written as is; the reader takes 2^bit entries
  int32_t altezza_file = 0;     // height as written (0: h); negative for top-down
  uint32_t compressione = 0;

  size_t Stride() const { return (size_t(bit) * w + 31) / 32 * 4; }
  uint8_t Pixel(int riga, size_t byte) const { return static_cast<uint8_t>(riga * 37 + byte * 11 + 5); }
  std::array<uint8_t, 4> Colore(size_t i) const {
    return {static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7 + 1), 0};
  }

  std::string Bytes() const {
    const size_t voci = bit <= 8 ? size_t(1) << bit : 0;
    const uint32_t offset = 14 + dim_header + static_cast<uint32_t>(voci * 4);
    std::string f;
    auto u16 = [&](uint32_t v) { f += char(v & 255), f += char(v >> 8 & 255); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    f += "BM";
    u32(offset + static_cast<uint32_t>(Stride() * h));
    u32(0);
    u32(offset);
    u32(dim_header);
    u32(static_cast<uint32_t>(w));
    u32(static_cast<uint32_t>(altezza_file ? altezza_file : h));
    u16(1);
    u16(static_cast<uint32_t>(bit));
    u32(compressione);
    u32(static_cast<uint32_t>(Stride() * h));
    u32(7874);
    u32(7874);
    u32(colori_usati);
    u32(0);
    f.resize(14 + dim_header, '\0');
    for (size_t i = 0; i < voci; ++i)
      for (uint8_t b : Colore(i)) f += static_cast<char>(b);
    for (int y = 0; y < h; ++y)
      for (size_t k = 0; k < Stride(); ++k) f += static_cast<char>(Pixel(y, k));
    return f;
  }
};

}  // namespace qod::pdf::test
