// Document structure: the golden files, numbers, units, information and
// page tree, and the life of the output file.
#include <clocale>
#include <locale>

#include "pdf_test_util.h"
#include "qod/pdf/x_pdf.h"
#include "qod/prova/finti.h"

using namespace qod;
using namespace qod::pdf;
using namespace qod::pdf::test;

namespace {

// The cross-reference table and trailer of `corpo`, built from where its
// objects stand in it.
std::string Con_Tabella(const std::string& corpo, int oggetti) {
  std::string r = corpo;
  std::string tabella = "xref\n0 " + std::to_string(oggetti + 1) + "\n0000000000 65535 f\r\n";
  for (int i = 1; i <= oggetti; ++i) {
    size_t pos = corpo.find("\n" + std::to_string(i) + " 0 obj\n");
    EXPECT_NE(pos, std::string::npos) << i;
    char riga[24];
    std::snprintf(riga, sizeof riga, "%010zu 00000 n\r\n", pos + 1);
    tabella += riga;
  }
  r += tabella;
  r += "trailer\n<<\n/Size " + std::to_string(oggetti + 1) + "\n/Info 1 0 R\n/Root 2 0 R\n>>\nstartxref\n" +
       std::to_string(corpo.size()) + "\n%%EOF\n";
  return r;
}

const char* kTesta =
    "%PDF-1.3\n"
    "1 0 obj\n<<\n/Title (\\(senza titolo\\))\n/Creator  (ZuPDF)\n/Producer (ZuPDF)\n"
    "/CreationDate (D:20260115100000+01'00')\n>>\nendobj\n"
    "2 0 obj\n<<\n/Type /Catalog\n/Pages 4 0 R\n/PageLayout /OneColumn\n/PageMode /UseNone\n/Lang (it) \n"
    "/ViewerPreferences << \n/HideToolbar false \n/DisplayDocTitle true \n/HideWindowUI false\n>>\n>>\nendobj\n"
    "3 0 obj\n<<\n/Type /Encoding\n/BaseEncoding /WinAnsiEncoding\n>>\nendobj\n";

}  // namespace

TEST(Struttura, ZeroPageDocumentByteForByte) {
  Cartella dir("pdf");
  FakeClock orologio;
  std::string nome = dir / "vuoto.pdf";
  {
    X_PDF pdf(orologio);
    EXPECT_EQ(pdf.InitPDFFile(nome), nome);
    pdf.ClosePDFFile();
  }
  std::string corpo = std::string(kTesta) +
                      "5 0 obj\n<<\n/ProcSet [ /PDF /Text ]\n>>\nendobj\n"
                      "4 0 obj\n<<\n/Type /Pages\n/Count 0\n/MediaBox [0 0 595.27 841.88]\n"
                      "/CropBox [0 0 595.27 841.88]\n/Kids [ ]\n/Resources 5 0 R\n>>\nendobj\n";
  std::string dati = Leggi_File(nome);
  EXPECT_EQ(dati, Con_Tabella(corpo, 5));
  EXPECT_TRUE(Struttura_Ok(dati));
  EXPECT_TRUE(Qpdf_Ok(nome));
}

TEST(Struttura, OnePageDocumentByteForByte) {
  Cartella dir("pdf");
  FakeClock orologio;
  std::string nome = dir / "una.pdf";
  {
    X_PDF pdf(orologio);
    pdf.InitPDFFile(nome);
    std::string base = "Helvetica";
    pdf.LoadFontStandard("F1", base);
    EXPECT_EQ(pdf.StartPage(), 1);
    pdf.DrawText(2, 27, "Prova (1)", "F1", 12);
    pdf.EndPage();
    EXPECT_EQ(pdf.Pages(), 1);
    pdf.ClosePDFFile();
  }
  const std::string contenuto = "BT\n/F1 12 Tf\n56.693 765.354 Td\n(Prova \\(1\\)) Tj\nET\n";
  std::string corpo = std::string(kTesta) +
                      "6 0 obj\n<<\n/Type /Font \n/Subtype /Type1\n/Name /F1\n/BaseFont /Helvetica\n/Encoding 3 0 R\n"
                      ">>\nendobj\n"
                      "7 0 obj\n<<\n/Type /Page\n/Parent 4 0 R\n/Contents 8 0 R\n>>\nendobj\n"
                      "8 0 obj\n<< /Length 9 0 R >>\nstream\n" +
                      contenuto +
                      "endstream\nendobj\n"
                      "9 0 obj\n" +
                      std::to_string(contenuto.size()) +
                      "\nendobj\n"
                      "5 0 obj\n<<\n /Font <</F1 6 0 R \r>>\n/ProcSet [ /PDF /Text ]\n>>\nendobj\n"
                      "4 0 obj\n<<\n/Type /Pages\n/Count 1\n/MediaBox [0 0 595.27 841.88]\n"
                      "/CropBox [0 0 595.27 841.88]\n/Kids [7 0 R  ]\n/Resources 5 0 R\n>>\nendobj\n";
  std::string dati = Leggi_File(nome);
  EXPECT_EQ(dati, Con_Tabella(corpo, 9));
  EXPECT_TRUE(Struttura_Ok(dati));
  EXPECT_TRUE(Qpdf_Ok(nome));
  Esito testo = Esegui({"pdftotext", nome, "-"});
  EXPECT_EQ(testo.rc, 0);
  EXPECT_NE(testo.out.find("Prova (1)"), std::string::npos);
  EXPECT_EQ(testo.err, "");
}

