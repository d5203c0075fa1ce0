// Fetching archived documents from the stand-in host's archive store: page
// files and their names, the text/tag split, the attribute record of every
// length, the viewer's calls by mode, and the failures that must stop a
// fetch (a broken stream, a refused index record, a page that never ends).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

#include "qod/basic.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/presenta.h"
#include "qod/client/trasporto_client.h"
#include "qod/host_simulato.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "generatore_finto.h"
#include "record_test.h"
#include "viewer_su_host.h"

using namespace qod;
using namespace qod::prova;
namespace fs = std::filesystem;

namespace {

// What the window side was asked to do, in order.
struct Vista_Registrata : Vista_Documento {
  std::vector<std::string> eventi;
  std::vector<std::string> messaggi;
  std::vector<std::string> dati;
  Valori_Fax fax;
  void Occupato(bool occupato) override { eventi.push_back(occupato ? "occupato" : "libero"); }
  void Dati_Mostra(const std::vector<std::string>& valori) override { dati = valori; }
  void Messaggio_Mostra(const std::string& testo) override { messaggi.push_back(testo); }
  void Immagine_Carica(const std::string& file, const Valori_Fax& v) override {
    eventi.push_back("carica " + file);
    fax = v;
  }
  void Immagine_Stampa(const std::string& file) override { eventi.push_back("stampa " + file); }
  void Immagine_Set_Stampa(const std::string& file) override { eventi.push_back("set " + file); }
};

// Bytes of every value, different for each seed.
std::string Contenuto(size_t n, int seme) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + static_cast<size_t>(seme) * 13) & 0xFF);
  return s;
}

// A page image attribute record of 1118 bytes with a different value in
// every page image field, and the older versions cut from it: 998 bytes
// are its first 998; 958 bytes lack the 40 columns 439-478 before the page
// image values.
std::string Attributi_1118() {
  test::Attributi_Test r;
  int v = 1;
  for (int p = 479; p <= 499; p += 4) r.S(p, v++, 4);  // Txt_Cols .. Txt_Row_Dim: 1..6
  r.S(503, 1, 1).A(504, "COUR20.BMP", 25);
  for (int p = 529; p <= 541; p += 4) r.S(p, 10 + (p - 529) / 4, 4);  // Fnt_Width .. Fnt_Top: 10..13
  r.S(545, 2, 1).A(546, "LOGO.BMP", 25);
  for (int p = 571; p <= 591; p += 4) r.S(p, 20 + (p - 571) / 4, 4);  // Im1 Width .. Src_Top: 20..25
  r.S(595, 1, 1).S(596, 15000, 5).S(601, 20000, 5);
  for (int p = 759; p <= 779; p += 4) r.S(p, 30 + (p - 759) / 4, 4);  // Im2: 30..35
  r.S(783, 2, 1).S(784, 7500, 5).S(789, 12500, 5);
  r.S(819, 640, 4).S(823, 480, 4).A(827, "7", 1).S(828, 255, 4).S(832, 128, 4).S(836, 1, 4);
  r.S(840, 204, 4).S(844, 196, 4).A(848, "S", 1).S(849, 75, 4).S(853, 10, 4).S(857, 9999, 4).A(861, "N", 1);
  r.S(862, 5000, 5).S(867, 20000, 5);
  r.A(439, "QUARANTA COLONNE CHE LA 958 NON HA", 40);
  return r.Dati();
}
std::string Attributi_958() {
  const std::string r = Attributi_1118();
  return r.substr(0, 438) + r.substr(478, 520);
}

// The page image values a decoded record gave, in one line for comparing.
std::string Valori(const Attributi_Spool& a) {
  return Format(a.Txt_Cols, "0") + " " + Format(a.Txt_Row_Dim, "0") + " " + Format(a.Txt_Orie, "0") + " " +
         Trim(a.Fnt_File) + " " + Format(a.Fnt_Width, "0") + " " + Format(a.Fnt_Top, "0") + " " + Trim(a.Im1_File) +
         " " + Format(a.Im1_Src_Top, "0") + " " + Format(a.Im1_ZoomX, "0.00") + " " + Format(a.Im2_Mode, "0") + " " +
         Format(a.Im2_ZoomY, "0.00") + " " + Format(a.Out_Width, "0") + " " + a.Tipo_Immagine + " " +
         Format(a.Sfondo_B, "0") + " " + a.JPG_Otti + " " + Format(a.Rows_Strip, "0") + " " + a.TIF_MultiP + " " +
         Format(a.Out_ZoomY, "0.00");
}
const std::string kValori_Attesi = "1 6 1 COUR20.BMP 10 13 LOGO.BMP 25 1.50 2 1.25 640 7 1 S 9999 N 2.00";

