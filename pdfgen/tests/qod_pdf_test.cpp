// The PDF generator control: its checks and messages, the file list, page
// numbers, orientation and the output file's life.
#include <algorithm>
#include <cmath>
#include <limits>

#include "immagini_fixture.h"
#include "pdf_test_util.h"
#include "qod/ansi.h"
#include "qod/pdf/qod_pdf.h"
#include "qod/prova/finti.h"

using namespace qod;
using namespace qod::pdf;
using namespace qod::pdf::test;

namespace {

// A folder with three page images and a control set up to use them.
struct Banco {
  Cartella dir{"qodpdf"};
  Qod_PDF q;
  explicit Banco(const Clock& orologio = SystemClock::Istanza()) : q(orologio) {
    Scrivi_Png(dir / "a.png", Campione::Motivo(32, 40, 1), {.tipo = 0, .profondita = 1});
    Scrivi_Tiff(dir / "b.TIF", Campione::Motivo(32, 40, 1), {.compressione = 4});
    Scrivi_Png(dir / "c.Png", Campione::Motivo(32, 40, 24), {.tipo = 2});
    q.qodpdf_Dir = dir.Dir().string();
    q.qodpdf_Files = "a.png,b.TIF,c.Png";
    q.qodpdf_Out = dir / "out.pdf";
    q.qodpdf_Left = 1;
    q.qodpdf_Top = 2;
    q.qodpdf_Width = 19;
    q.qodpdf_Height = 25;
    q.qodpdf_Pag_Left = 19;
    q.qodpdf_Pag_Top = 1;
    q.qodpdf_Title = "Titolo";
  }
  std::string Esegui() {
    q.qodpdf_Elabora();
    EXPECT_EQ(q.qodpdf_Error, !q.qodpdf_Status.empty()) << q.qodpdf_Status;
    return q.qodpdf_Status;
  }
  int Pagine() {
    std::string info = Pdfinfo(dir / "out.pdf");
    size_t p = info.find("Pages:");
    return p == std::string::npos ? -1 : std::stoi(info.substr(p + 6));
  }
  // Files in the folder other than the inputs.
  std::vector<std::string> Altri() {
    std::vector<std::string> r;
    for (auto& e : fs::directory_iterator(dir.Dir())) {
      std::string n = e.path().filename().string();
      if (n != "a.png" && n != "b.TIF" && n != "c.Png") r.push_back(n);
    }
    std::sort(r.begin(), r.end());
    return r;
  }
};

}  // namespace

TEST(QodPdf, RangesAreCheckedInOrder) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Caso {
    float Qod_PDF::*campo;
    float valore;
    const char* messaggio;
  } casi[] = {
      {&Qod_PDF::qodpdf_Left, 99.01f, "Qod_PDF: Posizione Left errata"},
      {&Qod_PDF::qodpdf_Left, -99.5f, "Qod_PDF: Posizione Left errata"},
      {&Qod_PDF::qodpdf_Top, 100, "Qod_PDF: Posizione Top errata"},
      {&Qod_PDF::qodpdf_Width, -120, "Qod_PDF: Dimensione Width errata"},
      {&Qod_PDF::qodpdf_Height, nan, "Qod_PDF: Dimensione Height errata"},
      {&Qod_PDF::qodpdf_Pag_Left, 99.001f, "Qod_PDF: Posizione Left per il numero pagina errata"},
      {&Qod_PDF::qodpdf_Pag_Top, -1000, "Qod_PDF: Posizione Top per il numero pagina errata"},
  };
  for (const Caso& c : casi) {
    Qod_PDF q;  // everything else empty: the range message comes first
    if (c.campo != &Qod_PDF::qodpdf_Pag_Top) q.qodpdf_Pag_Top = 500;  // a later value out of range too
    q.*c.campo = c.valore;
    q.qodpdf_Elabora();
    EXPECT_TRUE(q.qodpdf_Error);
    EXPECT_EQ(q.qodpdf_Status, c.messaggio) << c.valore;
  }
  // Both ends of the range pass, also for the page number with qodpdf_Pag False.
  Qod_PDF q;
  q.qodpdf_Left = 99;
  q.qodpdf_Top = -99;
  q.qodpdf_Width = 99;
  q.qodpdf_Height = -99;
  q.qodpdf_Pag_Left = -99;
  q.qodpdf_Pag_Top = 99;
  q.qodpdf_Elabora();
  EXPECT_EQ(q.qodpdf_Status, "Qod_PDF: Manca il file di output");
}

