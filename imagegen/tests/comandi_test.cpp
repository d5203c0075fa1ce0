// The tag command language: reading lines and numbers, the drawing of
// barcodes, texts, images and "<CLR>" areas on a page, the copy selection
// of the two passes, and the state carried from page to page.
#include "qod/imagegen/comandi.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "qod/ansi.h"
#include "qod/imaging/file.h"
#include "supporto.h"

using namespace qod;
using namespace qod::prova;
using qod::imagegen::Stato_Comandi;

namespace {

// A small page for tags: no text, 1-bit PNG (or 24-bit with `colori`).
class Comandi : public ::testing::Test {
 protected:
  void Pagina(int w, int h, bool colori = false) {
    Pagina_Imposta(g, uscita, {w, h, colori ? 9 : 7, 200, 200, 64, 80, 80, 66});
    g.qodimg_Cmd_File = comandi;
  }
  // Runs a command file; the page image, or an empty image on failure.
  img::Immagine Esegui(const std::vector<std::string>& righe, bool inizializza = true) {
    File_Scrivi(comandi, Righe(righe));
    g.qodimg_Elabora(inizializza);
    if (g.qodimg_Error) return {};
    return Carica(uscita);
  }
  std::string Errore(const std::vector<std::string>& righe, bool inizializza = true) {
    Esegui(righe, inizializza);
    return g.qodimg_Error ? g.qodimg_Status : "";
  }

  Cartella_Prova dir{"img"};
  std::string uscita = dir / "pagina.png";
  std::string comandi = dir / "comandi.txt";
  Qod_IMG g;
};

std::string Num(int v) { return std::to_string(v); }

}  // namespace

TEST(Righe_Tag, LinesAreTakenApartByPosition) {
  struct {
    const char* riga;
    bool tag;
    const char* codice;
    const char* valore;
  } casi[] = {
      {"{TP=800}", true, "TP", "800"},       {"xTP:800}", true, "TP", "800"},
      {"{VA=a}b}", true, "VA", "a"},         {"{VA=}", false, "", ""},
      {"{VA=}}", true, "VA", "}"},           {"{VA=x", false, "", ""},
      {"TP=800", false, "", ""},             {"{FN=Courier New}  ", true, "FN", "Courier New"},
      {"", false, "", ""},                   {"{TN=3,10,5}", true, "TN", "3,10,5"},
  };
  for (const auto& c : casi) {
    const auto t = imagegen::Leggi_Tag(c.riga);
    ASSERT_EQ(t.has_value(), c.tag) << c.riga;
    if (!t) continue;
    EXPECT_EQ(t->codice, c.codice) << c.riga;
    EXPECT_EQ(t->valore, c.valore) << c.riga;
  }
}