class Fetch : public ::testing::Test {
 protected:
  // The stand-in with `opzioni` added, and this viewer logged in as
  // instance 3.
  void Avvia(std::vector<std::string> opzioni = {}) {
    opzioni.insert(opzioni.begin(),
                   {"--dictionary", Host_Simulato::Dizionario_Predefinito(), "--viewer", QOD_VIEWER_FIXTURE});
    ASSERT_NO_FATAL_FAILURE(Viewer_Su_Host(host_, std::move(opzioni), dir_.Dir(), base_, dati_, "ROSSI"));
    collegamento_ = std::make_unique<Collegamento_Client>(base_, dati_, t_, 3);
    ASSERT_TRUE(collegamento_->Host_Collega());
    cartelle_ = {dir_.Testo() + "TmpC/", dir_.Testo() + "Fnt/", dir_.Testo() + "Lgo/"};
    presenta_ = std::make_unique<Presenta_Client>(t_, collegamento_->Dizionario(), collegamento_->Accesso(),
                                                  cartelle_, 3, &generatore_);
  }

  // A closed document of the store: its index record (page count, image
  // type or "TTT", the archive fields of the fixture's dictionary) and its
  // chunks by kind and page ("0_00001" -> chunks).
  fs::path Documento(int numero, int pagine, const std::string& tipo,
                     const std::map<std::string, std::vector<std::string>>& pezzi) const {
    const fs::path d = host_->Cartella() / "archivio" / Format(numero, "0000000000");
    fs::create_directories(d / "chunk");
    std::string indice = "U" + Space(10) + Format(pagine, "00000") + Space(93) + (tipo == "T" ? "TTT" : tipo + "  ");
    Mid_Imposta(indice, 66, "20150131235959");
    // Fields 14 (N 8), 15 (D 8), 16 (A 30), 17 (N 11), 18 (N 12): the row the
    // host leaves out takes no columns.
    indice += std::string("00012345" "20150131") + Testo_Largo("ROSSI SPA", 30) + "00001234567" + "000000000099";
    EXPECT_EQ(indice.size(), 181u);
    File_Scrivi(d / "indice.txt", indice);
    File_Scrivi(d / "stato.txt", "chiuso\n");
    for (const auto& [pagina, elenco] : pezzi)
      for (size_t i = 0; i < elenco.size(); ++i)
        File_Scrivi(d / "chunk" / (pagina + "_" + Format(static_cast<int64_t>(i + 1), "00000") + ".bin"), elenco[i]);
    return d;
  }
  void Attributi(const fs::path& documento, const std::string& record) const {
    File_Scrivi(documento / "chunk" / "0_00000_00000.bin", record);
  }

  // The requests of one letter since the start, as text.
  std::vector<std::string> Di(char lettera) const { return host_->Richieste(lettera); }
  std::string TmpC(const std::string& nome) const { return cartelle_.TmpC + nome; }

  Cartella_Prova dir_{"presenta"};
  std::unique_ptr<Host_Simulato> host_;
  FakeClock orologio_;
  RecordingMessageSink messaggi_;
  Base_Programma base_{orologio_, messaggi_, kNomi_Client};
  Dati_Collegamento dati_;
  Trasporto_Client t_{Attese_Rete{3000, 100, 1000}};
  std::unique_ptr<Collegamento_Client> collegamento_;
  Cartelle_Client cartelle_;
  test::Qod_IMG_Finto img_;
  Generatore_Qod_IMG<test::Qod_IMG_Finto> generatore_{img_};
  std::unique_ptr<Presenta_Client> presenta_;
  Vista_Registrata vista_;
};

}  // namespace

