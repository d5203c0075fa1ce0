// PNG and TIFF page images: the object headers, and the matrix of image
// kinds rendered back by an independent reader.
#include <tiffio.h>

#include <functional>

#include "immagini_fixture.h"
#include "pdf_test_util.h"
#include "qod/imaging/file.h"
#include "qod/imaging/pagina.h"
#include "qod/pdf/qod_pdf.h"
#include "qod/pdf/x_pdf.h"

using namespace qod;
using namespace qod::pdf;
using namespace qod::pdf::test;

namespace {

// The object of image "I" in a one-image document made from `file`.
std::string Oggetto_Immagine(const Cartella& dir, const std::string& file, bool tiff, bool* caricato = nullptr) {
  std::string nome = dir / "img.pdf";
  X_PDF pdf;
  pdf.InitPDFFile(nome);
  bool ok = tiff ? pdf.LoadImgFromTIFFile("I", file) : pdf.LoadImgFromPNGFile("I", file);
  if (caricato) *caricato = ok;
  pdf.ClosePDFFile();
  std::string dati = Leggi_File(nome);
  EXPECT_TRUE(Qpdf_Ok(nome));
  size_t s = dati.find("6 0 obj\n");
  size_t e = dati.find("endobj\n", s);
  return s == std::string::npos ? "" : dati.substr(s, e + 7 - s);
}

std::string Dati_Idat(const std::string& png) {
  std::string r;
  for (size_t p = 8; p + 12 <= png.size();) {
    uint32_t len = uint32_t(uint8_t(png[p])) << 24 | uint8_t(png[p + 1]) << 16 | uint8_t(png[p + 2]) << 8 |
                   uint8_t(png[p + 3]);
    if (png.compare(p + 4, 4, "IDAT") == 0) r += png.substr(p + 8, len);
    p += 12 + len;
  }
  return r;
}

int Conta_Idat(const std::string& png) {
  int n = 0;
  for (size_t p = 8; p + 12 <= png.size();) {
    uint32_t len = uint32_t(uint8_t(png[p])) << 24 | uint8_t(png[p + 1]) << 16 | uint8_t(png[p + 2]) << 8 |
                   uint8_t(png[p + 3]);
    n += png.compare(p + 4, 4, "IDAT") == 0;
    p += 12 + len;
  }
  return n;
}

}  // namespace

TEST(Png, ColourImageHeaderAndDataBackToBack) {
  Cartella dir("png");
  std::string file = dir / "rgb.png";
  Scrivi_Png(file, Campione::Motivo(40, 30, 24), {.tipo = 2, .profondita = 8});
  const int terzo = static_cast<int>(Dati_Idat(Leggi_File(file)).size() + 2) / 3;
  Scrivi_Png(file, Campione::Motivo(40, 30, 24), {.tipo = 2, .profondita = 8, .idat = terzo});
  std::string png = Leggi_File(file);
  ASSERT_EQ(Conta_Idat(png), 3);
  std::string idat = Dati_Idat(png);
  std::string oggetto = Oggetto_Immagine(dir, file, false);
  EXPECT_EQ(oggetto, "6 0 obj\n<<\n/Type /XObject\n/Subtype /Image\n/Name /I\n/Width 40\n/Height 30\n"
                     "/Filter /FlateDecode\n/DecodeParms\n<<\n/Predictor 15\n/Columns 40\n/Colors 3\n"
                     "/BitsPerComponent 8\n>>\n/BitsPerComponent 8\n/ColorSpace  /DeviceRGB\n/Length " +
                         std::to_string(idat.size()) + "\n>>\nstream\n" + idat + "\rendstream\nendobj\n");
}

