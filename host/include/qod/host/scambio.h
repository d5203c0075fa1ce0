// One exchange with the host program on the host slot: the request record,
// the reply header, and the body taken by one rule, so that after every
// exchange either the next reply starts where it should or the step that
// failed is known (the caller then drops the connection). Every request the
// programs make of the host goes through here, and the failure texts of
// the steps ("[Spool_Formato] Errore Sock_Read {F}(1)") are made here.
//
// The body rule:
//  - a refusal's body is read and dropped, unless the refusal ends the
//    connection (`Rifiuto_Chiude`): then it is left unread, the
//    connection goes anyway;
//  - an accepted reply that carries no data has its body dropped, and a
//    failure there is a failure of the one step such a reply has;
//  - one that carries a record has its body read into the transport's
//    record buffer when the length fits (`Minimo` .. one block); a body
//    that does not fit fails the body step, as the caller chooses: at once
//    without reading (the connection goes), after dropping it whole (the
//    stream stays in step, the reply says `Scartato`), or, when it is only
//    too long, keeping its first block and dropping the rest.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "qod/host/trasporto.h"

namespace qod {

// The slot every exchange with the host program runs on.
inline constexpr int kSlot_Host = 1;

// A step of an exchange, as its failure is named.
enum class Passo_Scambio : uint8_t {
  Nessuno,       // every step went as it should
  Intestazione,  // the request was not sent whole or the reply header not read
  Esito,         // the host refused (its outcome is not "0")
  Corpo,         // the body was not read, or could not be a record
};

// How the step is written after the record letter.
enum class Numeri_Passo : uint8_t {
  Passo,    // "Errore Sock_Read {F}(1)" and "(2)" for the body; "Errore Esito {F}"
  Letture,  // the read numbered too: "Errore Sock_Read_1 {P}(1)", "Errore Sock_Read_2 {P}(2)"
  Parte,    // one number for the whole exchange, the outcome's text too: "Errore Esito {W}(3)"
  Nessuno,  // the search's texts: "Errore Sock_Read {O}", "Errore esito {O}"
};

// The name of one exchange in its failure texts: the procedure in brackets,
// the record letter in braces and the step.
struct Nome_Scambio {
  std::string_view Procedura;  // "Spool_Get"; empty: no brackets
  char Lettera = ' ';
  Numeri_Passo Numeri = Numeri_Passo::Passo;
  int Primo = 1;  // the number of the header step; the body's is the next
};

// The failure text of `passo` (not Nessuno).
std::string Testo_Passo(const Nome_Scambio& nome, Passo_Scambio passo);

// A request record: the letter and the body text (converted to EBCDIC),
// padded or cut to `Larghezza` when one is given; for an upload chunk, the
// bytes that follow the text as they stand.
struct Richiesta_Host {
  char Lettera = ' ';
  std::string_view Corpo;
  int Larghezza = -1;
  std::optional<std::span<const uint8_t>> Grezzi;
};

// What an accepted reply carries.
enum class Corpo_Atteso : uint8_t {
  Nessuno,  // nothing the caller reads: any body is dropped
  Record,   // one record, into the record buffer
};

// What becomes of a record body whose length does not fit.
enum class Fuori_Misura : uint8_t {
  Guasto,    // the body step fails at once, nothing read
  Scartato,  // read and dropped, the stream in step; the reply says Scartato
  Troncato,  // too long: its first block is the record, the rest dropped; too short: as Guasto
};

struct Regola_Corpo {
  Corpo_Atteso Corpo = Corpo_Atteso::Record;
  int32_t Minimo = 1;  // the shortest body that is a record (0: an empty one is)
  Fuori_Misura Fuori = Fuori_Misura::Guasto;
  // The caller drops the connection on a refusal: its body is left unread.
  bool Rifiuto_Chiude = false;
  // An outcome other than "0" that ends a list rather than refuses (the
  // definitions' "1"): its body is dropped whatever `Rifiuto_Chiude` says.
  char Fine = 0;
};

// A reply that carries no data, its refusal dropped too.
inline constexpr Regola_Corpo kSenza_Dati{.Corpo = Corpo_Atteso::Nessuno};
// A reply whose outcome is all that counts: a refusal ends the connection.
inline constexpr Regola_Corpo kSolo_Esito{.Corpo = Corpo_Atteso::Nessuno, .Rifiuto_Chiude = true};

// The reply of one exchange. Its fields are those of the transport's
// record buffer: they hold until the next read on the transport.
class Risposta_Host {
 public:
  Risposta_Host(const Trasporto& trasporto, const Nome_Scambio& nome) : t_(&trasporto), nome_(nome) {}

