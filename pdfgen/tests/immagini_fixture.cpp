#include "immagini_fixture.h"

#include <png.h>
#include <zlib.h>
#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace qod::pdf::test {

Campione Campione::Motivo(int w, int h, int bit) {
  Campione c;
  c.w = w;
  c.h = h;
  c.bit = bit;
  c.px.resize(size_t(w) * h * c.Canali());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &c.px[(size_t(y) * w + x) * c.Canali()];
      if (bit == 1) {
        // A frame on the top and left edges, a diagonal band and a checker.
        bool nero = y == 0 || x == 0 || (x + 2 * y) % 13 < 3 || ((x / 4 + y / 3) % 2 == 0 && x > w / 2);
        p[0] = nero ? 0 : 255;
      } else if (bit == 8) {
        p[0] = static_cast<uint8_t>((x * 13 + y * 29 + (x * y) % 7) % 256);
      } else {
        p[0] = static_cast<uint8_t>((x * 40 + y) % 256);
        p[1] = static_cast<uint8_t>((y * 50 + x * 3) % 256);
        p[2] = static_cast<uint8_t>(((x + y) * 20) % 256);
      }
    }
  return c;
}

void Scrivi_Tiff(const std::string& percorso, const Campione& c, const Opzioni_Tiff& o) {
  TIFF* t = TIFFOpen(percorso.c_str(), o.big_endian ? "wb" : "wl");
  if (!t) throw std::runtime_error("TIFFOpen " + percorso);
  const bool palette = o.fotometria == 3;
  const int campioni = c.bit == 24 && !palette ? 3 : 1;
  const int bps = c.bit == 1 ? 1 : 8;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, c.w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, c.h);
  if (!(o.senza_bit && bps == 1)) TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bps);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, campioni);
  TIFFSetField(t, TIFFTAG_COMPRESSION, o.compressione);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, o.fotometria);
  TIFFSetField(t, TIFFTAG_FILLORDER, o.riempimento);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, o.planare);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, o.righe_strip > 0 ? o.righe_strip : c.h);
  TIFFSetField(t, TIFFTAG_XRESOLUTION, 200.0);
  TIFFSetField(t, TIFFTAG_YRESOLUTION, 200.0);
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  if (o.compressione == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, o.g3_2d ? 1 : 0);
  if (o.predittore != 1) TIFFSetField(t, TIFFTAG_PREDICTOR, o.predittore);
  if (o.compressione == COMPRESSION_JPEG) TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
  std::vector<uint16_t> mappa[3];
  if (palette) {
    // Grey ramp with index i showing 255 - i (so indexes are not grey levels).
    for (auto& m : mappa) m.resize(256);
    for (int i = 0; i < 256; ++i) mappa[0][i] = mappa[1][i] = mappa[2][i] = static_cast<uint16_t>((255 - i) * 257);
    TIFFSetField(t, TIFFTAG_COLORMAP, mappa[0].data(), mappa[1].data(), mappa[2].data());
  }
  const tmsize_t riga = TIFFScanlineSize(t);
  std::vector<uint8_t> buf(static_cast<size_t>(riga));
  if (o.planare == 2 && campioni == 3) {
    for (int s = 0; s < 3; ++s)
      for (int y = 0; y < c.h; ++y) {
        for (int x = 0; x < c.w; ++x) buf[x] = c.at(x, y)[s];
        TIFFWriteScanline(t, buf.data(), static_cast<uint32_t>(y), static_cast<uint16_t>(s));
      }
  } else {
    for (int y = 0; y < c.h; ++y) {
      std::fill(buf.begin(), buf.end(), 0);
      for (int x = 0; x < c.w; ++x) {
        const uint8_t* p = c.at(x, y);
        if (bps == 1) {
          bool bianco = p[0] >= 128;
          bool uno = o.fotometria == 0 ? !bianco : bianco;
          if (uno) buf[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        } else if (palette) {
          buf[x] = static_cast<uint8_t>(255 - p[0]);
        } else if (campioni == 3) {
          std::memcpy(&buf[3 * x], p, 3);
        } else {
          buf[x] = o.fotometria == 0 ? static_cast<uint8_t>(255 - p[0]) : p[0];
        }
      }
      TIFFWriteScanline(t, buf.data(), static_cast<uint32_t>(y), 0);
    }
  }
  TIFFClose(t);
}

namespace {

uint32_t Be(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// Splits the IDAT data of a PNG into chunks of n bytes.
std::string Ridividi_Idat(const std::string& png, int n) {
  std::string idat, prima, dopo;
  size_t p = 8;
  bool visto = false;
  while (p + 12 <= png.size()) {
    uint32_t len = Be(reinterpret_cast<const uint8_t*>(&png[p]));
    std::string tipo = png.substr(p + 4, 4);
    std::string chunk = png.substr(p, 12 + len);
    if (tipo == "IDAT") {
      idat += png.substr(p + 8, len);
      visto = true;
    } else {
      (visto ? dopo : prima) += chunk;
    }
    p += 12 + len;
  }
  std::string r = png.substr(0, 8) + prima;
  for (size_t k = 0; k < idat.size(); k += n) {
    std::string dati = idat.substr(k, n);
    std::string testa(8, '\0');
    uint32_t l = static_cast<uint32_t>(dati.size());
    testa[0] = char(l >> 24), testa[1] = char(l >> 16), testa[2] = char(l >> 8), testa[3] = char(l);
    std::memcpy(&testa[4], "IDAT", 4);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>("IDAT"), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(dati.data()), static_cast<uInt>(dati.size()));
    std::string coda(4, '\0');
    coda[0] = char(crc >> 24), coda[1] = char(crc >> 16), coda[2] = char(crc >> 8), coda[3] = char(crc);
    r += testa + dati + coda;
  }
  return r + dopo;
}

uint8_t Alfa(int x, int y) { return static_cast<uint8_t>((x * 17 + y * 5) % 256); }
uint8_t Alfa_Voce(int i) { return static_cast<uint8_t>((i * 7) % 256); }

}  // namespace

