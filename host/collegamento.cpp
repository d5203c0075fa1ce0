#include "qod/host/collegamento.h"

#include <algorithm>

#include "qod/basic.h"
#include "qod/host/ftp.h"

namespace qod {

namespace {

constexpr int kCorpo_Accesso = 54;    // the login reply's last column read
constexpr int kCorpo_Dizionario = 82; // the dictionary row's last column read
constexpr int kCampi_Fissi = 13;      // columns 1-112 of the archive index
constexpr int kColonna_Dati = 113;

// A field text as a whole number, a trailing "-" taken as the sign.
int32_t Numero_Con_Segno(const std::string& t) {
  if (auto v = CLng(std::string_view(t))) return *v;
  return static_cast<int32_t>(Val(t));
}

}  // namespace

Connessione_Host::Connessione_Host(Server_Base& base, Trasporto& trasporto, Effetti_Collegamento effetti,
                                   Attese_Collegamento attese)
    : base_(base), trasporto_(trasporto), effetti_(std::move(effetti)), attese_(attese) {
  trasporto_.Imposta_Registro([this](const std::string& riga) { base_.Log_Scrivi(true, true, riga); });
}

// The transport logs into the server's log while this connection exists.
Connessione_Host::~Connessione_Host() { trasporto_.Imposta_Registro({}); }

void Connessione_Host::Registra(const std::string& testo) const {
  base_.Log_Scrivi(true, true, "[Host_Collega] " + testo);
}

void Connessione_Host::Errore(const std::string& testo) const {
  Registra(testo);
  if (effetti_.Automatico && effetti_.Automatico()) return;
  base_.Messaggi().MsgBox(testo, vbCritical, kTitolo_Errore);
}

bool Connessione_Host::Intestazione_Leggi(std::string& esito, int32_t& lunghezza) {
  if (!trasporto_.Sock_Read(kSlot_Host, 6)) return false;
  esito = trasporto_.Sock_Field("A", 1, 1);
  lunghezza = static_cast<int32_t>(Val(trasporto_.Sock_Field("S", 2, 5, 5, 0)));
  return true;
}

// Reads and drops a body that no step uses, so that the next reply starts
// where it should.
bool Connessione_Host::Corpo_Scarta(int32_t lunghezza) {
  while (lunghezza > 0) {
    const int32_t blocco = std::min(lunghezza, kBlocco_Massimo);
    if (!trasporto_.Sock_Read(kSlot_Host, blocco)) return false;
    lunghezza -= blocco;
  }
  return true;
}

bool Connessione_Host::Greeting_Leggi() {
  std::string esito;
  int32_t lunghezza = 0;
  return Intestazione_Leggi(esito, lunghezza) && esito == "0" && Corpo_Scarta(lunghezza);
}

bool Connessione_Host::Accesso() {
  const Parametri_Collegamento& c = base_.Collegamento;
  const std::string porta = trasporto_.Sock_Local_Port(kSlot_Host);
  const std::string record = "U00075" + Testo_Largo(c.Utente, 10) + Testo_Largo(c.Password, 10) +
                             Testo_Largo(base_.Titolo_Login, 15) +
                             Testo_Largo(trasporto_.Sock_Local_IP(kSlot_Host), 15) +
                             Format(static_cast<int64_t>(Val(porta)), "00000") +
                             Testo_Largo(Trasporto::Sock_Host_Name(), 20);
  std::string esito;
  int32_t lunghezza = 0;
  if (!trasporto_.Sock_Write(kSlot_Host, record, 81) || !Intestazione_Leggi(esito, lunghezza) || esito != "0" ||
      !trasporto_.Sock_Read(kSlot_Host, lunghezza)) {
    Registra("Accesso non riuscito {U}");
    Chiudi();
    return false;
  }
  if (lunghezza < kCorpo_Accesso)
    base_.Log_Scrivi(true, true, "[Host_Collega] Risposta corta {U}: " + std::to_string(lunghezza) +
                                     " byte invece di " + std::to_string(kCorpo_Accesso));
  Indice_Client = Numero_Con_Segno(trasporto_.Sock_Field("S", 52, 3, 3, 0));
  if (trasporto_.Sock_Field("A", 1, 1) != "S") {
    Errore("L'utente " + c.Utente + "\r" + " e/o la password sono errati");
    Chiudi();
    return false;
  }
  if (Indice_Client < 0) {
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
    std::string esito;
    int32_t lunghezza = 0;
    if (!trasporto_.Sock_Write(kSlot_Host, "T00022CA" + Format(riga, "00"), 28) ||
        !Intestazione_Leggi(esito, lunghezza))
      return fallito();
    if (esito != "0") return Corpo_Scarta(lunghezza) || fallito();  // the host's list ends here
    if (!trasporto_.Sock_Read(kSlot_Host, lunghezza)) return fallito();
    if (lunghezza < kCorpo_Dizionario)
      base_.Log_Scrivi(true, true, "[Host_Collega] Risposta corta {T}: " + std::to_string(lunghezza) +
                                       " byte invece di " + std::to_string(kCorpo_Dizionario));
    if (trasporto_.Sock_Field("A", 1, 1) == "A") continue;  // left out by the host
    const int32_t k = ++d.Numero;
    d.Larghezza[k] = static_cast<int32_t>(Val(trasporto_.Sock_Field("S", 79, 3, 3, 0)));
    d.Tipo[k] = trasporto_.Sock_Field("A", 82, 1);
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
  const int32_t precedente = Indice_Client;
  // The reconnect mark is taken and cleared here: when this attempt fails
  // because the host program has ended, the next one starts it again.
  const bool riconnessione = base_.Riconnessione;
  base_.Riconnessione = false;

  std::string descrizione;
  trasporto_.Sock_Init(descrizione, base_.File_TBL);

  const Parametri_Collegamento& c = base_.Collegamento;
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
    if (tentativo < attese_.tentativi) {
      for (int i = 0; i < attese_.passi; ++i) {
        base_.Orologio().Attendi(attese_.passo_ms);
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
    std::string esito;
    int32_t lunghezza = 0;
    if (!trasporto_.Sock_Write(kSlot_Host, "X00003" + Format(precedente, "000"), 9) ||
        !Intestazione_Leggi(esito, lunghezza) || esito != "0" || !Corpo_Scarta(lunghezza)) {
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
  base_.Riconnessione = false;
}

void Connessione_Host::Host_Scollega_Riprova() {
  Etichetta("non connesso");
  trasporto_.Sock_Close(kSlot_Host);
  trasporto_.Sock_Termina();
  base_.Riconnessione = true;
  if (effetti_.Stato_Imposta) effetti_.Stato_Imposta(4);
}

}  // namespace qod
