// The archive viewer's record transport: the framing, buffers and field
// decoder of the shared transport, with the viewer's own wait policy.
//
//  - A block read, and a line read with the long wait, may wait up to
//    600 s for its data in all; a line read with the short wait 0.5 s. The
//    wait is a poll on the socket for what is left of that budget, pumping
//    the message loop between slices, not a sleep between receives.
//  - A socket that is readable but delivers nothing has been closed by the
//    host (or failed): the read fails at once instead of waiting out its
//    budget.
//  - A failed block read, or a failed line read with the long wait, leaves
//    the stream out of step: the bytes received so far are dropped and the
//    slot is closed, so that every later exchange fails at its first step
//    (with its own message) rather than reading stale bytes as a header.
//    A short-wait line read that times out only ends an FTP reply: it
//    leaves the connection as it is.
//  - A failed line read leaves "?" (long wait) or ">" (short wait).
#pragma once

#include "qod/host/trasporto.h"

namespace qod {

// The viewer's budgets: 600 s for a block or a first reply line, 0.5 s for
// the further lines of an FTP reply, 20 s for a connect.
inline constexpr Attese_Rete kAttese_Client{600000, 500, 20000};

class Trasporto_Client : public Trasporto {
 public:
  explicit Trasporto_Client(Attese_Rete attese = kAttese_Client, Pump pompa = {})
      : Trasporto(attese, std::move(pompa)) {}

 protected:
  bool Ricezione_Vuota(int vuote, bool attesa_lunga) override;
  std::string Riga_Fallita(bool attesa_lunga) const override;
  void Lettura_Fallita(int slot, bool attesa_lunga) override;
};

}  // namespace qod
