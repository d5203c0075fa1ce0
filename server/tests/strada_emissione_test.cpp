// The saving stages on the whole road against the stand-in host, with the
// real page image generator: one PDF per document (plain, mail list and
// command, XML from a template with the host's data), the page images
// copied to a folder, and their failures. Outside checkers read the files.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <functional>

#include "qod/basic.h"
#include "qod/host_simulato.h"
#include "qod/imagegen/qod_img.h"
#include "qod/imaging/file.h"
#include "qod/prova/strumenti.h"
#include "qod/server/emissione.h"
#include "qod/imagegen/striscia_font.h"
#include "strada_simulata.h"
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
std::string Pagine(std::initializer_list<std::pair<std::string, std::string>> pagine) {
  std::string d;
  int n = 0;
  auto testo = [](std::string s) {
    for (size_t k = 0; (k = s.find('<', k)) != std::string::npos; k += 2) s.insert(k, "<");
    return s;
  };
  for (const auto& [chiave, seconda] : pagine)
    d += testo(chiave) + "\n" + testo(seconda) + "\nPAGINA " + std::to_string(++n) + " XXXXXXXXXXXXXXXXXXXXXXXX\n<FF>";
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
  bool Esegui(const Stato_Spool& stato, const Strada_Fase& strada) override {
    prima_();
    return fase_.Esegui(stato, strada);
  }

 private:
  Fase_Uscita& fase_;
  std::function<void()> prima_;
};

class Strada_Emissione : public ::testing::Test {
 protected:
  // Starts the stand-in (with `opzioni` added) and a server connected to it.
  void Avvia(std::vector<std::string> opzioni = {}) {
    // Drive Q is a folder of the test; the names in the attribute records
    // and templates differ from it in case.
    fs::create_directories(unita_ / "uscita");
    ASSERT_EQ(setenv("QOD_DRIVE_Q", unita_.c_str(), 1), 0);
    ASSERT_TRUE(s_.Avvia(opzioni));
    std::string errore;
    ASSERT_TRUE(Scrivi_Striscia_Font(base_.Percorso_Fnt + "cour20.bmp", Opzioni_Striscia{}, &errore)) << errore;
    Fasi_Spool fasi;
    fasi.Immagini = &generatore_;
    fasi.PDF = pdf_ ? pdf_ : &emissione_pdf_;
    fasi.Salva_Immagini = immagini_ ? immagini_ : &emissione_immagini_;
    ASSERT_TRUE(s_.Collega(fasi));
    tmps_ = base_.Percorso_Tmp;
    pannello_.Interruttore_Imposta(Pannello::Riga_Salva, true);
  }

  void Spool(const std::string& nome, const std::string& attributi, const std::string& definizioni,
             const std::string& dati, const std::string& dati_n = "") {
    s_.Spool(nome, std::string(kAttributi) + attributi, definizioni, dati);
    if (!dati_n.empty()) File_Scrivi(coda_ / nome / "dati_n.txt", dati_n);
  }

  // Runs one spool file the whole way.
  void Esegui() { ASSERT_TRUE(server_->Spool_Get()) << File_Leggi(base_.File_LOG) << host_->Uscita(); }

  // The mail command of the tests, a script found on the PATH: it records
  // its arguments one per line in `argomenti` and the list file named by
  // QOD_PROVA_LISTA as it found it in `lista_vista`, both beside it. Its
  // folder.
  fs::path Comando_Registra() {
    const fs::path bin = dir_.Dir() / "bin";
    fs::create_directories(bin);
    File_Scrivi(bin / "qod_registra",
                "#!/bin/sh\nd=$(dirname \"$0\")\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$d/argomenti\"; done\n"
                "cat \"$QOD_PROVA_LISTA\" > \"$d/lista_vista\"\n");
    fs::permissions(bin / "qod_registra", fs::perms::owner_all);
    EXPECT_EQ(setenv("PATH", (bin.string() + ":" + getenv("PATH")).c_str(), 1), 0);
    return bin;
  }

  std::string Stato() const { return pannello_.Valore(Pannello::Riga_Stato); }
  std::vector<std::string> Record() const { return s_.Record(); }
  // The done record the stand-in received for a spool file.
  std::string Esito_Host(const std::string& nome) const { return s_.Esito_Host(nome); }

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

