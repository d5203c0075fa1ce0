// The whole road of two spool files against the stand-in host on loopback:
// the records exchanged, the done records, the page files byte for byte, the
// page tables, the page images asked for, and what a second spool file keeps
// or starts anew.
#include <gtest/gtest.h>

#include <fstream>

#include "qod/basic.h"
#include "qod/host_simulato.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "strada_simulata.h"
#include "strada_test.h"

using namespace qod;
using namespace qod::test;
using qod::prova::Host_Simulato;

namespace {

// The first spool file: three pages of invoices, two documents, copies 2.
// Between pages 1 and 2 lie long controls whose data is skipped, placed so
// that a Set Line Density starts at offset 8130 and is fetched again there.
Scs Dati_Fatture() {
  Scs s;
  s.Testo("FATTURA INV001").NL();
  s.Testo("DATA     070326   rossi@example.it{VA=\\Lgo\\logo.bmp}{CP=2}").NL();
  s.Testo("TOTALE   1.250,00").FF();
  for (int i = 0; i < 31; ++i) s.Controllo(0xD1, std::vector<uint8_t>(254, 0x40));
  while (s.Lunghezza() < 8130) s.Byte(0x00);
  s.SLD(6);
  for (int i = 0; i < 10; ++i) s.Controllo(0xD1, std::vector<uint8_t>(254, 0x40));
  s.Testo("FATTURA INV001 segue").NL().Testo("DATA     070326").FF();
  s.Testo("FATTURA INV002").NL().Testo("DATA     080326   bianchi@example.it").NL();
  s.Testo("TOTALE     300,00").NL();  // no form feed at the end
  return s;
}

class Strada_Host : public ::testing::Test {
 protected:
  void SetUp() override {
    const Scs a = Dati_Fatture();
    s_.Spool("0001_A",
                 "formato = FATTURE\nfile_spool = QPRTFAT\nlavoro = FATTGIORN\nutente = CONTAB\n"
                 "numero_lavoro = 412233\nnumero_spool = 2001\npagine = 3\ncopie = 2\nim2_file_2 = OVL2.BMP\n"
                 "archivia = S\nconsegna = P\nstato_salvataggio = *NO\nesito_finale = A\n"
                 "tipo_immagine = 7\nout_width = 850\nout_height = 1100\nout_resx = 100\nout_resy = 100\n"
                 "fnt_file = COUR20.BMP\n",
                 "F | K | 1 | 1 | 0 | 9  | 6  | A |\n"
                 "F | K | 2 | 0 | 0 | 0  | 2  | C | FT\n"
                 "F | F | 1 | 3 | 0 | 10 | 8  | N |\n"
                 "F | F | 2 | 2 | 0 | 10 | 6  | 1 |\n"
                 "F | F | 3 | 1 | 0 | 1  | 30 | A |\n"
                 "F | C | 0 | 0 | 0 | 0  | 0  | C | {TP=800} {FD=20}\n"
                 "E | 1 | 0 | 0 | 12 | C | R | fatture.txt\n"
                 "E | 2 | 1 | 9 | 6  | A | R |\n"
                 "E | 3 | 2 | 19 | 20 | A | R |\n",
                 std::string(a.dati.begin(), a.dati.end()), "dati.scs");
    // The second: one page from the readable form of print data, another
    // format (one key field only), XML groups, save asked for.
    s_.Spool("0002_B",
                 "formato = LISTINI\nfile_spool = QPRTLIS\nnumero_spool = 2002\ncopie = 2\nsalva = S\n"
                 "consegna = X\ntipo_immagine = 7\nout_width = 850\nout_height = 1100\n",
                 "F | K | 1 | 1 | 0 | 7 | 3 | A |\n"
                 "M | 6 | Cliente | 1 | 1 | 10 | A | R |\n"
                 "M | 1 | x | 1 | 8 | 2 | N | Z |\n",
                 "<AVPP 1>LISTA C77 prezzi\n  riga due<FF>\n", "dati.txt");

    ASSERT_TRUE(s_.Avvia({"--user", "QSYS:PW:7"}, 3, "qsys", "pw", [&] {
      Profilo_Scrivi((s_.programma / "Qod_S.INI").string(), "Generale", "Log", "S");
    }));
    img_.scrivi = true;
    fasi_.Immagini = &generatore_;
    ASSERT_TRUE(s_.Collega(fasi_));
  }

  // The letters of the records the host received, in order, and their texts.
  std::vector<std::string> Record() const { return s_.Record(); }

  std::string Log_Server() const { return File_Leggi(base_.File_LOG); }

