// The page image generator on a dense 80 x 66 text page (5280 glyphs):
//  - a fax page, 1728 x 2292, 1 bit, saved as TIFF G4;
//  - an A4 page at 300 dpi, 2480 x 3508, 24 bits, saved as PNG;
// each split into composition (checks, canvas, glyphs, logo, tags) and save
// (encode, file, resolution), beside the bare encode of the same canvas
// with libtiff (rows packed into one reused buffer) or libpng directly. The generator and the bare encode run
// interleaved, round after round; the ratios are taken within each round and
// reported as the median with the spread (lowest - highest). The font strip
// and the logo are files installed before the job, as a server has them.
//
//   bench_imagegen [rounds]
#include <png.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "qod/bench/misura.h"
#include "qod/imagegen/qod_img.h"
#include "qod/imagegen/tempi.h"
#include "qod/imaging/file.h"
#include "qod/imagegen/striscia_font.h"

using namespace qod;
namespace fs = std::filesystem;

namespace {

void Tiff_G4(const img::Immagine& im, const std::string& f) {
  if (!bench::Tiff_G4(im, f)) std::abort();
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

// A file as one installed long before the job.
void Installato(const fs::path& f) { fs::last_write_time(f, fs::file_time_type::clock::now() - std::chrono::hours(1)); }

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
  const int volte = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const fs::path dir = fs::temp_directory_path() / ("qod_bench_imagegen_" + std::to_string(::getpid()));
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
    Installato(dir / "logo.bmp");
    std::ofstream(dir / "comandi.txt", std::ios::binary)
        << "{TP=800}\r\n{FN=Arial}\r\n{FD=40}\r\n{OX=900}\r\n{OY=20}\r\n{VA=Quillon}\r\n"
           "{TP=014}\r\n{BW=500}\r\n{BH=60}\r\n{OX=1100}\r\n{OY=10}\r\n{VA=SPED0001234}\r\n";
  }
  const Caso casi[] = {
      {"fax page 1728 x 2292, 1 bit, TIFF G4", 1728, 2292, 10, 204, 20, 32, 64, 80, ".tif", "libtiff G4", Tiff_G4},
      {"A4 page 2480 x 3508, 24 bits, PNG", 2480, 3508, 9, 300, 28, 50, 120, 100, ".png", "libpng", Png},
  };
  std::printf("%d rounds, generator and bare encode interleaved; ms per page and ratios as median (lowest - highest);\n"
              "dense 80 x 66 text, a logo, a text and a barcode tag\n\n",
              volte);
  for (const Caso& c : casi) {
    Opzioni_Striscia o;
    o.cella_larghezza = c.cella_w;
    o.cella_altezza = c.cella_h;
    const std::string striscia = (dir / ("striscia_" + std::to_string(c.cella_w) + ".bmp")).string();
    std::string errore;
    if (!Scrivi_Striscia_Font(striscia, o, &errore)) {
      std::fprintf(stderr, "font strip: %s\n", errore.c_str());
      return 1;
    }
    Installato(striscia);
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
    auto pagina = [&](double& componi, double& salva) {
      Qod_IMG_Fasi::Elabora(g, true, componi, salva);
      if (g.qodimg_Error) {
        std::fprintf(stderr, "%s: %s\n", c.nome, g.qodimg_Status.c_str());
        std::exit(1);
      }
    };
    // One page first: the canvas the bare encode is given.
    double a = 0, b = 0;
    pagina(a, b);
    img::Immagine tela;
    if (!img::Carica(g.qodimg_Out_File, tela)) return 1;
    // The bare encode writes a new file each round, as the generator does
    // (it removes the earlier page before writing): rewriting a file in
    // place would have the file system write its blocks out at the close.
    auto nudo = [&](int i) { return (dir / ("nudo" + std::to_string(i) + c.estensione)).string(); };
    bench::Serie componi, salva, encode;
    for (int i = 0; i < volte; ++i) {
      pagina(a, b);
      componi.Aggiungi(a);
      salva.Aggiungi(b);
      const std::string file = nudo(i);
      encode.Aggiungi(bench::Cronometra_Ms([&] { c.diretto(tela, file); }));
    }
    const bench::Serie pagina_intera = bench::Somma(componi, salva);
    std::printf("%s\n", c.nome);
    std::printf("  compose                  %s ms\n", componi.Testo().c_str());
    std::printf("  save                     %s ms\n", salva.Testo().c_str());
    std::printf("  bare encode (%s) %*s%s ms\n", c.encode, static_cast<int>(10 - std::string(c.encode).size()), "",
                encode.Testo().c_str());
    std::printf("  ratio compose / encode           %s\n", bench::Rapporto(componi, encode).Testo().c_str());
    std::printf("  ratio compose + save / encode    %s\n", bench::Rapporto(pagina_intera, encode).Testo().c_str());
  }
  std::printf("\ngoal: compose + save / encode of the fax page at most 1.2\n");
  fs::remove_all(dir);
  return 0;
}