  Strada_Simulata s_;
  const Cartella_Prova& dir_ = s_.dir;
  const fs::path& coda_ = s_.coda;
  const fs::path unita_ = s_.dir.Dir() / "q";
  std::string tmps_;
  std::unique_ptr<Host_Simulato>& host_ = s_.host;
  Server_Base& base_ = s_.base;
  Pannello& pannello_ = s_.pannello;
  std::unique_ptr<Spool_Server>& server_ = s_.server;
  Qod_IMG img_;
  Generatore_Qod_IMG<Qod_IMG> generatore_{img_};
  Emissione_PDF emissione_pdf_{{base_, pannello_, {}}, s_.trasporto};
  Emissione_Immagini emissione_immagini_{{base_, pannello_, {}}};
  Fase_Uscita* pdf_ = nullptr;
  Fase_Uscita* immagini_ = nullptr;
};

}  // namespace

TEST_F(Strada_Emissione, OnePdfPerDocumentNamedAfterItsKey) {
  Avvia();
  fs::create_directories(unita_ / "uscita" / "pdf");
  // A PDF of the same name is replaced.
  File_Scrivi(unita_ / "uscita" / "pdf" / "A.PDF", "vecchio");
  Spool("0001", "cartella = \"Q:\\USCITA\\Pdf\"\npdf_pag = S\npdf_pag_left = 1900\npdf_pag_top = 100\n", kChiave,
        Pagine({{"A", "uno"}, {"B", "due"}, {"B", "tre"}, {"C", "quattro"}}));
  Esegui();
  EXPECT_FALSE(server_->Stato().Errore_Spool) << Stato();
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

TEST_F(Strada_Emissione, MailListThenOneCommand) {
  const fs::path bin = Comando_Registra();
  Avvia();
  ASSERT_EQ(setenv("QOD_PROVA_LISTA", (unita_ / "uscita" / "lista.txt").c_str(), 1), 0);
  const std::string gruppi =
      "E | 1 | 0 | 0 | 9  | C | R | lista.txt\n"
      "E | 2 | 1 | 1 | 3  | A | R |\n"
      "E | 2 | 0 | 0 | 4  | C |   | .PDF\n"
      "E | 3 | 2 | 1 | 30 | A | R |\n";
  Spool("0001", "cartella = Q:\\USCITA\nconsegna = P\n",
        kChiave + gruppi + "E | 4 | 0 | 0 | 60 | C | R | qod_registra \"uno due\" tre\\\"quattro C:\\Dir\\f.txt ##INDI\n",
        Pagine({{"A", "rossi@example.it"}, {"B", "vecchio@example.it"}, {"B", "bianchi@example.it"},
                {"C", "verdi@example.it"}}));
  Esegui();
  EXPECT_EQ(Stato(), "Ok");
  const fs::path uscita = unita_ / "uscita";
  EXPECT_EQ(Nomi(uscita), (std::vector<std::string>{"A.PDF", "B.PDF", "C.PDF", "lista.txt"}));
  // One line per document, from its last page.
  const std::string lista = "rossi@example.it\r\nbianchi@example.it\r\nverdi@example.it\r\n";
  EXPECT_EQ(File_Leggi(uscita / "lista.txt"), lista);
  // Run once, after the list was closed, with the arguments as the Windows
  // rules split them.
  EXPECT_EQ(File_Leggi(bin / "argomenti"), "uno due\ntre\"quattro\nC:\\Dir\\f.txt\n000000\n");
  EXPECT_EQ(File_Leggi(bin / "lista_vista"), lista);
  EXPECT_NE(File_Leggi(base_.File_LOG).find("[Esegui_Attendi] Avvio: qod_registra \"uno due\""), std::string::npos);

  // A command that cannot start fails the stage.
  Spool("0002", "cartella = Q:\\USCITA\nconsegna = P\n",
        kChiave + gruppi + "E | 4 | 0 | 0 | 30 | C | R | /nessun/programma x\n", Pagine({{"D", "a@example.it"}}));
  Esegui();
  EXPECT_TRUE(server_->Stato().Errore_Spool);
  EXPECT_EQ(Stato(), "errore generico emissione PDF");
  EXPECT_NE(File_Leggi(base_.File_LOG).find("[Esegui_Attendi] Avvio non riuscito: /nessun/programma x"),
            std::string::npos);
  EXPECT_NE(Esito_Host("0002").find("*ERR"), std::string::npos);
  EXPECT_EQ(File_Leggi(uscita / "lista.txt"), "a@example.it\r\n");

  // The program named as a path of the host's: through drive C and without
  // regard to case.
  const fs::path c = dir_.Dir() / "c";
  fs::create_directories(c / "Progra~1" / "Mail");
  fs::copy_file(bin / "qod_registra", c / "Progra~1" / "Mail" / "invia.exe");
  ASSERT_EQ(setenv("QOD_DRIVE_C", c.c_str(), 1), 0);
  Spool("0003", "cartella = Q:\\USCITA\nconsegna = P\n",
        kChiave + gruppi + "E | 4 | 0 | 0 | 40 | C | R | C:\\PROGRA~1\\MAIL\\INVIA.EXE ##INDI\n",
        Pagine({{"E", "b@example.it"}}));
  Esegui();
  unsetenv("QOD_DRIVE_C");
  EXPECT_EQ(Stato(), "Ok");
  EXPECT_EQ(Esito_Host("0003").find("*ERR"), std::string::npos) << Esito_Host("0003");
  EXPECT_EQ(File_Leggi(c / "Progra~1" / "Mail" / "argomenti"), "000000\n");
  EXPECT_EQ(File_Leggi(c / "Progra~1" / "Mail" / "lista_vista"), "b@example.it\r\n");
}

namespace {

// XML: template, output and PDF paths from constants and the key, the data
// request from column 25 of line 2 and a constant, four fields (one without
// a name).
const char* kGruppi_XML =
    "M | 1 |  | 0 | 0 | 30 | C | R | Q:\\Uscita\\XML\\modello.xml\n"
    "M | 2 |  | 0 | 0 | 14 | C |   | Q:\\Uscita\\XML\\\n"
    "M | 2 |  | 1 | 1 | 3  | A | R |\n"
    "M | 2 |  | 0 | 0 | 4  | C |   | .xml\n"
    "M | 3 |  | 0 | 0 | 14 | C |   | Q:\\Uscita\\XML\\\n"
    "M | 3 |  | 1 | 1 | 3  | A | R |\n"
    "M | 3 |  | 0 | 0 | 4  | C |   | .PDF\n"
    "M | 4 |  | 2 | 25 | 5 | A | R |\n"
    "M | 5 |  | 0 | 0 | 4  | C |   | DATI\n"
    "M | 6 | CLIENTE | 2 | 1 | 20 | A | R |\n"
    "M | 6 | IMPORTO | 0 | 1 | 8  | N |   |\n"
    "M | 6 | CODICE  | 0 | 9 | 6  | A | Z |\n"
    "M | 6 |         | 2 | 1 | 5  | A | R |\n";

const char* kModello =
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<documento>\r\n  <cliente>CLIENTE</cliente>\r\n"
    "  <importo>IMPORTO</importo><copia>IMPORTO</copia>\r\n  <codice>CODICE</codice>\r\n</documento>\r\n";

// A second page line: text, and from column 25 the data request's key.
std::string Riga_2(const char* testo, const char* richiesta) { return Testo_Largo(testo, 24) + richiesta; }

std::string Xml_Atteso(const std::string& cliente, const std::string& importo, const std::string& codice) {
  return "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<documento>\r\n  <cliente>" + cliente +
         "</cliente>\r\n  <importo>" + importo + "</importo><copia>IMPORTO</copia>\r\n  <codice>" + codice +
         "</codice>\r\n</documento>\r\n";
}

}  // namespace

TEST_F(Strada_Emissione, XmlPerDocumentWithTheHostsData) {
  Avvia();
  const fs::path xml = unita_ / "uscita" / "xml";
  fs::create_directories(xml);
  File_Scrivi(xml / "modello.xml", kModello);
  // A has data, B is refused, C asks for none, D has an empty data reply.
  Spool("0001", "consegna = X\n", std::string(kChiave) + kGruppi_XML,
        Pagine({{"A", Riga_2("Rossi & Figli <srl>", "A")},
                {"B", Riga_2("Bianchi \"B\"", "B")},
                {"B", "-"},
                {"C", "Verdi"},
                {"D", Riga_2("Neri", "D")}}),
        "ADATI | 00012500000042\nDDATI |\n");
  Esegui();
  EXPECT_EQ(Stato(), "Ok");
  EXPECT_EQ(Nomi(xml), (std::vector<std::string>{"A.PDF", "A.xml", "B.PDF", "B.xml", "C.PDF", "C.xml", "D.PDF",
                                                 "D.xml", "modello.xml"}));
  EXPECT_EQ(File_Leggi(xml / "A.xml"), Xml_Atteso("Rossi &amp; Figli _srl_", "00012500", "42"));
  EXPECT_EQ(File_Leggi(xml / "B.xml"), Xml_Atteso("Bianchi _B_", "00000000", Space(6)));
  EXPECT_EQ(File_Leggi(xml / "C.xml"), Xml_Atteso("Verdi", "00000000", Space(6)));
  EXPECT_EQ(File_Leggi(xml / "D.xml"), Xml_Atteso("Neri", "00000000", Space(6)));
  for (const char* n : {"A.xml", "B.xml", "C.xml", "D.xml"}) {
    std::string uscita;
    EXPECT_EQ(prova::Esegui("xmllint --noout '" + (xml / n).string() + "' 2>&1", &uscita), 0) << n << uscita;
  }
  // One data request per document that has a key for it: the key and the
  // constant, 1040 bytes.
  std::vector<std::string> richieste;
  for (const auto& r : Record())
    if (r[0] == 'N') richieste.push_back(r);
  ASSERT_EQ(richieste.size(), 3u);
  EXPECT_EQ(richieste[0], "N01034ADATI" + Space(1029));
  EXPECT_EQ(richieste[1].substr(0, 11), "N01034BDATI");
  EXPECT_EQ(richieste[2].substr(0, 11), "N01034DDATI");
  EXPECT_EQ(Comando("pdfinfo '" + (xml / "B.PDF").string() + "' | grep Pages"), "Pages:           2");
}

TEST_F(Strada_Emissione, XmlOutputAppearsOnlyWhenComplete) {
  Avvia();
  const fs::path xml = unita_ / "uscita" / "xml";
  fs::create_directories(xml / "A.xml");
  File_Scrivi(xml / "A.xml" / "occupato", "x");
  File_Scrivi(xml / "modello.xml", kModello);
  Spool("0001", "consegna = X\n", std::string(kChiave) + kGruppi_XML, Pagine({{"A", "uno"}, {"B", "due"}}));
  Esegui();
  EXPECT_TRUE(server_->Stato().Errore_Spool);
  EXPECT_EQ(Stato(), "errore generico Emissione XML");
  // A's output could not take its name: it stays under the temporary one.
  EXPECT_TRUE(fs::is_directory(xml / "A.xml"));
  EXPECT_EQ(File_Leggi(xml / "A.xml#"), Xml_Atteso("uno", "00000000", Space(6)));
  EXPECT_EQ(File_Leggi(xml / "B.xml"), Xml_Atteso("due", "00000000", Space(6)));
  EXPECT_FALSE(fs::exists(xml / "B.xml#"));
  EXPECT_NE(Esito_Host("0001").find("*ERR"), std::string::npos);

  // A missing template: no output at all.
  fs::remove(xml / "modello.xml");
  Spool("0002", "consegna = X\n", std::string(kChiave) + kGruppi_XML, Pagine({{"C", "tre"}}));
  Esegui();
  EXPECT_EQ(Stato(), "errore generico Emissione XML");
  EXPECT_FALSE(fs::exists(xml / "C.xml"));
  EXPECT_FALSE(fs::exists(xml / "C.xml#"));
  EXPECT_TRUE(fs::exists(xml / "C.PDF"));
}

TEST_F(Strada_Emissione, XmlTransferFailureStopsTheDocuments) {
  // The second data request gets three bytes, then the connection closes.
  Avvia({"--close", "N#2=3"});
  const fs::path xml = unita_ / "uscita" / "xml";
  fs::create_directories(xml);
  File_Scrivi(xml / "modello.xml", kModello);
  Spool("0001", "consegna = X\n", std::string(kChiave) + kGruppi_XML,
        Pagine({{"A", Riga_2("uno", "A")}, {"B", Riga_2("due", "B")}, {"C", Riga_2("tre", "C")}}),
        "ADATI | 00000001000001\n");
  EXPECT_FALSE(server_->Spool_Get());
  EXPECT_NE(File_Leggi(base_.File_LOG).find("[Spool_Formato_XML] Errore Sock_Read {N}(1)"), std::string::npos);
  EXPECT_TRUE(fs::exists(xml / "A.xml"));
  EXPECT_FALSE(fs::exists(xml / "B.xml"));
  EXPECT_FALSE(fs::exists(xml / "C.xml"));
  std::string lettere;
  for (const auto& r : Record()) lettere += r[0];
  EXPECT_EQ(lettere.find('D'), std::string::npos) << lettere;
  EXPECT_EQ(std::count(lettere.begin(), lettere.end(), 'N'), 2) << lettere;
  // The spool file stays on the host.
  EXPECT_TRUE(fs::exists(coda_ / "0001"));
}

// A stop request in a saving stage abandons the spool file at its next
// page or document, without its done record: the files under final names
// are whole (those of the documents before the stop), nothing is left
// under a temporary name, the mail list goes and its command never runs.
// Once the mail command has started the spool file goes to its end
// instead, done record included, so that its mail is not sent again.
TEST_F(Strada_Emissione, StopRequestLeavesOnlyWholeFilesAndNoDoneRecord) {
  const fs::path bin = Comando_Registra();
  Avvia();
  const fs::path uscita = unita_ / "uscita";
  for (const char* d : {"pdf", "img", "posta", "posta2", "xml"}) fs::create_directories(uscita / d);
  File_Scrivi(uscita / "xml" / "modello.xml", kModello);
  const std::string posta = std::string(kChiave) +
                            "E | 1 | 0 | 0 | 9  | C | R | lista.txt\n"
                            "E | 2 | 1 | 1 | 3  | A | R |\n"
                            "E | 2 | 0 | 0 | 4  | C |   | .PDF\n"
                            "E | 3 | 2 | 1 | 30 | A | R |\n"
                            "E | 4 | 0 | 0 | 20 | C | R | qod_registra ##INDI\n";
  auto salvate = [this](const char* riga) {
    return std::function<bool()>([this, riga] { return pannello_.Valore(Pannello::Riga_Salva) == riga; });
  };
  const std::vector<std::string> pdf = {"A.PDF", "B.PDF", "C.PDF", "D.PDF"};
  const struct {
    const char* nome;
    const char* attributi;
    std::string definizioni;
    std::function<bool()> quando;  // the stop comes
    const char* cartella;
    std::vector<std::string> file;  // left there
    bool fatto;                     // the done record went out
  } casi[] = {
      {"pdf", "cartella = Q:\\Uscita\\Pdf\n", kChiave, salvate(" 2 / 4"), "pdf", {"A.PDF", "B.PDF"}, false},
      {"images", "cartella = Q:\\Uscita\\Img\nsalva_pdf = N\n", kChiave, salvate(" 2 / 4"), "img",
       {"A_00001.PNG", "B_00001.PNG"}, false},
      {"mail, before its command", "cartella = Q:\\Uscita\\Posta\nconsegna = P\n", posta, salvate(" 4 / 4"),
       "posta", pdf, false},
      {"xml", "consegna = X\n", std::string(kChiave) + kGruppi_XML, [&] { return fs::exists(uscita / "xml" / "B.xml"); },
       "xml", {"A.PDF", "A.xml", "B.PDF", "B.xml", "C.PDF", "D.PDF", "modello.xml"}, false},
      {"mail, during its command", "cartella = Q:\\Uscita\\Posta2\nconsegna = P\n", posta,
       [&] { return fs::exists(bin / "argomenti"); }, "posta2", {"A.PDF", "B.PDF", "C.PDF", "D.PDF", "lista.txt"}, true},
  };
  int n = 0;
  for (const auto& c : casi) {
    const std::string spool = "000" + std::to_string(++n);
    ASSERT_EQ(setenv("QOD_PROVA_LISTA", (uscita / c.cartella / "lista.txt").c_str(), 1), 0);
    Spool(spool, c.attributi, c.definizioni,
          Pagine({{"A", "a@example.it"}, {"B", "b@example.it"}, {"C", "c@example.it"}, {"D", "d@example.it"}}));
    pannello_.Valore_Imposta(Pannello::Riga_Salva, "");  // the last spool file's
    bool chiesto = false;
    auto stop = [&] {
      if (!chiesto) chiesto = c.quando();
      return chiesto;
    };
    server_->Arresto_Imposta(stop);
    // As the program has it: the host waits of a spool file whose mail has
    // gone do not give way to the stop.
    s_.trasporto.Imposta_Interruzione([&] { return stop() && !server_->Irrevocabile(); });
    const bool ok = server_->Spool_Get();
    EXPECT_TRUE(chiesto) << c.nome;
    EXPECT_EQ(Nomi(uscita / c.cartella), c.file) << c.nome;
    EXPECT_FALSE(server_->Stato().Errore_Spool) << c.nome << Stato();
    if (c.fatto) {
      // Its done record went out and its reply came back.
      EXPECT_TRUE(ok) << c.nome;
      EXPECT_FALSE(server_->Abbandonato()) << c.nome;
      EXPECT_FALSE(server_->Irrevocabile()) << c.nome;  // for this spool file only
      EXPECT_EQ(Esito_Host(spool).substr(0, 14), "00001" + Format(n, "000000000")) << c.nome;
      EXPECT_EQ(File_Leggi(bin / "argomenti"), "000000\n") << c.nome;  // run once
    } else {
      EXPECT_FALSE(ok) << c.nome;
      EXPECT_TRUE(server_->Abbandonato()) << c.nome;
      EXPECT_EQ(Esito_Host(spool), "") << c.nome;
      EXPECT_TRUE(fs::exists(coda_ / spool)) << c.nome;
      fs::remove_all(coda_ / spool);  // the next spool file next
      EXPECT_FALSE(fs::exists(bin / "argomenti")) << c.nome;
    }
  }
  const std::string log = File_Leggi(base_.File_LOG);
  EXPECT_EQ(log.find("Errore"), std::string::npos) << log;
}

TEST_F(Strada_Emissione, PdfWriterRefusalStopsAtThatDocument) {
  // Document B's first page image is damaged before the stage runs.
  Dopo guasta(emissione_pdf_, [this] { File_Scrivi(tmps_ + "00001_I_00001_00002.PNG", "non un PNG"); });
  pdf_ = &guasta;
  Avvia();
  Spool("0001", "cartella = Q:\\Uscita\n", kChiave, Pagine({{"A", "uno"}, {"B", "due"}, {"B", "tre"}, {"C", "x"}}));
  Esegui();
  EXPECT_TRUE(server_->Stato().Errore_Spool);
  EXPECT_EQ(Stato().rfind("Qod_PDF: ", 0), 0u) << Stato();
  EXPECT_EQ(Nomi(unita_ / "uscita"), (std::vector<std::string>{"A.PDF"}));
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Salva), " 2 / 4");
  EXPECT_NE(Esito_Host("0001").find("*ERR"), std::string::npos);
}

