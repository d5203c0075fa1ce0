// PNG and TIFF page images: the writing core's image objects, registered
// under their names for the pages.
#include "qod/pdf/immagini.h"
#include "qod/pdf/x_pdf.h"
#include "qod/winpath.h"

namespace qod::pdf {

bool X_PDF::Carica_Immagine(const char* chi, std::string_view Name, std::string_view FileName,
                            int32_t (*scrivi)(Documento_Pdf&, std::string_view, const std::filesystem::path&)) {
  Richiedi_Caricamento(chi);
  const int32_t n = scrivi(*file_, Name, Percorso_Fs(FileName));
  if (n == 0) return false;
  Registra_Immagine(Name, n);
  return true;
}

bool X_PDF::LoadImgFromPNGFile(std::string_view Name, std::string_view FileName) {
  return Carica_Immagine("LoadImgFromPNGFile", Name, FileName, Scrivi_Png);
}

bool X_PDF::LoadImgFromTIFFile(std::string_view Name, std::string_view FileName) {
  return Carica_Immagine("LoadImgFromTIFFile", Name, FileName, Scrivi_Tiff);
}

}  // namespace qod::pdf
