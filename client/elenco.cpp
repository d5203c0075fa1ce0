#include "qod/client/elenco.h"

#include "qod/basic.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/criteri.h"
#include "qod/occupato.h"
#include "qod/record/indice_archivio.h"

namespace qod {

namespace {

constexpr int kTestata_Q = 107;  // the body of the query before the key values

}  // namespace

std::string Cella_Testo(const std::string& tipo, const std::string& valore) {
  if (tipo == "A") return valore;
  if (tipo == "N") return Format(Val(valore), "###,###,###,###,###,##0");
  if (tipo == "D" || tipo == "Z") {
    std::string t = Mid(valore, 7, 2) + "/" + Mid(valore, 5, 2) + "/" + Mid(valore, 1, 4);
    if (tipo == "Z") t += " " + Mid(valore, 9, 2) + "." + Mid(valore, 11, 2) + "." + Mid(valore, 13, 2);
    return t;
  }
  return {};
}

std::string Valore_Chiave(const std::string& tipo, int32_t larghezza, const std::string& testo) {
  if (tipo == "A") return Testo_Largo(testo, larghezza);
  if (tipo == "N") return Numero_Cifre(testo, larghezza);
  if (tipo == "D" || tipo == "Z") return Left(Data_Ordinabile(testo, tipo == "Z"), larghezza);
  return {};
}

std::string Record_Q_Corpo(const Modello_Ricerca& m, const Dizionario_Campi& d) {
  const int32_t n = m.Chiavi_Numero;
  const int32_t l = m.Chiave_Posizione[static_cast<size_t>(n + 1)] - 1;
  const int32_t r = d.Inizio[static_cast<size_t>(d.Numero + 1)] - 1;
  std::string corpo = Space(kTestata_Q + 2 * l);
  Mid_Imposta(corpo, 9, 88, Stringa(88, '0'));  // widths, positions and starts of unused keys
  Mid_Imposta(corpo, 97, 3, Format(n, "000"));
  Mid_Imposta(corpo, 100, 3, Format(l, "000"));
  Mid_Imposta(corpo, 103, 5, Format(r, "00000"));
  for (int q = 1; q <= n; ++q) {
    const int32_t larghezza = m.Chiave_Lunghezza[q], posizione = m.Chiave_Posizione[q];
    const int32_t campo = m.Chiave_Campo[q];
    Mid_Imposta(corpo, q, 1, m.Chiave_Operatore[q]);
    Mid_Imposta(corpo, 6 + 3 * q, 3, Format(larghezza, "000"));
    Mid_Imposta(corpo, 30 + 3 * q, 3, Format(posizione, "000"));
    Mid_Imposta(corpo, 52 + 5 * q, 5, Format(d.Inizio[static_cast<size_t>(campo)], "00000"));
    const std::string& tipo = m.Chiave_Tipo[q];
    const std::string& da = m.txtDa[q].Testo;
    const std::string& a = m.Chiave_Operatore[q] == "2" ? m.txtDa[q + kChiavi_Massime].Testo : da;
    Mid_Imposta(corpo, kTestata_Q + posizione, larghezza, Valore_Chiave(tipo, larghezza, da));
    Mid_Imposta(corpo, kTestata_Q + l + posizione, larghezza, Valore_Chiave(tipo, larghezza, a));
  }
  return corpo;
}

Ricerca_Archivio::Ricerca_Archivio(Trasporto& trasporto, const Dizionario_Campi& dizionario, Effetti_Ricerca effetti)
    : trasporto_(trasporto), dizionario_(dizionario), effetti_(std::move(effetti)) {}

void Ricerca_Archivio::Ricerche_Click(int32_t numero) {
  if (occupato_) return;
  Occupato_Finche guardia(occupato_);
  std::string testo;
  if (Definizione_Leggi(trasporto_, numero, testo) != Esito_Definizione::Letta) testo.clear();
  Definizione_Applica(modello_, numero, testo, dizionario_);
}

bool Ricerca_Archivio::Scambio(char lettera, const std::string& corpo) {
  const Risposta_Host r =
      Scambio_Host(trasporto_, {"Spool_Ricerca", lettera, Numeri_Passo::Nessuno}, {lettera, corpo}, kSenza_Dati);
  // A failed transfer, even of a refusal's body, is told before the refusal.
  const Passo_Scambio passo = r.Guasto() != Passo_Scambio::Nessuno ? r.Guasto() : r.Passo();
  if (passo == Passo_Scambio::Nessuno) return true;
  Messaggio(r.Messaggio(passo));
  return false;
}

bool Ricerca_Archivio::Spool_Ricerca() {
  if (occupato_) return false;
  Occupato_Finche guardia(occupato_);
  modello_.Casella_Focus = 0;
  if (!Criteri_Controlla(modello_, trasporto_.Tabella_Inversa())) return false;

  if (!modello_.Ricerca_Scelta.empty() && modello_.Ricerca_Scelta != modello_.Ricerca_Aperta) {
    if (!Scambio('O', modello_.Ricerca_Scelta)) return false;
    modello_.Ricerca_Aperta = modello_.Ricerca_Scelta;
  }
  if (!Scambio('Q', Record_Q_Corpo(modello_, dizionario_))) return false;
  Carica(true);
  return true;
}

void Ricerca_Archivio::Elenco_Carica(bool inizio) {
  if (occupato_) return;
  Occupato_Finche guardia(occupato_);
  Carica(inizio);
}

bool Ricerca_Archivio::Elenco_Scorri(int32_t prima_visibile) {
  if (occupato_ || !elenco_.Elenco_Altre) return false;
  if (static_cast<int64_t>(elenco_.Righe.size()) >= static_cast<int64_t>(prima_visibile) + 2 * elenco_.Elenco_Pagina)
    return false;
  Elenco_Carica(false);
  return true;
}

void Ricerca_Archivio::Carica(bool inizio) {
  Stato_Occupato(true);
  Pompa(effetti_.Pompa);
  if (inizio) {
    elenco_.Righe.clear();
    elenco_.Elenco_Altezza = altezza_griglia_;
    // Rows that fit under the header, at least one so that a small window
    // still lists something.
    const double pagina =
        altezza_riga_ > 0 ? Arrotonda_Pari(static_cast<double>(altezza_griglia_ - altezza_riga_) / altezza_riga_) : 1;
    elenco_.Elenco_Pagina = pagina < 1 ? 1 : static_cast<int32_t>(pagina);
    elenco_.Elenco_Altre = true;
  }
  constexpr Nome_Scambio kNome_L{"Elenco_Carica", 'L', Numeri_Passo::Nessuno};
  bool guasto = false;
  for (int32_t i = 0; i < 2 * elenco_.Elenco_Pagina; ++i) {
    // A refusal is the end of the list; a row the record buffer cannot
    // take is dropped, a failure that leaves the stream in step.
    const Risposta_Host r = Scambio_Host(trasporto_, kNome_L, {'L', ""}, {.Fuori = Fuori_Misura::Scartato});
    guasto = r.Guasto() != Passo_Scambio::Nessuno || r.Scartato();
    if (!guasto && r.Accettata()) {
      elenco_.Righe.push_back(Riga_Decodifica(r));
      continue;
    }
    elenco_.Elenco_Altre = false;
    break;
  }
  Stato_Occupato(false);
  Pompa(effetti_.Pompa);
  if (effetti_.Elenco_Mostra) effetti_.Elenco_Mostra();
  // A list cut short by a failed transfer must not pass for a complete one.
  if (guasto) Messaggio(Testo_Passo(kNome_L, Passo_Scambio::Corpo));
}

Riga_Elenco Ricerca_Archivio::Riga_Decodifica(const Risposta_Host& r) const {
  Riga_Elenco riga;
  const Indice_Archivio indice = Indice_Archivio::Decodifica(Lettore_Risposta(r));
  riga.Chiave = indice.Chiave_Archivio;
  riga.Pagine = indice.Pagine;
  riga.Tipo_Immagine = indice.Tipo_Immagine;
  for (int32_t c = 1; c <= modello_.Colonne_Numero; ++c) {
    const int32_t f = modello_.Colonna_Campo[static_cast<size_t>(c)];
    riga.Celle.push_back(f == 0 ? std::string()
                                : Cella_Testo(dizionario_.Tipo[static_cast<size_t>(f)],
                                              r.Testo(dizionario_.Inizio[static_cast<size_t>(f)],
                                                      dizionario_.Larghezza[static_cast<size_t>(f)])));
  }
  return riga;
}

}  // namespace qod
