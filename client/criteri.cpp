#include "qod/client/criteri.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "qod/basic.h"

namespace qod {

namespace {

struct Data_Ora {
  int giorno = 0, mese = 0, anno = 0, ora = 0, minuto = 0, secondo = 0;
};

bool Cifra(char c) { return c >= '0' && c <= '9'; }

// Reads 1..`massimo` digits at `i`.
bool Numero(std::string_view t, size_t& i, int minimo, int massimo, int& v) {
  int n = 0;
  v = 0;
  while (i < t.size() && Cifra(t[i]) && n < massimo) v = v * 10 + (t[i++] - '0'), ++n;
  return n >= minimo && !(i < t.size() && Cifra(t[i]));
}

bool Bisestile(int a) { return (a % 4 == 0 && a % 100 != 0) || a % 400 == 0; }

int Giorni_Mese(int mese, int anno) {
  static constexpr int giorni[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return mese == 2 && Bisestile(anno) ? 29 : giorni[mese - 1];
}

// d/m/yy or d/m/yyyy, then optionally blanks and h.n or h.n.s (":" or ".").
bool Data_Leggi(const std::string& testo, Data_Ora& d) {
  const std::string t = Trim(testo);
  size_t i = 0;
  if (!Numero(t, i, 1, 2, d.giorno) || i >= t.size() || t[i++] != '/') return false;
  if (!Numero(t, i, 1, 2, d.mese) || i >= t.size() || t[i++] != '/') return false;
  const size_t inizio_anno = i;
  if (!Numero(t, i, 2, 4, d.anno) || i - inizio_anno == 3) return false;
  if (i - inizio_anno == 2) d.anno += d.anno < 70 ? 2000 : 1900;
  if (d.anno < 1 || d.mese < 1 || d.mese > 12 || d.giorno < 1 || d.giorno > Giorni_Mese(d.mese, d.anno)) return false;
  if (i == t.size()) return true;
  if (t[i] != ' ') return false;
  while (i < t.size() && t[i] == ' ') ++i;
  auto separatore = [&] { return i < t.size() && (t[i] == '.' || t[i] == ':') && (++i, true); };
  if (!Numero(t, i, 1, 2, d.ora) || !separatore() || !Numero(t, i, 1, 2, d.minuto)) return false;
  if (i < t.size() && (!separatore() || !Numero(t, i, 1, 2, d.secondo))) return false;
  return i == t.size() && d.ora <= 23 && d.minuto <= 59 && d.secondo <= 59;
}

std::string Due(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

std::string Testo_Data(const Data_Ora& d) {
  char b[16];
  std::snprintf(b, sizeof b, "%04d", d.anno);
  return Due(d.giorno) + "/" + Due(d.mese) + "/" + b;
}

// "N" criteria: a whole, unsigned number that fits the key.
bool Numero_Valido(const std::string& testo, int32_t larghezza) {
  if (!IsNumeric(testo)) return false;
  if (testo.find_first_of(".,-+") != std::string::npos) return false;
  // An exponent beyond any number ("1e999") is no value the key can hold:
  // its text "inf" would fit a short key and the query would look for 0.
  const double v = Arrotonda_Pari(Val(testo));
  if (!std::isfinite(v)) return false;
  return static_cast<int64_t>(Format(v, "#0").size()) <= larghezza;
}

// The range from..to of a key checked by type: false when it runs backwards.
bool Intervallo_Valido(Modello_Ricerca& m, int q, const std::array<uint8_t, 256>& inversa) {
  std::string& da = m.txtDa[q].Testo;
  std::string& a = m.txtDa[q + kChiavi_Massime].Testo;
  const std::string& tipo = m.Chiave_Tipo[q];
  if (tipo == "A") {
    if (m.Ricerche_Maiuscolo) da = UCase(da), a = UCase(a);
    const std::string f = RTrim(da), t = RTrim(a);
    if (t.size() < f.size() && f.compare(0, t.size(), t) == 0) return false;  // to begins from
    for (size_t i = 0; i < std::min(f.size(), t.size()); ++i) {
      const uint8_t cf = inversa[static_cast<unsigned char>(f[i])], ct = inversa[static_cast<unsigned char>(t[i])];
      if (cf != ct) return ct > cf;
    }
    return true;
  }
  if (tipo == "N") return Arrotonda_Pari(Val(a)) >= Arrotonda_Pari(Val(da));
  if (tipo == "D" || tipo == "Z") {
    if (Trim(da).empty()) return true;
    if (Trim(a).empty()) return false;
    return Data_Ordinabile(a, tipo == "Z") >= Data_Ordinabile(da, tipo == "Z");
  }
  return true;
}

}  // namespace

std::string Data_Ordinabile(const std::string& t, bool ora) {
  std::string s = Mid(t, 7, 4) + Mid(t, 4, 2) + Mid(t, 1, 2);
  if (ora) s += Mid(t, 12, 2) + Mid(t, 15, 2) + Mid(t, 18, 2);
  return s;
}

bool Data_Normalizza(std::string& testo) {
  Data_Ora d;
  if (!Data_Leggi(testo, d)) return false;
  testo = Testo_Data(d);
  return true;
}

bool Data_Ora_Normalizza(std::string& testo) {
  Data_Ora d;
  if (!Data_Leggi(testo, d)) return false;
  testo = Testo_Data(d) + " " + Due(d.ora) + "." + Due(d.minuto) + "." + Due(d.secondo);
  return true;
}

void Casella_Colore(Modello_Ricerca& m, int indice, bool valida, bool focus) {
  Casella& c = m.txtDa[static_cast<size_t>(indice)];
  c.Colore = !valida ? Colore_Casella::Non_Valida : c.Bloccata ? Colore_Casella::Bloccata : Colore_Casella::Valida;
  if (!valida && focus && c.Visibile) m.Casella_Focus = indice;
}

bool Spool_Filtro(Modello_Ricerca& m, int indice, const std::array<uint8_t, 256>& inversa) {
  if (indice < 1 || indice > kCaselle) return false;
  const int q = ((indice - 1) & 7) + 1;
  Casella_Colore(m, indice, true, true);
  std::string& t = m.txtDa[static_cast<size_t>(indice)].Testo;
  const std::string& tipo = m.Chiave_Tipo[q];
  const bool vuota = Trim(t).empty();
  bool valida = true;
  if (tipo == "A") {
    if (m.Ricerche_Maiuscolo) t = UCase(t);
    valida = static_cast<int64_t>(RTrim(t).size()) <= m.Chiave_Lunghezza[q];
  } else if (tipo == "N") {
    valida = vuota || Numero_Valido(t, m.Chiave_Lunghezza[q]);
  } else if (tipo == "D") {
    valida = vuota || Data_Normalizza(t);
  } else if (tipo == "Z") {
    valida = vuota || (Data_Ora_Normalizza(t) && RTrim(t).size() <= 19);
  }
  if (!valida) {
    Casella_Colore(m, indice, false, true);
    return true;
  }
  if (m.Chiave_Operatore[q] == "2" && indice > kChiavi_Massime) {
    Casella_Colore(m, q, true, false);
    Casella_Colore(m, q + kChiavi_Massime, true, false);
    if (!Intervallo_Valido(m, q, inversa)) {
      Casella_Colore(m, q, false, false);
      Casella_Colore(m, q + kChiavi_Massime, false, false);
      return true;
    }
  }
  return false;
}

bool Criteri_Controlla(Modello_Ricerca& m, const std::array<uint8_t, 256>& inversa) {
  for (int q = 1; q <= m.Chiavi_Numero; ++q) {
    if (Spool_Filtro(m, q, inversa)) return false;
    if (m.Chiave_Operatore[q] == "2" && Spool_Filtro(m, q + kChiavi_Massime, inversa)) return false;
  }
  return true;
}

}  // namespace qod
