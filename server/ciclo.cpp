#include "qod/server/ciclo.h"


namespace qod {

Tasti_Stato Tasti_Abilitati(int32_t s) { return {s < 4, s < 4, s > 2, s == 2, s < 4}; }

uint32_t Colore_Sem(int i) {
  static constexpr uint32_t kColori[8] = {
      0xFF0000, 0xC04000,  // 0: not connected
      0x8080FF, 0x00FFFF,  // 2: connected
      0xFFFF00, 0xC0C000,  // 4: waiting
      0x00FF00, 0x00C000,  // 6: cycling
  };
  return i >= 0 && i < 8 ? kColori[i] : 0;
}

void Finestra_Collegamento_Iniziale(const Server_Base& base, std::string& end, std::string& restart) {
  const DateTime oggi = base.Orologio().Adesso();
  end = Format(oggi, "yyyymmdd") + base.Generale.Fine_Collegamento_Ora;
  restart = Format(oggi.Piu_Giorni(1), "yyyymmdd") + base.Generale.Inizio_Collegamento_Ora;
}

Istanti_Finestra Istanti(const DateTime& adesso, int32_t anticipo, int32_t attesa) {
  return {Format(adesso.Piu_Giorni(anticipo / 1440.0), "yyyymmddhhnnss"),
          Format(adesso.Piu_Giorni(-static_cast<double>(attesa) / 1440.0), "yyyymmddhhnnss")};
}

bool Finestra_Chiusa(const Istanti_Finestra& i, const std::string& end, const std::string& restart) {
  return i.A >= end && i.B < restart;
}

}  // namespace qod