TEST_F(Fetch, ImagePagesOfInstanceThreeKeepTheirBytesAndNames) {
  // Every end of a page carries filler bytes that must be read and dropped.
  Avvia({"--body-on-empty", "7"});
  const std::string p1a = Contenuto(8192, 1), p1b = Contenuto(8192, 2), p1c = Contenuto(100, 3);
  const std::string p2 = Contenuto(5000, 4), p3 = Contenuto(1, 5);
  Documento(1, 3, "7", {{"1_00001", {p1a, p1b, p1c}}, {"1_00002", {p2}}, {"1_00003", {p3}}});
  // The previous document's files of this instance go; another instance's stay.
  fs::create_directories(cartelle_.TmpC);
  for (const char* n : {"00003_I_00001_00009.PNG", "00003_S_00001.TXT", "00002_I_00001_00001.PNG"})
    File_Scrivi(TmpC(n), "vecchio");

  const Esito_Presenta e = presenta_->Spool_Presenta("0000000001", "Visualizza", vista_);
  EXPECT_TRUE(vista_.messaggi.empty()) << vista_.messaggi[0];
  EXPECT_TRUE(e.ok);
  EXPECT_TRUE(e.completo);
  EXPECT_EQ(e.Pagine, 3);
  EXPECT_EQ(Nomi(cartelle_.TmpC), (std::vector<std::string>{"00002_I_00001_00001.PNG", "00003_I_00001_00001.PNG",
                                                             "00003_I_00001_00002.PNG", "00003_I_00001_00003.PNG"}));
  EXPECT_EQ(File_Leggi(TmpC("00003_I_00001_00001.PNG")), p1a + p1b + p1c);
  EXPECT_EQ(File_Leggi(TmpC("00003_I_00001_00002.PNG")), p2);
  EXPECT_EQ(File_Leggi(TmpC("00003_I_00001_00003.PNG")), p3);
  EXPECT_EQ(vista_.eventi,
            (std::vector<std::string>{"occupato", "libero", "carica " + TmpC("00003_I_00001_00001.PNG")}));

  // The records: the key padded to 10 and the index width from the
  // dictionary; chunks from 1 per page until the host says no more.
  EXPECT_EQ(Di('K'), (std::vector<std::string>{"K000150000000001" "00181"}));
  const auto r = Di('R');
  ASSERT_EQ(r.size(), 8u);
  EXPECT_EQ(r[0], "R00021" "0000000001" "1" "00001" "00001");
  EXPECT_EQ(r[3], "R00021" "0000000001" "1" "00001" "00004");
  EXPECT_EQ(r[7], "R00021" "0000000001" "1" "00003" "00002");

  // The data grid in the order of the login values (14 15 16 17 18 7 9 10),
  // each by its type; the fax type is field 17, the code field 14.
  ASSERT_EQ(vista_.dati.size(), 18u);
  EXPECT_EQ(vista_.dati[0], "12.345");
  EXPECT_EQ(vista_.dati[1], "31/01/2015");
  EXPECT_EQ(vista_.dati[2], Testo_Largo("ROSSI SPA", 30));
  EXPECT_EQ(vista_.dati[3], "1.234.567");
  EXPECT_EQ(vista_.dati[4], "99");
  EXPECT_EQ(vista_.dati[5], "31/01/2015 23.59.59");
  EXPECT_EQ(vista_.dati[8], "");
  EXPECT_EQ(vista_.fax.Tipo, "1.234.567");
  EXPECT_EQ(vista_.fax.Codice, "12.345");
  EXPECT_EQ(vista_.fax.Riferimento, "RIF &01/&02");  // no row shows fields 1 or 2

  // The other modes act on the same first page; an unknown one does nothing.
  const struct {
    const char* modo;
    std::vector<std::string> eventi;
  } modi[] = {{"Stampa", {"occupato", "libero", "stampa " + TmpC("00003_I_00001_00001.PNG")}},
              {"Set_Stampa", {"occupato", "libero", "set " + TmpC("00003_I_00001_00001.PNG")}},
              {"Altro", {"occupato", "libero"}}};
  for (const auto& m : modi) {
    vista_.eventi.clear();
    EXPECT_TRUE(presenta_->Spool_Presenta("0000000001", m.modo, vista_).completo);
    EXPECT_EQ(vista_.eventi, m.eventi) << m.modo;
  }
}

