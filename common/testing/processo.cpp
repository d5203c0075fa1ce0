#include "qod/prova/processo.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace qod::prova {

namespace {

// The program's path: as given when it names a folder, else the first
// executable of that name along PATH.
std::string Percorso(const std::string& programma) {
  if (programma.find('/') != std::string::npos) return programma;
  const char* path = std::getenv("PATH");
  std::string cartelle = path ? path : "/usr/bin:/bin";
  size_t inizio = 0;
  while (inizio <= cartelle.size()) {
    size_t fine = cartelle.find(':', inizio);
    if (fine == std::string::npos) fine = cartelle.size();
    const std::string c = fine > inizio ? cartelle.substr(inizio, fine - inizio) : ".";
    const std::string p = c + "/" + programma;
    if (::access(p.c_str(), X_OK) == 0) return p;
    inizio = fine + 1;
  }
  return programma;
}

bool Stato_In_Vita(const std::string& stat) {
  const size_t p = stat.rfind(')');
  return p != std::string::npos && p + 2 < stat.size() && stat[p + 2] != 'Z';
}

int Codice(int stato) {
  if (WIFEXITED(stato)) return WEXITSTATUS(stato);
  if (WIFSIGNALED(stato)) return 128 + WTERMSIG(stato);
  return -1;
}

}  // namespace

std::string File_Leggi(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

Processo::Processo(Processo&& altro) noexcept
    : pid_(std::exchange(altro.pid_, -1)),
      gruppo_(altro.gruppo_),
      codice_(std::move(altro.codice_)),
      errore_(std::move(altro.errore_)) {}

Processo& Processo::operator=(Processo&& altro) noexcept {
  if (this != &altro) {
    Ferma();
    pid_ = std::exchange(altro.pid_, -1);
    gruppo_ = altro.gruppo_;
    codice_ = std::move(altro.codice_);
    errore_ = std::move(altro.errore_);
  }
  return *this;
}

bool Processo::Avvia(const Avvio& avvio) {
  Ferma();
  pid_ = -1;
  codice_.reset();
  errore_.clear();
  gruppo_ = avvio.gruppo;
  if (avvio.argomenti.empty()) {
    errore_ = "no program named";
    return false;
  }
  // Everything the child needs is made here: between fork and exec it may
  // only make system calls.
  const std::string programma = Percorso(avvio.argomenti[0]);
  std::vector<std::string> argomenti = avvio.argomenti;
  std::vector<char*> argv;
  for (std::string& a : argomenti) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> variabili;
  for (char** e = environ; *e; ++e) {
    const std::string v = *e;
    bool sostituita = false;
    for (const auto& [nome, valore] : avvio.ambiente) sostituita = sostituita || v.rfind(nome + "=", 0) == 0;
    if (!sostituita) variabili.push_back(v);
  }
  for (const auto& [nome, valore] : avvio.ambiente) variabili.push_back(nome + "=" + valore);
  std::vector<char*> envp;
  for (std::string& v : variabili) envp.push_back(v.data());
  envp.push_back(nullptr);
  const std::string cartella = avvio.cartella.string();
  const std::string uscita = avvio.uscita.empty() ? "/dev/null" : avvio.uscita.string();
  const std::string errori = avvio.errori.string();
  const bool gruppo = avvio.gruppo;

  // The child writes here why exec failed; exec closes it.
  int tubo[2];
  if (::pipe2(tubo, O_CLOEXEC) != 0) {
    errore_ = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  const pid_t genitore = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) {
    errore_ = std::string("fork: ") + std::strerror(errno);
    ::close(tubo[0]);
    ::close(tubo[1]);
    return false;
  }
  if (pid == 0) {
    auto fallisci = [&](int e) {
      (void)!::write(tubo[1], &e, sizeof e);
      ::_exit(127);
    };
    // Dies with the test: the signal comes when the thread that forked
    // ends; if the test already ended before this, end now.
    if (gruppo) ::setpgid(0, 0);
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) fallisci(errno);
    if (::getppid() != genitore) ::_exit(127);
    // Signals as a program started from a shell finds them.
    struct sigaction predefinita {};
    predefinita.sa_handler = SIG_DFL;
    for (int s = 1; s < NSIG; ++s)
      if (s != SIGKILL && s != SIGSTOP) ::sigaction(s, &predefinita, nullptr);
    sigset_t vuoto;
    sigemptyset(&vuoto);
    ::sigprocmask(SIG_SETMASK, &vuoto, nullptr);
    const int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::dup2(in, 0) < 0) fallisci(errno);
    const int out = ::open(uscita.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out < 0 || ::dup2(out, 1) < 0) fallisci(errno);
    const int err = errori.empty() ? out : ::open(errori.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (err < 0 || ::dup2(err, 2) < 0) fallisci(errno);
    // Nothing else of the test's open files goes along.
    ::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
    if (!cartella.empty() && ::chdir(cartella.c_str()) != 0) fallisci(errno);
    ::execve(programma.c_str(), argv.data(), envp.data());
    fallisci(errno);
  }
  if (gruppo) ::setpgid(pid, pid);  // so that a signal to the group cannot come before the child's own call
  ::close(tubo[1]);
  int e = 0;
  ssize_t n;
  while ((n = ::read(tubo[0], &e, sizeof e)) < 0 && errno == EINTR) {
  }
  ::close(tubo[0]);
  pid_ = pid;
  if (n > 0) {
    Raccogli();
    errore_ = programma + ": " + std::strerror(e);
    return false;
  }
  return true;
}

