// The viewer control's file actions driven through its toolbar on the
// offscreen platform: save as in every entry (the files checked with
// tiffinfo, pngcheck and their headers), the write-back of a turned page,
// page deletion, and the hand-off to the stand-in fax program. Screenshots
// are kept under the build folder for a person to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <deque>
#include <map>
#include <filesystem>
#include <memory>

#include "campioni.h"
#include "qod/ansi.h"
#include "qod/imaging/file.h"
#include "qod/imaging/qimage.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"
#include "qod/viewer/invio_brv.h"
#include "qod/viewer/qod_imv.h"
#include "supporto_brv.h"
#include "visore_prova.h"

using namespace qod;
using namespace qod::imv;
namespace fs = std::filesystem;
using prova::File_Leggi;

namespace {

using prova::Applicazione;

// A colour page: a black frame and title, red and blue boxes, a grey ramp,
// so that every conversion has something to do and a screenshot shows how
// the page is turned.
img::Immagine Pagina(int w, int h, int bit, const QString& testo, int dpi_x, int dpi_y) {
  QImage q(w, h, QImage::Format_RGB32);
  q.fill(Qt::white);
  {
    QPainter p(&q);
    p.setPen(QPen(Qt::black, 3));
    p.drawRect(5, 5, w - 10, h - 10);
    p.fillRect(w / 10, h / 2, w / 5, h / 6, Qt::red);
    p.fillRect(w / 2, h / 2, w / 5, h / 6, Qt::blue);
    for (int i = 0; i < 8; ++i) p.fillRect(w / 10 + i * w / 10, h * 3 / 4, w / 10, h / 10, QColor::fromRgb(i * 32, i * 32, i * 32));
    QFont f("Liberation Sans");
    f.setPixelSize(std::max(8, h / 8));
    p.setFont(f);
    p.drawText(QRect(0, h / 10, w, h / 4), Qt::AlignCenter, testo);
  }
  img::Immagine im;
  EXPECT_TRUE(img::Da_QImage(q, im));
  if (bit != 24) {
    EXPECT_TRUE(im.Converti_Bit(bit));
  }
  im.Imposta_Dpi(dpi_x, dpi_y);
  return im;
}

bool Stessi_Pixel(const img::Immagine& a, const img::Immagine& b) {
  if (a.Larghezza() != b.Larghezza() || a.Altezza() != b.Altezza()) return false;
  for (int y = 0; y < a.Altezza(); ++y)
    for (int x = 0; x < a.Larghezza(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

img::Immagine Leggi(const fs::path& f, int indice = 1) {
  img::Immagine im;
  EXPECT_TRUE(img::Carica(f, im, indice)) << f;
  return im;
}

std::string Tiffinfo(const fs::path& f) { return prova::Esegui({"tiffinfo", f.string()}).out; }

// Little-endian numbers of a file's header.
uint32_t Le(const std::string& d, size_t i, int n) {
  uint32_t v = 0;
  for (int k = n - 1; k >= 0; --k) v = (v << 8) | static_cast<uint8_t>(d[i + k]);
  return v;
}
uint32_t Be(const std::string& d, size_t i, int n) {
  uint32_t v = 0;
  for (int k = 0; k < n; ++k) v = (v << 8) | static_cast<uint8_t>(d[i + k]);
  return v;
}

// The facts of a JPEG file: components of its frame, density unit and values.
struct Jpeg {
  int componenti = 0, unita = -1, x = 0, y = 0;
};
Jpeg Jpeg_Leggi(const std::string& d) {
  Jpeg j;
  for (size_t i = 2; i + 9 < d.size();) {
    if (static_cast<uint8_t>(d[i]) != 0xFF) break;
    const uint8_t m = static_cast<uint8_t>(d[i + 1]);
    const uint32_t l = Be(d, i + 2, 2);
    if (m == 0xE0 && d.compare(i + 4, 5, std::string("JFIF\0", 5)) == 0) {
      j.unita = static_cast<uint8_t>(d[i + 11]);
      j.x = static_cast<int>(Be(d, i + 12, 2));
      j.y = static_cast<int>(Be(d, i + 14, 2));
    }
    if (m == 0xC0 || m == 0xC1 || m == 0xC2) {
      j.componenti = static_cast<uint8_t>(d[i + 9]);
      break;
    }
    i += 2 + l;
  }
  return j;
}

// The save dialog: records what it is asked and answers from a script
// (cancel when the script is empty).
class Dialogo_Finto : public Dialogo_Salva {
 public:
  std::optional<Scelta_Salva> Salva(const Richiesta_Salva& r) override {
    richieste.push_back(r);
    if (risposte.empty()) return std::nullopt;
    Scelta_Salva s = risposte.front();
    risposte.pop_front();
    return s;
  }
  std::vector<Richiesta_Salva> richieste;
  std::deque<Scelta_Salva> risposte;
};

class Azioni : public prova::Prova_Qt {
 protected:
  void SetUp() override {
    cartella_ = std::make_unique<prova::Cartella_Prova>("imv_azioni");
    dir_ = cartella_->Dir();
    host_ = std::make_unique<QWidget>();
    v_ = prova::Visore_In(*host_, 800, 600);
    v_->Imposta_Dialogo_Salva(&dialogo_);
    v_->Imposta_Messaggi(&messaggi_);
    host_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host_.get(), 60000));
  }
  void TearDown() override {
    host_.reset();
    cartella_.reset();
  }

  void Clicca(int tasto) {
    ASSERT_TRUE(v_->Pulsante(tasto)->isEnabled()) << Tasti_Chiave()[tasto];
    QTest::mouseClick(v_->Pulsante(tasto), Qt::LeftButton);
  }

  void Salva_Come(const fs::path& file, int voce) {
    dialogo_.risposte.push_back({file.string(), voce});
    Clicca(T_Salva);
  }

  // Pages 00001..n of a one-file-per-page document, each 1-bit G4 with its
  // number on it; the name of the first.
  std::string Documento(const std::string& base, int prima, int ultima, int cifre = 5) {
    for (int i = prima; i <= ultima; ++i) {
      const std::string n = std::string(cifre - std::to_string(i).size(), '0') + std::to_string(i);
      EXPECT_TRUE(img::Salva(Pagina(300 + 10 * i, 200, 1, QString("Pagina %1").arg(i), 200, 200),
                             dir_ / (base + n + ".TIF"), {5, false, "EXTENSION = TIF"}));
    }
    return (dir_ / (base + std::string(cifre - std::to_string(prima).size(), '0') + std::to_string(prima) + ".TIF"))
        .string();
  }

  // A TIFF of three images of different sizes.
  fs::path Tre_Immagini(const std::string& nome) {
    const fs::path f = dir_ / nome;
    for (int i = 1; i <= 3; ++i)
      EXPECT_TRUE(img::Salva(Pagina(250 + 50 * i, 200, 1, QString("Immagine %1").arg(i), 204, 98), f,
                             {5, i > 1, "EXTENSION = TIF"}));
    return f;
  }

  void Schermata(const std::string& nome) { prova::Schermata(*host_, nome); }

  std::string Contatore() const { return v_->lblPag1()->text().toStdString(); }

  std::unique_ptr<prova::Cartella_Prova> cartella_;
  fs::path dir_;
  std::unique_ptr<QWidget> host_;
  Qod_IMV* v_ = nullptr;
  Dialogo_Finto dialogo_;
  RecordingMessageSink messaggi_;
};

// ---- Save as ----------------------------------------------------------------------------

TEST_F(Azioni, SaveAsInEveryEntryCheckedByOutsideReaders) {
  const fs::path pagina = dir_ / "C_00001.TIF";
  ASSERT_TRUE(img::Salva(Pagina(400, 300, 24, "Colori 200x100", 200, 100), pagina, {0, false, "EXTENSION = TIF"}));
  ASSERT_TRUE(v_->Immagine_Carica(pagina.string()));

  // What tiffinfo, pngcheck or the header must show, and the colours read back.
  struct Caso {
    int voce;
    const char* nome;
    std::vector<std::string> tiffinfo;
    std::string pngcheck;
    int bmp_bit;
    int jpeg_componenti;
    int64_t colori;
  };
  const std::string res = "Resolution: 200, 100 pixels/inch";
  const Caso casi[] = {
      {2, "g3.TIF", {"Compression Scheme: CCITT Group 3", "FillOrder: lsb-to-msb", "Bits/Sample: 1", res}, "", 0, 0, 2},
      {3, "bn.TIF", {"Compression Scheme: None", "Bits/Sample: 1", res}, "", 0, 0, 2},
      {4, "colori.TIF", {"Compression Scheme: None", "Bits/Sample: 8", "Samples/Pixel: 3", res}, "", 0, 0, 16777216},
      {5, "bn.BMP", {}, "", 1, 0, 2},
      {6, "colori.BMP", {}, "", 24, 0, 16777216},
      {7, "grigio.JPG", {}, "", 0, 1, 256},
      {8, "colori.JPG", {}, "", 0, 3, 16777216},
      {9, "bn.PNG", {}, "(400x300, 1-bit grayscale, non-interlaced", 0, 0, 2},
      {10, "grigio.PNG", {}, "(400x300, 4-bit grayscale, non-interlaced", 0, 0, 16},
      {11, "colori.PNG", {}, "(400x300, 24-bit RGB, non-interlaced", 0, 0, 16777216},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const fs::path out = dir_ / c.nome;
    Salva_Come(out, c.voce);
    ASSERT_TRUE(fs::exists(out));
    const std::string dati = File_Leggi(out);
    const std::string info = Tiffinfo(out);
    for (const std::string& riga : c.tiffinfo) EXPECT_NE(info.find(riga), std::string::npos) << riga << "\n" << info;
    if (c.voce == 3 || c.voce == 4) {
      EXPECT_EQ(info.find("lsb-to-msb"), std::string::npos) << info;
    }
    if (!c.pngcheck.empty()) {
      const auto r = prova::Esegui({"pngcheck", out.string()});
      EXPECT_EQ(r.rc, 0) << r.out;
      EXPECT_NE(r.out.find(c.pngcheck), std::string::npos) << r.out;
    }
    if (c.bmp_bit) {
      ASSERT_EQ(dati.substr(0, 2), "BM");
      EXPECT_EQ(Le(dati, 14, 4), 40u);  // the 40-byte information header
      EXPECT_EQ(static_cast<int>(Le(dati, 28, 2)), c.bmp_bit);
    }
    if (c.jpeg_componenti) {
      const Jpeg j = Jpeg_Leggi(dati);
      EXPECT_EQ(j.componenti, c.jpeg_componenti);
      EXPECT_EQ(j.unita, 1);
      EXPECT_EQ(j.x, 200);
      EXPECT_EQ(j.y, 100);
    }
    const img::Immagine letta = Leggi(out);
    EXPECT_EQ(letta.Larghezza(), 400);
    EXPECT_EQ(letta.Altezza(), 300);
    EXPECT_EQ(letta.Numero_Colori(), c.colori);
    // The page on show keeps its colours.
    EXPECT_EQ(v_->IM1()->Colori(), 16777216);
  }
  // Every save asked the same: page 1 proposed, the filter of a .TIF page.
  ASSERT_EQ(dialogo_.richieste.size(), std::size(casi));
  const Richiesta_Salva& r = dialogo_.richieste.front();
  EXPECT_EQ(r.nome, "P00001");
  EXPECT_EQ(r.estensione, "TIF");
  EXPECT_EQ(r.filtro, Filtro_Salva("TIF"));
  EXPECT_EQ(r.voce, 1);
  EXPECT_EQ(r.flags, 6);
  EXPECT_EQ(r.titolo, "");
  EXPECT_EQ(r.cartella, "");
  EXPECT_TRUE(messaggi_.boxes.empty());
}

TEST_F(Azioni, AsIsCopiesTheWholeFileAndNeverOntoItself) {
  const fs::path multi = Tre_Immagini("M_00001.TIF");
  const std::string originale = File_Leggi(multi);
  ASSERT_TRUE(v_->Immagine_Carica(multi.string()));
  Clicca(T_Successiva);
  ASSERT_EQ(Contatore(), "2/3");

  // "As is": every image, byte for byte.
  Salva_Come(dir_ / "copia.TIF", 1);
  EXPECT_EQ(File_Leggi(dir_ / "copia.TIF"), originale);
  EXPECT_EQ(img::Conta_Immagini(dir_ / "copia.TIF"), 3);
  // Another entry writes the page shown alone.
  Salva_Come(dir_ / "pagina2.TIF", 3);
  EXPECT_EQ(img::Conta_Immagini(dir_ / "pagina2.TIF"), 1);
  EXPECT_EQ(Leggi(dir_ / "pagina2.TIF").Larghezza(), 350);
  // Onto the file shown: nothing happens, the file keeps all its pages.
  Salva_Come(multi, 1);
  EXPECT_EQ(File_Leggi(multi), originale);
  // Cancelled: nothing written.
  const auto prima = prova::Nomi(dir_);
  Clicca(T_Salva);
  EXPECT_EQ(prova::Nomi(dir_), prima);
  // A read-only file in the way is left as it was.
  prova::File_Scrivi(dir_ / "bloccato.TIF", "vecchio");
  {
    Blocco_Scrittura b(dir_ / "bloccato.TIF");
    if (b.Ok()) {
      Salva_Come(dir_ / "bloccato.TIF", 1);
      Salva_Come(dir_ / "bloccato.TIF", 11);
    }
  }
  EXPECT_EQ(File_Leggi(dir_ / "bloccato.TIF"), "vecchio");
  ASSERT_EQ(dialogo_.richieste.size(), 6u);
  EXPECT_EQ(dialogo_.richieste[0].nome, "P00002");

  // A page from a file without "." proposes TIF.
  const fs::path senza = dir_ / "SENZA";
  fs::copy_file(multi, senza);
  ASSERT_TRUE(v_->Immagine_Carica(senza.string()));
  Clicca(T_Salva);
  EXPECT_EQ(dialogo_.richieste.back().estensione, "TIF");
  EXPECT_EQ(dialogo_.richieste.back().nome, "P00001");
  EXPECT_TRUE(messaggi_.boxes.empty());
}

// ---- Rotation -------------------------------------------------------------------------------

TEST_F(Azioni, RotationWritesThePageBackByItsName) {
  struct Caso {
    const char* nome;
    int bit;
    const char* opzioni;
    bool memo;
    bool scritto;
    std::vector<std::string> tiffinfo;
  };
  const Caso casi[] = {
      // A fax page: group 3, bits from the least significant, its own
      // resolutions turned with it.
      {"F_00001.TIF", 1, "EXTENSION = TIF", true, true,
       {"Compression Scheme: CCITT Group 3", "FillOrder: lsb-to-msb", "Resolution: 98, 204 pixels/inch"}},
      {"f_00001.tif", 24, "EXTENSION = TIF", true, true, {"Compression Scheme: None", "Bits/Sample: 8"}},
      {"P_00001.png", 24, "EXTENSION = PNG", true, true, {}},
      {"B_00001.BMP", 1, "EXTENSION = BMP", true, true, {}},
      {"G_00001.GIF", 24, "EXTENSION = PNG", true, false, {}},  // turned, not written
      {"N_00001.TIF", 1, "EXTENSION = TIF", false, false, {}},  // write-back off
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const fs::path f = dir_ / c.nome;
    ASSERT_TRUE(img::Salva(Pagina(300, 200, c.bit, c.nome, 204, 98), f, {0, false, c.opzioni}));
    const std::string prima = File_Leggi(f);
    v_->qodimv_Memo(c.memo);
    ASSERT_TRUE(v_->Immagine_Carica(f.string()));
    EXPECT_FALSE(v_->qodimv_Memo_Change());
    Clicca(T_Ruota);
    EXPECT_TRUE(v_->qodimv_Memo_Change());
    EXPECT_EQ(v_->IM1()->Larghezza_Immagine(), 200);
    EXPECT_EQ(v_->IM1()->Altezza_Immagine(), 300);
    EXPECT_EQ(Contatore(), "1/1");
    if (!c.scritto) {
      EXPECT_EQ(File_Leggi(f), prima);
      continue;
    }
    const img::Immagine letta = Leggi(f);
    EXPECT_TRUE(Stessi_Pixel(letta, v_->IM1()->Immagine_Attuale()));
    const std::string info = Tiffinfo(f);
    for (const std::string& riga : c.tiffinfo) EXPECT_NE(info.find(riga), std::string::npos) << riga << "\n" << info;
  }
  Schermata("azioni_ruotata");
  EXPECT_TRUE(messaggi_.boxes.empty());
}

TEST_F(Azioni, RotationKeepsTheOtherPagesOfAMultiImageTiff) {
  const fs::path multi = Tre_Immagini("M_00001.TIF");
  const img::Immagine uno = Leggi(multi, 1), tre = Leggi(multi, 3);
  v_->qodimv_Memo(true);
  ASSERT_TRUE(v_->Immagine_Carica(multi.string()));
  Clicca(T_Successiva);
  Clicca(T_Ruota);
  ASSERT_EQ(img::Conta_Immagini(multi), 3);
  EXPECT_TRUE(Stessi_Pixel(Leggi(multi, 1), uno));
  EXPECT_TRUE(Stessi_Pixel(Leggi(multi, 3), tre));
  const img::Immagine due = Leggi(multi, 2);
  EXPECT_EQ(due.Larghezza(), 200);
  EXPECT_EQ(due.Altezza(), 350);
  EXPECT_EQ(due.Dpi_X(), 98);
  EXPECT_EQ(due.Dpi_Y(), 204);
  EXPECT_TRUE(Stessi_Pixel(due, v_->IM1()->Immagine_Attuale()));
  EXPECT_EQ(Contatore(), "2/3");
}

// The write-back of a turned page of a multi-image TIFF copies the other
// pages within the memory limit: a page whose tags it cannot hold (eight
// of 100 MB) makes it fail, with the file, the reason, and the file as it
// was; the page stays turned on screen.
TEST_F(Azioni, ARotationWhoseOtherPageTheLimitCannotHoldTellsWhy) {
  const fs::path f = dir_ / "G_00001.TIF";
  img::prova::Scrivi_Tiff_Tag_Enormi(f, 8);
  const uint64_t impronta = img::prova::Impronta(f);
  v_->qodimv_Memo(true);
  ASSERT_TRUE(v_->Immagine_Carica(f.string()));
  Clicca(T_Successiva);
  ASSERT_EQ(Contatore(), "2/2");
  Clicca(T_Ruota);
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Impossibile scrivere la pagina ruotata nel file\r" + f.string() + "\r" +
                                          f.string() +
                                          ": TIFF: the tags of image 1 take more memory than the limit of 256 MB");
  EXPECT_EQ(img::prova::Impronta(f), impronta);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  EXPECT_TRUE(v_->IM1()->isVisible());
}

TEST_F(Azioni, ARotationThatCannotBeWrittenTellsAndTheControlGoesOn) {
  const std::string primo = Documento("R_", 1, 2);
  const std::string prima = File_Leggi(primo);
  v_->qodimv_Memo(true);
  ASSERT_TRUE(v_->Immagine_Carica(primo));
  Blocco_Scrittura blocco(primo);
  if (!blocco.Ok()) GTEST_SKIP() << "this system cannot make a file read-only for this user";
  Clicca(T_Ruota);
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Impossibile scrivere la pagina ruotata nel file\r" + primo);
  EXPECT_EQ(messaggi_.boxes[0].stile, vbCritical);
  EXPECT_EQ(File_Leggi(primo), prima);
  // The page stays turned on screen and the control goes on.
  EXPECT_EQ(v_->IM1()->Larghezza_Immagine(), 200);
  EXPECT_TRUE(v_->IM1()->isVisible());
  Clicca(T_Successiva);
  EXPECT_EQ(Contatore(), "2/2");
  Clicca(T_Ruota);
  EXPECT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(Leggi(dir_ / "R_00002.TIF").Larghezza(), 200);
}

// ---- Deletion --------------------------------------------------------------------------------

TEST_F(Azioni, DeletionClosesTheGapInTheNumbering) {
  struct Caso {
    const char* nome;
    int prima, ultima;  // the files on disk; the document is named from the first
    int avanti;         // next-page clicks before deleting
    bool tolto;         // the page's file removed by someone else first
    std::vector<std::pair<int, int>> restano;  // number on disk, and the old page it holds
    const char* contatore;
  };
  const Caso casi[] = {
      {"page 2 of 5", 1, 5, 1, false, {{1, 1}, {2, 3}, {3, 4}, {4, 5}}, "1/4"},
      {"the last page renames nothing", 1, 3, 2, false, {{1, 1}, {2, 2}}, "2/2"},
      {"the first page of a document named from its third file", 3, 5, 0, false, {{3, 4}, {4, 5}}, "1/2"},
      {"the only page", 1, 1, 0, false, {}, ""},
      {"a page already removed", 1, 3, 1, true, {{1, 1}, {3, 3}}, "2/3"},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.nome);
    prova::Cartella_Prova sotto("imv_cancella");
    const fs::path d = sotto.Dir();
    std::map<int, std::string> pagine;
    for (int i = c.prima; i <= c.ultima; ++i) {
      char n[32];
      std::snprintf(n, sizeof n, "D_%05d.TIF", i);
      ASSERT_TRUE(img::Salva(Pagina(300, 200, 1, QString("Pagina %1").arg(i), 200, 200), d / n,
                             {5, false, "EXTENSION = TIF"}));
      pagine[i] = File_Leggi(d / n);
    }
    char primo[32];
    std::snprintf(primo, sizeof primo, "D_%05d.TIF", c.prima);
    ASSERT_TRUE(v_->Immagine_Carica((d / primo).string()));
    for (int i = 0; i < c.avanti; ++i) Clicca(T_Successiva);
    if (c.tolto) {
      char n[32];
      std::snprintf(n, sizeof n, "D_%05d.TIF", c.prima + c.avanti);
      fs::remove(d / n);
      pagine.erase(c.prima + c.avanti);
    }
    Clicca(T_Cancella);
    std::vector<std::string> attesi;
    for (const auto& [numero, vecchia] : c.restano) {
      char n[32];
      std::snprintf(n, sizeof n, "D_%05d.TIF", numero);
      attesi.push_back(n);
      EXPECT_EQ(File_Leggi(d / n), pagine[vecchia]) << n;
    }
    EXPECT_EQ(prova::Nomi(d), attesi);
    EXPECT_EQ(Contatore(), c.contatore);
    EXPECT_EQ(v_->IM1()->isVisible(), c.restano.size() > 0);
    if (std::string(c.nome) == "page 2 of 5") {
      EXPECT_TRUE(Stessi_Pixel(v_->IM1()->Immagine_Attuale(), Leggi(d / "D_00001.TIF")));
      Schermata("azioni_cancellata");
      // The new page 2 is the old page 3.
      Clicca(T_Successiva);
      EXPECT_TRUE(Stessi_Pixel(v_->IM1()->Immagine_Attuale(), Leggi(d / "D_00002.TIF")));
      EXPECT_EQ(Contatore(), "2/4");
    }
  }
}

