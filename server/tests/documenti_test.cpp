// The documents of the pages rendered and the field values of the mail and
// XML outputs: document starts and page numbers, the template counters, the
// compaction, the XML field values and the template lines.
#include <gtest/gtest.h>

#include "qod/prova/strumenti.h"
#include "qod/basic.h"
#include "qod/clock.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "qod/server/documenti.h"

using namespace qod;
using namespace qod::prova;

namespace {

// A group from (name, length, compaction, extraction kind, line, column).
struct Campo {
  const char* nome;
  int32_t lunghezza;
  const char* compattazione;
  const char* tipo = "A";
  int32_t riga = 1;
  int32_t colonna = 1;
  const char* costante = "";
};

Gruppo_Campi Gruppo(std::initializer_list<Campo> campi) {
  Gruppo_Campi g;
  for (const auto& c : campi) {
    Campo_Definizione d;
    d.Nome = c.nome;
    d.Lunghezza = c.lunghezza;
    d.Compattazione = c.compattazione;
    d.Tipo = c.tipo;
    d.Riga = c.riga;
    d.Colonna = c.colonna;
    d.Costante = c.costante;
    g.Aggiungi(d);
  }
  return g;
}

// Tables of documents whose page counts are given (keys D1, D2, ...).
Tabelle_Pagine Documenti(std::initializer_list<int> pagine) {
  Tabelle_Pagine t;
  int d = 0;
  for (int n : pagine) {
    ++d;
    for (int j = 1; j <= n; ++j) {
      t.Chiave_Documento.push_back("D" + std::to_string(d));
      t.Pagina_Documento.push_back(j);
      for (int g = 1; g <= kGruppi; ++g) t.Valori_Gruppo[static_cast<size_t>(g)].push_back("");
    }
  }
  return t;
}

class Documenti_Base : public ::testing::Test {
 protected:
  void SetUp() override {
    base_.File_INI = dir_.Testo() + "Qod_S.INI";
    base_.File_LOG = dir_.Testo() + "Qod_S.LOG";
  }
  Cartella_Prova dir_;
  FakeClock orologio_{DateTime::Da(2026, 3, 7, 9, 5, 4)};
  RecordingMessageSink messaggi_;
  NoPrinters stampanti_;
  Server_Base base_{orologio_, messaggi_, stampanti_};
};

}  // namespace