TEST(Struttura, FormatNumRoundsToThreePlacesInShortestForm) {
  struct Caso {
    double v;
    const char* atteso;
  } casi[] = {
      {595.27, "595.27"}, {595.27f, "595.27"}, {28.3464567, "28.346"}, {8, "8"},         {0.0004, "0"},
      {-0.0004, "0"},     {-1.5, "-1.5"},      {0.0625, "0.062"},      {0.1875, "0.188"}, {1e7, "10000000"},
      {-595.2756, "-595.276"}, {0, "0"},       {100, "100"},           {0.1, "0.1"},
  };
  for (const Caso& c : casi) EXPECT_EQ(X_PDF::FormatNum(c.v), c.atteso) << c.v;
  EXPECT_EQ(X_PDF::FormatNum(2.5, 0), "2");
  EXPECT_THROW(X_PDF::FormatNum(1.0 / 0.0), std::invalid_argument);
}

TEST(Struttura, UnitsFollowTheScaleMode) {
  X_PDF pdf;
  struct Caso {
    int modo;
    float valore, punti;
  } casi[] = {{0, 10, 10}, {1, 1, 72}, {2, 25.4f, 72}, {3, 2.54f, 72}, {3, 21, 595.2756f}, {7, 5, 0}};
  for (const Caso& c : casi) {
    pdf.ScaleMode(c.modo);
    EXPECT_FLOAT_EQ(pdf.ToPoints(c.valore), c.punti) << c.modo;
    if (c.punti != 0) {
      EXPECT_NEAR(pdf.FromPoints(c.punti), c.valore, 1e-4) << c.modo;
    }
  }
  EXPECT_EQ(pdf.FromPoints(5), 0);
}

TEST(Struttura, InformationStringsAreEscapedAndBlankOnesLeftOut) {
  Cartella dir("pdf");
  FakeClock orologio;
  struct Caso {
    std::string titolo, autore, oggetto;
    std::vector<std::string> presenti, assenti;
  } casi[] = {
      {"a(b)\\c", "Rossi", "   ", {"/Title (a\\(b\\)\\\\c)\n", "/Author (Rossi)\n"}, {"/Subject"}},
      {"", "  ", "Oggetto", {"/Title ()\n", "/Subject (Oggetto)\n"}, {"/Author"}},
  };
  for (const Caso& c : casi) {
    std::string nome = dir / "info.pdf";
    X_PDF pdf(orologio);
    pdf.Title(c.titolo);
    pdf.Autor(c.autore);
    pdf.Subject(c.oggetto);
    pdf.InitPDFFile(nome);
    pdf.ClosePDFFile();
    std::string dati = Leggi_File(nome);
    for (auto& p : c.presenti) EXPECT_NE(dati.find(p), std::string::npos) << p;
    for (auto& a : c.assenti) EXPECT_EQ(dati.find(a), std::string::npos) << a;
    EXPECT_TRUE(Qpdf_Ok(nome));
  }
}

