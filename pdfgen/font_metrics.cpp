#include "qod/pdf/font_metrics.h"

#include <cstddef>

namespace qod::pdf {
namespace {

#include "font_metrics_data.inc"

struct Descrittore {
  const char* base_font;
  int32_t flags;
  const char* bbox;
  int32_t missing, stem_v, stem_h, italic, cap, x_height, ascent, descent, leading, max_w, avg_w;
};

// Index order: style by style (regular, bold, italic, bold italic), and in
// each style Courier New, Times New Roman, Arial, Symbol.
constexpr Descrittore kDescrittori[16] = {
    {"CourierNew", 34, "[-250 -300 720 1000]", 600, 109, 109, 0, 833, 417, 833, -300, 133, 600, 600},
    {"TimesNewRoman", 34, "[-250 -216 1200 1000]", 333, 73, 73, 0, 891, 446, 891, -216, 149, 1000, 401},
    {"Arial", 32, "[-250 -221 1190 1000]", 272, 80, 80, 0, 905, 453, 905, -212, 150, 992, 441},
    {"Symbol", 6, "[-250 -220 1246 1005]", 332, 109, 109, 0, 1005, 503, 1005, -220, 225, 1038, 601},
    {"CourierNew,Bold", 16418, "[-250 -300 720 1000]", 600, 191, 191, 0, 833, 417, 833, -300, 133, 600, 600},
    {"TimesNewRoman,Bold", 16418, "[-250 -216 1201 1000]", 333, 136, 136, 0, 891, 446, 891, -216, 149, 1001, 401},
    {"Arial,Bold", 16416, "[-250 -212 1120 1000]", 311, 153, 153, 0, 905, 453, 905, -212, 150, 933, 479},
    {"Symbol,Bold", 16390, "[-250 -220 1246 1005]", 332, 191, 191, 0, 1005, 503, 1005, -220, 225, 1038, 600},
    {"CourierNew,Italic", 98, "[-250 -300 720 1000]", 600, 109, 109, -11, 833, 417, 833, -300, 133, 600, 600},
    {"TimesNewRoman,Italic", 98, "[-250 -216 1200 1000]", 389, 73, 73, -11, 891, 446, 891, -216, 149, 1000, 402},
    {"Arial,Italic", 96, "[-250 -212 1134 1000]", 259, 80, 80, -11, 905, 453, 905, -212, 150, 945, 441},
    {"Symbol,Italic", 70, "[-250 -220 1246 1005]", 332, 109, 109, -11, 1005, 503, 1005, -220, 225, 1038, 600},
    {"CourierNew,BoldItalic", 16482, "[-250 -300 720 1000]", 600, 191, 191, -11, 833, 417, 833, -300, 133, 600, 600},
    {"TimesNewRoman,BoldItalic", 16482, "[-250 -216 1200 1000]", 333, 131, 131, -11, 891, 446, 891, -216, 149, 1000, 412},
    {"Arial,BoldItalic", 16480, "[-250 -212 1120 1000]", 311, 153, 153, -11, 905, 453, 905, -212, 150, 933, 479},
    {"Symbol,BoldItalic", 16454, "[-250 -220 1246 1005]", 332, 191, 191, -11, 1005, 503, 1005, -220, 225, 1038, 600},
};

template <size_t N>
void Riempi(Metrica_Font& m, const int16_t (&larghezze)[N]) {
  for (size_t k = 0; k < N; ++k) m.Widths[m.FirstChar + k] = larghezze[k];
}

std::array<Metrica_Font, 16> Costruisci() {
  std::array<Metrica_Font, 16> t;
  for (int i = 0; i < 16; ++i) {
    const Descrittore& d = kDescrittori[i];
    Metrica_Font& m = t[i];
    int famiglia = i % 4 + 1, stile = i / 4 + 1;
    m.Subtype = "TrueType";
    m.BaseFont = d.base_font;
    m.FirstChar = famiglia == 4 ? 30 : 32;
    m.LastChar = 255;
    switch (famiglia) {
      case 1:
        for (int c = 32; c <= 255; ++c) m.Widths[c] = 600;
        break;
      case 2:
        if (stile == 1) Riempi(m, Larghezze_TimesNewRoman);
        if (stile == 2) Riempi(m, Larghezze_TimesNewRoman_Bold);
        if (stile == 3) Riempi(m, Larghezze_TimesNewRoman_Italic);
        if (stile == 4) Riempi(m, Larghezze_TimesNewRoman_BoldItalic);
        break;
      case 3:
        // Arial italic has the widths of Arial, bold italic those of bold.
        if (stile == 1 || stile == 3) Riempi(m, Larghezze_Arial);
        if (stile == 2 || stile == 4) Riempi(m, Larghezze_Arial_Bold);
        break;
      default:
        Riempi(m, Larghezze_Symbol);
        break;
    }
    m.Flags = d.flags;
    m.FontBBox = d.bbox;
    m.MissingWidth = d.missing;
    m.StemV = d.stem_v;
    m.StemH = d.stem_h;
    m.ItalicAngle = d.italic;
    m.CapHeight = d.cap;
    m.XHeight = d.x_height;
    m.Ascent = d.ascent;
    m.Descent = d.descent;
    m.Leading = d.leading;
    m.MaxWidth = d.max_w;
    m.AvgWidth = d.avg_w;
  }
  return t;
}

}  // namespace

const std::array<Metrica_Font, 16>& Tabella_Metriche() {
  static const std::array<Metrica_Font, 16> tabella = Costruisci();
  return tabella;
}

}  // namespace qod::pdf
