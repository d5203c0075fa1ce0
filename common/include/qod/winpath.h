// Paths. The programs build their own paths with "/"; paths that arrive as
// data (spool attributes, definitions, tags, settings) may be Windows paths.
//
// Percorso_Risolvi turns such a path into one for this system:
//  - "\" becomes "/";
//  - a drive letter "X:" is replaced by the folder named in the environment
//    variable QOD_DRIVE_X (for example QOD_DRIVE_C=/srv/c); when that is not
//    set, the letter is dropped and the path starts at "/" ("C:\Out" gives
//    "/Out");
//  - a UNC name "\\server\share\rest" becomes QOD_UNC_ROOT/server/share/rest,
//    QOD_UNC_ROOT defaulting to "/net";
//  - each component is matched case-insensitively against what exists, so
//    "\Lgo\LOGO.BMP" under the program folder finds "Lgo/logo.bmp"; a
//    component that matches nothing is kept as written (a file to create).
// Text is ANSI; the file system sees UTF-8 names (Percorso_Fs).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qod {

// Separators, drive letters and UNC names only (no look-up).
std::string Percorso_Unix(std::string_view percorso);

// Percorso_Unix and then the case-insensitive look-up of each component.
std::string Percorso_Risolvi(std::string_view percorso);

// The file-system path of an ANSI path (ANSI bytes to UTF-8).
std::filesystem::path Percorso_Fs(std::string_view percorso);

// The ANSI text of a file-system path.
std::string Percorso_Ansi(const std::filesystem::path& p);

// True when the resolved path names an existing file or folder.
bool Percorso_Esiste(std::string_view percorso);

// The folder part of a path including its trailing "/" (or "\"), "" if none.
std::string Percorso_Cartella(std::string_view percorso);

}  // namespace qod
