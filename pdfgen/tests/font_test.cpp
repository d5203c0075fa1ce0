// The built-in font metrics, the font objects and the text width.
#include <algorithm>
#include <functional>

#include "pdf_test_util.h"
#include "qod/ansi.h"
#include "qod/pdf/font_metrics.h"
#include "qod/pdf/x_pdf.h"
#include "qod/prova/finti.h"

using namespace qod;
using namespace qod::pdf;
using namespace qod::pdf::test;

namespace {
const auto& T = Tabella_Metriche();
}

TEST(Metriche, KnownWidthsOfEverySet) {
  const int codici[14] = {32, 48, 64, 65, 77, 87, 97, 105, 109, 128, 129, 160, 215, 233};
  struct Caso {
    std::vector<int> record;
    int larghezze[14];
  } casi[] = {
      {{1}, {250, 500, 921, 722, 889, 944, 444, 278, 778, 500, 778, 250, 564, 444}},
      {{5}, {250, 500, 930, 722, 944, 1000, 500, 278, 833, 500, 778, 250, 570, 444}},
      {{9}, {250, 500, 920, 611, 833, 833, 500, 278, 722, 500, 778, 250, 675, 444}},
      {{13}, {250, 500, 832, 667, 889, 889, 500, 278, 778, 500, 778, 250, 570, 444}},
      {{2, 10}, {278, 556, 1015, 667, 833, 944, 556, 222, 833, 556, 750, 278, 584, 556}},
      {{6, 14}, {278, 556, 975, 722, 833, 944, 556, 278, 889, 556, 750, 278, 584, 556}},
      {{3, 7, 11, 15}, {250, 500, 549, 722, 889, 768, 631, 329, 576, 600, 600, 600, 250, 384}},
  };
  for (const Caso& c : casi)
    for (int r : c.record)
      for (int i = 0; i < 14; ++i) EXPECT_EQ(T[r].Widths[codici[i]], c.larghezze[i]) << r << " code " << codici[i];
}

TEST(Metriche, SharingRulesOfTheWidthSets) {
  auto uguali = [](int a, int b) { return T[a].Widths == T[b].Widths; };
  EXPECT_TRUE(uguali(2, 10));
  EXPECT_TRUE(uguali(6, 14));
  EXPECT_FALSE(uguali(2, 6));
  const int times[] = {1, 5, 9, 13};
  for (int a : times)
    for (int b : times)
      if (a != b) {
        EXPECT_FALSE(uguali(a, b)) << a << " " << b;
      }
  EXPECT_TRUE(uguali(3, 7) && uguali(3, 11) && uguali(3, 15));
  for (int s = 1; s <= 4; ++s) {
    const Metrica_Font& courier = T[Indice_Metrica(1, s)];
    for (int c = 32; c <= 255; ++c) EXPECT_EQ(courier.Widths[c], 600) << c;
    EXPECT_EQ(courier.Widths[31], 0);
  }
  for (int r = 0; r < 16; ++r) {
    const bool symbol = r % 4 == 3;
    EXPECT_EQ(T[r].FirstChar, symbol ? 30 : 32) << r;
    EXPECT_EQ(T[r].LastChar, 255) << r;
    EXPECT_EQ(T[r].Subtype, "TrueType");
    for (int c = 1; c < T[r].FirstChar; ++c) EXPECT_EQ(T[r].Widths[c], 0) << r << " " << c;
    for (int c = T[r].FirstChar; c <= 255; ++c) EXPECT_GT(T[r].Widths[c], 0) << r << " " << c;
    if (symbol) {
      for (int c : {30, 31, 127, 140, 160, 240, 255}) EXPECT_EQ(T[r].Widths[c], 600) << c;
    } else {
      for (int c = 49; c <= 57; ++c) EXPECT_EQ(T[r].Widths[c], T[r].Widths[48]) << r;
      EXPECT_EQ(T[r].Widths[160], T[r].Widths[32]) << r;
    }
  }
  // Unassigned codes carry the missing glyph's width.
  for (int c : {129, 141, 143, 144, 157}) {
    EXPECT_EQ(T[2].Widths[c], 750);
    EXPECT_EQ(T[1].Widths[c], 778);
  }
}

