// The font editor's windows driven offscreen as a user would: open a strip,
// pick a cell, set pixels with the mouse, shift, copy and paste with the
// keyboard, save, and see the page generator draw the edited glyph; a new
// strip and its glyphs generated from Liberation Mono through the two
// dialogs; a damaged file refused with a message.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <memory>

#include "frm_font.h"
#include "pagina_striscia.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/imaging/file.h"
#include "qod/imaging/qimage.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"
#include "qod/viewer/vista_immagine.h"

using namespace qod;
using namespace qod::prova;

namespace {

// The common dialogs answered from a script.
struct Dialoghi_Finti : Dialoghi_Font {
  std::deque<std::string> file;
  std::string filtro;
  std::optional<Impostazioni_Font> font;
  std::string Apri_File(const std::string& f) override {
    filtro = f;
    if (file.empty()) return "";
    std::string r = file.front();
    file.pop_front();
    return r;
  }
  std::string Salva_File(const std::string&, const std::string& f) override { return Apri_File(f); }
  std::deque<img::Colore> colori;
  std::optional<img::Colore> Scegli_Colore(img::Colore) override {
    if (colori.empty()) return std::nullopt;
    const img::Colore c = colori.front();
    colori.pop_front();
    return c;
  }
  bool Scegli_Font(Impostazioni_Font& f) override {
    if (!font) return false;
    f.Font_Nome = font->Font_Nome;
    f.Font_Punti = font->Font_Punti;
    f.Font_Grassetto = font->Font_Grassetto;
    f.Font_Corsivo = font->Font_Corsivo;
    f.Font_Sottolineato = font->Font_Sottolineato;
    f.Font_Tagliato = font->Font_Tagliato;
    return true;
  }
};

class FinestraFont : public Prova_Qt {
 protected:
  void SetUp() override {
    f_ = std::make_unique<FrmFont>(editor_, messaggi_, dialoghi_, "1.0.0   10.12.2026");
    f_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f_.get()));
  }


  // A press of a button on pixel (x, y) of the editor box.
  void Clic_Pixel(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    const double scala = Scala_Editor(editor_.Larghezza_Cella, editor_.Altezza_Cella) / double(kTwip_Pixel);
    QTest::mouseClick(f_->Editor_Box()->viewport(), b, {},
                      QPoint(static_cast<int>((x + 0.5) * scala), static_cast<int>((y + 0.5) * scala)));
  }
  // Selects a code through the scroll bar and a click on its preview.
  void Scegli(int codice) {
    const int primo = std::min(codice, kPrimo_Codice_Massimo);
    f_->Barra()->setValue(primo);
    QTest::mouseClick(f_->Anteprima(codice - primo)->viewport(), Qt::LeftButton);
    ASSERT_EQ(editor_.Codice_Scelto, codice);
  }
  void Tasto(Qt::Key k) { QTest::keyRelease(f_.get(), k, Qt::ControlModifier); }

  Cartella_Prova dir_{"zufnt"};
  Editor_Font editor_;
  RecordingMessageSink messaggi_;
  Dialoghi_Finti dialoghi_;
  std::unique_ptr<FrmFont> f_;
};

TEST_F(FinestraFont, SenzaStrisciaAgisconoSoloUscitaApriENuovo) {
  EXPECT_EQ(f_->windowTitle(), "Z_U_FNT");
  EXPECT_EQ(f_->txtAltezza()->text(), "0");
  EXPECT_EQ(f_->txtLarghezza()->text(), "0");
  for (const char* k : {"Uscita", "Apri", "Nuovo"}) EXPECT_TRUE(f_->Azione(k)->isEnabled()) << k;
  for (const char* k : {"Salva", "SalvaN", "Genera", "Sposta_L", "Sposta_R", "Sposta_T", "Sposta_B"})
    EXPECT_FALSE(f_->Azione(k)->isEnabled()) << k;
  EXPECT_EQ(f_->Azione("Sposta_R")->toolTip(), " Sposta a  destra ");
  EXPECT_FALSE(f_->Editor_Box()->isVisible());
  EXPECT_FALSE(f_->Barra()->isEnabled());
  QTest::mouseClick(f_->Editor_Box()->viewport(), Qt::LeftButton);
  QTest::mouseClick(f_->lbl3(2), Qt::LeftButton);
  EXPECT_EQ(editor_.Codice_Scelto, 0);
  EXPECT_TRUE(editor_.Striscia.Vuota());
}

