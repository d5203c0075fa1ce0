// What the viewer's file actions decide without a window: the save dialog's
// request and the user's choice, the eleven save entries with their
// conversions and option lines, the write-back of a turned page, and the
// file operations that must fail rather than overwrite (a read-only page
// file, a name taken while pages are renumbered).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "qod/imaging/file.h"
#include "qod/imaging/immagine.h"

namespace qod::imv {

// ---- The save dialog ----------------------------------------------------------------

// What the save dialog is asked: the filter is "entry|pattern|entry|pattern..."
// and `voce` the entry selected at the start (from 1); `flags` 2 asks before
// overwriting an existing file, 4 hides the read-only box.
struct Richiesta_Salva {
  std::string titolo, cartella, nome, estensione, filtro;
  int voce = 1;
  int flags = 0;
};

// The user's answer: the file chosen and the entry (from 1) of the filter.
struct Scelta_Salva {
  std::string file;
  int voce = 0;
};

// The save dialog; nothing when the user cancels.
class Dialogo_Salva {
 public:
  virtual ~Dialogo_Salva() = default;
  virtual std::optional<Scelta_Salva> Salva(const Richiesta_Salva& richiesta) = 0;
};

// ---- Save as ------------------------------------------------------------------------

// The extension of a file name: the characters after the last "." of its
// name, trimmed, in upper case; "TIF" when the name has no ".".
std::string Estensione_Salva(std::string_view file);

// The filter of the save dialog for a page shown from a file with extension `ext`.
std::string Filtro_Salva(std::string_view ext);

// The name proposed for page index `pagina`: "P" and five digits.
std::string Nome_Proposto(long pagina);

// How an entry brings the page to the colours of its format.
enum class Conversione { Bianco_Nero, Grigio, Colore };

struct Voce_Salva {
  Conversione conversione;
  img::Parametri_Salvataggio parametri;
};

// Entries 2 to 11 of the filter for a page of xres x yres dots per inch;
// nothing for entry 1 (the file is copied) and any other index.
std::optional<Voce_Salva> Voce_Salvataggio(int voce, int xres, int yres);

// Brings an image to the colours of a conversion: black and white (two
// colours), 16 grey levels, or 24-bit colour.
bool Converti(img::Immagine& im, Conversione c);

// The save settings that write a turned page back to its own file, chosen
// by the name's last four characters (any case): a two-colour ".TIF" page
// as a CCITT group 3 fax page of its own resolution, other ".TIF" pages,
// ".BMP", ".JPG" and ".PNG" by their format; nothing for any other ending.
std::optional<img::Parametri_Salvataggio> Parametri_Riscrittura(std::string_view file, int64_t colori, int xres,
                                                                int yres);

// ---- Files --------------------------------------------------------------------------

// Whether two names reach the same file.
bool Stesso_File(const std::filesystem::path& a, const std::filesystem::path& b);

// Whether an existing file may be written or replaced: false for a
// read-only or immutable file (replacing it under a temporary name would
// otherwise go through where the file itself refuses writing).
bool File_Scrivibile(const std::filesystem::path& file);

// Renames `da` to `a` only when no file has the name `a`; false (nothing
// changed) otherwise or when the system refuses.
bool Rinomina_Libero(const std::filesystem::path& da, const std::filesystem::path& a);

}  // namespace qod::imv
