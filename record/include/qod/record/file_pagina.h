// The page files of one server slot or viewer instance in its temporary
// folder: page text ("_S_"), tag commands ("_C_") and page images ("_I_"),
// named by the five-digit slot or instance, copy and page numbers, and the
// image file extension of an image type.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qod {

// The page files of slot `indice` (5 digits) in folder `tmps` (with its
// trailing "/"): page text, tag commands and page images.
std::string File_Testo(const std::string& tmps, int32_t indice, int32_t pagina);
std::string File_Comandi(const std::string& tmps, int32_t indice, int32_t pagina);
std::string File_Immagine(const std::string& tmps, int32_t indice, int32_t copia, int32_t pagina,
                          std::string_view estensione);

// The image file extension of an image type (one base-36 digit): ".TIF",
// ".BMP", ".JPG", ".PNG", or "" for any other character.
std::string Estensione_Tipo(std::string_view tipo);

}  // namespace qod
