// Image files: every loader against samples written by the format libraries
// themselves, multi-image files, and what the writers write read back.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "campioni.h"
#include "formati.h"
#include "qod/imaging/file.h"

namespace qod::img {
namespace {

namespace fs = std::filesystem;
using prova::Campione;

class Caricamento : public ::testing::TestWithParam<std::string> {};

TEST_P(Caricamento, PixelDimensioniProfonditaERisoluzione) {
  const Campione& c = prova::Campione_Di(GetParam());
  Immagine im;
  Info_File info;
  const Esito e = Carica_Memoria(c.dati.data(), c.dati.size(), im, 1, &info);
  ASSERT_TRUE(e) << e.motivo;
  EXPECT_EQ(info.formato, c.formato);
  EXPECT_EQ(info.immagini, c.immagini);
  ASSERT_EQ(im.Larghezza(), c.larghezza);
  ASSERT_EQ(im.Altezza(), c.altezza);
  EXPECT_EQ(im.Bit(), c.bit);
  EXPECT_EQ(im.Dpi_X(), c.dpi_x);
  EXPECT_EQ(im.Dpi_Y(), c.dpi_y);
  if (im.Bit() == 1) {
    EXPECT_LE(im.Tavolozza()[0].Luminanza(), im.Tavolozza()[1].Luminanza());
  }
  int peggiore = 0;
  for (int y = 0; y < c.altezza; ++y)
    for (int x = 0; x < c.larghezza; ++x) {
      const Colore a = c.pixel[static_cast<size_t>(y) * c.larghezza + x], p = im.Pixel(x, y);
      const int d = std::max({std::abs(a.r - p.r), std::abs(a.g - p.g), std::abs(a.b - p.b)});
      peggiore = std::max(peggiore, d);
      if (c.tolleranza == 0) {
        ASSERT_EQ(p, a) << "x " << x << " y " << y;
      }
    }
  EXPECT_LE(peggiore, c.tolleranza);
}

std::vector<std::string> Nomi() {
  std::vector<std::string> n;
  for (const auto& c : prova::Campioni()) n.push_back(c.nome);
  return n;
}

INSTANTIATE_TEST_SUITE_P(Campioni, Caricamento, ::testing::ValuesIn(Nomi()),
                         [](const ::testing::TestParamInfo<std::string>& i) { return i.param; });

TEST(Caricamento_Multiplo, ConteggioESceltaDelleImmagini) {
  const qod::prova::Cartella_Prova cartella("multiplo");
  const fs::path dir = cartella.Dir();
  const fs::path f = dir / "tre.tif";
  prova::Scrivi_Byte(f, prova::Campione_Di("tif_tre_pagine").dati);
  EXPECT_EQ(Conta_Immagini(f), 3);
  Immagine im;
  ASSERT_TRUE(Carica(f, im, 2));
  EXPECT_EQ(im.Bit(), 24);
  EXPECT_EQ(im.Pixel(5, 7), prova::Motivo_Colore(5, 7));
  ASSERT_TRUE(Carica(f, im, 3));
  EXPECT_EQ(im.Larghezza(), 20);
  EXPECT_EQ(im.Altezza(), 10);
  EXPECT_EQ(im.Pixel(3, 4), (Colore{34, 34, 34}));
  Info_File info;
  EXPECT_FALSE(Carica(f, im, 4, &info));
  EXPECT_TRUE(im.Vuota());
  EXPECT_EQ(info.immagini, 3);
  EXPECT_FALSE(Carica(f, im, 0));
  // Other formats hold one image.
  prova::Scrivi_Byte(dir / "a.png", prova::Campione_Di("png_rgb8").dati);
  EXPECT_EQ(Conta_Immagini(dir / "a.png"), 1);
  EXPECT_FALSE(Carica(dir / "a.png", im, 2));
  EXPECT_EQ(Conta_Immagini(dir / "manca.tif"), 0);
  EXPECT_FALSE(Carica(dir / "manca.tif", im));
  EXPECT_FALSE(Carica(dir, im));
}

// A file kept open follows the file on disk: replaced (renamed over, as the
// layer saves), rewritten in place or cut short, its next load reads what
// is there now; gone, the load fails.
TEST(Caricamento_Multiplo, UnFileApertoSegueIlDisco) {
  const qod::prova::Cartella_Prova cartella("aperto");
  const fs::path dir = cartella.Dir();
  const fs::path f = dir / "tre.tif";
  const auto& tre = prova::Campione_Di("tif_tre_pagine").dati;
  prova::Scrivi_Byte(f, tre);
  File_Aperto a;
  ASSERT_TRUE(a.Apri(f));
  EXPECT_EQ(a.Info().immagini, 3);
  EXPECT_TRUE(a.Invariato());
  Immagine im;
  ASSERT_TRUE(a.Carica(3, im));
  EXPECT_EQ(im.Pixel(3, 4), (Colore{34, 34, 34}));
  ASSERT_TRUE(a.Carica(2, im));
  EXPECT_EQ(im.Pixel(5, 7), prova::Motivo_Colore(5, 7));
  EXPECT_FALSE(a.Carica(4, im));
  EXPECT_TRUE(im.Vuota());
  ASSERT_TRUE(a.Carica(1, im));  // a refused image leaves the file readable

  // Replaced by a one-page file of the same name.
  Immagine pagina;
  ASSERT_TRUE(pagina.Crea(30, 20, 1));
  pagina.Riempi(Nero);
  ASSERT_TRUE(Salva(pagina, f, {5, false, "EXTENSION = TIF"}));
  EXPECT_FALSE(a.Invariato());
  ASSERT_TRUE(a.Carica(1, im));
  EXPECT_EQ(im.Larghezza(), 30);
  EXPECT_EQ(im.Pixel(0, 0), Nero);
  EXPECT_FALSE(a.Carica(2, im));
  EXPECT_EQ(a.Info().immagini, 1);

  // Rewritten in place with the three pages, then cut short in place.
  prova::Scrivi_Byte(f, tre);
  ASSERT_TRUE(a.Carica(2, im));
  EXPECT_EQ(im.Pixel(5, 7), prova::Motivo_Colore(5, 7));
  prova::Scrivi_Byte(f, std::vector<uint8_t>(tre.begin(), tre.begin() + static_cast<std::ptrdiff_t>(tre.size() / 2)));
  EXPECT_FALSE(a.Carica(3, im));
  EXPECT_TRUE(im.Vuota());
  EXPECT_FALSE(a.Aperto());

  // Other formats, and a file gone.
  prova::Scrivi_Byte(dir / "a.png", prova::Campione_Di("png_rgb8").dati);
  ASSERT_TRUE(a.Apri(dir / "a.png"));
  EXPECT_EQ(a.Info().formato, Formato::PNG);
  ASSERT_TRUE(a.Carica(1, im));
  EXPECT_FALSE(a.Carica(2, im));
  fs::remove(dir / "a.png");
  EXPECT_FALSE(a.Invariato());
  EXPECT_FALSE(a.Carica(1, im));
  EXPECT_FALSE(a.Apri(dir / "a.png"));
  EXPECT_FALSE(a.Apri(dir));
}

// The block a TIFF file is read through holds the file's bytes wherever they
// were made ready since the last Rilascia and zeros elsewhere, whatever the
// order and overlap of the runs asked for; only what is made ready can be
// written over. What it holds is counted in whole pages and runs of pages,
// and kept within what Limita allows.
TEST(Blocco, TieneCioCheEStatoPreparatoEBasta) {
  const size_t pagina = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t pagine = 48, n = pagine * pagina - 100;  // the last page cut short
  std::vector<uint8_t> d(n);
  for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(1 + (i * 7 + i / 4093) % 254);  // never 0 or 0xFF
  Sorgente_Copia s(d.data(), d.size());
  ASSERT_TRUE(s.Pronta());
  std::vector<bool> pronta(pagine, false);
  const std::vector<uint8_t> zeri(pagina);
  std::mt19937 caso(7);
  for (int k = 0; k < 3000; ++k) {
    if (caso() % 8 == 0) {
      s.Rilascia();
      pronta.assign(pagine, false);
    } else {
      const uint64_t off = caso() % n, quanti = 1 + caso() % std::min<uint64_t>(n - off, 6 * pagina);
      uint64_t nuove = 0;
      for (uint64_t p = off / pagina; p <= (off + quanti - 1) / pagina; ++p) nuove += !pronta[p];
      ASSERT_EQ(s.Costo(off, quanti), nuove ? nuove * pagina + Sorgente_Blocco::kCosto_Tratto : 0);
      ASSERT_TRUE(s.Prepara(off, quanti));
      for (uint64_t p = off / pagina; p <= (off + quanti - 1) / pagina; ++p) pronta[p] = true;
    }
    uint64_t piene = 0, tratti = 0;
    for (size_t p = 0; p < pagine; ++p) {
      piene += pronta[p];
      tratti += pronta[p] && (p == 0 || !pronta[p - 1]);
      const size_t da = p * pagina, quanti = std::min(n, da + pagina) - da;
      const uint8_t* atteso = pronta[p] ? d.data() + da : zeri.data();
      ASSERT_EQ(std::memcmp(s.Base() + da, atteso, quanti), 0) << "page " << p << " after step " << k;
    }
    ASSERT_EQ(s.Tenuto(), piene * pagina + tratti * Sorgente_Blocco::kCosto_Tratto) << "after step " << k;
  }
  EXPECT_FALSE(s.Prepara(n - 10, 11));  // past the end
  EXPECT_FALSE(s.Oltre());

  // Written over: a page made ready, not one let go nor one not read.
  Sorgente_Copia r(d.data(), d.size());
  ASSERT_TRUE(r.Prepara(pagina + 5, 10));
  const uint8_t ff[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_TRUE(r.Riscrivi(pagina + 8, ff, 4));
  EXPECT_EQ(r.Base()[pagina + 9], 0xFF);
  EXPECT_NE(d[pagina + 9], 0xFF);  // the data stays as it is
  EXPECT_FALSE(r.Riscrivi(5 * pagina, ff, 4));
  r.Rilascia();
  EXPECT_FALSE(r.Riscrivi(pagina + 8, ff, 4));
  EXPECT_EQ(r.Base()[pagina + 9], 0);

  // A byte costs its page: one page and a run allowed, a second refused
  // without being read, a page already there still taken.
  r.Limita(pagina + Sorgente_Blocco::kCosto_Tratto);
  ASSERT_TRUE(r.Prepara(2 * pagina, 1));
  EXPECT_FALSE(r.Prepara(10 * pagina, 1));
  EXPECT_TRUE(r.Oltre());
  EXPECT_EQ(r.Base()[10 * pagina], 0);
  EXPECT_TRUE(r.Prepara(2 * pagina + 7, 100));
  r.Rilascia();  // and the bound goes with it
  EXPECT_FALSE(r.Oltre());
  EXPECT_EQ(r.Tenuto(), 0u);
  EXPECT_TRUE(r.Prepara(0, 20 * pagina));
}

// ---- Writing and reading back ---------------------------------------------------

Immagine Prova(int bit, bool liscio = false) {
  Immagine im;
  EXPECT_TRUE(im.Crea(45, 31, bit));
  if (bit == 4 || bit == 8) {
    std::vector<Colore> t;
    for (int i = 0; i < (1 << bit); ++i) t.push_back({uint8_t(i * 13), uint8_t(255 - i), uint8_t(i * 7)});
    im.Imposta_Tavolozza(t);
  }
  for (int y = 0; y < im.Altezza(); ++y)
    for (int x = 0; x < im.Larghezza(); ++x)
      im.Imposta_Pixel(x, y, bit == 1 ? (prova::Motivo_Bit(x, y) ? Nero : Bianco)
                                      : bit <= 8 ? im.Tavolozza()[(x + 5 * y) % (1 << bit)]
                                      : liscio   ? Colore{uint8_t(x * 5), uint8_t(y * 8), 90}
                                                 : prova::Motivo_Colore(x, y));
  im.Imposta_Dpi(150, 75);
  return im;
}

struct Caso_Salva {
  std::string nome;
  int bit;
  std::string opzioni;
  int compressione;
  int bit_letti;
  bool esatto;
};

void PrintTo(const Caso_Salva& c, std::ostream* os) { *os << c.nome; }

class Salvataggio : public ::testing::TestWithParam<Caso_Salva> {};

TEST_P(Salvataggio, SiRileggeComeSalvato) {
  const auto& c = GetParam();
  const qod::prova::Cartella_Prova cartella("salva_" + c.nome);
  const fs::path dir = cartella.Dir();
  // Lossy files are checked on a smooth picture.
  const Immagine im = Prova(c.bit, !c.esatto);
  const fs::path f = dir / "pagina";
  const Esito e = Salva(im, f, {c.compressione, false, c.opzioni});
  ASSERT_TRUE(e) << e.motivo;
  Immagine letta;
  const Esito l = Carica(f, letta);
  ASSERT_TRUE(l) << l.motivo;
  EXPECT_EQ(letta.Bit(), c.bit_letti);
  ASSERT_EQ(letta.Larghezza(), im.Larghezza());
  ASSERT_EQ(letta.Altezza(), im.Altezza());
  int peggiore = 0;
  for (int y = 0; y < im.Altezza(); ++y)
    for (int x = 0; x < im.Larghezza(); ++x) {
      Colore a = im.Pixel(x, y);
      const Colore b = letta.Pixel(x, y);
      if (c.bit_letti == 1 && c.bit != 1) a = a.Luminanza() >= 128 ? Bianco : Nero;  // made black and white
      if (c.esatto || c.bit_letti == 1) {
        ASSERT_EQ(a, b) << x << "," << y;
      }
      peggiore = std::max({peggiore, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }
  EXPECT_LE(peggiore, 40);
  // Only the finished file is left in the folder.
  int file = 0;
  for (const auto& v : fs::directory_iterator(dir)) file += v.is_regular_file();
  EXPECT_EQ(file, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Formati, Salvataggio,
    ::testing::Values(Caso_Salva{"tif1_none", 1, "EXTENSION = TIF", 0, 1, true},
                      Caso_Salva{"tif1_g3_ordine2", 1, "EXTENSION = TIF\rTIFF_FILLORDER = 2", 4, 1, true},
                      Caso_Salva{"tif1_g4_strisce", 1, "EXTENSION = TIF\rTIFF_ROWSPERSTRIP = 7", 5, 1, true},
                      Caso_Salva{"tif4", 4, "EXTENSION = TIF", 0, 4, true},
                      Caso_Salva{"tif8", 8, "EXTENSION = TIF", 0, 8, true},
                      Caso_Salva{"tif24", 24, "EXTENSION = TIF", 0, 24, true},
                      Caso_Salva{"tif32", 32, "EXTENSION = TIF", 0, 24, true},
                      Caso_Salva{"tif24_g4", 24, "EXTENSION = TIF", 5, 1, false},
                      Caso_Salva{"bmp1", 1, "EXTENSION = BMP", 0, 1, true},
                      Caso_Salva{"bmp4", 4, "EXTENSION = BMP", 0, 4, true},
                      Caso_Salva{"bmp8", 8, "EXTENSION = BMP", 0, 8, true},
                      Caso_Salva{"bmp24", 24, "EXTENSION = BMP", 0, 24, true},
                      Caso_Salva{"bmp32", 32, "EXTENSION = BMP", 0, 24, true},
                      Caso_Salva{"png1", 1, "EXTENSION = PNG", 0, 1, true},
                      Caso_Salva{"png4", 4, "EXTENSION = PNG", 0, 4, true},
                      Caso_Salva{"png8", 8, "EXTENSION = PNG", 0, 8, true},
                      Caso_Salva{"png24", 24, "EXTENSION = PNG", 0, 24, true},
                      Caso_Salva{"png32", 32, "EXTENSION = PNG", 0, 24, true},
                      Caso_Salva{"jpg24", 24, "EXTENSION = JPG\rLOSSY_QUALITY = 095", 0, 24, false},
                      Caso_Salva{"jpg1", 1, "EXTENSION = JPG\rLOSSY_QUALITY = 100", 0, 8, false},
                      Caso_Salva{"jpg_lf", 24, "EXTENSION = JPG\nJPEG_OPTIMIZE_CODING = ON\nJPEG_SMOOTHING = 010", 0, 24,
                                 false}),
    [](const ::testing::TestParamInfo<Caso_Salva>& i) { return i.param.nome; });

TEST(Salvataggio_Grigi, GrigiComeGrigi) {
  // An 8-bit grey image stays grey in every format (one channel in JPEG and
  // PNG, min-is-black in TIFF).
  const qod::prova::Cartella_Prova cartella("grigi");
  const fs::path dir = cartella.Dir();
  Immagine g = Prova(24);
  g.Converti_Grigio();
  for (const char* est : {"TIF", "PNG", "BMP", "JPG"}) {
    const fs::path f = dir / (std::string("g.") + est);
    ASSERT_TRUE(Salva(g, f, {0, false, std::string("EXTENSION = ") + est}));
    Immagine l;
    ASSERT_TRUE(Carica(f, l));
    EXPECT_EQ(l.Bit(), 8) << est;
    EXPECT_TRUE(l.Tavolozza_Grigia()) << est;
  }
}

TEST(Salvataggio_Risoluzione, DallOpzioneODallImmagine) {
  const qod::prova::Cartella_Prova cartella("risoluzione");
  const fs::path dir = cartella.Dir();
  Immagine im = Prova(1);
  Immagine l;
  ASSERT_TRUE(Salva(im, dir / "a.tif", {5, false, "EXTENSION = TIF\rTIFF_XRES = 204\rTIFF_YRES = 196"}));
  ASSERT_TRUE(Carica(dir / "a.tif", l));
  EXPECT_EQ(l.Dpi_X(), 204);
  EXPECT_EQ(l.Dpi_Y(), 196);
  ASSERT_TRUE(Salva(im, dir / "b.tif", {0, false, "EXTENSION = TIF"}));
  ASSERT_TRUE(Carica(dir / "b.tif", l));
  EXPECT_EQ(l.Dpi_X(), 150);
  EXPECT_EQ(l.Dpi_Y(), 75);
  for (const char* est : {"BMP", "JPG"}) {
    const fs::path f = dir / (std::string("c.") + est);
    ASSERT_TRUE(Salva(im, f, {0, false, std::string("EXTENSION = ") + est}));
    ASSERT_TRUE(Carica(f, l));
    EXPECT_EQ(l.Dpi_X(), 150) << est;
    EXPECT_EQ(l.Dpi_Y(), 75) << est;
  }
  // PNG carries no resolution of its own.
  ASSERT_TRUE(Salva(im, dir / "d.png", {0, false, "EXTENSION = PNG"}));
  ASSERT_TRUE(Carica(dir / "d.png", l));
  EXPECT_EQ(l.Dpi_X(), 0);
}

TEST(Salvataggio_Errori, FormatoCompressioneEImmagine) {
  const qod::prova::Cartella_Prova cartella("errori");
  const fs::path dir = cartella.Dir();
  const Immagine im = Prova(1);
  EXPECT_FALSE(Salva(im, dir / "senza_estensione", {0, false, ""}));
  EXPECT_FALSE(Salva(im, dir / "a.png", {4, false, "EXTENSION = PNG"}));
  EXPECT_FALSE(Salva(im, dir / "a.tif", {7, false, "EXTENSION = TIF"}));
  EXPECT_FALSE(Salva(Immagine(), dir / "a.tif", {0, false, "EXTENSION = TIF"}));
  EXPECT_FALSE(Salva(im, dir / "manca" / "a.tif", {0, false, "EXTENSION = TIF"}));
  EXPECT_TRUE(fs::is_empty(dir));
  // Without the EXTENSION line the file name's extension decides.
  ASSERT_TRUE(Salva(im, dir / "b.Png", {0, false, ""}));
  EXPECT_EQ(Formato_File(dir / "b.Png"), Formato::PNG);
}

// ---- Pages of a TIFF file ---------------------------------------------------------

TEST(Tiff_Pagine, AccodareDaDueDirectory) {
  const qod::prova::Cartella_Prova cartella("accoda");
  const fs::path dir = cartella.Dir();
  const fs::path f = dir / "doc.tif";
  const Immagine p1 = Prova(1);
  Immagine p2 = Prova(1);
  p2.Inverti();
  ASSERT_TRUE(Salva(p1, f, {5, true, "EXTENSION = TIF"}));  // no file yet: a new one
  ASSERT_TRUE(Salva(p2, f, {5, true, "EXTENSION = TIF"}));
  EXPECT_EQ(Conta_Immagini(f), 2);
  Immagine l;
  ASSERT_TRUE(Carica(f, l, 2));
  EXPECT_EQ(l.Pixel(0, 0), p2.Pixel(0, 0));
  ASSERT_TRUE(Carica(f, l, 1));
  EXPECT_EQ(l.Pixel(0, 0), p1.Pixel(0, 0));
  // Without the append setting the file is replaced.
  ASSERT_TRUE(Salva(p2, f, {5, false, "EXTENSION = TIF"}));
  EXPECT_EQ(Conta_Immagini(f), 1);
}

TEST(Tiff_Pagine, UnAccodareFallitoLasciaIlFileComEra) {
  const qod::prova::Cartella_Prova cartella("accoda_fallito");
  const fs::path dir = cartella.Dir();
  const fs::path f = dir / "doc.tif";
  ASSERT_TRUE(Salva(Prova(1), f, {4, false, "EXTENSION = TIF\rTIFF_FILLORDER = 2"}));
  ASSERT_TRUE(Salva(Prova(24), f, {0, true, "EXTENSION = TIF"}));
  const auto prima = prova::Leggi_Byte(f);
  // Fails after the copy is made and the new page begun.
  EXPECT_FALSE(Salva(Prova(24), f, {9, true, "EXTENSION = TIF"}));
  EXPECT_EQ(prova::Leggi_Byte(f), prima);
  // A damaged file receives no page.
  auto rotto = prima;
  rotto.resize(rotto.size() / 2);
  prova::Scrivi_Byte(f, rotto);
  EXPECT_FALSE(Salva(Prova(1), f, {5, true, "EXTENSION = TIF"}));
  EXPECT_EQ(prova::Leggi_Byte(f), rotto);
  // Neither does a file of another format.
  prova::Scrivi_Byte(f, prova::Campione_Di("png_rgb8").dati);
  EXPECT_FALSE(Salva(Prova(1), f, {5, true, "EXTENSION = TIF"}));
  EXPECT_EQ(prova::Leggi_Byte(f), prova::Campione_Di("png_rgb8").dati);
  int file = 0;
  for (const auto& v : fs::directory_iterator(dir)) file += v.is_regular_file();
  EXPECT_EQ(file, 1);
}

TEST(Tiff_Pagine, SostituireUnaPaginaTieneLeAltre) {
  const qod::prova::Cartella_Prova cartella("sostituisci");
  const fs::path dir = cartella.Dir();
  const fs::path f = dir / "tre.tif";
  const auto& c = prova::Campione_Di("tif_tre_pagine");
  prova::Scrivi_Byte(f, c.dati);
  Immagine p1, p3;
  ASSERT_TRUE(Carica(f, p1, 1));
  ASSERT_TRUE(Carica(f, p3, 3));
  Immagine nuova = Prova(1);
  ASSERT_TRUE(nuova.Ruota(27000, Nero));
  const Esito e = Sostituisci_Pagina_Tiff(nuova, f, 2, {4, false, "EXTENSION = TIF\rTIFF_FILLORDER = 2\rTIFF_XRES = 204\rTIFF_YRES = 196"});
  ASSERT_TRUE(e) << e.motivo;
  EXPECT_EQ(Conta_Immagini(f), 3);
  Immagine l;
  for (int k : {1, 2, 3}) {
    ASSERT_TRUE(Carica(f, l, k));
    const Immagine& atteso = k == 1 ? p1 : k == 2 ? nuova : p3;
    ASSERT_EQ(l.Larghezza(), atteso.Larghezza());
    ASSERT_EQ(l.Bit(), atteso.Bit());
    for (int y = 0; y < l.Altezza(); ++y)
      for (int x = 0; x < l.Larghezza(); ++x) ASSERT_EQ(l.Pixel(x, y), atteso.Pixel(x, y)) << k;
  }
  EXPECT_EQ(l.Dpi_X(), 0);
  ASSERT_TRUE(Carica(f, l, 2));
  EXPECT_EQ(l.Dpi_X(), 204);
  EXPECT_FALSE(Sostituisci_Pagina_Tiff(nuova, f, 4, {0, false, ""}));
  EXPECT_EQ(Conta_Immagini(f), 3);
}

// The directories of a classic little-endian TIFF file as they are stored:
// for each, its tags with their type, count and bytes.
struct Voce_File {
  uint16_t tipo = 0;
  uint64_t conto = 0;
  std::vector<uint8_t> byte;
};
using Directory_File = std::map<uint16_t, Voce_File>;

std::vector<Directory_File> Directory_Del_File(const std::vector<uint8_t>& d) {
  auto u16 = [&](uint64_t o) { return static_cast<uint16_t>(d.at(o) | d.at(o + 1) << 8); };
  auto u32 = [&](uint64_t o) { return uint32_t{u16(o)} | uint32_t{u16(o + 2)} << 16; };
  static constexpr int kDim[19] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};
  std::vector<Directory_File> v;
  for (uint64_t off = u32(4); off != 0 && v.size() < 1000;) {
    const uint16_t n = u16(off);
    Directory_File dir;
    for (uint16_t i = 0; i < n; ++i) {
      const uint64_t e = off + 2 + 12 * uint64_t{i};
      Voce_File voce{u16(e + 2), u32(e + 4), {}};
      const uint64_t byte = voce.tipo < 19 ? voce.conto * kDim[voce.tipo] : 0;
      const uint64_t dove = byte <= 4 ? e + 8 : u32(e + 8);
      voce.byte.assign(d.begin() + static_cast<std::ptrdiff_t>(dove), d.begin() + static_cast<std::ptrdiff_t>(dove + byte));
      dir[u16(e)] = std::move(voce);
    }
    v.push_back(std::move(dir));
    off = u32(off + 2 + 12 * uint64_t{n});
  }
  return v;
}

// The image data of a directory: its strips, one after another.
std::vector<uint8_t> Strisce(const std::vector<uint8_t>& d, const Directory_File& dir) {
  std::vector<uint8_t> out;
  const Voce_File &dove = dir.at(273), &conti = dir.at(279);
  auto valore = [](const Voce_File& v, uint64_t k) {
    uint64_t x = 0;
    const int dim = v.tipo == 3 ? 2 : 4;
    for (int i = 0; i < dim; ++i) x |= uint64_t{v.byte[k * dim + i]} << (8 * i);
    return x;
  };
  for (uint64_t k = 0; k < dove.conto; ++k) {
    const auto a = d.begin() + static_cast<std::ptrdiff_t>(valore(dove, k));
    out.insert(out.end(), a, a + static_cast<std::ptrdiff_t>(valore(conti, k)));
  }
  return out;
}

// Two directories hold the same tags, of the same types, counts and values
// (rationals by the value of each fraction, as libtiff keeps them), and the
// same image data.
void Stesse_Voci(const std::vector<uint8_t>& da, const Directory_File& a, const std::vector<uint8_t>& in,
                 const Directory_File& b, const std::string& quale) {
  for (const auto& [tag, va] : a) {
    if (tag == 273 || tag == 279) continue;
    ASSERT_TRUE(b.count(tag)) << quale << ": tag " << tag << " lost";
    const Voce_File& vb = b.at(tag);
    ASSERT_EQ(vb.tipo, va.tipo) << quale << ": tag " << tag;
    ASSERT_EQ(vb.conto, va.conto) << quale << ": tag " << tag;
    if (va.tipo == 5 || va.tipo == 10) {
      for (uint64_t k = 0; k < va.conto; ++k) {
        auto frazione = [k](const Voce_File& v) {
          auto u = [&](uint64_t o) {
            uint32_t x = 0;
            for (int i = 0; i < 4; ++i) x |= uint32_t{v.byte[8 * k + o + i]} << (8 * i);
            return static_cast<double>(x);
          };
          return u(0) / u(4);
        };
        EXPECT_FLOAT_EQ(frazione(vb), frazione(va)) << quale << ": tag " << tag << " value " << k;
      }
    } else {
      ASSERT_TRUE(vb.byte == va.byte) << quale << ": tag " << tag << " changed";
    }
  }
  // libtiff writes the planar configuration it takes when there is none.
  for (const auto& [tag, vb] : b)
    EXPECT_TRUE(a.count(tag) || (tag == 284 && vb.byte == std::vector<uint8_t>{1, 0})) << quale << ": tag " << tag << " added";
  EXPECT_TRUE(Strisce(da, a) == Strisce(in, b)) << quale << ": image data changed";
}

// Private tags of every kind libtiff reads, made known to a file written.
const TIFFFieldInfo kTag_Privati[] = {
    {65000, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_LONG, FIELD_CUSTOM, 1, 1, const_cast<char*>("Lunghi")},
    {65001, 1, 1, TIFF_SHORT, FIELD_CUSTOM, 1, 0, const_cast<char*>("Corto")},
    {65002, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("Testo")},
    {65003, 2, 2, TIFF_RATIONAL, FIELD_CUSTOM, 1, 0, const_cast<char*>("Frazioni")},
    {65004, 1, 1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 0, const_cast<char*>("Doppio")},
    {65005, TIFF_VARIABLE2, TIFF_VARIABLE2, TIFF_UNDEFINED, FIELD_CUSTOM, 1, 1, const_cast<char*>("Byte")},
    {65006, 1, 1, TIFF_SSHORT, FIELD_CUSTOM, 1, 0, const_cast<char*>("Con_Segno")},
};

// A file of 50 pages of 16 x 16 pixels (8-bit uncompressed and 1-bit G4 in
// turn), each with a colour profile of 2 MB of its own and tags of every
// kind: the standard texts and values, and private ones. Replacing one
// page keeps every other page as it was: every tag, and its image data.
TEST(Tiff_Pagine, SostituireUnaPaginaTieneOgniTagDelleAltre) {
  const qod::prova::Cartella_Prova cartella("sostituisci_tag");
  const fs::path f = cartella.Dir() / "tag.tif";
  constexpr int kPagine = 50;
  {
    TIFF* t = TIFFOpen(f.c_str(), "wl");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(TIFFMergeFieldInfo(t, kTag_Privati, std::size(kTag_Privati)), 0);
    std::mt19937 caso(3);
    for (int p = 1; p <= kPagine; ++p) {
      const bool g4 = p % 2 == 0;
      TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 16);
      TIFFSetField(t, TIFFTAG_IMAGELENGTH, 16);
      TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, g4 ? 1 : 8);
      TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
      TIFFSetField(t, TIFFTAG_COMPRESSION, g4 ? COMPRESSION_CCITTFAX4 : COMPRESSION_NONE);
      TIFFSetField(t, TIFFTAG_PHOTOMETRIC, g4 ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
      TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 8);
      TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0);
      TIFFSetField(t, TIFFTAG_YRESOLUTION, 98.0);
      TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
      TIFFSetField(t, TIFFTAG_PAGENUMBER, p - 1, kPagine);
      TIFFSetField(t, TIFFTAG_SOFTWARE, "Prova");
      TIFFSetField(t, TIFFTAG_COPYRIGHT, ("Pagina " + std::to_string(p)).c_str());
      TIFFSetField(t, TIFFTAG_DATETIME, "2026:12:11 10:00:00");
      TIFFSetField(t, TIFFTAG_HALFTONEHINTS, 1, 254);
      if (!g4) {
        TIFFSetField(t, TIFFTAG_MINSAMPLEVALUE, 3);
        TIFFSetField(t, TIFFTAG_MAXSAMPLEVALUE, 250);
      }
      std::vector<uint8_t> profilo(2 << 20);
      for (auto& b : profilo) b = static_cast<uint8_t>(caso());
      TIFFSetField(t, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profilo.size()), profilo.data());
      const std::string xmp = "<x:xmpmeta pagina=\"" + std::to_string(p) + "\"/>";
      TIFFSetField(t, TIFFTAG_XMLPACKET, static_cast<uint32_t>(xmp.size()), xmp.data());
      const uint32_t lunghi[3] = {static_cast<uint32_t>(p), 70000, 4000000000u};
      TIFFSetField(t, 65000, 3u, lunghi);
      TIFFSetField(t, 65001, 1000 + p);
      TIFFSetField(t, 65002, "privato");
      const float frazioni[2] = {0.5f, 2.25f};
      TIFFSetField(t, 65003, frazioni);
      TIFFSetField(t, 65004, 3.25 * p);
      const uint8_t byte[5] = {1, 2, 3, 4, static_cast<uint8_t>(p)};
      TIFFSetField(t, 65005, 5u, byte);
      TIFFSetField(t, 65006, -p);
      for (uint32_t y = 0; y < 16; ++y) {
        uint8_t riga[16];
        for (uint32_t x = 0; x < 16; ++x) riga[x] = static_cast<uint8_t>(g4 ? ((x + y + p) % 3 ? 0 : 0xFF) : x * 13 + y + p);
        if (g4)
          for (uint32_t x = 0; x < 2; ++x) riga[x] = static_cast<uint8_t>(0x5A ^ (y * 17 + p));
        ASSERT_EQ(TIFFWriteScanline(t, riga, y, 0), 1);
      }
      ASSERT_TRUE(TIFFWriteDirectory(t));
    }
    TIFFClose(t);
  }
  const std::vector<uint8_t> prima = prova::Leggi_Byte(f);
  const auto dir_prima = Directory_Del_File(prima);
  ASSERT_EQ(dir_prima.size(), static_cast<size_t>(kPagine));
  ASSERT_EQ(dir_prima[0].at(34675).conto, 2u << 20);  // the profile, as written
  ASSERT_EQ(dir_prima[0].at(65000).tipo, TIFF_LONG);

