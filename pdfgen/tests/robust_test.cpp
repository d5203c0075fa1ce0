// Bad image files: truncated, with wrong lengths, offsets and counts, with
// absurd sizes. The loaders refuse them (False or Errore_PDF), write nothing,
// and the document stays valid; nothing crashes or allocates without bound.
#include <zlib.h>

#include <cstring>
#include <random>

#include "bmp_fixture.h"
#include "immagini_fixture.h"
#include "pdf_test_util.h"
#include "qod/pdf/qod_pdf.h"
#include "qod/pdf/x_pdf.h"

using namespace qod;
using namespace qod::pdf;
using namespace qod::pdf::test;

namespace {

enum class Tipo_File { Png, Tiff, Bmp };

// Loads each variant into one document; returns how many were accepted.
// Every refused variant must have added nothing.
int Carica_Varianti(const Cartella& dir, Tipo_File tipo, const std::vector<std::string>& varianti,
                    bool tutte_rifiutate) {
  std::string nome = dir / "robusto.pdf";
  X_PDF pdf;
  pdf.InitPDFFile(nome);
  int accettate = 0;
  std::string file = dir / "variante";
  for (size_t i = 0; i < varianti.size(); ++i) {
    Scrivi_File(file, varianti[i]);
    bool ok = false;
    try {
      if (tipo == Tipo_File::Png) ok = pdf.LoadImgFromPNGFile("I" + std::to_string(i), file);
      if (tipo == Tipo_File::Tiff) ok = pdf.LoadImgFromTIFFile("I" + std::to_string(i), file);
      if (tipo == Tipo_File::Bmp) ok = pdf.LoadImgFromBMPFile("I" + std::to_string(i), file);
    } catch (const Errore_PDF&) {
      ok = false;
    }
    if (ok && tutte_rifiutate) ADD_FAILURE() << "variant " << i << " accepted";
    accettate += ok;
  }
  pdf.ClosePDFFile();
  std::string dati = Leggi_File(nome);
  EXPECT_TRUE(Struttura_Ok(dati));
  EXPECT_TRUE(Qpdf_Ok(nome));
  size_t immagini = 0;
  for (size_t p = 0; (p = dati.find("/Subtype /Image\n", p)) != std::string::npos; ++p) ++immagini;
  EXPECT_EQ(immagini, size_t(accettate));
  return accettate;
}

std::vector<std::string> Troncati(const std::string& f) {
  std::vector<std::string> r;
  for (size_t n = 0; n < f.size(); n += (n < 200 ? 1 : 7)) r.push_back(f.substr(0, n));
  return r;
}

void Be32(std::string& f, size_t pos, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[pos + i] = static_cast<char>(v >> (24 - 8 * i));
}
void Le16(std::string& f, size_t pos, uint16_t v) {
  f[pos] = static_cast<char>(v & 255);
  f[pos + 1] = static_cast<char>(v >> 8);
}
void Le32(std::string& f, size_t pos, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[pos + i] = static_cast<char>(v >> (8 * i));
}

// The CRC of the chunk at `pos` made right again after a change.
void Ricalcola_Crc(std::string& f, size_t pos) {
  uint32_t len = uint32_t(uint8_t(f[pos])) << 24 | uint8_t(f[pos + 1]) << 16 | uint8_t(f[pos + 2]) << 8 |
                 uint8_t(f[pos + 3]);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(&f[pos + 4]), 4 + len);
  Be32(f, pos + 8 + len, static_cast<uint32_t>(crc));
}

std::vector<std::string> Lanci_Casuali(const std::string& f, int n, unsigned seme) {
  std::mt19937 g(seme);
  std::vector<std::string> r;
  for (int i = 0; i < n; ++i) {
    std::string v = f;
    int modifiche = 1 + g() % 4;
    for (int k = 0; k < modifiche; ++k) v[g() % v.size()] = static_cast<char>(g() & 255);
    r.push_back(v);
  }
  return r;
}

}  // namespace

