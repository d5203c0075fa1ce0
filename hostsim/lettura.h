// How the stand-in reads the body of a request: at once (the default), or as
// a slow reader with a small receive buffer, or giving up halfway through
// the body of one request and closing the connection. Tests use the last two
// to make the sender wait for room and to break a send in the middle.
#pragma once

#include <string>
#include <vector>

#include "opzioni.h"

namespace hostsim {

struct Lettura {
  int buffer = 0;      // receive buffer of the record connections (SO_RCVBUF); 0 the system's
  int passo = 0;       // with pausa_ms: bytes per receive
  int pausa_ms = 0;    // pause after each receive of a body
  struct Taglio {
    char lettera;
    int occorrenza;    // 0: every one
    int byte;          // body bytes read before the close
  };
  std::vector<Taglio> tagli;

  void Opzioni_Dichiara(Opzioni& o);
  // The body bytes to read of the `occorrenza`-th request of `lettera`
  // before closing the connection, or -1 to read it whole.
  long Limite(char lettera, int occorrenza) const;
  // Reads exactly `n` bytes into `dati` in the configured way; false at end
  // of stream or on error.
  bool Leggi(int fd, char* dati, size_t n) const;
};

}  // namespace hostsim
