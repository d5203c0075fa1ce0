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

TEST(Process, ProgramNameIsAPathThroughTheDriveLetters) {
  namespace fs = std::filesystem;
  const fs::path c = fs::temp_directory_path() / ("qod_process_c_" + std::to_string(::getpid()));
  fs::create_directories(c / "Progra~1" / "Mail");
  const fs::path programma = c / "Progra~1" / "Mail" / "invia.exe";
  std::ofstream(programma) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/argomenti\"\n";
  fs::permissions(programma, fs::perms::owner_all);
  ASSERT_EQ(setenv("QOD_DRIVE_C", c.c_str(), 1), 0);
  // The program's path is mapped, without regard to case; its arguments are not.
  EXPECT_EQ(Processo_Esegui("C:\\PROGRA~1\\MAIL\\INVIA.EXE \"a b\" C:\\Dir\\f.txt", nullptr), 0);
  std::ifstream in(c / "Progra~1" / "Mail" / "argomenti");
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), "a b\nC:\\Dir\\f.txt\n");
  EXPECT_EQ(Processo_Esegui("\"c:\\progra~1\\mail\\invia.exe\"", nullptr), 0);
  // A name with a folder is not looked up on PATH, nor started when it is not there.
  EXPECT_FALSE(Processo_Esegui("C:\\PROGRA~1\\MAIL\\ALTRO.EXE", nullptr).has_value());
  EXPECT_FALSE(Processo_Esegui("C:\\bin\\sh -c true", nullptr).has_value());
  unsetenv("QOD_DRIVE_C");
  fs::remove_all(c);
}
