// Writing under a temporary name: the file takes the new contents whole or
// keeps the old ones; what is left of the temporary file; the permissions.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "qod/prova/strumenti.h"
#include "qod/scrittura.h"

using namespace qod;
namespace fs = std::filesystem;

namespace {

unsigned Modo(const fs::path& f) {
  struct stat st {};
  return ::stat(f.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(Scrittura, TheFileTakesTheContentsWholeOrKeepsItsOwn) {
  prova::Cartella_Prova dir("scrittura");
  const fs::path f = dir.Dir() / "a.ini", tmp = dir.Dir() / "a.ini.~tmp";
  std::string errore;
  ASSERT_TRUE(File_Scrivi_Atomico(f, tmp, "primo\r\n", {}, &errore)) << errore;
  ASSERT_TRUE(File_Scrivi_Atomico(f, tmp, std::string(100000, 'x'), {}, &errore)) << errore;
  EXPECT_EQ(prova::File_Leggi(f), std::string(100000, 'x'));
  EXPECT_FALSE(fs::exists(tmp));

  // No temporary file can be made (its folder is missing): the file stays.
  EXPECT_FALSE(File_Scrivi_Atomico(f, dir.Dir() / "manca" / "a.~tmp", "altro", {}, &errore));
  EXPECT_EQ(errore, std::strerror(ENOENT));
  EXPECT_EQ(prova::File_Leggi(f), std::string(100000, 'x'));

  // The rename fails (a folder holds the name): the temporary file goes,
  // unless the caller keeps it.
  const fs::path cartella = dir.Dir() / "cartella";
  fs::create_directories(cartella / "dentro");
  EXPECT_FALSE(File_Scrivi_Atomico(cartella, tmp, "altro", {}, &errore));
  EXPECT_FALSE(errore.empty());
  EXPECT_FALSE(fs::exists(tmp));
  ASSERT_TRUE(prova::File_Scrivi(tmp, "finito"));
  EXPECT_FALSE(Temporaneo_Rinomina(tmp, cartella, nullptr, true));
  EXPECT_EQ(prova::File_Leggi(tmp), "finito");
  EXPECT_FALSE(Temporaneo_Rinomina(tmp, cartella));
  EXPECT_FALSE(fs::exists(tmp));
  EXPECT_TRUE(fs::is_directory(cartella / "dentro"));
}

TEST(Scrittura, PermissionsOfANewFileAndOfAFileWrittenAgain) {
  prova::Cartella_Prova dir("scrittura_permessi");
  const fs::path f = dir.Dir() / "t.txt", tmp = dir.Dir() / "t.txt.~tmp";
  const mode_t maschera = ::umask(022);
  Opzioni_Scrittura o;
  o.modo = 0644;
  o.permessi_del_file = true;
  o.su_disco = true;
  EXPECT_TRUE(File_Scrivi_Atomico(f, tmp, "uno", o));
  EXPECT_EQ(Modo(f), 0644u);
  ASSERT_EQ(::chmod(f.c_str(), 0600), 0);
  EXPECT_TRUE(File_Scrivi_Atomico(f, tmp, "due", o));
  EXPECT_EQ(Modo(f), 0600u);
  EXPECT_TRUE(File_Scrivi_Atomico(f, tmp, "tre"));  // without: the new file's own
  EXPECT_EQ(Modo(f), 0644u);
  ::umask(maschera);
  EXPECT_EQ(prova::File_Leggi(f), "tre");
}

}  // namespace