TEST(Righe_Tag, NumbersFlagsColoursAndTheirReadFailures) {
  struct {
    const char* riga;
    const char* errore;
  } casi[] = {
      {"{TP=  9 00}", ""},  // blanks inside a number are skipped
      {"{OX=12.5}", ""},    // halves to even
      {"{OY=13.5}", ""},
      {"{BW=&H1F}", ""},
      {"{BH=1e3}", ""},
      {"{CO=7-}", ""},      // a trailing "-" is no sign
      {"{rc=abc}", ""},     // no number: 0
      {"{RI=3000000000}", "Errore lettura di {RI=...}"},
      {"{OX=-2147483649}", "Errore lettura di {OX=....}"},
      {"{CP=40000}", "Errore lettura di {CP=.}"},
      {"{CP=32767.5}", "Errore lettura di {CP=.}"},
      {"{FR=3601}", "{FR=...} errato"},
      {"{FR=-1}", "{FR=...} errato"},
      {"{iR=3600.6}", "{iR=...} errato"},
      {"{CF=1,2}", "Errore lettura di {CF=...,...,...}"},
      {"{CT=1,2,-3}", "Errore lettura di {CT=...,...,...}"},
      {"{CT=1,2}3,4", "Errore lettura di {CT=...,...,...}"},
      {"{CF=9e99,1,1}", "Errore lettura di {CF=...,...,...}"},
      {"{ZZ=whatever}", ""},
      {"{tp=12}", ""},  // codes are case-sensitive: not TP
  };
  Stato_Comandi s;
  for (const auto& c : casi) EXPECT_EQ(imagegen::Applica_Riga(s, c.riga).errore, c.errore) << c.riga;
  EXPECT_EQ(s.TP, 900);
  EXPECT_EQ(s.OX, 12);
  EXPECT_EQ(s.OY, 14);
  EXPECT_EQ(s.BW, 31);
  EXPECT_EQ(s.BH, 1000);
  EXPECT_EQ(s.CO, 7);
  EXPECT_EQ(s.rc, 0);
  EXPECT_EQ(s.RI, 0);    // a failed read keeps the value
  EXPECT_EQ(s.CP, 0);
  EXPECT_EQ(s.FR, 0);

  Stato_Comandi t;
  for (const char* r : {"{CF=300, 128.5 ,7.5}", "{CT=0,0,255}", "{RC=S}", "{RX=s}", "{BT=SI}", "{32=S}", "{FN= Times }",
                        "{FR=3600}", "{iR=0}", "{CP=-2}", "{bW=5}", "{bH=6}"})
    EXPECT_EQ(imagegen::Applica_Riga(t, r).errore, "") << r;
  EXPECT_EQ(t.CF, (img::Colore{255, 128, 8}));
  EXPECT_EQ(t.CT, (img::Colore{0, 0, 255}));
  EXPECT_TRUE(t.RC);
  EXPECT_FALSE(t.RX);  // only "S" is true
  EXPECT_FALSE(t.BT);
  EXPECT_TRUE(t.B32);
  EXPECT_EQ(t.FN, " Times ");
  EXPECT_EQ(t.FR, 3600);
  EXPECT_EQ(t.CP, -2);
  EXPECT_EQ(t.bW, 5);
  EXPECT_EQ(t.bH, 6);
  // rc and RC, bW and BW are different tags.
  EXPECT_EQ(t.BW, 300);
  EXPECT_EQ(t.rc, 0);
  const auto va = imagegen::Applica_Riga(t, "{VA=Quillon}");
  EXPECT_TRUE(va.disegna);
  EXPECT_EQ(t.VA, "Quillon");
  EXPECT_FALSE(imagegen::Applica_Riga(t, "{TN=1,2,3}").disegna);
}

TEST(Righe_Tag, HexadecimalBytesOfTextTags) {
  struct {
    const char* valore;
    std::string byte;
  } casi[] = {
      {"414243", "ABC"},
      {"4142434", "ABC"},        // an odd last digit is ignored
      {"41ab42", "AB"},          // a lower-case pair is skipped
      {"4:", "J"},               // ":" counts as 10
      {"?F", "\xFF"},            // "?" counts as 15
      {"0D0A00", std::string("\r\n\0", 3)},
      {"G0 1", ""},              // "G" is 16; " " is below 0
      {"", ""},
  };
  for (const auto& c : casi) EXPECT_EQ(imagegen::Byte_Esadecimali(c.valore), c.byte) << c.valore;
  EXPECT_EQ(imagegen::Set_Caratteri(800), 1);
  EXPECT_EQ(imagegen::Set_Caratteri(801), 0);
  EXPECT_EQ(imagegen::Set_Caratteri(809), 161);
  EXPECT_EQ(imagegen::Set_Caratteri(815), 204);
  EXPECT_EQ(imagegen::Set_Caratteri(818), 255);
}

TEST(Righe_Tag, LineEndsOfCommandFiles) {
  Cartella_Prova dir{"img"};
  File_Scrivi(dir / "righe.txt", "a\r\nb\rc\n\r\nd\n\ne");
  imagegen::Lettore_Righe in(dir / "righe.txt");
  std::vector<std::string> r;
  std::string s;
  while (in.Prossima(s)) r.push_back(s);
  EXPECT_EQ(r, (std::vector<std::string>{"a", "b", "c", "", "d", "", "e"}));
  imagegen::Lettore_Righe manca(dir / "manca.txt");
  EXPECT_FALSE(manca.Aperto());
  EXPECT_FALSE(manca.Prossima(s));
}

