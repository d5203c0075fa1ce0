// PNG and TIFF page images: the writing core's image objects, registered
// under their names for the pages.
#include "qod/pdf/immagini.h"
#include "qod/pdf/x_pdf.h"
#include "qod/winpath.h"

namespace qod::pdf {

bool X_PDF::LoadImgFromPNGFile(std::string_view Name, std::string_view FileName) {
  Richiedi_Caricamento("LoadImgFromPNGFile");
  const int32_t n = Scrivi_Png(*file_, Name, Percorso_Fs(FileName));
  if (n == 0) return false;
  Registra_Immagine(Name, n);
  return true;
}

bool X_PDF::LoadImgFromTIFFile(std::string_view Name, std::string_view FileName) {
  Richiedi_Caricamento("LoadImgFromTIFFile");
  const int32_t n = Scrivi_Tiff(*file_, Name, Percorso_Fs(FileName));
  if (n == 0) return false;
  Registra_Immagine(Name, n);
  return true;
}

}  // namespace qod::pdf
