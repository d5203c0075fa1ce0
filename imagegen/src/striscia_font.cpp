#include "qod/imagegen/striscia_font.h"

#include "qod/ansi.h"
#include "qod/imaging/file.h"
#include "qod/text/text.h"

namespace qod {

namespace {

// Paints the ink of a text in one colour onto an image.
struct Inchiostro : text::PixelSink {
  img::Immagine& im;
  img::Colore colore;
  Inchiostro(img::Immagine& i, img::Colore c) : im(i), colore(c) {}
  int Width() const override { return im.Larghezza(); }
  int Height() const override { return im.Altezza(); }
  void Paint(int x, int y, int n, const uint8_t* copertura, text::Rgb) override {
    for (int i = 0; i < n; ++i)
      if (copertura[i] >= 128) im.Imposta_Pixel(x + i, y, colore);
  }
};

}  // namespace

bool Codice_Con_Glifo(unsigned char c) {
  if (c < 32 || c == 127) return false;
  const char32_t u = Ansi_A_Unicode(c);
  return !(u >= 0x80 && u <= 0x9F);
}

bool Glifo_Disegna(const text::Font& font, img::Immagine& im, int x, int y, unsigned char c, img::Colore colore,
                   std::string* errore) {
  Inchiostro sink(im, colore);
  const std::string s(1, static_cast<char>(c));
  return text::TextOut(font, sink, x, y, s, {colore.r, colore.g, colore.b}, {255, 255, 255},
                       text::BkMode::kTransparent, text::Rendering::kMono, errore);
}

bool Striscia_Font(const Opzioni_Striscia& o, img::Immagine& out, std::string* errore) {
  auto fallisce = [&](std::string perche) {
    if (errore) *errore = std::move(perche);
    out.Svuota();
    return false;
  };
  const int w = o.cella_larghezza, h = o.cella_altezza;
  if (w < 1 || w > 512 || h < 1 || h > 512) return fallisce("cell size outside 1..512");
  if (o.bit != 1 && o.bit != 24) return fallisce("depth must be 1 or 24");
  text::LogFont lf;
  lf.height = o.altezza_font > 0 ? o.altezza_font : h;
  lf.face_name = o.font;
  lf.weight = o.grassetto ? 700 : 400;
  lf.charset = text::charset::kAnsi;
  std::string perche;
  auto font = text::Font::Create(lf, &perche);
  if (!font) return fallisce("font: " + perche);
  if (!out.Crea(256 * w, h, o.bit)) return fallisce("strip too large");
  out.Riempi(img::Bianco);
  const int y = (h - font->Metrics().height) / 2;
  img::Immagine cella;
  for (int c = 0; c < 256; ++c) {
    const auto u = static_cast<unsigned char>(c);
    if (u == ' ' || !Codice_Con_Glifo(u)) continue;
    cella.Crea(w, h, 1);
    const int x = (w - font->Extent(std::string(1, static_cast<char>(u))).cx) / 2;
    if (!Glifo_Disegna(*font, cella, x, y, u, img::Nero, &perche))
      return fallisce("glyph " + std::to_string(c) + ": " + perche);
    img::Trasferisci(out, c * w, 0, w, h, cella, 0, 0);
  }
  return true;
}

bool Scrivi_Striscia_Font(const std::filesystem::path& file, const Opzioni_Striscia& o, std::string* errore) {
  img::Immagine s;
  if (!Striscia_Font(o, s, errore)) return false;
  img::Parametri_Salvataggio p;
  p.opzioni = "EXTENSION = BMP";
  const img::Esito e = img::Salva(s, file, p);
  if (!e && errore) *errore = e.motivo;
  return static_cast<bool>(e);
}

}  // namespace qod