TEST_F(Comandi, BarcodeTextImageAndClearedAreaOnOnePage) {
  Scrivi_Bmp(Logo_Prova(240, 120), dir / "logo.bmp");
  const std::vector<std::string> righe = {
      "{TP=014}", "{OX=100}", "{OY=100}", "{BW=600}", "{BH=150}", "{BT=S}", "{VA=QOD-12345}",
      "{TP=800}", "{FN=Arial}", "{FD=40}", "{CT=200,0,0}", "{OX=100}", "{OY=400}", "{VA=Quillon tag}",
      "{TP=900}", "{OX=900}", "{OY=100}", "{VA=" + dir / "logo.bmp" + "}",
      "{IW=300}", "{IH=200}", "{CF=0,0,255}", "{OX=1200}", "{OY=500}", "{VA=<CLR>}"};
  for (bool colori : {false, true}) {
    SCOPED_TRACE(colori ? "24 bits" : "1 bit");
    uscita = dir / (colori ? "tag_colori.png" : "tag.png");
    Pagina(1700, 1000, colori);
    const img::Immagine p = Esegui(righe);
    ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
    Rendi(p, colori ? "tag_colori" : "tag_1bit");
    EXPECT_TRUE(Pngcheck(uscita));
    EXPECT_EQ(Zbar(uscita), "CODE-128:QOD-12345");
    // The barcode fills BW x BH at (100, 100), with its caption inside.
    EXPECT_GT(Scuri(p, 100, 100, 600, 150), 600 * 150 / 5);
    EXPECT_EQ(Scuri(p, 0, 0, 1700, 100), 0);
    EXPECT_EQ(Scuri(p, 0, 100, 100, 150), 0);
    EXPECT_EQ(Scuri(p, 700, 100, 200, 150), 0);
    // The text starts at its cell's top-left corner (400 on the page).
    EXPECT_GT(Scuri(p, 100, 400, 350, 45), 200);
    EXPECT_EQ(Scuri(p, 0, 251, 1700, 149), 0);
    EXPECT_EQ(Scuri(p, 0, 400, 100, 60), 0);
    if (colori) {
      bool rosso = false;
      for (int y = 400; y < 445 && !rosso; ++y)
        for (int x = 100; x < 450 && !rosso; ++x) rosso = p.Pixel(x, y) == img::Colore{200, 0, 0};
      EXPECT_TRUE(rosso);
    }
    // The image at its own size.
    EXPECT_TRUE(Uguali(p, 900, 100, Logo_Prova(240, 120), 0, 0, 240, 120));
    // The cleared area, exactly.
    const img::Colore area = colori ? img::Colore{0, 0, 255} : img::Nero;
    EXPECT_TRUE(Tutto(p, 1200, 500, 300, 200, area));
    EXPECT_TRUE(Tutto(p, 1199, 500, 1, 200, img::Bianco));
    EXPECT_TRUE(Tutto(p, 1500, 500, 1, 200, img::Bianco));
    EXPECT_TRUE(Tutto(p, 1200, 499, 300, 1, img::Bianco));
    EXPECT_TRUE(Tutto(p, 1200, 700, 300, 1, img::Bianco));
  }
}

TEST_F(Comandi, EveryReadableBarcodeTypeDecodes) {
  struct {
    int tipo;
    const char* dati;
    const char* letto;
  } casi[] = {
      {0, "9780201379624", "EAN-13:9780201379624"}, {1, "400638133393", "EAN-13:4006381333931"},
      {2, "9638507", "EAN-8:96385074"},             {3, "12345", "EAN-5:12345"},
      {4, "42", "EAN-2:42"},                        {5, "03600029145", "UPC-A:036000291452"},
      {6, "QUILLON-42", "CODE-39:QUILLON-42"},      {7, "1234567890", "I2/5:1234567890"},
      {8, "A40156B", "Codabar:A40156B"},            {10, "Qod 1", "CODE-39:Q+O+D 1"},
      {11, "QOD-128", "CODE-128:QOD-128"},          {12, "Quillon b", "CODE-128:Quillon b"},
      {13, "20260210", "CODE-128:20260210"},        {14, "Spool 000123", "CODE-128:Spool 000123"},
      {15, "(01)12345678901231", "CODE-128:0112345678901231"},
      {16, "1234567890", "EAN-13:9912345678909"},   {17, "0123456", "UPC-E:01234565"},
      {21, "QOD-93", "CODE-93:QOD-93"},             {22, "Qod 93", "CODE-93:Qod 93"},
      {23, "123456", "CODE-39:-01234562"},          {24, "12345678901", "I2/5:123456789016"},
      {25, "1234567890123", "I2/5:12345678901236"},
  };
  Pagina(700, 300);
  for (const auto& c : casi) {
    const img::Immagine p = Esegui({"{TP=" + Num(c.tipo) + "}", "{OX=100}", "{OY=90}", "{BW=500}", "{BH=120}",
                                    "{BT=S}", std::string("{VA=") + c.dati + "}"});
    ASSERT_FALSE(g.qodimg_Error) << c.tipo << ": " << g.qodimg_Status;
    EXPECT_EQ(Zbar(uscita), c.letto) << "type " << c.tipo;
    if (c.tipo == 1) Rendi(p, "codice_ean13");
  }
}