TEST_F(Azioni, DeletionLeavesMultiImageAndReadOnlyPagesAndAFailedRenameShowsTheDisk) {
  const fs::path multi = Tre_Immagini("M_00001.TIF");
  const std::string originale = File_Leggi(multi);
  ASSERT_TRUE(v_->Immagine_Carica(multi.string()));
  Clicca(T_Cancella);
  EXPECT_EQ(File_Leggi(multi), originale);
  EXPECT_EQ(Contatore(), "1/3");

  const std::string primo = Documento("D_", 1, 5);
  ASSERT_TRUE(v_->Immagine_Carica(primo));
  Clicca(T_Successiva);
  {
    Blocco_Scrittura b(dir_ / "D_00002.TIF");
    if (!b.Ok()) GTEST_SKIP() << "this system cannot make a file read-only for this user";
    Clicca(T_Cancella);
    EXPECT_TRUE(fs::exists(dir_ / "D_00002.TIF"));
    EXPECT_EQ(Contatore(), "2/5");
  }
  // Page 4 cannot be renamed (only an immutable file refuses a rename, and
  // only root can make one): 2 is deleted, 3 becomes 2, and the gap at 3
  // ends the document on disk.
  if (::geteuid() != 0) GTEST_SKIP() << "a file that refuses renaming needs root";
  const std::string tre = File_Leggi(dir_ / "D_00003.TIF");
  {
    Blocco_Scrittura b(dir_ / "D_00004.TIF");
    ASSERT_TRUE(b.Ok());
    Clicca(T_Cancella);
  }
  EXPECT_EQ(prova::Nomi(dir_), (std::vector<std::string>{"D_00001.TIF", "D_00002.TIF", "D_00004.TIF", "D_00005.TIF",
                                                          "M_00001.TIF"}));
  EXPECT_EQ(File_Leggi(dir_ / "D_00002.TIF"), tre);
  EXPECT_EQ(Contatore(), "1/2");
  EXPECT_TRUE(v_->IM1()->isVisible());
  EXPECT_TRUE(messaggi_.boxes.empty());
}

