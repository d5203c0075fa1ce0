#include "qod/prova/strumenti.h"
#include "supporto.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "qod/imaging/file.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/prova/costruzione.h"

namespace qod::prova {

const std::string& Striscia_Prova() {
  static const std::string file = [] {
    const fs::path f = Cartella_Temporanea() / ("qod_img_striscia_" + std::to_string(::getpid()) + ".bmp");
    Opzioni_Striscia o;
    o.cella_larghezza = kCellaW;
    o.cella_altezza = kCellaH;
    std::string errore;
    if (!Scrivi_Striscia_Font(f, o, &errore)) ADD_FAILURE() << "font strip: " << errore;
    std::atexit([] {
      std::error_code ec;
      fs::remove(Cartella_Temporanea() / ("qod_img_striscia_" + std::to_string(::getpid()) + ".bmp"), ec);
    });
    return f.string();
  }();
  return file;
}

const img::Immagine& Striscia_Immagine() {
  static const img::Immagine s = Carica(Striscia_Prova());
  return s;
}

void Pagina_Imposta(Qod_IMG& g, const std::string& uscita, const Pagina_Prova& p) {
  g.qodimg_Out_File = uscita;
  g.qodimg_Out_Width = p.larghezza;
  g.qodimg_Out_Height = p.altezza;
  g.qodimg_Out_BkColor = 0xFFFFFF;
  g.qodimg_Out_Save = p.tipo;
  g.qodimg_Out_ResX = p.dpi_x;
  g.qodimg_Out_ResY = p.dpi_y;
  g.qodimg_Txt_Orie = 1;
  g.qodimg_Txt_Col_Dim = kCellaW;
  g.qodimg_Txt_Row_Dim = kCellaH;
  g.qodimg_Txt_Left = static_cast<int16_t>(p.left);
  g.qodimg_Txt_Top = static_cast<int16_t>(p.top);
  g.qodimg_Txt_Cols = static_cast<int16_t>(p.colonne);
  g.qodimg_Txt_Rows = static_cast<int16_t>(p.righe);
}

void Pagina_Fax(Qod_IMG& g, const std::string& uscita) {
  Pagina_Imposta(g, uscita, {1728, 2292, 10, 204, 196, 64, 80, 80, 66});
  g.qodimg_Out_ZoomX = 1;
  g.qodimg_Out_ZoomY = 1;
  g.qodimg_Rows_Strip = 0;
  g.qodimg_Fnt_File = Striscia_Prova();
}

std::string Righe(const std::vector<std::string>& righe) {
  std::string r;
  for (const auto& s : righe) r += s + "\r\n";
  return r;
}

img::Immagine Carica(const std::string& file) {
  img::Immagine im;
  img::Carica(file, im);
  return im;
}

namespace {
bool Scuro(const img::Immagine& im, int x, int y) { return im.Pixel(x, y).Luminanza() < 128; }
}  // namespace

bool Uguali(const img::Immagine& pagina, int x, int y, const img::Immagine& sorgente, int sx, int sy, int w, int h,
            std::string* dove) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (Scuro(pagina, x + i, y + j) != Scuro(sorgente, sx + i, sy + j)) {
        if (dove) *dove = "at (" + std::to_string(x + i) + ", " + std::to_string(y + j) + ")";
        return false;
      }
  return true;
}

int Scuri(const img::Immagine& im, int x, int y, int w, int h) {
  int n = 0;
  for (int j = std::max(0, y); j < std::min(im.Altezza(), y + h); ++j)
    for (int i = std::max(0, x); i < std::min(im.Larghezza(), x + w); ++i) n += Scuro(im, i, j);
  return n;
}

bool Tutto(const img::Immagine& im, int x, int y, int w, int h, img::Colore c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i)
      if (!(im.Pixel(i, j) == c)) return false;
  return true;
}

bool Glifo(const img::Immagine& pagina, int x, int y, unsigned char b) {
  return Uguali(pagina, x, y, Striscia_Immagine(), b * kCellaW, 0, kCellaW, kCellaH);
}

img::Immagine Logo_Prova(int w, int h, int bit) {
  img::Immagine im;
  im.Crea(w, h, bit);
  im.Riempi(img::Bianco);
  im.Riempi(0, 0, w, 2, img::Nero);
  im.Riempi(0, h - 2, w, 2, img::Nero);
  im.Riempi(0, 0, 2, h, img::Nero);
  im.Riempi(w - 2, 0, 2, h, img::Nero);
  im.Riempi(0, 0, w / 2, h / 2, img::Nero);
  return im;
}

void Scrivi_Bmp(const img::Immagine& im, const std::string& file) {
  img::Parametri_Salvataggio p;
  p.opzioni = "EXTENSION = BMP";
  ASSERT_TRUE(img::Salva(im, file, p)) << file;
}


std::string Tiffinfo(const std::string& file) { return Comando("tiffinfo '" + file + "' 2>&1"); }

bool Pngcheck(const std::string& file) {
  const std::string r = Comando("pngcheck -q '" + file + "' >/dev/null 2>&1 && echo OK");
  return r == "OK";
}

std::string Zbar(const std::string& file) {
  return Comando("zbarimg -q -Sean2.enable -Sean5.enable -Supca.enable -Supce.enable '" + file + "' 2>/dev/null");
}

void Rendi(const img::Immagine& im, const std::string& nome) {
  std::error_code ec;
  fs::create_directories("rese", ec);
  img::Parametri_Salvataggio p;
  p.opzioni = "EXTENSION = PNG";
  EXPECT_TRUE(img::Salva(im, fs::path("rese") / (nome + ".png"), p)) << nome;
}

}  // namespace qod::prova
