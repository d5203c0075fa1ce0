#include "qod/prova/strumenti.h"
#include "campioni.h"

#include <cstdio>
// jpeglib.h needs FILE and size_t first.
#include <jpeglib.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>
#include <tiffio.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <stdexcept>

#include "qod/prova/costruzione.h"

namespace qod::img::prova {

namespace fs = std::filesystem;

namespace {

constexpr int W = 37, H = 23;

void Le16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Le32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<Colore> Pixel(int w, int h, const std::function<Colore(int, int)>& f) {
  std::vector<Colore> v;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) v.push_back(f(x, y));
  return v;
}

Colore Bn(bool nero) { return nero ? Nero : Bianco; }

// Colour palettes of the indexed samples.
std::vector<Colore> Tavolozza_Prova(int voci) {
  std::vector<Colore> t;
  for (int i = 0; i < voci; ++i)
    t.push_back({static_cast<uint8_t>(i * 37 % 256), static_cast<uint8_t>(255 - i * 11 % 256),
                 static_cast<uint8_t>(i * 90 % 256)});
  return t;
}
int Indice_Prova(int x, int y, int voci) { return (x + 3 * y) % voci; }

// ---- BMP ------------------------------------------------------------------

struct Bmp_Parametri {
  int bit = 24;
  bool dall_alto = false;
  int dim_info = 40;
  bool campi = false;        // BI_BITFIELDS with the masks below (R, G, B in bytes 0, 1, 2)
  std::vector<Colore> tav;   // written palette
  uint32_t ppm = 0;
};

std::vector<uint8_t> Bmp(const Bmp_Parametri& p, const std::function<uint32_t(int, int)>& valore) {
  const int w = W, h = H;
  const uint32_t passo = ((w * p.bit + 31) / 32) * 4;
  const uint32_t voci = static_cast<uint32_t>(p.tav.size());
  const uint32_t dim_voce = p.dim_info == 12 ? 3 : 4;
  const uint32_t offset = 14 + p.dim_info + voci * dim_voce + (p.campi && p.dim_info == 40 ? 12 : 0);
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Le32(b, offset + passo * h);
  Le32(b, 0);
  Le32(b, offset);
  Le32(b, static_cast<uint32_t>(p.dim_info));
  if (p.dim_info == 12) {
    Le16(b, w);
    Le16(b, h);
    Le16(b, 1);
    Le16(b, static_cast<uint32_t>(p.bit));
  } else {
    Le32(b, w);
    Le32(b, static_cast<uint32_t>(p.dall_alto ? -h : h));
    Le16(b, 1);
    Le16(b, static_cast<uint32_t>(p.bit));
    Le32(b, p.campi ? 3 : 0);
    Le32(b, passo * h);
    Le32(b, p.ppm);
    Le32(b, p.ppm);
    Le32(b, 0);
    Le32(b, 0);
    if (p.campi) {
      Le32(b, 0x000000FF);
      Le32(b, 0x0000FF00);
      Le32(b, 0x00FF0000);
      if (p.dim_info >= 56) Le32(b, 0xFF000000);
    }
    while (b.size() < 14u + p.dim_info) b.push_back(0);
  }
  for (const auto& c : p.tav) {
    b.push_back(c.b);
    b.push_back(c.g);
    b.push_back(c.r);
    if (dim_voce == 4) b.push_back(0);
  }
  for (int k = 0; k < h; ++k) {
    const int y = p.dall_alto ? k : h - 1 - k;
    std::vector<uint8_t> riga(passo, 0);
    for (int x = 0; x < w; ++x) {
      const uint32_t v = valore(x, y);
      switch (p.bit) {
        case 1: if (v) riga[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8)); break;
        case 4: riga[x / 2] |= static_cast<uint8_t>(x % 2 ? v : v << 4); break;
        case 8: riga[x] = static_cast<uint8_t>(v); break;
        case 24:
          riga[3 * x] = static_cast<uint8_t>(v);
          riga[3 * x + 1] = static_cast<uint8_t>(v >> 8);
          riga[3 * x + 2] = static_cast<uint8_t>(v >> 16);
          break;
        default:
          if (p.campi) {  // R, G, B, A in bytes 0..3
            riga[4 * x] = static_cast<uint8_t>(v >> 16);
            riga[4 * x + 1] = static_cast<uint8_t>(v >> 8);
            riga[4 * x + 2] = static_cast<uint8_t>(v);
            riga[4 * x + 3] = 0xFF;
          } else {
            riga[4 * x] = static_cast<uint8_t>(v);
            riga[4 * x + 1] = static_cast<uint8_t>(v >> 8);
            riga[4 * x + 2] = static_cast<uint8_t>(v >> 16);
          }
      }
    }
    b.insert(b.end(), riga.begin(), riga.end());
  }
  return b;
}

