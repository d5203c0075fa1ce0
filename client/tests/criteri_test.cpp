// The search form model and the checks of the criteria, without a host.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/client/criteri.h"
#include "qod/client/elenco.h"
#include "qod/client/ricerca.h"

using namespace qod;

namespace {

// The host codes the range checks need, as a standard EBCDIC table has
// them: letters below digits.
std::array<uint8_t, 256> Inversa() {
  std::array<uint8_t, 256> t{};
  t[' '] = 0x40;
  for (int i = 0; i < 9; ++i) t['A' + i] = static_cast<uint8_t>(0xC1 + i), t['J' + i] = static_cast<uint8_t>(0xD1 + i);
  for (int i = 0; i < 8; ++i) t['S' + i] = static_cast<uint8_t>(0xE2 + i);
  for (int i = 0; i < 10; ++i) t['0' + i] = static_cast<uint8_t>(0xF0 + i);
  return t;
}

// A form with one key of `tipo` and `larghezza` under `operatore`.
Modello_Ricerca Una_Chiave(const std::string& tipo, int32_t larghezza, const std::string& operatore = "2",
                           bool maiuscolo = true) {
  Modello_Ricerca m;
  m.Ricerche_Maiuscolo = maiuscolo;
  m.Chiavi_Numero = 1;
  m.Chiave_Campo[1] = 14;
  m.Chiave_Tipo[1] = tipo;
  m.Chiave_Lunghezza[1] = larghezza;
  m.Chiave_Operatore[1] = operatore;
  m.Chiave_Posizione[1] = 1;
  m.Chiave_Posizione[2] = 1 + larghezza;
  m.txtDa[1].Visibile = true;
  m.txtDa[9].Visibile = operatore == "2";
  return m;
}

// Runs `prova` under C.UTF-8 and under it_IT.UTF-8 (process locale and the
// C++ global locale), so that nothing read or written follows the locale.
template <typename F>
void In_Ogni_Locale(F prova) {
  const std::string prima = std::setlocale(LC_ALL, nullptr);
  for (const char* nome : {"C.UTF-8", "it_IT.UTF-8"}) {
    SCOPED_TRACE(nome);
    if (!std::setlocale(LC_ALL, nome)) {
      ADD_FAILURE() << "locale " << nome << " missing";
      continue;
    }
    std::locale::global(std::locale(nome));
    prova();
  }
  std::setlocale(LC_ALL, prima.c_str());
  std::locale::global(std::locale::classic());
}

}  // namespace

TEST(SearchCriteria, OneBoxByType) {
  struct Caso {
    const char* tipo;
    int32_t larghezza;
    std::string testo;
    bool valida;
    std::string dopo;  // the box after the check
  };
  const Caso casi[] = {
      {"N", 5, "12345", true, "12345"},
      {"N", 5, "123456", false, "123456"},
      {"N", 5, "12.5", false, "12.5"},
      {"N", 5, "1,000", false, "1,000"},
      {"N", 5, "-3", false, "-3"},
      {"N", 5, "+3", false, "+3"},
      {"N", 5, "3-", false, "3-"},
      {"N", 5, " 42 ", true, " 42 "},
      {"N", 5, "abc", false, "abc"},
      {"N", 5, "", true, ""},
      {"N", 5, "00012345", true, "00012345"},  // leading zeros take no room
      {"N", 5, "1e3", true, "1e3"},      // an exponent is a number: 1000
      {"N", 5, "1e999", false, "1e999"},  // beyond any number
      {"N", 3, "9D400", false, "9D400"},
      {"A", 3, "abc", true, "ABC"},
      {"A", 3, "abcd", false, "ABCD"},
      {"A", 3, "ab   ", true, "AB   "},
      {"A", 3, A("più"), true, A("PIÙ")},
      {"D", 8, "1/2/2015", true, "01/02/2015"},
      {"D", 8, "31/02/2015", false, "31/02/2015"},
      {"D", 8, "29/02/2016", true, "29/02/2016"},
      {"D", 8, "29/02/2100", false, "29/02/2100"},
      {"D", 8, "", true, ""},
      {"D", 8, "   ", true, "   "},
      {"D", 8, "01/02/2015", true, "01/02/2015"},  // a second check changes nothing
      {"D", 8, " 5/11/15 ", true, "05/11/2015"},
      {"D", 8, "5/11/70", true, "05/11/1970"},
      {"D", 8, "5/11/69", true, "05/11/2069"},
      {"D", 8, "5/11/201", false, "5/11/201"},
      {"D", 8, "2015-02-01", false, "2015-02-01"},
      {"D", 8, "02.01.2015", false, "02.01.2015"},
      {"D", 8, "1/13/2015", false, "1/13/2015"},
      {"D", 8, "01/02/2015 08.05.00", true, "01/02/2015"},
      {"Z", 14, "01/02/2015 8:05:00", true, "01/02/2015 08.05.00"},
      {"Z", 14, "01/02/2015 08.05.00", true, "01/02/2015 08.05.00"},
      {"Z", 14, "1/2/2015 23.59", true, "01/02/2015 23.59.00"},
      {"Z", 14, "1/2/2015", true, "01/02/2015 00.00.00"},
      {"Z", 14, "1/2/2015 24.00.00", false, "1/2/2015 24.00.00"},
      {"Z", 14, "1/2/2015 10.60", false, "1/2/2015 10.60"},
      {"Z", 14, "1/2/2015 10.", false, "1/2/2015 10."},
      {"Z", 14, "", true, ""},
      {"X", 4, "anything at all", true, "anything at all"},  // no check for other types
  };
  In_Ogni_Locale([&] {
    for (const auto& c : casi) {
      SCOPED_TRACE(std::string(c.tipo) + " '" + c.testo + "'");
      Modello_Ricerca m = Una_Chiave(c.tipo, c.larghezza, "3");
      m.txtDa[1].Testo = c.testo;
      EXPECT_EQ(Spool_Filtro(m, 1, Inversa()), !c.valida);
      EXPECT_EQ(m.txtDa[1].Testo, c.dopo);
      EXPECT_EQ(m.txtDa[1].Colore, c.valida ? Colore_Casella::Valida : Colore_Casella::Non_Valida);
      EXPECT_EQ(m.Casella_Focus, c.valida ? 0 : 1);
    }
  });
}

