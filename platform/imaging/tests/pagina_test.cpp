// Page saving in the eleven image types, checked with independent readers
// (tiffinfo, pngcheck, the bytes of BMP and JPEG headers, a PDF made by
// img2pdf and rendered back by pdftoppm), the resolution patches, CRC-32
// and the 32-bit BMP conversion.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "campioni.h"
#include "qod/imaging/pagina.h"

namespace qod::img {
namespace {

namespace fs = std::filesystem;

bool Ha(const std::string& testo, const std::string& parte) { return testo.find(parte) != std::string::npos; }

// A page with a frame, rows of "text" and a coloured block, of the depth the
// type's canvas has.
Immagine Pagina(int bit, int w = 400, int h = 300) {
  Immagine im;
  EXPECT_TRUE(im.Crea(w, h, bit));
  im.Riempi(0, 0, w, 2, Nero);
  im.Riempi(0, 0, 2, h, Nero);
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 40; ++c)
      if ((r * 7 + c * 3) % 5) im.Riempi(20 + c * 9, 30 + r * 20, 6, 11, Nero);
  im.Riempi(300, 250, 60, 30, Colore{30, 90, 200});
  return im;
}

int Dpi_Fax_X(int codice) { return codice == 0 || codice == 10 ? 204 : codice == 5 || codice == 6 ? 300 : 200; }
int Dpi_Fax_Y(int codice) { return codice == 0 || codice == 10 ? 196 : Dpi_Fax_X(codice); }

uint32_t Le32(const std::vector<uint8_t>& b, size_t p) {
  return b[p] | (uint32_t(b[p + 1]) << 8) | (uint32_t(b[p + 2]) << 16) | (uint32_t(b[p + 3]) << 24);
}

TEST(Tipi, TabellaDeiCodici) {
  const char* est[] = {".TIF", ".TIF", ".TIF", ".BMP", ".BMP", ".JPG", ".JPG", ".PNG", ".PNG", ".PNG", ".TIF"};
  const int bit[] = {1, 1, 24, 1, 24, 24, 24, 1, 24, 24, 1};
  const int compr[] = {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5};
  for (int c = 0; c <= 10; ++c) {
    const Tipo_Immagine* t = Tipo_Immagine_Da_Codice(c);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(Estensione_Tipo(c), est[c]);
    EXPECT_EQ(t->bit_tela, bit[c]) << c;
    EXPECT_EQ(t->compressione, compr[c]) << c;
    EXPECT_EQ(t->grigio, c == 5 || c == 8) << c;
    EXPECT_EQ(t->multipagina, c <= 2 || c == 10) << c;
  }
  EXPECT_STREQ(Tipo_Immagine_Da_Codice(10)->etichetta, "A=TIF G4");
  EXPECT_STREQ(Tipo_Immagine_Da_Codice(1)->etichetta, "1=TIF bianco e nero");
  EXPECT_EQ(Tipo_Immagine_Da_Codice(11), nullptr);
  EXPECT_EQ(Tipo_Immagine_Da_Codice(-1), nullptr);
  EXPECT_EQ(Estensione_Tipo(11), "");
}

TEST(Tipi, RigheDelleOpzioni) {
  struct Caso {
    int codice, rx, ry, righe;
    bool otti;
    int qual, atte;
    const char* atteso;
  };
  const Caso casi[] = {
      {0, 204, 196, 2292, false, 0, 0,
       "EXTENSION = TIF\rTIFF_FILLORDER = 2\rTIFF_XRES = 204\rTIFF_YRES = 196\rTIFF_ROWSPERSTRIP = 2292"},
      {0, 204, 196, 0, false, 0, 0, "EXTENSION = TIF\rTIFF_FILLORDER = 2\rTIFF_XRES = 204\rTIFF_YRES = 196"},
      {10, 204, 196, 64, false, 0, 0, "EXTENSION = TIF\rTIFF_XRES = 204\rTIFF_YRES = 196\rTIFF_ROWSPERSTRIP = 64"},
      {1, 96, 72, 64, false, 0, 0, "EXTENSION = TIF\rTIFF_XRES = 096\rTIFF_YRES = 072"},
      {2, 300, 300, 0, false, 0, 0, "EXTENSION = TIF\rTIFF_XRES = 300\rTIFF_YRES = 300"},
      {3, 200, 200, 0, false, 0, 0, "EXTENSION = BMP"},
      {4, 200, 200, 0, false, 0, 0, "EXTENSION = BMP"},
      {5, 200, 200, 0, true, 9, 60, "EXTENSION = JPG\rJPEG_OPTIMIZE_CODING = ON\rLOSSY_QUALITY = 009\rJPEG_SMOOTHING = 060"},
      {6, 200, 200, 0, false, 100, 0, "EXTENSION = JPG\rJPEG_OPTIMIZE_CODING = OFF\rLOSSY_QUALITY = 100\rJPEG_SMOOTHING = 000"},
      {7, 200, 200, 0, false, 0, 0, "EXTENSION = PNG"},
      {8, 200, 200, 0, false, 0, 0, "EXTENSION = PNG"},
      {9, 200, 200, 0, false, 0, 0, "EXTENSION = PNG"},
      {11, 200, 200, 0, false, 0, 0, ""},
  };
  for (const auto& c : casi)
    EXPECT_EQ(Opzioni_Tipo(c.codice, c.rx, c.ry, c.righe, c.otti, c.qual, c.atte), c.atteso) << c.codice;
}

class Undici_Tipi : public ::testing::TestWithParam<int> {};

// One page per type, with the checks an independent reader makes, and the
// page read back (lossless types pixel for pixel).
TEST_P(Undici_Tipi, SalvataConLaRisoluzioneChiesta) {
  const int codice = GetParam();
  const Tipo_Immagine* t = Tipo_Immagine_Da_Codice(codice);
  const qod::prova::Cartella_Prova cartella("tipo_" + std::to_string(codice));
  const fs::path dir = cartella.Dir();
  const fs::path f = dir / ("pagina" + Estensione_Tipo(codice));
  Immagine tela = Pagina(t->bit_tela);
  Pagina_Salvataggio p;
  p.codice = codice;
  p.res_x = Dpi_Fax_X(codice);
  p.res_y = Dpi_Fax_Y(codice);
  p.jpg_qualita = 90;
  std::string motivo;
  ASSERT_EQ(Pagina_Salva(tela, f, p, &motivo), "") << motivo;
  // The canvas the generator saved (grey for 5 and 8).
  EXPECT_EQ(tela.Bit(), t->grigio ? 8 : t->bit_tela);
  const auto byte = prova::Leggi_Byte(f);
  std::string uscita;
  switch (t->formato) {
    case Formato::TIFF: {
      ASSERT_EQ(prova::Esegui("tiffinfo -s '" + f.string() + "'", &uscita), 0) << uscita;
      EXPECT_EQ(byte[0], 'I');  // little-endian
      EXPECT_TRUE(Ha(uscita, codice == 0    ? "Compression Scheme: CCITT Group 3"
                             : codice == 10 ? "Compression Scheme: CCITT Group 4"
                                            : "Compression Scheme: None"))
          << uscita;
      EXPECT_TRUE(Ha(uscita, codice == 0 ? "FillOrder: lsb-to-msb" : "FillOrder: msb-to-lsb")) << uscita;
      EXPECT_TRUE(Ha(uscita, codice == 0 || codice == 10 ? "Resolution: 204, 196 pixels/inch"
                                                         : "Resolution: 200, 200 pixels/inch"))
          << uscita;
      EXPECT_TRUE(Ha(uscita, codice == 2 ? "Photometric Interpretation: RGB color"
                             : codice == 1 ? "Photometric Interpretation: min-is-black"
                                           : "Photometric Interpretation: min-is-white"))
          << uscita;
      EXPECT_TRUE(Ha(uscita, "Rows/Strip: 300")) << uscita;
      EXPECT_TRUE(Ha(uscita, "1 Strips:")) << uscita;
      break;
    }
    case Formato::PNG: {
      ASSERT_EQ(prova::Esegui("pngcheck -v '" + f.string() + "'", &uscita), 0) << uscita;
      EXPECT_TRUE(std::regex_search(uscita, std::regex("chunk IHDR at offset 0x0000c, length 13\n.*\n"
                                                       "  chunk pHYs at offset 0x00025, length 9: "
                                                       "7860x7860 pixels/meter \\(200 dpi\\)")))
          << uscita;
      EXPECT_TRUE(Ha(uscita, codice == 7 ? "1-bit grayscale" : codice == 8 ? "8-bit grayscale" : "24-bit RGB"));
      EXPECT_TRUE(Ha(uscita, "non-interlaced"));
      // The same save without the patch is 21 bytes shorter.
      Immagine copia = tela;
      ASSERT_TRUE(Salva(copia, dir / "senza.png", {0, false, "EXTENSION = PNG"}));
      EXPECT_EQ(fs::file_size(f), fs::file_size(dir / "senza.png") + 21);
      break;
    }
    case Formato::BMP:
      ASSERT_GE(byte.size(), 54u);
      EXPECT_EQ(Le32(byte, 14), 40u);
      EXPECT_EQ(byte[28], codice == 3 ? 1 : 24);
      EXPECT_EQ(Le32(byte, 38), 7860u);
      EXPECT_EQ(Le32(byte, 42), 7860u);
      break;
    case Formato::JPEG:
      ASSERT_GE(byte.size(), 18u);
      EXPECT_EQ(std::vector<int>(byte.begin() + 13, byte.begin() + 18), (std::vector<int>{1, 1, 44, 1, 44}));
      break;
    default: FAIL();
  }
  Immagine letta;
  const Esito e = Carica(f, letta);
  ASSERT_TRUE(e) << e.motivo;
  ASSERT_EQ(letta.Larghezza(), tela.Larghezza());
  ASSERT_EQ(letta.Altezza(), tela.Altezza());
  EXPECT_EQ(letta.Dpi_X(), p.res_x);
  EXPECT_EQ(letta.Dpi_Y(), p.res_y);
  EXPECT_EQ(letta.Bit(), tela.Bit());
  int diversi = 0;
  for (int y = 0; y < tela.Altezza(); ++y)
    for (int x = 0; x < tela.Larghezza(); ++x) {
      const Colore a = tela.Pixel(x, y), b = letta.Pixel(x, y);
      if (t->formato == Formato::JPEG) diversi += std::abs(a.r - b.r) > 64 || std::abs(a.b - b.b) > 64;
      else diversi += !(a == b);
    }
  EXPECT_EQ(diversi, 0);
}

INSTANTIATE_TEST_SUITE_P(Codici, Undici_Tipi, ::testing::Range(0, 11));

TEST(Pagina_Salva, RigheDelleStrisceEAggiuntaDiPagine) {
  const qod::prova::Cartella_Prova cartella("strisce");
  const fs::path dir = cartella.Dir();
  const fs::path f = dir / "doc.tif";
  Pagina_Salvataggio p;
  p.codice = 0;
  p.res_x = 204;
  p.res_y = 196;
  p.righe_strip = 100;
  Immagine tela = Pagina(1);
  ASSERT_EQ(Pagina_Salva(tela, f, p), "");
  std::string uscita;
  ASSERT_EQ(prova::Esegui("tiffinfo -s '" + f.string() + "'", &uscita), 0);
  EXPECT_TRUE(Ha(uscita, "Rows/Strip: 100")) << uscita;
  EXPECT_TRUE(Ha(uscita, "3 Strips:")) << uscita;
  // The append setting adds pages for the TIFF codes only.
  p.tif_multipagina = true;
  for (int codice : {0, 1, 10}) {
    p.codice = codice;
    Immagine altra = Pagina(1);
    ASSERT_EQ(Pagina_Salva(altra, f, p), "");
  }
  EXPECT_EQ(Conta_Immagini(f), 4);
  ASSERT_EQ(prova::Esegui("tiffinfo '" + f.string() + "'", &uscita), 0);
  size_t directory = 0;
  for (size_t i = uscita.find("TIFF Directory at offset"); i != std::string::npos;
       i = uscita.find("TIFF Directory at offset", i + 1))
    ++directory;
  EXPECT_EQ(directory, 4u) << uscita;
  const fs::path b = dir / "doc.bmp";
  p.codice = 3;
  ASSERT_EQ(Pagina_Salva(tela, b, p), "");
  ASSERT_EQ(Pagina_Salva(tela, b, p), "");
  EXPECT_EQ(Conta_Immagini(b), 1);
  // A failed save gives the save message.
  std::string motivo;
  EXPECT_EQ(Pagina_Salva(tela, dir / "manca" / "x.tif", p, &motivo), "Errore nel salvataggio");
  EXPECT_FALSE(motivo.empty());
  p.codice = 12;
  EXPECT_EQ(Pagina_Salva(tela, dir / "y.tif", p), "Errore nel salvataggio");
}

// The bit sense of 1-bit files is the one PDF readers show right: a PDF
// made from the file (the G4 data is embedded as it stands) renders back to
// the page's own pixels.
TEST(Pagina_Salva, UnBitAttraversoUnPdf) {
  std::string uscita;
  if (prova::Esegui("command -v img2pdf && command -v pdftoppm", &uscita) != 0) GTEST_SKIP() << "img2pdf missing";
  const qod::prova::Cartella_Prova cartella("pdf");
  const fs::path dir = cartella.Dir();
  Immagine tela = Pagina(1);
  ASSERT_TRUE(tela.Ruota(27000, Bianco));  // a landscape page turned as the generator does
  struct Caso {
    const char* nome;
    int compressione;
    const char* opzioni;
    int dpi;  // of the image in the PDF (img2pdf takes 96 when the file has none)
  };
  for (const Caso& c : {Caso{"g4.tif", 5, "EXTENSION = TIF\rTIFF_XRES = 200\rTIFF_YRES = 200", 200},
                        Caso{"bn.tif", 0, "EXTENSION = TIF\rTIFF_XRES = 200\rTIFF_YRES = 200", 200},
                        Caso{"bn.png", 0, "EXTENSION = PNG", 96}}) {
    const fs::path f = dir / c.nome;
    ASSERT_TRUE(Salva(tela, f, {c.compressione, false, c.opzioni}));
    const fs::path pdf = dir / (std::string(c.nome) + ".pdf");
    ASSERT_EQ(prova::Esegui("img2pdf --output '" + pdf.string() + "' '" + f.string() + "'", &uscita), 0) << uscita;
    const std::string base = (dir / c.nome).string() + "_resa";
    // Rendered at four times the image's resolution; each page pixel is read
    // at the centre of its 4 x 4 block, away from the smoothed edges.
    constexpr int k = 4;
    ASSERT_EQ(prova::Esegui("pdftoppm -gray -r " + std::to_string(k * c.dpi) + " -singlefile '" + pdf.string() +
                                "' '" + base + "'",
                            &uscita),
              0)
        << uscita;
    Immagine resa;
    const auto pgm = prova::Leggi_Byte(base + ".pgm");
    // P5 header: "P5\n<w> <h>\n255\n".
    const std::string testa(pgm.begin(), pgm.begin() + std::min<size_t>(pgm.size(), 32));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(testa, m, std::regex("^P5\\s+(\\d+)\\s+(\\d+)\\s+255\\s")));
    const int rw = std::stoi(m[1]), rh = std::stoi(m[2]);
    ASSERT_EQ(rw, k * tela.Larghezza());
    ASSERT_EQ(rh, k * tela.Altezza());
    const size_t inizio = static_cast<size_t>(m[0].length());
    ASSERT_EQ(pgm.size(), inizio + static_cast<size_t>(rw) * rh);
    int diversi = 0;
    for (int y = 0; y < tela.Altezza(); ++y)
      for (int x = 0; x < tela.Larghezza(); ++x) {
        const bool nero_pdf = pgm[inizio + static_cast<size_t>(k * y + k / 2) * rw + k * x + k / 2] < 128;
        diversi += nero_pdf != (tela.Pixel(x, y) == Nero);
      }
    EXPECT_EQ(diversi, 0) << c.nome;
  }
}

