#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "qod/client/istanze.h"
#include "qod/prova/strumenti.h"

using namespace qod;

namespace {

std::string Tabella(const std::vector<int32_t>& pid) {
  std::string b(128, '\0');
  for (size_t k = 0; k < pid.size() && k < 32; ++k)
    for (int i = 0; i < 4; ++i) b[4 * k + static_cast<size_t>(i)] = static_cast<char>(static_cast<uint32_t>(pid[k]) >> (8 * i));
  return b;
}

std::vector<int32_t> Slot(const std::string& b) {
  std::vector<int32_t> v;
  for (size_t k = 0; k + 4 <= b.size(); k += 4) {
    uint32_t x = 0;
    for (int i = 0; i < 4; ++i) x |= static_cast<uint32_t>(static_cast<unsigned char>(b[k + static_cast<size_t>(i)])) << (8 * i);
    v.push_back(static_cast<int32_t>(x));
  }
  return v;
}

}  // namespace

TEST(InstanceSlots, TableOfCases) {
  struct Caso {
    const char* nome;
    bool file;                    // a file exists before the start
    std::string contenuto;        // its bytes
    std::set<int32_t> attivi;     // the processes that run
    int atteso;                   // instance taken
  };
  std::vector<int32_t> tutti;
  for (int i = 0; i < 32; ++i) tutti.push_back(1000 + i);
  const std::vector<Caso> casi = {
      {"no file", false, "", {}, 1},
      {"1 and 3 alive, 2 ended", true, Tabella({101, 102, 103}), {101, 103}, 2},
      {"stale slots only", true, Tabella({101, 102, 103}), {}, 1},
      {"32 alive", true, Tabella(tutti), std::set<int32_t>(tutti.begin(), tutti.end()), 0},
      {"wrong length counts as all free", true, Tabella({101, 102}).substr(0, 127), {101, 102}, 1},
      {"a longer file too", true, Tabella({101}) + "x", {101}, 1},
      {"our own id left by an ended copy", true, Tabella({4242}), {4242}, 1},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    prova::Cartella_Prova dir{"istanze"};
    const std::string file = (dir.Dir() / kFile_Istanze).string();
    if (c.file) prova::File_Scrivi(file, c.contenuto);
    const int n = Istanza_Slot(file, 4242, [&](int32_t pid) { return c.attivi.count(pid) > 0; });
    EXPECT_EQ(n, c.atteso);
    const std::string dopo = prova::File_Leggi(file);
    ASSERT_EQ(dopo.size(), 128u);
    if (n > 0) EXPECT_EQ(Slot(dopo)[static_cast<size_t>(n - 1)], 4242);
    else EXPECT_EQ(Slot(dopo), tutti);  // a full table is kept as it was
  }
}

TEST(InstanceSlots, ASlotThatCannotBeWrittenIsNotTaken) {
  // Every write to this device fails for want of space.
  EXPECT_EQ(Istanza_Slot("/dev/full", 4242, [](int32_t) { return false; }), 0);
}

TEST(InstanceSlots, LivenessRejectsAReusedIdOfAnotherProgram) {
  EXPECT_FALSE(Processo_Attivo(0, "x"));
  EXPECT_FALSE(Processo_Attivo(-5, "x"));
  std::string nome;
  {
    std::string c = prova::File_Leggi("/proc/self/comm");
    nome = c.substr(0, c.find('\n'));
  }
  EXPECT_TRUE(Processo_Attivo(::getpid(), nome));
  EXPECT_FALSE(Processo_Attivo(::getpid(), "Qod_C_altro"));  // the id runs, but another program
  const pid_t figlio = ::fork();
  if (figlio == 0) ::_exit(0);
  ::waitpid(figlio, nullptr, 0);
  EXPECT_FALSE(Processo_Attivo(figlio, nome));  // ended
}

TEST(InstanceSlots, CopiesStartingTogetherTakeDifferentSlots) {
  prova::Cartella_Prova dir{"istanze"};
  const std::string file = (dir.Dir() / kFile_Istanze).string();
  constexpr int kCopie = 8;
  std::vector<pid_t> figli;
  int tubo[2];
  ASSERT_EQ(::pipe(tubo), 0);
  for (int i = 0; i < kCopie; ++i) {
    const pid_t p = ::fork();
    if (p == 0) {
      // Every copy counts the others as running.
      const int n = Istanza_Slot(file, ::getpid(), [](int32_t) { return true; });
      const unsigned char b = static_cast<unsigned char>(n);
      (void)!::write(tubo[1], &b, 1);
      ::_exit(0);
    }
    figli.push_back(p);
  }
  ::close(tubo[1]);
  std::set<int> numeri;
  unsigned char b = 0;
  while (::read(tubo[0], &b, 1) == 1) numeri.insert(b);
  ::close(tubo[0]);
  for (pid_t p : figli) ::waitpid(p, nullptr, 0);
  EXPECT_EQ(numeri.size(), static_cast<size_t>(kCopie));
  EXPECT_EQ(*numeri.begin(), 1);
  EXPECT_EQ(*numeri.rbegin(), kCopie);
  const auto slot = Slot(prova::File_Leggi(file));
  std::set<int32_t> registrati(slot.begin(), slot.begin() + kCopie);
  EXPECT_EQ(registrati, std::set<int32_t>(figli.begin(), figli.end()));
}