// ---- Hand-off ---------------------------------------------------------------------------------

TEST_F(Azioni, HandOffCopiesThePagesAndTellsTheFaxProgram) {
  const std::string primo = Documento("D_", 3, 4, 4);
  prova::File_Scrivi(dir_ / "__Brv_00007_0001.TIF", "vecchia");
  prova::File_Scrivi(dir_ / "__Brv_00012_0001.TIF", "vecchia");
  Brevin_Simulato brv(dir_ / "brv", 60000);
  ASSERT_TRUE(brv.Avviato());
  v_->Imposta_Brevin(brv.Indirizzo());
  v_->qodimv_Brv_Tipo("CLI");
  v_->qodimv_Brv_Codi("C0042");
  v_->qodimv_Brv_Rife(A("Fattura n° 7"));
  // Nothing shown: nothing sent, nothing said.
  Clicca(T_InvioFax);
  EXPECT_TRUE(messaggi_.boxes.empty());

  ASSERT_TRUE(v_->Immagine_Carica(primo));
  Clicca(T_InvioFax);
  const std::string ultimo = (dir_ / "__Brv_00013_0002.TIF").string();
  const std::string messaggio = "{FI=" + ultimo + A("}{RI=Fattura n° 7}{TI=F}{TC=CLI}{CD=C0042}");
  ASSERT_TRUE(brv.Attendi_Riga("COPIA " + ultimo + " " + std::to_string(fs::file_size(dir_ / "D_0004.TIF"))));
  EXPECT_EQ(brv.Righe(), (std::vector<std::string>{
                             "AVVIO " + brv.Indirizzo(), "MESSAGGIO " + messaggio,
                             "COPIA " + (dir_ / "__Brv_00013_0001.TIF").string() + " " +
                                 std::to_string(fs::file_size(dir_ / "D_0003.TIF")),
                             "COPIA " + ultimo + " " + std::to_string(fs::file_size(dir_ / "D_0004.TIF"))}));
  EXPECT_EQ(File_Leggi(dir_ / "__Brv_00013_0001.TIF"), File_Leggi(dir_ / "D_0003.TIF"));
  EXPECT_EQ(File_Leggi(ultimo), File_Leggi(dir_ / "D_0004.TIF"));
  EXPECT_TRUE(messaggi_.boxes.empty());

  // Still busy with it: the box, and no further copies.
  const auto nomi = prova::Nomi(dir_);
  Clicca(T_InvioMail);
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo,
            A("Il client Brevin non è pronto,\rcontrollare se è in esecuzione\re riperete l'invio"));
  EXPECT_EQ(messaggi_.boxes[0].stile, vbCritical);
  EXPECT_EQ(messaggi_.boxes[0].titolo, "Brevin      ERRORE");
  EXPECT_EQ(prova::Nomi(dir_), nomi);

  // No program at all: the same box.
  v_->Imposta_Brevin((dir_ / "nessuno").string());
  Clicca(T_InvioFax);
  ASSERT_EQ(messaggi_.boxes.size(), 2u);
  EXPECT_EQ(messaggi_.boxes[1].testo, messaggi_.boxes[0].testo);
  EXPECT_EQ(prova::Nomi(dir_), nomi);
}

