// The settings layer of the two settings editors, without widgets: the field
// tables of the server's and the client's [Generale], the formatting and the
// checks of every box, and a model that loads, fills in the standard values
// and writes the section in one rewrite of the file. The windows of
// Qod_S_INI and Qod_C_INI and the demo's settings helper sit on top of it.
// All text is ANSI bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "qod/profile.h"

namespace qod {

// How a box's text is written.
enum class Regola_Campo {
  Testo,      // blank-padded and cut to the width, case kept
  Maiuscolo,  // blank-padded and cut to the width, upper case
  Numero,     // Numero_Zeri with the width
};

// One text box of an editor.
struct Campo_Impostazione {
  const char* box;        // "txt01"
  const char* etichetta;  // the label on its left
  const char* tip;        // the tip text of the box
  const char* chiave;     // key of [Generale]; nullptr: a field of the connection record
  int larghezza;
  Regola_Campo regola;
  const char* standard;   // what "Standard" fills in
  bool password = false;  // the box shows "*" for every character
  int64_t massimo = -1;   // largest number accepted; -1: as many digits as the width
};

// How a check box's key is written and read.
enum class Regola_Casella {
  S_N,      // "S" / "N"; ticked only for exactly "S"; missing reads "N"
  Zero_Uno, // "1" / "0"; ticked when the value read as a number is not 0; missing reads "0"
};

struct Casella_Impostazione {
  const char* box;      // "chk01"
  const char* caption;
  const char* chiave;   // key of [Generale]
  Regola_Casella regola;
};

// One editor: its settings file, caption and boxes. The record fields come
// first, in the order of the record; the rows of the window follow the
// table's order.
struct Modulo_Impostazioni {
  const char* programma;  // "Qod_S_INI"
  const char* caption;
  std::span<const Campo_Impostazione> campi;
  std::span<const Casella_Impostazione> caselle;
};

extern const Modulo_Impostazioni kEditor_Server;  // Qod_S_INI
extern const Modulo_Impostazioni kEditor_Client;  // Qod_C_INI

// The text a box is written as ("Aggiorna" puts it back into the box).
std::string Campo_Formatta(const Campo_Impostazione& campo, std::string_view testo);

// Why a box cannot be written.
enum class Difetto_Campo {
  Nessuno,
  Carattere,  // a record field holds a character the scrambling cannot carry (codes 32..123 only)
  Numero,     // a number wider than its field, negative, or above its limit
};

// Checks the formatted text of a box (see Campo_Formatta).
Difetto_Campo Campo_Verifica(const Campo_Impostazione& campo, std::string_view formattato);

// The message shown when a box is refused.
std::string Difetto_Messaggio(const Campo_Impostazione& campo, Difetto_Campo difetto);

// The command line asks for the standard values ("/INIT", blanks around it
// and case do not matter).
bool Riga_Comando_Init(std::string_view riga_comando);

// The boxes and check boxes of one editor, and the settings file they go to.
class Editor_Impostazioni {
 public:
  Editor_Impostazioni(const Modulo_Impostazioni& modulo, std::string file_ini);

  const Modulo_Impostazioni& Modulo() const { return modulo_; }
  const std::string& File() const { return file_; }

  // Reads the file into the boxes: the record unscrambled without comparing
  // its check text, each field by position and width as it stands; the keys
  // as they stand; the check boxes by their rule. A missing file or key
  // gives empty boxes.
  void Carica();

  // Fills every box and check box with its standard value.
  void Valori_Standard();

  // Index of a box or check box by its name, or -1.
  int Campo(std::string_view box) const;
  int Casella(std::string_view box) const;

  // "Aggiorna": formats every box and checks it. On the first box refused,
  // gives its index and leaves the boxes as they were; otherwise puts the
  // formatted texts into the boxes.
  struct Rifiuto {
    int campo;
    Difetto_Campo difetto;
    std::string messaggio;
  };
  std::optional<Rifiuto> Formatta();

  // The connection record composed from the (formatted) record boxes.
  std::string Record() const;

  // The writes of "Aggiorna", in their order: `Licenza`, `Check`, the keys,
  // the check boxes.
  std::vector<Profilo_Voce> Voci() const;

  // Writes them in one rewrite of the file. False when it could not be
  // written (the file is left as it was).
  bool Scrivi() const;

  std::vector<std::string> valori;  // the text of every box, in table order
  std::vector<bool> spunte;         // the check boxes

 private:
  const Modulo_Impostazioni& modulo_;
  std::string file_;
};

}  // namespace qod
