// The archive query and the result list against the stand-in host and its
// archive store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "qod/basic.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/elenco.h"
#include "qod/client/trasporto_client.h"
#include "qod/host_simulato.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "viewer_su_host.h"

using namespace qod;
using namespace qod::prova;

namespace {

namespace fs = std::filesystem;

// Fields of the stand-in's dictionary (dizionario_CA.txt) the tests use.
enum : int32_t {
  kPagine = 3,      // N 5
  kArchiviato = 7,  // Z 14
  kUtente = 10,     // A 10
  kFattura = 14,    // N 8
  kData = 15,       // D 8
  kCliente = 16,    // A 30
  kImporto = 18,    // N 12
};

// The definitions of these tests.
constexpr const char* kDefinizioni =
    "ORDER|14 15 16\n"
    "SEARCH|01||Per utente|10|3||0210070315\n"
    "SEARCH|02||Per fattura|14|3||1418\n"
    "SEARCH|03||Per data|15|2||1415\n"
    "SEARCH|04||Tutte||||14\n"
    "SEARCH|05||Da utente|10|1||10\n";

class ResultListHost : public ::testing::Test {
 protected:
  // A complete document of the store with the fields given (value written
  // at the field's start), page count and image type.
  void Documento(int id, const std::vector<std::pair<int32_t, std::string>>& campi, int pagine = 1,
                 const std::string& tipo = "7") {
    documenti_.push_back({id, campi, pagine, tipo});
  }

  void Avvia(std::vector<std::string> argomenti = {}) {
    std::ofstream(dir_ / "viewer.txt") << kDefinizioni;
    argomenti.insert(argomenti.end(), {"--dictionary", Host_Simulato::Dizionario_Predefinito(), "--viewer",
                                       dir_ / "viewer.txt", "--archive", dir_ / "archivio"});
    ASSERT_NO_FATAL_FAILURE(Viewer_Su_Host(host_, std::move(argomenti), dir_.Dir(), base_, dati_, "QSYS"));
    collegamento_ = std::make_unique<Collegamento_Client>(base_, dati_, t_, 1);
    ASSERT_TRUE(collegamento_->Host_Collega());
    const Dizionario_Campi& d = collegamento_->Dizionario();
    for (const auto& doc : documenti_) Archivia(d, doc);

    Effetti_Ricerca e;
    e.Messaggio = [this](const std::string& t) { messaggi_.push_back(t); };
    e.Occupato = [this](bool si) { occupato_.push_back(si); };
    e.Elenco_Mostra = [this] { ++mostrato_; };
    ricerca_ = std::make_unique<Ricerca_Archivio>(t_, d, e);
    ricerca_->Griglia_Imposta(3000, 255);  // pages of 11 rows
  }

  // Requests of `lettera` the stand-in received.
  std::vector<std::string> Richieste(char lettera) const { return host_->Richieste(lettera); }

  struct Doc {
    int id;
    std::vector<std::pair<int32_t, std::string>> campi;
    int pagine;
    std::string tipo;
  };

  // Writes the document into the store as the server's upload leaves it.
  void Archivia(const Dizionario_Campi& d, const Doc& doc) {
    const int32_t r = d.Inizio[static_cast<size_t>(d.Numero + 1)] - 1;
    std::string indice = "U" + Space(r - 1);
    Mid_Imposta(indice, 12, Format(doc.pagine, "00000"));
    Mid_Imposta(indice, 110, doc.tipo);
    for (const auto& [campo, valore] : doc.campi)
      Mid_Imposta(indice, d.Inizio[static_cast<size_t>(campo)], d.Larghezza[static_cast<size_t>(campo)], valore);
    const fs::path p = dir_.Dir() / "archivio" / Format(doc.id, "0000000000");
    fs::create_directories(p);
    std::ofstream(p / "indice.txt", std::ios::binary) << indice;
    std::ofstream(p / "stato.txt", std::ios::binary) << "chiuso\n";
  }

  void Scegli(int32_t numero, std::vector<std::pair<int, std::string>> caselle = {}) {
    ricerca_->Ricerche_Click(numero);
    for (auto& [i, testo] : caselle) ricerca_->Modello().txtDa[static_cast<size_t>(i)].Testo = testo;
  }

  std::vector<std::string> Chiavi() const {
    std::vector<std::string> k;
    for (const auto& r : ricerca_->Elenco().Righe) k.push_back(r.Chiave);
    return k;
  }

  Cartella_Prova dir_{"elenco_client"};
  std::vector<Doc> documenti_;
  std::unique_ptr<Host_Simulato> host_;
  FakeClock orologio_;
  RecordingMessageSink box_;
  Base_Programma base_{orologio_, box_, kNomi_Client};
  Dati_Collegamento dati_;
  Trasporto_Client t_{Attese_Rete{5000, 100, 1000}};
  std::unique_ptr<Collegamento_Client> collegamento_;
  std::unique_ptr<Ricerca_Archivio> ricerca_;
  std::vector<std::string> messaggi_;
  std::vector<bool> occupato_;
  int mostrato_ = 0;
};

}  // namespace

