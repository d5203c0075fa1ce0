// Page files, document layout, field extraction and the tag command writer.
#include <gtest/gtest.h>

#include "qod/prova/strumenti.h"
#include "record_test.h"
#include "qod/basic.h"
#include "qod/server/pagine.h"

using namespace qod;
using namespace qod::test;
using namespace qod::prova;

namespace {

Campo_Definizione Campo(int riga, int colonna, int lunghezza, const char* tipo, const char* costante = "") {
  Campo_Definizione c;
  c.Riga = riga;
  c.Riga_Fine = riga;
  c.Colonna = colonna;
  c.Lunghezza = lunghezza;
  c.Tipo = tipo;
  c.Costante = costante;
  return c;
}

class Layout : public ::testing::Test {
 protected:
  void SetUp() override {
    formato_.Azzera();
    for (auto& g : gruppi_) g.Azzera();
    dizionario_ = Dizionario_Prova();
    modello_ = Modello_Prova();
    cfg_.Cartella_TmpS = dir_.Testo();
    cfg_.Cartella_Programma = "/prog/";
    cfg_.Indice_Server = 1;
    cfg_.Tabelle = true;
    cfg_.Formato = &formato_;
    cfg_.Gruppi_Definiti = &gruppi_;
    cfg_.Dizionario = &dizionario_;
    cfg_.Modello_Archivio = &modello_;
    pagine_.Registro = [&](const std::string& r) { registro_.push_back(r); };
    pagine_.Errore = [&](const std::string& r) { errori_.push_back(r); };
  }

  void Chiave(int n, Campo_Definizione c) {
    formato_.Chiave[static_cast<size_t>(n)] = c;
    formato_.E[static_cast<size_t>(n)] = formato_.E[static_cast<size_t>(n - 1)] + c.Lunghezza;
    formato_.Numero_Chiavi = n;
  }
  void Indice(int n, Campo_Definizione c) {
    formato_.Indice[static_cast<size_t>(n)] = c;
    formato_.Numero_Indici = n;
  }

  // One page as the interpreter writes it, line by line.
  void Pagina(const std::vector<std::string>& righe) {
    pagine_.Pagina_Apri();
    for (const auto& r : righe) {
      pagine_.Buffer_Riga = Testo_Largo(r, kLarghezza_Riga);
      pagine_.Riga_Scrivi();
      pagine_.Riga += 1;
    }
    pagine_.Pagina_Chiudi();
  }

  std::string Comandi(int p) { return File_Leggi(File_Comandi(dir_.Testo(), 1, p)); }

  Cartella_Prova dir_;
  Definizione_Formato formato_;
  Gruppi_Campi gruppi_;
  Dizionario_Campi dizionario_;
  std::string modello_;
  Pagine_Spool::Impostazioni cfg_;
  Pagine_Spool pagine_;
  std::vector<std::string> registro_, errori_;
};

}  // namespace

TEST(Campi, ConversionsOfCutValues) {
  struct Caso {
    const char* valore;
    const char* tipo;
    int lunghezza;
    const char* atteso;
  } casi[] = {
      {"1.234,50", "N", 8, "00123450"},  // separators dropped, not read as a decimal point
      {"12   ", "N", 5, "12000"},        // blanks read as zeros
      {"  abc", "N", 4, "0000"},
      {"98765432101234", "N", 14, "98765432101234"},
      {"010569", "1", 0, "20690501"},
      {"010571", "1", 0, "19710501"},
      {"03072026", "2", 0, "20260703"},
      {"0769", "3", 0, "20690701"},
      {"072026", "4", 0, "20260701"},
      {"31/12/99", "5", 0, "19991231"},
      {"31.12.2026", "6", 0, "20261231"},
      {"12-70", "7", 0, "19701201"},
      {"12/2026", "8", 0, "20261201"},
      {" 1 5 9", "1", 0, "20090501"},  // blanks of the result become zeros
      {"Rossi", "A", 5, "Rossi"},
      {" as is ", "Q", 7, " as is "},
  };
  for (const auto& c : casi)
    EXPECT_EQ(Valore_Converti(c.valore, c.tipo, c.lunghezza), c.atteso) << c.valore << " " << c.tipo;

  const std::string riga = "Fatt. 0012 del 07/03/26  tot.   1.250,00";
  EXPECT_EQ(Campo_Estrai(riga, 1, 7, 4, "A", "R", ""), "0012");
  EXPECT_EQ(Campo_Estrai(riga, 1, 33, 8, "N", "Z", ""), "00125000");
  EXPECT_EQ(Campo_Estrai(riga, 1, 0, 4, "A", "", ""), "");
  EXPECT_EQ(Campo_Estrai(riga, 1, 7, 3, "C", "", "COSTANTE"), "COS");
}

