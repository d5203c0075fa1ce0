// The fields of the image generator's test form and how a run hands them to
// the generator: one table of the fifty fields (name, group, kind, default
// and the generator member each one sets), the format code of the output
// list, the extension swap of the output name, and the run's conversion of
// every field before the generator is touched.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "qod/imagegen/qod_img.h"
#include "qod/testers/numeri.h"

namespace qod::testers {

// How a field's text becomes its member's value.
enum class Conversione {
  Testo,     // as it stands
  Intero32,  // 32-bit whole number
  Intero16,  // 16-bit whole number
  Decimale,  // decimal number
  Spunta,    // a check box: "1" ticked gives True, anything else False
  Formato,   // a list entry: the format code of its first character
  Lista16,   // a list entry: its first character as a 16-bit whole number
  Colore,    // a colour swatch: a Windows RGB value (red + green*256 + blue*65536)
};

// The control that holds the field on the form.
enum class Tipo_Campo { Testo, Lista, Spunta, Colore };

using Membro = std::variant<std::string Qod_IMG::*, int32_t Qod_IMG::*, int16_t Qod_IMG::*, double Qod_IMG::*,
                            bool Qod_IMG::*>;

struct Campo {
  std::string nome;     // the field's name on the form, "img_Left(0)" for array elements
  std::string gruppo;   // the frame it sits in, as captioned
  Tipo_Campo tipo;
  std::string predefinito;  // default text; a path default is relative to the start folder
  bool percorso;            // the default is appended to the start folder
  Conversione conversione;
  Membro membro;            // the generator member it sets
  std::string proprieta;    // that member's name, for reports
};

// The fifty fields in the order the run copies them into the generator.
const std::vector<Campo>& Campi();

// The entries of the lists.
const std::vector<std::string>& Voci_Formato();      // "0=TIF G3-1D" ... "A=TIF G4"
const std::vector<std::string>& Voci_Orientamento();  // "0=Orr.", "1=Ver."
const std::vector<std::string>& Voci_Modo();          // "0=Copy", "1=Merge", "2=Paint"
const std::vector<std::string>& Voci_Posizione();     // "0=Ass.", "1=Rel."

// The default values of every field, paths under `cartella` (the start
// folder, without a trailing separator): "<cartella>/TEST/TEST.TIF" ...
std::vector<std::string> Valori_Predefiniti(std::string_view cartella);

// The position of the first character of `testo` in
// "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", from 0; -1 when it is not there.
int32_t Codice_Formato(std::string_view testo);

// The output name after choosing list entry `voce`: the extension after the
// last "." of the file-name part becomes the three characters after "=" of
// the entry. A name whose file part has no "." stays as it is.
std::string Estensione_Cambia(std::string_view nome, std::string_view voce);

// The first field (by name) whose text does not convert; nothing when all do.
struct Errore_Campo {
  std::string campo;
  std::string valore;
};

// Converts every field of `valori` (one text per field of Campi(), in that
// order) and only when all convert sets the members of `g` in the table's
// order. On the first field that does not convert, `g` is left untouched.
std::optional<Errore_Campo> Imposta_Generatore(const std::vector<std::string>& valori, Separatori s, Qod_IMG& g);

// The state line for a field that did not convert.
std::string Messaggio_Campo(const Errore_Campo& e);

}  // namespace qod::testers
