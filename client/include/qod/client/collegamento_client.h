// The archive viewer's connection to the host program: the shared
// connection (FTP start, ten tries, greeting, login, dictionary) with the
// viewer's login title and message title, then the values the viewer takes
// from the login reply and the list of the host's search definitions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "qod/host/collegamento.h"

namespace qod {

// What the viewer keeps of the login reply body (columns from 1).
struct Dati_Accesso {
  std::array<int32_t, 78> Ordine_Dati{};  // 1..77: field shown in row k of the data grid, 0 none
  int32_t Campo_Brv_Tipo = 0;
  int32_t Campo_Brv_Codice = 0;
  std::string Modello_Brv_Riferimento;
};

// Decodes a login reply body; a column past its end reads as empty.
Dati_Accesso Accesso_Decodifica(const std::string& corpo);

// One search definition the host offers.
struct Voce_Ricerca {
  int32_t Numero = 0;  // 1..32
  std::string Nome;    // trimmed
  std::string Testo;   // the whole definition body
};

inline constexpr int kRicerche_Massime = 32;

// How reading one search definition ended.
enum class Esito_Definizione { Letta, Rifiutata, Fallita };

// Asks the host for search definition `numero` ("CR"): Letta with the whole
// body in `testo`; Rifiutata when the host has no such definition or sends
// one longer than a record (a body it announced is dropped); Fallita when
// the transfer failed.
Esito_Definizione Definizione_Leggi(Trasporto& trasporto, int numero, std::string& testo);
inline constexpr const char* kTitolo_Viewer = "Quillon Viewer ";

class Collegamento_Client {
 public:
  // `dati.Titolo_Login` is set from `istanza` ("Quillon Viewer " & number).
  Collegamento_Client(const Base_Programma& programma, Dati_Collegamento& dati, Trasporto& trasporto,
                      int istanza, Attese_Collegamento attese = {});

  // Connects, logs in, reads the dictionary and the login values. False
  // after one message: the refusal of the login, or "Connessione al server
  // non riuscita" (ten failed tries, no login reply, a failed dictionary
  // transfer).
  bool Host_Collega(const Pump& pompa = {});
  void Host_Scollega() { host_.Host_Scollega(); }

  // Asks the host for definitions 1..32 ("CR"): a refused one is skipped,
  // a failed transfer ends the list; the ones marked "A" are not offered.
  std::vector<Voce_Ricerca> Ricerche_Elenca();

  Connessione_Host& Host() { return host_; }
  const Dizionario_Campi& Dizionario() const { return host_.Dizionario; }
  const Dati_Accesso& Accesso() const { return accesso_; }

 private:
  const Base_Programma& programma_;
  Trasporto& trasporto_;
  Connessione_Host host_;
  Dati_Accesso accesso_;
};

}  // namespace qod
