// The two settings editors offscreen, driven as an administrator would: open
// an existing settings file, type into the boxes, tick the check boxes,
// press the buttons; the file written is compared byte for byte with the
// expected one and read back by the programs' own reading code.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <filesystem>
#include <memory>
#include <optional>

#include "qod/prova/strumenti.h"
#include "frm_impostazioni.h"
#include "qod/ansi.h"
#include "qod/cripto.h"
#include "qod/server/base_server.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "qod/ui/prova_qt.h"

using namespace qod;
using namespace qod::prova;

namespace {

std::filesystem::path Dati(const std::string& nome) { return std::filesystem::path(QOD_DATI_EDITORI) / nome; }

// The settings file an editor edits; the fixtures of its tests bear the same name.
std::string File_Di(const Modulo_Impostazioni& modulo) { return Nomi_Editor(modulo).Impostazioni; }

class Editore : public Prova_Qt {
 protected:
  // Copies the fixture `file` into the folder as the editor's settings file
  // and starts the editor there, its window shown.
  void Apri(const Modulo_Impostazioni& modulo, const std::optional<std::string>& fixture, std::string_view riga = "") {
    if (fixture) std::filesystem::copy_file(Dati(*fixture), cartella_.Dir() / File_Di(modulo));
    avviato_ = Editor_Avvia(modulo, cartella_.Testo(), riga, messaggi_);
    F().show();
    QCoreApplication::processEvents();
  }
  FrmImpostazioni& F() { return *avviato_.finestra; }
  QLineEdit* Box(const char* nome) {
    auto* b = F().Box(nome);
    EXPECT_TRUE(b) << nome;
    return b;
  }
  QCheckBox* Casella(const char* nome) { return F().Casella(nome); }
  // Replaces the text of a box by typing, as a user would; characters
  // outside ASCII arrive as key events carrying their text.
  void Scrivi(const char* nome, const QString& testo) {
    QLineEdit* b = Box(nome);
    b->setFocus();
    b->selectAll();
    QTest::keyClick(b, Qt::Key_Delete);
    for (QChar c : testo) {
      if (c.unicode() < 128)
        QTest::keyClick(b, c.toLatin1());
      else
        QTest::sendKeyEvent(QTest::Click, b, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
  // Clicks the box of a check box (the left end, where its square is).
  void Spunta(const char* nome) {
    QCheckBox* k = Casella(nome);
    ASSERT_TRUE(k) << nome;
    QTest::mouseClick(k, Qt::LeftButton, Qt::NoModifier, QPoint(6, k->height() / 2));
  }
  void Premi(const char* nome) {
    auto* b = F().Pulsante(nome);
    ASSERT_TRUE(b) << nome;
    QTest::mouseClick(b, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  std::filesystem::path Ini() const { return avviato_.editor->File(); }
  void Schermata(const char* nome) { prova::Schermata(F(), nome); }

  Cartella_Prova cartella_;
  RecordingMessageSink messaggi_;
  Editor_Avviato avviato_;
};

// The server reads the folder as it starts.
struct Server_Letto {
  bool ok = false;
  Parametri_Collegamento collegamento;
  Impostazioni_Generali generale;
  std::vector<RecordingMessageSink::Box> messaggi;
};
Server_Letto Server_Legge(const std::string& cartella) {
  FakeClock orologio{DateTime::Da(2026, 12, 10, 9, 0, 0)};
  RecordingMessageSink messaggi;
  NoPrinters stampanti;
  Server_Base base(orologio, messaggi, stampanti);
  Server_Letto r;
  r.ok = base.Base_Inizializza(cartella, "");
  r.collegamento = base.Collegamento;
  r.generale = base.Generale;
  r.messaggi = messaggi.boxes;
  return r;
}

}  // namespace

TEST_F(Editore, ServerFileChangedAndReadBackByTheServer) {
  Apri(kEditor_Server, "Qod_S.INI");
  EXPECT_EQ(F().windowTitle(), "Quillon  Impostazione server di stampa");
  EXPECT_EQ(Box("txt01")->text(), QString("vecchio.host").leftJustified(50));
  EXPECT_EQ(Box("txt04")->text(), "SEGRETO   ");
  EXPECT_EQ(Box("txt04")->displayText(), QString(10, '*'));  // the padding blanks too
  EXPECT_EQ(Box("txt14")->toolTip(), "tempo di attesa dopo richiesta");
  EXPECT_TRUE(Casella("chk02")->isChecked());
  Schermata("Qod_S_INI");

  Scrivi("txt01", "127.0.0.1");
  Scrivi("txt02", "4401");
  Scrivi("txt03", "qsys");
  Scrivi("txt04", "demo");
  Scrivi("txt05", " 2121 ");
  Scrivi("txt06", "qgpl");
  Scrivi("txt07", "7");
  Scrivi("txt12", "500");
  Spunta("chk01");
  Spunta("chk02");
  Premi("cmdAggiorna");

  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_FALSE(F().isVisible());  // saved and closed
  EXPECT_EQ(File_Leggi(Ini()), File_Leggi(Dati("Qod_S_modificato.INI")));

  auto s = Server_Legge(cartella_.Testo());
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.collegamento.Host, "127.0.0.1");
  EXPECT_EQ(s.collegamento.Porta, 4401);
  EXPECT_EQ(s.collegamento.Utente, "QSYS");
  EXPECT_EQ(s.collegamento.Password, "DEMO");
  EXPECT_EQ(s.collegamento.Porta_Ftp, 2121);
  EXPECT_EQ(s.collegamento.Libreria, "QGPL");
  EXPECT_EQ(s.collegamento.Indice_Server, 7);
  EXPECT_EQ(s.generale.Tempo_Ciclo, 500);
  EXPECT_TRUE(s.generale.Log);
  EXPECT_FALSE(s.generale.Backup);
}

TEST_F(Editore, ClientFileChangedAndReadBackByTheClientRule) {
  Apri(kEditor_Client, "Qod_C.INI");
  EXPECT_EQ(F().windowTitle(), "Quillon  Impostazione client di visualizzazione");
  EXPECT_EQ(F().Box("txt07"), nullptr);
  EXPECT_TRUE(Casella("chk01")->isChecked());
  EXPECT_EQ(Casella("chk01")->text(), "Ricerche in maiuscolo");
  Schermata("Qod_C_INI");

  Scrivi("txt01", "127.0.0.1");
  Scrivi("txt02", "4402");
  Scrivi("txt03", "qsys");
  Scrivi("txt04", "demo");
  Scrivi("txt05", "0");
  Scrivi("txt06", "arch");
  Spunta("chk01");
  Premi("cmdAggiorna");

  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_FALSE(F().isVisible());
  EXPECT_EQ(File_Leggi(Ini()), File_Leggi(Dati("Qod_C_modificato.INI")));

  Parametri_Collegamento p;
  ASSERT_TRUE(Collegamento_Leggi(Ini().string(), p));
  std::string chiaro, check;
  cripto_out(chiaro, Profilo_Leggi(Ini().string(), "Generale", "Licenza"), check);
  EXPECT_EQ(chiaro.size(), 90u);
  EXPECT_EQ(p.Host, "127.0.0.1");
  EXPECT_EQ(p.Porta, 4402);
  EXPECT_EQ(p.Utente, "QSYS");
  EXPECT_EQ(p.Password, "DEMO");
  EXPECT_EQ(p.Porta_Ftp, 0);
  EXPECT_EQ(p.Libreria, "ARCH");
  EXPECT_EQ(Profilo_Leggi(Ini().string(), "Generale", "Ricerche in maiuscolo"), "0");
}

TEST_F(Editore, OpenThenSaveGivesTheSameFile) {
  for (const auto* modulo : {&kEditor_Server, &kEditor_Client}) {
    SCOPED_TRACE(modulo->programma);
    std::filesystem::remove(cartella_.Dir() / File_Di(*modulo));
    Apri(*modulo, File_Di(*modulo));
    Premi("cmdAggiorna");
    EXPECT_TRUE(messaggi_.boxes.empty());
    EXPECT_EQ(File_Leggi(Ini()), File_Leggi(Dati(File_Di(*modulo))));
  }
}

TEST_F(Editore, InitAndStandardWriteTheStandardValues) {
  struct Caso {
    const Modulo_Impostazioni* modulo;
    const char* riga;
    const char* atteso;
  } casi[] = {{&kEditor_Server, " /init ", "Qod_S_standard.INI"},
              {&kEditor_Client, "/INIT", "Qod_C_standard.INI"},
              {&kEditor_Server, nullptr, "Qod_S_standard.INI"},
              {&kEditor_Client, nullptr, "Qod_C_standard.INI"}};
  for (const auto& c : casi) {
    SCOPED_TRACE(std::string(c.modulo->programma) + (c.riga ? c.riga : " Standard"));
    std::filesystem::remove(cartella_.Dir() / File_Di(*c.modulo));
    Apri(*c.modulo, File_Di(*c.modulo), c.riga ? c.riga : "");
    if (c.riga) {
      EXPECT_EQ(Box("txt01")->text(), "nome o indirizzo del server");
      // Nothing is written until "Aggiorna".
      EXPECT_EQ(File_Leggi(Ini()), File_Leggi(Dati(File_Di(*c.modulo))));
    } else {
      Premi("cmdStandard");
      EXPECT_TRUE(F().isVisible());
      EXPECT_EQ(File_Leggi(Ini()), File_Leggi(Dati(File_Di(*c.modulo))));
    }
    Premi("cmdAggiorna");
    EXPECT_EQ(File_Leggi(Ini()), File_Leggi(Dati(c.atteso)));
  }
}

TEST_F(Editore, HostsWhoseScrambledTextNeedsQuotesSurvive) {
  // "{" scrambles to a blank and comes out at an end of the text, "z" to a
  // double quote, "#" to a single quote: read back plainly, the settings
  // file would trim or strip them.
  for (const char* host : {"{host", "h{ost", "zz.host", "##host", "z"}) {
    SCOPED_TRACE(host);
    std::filesystem::remove(cartella_.Dir() / "Qod_S.INI");
    Apri(kEditor_Server, "Qod_S.INI");
    Scrivi("txt01", host);
    Premi("cmdAggiorna");
    ASSERT_TRUE(messaggi_.boxes.empty());
    auto s = Server_Legge(cartella_.Testo());
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.collegamento.Host, host);
    EXPECT_EQ(s.collegamento.Indice_Server, 1);

    // The editor opens it again showing the same host.
    Apri(kEditor_Server, std::nullopt);
    EXPECT_EQ(Box("txt01")->text().trimmed(), host);
  }
}

TEST_F(Editore, RefusedValuesWriteNothing) {
  struct Caso {
    const Modulo_Impostazioni* modulo;
    const char* box;
    QString testo;
    const char* messaggio;
  } casi[] = {
      {&kEditor_Server, "txt01", "host|1", "Carattere non ammesso nel campo \"Connessione\""},
      {&kEditor_Server, "txt03", QString::fromUtf8("utent\u00e9"), "Carattere non ammesso nel campo \"Utente\""},
      {&kEditor_Client, "txt04", QString::fromUtf8("\u20ac uro"), "Carattere non ammesso nel campo \"Password\""},
      // No ANSI code at all: not turned into an accepted "?".
      {&kEditor_Client, "txt06", QString::fromUtf8("lib\u4e00"), "Carattere non ammesso nel campo \"Libreria\""},
      {&kEditor_Server, "txt02", "70000", "Valore non ammesso nel campo \"Porta\" (da 0 a 65535)"},
      {&kEditor_Client, "txt05", "-21", "Valore non ammesso nel campo \"Porta FTP\" (da 0 a 65535)"},
      {&kEditor_Server, "txt07", "123456", "Valore non ammesso nel campo \"Indice\" (al massimo 5 cifre)"},
      {&kEditor_Server, "txt09", "1000",
       "Valore non ammesso nel campo \"Anticipo stop in minuti\" (al massimo 3 cifre)"},
      {&kEditor_Server, "txt13", "1234567",
       "Valore non ammesso nel campo \"Numero max pag. x blocco\" (al massimo 6 cifre)"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.box + std::string(" ") + c.testo.toStdString());
    std::filesystem::remove(cartella_.Dir() / File_Di(*c.modulo));
    messaggi_.boxes.clear();
    Apri(*c.modulo, File_Di(*c.modulo));
    Scrivi("txt03", "cambiato");  // a valid change that must not be written either
    Scrivi(c.box, c.testo);
    Premi("cmdAggiorna");
    ASSERT_EQ(messaggi_.boxes.size(), 1u);
    EXPECT_EQ(messaggi_.boxes[0].testo, Utf8_A_Ansi(c.messaggio));
    EXPECT_EQ(messaggi_.boxes[0].titolo, c.modulo->caption);
    EXPECT_TRUE(F().isVisible());
    EXPECT_EQ(Box(c.box)->text(), c.testo);  // left as typed
    EXPECT_EQ(File_Leggi(Ini()), File_Leggi(Dati(File_Di(*c.modulo))));
  }
}

TEST_F(Editore, UnwritableFileIsReportedAndTheWindowStays) {
  Apri(kEditor_Server, "Qod_S.INI");
  // A folder in the file's place: no rename can replace it, not even as root.
  std::filesystem::remove(Ini());
  std::filesystem::create_directory(Ini());
  Scrivi("txt07", "9");
  Premi("cmdAggiorna");
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Impossibile aggiornare il file " + Ini().string());
  EXPECT_EQ(messaggi_.boxes[0].stile, vbCritical);
  EXPECT_TRUE(F().isVisible());
  EXPECT_TRUE(std::filesystem::is_directory(Ini()));
  EXPECT_EQ(Nomi(cartella_.Dir()), std::vector<std::string>{"Qod_S.INI"});  // no temporary file left
}

TEST_F(Editore, MissingFileOpensEmptyAndUscitaWritesNothing) {
  Apri(kEditor_Server, std::nullopt);
  EXPECT_EQ(Box("txt01")->text(), "");
  EXPECT_EQ(Box("txt08")->text(), "");
  EXPECT_FALSE(Casella("chk01")->isChecked());
  Scrivi("txt01", "host");
  Premi("cmdUscita");
  EXPECT_FALSE(F().isVisible());
  EXPECT_FALSE(std::filesystem::exists(Ini()));
}

TEST_F(Editore, BoxSelectsItsTextOnFocus) {
  Apri(kEditor_Server, "Qod_S.INI");
  QApplication::setActiveWindow(&F());
  Box("txt06")->setFocus(Qt::TabFocusReason);
  QTest::qWait(20);
  EXPECT_EQ(Box("txt06")->selectedText(), "JR        ");
  QLabel* release = F().Release();
  ASSERT_TRUE(release);
  EXPECT_TRUE(release->text().contains(QRegularExpression("^\\d+\\.\\d+\\.\\d+   \\d\\d\\.\\d\\d\\.\\d{4}$")))
      << release->text().toStdString();
}
