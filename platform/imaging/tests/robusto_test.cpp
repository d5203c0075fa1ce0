// Bad files: every loader and file operation fed truncated and corrupted
// variants of each sample fails cleanly (or gives a sane image), never reads
// outside its data, never allocates past the cap. Run under AddressSanitizer
// and UndefinedBehaviorSanitizer by scripts/sanitize.sh.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "campioni.h"
#include "qod/imaging/file.h"
#include "qod/imaging/pagina.h"

namespace qod::img {
namespace {

namespace fs = std::filesystem;

class Limite_Ridotto : public ::testing::Environment {
 public:
  void SetUp() override { Imposta_Limite_Memoria(size_t{8} << 20); }
};
const auto* const g_ambiente = ::testing::AddGlobalTestEnvironment(new Limite_Ridotto);

// Loads every image the data may hold; a loaded image must be whole.
void Carica_Tutto(const std::vector<uint8_t>& d) {
  Immagine im;
  for (int k = 1; k <= 3; ++k) {
    Info_File info;
    const Esito e = Carica_Memoria(d.data(), d.size(), im, k, &info);
    if (e) {
      ASSERT_GE(im.Larghezza(), 1);
      ASSERT_GE(im.Altezza(), 1);
      uint64_t somma = 0;
      for (int y = 0; y < im.Altezza(); ++y) {
        const uint8_t* r = im.Riga(y);
        for (size_t i = 0; i < im.Byte_Riga(); ++i) somma += r[i];
      }
      (void)im.Pixel(im.Larghezza() - 1, im.Altezza() - 1);
      static volatile uint64_t pozzo = 0;
      pozzo = pozzo + somma;
    } else {
      ASSERT_TRUE(im.Vuota()) << e.motivo;
      ASSERT_FALSE(e.motivo.empty());
    }
    if (info.formato != Formato::TIFF || k >= info.immagini) break;
  }
}

std::vector<size_t> Posizioni(size_t n, size_t fitte) {
  std::vector<size_t> p;
  for (size_t i = 0; i < std::min(n, fitte); ++i) p.push_back(i);
  const size_t passo = std::max<size_t>(1, n / 97);
  for (size_t i = fitte; i < n; i += passo) p.push_back(i);
  if (n) p.push_back(n - 1);
  return p;
}

class Dati_Rovinati : public ::testing::TestWithParam<std::string> {};

TEST_P(Dati_Rovinati, TroncatiECorrotti) {
  const auto& c = prova::Campione_Di(GetParam());
  const auto& d = c.dati;
  // Cut at many lengths.
  for (size_t n : Posizioni(d.size(), 96)) {
    Carica_Tutto(std::vector<uint8_t>(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(n)));
    if (HasFatalFailure()) return;
  }
  // Single bytes overwritten.
  for (size_t p : Posizioni(d.size(), 160))
    for (uint8_t v : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x80}, uint8_t{0x7F}}) {
      auto r = d;
      r[p] = v;
      Carica_Tutto(r);
      if (HasFatalFailure()) return;
    }
  // Lengths, offsets, counts and sizes overwritten with large values.
  for (size_t p = 0; p + 4 <= std::min<size_t>(d.size(), 200); ++p)
    for (uint32_t v : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x00010000u, 0x00000100u}) {
      auto r = d;
      for (int i = 0; i < 4; ++i) r[p + i] = static_cast<uint8_t>(v >> (8 * i));
      Carica_Tutto(r);
      if (HasFatalFailure()) return;
    }
  // Random damage, a few bytes at a time.
  std::mt19937 caso(static_cast<unsigned>(d.size()));
  for (int k = 0; k < 300; ++k) {
    auto r = d;
    const int volte = 1 + static_cast<int>(caso() % 8);
    for (int j = 0; j < volte; ++j) r[caso() % r.size()] = static_cast<uint8_t>(caso());
    Carica_Tutto(r);
    if (HasFatalFailure()) return;
  }
}

// A file cut in half never passes for a whole image.
TEST_P(Dati_Rovinati, MetaFileNonBasta) {
  const auto& d = prova::Campione_Di(GetParam()).dati;
  const std::vector<uint8_t> meta(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(d.size() / 2));
  Immagine im;
  const Esito e = Carica_Memoria(meta.data(), meta.size(), im);
  EXPECT_FALSE(e);
  EXPECT_TRUE(im.Vuota());
}

std::vector<std::string> Nomi() {
  std::vector<std::string> n;
  for (const auto& c : prova::Campioni()) n.push_back(c.nome);
  return n;
}

INSTANTIATE_TEST_SUITE_P(Campioni, Dati_Rovinati, ::testing::ValuesIn(Nomi()),
                         [](const ::testing::TestParamInfo<std::string>& i) { return i.param; });

