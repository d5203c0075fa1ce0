// Images from pixel buffers and BMP files, ASCII85.
#include <random>

#include "bmp_fixture.h"
#include "pdf_test_util.h"
#include "qod/pdf/x_pdf.h"

using namespace qod;
using namespace qod::pdf;
using namespace qod::pdf::test;

namespace {

std::vector<uint8_t> Buffer(int w, int h, int bit, std::vector<uint8_t> dati) {
  std::vector<uint8_t> b(5 + dati.size());
  b[0] = static_cast<uint8_t>(w >> 8);
  b[1] = static_cast<uint8_t>(w & 255);
  b[2] = static_cast<uint8_t>(h >> 8);
  b[3] = static_cast<uint8_t>(h & 255);
  b[4] = static_cast<uint8_t>(bit);
  for (size_t i = 0; i < dati.size(); ++i) b[5 + i] = dati[i];
  return b;
}

// A document of one page of w x h points showing image "I" over the page.
std::string Pagina_Immagine(const std::string& nome, int w, int h, const std::function<void(X_PDF&)>& carica,
                            float altezza_segno = -1) {
  X_PDF pdf;
  pdf.ScaleMode(0);
  pdf.PaperWidth(static_cast<float>(w));
  pdf.PaperHeight(static_cast<float>(h));
  std::string n = nome;
  pdf.InitPDFFile(n);
  carica(pdf);
  pdf.StartPage();
  pdf.DrawImg("I", 0, altezza_segno < 0 ? 0 : static_cast<float>(h), static_cast<float>(w),
              altezza_segno * static_cast<float>(h));
  pdf.EndPage();
  pdf.ClosePDFFile();
  return Leggi_File(nome);
}

}  // namespace

TEST(Buffer, TwentyFourBitGreyAndColour) {
  Cartella dir("buffer");
  std::vector<uint8_t> rgb;
  for (int i = 0; i < 20; ++i) rgb.insert(rgb.end(), {uint8_t(10 * i), uint8_t(200 - 5 * i), uint8_t(255 - i)});
  auto buf = Buffer(10, 2, 24, rgb);

  std::string grigio = Pagina_Immagine(dir / "g.pdf", 10, 2, [&](X_PDF& p) { p.LoadImgFromBuffer("I", buf, "", 1); });
  std::string testa = "<<\n/Type /XObject\n/Subtype /Image\n/Name /I\n/Width 10\n/Height 2\n/BitsPerComponent 8\n";
  EXPECT_NE(grigio.find(testa + "/ColorSpace /DeviceGray\n/Length 20\n>>\nstream\n"), std::string::npos);
  std::string attesi;
  for (int i = 0; i < 20; ++i) {
    double v = 0.33 * (10 * i) + 0.59 * (200 - 5 * i) + 0.11 * (255 - i);
    attesi += static_cast<char>(std::min(255.0, std::nearbyint(v)));
  }
  EXPECT_NE(grigio.find("stream\n" + attesi + "\nendstream\n"), std::string::npos);
  EXPECT_TRUE(Qpdf_Ok(dir / "g.pdf"));

  std::string colore = Pagina_Immagine(dir / "c.pdf", 10, 2, [&](X_PDF& p) { p.LoadImgFromBuffer("I", buf, "", 0); });
  EXPECT_NE(colore.find(testa + "/ColorSpace /DeviceRGB\n/Length 60\n>>\nstream\n"), std::string::npos);
  EXPECT_TRUE(Qpdf_Ok(dir / "c.pdf"));
  std::string err;
  Pnm r = Rendi_Campioni(dir / "c.pdf", 1, 10, 2, false, &err);
  EXPECT_EQ(err, "");
  ASSERT_EQ(r.larghezza, 10);
  ASSERT_EQ(r.altezza, 2);
  for (int i = 0; i < 20; ++i) {
    const uint8_t* px = r.at(i % 10, i / 10);  // buffer rows in order, drawn upright with a negative height
    EXPECT_EQ(px[0], rgb[3 * i]) << i;
    EXPECT_EQ(px[1], rgb[3 * i + 1]) << i;
    EXPECT_EQ(px[2], rgb[3 * i + 2]) << i;
  }
}

