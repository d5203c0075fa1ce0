// The documents of the pages rendered, as the per-document outputs (PDF,
// mail list, XML, images to a folder) see them, and the field values those
// outputs take from the mail and XML groups: template expansion and
// compaction, the mail counters, template lines filled with XML field values
// and the names of the image copies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qod/server/base_server.h"
#include "qod/record/definizioni.h"
#include "qod/server/pagine.h"

namespace qod {

// One page rendered, in order.
struct Pagina_Resa {
  int32_t Pagina = 0;   // page number in the spool file
  int32_t Indice = 0;   // 1.. in the order rendered
  int32_t Numero = 0;   // page number within its document, from 1
  bool Inizio = false;  // starts a document
  bool Fine = false;    // ends a document
};

// The `quante` pages rendered from page `prima` on. A page starts a document
// when the layout says so (`Pagina_Documento` 1), and the first page rendered
// always starts one, so that a range beginning inside a document still gives
// whole documents numbered from their first page rendered. A page the tables
// do not know starts a document of its own.
std::vector<Pagina_Resa> Pagine_Rese(const Tabelle_Pagine& tabelle, int32_t prima, int32_t quante);

// A group value expanded as a file-name template (with `pulisci`, the
// characters not allowed in file names become "_"; blanks stay blanks),
// then compacted field by field by the group's compaction kinds.
std::string Gruppo_Espandi(Server_Base& base, std::string valore, const Gruppo_Campi& gruppo, bool pulisci);

// The group value of one page; empty when the tables have none.
std::string& Valore_Gruppo(Tabelle_Pagine& tabelle, int gruppo, int32_t pagina);

// The mail case: sets the document and page counters of the templates and
// expands and compacts, in place, groups 1 and 4 of the first page rendered
// and groups 2 and 3 of every page rendered.
void Spool_Campi(Server_Base& base, Tabelle_Pagine& tabelle, const Gruppi_Campi& gruppi,
                 const std::vector<Pagina_Resa>& pagine);

// The XML case, groups 1-3 of a document's first page: expanded (without
// cleaning) and compacted in place, once per document.
void Gruppi_Percorsi_Espandi(Server_Base& base, Tabelle_Pagine& tabelle, const Gruppi_Campi& gruppi, int32_t pagina);

// The values of the XML fields (group 6) of one document, one per field.
// The group value keeps its fixed width while it is expanded and while the
// fields of line 0 (those that are not constants) are cut from the host's
// reply text; then each field is cut at its own offsets and expanded and
// compacted alone, so that a field that loses characters cannot shift the
// others. Values are cleaned as file names are ("<", ">" and double quotes
// become "_"), and an "&" that does not start an entity becomes "&amp;", so
// that the values can stand in XML text.
std::vector<std::string> Campi_XML(Server_Base& base, std::string valore, const Gruppo_Campi& gruppo,
                                   std::string_view risposta);

// "&" that does not start "&name;" or "&#n;" becomes "&amp;".
std::string Ampersand_Proteggi(std::string_view testo);

// One template line with the names of the fields replaced by their values:
// field by field in order, the first occurrence of its name (exact case) is
// replaced, so a value that holds a later field's name gets it replaced too.
// Fields with an empty name are passed over.
std::string Modello_Riga(std::string riga, const Gruppo_Campi& gruppo, const std::vector<std::string>& valori);

// The name of a document in file names: its key expanded as a template with
// the characters not allowed in file names made "_" and the blanks removed.
std::string Nome_Documento(Server_Base& base, const std::string& chiave);

// "cartella\nome" for a folder written without its trailing separator.
std::string Nome_In_Cartella(const std::string& cartella, const std::string& nome);

}  // namespace qod
