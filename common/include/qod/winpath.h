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
//    A name that exists as written costs no look-up; for one that does not,
//    its folder is scanned once and the index kept while the folder stays
//    unchanged. The last name of a path in a folder registered with
//    Percorso_Cartella_Propria is kept as written when it does not exist so:
//    the program makes the names there itself and needs no scan of a folder
//    that grows with every page.
// Text is ANSI; the file system sees UTF-8 names (Percorso_Fs).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace qod {

// Separators, drive letters and UNC names only (no look-up).
std::string Percorso_Unix(std::string_view percorso);

// Percorso_Unix and then the case-insensitive look-up of each component.
std::string Percorso_Risolvi(std::string_view percorso);

// Registers a folder whose file names the program makes itself.
void Percorso_Cartella_Propria(std::string_view cartella);

// How many folder scans the look-ups have made so far (for tests).
uint64_t Percorso_Scansioni();

// The file-system path of an ANSI path (ANSI bytes to UTF-8).
std::filesystem::path Percorso_Fs(std::string_view percorso);

// The ANSI text of a file-system path.
std::string Percorso_Ansi(const std::filesystem::path& p);

// True when the resolved path names an existing file or folder.
bool Percorso_Esiste(std::string_view percorso);

// What shows that a file or folder changed: the same object (device,
// inode) with the same size, modification and change time.
struct Firma_File {
  uint64_t dispositivo = 0, inode = 0;
  int64_t dimensione = 0, modifica_ns = 0, cambio_ns = 0;
  bool cartella = false;
  bool operator==(const Firma_File&) const = default;
};

// The signature of a file-system path; false when it cannot be read.
bool Firma_Leggi(const std::filesystem::path& p, Firma_File& f);

// True while the modification time is so recent that a further change
// within the same tick of the file system's clock could leave the
// signature as it is: what was read from the file then must not be kept.
bool Firma_Recente(const Firma_File& f);

// The folder part of a path including its trailing "/" (or "\"), "" if none.
std::string Percorso_Cartella(std::string_view percorso);

}  // namespace qod
