#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "qod/process.h"
#include "qod/prova/costruzione.h"

using namespace qod;

TEST(Process, WindowsCommandLineRules) {
  using V = std::vector<std::string>;
  struct Caso {
    const char* riga;
    V parti;
  } casi[] = {
      {"prog a b", V{"prog", "a", "b"}},
      {"  prog   a\tb  ", V{"prog", "a", "b"}},
      {"\"C:\\Program Files\\x.exe\" \"a b\" c", V{"C:\\Program Files\\x.exe", "a b", "c"}},
      {"p a\\\\b", V{"p", "a\\\\b"}},
      {"p a\\\"b", V{"p", "a\"b"}},
      {"p a\\\\\"b c\"", V{"p", "a\\b c"}},
      {"p \"a\"\"b\"", V{"p", "a\"b"}},
      {"p \"\"", V{"p", ""}},
      {"p a;b $(x)", V{"p", "a;b", "$(x)"}},
      {"", V{}},
  };
  for (auto& c : casi) EXPECT_EQ(Riga_Comando_Dividi(c.riga), c.parti) << c.riga;
}

TEST(Process, RunsWithoutAShellAndPumpsWhileWaiting) {
  auto dir = qod::prova::Cartella_Temporanea() / ("qod_process_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  auto out = dir / "out.txt";
  int pompe = 0;
  // sh -c 'sleep 0.3; printf %s "$1" > file' with $1 holding shell syntax:
  // it must arrive as one literal argument, not be run by a shell.
  std::string riga = "sh -c \"sleep 0.3; printf %s \\\"$1\\\" > " + out.string() + "\" x \"a;b $(touch " +
                     (dir / "pwned").string() + ")\"";
  auto esito = Processo_Esegui(riga, [&] { ++pompe; });
  ASSERT_TRUE(esito.has_value());
  EXPECT_EQ(*esito, 0);
  EXPECT_GE(pompe, 3);
  std::ifstream in(out);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), "a;b $(touch " + (dir / "pwned").string() + ")");
  EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
  std::filesystem::remove_all(dir);
}

TEST(Process, ProgramThatCannotStart) {
  EXPECT_FALSE(Processo_Esegui("/nonexistent/program arg", nullptr).has_value());
  EXPECT_FALSE(Processo_Esegui("   ", nullptr).has_value());
  EXPECT_EQ(Processo_Esegui("false", nullptr), 1);
}
