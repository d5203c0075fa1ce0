// The archive query and the result list of the archive viewer.
//
// A search checks the criteria, opens the chosen definition on the host when
// it is not the open one ("O" with the two-digit number), sends the query
// ("Q") and loads the list: one "L" per row, two pages of rows per load, a
// page being as many rows as the list shows. Scrolling near the end loads the
// next two pages while the host has more.
//
// The query record body (columns of the body from 1; L = the width of all
// keys, R = the width of the index record):
//   1-8      operator of keys 1..8 (blank)
//   9-32     width of key q at 6 + 3q, "000" ("0")
//   33-56    position of key q in the key area at 30 + 3q, "000" ("0")
//   57-96    start of the key's field in the index record at 52 + 5q ("0")
//   97-99    number of keys; 100-102 L; 103-107 R
//   108..    from-values (L), then to-values (L), key q at its position
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "qod/client/ricerca.h"
#include "qod/host/collegamento.h"
#include "qod/host/scambio.h"
#include "qod/host/trasporto.h"
#include "qod/ui.h"

namespace qod {

// The text of a list cell (and of a data grid cell) for a field of type
// `tipo` holding `valore`: "A" as it stands; "N" the number with digit
// groups ("1.234.567"); "D" yyyymmdd as dd/mm/yyyy; "Z" yyyymmddhhnnss as
// "dd/mm/yyyy hh.nn.ss"; any other type empty.
std::string Cella_Testo(const std::string& tipo, const std::string& valore);

// The value of key q as the query carries it (`testo` already checked), at
// most the key's width: "A" padded or cut; "N" zero-filled digits; "D"
// yyyymmdd; "Z" yyyymmddhhnnss.
std::string Valore_Chiave(const std::string& tipo, int32_t larghezza, const std::string& testo);

// The body of the query record for the form and the dictionary.
std::string Record_Q_Corpo(const Modello_Ricerca& m, const Dizionario_Campi& d);

// One document of the list: the three hidden columns and the visible ones.
struct Riga_Elenco {
  std::string Chiave;          // document key, 10 characters
  std::string Pagine;          // page count as decoded, 5 digits
  std::string Tipo_Immagine;   // image type digit, or "T" for a text document
  std::vector<std::string> Celle;  // list column c at Celle[c - 1]
};

struct Elenco_Risultati {
  std::vector<Riga_Elenco> Righe;
  int32_t Elenco_Altezza = 0;  // height of the list when its first page was loaded
  int32_t Elenco_Pagina = 0;   // rows per page
  bool Elenco_Altre = false;   // more rows may follow
};

// What the search shows and asks of the window.
struct Effetti_Ricerca {
  std::function<void(const std::string&)> Messaggio;  // a message box centred on the window
  std::function<void(bool)> Occupato;                 // hourglass and window disabled (true) or back
  std::function<void()> Elenco_Mostra;                // list loaded: show it and give it the focus
  Pump Pompa;                                         // let pending window messages run
};

class Ricerca_Archivio {
 public:
  Ricerca_Archivio(Trasporto& trasporto, const Dizionario_Campi& dizionario, Effetti_Ricerca effetti = {});

  Modello_Ricerca& Modello() { return modello_; }
  const Modello_Ricerca& Modello() const { return modello_; }
  const Elenco_Risultati& Elenco() const { return elenco_; }

  // The list's geometry in twips: the height of the grid and of one row
  // (the header row has the same height). The page size is taken from it
  // when a new list starts.
  void Griglia_Imposta(int32_t altezza, int32_t altezza_riga) {
    altezza_griglia_ = altezza;
    altezza_riga_ = altezza_riga;
  }

  // A choice in the list of definitions: reads definition `numero` from the
  // host ("CR") and rebuilds the form from it (blanks when it could not be
  // read: no key, no column; no message).
  void Ricerche_Click(int32_t numero);

  // Checks the criteria, opens the definition when needed, sends the query
  // and loads the first two pages. False when nothing was loaded: a bad box
  // (no message), or a failed exchange (one message).
  bool Spool_Ricerca();

  // Loads two pages of rows: a new list (`inizio`) or more rows after the
  // last. A refusal ends the list silently; a failed transfer ends it with
  // "[Elenco_Carica] Errore Sock_Read {L}".
  void Elenco_Carica(bool inizio);

  // The list was scrolled so that document `prima_visibile` (from 0) is the
  // top visible row: loads more rows when fewer than two pages follow it
  // and the host has more. True when it loaded.
  bool Elenco_Scorri(int32_t prima_visibile);

  // True while an exchange runs: a second one started from a pumped window
  // message is refused, so the replies stay in step.
  bool Occupato() const { return occupato_; }

 private:
  void Messaggio(const std::string& testo) const {
    if (effetti_.Messaggio) effetti_.Messaggio(testo);
  }
  void Stato_Occupato(bool si) const {
    if (effetti_.Occupato) effetti_.Occupato(si);
  }
  // One exchange of O or Q: the request, its header, its body dropped.
  bool Scambio(char lettera, const std::string& corpo);
  // The load itself, under the caller's busy mark.
  void Carica(bool inizio);
  // The row an "L" reply carries.
  Riga_Elenco Riga_Decodifica(const Risposta_Host& risposta) const;

  Trasporto& trasporto_;
  const Dizionario_Campi& dizionario_;
  Effetti_Ricerca effetti_;
  Modello_Ricerca modello_;
  Elenco_Risultati elenco_;
  int32_t altezza_griglia_ = 0, altezza_riga_ = 0;
  bool occupato_ = false;
};

}  // namespace qod
