// The print stream interpreter, over print data served from memory.
#include <gtest/gtest.h>

#include "qod/prova/strumenti.h"
#include "ebcdic_test.h"
#include "qod/ansi.h"
#include "qod/server/pannello.h"
#include "qod/server/scs.h"

using namespace qod;
using namespace qod::test;
using namespace qod::prova;

namespace {

struct Pagina_Letta {
  std::string testo, comandi;
  bool operator==(const Pagina_Letta&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Pagina_Letta& p) {
  return o << "{testo=\"" << p.testo << "\" comandi=\"" << p.comandi << "\"}";
}

struct Esito_Corsa {
  bool ok = false;
  std::vector<Pagina_Letta> pagine;
  std::vector<std::string> registro;
  std::vector<int32_t> richieste;
  int scollegamenti = 0;
  bool dipendente = false;
  int32_t byte_ricevuti = 0;
};

class Interprete : public ::testing::Test {
 protected:
  // Runs the interpreter over `dati` served in blocks of `blocco` bytes.
  Esito_Corsa Corsa(const std::vector<uint8_t>& dati, int32_t ultima = 9999, int32_t blocco = kBlocco_Dati) {
    std::filesystem::remove_all(dir_.Dir());
    std::filesystem::create_directories(dir_.Dir());
    Esito_Corsa e;
    Pagine_Spool pagine;
    Pagine_Spool::Impostazioni cfg;
    cfg.Cartella_TmpS = dir_.Testo();
    cfg.Cartella_Programma = "/prog/";
    cfg.Indice_Server = 3;
    pagine.Registro = [&](const std::string& r) { e.registro.push_back(r); };
    pagine.Avvia(cfg);
    Interprete_SCS scs(pagine);
    scs.Registro = [&](const std::string& r) { e.registro.push_back(r); };
    scs.Guasto = [&](const std::string& r) {
      e.registro.push_back(r);
      ++e.scollegamenti;
    };
    scs.Quadro = &quadro_;
    Sorgente_Memoria sorgente(dati, blocco);
    e.ok = scs.Spool_Dati(sorgente, Tabella_Ebcdic::IBM280().ansi, static_cast<int32_t>(dati.size()), ultima);
    e.richieste = sorgente.Richieste;
    e.dipendente = pagine.Pagina_Dipendente;
    e.byte_ricevuti = scs.Byte_Ricevuti;
    for (int32_t p = 1; p <= pagine.Pagine_Aperte; ++p)
      e.pagine.push_back({File_Leggi(File_Testo(cfg.Cartella_TmpS, 3, p)),
                          File_Leggi(File_Comandi(cfg.Cartella_TmpS, 3, p))});
    EXPECT_EQ(Nomi(dir_.Dir()).size(), e.pagine.size() * 2) << "two files per page, no more";
    return e;
  }