TEST(Risoluzione, CrcEPixelPerMetro) {
  const std::string iend = "IEND", nove = "123456789";
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(iend.data()), 4), 0xAE426082u);
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(nove.data()), 9), 0xCBF43926u);
  // In two pieces.
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(nove.data()) + 4, 5,
                  Crc32(reinterpret_cast<const uint8_t*>(nove.data()), 4)),
            0xCBF43926u);
  EXPECT_EQ(Pixel_Per_Metro(200), 7860u);
  EXPECT_EQ(Pixel_Per_Metro(300), 11790u);
  EXPECT_EQ(Pixel_Per_Metro(204), 8017u);
  EXPECT_EQ(Pixel_Per_Metro(0), 0u);
}

TEST(Risoluzione, FileSbagliatiRestanoComErano) {
  const qod::prova::Cartella_Prova cartella("patch");
  const fs::path dir = cartella.Dir();
  const auto png = prova::Campione_Di("png_rgb8").dati;
  const auto bmp = prova::Campione_Di("bmp24").dati;
  const auto jpg = prova::Campione_Di("jpg_rgb").dati;
  struct Caso {
    std::vector<uint8_t> dati;
    bool (*patch)(const fs::path&, int, int);
  };
  std::vector<uint8_t> png_corto(png.begin(), png.end() - 12);  // no IEND
  std::vector<uint8_t> png_lungo = png;
  png_lungo[33] = 0x7F;  // the first IDAT claims a huge length
  std::vector<uint8_t> jpg_senza_jfif = jpg;
  jpg_senza_jfif[3] = 0xE1;
  const Caso casi[] = {{png_corto, Risoluzione_Png}, {png_lungo, Risoluzione_Png}, {bmp, Risoluzione_Png},
                       {jpg, Risoluzione_Bmp}, {std::vector<uint8_t>(bmp.begin(), bmp.begin() + 30), Risoluzione_Bmp},
                       {jpg_senza_jfif, Risoluzione_Jpeg}, {png, Risoluzione_Jpeg}, {{}, Risoluzione_Png}};
  int k = 0;
  for (const auto& c : casi) {
    const fs::path f = dir / ("f" + std::to_string(k++));
    prova::Scrivi_Byte(f, c.dati);
    EXPECT_FALSE(c.patch(f, 200, 200)) << k;
    EXPECT_EQ(prova::Leggi_Byte(f), c.dati) << k;
  }
  EXPECT_FALSE(Risoluzione_Png(dir / "manca.png", 200, 200));
  EXPECT_FALSE(Risoluzione_Jpeg(dir / "f5", 70000, 200));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), k);
}