TEST(Png, LargeChunksAndPaletteHeader) {
  Cartella dir("png");
  for (int dimensione : {32768, 65536}) {
    std::string file = dir / "grande.png";
    Campione c = Campione::Motivo(700, 500, 24);
    for (size_t i = 0; i < c.px.size(); ++i) c.px[i] = static_cast<uint8_t>(c.px[i] ^ (i * 2654435761u >> 13));
    Scrivi_Png(file, c, {.tipo = 2, .idat = dimensione});
    std::string idat = Dati_Idat(Leggi_File(file));
    ASSERT_GT(idat.size(), size_t(dimensione));
    std::string oggetto = Oggetto_Immagine(dir, file, false);
    EXPECT_NE(oggetto.find("/Length " + std::to_string(idat.size()) + "\n>>\nstream\n" + idat + "\rendstream\n"),
              std::string::npos);
  }
  std::string file = dir / "tav.png";
  Scrivi_Png(file, Campione::Motivo(16, 4, 1), {.tipo = 3, .profondita = 1, .bianco_zero = true});
  std::string oggetto = Oggetto_Immagine(dir, file, false);
  EXPECT_NE(oggetto.find("/Colors 1\n/BitsPerComponent 1\n>>\n/BitsPerComponent 1\n"
                         "/ColorSpace  [/Indexed /DeviceRGB 1 <FFFFFF000000>]\n"),
            std::string::npos)
      << oggetto;
}

TEST(Tiff, HeaderLinesByCompressionAndPhotometric) {
  Cartella dir("tiff");
  Campione c = Campione::Motivo(24, 10, 1);
  struct Caso {
    const char* nome;
    Opzioni_Tiff o;
    std::string righe;
  } casi[] = {
      {"g4 white is zero", {.compressione = 4, .fotometria = 0},
       "/Filter /CCITTFaxDecode\n/DecodeParms << /K -1 /Columns 24 /BlackIs1 false >>\n/BitsPerComponent 1\n"
       "/ColorSpace  /DeviceGray\n/Length "},
      {"g4 black is zero", {.compressione = 4, .fotometria = 1},
       "/Filter /CCITTFaxDecode\n/DecodeParms << /K -1 /Columns 24 /BlackIs1 true >>\n/BitsPerComponent 1\n"},
      {"g3 1-D", {.compressione = 3, .fotometria = 0},
       "/Filter /CCITTFaxDecode\n/DecodeParms << /K 0 /Columns 24 /BlackIs1 false >>\n"},
      {"g3 2-D", {.compressione = 3, .fotometria = 0, .g3_2d = true},
       "/Filter /CCITTFaxDecode\n/DecodeParms << /K 1 /Columns 24 /BlackIs1 false >>\n"},
      {"no compression, black is zero", {.compressione = 1, .fotometria = 1},
       "/Height 10\n/BitsPerComponent 1\n/ColorSpace  /DeviceGray\n/Length 30\n>>\nstream\n"},
      {"no compression, white is zero", {.compressione = 1, .fotometria = 0},
       "/Height 10\n/BitsPerComponent 1\n/ColorSpace  /DeviceGray\n/Decode [1 0]\n/Length 30\n>>\nstream\n"},
      {"lzw", {.compressione = 5, .fotometria = 1},
       "/Filter /LZWDecode\n/DecodeParms << /Columns 24 >>\n/BitsPerComponent 1\n/ColorSpace  /DeviceGray\n"},
  };
  for (const Caso& k : casi) {
    std::string file = dir / "t.tif";
    Scrivi_Tiff(file, c, k.o);
    std::string oggetto = Oggetto_Immagine(dir, file, true);
    EXPECT_NE(oggetto.find("/Name /I\n/Width 24\n/Height 10\n"), std::string::npos) << k.nome;
    EXPECT_NE(oggetto.find(k.righe), std::string::npos) << k.nome << "\n" << oggetto.substr(0, 400);
    EXPECT_NE(oggetto.find("\rendstream\nendobj\n"), std::string::npos) << k.nome;
  }
}

TEST(Tiff, StripsGoIntoOneStreamInOrder) {
  Cartella dir("tiff");
  Campione c = Campione::Motivo(24, 10, 1);
  std::string file = dir / "due.tif";
  Scrivi_Tiff(file, c, {.compressione = 1, .fotometria = 1, .righe_strip = 5});
  TIFF* t = TIFFOpen(file.c_str(), "r");
  ASSERT_EQ(TIFFNumberOfStrips(t), 2u);
  std::string dati;
  for (uint32_t s = 0; s < 2; ++s) {
    std::string strip(15, '\0');
    TIFFReadRawStrip(t, s, strip.data(), 15);
    dati += strip;
  }
  TIFFClose(t);
  std::string oggetto = Oggetto_Immagine(dir, file, true);
  EXPECT_NE(oggetto.find("/Length 30\n>>\nstream\n" + dati + "\rendstream\n"), std::string::npos);
  EXPECT_EQ(oggetto.find("/Filter"), std::string::npos);
}

