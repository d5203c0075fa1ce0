// The archive upload against the stand-in host's archive store: the whole
// road of a spool file with the archive switch on, the records in order, the
// index record field by field, the content byte for byte, text mode,
// refusals, and hosts that break the exchange or misbehave without breaking it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "qod/basic.h"
#include "qod/server/archivia.h"
#include "strada_simulata.h"
#include "strada_test.h"

using namespace qod;
using namespace qod::test;
namespace fs = std::filesystem;

namespace {

// Three pages: two of invoice INV001, one of INV002.
constexpr const char* kDati =
    "FATTURA  INV001\nDATA     070326\nTOTALE   1.250,00<FF>"
    "FATTURA  INV001 segue<FF>"
    "FATTURA  INV002\nDATA     080326\nTOTALE     300,00<FF>";
constexpr const char* kDefinizioni =
    "F | K | 1 | 1 | 0 | 10 | 6  | A |\n"
    "F | F | 1 | 3 | 0 | 10 | 8  | N |\n"
    "F | F | 2 | 2 | 0 | 10 | 6  | 1 |\n"
    "F | F | 3 | 1 | 0 | 1  | 30 | A |\n"
    "F | C | 0 | 0 | 0 | 0  | 0  | C | {TP=800} {FD=20}\n";
constexpr const char* kAttributi =
    "formato = FATTURE\nnumero_spool = 3001\narchivia = S\ntipo_immagine = 7\nout_width = 64\nout_height = 64\n"
    "indice_33 = AB12\nindice_1 = Z\nindice_2 = IDXDUE\narchivio_21 = CODA21\narchivio_31 = SPOOL31\n"
    "utente = ROSSI\nindice_127 = Q\nsalva_pdf = N\nlavoro = FATTGIORN\n";

// Bytes of every value, different for each seed.
std::string Contenuto(size_t n, int seme) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 31 + i / 256 + static_cast<size_t>(seme) * 17) & 0xFF);
  return s;
}

// Runs `prima` just before the stage it wraps.
class Dopo : public Fase_Uscita {
 public:
  Dopo(Fase_Uscita& fase, std::function<void()> prima) : fase_(fase), prima_(std::move(prima)) {}
  bool Esegui(const Stato_Spool& stato, const Strada_Fase& strada) override {
    if (prima_) prima_();
    return fase_.Esegui(stato, strada);
  }

 private:
  Fase_Uscita& fase_;
  std::function<void()> prima_;
};

class Strada_Archivio : public ::testing::Test {
 protected:
  Strada_Archivio() { strada_.orologio.Imposta(DateTime::Da(2026, 3, 7, 9, 15, 42)); }
  void TearDown() override { strada_.server.reset(); }

  // The spool file 0001_A with `attributi` added, then the stand-in (with
  // `opzioni`) and a server connected to it, archive switch on.
  void Avvia(const std::string& attributi = "", const std::vector<std::string>& opzioni = {}) {
    strada_.Spool("0001_A", std::string(kAttributi) + attributi, kDefinizioni, kDati);
    ASSERT_TRUE(strada_.Avvia(opzioni, 4));
    img_.scrivi = true;
    fasi_.Immagini = &generatore_;
    fasi_.Archivia = &dopo_;
    ASSERT_TRUE(strada_.Collega(fasi_, Effetti_Collegamento{{}, [this](int s) { stati_.push_back(s); }}));
    strada_.pannello.Interruttore_Imposta(Pannello::Riga_Archivia, true);
    accesso_ = strada_.host->Log("REC").size();
  }

  // Page files of this server's slot.
  std::string Immagine(int p) const { return base_.Percorso_Tmp + "00004_I_00001_" + Format(p, "00000") + ".PNG"; }
  std::string Testo(int p) const { return base_.Percorso_Tmp + "00004_S_" + Format(p, "00000") + ".TXT"; }
  std::string Comandi(int p) const { return base_.Percorso_Tmp + "00004_C_" + Format(p, "00000") + ".TXT"; }

