#include "qod/client/trasporto_client.h"

namespace qod {

// Every receive follows a wait that reported the socket readable: an empty
// one means end of stream or a socket error, never "not yet".
bool Trasporto_Client::Ricezione_Vuota(int, bool) { return false; }

bool Trasporto_Client::Sock_ReadRaw(int slot, int n, std::string& dati) {
  if (n < 1 || n > kBlocco_Massimo) return false;
  std::string letti(static_cast<size_t>(n), '\0');
  if (!Blocco_Ricevi(slot, n, reinterpret_cast<uint8_t*>(letti.data()))) return false;
  dati = std::move(letti);
  return true;
}

std::string Trasporto_Client::Riga_Fallita(bool attesa_lunga) const { return attesa_lunga ? "?" : ">"; }

void Trasporto_Client::Lettura_Fallita(int slot, bool attesa_lunga) {
  if (!attesa_lunga) return;
  Ricezione_Svuota();
  Sock_Close(slot);
}

}  // namespace qod
