#include "segnali.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qod {

namespace {

int segnale_fd[2] = {-1, -1};

void Al_Segnale(int) {
  const char c = 1;
  [[maybe_unused]] ssize_t r = ::write(segnale_fd[1], &c, 1);
}

}  // namespace

bool Segnali_Termine::Installa(std::function<void()> termina) {
  termina_ = std::move(termina);
  if (segnale_fd[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, segnale_fd) != 0) return false;
  ::fcntl(segnale_fd[1], F_SETFL, O_NONBLOCK);
  struct sigaction sa {};
  sa.sa_handler = Al_Segnale;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  notifica_ = std::make_unique<QSocketNotifier>(segnale_fd[0], QSocketNotifier::Read);
  QObject::connect(notifica_.get(), &QSocketNotifier::activated, [this] {
    char c[16];
    [[maybe_unused]] ssize_t r = ::read(segnale_fd[0], c, sizeof c);
    if (termina_) termina_();
  });
  return true;
}

}  // namespace qod