TEST_F(Azioni, AHandOffWhoseCopyFailsSendsNothing) {
  const std::string primo = Documento("D_", 1, 2);
  Brevin_Simulato brv(dir_ / "brv", 0);
  ASSERT_TRUE(brv.Avviato());
  v_->Imposta_Brevin(brv.Indirizzo());
  v_->qodimv_Brv_Tipo("CLI");
  ASSERT_TRUE(v_->Immagine_Carica(primo));
  // Page 2 disappears after the document was shown.
  fs::remove(dir_ / "D_00002.TIF");
  Clicca(T_InvioMail);
  ASSERT_TRUE(brv.Attendi_Riga("VUOTO"));
  EXPECT_EQ(brv.Righe(), (std::vector<std::string>{"AVVIO " + brv.Indirizzo(), "VUOTO"}));
  EXPECT_EQ(prova::Nomi(dir_), (std::vector<std::string>{"D_00001.TIF", "brv"}));
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].titolo, "Brevin      ERRORE");
  EXPECT_NE(messaggi_.boxes[0].testo.find((dir_ / "D_00002.TIF").string()), std::string::npos);

  // A multi-image document goes whole, as copy 1.
  const fs::path multi = Tre_Immagini("M_00001.TIF");
  ASSERT_TRUE(v_->Immagine_Carica(multi.string()));
  Clicca(T_InvioMail);
  const std::string copia = (dir_ / "__Brv_00001_1.TIF").string();
  ASSERT_TRUE(brv.Attendi_Riga("MESSAGGIO {FI=" + copia + "}{RI=}{TI=E}{TC=CLI}{CD=}"));
  EXPECT_EQ(File_Leggi(copia), File_Leggi(multi));
}

