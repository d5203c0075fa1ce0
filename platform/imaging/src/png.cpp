// PNG files through libpng: every colour type and bit depth in, interlaced or
// not; out without interlace, alpha or pHYs.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qod/risorse_c.h"
#include "formati.h"
#include "interno.h"

namespace qod::img {

namespace {

struct Lettura {
  const uint8_t* dati;
  size_t n;
  size_t pos;
  std::string errore;
};

void Png_Errore(png_structp png, png_const_charp msg) {
  auto* l = static_cast<std::string*>(png_get_error_ptr(png));
  if (l && l->empty()) *l = msg ? msg : "error";
  png_longjmp(png, 1);
}
void Png_Avviso(png_structp, png_const_charp) {}

void Png_Leggi(png_structp png, png_bytep out, png_size_t k) {
  auto* l = static_cast<Lettura*>(png_get_io_ptr(png));
  if (k > l->n - l->pos) png_error(png, "unexpected end of file");
  std::memcpy(out, l->dati + l->pos, k);
  l->pos += k;
}

}  // namespace

Esito Carica_Png(const uint8_t* d, size_t n, Immagine& out) {
  Lettura l{d, n, 0, {}};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &l.errore, Png_Errore, Png_Avviso);
  if (!png) return Esito::Errore("PNG: out of memory");
  png_infop info = png_create_info_struct(png);
  Alla_Uscita distruggi([&png, &info] { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); });
  if (!info) return Esito::Errore("PNG: out of memory");
  // Every object with a destructor is made before the jump point: a jump
  // back from libpng skips the destructors of later ones.
  std::vector<png_bytep> righe;
  std::vector<Colore> tavolozza;
  if (setjmp(png_jmpbuf(png))) {
    out.Svuota();
    return Esito::Errore("PNG: " + (l.errore.empty() ? std::string("cannot decode") : l.errore));
  }
  png_set_read_fn(png, &l, Png_Leggi);
  png_set_user_limits(png, Lato_Massimo, Lato_Massimo);
  png_set_chunk_malloc_max(png, Limite_Memoria());
  png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_WARN_DISCARD);
  png_read_info(png, info);
  png_uint_32 w = 0, h = 0;
  int prof = 0, tipo = 0, interlacciato = 0;
  png_get_IHDR(png, info, &w, &h, &prof, &tipo, &interlacciato, nullptr, nullptr);

  int bit = 0;
  if (prof == 16) png_set_strip_16(png);
  switch (tipo) {
    case PNG_COLOR_TYPE_GRAY:
      if (prof == 2) png_set_expand_gray_1_2_4_to_8(png);
      bit = prof == 1 ? 1 : prof == 4 ? 4 : 8;
      break;
    case PNG_COLOR_TYPE_PALETTE: {
      png_colorp pal = nullptr;
      int voci = 0;
      if (png_get_PLTE(png, info, &pal, &voci))
        for (int i = 0; i < voci; ++i) tavolozza.push_back({pal[i].red, pal[i].green, pal[i].blue});
      if (prof == 2) png_set_packing(png);
      bit = prof == 1 ? 1 : prof == 4 ? 4 : 8;
      if (static_cast<int>(tavolozza.size()) > (1 << bit)) tavolozza.resize(size_t{1} << bit);
      break;
    }
    case PNG_COLOR_TYPE_RGB: bit = 24; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      png_set_gray_to_rgb(png);
      bit = 32;
      break;
    default: bit = 32; break;  // RGB with alpha
  }
  if (interlacciato != PNG_INTERLACE_NONE) png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t byte_riga = png_get_rowbytes(png, info);
  if (!Accesso_Interno::Alloca(out, static_cast<int>(w), static_cast<int>(h), bit, tavolozza)) {
    return Esito::Errore("PNG: image too large");
  }
  if (byte_riga != out.Byte_Riga()) {
    out.Svuota();
    return Esito::Errore("PNG: unexpected row size");
  }
  righe.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) righe[y] = out.Riga(static_cast<int>(y));
  png_read_image(png, righe.data());
  png_read_end(png, nullptr);

  png_uint_32 px = 0, py = 0;
  int unita = 0;
  if (png_get_pHYs(png, info, &px, &py, &unita) && unita == PNG_RESOLUTION_METER)
    out.Imposta_Dpi(Dpi_Da_Ppm(px), Dpi_Da_Ppm(py));
  Accesso_Interno::Normalizza_1bit(out);
  return Esito::Bene();
}

namespace {

void Png_Scrivi(png_structp png, png_bytep dati, png_size_t k) {
  auto* f = static_cast<FILE*>(png_get_io_ptr(png));
  if (std::fwrite(dati, 1, k, f) != k) png_error(png, "write error");
}
void Png_Svuota(png_structp) {}

}  // namespace

Esito Salva_Png(const Immagine& im, const std::string& percorso) {
  File_C f(percorso.c_str(), "wb");
  if (!f) return Esito::Errore("PNG: cannot write");
  std::string errore;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &errore, Png_Errore, Png_Avviso);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  Alla_Uscita distruggi([&png, &info] {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  });
  if (!info) return Esito::Errore("PNG: out of memory");
  std::vector<png_color> pal;
  if (setjmp(png_jmpbuf(png))) return Esito::Errore("PNG: " + errore);
  png_set_write_fn(png, f.get(), Png_Scrivi, Png_Svuota);
  const int bit = im.Bit();
  int tipo, prof;
  if (bit >= 24) {
    tipo = PNG_COLOR_TYPE_RGB;
    prof = 8;
  } else if (im.Tavolozza_Grigia()) {
    tipo = PNG_COLOR_TYPE_GRAY;
    prof = bit;
  } else {
    tipo = PNG_COLOR_TYPE_PALETTE;
    prof = bit;
    for (const auto& c : im.Tavolozza()) pal.push_back({c.r, c.g, c.b});
  }
  png_set_IHDR(png, info, static_cast<png_uint_32>(im.Larghezza()), static_cast<png_uint_32>(im.Altezza()), prof,
               tipo, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (tipo == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, pal.data(), static_cast<int>(pal.size()));
  png_write_info(png, info);
  if (bit == 32) png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int y = 0; y < im.Altezza(); ++y) png_write_row(png, const_cast<png_bytep>(im.Riga(y)));
  png_write_end(png, info);
  if (!f.Chiudi()) return Esito::Errore("PNG: write error");
  return Esito::Bene();
}

}  // namespace qod::img