TEST(QodPdf, OutputAndInputChecks) {
  Banco b;
  struct Caso {
    std::string out, dir;
    std::string messaggio;
  } casi[] = {
      {"   ", b.q.qodpdf_Dir, "Qod_PDF: Manca il file di output"},
      {b.dir / "manca/out.pdf", b.q.qodpdf_Dir, A("Qod_PDF: La cartella dell file di output è errata o mancante")},
      {"out.pdf", b.q.qodpdf_Dir, A("Qod_PDF: La cartella dell file di output è errata o mancante")},
      {b.dir / "out.pdf", "  ", "Qod_PDF: Manca la cartella dei file di input"},
      {b.dir / "out.pdf", b.dir / "manca", A("Qod_PDF: La cartella dei file di input è errata")},
      {b.dir / "a.png/x.pdf", b.q.qodpdf_Dir, A("Qod_PDF: La cartella dell file di output è errata o mancante")},
  };
  for (const Caso& c : casi) {
    b.q.qodpdf_Out = c.out;
    b.q.qodpdf_Dir = c.dir;
    EXPECT_EQ(b.Esegui(), c.messaggio) << c.out << " | " << c.dir;
  }
  // Out and Dir are stored back trimmed; Windows separators and other case
  // find the folders.
  std::string cartella = b.dir.Dir().string();
  b.q.qodpdf_Out = "  " + cartella + "\\OUT.pdf ";
  b.q.qodpdf_Dir = " " + cartella + "\\ ";
  EXPECT_EQ(b.Esegui(), "");
  EXPECT_EQ(b.q.qodpdf_Out, cartella + "\\OUT.pdf");
  EXPECT_EQ(b.q.qodpdf_Dir, cartella + "\\");
  EXPECT_TRUE(Qpdf_Ok(b.dir / "OUT.pdf"));
  b.q.qodpdf_Files = "a.png,zz.png";  // a folder ending in a separator gets no second one
  EXPECT_EQ(b.Esegui(), A("Qod_PDF: Il file '") + cartella + "\\zz.png" + A("' è errato o mancante"));
}

TEST(QodPdf, FileListRules) {
  Banco b;
  fs::create_directory(b.dir.Dir() / "cartella.png");
  Scrivi_File(b.dir / ".nascosto.png", Leggi_File(b.dir / "a.png"));
  Scrivi_File(b.dir / "x.tiff", Leggi_File(b.dir / "b.TIF"));
  Scrivi_File(b.dir / "x.bmp", "BM");
  const std::string d = b.q.qodpdf_Dir;
  struct Caso {
    std::string elenco;
    std::string messaggio;
    int pagine;
  } casi[] = {
      {" a.png ,,b.TIF", "", 2},
      {"a.png,x", "", 1},  // a one-character last item is not visited
      {"A.PNG,c.png,B.tif", "", 3},
      {"a.png,,, ,c.Png,", "", 2},
      {"x.tiff", A("Qod_PDF: L'estensione '") + "TIFF" + A("' non è supportata"), 0},
      {"a.png,x.bmp", A("Qod_PDF: L'estensione '.BMP' non è supportata"), 0},
      {"a.png,zz.png", A("Qod_PDF: Il file '") + d + "/zz.png" + A("' è errato o mancante"), 0},
      {".nascosto.png", A("Qod_PDF: Il file '") + d + "/.nascosto.png" + A("' è errato o mancante"), 0},
      {"cartella.png", A("Qod_PDF: Il file '") + d + "/cartella.png" + A("' è errato o mancante"), 0},
      {"   ", "Qod_PDF: Manca l'elenco dei files", 0},
      {",,,", "Qod_PDF: Files nell'elenco errati o mancanti", 0},
  };
  for (const Caso& c : casi) {
    fs::remove(b.dir / "out.pdf");
    b.q.qodpdf_Files = c.elenco;
    EXPECT_EQ(b.Esegui(), c.messaggio) << c.elenco;
    if (c.pagine) {
      EXPECT_EQ(b.Pagine(), c.pagine) << c.elenco;
      EXPECT_TRUE(Qpdf_Ok(b.dir / "out.pdf"));
    } else {
      EXPECT_FALSE(fs::exists(b.dir / "out.pdf")) << c.elenco;
    }
    EXPECT_EQ(b.q.qodpdf_Files, c.elenco);
  }
}

TEST(QodPdf, ExistingOutputIsReplacedOnlyByAFinishedDocument) {
  Banco b;
  Scrivi_File(b.dir / "out.pdf", "earlier");
  // Refused before step 6: the earlier file stays.
  b.q.qodpdf_Files = "a.png,zz.png";
  EXPECT_NE(b.Esegui(), "");
  EXPECT_EQ(Leggi_File(b.dir / "out.pdf"), "earlier");
  // Fails late, at the third image: no file at qodpdf_Out, nothing left behind.
  std::string png = Leggi_File(b.dir / "c.Png");
  Scrivi_File(b.dir / "rotto.png", png.substr(0, png.size() / 2));
  std::string tiff = Leggi_File(b.dir / "b.TIF");
  Scrivi_File(b.dir / "rotto.tif", tiff.substr(0, 8) + std::string(tiff.size() - 8, '\xFF'));
  struct Caso {
    const char* elenco;
    const char* messaggio;
  } casi[] = {{"a.png,b.TIF,rotto.png", "Qod_PDF: Errore caricamento PNG"},
              {"a.png,rotto.tif,c.Png", "Qod_PDF: Errore caricamento TIFF"}};
  for (const Caso& c : casi) {
    b.q.qodpdf_Files = c.elenco;
    b.q.qodpdf_Pag = true;
    EXPECT_EQ(b.Esegui(), c.messaggio);
    EXPECT_FALSE(fs::exists(b.dir / "out.pdf"));
    EXPECT_EQ(b.Altri(), (std::vector<std::string>{"rotto.png", "rotto.tif"}));
  }
  b.q.qodpdf_Files = "a.png";
  EXPECT_EQ(b.Esegui(), "");
  EXPECT_EQ(b.Pagine(), 1);
  EXPECT_EQ(b.Altri(), (std::vector<std::string>{"out.pdf", "rotto.png", "rotto.tif"}));
}