uint32_t Rgb_Di(Colore c) { return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b; }

// ---- TIFF -----------------------------------------------------------------

struct Pagina_Tiff {
  int w = W, h = H;
  uint16_t bps = 1, spp = 1, foto = PHOTOMETRIC_MINISWHITE, compr = COMPRESSION_NONE;
  uint16_t ordine = FILLORDER_MSB2LSB, predittore = 0;
  uint32_t opzioni_g3 = 0;
  bool tile = false;
  uint32_t righe_strip = 0;
  std::vector<Colore> tav;
  float dpi = 0;
  uint16_t extra = 0;  // one alpha sample
  std::function<std::array<uint8_t, 4>(int, int)> campioni;  // samples of one pixel
};

std::vector<uint8_t> Tiff(const std::vector<Pagina_Tiff>& pagine, const char* modo = "wl") {
  const fs::path cartella = qod::prova::Cartella_Temporanea() / ("qod_campioni_" + std::to_string(getpid()));
  fs::create_directories(cartella);
  const fs::path p = cartella / "t.tif";
  TIFF* t = TIFFOpen(p.c_str(), modo);
  if (!t) throw std::runtime_error("TIFFOpen");
  for (const auto& g : pagine) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(g.w));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(g.h));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, g.bps);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, g.spp);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, g.compr);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, g.foto);
    TIFFSetField(t, TIFFTAG_FILLORDER, g.ordine);
    if (g.compr == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, g.opzioni_g3);
    if (g.predittore) TIFFSetField(t, TIFFTAG_PREDICTOR, g.predittore);
    if (g.extra) {
      uint16_t tipo = EXTRASAMPLE_UNASSALPHA;
      TIFFSetField(t, TIFFTAG_EXTRASAMPLES, uint16_t{1}, &tipo);
    }
    if (g.compr == COMPRESSION_JPEG) {
      TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
      if (g.foto == PHOTOMETRIC_YCBCR) TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    if (!g.tav.empty()) {
      const size_t n = size_t{1} << g.bps;
      std::vector<uint16_t> r(n), gg(n), b(n);
      for (size_t i = 0; i < n && i < g.tav.size(); ++i) {
        r[i] = g.tav[i].r * 257;
        gg[i] = g.tav[i].g * 257;
        b[i] = g.tav[i].b * 257;
      }
      TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), gg.data(), b.data());
    }
    if (g.dpi > 0) {
      TIFFSetField(t, TIFFTAG_XRESOLUTION, g.dpi);
      TIFFSetField(t, TIFFTAG_YRESOLUTION, g.dpi);
      TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    const int campioni = g.spp;
    auto riga_di = [&](int y, int x0, int n, std::vector<uint8_t>& out) {
      const size_t bytes = (size_t(n) * g.bps * campioni + 7) / 8;
      out.assign(bytes, 0);
      for (int x = 0; x < n; ++x) {
        const auto s = g.campioni(x0 + x, y);
        for (int c = 0; c < campioni; ++c) {
          const size_t bitpos = (size_t(x) * campioni + c) * g.bps;
          if (g.bps == 8) out[bitpos / 8] = s[c];
          else if (g.bps == 4) out[bitpos / 8] |= static_cast<uint8_t>(bitpos % 8 ? s[c] : s[c] << 4);
          else if (s[c]) out[bitpos / 8] |= static_cast<uint8_t>(0x80 >> (bitpos % 8));
        }
      }
    };
    std::vector<uint8_t> riga;
    if (g.tile) {
      TIFFSetField(t, TIFFTAG_TILEWIDTH, uint32_t{16});
      TIFFSetField(t, TIFFTAG_TILELENGTH, uint32_t{16});
      std::vector<uint8_t> tile(TIFFTileSize(t), 0);
      const size_t riga_tile = TIFFTileRowSize(t);
      for (int ty = 0; ty < g.h; ty += 16)
        for (int tx = 0; tx < g.w; tx += 16) {
          std::fill(tile.begin(), tile.end(), 0);
          for (int y = 0; y < 16 && ty + y < g.h; ++y) {
            riga_di(ty + y, tx, std::min(16, g.w - tx), riga);
            std::memcpy(tile.data() + y * riga_tile, riga.data(), riga.size());
          }
          TIFFWriteTile(t, tile.data(), tx, ty, 0, 0);
        }
    } else {
      TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, g.righe_strip ? g.righe_strip : TIFFDefaultStripSize(t, 0));
      for (int y = 0; y < g.h; ++y) {
        riga_di(y, 0, g.w, riga);
        if (TIFFWriteScanline(t, riga.data(), y, 0) < 0) throw std::runtime_error("TIFFWriteScanline");
      }
    }
    TIFFWriteDirectory(t);
  }
  TIFFClose(t);
  auto dati = Leggi_Byte(p);
  std::error_code ec;
  fs::remove_all(cartella, ec);
  return dati;
}