  // Replaces page files before the upload with content of known sizes.
  void Prima_Del_Caricamento(std::map<std::string, std::string> file) {
    prima_ = [this, file] {
      for (const auto& [nome, dati] : file) File_Scrivi(nome, dati);
    };
  }

  // The requests since the login, as text.
  std::vector<std::string> Record() const {
    const auto r = strada_.Record();
    return {r.begin() + static_cast<std::ptrdiff_t>(std::min(accesso_, r.size())), r.end()};
  }
  // Their letters, from the first "I" on.
  std::string Lettere_Archivio() const {
    std::string l;
    for (const auto& r : Record()) l += r.substr(0, 1);
    const size_t i = l.find('I');
    return i == std::string::npos ? "" : l.substr(i);
  }
  // The requests of one letter.
  std::vector<std::string> Di(char lettera) const {
    std::vector<std::string> r;
    for (const auto& t : Record())
      if (t[0] == lettera) r.push_back(t);
    return r;
  }

  fs::path Documento(int n) const { return strada_.host->Cartella() / "archivio" / Format(n, "0000000000"); }
  std::string Log_Server() const { return File_Leggi(base_.File_LOG); }
  bool Fatto() const { return fs::exists(strada_.fatti / "0001_A" / "esito.txt"); }

  Strada_Simulata strada_;
  const Server_Base& base_ = strada_.base;
  std::vector<int> stati_;
  Qod_IMG_Finto img_;
  Generatore_Qod_IMG<Qod_IMG_Finto> generatore_{img_};
  Fase_Archivia archivia_{{strada_.base, strada_.pannello, {}}, strada_.trasporto};
  std::function<void()> prima_;
  Dopo dopo_{archivia_, [this] {
               if (prima_) prima_();
             }};
  Fasi_Spool fasi_;
  size_t accesso_ = 0;
};

}  // namespace

TEST_F(Strada_Archivio, TwoDocumentsAsPageImages) {
  Avvia();
  // Page 1 needs three chunks, page 3 exactly one full chunk.
  const std::string p1 = Contenuto(20000, 1), p2 = Contenuto(100, 2), p3 = Contenuto(8161, 3);
  Prima_Del_Caricamento({{Immagine(1), p1}, {Immagine(2), p2}, {Immagine(3), p3}});
  ASSERT_TRUE(strada_.server->Spool_Get()) << Log_Server();
  EXPECT_EQ(strada_.pannello.Valore(Pannello::Riga_Stato), "Ok");
  EXPECT_EQ(strada_.pannello.Valore(Pannello::Riga_Archivia), " 3 / 3");

  // The order: the first document's close before the second's index record,
  // the done record last.
  EXPECT_EQ(Lettere_Archivio(), "ICWWWWBICWBD");
  const auto w = Di('W');
  ASSERT_EQ(w.size(), 5u);
  struct Atteso {
    std::string lunghezza, pagina, pezzo, n;
  } attesi[] = {{"08186", "00001", "00001", "8161"}, {"08186", "00001", "00002", "8161"},
                {"03703", "00001", "00003", "3678"}, {"00125", "00002", "00001", "0100"},
                {"08186", "00001", "00001", "8161"}};
  for (size_t i = 0; i < w.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(w[i].substr(1, 5), attesi[i].lunghezza);
    EXPECT_EQ(w[i].substr(6, 10), i < 4 ? "0000000001" : "0000000002");  // the id the store gave
    EXPECT_EQ(w[i].substr(16, 1), "1");
    EXPECT_EQ(w[i].substr(17, 5), attesi[i].pagina);
    EXPECT_EQ(w[i].substr(22, 5), attesi[i].pezzo);
    EXPECT_EQ(w[i].substr(27, 4), attesi[i].n);
  }
  EXPECT_EQ(Di('C'), (std::vector<std::string>{"C000100000000001", "C000100000000002"}));
  EXPECT_EQ(Di('B'), (std::vector<std::string>{"B000100000000001", "B000100000000002"}));

  // The store holds each document's copy-1 images byte for byte.
  EXPECT_EQ(File_Leggi(Documento(1) / "1_00001.bin"), p1);
  EXPECT_EQ(File_Leggi(Documento(1) / "1_00002.bin"), p2);
  EXPECT_EQ(File_Leggi(Documento(2) / "1_00001.bin"), p3);
  EXPECT_EQ(File_Leggi(Documento(2) / "stato.txt"), "chiuso\n");
  EXPECT_TRUE(Fatto());

  // The index record, field by field: 112 fixed columns and the 69 of the
  // dictionary's archive fields; the request carries a prefix of 16.
  const auto i_rec = Di('I');
  ASSERT_EQ(i_rec.size(), 2u);
  EXPECT_EQ(i_rec[0].substr(0, 6), "I00197");
  EXPECT_EQ(i_rec[0].substr(6, 16), "ZIDXDUE    00181");
  const std::string x = File_Leggi(Documento(1) / "indice.txt");
  ASSERT_EQ(x.size(), 181u);
  EXPECT_EQ(i_rec[0].substr(22), x);
  const Tabelle_Pagine& t = strada_.server->Stato().Pagine.Tabelle;
  struct Campo {
    int inizio, larghezza;
    std::string valore;
  } campi[] = {
      {1, 1, "U"},
      {2, 10, Space(10)},
      {12, 5, "00002"},
      {17, 4, "AB12"},
      {21, 40, Testo_Largo("INV001", 40)},
      {61, 5, "00000"},
      {66, 14, "20260307091542"},
      {80, 10, "SPOOL31   "},
      {90, 10, "CODA21    "},
      {100, 10, "ROSSI     "},
      {110, 1, "7"},
      {111, 1, "Q"},
      {112, 1, "N"},
      {113, 69, t.Dati_Archivio[1]},
  };
  for (const auto& c : campi) EXPECT_EQ(Mid(x, c.inizio, c.larghezza), c.valore) << "column " << c.inizio;
  EXPECT_EQ(t.Dati_Archivio[1].substr(0, 16), "0012500020260307");  // what the layout cut from page 1
  const std::string y = File_Leggi(Documento(2) / "indice.txt");
  EXPECT_EQ(Mid(y, 12, 5), "00001");
  EXPECT_EQ(Mid(y, 21, 40), Testo_Largo("INV002", 40));
  EXPECT_EQ(Mid(y, 113, 69), t.Dati_Archivio[3]);
}

