// The conversion-table editor: the cell check, the glyphs of the EBCDIC
// columns, loading and saving the two table files, and the window driven
// offscreen as a user would (click a cell, type, scroll, save).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <filesystem>
#include <memory>

#include "frm_tabelle.h"
#include "qod/ansi.h"
#include "qod/host/trasporto.h"
#include "qod/host_simulato.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"

using namespace qod;
using namespace qod::prova;

namespace {

// A whole table file: header "HDR-01", entry i = 255 - i, then a tail that
// must survive every save.
std::string Tabella_File(uint8_t sale = 0) {
  std::string s = "HDR-01";
  for (int i = 0; i < 256; ++i) s += static_cast<char>((255 - i) ^ sale);
  return s + "TAIL";
}

TEST(CodiceValido, SoloCifreDaZeroA255) {
  struct Caso {
    const char* testo;
    int atteso;  // -1: refused
  } casi[] = {{"0", 0},     {"255", 255}, {" 12 ", 12}, {"007", 7},    {"256", -1}, {"-1", -1},
              {"1e2", -1},  {"&HFF", -1}, {"12,5", -1}, {"12.5", -1},  {"", -1},    {"  ", -1},
              {"abc", -1},  {"+5", -1},   {"99999999999999999999", -1}};
  for (const auto& c : casi) {
    auto v = Codice_Valido(c.testo);
    if (c.atteso < 0)
      EXPECT_FALSE(v) << c.testo;
    else
      EXPECT_EQ(v.value_or(-1), c.atteso) << c.testo;
  }
}

TEST(CarattereEbcdic, PosizioniDelCodice280) {
  struct Caso {
    int codice;
    const char* glifo;
  } casi[] = {{0x00, " "},  {0x40, " "},  {0x41, " "},  {0x4A, "°"}, {0x5A, "é"}, {0x6A, "ò"}, {0x79, "ù"},
              {0x7B, "£"},  {0x7C, "§"},  {0xA1, "ì"},  {0xC0, "à"}, {0xD0, "è"}, {0xE0, "ç"}, {0xC1, "A"},
              {0x81, "a"},  {0xF0, "0"},  {0xCA, " "},  {0xFF, " "}};
  for (const auto& c : casi) EXPECT_STREQ(Carattere_EBCDIC(c.codice), c.glifo) << c.codice;
  for (int i = 0x42; i <= 0xFE; ++i)
    if (i != 0xCA) {
      EXPECT_STRNE(Carattere_EBCDIC(i), " ") << i;
    }
}

TEST(EditorTabelle, CaricaRifiutaFileMancantiOCorti) {
  struct Caso {
    const char* nome;
    std::string primo, secondo;  // "-" = missing
    const char* messaggio;       // UTF-8 start of the message; "" = loaded
  } casi[] = {
      {"manca il primo", "-", Tabella_File(), "La 1° tabella di conversione (EBCDIC->ASCII) non è presente"},
      {"manca il secondo", Tabella_File(), "-", "La 2° tabella di conversione (ASCII->EBCDIC) non è presente"},
      {"primo corto", Tabella_File().substr(0, 261), Tabella_File(), "La 1° tabella di conversione (EBCDIC->ASCII) è incompleta"},
      {"secondo solo testata", Tabella_File(), "HDR", "La 2° tabella di conversione (ASCII->EBCDIC) è incompleta"},
      {"entrambi interi", Tabella_File(), Tabella_File(1), ""},
  };
  for (const auto& c : casi) {
    Cartella_Prova dir{"zutbl"};
    if (c.primo != "-") File_Scrivi(dir.Dir() / kFile_Tabella_1, c.primo);
    if (c.secondo != "-") File_Scrivi(dir.Dir() / kFile_Tabella_2, c.secondo);
    Editor_Tabelle e;
    const std::string m = Ansi_A_Utf8(e.Carica(dir.Testo()));
    EXPECT_EQ(m.rfind(c.messaggio, 0), 0u) << c.nome << ": " << m;
    if (*c.messaggio == 0) {
      EXPECT_TRUE(m.empty()) << c.nome;
      EXPECT_EQ(e.Tabella_1.Voci[0], 255);
      EXPECT_EQ(e.Tabella_2.Voci[0], 254);
    } else if (c.primo != "-" && c.secondo != "-") {
      EXPECT_NE(m.find("ZuTBL"), std::string::npos) << "the message names the file: " << m;
    }
  }
}

TEST(EditorTabelle, SalvaTieneTestataECodaESegnalaIlFallimento) {
  Cartella_Prova dir{"zutbl"};
  File_Scrivi(dir.Dir() / kFile_Tabella_1, Tabella_File());
  File_Scrivi(dir.Dir() / kFile_Tabella_2, Tabella_File(1));
  Editor_Tabelle e;
  ASSERT_EQ(e.Carica(dir.Testo()), "");
  e.Tabella_1.Voci[0x5A] = 0xE9;
  e.Tabella_2.Voci[0] = 0;
  ASSERT_EQ(e.Salva(), "");
  std::string uno = Tabella_File(), due = Tabella_File(1);
  uno[6 + 0x5A] = static_cast<char>(0xE9);
  due[6] = 0;
  EXPECT_EQ(File_Leggi(dir.Dir() / kFile_Tabella_1), uno);
  EXPECT_EQ(File_Leggi(dir.Dir() / kFile_Tabella_2), due);

  // The second file cannot be replaced: the message names it, and it stays.
  std::filesystem::remove(dir.Dir() / kFile_Tabella_2);
  std::filesystem::create_directory(dir.Dir() / kFile_Tabella_2);
  const std::string m = Ansi_A_Utf8(e.Salva());
  EXPECT_NE(m.find("2° tabella"), std::string::npos) << m;
  EXPECT_NE(m.find(kFile_Tabella_2), std::string::npos) << m;
  EXPECT_TRUE(std::filesystem::is_directory(dir.Dir() / kFile_Tabella_2));
}

// The standard files: the stand-in host's table (the same iconv mapping) and
// its other direction, which the editor then opens.
TEST(EditorTabelle, TabelleStandard) {
  Cartella_Prova dir{"zutbl"};
  Editor_Tabelle e;
  e.Standard(dir.Testo());
  ASSERT_EQ(e.Salva(), "");
  ASSERT_TRUE(Host_Simulato::Scrivi_Tabella(dir.Dir() / "host.tbl"));
  EXPECT_EQ(File_Leggi(dir.Dir() / kFile_Tabella_1), File_Leggi(dir.Dir() / "host.tbl"));
  Editor_Tabelle letto;
  ASSERT_EQ(letto.Carica(dir.Testo()), "");
  EXPECT_EQ(std::string(letto.Tabella_2.Testata.begin(), letto.Tabella_2.Testata.end()), "IBM280");
  struct Caso {
    int ebcdic, ansi;
  } casi[] = {{0x40, ' '}, {0xC1, 'A'}, {0x81, 'a'}, {0xF0, '0'}, {0x5A, 0xE9}, {0x7B, 0xA3}, {0x25, '\n'}};
  for (const auto& c : casi) {
    EXPECT_EQ(letto.Tabella_1.Voci[static_cast<size_t>(c.ebcdic)], c.ansi) << c.ebcdic;
    EXPECT_EQ(letto.Tabella_2.Voci[static_cast<size_t>(c.ansi)], c.ebcdic) << c.ebcdic;
  }
}

class FinestraTabelle : public Prova_Qt {
 protected:
  void SetUp() override {
    File_Scrivi(dir_.Dir() / kFile_Tabella_1, Tabella_File());
    File_Scrivi(dir_.Dir() / kFile_Tabella_2, Tabella_File(1));
    ASSERT_EQ(editor_.Carica(dir_.Testo()), "");
    f_ = std::make_unique<FrmTabelle>(editor_, messaggi_, "1.0.0   10.12.2026");
    f_->show();
    QCoreApplication::processEvents();
  }
  QLabel* Etichetta(const char* colonna, int riga) {
    QLabel* l = f_->Etichetta(colonna, riga);
    EXPECT_TRUE(l) << colonna << "_" << riga;
    return l;
  }
  QString Testo(const char* colonna, int riga) { return Etichetta(colonna, riga)->text(); }
  void Clic(const char* colonna, int riga) { QTest::mouseClick(Etichetta(colonna, riga), Qt::LeftButton); }
  void Scrivi(const char* testo) {
    auto* t = f_->Text1();
    t->selectAll();
    QTest::keyClicks(t, testo);
  }

