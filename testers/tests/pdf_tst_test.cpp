// Qod_PDF_TST driven offscreen on the real PDF generator.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

#include <filesystem>

#include "frm_base.h"
#include "qod/imaging/file.h"
#include "qod/testers/prova_pdf.h"
#include "qt_testo.h"
#include "supporto.h"
#include "supporto_qt.h"

namespace qod::testers {
namespace {

namespace fs = std::filesystem;
using prova::Cartella_Prova;

TEST(CampiPdf, NumbersAreReadAsFarAsTheyGo) {
  struct Caso {
    const char* testo;
    float atteso;
  };
  const Caso casi[] = {{"29.7", 29.7f}, {"29,7", 29.0f}, {" 21.1 ", 21.1f}, {"abc", 0.0f},
                       {"", 0.0f},      {"-1.5cm", -1.5f}, {"1e1", 10.0f}};
  for (const Caso& c : casi) {
    Campi_PDF f;
    f.altezza = f.larghezza = f.sinistro = f.superiore = f.pag_sinistro = f.pag_superiore = c.testo;
    pdf::Qod_PDF p;
    Imposta_PDF(f, p);
    for (float v : {p.qodpdf_Height, p.qodpdf_Width, p.qodpdf_Left, p.qodpdf_Top, p.qodpdf_Pag_Left, p.qodpdf_Pag_Top})
      EXPECT_FLOAT_EQ(v, c.atteso) << c.testo;
  }
}

TEST(CampiPdf, TextsLoseTheBlanksAroundThem) {
  Campi_PDF f{" Autore ", " Titolo", "Oggetto ", " /in ", " a.png,b.png ", "", "", "", "", true, "", "", " /o.pdf "};
  pdf::Qod_PDF p;
  Imposta_PDF(f, p);
  EXPECT_EQ(p.qodpdf_Autor, "Autore");
  EXPECT_EQ(p.qodpdf_Title, "Titolo");
  EXPECT_EQ(p.qodpdf_Subject, "Oggetto");
  EXPECT_EQ(p.qodpdf_Dir, "/in");
  EXPECT_EQ(p.qodpdf_Files, "a.png,b.png");
  EXPECT_EQ(p.qodpdf_Out, "/o.pdf");
  EXPECT_TRUE(p.qodpdf_Pag);
}

class PdfTst : public prova::Prova_Qt {
 protected:
  void SetUp() override {
    frm = std::make_unique<FrmBase>(c.Dir().string());
    frm->show();
    // Two page images: a PNG and a G4 TIFF.
    fs::create_directories(c.Dir() / "pagine");
    img::Immagine im;
    im.Crea(850, 1100, 1);
    im.Riempi(img::Bianco);
    im.Riempi(50, 50, 750, 20, img::Nero);
    im.Riempi(50, 1030, 750, 20, img::Nero);
    img::Parametri_Salvataggio png;
    png.opzioni = "EXTENSION = PNG";
    ASSERT_TRUE(img::Salva(im, c.Dir() / "pagine" / "im1.png", png));
    im.Riempi(100, 200, 300, 300, img::Nero);
    img::Parametri_Salvataggio tif;
    tif.compressione = 5;
    tif.opzioni = "EXTENSION = TIF";
    ASSERT_TRUE(img::Salva(im, c.Dir() / "pagine" / "im2.tif", tif));
  }
  std::string Stato() { return Ansi_Qt(frm->lblStato->text()); }

