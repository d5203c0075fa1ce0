// A private CUPS server for one test program or the benchmark: cupsd
// started in a scratch folder of its own, listening only on a Unix socket
// there, with queues whose jobs are copied into folders. This process (and
// every program it starts) is pointed at it through CUPS_SERVER. The server
// is stopped and its folder removed at the end; it never outlives this
// process (nor do its jobs outlive it).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "qod/prova/processo.h"

namespace qod::stampa::prova {

class Cups_Privato {
 public:
  // Starts the server; Avviato() tells whether it runs, Errore() why not.
  Cups_Privato();
  ~Cups_Privato();
  Cups_Privato(const Cups_Privato&) = delete;
  Cups_Privato& operator=(const Cups_Privato&) = delete;

  bool Avviato() const { return avviato_; }
  const std::string& Errore() const { return errore_; }
  const std::filesystem::path& Cartella() const { return cartella_; }
  std::string Socket() const { return (cartella_ / "cups.sock").string(); }

  // Adds a queue that copies each job into Lavori(nome): a raw one, or, with
  // `opzioni`, one described by Ppd_Opzioni().
  bool Coda(const std::string& nome, bool opzioni = false);
  // The same with the printer description `ppd` ("" for a raw queue). With
  // `trattieni_ms` above 0 a slow printer: each job stays in the backend,
  // the queue processing, that long or until Rilascia.
  bool Coda(const std::string& nome, const std::string& ppd, int trattieni_ms);
  // Lets the held job of a slow queue and every later one go at once.
  bool Rilascia(const std::string& coda);
  // The queue's `printer-state`: 3 idle, 4 processing, 5 stopped; 0 when unknown.
  int Stato(const std::string& coda) const;
  // Waits until the queue's state is `stato`; false after `limite_ms`.
  bool Attendi_Stato(const std::string& coda, int stato, int limite_ms = 10000) const;

  // Printer descriptions whose jobs still arrive as sent. Options: media
  // (A4, US Letter, A5), input slots (tray-1, tray-2, manual), resolutions
  // (300, 600, 1200 dpi, 600 the default), colour and two-sided printing,
  // the whole page printable.
  static std::string Ppd_Opzioni();
  // A printer that cannot print near the edges: on A4, its default medium,
  // 1/4 inch left, 1/2 inch top, 3/4 inch right, 1 inch bottom; on US
  // Letter 1/2 inch all round. Resolutions 300 (the default) and 600 dpi.
  static std::string Ppd_Margini();
  // The script that sets the server's folder up (its commands in its head).
  static std::string Script();
  std::filesystem::path Lavori(const std::string& coda) const { return cartella_ / "jobs" / coda; }
  // The job files a queue received ("job-<id>.pdf"), in job order.
  std::vector<std::filesystem::path> Pdf(const std::string& coda) const;
  // Waits until the queue has no job left to do; false after `limite_ms`.
  bool Attendi_Coda_Vuota(const std::string& coda, int limite_ms = 20000) const;
  // Runs a CUPS command (lpstat, cupsdisable, ...) on this server; its exit status.
  int Comando(const std::string& riga, std::string* uscita = nullptr) const;

 private:
  std::filesystem::path cartella_;
  qod::prova::Processo cupsd_;
  bool avviato_ = false;
  std::string errore_;
};

}  // namespace qod::stampa::prova
