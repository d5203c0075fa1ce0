#include "qod/server/istanza.h"

#include <fcntl.h>
#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

#include "qod/winpath.h"

namespace qod {

Istanza_Unica::~Istanza_Unica() { Rilascia(); }

namespace {

std::string Percorso_Blocco(const std::string& cartella, const std::string& nome) {
  std::string percorso = cartella;
  if (!percorso.empty() && percorso.back() != '/') percorso += "/";
  return percorso + nome;
}

}  // namespace

bool Istanza_Unica::Altra_Copia(const std::string& cartella, const std::string& nome) {
  const int fd = ::open(Percorso_Fs(Percorso_Blocco(cartella, nome)).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool tenuta = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);  // also drops the lock when it was taken here
  return tenuta;
}

bool Istanza_Unica::Acquisisci(const std::string& cartella, const std::string& nome) {
  Rilascia();
  const std::string percorso = Percorso_Blocco(cartella, nome);
  errore_.clear();
  const int fd = ::open(Percorso_Fs(percorso).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    errore_ = "impossibile creare " + percorso + ": " + std::strerror(errno);
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // Held by another copy: that is no error. Anything else is.
    if (errno != EWOULDBLOCK) errore_ = "impossibile bloccare " + percorso + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void Istanza_Unica::Rilascia() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace qod