TEST_F(ResultListHost, GoldenQueryRecords) {
  Documento(1, {{kUtente, "ROSSI"}, {kFattura, "00001234"}, {kData, "20150201"}});
  Documento(2, {{kUtente, "ROSSINI"}, {kFattura, "00001235"}, {kData, "20151231"}});
  Documento(3, {{kUtente, "BIANCHI"}, {kFattura, "00012340"}, {kData, "20160101"}});
  Avvia();
  // The index record of the stand-in's dictionary: 112 fixed columns and
  // fields of 8, 8, 30, 11 and 12: R = 181; Utente starts at 100.
  auto testata = [](const std::string& operatore, const std::string& larghezza, const std::string& inizio,
                    const std::string& l) {
    return "Q" + Format(107 + 2 * static_cast<int>(Val(l)), "00000") + Testo_Largo(operatore, 8) + larghezza +
           Stringa(21, '0') + "001" + Stringa(21, '0') + inizio + Stringa(35, '0') + "001" + l + "00181";
  };
  const struct {
    const char* nome;
    int32_t definizione;
    std::vector<std::pair<int, std::string>> caselle;
    std::string record;
    std::vector<std::string> trovati;
  } casi[] = {
      {"text key equal to ROSSI", 1, {{1, "rossi"}},
       testata("3", "010", "00100", "010") + "ROSSI     " + "ROSSI     ", {"0000000001"}},
      {"number key", 2, {{1, "1234"}}, testata("3", "008", "00113", "008") + "00001234" + "00001234",
       {"0000000001"}},
      {"date range", 3, {{1, "1/2/2015"}, {9, "31/12/2015"}},
       testata("2", "008", "00121", "008") + "20150201" + "20151231", {"0000000001", "0000000002"}},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    Scegli(c.definizione, c.caselle);
    ricerca_->Modello().Ricerche_Maiuscolo = true;
    ASSERT_TRUE(ricerca_->Spool_Ricerca());
    const auto q = Richieste('Q');
    ASSERT_FALSE(q.empty());
    EXPECT_EQ(q.back(), c.record);
    EXPECT_EQ(Chiavi(), c.trovati);
  }
  EXPECT_EQ(Richieste('Q').front().size(), 133u);
  EXPECT_TRUE(messaggi_.empty());
}

TEST_F(ResultListHost, SameSearchTwiceOpensTheDefinitionOnce) {
  Documento(1, {{kFattura, "00000001"}});
  Avvia();
  Scegli(2, {{1, "1"}});
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  EXPECT_EQ(Richieste('O'), std::vector<std::string>{"O0000202"});
  EXPECT_EQ(Richieste('Q').size(), 2u);
  EXPECT_EQ(ricerca_->Modello().Ricerca_Aperta, "02");
  // Another definition is opened; going back opens the first again.
  Scegli(4);
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  Scegli(2, {{1, "1"}});
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  EXPECT_EQ(Richieste('O'), (std::vector<std::string>{"O0000202", "O0000204", "O0000202"}));
  EXPECT_EQ(Chiavi(), std::vector<std::string>{"0000000001"});
}

TEST_F(ResultListHost, BadCriteriaSendNothing) {
  Avvia();
  Scegli(3, {{1, "31/02/2015"}});
  EXPECT_FALSE(ricerca_->Spool_Ricerca());
  EXPECT_EQ(ricerca_->Modello().txtDa[1].Colore, Colore_Casella::Non_Valida);
  EXPECT_EQ(ricerca_->Modello().Casella_Focus, 1);
  EXPECT_TRUE(Richieste('O').empty());
  EXPECT_TRUE(Richieste('Q').empty());
  EXPECT_TRUE(messaggi_.empty());
}