TEST(Robusto, BadPngFiles) {
  Cartella dir("robusto");
  std::string file = dir / "buono.png";
  Scrivi_Png(file, Campione::Motivo(40, 30, 24), {.tipo = 2, .idat = 300});
  const std::string buono = Leggi_File(file);
  Scrivi_Png(file, Campione::Motivo(16, 8, 1), {.tipo = 3, .profondita = 1});
  const std::string tavolozza = Leggi_File(file);

  EXPECT_EQ(Carica_Varianti(dir, Tipo_File::Png, Troncati(buono), true), 0);

  std::vector<std::string> rotti;
  auto v = [&](auto modifica, const std::string& base) {
    std::string f = base;
    modifica(f);
    rotti.push_back(f);
  };
  v([](std::string& f) { f[0] = 'x'; }, buono);                                    // signature
  v([](std::string& f) { Be32(f, 8, 0xFFFFFFFF); }, buono);                        // IHDR length
  v([](std::string& f) { Be32(f, 33, 0x7FFFFFF0); }, buono);                       // first IDAT length
  v([](std::string& f) { Be32(f, 33, static_cast<uint32_t>(f.size())); }, buono);  // past the end
  v([](std::string& f) { f[45] ^= 1; }, buono);                                    // IDAT data: CRC
  for (uint32_t w : {0u, 0x7FFFFFFFu, 70000u})
    v([&](std::string& f) { Be32(f, 16, w), Ricalcola_Crc(f, 8); }, buono);         // width
  v([](std::string& f) { Be32(f, 20, 0), Ricalcola_Crc(f, 8); }, buono);           // height 0
  v([](std::string& f) { Be32(f, 20, 29), Ricalcola_Crc(f, 8); }, buono);          // fewer rows than the data
  v([](std::string& f) { Be32(f, 20, 31), Ricalcola_Crc(f, 8); }, buono);          // more rows than the data
  v([](std::string& f) { f[24] = 3, Ricalcola_Crc(f, 8); }, buono);                // bit depth 3
  v([](std::string& f) { f[25] = 5, Ricalcola_Crc(f, 8); }, buono);                // colour type 5
  v([](std::string& f) { f[28] = 2, Ricalcola_Crc(f, 8); }, buono);                // interlace 2
  v([](std::string& f) { f[26] = 1, Ricalcola_Crc(f, 8); }, buono);                // compression method
  v([](std::string& f) { f.resize(f.size() - 12); }, buono);                        // no IEND
  v([](std::string& f) {                                                            // no IDAT at all
    std::string r = f.substr(0, 33);
    r += f.substr(f.size() - 12);
    f = r;
  }, buono);
  v([](std::string& f) {                                                            // a damaged zlib stream, CRC right
    f[41] = static_cast<char>(0xFF), f[42] = static_cast<char>(0xFF), Ricalcola_Crc(f, 33);
  }, buono);
  v([](std::string& f) {                                                            // palette image without PLTE
    size_t p = f.find("PLTE") - 4;
    uint32_t len = uint32_t(uint8_t(f[p + 3]));
    f.erase(p, 12 + len);
  }, tavolozza);
  v([](std::string& f) { std::memcpy(&f[12], "IHDX", 4); }, buono);                 // IHDR missing
  EXPECT_EQ(Carica_Varianti(dir, Tipo_File::Png, rotti, true), 0);

  // Random damage: whatever is accepted still makes a valid document.
  Carica_Varianti(dir, Tipo_File::Png, Lanci_Casuali(buono, 300, 1), false);
  Carica_Varianti(dir, Tipo_File::Png, Lanci_Casuali(tavolozza, 200, 2), false);
}

