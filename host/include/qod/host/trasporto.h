// The record transport to the host program: a table of three sockets (only
// slot 1 is used), the EBCDIC conversion tables, request records written in
// EBCDIC, reply blocks and CR LF lines read through one shared receive
// buffer, and the field decoder over the last block read.
//
// Wire format. A request (`Record_Host`) is a letter, five digits of body
// length and the body, converted byte by byte through the inverse table. A
// reply (`Risposta_Host`) is a 6-byte header (`Esito`, "A" at column 1, and
// the body length, zoned "S" at columns 2-6) followed by the body, read as a
// separate block.
//
// Waiting. Everything runs on the caller's thread. A read waits for the
// socket with a limit (20 s by default) that holds for the whole read, not
// for each wait, so a peer that drips its reply cannot keep it alive. Every
// wait (a reply, a connect, room to send) goes in short slices: between
// them the message loop is pumped and a stop request is looked at, so a
// stop is answered within one slice. A read
// receives what the stack holds and pumps after each empty receive; the
// 21st empty receive of one read ends it. A derived class may wait another way (the archive
// viewer polls with short sleeps) while keeping the framing, the buffers and
// the decoder.
//
// Time. Deadlines are taken from a `Clock` (the steady system clock unless
// one is set) and the readiness wait on the socket can be replaced, so that
// a test can run a wait of minutes on a clock it moves itself.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "qod/clock.h"
#include "qod/net/socket.h"
#include "qod/ui.h"

namespace qod {

inline constexpr int kSlot_Numero = 3;             // slots 0..2
inline constexpr int kBuffer_Ricezione = 16384;    // bytes received, not yet consumed
inline constexpr int kBuffer_Record = 16385;       // positions 0..16384
inline constexpr int kBlocco_Massimo = 8192;       // the largest block one read delivers
inline constexpr int kRecord_Massimo = 6 + 99999;  // a letter, 5 digits, the longest body

// The time limits of the transport, in milliseconds.
struct Attese_Rete {
  int lunga_ms = 20000;        // a reply block, writability, the first line of an FTP reply
  int breve_ms = 1000;         // further lines of an FTP reply
  int connessione_ms = 20000;  // a connect that is neither accepted nor refused
};

// The 6-byte header of a reply: the outcome ("0" accepted, anything else
// refused or the end of a list) and the length of the body that follows.
struct Intestazione_Risposta {
  std::string Esito;
  int32_t Lunghezza = 0;
  bool Accettata() const { return Esito == "0"; }
};

// A request record: the letter, the body length in five digits and the body.
// With `larghezza` the body is padded with blanks (or cut) to that width.
std::string Record_Richiesta(char lettera, std::string_view corpo, int larghezza = -1);

// Counters of the system calls, for benchmarks and tests.
struct Statistiche_Rete {
  uint64_t invii = 0;       // send calls
  uint64_t ricezioni = 0;   // receive calls (empty ones included)
  uint64_t vuote = 0;       // empty receives
  uint64_t attese = 0;      // readiness waits
};

class Trasporto {
 public:
  explicit Trasporto(Attese_Rete attese = {}, Pump pompa = {});
  virtual ~Trasporto();
  Trasporto(const Trasporto&) = delete;
  Trasporto& operator=(const Trasporto&) = delete;

  void Imposta_Attese(const Attese_Rete& attese) { attese_ = attese; }
  const Attese_Rete& Attese() const { return attese_; }
  void Imposta_Pompa(Pump pompa) { pompa_ = std::move(pompa); }
  // Asked between the slices of every wait (a reply, a connect, room to
  // send): true (the program is ending) makes the operation fail at once.
  void Imposta_Interruzione(std::function<bool()> interrompi) { interrompi_ = std::move(interrompi); }
  // True when the last connect, send or read failed on a stop request:
  // the exchange was cut short, not refused by the peer.
  bool Interrotto() const { return interrotto_; }
  // Where the transport writes its one log line (a missing or short table).
  void Imposta_Registro(std::function<void(const std::string&)> registro) { registro_ = std::move(registro); }
  // The clock the limits are measured on (`Millisecondi`, monotonic).
  void Imposta_Orologio(Clock& orologio);
  Clock& Orologio() const { return *orologio_; }
  // Waits until the socket is ready or `limite_ms` passes (net::Attendi
  // unless set): true when ready, false on time-out or a socket error. A
  // replacement that times out moves the transport's clock by the slice.
  using Attesa_Socket = std::function<bool(net::Handle fd, net::Attesa modo, int limite_ms)>;
  void Imposta_Attesa_Socket(Attesa_Socket attesa) { attesa_socket_ = std::move(attesa); }

