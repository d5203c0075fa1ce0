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
#include <string_view>
#include <vector>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/console.h"
#include "qod/config/editor_impostazioni.h"
#include "qod/profile.h"

namespace {

// The connection record's fields given to --collegamento: the ones without
// a key of their own.
size_t Campi_Record(const qod::Modulo_Impostazioni& modulo) {
  size_t campi = 0;
  for (const auto& c : modulo.campi) campi += c.chiave == nullptr;
  return campi;
}

// FILE.INI, then SEZIONE CHIAVE VALORE: the key and the value are taken as
// they are (a value may begin with "-"), as the record's fields are.
qod::Uso_Strumento Uso(bool client) {
  const qod::Modulo_Impostazioni& modulo = client ? qod::kEditor_Client : qod::kEditor_Server;
  return {"qod_s_imposta",
          "uso: qod_s_imposta FILE.INI [--standard]\n"
          "                    [--collegamento HOST PORTA UTENTE PASSWORD PORTA_FTP LIBRERIA INDICE]\n"
          "                    [SEZIONE CHIAVE VALORE ...]\n"
          "     qod_s_imposta FILE.INI --client [--standard]\n"
          "                    [--collegamento HOST PORTA UTENTE PASSWORD PORTA_FTP LIBRERIA]\n"
          "                    [SEZIONE CHIAVE VALORE ...]\n"
          "  Le caselle si spuntano con \"S\" (Log, Backup) e con \"1\" (Ricerche in maiuscolo).\n"
          "  Un file che comincia con \"-\" si scrive ./-nome, uno nuovo alla radice /./nome;\n"
          "  --help (anche -h, /?) mostra questo testo.\n",
          {{"--client"},
           {"--standard"},
           {"--collegamento", static_cast<int>(Campi_Record(modulo)), qod::Tipo_Valore::Testo}},
          false,
          false,
          [](size_t n) { return n == 0 ? 0 : 2; }};
}

bool Uguali(std::string_view a, std::string_view b) { return qod::UCase(a) == qod::UCase(b); }

// The value that ticks a check box: the one its program reads as on.
const char* Spuntata(const qod::Casella_Impostazione& casella) {
  return casella.regola == qod::Regola_Casella::S_N ? "S" : "1";
}

}  // namespace

int main(int argc, char** argv) {
  // "--client" right after FILE.INI chooses the viewer's editor. The whole
  // command line is looked at before the file is read.
  const bool client = argc > 2 && std::string_view(argv[2]) == "--client";
  const qod::Uso_Strumento uso = Uso(client);
  std::vector<qod::Voce_Comando> voci;
  if (const auto fine = qod::Uso_Controlla(uso, argc, argv, &voci)) return *fine;
  if (voci.empty() || !voci[0].opzione.empty()) return qod::Uso_Rifiuta(uso, "manca FILE.INI");
  for (size_t i = 1; i < voci.size(); ++i)
    if (voci[i].opzione == "--client" && !(client && i == 1))
      return qod::Uso_Rifiuta(uso, "--client va subito dopo FILE.INI");
  const std::string ini = qod::Utf8_A_Ansi(voci[0].valori[0]);
  const qod::Modulo_Impostazioni& modulo = client ? qod::kEditor_Client : qod::kEditor_Server;
  qod::Editor_Impostazioni editor(modulo, ini);
  editor.Carica();
  bool con_editor = false;
  std::vector<qod::Profilo_Voce> altre;
  for (size_t i = 1; i < voci.size(); ++i) {
    std::vector<std::string> a;
    for (const auto& v : voci[i].valori) a.push_back(qod::Utf8_A_Ansi(v, '\xBF'));
    if (voci[i].opzione == "--standard") {
      editor.Valori_Standard();
      con_editor = true;
    } else if (voci[i].opzione == "--collegamento") {
      for (size_t k = 0; k < a.size(); ++k) editor.valori[k] = a[k];
      con_editor = true;
    } else if (voci[i].opzione.empty()) {
      const std::string &sezione = a[0], &chiave = a[1], &valore = a[2];
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
    }
  }
  if (con_editor) {
    if (auto rifiuto = editor.Formatta()) {
      std::fprintf(stderr, "qod_s_imposta: %s\n", qod::Ansi_A_Utf8(rifiuto->messaggio).c_str());
      return 1;
    }
    if (!editor.Scrivi()) {
      std::fprintf(stderr, "qod_s_imposta: impossibile scrivere %s\n", voci[0].valori[0].c_str());
      return 1;
    }
  }
  if (!altre.empty() && !qod::Profilo_Scrivi_Tutti(ini, altre)) {
    std::fprintf(stderr, "qod_s_imposta: impossibile scrivere %s\n", voci[0].valori[0].c_str());
    return 1;
  }
  return 0;
}