// A bilevel page: sample 1 is black for min-is-white, white for min-is-black.
Pagina_Tiff Bilivello(uint16_t compr, uint16_t foto = PHOTOMETRIC_MINISWHITE) {
  Pagina_Tiff g;
  g.compr = compr;
  g.foto = foto;
  g.campioni = [foto](int x, int y) {
    const bool nero = Motivo_Bit(x, y);
    return std::array<uint8_t, 4>{static_cast<uint8_t>((foto == PHOTOMETRIC_MINISWHITE) == nero ? 1 : 0)};
  };
  return g;
}

Pagina_Tiff Rgb(uint16_t compr) {
  Pagina_Tiff g;
  g.bps = 8;
  g.spp = 3;
  g.foto = PHOTOMETRIC_RGB;
  g.compr = compr;
  g.campioni = [](int x, int y) {
    const Colore c = Motivo_Colore(x, y);
    return std::array<uint8_t, 4>{c.r, c.g, c.b, 0};
  };
  return g;
}

Colore Liscio(int x, int y) { return {static_cast<uint8_t>(x * 6), static_cast<uint8_t>(y * 11), 128}; }

// ---- PNG ------------------------------------------------------------------

void Png_Scrivi_Vettore(png_structp png, png_bytep d, png_size_t n) {
  auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  v->insert(v->end(), d, d + n);
}
void Png_Svuota(png_structp) {}

