// The Qt application every program of the system starts on, in one place:
// Qt's own texts (standard buttons, file dialogs) in Italian, as the
// programs' own texts are; the offscreen platform when there is no display;
// and the exit code of a program that ended on a message nobody could answer.
// And the start every Qt program shares: its command line looked at, its
// folder and command line taken, the application made.
#pragma once

#include <QApplication>

#include <optional>
#include <string>
#include <utility>

#include "qod/console.h"

namespace qod {

// Loads Qt's Italian translations (once per application). They do not
// follow LANG: every text of the programs is Italian, and Qt's buttons and
// dialogs go with them. False when they are not installed (Debian package
// qt6-translations-l10n): Qt's texts then stay English.
bool Traduzioni_Qt_Carica();

class Applicazione_Qt : public QApplication {
 public:
  // No display: neither "-platform" nor QT_QPA_PLATFORM names a platform,
  // and neither DISPLAY nor WAYLAND_DISPLAY is set. The program then runs on
  // the offscreen platform, where nobody answers a box (see Messaggi_Qt): a
  // box goes to standard error and ends the program, and so does the first
  // window it would show (a splash excepted), instead of waiting unseen.
  //
  // A program that needs nobody at its windows (`incustodito`: one that
  // only keeps pictures of them, or the server in its automatic cycle)
  // runs on the offscreen platform too, but as on that platform named on
  // purpose: its windows show and it runs on; a box still goes to standard
  // error and ends it.
  Applicazione_Qt(int& argc, char** argv, bool incustodito = false);
  ~Applicazione_Qt() override;

  // Runs the event loop: its exit code, at least 1 when the program ended
  // because nobody could answer.
  int Esegui();
};

// What a program is started with, taken before Qt removes the arguments it
// knows.
struct Avvio_Programma {
  std::string cartella;      // the program folder (Cartella_Programma), with its trailing "/"
  std::string riga_comando;  // the command line without Qt's options (Riga_Comando)
  // Set by the program before Qt starts: it needs nobody at its windows
  // (see Applicazione_Qt).
  bool incustodito = false;
  // The folder without its trailing "/" ("/" for the root).
  std::string Percorso() const { return cartella.size() > 1 ? cartella.substr(0, cartella.size() - 1) : cartella; }
};

// Starts a Qt program: "--help" ends here, before anything is made, and a
// word the program does not know is said on standard error
// (Uso_Controlla); then the folder and the command line are taken,
// `prima(avvio)` may end the program with an exit code before Qt starts
// (or set `avvio.incustodito`), the Qt application is made and
// `programma(avvio, app)` builds the windows and runs the event loop
// (app.Esegui()): its result is the exit code.
template <class Prima, class Programma>
int Applicazione_Esegui(const Uso_Programma& uso, int argc, char** argv, Prima prima, Programma programma) {
  if (const auto fine = Uso_Controlla(uso, argc, argv)) return *fine;
  Avvio_Programma avvio{Cartella_Programma(), Riga_Comando(argc, argv, true)};
  if (const std::optional<int> fine = prima(avvio)) return *fine;
  Applicazione_Qt app(argc, argv, avvio.incustodito);
  return programma(std::as_const(avvio), app);
}

template <class Programma>
int Applicazione_Esegui(const Uso_Programma& uso, int argc, char** argv, Programma programma) {
  return Applicazione_Esegui(
      uso, argc, argv, [](Avvio_Programma&) { return std::optional<int>(); }, std::move(programma));
}

}  // namespace qod
