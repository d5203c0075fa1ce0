// Bad files: every loader and file operation fed truncated and corrupted
// variants of each sample fails cleanly (or gives a sane image), never reads
// outside its data, never allocates past the cap. Run under AddressSanitizer
// and UndefinedBehaviorSanitizer by scripts/sanitize.sh.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
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

}  // namespace
}  // namespace qod::img
