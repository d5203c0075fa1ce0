// Image files: every loader against samples written by the format libraries
// themselves, multi-image files, and what the writers write read back.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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
// were made ready (directories for good, the rest until Rilascia) and zeros
// elsewhere, whatever the order and overlap of the runs asked for; only
// what is kept can be written over.
TEST(Blocco, TieneCioCheEStatoPreparatoEBasta) {
  const size_t pagina = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  const size_t pagine = 48, n = pagine * pagina - 100;  // the last page cut short
  std::vector<uint8_t> d(n);
  for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(1 + (i * 7 + i / 4093) % 254);  // never 0 or 0xFF
  Sorgente_Copia s(d.data(), d.size());
  ASSERT_TRUE(s.Pronta());
  enum Stato { Nulla, Dato, Tenuta };
  std::vector<Stato> stato(pagine, Nulla);
  const std::vector<uint8_t> zeri(pagina);
  std::mt19937 caso(7);
  for (int k = 0; k < 3000; ++k) {
    if (caso() % 8 == 0) {
      s.Rilascia();
      for (Stato& p : stato)
        if (p == Dato) p = Nulla;
    } else {
      const uint64_t off = caso() % n, quanti = 1 + caso() % std::min<uint64_t>(n - off, 6 * pagina);
      const bool tieni = caso() % 3 == 0;
      ASSERT_TRUE(s.Prepara(off, quanti, tieni));
      for (uint64_t p = off / pagina; p <= (off + quanti - 1) / pagina; ++p)
        stato[p] = tieni ? Tenuta : (stato[p] == Nulla ? Dato : stato[p]);
    }
    for (size_t p = 0; p < pagine; ++p) {
      const size_t da = p * pagina, quanti = std::min(n, da + pagina) - da;
      const uint8_t* atteso = stato[p] == Nulla ? zeri.data() : d.data() + da;
      ASSERT_EQ(std::memcmp(s.Base() + da, atteso, quanti), 0) << "page " << p << " after step " << k;
    }
  }
  EXPECT_FALSE(s.Prepara(n - 10, 11, false));  // past the end
  // Written over: a page kept, not one read until Rilascia nor one not read.
  Sorgente_Copia r(d.data(), d.size());
  ASSERT_TRUE(r.Prepara(pagina + 5, 10, true));
  ASSERT_TRUE(r.Prepara(3 * pagina, 10, false));
  const uint8_t ff[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_TRUE(r.Riscrivi(pagina + 8, ff, 4));
  EXPECT_EQ(r.Base()[pagina + 9], 0xFF);
  EXPECT_NE(d[pagina + 9], 0xFF);  // the data stays as it is
  EXPECT_FALSE(r.Riscrivi(3 * pagina, ff, 4));
  EXPECT_FALSE(r.Riscrivi(5 * pagina, ff, 4));
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
