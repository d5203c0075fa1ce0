// The text window's files: rows keep their own line ends, saving goes
// through a temporary name and a failed save leaves the earlier file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "qod/testers/file_testo.h"
#include "supporto.h"

namespace qod::testers {
namespace {

namespace fs = std::filesystem;
using prova::Cartella_Prova;

std::string Tutti_I_Byte() {
  std::string s;
  for (int c = 0; c < 256; ++c) s += static_cast<char>(c);
  return s;
}

TEST(RigheTesto, SplitAndJoinKeepEveryByte) {
  const std::string casi[] = {
      "",
      "A",
      "RIGA1\rRIGA2\rRIGA3\r",
      "a\r\nb\r\n",
      "a\nb",
      "mix\r\ncr\rlf\n\n\r\r\nfine",
      std::string("nul\0dentro\r\x80\x81\xA0\xFF\r\n", 18),
      Tutti_I_Byte(),
      "\r\n",
      "\n\r",
  };
  for (const std::string& c : casi) {
    const Righe_Testo r = Dividi_Righe(c);
    ASSERT_EQ(r.righe.size(), r.fine.size() + 1);
    EXPECT_EQ(Unisci_Righe(r.righe, r.fine), c);
  }
  const Righe_Testo r = Dividi_Righe("a\rb\r\nc\nd");
  EXPECT_EQ(r.righe, (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(r.fine, (std::vector<std::string>{"\r", "\r\n", "\n"}));
}

TEST(RigheTesto, AddedRowsTakeTheFilesUsualLineEnd) {
  EXPECT_EQ(Unisci_Righe({"a", "b", "c"}, {"\r"}), "a\rb\rc");
  EXPECT_EQ(Unisci_Righe({"a", "b", "c"}, {}), "a\r\nb\r\nc");
  EXPECT_EQ(Unisci_Righe({"a", "b", "c", "d"}, {"\n", "\n", "\r\n"}), "a\nb\nc\r\nd");
  EXPECT_EQ(Unisci_Righe({"a"}, {"\r", "\r"}), "a");  // rows removed
}

TEST(FileTesto, ReadMissingAndUnreadable) {
  Cartella_Prova c{"tst"};
  std::string byte = "x";
  EXPECT_EQ(File_Leggi(c / "manca.txt", byte), Esito_Lettura::Mancante);
  EXPECT_EQ(byte, "");
  fs::create_directory(c.Dir() / "cartella.txt");
  EXPECT_EQ(File_Leggi(c / "cartella.txt", byte), Esito_Lettura::Errore);
  prova::File_Scrivi(c.Dir() / "a.txt", Tutti_I_Byte());
  EXPECT_EQ(File_Leggi(c / "a.txt", byte), Esito_Lettura::Letto);
  EXPECT_EQ(byte, Tutti_I_Byte());
  // A Windows name of the same file.
  EXPECT_EQ(File_Leggi((c.Dir() / "A.TXT").string(), byte), Esito_Lettura::Letto);
}

TEST(FileTesto, SaveReplacesTheFileThroughANewOne) {
  Cartella_Prova c{"tst"};
  const fs::path f = c.Dir() / "t.txt";
  prova::File_Scrivi(f, "vecchio");
  // A second name of the old file keeps the old bytes: the new text went
  // into a new file renamed onto the name, never into the old one.
  fs::create_hard_link(f, c.Dir() / "copia");
  std::string errore;
  ASSERT_TRUE(File_Salva(f.string(), Tutti_I_Byte(), &errore)) << errore;
  EXPECT_EQ(prova::File_Leggi(f), Tutti_I_Byte());
  EXPECT_EQ(prova::File_Leggi(c.Dir() / "copia"), "vecchio");
  for (const auto& e : fs::directory_iterator(c.Dir()))
    EXPECT_EQ(e.path().filename().string().find(".~tmp"), std::string::npos) << e.path();
  // A file that did not exist is created.
  ASSERT_TRUE(File_Salva((c.Dir() / "nuovo.txt").string(), "x\r"));
  EXPECT_EQ(prova::File_Leggi(c.Dir() / "nuovo.txt"), "x\r");
}

TEST(FileTesto, AFailedSaveLeavesWhatWasThere) {
  Cartella_Prova c{"tst"};
  std::string errore;
  EXPECT_FALSE(File_Salva((c.Dir() / "manca" / "t.txt").string(), "x", &errore));
  EXPECT_FALSE(errore.empty());
  EXPECT_FALSE(fs::exists(c.Dir() / "manca"));
  // A folder in the file's place is not replaced.
  fs::create_directory(c.Dir() / "d.txt");
  prova::File_Scrivi(c.Dir() / "d.txt" / "dentro", "resta");
  EXPECT_FALSE(File_Salva((c.Dir() / "d.txt").string(), "x", &errore));
  EXPECT_EQ(prova::File_Leggi(c.Dir() / "d.txt" / "dentro"), "resta");
  EXPECT_FALSE(fs::exists(c.Dir() / "d.txt.~tmp"));
}

}  // namespace
}  // namespace qod::testers
