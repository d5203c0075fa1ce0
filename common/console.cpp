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

bool Aiuto(std::string_view p) { return p == "--help" || p == "-help" || p == "-h" || p == "/?"; }

bool Uguali(std::string_view a, std::string_view b, bool maiuscole) {
  return maiuscole ? a == b : UCase(a) == UCase(b);
}

// A word made of the program's switches, one after another with nothing
// between them ("/AUTO", "/AUTO/ICON").
bool Di_Switch(std::string_view p, const Uso_Programma& uso) {
  if (p.empty()) return false;
  while (!p.empty()) {
    bool preso = false;
    for (const auto& s : uso.parole) {
      if (!s.empty() && p.size() >= s.size() && Uguali(p.substr(0, s.size()), s, uso.maiuscole)) {
        p.remove_prefix(s.size());
        preso = true;
        break;
      }
    }
    if (!preso) return false;
  }
  return true;
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

}  // namespace

std::vector<std::string> Parole_Comando(int argc, const char* const* argv) {
  std::vector<std::string> parole;
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i] ? argv[i] : "";
    size_t k = 0;
    while (k < a.size()) {
      while (k < a.size() && (a[k] == ' ' || a[k] == '\t')) ++k;
      size_t fine = k;
      while (fine < a.size() && a[fine] != ' ' && a[fine] != '\t') ++fine;
      if (fine > k) parole.emplace_back(a.substr(k, fine - k));
      k = fine;
    }
  }
  return parole;
}

std::optional<int> Uso_Controlla(const Uso_Programma& uso, int argc, const char* const* argv, std::FILE* uscita,
                                 std::FILE* errori) {
  const std::vector<std::string> parole = Parole_Comando(argc, argv);
  for (const auto& p : parole)
    if (Aiuto(p)) {
      std::fputs(uso.testo.c_str(), uscita);
      std::fflush(uscita);
      return 0;
    }
  for (size_t i = 0; i < parole.size(); ++i) {
    const std::string& p = parole[i];
    if (p.empty() || (p[0] != '-' && p[0] != '/')) continue;
    if (Di_Switch(p, uso)) continue;
    if (uso.opzioni_qt) {
      if (const int qt = Opzione_Qt(p)) {
        if (qt == 2) ++i;
        continue;
      }
    }
    std::fprintf(errori, "%s: opzione sconosciuta: %s\n\n%s", uso.nome.c_str(), p.c_str(), uso.testo.c_str());
    std::fflush(errori);
    return 2;
  }
  return std::nullopt;
}

std::string Cartella_Programma() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return Percorso_Ansi(cwd) + "/";
}

std::string Riga_Comando(int argc, const char* const* argv) {
  std::string riga;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) riga += ' ';
    riga += argv[i];
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
