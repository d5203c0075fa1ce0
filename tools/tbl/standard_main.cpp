// zutbl_standard: writes the table editor's standard files "ZuTBL1.TBL"
// (EBCDIC code page 280 to Windows-1252) and "ZuTBL2.TBL" (the other
// direction) into a folder, with the editor's own code; the folder's
// existing files are replaced.
//
//   zutbl_standard [FOLDER]      (default: the current folder)
#include <cstdio>
#include <string>

#include "editor_tabelle.h"
#include "qod/ansi.h"

namespace {

constexpr const char* kUso =
    "usage: zutbl_standard [FOLDER]\n"
    "  writes ZuTBL1.TBL and ZuTBL2.TBL into FOLDER (default: the current folder)\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUso, stdout);
    return 0;
  }
  // A folder whose name begins with "-" is given as "./-name".
  if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
    if (argc == 2) std::fprintf(stderr, "zutbl_standard: unknown option %s\n", argv[1]);
    std::fputs(kUso, stderr);
    return 2;
  }
  std::string cartella = argc == 2 ? argv[1] : ".";
  if (cartella.empty() || cartella.back() != '/') cartella += '/';
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