TEST(Metriche, DescriptorValues) {
  struct Caso {
    int r;
    const char* base;
    int flags;
    const char* bbox;
    int missing, stem, italic, descent, max_w, avg_w;
  } casi[] = {
      {0, "CourierNew", 34, "[-250 -300 720 1000]", 600, 109, 0, -300, 600, 600},
      {2, "Arial", 32, "[-250 -221 1190 1000]", 272, 80, 0, -212, 992, 441},
      {3, "Symbol", 6, "[-250 -220 1246 1005]", 332, 109, 0, -220, 1038, 601},
      {4, "CourierNew,Bold", 16418, "[-250 -300 720 1000]", 600, 191, 0, -300, 600, 600},
      {5, "TimesNewRoman,Bold", 16418, "[-250 -216 1201 1000]", 333, 136, 0, -216, 1001, 401},
      {8, "CourierNew,Italic", 98, "[-250 -300 720 1000]", 600, 109, -11, -300, 600, 600},
      {9, "TimesNewRoman,Italic", 98, "[-250 -216 1200 1000]", 389, 73, -11, -216, 1000, 402},
      {10, "Arial,Italic", 96, "[-250 -212 1134 1000]", 259, 80, -11, -212, 945, 441},
      {13, "TimesNewRoman,BoldItalic", 16482, "[-250 -216 1200 1000]", 333, 131, -11, -216, 1000, 412},
      {15, "Symbol,BoldItalic", 16454, "[-250 -220 1246 1005]", 332, 191, -11, -220, 1038, 600},
  };
  for (const Caso& c : casi) {
    const Metrica_Font& m = T[c.r];
    EXPECT_EQ(m.BaseFont, c.base);
    EXPECT_EQ(m.Flags, c.flags) << c.r;
    EXPECT_EQ(m.FontBBox, c.bbox) << c.r;
    EXPECT_EQ(m.MissingWidth, c.missing) << c.r;
    EXPECT_EQ(m.StemV, c.stem) << c.r;
    EXPECT_EQ(m.StemH, c.stem) << c.r;
    EXPECT_EQ(m.ItalicAngle, c.italic) << c.r;
    EXPECT_EQ(m.Descent, c.descent) << c.r;
    EXPECT_EQ(m.MaxWidth, c.max_w) << c.r;
    EXPECT_EQ(m.AvgWidth, c.avg_w) << c.r;
  }
  // Flags: 2 serif, 4 symbolic or 32 not, 64 italic, 16384 bold.
  for (int r = 0; r < 16; ++r) {
    int famiglia = r % 4 + 1, stile = r / 4 + 1;
    int atteso = (famiglia != 3 ? 2 : 0) + (famiglia == 4 ? 4 : 32) + (stile >= 3 ? 64 : 0) +
                 (stile == 2 || stile == 4 ? 16384 : 0);
    EXPECT_EQ(T[r].Flags, atteso) << r;
    EXPECT_EQ(T[r].Ascent, T[r].CapHeight) << r;
  }
}

namespace {
// A document on a clock that stands still, so that two documents written a
// second apart carry the same creation date and can be compared byte for byte.
std::string Documento_Font(std::string nome, const std::function<void(X_PDF&)>& fa) {
  FakeClock orologio;
  X_PDF pdf(orologio);
  pdf.InitPDFFile(nome);
  fa(pdf);
  pdf.ClosePDFFile();
  return Leggi_File(nome);
}
}  // namespace

TEST(Font, TrueTypeFontObjectAndDescriptor) {
  Cartella dir("font");
  std::string base = "Times New Roman";
  std::string dati = Documento_Font(dir / "tt.pdf", [&](X_PDF& p) {
    p.LoadFont("Fnt1", base, 2);
    p.StartPage();
    p.DrawText(2, 20, A("Perché 10 €"), "Fnt1", 12);
    p.EndPage();
  });
  EXPECT_EQ(base, "TIMESNEWROMAN");
  const Metrica_Font& m = T[5];
  std::string larghezze;
  for (int c = 32; c <= 255; ++c) {
    larghezze += std::to_string(m.Widths[c]) + " ";
    if ((c - 31) % 16 == 0) larghezze += "\n";
  }
  std::string atteso =
      "6 0 obj\n<< /Type /Font \n/Subtype /TrueType\n/Name /Fnt1\n/BaseFont /TimesNewRoman,Bold\n"
      "/FirstChar 32\n/LastChar 255\n/FontDescriptor 7 0 R\n/Encoding 3 0 R\n/Widths [\n" +
      larghezze +
      "] >>\nendobj\n"
      "7 0 obj\n<<\n/Type /FontDescriptor\n/FontName /TimesNewRoman,Bold\n/Flags 16418\n"
      "/FontBBox [-250 -216 1201 1000]\n/MissingWidth 333\n/StemV 136\n/StemH 136\n/ItalicAngle 0\n"
      "/CapHeight 891\n/XHeight 446\n/Ascent 891\n/Descent -216\n/Leading 149\n/MaxWidth 1001\n/AvgWidth 401\n"
      ">>\nendobj\n";
  EXPECT_NE(dati.find(atteso), std::string::npos);
  EXPECT_EQ(std::count(larghezze.begin(), larghezze.end(), '\n'), 14);
  EXPECT_NE(dati.find(" /Font <</Fnt1 6 0 R \r>>\n"), std::string::npos);
  EXPECT_TRUE(Qpdf_Ok(dir / "tt.pdf"));
  Esito f = Esegui({"pdffonts", dir / "tt.pdf"});
  EXPECT_NE(f.out.find("TimesNewRoman,Bold"), std::string::npos) << f.out;
  EXPECT_NE(f.out.find("TrueType"), std::string::npos) << f.out;
  Esito t = Esegui({"pdftotext", dir / "tt.pdf", "-"});
  EXPECT_NE(t.out.find("Perché 10 €"), std::string::npos) << t.out;  // WinAnsi text, read back as UTF-8
}