TEST_F(Strada_Archivio, TextModeSendsTheAttributeRecordOnceAndRunsChunkNumbersOn) {
  Avvia("record_grezzo = T\n");
  // A page text longer than one chunk: its tag file goes on from chunk 3.
  const std::string lungo = Contenuto(9000, 4);
  Prima_Del_Caricamento({{Testo(1), lungo}});
  ASSERT_TRUE(strada_.server->Spool_Get()) << Log_Server();
  EXPECT_EQ(Lettere_Archivio(), "ICWWWWWWBICWWWBD");
  const auto w = Di('W');
  ASSERT_EQ(w.size(), 9u);
  // Kind, page, chunk and length of each chunk.
  const std::vector<std::string> attesi = {"000000000001118", "000001000018161", "000001000020839",
                                           "00000100003",     "00000200001",     "00000200002",
                                           "000000000001118", "00000100001",     "00000100002"};
  for (size_t i = 0; i < w.size(); ++i) EXPECT_EQ(w[i].substr(16, attesi[i].size()), attesi[i]) << i;
  EXPECT_EQ(w[0].substr(0, 6), "W01143");

  // The attribute record as the host sent it, and the page files byte for byte.
  const std::string record = File_Leggi(Documento(1) / "0_00000.bin");
  ASSERT_EQ(record.size(), 1118u);
  EXPECT_EQ(static_cast<uint8_t>(record[620]), 0xE3);  // column 621: "T" in EBCDIC
  EXPECT_EQ(File_Leggi(Documento(2) / "0_00000.bin"), record);
  for (int d = 1; d <= 2; ++d) {
    const std::vector<int> pagine = d == 1 ? std::vector<int>{1, 2} : std::vector<int>{3};
    for (size_t k = 0; k < pagine.size(); ++k) {
      SCOPED_TRACE(pagine[k]);
      const std::string s = File_Leggi(Testo(pagine[k])), c = File_Leggi(Comandi(pagine[k]));
      EXPECT_FALSE(c.empty());
      EXPECT_EQ(File_Leggi(Documento(d) / ("0_" + Format(static_cast<int>(k + 1), "00000") + ".bin")), s + c);
    }
  }
  EXPECT_EQ(File_Leggi(Documento(1) / "chunk" / "0_00001_00003.bin"), File_Leggi(Comandi(1)));
  EXPECT_EQ(File_Leggi(Documento(1) / "0_00001.bin").substr(0, 9000), lungo);
  for (int d = 1; d <= 2; ++d) EXPECT_EQ(Mid(File_Leggi(Documento(d) / "indice.txt"), 110, 3), "TTT");
  EXPECT_TRUE(Fatto());
}