TEST_F(Comandi, BarcodeTurnedBlankAndRefused) {
  Pagina(800, 800);
  // Turned by 90 degrees: BH wide, BW tall, placed as an image.
  img::Immagine p = Esegui({"{TP=014}", "{OX=100}", "{OY=100}", "{BW=500}", "{BH=120}", "{iR=900}", "{VA=QOD-90}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  Rendi(p, "codice_ruotato");
  EXPECT_EQ(Zbar(uscita), "CODE-128:QOD-90");
  EXPECT_GT(Scuri(p, 100, 100, 120, 500), 120 * 500 / 5);
  EXPECT_EQ(Scuri(p, 222, 0, 578, 800), 0);
  EXPECT_EQ(Scuri(p, 0, 602, 800, 198), 0);

  // "NESSUN CODICE": a blank BW x BH copied over what was there.
  p = Esegui({"{TP=900}", "{IW=400}", "{IH=300}", "{CF=0,0,0}", "{OX=100}", "{OY=100}", "{VA=<CLR>}", "{TP=099}",
              "{IW=0}", "{IH=0}", "{OX=150}", "{OY=150}", "{BW=200}", "{BH=100}", "{VA=12345}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_TRUE(Tutto(p, 150, 150, 200, 100, img::Bianco));
  EXPECT_TRUE(Tutto(p, 100, 100, 400, 50, img::Nero));

  EXPECT_EQ(Errore({"{TP=26}", "{VA=12345}"}), "Errore generazione codice a barre12345");
  EXPECT_EQ(Errore({"{TP=-1}", "{VA=12345}"}), "Errore generazione codice a barre12345");
  EXPECT_EQ(Errore({"{TP=001}", "{VA=ABC}"}), "Errore generazione codice a barreABC");
  EXPECT_EQ(Errore({"{TP=014}", "{BW=0}", "{VA=ABC}"}), "Errore generazione codice a barreABC");
  // Other kinds from 100 up draw nothing.
  p = Esegui({"{TP=500}", "{VA=ABC}", "{TP=819}", "{VA=ABC}", "{TP=901}", "{VA=<CLR>}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_EQ(Scuri(p, 0, 0, 800, 800), 0);
}

TEST_F(Comandi, PositionsRelativeToTheTextGrid) {
  Pagina(800, 800);
  // x = OX + Txt_Left + Col_Dim (CO - 1); y = OY + Txt_Top + Row_Dim RI.
  img::Immagine p = Esegui({"{TP=900}", "{IW=7}", "{IH=5}", "{CF=0,0,0}", "{RX=S}", "{RY=S}", "{CO=3}", "{RI=2}",
                            "{OX=5}", "{OY=-4}", "{VA=<CLR>}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_TRUE(Tutto(p, 109, 140, 7, 5, img::Nero));
  EXPECT_EQ(Scuri(p, 0, 0, 800, 800), 35);
  // With RC = S the row is rc.
  p = Esegui({"{TP=900}", "{IW=7}", "{IH=5}", "{CF=0,0,0}", "{RX=S}", "{RY=S}", "{CO=3}", "{RI=2}", "{RC=S}",
              "{rc=004}", "{OX=5}", "{OY=-4}", "{VA=<CLR>}"});
  EXPECT_TRUE(Tutto(p, 109, 204, 7, 5, img::Nero));
  EXPECT_EQ(Scuri(p, 0, 0, 800, 800), 35);
  // Far outside the page, and partly outside: clipped, no failure.
  p = Esegui({"{TP=900}", "{IW=100000}", "{IH=20}", "{CF=0,0,0}", "{OX=-99990}", "{VA=<CLR>}", "{IW=50}",
              "{OX=780}", "{OY=790}", "{VA=<CLR>}", "{RX=S}", "{CO=2147483647}", "{VA=<CLR>}", "{RX=N}",
              "{OX=-2147483648}", "{VA=<CLR>}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_TRUE(Tutto(p, 0, 0, 10, 20, img::Nero));
  EXPECT_TRUE(Tutto(p, 780, 790, 20, 10, img::Nero));
  EXPECT_EQ(Scuri(p, 0, 0, 800, 800), 2 * 200);
}

TEST_F(Comandi, ImagesInvertedTurnedStretchedAndCut) {
  const img::Immagine logo = Logo_Prova(80, 40);
  Scrivi_Bmp(logo, dir / "logo.bmp");
  const std::string va = "{VA=" + dir / "logo.bmp" + "}";
  Pagina(800, 800);
  img::Immagine p = Esegui({"{TP=900}", "{OX=10}", "{OY=10}", va, "{IN=S}", "{OX=200}", va, "{IN=N}", "{iR=900}",
                            "{OX=400}", va, "{iR=0}", "{IW=160}", "{IH=120}", "{OX=10}", "{OY=300}", va, "{IW=0}",
                            "{IH=0}", "{iX=40}", "{iY=20}", "{iW=40}", "{iH=20}", "{OX=400}", "{OY=300}", va,
                            "{IW=40}", "{IH=20}", "{OX=600}", va});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  Rendi(p, "immagini_tag");
  EXPECT_TRUE(Uguali(p, 10, 10, logo, 0, 0, 80, 40));
  img::Immagine inversa = logo;
  inversa.Inverti();
  EXPECT_TRUE(Uguali(p, 200, 10, inversa, 0, 0, 80, 40));
  // Turned clockwise: 40 x 80, the dark block now top-right.
  EXPECT_EQ(Scuri(p, 420, 10, 20, 40), 20 * 40);
  EXPECT_LT(Scuri(p, 402, 52, 36, 36), 5);
  EXPECT_EQ(Scuri(p, 441, 10, 10, 80), 0);
  // Stretched to 160 x 120: the block is 80 x 60.
  EXPECT_EQ(Scuri(p, 10, 300, 80, 60), 80 * 60);
  EXPECT_LT(Scuri(p, 100, 370, 60, 40), 5);
  // The bottom-right quarter only: stretched to the image's own size when
  // no output size is given, copied as it is at 40 x 20.
  img::Immagine quarto;
  quarto.Crea(40, 20, 1);
  img::Trasferisci(quarto, 0, 0, 40, 20, logo, 40, 20);
  img::Immagine doppio;
  doppio.Crea(80, 40, 1);
  img::Trasferisci_Adattato(doppio, 0, 0, 80, 40, quarto, 0, 0, 40, 20);
  EXPECT_TRUE(Uguali(p, 400, 300, doppio, 0, 0, 80, 40));
  EXPECT_TRUE(Uguali(p, 600, 300, quarto, 0, 0, 40, 20));
  EXPECT_EQ(Scuri(p, 640, 300, 20, 40), 0);

  // A missing file draws nothing and says nothing.
  p = Esegui({"{TP=900}", "{VA=" + dir / "manca.bmp" + "}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_EQ(Scuri(p, 0, 0, 800, 800), 0);
  // A file that is no image fails.
  File_Scrivi(dir / "rotto.png", "\x89PNG\r\n\x1a\n broken");
  EXPECT_EQ(Errore({"{TP=900}", "{VA=" + dir / "rotto.png" + "}"}), "Errore caricamento immagine " + dir / "rotto.png");
}

namespace {

// A 32-bit BMP (40-byte header, bottom-up) of w x h: black in its left half.
std::string Bmp32(int w, int h) {
  std::string d(54 + static_cast<size_t>(w) * h * 4, '\0');
  auto le32 = [&](size_t o, uint32_t v) {
    for (int i = 0; i < 4; ++i) d[o + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  d[0] = 'B', d[1] = 'M';
  le32(2, static_cast<uint32_t>(d.size()));
  le32(10, 54);
  le32(14, 40);
  le32(18, static_cast<uint32_t>(w));
  le32(22, static_cast<uint32_t>(h));
  d[26] = 1;
  d[28] = 32;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t o = 54 + (static_cast<size_t>(y) * w + x) * 4;
      const char v = x < w / 2 ? 0 : static_cast<char>(0xFF);
      d[o] = d[o + 1] = d[o + 2] = v;
      d[o + 3] = static_cast<char>(0xFF);
    }
  return d;
}

}  // namespace

TEST_F(Comandi, ThirtyTwoBitBmpsAreConvertedInTheTempFolderAndTheCopyRemoved) {
  File_Scrivi(dir / "b32.bmp", Bmp32(40, 20));
  Scrivi_Bmp(Logo_Prova(40, 20, 24), dir / "b24.bmp");
  fs::create_directories(dir.Dir() / "temp");
  const char* prima = std::getenv("TMPDIR");
  const std::string vecchio = prima ? prima : "";
  setenv("TMPDIR", (dir / "temp").c_str(), 1);
  Pagina(400, 200);
  img::Immagine p = Esegui({"{TP=900}", "{32=S}", "{OX=10}", "{OY=10}", "{VA=" + dir / "b32.bmp" + "}", "{OX=100}",
                            "{VA=" + dir / "b24.bmp" + "}"});
  if (prima) setenv("TMPDIR", vecchio.c_str(), 1);
  else unsetenv("TMPDIR");
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_EQ(Scuri(p, 10, 10, 20, 20), 400);
  EXPECT_EQ(Scuri(p, 30, 10, 20, 20), 0);
  // The 24-bit file with the 32 tag: nothing drawn, nothing said.
  EXPECT_EQ(Scuri(p, 100, 10, 40, 20), 0);
  EXPECT_TRUE(fs::is_empty(dir.Dir() / "temp"));
  EXPECT_FALSE(fs::exists(dir.Dir() / "b32.bmpx"));
  EXPECT_FALSE(fs::exists(dir.Dir() / "b32.bmpX"));
}

TEST_F(Comandi, CopySelectionOfTheTwoPasses) {
  // Four areas, one per copy selector, and logo 2 over the first two: what
  // pass A draws lies under logo 2, what pass B draws over it.
  img::Immagine bianco;
  bianco.Crea(400, 60, 1);
  Scrivi_Bmp(bianco, dir / "bianco.bmp");
  const int selettori[] = {0, 1, 2, 5};
  std::vector<std::string> righe = {"{TP=900}", "{IW=50}", "{IH=50}", "{CF=0,0,0}", "{OY=10}"};
  for (int i = 0; i < 4; ++i) {
    righe.push_back("{CP=" + Num(selettori[i]) + "}");
    righe.push_back("{OX=" + Num(10 + 100 * i) + "}");
    righe.push_back("{VA=<CLR>}");
  }
  struct {
    int cpy;
    std::vector<bool> disegnate;  // CP 0, 1, 2, 5
  } casi[] = {
      {0, {true, true, true, true}}, {1, {true, true, false, false}}, {2, {true, false, true, false}},
      {3, {true, false, false, false}}, {5, {true, false, false, true}}, {7, {true, false, false, true}},
  };
  Pagina(500, 100);
  for (const auto& c : casi) {
    g.qodimg_Cmd_CPY = c.cpy;
    g.qodimg_Im2_File.clear();
    const img::Immagine p = Esegui(righe);
    ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(Tutto(p, 10 + 100 * i, 10, 50, 50, img::Nero), c.disegnate[static_cast<size_t>(i)])
          << "copy " << c.cpy << ", CP " << selettori[i];
  }
  // Copy 2 with a white logo 2 copied over areas 0 and 1: pass A's area is
  // covered, pass B's stays.
  g.qodimg_Cmd_CPY = 2;
  g.qodimg_Im2_File = dir / "bianco.bmp";
  g.qodimg_Im2_Left = 0;
  g.qodimg_Im2_Top = 0;
  g.qodimg_Im2_Width = g.qodimg_Im2_Height = 0;
  const img::Immagine p = Esegui(righe);
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_EQ(Scuri(p, 10, 10, 50, 50), 0);
  EXPECT_TRUE(Tutto(p, 210, 10, 50, 50, img::Nero));
}

TEST_F(Comandi, TextTagsWithHexadecimalBytesDrawThoseBytes) {
  Pagina(600, 100);
  auto testo = [&](int tp, const std::string& va) {
    return Esegui({"{TP=" + Num(tp) + "}", "{FN=Courier New}", "{FD=40}", "{OX=20}", "{OY=20}", "{VA=" + va + "}"});
  };
  struct {
    const char* hex;
    std::string byte;
  } casi[] = {{"414243", "ABC"}, {"41ab42", "AB"}, {"4142434", "ABC"}, {"4:", "J"}, {"C0C8", A("ÀÈ")}};
  for (const auto& c : casi) {
    const img::Immagine attesa = testo(800, c.byte);
    ASSERT_FALSE(attesa.Vuota()) << g.qodimg_Status;
    ASSERT_GT(Scuri(attesa, 0, 0, 600, 100), 50);
    const img::Immagine data = testo(801, c.hex);
    ASSERT_FALSE(data.Vuota()) << g.qodimg_Status;
    EXPECT_TRUE(Uguali(data, 0, 0, attesa, 0, 0, 600, 100)) << c.hex;
  }
  // The Greek set reads the same bytes as other letters.
  const img::Immagine greco = testo(809, "C1C2");
  const img::Immagine latino = testo(800, A("ÁÂ"));
  EXPECT_FALSE(Uguali(greco, 0, 0, latino, 0, 0, 600, 100));
}

TEST_F(Comandi, TextRotationFontSizeAndBackground) {
  Pagina(400, 400);
  EXPECT_EQ(Errore({"{FR=3601}", "{VA=x}"}), "{FR=...} errato");
  EXPECT_EQ(Errore({"{FR=3600}", "{VA=x}"}), "");
  // 900: the text reads upwards from its reference point.
  img::Immagine p = Esegui({"{FD=40}", "{FR=900}", "{OX=100}", "{OY=350}", "{VA=Quillon}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  Rendi(p, "testo_ruotato");
  EXPECT_GT(Scuri(p, 100, 150, 50, 200), 300);
  EXPECT_EQ(Scuri(p, 160, 0, 240, 400), 0);
  EXPECT_EQ(Scuri(p, 0, 360, 400, 40), 0);
  // An opaque background fills the cell with CF; OV 1 leaves the page.
  p = Esegui({"{TP=900}", "{IW=400}", "{IH=400}", "{CF=0,0,0}", "{VA=<CLR>}", "{TP=800}", "{CF=255,255,255}",
              "{CT=0,0,0}", "{FD=40}", "{OX=10}", "{OY=10}", "{VA=X}", "{OV=1}", "{OY=200}", "{VA=X}"});
  EXPECT_GT(400 * 20 - Scuri(p, 10, 15, 20, 20), 100);  // white cell around the black glyph
  EXPECT_EQ(Scuri(p, 10, 205, 20, 20), 400);              // black on black
  // A font past any size is refused.
  EXPECT_EQ(Errore({"{FD=20000}", "{VA=Quillon}"}), "Errore creazione font Quillon");
  // FW given: FD is the cell height and FW the character width.
  p = Esegui({"{FN=Courier New}", "{FD=40}", "{FW=40}", "{OX=10}", "{OY=10}", "{VA=MM}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_GT(Scuri(p, 50, 10, 40, 40), 20);
  EXPECT_EQ(Scuri(p, 95, 0, 305, 400), 0);
}

TEST_F(Comandi, ClearedAreasNeedASizeAndAreHeldToAFixedSize) {
  Pagina(300, 300);
  EXPECT_EQ(Errore({"{TP=900}", "{VA=<CLR>}"}), "Errore {IW=....}<1 per <CLR>");
  EXPECT_EQ(Errore({"{TP=900}", "{IW=10}", "{VA=<CLR>}"}), "Errore {IH=....}<1 per <CLR>");
  EXPECT_EQ(Errore({"{TP=900}", "{IW=100000}", "{IH=100000}", "{VA=<CLR>}"}), "Errore preparazione <CLR>");
  // Inverted, turned, stretched like an image.
  img::Immagine p = Esegui({"{TP=900}", "{IW=20}", "{IH=10}", "{CF=255,255,255}", "{IN=S}", "{OX=10}", "{OY=10}",
                            "{VA=<CLR>}", "{IN=N}", "{CF=0,0,0}", "{iR=900}", "{IW=0}", "{IH=0}", "{IW=20}", "{IH=10}",
                            "{OX=100}", "{VA=<CLR>}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_TRUE(Tutto(p, 10, 10, 20, 10, img::Nero));
  EXPECT_EQ(Scuri(p, 100, 10, 20, 10), 200);  // the turned 10 x 20 area stretched back to 20 x 10
  // A turn that would pass the cap fails with the area's message.
  EXPECT_EQ(Errore({"{TP=900}", "{IW=25000}", "{IH=25000}", "{iR=450}", "{VA=<CLR>}"}), "Errore sovrapposizione <CLR>");
}

TEST_F(Comandi, TheStateCarriesFromPageToPageUnlessReset) {
  Pagina(300, 300);
  img::Immagine p = Esegui({"{TP=900}", "{IW=50}", "{IH=40}", "{CF=0,0,0}", "{OX=10}", "{OY=10}", "{VA=<CLR>}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_TRUE(Tutto(p, 10, 10, 50, 40, img::Nero));
  // The next page only moves the area.
  p = Esegui({"{OX=100}", "{VA=<CLR>}"}, false);
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_EQ(Scuri(p, 0, 0, 300, 300), 50 * 40);
  EXPECT_TRUE(Tutto(p, 100, 10, 50, 40, img::Nero));
  // A failed page keeps the state it reached; a page without a command file
  // leaves it alone.
  EXPECT_EQ(Errore({"{OX=150}", "{FR=4000}"}, false), "{FR=...} errato");
  g.qodimg_Cmd_File.clear();
  g.qodimg_Elabora(true);
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  g.qodimg_Cmd_File = comandi;
  p = Esegui({"{VA=<CLR>}"}, false);
  EXPECT_TRUE(Tutto(p, 150, 10, 50, 40, img::Nero));
  // A page that starts a document starts from the defaults.
  EXPECT_EQ(Errore({"{TP=900}", "{OX=100}", "{VA=<CLR>}"}, true), "Errore {IW=....}<1 per <CLR>");
  EXPECT_EQ(Errore({"{VA=<CLR>}"}, false), "Errore {IW=....}<1 per <CLR>");
  // The defaults: a 10-pixel black text on white, at OX 100 and OY 0.
  p = Esegui({"{TP=800}", "{VA=Quillon}"}, false);
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  EXPECT_GT(Scuri(p, 100, 0, 100, 12), 10);
  EXPECT_EQ(Scuri(p, 0, 12, 300, 288), 0);
}

TEST_F(Comandi, LandscapePageWithTagsIsTurnedWithTheText) {
  Pagina(1000, 1400);
  g.qodimg_Txt_Orie = 0;
  g.qodimg_Txt_Rows = 20;
  g.qodimg_Txt_Cols = 60;
  g.qodimg_Fnt_File = Striscia_Prova();
  File_Scrivi(dir / "testo.txt", Righe({"ESTRATTO CONTO LANDSCAPE", "", "   riga 3 del testo"}));
  g.qodimg_Txt_File = dir / "testo.txt";
  const img::Immagine p =
      Esegui({"{TP=014}", "{BW=400}", "{BH=100}", "{BT=S}", "{OX=900}", "{OY=100}", "{VA=ORIZZ-1}", "{TP=900}",
              "{IW=200}", "{IH=30}", "{CF=0,0,0}", "{OX=0}", "{OY=0}", "{RX=S}", "{RY=S}", "{CO=1}", "{RI=5}",
              "{VA=<CLR>}"});
  ASSERT_FALSE(g.qodimg_Error) << g.qodimg_Status;
  ASSERT_EQ(p.Larghezza(), 1000);
  ASSERT_EQ(p.Altezza(), 1400);
  Rendi(p, "orizzontale_con_tag");
  EXPECT_EQ(Zbar(uscita), "CODE-128:ORIZZ-1");
  // The area at canvas (64, 240) 200 x 30 lands at (240, 1399 - 263) 30 x 200.
  EXPECT_TRUE(Tutto(p, 240, 1399 - 263, 30, 200, img::Nero));
  // The first glyph, canvas (64, 80), turned to the bottom left.
  EXPECT_GT(Scuri(p, 80, 1399 - 64 - 19, 32, 20), 20);
  EXPECT_EQ(Scuri(p, 0, 0, 80, 1400), 0);
}
