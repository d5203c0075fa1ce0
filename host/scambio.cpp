#include "qod/host/scambio.h"

#include <algorithm>

namespace qod {

std::string Testo_Passo(const Nome_Scambio& nome, Passo_Scambio passo) {
  std::string testo;
  if (!nome.Procedura.empty()) testo.append("[").append(nome.Procedura).append("] ");
  const std::string lettera = std::string("{") + nome.Lettera + "}";
  const int numero = passo == Passo_Scambio::Corpo ? nome.Primo + 1 : nome.Primo;
  const std::string tra_parentesi = "(" + std::to_string(nome.Numeri == Numeri_Passo::Parte ? nome.Primo : numero) + ")";
  if (passo == Passo_Scambio::Esito) {
    switch (nome.Numeri) {
      case Numeri_Passo::Parte:
        return testo + "Errore Esito " + lettera + tra_parentesi;
      case Numeri_Passo::Nessuno:
        return testo + "Errore esito " + lettera;
      case Numeri_Passo::Passo:
      case Numeri_Passo::Letture:
        break;
    }
    return testo + "Errore Esito " + lettera;
  }
  switch (nome.Numeri) {
    case Numeri_Passo::Letture:
      return testo + "Errore Sock_Read_" + std::to_string(numero) + " " + lettera + tra_parentesi;
    case Numeri_Passo::Nessuno:
      return testo + "Errore Sock_Read " + lettera;
    case Numeri_Passo::Passo:
    case Numeri_Passo::Parte:
      break;
  }
  return testo + "Errore Sock_Read " + lettera + tra_parentesi;
}

Passo_Scambio Risposta_Host::Passo() const {
  if (!letta_) return Passo_Scambio::Intestazione;
  if (Rifiutata()) return Passo_Scambio::Esito;
  if (guasto_ != Passo_Scambio::Nessuno) return guasto_;
  return scartato_ ? Passo_Scambio::Corpo : Passo_Scambio::Nessuno;
}

Risposta_Host Scambio_Host(Trasporto& t, const Nome_Scambio& nome, const Richiesta_Host& q, const Regola_Corpo& regola) {
  const bool inviata = q.Grezzi ? t.Richiesta_Grezza_Invia(kSlot_Host, q.Lettera, q.Corpo, *q.Grezzi)
                                : t.Richiesta_Invia(kSlot_Host, q.Lettera, q.Corpo, q.Larghezza);
  if (!inviata) {
    Risposta_Host r(t, nome);
    r.guasto_ = Passo_Scambio::Intestazione;
    return r;
  }
  return Risposta_Leggi(t, nome, regola);
}

Risposta_Host Risposta_Leggi(Trasporto& t, const Nome_Scambio& nome, const Regola_Corpo& regola) {
  Risposta_Host r(t, nome);
  if (!t.Intestazione_Leggi(kSlot_Host, r.testata_)) {
    r.guasto_ = Passo_Scambio::Intestazione;
    return r;
  }
  r.letta_ = true;
  const int32_t n = r.testata_.Lunghezza;
  r.fine_ = regola.Fine != 0 && r.testata_.Esito == std::string_view(&regola.Fine, 1);
  const bool record = regola.Corpo == Corpo_Atteso::Record;
  // Where a failure to drop the body counts.
  const Passo_Scambio passo_corpo = record ? Passo_Scambio::Corpo : Passo_Scambio::Intestazione;
  auto scarta = [&](int32_t quanti) {
    if (t.Corpo_Scarta(kSlot_Host, quanti)) return true;
    r.guasto_ = passo_corpo;
    return false;
  };
  auto leggi = [&](int32_t quanti) {
    if (quanti == 0) return true;
    if (!t.Sock_Read(kSlot_Host, quanti)) {
      r.guasto_ = Passo_Scambio::Corpo;
      return false;
    }
    r.letti_ = quanti;
    return true;
  };

  if (!r.testata_.Accettata()) {
    if (!r.fine_ && regola.Rifiuto_Chiude) return r;
    scarta(n);
    return r;
  }
  if (!record) {
    scarta(n);
    return r;
  }
  if (n >= regola.Minimo && n <= kBlocco_Massimo) {
    leggi(n);
    return r;
  }
  switch (regola.Fuori) {
    case Fuori_Misura::Scartato:
      if (scarta(n)) r.scartato_ = true;
      return r;
    case Fuori_Misura::Troncato:
      // The rest is dropped without touching the record buffer.
      if (n > kBlocco_Massimo && leggi(kBlocco_Massimo)) {
        scarta(n - kBlocco_Massimo);
        return r;
      }
      break;
    case Fuori_Misura::Guasto:
      break;
  }
  r.guasto_ = Passo_Scambio::Corpo;
  return r;
}

}  // namespace qod
