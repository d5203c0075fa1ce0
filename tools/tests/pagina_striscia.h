// A page image drawn by the page generator with a given font strip: the
// font editor's tests look at what a strip puts on a page.
#pragma once

#include <string>
#include <vector>

#include "qod/imagegen/qod_img.h"
#include "qod/imaging/file.h"
#include "qod/prova/strumenti.h"

namespace qod::prova {

// The lines of text drawn with the strip's cells (w x h) from (left, top) on
// a white 1-bit PNG page of `colonne` x `righe` cells, saved as `uscita`;
// the image, empty (with the generator's status in `stato`) when it failed.
inline img::Immagine Pagina_Striscia(const std::string& striscia, const std::vector<std::string>& righe, int w, int h,
                                     const std::string& uscita, std::string* stato = nullptr) {
  const int colonne = 40, n_righe = static_cast<int>(righe.size()) + 1, left = 10, top = 10;
  std::string testo;
  for (const auto& r : righe) testo += r + "\r\n";
  const std::string file_testo = uscita + ".txt";
  File_Scrivi(file_testo, testo);
  Qod_IMG g;
  g.qodimg_Out_File = uscita;
  g.qodimg_Out_Width = 2 * left + colonne * w;
  g.qodimg_Out_Height = 2 * top + n_righe * h;
  g.qodimg_Out_BkColor = 0xFFFFFF;
  g.qodimg_Out_Save = 7;
  g.qodimg_Out_ResX = g.qodimg_Out_ResY = 200;
  g.qodimg_Out_ZoomX = g.qodimg_Out_ZoomY = 1;
  g.qodimg_Txt_Orie = 1;
  g.qodimg_Txt_File = file_testo;
  g.qodimg_Txt_Col_Dim = static_cast<int16_t>(w);
  g.qodimg_Txt_Row_Dim = static_cast<int16_t>(h);
  g.qodimg_Txt_Left = left;
  g.qodimg_Txt_Top = top;
  g.qodimg_Txt_Cols = colonne;
  g.qodimg_Txt_Rows = static_cast<int16_t>(n_righe);
  g.qodimg_Fnt_File = striscia;
  g.qodimg_Elabora(true);
  img::Immagine im;
  if (stato) *stato = g.qodimg_Status;
  if (g.qodimg_Error || !img::Carica(uscita, im)) im.Svuota();
  return im;
}

}  // namespace qod::prova