TEST(QodPdf, RightAlignedPageNumbers) {
  Banco b;
  b.q.qodpdf_Pag = true;
  EXPECT_EQ(b.Esegui(), "");
  EXPECT_EQ(b.Pagine(), 3);
  Esito t = Esegui({"pdftotext", "-bbox", b.dir / "out.pdf", "-"});
  EXPECT_EQ(t.err, "");
  std::regex parola("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
  std::vector<std::string> pagine;
  size_t p = 0;
  while ((p = t.out.find("<page ", p)) != std::string::npos) {
    size_t e = t.out.find("</page>", p);
    pagine.push_back(t.out.substr(p, e - p));
    p = e;
  }
  ASSERT_EQ(pagine.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    std::string testo;
    double x_max = 0, y_max = 0;
    for (std::sregex_iterator it(pagine[i].begin(), pagine[i].end(), parola), fine; it != fine; ++it) {
      testo += (testo.empty() ? "" : " ") + (*it)[5].str();
      x_max = std::stod((*it)[3]);
      y_max = std::stod((*it)[4]);
    }
    EXPECT_EQ(testo, "pag. " + std::to_string(i + 1) + " / 3");
    EXPECT_NEAR(x_max, 19 * 72 / 2.54, 0.01);      // ends at qodpdf_Pag_Left: 538.583
    EXPECT_NEAR(y_max, 841.88 - 1 * 72 / 2.54, 8);  // just above the baseline 1 cm from the bottom
  }
  Esito f = Esegui({"pdffonts", b.dir / "out.pdf"});
  EXPECT_NE(f.out.find("Arial                                TrueType          WinAnsi          no  no  no"),
            std::string::npos)
      << f.out;
  // Without page numbers: no font and no text.
  b.q.qodpdf_Pag = false;
  EXPECT_EQ(b.Esegui(), "");
  std::string dati = Leggi_File(b.dir / "out.pdf");
  EXPECT_EQ(dati.find("/Font"), std::string::npos);
  EXPECT_EQ(dati.find(" Tj"), std::string::npos);
}

TEST(QodPdf, ImagesPlacedAndLandscape) {
  Banco b;
  b.q.qodpdf_Files = "a.png";
  EXPECT_EQ(b.Esegui(), "");
  std::string dati = Leggi_File(b.dir / "out.pdf");
  // Lower-left corner at (Left, Top), upright.
  EXPECT_NE(dati.find("q\n538.583 0 0 708.661 28.346 56.693 cm\n/Img1 Do\nQ\n"), std::string::npos);
  EXPECT_NE(Pdfinfo(b.dir / "out.pdf").find("Page rot:        0\n"), std::string::npos);
  struct Caso {
    float w, h;
    const char* rotazione;
  } casi[] = {{20, 20, "Page rot:        0\n"}, {25, 19, "Page rot:        270\n"}};
  for (const Caso& c : casi) {
    b.q.qodpdf_Width = c.w;
    b.q.qodpdf_Height = c.h;
    EXPECT_EQ(b.Esegui(), "");
    EXPECT_NE(Pdfinfo(b.dir / "out.pdf").find(c.rotazione), std::string::npos) << c.w;
    EXPECT_TRUE(Qpdf_Ok(b.dir / "out.pdf"));
  }
}

TEST(QodPdf, SameInputGivesTheSameFile) {
  FakeClock orologio;
  Banco b(orologio);
  Qod_PDF& q = b.q;
  q.qodpdf_Pag = true;
  q.qodpdf_Autor = "ROSSI";
  q.qodpdf_Subject = "Oggetto";
  q.qodpdf_Elabora();
  ASSERT_EQ(q.qodpdf_Status, "");
  std::string primo = Leggi_File(q.qodpdf_Out);
  q.qodpdf_Elabora();
  ASSERT_FALSE(q.qodpdf_Error);
  EXPECT_EQ(Leggi_File(q.qodpdf_Out), primo);
  EXPECT_NE(primo.find("/Title (Titolo)\n/Subject (Oggetto)\n/Author (ROSSI)\n/Creator  (ZuPDF)\n"), std::string::npos);
  EXPECT_NE(primo.find("/CreationDate (D:20260115100000+01'00')"), std::string::npos);
  EXPECT_TRUE(Struttura_Ok(primo));
}