  Cartella_Prova dir_{"zutbl"};
  Editor_Tabelle editor_;
  RecordingMessageSink messaggi_;
  std::unique_ptr<FrmTabelle> f_;
};

TEST_F(FinestraTabelle, MostraEScorreLaGriglia) {
  EXPECT_EQ(f_->windowTitle(), "Tabelle di conversione  EBCDIC-->ASCII   ASCII-->EBCDIC");
  EXPECT_EQ(Testo("lblI1", 10), "10");
  EXPECT_EQ(Testo("lblI2", 10), "245");
  EXPECT_EQ(Testo("lblH2", 10), "F5");
  EXPECT_EQ(Testo("lblI3", 10), "244");
  EXPECT_FALSE(f_->Text1()->isVisible());

  f_->VScroll1()->setValue(0x40);
  EXPECT_EQ(Testo("lblH1", 0), "40");
  EXPECT_EQ(Testo("lblC1", 0), " ");
  EXPECT_EQ(Testo("lblC4", 0), " ");
  EXPECT_EQ(Testo("lblC1", 10), "°");
  f_->VScroll1()->setValue(0x5A);
  EXPECT_EQ(Testo("lblC1", 0), "é");
  EXPECT_EQ(Testo("lblC4", 0), "é");

  auto* barra = f_->VScroll1();
  barra->setValue(barra->maximum());
  EXPECT_EQ(barra->maximum(), 241);
  EXPECT_EQ(Testo("lblI1", 0), "241");
  EXPECT_EQ(Testo("lblI4", 14), "255");
  EXPECT_EQ(Testo("lblH4", 14), "FF");
  Schermata(*f_, "zutbl");
}

TEST_F(FinestraTabelle, ValoreErratoBloccaScorrimentoESalvataggio) {
  Clic("lblC2", 5);
  auto* t = f_->Text1();
  ASSERT_TRUE(t->isVisible());
  EXPECT_EQ(t->text(), "250");
  Scrivi("300");
  Clic("lblI3", 7);  // another cell asks for the commit
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "il codice deve essere compreso tra 0 e 255");
  EXPECT_EQ(messaggi_.boxes[0].titolo, "ERRORE");
  EXPECT_EQ(messaggi_.boxes[0].stile, vbExclamation);
  EXPECT_TRUE(t->isVisible());
  EXPECT_EQ(t->text(), "300");