TEST_F(Strada_Archivio, ARefusedDocumentSendsNothingMoreAndTheNextIsArchived) {
  Avvia("", {"--archive-refuse", "1"});
  ASSERT_TRUE(strada_.server->Spool_Get()) << Log_Server();
  EXPECT_EQ(Lettere_Archivio(), "IICWBD");
  EXPECT_EQ(Di('C'), std::vector<std::string>{"C000100000000001"});
  EXPECT_EQ(File_Leggi(Documento(1) / "1_00001.bin"), File_Leggi(Immagine(3)));
  EXPECT_EQ(strada_.pannello.Valore(Pannello::Riga_Stato), "Ok");
  EXPECT_TRUE(Fatto());
}

TEST_F(Strada_Archivio, ARangeStartingInsideADocumentArchivesFromItsFirstRenderedPage) {
  Avvia("prima_pagina = 2\n");
  ASSERT_TRUE(strada_.server->Spool_Get()) << Log_Server();
  EXPECT_EQ(Lettere_Archivio(), "ICWBICWBD");
  const auto w = Di('W');
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].substr(17, 10), "0000100001");  // spool page 2 is page 1 of its document
  EXPECT_EQ(Mid(File_Leggi(Documento(1) / "indice.txt"), 12, 5), "00001");
  EXPECT_EQ(File_Leggi(Documento(1) / "1_00001.bin"), File_Leggi(Immagine(2)));
  EXPECT_EQ(File_Leggi(Documento(2) / "1_00001.bin"), File_Leggi(Immagine(3)));
  EXPECT_TRUE(Fatto());
}

// A host that misbehaves within the protocol: every byte still arrives.
struct Host_Strano {
  const char* nome;
  std::vector<std::string> opzioni;
};

void PrintTo(const Host_Strano& h, std::ostream* os) { *os << h.nome; }

class Strada_Archivio_Strano : public Strada_Archivio, public ::testing::WithParamInterface<Host_Strano> {};

TEST_P(Strada_Archivio_Strano, EveryByteArrives) {
  Avvia("", GetParam().opzioni);
  const std::string grande = Contenuto(60000, 5);  // 8 chunks
  Prima_Del_Caricamento({{Immagine(2), grande}});
  ASSERT_TRUE(strada_.server->Spool_Get()) << Log_Server();
  EXPECT_EQ(Lettere_Archivio(), "ICW" + std::string(8, 'W') + "BICWBD");
  EXPECT_EQ(File_Leggi(Documento(1) / "1_00002.bin"), grande);
  EXPECT_EQ(File_Leggi(Documento(2) / "1_00001.bin"), File_Leggi(Immagine(3)));
  EXPECT_TRUE(Fatto());
}

INSTANTIATE_TEST_SUITE_P(
    Archivio, Strada_Archivio_Strano,
    ::testing::Values(
        // Replies to C, W and B carrying bodies nobody reads.
        Host_Strano{"bodies", {"--body-on-empty", "7"}},
        // A reader that takes 512 bytes a millisecond through a small
        // buffer, so that the sender must wait for room.
        Host_Strano{"slow_reader", {"--slow-reader", "512:1", "--receive-buffer", "4096"}}),
    [](const auto& i) { return std::string(i.param.nome); });