// Variants of one sample, written as files, for the operations on files.
std::vector<std::vector<uint8_t>> Varianti(const std::vector<uint8_t>& d, unsigned seme) {
  std::vector<std::vector<uint8_t>> v;
  for (size_t n : {size_t{0}, size_t{8}, size_t{33}, d.size() / 3, d.size() / 2, d.size() - 1})
    v.emplace_back(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(std::min(n, d.size())));
  std::mt19937 caso(seme);
  for (int k = 0; k < 60; ++k) {
    auto r = d;
    for (int j = 0; j < 3; ++j) r[caso() % r.size()] = static_cast<uint8_t>(caso());
    v.push_back(std::move(r));
  }
  for (size_t p = 8; p + 4 <= std::min<size_t>(d.size(), 64); p += 4) {
    auto r = d;
    r[p] = r[p + 1] = r[p + 2] = r[p + 3] = 0xFF;
    v.push_back(std::move(r));
  }
  return v;
}

TEST(File_Rovinati, PatchDellaRisoluzione) {
  const qod::prova::Cartella_Prova cartella("rovinati_patch");
  const fs::path dir = cartella.Dir();
  const fs::path f = dir / "a";
  for (const char* nome : {"png_rgb8", "png_tavolozza4", "bmp24", "jpg_rgb"}) {
    for (const auto& v : Varianti(prova::Campione_Di(nome).dati, 11)) {
      for (auto patch : {Risoluzione_Png, Risoluzione_Bmp, Risoluzione_Jpeg}) {
        prova::Scrivi_Byte(f, v);
        if (!patch(f, 200, 200)) {
          ASSERT_EQ(prova::Leggi_Byte(f), v) << nome;  // a refused file stays as it was
        }
      }
    }
  }
}

TEST(File_Rovinati, Bmp32EPagineTiff) {
  const qod::prova::Cartella_Prova cartella("rovinati_file");
  const fs::path dir = cartella.Dir();
  const fs::path tmp = dir / "tmp";
  fs::create_directories(tmp);
  const fs::path f = dir / "a.bmp";
  for (const char* nome : {"bmp32", "bmp32_v5_campi_alto"})
    for (const auto& v : Varianti(prova::Campione_Di(nome).dati, 5)) {
      prova::Scrivi_Byte(f, v);
      const fs::path copia = Bmp32_Converti(f, tmp);
      if (!copia.empty()) {
        Immagine im;
        EXPECT_TRUE(Carica(copia, im)) << nome;
        fs::remove(copia);
      }
    }
  EXPECT_TRUE(fs::is_empty(tmp));

  Immagine pagina;
  ASSERT_TRUE(pagina.Crea(30, 20, 1));
  const fs::path t = dir / "a.tif";
  for (const auto& v : Varianti(prova::Campione_Di("tif_tre_pagine").dati, 9)) {
    prova::Scrivi_Byte(t, v);
    (void)Conta_Immagini(t);
    if (!Salva(pagina, t, {5, true, "EXTENSION = TIF"})) {
      ASSERT_EQ(prova::Leggi_Byte(t), v);
    }
    prova::Scrivi_Byte(t, v);
    if (!Sostituisci_Pagina_Tiff(pagina, t, 2, {4, false, "EXTENSION = TIF"})) {
      ASSERT_EQ(prova::Leggi_Byte(t), v);
    }
  }
  // Only the files the test wrote are left: no temporary files.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
}

// A TIFF file is read from disk piece by piece, never whole: every damaged
// variant of every TIFF sample gives from its file what it gives from memory
// (the same image or a refusal, the same count), whichever image is asked for
// first and in whatever order the others follow.
TEST(File_Rovinati, TiffDaFileComeDallaMemoria) {
  const qod::prova::Cartella_Prova cartella("rovinati_aperto");
  const fs::path f = cartella.Dir() / "a.tif";
  int confronti = 0;
  for (const auto& c : prova::Campioni()) {
    if (c.formato != Formato::TIFF) continue;
    for (const auto& v : Varianti(c.dati, 17)) {
      prova::Scrivi_Byte(f, v);
      File_Aperto aperto;
      const Esito apertura = aperto.Apri(f);
      for (int k : {2, 1, 3, 2}) {
        Immagine da_memoria, da_file;
        Info_File info_memoria, info_file;
        const Esito m = Carica_Memoria(v.data(), v.size(), da_memoria, k, &info_memoria);
        const Esito d = Carica(f, da_file, k, &info_file);
        ASSERT_EQ(bool(m), bool(d)) << c.nome << " image " << k << ": " << m.motivo << " / " << d.motivo;
        EXPECT_EQ(info_file.immagini, info_memoria.immagini) << c.nome;
        if (apertura) {
          Immagine di_seguito;
          ASSERT_EQ(bool(aperto.Carica(k, di_seguito)), bool(m)) << c.nome << " image " << k;
          ASSERT_EQ(di_seguito.Larghezza(), da_memoria.Larghezza());
          for (int y = 0; y < di_seguito.Altezza(); ++y)
            ASSERT_EQ(std::memcmp(di_seguito.Riga(y), da_memoria.Riga(y), da_memoria.Byte_Riga()), 0) << c.nome;
        }
        if (!m) continue;
        ++confronti;
        ASSERT_EQ(da_file.Larghezza(), da_memoria.Larghezza());
        ASSERT_EQ(da_file.Altezza(), da_memoria.Altezza());
        ASSERT_EQ(da_file.Bit(), da_memoria.Bit());
        EXPECT_EQ(da_file.Tavolozza(), da_memoria.Tavolozza());
        EXPECT_EQ(da_file.Dpi_X(), da_memoria.Dpi_X());
        for (int y = 0; y < da_file.Altezza(); ++y)
          ASSERT_EQ(std::memcmp(da_file.Riga(y), da_memoria.Riga(y), da_memoria.Byte_Riga()), 0) << c.nome << " row " << y;
      }
    }
  }
  EXPECT_GT(confronti, 100);  // the damage left many images readable
}