  Immagine nuova = Prova(1);
  ASSERT_TRUE(Sostituisci_Pagina_Tiff(nuova, f, 25, {4, false, "EXTENSION = TIF\rTIFF_FILLORDER = 2"}));
  const std::vector<uint8_t> dopo = prova::Leggi_Byte(f);
  const auto dir_dopo = Directory_Del_File(dopo);
  ASSERT_EQ(dir_dopo.size(), static_cast<size_t>(kPagine));
  for (int p = 1; p <= kPagine; ++p) {
    if (p == 25) continue;
    Stesse_Voci(prima, dir_prima[p - 1], dopo, dir_dopo[p - 1], "page " + std::to_string(p));
    if (HasFatalFailure()) return;
  }
  EXPECT_FALSE(dir_dopo[24].count(34675));  // the new page is the image given
  Immagine l;
  ASSERT_TRUE(Carica(f, l, 25));
  ASSERT_EQ(l.Larghezza(), nuova.Larghezza());
  for (int y = 0; y < l.Altezza(); ++y)
    for (int x = 0; x < l.Larghezza(); ++x) ASSERT_EQ(l.Pixel(x, y), nuova.Pixel(x, y));
}

// Replacing a page in a file whose other page carries tags of 100 MB: the
// save reads each page it copies within the memory limit (256 MB), never the
// whole file, and takes at most the file's size and the limit. A page whose
// tags the limit cannot hold makes the save fail with a message naming the
// file and the reason, the file as it was; a page whose tags fit is copied
// with them.
TEST(Tiff_Pagine, IlSalvataggioDiUnaPaginaStaNelLimite) {
  struct Caso {
    int tag, sostituita;
    bool riesce;
  };
  for (const Caso c : {Caso{8, 2, false}, Caso{8, 1, true}, Caso{1, 2, true}}) {
    SCOPED_TRACE("tags " + std::to_string(c.tag) + ", page " + std::to_string(c.sostituita));
    const qod::prova::Cartella_Prova cartella("sostituisci_enormi");
    const fs::path f = cartella.Dir() / "grande.tif";
    prova::Scrivi_Tiff_Tag_Enormi(f, c.tag);
    const uint64_t impronta = prova::Impronta(f), dimensione = fs::file_size(f);
    Immagine altra;
    ASSERT_TRUE(Carica(f, altra, 3 - c.sostituita));
    Immagine nuova = Prova(8);
    const bool picco = prova::Azzera_Picco();
    const long prima = prova::Memoria_Kb("VmRSS:");
    const Esito e = Sostituisci_Pagina_Tiff(nuova, f, c.sostituita, {0, false, "EXTENSION = TIF"});
    const long memoria = prova::Memoria_Kb("VmHWM:") - prima;
    if (picco) {
      EXPECT_LT(memoria, static_cast<long>((dimensione + Limite_Memoria()) / 1024));
    }
    ASSERT_EQ(bool(e), c.riesce) << e.motivo;
    if (!e) {
      EXPECT_NE(e.motivo.find(f.string()), std::string::npos) << e.motivo;
      EXPECT_NE(e.motivo.find("the tags of image 1 take more memory than the limit"), std::string::npos) << e.motivo;
      EXPECT_EQ(prova::Impronta(f), impronta);
      EXPECT_EQ(std::distance(fs::directory_iterator(cartella.Dir()), fs::directory_iterator()), 1);
      continue;
    }
    ASSERT_EQ(Conta_Immagini(f), 2);
    Immagine l;
    ASSERT_TRUE(Carica(f, l, 3 - c.sostituita));
    for (int i = 0; i < 64; ++i) ASSERT_EQ(l.Pixel(i % 8, i / 8), altra.Pixel(i % 8, i / 8));
    if (c.sostituita == 2) {
      // The tag of 100 MB came along, all of it.
      const auto d = prova::Leggi_Byte(f);
      const auto dir = Directory_Del_File(d);
      ASSERT_TRUE(dir[0].count(65100));
      EXPECT_EQ(dir[0].at(65100).conto, 100'000'000u);
      EXPECT_TRUE(std::all_of(dir[0].at(65100).byte.begin(), dir[0].at(65100).byte.end(), [](uint8_t b) { return b == 0; }));
    }
  }
}

// ---- The temporary file of a save --------------------------------------------------

// Saves from several threads at once into one folder, each under names of
// its own and some onto the same name: every save succeeds, every file holds
// what its last save wrote, and no temporary file stays behind. A new file
// gets the usual permissions, a replaced one keeps its own.
TEST(Salvataggio_Temporaneo, SalvataggiInsiemeNellaStessaCartella) {
  const qod::prova::Cartella_Prova cartella("temporanei");
  const fs::path dir = cartella.Dir();
  constexpr int kFili = 6, kFile = 20;
  std::vector<std::thread> fili;
  std::atomic<int> falliti{0};
  for (int f = 0; f < kFili; ++f)
    fili.emplace_back([&, f] {
      Immagine im = Prova(1);
      for (int k = 0; k < kFile; ++k) {
        im.Imposta_Pixel(0, 0, (f + k) % 2 ? Nero : Bianco);
        const std::string nome = k % 5 == 0 ? "comune.tif" : "f" + std::to_string(f) + "_" + std::to_string(k) + ".tif";
        if (!Salva(im, dir / nome, {5, false, "EXTENSION = TIF"})) ++falliti;
      }
    });
  for (auto& t : fili) t.join();
  EXPECT_EQ(falliti, 0);
  int file = 0;
  for (const auto& v : fs::directory_iterator(dir)) {
    ++file;
    EXPECT_EQ(v.path().extension(), ".tif") << v.path();
    Immagine l;
    EXPECT_TRUE(Carica(v.path(), l)) << v.path();
  }
  EXPECT_EQ(file, kFili * (kFile - kFile / 5) + 1);
  Immagine l;
  ASSERT_TRUE(Carica(dir / "f3_6.tif", l));
  EXPECT_EQ(l.Pixel(0, 0), Nero);
  EXPECT_EQ(l.Pixel(1, 0), Prova(1).Pixel(1, 0));

  const mode_t maschera = ::umask(0);
  ::umask(maschera);
  EXPECT_EQ(fs::status(dir / "f0_1.tif").permissions(), static_cast<fs::perms>(0666 & ~maschera));
  fs::permissions(dir / "f0_1.tif", static_cast<fs::perms>(0640));
  ASSERT_TRUE(Salva(Prova(1), dir / "f0_1.tif", {5, false, "EXTENSION = TIF"}));
  EXPECT_EQ(fs::status(dir / "f0_1.tif").permissions(), static_cast<fs::perms>(0640));
}

}  // namespace
}  // namespace qod::img