TEST(SearchCriteria, TextIsUpperCasedOnlyWhenAsked) {
  Modello_Ricerca m = Una_Chiave("A", 3, "3", false);
  m.txtDa[1].Testo = "abc";
  EXPECT_FALSE(Spool_Filtro(m, 1, Inversa()));
  EXPECT_EQ(m.txtDa[1].Testo, "abc");
}

TEST(SearchCriteria, RangesChecked) {
  struct Caso {
    const char* tipo;
    const char* da;
    const char* a;
    bool valido;
  };
  const Caso casi[] = {
      {"A", "AB", "A", false},  // to is a beginning of from
      {"A", "A", "AB", true},
      {"A", "A1", "AB", false},  // host order: letters before digits
      {"A", "AB", "A1", true},
      {"A", "ab", "AC", true},  // both upper-cased first
      {"A", "", "", true},
      {"N", "10", "", false},  // an empty to counts as 0
      {"N", "", "5", true},
      {"N", "0", "", true},
      {"N", "9", "10", true},  // by value, not as text
      {"D", "02/01/2015", "01/02/2015", true},
      {"D", "01/02/2015", "02/01/2015", false},
      {"D", "01/02/2015", "", false},
      {"D", "", "01/02/2015", true},
      {"D", "1/2/15", "01/02/2015", true},  // both normalised before the comparison
      {"Z", "01/02/2015 10.00.00", "01/02/2015 09.59.59", false},
      {"Z", "01/02/2015 10.00.00", "01/02/2015 10.00.00", true},
  };
  In_Ogni_Locale([&] {
    for (const auto& c : casi) {
      SCOPED_TRACE(std::string(c.tipo) + " '" + c.da + "'..'" + c.a + "'");
      Modello_Ricerca m = Una_Chiave(c.tipo, 19);
      m.txtDa[1].Testo = c.da;
      m.txtDa[9].Testo = c.a;
      EXPECT_EQ(Criteri_Controlla(m, Inversa()), c.valido);
      const Colore_Casella atteso = c.valido ? Colore_Casella::Valida : Colore_Casella::Non_Valida;
      EXPECT_EQ(m.txtDa[1].Colore, atteso);
      EXPECT_EQ(m.txtDa[9].Colore, atteso);
      EXPECT_EQ(m.Casella_Focus, 0);  // a bad range moves no focus
    }
  });
}

