// TIFF page images read from their directory alone: which ones go into a
// PDF as they stand (the same ones the image writer copies), and their size
// and resolution exactly as the raster layer reads them; a document of
// image objects is whole for an independent reader.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "qod/imaging/file.h"
#include "qod/pdf/documento.h"
#include "qod/pdf/immagini.h"
#include "qod/prova/strumenti.h"

using namespace qod;
using namespace qod::pdf;

namespace {

constexpr int kW = 64, kH = 40;

// A 1-bit page image of kW x kH written with libtiff: each case sets its own
// tags on top of min-is-white, one strip.
void Scrivi_Tiff(const std::string& file, uint16_t compressione, const std::function<void(TIFF*)>& tag) {
  TIFF* t = TIFFOpen(file.c_str(), "w");
  ASSERT_NE(t, nullptr);
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t{kW});
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t{kH});
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t{1});
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t{1});
  TIFFSetField(t, TIFFTAG_COMPRESSION, compressione);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t{kH});
  if (tag) tag(t);
  std::vector<uint8_t> riga(kW / 8);
  for (uint32_t y = 0; y < kH; ++y) {
    for (size_t i = 0; i < riga.size(); ++i) riga[i] = static_cast<uint8_t>((y * 7 + i * 13) & 0xF0);
    ASSERT_EQ(TIFFWriteScanline(t, riga.data(), y, 0), 1);
  }
  TIFFClose(t);
}

auto Risoluzione(float x, float y, uint16_t unita) {
  return [=](TIFF* t) {
    TIFFSetField(t, TIFFTAG_XRESOLUTION, x);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, y);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, unita);
  };
}

// The image object the writer makes of the file, as text.
std::string Oggetto(const prova::Cartella_Prova& dir, const std::string& file) {
  const std::string pdf = dir / "uno.pdf";
  std::filesystem::remove(pdf);
  auto d = Documento_Pdf::Crea(pdf);
  EXPECT_TRUE(d);
  d->Riga("%PDF-1.3");
  d->Riserva(2);
  const int32_t n = Scrivi_Tiff(*d, "I", file);
  d->Inizia_Oggetto(2);
  d->Riga("<< /Type /Pages /Count 0 /Kids [ ] >>");
  d->Fine_Oggetto();
  d->Inizia_Oggetto(1);
  d->Riga("<< /Type /Catalog /Pages 2 0 R >>");
  d->Fine_Oggetto();
  d->Chiudi(0, 1, false);
  EXPECT_EQ(prova::Esegui("qpdf --check '" + pdf + "' >/dev/null 2>&1"), 0) << file;
  const std::string dati = prova::File_Leggi(pdf);
  const size_t s = dati.find(std::to_string(n) + " 0 obj\n");
  return n == 0 || s == std::string::npos ? std::string() : dati.substr(s, dati.find("endobj", s) - s);
}

TEST(Tiff_Diretta, TheImagesTheWriterCopiesAsTheyStandAreReadWithoutDecoding) {
  prova::Cartella_Prova dir("pdf_core");
  const struct {
    const char* caso;
    uint16_t compressione;
    std::function<void(TIFF*)> tag;
    bool diretta;
    const char* filtro;  // of the image object
    bool piastrelle = false;
  } casi[] = {
      {"G4", COMPRESSION_CCITTFAX4, {}, true, "/CCITTFaxDecode"},
      {"G4, bits from the low end", COMPRESSION_CCITTFAX4, [](TIFF* t) { TIFFSetField(t, TIFFTAG_FILLORDER, 2); },
       true, "/CCITTFaxDecode"},
      {"G3", COMPRESSION_CCITTFAX3, {}, true, "/CCITTFaxDecode"},
      {"uncompressed", COMPRESSION_NONE, {}, true, "/Decode [1 0]"},
      {"LZW", COMPRESSION_LZW, {}, true, "/LZWDecode"},
      {"G4 in strips of 8 rows", COMPRESSION_CCITTFAX4,
       [](TIFF* t) { TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t{8}); }, false, "/FlateDecode"},
      {"G4 in tiles", COMPRESSION_CCITTFAX4, {}, false, "/FlateDecode", true},
      {"Deflate", COMPRESSION_ADOBE_DEFLATE, {}, false, "/FlateDecode"},
  };
  for (const auto& c : casi) {
    const std::string file = dir / "pagina.tif";
    if (c.piastrelle) {
      TIFF* t = TIFFOpen(file.c_str(), "w");
      ASSERT_NE(t, nullptr);
      TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t{kW});
      TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t{kH});
      TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t{1});
      TIFFSetField(t, TIFFTAG_COMPRESSION, c.compressione);
      TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
      TIFFSetField(t, TIFFTAG_TILEWIDTH, uint32_t{16});
      TIFFSetField(t, TIFFTAG_TILELENGTH, uint32_t{16});
      std::vector<uint8_t> piastrella(static_cast<size_t>(TIFFTileSize(t)), 0x0F);
      for (uint32_t y = 0; y < kH; y += 16)
        for (uint32_t x = 0; x < kW; x += 16) ASSERT_GT(TIFFWriteTile(t, piastrella.data(), x, y, 0, 0), 0);
      TIFFClose(t);
    } else {
      Scrivi_Tiff(file, c.compressione, c.tag);
    }
    const auto d = Tiff_Senza_Decodifica(file);
    EXPECT_EQ(d.has_value(), c.diretta) << c.caso;
    const std::string oggetto = Oggetto(dir, file);
    EXPECT_EQ(oggetto.find("/FlateDecode") == std::string::npos, c.diretta) << c.caso << "\n" << oggetto;
    EXPECT_NE(oggetto.find(c.filtro), std::string::npos) << c.caso << "\n" << oggetto;
    if (d) {
      EXPECT_EQ(d->larghezza, uint32_t{kW}) << c.caso;
      EXPECT_EQ(d->altezza, uint32_t{kH}) << c.caso;
    }
  }
}