std::vector<uint8_t> Png(int tipo, int prof, const std::function<std::array<uint16_t, 4>(int, int)>& campioni,
                         const std::vector<Colore>& tav = {}, bool interlacciato = false, bool trns = false) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) throw std::runtime_error("png");
  png_set_write_fn(png, &out, Png_Scrivi_Vettore, Png_Svuota);
  png_set_IHDR(png, info, W, H, prof, tipo, interlacciato ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> pal;
  for (const auto& c : tav) pal.push_back({c.r, c.g, c.b});
  if (tipo == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, pal.data(), static_cast<int>(pal.size()));
  if (trns) {
    png_byte a[1] = {0};
    png_color_16 g{};
    if (tipo == PNG_COLOR_TYPE_PALETTE) png_set_tRNS(png, info, a, 1, nullptr);
    else png_set_tRNS(png, info, nullptr, 0, &g);
  }
  png_write_info(png, info);
  const int canali = tipo == PNG_COLOR_TYPE_RGB ? 3 : tipo == PNG_COLOR_TYPE_RGBA ? 4 : tipo == PNG_COLOR_TYPE_GA ? 2 : 1;
  const size_t byte_riga = (size_t(W) * canali * prof + 7) / 8;
  std::vector<std::vector<uint8_t>> righe(H, std::vector<uint8_t>(byte_riga, 0));
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const auto s = campioni(x, y);
      for (int c = 0; c < canali; ++c) {
        const size_t bitpos = (size_t(x) * canali + c) * prof;
        if (prof == 16) {
          righe[y][bitpos / 8] = static_cast<uint8_t>(s[c] >> 8);
          righe[y][bitpos / 8 + 1] = static_cast<uint8_t>(s[c]);
        } else if (prof == 8) {
          righe[y][bitpos / 8] = static_cast<uint8_t>(s[c]);
        } else {
          righe[y][bitpos / 8] |= static_cast<uint8_t>(s[c] << (8 - prof - bitpos % 8));
        }
      }
    }
  std::vector<png_bytep> p;
  for (auto& r : righe) p.push_back(r.data());
  png_write_image(png, p.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// ---- JPEG -----------------------------------------------------------------

std::vector<uint8_t> Jpeg(J_COLOR_SPACE spazio, bool progressivo, int dpi = 0) {
  jpeg_compress_struct ci{};
  jpeg_error_mgr err{};
  ci.err = jpeg_std_error(&err);
  jpeg_create_compress(&ci);
  unsigned char* buf = nullptr;
  unsigned long n = 0;
  jpeg_mem_dest(&ci, &buf, &n);
  ci.image_width = W;
  ci.image_height = H;
  ci.input_components = spazio == JCS_GRAYSCALE ? 1 : spazio == JCS_CMYK ? 4 : 3;
  ci.in_color_space = spazio;
  jpeg_set_defaults(&ci);
  jpeg_set_quality(&ci, 95, TRUE);
  if (progressivo) jpeg_simple_progression(&ci);
  if (dpi) {
    ci.density_unit = 1;
    ci.X_density = ci.Y_density = static_cast<UINT16>(dpi);
  }
  jpeg_start_compress(&ci, TRUE);
  std::vector<uint8_t> riga(W * 4);
  while (ci.next_scanline < ci.image_height) {
    const int y = static_cast<int>(ci.next_scanline);
    for (int x = 0; x < W; ++x) {
      const Colore c = Liscio(x, y);
      if (spazio == JCS_GRAYSCALE) riga[x] = static_cast<uint8_t>(c.Luminanza());
      else if (spazio == JCS_CMYK) { riga[4 * x] = c.r; riga[4 * x + 1] = c.g; riga[4 * x + 2] = c.b; riga[4 * x + 3] = 255; }
      else { riga[3 * x] = c.r; riga[3 * x + 1] = c.g; riga[3 * x + 2] = c.b; }
    }
    JSAMPROW r = riga.data();
    jpeg_write_scanlines(&ci, &r, 1);
  }
  jpeg_finish_compress(&ci);
  jpeg_destroy_compress(&ci);
  std::vector<uint8_t> v(buf, buf + n);
  free(buf);
  return v;
}

// ---- The list ---------------------------------------------------------------

std::vector<Campione> Costruisci() {
  std::vector<Campione> tutti;
  auto aggiungi = [&](std::string nome, Formato f, std::vector<uint8_t> dati, int bit, std::vector<Colore> pixel,
                      int toll = 0, int immagini = 1, int dpi = 0) {
    Campione c;
    c.nome = std::move(nome);
    c.formato = f;
    c.dati = std::move(dati);
    c.larghezza = W;
    c.altezza = H;
    c.bit = bit;
    c.pixel = std::move(pixel);
    c.tolleranza = toll;
    c.immagini = immagini;
    c.dpi_x = c.dpi_y = dpi;
    tutti.push_back(std::move(c));
  };
  const auto bn = Pixel(W, H, [](int x, int y) { return Bn(Motivo_Bit(x, y)); });
  const auto colori = Pixel(W, H, Motivo_Colore);

  // BMP
  {
    Bmp_Parametri p;
    p.bit = 1;
    p.tav = {Nero, Bianco};
    p.ppm = 7874;
    aggiungi("bmp1", Formato::BMP, Bmp(p, [](int x, int y) { return Motivo_Bit(x, y) ? 0u : 1u; }), 1, bn, 0, 1, 200);
    p.dall_alto = true;
    p.tav = {Bianco, Nero};  // the palette the other way round
    p.ppm = 0;
    aggiungi("bmp1_alto_inverso", Formato::BMP, Bmp(p, [](int x, int y) { return Motivo_Bit(x, y) ? 1u : 0u; }), 1, bn);
  }
  for (int bit : {4, 8}) {
    Bmp_Parametri p;
    p.bit = bit;
    const int voci = bit == 4 ? 16 : 200;
    p.tav = Tavolozza_Prova(voci);
    const auto tav = p.tav;
    aggiungi("bmp" + std::to_string(bit), Formato::BMP,
             Bmp(p, [voci](int x, int y) { return static_cast<uint32_t>(Indice_Prova(x, y, voci)); }), bit,
             Pixel(W, H, [&](int x, int y) { return tav[Indice_Prova(x, y, voci)]; }));
  }
  {
    Bmp_Parametri p;
    p.ppm = 11811;
    aggiungi("bmp24", Formato::BMP, Bmp(p, [](int x, int y) { return Rgb_Di(Motivo_Colore(x, y)); }), 24, colori, 0,
             1, 300);
    p.dall_alto = true;
    p.ppm = 0;
    aggiungi("bmp24_alto", Formato::BMP, Bmp(p, [](int x, int y) { return Rgb_Di(Motivo_Colore(x, y)); }), 24, colori);
    p.dall_alto = false;
    p.dim_info = 12;
    aggiungi("bmp24_core", Formato::BMP, Bmp(p, [](int x, int y) { return Rgb_Di(Motivo_Colore(x, y)); }), 24, colori);
    Bmp_Parametri q;
    q.bit = 32;
    aggiungi("bmp32", Formato::BMP, Bmp(q, [](int x, int y) { return Rgb_Di(Motivo_Colore(x, y)); }), 32, colori);
    q.campi = true;
    q.dim_info = 124;
    q.dall_alto = true;
    aggiungi("bmp32_v5_campi_alto", Formato::BMP, Bmp(q, [](int x, int y) { return Rgb_Di(Motivo_Colore(x, y)); }),
             32, colori);
  }

  // TIFF
  aggiungi("tif_none_miniswhite", Formato::TIFF, Tiff({Bilivello(COMPRESSION_NONE)}), 1, bn);
  aggiungi("tif_none_minisblack", Formato::TIFF, Tiff({Bilivello(COMPRESSION_NONE, PHOTOMETRIC_MINISBLACK)}), 1, bn);
  {
    Pagina_Tiff g = Bilivello(COMPRESSION_CCITTFAX3);
    g.ordine = FILLORDER_LSB2MSB;
    g.dpi = 204;
    g.righe_strip = 23;
    aggiungi("tif_g3_ordine2", Formato::TIFF, Tiff({g}), 1, bn, 0, 1, 204);
    g.ordine = FILLORDER_MSB2LSB;
    g.opzioni_g3 = GROUP3OPT_2DENCODING;
    aggiungi("tif_g3_2d", Formato::TIFF, Tiff({g}), 1, bn, 0, 1, 204);
  }
  aggiungi("tif_g4", Formato::TIFF, Tiff({Bilivello(COMPRESSION_CCITTFAX4)}), 1, bn);
  aggiungi("tif_g4_bigendian", Formato::TIFF, Tiff({Bilivello(COMPRESSION_CCITTFAX4)}, "wb"), 1, bn);
  aggiungi("tif_packbits", Formato::TIFF, Tiff({Bilivello(COMPRESSION_PACKBITS)}), 1, bn);
  {
    Pagina_Tiff g;
    g.bps = 8;
    g.foto = PHOTOMETRIC_MINISBLACK;
    g.compr = COMPRESSION_LZW;
    g.predittore = PREDICTOR_HORIZONTAL;
    g.campioni = [](int x, int y) { return std::array<uint8_t, 4>{static_cast<uint8_t>(Motivo_Colore(x, y).Luminanza())}; };
    aggiungi("tif_grigio_lzw", Formato::TIFF, Tiff({g}), 8,
             Pixel(W, H, [](int x, int y) {
               const uint8_t l = static_cast<uint8_t>(Motivo_Colore(x, y).Luminanza());
               return Colore{l, l, l};
             }));
  }
  for (uint16_t bps : {uint16_t{4}, uint16_t{8}}) {
    Pagina_Tiff g;
    g.bps = bps;
    g.foto = PHOTOMETRIC_PALETTE;
    const int voci = bps == 4 ? 16 : 256;
    g.tav = Tavolozza_Prova(voci);
    g.compr = COMPRESSION_PACKBITS;
    g.campioni = [voci](int x, int y) { return std::array<uint8_t, 4>{static_cast<uint8_t>(Indice_Prova(x, y, voci))}; };
    const auto tav = g.tav;
    aggiungi("tif_tavolozza" + std::to_string(bps), Formato::TIFF, Tiff({g}), bps,
             Pixel(W, H, [&](int x, int y) { return tav[Indice_Prova(x, y, voci)]; }));
  }
  aggiungi("tif_rgb_lzw", Formato::TIFF, Tiff({Rgb(COMPRESSION_LZW)}), 24, colori);
  {
    Pagina_Tiff g = Rgb(COMPRESSION_NONE);
    g.tile = true;
    aggiungi("tif_rgb_tile", Formato::TIFF, Tiff({g}), 24, colori);
    Pagina_Tiff a = Rgb(COMPRESSION_ADOBE_DEFLATE);
    a.spp = 4;
    a.extra = 1;
    a.campioni = [](int x, int y) {
      const Colore c = Motivo_Colore(x, y);
      return std::array<uint8_t, 4>{c.r, c.g, c.b, 255};
    };
    aggiungi("tif_rgba_deflate", Formato::TIFF, Tiff({a}), 32, colori);
    Pagina_Tiff j = Rgb(COMPRESSION_JPEG);
    j.foto = PHOTOMETRIC_YCBCR;
    j.righe_strip = 16;
    j.campioni = [](int x, int y) {
      const Colore c = Liscio(x, y);
      return std::array<uint8_t, 4>{c.r, c.g, c.b, 0};
    };
    aggiungi("tif_jpeg", Formato::TIFF, Tiff({j}), 24, Pixel(W, H, Liscio), 24);
  }
  {
    Pagina_Tiff p2 = Rgb(COMPRESSION_LZW);
    Pagina_Tiff p3;
    p3.w = 20;
    p3.h = 10;
    p3.bps = 8;
    p3.foto = PHOTOMETRIC_MINISBLACK;
    p3.compr = COMPRESSION_PACKBITS;
    p3.campioni = [](int x, int y) { return std::array<uint8_t, 4>{static_cast<uint8_t>(x * 10 + y)}; };
    aggiungi("tif_tre_pagine", Formato::TIFF, Tiff({Bilivello(COMPRESSION_CCITTFAX4), p2, p3}), 1, bn, 0, 3);
  }

  // PNG
  auto grigio = [](int prof) {
    return [prof](int x, int y) {
      const int massimo = (1 << prof) - 1;
      const int v = prof == 16 ? ((x + y * 3) * 997) % 65536 : (x + y * 3) % (massimo + 1);
      return std::array<uint16_t, 4>{static_cast<uint16_t>(v)};
    };
  };
  auto grigio_atteso = [](int prof) {
    return Pixel(W, H, [prof](int x, int y) {
      const int massimo = (1 << prof) - 1;
      const int v = prof == 16 ? ((x + y * 3) * 997) % 65536 : (x + y * 3) % (massimo + 1);
      const uint8_t g = static_cast<uint8_t>(prof == 16 ? v >> 8 : v * 255 / massimo);
      return Colore{g, g, g};
    });
  };
  aggiungi("png_grigio1", Formato::PNG,
           Png(PNG_COLOR_TYPE_GRAY, 1, [](int x, int y) { return std::array<uint16_t, 4>{uint16_t(Motivo_Bit(x, y) ? 0 : 1)}; }),
           1, bn);
  aggiungi("png_grigio2", Formato::PNG, Png(PNG_COLOR_TYPE_GRAY, 2, grigio(2)), 8, grigio_atteso(2));
  aggiungi("png_grigio4", Formato::PNG, Png(PNG_COLOR_TYPE_GRAY, 4, grigio(4)), 4, grigio_atteso(4));
  aggiungi("png_grigio8_trns", Formato::PNG, Png(PNG_COLOR_TYPE_GRAY, 8, grigio(8), {}, false, true), 8, grigio_atteso(8));
  aggiungi("png_grigio16", Formato::PNG, Png(PNG_COLOR_TYPE_GRAY, 16, grigio(16)), 8, grigio_atteso(16));
  for (int prof : {1, 2, 4, 8}) {
    const int voci = prof == 1 ? 2 : prof == 2 ? 3 : prof == 4 ? 16 : 180;
    std::vector<Colore> tav = prof == 1 ? std::vector<Colore>{Bianco, {200, 0, 0}} : Tavolozza_Prova(voci);
    const auto campioni = [voci](int x, int y) { return std::array<uint16_t, 4>{uint16_t(Indice_Prova(x, y, voci))}; };
    aggiungi("png_tavolozza" + std::to_string(prof), Formato::PNG,
             Png(PNG_COLOR_TYPE_PALETTE, prof, campioni, tav, false, prof == 8), prof == 2 ? 8 : prof,
             Pixel(W, H, [&](int x, int y) { return tav[Indice_Prova(x, y, voci)]; }));
  }
  const auto rgb = [](int x, int y) {
    const Colore c = Motivo_Colore(x, y);
    return std::array<uint16_t, 4>{c.r, c.g, c.b, 255};
  };
  aggiungi("png_rgb8", Formato::PNG, Png(PNG_COLOR_TYPE_RGB, 8, rgb), 24, colori);
  aggiungi("png_rgb8_interlacciato", Formato::PNG, Png(PNG_COLOR_TYPE_RGB, 8, rgb, {}, true), 24, colori);
  aggiungi("png_rgb16", Formato::PNG,
           Png(PNG_COLOR_TYPE_RGB, 16, [](int x, int y) {
             const Colore c = Motivo_Colore(x, y);
             return std::array<uint16_t, 4>{uint16_t(c.r * 257), uint16_t(c.g * 257), uint16_t(c.b * 257)};
           }),
           24, colori);
  aggiungi("png_ga8", Formato::PNG,
           Png(PNG_COLOR_TYPE_GA, 8, [](int x, int y) { (void)y; return std::array<uint16_t, 4>{uint16_t((x * 7) % 256), 128}; }),
           32, Pixel(W, H, [](int x, int) { const uint8_t g = uint8_t((x * 7) % 256); return Colore{g, g, g}; }));
  aggiungi("png_rgba8", Formato::PNG, Png(PNG_COLOR_TYPE_RGBA, 8, rgb), 32, colori);

  // JPEG
  aggiungi("jpg_grigio", Formato::JPEG, Jpeg(JCS_GRAYSCALE, false), 8,
           Pixel(W, H, [](int x, int y) { const uint8_t l = uint8_t(Liscio(x, y).Luminanza()); return Colore{l, l, l}; }),
           24);
  aggiungi("jpg_rgb", Formato::JPEG, Jpeg(JCS_RGB, false, 150), 24, Pixel(W, H, Liscio), 24, 1, 150);
  aggiungi("jpg_progressivo", Formato::JPEG, Jpeg(JCS_RGB, true), 24, Pixel(W, H, Liscio), 24);
  aggiungi("jpg_cmyk", Formato::JPEG, Jpeg(JCS_CMYK, false), 24, Pixel(W, H, Liscio), 24);
  return tutti;
}

}  // namespace