// A stop request during the upload abandons the spool file at its next
// page: nothing more goes to the host, no done record, nothing logged as a
// failure. The document being uploaded is never closed, so the store never
// counts it complete.
TEST_F(Strada_Archivio, StopRequestAbandonsTheUploadAtTheNextPage) {
  Avvia();
  Prima_Del_Caricamento({{Immagine(1), Contenuto(20000, 1)}, {Immagine(2), Contenuto(100, 2)}});
  auto stop = [this] { return strada_.pannello.Valore(Pannello::Riga_Archivia) == " 1 / 3"; };
  strada_.server->Arresto_Imposta(stop);
  strada_.trasporto.Imposta_Interruzione(stop);
  EXPECT_FALSE(strada_.server->Spool_Get());
  EXPECT_TRUE(strada_.server->Abbandonato());
  EXPECT_EQ(Lettere_Archivio(), "ICWWW");
  EXPECT_NE(File_Leggi(Documento(1) / "stato.txt"), "chiuso\n");
  EXPECT_FALSE(Fatto());
  EXPECT_TRUE(fs::exists(strada_.coda / "0001_A"));
  EXPECT_TRUE(stati_.empty());  // the connection stays
  const std::string log = Log_Server();
  EXPECT_EQ(log.find("Errore"), std::string::npos) << log;
  EXPECT_NE(log.find("Arresto richiesto: il file di spool in corso viene abbandonato"), std::string::npos) << log;
}

// A step that fails: logged, the connection dropped, no done record, the
// spool file still on the host.
struct Passo_Rotto {
  const char* nome;
  std::vector<std::string> opzioni;
  bool file_mancante;
  std::string messaggio;
};

void PrintTo(const Passo_Rotto& p, std::ostream* os) { *os << p.nome; }

class Strada_Archivio_Rotto : public Strada_Archivio, public ::testing::WithParamInterface<Passo_Rotto> {};

TEST_P(Strada_Archivio_Rotto, TheSpoolFileStaysOnTheHost) {
  const Passo_Rotto& c = GetParam();
  Avvia("", c.opzioni);
  Prima_Del_Caricamento({{Immagine(1), Contenuto(20000, 6)}});
  if (c.file_mancante) prima_ = [this] { fs::remove(Immagine(2)); };
  EXPECT_FALSE(strada_.server->Spool_Get());
  EXPECT_NE(Log_Server().find(" \r\n07/03/2026 09:15:42 - " + c.messaggio), std::string::npos) << Log_Server();
  EXPECT_EQ(stati_, std::vector<int>{4});
  EXPECT_TRUE(Di('D').empty());
  EXPECT_FALSE(Fatto());
  EXPECT_TRUE(fs::exists(strada_.coda / "0001_A"));
}

INSTANTIATE_TEST_SUITE_P(
    Archivio, Strada_Archivio_Rotto,
    ::testing::Values(
        Passo_Rotto{"short_id", {"--archive-id-length", "4"}, false, "[Spool_Archivia] Errore Sock_Read {I}(2)"},
        Passo_Rotto{"closed_at_index", {"--close", "I=0"}, false, "[Spool_Archivia] Errore Sock_Read {I}(1)"},
        Passo_Rotto{"closed_at_open", {"--close", "C=0"}, false, "[Spool_Archivia] Errore Sock_Read {C}(1)"},
        Passo_Rotto{"closed_in_chunk", {"--close-in-body", "W#2=3000"}, false,
                    "[Spool_Archivia] Errore Sock_Read {W}(1)"},
        Passo_Rotto{"refused_chunk", {"--archive-refuse-chunk", "3"}, false, "[Spool_Archivia] Errore Esito {W}(1)"},
        Passo_Rotto{"closed_at_close", {"--close", "B=0"}, false, "[Spool_Archivia] Errore Sock_Read {B}(1)"},
        Passo_Rotto{"missing_image", {}, true, "[Spool_Archivia] Errore lettura file "}),
    [](const auto& i) { return std::string(i.param.nome); });
