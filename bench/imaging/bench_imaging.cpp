// Page image costs of the imaging layer, each beside the same work done
// directly with libtiff, libpng or libjpeg in the same run:
//  - a dense 1728 x 2292 1-bit page saved as CCITT G4, G3 (fill order 2) and
//    PNG;
//  - a 2480 x 3508 24-bit page saved as PNG and JPEG;
//  - the composition of the dense page (canvas, 5280 glyph transfers, a
//    stretched logo, the quarter turn of a landscape canvas) against its G4
//    encode.
// Each layer step runs interleaved with its direct call; prints milliseconds
// per page (median of the runs) and the ratio as the median of the runs'
// ratios with its spread.
#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE first.
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "qod/bench/misura.h"
#include "qod/imaging/file.h"
#include "qod/imaging/immagine.h"
#include "qod/imaging/pagina.h"

using namespace qod::img;
namespace fs = std::filesystem;

namespace {

// A layer's step and the direct call it is measured against, interleaved
// run by run; milliseconds of each run.
struct Coppia {
  qod::bench::Serie strato, diretto;
};
Coppia Alterna(int volte, const std::function<void()>& strato, const std::function<void()>& diretto) {
  Coppia c;
  for (int i = 0; i < volte; ++i) {
    c.strato.Aggiungi(qod::bench::Cronometra_Ms(strato));
    c.diretto.Aggiungi(qod::bench::Cronometra_Ms(diretto));
  }
  return c;
}

// A font strip of 256 cells of 21 x 34 with glyph-like strokes.
Immagine Striscia() {
  Immagine s;
  s.Crea(256 * 21, 34, 1);
  std::mt19937 caso(1);
  for (int c = 33; c < 256; ++c) {
    const int x0 = c * 21 + 3;
    for (int k = 0; k < 4; ++k) {
      const int tipo = static_cast<int>(caso() % 3);
      const int a = static_cast<int>(caso() % 12), b = static_cast<int>(caso() % 20);
      if (tipo == 0) s.Riempi(x0 + a, 6 + b / 2, 3, 16, Nero);       // stem
      else if (tipo == 1) s.Riempi(x0, 6 + b, 14, 3, Nero);          // bar
      else s.Riempi(x0 + a / 2, 8 + b / 2, 8, 8, Nero);              // bowl
    }
  }
  return s;
}

// The dense page composed as the generator does it: landscape canvas,
// 80 x 66 glyphs ANDed from the strip (on the turned grid), a logo
// stretched twice its size, then the turn by 27000.
Immagine Componi(const Immagine& striscia, const Immagine& logo) {
  Immagine tela;
  tela.Crea(2292, 1728, 1);
  tela.Riempi(Bianco);
  std::mt19937 caso(2);
  for (int r = 0; r < 50; ++r)
    for (int c = 0; c < 106; ++c) {
      const int b = 33 + static_cast<int>(caso() % 223);
      Trasferisci(tela, 20 + c * 21, 20 + r * 34, 21, 34, striscia, b * 21, 0, Raster::SRCAND);
    }
  Trasferisci_Adattato(tela, 1600, 40, 600, 240, logo, 0, 0, 300, 120, Raster::SRCAND);
  tela.Ruota(27000, Bianco);
  return tela;
}

// ---- Direct library calls -----------------------------------------------------

void Tiff_Diretto(const Immagine& im, const std::string& f, uint16_t compr, bool ordine2) {
  TIFF* t = TIFFOpen(f.c_str(), "wl");
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(im.Larghezza()));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(im.Altezza()));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t{1});
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t{1});
  TIFFSetField(t, TIFFTAG_COMPRESSION, compr);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_FILLORDER, ordine2 ? FILLORDER_LSB2MSB : FILLORDER_MSB2LSB);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(im.Altezza()));
  TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0f);
  TIFFSetField(t, TIFFTAG_YRESOLUTION, 196.0f);
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  const size_t br = im.Byte_Riga();
  std::vector<uint8_t> buf(br * im.Altezza());
  for (int y = 0; y < im.Altezza(); ++y) {
    const uint8_t* r = im.Riga(y);
    for (size_t i = 0; i < br; ++i) buf[y * br + i] = static_cast<uint8_t>(~r[i]);
  }
  TIFFWriteEncodedStrip(t, 0, buf.data(), static_cast<tmsize_t>(buf.size()));
  TIFFClose(t);
}

void Png_Diretto(const Immagine& im, const std::string& f) {
  FILE* fp = std::fopen(f.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) std::abort();
  png_init_io(png, fp);
  png_set_IHDR(png, info, im.Larghezza(), im.Altezza(), im.Bit() == 1 ? 1 : 8,
               im.Bit() == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < im.Altezza(); ++y) png_write_row(png, const_cast<png_bytep>(im.Riga(y)));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(fp);
}

void Jpeg_Diretto(const Immagine& im, const std::string& f, int qualita) {
  FILE* fp = std::fopen(f.c_str(), "wb");
  jpeg_compress_struct ci{};
  jpeg_error_mgr err{};
  ci.err = jpeg_std_error(&err);
  jpeg_create_compress(&ci);
  jpeg_stdio_dest(&ci, fp);
  ci.image_width = im.Larghezza();
  ci.image_height = im.Altezza();
  ci.input_components = 3;
  ci.in_color_space = JCS_RGB;
  jpeg_set_defaults(&ci);
  jpeg_set_quality(&ci, qualita, TRUE);
  ci.density_unit = 1;
  ci.X_density = ci.Y_density = 300;
  jpeg_start_compress(&ci, TRUE);
  while (ci.next_scanline < ci.image_height) {
    JSAMPROW r = const_cast<JSAMPROW>(im.Riga(static_cast<int>(ci.next_scanline)));
    jpeg_write_scanlines(&ci, &r, 1);
  }
  jpeg_finish_compress(&ci);
  jpeg_destroy_compress(&ci);
  std::fclose(fp);
}