  Cartella_Prova dir_;
  Pannello quadro_;
};

// Pages given as lines joined with "\n".
std::vector<Pagina_Letta> Pagine(std::initializer_list<std::pair<std::string, std::string>> p) {
  std::vector<Pagina_Letta> r;
  for (const auto& [t, c] : p) r.push_back({Righe_CRLF(t), c.empty() ? "" : Righe_CRLF(c)});
  return r;
}

}  // namespace

TEST_F(Interprete, StreamsToPages) {
  const std::string e_grave = A("è");
  struct Caso {
    const char* nome;
    Scs scs;
    std::vector<Pagina_Letta> attese;
  } casi[] = {
      {"two lines, text before the first page reaches its first line", Scs().Testo("AB").NL().Testo("C").FF(),
       Pagine({{"AB\nC", ""}})},
      {"the first character in a column wins", Scs().AHPP(5).Testo("A").AHPP(5).Testo("B").FF(),
       Pagine({{"    A", ""}})},
      {"a line above the current one starts the next page",
       Scs().Testo("A").NL().Testo("B").AVPP(1).Testo("C").FF(), Pagine({{"A\nB", ""}, {"C", ""}})},
      {"the current line only returns to column 1", Scs().Testo("AB").AVPP(1).Testo("  C").FF(),
       Pagine({{"ABC", ""}})},
      {"a line further down writes the lines between", Scs().Testo("A").AVPP(3).Testo("B").FF(),
       Pagine({{"A\n\nB", ""}})},
      {"two form feeds after a page give a page with one empty line", Scs().Testo("A").NL().FF().FF(),
       Pagine({{"A\n", ""}, {"", ""}})},
      {"a form feed before any page does nothing", Scs().FF().Testo("A").NL().FF(), Pagine({{"A\n", ""}})},
      {"a carriage return keeps the first characters", Scs().Testo("ABC").CR().Testo("xy  D").NL().FF(),
       Pagine({{"ABC D\n", ""}})},
      {"relative moves", Scs().Testo("A").RHPP(3).Testo("B").RVPP(2).Testo("C").FF(),
       Pagine({{"A  B\n\nC", ""}})},  // opening the page restarts the column
      {"line density 6 halves a relative move", Scs().SLD(6).Testo("A").RVPP(6).Testo("B").FF(),
       Pagine({{"A\n\n\nB", ""}})},
      {"line density 0 never divides by zero", Scs().SLD(0).Testo("A").RVPP(2).Testo("B").FF(),
       Pagine({{"A\n\nB", ""}})},
      {"line density 18 never divides by zero", Scs().SLD(18).Testo("A").RVPP(2).Testo("B").FF(),
       Pagine({{"A\n\nB", ""}})},
      {"absolute column 0 is column 1", Scs().Testo("A").NL().AHPP(0).Testo("B").FF(), Pagine({{"A\nB", ""}})},
      {"other 2B controls are skipped with their data",
       Scs().Testo("A").Controllo(0xD2, {0x01, 0xC1, 0xC2}).Testo("B").FF(), Pagine({{"AB", ""}})},
      {"other control bytes take a column", Scs().Testo("A").Byte(0x05).Testo("B").Byte(0x00).Testo("C").FF(),
       Pagine({{"A\x9D" "BC", ""}})},
      {"other 34 controls are skipped", Scs().Testo("A").Bytes({0x34, 0x99, 0xC1}).Testo("B").FF(),
       Pagine({{"AB", ""}})},
      {"text is converted through the table", Scs().Testo("Citt" + e_grave + " 1,50%").FF(),
       Pagine({{"Citt" + e_grave + " 1,50%", ""}})},
      {"a tag goes to the command file and takes no column",
       Scs().Testo("A").NL().Testo("B{TP=800}C").FF(), Pagine({{"A\nBC", "{TP=800}"}})},
      {"an image tag names a file under the program folder",
       Scs().Testo("X").NL().NL().Testo("{VA=\\Lgo\\a.bmp}").FF(),
       Pagine({{"X\n\n", "{rc=002}\n{VA=/prog/Lgo\\a.bmp}"}})},
      {"a line end inside a tag still acts on the page", Scs().Testo("{FN=A").NL().Testo("rial}X").FF(),
       Pagine({{"\nX", "{FN=Arial}"}})},
      {"a control byte inside a tag reaches the command file", Scs().Testo("{TX=a").Byte(0x06).Testo("}").FF(),
       Pagine({{"", "{TX=a\x9D}"}})},
      {"no final form feed", Scs().Testo("A").NL().Testo("B"), Pagine({{"A\nB", ""}})},
      {"text after the last form feed gets a page", Scs().Testo("A").NL().FF().Testo("B"),
       Pagine({{"A\n", ""}, {"B", ""}})},
      {"a control cut off by the end of the data ends it", Scs().Testo("A").NL().Testo("B").Bytes({0x34, 0xC4}),
       Pagine({{"A\nB", ""}})},
      {"columns past 378 are dropped", Scs().Testo(std::string(380, 'x')).FF(),
       Pagine({{std::string(378, 'x'), ""}})},
      {"a closing brace outside a tag is text", Scs().Testo("a}b").FF(), Pagine({{"a}b", ""}})},
  };
  for (auto& c : casi) {
    auto e = Corsa(c.scs.dati);
    EXPECT_TRUE(e.ok) << c.nome;
    EXPECT_EQ(e.pagine, c.attese) << c.nome;
    EXPECT_EQ(e.richieste, std::vector<int32_t>{0}) << c.nome;
  }
}

TEST_F(Interprete, CopySelectorMarksTheSpoolFile) {
  EXPECT_TRUE(Corsa(Scs().Testo("{CP=3}A").FF().dati).dipendente);
  EXPECT_FALSE(Corsa(Scs().Testo("{CP=12}A").FF().dati).dipendente);
}

TEST_F(Interprete, StopsAtTheLastPageOfTheRange) {
  // Pages 1 and 2 fill most of the first block; page 3 starts with a line
  // end inside it, so nothing after it is fetched.
  Scs s;
  for (int p = 1; p <= 2; ++p) {
    for (int r = 0; r < 50; ++r) s.Testo(std::string(79, static_cast<char>('0' + p))).NL();
    s.FF();
  }
  s.NL();
  while (s.Lunghezza() < 30000) s.Testo("page three and after").NL();
  auto e = Corsa(s.dati, 2);
  EXPECT_TRUE(e.ok);
  EXPECT_EQ(e.pagine.size(), 2u);
  EXPECT_EQ(e.richieste, std::vector<int32_t>{0});

  // An upward move on the last page ends the run at once.
  e = Corsa(Scs().Testo("A").NL().AVPP(1).Testo("B").FF().dati, 1);
  EXPECT_TRUE(e.ok);
  EXPECT_EQ(e.pagine, Pagine({{"A\n", ""}}));

  // Text after the last form feed gets no page past the range.
  e = Corsa(Scs().Testo("A").NL().FF().Testo("B").dati, 1);
  EXPECT_EQ(e.pagine, Pagine({{"A\n", ""}}));
}

TEST_F(Interprete, ControlsNearTheBlockEndAreFetchedAgainFromTheirFirstByte) {
  // A 2B control that starts after position 8122 and a 34 control after
  // position 8183 are asked for again; the pages equal those of one block.
  auto riempi = [](Scs& s, size_t fino) {
    while (s.Lunghezza() + 81 <= fino) s.Testo(std::string(80, 'r')).NL();
    while (s.Lunghezza() < fino) s.Testo("s");
  };
  Scs a;
  riempi(a, 8123);
  a.SLD(6).Testo("A").RVPP(4).Testo("B").FF();
  auto e = Corsa(a.dati);
  EXPECT_EQ(e.richieste, (std::vector<int32_t>{0, 8123}));
  auto intero = Corsa(a.dati, 9999, 1 << 20);
  EXPECT_EQ(e.pagine, intero.pagine);
  EXPECT_EQ(e.byte_ricevuti, static_cast<int32_t>(a.Lunghezza()));

  Scs b;
  riempi(b, 8184);
  b.AVPP(60).Testo("Z").FF();
  e = Corsa(b.dati);
  EXPECT_EQ(e.richieste, (std::vector<int32_t>{0, 8184}));
  EXPECT_EQ(e.pagine, Corsa(b.dati, 9999, 1 << 20).pagine);

  // A 2B control whose data runs past a full block carries on after it.
  Scs c;
  riempi(c, 8100);
  c.Controllo(0xD1, std::vector<uint8_t>(200, 0xC1)).Testo("after").FF();
  e = Corsa(c.dati);
  EXPECT_EQ(e.richieste, (std::vector<int32_t>{0, 8303}));
  EXPECT_EQ(e.pagine, Corsa(c.dati, 9999, 1 << 20).pagine);
  EXPECT_EQ(e.byte_ricevuti, static_cast<int32_t>(c.Lunghezza()));
}

TEST_F(Interprete, SameStreamInAnyBlockSizeGivesTheSamePages) {
  Scs s;
  s.SLD(4);
  for (int p = 0; p < 6; ++p) {
    s.AVPP(2).AHPP(10).Testo("Fattura n. " + std::to_string(p)).RHPP(5).Testo("{CP=2}{TP=800}");
    s.Controllo(0xD2, {0x04, 0x29, 0x00, 0x01}).RVPP(8).Testo("Totale").CR().Testo("      ____").NL();
    s.Testo("{VA=\\Lgo\\logo.bmp}").AVPP(30).Byte(0x05).Testo("fine pagina").FF();
  }
  s.Testo("coda senza salto pagina");
  auto riferimento = Corsa(s.dati, 9999, 1 << 20);
  ASSERT_EQ(riferimento.pagine.size(), 7u);
  for (int32_t blocco : {4, 5, 6, 7, 8, 9, 10, 13, 17, 31, 64, 100, 257, 1000}) {
    auto e = Corsa(s.dati, 9999, blocco);
    EXPECT_TRUE(e.ok) << blocco;
    EXPECT_EQ(e.pagine, riferimento.pagine) << "blocks of " << blocco;
    EXPECT_EQ(e.byte_ricevuti, static_cast<int32_t>(s.Lunghezza())) << blocco;
  }
}

TEST_F(Interprete, TagThatNeverClosesIsLoggedOnce) {
  auto e = Corsa(Scs().Testo("A{VA=x").NL().Testo("lost").NL().FF().Testo("{more").dati);
  EXPECT_TRUE(e.ok);
  EXPECT_EQ(e.pagine, Pagine({{"A\n\n", ""}}));
  ASSERT_EQ(e.registro.size(), 1u);
  EXPECT_EQ(e.registro[0].rfind("[Spool_Dati] Tag non chiuso: {VA=xlost", 0), 0u) << e.registro[0];
}

TEST_F(Interprete, ProgressRowShowsTheBytesReceived) {
  Scs s;
  while (s.Lunghezza() < 20000) s.Testo(std::string(99, 'p')).NL();
  auto e = Corsa(s.dati);
  EXPECT_EQ(e.richieste, (std::vector<int32_t>{0, 8186, 16372}));
  EXPECT_EQ(quadro_.Valore(Pannello::Riga_Dati), " 20.000 / 20.000");
  EXPECT_DOUBLE_EQ(quadro_.Barra_Larghezza(Pannello::Riga_Dati), 126);
}

namespace {

class Sorgente_Guasta : public Sorgente_Dati {
 public:
  explicit Sorgente_Guasta(Esito e, bool vuoto = false) : esito_(e), vuoto_(vuoto) {}
  Esito Blocco(int32_t, std::span<const uint8_t>& b) override {
    if (vuoto_) b = {};
    return esito_;
  }

