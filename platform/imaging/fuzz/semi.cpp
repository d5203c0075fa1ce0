// Writes the test samples as seed files for the fuzz targets:
// <folder>/bmp, tiff, png and jpeg.
#include <cstdio>
#include <filesystem>
#include <vector>

#include "campioni.h"
#include "qod/console.h"

int main(int argc, char** argv) {
  const qod::Uso_Strumento uso{"qod_imaging_semi",
                               "usage: qod_imaging_semi FOLDER\n"
                               "  writes the test samples into FOLDER/bmp, tiff, png and jpeg\n",
                               {}};
  std::vector<qod::Voce_Comando> voci;
  if (const auto fine = qod::Uso_Controlla(uso, argc, argv, &voci)) return *fine;
  if (voci.size() != 1) return qod::Uso_Rifiuta(uso, "one FOLDER");
  namespace fs = std::filesystem;
  using qod::img::Formato;
  for (const auto& c : qod::img::prova::Campioni()) {
    const char* sotto = c.formato == Formato::BMP    ? "bmp"
                        : c.formato == Formato::TIFF ? "tiff"
                        : c.formato == Formato::PNG  ? "png"
                                                     : "jpeg";
    const fs::path d = fs::path(voci[0].valori[0]) / sotto;
    fs::create_directories(d);
    qod::img::prova::Scrivi_Byte(d / c.nome, c.dati);
  }
  return 0;
}