TEST_F(ResultListHost, PagesFromTheGridLoadedTwoAhead) {
  for (int i = 1; i <= 30; ++i) Documento(i, {{kFattura, Format(i, "00000000")}});
  Avvia();
  Scegli(4);
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  const Elenco_Risultati& e = ricerca_->Elenco();
  EXPECT_EQ(e.Elenco_Pagina, 11);  // (3000 - 255) / 255 = 10.76
  EXPECT_EQ(e.Elenco_Altezza, 3000);
  EXPECT_EQ(e.Righe.size(), 22u);
  EXPECT_TRUE(e.Elenco_Altre);
  EXPECT_EQ(Richieste('L').size(), 22u);
  EXPECT_EQ(occupato_, (std::vector<bool>{true, false}));
  EXPECT_EQ(mostrato_, 1);

  // Two pages still follow the top row: nothing is asked.
  EXPECT_FALSE(ricerca_->Elenco_Scorri(0));
  EXPECT_EQ(Richieste('L').size(), 22u);
  // One row further down: the next load; the store has 8 more, the ninth
  // request is refused and ends the list.
  EXPECT_TRUE(ricerca_->Elenco_Scorri(1));
  EXPECT_EQ(e.Righe.size(), 30u);
  EXPECT_FALSE(e.Elenco_Altre);
  EXPECT_EQ(Richieste('L').size(), 31u);
  EXPECT_EQ(e.Righe[29].Chiave, "0000000030");
  EXPECT_FALSE(ricerca_->Elenco_Scorri(25));
  EXPECT_EQ(Richieste('L').size(), 31u);
  EXPECT_TRUE(messaggi_.empty());

  // A new search starts a new list, with the page size of the new height.
  ricerca_->Griglia_Imposta(1200, 300);  // 3 rows
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  EXPECT_EQ(e.Elenco_Pagina, 3);
  EXPECT_EQ(e.Righe.size(), 6u);
  EXPECT_EQ(e.Righe[0].Chiave, "0000000001");
}

TEST_F(ResultListHost, SmallGridStillListsARow) {
  Documento(1, {{kFattura, "00000001"}});
  Documento(2, {{kFattura, "00000002"}});
  Documento(3, {{kFattura, "00000003"}});
  Avvia();
  ricerca_->Griglia_Imposta(255, 255);
  Scegli(4);
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  EXPECT_EQ(ricerca_->Elenco().Elenco_Pagina, 1);
  EXPECT_EQ(ricerca_->Elenco().Righe.size(), 2u);
}

TEST_F(ResultListHost, RefusedFourthRowEndsTheListSilently) {
  for (int i = 1; i <= 3; ++i) Documento(i, {{kFattura, Format(i, "00000000")}});
  Avvia();
  Scegli(4);
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  EXPECT_EQ(Chiavi(), (std::vector<std::string>{"0000000001", "0000000002", "0000000003"}));
  EXPECT_FALSE(ricerca_->Elenco().Elenco_Altre);
  EXPECT_EQ(Richieste('L').size(), 4u);
  for (int alto : {0, 1, 2}) EXPECT_FALSE(ricerca_->Elenco_Scorri(alto));
  EXPECT_EQ(Richieste('L').size(), 4u);
  EXPECT_TRUE(messaggi_.empty());
  EXPECT_NE(t_.Socket(1), net::kNessuno);
}

TEST_F(ResultListHost, TransferFailureHasItsOwnMessage) {
  for (int i = 1; i <= 5; ++i) Documento(i, {{kFattura, Format(i, "00000000")}});
  Avvia({"--close", "L#3=40"});
  Scegli(4);
  ricerca_->Spool_Ricerca();
  EXPECT_EQ(ricerca_->Elenco().Righe.size(), 2u);
  EXPECT_FALSE(ricerca_->Elenco().Elenco_Altre);
  EXPECT_EQ(messaggi_, std::vector<std::string>{"[Elenco_Carica] Errore Sock_Read {L}"});
  EXPECT_EQ(occupato_, (std::vector<bool>{true, false}));
  EXPECT_FALSE(ricerca_->Elenco_Scorri(0));
}

TEST_F(ResultListHost, RowsCarryKeyPagesTypeAndFormattedCells) {
  Documento(7,
            {{kUtente, "ROSSI"}, {kArchiviato, "20150131235959"}, {kData, "20150201"}, {kFattura, "00001234"}},
            12, "T");
  Avvia();
  Scegli(1, {{1, "ROSSI"}});
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  ASSERT_EQ(ricerca_->Elenco().Righe.size(), 1u);
  const Riga_Elenco& r = ricerca_->Elenco().Righe[0];
  EXPECT_EQ(r.Chiave, "0000000007");
  EXPECT_EQ(r.Pagine, "00012");
  EXPECT_EQ(r.Tipo_Immagine, "T");
  // Columns 02 10 07 03 15: key, user, archived, pages, invoice date.
  EXPECT_EQ(r.Celle, (std::vector<std::string>{"0000000007", "ROSSI     ", "31/01/2015 23.59.59", "12", "01/02/2015"}));
  const Dizionario_Campi& d = collegamento_->Dizionario();
  EXPECT_EQ(Colonna_Intestazione(ricerca_->Modello(), d, 3), "Archiviato");
  (void)kPagine, (void)kCliente, (void)kImporto;
}

