#include "qod/client/istanze.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "qod/risorse_c.h"

namespace qod {

bool Processo_Attivo(int32_t pid, const std::string& nome) {
  if (pid <= 0) return false;
  if (::kill(pid, 0) != 0 && errno != EPERM) return false;
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string letto;
  if (!comm || !std::getline(comm, letto)) return false;
  // The kernel keeps the first 15 bytes of the name.
  return letto == nome.substr(0, 15);
}

int Istanza_Slot(const std::string& file_dat, int32_t pid, const std::function<bool(int32_t)>& attivo) {
  const int fd = ::open(file_dat.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return 0;
  Alla_Uscita chiudi([fd] { ::close(fd); });
  // Held until the file is closed.
  while (::flock(fd, LOCK_EX) != 0)
    if (errno != EINTR) return 0;

  constexpr size_t kByte = 4 * kIstanze_Massime;
  std::array<unsigned char, kByte> record{};
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size == static_cast<off_t>(kByte)) {
    if (::pread(fd, record.data(), kByte, 0) != static_cast<ssize_t>(kByte)) record.fill(0);
  }
  auto leggi = [&](int k) {
    const unsigned char* p = record.data() + 4 * k;
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
  };
  auto scrivi = [&](int k, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int b = 0; b < 4; ++b) record[static_cast<size_t>(4 * k + b)] = static_cast<unsigned char>(u >> (8 * b));
  };

  int numero = 0;
  for (int k = 0; k < kIstanze_Massime; ++k) {
    const int32_t v = leggi(k);
    if (v != 0 && (v == pid || !attivo(v))) scrivi(k, 0);
    if (leggi(k) == 0) {
      scrivi(k, pid);
      numero = k + 1;
      break;
    }
  }
  // A slot that did not reach the file is not ours: a second copy would take
  // the same number and remove this copy's page files.
  if (::pwrite(fd, record.data(), kByte, 0) != static_cast<ssize_t>(kByte)) return 0;
  (void)::ftruncate(fd, kByte);
  return numero;
}

}  // namespace qod
