#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "qod/profile.h"
#include "qod/prova/costruzione.h"

using namespace qod;

namespace {

std::string Leggi(const std::string& f) {
  std::ifstream in(f, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void Scrivi(const std::string& f, const std::string& s) {
  std::ofstream(f, std::ios::binary) << s;
}

// A settings file as Windows writes and people edit it.
const std::string kFixture =
    "; impostazioni del server\r\n"
    "[Generale]\r\n"
    "Licenza = \"  abc  \"\r\n"
    "  Check=7560  \r\n"
    "TEMPO CICLO=  10000\r\n"
    "Vuota=\r\n"
    "Apici='x'\r\n"
    "Mezzo=\"a\r\n"
    ";Log=S\r\n"
    "Log=N\r\n"
    "log=S\r\n"
    "\r\n"
    "[numeratori]\r\n"
    "##NABC=41\r\n"
    "#commento=1\r\n"
    "\r\n"
    "[Dimensioni]\r\n"
    "Left=120\r\n";

class Profile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = qod::prova::Cartella_Temporanea() / ("qod_profile_" + std::to_string(::getpid()) + "_" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    file_ = (dir_ / "Qod_S.INI").string();
    Scrivi(file_, kFixture);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
  std::string file_;
};

}  // namespace

TEST_F(Profile, ReadsAsWindowsDoes) {
  struct Caso {
    const char* sezione;
    const char* chiave;
    const char* atteso;
  } casi[] = {
      {"Generale", "Licenza", "  abc  "},  // one pair of quotes stripped, inside kept
      {"GENERALE", "check", "7560"},       // names case-insensitive, values trimmed
      {"Generale", "Tempo Ciclo", "10000"},
      {"Generale", "Vuota", ""},
      {"Generale", "Apici", "x"},
      {"Generale", "Mezzo", "\"a"},        // unmatched quote kept
      {"Generale", "Log", "N"},            // ";Log" is a comment; the first duplicate wins
      {"Numeratori", "##NABC", "41"},      // "#" starts no comment
      {"Numeratori", "#commento", "1"},
      {" Dimensioni ", " Left ", "120"},
      {"Generale", "Manca", "predef"},
      {"Manca", "Left", "predef"},
  };
  for (auto& c : casi) EXPECT_EQ(Profilo_Leggi(file_, c.sezione, c.chiave, "predef"), c.atteso) << c.chiave;
  EXPECT_EQ(Profilo_Leggi(file_, "Generale", "Manca", "def   "), "def");  // default loses trailing blanks
}

TEST_F(Profile, ReadsAreCutToTheBuffer) {
  ASSERT_TRUE(Profilo_Scrivi(file_, "Generale", "Lunga", std::string(300, 'x')));
  EXPECT_EQ(Profilo_Leggi(file_, "Generale", "Lunga", "", 255).size(), 254u);
  EXPECT_EQ(Profilo_Leggi(file_, "Generale", "Lunga", "", 5), "xxxx");
}

TEST_F(Profile, RewriteInPlaceKeepsEveryOtherByte) {
  ASSERT_TRUE(Profilo_Scrivi(file_, "NUMERATORI", "##nabc", "42"));
  std::string atteso = kFixture;
  atteso.replace(atteso.find("##NABC=41"), 9, "##nabc=42");
  EXPECT_EQ(Leggi(file_), atteso);

  ASSERT_TRUE(Profilo_Scrivi(file_, "Generale", "  Check ", "123"));
  atteso.replace(atteso.find("  Check=7560  "), 14, "Check=123");
  EXPECT_EQ(Leggi(file_), atteso);
}

TEST_F(Profile, NewKeysAndSections) {
  ASSERT_TRUE(Profilo_Scrivi(file_, "numeratori", "##NXYZ", "1"));
  ASSERT_TRUE(Profilo_Scrivi(file_, "Progressivi", "Stampe", "5"));
  std::string atteso = kFixture;
  atteso.insert(atteso.find("#commento=1\r\n") + 13, "##NXYZ=1\r\n");
  atteso += "[Progressivi]\r\nStampe=5\r\n";
  EXPECT_EQ(Leggi(file_), atteso);
  EXPECT_EQ(Profilo_Leggi(file_, "Progressivi", "Stampe"), "5");
}

TEST_F(Profile, FileWithoutFinalLineEnd) {
  Scrivi(file_, "[A]\r\nx=1");
  ASSERT_TRUE(Profilo_Scrivi(file_, "A", "y", "2"));
  ASSERT_TRUE(Profilo_Scrivi(file_, "B", "z", "3"));
  EXPECT_EQ(Leggi(file_), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
}

TEST_F(Profile, MissingFileReadsDefaultsAndIsCreatedOnWrite) {
  std::string nuovo = (dir_ / "nuovo.ini").string();
  EXPECT_EQ(Profilo_Leggi(nuovo, "Generale", "Log", "N"), "N");
  EXPECT_TRUE(Profilo_Chiavi(nuovo, "Generale").empty());
  ASSERT_TRUE(Profilo_Scrivi(nuovo, "Generale", "Log", "S"));
  EXPECT_EQ(Leggi(nuovo), "[Generale]\r\nLog=S\r\n");
}

TEST_F(Profile, UnwritableFileReportsFailureAndStaysIntact) {
  if (::geteuid() == 0) {
    // root writes anyway; a folder that does not exist is unwritable for all.
    EXPECT_FALSE(Profilo_Scrivi((dir_ / "manca" / "x.ini").string(), "A", "b", "c"));
    return;
  }
  std::filesystem::permissions(file_, std::filesystem::perms::owner_read);
  EXPECT_FALSE(Profilo_Scrivi(file_, "Generale", "Log", "S"));
  EXPECT_EQ(Leggi(file_), kFixture);
}

TEST_F(Profile, SeveralWritesLandTogether) {
  ASSERT_TRUE(Profilo_Scrivi_Tutti(file_, {{"Generale", "Licenza", "RPT"}, {"Generale", "Check", "7560"}}));
  EXPECT_EQ(Profilo_Leggi(file_, "Generale", "Licenza"), "RPT");
  EXPECT_EQ(Profilo_Leggi(file_, "Generale", "Check"), "7560");
}

TEST_F(Profile, DeleteAndList) {
  EXPECT_EQ(Profilo_Sezioni(file_), (std::vector<std::string>{"Generale", "numeratori", "Dimensioni"}));
  EXPECT_EQ(Profilo_Chiavi(file_, "Numeratori"), (std::vector<std::string>{"##NABC", "#commento"}));
  ASSERT_TRUE(Profilo_Cancella_Chiave(file_, "Numeratori", "#commento"));
  EXPECT_EQ(Profilo_Chiavi(file_, "Numeratori"), (std::vector<std::string>{"##NABC"}));
  ASSERT_TRUE(Profilo_Cancella_Sezione(file_, "numeratori"));
  EXPECT_EQ(Profilo_Sezioni(file_), (std::vector<std::string>{"Generale", "Dimensioni"}));
  EXPECT_EQ(Profilo_Leggi(file_, "Dimensioni", "Left"), "120");
}
