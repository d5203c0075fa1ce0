#include "qod/viewer/stato.h"

#include <cctype>

#include "qod/ansi.h"
#include "qod/basic.h"

namespace qod::imv {

const std::array<Voce_Stato, 26>& Voci_Stato() {
  using T = Tipo_Valore;
  static const std::array<Voce_Stato, 26> v = {{
      {"qodimv_button_uscita", T::Booleano, "-1"},
      {"qodimv_button_stampa", T::Booleano, "-1"},
      {"qodimv_button_set_stampa", T::Booleano, "-1"},
      {"qodimv_button_salva", T::Booleano, "-1"},
      {"qodimv_button_ruota", T::Booleano, "-1"},
      {"qodimv_button_cancella", T::Booleano, "-1"},
      {"qodimv_button_posiz", T::Booleano, "-1"},
      {"qodimv_button_precedente", T::Booleano, "-1"},
      {"qodimv_button_successiva", T::Booleano, "-1"},
      {"qodimv_button_invio_Fax", T::Booleano, "-1"},
      {"qodimv_button_invio_EMail", T::Booleano, "-1"},
      {"qodimv_button_div1", T::Booleano, "-1"},
      {"qodimv_button_div2", T::Booleano, "-1"},
      {"qodimv_button_div3", T::Booleano, "-1"},
      {"qodimv_button_div4", T::Booleano, "-1"},
      {"qodimv_button_pagine", T::Booleano, "-1"},
      {"qodimv_button_zoom", T::Booleano, "-1"},
      {"qodimv_zoom", T::Testo, "Adatta"},
      {"qodimv_FileINI", T::Testo, "Qod.INI"},
      {"qodimv_Paragrafo", T::Testo, "Stampante"},
      {"qodimv_Brv_Tipo", T::Testo, ""},
      {"qodimv_Brv_Codi", T::Testo, ""},
      {"qodimv_Brv_Rife", T::Testo, ""},
      {"qodimv_Pag_Fine", T::Lungo, "0"},
      {"qodimv_BackColor", T::Colore, "-2147483633"},  // &H8000000F as a 32-bit Long
      {"qodimv_Memo", T::Booleano, "0"},
  }};
  return v;
}

bool Meno_Maiuscole::operator()(const std::string& a, const std::string& b) const {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int x = Ansi_Maiuscolo(static_cast<unsigned char>(a[i]));
    const int y = Ansi_Maiuscolo(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::string Testo_Booleano(bool v) { return v ? "-1" : "0"; }

bool Leggi_Booleano(std::string_view t) {
  const std::string s = Trim(t);
  if (s.empty() || s == "0") return false;
  std::string m;
  for (char c : s) m += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return m != "false";
}

int32_t Leggi_Lungo(std::string_view t) {
  const double v = Val(t);
  if (v > 4294967295.0 || v < -2147483648.0) return 0;
  // A colour written unsigned (&H8000000F as 2147483663) is the same Long.
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(v)));
}

}  // namespace qod::imv
