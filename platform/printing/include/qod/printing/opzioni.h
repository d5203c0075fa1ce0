// The settings of a printer a user may choose for himself (medium, input
// slot, resolution, colour, two-sided printing) where the queue has them,
// and the user's own defaults for them. The defaults live in a settings file
// of the user's, one section per queue and one key per option, so they need
// no right over the queue, reach no other user, and outlast the program;
// every device context made for the queue afterwards starts from them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qod::stampa {

// The options, by their IPP names, in the order a dialog shows them.
inline constexpr const char* kOpzioni_Utente[] = {"media", "media-source", "printer-resolution", "print-color-mode",
                                                  "sides"};

// One option of a queue: its choices as IPP keywords ("iso_a4_210x297mm",
// "tray-2", "600dpi", "color", "two-sided-long-edge") and the one in force
// (the user's default when it is still a choice, else the queue's own).
struct Opzione_Stampante {
  std::string nome;
  std::vector<std::string> scelte;
  std::string scelta;
};

using Preferenze = std::map<std::string, std::string>;

// The user's settings file for printers: $XDG_CONFIG_HOME/Quillon/Stampanti.INI,
// else $HOME/.config/Quillon/Stampanti.INI.
std::string Preferenze_File();
// The user's defaults for one queue (empty when none).
Preferenze Preferenze_Leggi(const std::string& file, const std::string& coda);
// Sets them, all in one rewrite of the file (other options of the queue stay).
// False when the file could not be written (it is left as it was).
bool Preferenze_Scrivi(const std::string& file, const std::string& coda, const Preferenze& valori);

// The options of the printers and the user's defaults for them.
class Opzioni_Stampanti {
 public:
  virtual ~Opzioni_Stampanti() = default;
  // The queue's options that offer a choice. 0, or the error code when the
  // printer cannot be found.
  virtual int32_t Opzioni(const std::string& nome, std::vector<Opzione_Stampante>& opzioni) = 0;
  // Keeps `valori` as the user's defaults for the printer. 0, or an error code.
  virtual int32_t Opzioni_Scrivi(const std::string& nome, const Preferenze& valori) = 0;
};

}  // namespace qod::stampa
