// Writes test renderings as PNG files, so that a person can look at them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qod::testing {

// 8-bit grey, rows `stride` bytes apart.
bool Png_Grigio(const std::string& path, int width, int height, int stride, const std::vector<uint8_t>& pixels);
// 24-bit RGB, rows `stride` bytes apart.
bool Png_Rgb(const std::string& path, int width, int height, int stride, const std::vector<uint8_t>& pixels);

}  // namespace qod::testing