// ---- Matrix: every kind of image through the control, rendered back ------

namespace {

struct Tipo {
  const char* nome;
  std::string file;  // name in the input folder
  std::function<void(const std::string&)> scrivi;
  Campione atteso;
  int tolleranza = 0;
};

void Verifica(const Cartella& dir, const Tipo& t) {
  SCOPED_TRACE(t.nome);
  t.scrivi(dir / t.file);
  Qod_PDF q;
  q.qodpdf_Dir = dir.Dir().string();
  q.qodpdf_Files = t.file;
  q.qodpdf_Out = dir / "out.pdf";
  q.qodpdf_Width = 21;
  q.qodpdf_Height = 29.7f;
  q.qodpdf_Elabora();
  ASSERT_FALSE(q.qodpdf_Error) << q.qodpdf_Status;
  EXPECT_TRUE(Qpdf_Ok(q.qodpdf_Out));
  Esito pdfinfo = Esegui({"pdfinfo", q.qodpdf_Out});
  EXPECT_EQ(pdfinfo.err, "");
  const std::string& info = pdfinfo.out;
  EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Page size:       595.27 x 841.88 pts (A4)"), std::string::npos) << info;
  std::string errori;
  Pnm r = Rendi_Campioni(q.qodpdf_Out, 1, t.atteso.w, t.atteso.h, t.atteso.bit != 24, &errori);
  EXPECT_EQ(errori, "");
  EXPECT_EQ(Differenza(t.atteso, r.larghezza, r.altezza, r.canali, r.pixel, t.tolleranza), 0.0);
  fs::rename(q.qodpdf_Out, dir / (std::string(t.file) + ".pdf"));
}

std::function<void(const std::string&)> Tiff_(const Campione& c, Opzioni_Tiff o) {
  return [c, o](const std::string& f) { Scrivi_Tiff(f, c, o); };
}
std::function<void(const std::string&)> Png_(const Campione& c, Opzioni_Png o) {
  return [c, o](const std::string& f) { Scrivi_Png(f, c, o); };
}

}  // namespace

