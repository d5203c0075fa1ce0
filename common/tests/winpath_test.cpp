#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "qod/prova/costruzione.h"
#include "qod/winpath.h"

using namespace qod;

TEST(WinPath, SeparatorsDrivesAndUnc) {
  ::unsetenv("QOD_DRIVE_C");
  ::unsetenv("QOD_UNC_ROOT");
  EXPECT_EQ(Percorso_Unix("a\\b\\c.txt"), "a/b/c.txt");
  EXPECT_EQ(Percorso_Unix("C:\\Output\\"), "/Output/");
  EXPECT_EQ(Percorso_Unix("c:Output"), "/Output");
  EXPECT_EQ(Percorso_Unix("\\\\srv\\share\\x.pdf"), "/net/srv/share/x.pdf");
  ::setenv("QOD_DRIVE_C", "/srv/c/", 1);
  ::setenv("QOD_UNC_ROOT", "/mnt/unc", 1);
  EXPECT_EQ(Percorso_Unix("C:\\Output\\a.pdf"), "/srv/c/Output/a.pdf");
  EXPECT_EQ(Percorso_Unix("C:"), "/srv/c/");
  EXPECT_EQ(Percorso_Unix("\\\\srv\\share"), "/mnt/unc/srv/share");
  ::unsetenv("QOD_DRIVE_C");
  ::unsetenv("QOD_UNC_ROOT");
}

TEST(WinPath, MatchesComponentsCaseInsensitively) {
  auto base = qod::prova::Cartella_Temporanea() / ("qod_winpath_" + std::to_string(::getpid()));
  std::filesystem::create_directories(base / "Lgo");
  std::ofstream(base / "Lgo" / "logo.bmp") << "x";
  std::string cartella = base.string() + "/";
  EXPECT_EQ(Percorso_Risolvi(cartella + "\\Lgo\\LOGO.BMP"), cartella + "Lgo/logo.bmp");
  EXPECT_EQ(Percorso_Risolvi(cartella + "LGO\\logo.bmp"), cartella + "Lgo/logo.bmp");
  EXPECT_TRUE(Percorso_Esiste(cartella + "lgo\\Logo.Bmp"));
  // A name that matches nothing is kept as written, for files to create.
  EXPECT_EQ(Percorso_Risolvi(cartella + "lgo\\Nuovo.TIF"), cartella + "Lgo/Nuovo.TIF");
  EXPECT_EQ(Percorso_Risolvi(cartella + "Manca\\X\\y.pdf"), cartella + "Manca/X/y.pdf");
  EXPECT_EQ(Percorso_Risolvi(cartella + "lgo\\"), cartella + "Lgo/");
  std::filesystem::remove_all(base);
}

TEST(WinPath, FolderPart) {
  EXPECT_EQ(Percorso_Cartella("C:\\a\\b.pdf"), "C:\\a\\");
  EXPECT_EQ(Percorso_Cartella("/x/y"), "/x/");
  EXPECT_EQ(Percorso_Cartella("y"), "");
}

// Look-ups of names that do not exist as written: one scan per folder while
// the folder stays unchanged, and never a stale answer after a change.
class WinPathIndex : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = qod::prova::Cartella_Temporanea() /
            ("qod_winpath_index_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(base_);
    std::filesystem::create_directories(base_ / "Dati");
    cartella_ = base_.string() + "/Dati/";
  }
  void TearDown() override { std::filesystem::remove_all(base_); }

  void Crea(const std::string& nome) { std::ofstream(base_ / "Dati" / nome) << "x"; }

  // The folder's modification time an hour back.
  void Invecchia() {
    std::filesystem::last_write_time(base_ / "Dati",
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  }

  std::filesystem::path base_;
  std::string cartella_;
};

TEST_F(WinPathIndex, UnchangedFolderIsScannedOnceAndChangesAreSeen) {
  for (const char* n : {"Alfa.txt", "beta.TXT", "gamma"}) Crea(n);
  Invecchia();
  const uint64_t prima = Percorso_Scansioni();
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "ALFA.TXT"), cartella_ + "Alfa.txt");
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "BETA.txt"), cartella_ + "beta.TXT");
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "Nuovo.pdf"), cartella_ + "Nuovo.pdf");
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "gamma"), cartella_ + "gamma");  // as written: no scan
  EXPECT_EQ(Percorso_Scansioni(), prima + 1);

  // A new file, a removed one, and a new file whose folder was then given
  // back its earlier modification time (as two changes within one tick of
  // the clock leave it): each is seen.
  Crea("nuovo.PDF");
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "Nuovo.pdf"), cartella_ + "nuovo.PDF");
  std::filesystem::remove(base_ / "Dati" / "Alfa.txt");
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "ALFA.TXT"), cartella_ + "ALFA.TXT");
  Invecchia();
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "DELTA"), cartella_ + "DELTA");
  const auto tempo = std::filesystem::last_write_time(base_ / "Dati");
  Crea("delta");
  std::filesystem::last_write_time(base_ / "Dati", tempo);
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "DELTA"), cartella_ + "delta");
}

TEST_F(WinPathIndex, RecentlyChangedFolderGivesNoStaleAnswer) {
  // Within one tick of a coarse folder clock: a file made right after a
  // look-up missed it is found at once.
  for (int i = 0; i < 3; ++i) {
    const std::string nome = "Pagina" + std::to_string(i) + ".tif";
    EXPECT_EQ(Percorso_Risolvi(cartella_ + "PAGINA" + std::to_string(i) + ".TIF"),
              cartella_ + "PAGINA" + std::to_string(i) + ".TIF");
    Crea(nome);
    EXPECT_EQ(Percorso_Risolvi(cartella_ + "PAGINA" + std::to_string(i) + ".TIF"), cartella_ + nome);
  }
}

TEST_F(WinPathIndex, OwnFolderKeepsNewNamesWithoutScanning) {
  std::filesystem::create_directories(base_ / "Dati" / "Sotto");
  Crea("vecchio.tif");
  Percorso_Cartella_Propria(base_.string() + "/DATI");
  const uint64_t prima = Percorso_Scansioni();
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "00001_I_00001.TIF"), cartella_ + "00001_I_00001.TIF");
  EXPECT_EQ(Percorso_Risolvi(cartella_ + "vecchio.tif"), cartella_ + "vecchio.tif");
  EXPECT_EQ(Percorso_Scansioni(), prima);
  // Folders inside it, and the folders above it, are still matched.
  EXPECT_EQ(Percorso_Risolvi(base_.string() + "/dati/SOTTO/x.tif"), cartella_ + "Sotto/x.tif");
}