bool Motivo_Bit(int x, int y) { return (x + 2 * y) % 5 == 0 || (x < 4 && y < 3); }

Colore Motivo_Colore(int x, int y) {
  return {static_cast<uint8_t>(x * 6 % 256), static_cast<uint8_t>(y * 11 % 256), static_cast<uint8_t>((x * y * 3) % 256)};
}

const std::vector<Campione>& Campioni() {
  static const std::vector<Campione> v = Costruisci();
  return v;
}

const Campione& Campione_Di(const std::string& nome) {
  for (const auto& c : Campioni())
    if (c.nome == nome) return c;
  throw std::runtime_error("no sample " + nome);
}

std::vector<uint8_t> Leggi_Byte(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void Scrivi_Byte(const fs::path& p, const std::vector<uint8_t>& dati) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(dati.data()), static_cast<std::streamsize>(dati.size()));
}

int Esegui(const std::string& comando, std::string* uscita) { return qod::prova::Esegui(comando + " 2>&1", uscita); }

long Memoria_Kb(const char* campo) {
  std::ifstream f("/proc/self/status");
  std::string riga;
  while (std::getline(f, riga))
    if (riga.rfind(campo, 0) == 0) return std::atol(riga.c_str() + std::strlen(campo));
  return -1;
}

void Scrivi_Tiff_Tag_Enormi(const fs::path& f, int tag) {
  constexpr uint64_t kDati = 100'000'000, kRegione = 1 << 20, kDimensione = kRegione + kDati;
  std::vector<uint8_t> testa(4096);
  auto metti = [&](uint64_t o, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) testa[o + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  testa[0] = testa[1] = 'I';
  metti(2, 42, 2);
  metti(4, 8, 4);
  auto directory = [&](uint64_t off, uint64_t pixel, int privati, uint64_t prossima) {
    std::vector<std::array<uint64_t, 4>> voci = {{256, 4, 1, 8},   {257, 4, 1, 8},  {258, 3, 1, 8}, {259, 3, 1, 1},
                                                 {262, 3, 1, 1},   {273, 4, 1, pixel}, {277, 3, 1, 1}, {278, 4, 1, 8},
                                                 {279, 4, 1, 64}};
    for (int k = 0; k < privati; ++k) voci.push_back({65100u + k, 7, kDati, kRegione});
    metti(off, voci.size(), 2);
    for (size_t i = 0; i < voci.size(); ++i) {
      metti(off + 2 + 12 * i, voci[i][0], 2);
      metti(off + 4 + 12 * i, voci[i][1], 2);
      metti(off + 6 + 12 * i, voci[i][2], 4);
      metti(off + 10 + 12 * i, voci[i][3], 4);
    }
    metti(off + 2 + 12 * voci.size(), prossima, 4);
  };
  directory(8, 2048, tag, 1024);
  directory(1024, 2112, 0, 0);
  for (int i = 0; i < 128; ++i) testa[2048 + i] = static_cast<uint8_t>(i * 2 + 1);
  std::ofstream(f, std::ios::binary).write(reinterpret_cast<const char*>(testa.data()), static_cast<std::streamsize>(testa.size()));
  fs::resize_file(f, kDimensione);
}

uint64_t Impronta(const fs::path& f) {
  std::ifstream in(f, std::ios::binary);
  std::vector<char> buf(1 << 20);
  uint64_t h = 1469598103934665603ull;
  while (in.read(buf.data(), static_cast<std::streamsize>(buf.size())) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i) h = (h ^ static_cast<uint8_t>(buf[i])) * 1099511628211ull;
  }
  return h;
}

bool Azzera_Picco() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5" << std::flush); }

}  // namespace qod::img::prova