TEST_F(FinestraFont, FileDanneggiatoRifiutatoConMessaggio) {
  const std::string buona = dir_ / "buona.bmp";
  Opzioni_Striscia o;
  o.cella_larghezza = 8;
  o.cella_altezza = 16;
  ASSERT_TRUE(Scrivi_Striscia_Font(buona, o));
  const std::string rotta = dir_ / "rotta.bmp";
  File_Scrivi(rotta, File_Leggi(buona).substr(0, 300));
  dialoghi_.file = {buona, rotta};
  f_->Azione("Apri")->trigger();
  EXPECT_EQ(dialoghi_.filtro, "Immagine font (*.bmp)|*.bmp");
  ASSERT_EQ(f_->windowTitle().toStdString(), buona);
  f_->Azione("Apri")->trigger();
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_NE(messaggi_.boxes[0].testo.find(rotta), std::string::npos);
  EXPECT_EQ(messaggi_.boxes[0].stile, vbExclamation);
  // The strip open before stays, with its name.
  EXPECT_EQ(f_->windowTitle().toStdString(), buona);
  EXPECT_EQ(editor_.Larghezza_Cella, 8);
  // A cancelled dialog does nothing.
  f_->Azione("Apri")->trigger();
  EXPECT_EQ(messaggi_.boxes.size(), 1u);
}

