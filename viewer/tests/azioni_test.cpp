// The viewer's file actions without a window: the save dialog's filter and
// proposals, the conversions and option lines of the save entries and of the
// write-back, the guarded file operations, and the fax hand-off's names,
// sequence numbers, copies and message, with the stand-in fax program.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "qod/ansi.h"
#include "qod/prova/strumenti.h"
#include "qod/viewer/azioni_file.h"
#include "qod/viewer/invio_brv.h"
#include "supporto_brv.h"

namespace qod::imv {
namespace {

namespace fs = std::filesystem;
using prova::File_Leggi;
using prova::File_Scrivi;

TEST(SalvaCome, FilterProposalAndExtension) {
  EXPECT_EQ(Filtro_Salva("TIF"),
            A("Così com'è (*.TIF)|*.TIF|TIF 3-1D (*.TIF)|*.TIF|TIF bianco e nero (*TIF)|*.TIF|TIF colori (*.TIF)|*.TIF"
              "|BMP bianco e nero (*.BMP)|*.BMP|BMP colori (*.BMP)|*.BMP|JPG toni di grigio (*.JPG)|*.JPG"
              "|JPG colori (*.JPG)|*.JPG|PNG bianco e nero (*.PNG)|*.PNG|PNG toni di grigio (*.PNG)|*.PNG"
              "|PNG colori (*.PNG)|*.PNG"));
  EXPECT_EQ(Nome_Proposto(1), "P00001");
  EXPECT_EQ(Nome_Proposto(3), "P00003");
  const struct {
    const char* file;
    const char* ext;
  } casi[] = {
      {"/t/D_00001.TIF", "TIF"},       {"/t/d_00001.png", "PNG"},  {"/t/REPORT", "TIF"},
      {"/t/a.d/REPORT", "TIF"},  // a dotted folder is no extension
      {"/t/x. jpg ", "JPG"},           {"/t/x.", ""},
  };
  for (const auto& c : casi) EXPECT_EQ(Estensione_Salva(c.file), c.ext) << c.file;
}

TEST(SalvaCome, EntriesConversionsAndOptionLines) {
  using C = Conversione;
  const std::string g3 = "EXTENSION = TIF\rTIFF_FILLORDER = 2\rTIFF_XRES = 200\rTIFF_YRES = 100";
  const std::string tif = "EXTENSION = TIF\rTIFF_XRES = 200\rTIFF_YRES = 100";
  const std::string jpg = "EXTENSION = JPG\rJPEG_OPTIMIZE_CODING = ON\rLOSSY_QUALITY = 080\rJPEG_SMOOTHING = 060";
  const struct {
    int voce;
    C conversione;
    int compressione;
    std::string opzioni;
  } casi[] = {
      {2, C::Bianco_Nero, 4, g3},           {3, C::Bianco_Nero, 0, tif},          {4, C::Colore, 0, tif},
      {5, C::Bianco_Nero, 0, "EXTENSION = BMP"}, {6, C::Colore, 0, "EXTENSION = BMP"}, {7, C::Grigio, 0, jpg},
      {8, C::Colore, 0, jpg},               {9, C::Bianco_Nero, 0, "EXTENSION = PNG"},
      {10, C::Grigio, 0, "EXTENSION = PNG"}, {11, C::Colore, 0, "EXTENSION = PNG"},
  };
  for (const auto& c : casi) {
    const auto v = Voce_Salvataggio(c.voce, 200, 100);
    ASSERT_TRUE(v) << c.voce;
    EXPECT_EQ(v->conversione, c.conversione) << c.voce;
    EXPECT_EQ(v->parametri.compressione, c.compressione) << c.voce;
    EXPECT_FALSE(v->parametri.accoda) << c.voce;
    EXPECT_EQ(v->parametri.opzioni, c.opzioni) << c.voce;
  }
  for (int voce : {0, 1, 12}) EXPECT_FALSE(Voce_Salvataggio(voce, 200, 100)) << voce;
  // At least three digits.
  EXPECT_EQ(Voce_Salvataggio(3, 96, 1200)->parametri.opzioni, "EXTENSION = TIF\rTIFF_XRES = 096\rTIFF_YRES = 1200");
}

TEST(SalvaCome, ConversionsReportTheirColourCounts) {
  const struct {
    int bit;
    Conversione c;
    int64_t colori;
  } casi[] = {
      {24, Conversione::Bianco_Nero, 2},   {1, Conversione::Bianco_Nero, 2},  {8, Conversione::Bianco_Nero, 2},
      {1, Conversione::Grigio, 16},        {24, Conversione::Grigio, 16},     {32, Conversione::Grigio, 16},
      {1, Conversione::Colore, 16777216},  {8, Conversione::Colore, 16777216}, {24, Conversione::Colore, 16777216},
      {32, Conversione::Colore, 16777216},
  };
  for (const auto& c : casi) {
    img::Immagine im;
    ASSERT_TRUE(im.Crea(40, 20, c.bit));
    im.Riempi(10, 5, 20, 10, img::Colore{200, 30, 30});
    ASSERT_TRUE(Converti(im, c.c)) << c.bit;
    EXPECT_EQ(im.Numero_Colori(), c.colori) << c.bit;
    EXPECT_TRUE(c.c == Conversione::Colore || im.Tavolozza_Grigia()) << c.bit;
  }
}

TEST(Riscrittura, ByTheNamesLastFourCharacters) {
  const std::string g3 = "EXTENSION = TIF\rTIFF_FILLORDER = 2\rTIFF_XRES = 098\rTIFF_YRES = 204";
  const struct {
    const char* file;
    int64_t colori;
    bool scrive;
    int compressione;
    std::string opzioni;
  } casi[] = {
      {"/t/F_00001.TIF", 2, true, 4, g3},
      {"/t/f_00001.tif", 2, true, 4, g3},
      {"/t/F_00001.TIF", 16777216, true, 0, "EXTENSION = TIF"},
      {"/t/F_00001.Bmp", 2, true, 0, "EXTENSION = BMP"},
      {"/t/F_00001.jpg", 16777216, true, 0,
       "EXTENSION = JPG\rJPEG_OPTIMIZE_CODING = ON\rLOSSY_QUALITY = 080\rJPEG_SMOOTHING = 060"},
      {"/t/F_00001.PNG", 2, true, 0, "EXTENSION = PNG"},
      {"/t/F_00001.GIF", 2, false, 0, ""},
      {"/t/F_00001.TIFF", 2, false, 0, ""},
      {"/t/F", 2, false, 0, ""},
  };
  for (const auto& c : casi) {
    const auto p = Parametri_Riscrittura(c.file, c.colori, 98, 204);
    ASSERT_EQ(static_cast<bool>(p), c.scrive) << c.file;
    if (!p) continue;
    EXPECT_EQ(p->compressione, c.compressione) << c.file;
    EXPECT_EQ(p->opzioni, c.opzioni) << c.file;
  }
}

TEST(File, SameFileWritableAndRenameWithoutReplacing) {
  prova::Cartella_Prova dir("azioni");
  const fs::path a = dir.Dir() / "a.tif", b = dir.Dir() / "b.tif";
  File_Scrivi(a, "A");
  File_Scrivi(b, "B");
  EXPECT_TRUE(Stesso_File(a, dir.Dir() / "." / "a.tif"));
  EXPECT_FALSE(Stesso_File(a, b));
  EXPECT_FALSE(Stesso_File(a, dir.Dir() / "manca.tif"));
  EXPECT_TRUE(File_Scrivibile(a));
  EXPECT_TRUE(File_Scrivibile(dir.Dir() / "nuovo.tif"));
  EXPECT_FALSE(File_Scrivibile(dir.Dir()));
  // A taken name is never replaced.
  EXPECT_FALSE(Rinomina_Libero(a, b));
  EXPECT_EQ(File_Leggi(a), "A");
  EXPECT_EQ(File_Leggi(b), "B");
  EXPECT_TRUE(Rinomina_Libero(a, dir.Dir() / "c.tif"));
  EXPECT_EQ(prova::Nomi(dir.Dir()), (std::vector<std::string>{"b.tif", "c.tif"}));
  EXPECT_FALSE(Rinomina_Libero(dir.Dir() / "manca.tif", dir.Dir() / "d.tif"));
  if (Blocca_Scrittura(b)) {
    EXPECT_FALSE(File_Scrivibile(b));
    Sblocca_Scrittura(b);
  }
}

// ---- Hand-off ------------------------------------------------------------------------

TEST(InvioBrv, SequenceNumbersOfAFolder) {
  const struct {
    std::vector<const char*> nomi;
    long sequenza;
  } casi[] = {
      {{}, 1},
      {{"D_0001.TIF", "altro.txt"}, 1},
      {{"__Brv_00007_0001.TIF", "__Brv_00012_0001.TIF", "__Brv_00012_0002.TIF"}, 13},
      {{"__Brv_abcde_1.TIF", "__Brv_00002x_1.TIF"}, 3},  // reading stops at the first non-digit
      {{"__Brv_12_1.TIF"}, 13},
      {{"__brv_00040_1.tif"}, 41},  // any case, as the folder search
      {{"__Brv_99999_1.TIF"}, 100000},
  };
  for (const auto& c : casi) {
    prova::Cartella_Prova dir("brv");
    for (const char* n : c.nomi) File_Scrivi(dir.Dir() / n, "x");
    EXPECT_EQ(Sequenza_Brv(dir.Testo()), c.sequenza) << (c.nomi.empty() ? "" : c.nomi.back());
  }
}

TEST(InvioBrv, CopyNamesAndTheMessage) {
  Pagine p;
  p.File_Documento = "/T/D_0003.TIF";
  ASSERT_TRUE(p.Scopri(1, [](const std::string& f) { return f == "/T/D_0004.TIF"; }));
  const Piano_Brv piano = Piano_Copie(p);
  EXPECT_EQ(piano.pagine, (std::vector<std::string>{"/T/D_0003.TIF", "/T/D_0004.TIF"}));
  EXPECT_EQ(piano.Nome(1, 1), "/T/__Brv_00001_0001.TIF");
  EXPECT_EQ(piano.Nome(1, 2), "/T/__Brv_00001_0002.TIF");
  EXPECT_EQ(piano.Nome(123456, 10000), "/T/__Brv_123456_10000.TIF");

  // A document of one numbered page file: one copy, counter 1.
  Pagine uno;
  uno.File_Documento = "/T/U_07.png";
  ASSERT_TRUE(uno.Scopri(1, [](const std::string&) { return false; }));
  const Piano_Brv singola = Piano_Copie(uno);
  EXPECT_EQ(singola.pagine, (std::vector<std::string>{"/T/U_07.png"}));
  EXPECT_EQ(singola.Nome(3, 1), "/T/__Brv_00003_01.png");

  // A document held in one file of several images is copied whole as page 1.
  Pagine m;
  m.File_Documento = "/T/M_00001.tif";
  ASSERT_TRUE(m.Scopri(3));
  const Piano_Brv intero = Piano_Copie(m);
  EXPECT_EQ(intero.pagine, (std::vector<std::string>{"/T/M_00001.tif"}));
  EXPECT_EQ(intero.Nome(2, 1), "/T/__Brv_00002_1.tif");

  EXPECT_EQ(Messaggio_Brv("/T/__Brv_00001_0002.TIF", "Rif 7", 'F', "CLI", "C0042"),
            "{FI=/T/__Brv_00001_0002.TIF}{RI=Rif 7}{TI=F}{TC=CLI}{CD=C0042}");
  EXPECT_EQ(Messaggio_Brv("/T/x.TIF", "", 'E', "", ""), "{FI=/T/x.TIF}{RI=}{TI=E}{TC=}{CD=}");
}

TEST(InvioBrv, CopiesTakeTheNextNumberAndAFailureLeavesNone) {
  prova::Cartella_Prova dir("brv");
  for (int n : {3, 4}) File_Scrivi(dir.Dir() / ("D_000" + std::to_string(n) + ".TIF"), "pagina " + std::to_string(n));
  File_Scrivi(dir.Dir() / "__Brv_00007_0001.TIF", "vecchia");
  Pagine p;
  p.File_Documento = dir / "D_0003.TIF";
  ASSERT_TRUE(p.Scopri(1));
  const Copie_Brv c = Copie_Scrivi(Piano_Copie(p));
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.sequenza, 8);
  EXPECT_EQ(c.copie, (std::vector<std::string>{dir / "__Brv_00008_0001.TIF", dir / "__Brv_00008_0002.TIF"}));
  EXPECT_EQ(File_Leggi(c.copie[0]), "pagina 3");
  EXPECT_EQ(File_Leggi(c.copie[1]), "pagina 4");

