// Qod_IMG, the page image generator: one page image from a page text drawn
// with a bitmap font strip, up to two logos and a file of tag commands.
//
// A host sets the public members, calls qodimg_Elabora once per page image
// and reads qodimg_Status and qodimg_Error; nothing is thrown to the caller.
// The members keep their values from call to call, and where a call replaces
// a value (a trimmed path, a zoom of 0 that means 1, rows per strip 9999
// that mean the output height, a copy number below 0, a glyph or logo size
// of 0 that means the whole cell or image) the replacement is written back
// into the member.
//
// Between calls the generator also keeps the state of the tag language
// (reset only by a call with `inizializza` True that reads a command file)
// and the end of the text of the last page text drawn (where a logo placed
// below the text goes).
//
// Paths may be given in the Windows form ("\" separators, any case): each
// is resolved against what exists before it is used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qod/imagegen/comandi.h"
#include "qod/imaging/immagine.h"

namespace qod {

// The generator's public members, as its hosts set and read them. A stand-in
// for the generator in tests takes the same struct.
struct Membri_Qod_IMG {
  // ---- Output ------------------------------------------------------------
  std::string qodimg_Out_File;                       // output image path; trimmed
  int32_t qodimg_Out_Width = 0, qodimg_Out_Height = 0;  // output size in pixels
  double qodimg_Out_ZoomX = 0, qodimg_Out_ZoomY = 0;    // canvas-to-output zoom; 0 becomes 1
  int32_t qodimg_Out_BkColor = 0;                    // page background, RGB
  int32_t qodimg_Out_Save = 0;                       // image type code 0..10
  int32_t qodimg_Out_ResX = 0, qodimg_Out_ResY = 0;  // resolution in dpi
  bool qodimg_JPG_Otti = false;                      // JPEG optimised coding
  int32_t qodimg_JPG_Qual = 0, qodimg_JPG_Atte = 0;  // JPEG quality, smoothing
  int32_t qodimg_Rows_Strip = 0;                     // TIFF rows per strip; 9999 = the height; 0 none
  bool qodimg_TIF_MultiP = false;                    // TIFF: append the page to the file

  // ---- Tag commands ------------------------------------------------------
  std::string qodimg_Cmd_File;  // tag command file, optional; trimmed
  int32_t qodimg_Cmd_CPY = 0;   // copy being drawn; below 0 becomes 0

  // ---- Text --------------------------------------------------------------
  std::string qodimg_Txt_File;  // page text file, optional; not trimmed
  int16_t qodimg_Txt_Orie = 0;  // 0 landscape canvas turned at the end, 1 upright
  int16_t qodimg_Txt_Col_Dim = 0, qodimg_Txt_Row_Dim = 0;  // pitch in canvas pixels
  int16_t qodimg_Txt_Left = 0, qodimg_Txt_Top = 0;         // origin of column 1, row 1
  int16_t qodimg_Txt_Cols = 0, qodimg_Txt_Rows = 0;        // size of the grid

  // ---- Font strip --------------------------------------------------------
  std::string qodimg_Fnt_File;  // font strip image; trimmed
  int16_t qodimg_Fnt_Left = 0, qodimg_Fnt_Top = 0;      // glyph offset in its cell
  int16_t qodimg_Fnt_Width = 0, qodimg_Fnt_Height = 0;  // glyph size; 0 = the cell's
  int16_t qodimg_Fnt_Mode = 0;                          // 0 copy, 1 AND, 2 OR

  // ---- Logo 1 and logo 2 -------------------------------------------------
  std::string qodimg_Im1_File;
  int16_t qodimg_Im1_Left = 0, qodimg_Im1_Top = 0, qodimg_Im1_Src_Left = 0, qodimg_Im1_Src_Top = 0,
          qodimg_Im1_Width = 0, qodimg_Im1_Height = 0, qodimg_Im1_Mode = 0, qodimg_Im1_Pos = 0;
  double qodimg_Im1_ZoomX = 0, qodimg_Im1_ZoomY = 0;
  std::string qodimg_Im2_File;
  int16_t qodimg_Im2_Left = 0, qodimg_Im2_Top = 0, qodimg_Im2_Src_Left = 0, qodimg_Im2_Src_Top = 0,
          qodimg_Im2_Width = 0, qodimg_Im2_Height = 0, qodimg_Im2_Mode = 0, qodimg_Im2_Pos = 0;
  double qodimg_Im2_ZoomX = 0, qodimg_Im2_ZoomY = 0;

  // ---- Outcome -----------------------------------------------------------
  std::string qodimg_Status;  // message of the last call; empty when it succeeded
  bool qodimg_Error = false;  // True unless the last call completed

  // The control's own colour (an OLE colour); kept, never used for drawing.
  uint32_t qodimg_Color = 0x8000000F;
};

class Qod_IMG : public Membri_Qod_IMG {
 public:
  // Checks the members, composes the page, applies the tag commands (their
  // state reset first when `inizializza`), saves the image and writes its
  // resolution. The first failure ends the call with its message.
  void qodimg_Elabora(bool inizializza);

 private:
  friend struct Qod_IMG_Fasi;
  struct Motore;

  // The time spent composing and saving, for measurements (see tempi.h).
  struct Tempi {
    double componi_ms = 0, salva_ms = 0;
  };
  void Elabora(bool inizializza, Tempi* tempi);

  imagegen::Stato_Comandi stato_;  // the tag state, kept between calls
  int32_t fine_testo_ = 0;         // end of the text of the last text pass

  // What a page needs of the last one while the members and files it comes
  // from stay the same: the canvas and the image its turn or zoom is drawn
  // into (their memory), the font strip and the logos as they were read and
  // made ready. `chiave` names the file, its size and times and how the
  // image was made ready; empty when nothing is kept.
  struct Caricata {
    std::string chiave;
    img::Immagine im;
  };
  img::Immagine tela_, riserva_;
  Caricata striscia_, logo1_, logo2_;
};

}  // namespace qod
