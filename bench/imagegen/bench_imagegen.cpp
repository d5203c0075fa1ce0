// The page image generator on a dense 80 x 66 text page (5280 glyphs):
//  - a fax page, 1728 x 2292, 1 bit, saved as TIFF G4;
//  - an A4 page at 300 dpi, 2480 x 3508, 24 bits, saved as PNG;
// each split into composition (checks, canvas, glyphs, logo, tags) and save
// (encode, file, resolution), beside the bare encode of the same canvas
// with libtiff or libpng directly, in the same run. Prints milliseconds per
// page (median of the runs) and the ratio of composition to bare encode.
//
//   bench_imagegen [runs]
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "qod/imagegen/qod_img.h"
#include "qod/imagegen/tempi.h"
#include "qod/imaging/file.h"
#include "qod/striscia_font.h"

using namespace qod;
namespace fs = std::filesystem;

namespace {

double Mediana(std::vector<double> t) {
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

double Mediana_Ms(int volte, const std::function<void()>& f) {
  std::vector<double> t;
  for (int i = 0; i < volte; ++i) {
    const auto a = std::chrono::steady_clock::now();
    f();
    t.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - a).count());
  }
  return Mediana(t);
}

void Tiff_G4(const img::Immagine& im, const std::string& f) {
  TIFF* t = TIFFOpen(f.c_str(), "wl");
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(im.Larghezza()));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(im.Altezza()));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t{1});
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t{1});
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(im.Altezza()));
  TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0f);
  TIFFSetField(t, TIFFTAG_YRESOLUTION, 196.0f);
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  const size_t br = im.Byte_Riga();
  std::vector<uint8_t> buf(br * static_cast<size_t>(im.Altezza()));
  for (int y = 0; y < im.Altezza(); ++y) {
    const uint8_t* r = im.Riga(y);
    for (size_t i = 0; i < br; ++i) buf[static_cast<size_t>(y) * br + i] = static_cast<uint8_t>(~r[i]);
  }
  TIFFWriteEncodedStrip(t, 0, buf.data(), static_cast<tmsize_t>(buf.size()));
  TIFFClose(t);
}

void Png(const img::Immagine& im, const std::string& f) {
  FILE* fp = std::fopen(f.c_str(), "wb");
  if (!fp) std::abort();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) std::abort();
  png_init_io(png, fp);
  png_set_IHDR(png, info, static_cast<png_uint_32>(im.Larghezza()), static_cast<png_uint_32>(im.Altezza()),
               im.Bit() == 1 ? 1 : 8, im.Bit() == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < im.Altezza(); ++y) png_write_row(png, const_cast<png_bytep>(im.Riga(y)));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(fp);
}

// 66 lines of 80 printable characters.
std::string Testo_Denso() {
  std::mt19937 caso(7);
  std::string t;
  for (int r = 0; r < 66; ++r) {
    for (int c = 0; c < 80; ++c) t.push_back(static_cast<char>(33 + caso() % 94));
    t += "\r\n";
  }
  return t;
}

struct Caso {
  const char* nome;
  int out_w, out_h, codice, res, cella_w, cella_h, left, top;
  const char* estensione;
  const char* encode;
  std::function<void(const img::Immagine&, const std::string&)> diretto;
};

}  // namespace

