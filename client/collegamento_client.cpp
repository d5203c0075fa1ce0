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

Collegamento_Client::Collegamento_Client(const Base_Programma& programma, Dati_Collegamento& dati,
                                         Trasporto& trasporto, int istanza, Attese_Collegamento attese)
    : programma_(programma), trasporto_(trasporto), host_(programma, dati, trasporto, Effetti_Client(), std::move(attese)) {
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

std::vector<Voce_Ricerca> Collegamento_Client::Ricerche_Elenca() {
  std::vector<Voce_Ricerca> elenco;
  for (int n = 1; n <= kRicerche_Massime; ++n) {
    Intestazione_Risposta r;
    if (!trasporto_.Richiesta(kSlot_Host, 'T', "CR" + Format(n, "00"), r, kCorpo_Tabella)) break;
    if (!r.Accettata()) {
      if (!trasporto_.Corpo_Scarta(kSlot_Host, r.Lunghezza)) break;
      continue;
    }
    if (!trasporto_.Sock_Read(kSlot_Host, r.Lunghezza)) break;
    const std::string testo = r.Lunghezza > 0 ? trasporto_.Sock_Field("A", 1, r.Lunghezza) : std::string();
    if (Mid(testo, 1, 1) == "A") continue;
    elenco.push_back({n, Trim(Mid(testo, 24, 20)), testo});
  }
  return elenco;
}

}  // namespace qod
