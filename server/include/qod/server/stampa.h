// The print stage: the page images of the spool file, copy by copy, on the
// printer its attribute record names, in print jobs of at most "Max Pagine
// Blocco" images; and the printer's reachability test.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "qod/net/ping.h"
#include "qod/printing/stampanti.h"
#include "qod/record/attributi.h"
#include "qod/server/pannello.h"
#include "qod/server/uscite.h"
#include "qod/ui.h"

namespace qod {

// The reachability test over the network: the address column looked up in
// the HOSTS file, one echo with time to live 20 and a time-out of 1000 ms.
class Ping_Rete : public Ping_Stampante {
 public:
  explicit Ping_Rete(net::Eco eco = net::Eco_Icmp) : eco_(std::move(eco)) {}
  std::optional<Risultato_Ping> Ping(const std::string& indirizzo) override;

 private:
  net::Eco eco_;
};

// What the print stage reads of the spool file.
struct Lavoro_Stampa {
  const Attributi_Spool& Attributi;
  int32_t Pagine_Aperte = 0;
  int32_t Copie_Immagini = 1;     // distinct copy images per page
  std::string Estensione;         // of the page images
  std::string Percorso_Tmp;       // with its trailing "/"
  int32_t Indice_Server = 1;
  int32_t Max_Pagine_Blocco = 0;  // 0: one job
};

// What it uses.
struct Servizi_Stampa {
  stampa::Dispositivo_Stampa& Dispositivo;
  Ping_Stampante& Ping;
  Pannello& Quadro;
  Pump Pompa;
  stampa::Scrivi_Log Log;                          // one line, blank line and date before it
  std::function<void(const std::string&)> Errore;  // marks the spool file failed (shows the text when the row is empty)
  int64_t Finestra = 0;                            // the main window, for the log
  // Asked before every image and before a job is ended: true stops the
  // print there (the spool file is abandoned).
  std::function<bool()> Arresto;
  // Gets the id of every job the printing system took whole.
  std::vector<int32_t>* Consegnati = nullptr;
};

// Prints the spool file; true only when every job reached the printer. On a
// failure the spool file is marked, the state row tells why (unless it
// already held a message), and no job or device context stays open. A
// printer address that cannot be looked up is an unexpected failure of the
// stage, not a printer that does not answer. On a stop request the job
// being drawn is dropped (it never reaches the printer), the device context
// is freed and the result is false, with no failure marked.
bool Spool_Stampa(const Lavoro_Stampa& lavoro, Servizi_Stampa& servizi);

// The copy plan: passes over the whole document, passes per page, the copies
// the printer makes itself, and which pass picks the copy image.
struct Piano_Copie {
  int32_t Esterne = 1, Interne = 1, Copie_Driver = 1;
  bool Immagine_Da_Esterna = false, Immagine_Da_Interna = false;
};
Piano_Copie Piano_Copie_Calcola(int32_t copie, bool fascicola, int32_t copie_immagini);

// The destination of one image in twips, from its size in pixels, its
// resolution and the frame the printable width and height leave between
// the margins, by the scale mode ("A" fit, "O" width, "V" height, "N" fixed;
// anything else fits). `orizzontale` and `verticale` are the factors used.
stampa::Rettangolo Destinazione_Immagine(const Attributi_Spool& a, int32_t larghezza_twips, int32_t altezza_twips,
                                         int larghezza_px, int altezza_px, int dpi_x, int dpi_y,
                                         double& orizzontale, double& verticale);

// The print stage of the spool server, on the device the program prints with.
class Fase_Stampa : public Fase_Uscita {
 public:
  Fase_Stampa(stampa::Dispositivo_Stampa& dispositivo, Ping_Stampante& ping, Servizi_Fase servizi)
      : dispositivo_(dispositivo), ping_(ping), s_(std::move(servizi)) {}
  bool Esegui(const Stato_Spool& stato, const Strada_Fase& strada) override;
  // Cancels the jobs of the last spool file that the printing system has
  // not completed.
  void Abbandona() override;
  // The id of the program's main window, for the printer's log line; asked
  // at each spool file (unset: 0).
  std::function<int64_t()> Finestra;

 private:
  stampa::Dispositivo_Stampa& dispositivo_;
  Ping_Stampante& ping_;
  Servizi_Fase s_;
  std::vector<int32_t> consegnati_;  // the jobs of the last spool file
};

}  // namespace qod