TEST_F(Layout, PagesWithEqualKeysFormOneDocument) {
  Chiave(1, Campo(2, 1, 6, "A"));
  Chiave(2, Campo(0, 0, 4, "C", "ABCDEFG"));  // a constant longer than its field is cut
  pagine_.Avvia(cfg_);
  Pagina({"Fattura", "INV001  x"});
  Pagina({"Fattura", "INV001  y"});
  Pagina({"Fattura", "INV002"});
  Pagina({"", ""});
  Pagina({"", ""});
  EXPECT_EQ(pagine_.Tabelle.Chiave_Documento,
            (std::vector<std::string>{"", "INV001ABCD", "INV001ABCD", "INV002ABCD", "      ABCD", "      ABCD"}));
  EXPECT_EQ(pagine_.Tabelle.Pagina_Documento, (std::vector<int32_t>{0, 1, 2, 1, 1, 2}));
  EXPECT_EQ(File_Leggi(File_Testo(dir_.Testo(), 1, 2)), "Fattura\r\nINV001  y\r\n");
  EXPECT_TRUE(registro_.empty());
}

TEST_F(Layout, ArchiveFieldsTakeTheirDictionaryEntryForm) {
  Indice(1, Campo(1, 9, 8, "N"));               // entry 14, "N" 8
  Indice(2, Campo(1, 1, 8, "A"));               // entry 15, "A" 20: padded
  Indice(3, Campo(2, 1, 6, "1"));               // entry 16, "D" 8
  Indice(4, Campo(3, 1, 14, "A"));              // entry 17, "Z" 14: no overflow
  pagine_.Avvia(cfg_);
  Pagina({"Rossi sp1.234,50", "010569", "20260307101500"});
  EXPECT_EQ(pagine_.Tabelle.Dati_Archivio[1], "00123450Rossi sp            2069050120260307101500");
  // Blank lines: zeros, blanks, and a blank date reads as the year 2000.
  Pagina({"", "", ""});
  EXPECT_EQ(pagine_.Tabelle.Dati_Archivio[2], "00000000" + std::string(20, ' ') + "20000000" + std::string(14, '0'));
}

TEST_F(Layout, ArchiveFieldWithoutDictionaryEntryIsSkippedAndLoggedOnce) {
  Indice(5, Campo(1, 1, 3, "A"));  // entry 18 does not exist
  pagine_.Avvia(cfg_);
  Pagina({"abc"});
  Pagina({"def"});
  EXPECT_EQ(pagine_.Tabelle.Dati_Archivio[1], modello_);
  EXPECT_EQ(registro_, std::vector<std::string>{"[Riga_Scrivi] Campo di archivio 5 senza voce nel dizionario"});
}

TEST_F(Layout, GroupValuesAreCutSideBySide) {
  Campo_Definizione numero = Campo(1, 5, 5, "N");
  gruppi_[1].Aggiungi(numero);
  gruppi_[1].Aggiungi(Campo(0, 0, 3, "C", "XYZW"));
  gruppi_[3].Aggiungi(Campo(2, 1, 4, "A"));
  cfg_.Gruppi = true;
  pagine_.Avvia(cfg_);
  Pagina({"num:12   ", "mail"});
  EXPECT_EQ(pagine_.Tabelle.Valori_Gruppo[1], (std::vector<std::string>{"", "12000XYZ"}));
  EXPECT_EQ(pagine_.Tabelle.Valori_Gruppo[2], (std::vector<std::string>{"", ""}));
  EXPECT_EQ(pagine_.Tabelle.Valori_Gruppo[3], (std::vector<std::string>{"", "mail"}));
}

