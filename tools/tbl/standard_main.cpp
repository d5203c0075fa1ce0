// zutbl_standard: writes the table editor's standard files "ZuTBL1.TBL"
// (EBCDIC code page 280 to Windows-1252) and "ZuTBL2.TBL" (the other
// direction) into a folder, with the editor's own code; the folder's
// existing files are replaced.
//
//   zutbl_standard [FOLDER]      (default: the current folder)
#include <cstdio>
#include <string>
#include <vector>

#include "editor_tabelle.h"
#include "qod/ansi.h"
#include "qod/console.h"

namespace {

const qod::Uso_Strumento kUso{
    "zutbl_standard",
    "usage: zutbl_standard [FOLDER]\n"
    "  writes ZuTBL1.TBL and ZuTBL2.TBL into FOLDER (default: the current folder)\n"
    "  a folder that begins with \"-\" is written ./-name, a new one at the root /./name;\n"
    "  --help (also -h, /?) shows this text\n",
    {}};

}  // namespace

int main(int argc, char** argv) {
  // The whole command line is looked at before anything is written.
  std::vector<qod::Voce_Comando> voci;
  if (const auto fine = qod::Uso_Controlla(kUso, argc, argv, &voci)) return *fine;
  if (voci.size() > 1) return qod::Uso_Rifiuta(kUso, "one FOLDER only: " + voci[1].valori[0]);
  std::string cartella = voci.empty() ? "." : voci[0].valori[0];
  if (cartella.empty()) return qod::Uso_Rifiuta(kUso, "FOLDER empty");
  if (cartella.back() != '/') cartella += '/';
  qod::Editor_Tabelle editor;
  editor.Standard(qod::Utf8_A_Ansi(cartella));
  const std::string errore = editor.Salva();
  if (!errore.empty()) {
    std::fprintf(stderr, "zutbl_standard: %s\n", qod::Ansi_A_Utf8(errore).c_str());
    return 1;
  }
  std::printf("%s, %s\n", editor.File_Tabella_1.c_str(), editor.File_Tabella_2.c_str());
  return 0;
}