TEST(Matrice, ImagesCopiedAsTheyStandRenderAsTheSource) {
  Cartella dir("matrice");
  const Campione b = Campione::Motivo(64, 48, 1), b61 = Campione::Motivo(61, 47, 1);
  const Campione g = Campione::Motivo(40, 30, 8), c = Campione::Motivo(40, 30, 24);
  const Opzioni_Png tav_alfa{.tipo = 3, .profondita = 8, .alfa_tavolozza = true};
  const Tipo tipi[] = {
      {"G4, white is zero", "g4.TIF", Tiff_(b, {.compressione = 4, .fotometria = 0}), b},
      {"G4, black is zero", "g4n.tif", Tiff_(b, {.compressione = 4, .fotometria = 1}), b},
      {"G4, odd width, no BitsPerSample", "g4_61.tif", Tiff_(b61, {.compressione = 4, .senza_bit = true}), b61},
      {"G4, big-endian", "g4mm.tif", Tiff_(b, {.compressione = 4, .big_endian = true}), b},
      {"G3 1-D, fill order 2", "g3fo2.tif", Tiff_(b, {.compressione = 3, .riempimento = 2}), b},
      {"G3 1-D, odd width", "g3_61.tif", Tiff_(b61, {.compressione = 3}), b61},
      {"G3 2-D", "g32d.tif", Tiff_(b, {.compressione = 3, .g3_2d = true}), b},
      {"G4, fill order 2", "g4fo2.tif", Tiff_(b, {.compressione = 4, .riempimento = 2}), b},
      {"1 bit, white is zero", "bn.tif", Tiff_(b61, {.compressione = 1, .fotometria = 0}), b61},
      {"1 bit, black is zero, strips", "bns.tif", Tiff_(b61, {.compressione = 1, .fotometria = 1, .righe_strip = 10}),
       b61},
      {"1 bit, fill order 2", "bnfo2.tif", Tiff_(b, {.compressione = 1, .fotometria = 0, .riempimento = 2}), b},
      {"grey, black is zero", "g8.tif", Tiff_(g, {.compressione = 1, .fotometria = 1, .righe_strip = 7}), g},
      {"grey, white is zero", "g8w.tif", Tiff_(g, {.compressione = 1, .fotometria = 0}), g},
      {"RGB", "rgb.tif", Tiff_(c, {.compressione = 1, .fotometria = 2}), c},
      {"RGB, big-endian, strips", "rgbmm.tif",
       Tiff_(c, {.compressione = 1, .fotometria = 2, .righe_strip = 4, .big_endian = true}), c},
      {"RGB, LZW", "rgblzw.tif", Tiff_(c, {.compressione = 5, .fotometria = 2}), c},
      {"1 bit, LZW, white is zero", "bnlzw.tif", Tiff_(b61, {.compressione = 5, .fotometria = 0}), b61},
      {"grey, LZW", "g8lzw.tif", Tiff_(g, {.compressione = 5, .fotometria = 1}), g},
      {"PNG 1 bit grey", "bn.PNG", Png_(b61, {.tipo = 0, .profondita = 1}), b61},
      {"PNG grey", "g8.png", Png_(g, {.tipo = 0, .profondita = 8}), g},
      {"PNG RGB", "rgb.png", Png_(c, {.tipo = 2}), c},
      {"PNG RGB, small chunks", "rgb_idat.png", Png_(c, {.tipo = 2, .idat = 100}), c},
      {"PNG palette 1 bit, index 0 white", "tav1.png", Png_(b, {.tipo = 3, .profondita = 1, .bianco_zero = true}), b},
      {"PNG palette 1 bit, index 0 black", "tav1n.png", Png_(b61, {.tipo = 3, .profondita = 1}), b61},
      {"PNG palette 8 bit", "tav8.png", Png_(g, {.tipo = 3, .profondita = 8}), g},
      {"PNG palette with alphas", "tav8a.png", Png_(g, tav_alfa), Atteso_Png(g, tav_alfa), 1},
  };
  for (const Tipo& t : tipi) Verifica(dir, t);
}

TEST(Matrice, ImagesThatNeedDecodingAreWrittenAgain) {
  Cartella dir("matrice");
  const Campione b = Campione::Motivo(64, 48, 1), b61 = Campione::Motivo(61, 47, 1);
  const Campione g = Campione::Motivo(40, 30, 8), c = Campione::Motivo(40, 30, 24);
  const Opzioni_Png alfa_g{.tipo = 4}, alfa_c{.tipo = 6};
  const Tipo tipi[] = {
      {"G4, several strips", "g4s.tif", Tiff_(b, {.compressione = 4, .righe_strip = 16}), b},
      {"G3 1-D, fill order 2, several strips", "g3s.tif",
       Tiff_(b61, {.compressione = 3, .riempimento = 2, .righe_strip = 10}), b61},
      {"G3 2-D, several strips, big-endian", "g32ds.tif",
       Tiff_(b, {.compressione = 3, .righe_strip = 7, .big_endian = true, .g3_2d = true}), b},
      {"LZW, several strips", "lzws.tif", Tiff_(c, {.compressione = 5, .fotometria = 2, .righe_strip = 8}), c},
      {"LZW with predictor", "lzwp.tif", Tiff_(g, {.compressione = 5, .fotometria = 1, .predittore = 2}), g},
      {"Deflate", "zip.tif", Tiff_(c, {.compressione = 8, .fotometria = 2}), c},
      {"PackBits 1 bit", "pb.tif", Tiff_(b61, {.compressione = 32773, .fotometria = 0}), b61},
      {"palette", "tav.tif", Tiff_(g, {.compressione = 1, .fotometria = 3}), g},
      {"RGB, planes", "planar.tif", Tiff_(c, {.compressione = 1, .fotometria = 2, .planare = 2}), c},
      {"JPEG", "jpeg.tif", Tiff_(c, {.compressione = 7, .fotometria = 2}), c, 40},
      {"PNG interlaced 1 bit", "int1.png", Png_(b61, {.tipo = 0, .profondita = 1, .interlacciato = true}), b61},
      {"PNG interlaced RGB", "intc.png", Png_(c, {.tipo = 2, .interlacciato = true}), c},
      {"PNG interlaced palette", "intt.png", Png_(b, {.tipo = 3, .profondita = 1, .interlacciato = true}), b},
      {"PNG grey and alpha", "ga.png", Png_(g, alfa_g), Atteso_Png(g, alfa_g), 1},
      {"PNG RGB and alpha", "ca.png", Png_(c, alfa_c), Atteso_Png(c, alfa_c), 1},
      {"PNG 16-bit grey", "g16.png", Png_(g, {.tipo = 0, .profondita = 16}), g},
      {"PNG 16-bit RGB", "c16.png", Png_(c, {.tipo = 2, .profondita = 16}), c},
  };
  for (const Tipo& t : tipi) Verifica(dir, t);
}