bool Processo::Finito(int limite_ms) {
  if (pid_ <= 0) return true;
  const auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(limite_ms);
  for (;;) {
    siginfo_t info{};
    const int r = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
    if (r == 0 && info.si_pid == pid_) return true;
    if (r < 0 && errno != EINTR) return true;  // not ours any more
    if (limite_ms >= 0 && std::chrono::steady_clock::now() >= fine) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::optional<int> Processo::Raccogli() {
  if (pid_ <= 0) return codice_;
  // What the program left in its group ends with it; its id stays reserved
  // until it is collected below.
  if (gruppo_) ::kill(-pid_, SIGKILL);
  int stato = 0;
  pid_t r;
  while ((r = ::waitpid(pid_, &stato, 0)) < 0 && errno == EINTR) {
  }
  codice_ = r == pid_ ? std::optional<int>(Codice(stato)) : std::nullopt;
  pid_ = -1;
  return codice_;
}

bool Processo::In_Esecuzione() {
  if (pid_ <= 0) return false;
  if (!Finito(0)) return true;
  Raccogli();
  return false;
}

std::optional<int> Processo::Attendi(int limite_ms) {
  if (pid_ <= 0) return codice_;
  if (!Finito(limite_ms)) return std::nullopt;
  return Raccogli();
}

void Processo::Segnale(int segnale) const {
  if (pid_ > 0) ::kill(gruppo_ ? -pid_ : pid_, segnale);
}

std::optional<int> Processo::Ferma(int grazia_ms) {
  if (pid_ <= 0) return codice_;
  if (!Finito(0)) {
    Segnale(SIGTERM);
    if (!Finito(grazia_ms)) Segnale(SIGKILL);
  }
  return Raccogli();
}

std::string Prova_Uccisa(const std::function<std::string()>& prepara) {
  int tubo[2];
  if (::pipe(tubo) != 0) return "";
  const pid_t prova = ::fork();
  if (prova < 0) {
    ::close(tubo[0]);
    ::close(tubo[1]);
    return "";
  }
  if (prova == 0) {
    ::close(tubo[0]);
    const std::string testo = prepara();
    (void)!::write(tubo[1], testo.data(), testo.size());
    ::close(tubo[1]);
    for (;;) ::pause();
  }
  ::close(tubo[1]);
  std::string testo;
  char buf[256];
  for (ssize_t n; (n = ::read(tubo[0], buf, sizeof buf)) > 0;) testo.append(buf, static_cast<size_t>(n));
  ::close(tubo[0]);
  ::kill(prova, SIGKILL);
  while (::waitpid(prova, nullptr, 0) < 0 && errno == EINTR) {
  }
  return testo;
}

bool In_Vita(pid_t pid) { return pid > 0 && Stato_In_Vita(File_Leggi("/proc/" + std::to_string(pid) + "/stat")); }

std::vector<pid_t> Processi_Con(const std::string& testo) {
  std::vector<pid_t> r;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string nome = e.path().filename().string();
    if (nome.find_first_not_of("0123456789") != std::string::npos) continue;
    if (File_Leggi(e.path() / "cmdline").find(testo) != std::string::npos &&
        Stato_In_Vita(File_Leggi(e.path() / "stat")))
      r.push_back(std::stoi(nome));
  }
  return r;
}

}  // namespace qod::prova