  f_->VScroll1()->setValue(30);  // springs back
  EXPECT_EQ(f_->VScroll1()->value(), 0);
  EXPECT_EQ(f_->Prima_Riga(), 0);
  Schermata(*f_, "zutbl_modifica");

  QTest::mouseClick(f_->cmd_Salva(), Qt::LeftButton);
  EXPECT_EQ(messaggi_.boxes.size(), 3u);
  EXPECT_EQ(File_Leggi(dir_.Dir() / kFile_Tabella_1), Tabella_File()) << "nothing written";
  EXPECT_TRUE(f_->isVisible());

  Scrivi("65");
  Clic("lblI3", 7);  // commits row 5 on the left, opens row 7 on the right
  EXPECT_EQ(Testo("lblI2", 5), "65");
  EXPECT_EQ(Testo("lblC2", 5), "A");
  EXPECT_EQ(t->text(), "249");
  Scrivi("0");
  QTest::mouseClick(f_->cmd_Salva(), Qt::LeftButton);
  EXPECT_EQ(messaggi_.boxes.size(), 3u);
  EXPECT_FALSE(f_->isVisible());

  std::string uno = Tabella_File(), due = Tabella_File(1);
  uno[6 + 5] = 65;
  due[6 + 7] = 0;
  EXPECT_EQ(File_Leggi(dir_.Dir() / kFile_Tabella_1), uno);
  EXPECT_EQ(File_Leggi(dir_.Dir() / kFile_Tabella_2), due);

  // The server's transport converts through the saved table once it is
  // copied to the program's table name.
  std::filesystem::copy_file(dir_.Dir() / kFile_Tabella_1, dir_.Dir() / "Qod_TBL1.Tbl");
  Trasporto trasporto;
  std::string descrizione;
  ASSERT_TRUE(trasporto.Sock_Init(descrizione, dir_ / "Qod_TBL1.Tbl"));
  EXPECT_EQ(trasporto.Tabella()[5], 65);
  EXPECT_EQ(trasporto.Tabella()[6], 249);
}

TEST_F(FinestraTabelle, SalvataggioFallitoLasciaLaFinestraAperta) {
  Clic("lblI2", 0);
  Scrivi("1");
  std::filesystem::remove(dir_.Dir() / kFile_Tabella_1);
  std::filesystem::create_directory(dir_.Dir() / kFile_Tabella_1);
  QTest::mouseClick(f_->cmd_Salva(), Qt::LeftButton);
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_NE(Ansi_A_Utf8(messaggi_.boxes[0].testo).find(kFile_Tabella_1), std::string::npos);
  EXPECT_TRUE(f_->isVisible());
  EXPECT_EQ(editor_.Tabella_1.Voci[0], 1);
}

}  // namespace
