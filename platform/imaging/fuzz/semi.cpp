// Writes the test samples as seed files for the fuzz targets:
// <folder>/bmp, tiff, png and jpeg.
#include <cstdio>
#include <filesystem>

#include "campioni.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  using qod::img::Formato;
  for (const auto& c : qod::img::prova::Campioni()) {
    const char* sotto = c.formato == Formato::BMP    ? "bmp"
                        : c.formato == Formato::TIFF ? "tiff"
                        : c.formato == Formato::PNG  ? "png"
                                                     : "jpeg";
    const fs::path d = fs::path(argv[1]) / sotto;
    fs::create_directories(d);
    qod::img::prova::Scrivi_Byte(d / c.nome, c.dati);
  }
  return 0;
}
