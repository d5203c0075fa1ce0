// The road of one spool file, as the server's main window runs it: keep the
// host connection alive, ask for the next spool file, decode its attribute
// record, read its definitions, lay its print data out into page files and
// tags, render the pages, hand them to the output stages, report the outcome
// to the host, keep the totals, write the log table and the backup copy.
// Headless: the program's window hosts it and shows its panel model.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "qod/server/base_server.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/record/attributi.h"
#include "qod/record/definizioni.h"
#include "qod/record/immagini.h"
#include "qod/server/pagine.h"
#include "qod/server/pannello.h"
#include "qod/server/scs.h"
#include "qod/server/uscite.h"
#include "qod/ui.h"

namespace qod {

// The print data of the current spool file, fetched from the host in
// blocks (request "G", the offset as 10 digits).
class Sorgente_Host : public Sorgente_Dati {
 public:
  explicit Sorgente_Host(Trasporto& trasporto) : t_(trasporto) {}
  Esito Blocco(int32_t offset, std::span<const uint8_t>& blocco) override;

 private:
  Trasporto& t_;
};

// A "yyyymmddhhnnss" stamp as the panel shows it: " dd/mm/yy  hh:nn".
std::string Timbro_Pannello(const std::string& timbro);

// What the road needs besides the host connection.
struct Fasi_Spool {
  Generatore_Immagini* Immagini = nullptr;
  Fase_Uscita* Stampa = nullptr;
  Fase_Uscita* Archivia = nullptr;
  Fase_Uscita* PDF = nullptr;
  Fase_Uscita* Salva_Immagini = nullptr;
  Ping_Stampante* Ping = nullptr;
  // The viewer window: shows the first page image of the spool file.
  std::function<void(const std::string& immagine)> Visore_Carica;
};

class Spool_Server {
 public:
  Spool_Server(Server_Base& base, Trasporto& trasporto, Connessione_Host& host, Pannello& pannello, Pump pompa,
               Fasi_Spool fasi = {});
  Spool_Server(const Spool_Server&) = delete;
  Spool_Server& operator=(const Spool_Server&) = delete;

  // ---- The stages ----------------------------------------------------------

  // One polling cycle: handles at most one spool file. True when a spool
  // file went the whole way (its done record was accepted, with or without
  // `Errore_Spool`); false when nothing was waiting, a record exchange
  // failed, or a definition, print data or archive stage failed.
  bool Spool_Get();

  // The format definitions ("F"), the mail ("E") and XML ("M") field
  // groups. False after a transfer failure (logged, connection dropped).
  bool Spool_Formato();
  bool Spool_Formato_Posta();
  bool Spool_Formato_XML();
  // Fetches and lays out the print data. False after a transfer failure.
  bool Spool_Dati();
  // Renders every page and copy of the range; leaves in `Pagine_Aperte`
  // the number of pages rendered.
  void Spool_Immagini();

  // Takes `attributi` as the spool file in hand without asking the host,
  // with `pagine_aperte` pages laid out (copy-dependent or not) and no
  // failure yet: for running one of the stages above by itself.
  void Spool_Prepara(const Attributi_Spool& attributi, int32_t pagine_aperte = 0, bool pagina_dipendente = false);

  // A failure of the spool file that is not a transfer failure: marks the
  // spool file and shows the message on the state row when that is empty.
  void Errore_Segnala(const std::string& messaggio);

  // The program's stop request. The road asks it (through
  // Arresto_Richiesto, the one check the fetch, the render, the output
  // stages share) once per block of print data, page image, printed image,
  // saved or archived page and document, and before the done record: true
  // (the program is ending) abandons the spool file where it stands, without
  // its done record, so that the host keeps it. The host waits ask the same
  // request through the transport. Unset, nothing stops.
  void Arresto_Imposta(std::function<bool()> arresto) { arresto_ = std::move(arresto); }
  bool Abbandonato() const { return abbandonato_; }
  // True while the spool file in hand is past what cannot be taken back
  // (its mail command has started): it goes to its end, done record
  // included, whatever stop requests come, so its host waits should not
  // give way to them either.
  bool Irrevocabile() const { return irrevocabile_; }

  // The values of an attribute record that no spool file can have: a
  // negative data size or page total, a page range that cannot be, a spool
  // number that the done record cannot carry. Empty when none.
  static std::string Attributi_Errati(const Attributi_Spool& a);
  // The largest copy count the override field can hold; more is taken as it.
  static constexpr int32_t kCopie_Massime = 9999;

  // The pause before the same spool file is taken again after `fallimenti`
  // failures in a row: none after the first, then 2 s doubling up to
  // kPausa_Massima_ms.
  static int64_t Pausa_Ritentativo_ms(int32_t fallimenti);
  static constexpr int64_t kPausa_Massima_ms = 256000;

