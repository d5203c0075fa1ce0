// Writing a file under a temporary name beside it, which takes the file's
// name only once complete: a write that fails or is cut short (a full disk,
// a stop) never leaves a cut file under that name, and the old file stays
// whole until the new one replaces it in one step. Each caller names its
// temporary file by its own rule ("<name>.~tmp", "<name>#", a hidden name).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qod {

// How File_Scrivi_Atomico writes the temporary file.
struct Opzioni_Scrittura {
  unsigned modo = 0666;            // a new file's permissions, less the process's mask
  bool permessi_del_file = false;  // a file written again keeps its own permissions
  bool su_disco = false;           // flushed to the disk (fsync) before the rename
};

// The last step of such a write: the finished temporary file `temporaneo`
// takes the name `destinazione`, replacing the file there. When the rename
// fails the temporary file goes (unless `tieni_se_fallisce`) and `errore`
// gets the system's reason.
bool Temporaneo_Rinomina(const std::filesystem::path& temporaneo, const std::filesystem::path& destinazione,
                         std::string* errore = nullptr, bool tieni_se_fallisce = false);

// `contenuto` written whole under `temporaneo`, then renamed over
// `destinazione`. On any failure the temporary file goes, the file stays as
// it was and `errore` gets the system's reason.
bool File_Scrivi_Atomico(const std::filesystem::path& destinazione, const std::filesystem::path& temporaneo,
                         std::string_view contenuto, const Opzioni_Scrittura& opzioni = {},
                         std::string* errore = nullptr);

}  // namespace qod