 private:
  Esito esito_;
  bool vuoto_;
};

}  // namespace

TEST_F(Interprete, TransferFailuresAreLoggedAndDropTheConnection) {
  struct Caso {
    Sorgente_Dati::Esito esito;
    bool vuoto;
    const char* messaggio;
  } casi[] = {
      {Sorgente_Dati::Esito::Errore_Intestazione, false, "[Spool_Get] Errore Sock_Read {G}(1)"},
      {Sorgente_Dati::Esito::Rifiutato, false, "[Spool_Get] Errore Esito {G}"},
      {Sorgente_Dati::Esito::Errore_Corpo, false, "[Spool_Get] Errore Sock_Read {G}(2)"},
      {Sorgente_Dati::Esito::Ok, true, "[Spool_Get] Errore Sock_Read {G}(2)"},
  };
  for (const auto& c : casi) {
    Pagine_Spool pagine;
    Pagine_Spool::Impostazioni cfg;
    cfg.Cartella_TmpS = dir_.Testo();
    pagine.Avvia(cfg);
    Interprete_SCS scs(pagine);
    std::vector<std::string> registro;
    int scollegamenti = 0;
    scs.Registro = [&](const std::string& r) { registro.push_back(r); };
    scs.Guasto = [&](const std::string& r) {
      registro.push_back(r);
      ++scollegamenti;
    };
    Sorgente_Guasta sorgente(c.esito, c.vuoto);
    EXPECT_FALSE(scs.Spool_Dati(sorgente, Tabella_Ebcdic::IBM280().ansi, 100, 9999));
    EXPECT_EQ(registro, std::vector<std::string>{c.messaggio});
    EXPECT_EQ(scollegamenti, 1);
  }
}
