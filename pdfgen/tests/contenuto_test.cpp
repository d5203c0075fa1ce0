// Page content operators and form objects.
#include <functional>

#include "pdf_test_util.h"
#include "qod/pdf/x_pdf.h"

using namespace qod;
using namespace qod::pdf;
using namespace qod::pdf::test;

namespace {

// The content stream of page `pagina` of a file.
std::string Flusso_Pagina(const std::string& dati, int pagina) {
  size_t pos = 0;
  for (int i = 0; i < pagina; ++i) {
    pos = dati.find("/Type /Page\n", pos);
    if (pos == std::string::npos) return "<no page>";
    pos += 1;
  }
  size_t s = dati.find("stream\n", pos) + 7;
  size_t e = dati.find("endstream\n", s);
  return dati.substr(s, e - s);
}

// Runs `disegna` on page 1 of a fresh document and returns its content.
std::string Contenuto(const std::function<void(X_PDF&)>& disegna) {
  Cartella dir("contenuto");
  std::string nome = dir / "p.pdf";
  X_PDF pdf;
  pdf.InitPDFFile(nome);
  pdf.StartPage();
  disegna(pdf);
  pdf.EndPage();
  pdf.ClosePDFFile();
  std::string dati = Leggi_File(nome);
  EXPECT_TRUE(Struttura_Ok(dati));
  EXPECT_TRUE(Qpdf_Ok(nome));
  return Flusso_Pagina(dati, 1);
}

}  // namespace

TEST(Contenuto, OperatorTable) {
  struct Caso {
    const char* nome;
    std::function<void(X_PDF&)> fa;
    const char* atteso;
  } casi[] = {
      {"fill grey white", [](X_PDF& p) { p.SetColorFill(-255); }, "1 g\n"},
      {"fill black", [](X_PDF& p) { p.SetColorFill(0); }, "0 g\n"},
      {"fill red", [](X_PDF& p) { p.SetColorFill(255); }, "1 0 0 rg\n"},
      {"stroke grey", [](X_PDF& p) { p.SetColorStroke(-51); }, "0.2 G\n"},
      {"stroke rgb", [](X_PDF& p) { p.SetColorStroke(0x3366FF); }, "1 0.4 0.2 RG\n"},
      {"dash none", [](X_PDF& p) { p.SetDash(0); }, "[ ] 0 d\n"},
      {"dash 3 cm", [](X_PDF& p) { p.SetDash(3); }, "[85.039 0] 0 d\n"},
      {"dash on off", [](X_PDF& p) { p.SetDash(1, 0.5f); }, "[28.346 14.173] 0 d\n"},
      {"line width", [](X_PDF& p) { p.SetLineWidth(0.1f); }, "2.835 w\n"},
      {"cap 2", [](X_PDF& p) { p.SetLineCap(2); }, "2 J\n"},
      {"cap 3", [](X_PDF& p) { p.SetLineCap(3); }, ""},
      {"join 1", [](X_PDF& p) { p.SetLineJoin(1); }, "1 j\n"},
      {"join -1", [](X_PDF& p) { p.SetLineJoin(-1); }, ""},
      {"miter 0.5", [](X_PDF& p) { p.SetMiterLimit(0.5f); }, ""},
      {"miter 1", [](X_PDF& p) { p.SetMiterLimit(1); }, "1 M\n"},
      {"render 3", [](X_PDF& p) { p.SetTextRenderingMode(3); }, ""},
      {"render 2", [](X_PDF& p) { p.SetTextRenderingMode(2); }, "2 Tr\n"},
      {"word spacing", [](X_PDF& p) { p.SetWordSpacing(1.5f); }, "1.5 Tw\n"},
      {"char spacing", [](X_PDF& p) { p.SetCharSpacing(-0.25f); }, "-0.25 Tc\n"},
      {"scaling", [](X_PDF& p) { p.SetTextHorizontalScaling(90); }, "90 Tz\n"},
      {"move", [](X_PDF& p) { p.MoveTo(1, 2); }, "28.346 56.693 m\n"},
      {"line", [](X_PDF& p) { p.LineTo(1, 2); }, "28.346 56.693 l\n"},
      {"line close stroke", [](X_PDF& p) { p.LineTo(1, 2, 3); }, "28.346 56.693 l\nh\nS\n"},
      {"line fill", [](X_PDF& p) { p.LineTo(1, 2, 7); }, "28.346 56.693 l\nf\n"},
      {"line close", [](X_PDF& p) { p.LineTo(0, 0, 2); }, "0 0 l\nh\n"},
      {"curve", [](X_PDF& p) { p.Curve(0, 0, 1, 1, 2, 0, 1); }, "0 0 28.346 28.346 56.693 0 c\nS\n"},
      {"rectangle", [](X_PDF& p) { p.Rectangle(1, 1, 2, 3, 1); }, "n\n28.346 28.346 56.693 85.039 re\nS\n"},
      {"rounded rectangle, radius cut to half the height",
       [](X_PDF& p) {
         p.ScaleMode(0);
         p.Rectangle(0, 0, 100, 20, 4, 15);
       },
       "n\n10 0 m\n90 0 l\n95.5 0 100 4.5 100 10 c\n100 10 l\n100 15.5 95.5 20 90 20 c\n10 20 l\n"
       "4.5 20 0 15.5 0 10 c\n0 10 l\n0 4.5 4.5 0 10 0 c\nf\n"},
      {"circle",
       [](X_PDF& p) {
         p.ScaleMode(0);
         p.DrawCircle(100, 100, 10, 1);
       },
       "100 90 m\n105.5 90 110 94.5 110 100 c\n110 105.5 105.5 110 100 110 c\n"
       "94.5 110 90 105.5 90 100 c\n90 94.5 94.5 90 100 90 c\nS\n"},
      {"image",
       [](X_PDF& p) { p.DrawImg("Img1", 0.1f, 0.1f, 21, -29.7f); },
       "q\n595.276 0 0 841.89 2.835 2.835 cm\n/Img1 Do\nQ\n"},
      {"text left", [](X_PDF& p) { p.DrawText(1, 1, "a\\b", "F1", 10.5f); },
       "BT\n/F1 10.5 Tf\n28.346 28.346 Td\n(a\\\\b) Tj\nET\n"},
      {"text at 90 degrees", [](X_PDF& p) { p.DrawText(1, 2, "x", "F1", 8, 0, 90); },
       "BT\n/F1 8 Tf\n0 1 -1 0 28.346 56.693 Tm\n(x) Tj\nET\n"},
      {"object", [](X_PDF& p) { p.DrawObject("Frm1"); }, "/Frm1 Do\n"},
  };
  for (const Caso& c : casi) EXPECT_EQ(Contenuto(c.fa), c.atteso) << c.nome;
}