TEST(Struttura, PageTreeCarriesBoxesAndRotation) {
  Cartella dir("pdf");
  struct Caso {
    int formato;
    float margine;
    int orientamento;
    const char* media;
    const char* crop;
    bool ruotato;
  } casi[] = {
      {0, 1, 1, "/MediaBox [0 0 595.27 841.88]", "/CropBox [28.346 28.346 566.924 813.534]", false},
      {0, 0, 2, "/MediaBox [0 0 595.27 841.88]", "/CropBox [0 0 595.27 841.88]", true},
      {1, 0, 3, "/MediaBox [0 0 841.88 1190.55]", "/CropBox [0 0 841.88 1190.55]", false},
      {2, 0, 1, "/MediaBox [0 0 612 792]", "/CropBox [0 0 612 792]", false},
      {3, 0, 1, "/MediaBox [0 0 612 864]", "/CropBox [0 0 612 864]", false},
  };
  for (const Caso& c : casi) {
    std::string nome = dir / "albero.pdf";
    X_PDF pdf;
    pdf.PaperSize(c.formato);
    pdf.Margin(c.margine);
    pdf.Orientation(c.orientamento);
    pdf.InitPDFFile(nome);
    pdf.StartPage();
    pdf.EndPage();
    pdf.ClosePDFFile();
    std::string dati = Leggi_File(nome);
    EXPECT_NE(dati.find(std::string(c.media) + "\n"), std::string::npos) << c.media;
    EXPECT_NE(dati.find(std::string(c.crop) + "\n"), std::string::npos) << c.crop;
    EXPECT_EQ(dati.find("/Rotate 270\n") != std::string::npos, c.ruotato);
    EXPECT_TRUE(Qpdf_Ok(nome));
    std::string info = Pdfinfo(nome);
    EXPECT_NE(info.find(c.ruotato ? "Page rot:        270" : "Page rot:        0"), std::string::npos) << info;
  }
  // PaperWidth and PaperHeight take user units; an unknown paper size keeps the size.
  X_PDF pdf;
  pdf.PaperWidth(10);
  pdf.PaperHeight(20);
  pdf.PaperSize(9);
  std::string nome = dir / "misure.pdf";
  pdf.InitPDFFile(nome);
  pdf.ClosePDFFile();
  EXPECT_NE(Leggi_File(nome).find("/MediaBox [0 0 283.465 566.929]\n"), std::string::npos);
}

TEST(Struttura, SecondInitStartsACleanDocument) {
  Cartella dir("pdf");
  X_PDF pdf;
  std::string primo = dir / "primo.pdf", secondo = dir / "secondo.pdf";
  pdf.InitPDFFile(primo);
  std::string font = "Arial";
  pdf.LoadFont("Fnt1", font, 1);
  pdf.StartPage();
  pdf.DrawText(1, 1, "uno", "Fnt1", 8);
  pdf.EndPage();
  pdf.ClosePDFFile();

  pdf.InitPDFFile(secondo);
  EXPECT_EQ(pdf.Pages(), 0);
  EXPECT_EQ(pdf.Length("abc", "Fnt1", 10), 0);  // the first document's font is gone
  pdf.StartPage();
  pdf.EndPage();
  pdf.ClosePDFFile();
  std::string dati = Leggi_File(secondo);
  EXPECT_NE(dati.find("/Count 1\n"), std::string::npos);
  EXPECT_NE(dati.find("/Kids [6 0 R  ]\n"), std::string::npos);
  EXPECT_EQ(dati.find("/Font"), std::string::npos);
  EXPECT_TRUE(Struttura_Ok(dati));
  EXPECT_TRUE(Qpdf_Ok(secondo));
  EXPECT_TRUE(Qpdf_Ok(primo));
}

TEST(Struttura, DocumentTakesItsNameOnlyWhenComplete) {
  Cartella dir("pdf");
  std::string nome = dir / "doc.pdf";
  Scrivi_File(nome, "earlier file");
  auto visibili = [&] {
    int n = 0;
    for (auto& e : fs::directory_iterator(dir.Dir())) n += e.path().filename().string()[0] != '.';
    return n;
  };
  {
    X_PDF pdf;
    pdf.InitPDFFile(nome);
    pdf.StartPage();
    pdf.EndPage();
    EXPECT_EQ(Leggi_File(nome), "earlier file");
    EXPECT_EQ(visibili(), 1);
    // Released without ClosePDFFile: the unfinished document is dropped.
  }
  EXPECT_EQ(Leggi_File(nome), "earlier file");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Dir()), fs::directory_iterator()), 1);

  X_PDF pdf;
  pdf.InitPDFFile(nome);
  std::string altro = dir / "altro.pdf";
  pdf.InitPDFFile(altro);  // drops the first one
  pdf.ClosePDFFile();
  EXPECT_EQ(Leggi_File(nome), "earlier file");
  EXPECT_TRUE(Qpdf_Ok(altro));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Dir()), fs::directory_iterator()), 2);

  pdf.InitPDFFile(nome);
  pdf.ClosePDFFile();
  EXPECT_TRUE(Qpdf_Ok(nome));

  std::string manca = (dir.Dir() / "manca" / "x.pdf").string();
  EXPECT_THROW(pdf.InitPDFFile(manca), Errore_PDF);
}

