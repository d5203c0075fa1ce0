// Several servers, each with its own server index and program folder,
// against one stand-in host serving one queue: a spool file handed to one
// server is not offered to another while that one holds it, and every spool
// file is done exactly once. The servers run in this process, one inside
// another's stage, so that each holds a spool file while the next one asks:
// what they get does not depend on timing.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "qod/basic.h"
#include "qod/server/base_server.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/host_simulato.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "qod/server/pannello.h"
#include "qod/server/spool.h"

using namespace qod;
using qod::prova::Host_Simulato;
namespace fs = std::filesystem;

namespace {

// Makes no page images; the first page of the next spool file runs `gancio`
// (while the server holds that spool file).
class Generatore_Gancio : public Generatore_Immagini {
 public:
  void Imposta(const Attributi_Spool&, const std::string&, const std::string&) override {}
  void Elabora(const Pagina_Immagine&) override {
    if (auto g = std::move(gancio)) {
      gancio = nullptr;
      g();
    }
  }
  bool Errore() const override { return false; }
  std::string Stato() const override { return {}; }
  std::function<void()> gancio;
};

// One server: its program folder, its base, its connection and its spool
// server, against the shared stand-in.
struct Server_Prova {
  Server_Prova(const fs::path& cartella, const Host_Simulato& host, int indice) : programma(cartella) {
    EXPECT_TRUE(host.Programma_Prepara(programma, indice));
    EXPECT_TRUE(base.Base_Inizializza(programma.string(), ""));
    conn = std::make_unique<Connessione_Host>(base, base, trasporto);
    EXPECT_TRUE(conn->Host_Collega()) << prova::File_Leggi(base.File_LOG);
    Fasi_Spool fasi;
    fasi.Immagini = &generatore;
    server = std::make_unique<Spool_Server>(base, trasporto, *conn, pannello, Pump{}, fasi);
  }
  // The spool file it is on, from its panel ("" before any).
  std::string Numero() const { return Trim(pannello.Valore(5)); }

  fs::path programma;
  FakeClock orologio{DateTime::Da(2026, 3, 7, 9, 0, 0)};
  RecordingMessageSink messaggi;
  NoPrinters stampanti;
  Server_Base base{orologio, messaggi, stampanti};
  Trasporto trasporto{Attese_Rete{3000, 100, 3000}};
  std::unique_ptr<Connessione_Host> conn;
  Pannello pannello;
  Generatore_Gancio generatore;
  std::unique_ptr<Spool_Server> server;
};

class Server_Multipli : public ::testing::Test {
 protected:
  // A queue of `n` one-page spool files 0001..n, numbered 3001.., and the
  // stand-in serving it.
  void Avvia(int n) {
    for (int i = 1; i <= n; ++i) {
      const fs::path c = coda_ / Format(i, "0000");
      fs::create_directories(c);
      prova::File_Scrivi(c / "attributi.txt", "formato = FATTURE\nnumero_spool = " + std::to_string(3000 + i) + "\n");
      prova::File_Scrivi(c / "definizioni.txt", "F | K | 1 | 1 | 0 | 1 | 8 | A |\n");
      prova::File_Scrivi(c / "dati.txt", "FATTURA " + Format(i, "0000") + "<FF>");
    }
    host_ = std::make_unique<Host_Simulato>(std::vector<std::string>{
        "--dictionary", Host_Simulato::Dizionario_Predefinito(), "--ftp-port", "-1", "--spool-queue", coda_.string(),
        "--spool-done", fatti_.string()});
    ASSERT_TRUE(host_->Avvia()) << host_->Uscita();
  }
  Server_Prova& Server(int indice) {
    auto& s = server_[indice];
    if (!s) s = std::make_unique<Server_Prova>(dir_.Dir() / ("Qod_S_" + std::to_string(indice)), *host_, indice);
    return *s;
  }

  // The done records the stand-in received: spool number -> the servers
  // (five digits each) that sent one.
  std::map<std::string, std::vector<std::string>> Fatti_Da() const {
    std::map<std::string, std::vector<std::string>> r;
    for (const auto& t : host_->Richieste('D')) r[t.substr(11, 9)].push_back(t.substr(6, 5));
    return r;
  }

  prova::Cartella_Prova dir_{"multipli"};
  const fs::path coda_ = dir_.Dir() / "coda";
  const fs::path fatti_ = dir_.Dir() / "fatti";
  std::unique_ptr<Host_Simulato> host_;
  std::map<int, std::unique_ptr<Server_Prova>> server_;
};

}  // namespace

