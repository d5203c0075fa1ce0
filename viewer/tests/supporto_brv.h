// For the tests of the viewer's file actions: the stand-in fax program run
// as a child process, and files made to refuse writing (for root as well).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "qod/prova/costruzione.h"
#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"
#include "qod/viewer/azioni_file.h"

namespace qod::imv {

// qod_brvsim listening on a socket of its own, recording into a file of
// `cartella`; stopped at the end, and never outliving the test.
class Brevin_Simulato {
 public:
  Brevin_Simulato(const std::filesystem::path& cartella, int pausa_ms, bool occupato = false) {
    static std::atomic<int> numero{0};
    // Socket names are short (108 bytes): not inside the test's folder.
    indirizzo_ = "/tmp/qod_brv_" + std::to_string(::getpid()) + "_" + std::to_string(++numero) + ".s";
    std::filesystem::create_directories(cartella);
    registro_ = (cartella / ("brevin_" + std::to_string(numero) + ".log")).string();
    std::vector<std::string> a = {prova::Programma_Build(QOD_BRVSIM), "--socket", indirizzo_, "--registro", registro_,
                                  "--pausa", std::to_string(pausa_ms)};
    if (occupato) a.push_back("--occupato");
    const auto errori = cartella / ("brevin_" + std::to_string(numero) + ".err");
    if (brvsim_.Avvia({.argomenti = a, .errori = errori})) avviato_ = Attendi_Riga("AVVIO " + indirizzo_);
  }
  ~Brevin_Simulato() {
    brvsim_.Ferma();
    ::unlink(indirizzo_.c_str());
  }
  Brevin_Simulato(const Brevin_Simulato&) = delete;
  Brevin_Simulato& operator=(const Brevin_Simulato&) = delete;

  bool Avviato() const { return avviato_; }
  const std::string& Indirizzo() const { return indirizzo_; }
  std::string Registro() const { return prova::File_Leggi(registro_); }

  std::vector<std::string> Righe() const {
    std::vector<std::string> r;
    std::istringstream in(Registro());
    for (std::string riga; std::getline(in, riga);) r.push_back(riga);
    return r;
  }

  // Waits (10 s at most) until the record holds the line.
  bool Attendi_Riga(const std::string& riga) const {
    for (int i = 0; i < 1000; ++i) {
      for (const std::string& r : Righe())
        if (r == riga) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

 private:
  prova::Processo brvsim_;
  bool avviato_ = false;
  std::string indirizzo_, registro_;
};

// Makes a file refuse writing: read-only, and for root (who writes
// read-only files) immutable. False when the system cannot.
inline bool Blocca_Scrittura(const std::filesystem::path& f) {
  ::chmod(f.c_str(), 0444);
  if (!File_Scrivibile(f)) return true;
  prova::Esegui({"chattr", "+i", f.string()});
  return !File_Scrivibile(f);
}

inline void Sblocca_Scrittura(const std::filesystem::path& f) {
  if (::geteuid() == 0) prova::Esegui({"chattr", "-i", f.string()});
  ::chmod(f.c_str(), 0644);
}

// Blocks a file for one scope.
class Blocco_Scrittura {
 public:
  explicit Blocco_Scrittura(std::filesystem::path f) : f_(std::move(f)), ok_(Blocca_Scrittura(f_)) {}
  ~Blocco_Scrittura() { Sblocca_Scrittura(f_); }
  bool Ok() const { return ok_; }

 private:
  std::filesystem::path f_;
  bool ok_;
};

}  // namespace qod::imv