TEST(Tiff_Diretta, TheResolutionIsTheRasterLayers) {
  prova::Cartella_Prova dir("pdf_core");
  const struct {
    const char* caso;
    std::function<void(TIFF*)> tag;
    int dpi_x, dpi_y;
  } casi[] = {
      {"fax, inch", Risoluzione(204, 196, RESUNIT_INCH), 204, 196},
      {"centimetre", Risoluzione(80, 40, RESUNIT_CENTIMETER), 203, 102},
      {"a half, rounded to even", Risoluzione(200.5f, 201.5f, RESUNIT_INCH), 200, 202},
      {"no unit", Risoluzione(200, 200, RESUNIT_NONE), 0, 0},
      {"no unit tag: inch", [](TIFF* t) { TIFFSetField(t, TIFFTAG_XRESOLUTION, 300.0f); }, 300, 0},
      {"none", {}, 0, 0},
      {"zero", Risoluzione(0, 0, RESUNIT_INCH), 0, 0},
  };
  for (const auto& c : casi) {
    const std::string file = dir / "pagina.tif";
    Scrivi_Tiff(file, COMPRESSION_CCITTFAX4, c.tag);
    const auto d = Tiff_Senza_Decodifica(file);
    ASSERT_TRUE(d) << c.caso;
    img::Immagine im;
    ASSERT_TRUE(img::Carica(file, im).ok) << c.caso;
    EXPECT_EQ(d->dpi_x, im.Dpi_X()) << c.caso;
    EXPECT_EQ(d->dpi_y, im.Dpi_Y()) << c.caso;
    EXPECT_EQ(d->dpi_x, c.dpi_x) << c.caso;
    EXPECT_EQ(d->dpi_y, c.dpi_y) << c.caso;
  }
}

TEST(Tiff_Diretta, WhatIsNoTiffOfThatKindIsLeftToDecoding) {
  prova::Cartella_Prova dir("pdf_core");
  img::Immagine im;
  ASSERT_TRUE(im.Crea(kW, kH, 1));
  for (const char* estensione : {"PNG", "BMP"}) {
    const std::string file = dir / (std::string("pagina.") + estensione);
    ASSERT_TRUE(img::Salva(im, file, {0, false, std::string("EXTENSION = ") + estensione}).ok);
    EXPECT_FALSE(Tiff_Senza_Decodifica(file)) << estensione;
  }
  EXPECT_FALSE(Tiff_Senza_Decodifica(dir / "manca.tif"));
  // A strip that runs past the end of the file: nothing to read.
  const std::string tagliato = dir / "tagliato.tif";
  Scrivi_Tiff(tagliato, COMPRESSION_NONE, {});
  std::string dati = prova::File_Leggi(tagliato);
  ASSERT_TRUE(prova::File_Scrivi(tagliato, dati.substr(0, 8 + 40)));
  EXPECT_FALSE(Tiff_Senza_Decodifica(tagliato));
  // A resolution in a form the directory reader does not take (a float
  // value) is left to the raster layer.
  const std::string strano = dir / "strano.tif";
  Scrivi_Tiff(strano, COMPRESSION_CCITTFAX4, Risoluzione(200, 200, RESUNIT_INCH));
  dati = prova::File_Leggi(strano);
  // Tag 282 (XResolution), type RATIONAL (5) in the little-endian directory: made type FLOAT (11).
  const std::string voce("\x1a\x01\x05\x00", 4);
  const size_t p = dati.find(voce);
  ASSERT_NE(p, std::string::npos);
  dati[p + 2] = 11;
  ASSERT_TRUE(prova::File_Scrivi(strano, dati));
  EXPECT_FALSE(Tiff_Senza_Decodifica(strano));
}

}  // namespace
