#include "host.h"

namespace hostsim {

Corpo& Corpo::Testo(std::string_view ansi, size_t larghezza) {
  byte_ += Ebcdic::Standard().Codifica(qod::Testo_Largo(ansi, static_cast<int64_t>(larghezza)));
  return *this;
}

Corpo& Corpo::Zoned(int64_t valore, int cifre) {
  byte_ += hostsim::Zoned(valore, cifre);
  return *this;
}

Corpo& Corpo::Packed(int64_t valore, int byte) {
  byte_ += hostsim::Packed(valore, byte);
  return *this;
}

Corpo& Corpo::Binario(int64_t valore, int byte) {
  byte_ += hostsim::Binario(valore, byte);
  return *this;
}

Corpo& Corpo::Grezzo(std::string_view byte) {
  byte_ += byte;
  return *this;
}

Richiesta Richiesta::Di(char lettera, std::string_view corpo) {
  Richiesta r;
  r.lettera = lettera;
  r.record = Byte_Condivisi::Di(Ebcdic::Standard().Codifica(std::string(1, lettera)) +
                                Zoned(static_cast<int64_t>(corpo.size()), 5) + std::string(corpo));
  r.corpo = r.record.byte.substr(6);
  return r;
}

const Gestore* Gestori::Trova(const Richiesta& r) const {
  const std::string corpo = r.Corpo_Testo(4);
  for (size_t n = std::min<size_t>(corpo.size(), 4) + 1; n-- > 0;) {
    auto it = tabella_.find(std::string(1, r.lettera) + corpo.substr(0, n));
    if (it != tabella_.end()) return &it->second;
  }
  return nullptr;
}

}  // namespace hostsim
