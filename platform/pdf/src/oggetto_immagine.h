// What every image object the core writes shares: the head of its
// dictionary (type, name, size), the dictionary's end with the length of the
// stream that follows, and the stream's end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "qod/pdf/documento.h"

namespace qod::pdf {

// Begins the image object `nome`, `larghezza` by `altezza` pixels, its
// dictionary open; its number.
inline int32_t Immagine_Inizia(Documento_Pdf& d, std::string_view nome, uint32_t larghezza, uint32_t altezza) {
  const int32_t n = d.Inizia_Oggetto();
  d.Riga("<<");
  d.Riga("/Type /XObject");
  d.Riga("/Subtype /Image");
  d.Riga("/Name /" + std::string(nome));
  d.Riga("/Width " + std::to_string(larghezza));
  d.Riga("/Height " + std::to_string(altezza));
  return n;
}

// Closes the dictionary with the length of the stream, which begins.
inline void Flusso_Inizia(Documento_Pdf& d, uint64_t lunghezza) {
  d.Riga("/Length " + std::to_string(lunghezza));
  d.Riga(">>");
  d.Riga("stream");
}

// Ends the stream and its object.
inline void Flusso_Chiudi(Documento_Pdf& d) {
  d.Byte("\r", 1);
  d.Riga("endstream");
  d.Fine_Oggetto();
}

}  // namespace qod::pdf
