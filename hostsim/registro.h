// The request log: one line per request or event, tab-separated:
//   channel  session  hex  text
// channel "REC" (a record request), "FTP" (an FTP command line) or "EVT"
// (an event: connections, the host program starting and ending, protocol
// errors; its hex field is empty). text is the request decoded to ANSI and
// written as UTF-8, with bytes below 32, 127 and "\" written as "\xHH".
//
// Lines are queued in the order they are logged and written by the log's own
// thread, in batches: once requests pause for 100 ms (within 2 s however many
// come), and whenever Scarica() asks for it (at the end of every connection,
// when a test reads the log, at exit). A request costs its connection no
// formatting and no write of its own.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "host.h"

namespace hostsim {

class Registro {
 public:
  Registro() = default;
  ~Registro();
  Registro(const Registro&) = delete;
  Registro& operator=(const Registro&) = delete;

  bool Apri(const std::string& file);
  // A record request: every byte received, EBCDIC (decoded when written).
  void Record(int sessione, Byte_Condivisi record);
  // An FTP command line as it came.
  void Ftp(int sessione, std::string riga);
  void Evento(int sessione, std::string testo);
  // Returns once every line logged before the call is in the file.
  void Scarica();
  // Writes what is queued and stops the thread; later lines are dropped.
  void Chiudi();

 private:
  enum class Canale : uint8_t { Rec, Ftp, Evt };
  struct Voce {
    Canale canale;
    int sessione;
    std::string testo;      // the FTP line, or the event's text
    Byte_Condivisi record;  // the record's bytes
  };
  void Accoda(Voce v);
  void Scrivi();

  std::mutex m_;
  std::condition_variable lavoro_, scritto_, spazio_;
  std::vector<Voce> coda_;
  size_t byte_in_coda_ = 0;
  uint64_t accodate_ = 0, scritte_ = 0;  // lines queued and lines written, counted from the start
  std::chrono::steady_clock::time_point prima_, ultima_;  // the oldest line waiting, the last one
  bool attivo_ = false, richiesta_ = false, fine_ = false;
  int fd_ = -1;
  std::thread filo_;
};

}  // namespace hostsim
