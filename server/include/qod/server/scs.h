// The print stream interpreter: the print data of a spool file, fetched in
// blocks, read as an SCS printer stream. Printable characters are laid out
// on a grid of lines and columns, one page text file per page; text between
// "{" and "}" is captured as a tag line of the page's command file. Pages
// and lines go through the page layer (`Pagine_Spool`).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "qod/host/scambio.h"
#include "qod/server/pagine.h"
#include "qod/ui.h"

namespace qod {

class Pannello;

inline constexpr int32_t kBlocco_Dati = 8186;  // bytes the host sends per block

// The print data request in the failure texts: "[Spool_Get] Errore Sock_Read {G}(1)".
inline constexpr Nome_Scambio kNome_Dati{"Spool_Get", 'G'};

// Where the print data comes from: the block that starts at a byte offset.
class Sorgente_Dati {
 public:
  enum class Esito {
    Ok,
    Errore_Intestazione,  // the reply header was not read
    Rifiutato,            // the host refused the block
    Errore_Corpo,         // the block itself was not read
  };
  virtual ~Sorgente_Dati() = default;
  // On Ok, `blocco` shows the bytes until the next call.
  virtual Esito Blocco(int32_t offset, std::span<const uint8_t>& blocco) = 0;
};

// Print data held in memory, served in blocks of `lunghezza_blocco` bytes
// from any offset, as the host does. Keeps the offsets asked for.
class Sorgente_Memoria : public Sorgente_Dati {
 public:
  explicit Sorgente_Memoria(std::span<const uint8_t> dati, int32_t lunghezza_blocco = kBlocco_Dati)
      : dati_(dati), blocco_(lunghezza_blocco < 1 ? 1 : lunghezza_blocco) {}
  Esito Blocco(int32_t offset, std::span<const uint8_t>& blocco) override;
  std::vector<int32_t> Richieste;

 private:
  std::span<const uint8_t> dati_;
  int32_t blocco_;
};

class Interprete_SCS {
 public:
  explicit Interprete_SCS(Pagine_Spool& pagine) : P(pagine) {}

  // A log line (written with a blank line before it and the date prefix).
  std::function<void(const std::string&)> Registro;
  // A transfer failure of a block, with its message: the caller logs it
  // and drops the host connection for a reconnection.
  std::function<void(const std::string&)> Guasto;
  Pannello* Quadro = nullptr;  // the Dati row shows the progress
  Pump Pompa_Messaggi;         // once per block
  // Asked once per block, after the pump: true (the program is ending)
  // stops at once with false, without a log line or a disconnection.
  std::function<bool()> Arresto;

  // `Spool_Dati`: fetches and lays out `dimensione` bytes of print data, up
  // to page `ultima_pagina`. The page layer must have been started for the
  // spool file. True when the stream was interpreted (to its end, to the
  // last page of the range, or until a page file failed, which the page
  // layer has reported); false after a transfer failure, already logged and
  // with the connection dropped, and on a stop request.
  bool Spool_Dati(Sorgente_Dati& sorgente, const std::array<uint8_t, 256>& tabella, int32_t dimensione,
                  int32_t ultima_pagina);

  // ---- Interpreter state ---------------------------------------------------
  int32_t Offset_Dati = 0;
  int32_t Lunghezza_Blocco = 0;
  int32_t Posizione = 0;
  int32_t Byte_Ricevuti = 0;
  bool In_Tag = false;
  int32_t Colonna_Tag = 0;
  std::string Buffer_Tag = std::string(kLarghezza_Riga, ' ');
  int32_t Passo_Righe = 1;
  int32_t Parametro = 0;

 private:
  // Incompleto: the block holds only the start of one control.
  enum class Dopo { Blocco_Successivo, Fine_Dati, Stop, Incompleto };

  // The block being read: its bytes, whether data follows it, and where the
  // next read starts.
  struct Blocco_In_Corso {
    const uint8_t* b;
    int32_t n;
    bool altri_dati;
    int64_t& prossimo;
  };

  // One block of print data, control by control from its first byte.
  Dopo Blocco_Interpreta(std::span<const uint8_t> blocco, const std::array<uint8_t, 256>& tabella,
                         int64_t dimensione, int64_t& prossimo);
  Dopo Riprendi(const Blocco_In_Corso& k);
  Dopo Non_Entra(const Blocco_In_Corso& k);
  // The control at `Posizione`: nothing when the block goes on after it (at
  // the new `Posizione`), else how the block ends.
  std::optional<Dopo> Controllo_Multibyte(const Blocco_In_Corso& k);
  std::optional<Dopo> Posizione_Presentazione(const Blocco_In_Corso& k);
  // Line nn of the page, on the next page when it lies above the current
  // line; a form feed; a new line. False: stop (the last page of the range
  // is done, or a page file failed).
  bool Riga_Assoluta(int32_t nn);
  bool Modulo_Avanti();
  bool A_Capo();
  // The run of text at `Posizione`: where it ends.
  int32_t Testo_Metti(const Blocco_In_Corso& k, const std::array<uint8_t, 256>& tabella);
  // One byte placed as a character, opening or closing a tag; false: stop.
  bool Carattere_Metti(uint8_t x, const std::array<uint8_t, 256>& tabella);
  bool Apri_Se_Serve();
  void Metti(char c);
  bool Tag_Chiudi();
  bool Fallito(const std::string& messaggio);

  Pagine_Spool& P;
  int32_t ultima_ = 0;
};

}  // namespace qod
