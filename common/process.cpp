#include "qod/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "qod/ansi.h"
#include "qod/winpath.h"

extern char** environ;

namespace qod {

namespace {

// "X:...", or a name with a folder in it.
bool Con_Cartella(const std::string& programma) {
  const bool lettera = programma.size() >= 2 && programma[1] == ':' &&
                       ((programma[0] >= 'A' && programma[0] <= 'Z') || (programma[0] >= 'a' && programma[0] <= 'z'));
  return lettera || programma.find_first_of("\\/") != std::string::npos;
}

}  // namespace

std::vector<std::string> Riga_Comando_Dividi(std::string_view s) {
  std::vector<std::string> out;
  size_t i = 0, n = s.size();
  auto bianco = [](char c) { return c == ' ' || c == '\t'; };
  while (i < n && bianco(s[i])) ++i;
  if (i >= n) return out;
  // The program name.
  std::string prog;
  if (s[i] == '"') {
    ++i;
    while (i < n && s[i] != '"') prog.push_back(s[i++]);
    if (i < n) ++i;
  }
  while (i < n && !bianco(s[i])) prog.push_back(s[i++]);
  out.push_back(prog);
  for (;;) {
    while (i < n && bianco(s[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool citato = false;
    while (i < n) {
      char c = s[i];
      if (!citato && bianco(c)) break;
      if (c == '\\') {
        size_t b = 0;
        while (i < n && s[i] == '\\') {
          ++b;
          ++i;
        }
        if (i < n && s[i] == '"') {
          arg.append(b / 2, '\\');
          if (b % 2 == 1) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(b, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (citato && i + 1 < n && s[i + 1] == '"') {
          arg.push_back('"');
          i += 2;
          continue;
        }
        citato = !citato;
        ++i;
        continue;
      }
      arg.push_back(c);
      ++i;
    }
    out.push_back(arg);
  }
  return out;
}

std::optional<int> Processo_Esegui(std::string_view riga, const Pump& pompa, int fetta_ms) {
  const Processo_Avviato p = Processo_Attendi(riga, pompa, {}, fetta_ms);
  if (p.Pid == 0) return std::nullopt;
  return p.Codice;
}

Processo_Avviato Processo_Attendi(std::string_view riga, const Pump& pompa, const std::function<bool()>& arresto,
                                  int fetta_ms) {
  auto parti = Riga_Comando_Dividi(riga);
  if (parti.empty() || parti[0].empty()) return {};
  const bool percorso = Con_Cartella(parti[0]);
  if (percorso) parti[0] = Percorso_Risolvi(parti[0]);
  std::vector<std::string> utf8;
  for (auto& p : parti) utf8.push_back(Ansi_A_Utf8(p));
  std::vector<char*> argv;
  for (auto& p : utf8) argv.push_back(p.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t azioni;
  posix_spawn_file_actions_init(&azioni);
  posix_spawn_file_actions_addopen(&azioni, 0, "/dev/null", O_RDONLY, 0);
  posix_spawnattr_t attributi;
  posix_spawnattr_init(&attributi);
  posix_spawnattr_setflags(&attributi, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributi, 0);
  pid_t pid = 0;
  int rc = percorso ? posix_spawn(&pid, argv[0], &azioni, &attributi, argv.data(), environ)
                    : posix_spawnp(&pid, argv[0], &azioni, &attributi, argv.data(), environ);
  posix_spawnattr_destroy(&attributi);
  posix_spawn_file_actions_destroy(&azioni);
  if (rc != 0) return {};
  Processo_Avviato avviato{static_cast<int>(pid), std::nullopt};
  int stato = 0;
  for (;;) {
    pid_t r = waitpid(pid, &stato, WNOHANG);
    if (r == pid) break;
    if (r < 0 && errno != EINTR) return {};
    if (arresto && arresto()) {
      // Left running: a thread of its own collects its end, so that it
      // leaves no zombie behind while this program still runs.
      std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
      }).detach();
      return avviato;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(fetta_ms));
    Pompa(pompa);
  }
  Pompa(pompa);
  if (WIFEXITED(stato))
    avviato.Codice = WEXITSTATUS(stato);
  else if (WIFSIGNALED(stato))
    avviato.Codice = 128 + WTERMSIG(stato);
  else
    avviato.Codice = -1;
  return avviato;
}

}  // namespace qod
