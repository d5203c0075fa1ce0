#include "qod/record/file_pagina.h"

#include "qod/basic.h"

namespace qod {

namespace {
std::string Nome_Slot(const std::string& tmps, int32_t indice) { return tmps + Format(indice, "00000"); }
}  // namespace

std::string File_Testo(const std::string& tmps, int32_t indice, int32_t pagina) {
  return Nome_Slot(tmps, indice) + "_S_" + Format(pagina, "00000") + ".TXT";
}

std::string File_Comandi(const std::string& tmps, int32_t indice, int32_t pagina) {
  return Nome_Slot(tmps, indice) + "_C_" + Format(pagina, "00000") + ".TXT";
}

std::string File_Immagine(const std::string& tmps, int32_t indice, int32_t copia, int32_t pagina,
                          std::string_view estensione) {
  return Nome_Slot(tmps, indice) + "_I_" + Format(copia, "00000") + "_" + Format(pagina, "00000") +
         std::string(estensione);
}

std::string Estensione_Tipo(std::string_view tipo) {
  if (tipo == "0" || tipo == "1" || tipo == "2" || tipo == "A") return ".TIF";
  if (tipo == "3" || tipo == "4") return ".BMP";
  if (tipo == "5" || tipo == "6") return ".JPG";
  if (tipo == "7" || tipo == "8" || tipo == "9") return ".PNG";
  return "";
}

}  // namespace qod