  Cartella_Prova c{"tst"};
  std::unique_ptr<FrmBase> frm;
};

TEST_F(PdfTst, APdfFromAFolderOfPageImages) {
  EXPECT_EQ(frm->windowTitle(), " TEST Qod_PDF.OCX");
  EXPECT_EQ(frm->Timer1.interval(), 2000);
  frm->txtDir->setText(QString::fromStdString((c.Dir() / "pagine").string()));
  frm->txtFiles->setText("im1.png,IM2.TIF");
  const fs::path out = c.Dir() / "Prova.pdf";
  frm->txtOut->setText(QString::fromStdString(out.string()));
  frm->txtHeight->setText("27");
  frm->txtWidth->setText("20");
  frm->txtLeft->setText("0.5");
  frm->txtTop->setText("1,9");  // read as 1
  QTest::mouseClick(frm->chkNumPag, Qt::LeftButton, {}, QPoint(6, frm->chkNumPag->height() / 2));
  ASSERT_TRUE(frm->chkNumPag->isChecked());
  frm->txtPagLeft->setText("19");
  frm->txtPagTop->setText("0.5");
  prova::Schermata(*frm, "pdf_tst_frmBase");
  QElapsedTimer tempo;
  tempo.start();
  QTest::mouseClick(frm->Command1, Qt::LeftButton);

  EXPECT_EQ(Stato(), "OK");
  prova::Schermata(*frm, "pdf_tst_frmBase_ok");
  // "OK" goes after two seconds, not before (a coarse timer may fire up to
  // 5% early).
  ASSERT_TRUE(QTest::qWaitFor([&] { return Stato().empty(); }, 60000));
  EXPECT_GE(tempo.elapsed(), 1900);
  EXPECT_FLOAT_EQ(frm->Qod_PDF1.qodpdf_Top, 1.0f);
  EXPECT_TRUE(frm->Qod_PDF1.qodpdf_Pag);
  ASSERT_TRUE(fs::exists(out));
  std::string uscita;
  EXPECT_EQ(prova::Esegui("qpdf --check '" + out.string() + "' 2>&1", &uscita), 0) << uscita;
  EXPECT_EQ(prova::Comando("pdfinfo '" + out.string() + "' | grep '^Pages:' | tr -s ' '"), "Pages: 2");
  EXPECT_NE(prova::Comando("pdftotext -f 2 -l 2 '" + out.string() + "' -").find("pag. 2 / 2"), std::string::npos);
  EXPECT_EQ(prova::Esegui("pdftoppm -r 40 -png -f 1 -l 1 '" + out.string() + "' '" +
                         (prova::Schermate() / "pdf_tst_pagina").string() + "'"),
            0);
}

TEST_F(PdfTst, MissingOutputFolderShowsTheMessageAndItStays) {
  frm->txtDir->setText(QString::fromStdString((c.Dir() / "pagine").string()));
  frm->txtFiles->setText("im1.png");
  frm->txtOut->setText(QString::fromStdString((c.Dir() / "manca" / "x.pdf").string()));
  QTest::mouseClick(frm->Command1, Qt::LeftButton);
  EXPECT_EQ(Stato(), "Qod_PDF: La cartella dell file di output \xE8 errata o mancante");
  EXPECT_FALSE(frm->Timer1.isActive());
  prova::Schermata(*frm, "pdf_tst_frmBase_errore");
  QTest::qWait(2200);
  EXPECT_EQ(Stato(), "Qod_PDF: La cartella dell file di output \xE8 errata o mancante");

  // The next run starts from an empty state line and shows its own result.
  frm->txtOut->setText(QString::fromStdString((c.Dir() / "x.pdf").string()));
  QTest::mouseClick(frm->Command1, Qt::LeftButton);
  EXPECT_EQ(Stato(), "OK");
}

TEST_F(PdfTst, MissingImageIsTheGeneratorsMessage) {
  frm->txtDir->setText(QString::fromStdString((c.Dir() / "pagine").string()));
  frm->txtFiles->setText("im1.png,nessuna.png");
  frm->txtOut->setText(QString::fromStdString((c.Dir() / "x.pdf").string()));
  QTest::mouseClick(frm->Command1, Qt::LeftButton);
  EXPECT_TRUE(frm->Qod_PDF1.qodpdf_Error);
  EXPECT_EQ(Stato(), frm->Qod_PDF1.qodpdf_Status);
  EXPECT_EQ(Stato().rfind("Qod_PDF: ", 0), 0u) << Stato();
}

}  // namespace
}  // namespace qod::testers