TEST(Pagine_Rese, DocumentStartsEndsAndPageNumbers) {
  const Tabelle_Pagine t = Documenti({2, 1, 3});
  struct Caso {
    int32_t prima, quante;
    std::vector<int32_t> numeri;
    std::string inizi, fini;  // "x" where a page starts / ends a document
  } casi[] = {
      {1, 6, {1, 2, 1, 1, 2, 3}, "x.xx..", ".xx..x"},
      // A range that starts inside a document starts one there.
      {5, 2, {1, 2}, "x.", ".x"},
      {2, 4, {1, 1, 1, 2}, "xxx.", "xx.x"},
      // The range ends inside a document: its last page ends it.
      {4, 2, {1, 2}, "x.", ".x"},
      {1, 0, {}, "", ""},
      // Pages the tables do not know are documents of their own.
      {6, 3, {1, 1, 1}, "xxx", "xxx"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(std::to_string(c.prima) + "+" + std::to_string(c.quante));
    const auto r = Pagine_Rese(t, c.prima, c.quante);
    std::vector<int32_t> numeri;
    std::string inizi, fini;
    for (size_t i = 0; i < r.size(); ++i) {
      EXPECT_EQ(r[i].Pagina, c.prima + static_cast<int32_t>(i));
      EXPECT_EQ(r[i].Indice, static_cast<int32_t>(i) + 1);
      numeri.push_back(r[i].Numero);
      inizi += r[i].Inizio ? "x" : ".";
      fini += r[i].Fine ? "x" : ".";
    }
    EXPECT_EQ(numeri, c.numeri);
    EXPECT_EQ(inizi, c.inizi);
    EXPECT_EQ(fini, c.fini);
  }
}

TEST_F(Documenti_Base, MailCountersPerDocumentAndPage) {
  Tabelle_Pagine t = Documenti({2, 1, 3});
  Gruppi_Campi g;
  g[1] = Gruppo({{"", 20, "R"}});
  g[2] = Gruppo({{"", 16, "R"}});
  g[3] = Gruppo({{"", 16, "R"}});
  g[4] = Gruppo({{"", 20, "R"}});
  for (int p = 1; p <= 6; ++p) {
    Valore_Gruppo(t, 1, p) = Testo_Largo("L##INDI/##PAGT", 20);
    Valore_Gruppo(t, 2, p) = Testo_Largo("##INDI-##PAGT", 16);
    Valore_Gruppo(t, 3, p) = Testo_Largo("r ##PAGT", 16);
    Valore_Gruppo(t, 4, p) = Testo_Largo("cmd ##INDI x/y", 20);
  }
  base_.Contatore_Documento = 9;
  Spool_Campi(base_, t, g, Pagine_Rese(t, 1, 6));
  const char* attesi[] = {"000001-000001", "000001-000002", "000002-000001",
                          "000003-000001", "000003-000002", "000003-000003"};
  for (int p = 1; p <= 6; ++p) EXPECT_EQ(Valore_Gruppo(t, 2, p), attesi[p - 1]) << p;
  // Group 3 is cleaned too, blanks stay; groups 1 and 4 only on the first
  // page, before any document was counted; the command is not cleaned.
  EXPECT_EQ(Valore_Gruppo(t, 3, 5), "r 000002");
  EXPECT_EQ(Valore_Gruppo(t, 1, 1), "L000000_000000");
  EXPECT_EQ(Valore_Gruppo(t, 4, 1), "cmd 000000 x/y");
  EXPECT_EQ(Valore_Gruppo(t, 1, 2), Testo_Largo("L##INDI/##PAGT", 20));
  EXPECT_EQ(base_.Contatore_Documento, 3);
  EXPECT_EQ(base_.Contatore_Pagina, 3);

  // A range starting on the second page of the first document.
  t = Documenti({2, 1, 3});
  for (int p = 1; p <= 6; ++p) Valore_Gruppo(t, 2, p) = Testo_Largo("##INDI-##PAGT", 16);
  Spool_Campi(base_, t, g, Pagine_Rese(t, 2, 3));
  EXPECT_EQ(Valore_Gruppo(t, 2, 2), "000001-000001");
  EXPECT_EQ(Valore_Gruppo(t, 2, 3), "000002-000001");
  EXPECT_EQ(Valore_Gruppo(t, 2, 4), "000003-000001");
}

TEST_F(Documenti_Base, GroupCompaction) {
  const Gruppo_Campi g = Gruppo({{"", 10, "R"}, {"", 6, "Z"}, {"", 4, " "}});
  struct Caso {
    const char* valore;
    bool pulisci;
    const char* atteso;
  } casi[] = {
      {"##DATA    000120ab  ", true, "260307120ab  "},
      {"a b       000000    ", true, "a b    "},
      {"x:y<z>    100200a/b ", true, "x_y_z_100200a_b "},
      {"x:y       000007c/d ", false, "x:y7c/d "},
  };
  for (const auto& c : casi) EXPECT_EQ(Gruppo_Espandi(base_, c.valore, g, c.pulisci), c.atteso) << c.valore;
}

TEST_F(Documenti_Base, XmlFieldValues) {
  // Field 1 loses characters when compacted; the later fields keep their
  // own values. Fields 3 and 4 come from the host's reply (line 0), field 5
  // is a constant.
  const Gruppo_Campi g = Gruppo({{"NOME", 12, "R"},
                                 {"CITTA", 8, "R"},
                                 {"CODICE", 6, "Z", "A", 0, 3},
                                 {"IMPORTO", 7, "", "N", 0, 10},
                                 {"TIPO", 3, "", "C", 1, 1, "FAT"}});
  const std::string valore = Testo_Largo("Rossi & F.  Roma    ------XXXXXXXFAT", 36);
  EXPECT_EQ(Campi_XML(base_, valore, g, "..000123 1.250,5"),
            (std::vector<std::string>{"Rossi &amp; F.", "Roma", "123", "0012505", "FAT"}));
  // Without data the reply is blank: text fields blank, numbers zeros.
  EXPECT_EQ(Campi_XML(base_, valore, g, Space(4096)),
            (std::vector<std::string>{"Rossi &amp; F.", "Roma", Space(6), "0000000", "FAT"}));
  // "<", ">" and quotes are cleaned to "_"; entities stay as they are.
  EXPECT_EQ(Campi_XML(base_, Testo_Largo("a<b>\"&lt;", 12), Gruppo({{"X", 12, "R"}}), ""),
            (std::vector<std::string>{"a_b__&lt;"}));
}

TEST(Ampersand, OnlyBareAmpersandsAreEscaped) {
  struct Caso {
    const char* in;
    const char* out;
  } casi[] = {
      {"Rossi & Figli", "Rossi &amp; Figli"}, {"&amp;", "&amp;"},   {"&#38;", "&#38;"},
      {"&x", "&amp;x"},                       {"&#;", "&amp;#;"},   {"&;", "&amp;;"},
      {"a&b;c", "a&b;c"},                     {"&", "&amp;"},       {"&&lt;", "&amp;&lt;"},
      {"& nbsp;", "&amp; nbsp;"},             {"", ""},
  };
  for (const auto& c : casi) EXPECT_EQ(Ampersand_Proteggi(c.in), c.out) << c.in;
}

TEST(Modello, FieldNamesReplacedInOrder) {
  const Gruppo_Campi g = Gruppo({{"CLI", 1, "R"}, {"", 1, "R"}, {"IMP", 1, "R"}, {"cod", 1, "R"}});
  const std::vector<std::string> valori = {"Rossi IMP", "VUOTO", "10", "X"};
  struct Caso {
    const char* riga;
    const char* attesa;
  } casi[] = {
      // Only the first occurrence of a name; a value holding a later
      // field's name gets it replaced too.
      {"<c>CLI</c><d>CLI</d>", "<c>Rossi 10</c><d>CLI</d>"},
      {"<i>IMP</i>", "<i>10</i>"},
      // Names are matched with their case; a field without a name does nothing.
      {"<k>COD</k>", "<k>COD</k>"},
      {"<k>cod</k>", "<k>X</k>"},
      {"", ""},
  };
  for (const auto& c : casi) EXPECT_EQ(Modello_Riga(c.riga, g, valori), c.attesa) << c.riga;
}

TEST_F(Documenti_Base, DocumentNamesForFiles) {
  struct Caso {
    const char* chiave;
    const char* nome;
  } casi[] = {
      {"ABC       ", "ABC"}, {"A/B:C D", "A_B_CD"}, {"x\\y*z?\"<>|", "x_y_z_____"}, {"  ", ""},
  };
  for (const auto& c : casi) EXPECT_EQ(Nome_Documento(base_, c.chiave), c.nome) << c.chiave;
  EXPECT_EQ(Nome_In_Cartella("C:\\Out", "A.PDF"), "C:\\Out\\A.PDF");
}