TEST(Contenuto, ArcsAndPies) {
  std::string arco = Contenuto([](X_PDF& p) {
    p.ScaleMode(0);
    bool torta = false;
    p.Arc(100, 100, 10, 0, 180, 0.5f, torta, 0, 90, 1);
    EXPECT_FALSE(torta);
  });
  EXPECT_EQ(arco, "n\n100 100 m\n110 100 m\n110 100 l\n100 105 l\n90 100 l\nS\n");
  std::string torta = Contenuto([](X_PDF& p) {
    p.ScaleMode(0);
    bool t = false;
    p.Arc(0, 0, 10, 0, 90, 1, t, 90, 90, 4);
    EXPECT_TRUE(t);  // filling makes it a pie, also for the caller
  });
  EXPECT_EQ(torta, "n\n0 0 m\n0 10 l\n-10 0 l\n0 0 l\nf\n");
  Contenuto([](X_PDF& p) {
    bool t = false;
    EXPECT_THROW(p.Arc(0, 0, 1, 0, 90, 1, t, 0, 0), std::invalid_argument);
    EXPECT_THROW(p.Arc(0, 0, 1, 0, 1e30f, 1, t, 0, 1), std::invalid_argument);
  });
}

TEST(Contenuto, ColoursBelowGreyRangeFail) {
  Contenuto([](X_PDF& p) {
    EXPECT_THROW(p.SetColorFill(-256), std::out_of_range);
    EXPECT_THROW(p.SetColorStroke(-100000), std::out_of_range);
  });
}

TEST(Contenuto, PageStreamLengthCountsUpToEndstream) {
  Cartella dir("contenuto");
  std::string nome = dir / "lunghezza.pdf";
  X_PDF pdf;
  pdf.InitPDFFile(nome);
  pdf.StartPage();
  pdf.MoveTo(1, 1);
  pdf.LineTo(2, 2, 1);
  pdf.EndPage();
  pdf.ClosePDFFile();
  std::string dati = Leggi_File(nome);
  std::string flusso = Flusso_Pagina(dati, 1);
  EXPECT_NE(dati.find("8 0 obj\n" + std::to_string(flusso.size()) + "\nendobj\n"), std::string::npos);
  EXPECT_EQ(flusso.back(), '\n');
  EXPECT_TRUE(Qpdf_Ok(nome));
}