// ---- The save dialog on screen ----------------------------------------------------------------

// The dialog is Italian whatever LANG says, the columns of its detail view
// too: a folder's type, a file's type, size and date.
TEST_F(Azioni, TheSaveDialogOnScreen) {
  v_->Imposta_Dialogo_Salva(nullptr);
  const fs::path pagina = dir_ / "C_00003.tif";
  ASSERT_TRUE(img::Salva(Pagina(400, 300, 24, "Dialogo", 96, 96), pagina, {0, false, "EXTENSION = TIF"}));
  ASSERT_TRUE(v_->Immagine_Carica(pagina.string()));
  fs::create_directories(dir_ / "Archivio");
  QStringList voci, intestazioni, suggerimenti;
  QString scelta_iniziale, nome_iniziale;
  std::map<QString, QStringList> righe;  // name: size, type, date
  bool visto = false;
  prova::Modali_Attese dialogo;  // answered below
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<QFileDialog*>(w);
      if (!d || !d->isVisible()) continue;
      visto = true;
      auto* tipi = d->findChild<QComboBox*>("fileTypeCombo");
      if (tipi)
        for (int i = 0; i < tipi->count(); ++i) voci << tipi->itemText(i);
      scelta_iniziale = tipi ? tipi->currentText() : QString();
      auto* nome = d->findChild<QLineEdit*>("fileNameEdit");
      nome_iniziale = nome ? nome->text() : QString();
      d->setDirectory(QString::fromStdString(dir_.string()));
      for (const char* tasto : {"listModeButton", "detailModeButton"})
        if (auto* b = d->findChild<QToolButton*>(tasto)) suggerimenti << b->toolTip();
      if (auto* b = d->findChild<QToolButton*>("detailModeButton")) b->click();
      auto* vista = d->findChild<QTreeView*>("treeView");
      auto leggi = [&] {
        righe.clear();
        if (!vista) return;
        const QAbstractItemModel* m = vista->model();
        for (int r = 0; r < m->rowCount(vista->rootIndex()); ++r) {
          auto cella = [&](int c) { return m->index(r, c, vista->rootIndex()).data().toString(); };
          righe[cella(0)] = {cella(1), cella(2), cella(3)};
        }
      };
      // The folder is listed at once, its entries come from a thread.
      prova::Attendi([&] {
        leggi();
        return righe.count("Archivio") && righe.count("C_00003.tif") && !righe["C_00003.tif"][2].isEmpty();
      }, 5000);
      if (vista)
        for (int c = 0; c < vista->model()->columnCount(vista->rootIndex()); ++c)
          intestazioni << vista->model()->headerData(c, Qt::Horizontal).toString();
      d->resize(700, 450);
      prova::Schermata(*d, "azioni_dialogo_salva");
      if (tipi) {
        tipi->setCurrentIndex(10);
        emit tipi->activated(10);
        emit tipi->textActivated(tipi->itemText(10));
      }
      if (nome) {
        nome->setText("uscita");
        QTest::keyClick(nome, Qt::Key_Return);
      }
      return;
    }
  });
  Clicca(T_Salva);
  ASSERT_TRUE(visto);
  EXPECT_EQ(voci, (QStringList{QString::fromUtf8("Così com'è (*.TIF)"), "TIF 3-1D (*.TIF)", "TIF bianco e nero (*TIF)",
                               "TIF colori (*.TIF)", "BMP bianco e nero (*.BMP)", "BMP colori (*.BMP)",
                               "JPG toni di grigio (*.JPG)", "JPG colori (*.JPG)", "PNG bianco e nero (*.PNG)",
                               "PNG toni di grigio (*.PNG)", "PNG colori (*.PNG)"}));
  EXPECT_EQ(scelta_iniziale, QString::fromUtf8("Così com'è (*.TIF)"));
  EXPECT_EQ(nome_iniziale, "P00001");
  EXPECT_EQ(intestazioni, (QStringList{"Nome", "Dimensione", "Tipo", "Data di modifica"}));
  EXPECT_EQ(suggerimenti, (QStringList{"Vista a elenco", "Vista dettagliata"}));
  ASSERT_EQ(righe.count("Archivio"), 1u) << righe.size();
  ASSERT_EQ(righe.count("C_00003.tif"), 1u) << righe.size();
  EXPECT_EQ(righe["Archivio"][0], "");
  EXPECT_EQ(righe["Archivio"][1], "Cartella");
  const QStringList& file = righe["C_00003.tif"];
  EXPECT_EQ(file[1], "Immagine TIFF");
  // Day, month and year, then the time, with the decimal comma in the size.
  const QDateTime modificato = QFileInfo(QString::fromStdString(pagina.string())).lastModified();
  EXPECT_EQ(file[2], modificato.toString("dd/MM/yy HH:mm"));
  const double kib = static_cast<double>(fs::file_size(pagina)) / 1024;
  EXPECT_EQ(file[0], QString::number(kib, 'f', 2).replace('.', ',') + " KiB");
  // "PNG colori" with a name typed without extension: the entry's extension.
  const fs::path uscita = dir_ / "uscita.PNG";
  ASSERT_TRUE(fs::exists(uscita)) << prova::Nomi(dir_).size();
  const auto r = prova::Esegui({"pngcheck", uscita.string()});
  EXPECT_NE(r.out.find("24-bit RGB"), std::string::npos) << r.out;
}

}  // namespace
