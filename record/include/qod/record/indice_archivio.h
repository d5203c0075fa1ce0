// `Indice_Archivio`: the archive index record of a document. The server
// builds it from the spool file's attributes and sends it with the
// document; the host gives it back to the archive viewer, as the rows of a
// result list and as the head of a fetched document. Columns 1-112 are its
// fixed part; from column 113 the archive data, fields of the archive
// dictionary (`Dizionario_Campi`).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "qod/record/attributi.h"
#include "qod/record/tracciato.h"

namespace qod {

struct Indice_Archivio {
  static constexpr int32_t kInizio_Dati = 113;

  std::string Marca;            // 1 A1: "U"
  std::string Chiave_Archivio;  // 2 A10: blanks as sent; the document's archive key as given back
  std::string Pagine;           // 12 S5: the document's pages, five digits
  std::string Indice_33;        // 17 A4: attribute 606
  std::string Chiave;           // 21 A40: the document key
  std::string Riservato;        // 61 S5: "00000"
  std::string Data_Ora;         // 66 A14: "yyyymmddhhnnss"
  std::string Archivio_31;      // 80 A10: attribute 31
  std::string Archivio_21;      // 90 A10: attribute 21
  std::string Utente;           // 100 A10: attribute 111
  std::string Tipo_Immagine;    // 110 A1: the pages' image type, "T" for text
  std::string Indice_127;       // 111 A1: attribute 880, "T" for text
  std::string Salva_PDF;        // 112 A1: attribute 949, "T" for text
  std::string Dati_Archivio;    // 113..: the archive data of the document's first page

  // The record of a document of `pagine` pages whose spool file has the
  // attributes `a`; `testo` when it is archived as text.
  static Indice_Archivio Da_Attributi(const Attributi_Spool& a, bool testo, int32_t pagine, const std::string& chiave,
                                      const std::string& data_ora, const std::string& dati_archivio);
  // The fixed part of a record the host sent (the archive data is read by
  // the dictionary).
  static Indice_Archivio Decodifica(const Lettore_Campi& campo);
  static std::span<const Campo_Record<Indice_Archivio>> Tracciato();

  // The record, `larghezza` characters in all: every field cut or padded to
  // its width at its columns, then the archive data.
  std::string Componi(int32_t larghezza) const;
};

}  // namespace qod