TEST_F(ResultListHost, NumberCellsGroupDigits) {
  Documento(1, {{kFattura, "01234567"}, {kImporto, "000123456789"}});
  Avvia();
  Scegli(2, {{1, "1234567"}});
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  ASSERT_EQ(ricerca_->Elenco().Righe.size(), 1u);
  EXPECT_EQ(ricerca_->Elenco().Righe[0].Celle, (std::vector<std::string>{"1.234.567", "123.456.789"}));
}

TEST_F(ResultListHost, FailedOpenOrQueryShowsOneMessage) {
  struct Caso {
    const char* nome;
    std::vector<std::string> argomenti;
    std::string scelta;  // overrides the chosen number
    const char* messaggio;
    const char* aperta;
    bool in_passo;  // the connection stays usable
  };
  const std::vector<Caso> casi = {
      {"open not answered", {"--close", "O=0"}, "", "[Spool_Ricerca] Errore Sock_Read {O}", "", false},
      {"open refused", {}, "33", "[Spool_Ricerca] Errore esito {O}", "", true},
      {"query not answered", {"--close", "Q=3"}, "", "[Spool_Ricerca] Errore Sock_Read {Q}", "04", false},
      {"refusal with a body", {"--body-on-empty", "7"}, "33", "[Spool_Ricerca] Errore esito {O}", "", true},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    Avvia(c.argomenti);
    Scegli(4);
    if (!c.scelta.empty()) ricerca_->Modello().Ricerca_Scelta = c.scelta;
    EXPECT_FALSE(ricerca_->Spool_Ricerca());
    EXPECT_EQ(messaggi_, std::vector<std::string>{c.messaggio});
    EXPECT_EQ(ricerca_->Modello().Ricerca_Aperta, c.aperta);
    EXPECT_TRUE(Richieste('L').empty());
    if (c.in_passo) {
      ricerca_->Modello().Ricerca_Scelta = "04";
      EXPECT_TRUE(ricerca_->Spool_Ricerca());
      EXPECT_EQ(messaggi_.size(), 1u);
    }
    messaggi_.clear();
    ricerca_.reset();
    collegamento_.reset();
    host_.reset();
  }
}

TEST_F(ResultListHost, StandInMatchesFieldBytesInHostOrder) {
  Documento(1, {{kUtente, "A1"}, {kFattura, "00000010"}});
  Documento(2, {{kUtente, "AB"}, {kFattura, "00000020"}});
  Documento(3, {{kUtente, "B"}, {kFattura, "00000030"}});
  Avvia();
  const struct {
    int32_t definizione;
    std::vector<std::pair<int, std::string>> caselle;
    std::vector<std::string> trovati;
  } casi[] = {
      // From "AB": in EBCDIC digits sort after letters, so "A1" follows "AB".
      {5, {{1, "AB"}}, {"0000000001", "0000000002", "0000000003"}},
      {5, {{1, "B"}}, {"0000000003"}},
      {5, {{1, ""}}, {"0000000001", "0000000002", "0000000003"}},
      {1, {{1, "AB"}}, {"0000000002"}},
      {1, {{1, ""}}, {}},  // a blank value is no wildcard
      {2, {{1, "20"}}, {"0000000002"}},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(std::to_string(c.definizione) + " " + c.caselle[0].second);
    Scegli(c.definizione, c.caselle);
    ASSERT_TRUE(ricerca_->Spool_Ricerca());
    EXPECT_EQ(Chiavi(), c.trovati);
  }
}

TEST_F(ResultListHost, NoSecondExchangeWhileOneRuns) {
  for (int i = 1; i <= 3; ++i) Documento(i, {{kFattura, Format(i, "00000000")}});
  Avvia();
  Scegli(4);
  // A window message run during the load (the user presses "Aggiorna" or
  // scrolls) must not start an exchange of its own in the middle of it.
  int annidate = 0;
  Effetti_Ricerca e;
  e.Pompa = [&] {
    ++annidate;
    EXPECT_FALSE(ricerca_->Spool_Ricerca());
    EXPECT_FALSE(ricerca_->Elenco_Scorri(0));
    ricerca_->Elenco_Carica(false);
    ricerca_->Ricerche_Click(2);
  };
  Modello_Ricerca scelta = ricerca_->Modello();
  ricerca_ = std::make_unique<Ricerca_Archivio>(t_, collegamento_->Dizionario(), e);
  ricerca_->Modello() = scelta;
  ricerca_->Griglia_Imposta(3000, 255);
  ASSERT_TRUE(ricerca_->Spool_Ricerca());
  EXPECT_EQ(annidate, 2);
  EXPECT_EQ(Chiavi().size(), 3u);
  EXPECT_EQ(Richieste('O').size(), 1u);
  EXPECT_EQ(Richieste('Q').size(), 1u);
  EXPECT_EQ(Richieste('L').size(), 4u);
  EXPECT_EQ(ricerca_->Modello().Ricerca_Scelta, "04");
}