TEST_F(Layout, NoTablesWhenNeitherArchiveNorSave) {
  Chiave(1, Campo(1, 1, 3, "A"));
  cfg_.Tabelle = false;
  pagine_.Avvia(cfg_);
  Pagina({"abc"});
  EXPECT_EQ(pagine_.Tabelle.Chiave_Documento.size(), 1u);
  EXPECT_EQ(pagine_.Tabelle.Dati_Archivio.size(), 1u);
  EXPECT_EQ(File_Leggi(File_Testo(dir_.Testo(), 1, 1)), "abc\r\n");
}

TEST_F(Layout, ConstantTextRowsWriteTheirTags) {
  Campo_Definizione c = Campo(4, 0, 0, "C", "  {TP=800} {FN=Arial}tail without brace");
  c.Riga_Fine = 6;
  formato_.Costanti.push_back(c);
  Campo_Definizione v = Campo(5, 11, 20, "A", "{TP=800}{FN=Arial}{CO=10}");
  formato_.Costanti.push_back(v);
  Campo_Definizione nessuna = Campo(2, 0, 0, "C", "no brace at all");
  formato_.Costanti.push_back(nessuna);
  pagine_.Avvia(cfg_);
  Pagina({"l1", "l2", "l3", "l4", "line five contains the value   ", "l6", "l7"});
  const std::string pezzi = "{TP=800}\n{FN=Arial}\n";
  EXPECT_EQ(Comandi(1), Righe_CRLF(pezzi +                                    // line 1
                                   pezzi +                                    // line 4
                                   pezzi +                                    // line 5
                                   "{TP=800}\n{FN=Arial}\n{CO=10}\n{rc=004}\n"  // the worked example
                                   "{VA=contains the value  }\n" +
                                   pezzi.substr(0, pezzi.size() - 1)));      // line 6
  EXPECT_FALSE(pagine_.Pagina_Dipendente);
}

TEST_F(Layout, TagsFromPrintDataAndTheCopySelector) {
  pagine_.Avvia(cfg_);
  pagine_.Pagina_Apri();
  pagine_.Riga = 2;
  pagine_.Tag_Scrivi("{VA=\\Lgo\\logo.bmp}");
  pagine_.Tag_Scrivi("{CP=12}");
  EXPECT_FALSE(pagine_.Pagina_Dipendente);
  pagine_.Tag_Scrivi("{VA=text}");
  pagine_.Tag_Scrivi("{CP=3}");
  EXPECT_TRUE(pagine_.Pagina_Dipendente);
  pagine_.Pagina_Chiudi();
  EXPECT_EQ(Comandi(1), Righe_CRLF("{rc=002}\n{VA=/prog/Lgo\\logo.bmp}\n{CP=12}\n{rc=002}\n{VA=text}\n{CP=3}"));
}

TEST_F(Layout, PageFileThatCannotBeCreatedFailsTheSpoolFile) {
  cfg_.Cartella_TmpS = dir_.Testo() + "missing/";
  pagine_.Avvia(cfg_);
  pagine_.Pagina_Apri();
  EXPECT_TRUE(pagine_.Errore_File());
  ASSERT_EQ(errori_.size(), 1u);
  EXPECT_EQ(errori_[0], "Errore apertura file " + dir_.Testo() + "missing/00001_S_00001.TXT");
  pagine_.Pagina_Apri();  // nothing more happens
  EXPECT_EQ(errori_.size(), 1u);
  EXPECT_EQ(pagine_.Pagine_Aperte, 1);
}
