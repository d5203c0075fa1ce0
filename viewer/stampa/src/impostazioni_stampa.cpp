#include "qod/viewer/impostazioni_stampa.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "qod/basic.h"
#include "qod/profile.h"
#include "qod/viewer/pagine.h"

namespace qod::imv {

namespace {

constexpr int kBuffer = 255;

std::string Leggi(const std::string& file, const std::string& paragrafo, const char* chiave, const char* predefinito) {
  return Profilo_Leggi(file, paragrafo, chiave, predefinito, kBuffer);
}

uint8_t Flag(const std::string& v) { return v == "1" ? 1 : 0; }

// A number of the section: the numeric test with the user's separators, the
// value with the "."-only conversion, rounded halves to even; `predefinito`
// when not numeric or beyond 32 bits.
int32_t Intero(const std::string& v, const Separatori& s, int32_t predefinito) {
  if (!Numero_Testo(v, s)) return predefinito;
  const auto n = CLng(Val(v));
  return n ? *n : predefinito;
}

}  // namespace

std::optional<double> Numero_Testo(std::string_view testo, const Separatori& s) {
  std::string t;
  t.reserve(testo.size());
  for (char c : testo) {
    if (c == s.migliaia) continue;
    t.push_back(c == s.decimale ? '.' : c);
  }
  if (!IsNumeric(t)) return std::nullopt;
  return Val(t);
}

bool Controlla_Intero(std::string_view testo, const Separatori& s, int32_t minimo, int32_t massimo,
                      int32_t& valore) {
  const auto n = Numero_Testo(testo, s);
  if (!n) return false;
  const auto i = CLng(*n);
  if (!i) return false;  // beyond 32 bits: not a value the box can hold
  valore = *i;
  return minimo <= valore && valore <= massimo;
}

bool Controlla_Decimale(std::string_view testo, const Separatori& s, double minimo, double massimo,
                        double& valore) {
  const auto n = Numero_Testo(testo, s);
  if (!n) return false;
  valore = *n;
  return minimo <= valore && valore <= massimo;
}

Impostazioni_Stampa Impostazioni_Leggi(const std::string& file, const std::string& paragrafo, const Separatori& s,
                                       const std::function<std::string()>& predefinita) {
  Impostazioni_Stampa i;
  i.Nome = Trim(Leggi(file, paragrafo, "Nome", ""));
  if (i.Nome.empty() && predefinita) i.Nome = predefinita();
  i.Adatta = Flag(Leggi(file, paragrafo, "Adatta", "1"));
  i.Allinea_X = Flag(Leggi(file, paragrafo, "Allinea X", "1"));
  i.Allinea_Y = Flag(Leggi(file, paragrafo, "Allinea Y", "1"));
  for (auto [chiave, zoom] : {std::pair{"Zoom X", &i.Zoom_X}, std::pair{"Zoom Y", &i.Zoom_Y}}) {
    const std::string v = Leggi(file, paragrafo, chiave, "10000");
    *zoom = Numero_Testo(v, s) ? Val(v) / 100 : 100;
  }
  i.Verticale = Leggi(file, paragrafo, "Orientamento", "V") == "V";
  i.Margine_Sx = Intero(Leggi(file, paragrafo, "Margine Sx", "0"), s, 0);
  i.Margine_Dx = Intero(Leggi(file, paragrafo, "Margine Dx", "0"), s, 0);
  i.Margine_Top = Intero(Leggi(file, paragrafo, "Margine Top", "0"), s, 0);
  i.Margine_Bot = Intero(Leggi(file, paragrafo, "Margine Bot", "0"), s, 0);
  i.Copie = Intero(Leggi(file, paragrafo, "Copie", "1"), s, 1);
  i.Fascicola = Flag(Leggi(file, paragrafo, "Fascicola", "0"));
  return i;
}

bool Impostazioni_Scrivi(const std::string& file, const std::string& paragrafo, const Impostazioni_Stampa& i,
                         bool orientamento) {
  bool bene = true;
  auto scrivi = [&](const char* chiave, const std::string& valore) {
    bene = Profilo_Scrivi(file, paragrafo, chiave, valore) && bene;
  };
  scrivi("Nome", Trim(i.Nome));
  scrivi("Adatta", Format(int32_t{i.Adatta}, "0"));
  scrivi("Allinea X", Format(int32_t{i.Allinea_X}, "0"));
  scrivi("Allinea Y", Format(int32_t{i.Allinea_Y}, "0"));
  scrivi("Zoom X", Format(i.Zoom_X * 100, "#0"));
  scrivi("Zoom Y", Format(i.Zoom_Y * 100, "#0"));
  if (orientamento) scrivi("Orientamento", i.Verticale ? "V" : "O");
  scrivi("Margine Sx", Format(i.Margine_Sx, "#0"));
  scrivi("Margine Dx", Format(i.Margine_Dx, "#0"));
  scrivi("Margine Top", Format(i.Margine_Top, "#0"));
  scrivi("Margine Bot", Format(i.Margine_Bot, "#0"));
  scrivi("Copie", Format(i.Copie, "000"));
  scrivi("Fascicola", Format(int32_t{i.Fascicola}, "0"));
  return bene;
}

// ---- Pages -----------------------------------------------------------------------

bool Modello_Stampa::Scopri(int immagini_file, const std::function<bool(const std::string&)>& esiste) {
  cifre_inizio = cifre_numero = 0;
  prima = ultima = 1;
  immagini = std::max(1, immagini_file);
  if (immagini > 1) {
    ultima = immagini;
  } else {
    const Cifre c = Cifre_Trova(NomeFile);
    if (c.numero >= 1) {
      int64_t n = 0;
      for (long k = 0; k < c.numero; ++k) {
        n = n * 10 + (NomeFile[static_cast<size_t>(c.inizio - 1 + k)] - '0');
        if (n > std::numeric_limits<int32_t>::max()) return false;
      }
      cifre_inizio = c.inizio;
      cifre_numero = c.numero;
      prima = ultima = static_cast<int32_t>(n);
      while (ultima < std::numeric_limits<int32_t>::max() && esiste(File(ultima + 1))) ++ultima;
    }
  }
  da = prima;
  a = ultima;
  return true;
}

std::string Modello_Stampa::File(int32_t p) const {
  if (immagini > 1 || cifre_numero == 0) return NomeFile;
  return Nome_Pagina(NomeFile, Cifre{cifre_inizio, cifre_numero}, p);
}

// ---- Placement ----------------------------------------------------------------------

double Millimetri_Twips(double mm) { return mm * 1440.0 / 25.4; }

stampa::Rettangolo Posizione_Pagina(const Impostazioni_Stampa& i, int w_px, int h_px, int dpi_x, int dpi_y, int32_t W,
                                    int32_t H) {
  const double rx = dpi_x > 0 ? dpi_x : 200, ry = dpi_y > 0 ? dpi_y : 200;
  const double w = Arrotonda_Pari(w_px * 1440.0 / rx), h = Arrotonda_Pari(h_px * 1440.0 / ry);
  const double L = Millimetri_Twips(i.Margine_Sx), R = Millimetri_Twips(i.Margine_Dx);
  const double T = Millimetri_Twips(i.Margine_Top), B = Millimetri_Twips(i.Margine_Bot);
  double sx = 0, sy = 0;
  if (i.Adatta == 1) {
    sx = (W - L - R) / w;
    sy = (H - T - B) / h;
    sx = sy = std::min(sx, sy);
  } else {
    sx = i.Zoom_X / 100;
    sy = i.Zoom_Y / 100;
  }
  const double x = i.Allinea_X == 1 ? ((W - L - R) - w * sx) / 2 + L : L;
  const double y = i.Allinea_Y == 1 ? ((H - T - B) - h * sy) / 2 + T : T;
  auto intero = [](double v) {
    const auto n = CLng(v);
    if (!n) throw std::overflow_error("Overflow");
    return *n;
  };
  stampa::Rettangolo r;
  r.sinistra = intero(x);
  r.alto = intero(y);
  r.destra = intero(r.sinistra + w * sx);
  r.basso = intero(r.alto + h * sy);
  return r;
}

}  // namespace qod::imv
