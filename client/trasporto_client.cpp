#include "qod/client/trasporto_client.h"

namespace qod {

// Every receive follows a wait that reported the socket readable: an empty
// one means end of stream or a socket error, never "not yet".
bool Trasporto_Client::Ricezione_Vuota(int, bool) { return false; }

std::string Trasporto_Client::Riga_Fallita(bool attesa_lunga) const { return attesa_lunga ? "?" : ">"; }

void Trasporto_Client::Lettura_Fallita(int slot, bool attesa_lunga) {
  if (!attesa_lunga) return;
  Ricezione_Svuota();
  Sock_Close(slot);
}

}  // namespace qod
