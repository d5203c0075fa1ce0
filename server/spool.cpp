#include "qod/server/spool.h"

#include <filesystem>
#include <system_error>

#include "qod/basic.h"
#include "qod/occupato.h"
#include "qod/server/ciclo.h"
#include "qod/server/registro.h"
#include "qod/winpath.h"

namespace qod {

namespace {

constexpr std::string_view kSpool_Get = "Spool_Get";

std::string Contatori(int64_t avvio, int64_t totale) {
  return " " + Format(avvio, "###,###,###,##0") + " / " + Format(totale, "###,###,###,##0");
}

}  // namespace

std::string Timbro_Pannello(const std::string& t) {
  return " " + Mid(t, 7, 2) + "/" + Mid(t, 5, 2) + "/" + Mid(t, 3, 2) + "  " + Mid(t, 9, 2) + ":" + Mid(t, 11, 2);
}

// ---- Print data from the host ------------------------------------------------

Sorgente_Dati::Esito Sorgente_Host::Blocco(int32_t offset, std::span<const uint8_t>& blocco) {
  const std::string corpo = Format(offset, "0000000000");
  const Risposta_Host r = Scambio_Host(t_, kNome_Dati, {'G', corpo}, {.Rifiuto_Chiude = true});
  switch (r.Passo()) {
    case Passo_Scambio::Intestazione: return Esito::Errore_Intestazione;
    case Passo_Scambio::Esito: return Esito::Rifiutato;
    case Passo_Scambio::Corpo: return Esito::Errore_Corpo;
    case Passo_Scambio::Nessuno: break;
  }
  blocco = r.Dati();
  return Esito::Ok;
}

// ---- Spool_Server --------------------------------------------------------------

Spool_Server::Spool_Server(Server_Base& base, Trasporto& trasporto, Connessione_Host& host, Pannello& pannello,
                           Pump pompa, Fasi_Spool fasi)
    : base_(base), trasporto_(trasporto), host_(host), pannello_(pannello), pompa_(std::move(pompa)), fasi_(std::move(fasi)) {
  stato_.Formato.Azzera();
  for (auto& g : stato_.Gruppi) g.Azzera();
  stato_.Pagine.Registro = [this](const std::string& r) { base_.Log_Scrivi(true, true, r); };
  stato_.Pagine.Errore = [this](const std::string& r) { Errore_Segnala(r); };
  interprete_.Registro = [this](const std::string& r) { base_.Log_Scrivi(true, true, r); };
  interprete_.Guasto = [this](const std::string& r) { Guasto(r); };
  interprete_.Quadro = &pannello_;
  interprete_.Pompa_Messaggi = pompa_;
  interprete_.Arresto = [this] { return Arresto_Richiesto(); };
  stato_.Dizionario = &host_.Dizionario;
  strada_.Errore = [this](const std::string& messaggio) { Errore_Segnala(messaggio); };
  strada_.Guasto = [this](const std::string& messaggio) { return Guasto(messaggio); };
  strada_.Arresto = [this] { return Arresto_Richiesto(); };
  strada_.Irrevocabile = [this] { irrevocabile_ = true; };
  strada_.Arresto_Programma = [this] { return arresto_ && arresto_(); };
}

void Spool_Server::Spool_Prepara(const Attributi_Spool& attributi, int32_t pagine_aperte, bool pagina_dipendente) {
  stato_.Attributi = attributi;
  stato_.Errore_Spool = false;
  stato_.Pagine.Pagine_Aperte = pagine_aperte;
  stato_.Pagine.Pagina_Dipendente = pagina_dipendente;
}

std::string Spool_Server::Slot() const { return Format(base_.Collegamento.Indice_Server, "00000"); }

bool Spool_Server::Guasto(const std::string& messaggio) {
  // Cut short by the stop request: the host did nothing wrong. The
  // exchange is left halfway, so the connection goes all the same.
  if (!Canale().Interrotto())
    base_.Log_Scrivi(true, true, messaggio);
  else if (preso_ && !irrevocabile_)
    abbandonato_ = true;
  host_.Host_Scollega_Riprova();
  return false;
}

void Spool_Server::Errore_Segnala(const std::string& messaggio) {
  stato_.Errore_Spool = true;
  pannello_.Stato_Segnala(messaggio);
}

void Spool_Server::Progressivi_Carica() {
  stampe_totali_ = Valore_Numerico(base_.Impostazione_Leggi("Progressivi", "Stampe", "0"));
  pagine_totali_ = Valore_Numerico(base_.Impostazione_Leggi("Progressivi", "Pagine", "0"));
  stampe_avvio_ = pagine_avvio_ = 0;
  pannello_.Valore_Imposta(Pannello::Riga_Stampe, Contatori(stampe_avvio_, stampe_totali_));
  pannello_.Valore_Imposta(Pannello::Riga_Pagine, Contatori(pagine_avvio_, pagine_totali_));
}

void Spool_Server::Finestra_Iniziale() { Finestra_Collegamento_Iniziale(base_, end_, restart_); }

bool Spool_Server::Keep_Alive() {
  const DateTime adesso = base_.Orologio().Adesso();
  if (!(adesso.Seriale() > base_.Ultimo_Keep_Alive.Seriale() + 0.002)) return true;
  base_.Ultimo_Keep_Alive = adesso;
  const Risposta_Host r =
      Scambio_Host(Canale(), {kSpool_Get, 'P', Numeri_Passo::Letture}, {'P', ""}, {.Rifiuto_Chiude = true});
  if (r.Passo() != Passo_Scambio::Nessuno) return Guasto(r.Messaggio());
  if (r.Lunghezza() < 28)
    base_.Log_Scrivi(true, true, "[Spool_Get] Risposta corta {P}: " + std::to_string(r.Lunghezza()) + " byte invece di 28");
  end_ = r.Testo(1, 14);
  restart_ = r.Testo(15, 14);
  pannello_.Valore_Imposta(Pannello::Riga_Stop, Timbro_Pannello(end_));
  pannello_.Valore_Imposta(Pannello::Riga_Restart, Timbro_Pannello(restart_));
  return true;
}

void Spool_Server::Spool_Mostra() {
  const Attributi_Spool& a = stato_.Attributi;
  auto riga = [&](int r, const std::string& v) { pannello_.Valore_Imposta(r, " " + v); };
  riga(Pannello::Riga_Lavoro, a.Lavoro);
  riga(Pannello::Riga_Numero, std::to_string(a.Numero_Spool));
  riga(Pannello::Riga_Utente, a.Utente);
  riga(Pannello::Riga_Formato, a.Tipo_Modulo);
  riga(Pannello::Riga_Job, a.Numero_Lavoro);
  riga(Pannello::Riga_Dati_Utente, a.Dati_Utente);
  riga(Pannello::Riga_File_Spool, a.File_Spool);
  riga(Pannello::Riga_Salvataggio, a.Stato_Salvataggio);
  riga(Pannello::Riga_Coda, a.Coda);
  riga(Pannello::Riga_Pagine_Spool, std::to_string(a.Pagine_Totali) + "   ( da " + std::to_string(a.Prima_Pagina) +
                                        " a " + std::to_string(a.Ultima_Pagina) + " )");
  riga(Pannello::Riga_Libreria, a.Libreria);
  riga(Pannello::Riga_Copie, std::to_string(a.Copie));
  riga(Pannello::Riga_Stampante, a.Stampante);
  riga(Pannello::Riga_Cartella, a.Cartella);
  riga(Pannello::Riga_Dati, std::to_string(a.Dimensione_Dati));
  for (int r = Pannello::Riga_Immagini; r <= Pannello::Riga_Stato; ++r) pannello_.Valore_Imposta(r, "");
  for (int r = Pannello::Riga_Dati; r <= Pannello::Riga_Salva; ++r) pannello_.Barra_Imposta(r, 0);
}

void Spool_Server::File_Slot_Cancella() {
  for (const auto& f : File_Con_Prefisso(base_.Percorso_Tmp, Slot() + "_")) {
    std::error_code ec;
    if (!std::filesystem::remove(f, ec) && ec)
      base_.Log_Scrivi(true, true, "[Spool_Get] Errore cancellazione " + Percorso_Ansi(f));
  }
}

// False when the spool file ends here without its done record: the stage
// said so (a transfer failure), or a stop request abandoned the spool file
// before or during it.
bool Spool_Server::Fase(Fase_Uscita* fase, int riga, const char* nome) {
  if (Arresto_Richiesto()) return false;
  if (fase) {
    eseguite_.push_back(fase);
    const bool ok = fase->Esegui(stato_, strada_);
    return ok && !Arresto_Richiesto();
  }
  // A stage this server does not have makes nothing, so it cannot succeed.
  pannello_.Valore_Imposta(riga, " non disponibile");
  Errore_Segnala(std::string(nome) + " non disponibile");
  return true;
}

void Spool_Server::Esito_Conta() {
  if (stampe_avvio_ > 2000000000 || pagine_avvio_ > 2000000000) stampe_avvio_ = pagine_avvio_ = 0;
  if (stampe_totali_ > 2000000000 || pagine_totali_ > 2000000000) stampe_totali_ = pagine_totali_ = 0;
  const int64_t pagine = stato_.Pagine.Pagine_Aperte;
  stampe_avvio_ += 1;
  pagine_avvio_ += pagine;
  stampe_totali_ += 1;
  pagine_totali_ += pagine;
  base_.Impostazione_Scrivi("Progressivi", "Stampe", Format(stampe_totali_, "0"));
  base_.Impostazione_Scrivi("Progressivi", "Pagine", Format(pagine_totali_, "0"));
  pannello_.Valore_Imposta(Pannello::Riga_Stampe, Contatori(stampe_avvio_, stampe_totali_));
  pannello_.Valore_Imposta(Pannello::Riga_Pagine, Contatori(pagine_avvio_, pagine_totali_));
}

// ---- Bad values and repeated failures ----------------------------------------------

std::string Spool_Server::Attributi_Errati(const Attributi_Spool& a) {
  if (a.Dimensione_Dati < 0) return "Dimensione dei dati errata: " + std::to_string(a.Dimensione_Dati);
  if (a.Pagine_Totali < 0) return "Numero di pagine errato: " + std::to_string(a.Pagine_Totali);
  if (a.Ultima_Pagina >= 1 && a.Prima_Pagina > a.Ultima_Pagina)
    return "Intervallo di pagine errato: da " + std::to_string(a.Prima_Pagina) + " a " +
           std::to_string(a.Ultima_Pagina);
  if (a.Numero_Spool < 0 || a.Numero_Spool > 999999999)
    return "Numero del file di spool errato: " + std::to_string(a.Numero_Spool);
  return {};
}

int64_t Spool_Server::Pausa_Ritentativo_ms(int32_t fallimenti) {
  if (fallimenti < 2) return 0;
  int64_t pausa = 2000;
  for (int32_t i = 2; i < fallimenti && pausa < kPausa_Massima_ms; ++i) pausa *= 2;
  return std::min(pausa, kPausa_Massima_ms);
}

// What tells one spool file from another when its number cannot be trusted.
std::string Spool_Server::Chiave_Spool() const {
  const Attributi_Spool& a = stato_.Attributi;
  return std::to_string(a.Numero_Spool) + "|" + a.File_Spool + "|" + a.Lavoro + "|" + a.Utente + "|" +
         a.Numero_Lavoro;
}

void Spool_Server::Ritentativo_Registra(bool riuscito) {
  if (riuscito) {
    ritentativo_ = {};
    return;
  }
  const std::string chiave = Chiave_Spool();
  if (ritentativo_.chiave != chiave) ritentativo_ = {chiave, 0, 0, false};
  if (ritentativo_.fallimenti < 1000000) ++ritentativo_.fallimenti;
  const int64_t pausa = Pausa_Ritentativo_ms(ritentativo_.fallimenti);
  ritentativo_.dopo = base_.Orologio().Adesso().Seriale() + static_cast<double>(pausa) / 86400000.0;
  // Once per step of the pause: while it stays at its longest, nothing more.
  if (pausa > 0 && (pausa < kPausa_Massima_ms || Pausa_Ritentativo_ms(ritentativo_.fallimenti - 1) < pausa))
    base_.Log_Scrivi(true, true,
                     "[Spool_Get] Il file di spool " + std::to_string(stato_.Attributi.Numero_Spool) + " non riesce da " +
                         std::to_string(ritentativo_.fallimenti) + " volte: nuovo tentativo fra " +
                         std::to_string(pausa / 1000) + " secondi");
}

bool Spool_Server::Arresto_Richiesto() {
  if (!abbandonato_ && !irrevocabile_ && arresto_ && arresto_()) abbandonato_ = true;
  return abbandonato_;
}

bool Spool_Server::Spool_Get() {
  // Busy for the whole call; no error yet.
  Occupato_Finche occupato(in_corso_);
  stato_.Errore_Spool = false;
  preso_ = saltato_ = abbandonato_ = irrevocabile_ = false;
  eseguite_.clear();
  const bool ok = Spool_Get_Passi();
  if (abbandonato_) {
    // What the outputs handed on for it and can take back goes back.
    for (Fase_Uscita* f : eseguite_) f->Abbandona();
    base_.Log_Scrivi(true, true, "Arresto richiesto: il file di spool in corso viene abbandonato");
  } else if (preso_ && !saltato_) {
    Ritentativo_Registra(ok);
  }
  eseguite_.clear();
  irrevocabile_ = false;
  return ok;
}

bool Spool_Server::Spool_Get_Passi() {
  if (!Keep_Alive()) return false;
  if (!Spool_Prendi()) return false;
  // A spool file that failed lately waits until its pause is over; one
  // that cannot be reported done is not taken again.
  if (Ritentativo_In_Attesa()) {
    saltato_ = true;
    return false;
  }
  Spool_Avvia();
  if (!Attributi_Controlla()) return false;
  File_Slot_Cancella();
  Stampante_Controlla();
  if (!stato_.Errore_Spool && !Definizioni_Spool()) return false;
  if (!Pagine_Produci()) return false;
  Prima_Immagine_Mostra();
  if (!Uscite_Esegui()) return false;
  // No done record goes out after a stop request.
  if (Arresto_Richiesto()) return false;
  Esito_Registra();
  if (!Fine_Comunica()) return false;
  // The log table and the backup copy.
  if (stato_.Errore_Spool || base_.Generale.Log) Log_Tabella(base_, pannello_);
  if (base_.Generale.Backup) Backup_Copia(base_);
  return true;
}

// ---- The steps of one spool file -------------------------------------------------

bool Spool_Server::Spool_Prendi() {
  const std::string slot = Slot();
  const Risposta_Host r = Scambio_Host(Canale(), {kSpool_Get, 'S', Numeri_Passo::Letture}, {'S', slot});
  if (r.Guasto() != Passo_Scambio::Nessuno) return Guasto(r.Messaggio(r.Guasto()));
  // Nothing waiting: quiet, the connection stays up.
  if (!r.Accettata()) return false;
  if (r.Lunghezza() < kLunghezza_Attributi)
    base_.Log_Scrivi(true, true,
                     "[Spool_Get] Record corto {S}: " + std::to_string(r.Lunghezza()) + " byte invece di " +
                         std::to_string(kLunghezza_Attributi));
  int32_t posizione_errata = 0;
  stato_.Attributi = Attributi_Spool::Decodifica(Lettore_Risposta(r), posizione_errata);
  // The raw record, taken before any other read.
  stato_.Record_Copiato = stato_.Attributi.Record_Grezzo == "T" && stato_.Attributi.Da_Archiviare;
  if (stato_.Record_Copiato)
    std::copy_n(r.Record().begin(), kLunghezza_Attributi, stato_.Record_Grezzo.begin());
  if (posizione_errata)
    base_.Log_Scrivi(true, true,
                     "[Spool_Get] Valore non numerico in Attributi_Spool alla posizione " +
                         std::to_string(posizione_errata) + ", letto come 0");
  preso_ = true;
  return true;
}

bool Spool_Server::Ritentativo_In_Attesa() const {
  return !ritentativo_.chiave.empty() && ritentativo_.chiave == Chiave_Spool() &&
         (ritentativo_.escluso || base_.Orologio().Adesso().Seriale() < ritentativo_.dopo);
}

void Spool_Server::Spool_Avvia() {
  Attributi_Spool& a = stato_.Attributi;
  if (a.Copie > kCopie_Massime) {
    base_.Log_Scrivi(true, true,
                     "[Spool_Get] Copie " + std::to_string(a.Copie) + " ridotte a " + std::to_string(kCopie_Massime));
    a.Copie = kCopie_Massime;
  }
  // The definitions and the outcome start anew.
  stato_.Formato.Azzera();
  for (auto& g : stato_.Gruppi) g.Azzera();
  stato_.Esito = a.Stato_Salvataggio;
  stato_.Estensione_Immagine.clear();
  stato_.Copie_Immagini = 1;
  stato_.Pagine.Avvia({});
  stato_.Ultimo_Ping = {};
  Spool_Mostra();
}

bool Spool_Server::Attributi_Controlla() {
  // Values no spool file can have fail it, with "*ERR" in its done record.
  // A number the done record cannot carry leaves it on the host instead,
  // reported this once.
  const Attributi_Spool& a = stato_.Attributi;
  const std::string errati = Attributi_Errati(a);
  if (errati.empty()) return true;
  base_.Log_Scrivi(true, true, "[Spool_Get] Record degli attributi errato: " + errati);
  Errore_Segnala(errati);
  if (a.Numero_Spool >= 0 && a.Numero_Spool <= 999999999) return true;
  ritentativo_ = {Chiave_Spool(), 1, 0, true};
  saltato_ = true;
  if (base_.Generale.Log) Log_Tabella(base_, pannello_);
  return false;
}

void Spool_Server::Stampante_Controlla() {
  const Attributi_Spool& a = stato_.Attributi;
  if (Trim(a.Indirizzo_Stampante).empty() || !a.Da_Stampare) return;
  // An address that cannot be looked up (no HOSTS file, a malformed
  // address) is a failure of the look-up, not a printer that is silent.
  std::optional<Risultato_Ping> ping;
  if (fasi_.Ping) {
    ping = fasi_.Ping->Ping(a.Indirizzo_Stampante);
  } else {
    ping = Risultato_Ping{"*** errore : ping non disponibile", 1000, true};
  }
  if (!ping) {
    stato_.Ultimo_Ping = {"*** errore : " + net::Ping_Stato_Testo(net::kIcmp_Guasto_Generale), 1000, true};
    stato_.Errore_Spool = true;
    pannello_.Valore_Imposta(Pannello::Riga_Stato, "errore generico di stampa");
    return;
  }
  stato_.Ultimo_Ping = *ping;
  if (stato_.Ultimo_Ping.Errore) {
    stato_.Errore_Spool = true;
    pannello_.Valore_Imposta(Pannello::Riga_Stato, "La stampante non risponde");
  }
}

bool Spool_Server::Definizioni_Spool() {
  const Attributi_Spool& a = stato_.Attributi;
  if (!Spool_Formato()) return false;
  if (a.Salva_Forzato == "N" || stato_.Errore_Spool) return true;
  if (a.Consegna == "P") return Spool_Formato_Posta();
  if (a.Consegna == "X") return Spool_Formato_XML();
  return true;
}

bool Spool_Server::Pagine_Produci() {
  if (stato_.Errore_Spool) return true;
  if (!Spool_Dati()) return false;
  if (!stato_.Errore_Spool) Spool_Immagini();
  if (abbandonato_) return false;
  // Done only when every page of the range was laid out and rendered.
  const int64_t attese = static_cast<int64_t>(stato_.Attributi.Ultima_Pagina) - stato_.Attributi.Prima_Pagina + 1;
  if (!stato_.Errore_Spool && stato_.Pagine.Pagine_Aperte < attese)
    Errore_Segnala("Pagine prodotte " + std::to_string(stato_.Pagine.Pagine_Aperte) + " su " + std::to_string(attese));
  return true;
}

void Spool_Server::Prima_Immagine_Mostra() {
  // Kept for the viewer key, and shown when the key is down.
  immagine_visualizza_ = File_Immagine(base_.Percorso_Tmp, base_.Collegamento.Indice_Server, 1,
                                       stato_.Attributi.Prima_Pagina, stato_.Estensione_Immagine);
  if (pannello_.Visualizza() && !stato_.Errore_Spool && fasi_.Visore_Carica) fasi_.Visore_Carica(immagine_visualizza_);
}

bool Spool_Server::Uscite_Esegui() {
  // A stage runs when its switch is on, its flag set and nothing failed so
  // far. The print stage's own result is not looked at; the other two fail
  // the spool file without its done record on a transfer failure of theirs
  // (the archive upload, the XML data); any of them on a stop request.
  const Attributi_Spool& a = stato_.Attributi;
  auto fatta = [&](int riga, bool flag) { return pannello_.Interruttore(riga) && flag && !stato_.Errore_Spool; };
  if (fatta(Pannello::Riga_Stampa, a.Da_Stampare)) {
    if (!Fase(fasi_.Stampa, Pannello::Riga_Stampa, "Stampa") && abbandonato_) return false;
  } else {
    pannello_.Valore_Imposta(Pannello::Riga_Stampa, " - ");
  }
  if (fatta(Pannello::Riga_Archivia, a.Da_Archiviare)) {
    if (!Fase(fasi_.Archivia, Pannello::Riga_Archivia, "Archiviazione")) return false;
  } else {
    pannello_.Valore_Imposta(Pannello::Riga_Archivia, " - ");
  }
  if (fatta(Pannello::Riga_Salva, a.Da_Salvare)) {
    if (a.Salva_PDF == "S") return Fase(fasi_.PDF, Pannello::Riga_Salva, "Emissione PDF");
    return Fase(fasi_.Salva_Immagini, Pannello::Riga_Salva, "Salvataggio immagini") || !abbandonato_;
  }
  pannello_.Valore_Imposta(Pannello::Riga_Salva, " - ");
  return true;
}

void Spool_Server::Esito_Registra() {
  if (stato_.Errore_Spool) {
    stato_.Esito = "*ERR      ";
    pannello_.Valore_Imposta(Pannello::Riga_Salvataggio, stato_.Esito);
  } else {
    pannello_.Valore_Imposta(Pannello::Riga_Stato, "Ok");
    Esito_Conta();
  }
}

bool Spool_Server::Fine_Comunica() {
  const Attributi_Spool& a = stato_.Attributi;
  const std::string corpo = Slot() + Format(a.Numero_Spool, "000000000") + Testo_Largo(stato_.Esito, 10) +
                            Testo_Largo(a.Esito_Finale, 1);
  const Risposta_Host r = Scambio_Host(Canale(), {kSpool_Get, 'D', Numeri_Passo::Letture}, {'D', corpo}, kSolo_Esito);
  return r.Passo() == Passo_Scambio::Nessuno || Guasto(r.Messaggio());
}

// ---- Definitions -------------------------------------------------------------------

bool Spool_Server::Spool_Formato() {
  // Every slot starts empty.
  stato_.Formato.Azzera();
  bool fuori_limite = false;
  for (std::string flag = "S";; flag = "N") {
    // Ask for the next row ("S" for the first, "N" after it).
    const Risposta_Host r = Riga_Chiedi({"Spool_Formato", 'F'}, flag);
    if (r.Passo() != Passo_Scambio::Nessuno) return Guasto(r.Messaggio());
    if (r.Fine()) break;

    // One row: a key, an index field or a constant text.
    const Riga_Definizione c = Riga_Definizione::Decodifica(Lettore_Risposta(r));
    const std::string& tipo = c.Genere;
    if (tipo != "K" && tipo != "F" && tipo != "C") continue;
    if (tipo == "C") {
      stato_.Formato.Costanti.push_back(c);
      continue;
    }
    const int32_t n = c.Numero;
    const int32_t massimo = tipo == "K" ? Definizione_Formato::kChiavi : Definizione_Formato::kIndici;
    if (n < 1 || n > massimo) {
      // No slot for it: the list is still read to its end, then the spool file fails.
      base_.Log_Scrivi(true, true, "[Spool_Formato] Campo " + tipo + " " + std::to_string(n) + " fuori limite");
      fuori_limite = true;
      continue;
    }
    const size_t k = static_cast<size_t>(n);
    if (tipo == "K") {
      stato_.Formato.Chiave[k] = c;
      stato_.Formato.E[k] = stato_.Formato.E[k - 1] + c.Lunghezza;
      stato_.Formato.Numero_Chiavi = n;
    } else {
      stato_.Formato.Indice[k] = c;
      const Dizionario_Campi& d = host_.Dizionario;
      const int voce = n + 13;
      const int32_t larghezza = voce <= d.Numero ? d.Larghezza[static_cast<size_t>(voce)] : 0;
      stato_.Formato.X[k] = stato_.Formato.X[k - 1] + larghezza;
      stato_.Formato.Numero_Indici = n;
    }
  }
  if (fuori_limite) Errore_Segnala("Definizione del formato errata");
  return true;
}

bool Spool_Server::Definizioni_Leggi(char lettera, const char* procedura, int massimo_gruppo) {
  // Every group starts empty, whichever definition is read.
  for (auto& g : stato_.Gruppi) g.Azzera();
  const bool xml = lettera == 'M';
  for (std::string flag = "S";; flag = "N") {
    const Risposta_Host r = Riga_Chiedi({procedura, lettera}, flag);
    if (r.Passo() != Passo_Scambio::Nessuno) return Guasto(r.Messaggio());
    if (r.Fine()) return true;

    const Lettore_Campi campi = Lettore_Risposta(r);
    Riga_Gruppo c = xml ? Riga_Gruppo::Decodifica_XML(campi) : Riga_Gruppo::Decodifica_Posta(campi);
    const std::string& gruppo = c.Gruppo;
    if (gruppo.size() != 1 || gruppo[0] < '1' || gruppo[0] > '0' + massimo_gruppo) continue;
    const size_t g = static_cast<size_t>(gruppo[0] - '0');
    stato_.Gruppi[g].Aggiungi(std::move(c));
  }
}

Risposta_Host Spool_Server::Riga_Chiedi(const Nome_Scambio& nome, const std::string& flag) {
  const std::string corpo = Testo_Largo(stato_.Attributi.Formato, 20) + flag;
  return Scambio_Host(Canale(), nome, {nome.Lettera, corpo}, {.Rifiuto_Chiude = true, .Fine = '1'});
}

bool Spool_Server::Spool_Formato_Posta() { return Definizioni_Leggi('E', "Spool_Formato_Posta", 4); }

bool Spool_Server::Spool_Formato_XML() { return Definizioni_Leggi('M', "Spool_Formato_XML", 6); }

// ---- Print data and page images --------------------------------------------------

bool Spool_Server::Spool_Dati() {
  Pagine_Spool::Impostazioni cfg;
  cfg.Cartella_TmpS = base_.Percorso_Tmp;
  cfg.Cartella_Programma = base_.Percorso;
  cfg.Indice_Server = base_.Collegamento.Indice_Server;
  cfg.Tabelle = stato_.Attributi.Da_Archiviare || stato_.Attributi.Da_Salvare;
  cfg.Gruppi = stato_.Attributi.Consegna == "P" || stato_.Attributi.Consegna == "X";
  cfg.Formato = &stato_.Formato;
  cfg.Gruppi_Definiti = &stato_.Gruppi;
  cfg.Dizionario = &host_.Dizionario;
  cfg.Modello_Archivio = &host_.Modello_Archivio;
  stato_.Pagine.Avvia(cfg);
  Sorgente_Host sorgente(Canale());
  const bool ok =
      interprete_.Spool_Dati(sorgente, Canale().Tabella(), stato_.Attributi.Dimensione_Dati, stato_.Attributi.Ultima_Pagina);
  stato_.Pagine.Chiudi_Tutto();
  return ok;
}

void Spool_Server::Spool_Immagini() {
  const Attributi_Spool& a = stato_.Attributi;
  Generatore_Immagini* g = fasi_.Immagini;

  // The extension, the copies per page and the range.
  stato_.Estensione_Immagine = Estensione_Tipo(a.Tipo_Immagine);
  const int32_t c = a.Copie;
  const bool sovrapposte = (!Trim(a.Im2_File_5).empty() && c > 4) || (!Trim(a.Im2_File_4).empty() && c > 3) ||
                           (!Trim(a.Im2_File_3).empty() && c > 2) || (!Trim(a.Im2_File_2).empty() && c > 1);
  // With a copy selector and no copies asked, one copy is still made.
  stato_.Copie_Immagini = sovrapposte || stato_.Pagine.Pagina_Dipendente ? std::max<int32_t>(c, 1) : 1;
  const int64_t prima = a.Prima_Pagina;
  const int64_t ultima = std::min(a.Ultima_Pagina, stato_.Pagine.Pagine_Aperte);
  stato_.Pagine.Pagine_Aperte = 0;
  const int64_t totale = ultima - prima + 1;
  if (totale < 1) return;
  if (!g) {
    Errore_Segnala("Generatore di immagini non disponibile");
    return;
  }

  // What stays the same for the whole spool file.
  g->Imposta(a, base_.Percorso_Fnt, base_.Percorso_Lgo);

  // Every page and copy.
  const std::string lgo = base_.Percorso_Lgo;
  auto sovrapposta = [&](int32_t k) -> std::string {
    const std::string* f = k == 2 ? &a.Im2_File_2 : k == 3 ? &a.Im2_File_3 : k == 4 ? &a.Im2_File_4 : &a.Im2_File_5;
    return Trim(*f).empty() ? std::string() : lgo + *f;
  };
  for (int64_t pagina = prima; pagina <= ultima; ++pagina) {
    const int32_t p = static_cast<int32_t>(pagina);
    if (Arresto_Richiesto()) return;
    const int32_t r = ++stato_.Pagine.Pagine_Aperte;
    for (int32_t k = 1; k <= stato_.Copie_Immagini; ++k) {
      if (k > 1 && Arresto_Richiesto()) return;
      Pagina_Immagine pi;
      pi.Im2_File = k == 1 ? std::string() : sovrapposta(k);
      pi.Cmd_CPY = stato_.Pagine.Pagina_Dipendente ? k : 0;
      pi.Txt_File = File_Testo(base_.Percorso_Tmp, base_.Collegamento.Indice_Server, p);
      pi.Cmd_File = File_Comandi(base_.Percorso_Tmp, base_.Collegamento.Indice_Server, p);
      pi.Out_File = File_Immagine(base_.Percorso_Tmp, base_.Collegamento.Indice_Server, k, p, stato_.Estensione_Immagine);
      pi.inizializza = r == 1;
      g->Elabora(pi);
      pannello_.Avanzamento(Pannello::Riga_Immagini, r, totale);
      Pompa(pompa_);
      if (g->Errore()) Errore_Segnala(g->Stato());
    }
  }
}

}  // namespace qod