  // ---- Start and stop ----------------------------------------------------

  // Starts the socket layer and loads the tables from `file_tabella` (6
  // header bytes, then entry i = the ANSI code of EBCDIC code i); when
  // already started nothing is done. A missing or short file leaves the
  // missing entries 0 and is logged (once, until a good table is loaded).
  bool Sock_Init(std::string& descrizione, const std::string& file_tabella);
  // Closes every slot and clears the started mark.
  void Sock_Termina();
  bool Avviato() const { return avviato_; }

  // ---- Connections -------------------------------------------------------

  // Empties the receive buffer, resolves `host`, writes "a.b.c.d:port" into
  // `indirizzo` and connects the slot (closing what it held before). The
  // connect is bounded by `connessione_ms`.
  bool Sock_Connect(int slot, const std::string& host, int porta, std::string& indirizzo);
  void Sock_Close(int slot);

  // ---- Records and lines -------------------------------------------------

  // Converts `testo` to EBCDIC, cut or padded with the EBCDIC blank to
  // exactly `n` bytes (1..kRecord_Massimo), and sends every byte, waiting up
  // to the long limit whenever the socket is not writable. False when the
  // record could not be sent whole: the caller treats it as a transfer
  // failure.
  bool Sock_Write(int slot, std::string_view testo, int n);

  // Delivers exactly `n` bytes (1..8192) of the reply stream into
  // `Buffer_Record` from position 0; the rest of the record buffer reads as
  // EBCDIC blanks, so a short reply never shows bytes of an earlier one.
  // n out of range fails at once without touching the socket or buffers.
  bool Sock_Read(int slot, int n);

  // Delivers the next CR LF line without its CR LF, one character per byte,
  // not converted. `attesa_lunga` picks the long or the short wait. On
  // failure the line is "?".
  bool Sock_ReadLine(int slot, std::string& riga, bool attesa_lunga);

  // Waits until the slot is readable ("R") or writable ("W"), long or short.
  bool Sock_Wait(int slot, std::string_view modo, bool attesa_lunga);

  // Sends bytes as they stand (FTP lines, raw chunks): every byte or false.
  bool Invia_Grezzo(int slot, std::string_view dati);

  // ---- The record exchange -------------------------------------------------
  // The parts of one exchange; the programs go through Scambio_Host
  // (scambio.h), which puts them together with the body rule.

  // Sends the request record of `lettera` and `corpo` (see Record_Richiesta).
  bool Richiesta_Invia(int slot, char lettera, std::string_view corpo, int larghezza = -1);
  // Reads the next reply header into `risposta`.
  bool Intestazione_Leggi(int slot, Intestazione_Risposta& risposta);
  // Sends a request and reads its reply header: false when either fails.
  bool Richiesta(int slot, char lettera, std::string_view corpo, Intestazione_Risposta& risposta,
                 int larghezza = -1);
  // Reads and drops `lunghezza` body bytes that no step reads, so that the
  // next reply starts where it should. The record buffer keeps what it held.
  bool Corpo_Scarta(int slot, int32_t lunghezza);
  // A request whose body is `testata` (text, converted) followed by `grezzi`
  // (bytes as they stand, not converted): the five-digit length counts both.
  // Every byte goes out, waiting for writability; false when the record
  // could not be sent whole (a transfer failure of the caller's step).
  bool Richiesta_Grezza_Invia(int slot, char lettera, std::string_view testata, std::span<const uint8_t> grezzi);

  // ---- Reply fields --------------------------------------------------------

  // One field of `Buffer_Record`, columns from 1 (see campi.cpp):
  //  "A" text through the conversion table, a 0 byte as "Ø";
  //  "S" zoned decimal, "P" packed decimal: digits, a "." before the last
  //      `decimali` digits, a trailing "-" when negative;
  //  "B" big-endian two's complement of 1..4 bytes, in decimal.
  // Any other kind, a field outside the buffer or an invalid value gives "".
  // `cifre` is the layout's digit count; the decoding does not use it.
  std::string Sock_Field(std::string_view tipo, int32_t inizio, int32_t lunghezza, int32_t cifre = 0,
                         int32_t decimali = 0) const;

  // ---- Helpers -------------------------------------------------------------