  // Page 4 went missing after the document was shown: nothing stays.
  fs::remove(dir.Dir() / "D_0004.TIF");
  const Copie_Brv r = Copie_Scrivi(Piano_Copie(p));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.errore, dir / "D_0004.TIF");
  EXPECT_EQ(prova::Nomi(dir.Dir()), (std::vector<std::string>{"D_0003.TIF", "__Brv_00007_0001.TIF",
                                                              "__Brv_00008_0001.TIF", "__Brv_00008_0002.TIF"}));
}

TEST(InvioBrv, TheStandInReceiverReadyBusyAndAbsent) {
  prova::Cartella_Prova dir("brv");
  File_Scrivi(dir.Dir() / "__Brv_00001_0001.TIF", "uno");
  File_Scrivi(dir.Dir() / "__Brv_00001_0002.TIF", "pagina due");
  const std::string messaggio = Messaggio_Brv(dir / "__Brv_00001_0002.TIF", A("Rif è"), 'F', "T", "C");

  // Nobody listening.
  EXPECT_FALSE(Client_Brv_Trova(dir / "nessuno"));

  Brevin_Simulato brv(dir.Dir(), 1500);
  ASSERT_TRUE(brv.Avviato()) << brv.Registro();
  {
    auto casella = Client_Brv_Trova(brv.Indirizzo());
    ASSERT_TRUE(casella);
    EXPECT_TRUE(casella->Invia(messaggio));
  }
  // Still working on it: busy, with the message in its box.
  EXPECT_FALSE(Client_Brv_Trova(brv.Indirizzo()));
  ASSERT_TRUE(brv.Attendi_Riga("RIFIUTO " + messaggio));
  ASSERT_TRUE(brv.Attendi_Riga("COPIA " + (dir / "__Brv_00001_0002.TIF") + " 10"));
  EXPECT_EQ(brv.Righe(), (std::vector<std::string>{"AVVIO " + brv.Indirizzo(), "MESSAGGIO " + messaggio,
                                                   "COPIA " + (dir / "__Brv_00001_0001.TIF") + " 3",
                                                   "COPIA " + (dir / "__Brv_00001_0002.TIF") + " 10",
                                                   "RIFIUTO " + messaggio}));
  // Ready again after its pause; a connection given up without a message
  // leaves it ready.
  std::unique_ptr<Casella_Brv> di_nuovo;
  for (int i = 0; i < 300 && !di_nuovo; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    di_nuovo = Client_Brv_Trova(brv.Indirizzo());
  }
  ASSERT_TRUE(di_nuovo);
  di_nuovo.reset();
  ASSERT_TRUE(brv.Attendi_Riga("VUOTO"));
  EXPECT_TRUE(Client_Brv_Trova(brv.Indirizzo()));

  Brevin_Simulato occupato(dir.Dir() / "o", 0, true);
  ASSERT_TRUE(occupato.Avviato());
  EXPECT_FALSE(Client_Brv_Trova(occupato.Indirizzo()));
}

