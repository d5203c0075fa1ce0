#include "qod/server/istanza.h"

#include <fcntl.h>
#include <cerrno>
#include <cstring>
#include <sys/file.h>
#include <unistd.h>

#include "qod/winpath.h"

namespace qod {

Istanza_Unica::~Istanza_Unica() { Rilascia(); }

bool Istanza_Unica::Acquisisci(const std::string& cartella, const std::string& nome) {
  Rilascia();
  std::string percorso = cartella;
  if (!percorso.empty() && percorso.back() != '/') percorso += "/";
  percorso += nome;
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
