// The bare reference for transfers over the record protocol: a request/reply
// loop over loopback written on its own. A process of its own answers, as the
// host is a process of its own for the programs. The caller sends each
// request in one send and receives until its reply is whole (the reply's
// 6-byte header, an Esito and five digits, ASCII or EBCDIC, announces the
// body), then sends the next; the answering process reads each request whole
// and answers it with one send from memory. Nothing is converted, logged or kept: it is the
// least any program moving the same records must do.
//
// An exchange may name a page file, for the file work a fetch or an upload
// does beside the records: a fetch writes each reply body to its page file,
// an upload reads the end of each request from it. A file is opened at the
// first exchange that names it and closed at the first one that does not; a
// fetch first deletes the files it is about to write, if they are there.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace qod::bench {

struct Scambio {
  size_t richiesta = 0;  // bytes of the request, header included
  size_t corpo = 0;      // body bytes of the reply (its header adds 6)
  std::string file;      // the page file, or empty
  size_t dal_file = 0;   // upload: the request's last bytes read from the file
  // The reply's bytes as they go, header included; empty: a header in ASCII
  // digits and `corpo` filler bytes.
  std::string risposta;
};

// The answering process: it takes one connection on a loopback port of its
// own, answers the exchanges in order and ends. A program can be pointed at
// it too, with replies it understands, to see what a host that does no more
// than this would cost it.
class Risponditore {
 public:
  explicit Risponditore(const std::vector<Scambio>& scambi);
  ~Risponditore();  // waits for its end
  Risponditore(const Risponditore&) = delete;
  Risponditore& operator=(const Risponditore&) = delete;
  int Porta() const { return porta_; }
  // Waits for its end: true when it answered every exchange.
  bool Fine();

 private:
  pid_t pid_ = -1;
  int porta_ = 0;
  bool finito_ = false, esatto_ = false;
};

// Puts this process, and what it starts from now on, on one core of the
// machine: the one least busy over a moment, unless `QOD_BENCH_CORE` names
// one, or "all" (nothing is pinned). Returns the core, -1 for none. On a
// virtual machine a request/reply loop between two processes costs several
// times more per exchange when the scheduler happens to place its two ends
// on two cores rather than one; on one core every contender runs alike.
int Un_Nucleo();

// Milliseconds the exchanges take, in order, over a fresh loopback connection
// (set up before the clock starts), with their file work; the page files'
// names follow `cartella`.
double Scambi_Ms(const std::vector<Scambio>& scambi, const std::string& cartella = "");

}  // namespace qod::bench
