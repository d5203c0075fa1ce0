#include "qod/host/trasporto.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "qod/basic.h"
#include "qod/host/tabella.h"
#include "qod/winpath.h"

namespace qod {

namespace {
constexpr int kVuoteMassime = 20;  // the 21st empty receive ends a read
// A wait is cut into slices of this length: between them the message loop
// runs and a stop request is looked at.
constexpr int kFetta_ms = 200;
}  // namespace

Trasporto::Trasporto(Attese_Rete attese, Pump pompa) : attese_(attese), pompa_(std::move(pompa)) {
  uscita_.reserve(kBlocco_Massimo + 6);
}

Trasporto::~Trasporto() {
  for (auto& fd : slot_) {
    net::Chiudi(fd);
    fd = net::kNessuno;
  }
}

// ---- Start and stop --------------------------------------------------------

bool Trasporto::Sock_Init(std::string& descrizione, const std::string& file_tabella) {
  if (avviato_) return true;
  descrizione = "Socket POSIX (TCP/IPv4)";
  avviato_ = true;
  Tabelle_Carica(file_tabella);
  return true;
}

void Trasporto::Tabelle_Carica(const std::string& file_tabella) {
  Tabella_Conversione t;
  const int letti = Tabella_Leggi(Percorso_Risolvi(file_tabella), t);
  tabella_ = t.Voci;
  if (letti < kTabella_Voci) {
    if (!tabella_segnalata_ && registro_)
      registro_("[Sock_Init] tabella di conversione mancante o corta: " + file_tabella);
    tabella_segnalata_ = true;
  } else {
    tabella_segnalata_ = false;
  }

  // ANSI to EBCDIC: when two EBCDIC codes give one character, the higher wins.
  inversa_ = qod::Tabella_Inversa(tabella_);

  // Two characters per packed byte, hi 0..9 and lo 0..15: a sign half-byte
  // (10..15) shows as a blank.
  size_t k = 0;
  for (int hi = 0; hi <= 9; ++hi)
    for (int lo = 0; lo <= 15; ++lo)
      packed_[k++] = {static_cast<char>('0' + hi), lo <= 9 ? static_cast<char>('0' + lo) : ' '};

  record_.fill(inversa_[' ']);
  record_sporco_ = 0;
}

void Trasporto::Sock_Termina() {
  for (int s = 0; s < kSlot_Numero; ++s) Sock_Close(s);
  avviato_ = false;
}

// ---- Connections -----------------------------------------------------------

bool Trasporto::Sock_Connect(int slot, const std::string& host, int porta, std::string& indirizzo) {
  inizio_ = fine_ = 0;
  if (!Slot_Valido(slot) || porta < 0 || porta > 65535) return false;
  auto ip = Sock_Resolve(host);
  if (!ip) return false;
  indirizzo = Sock_IP_Text(*ip) + ":" + std::to_string(porta);
  Sock_Close(slot);
  interrotto_ = false;
  net::Handle fd = net::Connetti(*ip, static_cast<uint16_t>(porta), attese_.connessione_ms, [this] { return Arresto_Visto(); });
  if (fd == net::kNessuno) return false;
  slot_[slot] = fd;
  return true;
}

void Trasporto::Imposta_Orologio(Clock& orologio) {
  orologio_ = &orologio;
  ultima_pompa_ = orologio_->Millisecondi();
}

void Trasporto::Sock_Close(int slot) {
  if (!Slot_Valido(slot)) return;
  net::Chiudi(slot_[slot]);
  slot_[slot] = net::kNessuno;
}

// ---- Waits -----------------------------------------------------------------

Trasporto::Istante Trasporto::Limite(bool attesa_lunga) const {
  return orologio_->Millisecondi() + (attesa_lunga ? attese_.lunga_ms : attese_.breve_ms);
}

bool Trasporto::Arresto_Visto() {
  // The message loop runs at least once a slice, also while bytes keep
  // coming, so that a stop request can arrive.
  if (orologio_->Millisecondi() - ultima_pompa_ >= kFetta_ms) {
    Pompa_Messaggi();
    ultima_pompa_ = orologio_->Millisecondi();
  }
  if (!interrompi_ || !interrompi_()) return false;
  interrotto_ = true;
  return true;
}

bool Trasporto::Attendi_Fino(int slot, net::Attesa modo, Istante scadenza) {
  for (bool prima = true;; prima = false) {
    if (Arresto_Visto()) return false;
    const Istante adesso = orologio_->Millisecondi();
    const Istante resto = scadenza - adesso;
    if (resto <= 0 && !prima) return false;
    const int fetta = static_cast<int>(std::clamp<Istante>(resto, 0, kFetta_ms));
    ++stat_.attese;
    const net::Handle fd = Socket(slot);
    if (attesa_socket_ ? attesa_socket_(fd, modo, fetta) : net::Attendi(fd, modo, fetta)) return true;
    // Back before the slice ended: the socket reports an error.
    if (orologio_->Millisecondi() < adesso + fetta - 1) return false;
    if (resto <= kFetta_ms) return false;
  }
}

bool Trasporto::Sock_Wait(int slot, std::string_view modo, bool attesa_lunga) {
  net::Attesa a;
  if (modo == "R")
    a = net::Attesa::Lettura;
  else if (modo == "W")
    a = net::Attesa::Scrittura;
  else
    return false;
  return Attendi_Fino(slot, a, Limite(attesa_lunga));
}

bool Trasporto::Ricezione_Vuota(int vuote, bool) {
  if (vuote > kVuoteMassime) return false;
  Pompa_Messaggi();
  return true;
}

std::string Trasporto::Riga_Fallita(bool) const { return "?"; }

// ---- Sending ---------------------------------------------------------------

bool Trasporto::Sock_Write(int slot, std::string_view testo, int n) {
  if (n < 1 || n > kRecord_Massimo) return false;
  const size_t m = std::min(testo.size(), static_cast<size_t>(n));
  uscita_.resize(static_cast<size_t>(n));
  for (size_t i = 0; i < m; ++i) uscita_[i] = static_cast<char>(inversa_[static_cast<unsigned char>(testo[i])]);
  std::memset(uscita_.data() + m, inversa_[' '], static_cast<size_t>(n) - m);
  return Invia_Grezzo(slot, uscita_);
}

bool Trasporto::Invia_Grezzo(int slot, std::string_view dati) {
  net::Handle fd = Socket(slot);
  if (fd == net::kNessuno) return false;
  ++stat_.invii;
  interrotto_ = false;
  return net::Invia_Tutto(fd, dati.data(), dati.size(), Limite_Scrittura_ms(), [this] { return Arresto_Visto(); });
}

// ---- Receiving -------------------------------------------------------------

long Trasporto::Ricevi_Una_Volta(int slot) {
  if (inizio_ > 0) {  // keep the unread bytes at the front: all the free room is asked for
    std::memmove(ricezione_.data(), ricezione_.data() + inizio_, static_cast<size_t>(fine_ - inizio_));
    fine_ -= inizio_;
    inizio_ = 0;
  }
  ++stat_.ricezioni;
  const size_t libero = static_cast<size_t>(kBuffer_Ricezione - fine_);
  long r = libero == 0 ? 0 : static_cast<long>(net::Ricevi(Socket(slot), ricezione_.data() + fine_, libero));
  if (r > 0)
    fine_ += static_cast<int>(r);
  else
    ++stat_.vuote;
  return r;
}

bool Trasporto::Riempi_Fino(int slot, int n) {
  // The limit holds for the whole read.
  const Istante scadenza = Limite(true);
  interrotto_ = false;
  int vuote = 0;
  while (fine_ - inizio_ < n) {
    if (Attendi_Fino(slot, net::Attesa::Lettura, scadenza)) {
      if (Ricevi_Una_Volta(slot) > 0) continue;
      if (Ricezione_Vuota(++vuote, true)) continue;
    }
    Lettura_Fallita(slot, true);
    return false;
  }
  return true;
}

void Trasporto::Record_Pulisci(int da) {
  if (record_sporco_ > da)
    std::memset(record_.data() + da, inversa_[' '], static_cast<size_t>(record_sporco_ - da));
  record_sporco_ = da;
}

void Trasporto::Consuma(int n) {
  inizio_ += n;
  if (inizio_ == fine_) inizio_ = fine_ = 0;
}

bool Trasporto::Blocco_Ricevi(int slot, int n, uint8_t* dove) {
  if (!Riempi_Fino(slot, n)) return false;
  std::memcpy(dove, ricezione_.data() + inizio_, static_cast<size_t>(n));
  Consuma(n);
  return true;
}

bool Trasporto::Sock_Read(int slot, int n) {
  if (n < 1 || n > kBlocco_Massimo) return false;
  if (!Blocco_Ricevi(slot, n, record_.data())) return false;
  Record_Pulisci(n);
  return true;
}

bool Trasporto::Sock_ReadLine(int slot, std::string& riga, bool attesa_lunga) {
  // The limit holds for the whole line.
  const Istante scadenza = Limite(attesa_lunga);
  interrotto_ = false;
  riga.clear();
  int vuote = 0;
  int esaminati = 0;  // bytes after inizio_ already searched for CR LF
  for (;;) {
    const uint8_t* p = ricezione_.data() + inizio_;
    const int quanti = fine_ - inizio_;
    for (int i = std::max(0, esaminati - 1); i + 1 < quanti; ++i) {
      if (p[i] == '\r' && p[i + 1] == '\n') {
        riga.assign(reinterpret_cast<const char*>(p), static_cast<size_t>(i));
        Consuma(i + 2);
        return true;
      }
    }
    esaminati = quanti;
    if (!Attendi_Fino(slot, net::Attesa::Lettura, scadenza) ||
        (Ricevi_Una_Volta(slot) <= 0 && !Ricezione_Vuota(++vuote, attesa_lunga))) {
      riga = Riga_Fallita(attesa_lunga);
      Lettura_Fallita(slot, attesa_lunga);
      return false;
    }
  }
}

// ---- The record exchange ---------------------------------------------------

std::string Record_Richiesta(char lettera, std::string_view corpo, int larghezza) {
  std::string testo(corpo);
  if (larghezza >= 0) testo.resize(static_cast<size_t>(larghezza), ' ');
  char lunghezza[8];
  std::snprintf(lunghezza, sizeof lunghezza, "%05u", static_cast<unsigned>(testo.size() % 100000));
  return std::string(1, lettera) + lunghezza + testo;
}

bool Trasporto::Richiesta_Invia(int slot, char lettera, std::string_view corpo, int larghezza) {
  const std::string record = Record_Richiesta(lettera, corpo, larghezza);
  return Sock_Write(slot, record, static_cast<int>(record.size()));
}

bool Trasporto::Intestazione_Leggi(int slot, Intestazione_Risposta& risposta) {
  risposta = {};
  if (!Sock_Read(slot, 6)) return false;
  risposta.Esito = Sock_Field("A", 1, 1);
  // Five zoned digits: a whole number from 0 to 99999 (a trailing sign is not one).
  const double n = Val(Sock_Field("S", 2, 5, 5, 0));
  risposta.Lunghezza = n < 0 || n > 99999 ? 0 : static_cast<int32_t>(n);
  return true;
}

bool Trasporto::Richiesta(int slot, char lettera, std::string_view corpo, Intestazione_Risposta& risposta,
                          int larghezza) {
  return Richiesta_Invia(slot, lettera, corpo, larghezza) && Intestazione_Leggi(slot, risposta);
}

bool Trasporto::Richiesta_Grezza_Invia(int slot, char lettera, std::string_view testata,
                                       std::span<const uint8_t> grezzi) {
  const size_t corpo = testata.size() + grezzi.size();
  if (corpo > static_cast<size_t>(kRecord_Massimo - 6)) return false;
  std::string record(1, lettera);
  char lunghezza[8];
  std::snprintf(lunghezza, sizeof lunghezza, "%05u", static_cast<unsigned>(corpo));
  record += lunghezza;
  record += testata;
  // The converted header and the raw bytes leave in one send: the same
  // bytes on the wire as two sends, with one system call less per chunk.
  uscita_.resize(record.size() + grezzi.size());
  for (size_t i = 0; i < record.size(); ++i)
    uscita_[i] = static_cast<char>(inversa_[static_cast<unsigned char>(record[i])]);
  if (!grezzi.empty()) std::memcpy(uscita_.data() + record.size(), grezzi.data(), grezzi.size());
  return Invia_Grezzo(slot, uscita_);
}

bool Trasporto::Corpo_Scarta(int slot, int32_t lunghezza) {
  while (lunghezza > 0) {
    const int32_t blocco = std::min(lunghezza, kBlocco_Massimo);
    if (!Riempi_Fino(slot, blocco)) return false;
    Consuma(blocco);
    lunghezza -= blocco;
  }
  return true;
}

// ---- Helpers ---------------------------------------------------------------

std::string Trasporto::Sock_Local_IP(int slot) const {
  auto ip = net::IP_Locale(Socket(slot));
  return ip ? Sock_IP_Text(*ip) : "";
}

std::string Trasporto::Sock_Local_Port(int slot) const {
  auto porta = net::Porta_Locale(Socket(slot));
  return porta ? std::to_string(*porta) : "";
}

}  // namespace qod
