// The request log: one line per request or event, flushed at once, so that
// tests can read it while the stand-in runs. Tab-separated:
//   channel  session  hex  text
// channel "REC" (a record request), "FTP" (an FTP command line) or "EVT"
// (an event: connections, the host program starting and ending, protocol
// errors; its hex field is empty). text is the request decoded to ANSI and
// written as UTF-8, with bytes below 32, 127 and "\" written as "\xHH".
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace hostsim {

class Registro {
 public:
  ~Registro();
  bool Apri(const std::string& file);
  void Richiesta(const char* canale, int sessione, std::string_view grezzo, std::string_view testo_ansi);
  void Evento(int sessione, const std::string& testo);

 private:
  std::mutex m_;
  std::FILE* f_ = nullptr;
};

}  // namespace hostsim
