// The viewer's saved state: the 26 values a container keeps for it, each
// with its default, in a bag of named texts whose names are matched without
// regard to case. Restoring reads every value (its default when missing);
// saving leaves out every value equal to its default.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace qod::imv {

enum class Tipo_Valore { Booleano, Testo, Lungo, Colore };

struct Voce_Stato {
  const char* nome;
  Tipo_Valore tipo;
  const char* predefinito;  // as text: Booleans "-1"/"0", numbers in decimal
};

// The saved values in interface order, from qodimv_button_uscita to
// qodimv_Memo.
const std::array<Voce_Stato, 26>& Voci_Stato();

struct Meno_Maiuscole {
  bool operator()(const std::string& a, const std::string& b) const;
};

// The bag: name -> value text.
using Borsa = std::map<std::string, std::string, Meno_Maiuscole>;

// Value texts: True is -1; a Boolean reads "0", "False" and "" as False and
// any other text as True; numbers read their leading whole number.
std::string Testo_Booleano(bool v);
bool Leggi_Booleano(std::string_view t);
int32_t Leggi_Lungo(std::string_view t);

// The default system colour of the background (the button face).
inline constexpr uint32_t kColore_Sfondo = 0x8000000Fu;

}  // namespace qod::imv
