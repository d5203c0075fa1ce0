// One archived document fetched from the host and handed to the viewer.
//
// The document's index record ("K") fills the data grid; its pages come in
// chunks ("R"), each page into its own file in the viewer's temporary
// folder, named by the instance number:
//   nnnnn_I_00001_ppppp.ext  a page image (as archived, or rendered here)
//   nnnnn_S_ppppp.TXT        the text of a page of a text document
//   nnnnn_C_ppppp.TXT        its tag commands (empty when it has none)
// A text document also brings the attribute record its spool file had when
// it was archived (958, 998 or 1118 bytes); its page image values set the
// image generator, which renders every page as the server did.
//
// A fetch stops at its first transfer failure with one message: the stream
// is then out of step and the connection closed by the transport. A page
// over the page limits (a host that never stops sending chunks) ends the
// fetch with an error too. After any failure what arrived may still be
// shown, but the document is neither printed nor offered for print set-up.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qod/client/collegamento_client.h"
#include "qod/client/trasporto_client.h"
#include "qod/host/scambio.h"
#include "qod/record/attributi.h"
#include "qod/record/immagini.h"
#include "qod/ui.h"

namespace qod {

// The fax values the viewer hands to the fax program with the pages.
struct Valori_Fax {
  std::string Tipo, Codice, Riferimento;
};

// The window side of a document's presentation; the viewer window fills it
// in. Every call comes on the caller's thread.
class Vista_Documento {
 public:
  virtual ~Vista_Documento() = default;
  // True at the start of a fetch (hourglass, window disabled), false at its
  // end (default pointer, window enabled); pending messages run after each.
  virtual void Occupato(bool occupato) { (void)occupato; }
  // Column 1 of the data grid, one value per dictionary row (row r - 1 for
  // r = 1..Campi_Numero): all empty at the start, then the document's.
  virtual void Dati_Mostra(const std::vector<std::string>& valori) { (void)valori; }
  // A message box centred on the window, "OK" only.
  virtual void Messaggio_Mostra(const std::string& testo) = 0;
  // "Visualizza": the fax values, then the first page shown on the
  // document tab.
  virtual void Immagine_Carica(const std::string& primo_file, const Valori_Fax& fax) = 0;
  // "Stampa": prints the document with the kept settings; the pages must
  // have been read when it returns (the next fetch deletes them).
  virtual void Immagine_Stampa(const std::string& primo_file) = 0;
  // "Set_Stampa": the print dialog over the document.
  virtual void Immagine_Set_Stampa(const std::string& primo_file) = 0;
};

// The viewer's folders, each with its trailing "/".
struct Cartelle_Client {
  std::string TmpC, Fnt, Lgo;
};

// The most bytes one page may bring, and the most chunks (a host that keeps
// sending small chunks would take hours to reach the byte limit).
inline constexpr int64_t kLimite_Pagina = int64_t{64} << 20;
inline constexpr int32_t kLimite_Pezzi = 65536;

// What a fetch did.
struct Esito_Presenta {
  bool ok = false;         // the index record was read
  bool completo = false;   // every page arrived (and, for text, was rendered)
  int32_t Pagine = 0;      // the page count of the index record
  std::string Tipo;        // "T" text, else the image type of the pages
  std::string Estensione;  // of the page image files
  std::string Primo_File;  // the first page image, what the viewer is given
};

class Presenta_Client {
 public:
  // `generatore` renders the pages of text documents (none: a text
  // document's pages are fetched but not rendered, and that is reported).
  Presenta_Client(Trasporto_Client& trasporto, const Dizionario_Campi& dizionario, const Dati_Accesso& accesso,
                  Cartelle_Client cartelle, int32_t istanza, Generatore_Immagini* generatore, Pump pompa = {});

  // Fetches the document `chiave` and, by `modo` ("Visualizza", "Stampa",
  // "Set_Stampa", anything else: nothing), shows it, prints it or opens
  // the print set-up over it.
  Esito_Presenta Spool_Presenta(std::string_view chiave, std::string_view modo, Vista_Documento& vista);

  void Imposta_Limite_Pagina(int64_t byte, int32_t pezzi = kLimite_Pezzi) {
    limite_ = byte;
    limite_pezzi_ = pezzi;
  }

  // The page image values of the last text document's attribute record.
  const Attributi_Spool& Layout() const { return layout_; }

 private:
  bool Indice_Leggi(std::string_view chiave, Esito_Presenta& e, std::vector<std::string>& celle,
                    Vista_Documento& vista);
  bool Immagini_Scarica(std::string_view chiave, Esito_Presenta& e, Vista_Documento& vista);
  bool Testo_Scarica(std::string_view chiave, Esito_Presenta& e, Vista_Documento& vista);
  // The chunks of one page, in order, to `scrivi`; false after a message.
  // `passo` is the step number of the header failure (that of the chunk
  // failure follows it).
  bool Pagina_Scarica(std::string_view chiave, char tipo, int32_t pagina, int passo,
                      const std::function<bool(std::string_view)>& scrivi, Vista_Documento& vista);
  // One request whose reply carries a record: nothing after the message of
  // the failed step (`passo` the header's, `passo` + 1 the body's) or of a
  // refusal.
  std::optional<Risposta_Host> Record_Leggi(char lettera, const std::string& corpo, int passo, Vista_Documento& vista);
  void File_Cancella() const;
  std::string Nome(const char* genere, int32_t pagina, std::string_view estensione = ".TXT") const;

  Trasporto_Client& t_;
  const Dizionario_Campi& dizionario_;
  const Dati_Accesso& accesso_;
  Cartelle_Client cartelle_;
  int32_t istanza_;
  Generatore_Immagini* generatore_;
  Pump pompa_;
  int64_t limite_ = kLimite_Pagina;
  int32_t limite_pezzi_ = kLimite_Pezzi;
  Attributi_Spool layout_;
};

// The fax values of a document: type and code from the rows whose field is
// `Campo_Brv_Tipo` and `Campo_Brv_Codice`, the reference template with every
// "&NN" replaced by the row of field NN; `celle` are the data grid's
// formatted values (row r - 1), trailing blanks dropped.
Valori_Fax Fax_Valori(const Dati_Accesso& accesso, int32_t campi, const std::vector<std::string>& celle);

// Renders pages 1..`pagine` of a text document from its page files in
// `cartelle.TmpC` with the generator set from `layout`: the tag language
// starts anew at page 1 only. Returns the statuses of the pages that
// failed, "Pagina N: status" each; empty when all were made.
std::vector<std::string> Pagine_Genera(Generatore_Immagini& generatore, const Attributi_Spool& layout,
                                       const Cartelle_Client& cartelle, int32_t istanza, int32_t pagine,
                                       const Pump& pompa = {});

}  // namespace qod