TEST(Struttura, EmptyNameGoesToTheTemporaryFolder) {
  Cartella dir("pdf");
  std::string vecchio = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  ::setenv("TMPDIR", dir.Dir().c_str(), 1);
  FakeClock orologio(DateTime::Da(2026, 3, 5, 9, 7, 3));
  X_PDF pdf(orologio);
  std::string nome;
  std::string aperto = pdf.InitPDFFile(nome);
  pdf.ClosePDFFile();
  if (vecchio.empty())
    ::unsetenv("TMPDIR");
  else
    ::setenv("TMPDIR", vecchio.c_str(), 1);
  EXPECT_EQ(aperto, nome);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(nome, m, std::regex(".*/~([0-9A-F]+)\\.pdf"))) << nome;
  EXPECT_EQ(fs::path(nome).parent_path(), dir.Dir());
  // Day 5 (no leading zero), 09:07:03 and one random digit, in hexadecimal.
  std::string decimale = std::to_string(std::stoull(m[1].str(), nullptr, 16));
  EXPECT_TRUE(std::regex_match(decimale, std::regex("5090703[0-9]"))) << decimale;
  EXPECT_TRUE(Qpdf_Ok(nome));
}

TEST(Struttura, NumbersInTheFileIgnoreTheLocale) {
  const char* prima = std::setlocale(LC_ALL, nullptr);
  std::string salvato = prima ? prima : "C";
  if (!std::setlocale(LC_ALL, "it_IT.UTF-8")) GTEST_SKIP() << "it_IT.UTF-8 not available";
  std::locale::global(std::locale("it_IT.UTF-8"));
  Cartella dir("pdf");
  std::string nome = dir / "locale.pdf";
  {
    X_PDF pdf;
    pdf.Margin(1);
    pdf.InitPDFFile(nome);
    pdf.StartPage();
    pdf.SetLineWidth(0.05f);
    pdf.EndPage();
    pdf.ClosePDFFile();
  }
  std::string dati = Leggi_File(nome);
  std::locale::global(std::locale::classic());
  std::setlocale(LC_ALL, salvato.c_str());
  EXPECT_NE(dati.find("/CropBox [28.346 28.346 566.924 813.534]"), std::string::npos);
  EXPECT_NE(dati.find("1.417 w\n"), std::string::npos);
  EXPECT_EQ(X_PDF::FormatNum(1234567.5), "1234567.5");
}

TEST(Struttura, ObjectAndPageNumbersGoPast16Bits) {
  Cartella dir("pdf");
  std::string nome = dir / "grande.pdf";
  X_PDF pdf;
  pdf.InitPDFFile(nome);
  const int pagine = 11000;  // 3 objects each: past 32767 objects
  for (int i = 1; i <= pagine; ++i) {
    ASSERT_EQ(pdf.StartPage(), i);
    pdf.EndPage();
  }
  pdf.ClosePDFFile();
  std::string dati = Leggi_File(nome);
  EXPECT_NE(dati.find("/Count 11000\n"), std::string::npos);
  EXPECT_NE(dati.find("\n33005 0 obj\n"), std::string::npos);
  EXPECT_TRUE(Struttura_Ok(dati));
  EXPECT_TRUE(Qpdf_Ok(nome));
  EXPECT_NE(Pdfinfo(nome).find("Pages:           11000"), std::string::npos);
}

TEST(Struttura, CallsOutOfOrderAreRefused) {
  Cartella dir("pdf");
  X_PDF pdf;
  std::string f = "Arial";
  EXPECT_THROW(pdf.StartPage(), std::logic_error);
  EXPECT_THROW(pdf.ClosePDFFile(), std::logic_error);
  EXPECT_THROW(pdf.LoadFont("F", f, 1), std::logic_error);
  std::string nome = dir / "ordine.pdf";
  pdf.InitPDFFile(nome);
  EXPECT_THROW(pdf.EndPage(), std::logic_error);
  EXPECT_THROW(pdf.MoveTo(1, 1), std::logic_error);
  EXPECT_THROW(pdf.DrawImg("Img1", 0, 0, 1, 1), std::logic_error);
  pdf.StartPage();
  EXPECT_THROW(pdf.LoadFont("F", f, 1), std::logic_error);
  EXPECT_THROW(pdf.StartPage(), std::logic_error);
  EXPECT_THROW(pdf.StartObject("Frm", 7), std::logic_error);
  EXPECT_THROW(pdf.LoadImgFromBuffer("I", {0, 1, 0, 1, 8, 0}, "abc", 0), std::logic_error);
  EXPECT_THROW(pdf.ClosePDFFile(), std::logic_error);
  EXPECT_THROW(pdf.EndObject(), std::logic_error);
  pdf.EndPage();
  pdf.ClosePDFFile();
  std::string dati = Leggi_File(nome);
  EXPECT_TRUE(Struttura_Ok(dati));
  EXPECT_TRUE(Qpdf_Ok(nome));
}
