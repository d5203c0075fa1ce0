#include "qod/scrittura.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qod {

namespace {

bool Fallito(std::string* errore, int codice) {
  if (errore) *errore = std::strerror(codice);
  return false;
}

}  // namespace

bool Temporaneo_Rinomina(const std::filesystem::path& temporaneo, const std::filesystem::path& destinazione,
                         std::string* errore, bool tieni_se_fallisce) {
  if (std::rename(temporaneo.c_str(), destinazione.c_str()) == 0) return true;
  const int codice = errno;
  if (!tieni_se_fallisce) ::unlink(temporaneo.c_str());
  return Fallito(errore, codice);
}

bool File_Scrivi_Atomico(const std::filesystem::path& destinazione, const std::filesystem::path& temporaneo,
                         std::string_view contenuto, const Opzioni_Scrittura& o, std::string* errore) {
  const int fd = ::open(temporaneo.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(o.modo));
  if (fd < 0) return Fallito(errore, errno);
  auto lascia = [&](int codice) {
    ::unlink(temporaneo.c_str());
    return Fallito(errore, codice);
  };
  if (o.permessi_del_file) {
    std::error_code ec;
    const auto permessi = std::filesystem::status(destinazione, ec).permissions();
    if (!ec && std::filesystem::exists(destinazione, ec)) std::filesystem::permissions(temporaneo, permessi, ec);
  }
  for (size_t scritti = 0; scritti < contenuto.size();) {
    const ssize_t n = ::write(fd, contenuto.data() + scritti, contenuto.size() - scritti);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int codice = errno;
      ::close(fd);
      return lascia(codice);
    }
    scritti += static_cast<size_t>(n);
  }
  if (o.su_disco && ::fsync(fd) != 0) {
    const int codice = errno;
    ::close(fd);
    return lascia(codice);
  }
  if (::close(fd) != 0) return lascia(errno);
  return Temporaneo_Rinomina(temporaneo, destinazione, errore);
}

}  // namespace qod