TEST_F(Fetch, TextPagesSplitAtTheFirstChunkStartingWithABraceAndAreRendered) {
  Avvia();
  const fs::path d = Documento(1, 3, "T",
                               {{"0_00001", {"RIGA 1\r", "RIGA 2\r", "{VA=uno}\r\n", "{VA=due}\r\n"}},
                                {"0_00002", {"SOLO TESTO\r"}},
                                {"0_00003", {"{ testo che inizia con una graffa\r", "{TP=1}\r\n"}}});
  Attributi(d, Attributi_1118());

  const Esito_Presenta e = presenta_->Spool_Presenta("0000000001", "Stampa", vista_);
  EXPECT_TRUE(vista_.messaggi.empty()) << vista_.messaggi[0];
  EXPECT_TRUE(e.completo);
  // The attribute record first (page 0, chunk 0), then the pages.
  const auto r = Di('R');
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(r[0], "R00021" "0000000001" "0" "00000" "00000");

  struct Pagina {
    const char* testo;
    const char* comandi;
    std::string s, c;
  } pagine[] = {
      {"00003_S_00001.TXT", "00003_C_00001.TXT", "RIGA 1\rRIGA 2\r", "{VA=uno}\r\n{VA=due}\r\n"},
      {"00003_S_00002.TXT", "00003_C_00002.TXT", "SOLO TESTO\r", ""},  // no tag chunk: an empty file
      // A page text that starts with "{" is taken for tags: the rule of the
      // archive, kept as it is.
      {"00003_S_00003.TXT", "00003_C_00003.TXT", "", "{ testo che inizia con una graffa\r{TP=1}\r\n"},
  };
  for (const auto& p : pagine) {
    EXPECT_TRUE(fs::exists(TmpC(p.comandi))) << p.comandi;
    EXPECT_EQ(File_Leggi(TmpC(p.testo)), p.s) << p.testo;
    EXPECT_EQ(File_Leggi(TmpC(p.comandi)), p.c) << p.comandi;
  }

  // One generator call per page, the tag language reset at the first only,
  // copy 0, no second overlay; image type "7" makes PNG files.
  ASSERT_EQ(img_.chiamate.size(), 3u);
  for (int p = 1; p <= 3; ++p) {
    const auto& c = img_.chiamate[static_cast<size_t>(p - 1)];
    const std::string n = Format(p, "00000");
    EXPECT_EQ(c.Out_File, TmpC("00003_I_00001_" + n + ".PNG"));
    EXPECT_EQ(c.Txt_File, TmpC("00003_S_" + n + ".TXT"));
    EXPECT_EQ(c.Cmd_File, TmpC("00003_C_" + n + ".TXT"));
    EXPECT_EQ(c.inizializza, p == 1);
    EXPECT_EQ(c.Cmd_CPY, 0);
    EXPECT_EQ(c.Im2_File, "");
  }
  EXPECT_EQ(img_.qodimg_Fnt_File, cartelle_.Fnt + Testo_Largo("COUR20.BMP", 25));
  EXPECT_EQ(img_.qodimg_Im1_File, cartelle_.Lgo + Testo_Largo("LOGO.BMP", 25));
  EXPECT_EQ(img_.qodimg_Im1_ZoomX, 1.5);
  EXPECT_EQ(img_.qodimg_Out_Save, 7);
  EXPECT_EQ(img_.qodimg_Out_BkColor, 255 + 128 * 256 + 65536);
  EXPECT_EQ(vista_.eventi,
            (std::vector<std::string>{"occupato", "libero", "stampa " + TmpC("00003_I_00001_00001.PNG")}));
}

TEST_F(Fetch, TheAttributeRecordIsReadAtTheColumnsOfItsLength) {
  Avvia();
  const std::string r1118 = Attributi_1118();
  const struct {
    std::string record;
    bool valido;
  } casi[] = {
      {Attributi_958(), true},
      {r1118.substr(0, 998), true},
      {r1118, true},
      {r1118.substr(0, 1000), false},
  };
  int numero = 0;
  for (const auto& c : casi) {
    SCOPED_TRACE(c.record.size());
    ++numero;
    Attributi(Documento(numero, 1, "T", {{"0_00001", {"TESTO\r"}}}), c.record);
    vista_ = {};
    img_.chiamate.clear();
    const size_t richieste = Di('R').size();
    const Esito_Presenta e = presenta_->Spool_Presenta(Format(numero, "0000000000"), "Stampa", vista_);
    EXPECT_TRUE(e.ok);
    if (c.valido) {
      EXPECT_TRUE(vista_.messaggi.empty());
      EXPECT_EQ(Valori(presenta_->Layout()), kValori_Attesi);
      EXPECT_EQ(img_.chiamate.size(), 1u);
      EXPECT_EQ(vista_.eventi.back(), "stampa " + TmpC("00003_I_00001_00001.PNG"));
    } else {
      // No page is asked for, nothing rendered, nothing printed.
      EXPECT_EQ(vista_.messaggi, (std::vector<std::string>{"[Spool_Presenta] Errore Dati {R}"}));
      EXPECT_EQ(Di('R').size(), richieste + 1);
      EXPECT_TRUE(img_.chiamate.empty());
      EXPECT_EQ(vista_.eventi, (std::vector<std::string>{"occupato", "libero"}));
    }
  }
}