// Edits on a 1-bit and a 24-bit strip, saved; the page generator then draws
// the edited glyph: a page differs from the original one exactly in the
// cells of that glyph.
TEST_F(FinestraFont, ModificheSalvateCambianoSoloLeCelleDelGlifo) {
  for (int bit : {1, 24}) {
    SCOPED_TRACE(bit);
    const std::string originale = dir_ / ("originale" + std::to_string(bit) + ".bmp");
    const std::string modificata = dir_ / ("modificata" + std::to_string(bit) + ".bmp");
    Opzioni_Striscia o;
    o.bit = bit;
    ASSERT_TRUE(Scrivi_Striscia_Font(originale, o));
    dialoghi_.file = {originale};
    f_->Azione("Apri")->trigger();
    ASSERT_TRUE(messaggi_.boxes.empty());
    EXPECT_EQ(editor_.Bit_Pixel, bit);
    EXPECT_EQ(f_->txtLarghezza()->text(), "20");
    EXPECT_EQ(f_->txtAltezza()->text(), "32");
    EXPECT_TRUE(f_->Azione("Sposta_L")->isEnabled());
    EXPECT_TRUE(f_->Editor_Box()->isVisible());

    Scegli('A');
    EXPECT_EQ(f_->lbl1(0)->text(), "A");
    EXPECT_EQ(f_->lbl2(0)->text(), "65");
    EXPECT_EQ(f_->Editor_Box()->Immagine_Attuale().Larghezza(), 20);
    // Left button: ink at the blank top-left corner; right button: the
    // first ink pixel of the glyph cleared.
    ASSERT_EQ(editor_.Cella.Pixel(0, 0), img::Bianco);
    Clic_Pixel(0, 0);
    EXPECT_EQ(editor_.Cella.Pixel(0, 0), img::Nero);
    int ix = -1, iy = -1;
    for (int y = 0; y < 32 && ix < 0; ++y)
      for (int x = 1; x < 20 && ix < 0; ++x)
        if (editor_.Cella.Pixel(x, y) == img::Nero) ix = x, iy = y;
    ASSERT_GE(ix, 0);
    Clic_Pixel(ix, iy, Qt::RightButton);
    EXPECT_EQ(editor_.Cella.Pixel(ix, iy), img::Bianco);
    f_->Azione("Sposta_R")->trigger();
    f_->Azione("Sposta_B")->trigger();
    EXPECT_EQ(editor_.Cella.Pixel(1, 1), img::Nero);
    EXPECT_EQ(editor_.Striscia.Pixel(65 * 20 + 1, 1), img::Nero);
    EXPECT_EQ(f_->Editor_Box()->Immagine_Attuale().Pixel(1, 1), img::Nero);
    if (bit == 1) Schermata(*f_, "zufnt_modifica");

    // Copy the edited glyph into code 200, which the page does not use.
    Tasto(Qt::Key_C);
    EXPECT_TRUE(editor_.Appunti_Pieni);
    Scegli(200);
    Tasto(Qt::Key_V);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 20; ++x)
        ASSERT_EQ(editor_.Striscia.Pixel(200 * 20 + x, y), editor_.Striscia.Pixel(65 * 20 + x, y)) << x << "," << y;

    dialoghi_.file = {modificata};
    f_->Azione("SalvaN")->trigger();
    EXPECT_EQ(f_->windowTitle().toStdString(), modificata);
    ASSERT_TRUE(std::filesystem::exists(modificata));
    EXPECT_TRUE(messaggi_.boxes.empty());

    const std::vector<std::string> righe = {"BANANA SPLIT", "Qualche riga", "CASA ALTA", "nessuna"};
    const img::Immagine prima = Pagina_Striscia(originale, righe, 20, 32, dir_ / "prima.png");
    const img::Immagine dopo = Pagina_Striscia(modificata, righe, 20, 32, dir_ / "dopo.png");
    ASSERT_FALSE(prima.Vuota());
    ASSERT_EQ(dopo.Larghezza(), prima.Larghezza());
    std::vector<std::vector<int>> diverse(righe.size() + 1, std::vector<int>(40, 0));
    for (int y = 0; y < prima.Altezza(); ++y)
      for (int x = 0; x < prima.Larghezza(); ++x)
        if (!(prima.Pixel(x, y) == dopo.Pixel(x, y))) {
          const int c = (x - 10) / 20, r = (y - 10) / 32;
          ASSERT_TRUE(x >= 10 && y >= 10 && r < static_cast<int>(righe.size())) << x << "," << y;
          ++diverse[static_cast<size_t>(r)][static_cast<size_t>(c)];
        }
    for (size_t r = 0; r < righe.size(); ++r)
      for (size_t c = 0; c < 40; ++c) {
        const bool a = c < righe[r].size() && righe[r][c] == 'A';
        EXPECT_EQ(diverse[r][c] > 0, a) << "row " << r << " column " << c;
      }
  }
}

TEST_F(FinestraFont, AnteprimeScorrimentoEIncollaSenzaCopia) {
  ASSERT_TRUE(editor_.Nuova(8, 12, 1, img::Nero, img::Bianco));
  f_->Immagine_Nuova();
  auto* barra = f_->Barra();
  EXPECT_TRUE(barra->isEnabled());
  barra->setValue(barra->maximum());
  EXPECT_EQ(barra->maximum(), 250);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(f_->lbl2(i)->text(), QString::number(250 + i));
  barra->setValue(36);
  EXPECT_EQ(f_->lbl1(2)->text(), "&&");  // code 38 shows one ampersand
  // The selection stays on code 0, scrolled out: no row highlighted, and
  // the editor keeps it.
  EXPECT_EQ(editor_.Codice_Scelto, 0);
  EXPECT_EQ(editor_.Riga_Scelta(), -1);

  // Ctrl+V before any Ctrl+C in this run does nothing, whatever the
  // clipboard holds.
  QImage nero(8, 12, QImage::Format_RGB888);
  nero.fill(Qt::black);
  QGuiApplication::clipboard()->setImage(nero);
  Tasto(Qt::Key_V);
  EXPECT_EQ(editor_.Cella.Pixel(3, 3), img::Bianco);
  EXPECT_EQ(editor_.Striscia.Pixel(3, 3), img::Bianco);
  // After a copy, a larger foreign picture pastes only the cell's part.
  Tasto(Qt::Key_C);
  QImage grande(30, 30, QImage::Format_RGB888);
  grande.fill(Qt::black);
  QGuiApplication::clipboard()->setImage(grande);
  Tasto(Qt::Key_V);
  EXPECT_EQ(editor_.Cella.Larghezza(), 8);
  EXPECT_EQ(editor_.Cella.Pixel(7, 11), img::Nero);
  EXPECT_EQ(editor_.Striscia.Pixel(8, 0), img::Bianco);
}