TEST(SearchCriteria, BadFromBoxIsReportedBeforeTheRange) {
  Modello_Ricerca m = Una_Chiave("D", 8);
  m.txtDa[1].Testo = "31/02/2015";
  m.txtDa[9].Testo = "not a date";
  EXPECT_FALSE(Criteri_Controlla(m, Inversa()));
  EXPECT_EQ(m.txtDa[1].Colore, Colore_Casella::Non_Valida);
  EXPECT_EQ(m.Casella_Focus, 1);
  EXPECT_EQ(m.txtDa[9].Colore, Colore_Casella::Valida);  // not looked at
  EXPECT_EQ(m.txtDa[9].Testo, "not a date");

  // Fixed: the to-box alone is bad and takes the focus; a box marked
  // earlier is cleared by its next check.
  m.txtDa[1].Testo = "28/02/2015";
  EXPECT_FALSE(Criteri_Controlla(m, Inversa()));
  EXPECT_EQ(m.txtDa[1].Colore, Colore_Casella::Valida);
  EXPECT_EQ(m.txtDa[9].Colore, Colore_Casella::Non_Valida);
  EXPECT_EQ(m.Casella_Focus, 9);
}

TEST(SearchCriteria, LockedBoxTakesTheLockedColour) {
  Modello_Ricerca m = Una_Chiave("A", 20, "4");
  m.txtDa[1].Bloccata = true;
  m.txtDa[1].Testo = "FISSO               ";
  EXPECT_TRUE(Criteri_Controlla(m, Inversa()));
  EXPECT_EQ(m.txtDa[1].Colore, Colore_Casella::Bloccata);
}

// ---- The form from a definition ----------------------------------------------

namespace {

// A dictionary of fields 1..5: A10, N6, D8, Z14, A20 (start columns 1, 11, 17, 25, 39).
Dizionario_Campi Dizionario_Piccolo() {
  Dizionario_Campi d;
  const struct {
    int32_t larghezza;
    const char *tipo, *etichetta, *intestazione;
  } campi[] = {{10, "A", "Cliente", "Cli."}, {6, "N", "Numero", "Num."}, {8, "D", "Data", "Data"},
               {14, "Z", "Archiviato", "Arch."}, {20, "A", "Coda", "Coda"}};
  d.Inizio[1] = 1;
  for (const auto& c : campi) {
    ++d.Numero;
    d.Larghezza[d.Numero] = c.larghezza;
    d.Tipo[d.Numero] = c.tipo;
    d.Etichetta[d.Numero] = c.etichetta;
    d.Intestazione[d.Numero] = c.intestazione;
    d.Inizio[d.Numero + 1] = d.Inizio[d.Numero] + c.larghezza;
  }
  return d;
}

// A 279-column definition: keys (2 digits each), operators, fixed values, columns.
std::string Definizione(const std::string& chiavi, const std::string& operatori, const std::string& fissi,
                        const std::string& colonne) {
  return " " + Space(22) + Testo_Largo("Prova", 20) + Testo_Largo(chiavi, 16) + Space(8) + Testo_Largo(operatori, 8) +
         Testo_Largo(fissi, 160) + Testo_Largo(colonne, 36) + Space(8);
}

}  // namespace

TEST(SearchForm, RangeKeyAndFixedValueKey) {
  const Dizionario_Campi d = Dizionario_Piccolo();
  Modello_Ricerca m;
  m.txtDa[3].Testo = "left over";
  Definizione_Applica(m, 7, Definizione("0105", "24", Space(20) + "  FISSO             ", "030105"), d);
  EXPECT_EQ(m.Ricerca_Scelta, "07");
  EXPECT_EQ(m.Chiavi_Numero, 2);
  EXPECT_EQ(m.Etichetta_Chiave[1], "Cliente");
  EXPECT_EQ(m.Didascalia[1], "da");
  EXPECT_EQ(m.Didascalia[9], "a");
  EXPECT_TRUE(m.txtDa[1].Visibile && m.txtDa[9].Visibile);
  EXPECT_EQ(m.Didascalia[2], "uguale a");
  EXPECT_TRUE(m.txtDa[2].Visibile && m.txtDa[2].Bloccata);
  EXPECT_EQ(m.txtDa[2].Testo, "  FISSO             ");  // untrimmed
  EXPECT_FALSE(m.txtDa[10].Visibile);
  EXPECT_EQ(m.txtDa[3].Testo, "");
  EXPECT_FALSE(m.txtDa[3].Visibile);
  EXPECT_EQ(m.Chiave_Posizione[1], 1);
  EXPECT_EQ(m.Chiave_Posizione[2], 11);
  EXPECT_EQ(m.Chiave_Posizione[3], 31);
  ASSERT_EQ(m.Colonne_Numero, 3);
  EXPECT_EQ(m.Colonna_Campo[1], 3);
  EXPECT_EQ(m.Colonna_Campo[2], 1);
  EXPECT_EQ(m.Colonna_Campo[3], 5);
  EXPECT_EQ(Colonna_Intestazione(m, d, 1), "Data");
}

