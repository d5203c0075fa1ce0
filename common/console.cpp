#include "qod/console.h"

#include <errno.h>

#include <array>
#include <filesystem>
#include <system_error>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/winpath.h"

namespace qod {

namespace {

// Qt's own options (also written with "--" and as "-name=value"): those
// that take the next word as their value, and those that stand alone.
constexpr std::array<std::string_view, 16> kQt_Con_Valore = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "session", "display", "geometry", "title", "name", "visual", "style", "stylesheet",
    "qmljsdebugger"};
constexpr std::array<std::string_view, 6> kQt_Soli = {"reverse", "widgetcount", "nograb", "dograb", "sync",
                                                      "testability"};

bool Aiuto(std::string_view p) { return p == "--help" || p == "-h" || p == "/?"; }

bool Uguali(std::string_view a, std::string_view b, bool maiuscole) {
  return maiuscole ? a == b : UCase(a) == UCase(b);
}

bool Contiene(std::string_view parola, std::string_view s, bool maiuscole) {
  if (s.empty()) return false;
  if (maiuscole) return parola.find(s) != std::string_view::npos;
  return UCase(parola).find(UCase(s)) != std::string::npos;
}

// 0: not an option of Qt's; 1: one standing alone (or with its "=value");
// 2: one that takes the next word as its value.
int Opzione_Qt(std::string_view p) {
  if (p.size() < 2 || p[0] != '-') return 0;
  p.remove_prefix(p.size() > 2 && p[1] == '-' ? 2 : 1);
  const size_t uguale = p.find('=');
  const bool con_uguale = uguale != std::string_view::npos;
  if (con_uguale) p = p.substr(0, uguale);
  for (auto n : kQt_Con_Valore)
    if (p == n) return con_uguale ? 1 : 2;
  for (auto n : kQt_Soli)
    if (p == n && !con_uguale) return 1;
  return 0;
}

// The arguments after the program's name, without Qt's own options and
// their values.
std::vector<std::string_view> Argomenti_Senza_Qt(int argc, const char* const* argv) {
  std::vector<std::string_view> r;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i] ? argv[i] : "";
    if (const int qt = Opzione_Qt(a)) {
      if (qt == 2) ++i;
      continue;
    }
    r.push_back(a);
  }
  return r;
}

// Whether a word looks like an option (see Uso_Strumento): "-...", "/?", or
// "/NAME" with nothing of that name at the root.
bool Come_Opzione(const std::string& p) {
  if (!p.empty() && p[0] == '-') return true;
  if (p == "/?") return true;
  if (p.size() < 2 || p[0] != '/' || p.find('/', 1) != std::string::npos) return false;
  std::error_code ec;
  return !std::filesystem::exists(std::filesystem::symlink_status(p, ec));
}

// A whole number: decimal digits, after a "-" perhaps.
bool Numero(std::string_view p) {
  if (!p.empty() && p[0] == '-') p.remove_prefix(1);
  if (p.empty()) return false;
  for (char c : p)
    if (c < '0' || c > '9') return false;
  return true;
}

void Parole_Aggiungi(std::string_view a, std::vector<std::string>& parole) {
  size_t k = 0;
  while (k < a.size()) {
    while (k < a.size() && (a[k] == ' ' || a[k] == '\t')) ++k;
    size_t fine = k;
    while (fine < a.size() && a[fine] != ' ' && a[fine] != '\t') ++fine;
    if (fine > k) parole.emplace_back(a.substr(k, fine - k));
    k = fine;
  }
}

}  // namespace

std::vector<std::string> Parole_Comando(int argc, const char* const* argv) {
  std::vector<std::string> parole;
  for (int i = 1; i < argc; ++i) Parole_Aggiungi(argv[i] ? argv[i] : "", parole);
  return parole;
}

std::optional<int> Uso_Controlla(const Uso_Programma& uso, int argc, const char* const* argv, std::FILE* uscita,
                                 std::FILE* errori) {
  std::vector<std::string> parole;
  for (const std::string_view a : Argomenti_Senza_Qt(argc, argv)) Parole_Aggiungi(a, parole);
  for (const auto& p : parole)
    if (Aiuto(p)) {
      std::fputs(uso.testo.c_str(), uscita);
      std::fflush(uscita);
      return 0;
    }
  // The program looks for its switches itself; what will not count is said.
  if (uso.riga_intera) {
    bool vale = parole.empty();
    for (const auto& s : uso.parole) vale = vale || (parole.size() == 1 && Uguali(parole[0], s, uso.maiuscole));
    if (!vale) {
      std::string riga;
      for (const auto& p : parole) riga += (riga.empty() ? "" : " ") + p;
      std::fprintf(errori, "%s: riga di comando ignorata: %s\n", uso.nome.c_str(), riga.c_str());
    }
  } else {
    for (const auto& p : parole) {
      bool vale = false;
      for (const auto& s : uso.parole) vale = vale || Contiene(p, s, uso.maiuscole);
      if (!vale) std::fprintf(errori, "%s: parola sconosciuta, ignorata: %s\n", uso.nome.c_str(), p.c_str());
    }
  }
  std::fflush(errori);
  return std::nullopt;
}

