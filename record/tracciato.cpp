#include "qod/record/tracciato.h"

#include "qod/host/scambio.h"
#include "qod/host/trasporto.h"

namespace qod {

Lettore_Campi Lettore_Trasporto(const Trasporto& trasporto) {
  return [&trasporto](std::string_view tipo, int32_t inizio, int32_t lunghezza, int32_t cifre, int32_t decimali) {
    return trasporto.Sock_Field(tipo, inizio, lunghezza, cifre, decimali);
  };
}

Lettore_Campi Lettore_Risposta(const Risposta_Host& risposta) {
  return [&risposta](std::string_view tipo, int32_t inizio, int32_t lunghezza, int32_t cifre, int32_t decimali) {
    return risposta.Campo(tipo, inizio, lunghezza, cifre, decimali);
  };
}

namespace dettaglio {

std::string Campo_Testo(const Lettore_Campi& campo, char tipo, int32_t posizione, int32_t lunghezza, int32_t decimali) {
  const std::string_view t(&tipo, 1);
  if (tipo == 'A') return campo(t, posizione, lunghezza, 0, 0);
  return campo(t, posizione, lunghezza, lunghezza, decimali);
}

std::optional<int32_t> Campo_Intero(Interi numeri, const std::string& testo) {
  if (numeri == Interi::CLng) return CLng(std::string_view(testo));
  const double v = Val(testo);
  if (v > 2147483647.0 || v < -2147483648.0) return 0;
  return static_cast<int32_t>(Arrotonda_Pari(v));
}

double Campo_Scalato(Scala_Campo scala, double valore) {
  switch (scala) {
    case Scala_Campo::Centesimi:
      return valore / 100;
    case Scala_Campo::Twips:
      return valore * 56.6868;
    case Scala_Campo::Nessuna:
      break;
  }
  return valore;
}

}  // namespace dettaglio

std::string Record_Comprimi(std::string r, const std::vector<std::string>& tipi, const std::vector<int32_t>& inizi,
                            int32_t numero) {
  constexpr char kMarca = 19;
  for (int32_t i = 1; i <= numero; ++i) {
    if (static_cast<size_t>(i) >= inizi.size() || static_cast<size_t>(i - 1) >= tipi.size()) break;
    int64_t da = inizi[static_cast<size_t>(i - 1)], a = inizi[static_cast<size_t>(i)] - 1;
    const std::string& tipo = tipi[static_cast<size_t>(i - 1)];
    auto dentro = [&](int64_t col) { return col >= 1 && col <= static_cast<int64_t>(r.size()); };
    if (tipo == "R") {
      for (int64_t col = a; col >= da && dentro(col) && r[static_cast<size_t>(col - 1)] == ' '; --col)
        r[static_cast<size_t>(col - 1)] = kMarca;
    } else if (tipo == "Z") {
      for (int64_t col = da; col <= a && dentro(col) && r[static_cast<size_t>(col - 1)] == '0'; ++col)
        r[static_cast<size_t>(col - 1)] = kMarca;
    }
  }
  std::string out;
  out.reserve(r.size());
  for (char ch : r)
    if (ch != kMarca) out.push_back(ch);
  return out;
}

}  // namespace qod
