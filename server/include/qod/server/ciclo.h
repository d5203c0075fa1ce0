// The server's run state and what hangs on it: the toolbar keys each state
// enables, the colours of the blinking light, the system timers that drive
// the automatic cycle and the light, and the daily connection window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "qod/clock.h"
#include "qod/server/base_server.h"
#include "qod/ui.h"

namespace qod {

// The toolbar keys a run state enables: "Uscita", "Start" and "Visualizza"
// below 4, "Stop" above 2, "Uno" only in 2.
struct Tasti_Stato {
  bool Uscita, Start, Stop, Uno, Visualizza;
  bool operator==(const Tasti_Stato&) const = default;
};
Tasti_Stato Tasti_Abilitati(int32_t stato);

// The colour of light shape `Sem`(i) as 0xRRGGBB: shape s is phase 0 of
// state s, shape s + 1 its phase 1.
uint32_t Colore_Sem(int i);

// ---- Connection window -------------------------------------------------------

// The window stamps as the settings give them at start-up: the end is today
// & "Fine Collegamento Ora", the restart tomorrow & "Inizio Collegamento Ora",
// both "yyyymmdd" & "hhnnss".
void Finestra_Collegamento_Iniziale(const Server_Base& base, std::string& end, std::string& restart);

// The two instants the window test compares, as "yyyymmddhhnnss":
// A = now + Anticipo minutes, B = now - Attesa minutes.
struct Istanti_Finestra {
  std::string A, B;
};
Istanti_Finestra Istanti(const DateTime& adesso, int32_t anticipo, int32_t attesa);

// Closed from Anticipo minutes before the end until Attesa minutes after the
// restart: A >= End and B < Restart, compared as text.
bool Finestra_Chiusa(const Istanti_Finestra& i, const std::string& end, const std::string& restart);

}  // namespace qod