TEST_F(Strada_Emissione, ImagesCopiedUnderTheDocumentName) {
  Avvia();
  Spool("0001", "cartella = Q:\\Uscita\nsalva_pdf = N\n", "F | K | 1 | 1 | 0 | 1 | 8 | A |\n",
        Pagine({{"ABC", "uno"}, {"ABC", "due"}, {"ABC", "tre"}, {"A/B:C D", "quattro"}}));
  Esegui();
  EXPECT_EQ(Stato(), "Ok");
  const fs::path uscita = unita_ / "uscita";
  EXPECT_EQ(Nomi(uscita),
            (std::vector<std::string>{"ABC_00001.PNG", "ABC_00002.PNG", "ABC_00003.PNG", "A_B_CD_00001.PNG"}));
  const char* nomi[] = {"ABC_00001.PNG", "ABC_00002.PNG", "ABC_00003.PNG", "A_B_CD_00001.PNG"};
  for (int p = 1; p <= 4; ++p) {
    const std::string copia = File_Leggi(uscita / nomi[p - 1]);
    EXPECT_EQ(copia, File_Leggi(tmps_ + "00001_I_00001_0000" + std::to_string(p) + ".PNG")) << p;
    EXPECT_GT(copia.size(), 100u);
  }
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Salva), " 4 / 4");
}