TEST(SearchForm, UnknownFieldsAndGapsMakeNoKeyAndKeepPlaces) {
  const Dizionario_Campi d = Dizionario_Piccolo();
  Modello_Ricerca m;
  Definizione_Applica(m, 1, Definizione("01", "3", "", "01"), d);
  // Key 1 unused, key 2 beyond the dictionary, key 3 field 2; a column of
  // field 0 and one of field 99 stay empty.
  Definizione_Applica(m, 2, Definizione("009902", "339", "", "009902"), d);
  EXPECT_EQ(m.Chiave_Campo[1], 0);
  EXPECT_EQ(m.Chiave_Tipo[1], "");
  EXPECT_EQ(m.Chiave_Campo[2], 0);
  EXPECT_EQ(m.Chiavi_Numero, 3);
  EXPECT_EQ(m.Chiave_Posizione[3], 1);
  EXPECT_EQ(m.Chiave_Posizione[4], 7);
  EXPECT_EQ(m.Etichetta_Chiave[3], "Numero");
  EXPECT_EQ(m.Didascalia[3], "");  // operator "9": the label only
  EXPECT_FALSE(m.txtDa[3].Visibile);
  EXPECT_FALSE(m.txtDa[1].Visibile);
  EXPECT_EQ(Colonna_Intestazione(m, d, 1), "");
  EXPECT_EQ(Colonna_Intestazione(m, d, 3), "Num.");
  // The query carries the unused keys with no field.
  const std::string q = Record_Q_Corpo(m, d);
  EXPECT_EQ(q.size(), 107u + 2 * 6);
  EXPECT_EQ(Mid(q, 1, 8), "  9     ");
  EXPECT_EQ(Mid(q, 57, 15), "000000000000011");
}

TEST(SearchForm, UnreadOrHiddenDefinitionLeavesAnEmptyForm) {
  const Dizionario_Campi d = Dizionario_Piccolo();
  for (const std::string& testo : {std::string(), "A" + Definizione("01", "3", "", "01").substr(1)}) {
    Modello_Ricerca m;
    Definizione_Applica(m, 1, Definizione("0102", "33", "", "0102"), d);
    Definizione_Applica(m, 4, testo, d);
    EXPECT_EQ(m.Ricerca_Scelta, "04");
    EXPECT_EQ(m.Chiavi_Numero, 0);
    EXPECT_EQ(m.Colonne_Numero, 0);
    EXPECT_FALSE(m.txtDa[1].Visibile);
    EXPECT_EQ(m.Definizione, Space(279));
  }
}

TEST(SearchForm, ColumnCountHalvesToEven) {
  const Dizionario_Campi d = Dizionario_Piccolo();
  const struct {
    const char* colonne;
    int32_t numero;
  } casi[] = {{"", 0}, {"0", 0}, {"01", 1}, {"010", 2}, {"01020", 2}, {"0102030", 4}};
  for (const auto& c : casi) {
    Modello_Ricerca m;
    Definizione_Applica(m, 1, Definizione("", "", "", c.colonne), d);
    EXPECT_EQ(m.Colonne_Numero, c.numero) << c.colonne;
  }
}

TEST(ResultList, CellTextByType) {
  const struct {
    const char *tipo, *valore, *testo;
  } casi[] = {
      {"A", "ROSSI  ", "ROSSI  "},
      {"N", "000001234567", "1.234.567"},
      {"N", "000000000000", "0"},
      {"N", "        ", "0"},
      {"D", "20150201", "01/02/2015"},
      {"Z", "20150131235959", "31/01/2015 23.59.59"},
      {"X", "whatever", ""},
  };
  In_Ogni_Locale([&] {
    for (const auto& c : casi) EXPECT_EQ(Cella_Testo(c.tipo, c.valore), c.testo) << c.tipo << " " << c.valore;
  });
}

TEST(ResultList, KeyValueByType) {
  const struct {
    const char* tipo;
    int32_t larghezza;
    const char *testo, *valore;
  } casi[] = {
      {"A", 10, "ROSSI", "ROSSI     "},
      {"A", 3, "ROSSI", "ROS"},
      {"N", 6, "1234", "001234"},
      {"N", 6, " 42 ", "000042"},
      {"N", 3, "1234", "234"},
      {"N", 4, "", "0000"},
      {"D", 8, "01/02/2015", "20150201"},
      {"D", 6, "01/02/2015", "201502"},
      {"D", 8, "", ""},
      {"Z", 14, "31/01/2015 23.59.59", "20150131235959"},
      {"X", 5, "abc", ""},
  };
  for (const auto& c : casi)
    EXPECT_EQ(Valore_Chiave(c.tipo, c.larghezza, c.testo), c.valore) << c.tipo << " '" << c.testo << "'";
}