// ---- Sparse files: what a file claims, against the memory limit --------------

// A TIFF file of any size with only a few bytes in it: its directory, its
// first values, its pixels (little-endian; a classic or a big TIFF).
struct Voce_Tiff {
  uint16_t tag, tipo;
  uint64_t conto, valore;  // the value itself when it fits in the entry, else where its data lies
};
struct File_Rado {
  bool grande = false;
  uint64_t dimensione = 0, directory = 8, prossima = 0;
  std::vector<Voce_Tiff> voci;
  std::vector<std::pair<uint64_t, std::vector<uint8_t>>> dati;  // offset, bytes
};

constexpr uint16_t kShort = 3, kLong = 4, kLong8 = 16;

void Metti(std::vector<uint8_t>& b, uint64_t v, int byte) {
  for (int i = 0; i < byte; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> Valori(const std::vector<uint64_t>& v, int byte) {
  std::vector<uint8_t> b;
  for (uint64_t x : v) Metti(b, x, byte);
  return b;
}

// The bytes of a directory, linked to the one at `prossima`.
std::vector<uint8_t> Directory(std::vector<Voce_Tiff> voci, bool grande, uint64_t prossima = 0) {
  std::sort(voci.begin(), voci.end(), [](const Voce_Tiff& a, const Voce_Tiff& b) { return a.tag < b.tag; });
  std::vector<uint8_t> dir;
  Metti(dir, voci.size(), grande ? 8 : 2);
  for (const auto& v : voci) {
    Metti(dir, v.tag, 2);
    Metti(dir, v.tipo, 2);
    Metti(dir, v.conto, grande ? 8 : 4);
    Metti(dir, v.valore, grande ? 8 : 4);
  }
  Metti(dir, prossima, grande ? 8 : 4);
  return dir;
}

// Writes the file with ftruncate and pwrite; the errno of a failure (EFBIG
// when the file system takes no file of that size).
int Scrivi_Rado(const fs::path& p, File_Rado f) {
  const int fd = ::open(p.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  std::vector<uint8_t> testa;
  if (f.grande) {
    testa = {'I', 'I', 43, 0, 8, 0, 0, 0};
    Metti(testa, f.directory, 8);
  } else {
    testa = {'I', 'I', 42, 0};
    Metti(testa, f.directory, 4);
  }
  f.dati.insert(f.dati.begin(), {{0, testa}, {f.directory, Directory(f.voci, f.grande, f.prossima)}});
  int errore = ::ftruncate(fd, static_cast<off_t>(f.dimensione)) == 0 ? 0 : errno;
  for (const auto& [off, b] : f.dati)
    if (!errore && ::pwrite(fd, b.data(), b.size(), static_cast<off_t>(off)) != static_cast<ssize_t>(b.size()))
      errore = errno ? errno : EIO;
  ::close(fd);
  return errore;
}

// The entries of a w x h image of one sample per pixel, min-is-black,
// `righe` rows per strip.
std::vector<Voce_Tiff> Immagine_Tiff(uint64_t w, uint64_t h, uint16_t bit, uint16_t compressione, uint64_t righe) {
  return {{256, kLong, 1, w},         {257, kLong, 1, h},   {258, kShort, 1, bit}, {259, kShort, 1, compressione},
          {262, kShort, 1, 1},        {277, kShort, 1, 1},  {278, kLong, 1, righe}};
}

// The 8 x 8 grey image of the small cases: pixel i holds i x 17.
std::vector<uint8_t> Pixel_8x8() {
  std::vector<uint8_t> p;
  for (int i = 0; i < 64; ++i) p.push_back(static_cast<uint8_t>(i * 17));
  return p;
}

// A w x h 8-bit image of one strip, at 4096, that claims `conto` bytes.
File_Rado Una_Striscia(uint64_t w, uint64_t h, uint64_t conto, uint16_t compressione = 1,
                       std::vector<uint8_t> strip = {}) {
  File_Rado f;
  f.dimensione = 4096 + conto;
  f.voci = Immagine_Tiff(w, h, 8, compressione, h);
  f.voci.push_back({273, kLong, 1, 4096});
  f.voci.push_back({279, kLong, 1, conto});
  f.dati.push_back({4096, std::move(strip)});
  return f;
}

// The pixel values of the w x h images of PackBits strips: a grey of x and y.
uint8_t Grigio(int x, int y) { return static_cast<uint8_t>(x * 7 + y * 3); }

// A byte with its bits the other way round.
uint8_t Girato(uint8_t b) {
  uint8_t r = 0;
  for (int i = 0; i < 8; ++i) r = static_cast<uint8_t>(r | ((b >> i & 1) << (7 - i)));
  return r;
}

// A w x h 8-bit image of one PackBits strip at 4096: the pixels coded as
// they are, in pieces of 128 bytes, and written in the bit order `ordine`
// (the FillOrder tag). With `conto` the strip claims that many bytes and
// holds nothing (the zeros of a sparse file code zeros).
File_Rado Striscia_PackBits(uint64_t w, uint64_t h, uint16_t ordine, uint64_t conto = 0) {
  std::vector<uint8_t> pb;
  if (!conto) {
    std::vector<uint8_t> p;
    for (uint64_t y = 0; y < h; ++y)
      for (uint64_t x = 0; x < w; ++x) p.push_back(Grigio(static_cast<int>(x), static_cast<int>(y)));
    for (size_t i = 0; i < p.size(); i += 128) {
      const size_t k = std::min<size_t>(128, p.size() - i);
      pb.push_back(static_cast<uint8_t>(k - 1));
      pb.insert(pb.end(), p.begin() + static_cast<std::ptrdiff_t>(i), p.begin() + static_cast<std::ptrdiff_t>(i + k));
    }
    if (ordine == 2)
      for (uint8_t& b : pb) b = Girato(b);
    conto = pb.size();
  }
  File_Rado f = Una_Striscia(w, h, conto, 32773, std::move(pb));
  f.voci.push_back({266, kShort, 1, ordine});
  return f;
}

// A 64 x 64 1-bit image of one JBIG strip at 4096, of which only the
// header: one plane of the width and height it claims, in stripes of 128
// rows (its bytes turned, as libtiff stores JBIG data of FillOrder 1).
File_Rado Striscia_Jbig(uint64_t w, uint64_t h) {
  std::vector<uint8_t> bih = {0, 0, 1, 0};
  for (uint64_t v : {w, h, uint64_t{128}})
    for (int i = 3; i >= 0; --i) bih.push_back(static_cast<uint8_t>(v >> (8 * i)));
  bih.insert(bih.end(), {8, 0, 0, 0});
  for (uint8_t& b : bih) b = Girato(b);
  File_Rado f;
  f.dimensione = 8192;
  f.voci = Immagine_Tiff(64, 64, 1, 34661, 64);
  f.voci.push_back({273, kLong, 1, 4096});
  f.voci.push_back({279, kLong, 1, bih.size()});
  f.dati.push_back({4096, bih});
  return f;
}

// Adds to a directory tags no image is made of, 7 MB each (under libtiff's
// own bound of one allocation, the limit), their data at `dove`: where that
// data ends.
uint64_t Tag_Da_7MB(std::vector<Voce_Tiff>& voci, uint64_t dove) {
  const uint64_t dim = 7 << 20;
  voci.push_back({270, 2, dim, dove});  // ImageDescription
  for (uint16_t k = 0; k < 9; ++k) voci.push_back({static_cast<uint16_t>(65000 + k), 7, dim, dove});
  return dove + dim;
}

// The 8 x 8 image at the far end of a big TIFF of `dimensione` bytes.
File_Rado In_Fondo(uint64_t dimensione) {
  File_Rado f;
  f.grande = true;
  f.dimensione = dimensione;
  f.directory = dimensione - 4096;
  f.voci = Immagine_Tiff(8, 8, 8, 1, 8);
  f.voci.push_back({273, kLong8, 1, dimensione - 8192});
  f.voci.push_back({279, kLong8, 1, 64});
  f.dati.push_back({dimensione - 8192, Pixel_8x8()});
  return f;
}

// A tall 1-bit image of one byte a row and one row a strip: strip arrays
// many times the image's own size.
constexpr uint64_t kRighe_Alte = 100000;
uint8_t Riga_Alta(uint64_t y) { return static_cast<uint8_t>(y * 37 + 11); }

uint8_t Grigio_8x8(int x, int y) { return static_cast<uint8_t>((y * 8 + x) * 17); }
uint8_t Grigio_Alto(int x, int y) { return Riga_Alta(static_cast<uint64_t>(y)) >> (7 - x) & 1 ? 255 : 0; }

// 8 x n 1-bit image of one byte a row, uncompressed, one row a strip, the
// strips `passo` bytes apart from the first page boundary after their
// arrays: each in a page of its own. With `pieni` each strip holds its row
// (Riga_Alta), else the file holds none of them.
File_Rado Strisce_Distanti(uint64_t n, uint64_t passo, bool pieni) {
  File_Rado f;
  const uint64_t a = 4096, b = a + 4 * n, inizio = (b + 4 * n + 4095) / 4096 * 4096;
  std::vector<uint64_t> dove, conti(n, 1);
  for (uint64_t k = 0; k < n; ++k) dove.push_back(inizio + k * passo);
  f.dimensione = inizio + n * passo;
  f.voci = Immagine_Tiff(8, n, 1, 1, 1);
  f.voci.push_back({273, kLong, n, a});
  f.voci.push_back({279, kLong, n, b});
  f.dati = {{a, Valori(dove, 4)}, {b, Valori(conti, 4)}};
  for (uint64_t k = 0; pieni && k < n; ++k) f.dati.push_back({dove[k], {Riga_Alta(k)}});
  return f;
}

// A w x h 1-bit image in uncompressed 16 x 16 tiles, each in a page of its
// own; with `pieni` the pixels of Tassello_Bit, else none in the file.
bool Tassello_Bit(int x, int y) { return (x * 3 + y * 5) % 7 < 3; }
uint8_t Grigio_Tasselli(int x, int y) { return Tassello_Bit(x, y) ? 255 : 0; }
File_Rado Tasselli_Distanti(uint64_t w, uint64_t h, bool pieni) {
  File_Rado f;
  const uint64_t lato = 16, per_riga = (w + lato - 1) / lato, n = per_riga * ((h + lato - 1) / lato);
  const uint64_t a = 4096, b = a + 4 * n, inizio = (b + 4 * n + 4095) / 4096 * 4096;
  std::vector<uint64_t> dove, conti(n, lato * lato / 8);
  for (uint64_t k = 0; k < n; ++k) dove.push_back(inizio + k * 4096);
  f.dimensione = inizio + n * 4096;
  f.voci = {{256, kLong, 1, w},   {257, kLong, 1, h},   {258, kShort, 1, 1},  {259, kShort, 1, 1},
            {262, kShort, 1, 1},  {277, kShort, 1, 1},  {322, kShort, 1, lato}, {323, kShort, 1, lato},
            {324, kLong, n, a},   {325, kLong, n, b}};
  f.dati = {{a, Valori(dove, 4)}, {b, Valori(conti, 4)}};
  for (uint64_t k = 0; pieni && k < n; ++k) {
    std::vector<uint8_t> t(lato * lato / 8);
    const int x0 = static_cast<int>(k % per_riga * lato), y0 = static_cast<int>(k / per_riga * lato);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        if (Tassello_Bit(x0 + x, y0 + y)) t[static_cast<size_t>(y * 2 + x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
    f.dati.push_back({dove[k], t});
  }
  return f;
}

struct Caso_Rado {
  std::string nome;
  File_Rado (*file)();
  std::string rifiuto;  // empty: the image loads
  int w = 8, h = 8;
  int indice = 1;       // the image loaded
  uint8_t (*grigio)(int x, int y) = Grigio_8x8;  // of the image loaded
};

void PrintTo(const Caso_Rado& c, std::ostream* os) { *os << c.nome; }

const std::vector<Caso_Rado>& Casi_Radi() {
  static const std::vector<Caso_Rado> casi = {
      // One uncompressed 8-bit 60000 x 60000 strip: refused by its
      // directory; 4000 x 4000 passes that and is refused before its strip.
      {"UnaStrisciaEnorme", [] { return Una_Striscia(60000, 60000, uint64_t{60000} * 60000); }, "TIFF: image too large"},
      {"UnaStrisciaOltreIlLimite", [] { return Una_Striscia(4000, 4000, 4000 * 4000); }, "TIFF: image too large"},
      // Strip arrays that claim 500 MB each for an image of one strip: the
      // first value of each is read, the image loads.
      {"TabelleDa500MB",
       [] {
         File_Rado f;
         const uint64_t n = 125'000'000, a = 4096, b = a + 4 * n;
         f.dimensione = b + 4 * n;
         f.voci = Immagine_Tiff(8, 8, 8, 1, 8);
         f.voci.push_back({273, kLong, n, a});
         f.voci.push_back({279, kLong, n, b});
         f.dati = {{a, Valori({2048}, 4)}, {b, Valori({64}, 4)}, {2048, Pixel_8x8()}};
         return f;
       },
       ""},
      // One strip that claims 1 GB: uncompressed, its decoded size is read;
      // PackBits, what libtiff reads of it.
      {"UnaStrisciaDa1GB", [] { return Una_Striscia(8, 8, uint64_t{1} << 30, 1, Pixel_8x8()); }, ""},
      {"UnaStrisciaCompressaDa1GB",
       [] {
         std::vector<uint8_t> pb;
         const auto p = Pixel_8x8();
         for (int r = 0; r < 8; ++r) {
           pb.push_back(7);  // PackBits: the next 8 bytes as they are
           pb.insert(pb.end(), p.begin() + r * 8, p.begin() + r * 8 + 8);
         }
         return Una_Striscia(8, 8, uint64_t{1} << 30, 32773, pb);
       },
       ""},
      // A PackBits strip that claims 1 GB of an image near the limit: what
      // libtiff reads of it (10 times the image) passes the limit with the
      // image itself; with the bits in the other order libtiff also copies
      // it. Larger images whose strip is coded as it is (as long as the
      // image) load, in either order.
      {"StrisciaCompressaDa1GBAlLimite", [] { return Striscia_PackBits(880, 880, 1, uint64_t{1} << 30); },
       "TIFF: image data too large"},
      {"StrisciaCompressaDa1GBAlLimiteOrdine2", [] { return Striscia_PackBits(800, 800, 2, uint64_t{1} << 30); },
       "TIFF: image data too large"},
      {"StrisciaCompressaVeraAlLimite", [] { return Striscia_PackBits(1400, 1400, 1); }, "", 1400, 1400, 1, Grigio},
      {"StrisciaCompressaVeraAlLimiteOrdine2", [] { return Striscia_PackBits(1400, 1400, 2); }, "", 1400, 1400, 1,
       Grigio},
      // 4096 compressed one-row strips of 1 MiB each (libtiff reads that
      // much of a strip whatever its decoded size): 4 GB for a 32 kB image.
      {"MolteStrisceCompresseDa1MB",
       [] {
         File_Rado f;
         const uint64_t n = 4096, a = 4096, b = a + 4 * n, dati = 1 << 20;
         std::vector<uint64_t> dove, conti;
         for (uint64_t k = 0; k < n; ++k) {
           dove.push_back(dati + k * dati);
           conti.push_back(dati);
         }
         f.dimensione = dati + n * dati;
         f.voci = Immagine_Tiff(8, n, 8, 32773, 1);
         f.voci.push_back({273, kLong, n, a});
         f.voci.push_back({279, kLong, n, b});
         f.dati = {{a, Valori(dove, 4)}, {b, Valori(conti, 4)}};
         return f;
       },
       "TIFF: image data too large"},
      // Strip arrays 16 times the image's decoded size load.
      {"MolteStrisceDiUnaRiga",
       [] {
         File_Rado f;
         const uint64_t n = kRighe_Alte, a = 4096, b = a + 4 * n, dati = b + 4 * n;
         std::vector<uint64_t> dove, conti(n, 1);
         std::vector<uint8_t> righe;
         for (uint64_t y = 0; y < n; ++y) {
           dove.push_back(dati + y);
           righe.push_back(Riga_Alta(y));
         }
         f.dimensione = dati + n;
         f.voci = Immagine_Tiff(8, n, 1, 1, 1);
         f.voci.push_back({273, kLong, n, a});
         f.voci.push_back({279, kLong, n, b});
         f.dati = {{a, Valori(dove, 4)}, {b, Valori(conti, 4)}, {dati, righe}};
         return f;
       },
       "", 8, static_cast<int>(kRighe_Alte), 1, Grigio_Alto},
      // Four separate planes of 300000 one-row strips: 1.2 million strips,
      // whose arrays alone pass the limit.
      {"TroppeStrisce",
       [] {
         File_Rado f;
         const uint64_t n = 1'200'000, a = 4096, b = a + 4 * n;
         f.dimensione = b + 4 * n;
         f.voci = Immagine_Tiff(8, 300000, 1, 1, 1);
         f.voci[5].valore = 4;  // samples per pixel
         f.voci.push_back({284, kShort, 1, 2});
         f.voci.push_back({273, kLong, n, a});
         f.voci.push_back({279, kLong, n, b});
         return f;
       },
       "TIFF: too many strips"},
      // Tags no image is made of, 7 MB each (under libtiff's own bound of
      // one allocation, the limit).
      {"TagCheNessunaImmagineUsa",
       [] {
         File_Rado f = Una_Striscia(8, 8, 64, 1, Pixel_8x8());
         f.dimensione = Tag_Da_7MB(f.voci, 8192);
         return f;
       },
       ""},
      // A JBIG strip whose header claims 2^30 x 2^30 pixels: the decoder
      // would ask for that much memory, and end the program without it.
      {"JbigCheDichiaraUnaImmagineEnorme", [] { return Striscia_Jbig(1 << 30, 1 << 30); },
       "TIFF: JBIG strip 0 claims a larger image"},
      // After a JBIG first image, libtiff no longer reads the next
      // directories from what was made ready: the second image's tags of
      // 7 MB are not read all the same.
      {"TagDopoUnaImmagineJbig",
       [] {
         File_Rado f = Striscia_Jbig(64, 64);
         f.prossima = 1024;
         std::vector<Voce_Tiff> seconda = Immagine_Tiff(8, 8, 8, 1, 8);
         seconda.push_back({273, kLong, 1, 6000});
         seconda.push_back({279, kLong, 1, 64});
         f.dimensione = Tag_Da_7MB(seconda, 8192);
         f.dati.push_back({1024, Directory(seconda, false)});
         f.dati.push_back({6000, Pixel_8x8()});
         return f;
       },
       "", 8, 8, 2},
      // A first image of 30 million rows, with strip arrays to match, and
      // an 8 x 8 second one: opening reads nothing of the first.
      {"UnaSecondaImmagineDopoUnaTroppoAlta",
       [] {
         File_Rado f;
         const uint64_t n = 30'000'000, a = 8192, b = a + 4 * n;
         f.dimensione = b + 4 * n;
         f.voci = Immagine_Tiff(8, n, 1, 1, 1);
         f.voci.push_back({273, kLong, n, a});
         f.voci.push_back({279, kLong, n, b});
         f.prossima = 1024;
         std::vector<Voce_Tiff> seconda = Immagine_Tiff(8, 8, 8, 1, 8);
         seconda.push_back({273, kLong, 1, 4096});
         seconda.push_back({279, kLong, 1, 64});
         f.dati = {{1024, Directory(seconda, false)}, {4096, Pixel_8x8()}};
         return f;
       },
       "", 8, 8, 2},
      // Valid big TIFF files of 1 TB and 15 TB, their image at the far end.
      {"Valido1TB", [] { return In_Fondo(uint64_t{1'000'000'000'000}); }, ""},
      {"Valido15TB", [] { return In_Fondo(uint64_t{15'000'000'000'000}); }, ""},
      // A big TIFF of 1 TB whose first directory claims entries filling it.
      {"DirectoryDi1TB",
       [] {
         File_Rado f;
         f.grande = true;
         f.dimensione = uint64_t{1'000'000'000'000};
         f.directory = 16;
         f.dati.push_back({16, Valori({(f.dimensione - 32) / 20}, 8)});
         return f;
       },
       "Sanity check on directory count"},
      // Strips of one byte, each in a page of its own, 4096 and 65536 bytes
      // apart: the block fills a page for each, which takes the load past
      // the limit (gigabytes once, and minutes). As few as the limit holds
      // with their pages load.
      {"StrisceDiUnByteUnaPerPagina", [] { return Strisce_Distanti(200'000, 4096, false); },
       "TIFF: image data too large"},
      {"StrisceDiUnByteA64KiB", [] { return Strisce_Distanti(100'000, 65536, false); }, "TIFF: image data too large"},
      {"PocheStrisceUnaPerPagina", [] { return Strisce_Distanti(1000, 4096, true); }, "", 8, 1000, 1, Grigio_Alto},
      // The same of tiles: 5625 of 32 bytes, one a page.
      {"TasselliUnoPerPagina", [] { return Tasselli_Distanti(1200, 1200, false); }, "TIFF: image data too large"},
      {"PochiTasselliUnoPerPagina", [] { return Tasselli_Distanti(256, 256, true); }, "", 256, 256, 1,
       Grigio_Tasselli},
  };
  return casi;
}

class File_Radi : public ::testing::TestWithParam<Caso_Rado> {};

#if defined(__SANITIZE_ADDRESS__)
// Freed memory AddressSanitizer keeps aside is resident memory the tests
// measure: 16 MB of it here, not its usual 256 MB.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
#endif

// The memory a load may take past the limit of the test (8 MB): under
// AddressSanitizer, which keeps freed memory aside and maps shadow memory
// for what is allocated, a looser bound, still far under what a file's
// claims would take.
long Limite_Kb() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long>(4 * Limite_Memoria() / 1024);
#else
  return static_cast<long>(Limite_Memoria() / 1024);
#endif
}

double Secondi_Da(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Whatever a sparse file claims, opening it and loading its image take
// memory under the limit (8 MB here), no more reading than the image needs,
// and no time to speak of: the image loads whole, or is refused with its
// reason.
TEST_P(File_Radi, CaricatoORifiutatoSottoIlLimite) {
  const Caso_Rado& c = GetParam();
  const qod::prova::Cartella_Prova cartella("rado");
  const fs::path f = cartella.Dir() / "a.tif";
  if (const int e = Scrivi_Rado(f, c.file()); e == EFBIG || e == EINVAL)
    GTEST_SKIP() << "the file system of " << cartella.Dir() << " takes no file of that size: " << std::strerror(e);
  else
    ASSERT_EQ(e, 0) << std::strerror(e);
  // The peak is measured from here.
  const bool picco = prova::Azzera_Picco();
  const long prima = prova::Memoria_Kb("VmRSS:");

  const auto t0 = std::chrono::steady_clock::now();
  File_Aperto aperto;
  Esito e = aperto.Apri(f);
  Immagine im;
  if (e) e = aperto.Carica(c.indice, im);
  const double secondi = Secondi_Da(t0);
  const long dopo = prova::Memoria_Kb("VmHWM:");
  if (c.rifiuto.empty()) {
    ASSERT_TRUE(e) << e.motivo;
    ASSERT_EQ(im.Larghezza(), c.w);
    ASSERT_EQ(im.Altezza(), c.h);
    for (int y = 0; y < im.Altezza(); ++y)
      for (int x = 0; x < im.Larghezza(); ++x) {
        const uint8_t v = c.grigio(x, y);
        ASSERT_EQ(im.Pixel(x, y), (Colore{v, v, v})) << x << "," << y;
      }
  } else {
    EXPECT_FALSE(e);
    EXPECT_NE(e.motivo.find(c.rifiuto), std::string::npos) << e.motivo;
    EXPECT_TRUE(im.Vuota());
  }
  EXPECT_LT(secondi, 2.0);
  if (!picco) GTEST_SKIP() << "/proc/self/clear_refs cannot be written: the peak of the load cannot be measured";
  EXPECT_LT(dopo - prima, Limite_Kb()) << "kB over the " << prima << " kB before";
}

INSTANTIATE_TEST_SUITE_P(Casi, File_Radi, ::testing::ValuesIn(Casi_Radi()),
                         [](const ::testing::TestParamInfo<Caso_Rado>& i) { return i.param.nome; });

// Paging through a file of 2000 images of 8 x 8 pixels whose directories
// are 4096 entries long (as many as libtiff reads; all but their few real
// ones empty), every image in order and then at random, as the viewer turns
// pages: between loads the reader keeps nothing of the pages it read (once
// it kept every directory until the file was closed, 104 MB here), and the
// last image costs what the second does.
TEST(File_Radi_Pagine, LeDirectoryLungheNonRestanoTraUnaPaginaELAltra) {
  const qod::prova::Cartella_Prova cartella("rado_pagine");
  const fs::path f = cartella.Dir() / "a.tif";
  constexpr uint64_t kPagine = 2000, kVoci = 4096, kPasso = 13 * 4096;
  constexpr uint64_t kDirectory = 2 + kVoci * 12 + 4;
  auto Pixel = [](uint64_t pagina, int i) { return static_cast<uint8_t>(i * 17 + pagina * 7); };
  {
    File_Rado r;
    r.directory = 4096;
    r.dimensione = 4096 + kPagine * kPasso;
    for (uint64_t k = 0; k < kPagine; ++k) {
      const uint64_t dir = 4096 + k * kPasso, dati = dir + kDirectory;
      std::vector<Voce_Tiff> voci = Immagine_Tiff(8, 8, 8, 1, 8);
      voci.push_back({273, kLong, 1, dati});
      voci.push_back({279, kLong, 1, 64});
      // The real entries last, after the empty ones (tag 0, type 0); only
      // the count, those entries and the link are written.
      std::vector<uint8_t> d = Directory(voci, false, k + 1 < kPagine ? dir + kPasso : 0);
      const uint64_t reali = d.size() - 2 - 4;
      r.dati.push_back({dir, Valori({kVoci}, 2)});
      r.dati.push_back({dir + kDirectory - 4 - reali, std::vector<uint8_t>(d.begin() + 2, d.end())});
      std::vector<uint8_t> p;
      for (int i = 0; i < 64; ++i) p.push_back(Pixel(k, i));
      r.dati.push_back({dati, p});
    }
    // The header's directory, of no entries, is written first: the first
    // count above takes its place.
    const int e = Scrivi_Rado(f, r);
    ASSERT_EQ(e, 0) << std::strerror(e);
  }
  File_Aperto aperto;
  ASSERT_TRUE(aperto.Apri(f));
  ASSERT_EQ(aperto.Info().immagini, static_cast<int>(kPagine));
  const bool picco = prova::Azzera_Picco();
  const long prima = prova::Memoria_Kb("VmRSS:");
  std::vector<uint64_t> ordine;
  for (uint64_t k = 0; k < kPagine; ++k) ordine.push_back(k);
  std::mt19937 caso(5);
  for (int k = 0; k < 200; ++k) ordine.push_back(caso() % kPagine);
  double piu_lenta = 0;
  Immagine im;
  for (uint64_t k : ordine) {
    const auto t0 = std::chrono::steady_clock::now();
    const Esito e = aperto.Carica(static_cast<int>(k + 1), im);
    piu_lenta = std::max(piu_lenta, Secondi_Da(t0));
    ASSERT_TRUE(e) << "image " << k + 1 << ": " << e.motivo;
    ASSERT_EQ(im.Larghezza(), 8);
    for (int i = 0; i < 64; ++i) {
      const uint8_t v = Pixel(k, i);
      ASSERT_EQ(im.Pixel(i % 8, i / 8), (Colore{v, v, v})) << "image " << k + 1;
    }
  }
  EXPECT_LT(piu_lenta, 2.0);
  if (!picco) GTEST_SKIP() << "/proc/self/clear_refs cannot be written: the peak of the pages cannot be measured";
  const long dopo = prova::Memoria_Kb("VmHWM:");
  EXPECT_LT(dopo - prima, 64 * 1024 + Limite_Kb()) << "kB over the " << prima << " kB before";
}

}  // namespace
}  // namespace qod::img