// "Nuovo" with the standard values, then "Genera" from Liberation Mono; the
// two dialogs' box checks; "Salva" writes "Nuovo.bmp" in the current folder.
TEST_F(FinestraFont, NuovoEGeneraDaLiberationMono) {
  const auto cartella = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Dir());
  f_->Mostra_Modale = [&](QDialog& d) {
    Modali_Attese attesa;  // shown and answered here
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    auto& n = dynamic_cast<FrmNuovo&>(d);
    QLineEdit* w = n.txtLarghezza();
    QLineEdit* h = n.txtAltezza();
    QPushButton* nuovo = n.cmdNuovo();
    EXPECT_EQ(d.windowTitle(), "Nuovo ");
    EXPECT_EQ(w->text(), "16");
    EXPECT_EQ(h->text(), "32");
    EXPECT_TRUE(n.optBN()->isChecked());
    struct Caso {
      const char* testo;
      bool valido;
    } casi[] = {{"3", false}, {"129", false}, {"4", true}, {"128", true}, {" 16 ", true}, {"", false}, {"abc", false}};
    for (QLineEdit* t : {w, h}) {
      const QString valido = t->text();
      for (const auto& c : casi) {
        t->setText(c.testo);
        EXPECT_EQ(nuovo->isEnabled(), c.valido) << c.testo;
      }
      t->setText(valido);
    }
    // In black and white, a click on the text swatch swaps the pair.
    QTest::mouseClick(n.lblColore1(), Qt::LeftButton);
    QTest::mouseClick(n.lblColore1X(), Qt::LeftButton);
    Schermata(d, "zufnt_nuovo");
    QTest::mouseClick(nuovo, Qt::LeftButton);
  };
  f_->Azione("Nuovo")->trigger();
  EXPECT_EQ(f_->windowTitle(), "Nuovo.bmp");
  EXPECT_EQ(editor_.Striscia.Larghezza(), 4096);
  EXPECT_EQ(editor_.Striscia.Altezza(), 32);
  EXPECT_EQ(editor_.Bit_Pixel, 1);
  EXPECT_EQ(editor_.Colore_Testo, img::Nero);
  EXPECT_EQ(editor_.Colore_Sfondo, img::Bianco);
  EXPECT_TRUE(f_->Azione("Genera")->isEnabled());

  dialoghi_.font = Impostazioni_Font{};
  dialoghi_.font->Font_Nome = "Liberation Mono";
  dialoghi_.font->Font_Punti = 24;
  dialoghi_.font->Font_Grassetto = true;
  f_->Mostra_Modale = [&](QDialog& d) {
    Modali_Attese attesa;  // shown and answered here
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(d.windowTitle(), "Genera ");
    auto& g = dynamic_cast<FrmGenera&>(d);
    QTest::mouseClick(g.cmdFont(), Qt::LeftButton);
    EXPECT_EQ(g.lblFntTipo()->text(), "Liberation Mono");
    EXPECT_EQ(g.lblFntStile()->text(), "Grassetto ");
    EXPECT_EQ(g.lblFntPunti()->text(), "24");
    QPushButton* genera = g.cmdGenera();
    struct Caso {
      const char* nome;
      QLineEdit* casella;
      const char* testo;
      bool valido;
    } casi[] = {{"txtDesX", g.txtDesX(), "15", true},    {"txtDesX", g.txtDesX(), "16", false},
                {"txtDesX", g.txtDesX(), "-1", false},   {"txtDesY", g.txtDesY(), "-31", true},
                {"txtDesY", g.txtDesY(), "31", true},    {"txtDesY", g.txtDesY(), "-32", false},
                {"txtDesY", g.txtDesY(), "32", false},   {"txtFontR", g.txtFontR(), "360", true},
                {"txtFontR", g.txtFontR(), "361", false}, {"txtFontW", g.txtFontW(), "512", true},
                {"txtFontW", g.txtFontW(), "513", false}};
    for (const auto& c : casi) {
      c.casella->setText(c.testo);
      EXPECT_EQ(genera->isEnabled(), c.valido) << c.nome << " " << c.testo;
      c.casella->setText("0");
    }
    g.chkCentraX()->setChecked(true);
    Schermata(d, "zufnt_genera");
    QTest::mouseClick(genera, Qt::LeftButton);
  };
  f_->Azione("Genera")->trigger();
  EXPECT_TRUE(editor_.Font.Centra_X);
  EXPECT_FALSE(editor_.Font.Centra_Y);
  for (int c : {int{'A'}, int{'g'}, int{'~'}, 0xE8}) {
    int n = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 16; ++x) n += editor_.Striscia.Pixel(c * 16 + x, y) == img::Nero;
    EXPECT_GT(n, 10) << c;
  }
  Scegli('g');
  Schermata(*f_, "zufnt_genera_finestra");

  f_->Azione("Salva")->trigger();
  const bool salvata = std::filesystem::exists(dir_.Dir() / "Nuovo.bmp");
  std::filesystem::current_path(cartella);
  ASSERT_TRUE(salvata);
  const img::Immagine p =
      Pagina_Striscia(dir_ / "Nuovo.bmp", {"ZuFNT: Liberation Mono 24, grassetto", "0123456789 +-*/ <=> ()"}, 16, 32,
                      Schermata("zufnt_pagina").toStdString());
  EXPECT_FALSE(p.Vuota());
}