TEST(Contenuto, RightAndCentredTextEndAtX) {
  // Courier New 10 pt is 6 pt a character; the width is taken off before
  // the conversion to points.
  Contenuto([](X_PDF& p) {
    p.ScaleMode(0);
    std::string f = "Courier New";
    EXPECT_THROW(p.LoadFont("F", f, 1), std::logic_error);
  });
  Cartella dir("contenuto");
  std::string nome = dir / "allinea.pdf";
  X_PDF pdf;
  pdf.InitPDFFile(nome);
  std::string f = "Courier New";
  pdf.LoadFont("F", f, 1);
  EXPECT_EQ(pdf.Length("abc", "F", 10), 0);  // no text state before the first page
  pdf.StartPage();
  pdf.DrawText(10, 5, "abcd", "F", 10, 2);
  pdf.DrawText(10, 4, "abcd", "F", 10, 3);
  pdf.EndPage();
  pdf.ClosePDFFile();
  std::string c = Flusso_Pagina(Leggi_File(nome), 1);
  // 4 characters of 6 pt = 24 pt = 0.846667 cm.
  EXPECT_NE(c.find("259.465 141.732 Td\n"), std::string::npos) << c;  // (10 - 0.846667) cm
  EXPECT_NE(c.find("271.465 113.386 Td\n"), std::string::npos) << c;  // (10 - 0.423333) cm
  EXPECT_TRUE(Qpdf_Ok(nome));
}

TEST(Contenuto, FormsArePlacedByTheirOptions) {
  Cartella dir("contenuto");
  std::string nome = dir / "forme.pdf";
  X_PDF pdf;
  pdf.InitPDFFile(nome);
  const int opzioni[] = {1, 7, 12, 14, 15, 2};
  for (int o : opzioni) {
    pdf.StartObject("Frm" + std::to_string(o), static_cast<uint8_t>(o));
    pdf.Rectangle(1, 1, 1, 1, 1);
    pdf.EndObject();
  }
  for (int i = 0; i < 5; ++i) {
    pdf.StartPage();
    pdf.EndPage();
  }
  pdf.StartObject("Tardi", 7);  // applies to later pages only
  pdf.EndObject();
  pdf.StartPage();
  pdf.EndPage();
  pdf.ClosePDFFile();
  std::string dati = Leggi_File(nome);
  EXPECT_TRUE(Struttura_Ok(dati));
  EXPECT_TRUE(Qpdf_Ok(nome));
  struct Caso {
    int opzioni;
    std::vector<int> pagine;
  } casi[] = {{1, {1}}, {7, {1, 2, 3, 4, 5, 6}}, {12, {3, 5}}, {14, {2, 3, 4, 5, 6}}, {15, {1, 2, 3, 4, 5, 6}},
              {2, {2, 4, 6}}};
  for (const Caso& c : casi) {
    std::vector<int> trovate;
    for (int p = 1; p <= 6; ++p)
      if (Flusso_Pagina(dati, p).find("/Frm" + std::to_string(c.opzioni) + " Do\n") != std::string::npos)
        trovate.push_back(p);
    EXPECT_EQ(trovate, c.pagine) << c.opzioni;
  }
  EXPECT_EQ(Flusso_Pagina(dati, 5).find("/Tardi"), std::string::npos);
  EXPECT_NE(Flusso_Pagina(dati, 6).find("/Tardi Do\n"), std::string::npos);
  EXPECT_NE(dati.find("/Type /XObject\n/Subtype /Form\n/FormType 1\n/Name /Frm1\n/BBox [0 0 595.27 841.88]\n"
                      "/Matrix [1 0 0 1 0 0]\n/Length 7 0 R\n>>\nstream\n"),
            std::string::npos);
  EXPECT_NE(dati.find("/XObject <<\r\r/Frm1 6 0 R \r/Frm7 8 0 R \r"), std::string::npos);
  // The forms render: page 1 has Frm1, Frm7 and Frm15 on it.
  Esito e = Esegui({"pdftoppm", "-r", "10", "-f", "1", "-l", "1", "-png", nome, dir / "forme"});
  EXPECT_EQ(e.rc, 0);
  EXPECT_EQ(e.err, "");
}