  Strada_Simulata s_;
  const std::filesystem::path& coda_ = s_.coda;
  const std::filesystem::path& fatti_ = s_.fatti;
  std::unique_ptr<Host_Simulato>& host_ = s_.host;
  FakeClock& orologio_ = s_.orologio;
  Server_Base& base_ = s_.base;
  Trasporto& trasporto_ = s_.trasporto;
  Pannello& pannello_ = s_.pannello;
  Qod_IMG_Finto img_;
  Generatore_Qod_IMG<Qod_IMG_Finto> generatore_{img_};
  Fasi_Spool fasi_;
  std::unique_ptr<Spool_Server>& server_ = s_.server;
};

std::string Lettere(const std::vector<std::string>& record, size_t da) {
  std::string r;
  for (size_t i = da; i < record.size(); ++i) r += record[i].substr(0, 1);
  return r;
}

// Width and height from the header of a page image written by the test generator.
std::pair<int, int> Dimensioni(const std::string& file) {
  std::istringstream in(File_Leggi(file));
  std::string magia;
  int w = 0, h = 0;
  in >> magia >> w >> h;
  return {w, h};
}

}  // namespace

TEST_F(Strada_Host, TwoSpoolFilesFromTheQueue) {
  Spool_Server& s = *server_;
  const std::string tmps = base_.Percorso_Tmp;
  const size_t accesso = Record().size();  // login and dictionary
  ASSERT_EQ(Lettere(Record(), 0), "U" + std::string(20, 'T'));

  // ---- The first spool file ----------------------------------------------
  ASSERT_TRUE(s.Spool_Get()) << Log_Server();
  auto rec = Record();
  EXPECT_EQ(Lettere(rec, accesso), "PS" + std::string(7, 'F') + std::string(4, 'E') + "GGD");
  EXPECT_EQ(rec[accesso + 1], "S0000500003");
  EXPECT_EQ(rec[accesso + 2], "F00021" + Testo_Largo("FATTURE", 20) + "S");
  EXPECT_EQ(rec[accesso + 3], "F00021" + Testo_Largo("FATTURE", 20) + "N");
  EXPECT_EQ(rec[accesso + 9], "E00021" + Testo_Largo("FATTURE", 20) + "S");
  EXPECT_EQ(rec[accesso + 13], "G000100000000000");
  EXPECT_EQ(rec[accesso + 14], "G000100000008130");  // the control at 8130 asked for again
  const std::string d_a = "D0002500003000002001*NO       A";
  EXPECT_EQ(rec[accesso + 15], d_a);
  EXPECT_EQ(host_->Log("REC").back().Byte().size(), 31u);

  // Page files, byte for byte.
  EXPECT_EQ(File_Leggi(tmps + "00003_S_00001.TXT"),
            "FATTURA INV001\r\nDATA     070326   rossi@example.it\r\nTOTALE   1.250,00\r\n");
  EXPECT_EQ(File_Leggi(tmps + "00003_C_00001.TXT"),
            "{TP=800}\r\n{FD=20}\r\n{rc=001}\r\n{VA=" + base_.Percorso + "Lgo\\logo.bmp}\r\n{CP=2}\r\n");
  EXPECT_EQ(File_Leggi(tmps + "00003_S_00002.TXT"), "FATTURA INV001 segue\r\nDATA     070326\r\n");
  EXPECT_EQ(File_Leggi(tmps + "00003_C_00002.TXT"), "{TP=800}\r\n{FD=20}\r\n");
  EXPECT_EQ(File_Leggi(tmps + "00003_S_00003.TXT"),
            "FATTURA INV002\r\nDATA     080326   bianchi@example.it\r\nTOTALE     300,00\r\n\r\n");

  // Page tables: two documents, the archive data of the fixture's fields
  // (number N8, date D8, customer A30, VAT N11, amount N12), mail groups.
  const Tabelle_Pagine& t = s.Stato().Pagine.Tabelle;
  EXPECT_EQ(t.Chiave_Documento, (std::vector<std::string>{"", "INV001FT", "INV001FT", "INV002FT"}));
  EXPECT_EQ(t.Pagina_Documento, (std::vector<int32_t>{0, 1, 2, 1}));
  ASSERT_EQ(t.Dati_Archivio.size(), 4u);
  EXPECT_EQ(t.Dati_Archivio[1], "00125000" "20260307" + Testo_Largo("FATTURA INV001", 30) + std::string(23, '0'));
  EXPECT_EQ(t.Dati_Archivio[3], "00030000" "20260308" + Testo_Largo("FATTURA INV002", 30) + std::string(23, '0'));
  EXPECT_EQ(t.Valori_Gruppo[1], (std::vector<std::string>{"", "fatture.txt ", "fatture.txt ", "fatture.txt "}));
  EXPECT_EQ(t.Valori_Gruppo[2], (std::vector<std::string>{"", "INV001", "INV001", "INV002"}));
  EXPECT_EQ(t.Valori_Gruppo[3],
            (std::vector<std::string>{"", "rossi@example.it    ", Space(20), "bianchi@example.it  "}));

  // Page images: every page in two copies (overlay of copy 2, copy selector).
  EXPECT_EQ(s.Stato().Copie_Immagini, 2);
  EXPECT_EQ(s.Stato().Pagine.Pagine_Aperte, 3);
  std::vector<std::string> immagini;
  for (const auto& n : Nomi(tmps))
    if (n.find("_I_") != std::string::npos) immagini.push_back(n);
  EXPECT_EQ(immagini, (std::vector<std::string>{"00003_I_00001_00001.PNG", "00003_I_00001_00002.PNG",
                                                "00003_I_00001_00003.PNG", "00003_I_00002_00001.PNG",
                                                "00003_I_00002_00002.PNG", "00003_I_00002_00003.PNG"}));
  EXPECT_EQ(Dimensioni(tmps + "00003_I_00002_00003.PNG"), (std::pair<int, int>{850, 1100}));
  ASSERT_EQ(img_.chiamate.size(), 6u);
  EXPECT_EQ(img_.chiamate[1].Im2_File, base_.Percorso_Lgo + Testo_Largo("OVL2.BMP", 25));
  EXPECT_EQ(img_.qodimg_Fnt_File, base_.Percorso_Fnt + Testo_Largo("COUR20.BMP", 25));

  // The panel: outputs skipped with their switches off, the outcome, totals.
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Archivia), " - ");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stato), "Ok");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Pagine), " 3 / 3");
  EXPECT_TRUE(std::filesystem::exists(fatti_ / "0001_A" / "esito.txt"));
  EXPECT_EQ(File_Leggi(fatti_ / "0001_A" / "esito.txt"), d_a.substr(6) + "\n");

  // ---- The second spool file: within the keep-alive interval ---------------
  orologio_.Avanza(60000);
  ASSERT_TRUE(s.Spool_Get()) << Log_Server();
  rec = Record();
  const size_t secondo = accesso + 16;
  EXPECT_EQ(Lettere(rec, secondo), "SFFMMMGD");
  EXPECT_EQ(rec[secondo + 3], "M00021" + Testo_Largo("LISTINI", 20) + "S");
  EXPECT_EQ(rec.back(), "D0002500003000002002" + Testo_Largo("", 10) + " ");

  // What starts anew: the pages (those of the first spool file are gone),
  // the definitions, the copy-dependence and the copies.
  EXPECT_EQ(Nomi(tmps), (std::vector<std::string>{"00003_C_00001.TXT", "00003_I_00001_00001.PNG",
                                                  "00003_S_00001.TXT"}));
  EXPECT_EQ(File_Leggi(tmps + "00003_S_00001.TXT"), "LISTA C77 prezzi\r\n  riga due\r\n");
  EXPECT_EQ(s.Stato().Formato.Numero_Chiavi, 1);
  EXPECT_EQ(s.Stato().Formato.Chiave[2].Lunghezza, 0);
  EXPECT_EQ(s.Stato().Pagine.Tabelle.Chiave_Documento, (std::vector<std::string>{"", "C77"}));
  EXPECT_EQ(s.Stato().Gruppi[2].Numero(), 0);  // the mail groups went
  EXPECT_EQ(s.Stato().Gruppi[6].Campi.at(0).Nome, "Cliente");
  EXPECT_EQ(s.Stato().Pagine.Tabelle.Valori_Gruppo[6], (std::vector<std::string>{"", "LISTA C77 "}));
  EXPECT_EQ(s.Stato().Pagine.Tabelle.Valori_Gruppo[1], (std::vector<std::string>{"", "77"}));
  EXPECT_FALSE(s.Stato().Pagine.Pagina_Dipendente);
  EXPECT_EQ(s.Stato().Copie_Immagini, 1);
  EXPECT_TRUE(img_.chiamate.back().inizializza);  // its first page starts the tag state again

  // What stays: the keep-alive time (no "P"), the connection window, the
  // totals, and the log table's title written once.
  EXPECT_EQ(s.End(), "20991231230000");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stampe), " 2 / 2");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Pagine), " 4 / 4");
  EXPECT_EQ(Profilo_Leggi(base_.File_INI, "Progressivi", "Pagine"), "4");
  const std::string log = Log_Server();
  size_t titoli = 0, righe = 0;
  for (size_t p = log.find("NRR        File Spool"); p != std::string::npos; p = log.find("NRR        File Spool", p + 1))
    ++titoli;
  for (const char* n : {" - 2001       QPRTFAT", " - 2002       QPRTLIS"}) righe += log.find(n) != std::string::npos;
  EXPECT_EQ(titoli, 1u);
  EXPECT_EQ(righe, 2u);

  // ---- The queue is empty now --------------------------------------------
  EXPECT_FALSE(s.Spool_Get());
  EXPECT_EQ(Record().back(), "S0000500003");
  EXPECT_TRUE(std::filesystem::is_empty(coda_));
}