// A copy cut short (here by a file size limit, as a full disk would) fails
// the stage and leaves nothing under the page's name.
TEST_F(Strada_Emissione, ACopyCutShortLeavesNoPartialImage) {
  rlimit prima{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &prima), 0);
  struct Limitata : Fase_Uscita {
    Fase_Uscita& fase;
    rlimit prima;
    Limitata(Fase_Uscita& f, rlimit p) : fase(f), prima(p) {}
    bool Esegui(const Stato_Spool& stato, const Strada_Fase& strada) override {
      // Files may not grow past 200 bytes while the stage runs; the write
      // that would fails instead of raising a signal.
      const auto segnale = ::signal(SIGXFSZ, SIG_IGN);
      rlimit piccolo = prima;
      piccolo.rlim_cur = 200;
      ::setrlimit(RLIMIT_FSIZE, &piccolo);
      const bool ok = fase.Esegui(stato, strada);
      ::setrlimit(RLIMIT_FSIZE, &prima);
      ::signal(SIGXFSZ, segnale);
      return ok;
    }
  } limitata(emissione_immagini_, prima);
  immagini_ = &limitata;
  Avvia();
  Spool("0001", "cartella = Q:\\Uscita\nsalva_pdf = N\n", kChiave, Pagine({{"ABC", "1"}, {"ABC", "2"}}));
  Esegui();
  EXPECT_GT(fs::file_size(tmps_ + "00001_I_00001_00001.PNG"), 200u);
  EXPECT_TRUE(server_->Stato().Errore_Spool);
  EXPECT_EQ(Stato(), "errore generico emissione immagini");
  EXPECT_TRUE(Nomi(unita_ / "uscita").empty()) << Nomi(unita_ / "uscita").front();
  EXPECT_NE(Esito_Host("0001").find("*ERR"), std::string::npos);
}