TEST(Font, FamiliesStylesAndFailures) {
  Cartella dir("font");
  struct Caso {
    const char* nome;
    int stile;
    const char* base_font;
  } casi[] = {{"arial", 1, "/BaseFont /Arial\n"},       {"Courier New", 3, "/BaseFont /CourierNew,Italic\n"},
              {"Verdana", 1, "/BaseFont /CourierNew\n"}, {"Times New Roman", 4, "/BaseFont /TimesNewRoman,BoldItalic\n"},
              {"Symbol", 1, "/BaseFont /CourierNew\n"}};
  for (const Caso& c : casi) {
    std::string base = c.nome;
    std::string dati = Documento_Font(dir / "f.pdf", [&](X_PDF& p) { p.LoadFont("F", base, c.stile); });
    EXPECT_NE(dati.find(c.base_font), std::string::npos) << c.nome;
  }
  // A style outside 1..4 (or none) writes and registers nothing.
  std::string vuoto = Documento_Font(dir / "g.pdf", [](X_PDF&) {});
  for (int stile : {0, 5, -1}) {
    std::string base = "Arial";
    std::string dati = Documento_Font(dir / "g.pdf", [&](X_PDF& p) {
      EXPECT_THROW(p.LoadFont("F", base, stile), std::invalid_argument);
      EXPECT_EQ(p.Length("abc", "F", 10), 0);
    });
    EXPECT_EQ(dati, vuoto) << stile;
  }
  std::string base = "Arial";
  Documento_Font(dir / "g.pdf", [&](X_PDF& p) { EXPECT_THROW(p.LoadFont("F", base), std::invalid_argument); });
}

TEST(Font, StandardFontSuffixes) {
  Cartella dir("font");
  struct Caso {
    int stile;
    const char* atteso;
  } casi[] = {{0, "/BaseFont /Helvetica\n"},           {1, "/BaseFont /Helvetica\n"},
              {2, "/BaseFont /Helvetica,Bold\n"},      {3, "/BaseFont /Helvetica,Italic\n"},
              {4, "/BaseFont /Helvetica,BoldItalic\n"}};
  for (const Caso& c : casi) {
    std::string base = "Hel vetica";
    std::string dati = Documento_Font(dir / "s.pdf", [&](X_PDF& p) { p.LoadFontStandard("S", base, c.stile); });
    EXPECT_EQ(base, "Helvetica");
    EXPECT_NE(dati.find("<<\n/Type /Font \n/Subtype /Type1\n/Name /S\n" + std::string(c.atteso) +
                        "/Encoding 3 0 R\n>>\nendobj\n"),
              std::string::npos)
        << c.stile;
  }
}

TEST(Font, TextWidth) {
  Cartella dir("font");
  std::string nome = dir / "w.pdf";
  X_PDF pdf;
  pdf.ScaleMode(0);
  pdf.InitPDFFile(nome);
  std::string c = "Courier New", a = "Arial";
  pdf.LoadFont("Cour", c, 1);
  pdf.LoadFont("Fnt1", a, 1);
  pdf.StartPage();
  struct Caso {
    std::string testo, font;
    float punti, atteso;
  } casi[] = {
      {"", "Cour", 10, 0},
      {"abcde", "Cour", 10, 30},
      {"abc", "COUR", 10, 18},         // the name is found ignoring case
      {"abc", "Nessuno", 10, 0},       // not loaded
      {"\x1F", "Cour", 10, 6},         // code 31: MissingWidth 600
      {"\x1F", "Fnt1", 10, 2.72f},     // Arial MissingWidth 272
      {"pag. 1 / 3", "Fnt1", 8, 33.36f},  // five digits and letters of 556, five of 278
  };
  for (const Caso& k : casi) EXPECT_NEAR(pdf.Length(k.testo, k.font, k.punti), k.atteso, 1e-3) << k.testo;
  // Word and character spacing and horizontal scaling; 160 is measured but
  // is not a space.
  pdf.SetWordSpacing(2);
  pdf.SetCharSpacing(1);
  EXPECT_NEAR(pdf.Length("a b", "Cour", 10), 18 + 2 + 3, 1e-4);
  EXPECT_NEAR(pdf.Length("a\xA0" "b", "Cour", 10), 18 + 3, 1e-4);
  pdf.SetTextHorizontalScaling(50);
  EXPECT_NEAR(pdf.Length("a b", "Cour", 10), 11.5f, 1e-4);
  pdf.EndPage();
  pdf.StartPage();  // the text state starts again
  EXPECT_NEAR(pdf.Length("a b", "Cour", 10), 18, 1e-4);
  pdf.EndPage();
  pdf.ScaleMode(3);
  pdf.StartPage();
  EXPECT_NEAR(pdf.Length("abcdef", "Cour", 10), 36 / 72.0 * 2.54, 1e-5);  // in centimetres
  pdf.EndPage();
  pdf.ClosePDFFile();
  EXPECT_TRUE(Qpdf_Ok(nome));
}