  static std::optional<uint32_t> Sock_Resolve(std::string_view host) { return net::Risolvi(host); }
  static std::string Sock_IP_Text(uint32_t indirizzo) { return net::Testo_IP(indirizzo); }
  static int Sock_Linger(net::Handle fd, bool attivo, int secondi) { return net::Linger(fd, attivo, secondi); }
  static std::string Sock_Host_Name() { return net::Nome_Host(); }
  // The local address and port of the slot's socket; empty on failure.
  std::string Sock_Local_IP(int slot) const;
  std::string Sock_Local_Port(int slot) const;

  // ---- State read by the decoders, tests and benchmarks --------------------

  const std::array<uint8_t, 256>& Tabella() const { return tabella_; }
  const std::array<uint8_t, 256>& Tabella_Inversa() const { return inversa_; }
  const std::array<std::array<char, 2>, 160>& Tabella_Packed() const { return packed_; }
  const std::array<uint8_t, kBuffer_Record>& Buffer_Record() const { return record_; }
  int Ricevuti() const { return fine_ - inizio_; }  // bytes waiting in the receive buffer
  net::Handle Socket(int slot) const { return Slot_Valido(slot) ? slot_[slot] : net::kNessuno; }
  const Statistiche_Rete& Statistiche() const { return stat_; }

 protected:
  using Istante = int64_t;  // milliseconds on the transport's clock
  // Waits until the slot is ready or `scadenza` passes, in slices with a
  // pump and a look at the stop request between them.
  bool Attendi_Fino(int slot, net::Attesa modo, Istante scadenza);
  // Between two slices of any wait: pumps when a slice has passed since the
  // last pump, then asks for the stop request; true (and `Interrotto`) when
  // it has come.
  bool Arresto_Visto();
  // After the `vuote`-th empty receive of one read: pumps, and gives up
  // at the 21st.
  virtual bool Ricezione_Vuota(int vuote, bool attesa_lunga);
  // What a failed line read leaves in the line.
  virtual std::string Riga_Fallita(bool attesa_lunga) const;
  // How long a send waits for the socket to become writable.
  virtual int Limite_Scrittura_ms() const { return attese_.lunga_ms; }
  // After a block read or a line read failed on `slot` (`attesa_lunga`: a
  // line read with the long wait, or a block); by default the bytes
  // received so far stay for the next read.
  virtual void Lettura_Fallita(int slot, bool attesa_lunga) { (void)slot, (void)attesa_lunga; }
  // Drops every byte received and not yet consumed.
  void Ricezione_Svuota() { inizio_ = fine_ = 0; }

  void Pompa_Messaggi() const { Pompa(pompa_); }
  // Receives until `n` bytes (1..kBuffer_Ricezione) wait in the receive
  // buffer, then moves them to `dove`; what is not consumed stays for the
  // next read. The building block of every block read.
  bool Blocco_Ricevi(int slot, int n, uint8_t* dove);

 private:
  static bool Slot_Valido(int slot) { return slot >= 0 && slot < kSlot_Numero; }
  void Tabelle_Carica(const std::string& file_tabella);
  void Record_Pulisci(int da);
  // One receive into the free room of the receive buffer: the byte count, 0
  // or less for an empty receive.
  long Ricevi_Una_Volta(int slot);
  // Receives until the buffer holds `n` bytes.
  bool Riempi_Fino(int slot, int n);
  // Takes `n` waiting bytes out of the receive buffer.
  void Consuma(int n);

  Istante Limite(bool attesa_lunga) const;

  Attese_Rete attese_;
  Pump pompa_;
  std::function<bool()> interrompi_;
  bool interrotto_ = false;
  Clock* orologio_ = &SystemClock::Istanza();
  Attesa_Socket attesa_socket_;
  Istante ultima_pompa_ = orologio_->Millisecondi();
  std::function<void(const std::string&)> registro_;
  bool avviato_ = false;
  bool tabella_segnalata_ = false;
  std::array<net::Handle, kSlot_Numero> slot_{net::kNessuno, net::kNessuno, net::kNessuno};

  std::array<uint8_t, 256> tabella_{};
  std::array<uint8_t, 256> inversa_{};
  std::array<std::array<char, 2>, 160> packed_{};

  // Bytes received and not yet consumed are [inizio_, fine_).
  std::array<uint8_t, kBuffer_Ricezione> ricezione_{};
  int inizio_ = 0, fine_ = 0;
  std::array<uint8_t, kBuffer_Record> record_{};
  int record_sporco_ = 0;  // record_ past this position already holds blanks
  std::string uscita_;     // the converted record being sent
  Statistiche_Rete stat_;
};

}  // namespace qod