// A receiver that says something else than the stand-in program: what it
// writes on a connection and what it answers to the message.
TEST(InvioBrv, AReceiverThatAnswersWronglyIsNotReadyOrDidNotTakeIt) {
  const struct {
    const char* nome;
    std::string saluto, risposta;
    bool trovato, preso;
  } casi[] = {
      {"ready", "DATI DA DRV\n", "1\n", true, true},
      {"a longer text", "DATI DA DRV 2\n", "", false, false},
      {"a CR before the line end", "DATI DA DRV\r\n", "", false, false},
      {"no line end before closing", "DATI DA DRV", "", false, false},
      {"an endless line", std::string(200000, 'x'), "", false, false},
      {"nothing at all", "", "", false, false},
      {"the message refused", "DATI DA DRV\n", "0\n", true, false},
      {"closed without an answer", "DATI DA DRV\n", "", true, false},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    const std::string indirizzo = "/tmp/qod_brv_finto_" + std::to_string(::getpid()) + ".s";
    ::unlink(indirizzo.c_str());
    const int ascolto = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::memcpy(a.sun_path, indirizzo.data(), indirizzo.size());
    ASSERT_EQ(::bind(ascolto, reinterpret_cast<const sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(ascolto, 1), 0);
    std::string ricevuto;
    std::thread ricevitore([&] {
      const int fd = ::accept(ascolto, nullptr, nullptr);
      if (fd < 0) return;
      if (!c.saluto.empty()) (void)!::send(fd, c.saluto.data(), c.saluto.size(), MSG_NOSIGNAL);
      char buf[256];
      for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) ricevuto.append(buf, static_cast<size_t>(n));
      if (!c.risposta.empty()) (void)!::send(fd, c.risposta.data(), c.risposta.size(), MSG_NOSIGNAL);
      ::close(fd);
    });
    auto casella = Client_Brv_Trova(indirizzo, 500);
    EXPECT_EQ(static_cast<bool>(casella), c.trovato);
    if (casella) {
      EXPECT_EQ(casella->Invia("{FI=x}", 500), c.preso);
    }
    casella.reset();
    ricevitore.join();
    if (c.trovato) {
      EXPECT_EQ(ricevuto, "{FI=x}");
    }
    ::close(ascolto);
    ::unlink(indirizzo.c_str());
  }
}

}  // namespace
}  // namespace qod::imv
