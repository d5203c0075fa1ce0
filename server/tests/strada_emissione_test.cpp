// The saving stages on the whole road against the stand-in host, with the
// real page image generator: one PDF per document (plain, mail list and
// command, XML from a template with the host's data), the page images
// copied to a folder, and their failures. Outside checkers read the files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "qod/basic.h"
#include "qod/host_simulato.h"
#include "qod/imagegen/qod_img.h"
#include "qod/imaging/file.h"
#include "qod/prova/strumenti.h"
#include "qod/server/emissione.h"
#include "qod/striscia_font.h"
#include "strada_test.h"

using namespace qod;
using namespace qod::test;
using qod::prova::Comando;
using qod::prova::Host_Simulato;
namespace fs = std::filesystem;

namespace {

// Page images that cover an A4 page exactly at 100 dpi, a text grid, and the
// PDF placed over the whole page; saving asked for, into drive Q.
const char* kAttributi =
    "formato = USCITE\nutente = CONTAB\nsalva = S\nsalva_pdf = S\n"
    "tipo_immagine = 7\nout_width = 827\nout_height = 1169\nout_resx = 100\nout_resy = 100\n"
    "out_zoomx = 100\nout_zoomy = 100\ntxt_cols = 60\ntxt_rows = 40\ntxt_left = 60\ntxt_top = 60\n"
    "txt_col_dim = 12\ntxt_row_dim = 24\ntxt_orie = 1\nfnt_file = COUR20.BMP\n"
    "sfondo_r = 255\nsfondo_g = 255\nsfondo_b = 255\n"
    "pdf_left = 0\npdf_top = 0\npdf_width = 2100\npdf_height = 2970\n";

// The document key: the first three characters of line 1.
const char* kChiave = "F | K | 1 | 1 | 0 | 1 | 3 | A |\n";

// Pages from (key, second line) pairs: the key on line 1, then a few lines.
std::string Pagine(std::initializer_list<std::pair<const char*, const char*>> pagine) {
  std::string d;
  int n = 0;
  for (const auto& [chiave, seconda] : pagine) {
    d += std::string(chiave) + "\n" + seconda + "\nPAGINA " + std::to_string(++n) + " XXXXXXXXXXXXXXXXXXXXXXXX\n<FF>";
  }
  return d;
}

int Scuri(const img::Immagine& im) {
  int n = 0;
  for (int y = 0; y < im.Altezza(); ++y)
    for (int x = 0; x < im.Larghezza(); ++x) n += im.Pixel(x, y).Luminanza() < 128;
  return n;
}

// A stage run after `prima` has damaged the spool file's files.
class Dopo : public Fase_Uscita {
 public:
  Dopo(Fase_Uscita& fase, std::function<void()> prima) : fase_(fase), prima_(std::move(prima)) {}
  bool Esegui(Spool_Server& s) override {
    prima_();
    return fase_.Esegui(s);
  }

 private:
  Fase_Uscita& fase_;
  std::function<void()> prima_;
};

class Strada_Emissione : public ::testing::Test {
 protected:
  // Starts the stand-in (with `opzioni` added) and a server connected to it.
  void Avvia(std::vector<std::string> opzioni = {}) {
    coda_ = dir_.Dir() / "coda";
    fatti_ = dir_.Dir() / "fatti";
    fs::create_directories(coda_);
    // Drive Q is a folder of the test; the names in the attribute records
    // and templates differ from it in case.
    unita_ = dir_.Dir() / "q";
    fs::create_directories(unita_ / "uscita");
    ASSERT_EQ(setenv("QOD_DRIVE_Q", unita_.c_str(), 1), 0);
    std::vector<std::string> a = {"--dictionary", Host_Simulato::Dizionario_Predefinito(), "--ftp-port", "-1",
                                  "--spool-queue", coda_.string(), "--spool-done", fatti_.string()};
    a.insert(a.end(), opzioni.begin(), opzioni.end());
    host_ = std::make_unique<Host_Simulato>(a);
    ASSERT_TRUE(host_->Avvia()) << host_->Uscita();
    const auto programma = dir_.Dir() / "Qod_S";
    ASSERT_TRUE(host_->Programma_Prepara(programma));
    ASSERT_TRUE(base_.Base_Inizializza(programma.string(), ""));
    std::string errore;
    ASSERT_TRUE(prova::Scrivi_Striscia_Font(base_.Percorso_Fnt + "cour20.bmp", prova::Opzioni_Striscia{}, &errore))
        << errore;
    conn_ = std::make_unique<Connessione_Host>(base_, trasporto_);
    ASSERT_TRUE(conn_->Host_Collega());
    Fasi_Spool fasi;
    fasi.Immagini = &generatore_;
    fasi.PDF = pdf_ ? pdf_ : &emissione_pdf_;
    fasi.Salva_Immagini = immagini_ ? immagini_ : &emissione_immagini_;
    server_ = std::make_unique<Spool_Server>(base_, trasporto_, *conn_, pannello_, Pump{}, fasi);
    tmps_ = base_.Percorso_TmpS;
    pannello_.Interruttore_Imposta(Pannello::Riga_Salva, true);
  }