TEST(Buffer, IndexedImageWithItsLookupTable) {
  Cartella dir("buffer");
  // 1 bit, 10 x 2: two bytes a row; index 0 white, 1 red.
  auto buf = Buffer(10, 2, 1, {0xAA, 0x80, 0x55, 0x40});
  const std::string tavolozza = std::string("\xFF\xFF\xFF\xFF\x00\x00", 6);
  std::string dati =
      Pagina_Immagine(dir / "i.pdf", 10, 2, [&](X_PDF& p) { p.LoadImgFromBuffer("I", buf, tavolozza, 0); });
  std::string copia = tavolozza;
  std::string a85 = X_PDF::Ascii85Encode(copia) + "~>";
  EXPECT_NE(dati.find("/BitsPerComponent 1\n/ColorSpace [/Indexed /DeviceRGB 1 7 0 R]\n/Length 4\n>>\nstream\n"
                      "\xAA\x80\x55\x40\nendstream\nendobj\n7 0 obj\n<<\n/Filter /ASCII85Decode\n/Length " +
                      std::to_string(a85.size()) + "\n>>\nstream\n" + a85 + "\nendstream\nendobj\n"),
            std::string::npos);
  EXPECT_TRUE(Qpdf_Ok(dir / "i.pdf"));
  std::string err;
  Pnm r = Rendi_Campioni(dir / "i.pdf", 1, 10, 2, false, &err);
  EXPECT_EQ(err, "");
  ASSERT_EQ(r.larghezza, 10);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 10; ++x) {
      int byte = buf[5 + y * 2 + x / 8];
      bool uno = (byte >> (7 - x % 8)) & 1;
      EXPECT_EQ(r.at(x, y)[1], uno ? 0 : 255) << x << "," << y;
    }

  // Grey: the lookup table holds one grey level per entry; a short palette
  // is padded to the full table.
  auto buf4 = Buffer(2, 1, 4, {0x1F});
  std::string g = Pagina_Immagine(dir / "g4.pdf", 2, 1, [&](X_PDF& p) { p.LoadImgFromBuffer("I", buf4, "\x10\x20\x30", 1); });
  EXPECT_NE(g.find("/ColorSpace [/Indexed /DeviceGray 15 7 0 R]\n/Length 1\n"), std::string::npos);
  EXPECT_TRUE(Qpdf_Ok(dir / "g4.pdf"));
  Esito tab = Esegui({"qpdf", "--show-object=7", "--filtered-stream-data", dir / "g4.pdf"});
  ASSERT_EQ(tab.out.size(), 16u);
  EXPECT_EQ(static_cast<uint8_t>(tab.out[0]), 29);  // 0.33*16 + 0.59*32 + 0.11*48 = 29.44
  EXPECT_EQ(tab.out.substr(1), std::string(15, '\0'));
}

TEST(Buffer, BadBuffersAreRefused) {
  Cartella dir("buffer");
  std::string nome = dir / "x.pdf";
  X_PDF pdf;
  pdf.InitPDFFile(nome);
  EXPECT_THROW(pdf.LoadImgFromBuffer("I", {0, 1}, "", 0), std::invalid_argument);
  EXPECT_THROW(pdf.LoadImgFromBuffer("I", Buffer(4, 4, 24, {1, 2, 3}), "", 0), std::invalid_argument);
  EXPECT_THROW(pdf.LoadImgFromBuffer("I", Buffer(1, 1, 16, {1, 2}), "", 0), std::invalid_argument);
  EXPECT_THROW(pdf.LoadImgFromBuffer("I", Buffer(0, 1, 8, {1}), "", 0), std::invalid_argument);
  pdf.ClosePDFFile();
  EXPECT_EQ(Leggi_File(nome).find("/Subtype /Image"), std::string::npos);
  EXPECT_TRUE(Qpdf_Ok(nome));
}

TEST(Ascii85, KnownGroups) {
  struct Caso {
    std::string dati, atteso;
  } casi[] = {
      {"", ""},
      {std::string(4, '\0'), "z"},
      {std::string(3, '\0'), "!!!!"},
      {std::string(8, '\0') + "a", "zz@/"},
      {"Man ", "9jqo^"},
      {"\xFF\xFF\xFF\xFF", "s8W-!"},
      {"Ma", "9jn"},
  };
  for (Caso& c : casi) {
    std::string d = c.dati;
    EXPECT_EQ(X_PDF::Ascii85Encode(d), c.atteso);
    EXPECT_TRUE(d.empty());
  }
}