  // Reads the running totals from the settings file and shows rows 2 and 3.
  void Progressivi_Carica();
  // The spool files done since the program started and in all (kept in
  // [Progressivi]).
  int64_t Stampe_Avvio() const { return stampe_avvio_; }
  int64_t Stampe_Totali() const { return stampe_totali_; }
  // Sets the count since the start, as after a program that has run long.
  void Stampe_Avvio_Imposta(int64_t stampe) { stampe_avvio_ = stampe; }

  // The spool file in hand, as the road has made it so far.
  const Stato_Spool& Stato() const { return stato_; }
  // True while Spool_Get runs.
  bool Spool_In_Corso() const { return in_corso_; }
  // The connection window, "yyyymmddhhnnss": as the settings give it at
  // start-up, then as each keep-alive brings it.
  void Finestra_Iniziale();
  const std::string& End() const { return end_; }
  const std::string& Restart() const { return restart_; }
  // The first page image of the last spool file, for the viewer key.
  const std::string& Immagine_Visualizza() const { return immagine_visualizza_; }

 private:
  Trasporto& Canale() { return trasporto_; }
  std::string Slot() const;  // Format(Indice_Server, "00000")

  // A transfer failure: logged, the connection dropped; false. One that a
  // stop request cut short abandons the spool file and is not logged.
  bool Guasto(const std::string& messaggio);
  bool Keep_Alive();
  void Spool_Mostra();
  void File_Slot_Cancella();
  void Esito_Conta();
  bool Definizioni_Leggi(char lettera, const char* procedura, int massimo_gruppo);
  // One row of a definition list, "S" the first and "N" each next one: the
  // outcome "1" ends the list, any other refusal is a failure.
  Risposta_Host Riga_Chiedi(const Nome_Scambio& nome, const std::string& flag);
  bool Fase(Fase_Uscita* fase, int riga, const char* nome);
  bool Spool_Get_Passi();

  // ---- The steps of one spool file, in the order the road takes them ------
  // Each false ends the spool file there, without its done record.

  // Asks the host for the next spool file and decodes its attribute record
  // (keeping the raw record for the archive when asked): true with a spool
  // file in hand; false when nothing is waiting or the exchange failed.
  bool Spool_Prendi();
  // The spool file in hand failed lately and waits for its next attempt,
  // or is never taken again.
  bool Ritentativo_In_Attesa() const;
  // The working values start anew for the spool file in hand (its copy
  // count capped); the panel shows its attributes.
  void Spool_Avvia();
  // Values no spool file can have mark it failed; false when its number
  // cannot be reported done, which leaves it on the host for good.
  bool Attributi_Controlla();
  // The printer's echo, when the spool file is printed to an address: a
  // printer that does not answer, or cannot be looked up, fails it.
  void Stampante_Controlla();
  // The format definitions, then the mail or XML field groups.
  bool Definizioni_Spool();
  // The print data laid out into page files, then the page images; the
  // spool file fails when fewer pages came out than its range asks.
  bool Pagine_Produci();
  // The first page image, kept for the viewer key and shown when it is down.
  void Prima_Immagine_Mostra();
  // The output stages: print, archive, save (PDF or images).
  bool Uscite_Esegui();
  // The outcome of the done record, and the totals when it went well.
  void Esito_Registra();
  // The done record.
  bool Fine_Comunica();

  // True once the stop request has abandoned the spool file in hand (asked
  // of the stop request until then).
  bool Arresto_Richiesto();
  // A spool file that failed without its done record: which one, how often
  // in a row, and when it may be taken again (a serial date). A spool file
  // whose number the done record cannot carry is never taken again.
  struct Ritentativo {
    std::string chiave;
    int32_t fallimenti = 0;
    double dopo = 0;
    bool escluso = false;
  };
  std::string Chiave_Spool() const;
  void Ritentativo_Registra(bool riuscito);

  Server_Base& base_;
  Trasporto& trasporto_;
  Connessione_Host& host_;
  Pannello& pannello_;
  Pump pompa_;
  Fasi_Spool fasi_;
  Ritentativo ritentativo_;
  bool preso_ = false;        // this call took a spool file from the host
  bool saltato_ = false;      // and left it alone (waiting for its next attempt)
  bool abbandonato_ = false;  // and abandoned it on a stop request
  bool irrevocabile_ = false; // past what a stage cannot take back: no abandoning
  std::vector<Fase_Uscita*> eseguite_;  // the output stages run for it

  std::function<bool()> arresto_;
  Stato_Spool stato_;
  // What the stages may ask of the road and tell it.
  Strada_Fase strada_;
  Interprete_SCS interprete_{stato_.Pagine};

  // ---- Process-wide values ---------------------------------------------------
  bool in_corso_ = false;
  std::string end_, restart_;
  int64_t stampe_avvio_ = 0, stampe_totali_ = 0;
  int64_t pagine_avvio_ = 0, pagine_totali_ = 0;
  std::string immagine_visualizza_;
};

}  // namespace qod