TEST(Robusto, BadTiffFiles) {
  Cartella dir("robusto");
  std::string file = dir / "buono.tif";
  Scrivi_Tiff(file, Campione::Motivo(64, 48, 1), {.compressione = 4});
  const std::string g4 = Leggi_File(file);
  Scrivi_Tiff(file, Campione::Motivo(24, 20, 24), {.compressione = 1, .fotometria = 2, .righe_strip = 5});
  const std::string rgb = Leggi_File(file);
  Scrivi_Tiff(file, Campione::Motivo(64, 48, 1), {.compressione = 3, .righe_strip = 0, .big_endian = true});
  const std::string mm = Leggi_File(file);

  // Cut anywhere before the end of its directory (libtiff writes it after
  // the image data), a file is refused; cut after it, only values the
  // writer does not read (such as the resolution) are lost.
  for (const std::string* f : {&g4, &rgb, &mm}) {
    auto u = [&](size_t p) { return uint8_t((*f)[p]); };
    const bool be = (*f)[0] == 'M';
    const uint32_t off = be ? uint32_t(u(4)) << 24 | u(5) << 16 | u(6) << 8 | u(7)
                            : u(4) | u(5) << 8 | u(6) << 16 | uint32_t(u(7)) << 24;
    const uint32_t voci = be ? (u(off) << 8 | u(off + 1)) : (u(off) | u(off + 1) << 8);
    std::vector<std::string> prima;
    for (const std::string& t : Troncati(*f))
      if (t.size() < off + 2 + 12 * voci) prima.push_back(t);
    EXPECT_EQ(Carica_Varianti(dir, Tipo_File::Tiff, prima, true), 0);
    Carica_Varianti(dir, Tipo_File::Tiff, Troncati(*f), false);
  }

  const uint32_t ifd = uint8_t(g4[4]) | uint8_t(g4[5]) << 8 | uint8_t(g4[6]) << 16 | uint32_t(uint8_t(g4[7])) << 24;
  auto voce = [&](const std::string& f, uint16_t tag) -> size_t {
    uint16_t n = static_cast<uint16_t>(uint8_t(f[ifd]) | uint8_t(f[ifd + 1]) << 8);
    for (size_t i = 0; i < n; ++i) {
      size_t p = ifd + 2 + 12 * i;
      if ((uint8_t(f[p]) | uint8_t(f[p + 1]) << 8) == tag) return p;
    }
    return std::string::npos;
  };
  std::vector<std::string> rotti;
  auto v = [&](auto modifica) {
    std::string f = g4;
    modifica(f);
    rotti.push_back(f);
  };
  v([](std::string& f) { f[0] = 'X'; });                                           // byte order
  v([](std::string& f) { Le16(f, 2, 43); });                                       // version
  v([&](std::string& f) { Le32(f, 4, static_cast<uint32_t>(f.size())); });         // IFD past the end
  v([&](std::string& f) { Le32(f, 4, 0xFFFFFFF0); });
  v([&](std::string& f) { Le16(f, ifd, 0xFFFF); });                                // entry count
  v([&](std::string& f) { Le16(f, ifd, 0); });
  v([&](std::string& f) { Le32(f, voce(f, 273) + 8, static_cast<uint32_t>(f.size() - 4)); });  // strip offset
  v([&](std::string& f) { Le32(f, voce(f, 279) + 8, 0x7FFFFFFF); });               // strip byte count
  v([&](std::string& f) { Le32(f, voce(f, 273) + 4, 1000000); });                  // strip count, table past the end
  v([&](std::string& f) { Le32(f, voce(f, 279) + 4, 2); });                        // counts and offsets differ
  v([&](std::string& f) { Le32(f, voce(f, 256) + 8, 0); });                        // width 0
  v([&](std::string& f) { Le16(f, voce(f, 256) + 2, 4), Le32(f, voce(f, 256) + 8, 0x7FFFFFFF); });  // huge width
  v([&](std::string& f) { Le16(f, voce(f, 257) + 2, 5); });                        // height as a RATIONAL
  v([&](std::string& f) { Le32(f, voce(f, 258) + 4, 3), Le32(f, voce(f, 258) + 8, 0xFFFFFF00); });  // bits past the end
  v([&](std::string& f) { Le16(f, voce(f, 273), 999); });                          // no StripOffsets
  v([&](std::string& f) { Le16(f, voce(f, 259) + 8, 60000); });                    // unknown compression
  EXPECT_EQ(Carica_Varianti(dir, Tipo_File::Tiff, rotti, true), 0);

  Carica_Varianti(dir, Tipo_File::Tiff, Lanci_Casuali(g4, 300, 3), false);
  Carica_Varianti(dir, Tipo_File::Tiff, Lanci_Casuali(rgb, 300, 4), false);
  Carica_Varianti(dir, Tipo_File::Tiff, Lanci_Casuali(mm, 200, 5), false);
}

