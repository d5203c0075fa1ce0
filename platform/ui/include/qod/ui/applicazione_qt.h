// The Qt application every program of the system starts on, in one place:
// Qt's own texts (standard buttons, file dialogs) in Italian, as the
// programs' own texts are; the offscreen platform when there is no display;
// and the exit code of a program that ended on a message nobody could answer.
#pragma once

#include <QApplication>

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
  Applicazione_Qt(int& argc, char** argv);
  ~Applicazione_Qt() override;

  // Runs the event loop: its exit code, at least 1 when the program ended
  // because nobody could answer.
  int Esegui();

  static bool Senza_Display();
};

}  // namespace qod
