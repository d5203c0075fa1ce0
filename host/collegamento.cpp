#include "qod/host/collegamento.h"

#include <algorithm>

#include "qod/basic.h"
#include "qod/host/ftp.h"

namespace qod {

namespace {

constexpr int kCorpo_Accesso = 54;    // the login reply's last column read
constexpr int kCorpo_Dizionario = 82; // the dictionary row's last column read
constexpr int kCorpo_Tabella = 22;    // the body of a table request: "CA", the row, blanks
constexpr int kCampi_Fissi = 13;      // columns 1-112 of the archive index
constexpr int kColonna_Dati = 113;

// A field text as a whole number, a trailing "-" taken as the sign.
int32_t Numero_Con_Segno(const std::string& t) {
  if (auto v = CLng(std::string_view(t))) return *v;
  return static_cast<int32_t>(Val(t));
}

}  // namespace

Connessione_Host::Connessione_Host(const Base_Programma& programma, Dati_Collegamento& dati, Trasporto& trasporto,
                                   Effetti_Collegamento effetti, Attese_Collegamento attese)
    : programma_(programma), dati_(dati), trasporto_(trasporto), effetti_(std::move(effetti)), attese_(attese) {
  trasporto_.Imposta_Registro([this](const std::string& riga) { programma_.Log_Scrivi(true, true, riga); });
}

// The transport logs into the program's log while this connection exists.
Connessione_Host::~Connessione_Host() { trasporto_.Imposta_Registro({}); }

void Connessione_Host::Registra(const std::string& testo) const {
  programma_.Log_Scrivi(true, true, "[Host_Collega] " + testo);
}

void Connessione_Host::Errore(const std::string& testo) const {
  Registra(testo);
  if (effetti_.Automatico && effetti_.Automatico()) return;
  programma_.Messaggi().MsgBox(testo, vbCritical,
                               effetti_.Titolo_Errore.empty() ? kTitolo_Errore : effetti_.Titolo_Errore);
}

bool Connessione_Host::Greeting_Leggi() {
  return Risposta_Leggi(trasporto_, {}, kSolo_Esito).Passo() == Passo_Scambio::Nessuno;
}

bool Connessione_Host::Accesso() {
  const Parametri_Collegamento& c = dati_.Collegamento;
  const std::string porta = trasporto_.Sock_Local_Port(kSlot_Host);
  const std::string corpo = Testo_Largo(c.Utente, 10) + Testo_Largo(c.Password, 10) +
                            Testo_Largo(dati_.Titolo_Login, 15) +
                            Testo_Largo(trasporto_.Sock_Local_IP(kSlot_Host), 15) +
                            Format(static_cast<int64_t>(Val(porta)), "00000") +
                            Testo_Largo(Trasporto::Sock_Host_Name(), 20);
  const Risposta_Host r = Scambio_Host(trasporto_, {}, {'U', corpo}, {.Rifiuto_Chiude = true});
  if (r.Passo() != Passo_Scambio::Nessuno) {
    Registra("Accesso non riuscito {U}");
    Chiudi();
    return false;
  }
  if (r.Lunghezza() < kCorpo_Accesso)
    programma_.Log_Scrivi(true, true, "[Host_Collega] Risposta corta {U}: " + std::to_string(r.Lunghezza()) +
                                     " byte invece di " + std::to_string(kCorpo_Accesso));
  Corpo_Accesso = r.Testo(1, r.Lunghezza());
  Indice_Client = Numero_Con_Segno(r.Zoned(52, 3));
  if (r.Testo(1, 1) != "S") {
    Accesso_Rifiutato = true;
    Errore("L'utente " + c.Utente + "\r" + " e/o la password sono errati");
    Chiudi();
    return false;
  }
  if (Indice_Client < 0) {
    Accesso_Rifiutato = true;
    Errore("Indice del client errato");
    Chiudi();
    return false;
  }
  return true;
}

bool Connessione_Host::Dizionario_Leggi() {
  Dizionario = {};
  Dizionario_Campi& d = Dizionario;
  d.Inizio[1] = 1;
  auto fallito = [&] {  // a transfer failure
    Registra("Errore lettura dizionario {T}");
    Chiudi();
    return false;
  };
  for (int riga = 1; riga <= Dizionario_Campi::kMassimo; ++riga) {
    const std::string corpo = "CA" + Format(riga, "00");
    const Risposta_Host r = Scambio_Host(trasporto_, {}, {'T', corpo, kCorpo_Tabella});
    if (r.Guasto() != Passo_Scambio::Nessuno) return fallito();
    if (!r.Accettata()) return true;  // the host's list ends here
    if (r.Lunghezza() < kCorpo_Dizionario)
      programma_.Log_Scrivi(true, true, "[Host_Collega] Risposta corta {T}: " + std::to_string(r.Lunghezza()) +
                                       " byte invece di " + std::to_string(kCorpo_Dizionario));
    if (r.Testo(1, 1) == "A") continue;  // left out by the host
    const int32_t k = ++d.Numero;
    d.Larghezza[k] = static_cast<int32_t>(Val(r.Zoned(79, 3)));
    d.Tipo[k] = r.Testo(82, 1);
    d.Etichetta[k] = Trim(r.Testo(24, 40));
    d.Intestazione[k] = Trim(r.Testo(64, 15));
    d.Inizio[k + 1] = d.Inizio[k] + d.Larghezza[k];
  }
  return true;
}

void Connessione_Host::Modello_Costruisci() {
  const Dizionario_Campi& d = Dizionario;
  const int32_t lunghezza = d.Inizio[static_cast<size_t>(d.Numero) + 1] - kColonna_Dati;
  // A dictionary that does not even cover the fixed part gives an empty template.
  Modello_Archivio = lunghezza > 0 ? Space(lunghezza) : std::string();
  for (int k = kCampi_Fissi + 1; k <= d.Numero; ++k)
    if (d.Tipo[k] != "A")
      Mid_Imposta(Modello_Archivio, d.Inizio[k] - (kColonna_Dati - 1), d.Larghezza[k], Stringa(d.Larghezza[k], '0'));
}

bool Connessione_Host::Host_Collega(const Pump& pompa) {
  // The pumps below let window events run: a second connection on the same
  // slot must not start in the middle of this one.
  if (in_corso_) return false;
  in_corso_ = true;
  struct Fine {
    bool& f;
    ~Fine() { f = false; }
  } fine{in_corso_};
  Etichetta("non connesso");
  Accesso_Rifiutato = false;
  const int32_t precedente = Indice_Client;
  // The reconnect mark is taken and cleared here: when this attempt fails
  // because the host program has ended, the next one starts it again.
  const bool riconnessione = dati_.Riconnessione;
  dati_.Riconnessione = false;

  std::string descrizione;
  trasporto_.Sock_Init(descrizione, programma_.File_TBL);

  const Parametri_Collegamento& c = dati_.Collegamento;
  if (!Trim(c.Libreria).empty() && c.Porta_Ftp != 0 && !riconnessione) {
    const std::string comando = "CALL " + Trim(c.Libreria) + "/ZUM_121 ('P" + Format(c.Porta, "00000") + "')";
    std::string errore;
    if (!Ftp_Comando(trasporto_, kSlot_Host, c.Host, c.Porta_Ftp, c.Utente, c.Password, comando, errore)) {
      if (Interrotto()) return false;
      Errore(errore);
    }
  }

  bool connesso = false;
  for (int tentativo = 1; tentativo <= attese_.tentativi && !connesso; ++tentativo) {
    if (Interrotto()) return false;
    std::string indirizzo;
    connesso = trasporto_.Sock_Connect(kSlot_Host, c.Host, c.Porta, indirizzo) && Greeting_Leggi();
    if (connesso) break;
    Chiudi();  // no socket is left behind by a failed attempt
    if (Interrotto()) return false;
    if (tentativo < attese_.tentativi || attese_.pausa_dopo_ultimo) {
      for (int i = 0; i < attese_.passi; ++i) {
        programma_.Orologio().Attendi(attese_.passo_ms);
        Pompa(pompa);
        if (attese_.interrompi && attese_.interrompi()) return false;
      }
    }
  }
  if (!connesso) {
    if (!Interrotto())
      Registra("Collegamento con " + c.Host + ":" + Format(c.Porta, "#0") + " non riuscito dopo " +
               Format(attese_.tentativi, "#0") + " tentativi");
    return false;
  }

  if (!Accesso()) return false;

  if (riconnessione && precedente > 0) {
    const std::string corpo = Format(precedente, "000");
    if (Scambio_Host(trasporto_, {}, {'X', corpo}, kSolo_Esito).Passo() != Passo_Scambio::Nessuno) {
      Registra("Riconnessione non riuscita {X}");
      Chiudi();
      return false;
    }
  }

  const bool ok = Dizionario_Leggi();
  Modello_Costruisci();
  Etichetta("Client " + Format(Indice_Client, "#0"));
  return ok;
}

void Connessione_Host::Host_Scollega() {
  Etichetta("non connesso");
  trasporto_.Sock_Close(kSlot_Host);
  trasporto_.Sock_Termina();
  dati_.Riconnessione = false;
}

void Connessione_Host::Host_Scollega_Riprova() {
  Etichetta("non connesso");
  trasporto_.Sock_Close(kSlot_Host);
  trasporto_.Sock_Termina();
  dati_.Riconnessione = true;
  if (effetti_.Stato_Imposta) effetti_.Stato_Imposta(Stato_Attesa);
}

}  // namespace qod