TEST_F(Fetch, ABrokenTransferShowsOneMessageAndPrintsNothing) {
  // The reply to the third chunk request (page 2, chunk 1) breaks off after
  // 100 bytes.
  Avvia({"--close", "R#3=100"});
  Documento(1, 3, "7", {{"1_00001", {Contenuto(3000, 1)}}, {"1_00002", {Contenuto(3000, 2)}},
                        {"1_00003", {Contenuto(3000, 3)}}});
  const Esito_Presenta e = presenta_->Spool_Presenta("0000000001", "Stampa", vista_);
  EXPECT_TRUE(e.ok);
  EXPECT_FALSE(e.completo);
  EXPECT_EQ(vista_.messaggi, (std::vector<std::string>{"[Spool_Presenta] Errore Sock_Read {R}(2)"}));
  EXPECT_EQ(vista_.eventi, (std::vector<std::string>{"occupato", "libero"}));
  EXPECT_EQ(Di('R').size(), 3u);  // nothing more is asked on the broken stream

  // The next document fails at its first step with its own message.
  vista_ = {};
  EXPECT_FALSE(presenta_->Spool_Presenta("0000000001", "Stampa", vista_).ok);
  EXPECT_EQ(vista_.messaggi, (std::vector<std::string>{"[Spool_Presenta] Errore Sock_Read {K}(1)"}));
  EXPECT_EQ(vista_.eventi, (std::vector<std::string>{"occupato", "libero"}));
}

TEST_F(Fetch, ARefusedIndexRecordShowsItsMessageAndLeavesTheStreamInStep) {
  Avvia({"--body-on-empty", "5"});
  Documento(2, 1, "7", {{"1_00001", {"PNG"}}});
  const Esito_Presenta e = presenta_->Spool_Presenta("9999999999", "Visualizza", vista_);
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(vista_.messaggi, (std::vector<std::string>{"[Spool_Presenta] Errore Esito {K}"}));
  EXPECT_EQ(vista_.eventi, (std::vector<std::string>{"occupato", "libero"}));
  EXPECT_TRUE(Di('R').empty());

  vista_ = {};
  EXPECT_TRUE(presenta_->Spool_Presenta("0000000002", "Visualizza", vista_).completo);
  EXPECT_EQ(File_Leggi(TmpC("00003_I_00001_00001.PNG")), "PNG");
}

TEST_F(Fetch, ADocumentOfNoPagesAsksForNoPage) {
  Avvia();
  Documento(1, 0, "7", {});
  const Esito_Presenta e = presenta_->Spool_Presenta("0000000001", "Visualizza", vista_);
  EXPECT_TRUE(e.completo);
  EXPECT_TRUE(Di('R').empty());
  // The viewer is given a first page that does not exist; it says so itself.
  EXPECT_EQ(vista_.eventi.back(), "carica " + TmpC("00003_I_00001_00001.PNG"));
  EXPECT_FALSE(fs::exists(TmpC("00003_I_00001_00001.PNG")));
}