TEST_F(Strada_Emissione, MissingImageStopsTheCopies) {
  Dopo guasta(emissione_immagini_, [this] { fs::remove(tmps_ + "00001_I_00001_00002.PNG"); });
  immagini_ = &guasta;
  Avvia();
  Spool("0001", "cartella = Q:\\Uscita\nsalva_pdf = N\n", kChiave, Pagine({{"ABC", "1"}, {"ABC", "2"}, {"ABC", "3"}}));
  Esegui();
  EXPECT_TRUE(server_->Stato().Errore_Spool);
  EXPECT_EQ(Stato(), "errore generico emissione immagini");
  EXPECT_EQ(Nomi(unita_ / "uscita"), (std::vector<std::string>{"ABC_00001.PNG"}));
  EXPECT_NE(Esito_Host("0001").find("*ERR"), std::string::npos);
}

TEST_F(Strada_Emissione, RangeStartingInsideADocumentStartsOne) {
  Avvia();
  // Document B runs from page 2 to page 6; the range is pages 3-5.
  const auto pagine = Pagine({{"A", "1"}, {"B", "2"}, {"B", "3"}, {"B", "4"}, {"B", "5"}, {"B", "6"}});
  Spool("0001", "cartella = Q:\\Uscita\nprima_pagina = 3\nultima_pagina = 5\n", kChiave, pagine);
  Esegui();
  EXPECT_EQ(Stato(), "Ok");
  EXPECT_EQ(Nomi(unita_ / "uscita"), (std::vector<std::string>{"B.PDF"}));
  Pdf_Verifica(unita_ / "uscita" / "B.PDF", {3, 4, 5});

  Spool("0002", "cartella = Q:\\Uscita\nsalva_pdf = N\nprima_pagina = 3\nultima_pagina = 5\n", kChiave, pagine);
  Esegui();
  EXPECT_EQ(Stato(), "Ok");
  EXPECT_EQ(Nomi(unita_ / "uscita"),
            (std::vector<std::string>{"B.PDF", "B_00001.PNG", "B_00002.PNG", "B_00003.PNG"}));
  EXPECT_EQ(File_Leggi(unita_ / "uscita" / "B_00001.PNG"), File_Leggi(tmps_ + "00001_I_00001_00003.PNG"));
}

TEST_F(Strada_Emissione, BlankSaveFolderIsRefused) {
  Avvia();
  Spool("0001", "", kChiave, Pagine({{"QZ1", "uno"}}));
  Esegui();
  EXPECT_EQ(Stato(), "errore generico emissione PDF");
  EXPECT_FALSE(fs::exists("/QZ1.PDF"));
  EXPECT_NE(Esito_Host("0001").find("*ERR"), std::string::npos);
  Spool("0002", "salva_pdf = N\n", kChiave, Pagine({{"QZ1", "uno"}}));
  Esegui();
  EXPECT_EQ(Stato(), "errore generico emissione immagini");
  EXPECT_FALSE(fs::exists("/QZ1_00001.PNG"));
}
