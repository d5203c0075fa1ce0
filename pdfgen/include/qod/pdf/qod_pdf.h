// Qod_PDF: the PDF generator control. It turns a list of page image files
// (PNG or TIFF, one page each) into one PDF document, optionally with a page
// number on every page. A host sets the properties, calls qodpdf_Elabora and
// reads qodpdf_Error and qodpdf_Status; the run never throws.
//
// Lengths and positions are centimetres on an A4 page from its lower-left
// corner. Texts are Windows-1252. Paths may be Windows paths ("\" or "/"
// separators, matched case-insensitively against what exists).
#pragma once

#include <string>

#include "qod/clock.h"

namespace qod::pdf {

class Qod_PDF {
 public:
  explicit Qod_PDF(const Clock& orologio = SystemClock::Istanza()) : orologio_(orologio) {}

  std::string qodpdf_Title;    // document title
  std::string qodpdf_Autor;    // author; written only when not blank
  std::string qodpdf_Subject;  // subject; written only when not blank
  std::string qodpdf_Out;      // full path of the PDF; stored back trimmed
  std::string qodpdf_Dir;      // folder of the page images; stored back trimmed
  std::string qodpdf_Files;    // comma-separated image names inside qodpdf_Dir, in page order
  float qodpdf_Left = 0;       // x of the image's lower-left corner, -99..99
  float qodpdf_Top = 0;        // y of the image's lower-left corner, from the lower edge, -99..99
  float qodpdf_Width = 0;      // image width, -99..99; wider than high gives a landscape document
  float qodpdf_Height = 0;     // image height, -99..99
  bool qodpdf_Pag = false;     // write "pag. i / n" on every page
  float qodpdf_Pag_Left = 0;   // x where the page number ends (right-aligned), -99..99
  float qodpdf_Pag_Top = 0;    // y of the page number's baseline, -99..99
  std::string qodpdf_Status;   // message of the last run; empty when it completed
  bool qodpdf_Error = false;   // True unless the last run completed

  void qodpdf_Elabora();

 private:
  const Clock& orologio_;
};

}  // namespace qod::pdf