TEST(Strada_Esempi, TheSampleQueueGoesThrough) {
  Strada_Simulata strada;
  const auto& coda = strada.coda;
  std::filesystem::copy(QOD_CODA_ESEMPI, coda, std::filesystem::copy_options::recursive);
  // A spool file the stand-in cannot read is passed over, not served.
  strada.Spool("0000_ROTTO", "copie = due\n", "", "x", "dati.scs");
  ASSERT_TRUE(strada.Avvia());
  Qod_IMG_Finto img;
  Generatore_Qod_IMG<Qod_IMG_Finto> generatore(img);
  Fasi_Spool fasi;
  fasi.Immagini = &generatore;
  ASSERT_TRUE(strada.Collega(fasi));
  Spool_Server& s = *strada.server;
  Server_Base& base = strada.base;
  const Host_Simulato& host = *strada.host;
  const Pannello& pannello = strada.pannello;

  struct Atteso {
    int pagine, copie;
  } attesi[] = {{2, 1}, {5, 1}, {2, 2}};
  for (const auto& a : attesi) {
    img.chiamate.clear();
    ASSERT_TRUE(s.Spool_Get()) << File_Leggi(base.File_LOG);
    EXPECT_FALSE(s.Stato().Errore_Spool) << pannello.Valore(Pannello::Riga_Stato);
    EXPECT_EQ(s.Stato().Pagine.Pagine_Aperte, a.pagine) << s.Stato().Attributi.Formato;
    EXPECT_EQ(img.chiamate.size(), static_cast<size_t>(a.pagine * a.copie)) << s.Stato().Attributi.Formato;
  }
  // The labels: a barcode and the logo as tags.
  EXPECT_EQ(s.Stato().Attributi.Formato, Testo_Largo("ETICHETTE", 20));
  const auto comandi = File_Leggi(base.Percorso_Tmp + "00001_C_00001.TXT");
  EXPECT_NE(comandi.find("{VA=SPED0001234}"), std::string::npos) << comandi;
  EXPECT_NE(comandi.find("{VA=" + base.Percorso + "Lgo\\logo.bmp}"), std::string::npos) << comandi;
  EXPECT_FALSE(s.Spool_Get());
  EXPECT_TRUE(std::filesystem::exists(coda / "0000_ROTTO"));
  EXPECT_NE(host.Uscita().find("0000_ROTTO passed over: attributi.txt:1: not a number: due"), std::string::npos)
      << host.Uscita();
}