  void Spool(const std::string& nome, const std::string& attributi, const std::string& definizioni,
             const std::string& dati, const std::string& dati_n = "") {
    const fs::path c = coda_ / nome;
    fs::create_directories(c);
    Scrivi_File(c / "attributi.txt", std::string(kAttributi) + attributi);
    Scrivi_File(c / "definizioni.txt", definizioni);
    Scrivi_File(c / "dati.txt", dati);
    if (!dati_n.empty()) Scrivi_File(c / "dati_n.txt", dati_n);
  }

  // Runs one spool file the whole way.
  void Esegui() { ASSERT_TRUE(server_->Spool_Get()) << Leggi_File(base_.File_LOG); }

  std::string Stato() const { return pannello_.Valore(Pannello::Riga_Stato); }
  std::vector<std::string> Record() const {
    std::vector<std::string> r;
    for (const auto& v : host_->Log("REC")) r.push_back(v.testo);
    return r;
  }
  // The done record the stand-in received for a spool file.
  std::string Esito_Host(const std::string& nome) const { return Leggi_File(fatti_ / nome / "esito.txt"); }

  // Checks a PDF with qpdf and pdfinfo and compares each page, rendered at
  // four device pixels per image pixel and sampled at the pixel centres,
  // with its page image, both binarised.
  void Pdf_Verifica(const fs::path& pdf, const std::vector<int32_t>& pagine) {
    SCOPED_TRACE(pdf.string());
    ASSERT_TRUE(fs::exists(pdf));
    std::string uscita;
    EXPECT_EQ(prova::Esegui("qpdf --check '" + pdf.string() + "' 2>&1", &uscita), 0) << uscita;
    EXPECT_EQ(uscita.find("WARNING"), std::string::npos) << uscita;
    const std::string info = Comando("pdfinfo '" + pdf.string() + "' 2>&1");
    EXPECT_NE(info.find("Pages:           " + std::to_string(pagine.size()) + "\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Title:           Titolo\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Subject:         Oggetto\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Author:          CONTAB"), std::string::npos) << info;
    for (size_t i = 0; i < pagine.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      const fs::path png = dir_.Dir() / ("resa_" + pdf.stem().string() + "_" + n);
      ASSERT_EQ(prova::Esegui("pdftoppm -gray -png -singlefile -aa no -aaVector no -f " + n + " -l " + n +
                              " -scale-to-x 3308 -scale-to-y 4676 '" + pdf.string() + "' '" + png.string() + "'"),
                0);
      img::Immagine resa, immagine;
      ASSERT_TRUE(img::Carica(png.string() + ".png", resa));
      ASSERT_TRUE(img::Carica(tmps_ + "00001_I_00001_" + Format(static_cast<int64_t>(pagine[i]), "00000") + ".PNG",
                              immagine));
      ASSERT_EQ(resa.Larghezza(), 4 * immagine.Larghezza());
      ASSERT_EQ(resa.Altezza(), 4 * immagine.Altezza());
      int diversi = 0;
      for (int y = 0; y < immagine.Altezza(); ++y)
        for (int x = 0; x < immagine.Larghezza(); ++x)
          diversi += (resa.Pixel(4 * x + 2, 4 * y + 2).Luminanza() < 128) != (immagine.Pixel(x, y).Luminanza() < 128);
      EXPECT_EQ(diversi, 0) << "page " << n;
      EXPECT_GT(Scuri(immagine), 500) << "page " << n;  // the page is not blank
    }
  }