int Uso_Rifiuta(const Uso_Strumento& uso, std::string_view motivo, std::FILE* errori) {
  std::fprintf(errori, "%s: %.*s\n\n%s", uso.nome.c_str(), static_cast<int>(motivo.size()), motivo.data(),
               uso.testo.c_str());
  std::fflush(errori);
  return 2;
}

std::optional<int> Uso_Controlla(const Uso_Strumento& uso, int argc, const char* const* argv,
                                 std::vector<Voce_Comando>* voci, std::FILE* uscita, std::FILE* errori) {
  std::vector<Voce_Comando> lette;
  std::string rifiuto;
  bool aiuto = false;
  size_t proprie = 0;
  auto rifiuta = [&](std::string motivo) {
    if (rifiuto.empty()) rifiuto = std::move(motivo);
  };
  // One value of option `o`: a number's must be one, a name's must not look
  // like an option; a text's is taken as it is.
  auto valore_buono = [&](const Opzione_Strumento& o, const std::string& v) {
    if (o.tipo == Tipo_Valore::Numero && !Numero(v)) {
      rifiuta("valore di " + o.nome + " non numerico: " + v);
      return false;
    }
    if (o.tipo == Tipo_Valore::Nome && Come_Opzione(v)) {
      rifiuta("valore di " + o.nome + " simile a un'opzione: " + v);
      return false;
    }
    return true;
  };
  auto prendi = [&](int& i, int n, Voce_Comando& v) {
    for (int k = 0; k < n; ++k) {
      if (i + 1 >= argc) return false;
      v.valori.emplace_back(argv[++i] ? argv[i] : "");
    }
    return true;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string p = argv[i] ? argv[i] : "";
    if (Aiuto(p)) {
      aiuto = true;
      continue;
    }
    const Opzione_Strumento* opzione = nullptr;
    std::string valore;
    bool con_valore = false;
    for (const auto& o : uso.opzioni) {
      if (p == o.nome) {
        opzione = &o;
      } else if (uso.con_uguale && o.valori == 1 && p.size() > o.nome.size() && p.compare(0, o.nome.size(), o.nome) == 0 &&
                 p[o.nome.size()] == '=') {
        opzione = &o;
        valore = p.substr(o.nome.size() + 1);
        con_valore = true;
      }
      if (opzione) break;
    }
    if (opzione) {
      Voce_Comando v{opzione->nome, {}};
      if (con_valore)
        v.valori.push_back(valore);
      else if (!prendi(i, opzione->valori, v)) {
        rifiuta("manca il valore di " + p);
        break;
      }
      bool buoni = true;
      for (const auto& x : v.valori) buoni = buoni && valore_buono(*opzione, x);
      if (buoni) lette.push_back(std::move(v));
      continue;
    }
    if (uso.opzioni_qt)
      if (const int qt = Opzione_Qt(p)) {
        if (qt == 2) ++i;
        continue;
      }
    if (Come_Opzione(p)) {
      // Whether it takes a value is not known: the words after it are
      // looked at as they come.
      rifiuta("opzione sconosciuta: " + p);
      continue;
    }
    Voce_Comando v{"", {p}};
    const int insieme = uso.valori_parola ? uso.valori_parola(proprie) : 0;
    ++proprie;
    if (!prendi(i, insieme, v)) {
      rifiuta("mancano parole dopo " + p);
      break;
    }
    lette.push_back(std::move(v));
  }
  if (aiuto) {
    std::fputs(uso.testo.c_str(), uscita);
    std::fflush(uscita);
    return 0;
  }
  if (!rifiuto.empty()) return Uso_Rifiuta(uso, rifiuto, errori);
  if (voci) *voci = std::move(lette);
  return std::nullopt;
}

std::string Cartella_Programma() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return Percorso_Ansi(cwd) + "/";
}

std::string Riga_Comando(int argc, const char* const* argv, bool senza_qt) {
  std::string riga;
  if (senza_qt) {
    for (const std::string_view a : Argomenti_Senza_Qt(argc, argv)) (riga += riga.empty() ? "" : " ") += a;
  } else {
    for (int i = 1; i < argc; ++i) (riga += i > 1 ? " " : "") += argv[i] ? argv[i] : "";
  }
  return Utf8_A_Ansi(riga);
}

std::string Nome_Programma() { return program_invocation_short_name ? program_invocation_short_name : ""; }

void Errore_Scrivi(std::string_view titolo, std::string_view testo, std::FILE* errori) {
  const std::string nome = Nome_Programma();
  std::string righe;
  std::string_view t = testo;
  bool prima = true;
  while (true) {
    const size_t a_capo = t.find_first_of("\r\n");
    std::string_view riga = t.substr(0, a_capo);
    righe += nome + ": ";
    if (prima && !titolo.empty()) righe += Ansi_A_Utf8(titolo) + ": ";
    righe += Ansi_A_Utf8(riga) + "\n";
    prima = false;
    if (a_capo == std::string_view::npos) break;
    t.remove_prefix(a_capo + (t.substr(a_capo, 2) == "\r\n" ? 2 : 1));
    if (t.empty()) break;
  }
  std::fputs(righe.c_str(), errori);
  std::fflush(errori);
}

}  // namespace qod