TEST(Risoluzione, UnPhysGiaPresenteVieneSostituito) {
  const qod::prova::Cartella_Prova cartella("phys");
  const fs::path dir = cartella.Dir();
  const fs::path f = dir / "a.png";
  prova::Scrivi_Byte(f, prova::Campione_Di("png_rgb8").dati);
  ASSERT_TRUE(Risoluzione_Png(f, 300, 300));
  ASSERT_TRUE(Risoluzione_Png(f, 200, 100));
  std::string uscita;
  ASSERT_EQ(prova::Esegui("pngcheck -v '" + f.string() + "'", &uscita), 0) << uscita;
  const std::string phys = "chunk pHYs";
  EXPECT_EQ(uscita.find(phys), uscita.rfind(phys)) << uscita;
  EXPECT_TRUE(Ha(uscita, "7860x3930 pixels/meter")) << uscita;
  Immagine l;
  ASSERT_TRUE(Carica(f, l));
  EXPECT_EQ(l.Dpi_X(), 200);
  EXPECT_EQ(l.Dpi_Y(), 100);
}

TEST(Bmp32, CopiaA24BitNellaCartellaTemporanea) {
  const qod::prova::Cartella_Prova cartella("bmp32");
  const fs::path dir = cartella.Dir();
  const fs::path tmp = dir / "tmp";
  fs::create_directories(tmp);
  for (const char* nome : {"bmp32", "bmp32_v5_campi_alto"}) {
    const auto& c = prova::Campione_Di(nome);
    const fs::path f = dir / (std::string(nome) + ".bmp");
    prova::Scrivi_Byte(f, c.dati);
    const fs::path copia = Bmp32_Converti(f, tmp);
    ASSERT_FALSE(copia.empty()) << nome;
    EXPECT_EQ(copia.parent_path(), tmp);
    const auto b = prova::Leggi_Byte(copia);
    ASSERT_GE(b.size(), 54u);
    EXPECT_EQ(Le32(b, 10), 54u);
    EXPECT_EQ(Le32(b, 14), 40u);
    EXPECT_EQ(b[28], 24);
    EXPECT_GT(static_cast<int32_t>(Le32(b, 22)), 0);
    EXPECT_EQ(Le32(b, 2), b.size());
    Immagine l;
    ASSERT_TRUE(Carica(copia, l));
    EXPECT_EQ(l.Bit(), 24);
    for (int y = 0; y < c.altezza; ++y)
      for (int x = 0; x < c.larghezza; ++x)
        ASSERT_EQ(l.Pixel(x, y), c.pixel[static_cast<size_t>(y) * c.larghezza + x]) << nome << " " << x << "," << y;
    fs::remove(copia);
  }
  // Nothing was written beside the sources, and other files give no name.
  prova::Scrivi_Byte(dir / "b24.bmp", prova::Campione_Di("bmp24").dati);
  EXPECT_TRUE(Bmp32_Converti(dir / "b24.bmp", tmp).empty());
  EXPECT_TRUE(Bmp32_Converti(dir / "manca.bmp", tmp).empty());
  auto corto = prova::Campione_Di("bmp32").dati;
  corto.resize(corto.size() - 10);
  prova::Scrivi_Byte(dir / "corto.bmp", corto);
  EXPECT_TRUE(Bmp32_Converti(dir / "corto.bmp", tmp).empty());
  EXPECT_TRUE(fs::is_empty(tmp));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
}

}  // namespace
}  // namespace qod::img