Campione Atteso_Png(const Campione& c, const Opzioni_Png& o) {
  Campione r = c;
  if (o.tipo == 3 && o.alfa_tavolozza && o.profondita == 8) {
    for (auto& v : r.px) {
      int a = Alfa_Voce(255 - v);  // the pattern writes index 255 - v for grey v
      v = static_cast<uint8_t>((v * a + 255 * (255 - a) + 127) / 255);
    }
    return r;
  }
  if (o.tipo != 4 && o.tipo != 6) return c;
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x)
      for (int k = 0; k < c.Canali(); ++k) {
        uint8_t* p = &r.px[(size_t(y) * c.w + x) * c.Canali() + k];
        int a = Alfa(x, y);
        *p = static_cast<uint8_t>((c.at(x, y)[k] * a + 255 * (255 - a) + 127) / 255);
      }
  return r;
}

void Scrivi_Png(const std::string& percorso, const Campione& c, const Opzioni_Png& o) {
  std::string dati;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) throw std::runtime_error("libpng");
  png_set_write_fn(
      png, &dati,
      [](png_structp p, png_bytep d, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(d), n);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(c.w), static_cast<png_uint_32>(c.h), o.profondita, o.tipo,
               o.interlacciato ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (o.tipo == 3) {
    std::vector<png_color> tav(size_t(1) << o.profondita);
    for (size_t i = 0; i < tav.size(); ++i) {
      // 1 bit: black and white in the order asked; deeper: a reversed grey ramp.
      uint8_t v = o.profondita == 1 ? ((i == 0) == o.bianco_zero ? 255 : 0)
                                    : static_cast<uint8_t>(255 - i * 255 / (tav.size() - 1));
      tav[i] = {v, v, v};
    }
    png_set_PLTE(png, info, tav.data(), static_cast<int>(tav.size()));
    if (o.alfa_tavolozza) {
      std::vector<png_byte> alfa(tav.size());
      for (size_t i = 0; i < alfa.size(); ++i) alfa[i] = Alfa_Voce(static_cast<int>(i));
      png_set_tRNS(png, info, alfa.data(), static_cast<int>(alfa.size()), nullptr);
    }
  }
  png_write_info(png, info);
  const int canali_png = o.tipo == 2 ? 3 : o.tipo == 4 ? 2 : o.tipo == 6 ? 4 : 1;
  const int byte_campione = o.profondita == 16 ? 2 : 1;
  std::vector<std::vector<uint8_t>> righe(c.h, std::vector<uint8_t>(size_t(c.w) * canali_png * byte_campione + 8));
  for (int y = 0; y < c.h; ++y) {
    auto& r = righe[y];
    std::fill(r.begin(), r.end(), 0);
    for (int x = 0; x < c.w; ++x) {
      const uint8_t* p = c.at(x, y);
      if (o.profondita < 8) {
        int livelli = (1 << o.profondita) - 1;
        int v;
        if (o.tipo == 3 && o.profondita == 1)
          v = (p[0] >= 128) == o.bianco_zero ? 0 : 1;
        else if (o.tipo == 3)
          v = livelli - (p[0] * livelli + 127) / 255;
        else
          v = (p[0] * livelli + 127) / 255;
        r[size_t(x) * o.profondita / 8] |= static_cast<uint8_t>(v << (8 - o.profondita - (x * o.profondita) % 8));
        continue;
      }
      std::vector<int> s;
      if (o.tipo == 3)
        s = {255 - p[0]};
      else if (c.Canali() == 3)
        s = {p[0], p[1], p[2]};
      else
        s = {p[0]};
      if (o.tipo == 4 || o.tipo == 6) s.push_back(Alfa(x, y));
      for (size_t k = 0; k < s.size(); ++k) {
        size_t i = (size_t(x) * canali_png + k) * byte_campione;
        if (byte_campione == 2) {
          r[i] = static_cast<uint8_t>(s[k]);
          r[i + 1] = static_cast<uint8_t>(s[k]);  // v * 257
        } else {
          r[i] = static_cast<uint8_t>(s[k]);
        }
      }
    }
  }
  std::vector<png_bytep> puntatori;
  for (auto& r : righe) puntatori.push_back(r.data());
  png_write_image(png, puntatori.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  if (o.idat > 0) dati = Ridividi_Idat(dati, o.idat);
  FILE* f = std::fopen(percorso.c_str(), "wb");
  if (!f) throw std::runtime_error("fopen " + percorso);
  std::fwrite(dati.data(), 1, dati.size(), f);
  std::fclose(f);
}

double Differenza(const Campione& atteso, int w, int h, int canali, const std::vector<uint8_t>& resa, int tolleranza) {
  if (w != atteso.w || h != atteso.h || resa.size() != size_t(w) * h * canali) return 1;
  size_t diversi = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* a = atteso.at(x, y);
      const uint8_t* r = &resa[(size_t(y) * w + x) * canali];
      bool diverso = false;
      if (atteso.bit == 1) {
        int lum = canali == 3 ? (r[0] + r[1] + r[2]) / 3 : r[0];
        diverso = (lum >= 128) != (a[0] >= 128);
      } else {
        for (int k = 0; k < canali; ++k) {
          int va = atteso.Canali() == 3 ? a[k] : a[0];
          if (std::abs(va - r[k]) > tolleranza) diverso = true;
        }
      }
      diversi += diverso;
    }
  return double(diversi) / (double(w) * h);
}

}  // namespace qod::pdf::test
