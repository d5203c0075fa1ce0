// qod_s_imposta: writes the settings file of a server program folder from
// the command line, through the same settings layer and the same scrambling
// of the connection record as the programs use. For the demo and for setting
// up a folder by script.
//
//   qod_s_imposta FILE.INI --collegamento HOST PORTA UTENTE PASSWORD PORTA_FTP LIBRERIA INDICE
//   qod_s_imposta FILE.INI SEZIONE CHIAVE VALORE [SEZIONE CHIAVE VALORE ...]
//
// Both forms can be combined. Text is taken as UTF-8 and written as ANSI.
#include <cstdio>
#include <string>
#include <vector>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/cripto.h"
#include "qod/profile.h"

namespace {

int Uso() {
  std::fprintf(stderr,
               "uso: qod_s_imposta FILE.INI [--collegamento HOST PORTA UTENTE PASSWORD PORTA_FTP LIBRERIA INDICE]\n"
               "                    [SEZIONE CHIAVE VALORE ...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Uso();
  const std::string ini = qod::Utf8_A_Ansi(argv[1]);
  std::vector<std::string> a;
  for (int i = 2; i < argc; ++i) a.push_back(qod::Utf8_A_Ansi(argv[i]));
  std::vector<qod::Profilo_Voce> voci;
  std::string record;
  for (size_t i = 0; i < a.size();) {
    if (a[i] == "--collegamento") {
      if (i + 8 > a.size()) return Uso();
      qod::Parametri_Collegamento p;
      p.Host = a[i + 1];
      p.Porta = qod::Valore_Numerico(a[i + 2]);
      p.Utente = qod::UCase(a[i + 3]);
      p.Password = qod::UCase(a[i + 4]);
      p.Porta_Ftp = qod::Valore_Numerico(a[i + 5]);
      p.Libreria = qod::UCase(a[i + 6]);
      p.Indice_Server = qod::Valore_Numerico(a[i + 7]);
      record = p.Componi();
      i += 8;
    } else {
      if (i + 3 > a.size()) return Uso();
      voci.push_back({a[i], a[i + 1], a[i + 2]});
      i += 3;
    }
  }
  if (!record.empty() && !qod::Collegamento_Scrivi(ini, record)) {
    std::fprintf(stderr, "qod_s_imposta: impossibile scrivere %s\n", argv[1]);
    return 1;
  }
  if (!voci.empty() && !qod::Profilo_Scrivi_Tutti(ini, voci)) {
    std::fprintf(stderr, "qod_s_imposta: impossibile scrivere %s\n", argv[1]);
    return 1;
  }
  return 0;
}
