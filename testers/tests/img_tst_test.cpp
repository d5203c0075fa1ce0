// Qod_IMG_TST driven as a person would, offscreen: the default run, bad
// fields, the list and dialog buttons, the output window, the help and the
// text window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>

#include <deque>
#include <filesystem>

#include "frm_parm.h"
#include "qod/imaging/file.h"
#include "qod/testers/aiuto.h"
#include "qod/testers/parametri.h"
#include "qt_testo.h"
#include "supporto.h"
#include "supporto_qt.h"

namespace qod::testers {
namespace {

namespace fs = std::filesystem;
using prova::Cartella_Prova;

// Dialogs answered from a script.
class Dialoghi_Prova : public Dialoghi {
 public:
  std::string Scegli_File(const std::string& filtro) override {
    filtri.push_back(filtro);
    if (file.empty()) return "";
    std::string f = file.front();
    file.pop_front();
    return f;
  }
  std::optional<int32_t> Scegli_Colore(int32_t iniziale) override {
    colori_iniziali.push_back(iniziale);
    return colore;
  }
  std::deque<std::string> file;
  std::vector<std::string> filtri;
  std::optional<int32_t> colore;
  std::vector<int32_t> colori_iniziali;
};

class ImgTst : public prova::Prova_Qt {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    prova_qt::Cartella_Test(c.Dir());
    frm = std::make_unique<FrmParm>(dialoghi, c.Dir().string());
    frm->resize(760, 620);
    frm->show();
  }
  void TearDown() override {
    frm.reset();
    QLocale::setDefault(QLocale::system());
  }
  QLineEdit* Testo(const char* nome) { return static_cast<QLineEdit*>(frm->Campo_Widget(nome)); }
  QComboBox* Lista(const char* nome) { return static_cast<QComboBox*>(frm->Campo_Widget(nome)); }
  std::string Stato() { return Ansi_Qt(frm->lblStato->text()); }
  void Clic(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

  Cartella_Prova c{"tst"};
  Dialoghi_Prova dialoghi;
  std::unique_ptr<FrmParm> frm;
};

TEST_F(ImgTst, DefaultRunWritesTheFaxPageAndShowsIt) {
  const fs::path uscita = c.Dir() / "TEST" / "TEST.TIF";
  EXPECT_EQ(frm->windowTitle(), "Parametri per Qod_IMG.ocx");
  EXPECT_EQ(Testo("out_Nome")->text().toStdString(), uscita.string());
  Clic(frm->out_Esegui);

  EXPECT_EQ(Stato(), "");
  ASSERT_TRUE(fs::exists(uscita));
  const std::string info = prova::Tiffinfo(uscita.string());
  EXPECT_NE(info.find("Image Width: 1728 Image Length: 2144"), std::string::npos) << info;
  EXPECT_NE(info.find("CCITT Group 3"), std::string::npos) << info;
  EXPECT_NE(info.find("Resolution: 204, 196 pixels/inch"), std::string::npos) << info;

  // The run's time in seconds with three decimals, in the user's separators.
  EXPECT_TRUE(QRegularExpression("^\\d+,\\d{3}$").match(frm->lblTempo->text()).hasMatch())
      << frm->lblTempo->text().toStdString();
  EXPECT_TRUE(frm->isEnabled());

  FrmOut* out = frm->frmOut();
  ASSERT_TRUE(out->isVisible());
  EXPECT_EQ(out->Titolo(), "Immagine out        " + uscita.string());
  EXPECT_TRUE(out->ImageMan1->isVisible());
  EXPECT_EQ(out->lbl_Width->text(), "1728");
  EXPECT_EQ(out->lbl_Height->text(), "2144");
  EXPECT_EQ(out->lbl_Rx->text(), "204");
  EXPECT_EQ(out->lbl_Ry->text(), "196");
  EXPECT_EQ(out->lbl_n_colori->text(), "2");
  EXPECT_EQ(out->ImageMan1->Modo(), 3);
  EXPECT_EQ(out->opzione_vista2, 1);
  EXPECT_TRUE(QRegularExpression("^\\d+,\\d\\d KB$").match(out->lblDim->text()).hasMatch())
      << out->lblDim->text().toStdString();
  EXPECT_EQ(out->Zoom1->currentText(), "100");
  prova::Schermata(*frm, "img_tst_frmParm");

  // The whole page fitted into the window.
  out->resize(600, 700);
  out->Zoom1->setCurrentIndex(0);
  emit out->Zoom1->activated(0);
  EXPECT_TRUE(out->ImageMan1->Adatta());
  prova::Schermata(*out, "img_tst_frmOut");
}

TEST_F(ImgTst, BadFieldIsNamedAndTheGeneratorIsNotCalled) {
  Testo("txt_Top")->setText("40000");
  Clic(frm->out_Esegui);
  EXPECT_NE(Stato().find("txt_Top"), std::string::npos) << Stato();
  EXPECT_FALSE(fs::exists(c.Dir() / "TEST" / "TEST.TIF"));
  EXPECT_EQ(frm->Qod_IMG1.qodimg_Out_Width, 0);  // nothing was set
  EXPECT_FALSE(frm->lblTempo->text().isEmpty());
  EXPECT_TRUE(frm->isEnabled());

  // The generator's own checks come back through its state line.
  Testo("txt_Top")->setText("20");
  Testo("txt_Rx")->setText("100");
  Clic(frm->out_Esegui);
  EXPECT_EQ(Stato(), "Out_Save,Out_ResX incompatibili");
  EXPECT_FALSE(frm->frmOut()->ImageMan1->isVisibleTo(frm->frmOut()));
  EXPECT_TRUE(frm->frmOut()->lbl_Width->text().isEmpty());
}

TEST_F(ImgTst, FormatListSwapsTheExtensionAndReachesTheGenerator) {
  QComboBox* s = Lista("txt_S");
  s->setFocus();
  // Down five entries: "5=JPG toni di grigio".
  for (int i = 0; i < 5; ++i) QTest::keyClick(s, Qt::Key_Down);
  EXPECT_EQ(s->currentText(), "5=JPG toni di grigio");
  EXPECT_TRUE(Testo("out_Nome")->text().endsWith("/TEST/TEST.JPG")) << Testo("out_Nome")->text().toStdString();
  QTest::keyClick(s, Qt::Key_End);
  EXPECT_EQ(s->currentText(), "A=TIF G4");
  EXPECT_TRUE(Testo("out_Nome")->text().endsWith("/TEST/TEST.TIF"));
  Clic(frm->out_Esegui);
  EXPECT_EQ(frm->Qod_IMG1.qodimg_Out_Save, 10);
  EXPECT_NE(prova::Tiffinfo((c.Dir() / "TEST" / "TEST.TIF").string()).find("CCITT Group 4"), std::string::npos);
}

TEST_F(ImgTst, FileAndColourDialogs) {
  dialoghi.file = {"/scelto/logo.bmp"};
  Clic(frm->img_Apri[1]);
  EXPECT_EQ(Testo("img_Nome(1)")->text(), "/scelto/logo.bmp");
  EXPECT_EQ(dialoghi.filtri.back(), "Immagini (*.TIF;*.BMP;*.JPG;*.PGN)|*.TIF;*.BMP;*.JPG;*.PNG");
  // Cancelling empties the field.
  Clic(frm->cmd_Apri);
  EXPECT_EQ(Testo("cmd_Nome")->text(), "");
  EXPECT_EQ(dialoghi.filtri.back(), "(*.TXT)|*.TXT");
  Clic(frm->fnt_Apri);
  EXPECT_EQ(dialoghi.filtri.back(), "(*.BMP)|*.BMP");

  dialoghi.colore = 0x0000FF;  // red
  Clic(frm->out_Colore);
  EXPECT_EQ(dialoghi.colori_iniziali.back(), 0xFFFFFF);
  dialoghi.colore.reset();  // cancelled: nothing changes
  Clic(frm->out_Colore);
  EXPECT_EQ(dialoghi.colori_iniziali.back(), 0x0000FF);
  EXPECT_EQ(frm->Valori()[11], "255");
}

TEST_F(ImgTst, OutputWindowShowsTheFontStripAndTheLogos) {
  Clic(frm->fnt_Visualizza);
  FrmOut* out = frm->frmOut();
  EXPECT_EQ(out->Titolo(), "Immagine del font   " + (c.Dir() / "TEST" / "_FONT.BMP").string());
  EXPECT_EQ(out->lbl_Width->text(), "16");  // 4096 pixels, 256 cells
  EXPECT_EQ(out->lbl_Height->text(), "24");
  prova::Schermata(*out, "img_tst_frmOut_font");

  Clic(frm->img_Visualizza[1]);
  EXPECT_EQ(out->Titolo(), "Immagine 2          " + (c.Dir() / "TEST" / "_LOGO2.JPG").string());
  EXPECT_EQ(out->lbl_Width->text(), "1024");
  EXPECT_EQ(out->lbl_n_colori->text(), "16777216");

  // A 256-colour image is shown converted to 24 bits.
  img::Immagine grigio;
  grigio.Crea(10, 10, 8);
  grigio.Converti_Grigio();
  img::Parametri_Salvataggio p;
  p.opzioni = "EXTENSION = BMP";
  ASSERT_TRUE(img::Salva(grigio, c.Dir() / "grigio.bmp", p));
  Testo("img_Nome(0)")->setText(QString::fromStdString((c.Dir() / "grigio.bmp").string()));
  Clic(frm->img_Visualizza[0]);
  EXPECT_EQ(out->lbl_n_colori->text(), "256");
  EXPECT_EQ(out->ImageMan1->Immagine_Attuale().Bit(), 24);
  EXPECT_EQ(out->ImageMan1->Modo(), 2);
  // A small image fitted into a large window is drawn at 1600%.
  out->resize(900, 900);
  out->Zoom1->setCurrentIndex(0);
  emit out->Zoom1->activated(0);
  EXPECT_FALSE(out->ImageMan1->Adatta());
  EXPECT_DOUBLE_EQ(out->ImageMan1->Zoom(), 1600);

  // Closed, the window ends; the next use makes it again with its start zoom.
  out->close();
  EXPECT_FALSE(frm->Caricato_Out());
  Clic(frm->img_Visualizza[1]);
  out = frm->frmOut();
  EXPECT_TRUE(out->isVisible());
  EXPECT_EQ(out->Zoom1->currentText(), "100");
  EXPECT_EQ(out->lbl_Width->text(), "1024");

  // A missing file: the title stays, no image, no facts.
  Testo("img_Nome(0)")->setText("/non/esiste.tif");
  Clic(frm->img_Visualizza[0]);
  EXPECT_EQ(out->Titolo(), "Immagine 1          /non/esiste.tif");
  EXPECT_FALSE(out->ImageMan1->isVisibleTo(out));
  EXPECT_TRUE(out->lbl_n_colori->text().isEmpty());
}

TEST_F(ImgTst, DraggingPansTheImageWithinItsEdges) {
  Clic(frm->out_Visualizza);  // nothing there yet
  Clic(frm->out_Esegui);
  FrmOut* out = frm->frmOut();
  out->resize(500, 400);
  out->Zoom1->setCurrentIndex(9);  // "100"
  emit out->Zoom1->activated(9);
  QApplication::processEvents();
  img::Vista_Immagine* v = out->ImageMan1;
  QWidget* area = v->viewport();
  ASSERT_FALSE(v->Adatta());
  QTest::mousePress(area, Qt::LeftButton, {}, QPoint(200, 200));
  QTest::mouseMove(area, QPoint(150, 120));
  EXPECT_DOUBLE_EQ(v->Origine_X(), 50);
  EXPECT_DOUBLE_EQ(v->Origine_Y(), 80);
  QTest::mouseMove(area, QPoint(250, 300));  // back past the start: held at 0
  EXPECT_DOUBLE_EQ(v->Origine_X(), 0);
  EXPECT_DOUBLE_EQ(v->Origine_Y(), 0);
  QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(250, 300));
  QTest::mouseMove(area, QPoint(10, 10));  // not dragging any more
  EXPECT_DOUBLE_EQ(v->Origine_X(), 0);
}

TEST_F(ImgTst, HelpWindowShowsTheTagLanguage) {
  Clic(frm->cmd_Help);
  FrmHelp* h = frm->frmHelp();
  ASSERT_TRUE(h->isVisible());
  EXPECT_EQ(h->windowTitle(), "Help dei comandi");
  QString atteso = Testo_Qt(Testo_Help());
  atteso.chop(1);
  EXPECT_EQ(h->txt_help->toPlainText(), atteso);
  EXPECT_EQ(h->txt_help->document()->blockCount(), 126);
  prova::Schermata(*h, "img_tst_frmHelp");
}

// The text window.

class ImgTstTesto : public ImgTst {
 protected:
  fs::path Testo_File() { return c.Dir() / "TEST" / "_TESTO.TXT"; }
  fs::path Comandi_File() { return c.Dir() / "TEST" / "_COMANDI.TXT"; }
};

TEST_F(ImgTstTesto, OpenAndSaveKeepEveryByte) {
  std::string dati = "RIGA 1\rRIGA 2\r\nRIGA 3\nnul:";
  dati += '\0';
  dati += ":";
  for (int b = 0x80; b <= 0xFF; ++b) dati += static_cast<char>(b);
  dati += "\r\r\n\x01\x1F\t\x7F fine\r";
  prova::File_Scrivi(Testo_File(), dati);
  Clic(frm->txt_Modifica);
  EXPECT_EQ(frm->txt_Modifica->text(), "Salva");
  FrmTxt* t = frm->frmTxt();
  ASSERT_TRUE(t->isVisible());
  EXPECT_EQ(t->Titolo(), "File di testo       " + Testo_File().string());
  prova::Schermata(*t, "img_tst_frmTxt");
  Clic(frm->txt_Modifica);
  EXPECT_EQ(frm->txt_Modifica->text(), "Modifica");
  EXPECT_FALSE(t->isVisible());
  EXPECT_EQ(prova::File_Leggi(Testo_File()), dati);

  // An edit changes only what was typed; the rows keep their line ends.
  Clic(frm->txt_Modifica);
  QTextCursor k(t->txt_Cmd->document());
  k.movePosition(QTextCursor::End);
  t->txt_Cmd->setTextCursor(k);
  QTest::keyClicks(t->txt_Cmd, "X");
  Clic(frm->txt_Modifica);
  EXPECT_EQ(prova::File_Leggi(Testo_File()), dati + "X");
}

// Every control byte the window shows as a picture (NUL to 0x1F but TAB,
// and DEL) is drawn with the window's own font as a glyph of its own: no
// two look alike, none is blank or the font's empty box.
TEST_F(ImgTstTesto, EachControlByteLooksDifferent) {
  std::string dati;
  std::vector<int> codici;
  for (int b = 0; b < 0x20; ++b)
    if (b != '\t' && b != '\r' && b != '\n') codici.push_back(b);
  codici.push_back(0x7F);
  for (int b : codici) dati += static_cast<char>(b);
  prova::File_Scrivi(Testo_File(), dati);
  Clic(frm->txt_Modifica);
  FrmTxt* t = frm->frmTxt();
  const QString riga = t->txt_Cmd->document()->begin().text();
  ASSERT_EQ(riga.size(), static_cast<qsizetype>(codici.size()));
  prova::Schermata(*t, "img_tst_frmTxt_controlli");

  const QFont f = t->txt_Cmd->font();
  const QFontMetrics fm(f);
  auto disegno = [&](QChar c) {
    QImage i(fm.maxWidth() * 2, fm.height(), QImage::Format_RGB32);
    i.fill(Qt::white);
    QPainter p(&i);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(0, fm.ascent(), QString(c));
    return i;
  };
  // What a character no font has looks like (a private-use code).
  const QImage manca = disegno(QChar(0xE000));
  std::vector<QImage> disegni;
  for (QChar c : riga) disegni.push_back(disegno(c));
  for (size_t i = 0; i < disegni.size(); ++i) {
    int neri = 0;
    for (int y = 0; y < disegni[i].height(); ++y)
      for (int x = 0; x < disegni[i].width(); ++x) neri += qGray(disegni[i].pixel(x, y)) < 224;
    EXPECT_GT(neri, 4) << "byte " << codici[i] << " draws (almost) nothing";
    EXPECT_NE(disegni[i], manca) << "byte " << codici[i] << " draws the missing-glyph box";
    for (size_t j = 0; j < i; ++j)
      EXPECT_NE(disegni[i], disegni[j]) << "bytes " << codici[j] << " and " << codici[i] << " look the same";
  }
}

TEST_F(ImgTstTesto, RunSavesTheCommandFileBeingEditedFirst) {
  Clic(frm->cmd_Modifica);
  FrmTxt* t = frm->frmTxt();
  EXPECT_EQ(t->Titolo(), "File dei comandi    " + Comandi_File().string());
  // A command the generator refuses shows that the run read the new text.
  t->txt_Cmd->selectAll();
  QTest::keyClicks(t->txt_Cmd, "{TN=999,1,1}");
  Clic(frm->out_Esegui);
  EXPECT_EQ(frm->cmd_Modifica->text(), "Modifica");
  EXPECT_EQ(prova::File_Leggi(Comandi_File()), "{TN=999,1,1}");
  EXPECT_EQ(Stato(), "Riga errata in {TN=...,...,...}");
}

TEST_F(ImgTstTesto, OneFileAtATime) {
  Clic(frm->txt_Modifica);
  frm->frmTxt()->txt_Cmd->setPlainText("nuovo testo");
  Clic(frm->cmd_Modifica);  // the page text is saved before the commands open
  EXPECT_EQ(prova::File_Leggi(Testo_File()), "nuovo testo");
  EXPECT_EQ(frm->txt_Modifica->text(), "Modifica");
  EXPECT_EQ(frm->cmd_Modifica->text(), "Salva");
}

TEST_F(ImgTstTesto, AFileThatCannotBeReadIsNeverRewritten) {
  fs::remove(Testo_File());
  fs::create_directory(Testo_File());
  prova::File_Scrivi(Testo_File() / "dentro", "resta");
  Clic(frm->txt_Modifica);
  EXPECT_EQ(frm->txt_Modifica->text(), "Modifica");
  EXPECT_FALSE(frm->Caricato_Txt() && frm->frmTxt()->isVisible());
  EXPECT_NE(Stato().find("Impossibile leggere il file"), std::string::npos) << Stato();
  frm->close();
  EXPECT_EQ(prova::File_Leggi(Testo_File() / "dentro"), "resta");
}

TEST_F(ImgTstTesto, AMissingFileStartsEmptyAndIsCreated) {
  Testo("txt_Nome")->setText(QString::fromStdString((c.Dir() / "nuovo.txt").string()));
  Clic(frm->txt_Modifica);
  EXPECT_EQ(frm->frmTxt()->txt_Cmd->toPlainText(), "");
  QTest::keyClicks(frm->frmTxt()->txt_Cmd, "riga");
  QTest::keyClick(frm->frmTxt()->txt_Cmd, Qt::Key_Return);
  QTest::keyClicks(frm->frmTxt()->txt_Cmd, "due");
  Clic(frm->txt_Modifica);
  EXPECT_EQ(prova::File_Leggi(c.Dir() / "nuovo.txt"), "riga\r\ndue");
}

TEST_F(ImgTstTesto, AFailedSaveKeepsTheEditorOpenAndTheOldFile) {
  Clic(frm->txt_Modifica);
  frm->frmTxt()->txt_Cmd->setPlainText("mai scritto");
  // The name now holds a folder: the save cannot replace it.
  fs::remove(Testo_File());
  fs::create_directory(Testo_File());
  Clic(frm->txt_Modifica);
  EXPECT_EQ(frm->txt_Modifica->text(), "Salva");
  EXPECT_TRUE(frm->frmTxt()->isVisible());
  EXPECT_NE(Stato().find("Impossibile scrivere il file"), std::string::npos) << Stato();
  EXPECT_TRUE(fs::is_directory(Testo_File()));
  // Closing the editor cannot save either: it stays open.
  frm->frmTxt()->close();
  EXPECT_TRUE(frm->frmTxt()->isVisible());
  // Once the file can be written, the close box saves and resets both buttons.
  fs::remove(Testo_File());
  frm->frmTxt()->close();
  EXPECT_FALSE(frm->Caricato_Txt());
  EXPECT_EQ(frm->txt_Modifica->text(), "Modifica");
  EXPECT_EQ(frm->cmd_Modifica->text(), "Modifica");
  EXPECT_EQ(prova::File_Leggi(Testo_File()), "mai scritto");
}

TEST_F(ImgTstTesto, EndingTheProgramWritesOnlyWhatIsBeingEdited) {
  // Saved and hidden, then the program ends: no second write.
  Clic(frm->txt_Modifica);
  Clic(frm->txt_Modifica);
  fs::remove(Testo_File());
  frm->close();
  EXPECT_FALSE(fs::exists(Testo_File()));

  // Still editing when the program ends: the text is saved.
  frm = std::make_unique<FrmParm>(dialoghi, c.Dir().string());
  frm->show();
  prova::File_Scrivi(Comandi_File(), "{TP=800}\r\n");
  Clic(frm->cmd_Modifica);
  QTextCursor k(frm->frmTxt()->txt_Cmd->document());
  k.movePosition(QTextCursor::End);
  k.insertText("{VA=fine}");
  frm->close();
  EXPECT_EQ(prova::File_Leggi(Comandi_File()), "{TP=800}\r\n{VA=fine}");
}

}  // namespace
}  // namespace qod::testers
