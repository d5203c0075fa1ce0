// The program base: its folder and files, the log lines, running a command.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "qod/host/programma.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"

using namespace qod;

namespace {

std::string Leggi(const std::string& f) { return prova::File_Leggi(f); }

class Programma : public ::testing::Test {
 protected:
  prova::Cartella_Prova cartella_prova_{"programma"};
  const std::filesystem::path dir_ = cartella_prova_.Dir();
  const std::string cartella_ = cartella_prova_.Testo();
  FakeClock orologio_{DateTime::Da(2026, 3, 7, 9, 5, 4)};
  RecordingMessageSink messaggi_;
  Base_Programma base_{orologio_, messaggi_, kNomi_Server};
};

}  // namespace

TEST_F(Programma, LogLineBytes) {
  base_.Cartella_Imposta(cartella_);
  std::filesystem::remove(base_.File_LOG);
  base_.Log_Scrivi(true, true, "Stampanti configurate");
  base_.Log_Scrivi(false, true, "b");
  base_.Log_Scrivi(true, false, "c");
  base_.Log_Scrivi(false, false, "d\xE8");
  EXPECT_EQ(Leggi(base_.File_LOG),
            " \r\n07/03/2026 09:05:04 - Stampanti configurate\r\n07/03/2026 09:05:04 - b\r\n \r\nc\r\nd\xE8\r\n");
  // The log can be removed while the program runs: the next line makes a new one.
  std::filesystem::remove(base_.File_LOG);
  base_.Log_Scrivi(false, false, "e");
  EXPECT_EQ(Leggi(base_.File_LOG), "e\r\n");
}

// Values from the host may hold control characters: none of them reaches
// the log, where a CR or LF would start a line of the host's choosing.
TEST_F(Programma, ControlCharactersInLogValuesBecomeBlanks) {
  base_.Cartella_Imposta(cartella_);
  std::filesystem::remove(base_.File_LOG);
  base_.Log_Scrivi(false, false, "A\r\n01/01/2026 00:00:00 - falso\tB\x01\x1F\x7F\x80\xE8");
  base_.Log_Scrivi(false, false, std::string("nul\0x", 5));
  EXPECT_EQ(Leggi(base_.File_LOG), "A  01/01/2026 00:00:00 - falso B   \x80\xE8\r\nnul x\r\n");
}

TEST_F(Programma, EseguiAttendiPumpsAndLogs) {
  base_.Cartella_Imposta(cartella_);
  std::filesystem::remove(base_.File_LOG);
  int pompe = 0;
  base_.Esegui_Attendi("sleep 0.2", [&] { ++pompe; });
  EXPECT_GE(pompe, 2);
  std::string log = Leggi(base_.File_LOG);
  EXPECT_NE(log.find("[Esegui_Attendi] Avvio: sleep 0.2"), std::string::npos);
  EXPECT_NE(log.find("[Esegui_Attendi] Fine, codice 0"), std::string::npos);
  base_.Esegui_Attendi("/no/such/program", nullptr);
  EXPECT_NE(Leggi(base_.File_LOG).find("[Esegui_Attendi] Avvio non riuscito: /no/such/program"), std::string::npos);
}

// On a stop request the wait ends and the command is left running, in a
// process group of its own (a Ctrl+C at the terminal does not reach it): it
// goes on to its end, and its end is collected, so it leaves no zombie. The
// command waits until the test lets it go (for 25 s at most, should the test
// itself not live to end it).
TEST_F(Programma, EseguiAttendiLeavesTheCommandRunningOnAStopRequest) {
  base_.Cartella_Imposta(cartella_);
  std::filesystem::remove(base_.File_LOG);
  const std::filesystem::path comando = dir_ / "comando.sh", via = dir_ / "via", segno = dir_ / "segno";
  prova::File_Scrivi(comando,
                     "i=0\nwhile [ ! -e \"$1\" ] && [ $i -lt 250 ]; do sleep 0.1; i=$((i+1)); done\n"
                     "echo fatto > \"$2\"\n");
  int pompe = 0;
  const std::string riga_comando =
      "sh \"" + comando.string() + "\" \"" + via.string() + "\" \"" + segno.string() + "\"";
  EXPECT_TRUE(base_.Esegui_Attendi(riga_comando, [&] { ++pompe; }, [] { return true; }));
  EXPECT_EQ(pompe, 0);
  const std::string log = Leggi(base_.File_LOG);
  const std::string riga = "[Esegui_Attendi] Arresto richiesto: il comando \xE8 ancora in esecuzione, processo ";
  const size_t k = log.find(riga);
  ASSERT_NE(k, std::string::npos) << log;
  EXPECT_EQ(log.find("[Esegui_Attendi] Fine"), std::string::npos) << log;
  const pid_t pid = std::stoi(log.substr(k + riga.size()));
  struct Guardia {
    pid_t pid;
    ~Guardia() {  // whatever the checks below find
      if (pid > 0) ::kill(-pid, SIGKILL);
    }
  } guardia{pid};
  EXPECT_EQ(log.substr(k + riga.size()), std::to_string(pid) + "\r\n");
  EXPECT_TRUE(prova::In_Vita(pid));
  EXPECT_EQ(::getpgid(pid), pid);
  EXPECT_NE(::getpgid(pid), ::getpgid(0));
  EXPECT_FALSE(std::filesystem::exists(segno));
  // Let go, it ends by itself, whole, and is gone: not even a zombie is left.
  prova::File_Scrivi(via, "");
  const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((::kill(pid, 0) == 0 || errno != ESRCH) && std::chrono::steady_clock::now() < fine) ::usleep(20000);
  ASSERT_EQ(::kill(pid, 0), -1);
  guardia.pid = 0;
  EXPECT_EQ(Leggi(segno.string()), "fatto\n");
}

// A program other than the server builds on the same base with its own names.
TEST_F(Programma, ProgramBaseUsesTheProgramsOwnNames) {
  Base_Programma client(orologio_, messaggi_, kNomi_Client);
  client.Cartella_Imposta(dir_.string());
  EXPECT_EQ(client.Percorso, cartella_);
  EXPECT_EQ(client.Percorso_Tmp, cartella_ + "TmpC/");
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "TmpC"));
  EXPECT_EQ(client.File_INI, cartella_ + "Qod_C.INI");
  EXPECT_EQ(client.File_TBL, cartella_ + "Qod_TBL1.Tbl");
  ASSERT_TRUE(client.Impostazione_Scrivi("Generale", "Maiuscolo", "S"));
  EXPECT_EQ(Profilo_Leggi(cartella_ + "Qod_C.INI", "Generale", "Maiuscolo", "", 255), "S");
  EXPECT_EQ(client.Impostazione_Leggi("Generale", "Maiuscolo"), "S");
  // Without a log name no log file appears.
  EXPECT_TRUE(client.File_LOG.empty());
  client.Log_Scrivi(true, true, "riga");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 2);  // TmpC and Qod_C.INI
}