// "Colori": the swatches open the colour dialog (Cancel keeps the colour),
// and the new strip is a 24-bit strip in the chosen background.
TEST_F(FinestraFont, NuovoAColori) {
  const img::Colore blu{0, 0, 128}, giallo{255, 255, 0};
  dialoghi_.colori = {blu, giallo};
  f_->Mostra_Modale = [&](QDialog& d) {
    Modali_Attese attesa;  // shown and answered here
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    auto& n = dynamic_cast<FrmNuovo&>(d);
    n.txtLarghezza()->setText("10");
    n.txtAltezza()->setText("12.5");  // 12, halves to even
    n.optColore()->click();
    QTest::mouseClick(n.lblColore2X(), Qt::LeftButton);
    QTest::mouseClick(n.lblColore1(), Qt::LeftButton);
    QTest::mouseClick(n.lblColore1(), Qt::LeftButton);  // cancelled: stays yellow
    QTest::mouseClick(n.cmdNuovo(), Qt::LeftButton);
  };
  f_->Azione("Nuovo")->trigger();
  EXPECT_EQ(editor_.Bit_Pixel, 24);
  EXPECT_EQ(editor_.Larghezza_Cella, 10);
  EXPECT_EQ(editor_.Altezza_Cella, 12);
  EXPECT_EQ(editor_.Colore_Sfondo, blu);
  EXPECT_EQ(editor_.Colore_Testo, giallo);
  EXPECT_EQ(editor_.Striscia.Pixel(2559, 11), blu);
  // A pixel set with the left button takes the text colour.
  Clic_Pixel(3, 4);
  EXPECT_EQ(editor_.Striscia.Pixel(3, 4), giallo);
}

}  // namespace