TEST(Robusto, BadBmpFiles) {
  Cartella dir("robusto");
  const std::string buono = Bmp{13, 7, 4}.Bytes();
  std::vector<std::string> troncati = Troncati(buono);
  // The last row may lack its padding: cutting into the padding still reads.
  int accettati = Carica_Varianti(dir, Tipo_File::Bmp, troncati, false);
  EXPECT_EQ(accettati, 1);

  std::vector<std::string> rotti = {
      Bmp{13, 7, 4, 40, 0, -7}.Bytes(),          // top-down
      Bmp{13, 7, 4, 40, 0, 0, 1}.Bytes(),        // RLE
      Bmp{13, 7, 16}.Bytes(),                    // 16 bits
      Bmp{13, 7, 32}.Bytes(),                    // 32 bits
      Bmp{13, 7, 24, 12}.Bytes(),                // an old 12-byte header
      Bmp{70000, 1, 1}.Bytes(),                  // wider than the buffer head
      "BM",
      "",
      "XY" + buono.substr(2),
  };
  std::string f = buono;
  Le32(f, 10, 0xFFFFFF00);  // pixel data past the end
  rotti.push_back(f);
  f = buono;
  Le32(f, 14, 0x7FFFFFF0);  // header size: colour table past the end
  rotti.push_back(f);
  f = buono;
  Le32(f, 18, 0x7FFFFFFF), Le32(f, 22, 0x7FFFFFFF);  // absurd size
  rotti.push_back(f);
  EXPECT_EQ(Carica_Varianti(dir, Tipo_File::Bmp, rotti, true), 0);

  // A file without its last row's padding is read.
  std::string corto = buono.substr(0, buono.size() - 1);
  EXPECT_EQ(Carica_Varianti(dir, Tipo_File::Bmp, {corto}, false), 1);
  Carica_Varianti(dir, Tipo_File::Bmp, Lanci_Casuali(buono, 300, 6), false);
}

TEST(Robusto, ControlReportsBadFilesAndLeavesNoOutput) {
  Cartella dir("robusto");
  Scrivi_Png(dir / "a.png", Campione::Motivo(20, 20, 1), {.tipo = 0, .profondita = 1});
  const std::string png = Leggi_File(dir / "a.png");
  Scrivi_Tiff(dir / "b.tif", Campione::Motivo(20, 20, 1), {.compressione = 4});
  const std::string tif = Leggi_File(dir / "b.tif");
  struct Caso {
    std::string nome, dati, messaggio;
  } casi[] = {
      {"vuoto.png", "", "Qod_PDF: Errore caricamento PNG"},
      {"corto.png", png.substr(0, png.size() - 20), "Qod_PDF: Errore caricamento PNG"},
      {"finto.png", tif, "Qod_PDF: Errore caricamento PNG"},
      {"vuoto.tif", "", "Qod_PDF: Errore caricamento TIFF"},
      {"corto.tif", tif.substr(0, tif.size() - 30), "Qod_PDF: Errore caricamento TIFF"},
      {"finto.tif", png, "Qod_PDF: Errore caricamento TIFF"},
  };
  for (const Caso& c : casi) {
    Scrivi_File(dir / c.nome, c.dati);
    Qod_PDF q;
    q.qodpdf_Dir = dir.Dir().string();
    q.qodpdf_Files = "a.png,b.tif," + c.nome;
    q.qodpdf_Out = dir / "out.pdf";
    q.qodpdf_Pag = true;
    q.qodpdf_Elabora();
    EXPECT_TRUE(q.qodpdf_Error);
    EXPECT_EQ(q.qodpdf_Status, c.messaggio) << c.nome;
    EXPECT_FALSE(fs::exists(dir / "out.pdf"));
    fs::remove(dir / c.nome);
  }
  int file = 0;
  for (auto& e : fs::directory_iterator(dir.Dir())) file += e.path().filename() != "a.png" && e.path().filename() != "b.tif";
  EXPECT_EQ(file, 0);
}