TEST_F(Server_Multipli, EachServerTakesADifferentSpoolFileAndEveryOneIsDoneOnce) {
  ASSERT_NO_FATAL_FAILURE(Avvia(7));
  Server_Prova &a = Server(1), &b = Server(2), &c = Server(3);
  // Server 1 holds its spool file while server 2 asks, and server 2 holds
  // its own while server 3 asks: three spool files out at once.
  std::vector<std::string> presi;
  a.generatore.gancio = [&] {
    presi.push_back(a.Numero());
    b.generatore.gancio = [&] {
      presi.push_back(b.Numero());
      c.generatore.gancio = [&] { presi.push_back(c.Numero()); };
      EXPECT_TRUE(c.server->Spool_Get());
    };
    EXPECT_TRUE(b.server->Spool_Get());
  };
  ASSERT_TRUE(a.server->Spool_Get()) << prova::File_Leggi(a.base.File_LOG);
  EXPECT_EQ(presi, (std::vector<std::string>{"3001", "3002", "3003"}));

  // Then they take turns until the queue is empty; a server that finds
  // nothing waiting leaves the queue to the others.
  for (int giro = 0; giro < 10 && prova::Nomi(coda_).size() > 0; ++giro)
    for (Server_Prova* s : {&c, &a, &b}) s->server->Spool_Get();
  EXPECT_TRUE(prova::Nomi(coda_).empty());
  for (Server_Prova* s : {&a, &b, &c}) EXPECT_FALSE(s->server->Spool_Get());

  // Every spool file in the done folder once, its done record sent once, by
  // the server whose index the outcome names.
  EXPECT_EQ(prova::Nomi(fatti_), (std::vector<std::string>{"0001", "0002", "0003", "0004", "0005", "0006", "0007"}));
  const auto fatti_da = Fatti_Da();
  ASSERT_EQ(fatti_da.size(), 7u);
  std::map<std::string, int> per_server;
  for (const auto& [numero, server] : fatti_da) {
    SCOPED_TRACE(numero);
    ASSERT_EQ(server.size(), 1u);
    ++per_server[server[0]];
    const std::string nome = Format(std::stoi(numero) - 3000, "0000");
    EXPECT_EQ(prova::File_Leggi(fatti_ / nome / "esito.txt").substr(0, 5), server[0]);
  }
  EXPECT_EQ(fatti_da.at("000003001")[0], "00001");
  EXPECT_EQ(fatti_da.at("000003002")[0], "00002");
  EXPECT_EQ(fatti_da.at("000003003")[0], "00003");
  EXPECT_EQ(per_server.size(), 3u);
}

TEST_F(Server_Multipli, ASpoolFileHeldByAServerThatDropsItsConnectionGoesToTheNext) {
  ASSERT_NO_FATAL_FAILURE(Avvia(1));
  Server_Prova &a = Server(1), &b = Server(2);
  // While server 1 holds the only spool file, server 2 finds nothing; then
  // server 1's connection ends before its done record.
  a.generatore.gancio = [&] {
    EXPECT_FALSE(b.server->Spool_Get());
    EXPECT_EQ(b.Numero(), "");
    a.conn->Host_Scollega();
  };
  const int chiuse = host_->Eventi("rec-close");
  EXPECT_FALSE(a.server->Spool_Get());
  EXPECT_EQ(a.Numero(), "3001");
  // Once the stand-in has seen it go, the spool file is server 2's.
  ASSERT_TRUE(host_->Attendi_Log([&](const auto&) { return host_->Eventi("rec-close") > chiuse; }));
  ASSERT_TRUE(b.server->Spool_Get()) << prova::File_Leggi(b.base.File_LOG);
  EXPECT_EQ(b.Numero(), "3001");
  EXPECT_EQ(Fatti_Da(), (std::map<std::string, std::vector<std::string>>{{"000003001", {"00002"}}}));
  EXPECT_EQ(prova::Nomi(fatti_), std::vector<std::string>{"0001"});
}

TEST_F(Server_Multipli, OneServerAsksAgainForTheSpoolFileItHolds) {
  ASSERT_NO_FATAL_FAILURE(Avvia(2));
  Server_Prova &a = Server(1), &b = Server(2);
  // Server 1 asks twice without a done record (a stage that failed leaves
  // the spool file on the host): the same spool file again, and server 2
  // still gets the other one.
  a.generatore.gancio = [&] {
    b.generatore.gancio = [&] { EXPECT_EQ(b.Numero(), "3002"); };
    EXPECT_TRUE(b.server->Spool_Get());
  };
  Intestazione_Risposta r;
  ASSERT_TRUE(a.trasporto.Richiesta(kSlot_Host, 'S', "00001", r) && r.Accettata() &&
              a.trasporto.Sock_Read(kSlot_Host, r.Lunghezza));
  EXPECT_EQ(a.trasporto.Sock_Field("B", 143, 4), "3001");
  ASSERT_TRUE(a.server->Spool_Get());
  EXPECT_EQ(a.Numero(), "3001");
  EXPECT_EQ(Fatti_Da(), (std::map<std::string, std::vector<std::string>>{{"000003001", {"00001"}},
                                                                        {"000003002", {"00002"}}}));
}
