// The stages that follow the page images (print, archive upload, one PDF per
// document, images to a folder; mail and XML come with the PDF), and the
// printer reachability test. Each is its own piece of work; the spool file
// cycle only calls them through these interfaces.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "qod/server/base_server.h"
#include "qod/host/collegamento.h"
#include "qod/net/ping.h"
#include "qod/record/attributi.h"
#include "qod/record/definizioni.h"
#include "qod/server/pagine.h"
#include "qod/server/pannello.h"
#include "qod/ui.h"

namespace qod {

// The result of one echo to the printer.
using Risultato_Ping = net::Risultato_Ping;

// The spool file in hand, as the road has made it so far: its attribute
// record, its definitions, its page files and tables, its page images and
// the printer's echo. The road alone changes it, between the stages; a
// stage reads it.
struct Stato_Spool {
  Attributi_Spool Attributi;
  bool Errore_Spool = false;  // the spool file failed (not a transfer failure)
  Definizione_Formato Formato;
  Gruppi_Campi Gruppi;
  // The host's field dictionary the spool file is laid out with.
  const Dizionario_Campi* Dizionario = nullptr;
  Pagine_Spool Pagine;              // page files, tables, `Pagine_Aperte`
  std::string Estensione_Immagine;  // of the page images just made
  int32_t Copie_Immagini = 1;       // copies rendered per page
  Risultato_Ping Ultimo_Ping;
  std::string Esito;                // outcome text of the done record
  // The raw attribute record, copied when it is kept for the archive
  // (field 621 "T" and an archived spool file).
  std::array<uint8_t, kLunghezza_Attributi> Record_Grezzo{};
  bool Record_Copiato = false;

  // The raw attribute record when it is kept, else empty.
  std::span<const uint8_t> Record_Attributi() const {
    return Record_Copiato ? std::span<const uint8_t>(Record_Grezzo) : std::span<const uint8_t>();
  }
  // The field dictionary, empty when none is known.
  const Dizionario_Campi& Campi() const {
    static const Dizionario_Campi vuoto;
    return Dizionario ? *Dizionario : vuoto;
  }
};

// What a stage may ask of the road and tell it while it runs. The server
// parts a stage works with (folders and settings, panel, host records) it
// is given when it is made.
struct Strada_Fase {
  // Marks the spool file failed and shows the message on the state row
  // when that is still empty.
  std::function<void(const std::string&)> Errore = [](const std::string&) {};
  // A transfer failure on the host connection: logs the message and drops
  // the connection for a new attempt; false. An exchange that a stop
  // request cut short is no failure: it abandons the spool file instead,
  // and nothing is logged for it.
  std::function<bool(const std::string&)> Guasto = [](const std::string&) { return false; };
  // The stop request, as the road itself looks at it: true once the
  // program is ending, and from then on for the rest of the spool file,
  // which is abandoned without its done record. A stage asks it before
  // each page, copy, job block and document, and when it is true returns
  // at once, leaves no partial file under a final name and reports no
  // failure. Unset, nothing stops.
  std::function<bool()> Arresto = [] { return false; };
  // The stage has done what cannot be taken back (a mail command has been
  // started): from here on a stop request no longer abandons the spool
  // file, which goes to its end with its done record.
  std::function<void()> Irrevocabile = [] {};
  // The program's stop request itself, which after `Irrevocabile` no longer
  // abandons the spool file: a stage waiting on what it cannot take back
  // (the mail command) stops waiting once it is true, and goes on.
  std::function<bool()> Arresto_Programma = [] { return false; };
};

// The server parts every stage works with.
struct Servizi_Fase {
  Server_Base& Base;  // folders, settings, log, file-name templates
  Pannello& Quadro;   // the stage writes its own row
  Pump Pompa;
};

// One output stage. It reads what it needs of the spool file, writes its
// panel row, and on a failure of its own calls `Errore` with its message.
// The result is the stage's own: for the archive, false means a transfer
// failure that has already been logged and has dropped the connection (the
// spool file then stays on the host). After a stop request the result does
// not matter: the road looks at the request itself.
class Fase_Uscita {
 public:
  virtual ~Fase_Uscita() = default;
  virtual bool Esegui(const Stato_Spool& stato, const Strada_Fase& strada) = 0;
  // The spool file the stage last ran for was abandoned on a stop request,
  // during the stage or after it: what the stage handed on and can still
  // take back is taken back. The print stage cancels its jobs that the printing
  // system has not completed; the other stages leave only whole files.
  virtual void Abbandona() {}
};

// Looks the printer address up (HOSTS file) and sends one echo with time to
// live 20 and a time-out of 1000 ms.
class Ping_Stampante {
 public:
  virtual ~Ping_Stampante() = default;
  // `indirizzo`: the 15-character address column, blanks kept. Nothing when
  // the lookup itself fails (the HOSTS file cannot be read, or the address
  // it gives is malformed): then no echo was sent. A name the file does not
  // list is no failure: it stands for itself.
  virtual std::optional<Risultato_Ping> Ping(const std::string& indirizzo) = 0;
};

}  // namespace qod