  // The step whose transfer failed (Intestazione or Corpo), Nessuno when
  // the stream is in step. A reply without data has one step: a failure to
  // drop its body is the header's.
  Passo_Scambio Guasto() const { return guasto_; }
  // The first step, in the order of the exchange, that did not go as it
  // should: the header, the outcome (a refusal), the body (failed, or not
  // a record). Nessuno: the reply is accepted and its record in hand, or
  // it ends a list.
  Passo_Scambio Passo() const;
  // The failure text of Passo(), or of the given step.
  std::string Messaggio() const { return Testo_Passo(nome_, Passo()); }
  std::string Messaggio(Passo_Scambio passo) const { return Testo_Passo(nome_, passo); }

  bool Letta() const { return letta_; }  // the header was read
  const std::string& Esito() const { return testata_.Esito; }
  int32_t Lunghezza() const { return testata_.Lunghezza; }
  bool Accettata() const { return letta_ && testata_.Accettata(); }
  // The outcome that ends a list (Regola_Corpo::Fine).
  bool Fine() const { return fine_; }
  bool Rifiutata() const { return letta_ && !testata_.Accettata() && !fine_; }
  // An accepted record body that could not be one, dropped.
  bool Scartato() const { return scartato_; }

  // ---- The record ----------------------------------------------------------

  // A text field ("A"), columns from 1.
  std::string Testo(int32_t inizio, int32_t lunghezza) const { return t_->Sock_Field("A", inizio, lunghezza); }
  // A zoned decimal field ("S") of `lunghezza` digits.
  std::string Zoned(int32_t inizio, int32_t lunghezza, int32_t decimali = 0) const {
    return t_->Sock_Field("S", inizio, lunghezza, lunghezza, decimali);
  }
  // Any field, as Trasporto::Sock_Field decodes it.
  std::string Campo(std::string_view tipo, int32_t inizio, int32_t lunghezza, int32_t cifre = 0,
                    int32_t decimali = 0) const {
    return t_->Sock_Field(tipo, inizio, lunghezza, cifre, decimali);
  }
  // The body bytes read, as they came (empty when none was read).
  std::span<const uint8_t> Dati() const { return {t_->Buffer_Record().data(), static_cast<size_t>(letti_)}; }
  // The whole record buffer: the body, then EBCDIC blanks.
  const std::array<uint8_t, kBuffer_Record>& Record() const { return t_->Buffer_Record(); }

 private:
  friend Risposta_Host Scambio_Host(Trasporto&, const Nome_Scambio&, const Richiesta_Host&, const Regola_Corpo&);
  friend Risposta_Host Risposta_Leggi(Trasporto&, const Nome_Scambio&, const Regola_Corpo&);

  const Trasporto* t_;
  Nome_Scambio nome_;
  Intestazione_Risposta testata_;
  Passo_Scambio guasto_ = Passo_Scambio::Nessuno;
  bool letta_ = false;
  bool fine_ = false;
  bool scartato_ = false;
  int32_t letti_ = 0;
};

// Sends the request and takes its reply by the rule.
Risposta_Host Scambio_Host(Trasporto& trasporto, const Nome_Scambio& nome, const Richiesta_Host& richiesta,
                           const Regola_Corpo& regola = {});
// Takes a reply the host sends unasked (its greeting) by the rule.
Risposta_Host Risposta_Leggi(Trasporto& trasporto, const Nome_Scambio& nome, const Regola_Corpo& regola = {});

}  // namespace qod
