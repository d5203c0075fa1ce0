// The saving stages that follow the page images: one PDF per document (plain,
// with a mail list and a command, or with XML output per document), and the
// copy-1 page images copied into the save folder under the document's name.
#pragma once

#include <cstdint>

#include "qod/host/trasporto.h"
#include "qod/server/uscite.h"

namespace qod {

// One PDF per document from the copy-1 page images. Attribute 640 chooses
// the use: "P" mail (PDF named by group 2 in the save folder, one list line
// per document, the group-4 command run once the list is closed), "X" XML
// (PDF at the group-3 path, then the XML output of every document), anything
// else the PDF named after the document key in the save folder.
// A failure of its own marks the spool file and the result is true; false
// only after a transfer failure of the XML data request (logged, connection
// dropped), so that the spool file ends without its done record.
class Emissione_PDF : public Fase_Uscita {
 public:
  // `canale`: the host connection's records (the XML data).
  Emissione_PDF(Servizi_Fase servizi, Trasporto& canale) : s_(std::move(servizi)), canale_(canale) {}
  bool Esegui(const Stato_Spool& stato, const Strada_Fase& strada) override;

 private:
  // The XML output of the document whose first page is `pagina`, from the
  // stage's page tables `t` and the field groups `g`.
  enum class Esito_XML { Fatto, Errore, Trasporto };
  Esito_XML Spool_XML(Tabelle_Pagine& t, const Gruppi_Campi& g, const Strada_Fase& strada, int32_t pagina);

  Servizi_Fase s_;
  Trasporto& canale_;
};

// Copies the copy-1 page images into the save folder as
// document_jjjjj.ext, j the page number within the document.
class Emissione_Immagini : public Fase_Uscita {
 public:
  explicit Emissione_Immagini(Servizi_Fase servizi) : s_(std::move(servizi)) {}
  bool Esegui(const Stato_Spool& stato, const Strada_Fase& strada) override;

 private:
  Servizi_Fase s_;
};

}  // namespace qod
