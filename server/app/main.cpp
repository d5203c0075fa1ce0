// Qod_S: the spool server. Its program folder is the current directory; one
// copy runs per folder. "/AUTO" starts the automatic cycle, "/ICON" starts it
// in the notification area. SIGTERM (or SIGINT) ends it in order.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <filesystem>
#include <string>

#include "programma.h"
#include "qod/server/istanza.h"
#include "qod/ansi.h"
#include "qod/winpath.h"

namespace {

int segnale_fd[2] = {-1, -1};

void Al_Segnale(int) {
  const char c = 1;
  [[maybe_unused]] ssize_t r = ::write(segnale_fd[1], &c, 1);
}

}  // namespace

int main(int argc, char** argv) {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  const std::string cartella = qod::Percorso_Ansi(cwd) + "/";

  // A second copy in the same folder ends at once, with no window and no
  // message. A lock file that cannot be made at all is an error.
  qod::Istanza_Unica istanza;
  if (!istanza.Acquisisci(cartella)) {
    if (istanza.Errore().empty()) return 0;
    std::fprintf(stderr, "Qod_S: %s\n", istanza.Errore().c_str());
    return 1;
  }

  std::string riga;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) riga += ' ';
    riga += argv[i];
  }

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, segnale_fd) != 0) return 1;
  ::fcntl(segnale_fd[1], F_SETFL, O_NONBLOCK);
  struct sigaction sa {};
  sa.sa_handler = Al_Segnale;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);

  qod::Opzioni_Qod_S opzioni;
  opzioni.cartella = cartella;
  opzioni.riga_comando = qod::Utf8_A_Ansi(riga);
  qod::Programma_Qod_S programma(opzioni);

  QSocketNotifier notifica(segnale_fd[0], QSocketNotifier::Read);
  QObject::connect(&notifica, &QSocketNotifier::activated, [&] {
    char c[16];
    [[maybe_unused]] ssize_t r = ::read(segnale_fd[0], c, sizeof c);
    programma.Termina_Richiesta();
  });

  programma.Avvia();
  return app.exec();
}
