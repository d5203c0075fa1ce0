#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

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
  auto base = std::filesystem::temp_directory_path() / ("qod_winpath_" + std::to_string(::getpid()));
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