int main(int argc, char** argv) {
  const int volte = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const fs::path dir = fs::temp_directory_path() / "qod_bench_imagegen";
  fs::create_directories(dir);
  {
    std::ofstream(dir / "testo.txt", std::ios::binary) << Testo_Denso();
    // A header logo and a few tags, as a real page has them.
    img::Immagine logo;
    logo.Crea(400, 120, 1);
    logo.Riempi(img::Bianco);
    logo.Riempi(10, 10, 380, 100, img::Nero);
    logo.Riempi(40, 30, 320, 60, img::Bianco);
    img::Salva(logo, dir / "logo.bmp", {0, false, "EXTENSION = BMP"});
    std::ofstream(dir / "comandi.txt", std::ios::binary)
        << "{TP=800}\r\n{FN=Arial}\r\n{FD=40}\r\n{OX=900}\r\n{OY=20}\r\n{VA=Quillon}\r\n"
           "{TP=014}\r\n{BW=500}\r\n{BH=60}\r\n{OX=1100}\r\n{OY=10}\r\n{VA=SPED0001234}\r\n";
  }
  const Caso casi[] = {
      {"fax page 1728 x 2292, 1 bit, TIFF G4", 1728, 2292, 10, 204, 20, 32, 64, 80, ".tif", "libtiff G4", Tiff_G4},
      {"A4 page 2480 x 3508, 24 bits, PNG", 2480, 3508, 9, 300, 28, 50, 120, 100, ".png", "libpng", Png},
  };
  std::printf("%d runs each, median, ms per page; dense 80 x 66 text, a logo, a text and a barcode tag\n\n", volte);
  std::printf("%-40s %9s %9s %11s  %-12s %s\n", "page", "compose", "save", "bare encode", "", "compose/encode");
  for (const Caso& c : casi) {
    prova::Opzioni_Striscia o;
    o.cella_larghezza = c.cella_w;
    o.cella_altezza = c.cella_h;
    const std::string striscia = (dir / ("striscia_" + std::to_string(c.cella_w) + ".bmp")).string();
    std::string errore;
    if (!prova::Scrivi_Striscia_Font(striscia, o, &errore)) {
      std::fprintf(stderr, "font strip: %s\n", errore.c_str());
      return 1;
    }
    Qod_IMG g;
    g.qodimg_Out_File = (dir / (std::string("pagina") + c.estensione)).string();
    g.qodimg_Out_Width = c.out_w;
    g.qodimg_Out_Height = c.out_h;
    g.qodimg_Out_BkColor = 0xFFFFFF;
    g.qodimg_Out_Save = c.codice;
    g.qodimg_Out_ResX = c.codice == 10 ? 204 : c.res;
    g.qodimg_Out_ResY = c.codice == 10 ? 196 : c.res;
    g.qodimg_Txt_Orie = 1;
    g.qodimg_Txt_Col_Dim = static_cast<int16_t>(c.cella_w);
    g.qodimg_Txt_Row_Dim = static_cast<int16_t>(c.cella_h);
    g.qodimg_Txt_Left = static_cast<int16_t>(c.left);
    g.qodimg_Txt_Top = static_cast<int16_t>(c.top);
    g.qodimg_Txt_Cols = 80;
    g.qodimg_Txt_Rows = 66;
    g.qodimg_Txt_File = (dir / "testo.txt").string();
    g.qodimg_Cmd_File = (dir / "comandi.txt").string();
    g.qodimg_Fnt_File = striscia;
    g.qodimg_Im1_File = (dir / "logo.bmp").string();
    g.qodimg_Im1_Left = static_cast<int16_t>(c.left);
    g.qodimg_Im1_Top = 10;
    std::vector<double> componi, salva;
    for (int i = 0; i < volte; ++i) {
      double a = 0, b = 0;
      Qod_IMG_Fasi::Elabora(g, true, a, b);
      if (g.qodimg_Error) {
        std::fprintf(stderr, "%s: %s\n", c.nome, g.qodimg_Status.c_str());
        return 1;
      }
      componi.push_back(a);
      salva.push_back(b);
    }
    img::Immagine tela;
    if (!img::Carica(g.qodimg_Out_File, tela)) return 1;
    const std::string nudo = (dir / (std::string("nudo") + c.estensione)).string();
    const double encode = Mediana_Ms(volte, [&] { c.diretto(tela, nudo); });
    const double mc = Mediana(componi), ms = Mediana(salva);
    std::printf("%-40s %9.2f %9.2f %11.2f  %-12s %.2f\n", c.nome, mc, ms, encode, c.encode, mc / encode);
  }
  std::printf("\ngoal: compose/encode at most 1\n");
  fs::remove_all(dir);
  return 0;
}
