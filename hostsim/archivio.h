// The archive store as the records that read it see it. The archive module
// (modulo_archivio.cpp) owns the store and settles its folder; README.md
// describes the layout.
#pragma once

#include <string>
#include <vector>

namespace hostsim {

// Set by the archive module once its folder is known.
void Archivio_Cartella_Imposta(const std::string& cartella);
const std::string& Archivio_Cartella();

// The ids of the complete documents (state "chiuso"), in id order.
std::vector<std::string> Archivio_Documenti();

// The folder of document `id` when it is complete, else empty.
std::string Archivio_Documento(const std::string& id);

// The index record of document `id` as the store hands it to the archive
// viewer: the stored record (Windows-1252) with the id in columns 2-11.
// Empty when `id` names no complete document.
std::string Archivio_Indice(const std::string& id);

}  // namespace hostsim
