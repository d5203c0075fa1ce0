// The attribute record read through the transport from a reply the test
// sends on loopback: its fields, the values derived from them, a bad
// number, and the page image values as they reach the image generator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generatore_finto.h"
#include "qod/basic.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/prova/strumenti.h"
#include "qod/record/attributi.h"
#include "qod/record/immagini.h"
#include "record_test.h"
#include "support/pari.h"

using namespace qod;
using namespace qod::test;

namespace {

// The attribute record, decoded through the transport from a reply.
class Attributi_Letti : public ::testing::Test {
 protected:
  // Connects the transport, with the conversion table, to the test's end.
  void Avvia() {
    const std::string tabella = dir_ / "Qod_TBL1.Tbl";
    ASSERT_TRUE(Tabella_Ebcdic::IBM280().Scrivi(tabella));
    std::string descrizione, indirizzo;
    ASSERT_TRUE(trasporto_.Sock_Init(descrizione, tabella));
    ASSERT_TRUE(trasporto_.Sock_Connect(kSlot_Host, "127.0.0.1", pari_.Porta(), indirizzo));
    ASSERT_TRUE(pari_.Accetta());
  }

  Attributi_Spool Leggi(const Attributi_Test& r, int32_t* errata = nullptr) {
    pari_.Invia(Risposta('0', r.Dati()));
    EXPECT_TRUE(trasporto_.Sock_Read(kSlot_Host, 6));
    EXPECT_TRUE(trasporto_.Sock_Read(kSlot_Host, 1118));
    int32_t e = 0;
    auto a = Attributi_Spool::Decodifica(Lettore_Trasporto(trasporto_), e);
    if (errata) *errata = e;
    return a;
  }

  prova::Cartella_Prova dir_{"attributi"};
  prova::Pari pari_;
  Trasporto trasporto_{Attese_Rete{2000, 100, 1000}};
};

}  // namespace

TEST_F(Attributi_Letti, FieldsAndDerivedValues) {
  Avvia();
  Attributi_Test r;
  r.A(1, "FATTURE", 20).A(101, "PAGHE", 10).B(127, 2).B(131, 9).B(139, 4321).B(143, 1234).B(147, 0).B(151, 0);
  r.A(246, "", 50).A(342, "HPLJ4", 50).S(297, 10, 5).S(933, 2100, 4).S(862, 10000, 5).S(596, 15000, 5);
  r.S(317, 9567, 5).A(999, "", 100).S(632, 0, 4);
  auto a = Leggi(r);
  EXPECT_EQ(a.Formato, Testo_Largo("FATTURE", 20));  // not trimmed
  EXPECT_EQ(a.Lavoro, Testo_Largo("PAGHE", 10));
  EXPECT_EQ(a.Copie, 2);
  EXPECT_EQ(a.Prima_Pagina, 1);
  EXPECT_EQ(a.Ultima_Pagina, 9);
  EXPECT_EQ(a.Dimensione_Dati, 4321);
  EXPECT_EQ(a.Numero_Spool, 1234);
  EXPECT_EQ(a.Stampante, "HPLJ4");
  EXPECT_DOUBLE_EQ(a.Margine_Sinistro, 566.868);
  EXPECT_FLOAT_EQ(a.PDF_Width, 21.0f);
  EXPECT_DOUBLE_EQ(a.Out_ZoomX, 1.0);
  EXPECT_DOUBLE_EQ(a.Im1_ZoomX, 1.5);
  EXPECT_DOUBLE_EQ(a.Scala_Verticale, 0.9567);
  EXPECT_EQ(a.Cartella, "");

  r.S(632, 5, 4).B(147, 3).B(151, 5).A(999, "  \\\\srv\\out\\fatture  ", 100);
  a = Leggi(r);
  EXPECT_EQ(a.Copie, 5);
  EXPECT_EQ(a.Prima_Pagina, 3);
  EXPECT_EQ(a.Ultima_Pagina, 5);
  EXPECT_EQ(a.Cartella, "\\\\srv\\out\\fatture");
}

TEST_F(Attributi_Letti, OutputFlagsAndTheirOverrides) {
  Avvia();
  struct Caso {
    const char *forzato, *predefinito;
    bool fatto;
  } casi[] = {{"*", "S", true}, {"N", "S", false}, {"S", "N", true}, {"*", "N", false}, {" ", "S", false}};
  for (const auto& c : casi) {
    for (auto [forzata, predefinita] : {std::pair{636, 244}, {637, 245}, {638, 433}}) {
      Attributi_Test r;
      r.A(forzata, c.forzato, 1).A(predefinita, c.predefinito, 1);
      auto a = Leggi(r);
      const bool fatto = forzata == 636 ? a.Da_Stampare : forzata == 637 ? a.Da_Archiviare : a.Da_Salvare;
      EXPECT_EQ(fatto, c.fatto) << forzata << " " << c.forzato << " / " << predefinita << " " << c.predefinito;
    }
  }
}

