// qod_s_imposta: writes the settings file of a server program folder (or,
// with --client, of an archive viewer's) from the command line. The
// connection record and the keys of [Generale] go through the settings
// editor's own model (the same formatting, checks and single rewrite as the
// editor's "Aggiorna"); other keys through the settings layer. For the demo
// and for setting up a folder by script.
//
//   qod_s_imposta FILE.INI [--standard]
//                 [--collegamento HOST PORTA UTENTE PASSWORD PORTA_FTP LIBRERIA INDICE]
//                 [SEZIONE CHIAVE VALORE ...]
//   qod_s_imposta FILE.INI --client [--standard]
//                 [--collegamento HOST PORTA UTENTE PASSWORD PORTA_FTP LIBRERIA]
//                 [SEZIONE CHIAVE VALORE ...]
//
// --client takes the viewer's editor, whose record has no INDICE.
// --standard starts from the editor's standard values instead of the file's.
// A check box key is ticked by the value that turns it on for the program
// that reads it: "S" for Log and Backup, "1" for "Ricerche in maiuscolo".
// Text is taken as UTF-8 and written as ANSI.
#include <cstdio>
#include <string>
#include <vector>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/config/editor_impostazioni.h"
#include "qod/profile.h"

namespace {

constexpr const char* kUso =
    "uso: qod_s_imposta FILE.INI [--standard]\n"
    "                    [--collegamento HOST PORTA UTENTE PASSWORD PORTA_FTP LIBRERIA INDICE]\n"
    "                    [SEZIONE CHIAVE VALORE ...]\n"
    "     qod_s_imposta FILE.INI --client [--standard]\n"
    "                    [--collegamento HOST PORTA UTENTE PASSWORD PORTA_FTP LIBRERIA]\n"
    "                    [SEZIONE CHIAVE VALORE ...]\n"
    "  Le caselle si spuntano con \"S\" (Log, Backup) e con \"1\" (Ricerche in maiuscolo).\n";

int Uso(const char* sconosciuta = nullptr) {
  if (sconosciuta) std::fprintf(stderr, "qod_s_imposta: opzione sconosciuta: %s\n", sconosciuta);
  std::fputs(kUso, stderr);
  return 2;
}

bool Aiuto(std::string_view a) { return a == "--help" || a == "-h"; }

bool Uguali(std::string_view a, std::string_view b) { return qod::UCase(a) == qod::UCase(b); }

// The value that ticks a check box: the one its program reads as on.
const char* Spuntata(const qod::Casella_Impostazione& casella) {
  return casella.regola == qod::Regola_Casella::S_N ? "S" : "1";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && Aiuto(argv[1])) {
    std::fputs(kUso, stdout);
    return 0;
  }
  if (argc < 2) return Uso();
  if (argv[1][0] == '-') return Uso(argv[1]);
  const std::string ini = qod::Utf8_A_Ansi(argv[1]);
  std::vector<std::string> a;
  for (int i = 2; i < argc; ++i) a.push_back(qod::Utf8_A_Ansi(argv[i], '\xBF'));

  const bool client = !a.empty() && a[0] == "--client";
  if (client) a.erase(a.begin());
  const qod::Modulo_Impostazioni& modulo = client ? qod::kEditor_Client : qod::kEditor_Server;
  // The connection record's fields are the ones without a key of their own.
  size_t campi = 0;
  for (const auto& c : modulo.campi) campi += c.chiave == nullptr;
  qod::Editor_Impostazioni editor(modulo, ini);
  editor.Carica();
  bool con_editor = false;
  std::vector<qod::Profilo_Voce> altre;
  for (size_t i = 0; i < a.size();) {
    if (a[i] == "--standard") {
      editor.Valori_Standard();
      con_editor = true;
      i += 1;
    } else if (a[i] == "--collegamento") {
      if (i + 1 + campi > a.size()) return Uso();
      for (size_t k = 0; k < campi; ++k) editor.valori[k] = a[i + 1 + k];
      con_editor = true;
      i += 1 + campi;
    } else {
      // No section begins with "--": an option this program does not take.
      if (a[i].rfind("--", 0) == 0) return Uso(argv[2 + i + (client ? 1 : 0)]);
      if (i + 3 > a.size()) return Uso();
      const std::string &sezione = a[i], &chiave = a[i + 1], &valore = a[i + 2];
      bool preso = false;
      if (Uguali(sezione, "Generale")) {
        for (size_t k = 0; k < editor.valori.size() && !preso; ++k) {
          const char* c = modulo.campi[k].chiave;
          if (c && Uguali(c, chiave)) editor.valori[k] = valore, preso = true;
        }
        for (size_t k = 0; k < editor.spunte.size() && !preso; ++k) {
          if (Uguali(modulo.caselle[k].chiave, chiave)) editor.spunte[k] = valore == Spuntata(modulo.caselle[k]), preso = true;
        }
      }
      if (preso)
        con_editor = true;
      else
        altre.push_back({sezione, chiave, valore});
      i += 3;
    }
  }
  if (con_editor) {
    if (auto rifiuto = editor.Formatta()) {
      std::fprintf(stderr, "qod_s_imposta: %s\n", qod::Ansi_A_Utf8(rifiuto->messaggio).c_str());
      return 1;
    }
    if (!editor.Scrivi()) {
      std::fprintf(stderr, "qod_s_imposta: impossibile scrivere %s\n", argv[1]);
      return 1;
    }
  }
  if (!altre.empty() && !qod::Profilo_Scrivi_Tutti(ini, altre)) {
    std::fprintf(stderr, "qod_s_imposta: impossibile scrivere %s\n", argv[1]);
    return 1;
  }
  return 0;
}
