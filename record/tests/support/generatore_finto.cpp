#include "generatore_finto.h"

#include "qod/prova/strumenti.h"

namespace qod::test {

void Qod_IMG_Finto::qodimg_Elabora(bool& inizializza) {
  chiamate.push_back({qodimg_Out_File, qodimg_Txt_File, qodimg_Cmd_File, qodimg_Im2_File, qodimg_Cmd_CPY, inizializza});
  qodimg_Error = !fallisce.empty() && qodimg_Out_File.find(fallisce) != std::string::npos;
  qodimg_Status = qodimg_Error ? messaggio : "";
  if (scrivi && !qodimg_Error) {
    const std::string testata = "P4\n" + std::to_string(qodimg_Out_Width) + " " + std::to_string(qodimg_Out_Height) + "\n";
    prova::File_Scrivi(qodimg_Out_File,
                       testata + std::string(static_cast<size_t>((qodimg_Out_Width + 7) / 8 * qodimg_Out_Height), '\0'));
  }
}

}  // namespace qod::test
