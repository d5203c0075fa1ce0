// Programs a test starts beside itself (a private cupsd, the stand-in host,
// the stand-in fax program, the real Qod_S and Qod_C, an outside checker),
// started in one way so that none outlives its test: the child gets SIGKILL
// as soon as the test process ends, however it ends (also when CTest kills
// it at its time limit), and is ended when its Processo goes.
//
// The death signal follows the thread that started the child: start it from
// a thread that lives at least as long as the program should (the test's own).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qod::prova {

struct Avvio {
  // The program (a path, or a name looked up in PATH) and its arguments.
  std::vector<std::string> argomenti;
  // Its working folder; empty: this process's.
  std::filesystem::path cartella;
  // Where its standard output and standard error go, appended (the error
  // empty: with the output); empty: /dev/null. Standard input is /dev/null.
  std::filesystem::path uscita, errori;
  // Variables set (or replaced) in its environment.
  std::vector<std::pair<std::string, std::string>> ambiente;
  // In a process group of its own: signals and the end reach the whole
  // group (what it started and left in its group as well).
  bool gruppo = false;
};

class Processo {
 public:
  Processo() = default;
  explicit Processo(const Avvio& avvio) { Avvia(avvio); }
  ~Processo() { Ferma(); }
  Processo(Processo&& altro) noexcept;
  Processo& operator=(Processo&& altro) noexcept;
  Processo(const Processo&) = delete;
  Processo& operator=(const Processo&) = delete;

  // Starts the program (ending the one this object ran); false, with the
  // reason in Errore(), when it could not be started.
  bool Avvia(const Avvio& avvio);
  const std::string& Errore() const { return errore_; }
  pid_t Pid() const { return pid_; }
  // Started and not yet seen ending.
  bool In_Esecuzione();

  // Waits up to `limite_ms` (negative: for as long as it takes) for the
  // end: the exit code, 128 + the signal when a signal ended it; nothing
  // while it still runs (or when nothing was started).
  std::optional<int> Attendi(int limite_ms = -1);
  // Sends `segnale` (to its group when it has one of its own).
  void Segnale(int segnale) const;
  // Asks it to end (SIGTERM), gives it `grazia_ms`, then kills it (and what
  // is left of its group) with SIGKILL; the code it ended with.
  std::optional<int> Ferma(int grazia_ms = 3000);

 private:
  // Whether it has ended, without collecting it (its group stays reserved).
  bool Finito(int limite_ms);
  std::optional<int> Raccogli();

  pid_t pid_ = -1;
  bool gruppo_ = false;
  std::optional<int> codice_;
  std::string errore_;
};

// For the tests of what tests start: runs `prepara` in a stand-in for a test
// process (a child of this one), hands back the text it returns, and kills
// the stand-in with SIGKILL, as CTest kills a test at its time limit.
std::string Prova_Uccisa(const std::function<std::string()>& prepara);

// Whether the process `pid` runs (one that ended and was not yet collected
// does not).
bool In_Vita(pid_t pid);
// The running processes whose command line holds `testo`.
std::vector<pid_t> Processi_Con(const std::string& testo);

// The bytes of a file ("" when it cannot be read): a process's entries in
// /proc as well as a test's output files.
std::string File_Leggi(const std::filesystem::path& file);

}  // namespace qod::prova