  Cartella_Test dir_;
  fs::path coda_, fatti_, unita_;
  std::string tmps_;
  std::unique_ptr<Host_Simulato> host_;
  FakeClock orologio_{DateTime::Da(2026, 3, 7, 9, 0, 0)};
  RecordingMessageSink messaggi_;
  NoPrinters stampanti_;
  Server_Base base_{orologio_, messaggi_, stampanti_};
  Trasporto trasporto_{Attese_Rete{3000, 100, 3000}};
  std::unique_ptr<Connessione_Host> conn_;
  Pannello pannello_;
  Qod_IMG img_;
  Generatore_Qod_IMG<Qod_IMG> generatore_{img_};
  Emissione_PDF emissione_pdf_;
  Emissione_Immagini emissione_immagini_;
  Fase_Uscita* pdf_ = nullptr;
  Fase_Uscita* immagini_ = nullptr;
  std::unique_ptr<Spool_Server> server_;
};

}  // namespace

TEST_F(Strada_Emissione, OnePdfPerDocumentNamedAfterItsKey) {
  Avvia();
  fs::create_directories(unita_ / "uscita" / "pdf");
  // A PDF of the same name is replaced.
  Scrivi_File(unita_ / "uscita" / "pdf" / "A.PDF", "vecchio");
  Spool("0001", "cartella = \"Q:\\USCITA\\Pdf\"\npdf_pag = S\npdf_pag_left = 1900\npdf_pag_top = 100\n", kChiave,
        Pagine({{"A", "uno"}, {"B", "due"}, {"B", "tre"}, {"C", "quattro"}}));
  Esegui();
  EXPECT_FALSE(server_->Errore_Spool) << Stato();
  EXPECT_EQ(Stato(), "Ok");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Salva), " 4 / 4");
  const fs::path uscita = unita_ / "uscita" / "pdf";
  EXPECT_EQ(Nomi(uscita), (std::vector<std::string>{"A.PDF", "B.PDF", "C.PDF"}));
  for (const char* n : {"A.PDF", "B.PDF", "C.PDF"}) {
    std::string uscita_qpdf;
    EXPECT_EQ(prova::Esegui("qpdf --check '" + (uscita / n).string() + "' 2>&1", &uscita_qpdf), 0) << uscita_qpdf;
  }
  // Page numbers are drawn when asked for.
  const std::string testo = Comando("pdftotext -layout '" + (uscita / "B.PDF").string() + "' - 2>&1");
  EXPECT_NE(testo.find("pag. 2 / 2"), std::string::npos) << testo;
  // Done, without error.
  EXPECT_EQ(Esito_Host("0001").substr(0, 14), "00001000000001");
  EXPECT_EQ(Esito_Host("0001").find("*ERR"), std::string::npos);
  // For a look: the two-page document as a reader shows it.
  EXPECT_EQ(prova::Esegui("pdftoppm -r 40 -png '" + (uscita / "B.PDF").string() + "' strada_emissione_B"), 0);
}

TEST_F(Strada_Emissione, PdfPagesMatchTheirImages) {
  Avvia();
  fs::create_directories(unita_ / "uscita");
  Spool("0001", "cartella = \"q:\\Uscita\"\n", kChiave, Pagine({{"A", "uno"}, {"B", "due"}, {"B", "tre"}, {"C", "x"}}));
  Esegui();
  EXPECT_EQ(Stato(), "Ok");
  Pdf_Verifica(unita_ / "uscita" / "A.PDF", {1});
  Pdf_Verifica(unita_ / "uscita" / "B.PDF", {2, 3});
  Pdf_Verifica(unita_ / "uscita" / "C.PDF", {4});
}
