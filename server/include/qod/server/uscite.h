// The stages that follow the page images (print, archive upload, one PDF per
// document, images to a folder; mail and XML come with the PDF), and the
// printer reachability test. Each is its own piece of work; the spool file
// cycle only calls them through these interfaces.
#pragma once

#include <cstdint>
#include <string>

namespace qod {

class Spool_Server;

// One output stage. It reads the spool file's working values from the
// server, writes its panel row, and on a failure of its own sets
// `Errore_Spool` with its message. The result is the stage's own: for the
// archive, false means a transfer failure that has already been logged
// and has dropped the connection (the spool file then stays on the host).
class Fase_Uscita {
 public:
  virtual ~Fase_Uscita() = default;
  virtual bool Esegui(Spool_Server& server) = 0;
};

// The result of one echo to the printer.
struct Risultato_Ping {
  std::string Testo;    // "   OK : completato in ..ms." or "*** errore : ..."
  int32_t Tempo = 0;    // ms
  bool Errore = true;
};

// Looks the printer address up (HOSTS file) and sends one echo with time to
// live 20 and a time-out of 1000 ms.
class Ping_Stampante {
 public:
  virtual ~Ping_Stampante() = default;
  // `indirizzo`: the 15-character address column, blanks kept.
  virtual Risultato_Ping Ping(const std::string& indirizzo) = 0;
};

}  // namespace qod
