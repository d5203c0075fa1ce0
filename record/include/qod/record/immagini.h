// The page image generator as the rendering stage drives it: the per-file
// members are set once from the attribute record, then one call per page
// and copy names the page's text, command and output files. The adapter
// `Generatore_Qod_IMG<G>` maps this onto any class with the image
// generator's public members (`qodimg_*`) and `qodimg_Elabora(bool)`.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "qod/basic.h"
#include "qod/record/attributi.h"

namespace qod {

// The files of one page image to make.
struct Pagina_Immagine {
  std::string Txt_File, Cmd_File, Out_File, Im2_File;
  int32_t Cmd_CPY = 0;
  bool inizializza = false;
};

class Generatore_Immagini {
 public:
  virtual ~Generatore_Immagini() = default;
  // The members that stay the same for every page of a spool file.
  // `fnt` and `lgo` are the font and overlay folders (with their "/").
  virtual void Imposta(const Attributi_Spool& a, const std::string& fnt, const std::string& lgo) = 0;
  // One page image; `Errore` and `Stato` then tell how it went.
  virtual void Elabora(const Pagina_Immagine& pagina) = 0;
  virtual bool Errore() const = 0;
  virtual std::string Stato() const = 0;
};

// The image generator's members set from the attribute record, in the
// order the generator's host sets them.
template <class G>
void Qod_IMG_Imposta(G& g, const Attributi_Spool& a, const std::string& fnt, const std::string& lgo) {
  g.qodimg_Txt_Cols = a.Txt_Cols;
  g.qodimg_Txt_Rows = a.Txt_Rows;
  g.qodimg_Txt_Left = a.Txt_Left;
  g.qodimg_Txt_Top = a.Txt_Top;
  g.qodimg_Txt_Col_Dim = a.Txt_Col_Dim;
  g.qodimg_Txt_Row_Dim = a.Txt_Row_Dim;
  g.qodimg_Txt_Orie = a.Txt_Orie;
  g.qodimg_Fnt_File = fnt + a.Fnt_File;
  g.qodimg_Fnt_Width = a.Fnt_Width;
  g.qodimg_Fnt_Height = a.Fnt_Height;
  g.qodimg_Fnt_Left = a.Fnt_Left;
  g.qodimg_Fnt_Top = a.Fnt_Top;
  g.qodimg_Fnt_Mode = a.Fnt_Mode;
  g.qodimg_Im1_File = Trim(a.Im1_File).empty() ? std::string() : lgo + a.Im1_File;
  g.qodimg_Im1_Width = a.Im1_Width;
  g.qodimg_Im1_Height = a.Im1_Height;
  g.qodimg_Im1_Left = a.Im1_Left;
  g.qodimg_Im1_Top = a.Im1_Top;
  g.qodimg_Im1_Src_Left = a.Im1_Src_Left;
  g.qodimg_Im1_Src_Top = a.Im1_Src_Top;
  g.qodimg_Im1_Mode = a.Im1_Mode;
  g.qodimg_Im1_ZoomX = a.Im1_ZoomX;
  g.qodimg_Im1_ZoomY = a.Im1_ZoomY;
  g.qodimg_Im1_Pos = 0;
  g.qodimg_Im2_File = std::string();
  g.qodimg_Im2_Width = a.Im2_Width;
  g.qodimg_Im2_Height = a.Im2_Height;
  g.qodimg_Im2_Left = a.Im2_Left;
  g.qodimg_Im2_Top = a.Im2_Top;
  g.qodimg_Im2_Src_Left = a.Im2_Src_Left;
  g.qodimg_Im2_Src_Top = a.Im2_Src_Top;
  g.qodimg_Im2_Mode = a.Im2_Mode;
  g.qodimg_Im2_ZoomX = a.Im2_ZoomX;
  g.qodimg_Im2_ZoomY = a.Im2_ZoomY;
  g.qodimg_Im2_Pos = 0;
  g.qodimg_Out_Width = a.Out_Width;
  g.qodimg_Out_Height = a.Out_Height;
  g.qodimg_Out_Save = Cifra_Base36(a.Tipo_Immagine);
  auto rgb = [](int32_t v) { return std::clamp<int32_t>(v, 0, 255); };
  g.qodimg_Out_BkColor = rgb(a.Sfondo_R) + rgb(a.Sfondo_G) * 256 + rgb(a.Sfondo_B) * 65536;
  g.qodimg_Out_ResX = a.Out_ResX;
  g.qodimg_Out_ResY = a.Out_ResY;
  g.qodimg_JPG_Otti = a.JPG_Otti == "S";
  g.qodimg_JPG_Qual = a.JPG_Qual;
  g.qodimg_JPG_Atte = a.JPG_Atte;
  g.qodimg_Rows_Strip = a.Rows_Strip;
  g.qodimg_TIF_MultiP = a.TIF_MultiP == "S";
  g.qodimg_Out_ZoomX = a.Out_ZoomX;
  g.qodimg_Out_ZoomY = a.Out_ZoomY;
}

template <class G>
class Generatore_Qod_IMG : public Generatore_Immagini {
 public:
  explicit Generatore_Qod_IMG(G& g) : g_(g) {}
  void Imposta(const Attributi_Spool& a, const std::string& fnt, const std::string& lgo) override {
    Qod_IMG_Imposta(g_, a, fnt, lgo);
  }
  void Elabora(const Pagina_Immagine& p) override {
    g_.qodimg_Im2_File = p.Im2_File;
    g_.qodimg_Cmd_CPY = p.Cmd_CPY;
    g_.qodimg_Txt_File = p.Txt_File;
    g_.qodimg_Cmd_File = p.Cmd_File;
    g_.qodimg_Out_File = p.Out_File;
    bool inizializza = p.inizializza;
    g_.qodimg_Elabora(inizializza);
  }
  bool Errore() const override { return g_.qodimg_Error; }
  std::string Stato() const override { return g_.qodimg_Status; }

 private:
  G& g_;
};

}  // namespace qod