TEST(Matrice, PageImagesOfEveryTypeTheServerMakes) {
  Cartella dir("matrice");
  // A page with the pattern, as the image generator leaves its canvas.
  auto Tela = [](const Campione& c) {
    img::Immagine im;
    im.Crea(c.w, c.h, c.bit);
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        const uint8_t* p = c.at(x, y);
        im.Imposta_Pixel(x, y, c.bit == 24 ? img::Colore{p[0], p[1], p[2]} : img::Colore{p[0], p[0], p[0]});
      }
    return im;
  };
  const Campione b = Campione::Motivo(173, 130, 1), c = Campione::Motivo(90, 70, 24);
  Campione grigio = c;  // code 8: grey levels by luminance
  grigio.bit = 8;
  grigio.px.clear();
  for (size_t i = 0; i < c.px.size(); i += 3)
    grigio.px.push_back(static_cast<uint8_t>(img::Colore{c.px[i], c.px[i + 1], c.px[i + 2]}.Luminanza()));
  struct Caso {
    int codice;
    int righe_strip;
    const Campione* sorgente;
    const Campione* atteso;
    bool copiato;  // the data goes in as it stands
  } casi[] = {
      {0, 0, &b, &b, true},    {0, 32, &b, &b, false}, {1, 0, &b, &b, true},  {2, 0, &c, &c, true},
      {10, 0, &b, &b, true},   {10, 50, &b, &b, false}, {7, 0, &b, &b, true}, {8, 0, &c, &grigio, true},
      {9, 0, &c, &c, true},
  };
  for (const Caso& k : casi) {
    SCOPED_TRACE("Tipo_Immagine " + std::to_string(k.codice) + " rows per strip " + std::to_string(k.righe_strip));
    img::Immagine tela = Tela(*k.sorgente);
    std::string nome = "00001_I_00001_00001" + img::Estensione_Tipo(k.codice);
    img::Pagina_Salvataggio ps;
    ps.codice = k.codice;
    ps.res_x = k.codice == 0 || k.codice == 10 ? 204 : 200;
    ps.res_y = k.codice == 0 || k.codice == 10 ? 196 : 200;
    ps.righe_strip = k.righe_strip;
    ASSERT_EQ(img::Pagina_Salva(tela, dir.Dir() / nome, ps), "");
    Tipo t{"page", nome, [](const std::string&) {}, *k.atteso};
    Verifica(dir, t);
    std::string dati = Leggi_File(dir / (nome + ".pdf"));
    // Copied data keeps its own filter; decoded pages come back as Flate without predictor.
    const bool flate_semplice = dati.find("/Filter /FlateDecode\n/BitsPerComponent") != std::string::npos;
    EXPECT_EQ(!flate_semplice, k.copiato) << dati.substr(dati.find("/Subtype /Image"), 300);
  }
}
