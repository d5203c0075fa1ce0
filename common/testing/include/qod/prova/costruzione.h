// The build folder a test program runs from, found at run time from the
// program's own path, so that a copied build folder runs on its own: the
// programs built beside the tests, the screenshots and the scratch folders.
#pragma once

#include <filesystem>
#include <string>

namespace qod::prova {

// The folder of the running program (its own path, /proc/self/exe).
const std::filesystem::path& Cartella_Eseguibile();

// The root of the build folder: the nearest folder at or above the running
// program's that holds CMakeCache.txt (the program's own folder when none does).
const std::filesystem::path& Cartella_Build();

// A program of this build, named by its path under the build root
// ("hostsim/qod_hostsim").
std::string Programma_Build(const std::string& relativo);

// Pictures for a person to look at: `nome` ("schermate" for the screenshots)
// beside the running program, made when missing.
std::filesystem::path Cartella_Immagini(const std::string& nome = "schermate");

// Where the tests' scratch folders go: "tmp" beside the running program,
// made when missing.
std::filesystem::path Cartella_Temporanea();

}  // namespace qod::prova
