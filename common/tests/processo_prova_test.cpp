// The programs a test starts beside itself: they end with the test process
// however it ends, and with the object that started them.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>
#include <thread>

#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"

using namespace qod::prova;

namespace {

bool Finito_Entro(pid_t pid, int limite_ms) {
  const auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(limite_ms);
  while (In_Vita(pid)) {
    if (std::chrono::steady_clock::now() > fine) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace

// A stand-in for a test process starts a program and is then killed as
// CTest kills a test at its time limit: the program goes with it.
TEST(Processo_Prova, EndsWhenTheTestProcessIsKilled) {
  const std::string pid = Prova_Uccisa([] {
    static Processo p;
    p.Avvia({.argomenti = {"sleep", "60"}});
    return In_Vita(p.Pid()) ? std::to_string(p.Pid()) : "";
  });
  ASSERT_FALSE(pid.empty());
  const pid_t figlio = std::stoi(pid);
  EXPECT_TRUE(Finito_Entro(figlio, 5000)) << "sleep " << figlio << " outlived its test process";
  if (In_Vita(figlio)) ::kill(figlio, SIGKILL);
}

// Its folder, its environment and its output; its exit code; a program
// that cannot be started is told apart.
TEST(Processo_Prova, RunsInItsFolderWithItsEnvironment) {
  Cartella_Prova dir{"processo"};
  Processo p;
  ASSERT_TRUE(p.Avvia({.argomenti = {"sh", "-c", "pwd; echo \"$QOD_PROVA\"; echo errore >&2; exit 3"},
                       .cartella = dir.Dir(),
                       .uscita = dir / "uscita.txt",
                       .ambiente = {{"QOD_PROVA", "valore con spazi"}}}))
      << p.Errore();
  EXPECT_EQ(p.Attendi(10000), 3);
  EXPECT_EQ(File_Leggi(dir / "uscita.txt"), dir.Dir().string() + "\nvalore con spazi\nerrore\n");
  EXPECT_FALSE(p.In_Esecuzione());

  Processo manca;
  EXPECT_FALSE(manca.Avvia({.argomenti = {(dir.Dir() / "manca").string()}}));
  EXPECT_NE(manca.Errore().find("manca"), std::string::npos) << manca.Errore();
  EXPECT_EQ(manca.Pid(), -1);
}

// Ended with its group: a program that ignores SIGTERM is killed after the
// grace, and so is what it started in its group; the end comes with the
// object too.
TEST(Processo_Prova, StopReachesTheWholeGroup) {
  Cartella_Prova dir{"processo"};
  Processo p;
  ASSERT_TRUE(p.Avvia({.argomenti = {"sh", "-c", "trap '' TERM; sleep 60 & echo $! > nipote; wait"},
                       .cartella = dir.Dir(),
                       .gruppo = true}))
      << p.Errore();
  pid_t nipote = -1;
  for (int i = 0; i < 500 && nipote <= 0; ++i) {
    const std::string t = File_Leggi(dir / "nipote");
    if (!t.empty() && t.back() == '\n') nipote = std::stoi(t);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_GT(nipote, 0);
  const auto inizio = std::chrono::steady_clock::now();
  EXPECT_EQ(p.Ferma(300), 128 + SIGKILL);
  EXPECT_GE(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(300));
  EXPECT_TRUE(Finito_Entro(nipote, 5000));

  pid_t pid = -1;
  {
    Processo q({.argomenti = {"sleep", "60"}});
    pid = q.Pid();
    ASSERT_GT(pid, 0);
  }
  EXPECT_FALSE(In_Vita(pid));
}