TEST(Ascii85, RoundTripThroughQpdf) {
  Cartella dir("a85");
  std::mt19937 g(7);
  for (int n = 0; n <= 9; ++n) {
    std::string dati;
    for (int i = 0; i < n; ++i) dati += static_cast<char>(i % 3 == 0 ? 0 : g() & 255);
    std::string copia = dati;
    std::string flusso = X_PDF::Ascii85Encode(copia) + "~>";
    // A small PDF whose object 4 holds the encoded text.
    std::string corpo = "%PDF-1.3\n";
    std::vector<size_t> off;
    auto oggetto = [&](const std::string& t) {
      off.push_back(corpo.size());
      corpo += std::to_string(off.size()) + " 0 obj\n" + t + "\nendobj\n";
    };
    oggetto("<< /Type /Catalog /Pages 2 0 R >>");
    oggetto("<< /Type /Pages /Count 1 /Kids [3 0 R] >>");
    oggetto("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>");
    oggetto("<< /Filter /ASCII85Decode /Length " + std::to_string(flusso.size()) + " >>\nstream\n" + flusso +
            "\nendstream");
    size_t xref = corpo.size();
    corpo += "xref\n0 5\n0000000000 65535 f\r\n";
    for (size_t o : off) {
      char r[24];
      std::snprintf(r, sizeof r, "%010zu 00000 n\r\n", o);
      corpo += r;
    }
    corpo += "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    std::string nome = dir / ("a" + std::to_string(n) + ".pdf");
    Scrivi_File(nome, corpo);
    Esito e = Esegui({"qpdf", "--show-object=4", "--filtered-stream-data", nome});
    EXPECT_EQ(e.rc, 0) << e.err;
    EXPECT_EQ(e.err, "") << n;
    EXPECT_EQ(e.out, dati) << n;
  }
}

TEST(Bmp, ReaderFillsBufferAndPalette) {
  Cartella dir("bmp");
  X_PDF pdf;
  struct Caso {
    const char* nome;
    Bmp bmp;
    size_t riga_buffer;
    size_t voci;
  } casi[] = {
      {"w2480", Bmp{2480, 1, 24}, 7440, 0},
      {"w33_1bit", Bmp{33, 3, 1}, 5, 2},
      {"w5_24bit", Bmp{5, 2, 24}, 15, 0},
      {"w7_4bit", Bmp{7, 2, 4, 40, 3}, 4, 16},
      {"w9_8bit_v5", Bmp{9, 2, 8, 124}, 9, 256},
  };
  for (Caso& c : casi) {
    std::string file = dir / (std::string(c.nome) + ".bmp");
    Scrivi_File(file, c.bmp.Bytes());
    std::vector<uint8_t> buf;
    std::string tav;
    ASSERT_TRUE(pdf.LeggeBMP(file, buf, tav)) << c.nome;
    EXPECT_EQ(buf[0], c.bmp.w / 256);
    EXPECT_EQ(buf[1], c.bmp.w % 256);
    EXPECT_EQ(buf[2], c.bmp.h / 256);
    EXPECT_EQ(buf[3], c.bmp.h % 256);
    EXPECT_EQ(buf[4], c.bmp.bit);
    ASSERT_EQ(buf.size(), 5 + c.riga_buffer * c.bmp.h) << c.nome;
    EXPECT_EQ(tav.size(), c.voci * 3) << c.nome;
    for (size_t i = 0; i < c.voci; ++i) {  // palette as R, G, B
      EXPECT_EQ(static_cast<uint8_t>(tav[3 * i]), c.bmp.Colore(i)[2]) << c.nome;
      EXPECT_EQ(static_cast<uint8_t>(tav[3 * i + 2]), c.bmp.Colore(i)[0]) << c.nome;
    }
    // Rows in file order without padding; 24-bit pixels as R, G, B.
    for (int y = 0; y < c.bmp.h; ++y)
      for (size_t k = 0; k < c.riga_buffer; ++k) {
        size_t s = c.bmp.bit == 24 ? (k / 3) * 3 + 2 - k % 3 : k;
        ASSERT_EQ(buf[5 + y * c.riga_buffer + k], c.bmp.Pixel(y, s)) << c.nome << " " << y << " " << k;
      }
  }
  EXPECT_EQ(casi[1].bmp.Stride(), 8u);
  EXPECT_EQ(casi[2].bmp.Stride(), 16u);
}

TEST(Bmp, ImageFromBmpFileRendersUpright) {
  Cartella dir("bmp");
  Bmp bmp{6, 4, 24};
  std::string file = dir / "c.bmp";
  Scrivi_File(file, bmp.Bytes());
  // A file's rows come bottom first, so a positive height draws it upright.
  std::string nome = dir / "bmp.pdf";
  Pagina_Immagine(nome, 6, 4, [&](X_PDF& p) { EXPECT_TRUE(p.LoadImgFromBMPFile("I", file)); }, 1);
  EXPECT_TRUE(Qpdf_Ok(nome));
  std::string err;
  Pnm r = Rendi_Campioni(nome, 1, 6, 4, false, &err);
  EXPECT_EQ(err, "");
  ASSERT_EQ(r.larghezza, 6);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      int riga_file = 3 - y;  // bottom-up file
      EXPECT_EQ(r.at(x, y)[0], bmp.Pixel(riga_file, 3 * x + 2));
      EXPECT_EQ(r.at(x, y)[2], bmp.Pixel(riga_file, 3 * x));
    }
}
