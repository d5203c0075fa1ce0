// How a Qt program starts: its folder and command line, the Qt application
// that stays when its last window closes, the orderly end on SIGTERM or
// SIGINT and on a message nobody can answer; and the message boxes it shows
// unless a test gives its own.
#pragma once

#include <QApplication>

#include <memory>
#include <string>
#include <utility>

#include "qod/ui.h"
#include "qod/ui/applicazione_qt.h"
#include "qod/ui/qt.h"
#include "segnali.h"

namespace qod {

// The current directory with a trailing "/", in the program's code page.
std::string Cartella_Programma();

// The arguments after the program's name joined by blanks, in the program's
// code page.
std::string Riga_Comando(int argc, char** argv);

// Takes the command line into `opzioni`, builds `Programma` from them under
// the Qt application, has a signal, or a message nobody can answer, call its
// `Termina_Richiesta`, starts it and runs the event loop: the exit code (1
// when the signals could not be set up, at least 1 after a message nobody
// could answer). The caller has checked the command line (Uso_Controlla).
template <class Programma, class Opzioni>
int Programma_Esegui(int argc, char** argv, Opzioni opzioni) {
  // Taken before Qt removes the arguments it knows.
  opzioni.riga_comando = Riga_Comando(argc, argv);

  Applicazione_Qt app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  Programma programma(std::move(opzioni));

  Segnali_Termine segnali;
  if (!segnali.Installa([&] { programma.Termina_Richiesta(); })) return 1;
  Messaggi_Qt::Fine_Senza_Risposta_Imposta([&] { programma.Termina_Richiesta(); });
  struct Fine {
    ~Fine() { Messaggi_Qt::Fine_Senza_Risposta_Imposta({}); }
  } fine;

  programma.Avvia();
  return app.Esegui();
}

// The sink a test gave, or else message boxes of Qt made here: `propria`
// owns them and `qt` points at them (it stays null for a given sink).
MessageSink& Messaggi_Scegli(MessageSink* data, std::unique_ptr<MessageSink>& propria, Messaggi_Qt*& qt);

}  // namespace qod
