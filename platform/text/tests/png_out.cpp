#include "png_out.h"

#include <png.h>

#include <cstdio>

namespace qod::testing {
namespace {

bool Scrivi(const std::string& path, int width, int height, int stride, const std::vector<uint8_t>& pixels, int tipo) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(stride) * static_cast<size_t>(height)) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png != nullptr && info != nullptr;
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, tipo,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
      png_write_row(png, pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(stride));
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return ok;
}

}  // namespace

bool Png_Grigio(const std::string& path, int width, int height, int stride, const std::vector<uint8_t>& pixels) {
  return Scrivi(path, width, height, stride, pixels, PNG_COLOR_TYPE_GRAY);
}

bool Png_Rgb(const std::string& path, int width, int height, int stride, const std::vector<uint8_t>& pixels) {
  return Scrivi(path, width, height, stride, pixels, PNG_COLOR_TYPE_RGB);
}

}  // namespace qod::testing
