// JPEG files through libjpeg(-turbo): grey, colour and CMYK in; JFIF grey or
// colour out, with quality, optimised coding, smoothing and the density.
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <jerror.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "qod/risorse_c.h"
#include "formati.h"
#include "interno.h"

namespace qod::img {

namespace {

struct Errore_Jpeg {
  jpeg_error_mgr base;
  jmp_buf salto;
  char messaggio[JMSG_LENGTH_MAX];
  bool troncato;
};

void Jpeg_Esci(j_common_ptr c) {
  auto* e = reinterpret_cast<Errore_Jpeg*>(c->err);
  (*c->err->format_message)(c, e->messaggio);
  std::longjmp(e->salto, 1);
}
void Jpeg_Messaggio(j_common_ptr) {}

// Warnings are quiet, but a file that ends before its image does is noted:
// the decoder would fill the rest with grey.
void Jpeg_Avviso(j_common_ptr c, int livello) {
  if (livello < 0 && c->err->msg_code == JWRN_JPEG_EOF) reinterpret_cast<Errore_Jpeg*>(c->err)->troncato = true;
}

// Progressive files can hold any number of scans; past a sane count the
// file is refused rather than decoded for ever.
void Jpeg_Progresso(j_common_ptr c) {
  auto* d = reinterpret_cast<j_decompress_ptr>(c);
  if (d->input_scan_number > 500) {
    std::snprintf(reinterpret_cast<Errore_Jpeg*>(c->err)->messaggio, JMSG_LENGTH_MAX, "too many scans");
    std::longjmp(reinterpret_cast<Errore_Jpeg*>(c->err)->salto, 1);
  }
}

}  // namespace

Esito Carica_Jpeg(const uint8_t* d, size_t n, Immagine& out) {
  jpeg_decompress_struct ci{};
  Errore_Jpeg err{};
  jpeg_progress_mgr progresso{};
  ci.err = jpeg_std_error(&err.base);
  err.base.error_exit = Jpeg_Esci;
  err.base.output_message = Jpeg_Messaggio;
  err.base.emit_message = Jpeg_Avviso;
  err.messaggio[0] = 0;
  std::vector<uint8_t> riga;
  Alla_Uscita distruggi([&ci] { jpeg_destroy_decompress(&ci); });
  if (setjmp(err.salto)) {
    out.Svuota();
    return Esito::Errore(std::string("JPEG: ") + err.messaggio);
  }
  jpeg_create_decompress(&ci);
  ci.mem->max_memory_to_use = static_cast<long>(std::min<size_t>(Limite_Memoria(), 0x7FFFFFFF));
  progresso.progress_monitor = Jpeg_Progresso;
  ci.progress = &progresso;
  jpeg_mem_src(&ci, const_cast<unsigned char*>(d), static_cast<unsigned long>(n));
  jpeg_read_header(&ci, TRUE);
  if (ci.image_width < 1 || ci.image_height < 1 || ci.image_width > static_cast<JDIMENSION>(Lato_Massimo) ||
      ci.image_height > static_cast<JDIMENSION>(Lato_Massimo)) {
    return Esito::Errore("JPEG: bad image size");
  }
  int bit;
  bool cmyk = false;
  if (ci.num_components == 1) {
    ci.out_color_space = JCS_GRAYSCALE;
    bit = 8;
  } else if (ci.jpeg_color_space == JCS_CMYK || ci.jpeg_color_space == JCS_YCCK) {
    ci.out_color_space = JCS_CMYK;
    cmyk = true;
    bit = 24;
  } else {
    ci.out_color_space = JCS_RGB;
    bit = 24;
  }
  if (!Accesso_Interno::Alloca(out, static_cast<int>(ci.image_width), static_cast<int>(ci.image_height), bit)) {
    return Esito::Errore("JPEG: image too large");
  }
  jpeg_start_decompress(&ci);
  if (static_cast<int>(ci.output_width) != out.Larghezza() || static_cast<int>(ci.output_height) != out.Altezza() ||
      ci.output_components != (cmyk ? 4 : bit / 8)) {
    out.Svuota();
    return Esito::Errore("JPEG: unexpected output layout");
  }
  riga.resize(static_cast<size_t>(ci.output_width) * ci.output_components);
  while (ci.output_scanline < ci.output_height) {
    const int y = static_cast<int>(ci.output_scanline);
    JSAMPROW r = cmyk ? riga.data() : out.Riga(y);
    if (jpeg_read_scanlines(&ci, &r, 1) != 1) break;
    if (cmyk) {
      // Adobe files store the inks inverted.
      uint8_t* o = out.Riga(y);
      const bool invertito = ci.saw_Adobe_marker;
      for (JDIMENSION x = 0; x < ci.output_width; ++x) {
        int c = riga[4 * x], m = riga[4 * x + 1], yy = riga[4 * x + 2], k = riga[4 * x + 3];
        if (!invertito) { c = 255 - c; m = 255 - m; yy = 255 - yy; k = 255 - k; }
        o[3 * x] = static_cast<uint8_t>(c * k / 255);
        o[3 * x + 1] = static_cast<uint8_t>(m * k / 255);
        o[3 * x + 2] = static_cast<uint8_t>(yy * k / 255);
      }
    }
  }
  int dx = 0, dy = 0;
  if (ci.saw_JFIF_marker) {
    if (ci.density_unit == 1) { dx = ci.X_density; dy = ci.Y_density; }
    else if (ci.density_unit == 2) { dx = (ci.X_density * 254 + 50) / 100; dy = (ci.Y_density * 254 + 50) / 100; }
  }
  if (!err.troncato) jpeg_finish_decompress(&ci);
  if (err.troncato) {
    out.Svuota();
    return Esito::Errore("JPEG: the file ends before the image");
  }
  out.Imposta_Dpi(dx, dy);
  return Esito::Bene();
}

Esito Salva_Jpeg(const Immagine& im, const std::string& percorso, const Opzioni& o) {
  const bool grigio = im.Bit() <= 8 && im.Tavolozza_Grigia();
  File_C f(percorso.c_str(), "wb");
  if (!f) return Esito::Errore("JPEG: cannot write");
  jpeg_compress_struct ci{};
  Errore_Jpeg err{};
  ci.err = jpeg_std_error(&err.base);
  err.base.error_exit = Jpeg_Esci;
  err.base.output_message = Jpeg_Messaggio;
  std::vector<uint8_t> riga;
  Alla_Uscita distruggi([&ci] { jpeg_destroy_compress(&ci); });
  if (setjmp(err.salto)) {
    return Esito::Errore(std::string("JPEG: ") + err.messaggio);
  }
  jpeg_create_compress(&ci);
  jpeg_stdio_dest(&ci, f.get());
  ci.image_width = static_cast<JDIMENSION>(im.Larghezza());
  ci.image_height = static_cast<JDIMENSION>(im.Altezza());
  ci.input_components = grigio ? 1 : 3;
  ci.in_color_space = grigio ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&ci);
  jpeg_set_quality(&ci, o.qualita, TRUE);
  ci.optimize_coding = o.ottimizza ? TRUE : FALSE;
  ci.smoothing_factor = o.attenuazione;
  ci.write_JFIF_header = TRUE;
  if (im.Dpi_X() > 0 && im.Dpi_Y() > 0 && im.Dpi_X() <= 65535 && im.Dpi_Y() <= 65535) {
    ci.density_unit = 1;
    ci.X_density = static_cast<UINT16>(im.Dpi_X());
    ci.Y_density = static_cast<UINT16>(im.Dpi_Y());
  } else {
    ci.density_unit = 0;
    ci.X_density = 1;
    ci.Y_density = 1;
  }
  jpeg_start_compress(&ci, TRUE);
  riga.resize(static_cast<size_t>(im.Larghezza()) * (grigio ? 1 : 3));
  const auto& tav = im.Tavolozza();
  while (ci.next_scanline < ci.image_height) {
    const int y = static_cast<int>(ci.next_scanline);
    const uint8_t* s = im.Riga(y);
    JSAMPROW r;
    if (im.Bit() == 24) {
      r = const_cast<JSAMPROW>(s);
    } else {
      for (int x = 0; x < im.Larghezza(); ++x) {
        if (im.Bit() == 32) {
          std::memcpy(&riga[3 * x], s + 4 * x, 3);
        } else {
          const Colore c = tav[Leggi_Valore(s, x, im.Bit())];
          if (grigio) riga[x] = c.r;
          else { riga[3 * x] = c.r; riga[3 * x + 1] = c.g; riga[3 * x + 2] = c.b; }
        }
      }
      r = riga.data();
    }
    jpeg_write_scanlines(&ci, &r, 1);
  }
  jpeg_finish_compress(&ci);
  if (!f.Chiudi()) return Esito::Errore("JPEG: write error");
  return Esito::Bene();
}

}  // namespace qod::img
