#include "lettura.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <regex>
#include <sys/socket.h>
#include <thread>

namespace hostsim {

void Lettura::Opzioni_Dichiara(Opzioni& o) {
  o.Intero("receive-buffer", "BYTES", "receive buffer of the record connections (with --slow-reader: a full pipe)",
           buffer, 1, 1 << 24);
  o.Valore("slow-reader", "BYTES:MS", "read request bodies BYTES at a time, MS ms apart",
           [this](const std::string& v, std::string& e) {
             static const std::regex forma(R"(^([0-9]+):([0-9]+)$)");
             std::smatch m;
             if (!std::regex_match(v, m, forma) || std::stoi(m[1].str()) < 1) {
               e = "expected BYTES:MS";
               return false;
             }
             passo = std::stoi(m[1].str());
             pausa_ms = std::stoi(m[2].str());
             return true;
           });
  o.Valore(
      "close-in-body", "L[#N]=BYTES", "read only BYTES of the body of request L, then close the connection",
      [this](const std::string& v, std::string& e) {
        static const std::regex forma(R"(^(.)(?:#([0-9]+))?=([0-9]+)$)");
        std::smatch m;
        if (!std::regex_match(v, m, forma)) {
          e = "expected LETTER[#N]=BYTES";
          return false;
        }
        tagli.push_back({m[1].str()[0], m[2].matched ? std::stoi(m[2].str()) : 0, std::stoi(m[3].str())});
        return true;
      },
      true);
}

long Lettura::Limite(char lettera, int occorrenza) const {
  for (const auto& t : tagli)
    if ((t.lettera == lettera || t.lettera == '*') && (t.occorrenza == 0 || t.occorrenza == occorrenza)) return t.byte;
  return -1;
}

bool Lettura::Leggi(int fd, char* dati, size_t n) const {
  size_t fatti = 0;
  while (fatti < n) {
    size_t quanti = n - fatti;
    if (pausa_ms > 0) quanti = std::min(quanti, static_cast<size_t>(passo));
    ssize_t r = ::recv(fd, dati + fatti, quanti, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    fatti += static_cast<size_t>(r);
    if (pausa_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pausa_ms));
  }
  return true;
}

}  // namespace hostsim