TEST_F(Attributi_Letti, ABadNumberReadsAsZeroAndIsReported) {
  Avvia();
  Attributi_Test r;
  r.S(479, 80, 4).Byte(483, 0xFA);  // a zoned digit half-byte of 10
  int32_t errata = 0;
  auto a = Leggi(r, &errata);
  EXPECT_EQ(a.Txt_Cols, 80);
  EXPECT_EQ(a.Txt_Rows, 0);
  EXPECT_EQ(errata, 483);
}

TEST_F(Attributi_Letti, FontAndLogoFieldsReachTheGeneratorInTheirOrder) {
  Avvia();
  Attributi_Test r;
  int v = 1;
  for (int p = 479; p <= 499; p += 4) r.S(p, v++, 4);  // Txt_Cols .. Txt_Row_Dim: 1..6
  r.S(503, 1, 1).A(504, "FONT1.BMP", 25);
  for (int p = 529; p <= 541; p += 4) r.S(p, 10 + (p - 529) / 4, 4);  // 10..13
  r.S(545, 2, 1).A(546, "LOGO.BMP", 25);
  for (int p = 571; p <= 591; p += 4) r.S(p, 20 + (p - 571) / 4, 4);  // 20..25
  r.S(595, 1, 1).S(596, 5000, 5).S(601, 20000, 5);
  for (int p = 759; p <= 779; p += 4) r.S(p, 30 + (p - 759) / 4, 4);  // 30..35
  r.S(783, 2, 1).S(784, 7500, 5).S(789, 12500, 5);
  r.S(819, 1728, 4).S(823, 2292, 4).A(827, "A", 1).S(828, 255, 4).S(832, 128, 4).S(836, 1, 4);
  r.S(840, 204, 4).S(844, 196, 4).A(848, "S", 1).S(849, 75, 4).S(853, 10, 4).S(857, 9999, 4).A(861, "S", 1);
  r.S(862, 5000, 5).S(867, 20000, 5);
  auto a = Leggi(r);
  Qod_IMG_Finto g;
  Qod_IMG_Imposta(g, a, "/p/Fnt/", "/p/Lgo/");
  EXPECT_EQ(std::vector<int>({g.qodimg_Txt_Cols, g.qodimg_Txt_Rows, g.qodimg_Txt_Left, g.qodimg_Txt_Top,
                              g.qodimg_Txt_Col_Dim, g.qodimg_Txt_Row_Dim, g.qodimg_Txt_Orie}),
            std::vector<int>({1, 2, 3, 4, 5, 6, 1}));
  EXPECT_EQ(g.qodimg_Fnt_File, "/p/Fnt/" + Testo_Largo("FONT1.BMP", 25));
  EXPECT_EQ(std::vector<int>({g.qodimg_Fnt_Width, g.qodimg_Fnt_Height, g.qodimg_Fnt_Left, g.qodimg_Fnt_Top,
                              g.qodimg_Fnt_Mode}),
            std::vector<int>({10, 11, 12, 13, 2}));
  EXPECT_EQ(g.qodimg_Im1_File, "/p/Lgo/" + Testo_Largo("LOGO.BMP", 25));
  EXPECT_EQ(std::vector<int>({g.qodimg_Im1_Width, g.qodimg_Im1_Height, g.qodimg_Im1_Left, g.qodimg_Im1_Top,
                              g.qodimg_Im1_Src_Left, g.qodimg_Im1_Src_Top, g.qodimg_Im1_Mode, g.qodimg_Im1_Pos}),
            std::vector<int>({20, 21, 22, 23, 24, 25, 1, 0}));
  EXPECT_EQ(std::vector<double>({g.qodimg_Im1_ZoomX, g.qodimg_Im1_ZoomY, g.qodimg_Im2_ZoomX, g.qodimg_Im2_ZoomY,
                                 g.qodimg_Out_ZoomX, g.qodimg_Out_ZoomY}),
            std::vector<double>({0.5, 2.0, 0.75, 1.25, 0.5, 2.0}));
  EXPECT_EQ(g.qodimg_Im2_File, "");
  EXPECT_EQ(std::vector<int>({g.qodimg_Im2_Width, g.qodimg_Im2_Height, g.qodimg_Im2_Left, g.qodimg_Im2_Top,
                              g.qodimg_Im2_Src_Left, g.qodimg_Im2_Src_Top, g.qodimg_Im2_Mode, g.qodimg_Im2_Pos}),
            std::vector<int>({30, 31, 32, 33, 34, 35, 2, 0}));
  EXPECT_EQ(std::vector<int>({g.qodimg_Out_Width, g.qodimg_Out_Height, g.qodimg_Out_Save, g.qodimg_Out_BkColor,
                              g.qodimg_Out_ResX, g.qodimg_Out_ResY, g.qodimg_JPG_Qual, g.qodimg_JPG_Atte,
                              g.qodimg_Rows_Strip}),
            std::vector<int>({1728, 2292, 10, 255 + 128 * 256 + 65536, 204, 196, 75, 10, 9999}));
  EXPECT_TRUE(g.qodimg_JPG_Otti);
  EXPECT_TRUE(g.qodimg_TIF_MultiP);

  // A blank logo gives no logo file.
  r.A(546, "", 25);
  Qod_IMG_Imposta(g, Leggi(r), "/p/Fnt/", "/p/Lgo/");
  EXPECT_EQ(g.qodimg_Im1_File, "");
}