Immagine Pagina_Colori() {
  Immagine im;
  im.Crea(2480, 3508, 24);
  std::mt19937 caso(3);
  for (int r = 0; r < 90; ++r)
    for (int c = 0; c < 70; ++c)
      if (caso() % 5) im.Riempi(120 + c * 32, 400 + r * 34, 20 + static_cast<int>(caso() % 8), 22, Colore{20, 30, 90});
  // A photograph-like block: gradient with noise.
  for (int y = 80; y < 360; ++y)
    for (int x = 120; x < 900; ++x)
      im.Imposta_Pixel(x, y, Colore{uint8_t((x / 4 + caso() % 16) & 255), uint8_t((y + caso() % 16) & 255), 160});
  im.Imposta_Dpi(300, 300);
  return im;
}

void Riga(const char* nome, const Coppia& c, const char* riferimento) {
  std::printf("%-34s %9.2f ms  %9.2f ms  %-22s ratio %s\n", nome, c.strato.Mediana(), c.diretto.Mediana(), riferimento,
              qod::bench::Rapporto(c.strato, c.diretto).Testo().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int volte = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const fs::path dir = fs::temp_directory_path() / "qod_bench_imaging";
  fs::create_directories(dir);
  const std::string a = (dir / "a").string(), b = (dir / "b").string();

  const Immagine striscia = Striscia();
  Immagine logo;
  logo.Crea(300, 120, 1);
  logo.Riempi(10, 10, 280, 100, Nero);
  logo.Riempi(40, 30, 220, 60, Bianco);
  const Immagine pagina = Componi(striscia, logo);

  std::printf("%d runs each, layer and direct call interleaved; ms as the median, ratio as the median\n"
              "(lowest - highest) of the runs\n\n",
              volte);
  std::printf("%-34s %12s  %12s\n", "1728 x 2292 1-bit dense page", "layer", "direct");
  auto g4_diretto = [&] { Tiff_Diretto(pagina, b + ".tif", COMPRESSION_CCITTFAX4, false); };
  Riga("save G4",
       Alterna(volte, [&] { Salva(pagina, a + ".tif", {5, false, "EXTENSION = TIF\rTIFF_XRES = 204\rTIFF_YRES = 196"}); },
               g4_diretto),
       "(libtiff)");
  Riga("save G3 1-D, fill order 2",
       Alterna(
           volte,
           [&] {
             Salva(pagina, a + "3.tif", {4, false, "EXTENSION = TIF\rTIFF_FILLORDER = 2\rTIFF_XRES = 204\rTIFF_YRES = 196"});
           },
           [&] { Tiff_Diretto(pagina, b + "3.tif", COMPRESSION_CCITTFAX3, true); }),
       "(libtiff)");
  auto png_diretto = [&] { Png_Diretto(pagina, b + ".png"); };
  Riga("save PNG", Alterna(volte, [&] { Salva(pagina, a + ".png", {0, false, "EXTENSION = PNG"}); }, png_diretto),
       "(libpng)");
  Pagina_Salvataggio ps;
  ps.codice = 7;
  ps.res_x = ps.res_y = 200;
  Riga("page save PNG (with pHYs patch)", Alterna(volte, [&] { Immagine c = pagina; Pagina_Salva(c, a + "p.png", ps); }, png_diretto),
       "(libpng)");
  std::printf("  file sizes: G4 %ju, G3 %ju, PNG %ju bytes\n\n", static_cast<uintmax_t>(fs::file_size(a + ".tif")),
              static_cast<uintmax_t>(fs::file_size(a + "3.tif")), static_cast<uintmax_t>(fs::file_size(a + ".png")));

  std::printf("%-34s %12s  %12s\n", "composition of the dense page", "layer", "G4 encode");
  Riga("compose (5300 glyphs, logo, turn)", Alterna(volte, [&] { Componi(striscia, logo); }, g4_diretto),
       "(libtiff G4)");
  Immagine orizzontale;
  orizzontale.Crea(2292, 1728, 1);
  Riga("  of which the turn by 27000",
       Alterna(volte, [&] { Immagine c = orizzontale; c.Ruota(27000, Bianco); }, g4_diretto), "(libtiff G4)");
  std::printf("\n");

  const Immagine colori = Pagina_Colori();
  std::printf("%-34s %12s  %12s\n", "2480 x 3508 24-bit page", "layer", "direct");
  const int volte_colori = std::max(1, volte / 2);
  Riga("save PNG",
       Alterna(volte_colori, [&] { Salva(colori, a + "c.png", {0, false, "EXTENSION = PNG"}); },
               [&] { Png_Diretto(colori, b + "c.png"); }),
       "(libpng)");
  Riga("save JPEG (quality 75)",
       Alterna(volte_colori, [&] { Salva(colori, a + ".jpg", {0, false, "EXTENSION = JPG\rLOSSY_QUALITY = 075"}); },
               [&] { Jpeg_Diretto(colori, b + ".jpg", 75); }),
       "(libjpeg)");
  std::printf("  file sizes: PNG %ju, JPEG %ju bytes\n", static_cast<uintmax_t>(fs::file_size(a + "c.png")),
              static_cast<uintmax_t>(fs::file_size(a + ".jpg")));
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
