#include "qod/client/collegamento_client.h"

#include "qod/basic.h"
#include "qod/client/istanze.h"

namespace qod {

namespace {
constexpr int kCorpo_Tabella = 22;  // "CR", the number, blanks
}

Dati_Accesso Accesso_Decodifica(const std::string& corpo) {
  Dati_Accesso a;
  for (int k = 1; k <= 77; ++k) a.Ordine_Dati[static_cast<size_t>(k)] = static_cast<int32_t>(Val(Mid(corpo, 53 + 2 * k, 2)));
  a.Campo_Brv_Tipo = static_cast<int32_t>(Val(Mid(corpo, 209, 2)));
  a.Campo_Brv_Codice = static_cast<int32_t>(Val(Mid(corpo, 211, 2)));
  a.Modello_Brv_Riferimento = Trim(Mid(corpo, 213, 30));
  return a;
}

static Effetti_Collegamento Effetti_Client() {
  Effetti_Collegamento e;
  e.Titolo_Errore = kTitolo_Errore_Client;
  return e;
}

// The viewer pauses after its tenth failed attempt as after the others.
static Attese_Collegamento Attese_Client(Attese_Collegamento a) {
  a.pausa_dopo_ultimo = true;
  return a;
}

Collegamento_Client::Collegamento_Client(const Base_Programma& programma, Dati_Collegamento& dati, Trasporto& trasporto,
                                         int istanza, Attese_Collegamento attese)
    : programma_(programma),
      trasporto_(trasporto),
      host_(programma, dati, trasporto, Effetti_Client(), Attese_Client(std::move(attese))) {
  dati.Titolo_Login = kTitolo_Viewer + Format(istanza, "#0");
}

bool Collegamento_Client::Host_Collega(const Pump& pompa) {
  if (host_.Host_Collega(pompa)) {
    accesso_ = Accesso_Decodifica(host_.Corpo_Accesso);
    return true;
  }
  if (!host_.Accesso_Rifiutato)
    programma_.Messaggi().MsgBox("Connessione al server non riuscita", vbCritical, kTitolo_Errore_Client);
  return false;
}

Esito_Definizione Definizione_Leggi(Trasporto& trasporto, int numero, std::string& testo) {
  testo.clear();
  const std::string corpo = "CR" + Format(numero, "00");
  // A body the record buffer cannot take is no definition: it is dropped,
  // so that the next request does not take it for its answer.
  const Risposta_Host r =
      Scambio_Host(trasporto, {}, {'T', corpo, kCorpo_Tabella}, {.Fuori = Fuori_Misura::Scartato});
  if (r.Guasto() != Passo_Scambio::Nessuno) return Esito_Definizione::Fallita;
  if (!r.Accettata() || r.Scartato()) return Esito_Definizione::Rifiutata;
  testo = r.Testo(1, r.Lunghezza());
  return Esito_Definizione::Letta;
}

std::vector<Voce_Ricerca> Collegamento_Client::Ricerche_Elenca() {
  std::vector<Voce_Ricerca> elenco;
  for (int n = 1; n <= kRicerche_Massime; ++n) {
    std::string testo;
    const Esito_Definizione e = Definizione_Leggi(trasporto_, n, testo);
    if (e == Esito_Definizione::Fallita) break;
    if (e == Esito_Definizione::Rifiutata || Mid(testo, 1, 1) == "A") continue;
    elenco.push_back({n, Trim(Mid(testo, 24, 20)), testo});
  }
  return elenco;
}

}  // namespace qod
