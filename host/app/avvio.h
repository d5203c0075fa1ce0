// How a program with a host connection starts: the shared start of the Qt
// programs, the Qt application that stays when its last window closes, the
// orderly end on SIGTERM or SIGINT and on a message nobody can answer; and
// the message boxes it shows unless a test gives its own.
#pragma once

#include <QApplication>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "qod/ui.h"
#include "qod/ui/applicazione_qt.h"
#include "qod/ui/qt.h"
#include "segnali.h"

namespace qod {

// The start of a program with a host connection: the shared start of a Qt
// program (Applicazione_Esegui: the command line looked at, the folder and
// the command line taken into `opzioni`, `prima` may end it before Qt starts
// or mark it as needing nobody at its windows);
// then `Programma` is built from `opzioni` under the Qt application, which
// stays when its last window closes; a signal, or a message nobody can
// answer, calls its `Termina_Richiesta`; it starts and the event loop runs:
// the exit code (1 when the signals could not be set up, at least 1 after a
// message nobody could answer).
template <class Programma, class Opzioni, class Prima>
int Programma_Esegui(const Uso_Programma& uso, int argc, char** argv, Opzioni opzioni, Prima prima) {
  return Applicazione_Esegui(uso, argc, argv, prima, [&](const Avvio_Programma& avvio, Applicazione_Qt& app) {
    opzioni.cartella = avvio.cartella;
    opzioni.riga_comando = avvio.riga_comando;
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
  });
}

template <class Programma, class Opzioni>
int Programma_Esegui(const Uso_Programma& uso, int argc, char** argv, Opzioni opzioni) {
  return Programma_Esegui<Programma>(uso, argc, argv, std::move(opzioni),
                                     [](const Avvio_Programma&) { return std::optional<int>(); });
}

// The sink a test gave, or else message boxes of Qt made here: `propria`
// owns them and `qt` points at them (it stays null for a given sink).
MessageSink& Messaggi_Scegli(MessageSink* data, std::unique_ptr<MessageSink>& propria, Messaggi_Qt*& qt);

}  // namespace qod
