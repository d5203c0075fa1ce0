// Small helpers shared by the test programs: running an outside checker
// (tiffinfo, pngcheck, zbarimg, qpdf ...) and reading files whole.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qod::prova {

// Runs `comando` through the shell (test oracles only, never product code)
// and gives its exit status (-1 when it did not run normally); its standard
// output, as it stands, goes to `uscita` when given.
int Esegui(const std::string& comando, std::string* uscita = nullptr);

// The standard output of `comando` without its trailing line ends, or a
// marked text when it could not be started.
std::string Comando(const std::string& comando);

// The bytes of a file ("" when it cannot be read), and a file written whole.
std::string File_Leggi(const std::filesystem::path& file);
bool File_Scrivi(const std::filesystem::path& file, std::string_view dati);

}  // namespace qod::prova