TEST_F(Strada_Host, ABrokenBlockLeavesTheSpoolFileOnTheHostForTheNextConnection) {
  // A second stand-in that closes the connection in the middle of the first block.
  ASSERT_TRUE(s_.Riavvia_Host({"--close", "G#1=100"}));
  std::vector<int> stati;
  Connessione_Host conn(base_, base_, trasporto_, Effetti_Collegamento{{}, [&](int st) { stati.push_back(st); }});
  ASSERT_TRUE(conn.Host_Collega());
  Spool_Server s(base_, trasporto_, conn, pannello_, Pump{}, fasi_);

  EXPECT_FALSE(s.Spool_Get());
  EXPECT_NE(Log_Server().find(" \r\n07/03/2026 09:00:00 - [Spool_Get] Errore Sock_Read {G}(2)\r\n"),
            std::string::npos);
  EXPECT_EQ(stati, std::vector<int>{4});
  EXPECT_TRUE(std::filesystem::exists(coda_ / "0001_A"));
  EXPECT_EQ(Lettere(Record(), 0).find('D'), std::string::npos);

  // The host comes back well (a stand-in without the rule, on the same
  // queue): the same spool file comes again and goes to the end.
  ASSERT_TRUE(s_.Riavvia_Host());
  ASSERT_TRUE(conn.Host_Collega());
  EXPECT_TRUE(s.Spool_Get());
  EXPECT_EQ(Record().back(), "D0002500003000002001*NO       A");
  EXPECT_FALSE(std::filesystem::exists(coda_ / "0001_A"));
}