TEST_F(Fetch, AHostThatNeverEndsAPageIsStoppedAtALimit) {
  Avvia({"--archive-endless"});
  // The byte limit stops large chunks, the chunk limit small ones; page 2 is
  // never asked for.
  const struct {
    size_t pezzo;
    int64_t byte;
    int32_t pezzi;
    size_t richieste;
  } casi[] = {
      {8192, int64_t{1} << 20, kLimite_Pezzi, 129},  // 128 chunks fill the megabyte, the 129th is too many
      {3, kLimite_Pagina, 100, 101},
  };
  int numero = 0;
  for (const auto& c : casi) {
    SCOPED_TRACE(c.pezzo);
    Documento(++numero, 2, "7", {{"1_00001", {Contenuto(c.pezzo, 1)}}, {"1_00002", {Contenuto(10, 2)}}});
    presenta_->Imposta_Limite_Pagina(c.byte, c.pezzi);
    vista_ = {};
    const size_t prima = Di('R').size();
    const Esito_Presenta e = presenta_->Spool_Presenta(Format(numero, "0000000000"), "Stampa", vista_);
    EXPECT_TRUE(e.ok);
    EXPECT_FALSE(e.completo);
    EXPECT_EQ(vista_.messaggi, (std::vector<std::string>{"[Spool_Presenta] Errore Dimensione {R}"}));
    EXPECT_EQ(vista_.eventi, (std::vector<std::string>{"occupato", "libero"}));
    EXPECT_EQ(Di('R').size() - prima, c.richieste);
  }
  // Every reply was read whole: the next exchange is in step (a refusal
  // read as such).
  vista_ = {};
  EXPECT_FALSE(presenta_->Spool_Presenta("0000000099", "Visualizza", vista_).ok);
  EXPECT_EQ(vista_.messaggi, (std::vector<std::string>{"[Spool_Presenta] Errore Esito {K}"}));
}

TEST(FaxValues, ReferencePlaceholdersTakeTheGridTextOfTheirField) {
  Dati_Accesso a;
  a.Ordine_Dati[2] = 3;
  a.Ordine_Dati[5] = 12;
  a.Ordine_Dati[6] = 40;  // beyond the dictionary: no field
  a.Campo_Brv_Tipo = 12;
  a.Campo_Brv_Codice = 3;
  a.Modello_Brv_Riferimento = "RIF &03/&12 &07 &03";
  std::vector<std::string> celle = {"", "123   ", "", "", "31/01/2015", "X"};
  celle.resize(20);
  const Valori_Fax v = Fax_Valori(a, 20, celle);
  EXPECT_EQ(v.Riferimento, "RIF 123/31/01/2015 &07 123");
  EXPECT_EQ(v.Tipo, "31/01/2015");
  EXPECT_EQ(v.Codice, "123");
}

TEST(PageRendering, ImageTypeGivesTheFormatCodeAndTheExtension) {
  const struct {
    const char* tipo;
    int32_t codice;
    const char* estensione;
  } casi[] = {{"0", 0, ".TIF"}, {"4", 4, ".BMP"}, {"6", 6, ".JPG"}, {"9", 9, ".PNG"}, {"A", 10, ".TIF"}, {"B", 11, ""}};
  Cartella_Prova dir("pagine_genera");
  const Cartelle_Client cartelle{dir.Testo(), "/f/", "/l/"};
  for (const auto& c : casi) {
    test::Qod_IMG_Finto img;
    Generatore_Qod_IMG<test::Qod_IMG_Finto> g(img);
    Attributi_Spool a;
    a.Tipo_Immagine = c.tipo;
    a.Im1_File = Space(25);
    EXPECT_TRUE(Pagine_Genera(g, a, cartelle, 2, 1).empty());
    EXPECT_EQ(img.qodimg_Out_Save, c.codice) << c.tipo;
    ASSERT_EQ(img.chiamate.size(), 1u);
    EXPECT_EQ(img.chiamate[0].Out_File, dir.Testo() + "00002_I_00001_00001" + c.estensione) << c.tipo;
    EXPECT_EQ(img.qodimg_Im1_File, "");  // a blank overlay name is no overlay
  }
  // No pages: the generator is not called; a failed page is reported.
  test::Qod_IMG_Finto img;
  Generatore_Qod_IMG<test::Qod_IMG_Finto> g(img);
  Attributi_Spool a;
  a.Tipo_Immagine = "7";
  EXPECT_TRUE(Pagine_Genera(g, a, cartelle, 2, 0).empty());
  EXPECT_TRUE(img.chiamate.empty());
  img.fallisce = dir.Testo() + "00002_I_00001_00002.PNG";
  EXPECT_EQ(Pagine_Genera(g, a, cartelle, 2, 3), (std::vector<std::string>{"Pagina 2: Out_File manca"}));
  EXPECT_EQ(img.chiamate.size(), 3u);
}
