// Page image types, their save options, the resolution patches of BMP, JPEG
// and PNG files, CRC-32 and the 32-bit BMP conversion.
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qod/risorse_c.h"
#include "formati.h"
#include "interno.h"
#include "qod/basic.h"
#include "qod/imaging/pagina.h"

namespace qod::img {

namespace fs = std::filesystem;

namespace {

const Tipo_Immagine kTipi[] = {
    {0, "0=TIF G3-1D", 1, ".TIF", false, 4, true, Formato::TIFF},
    {1, "1=TIF bianco e nero", 1, ".TIF", false, 0, true, Formato::TIFF},
    {2, "2=TIF colori", 24, ".TIF", false, 0, true, Formato::TIFF},
    {3, "3=BMP bianco e nero", 1, ".BMP", false, 0, false, Formato::BMP},
    {4, "4=BMP colori", 24, ".BMP", false, 0, false, Formato::BMP},
    {5, "5=JPG toni di grigio", 24, ".JPG", true, 0, false, Formato::JPEG},
    {6, "6=JPG colori", 24, ".JPG", false, 0, false, Formato::JPEG},
    {7, "7=PNG bianco e nero", 1, ".PNG", false, 0, false, Formato::PNG},
    {8, "8=PNG toni di grigio", 24, ".PNG", true, 0, false, Formato::PNG},
    {9, "9=PNG colori", 24, ".PNG", false, 0, false, Formato::PNG},
    {10, "A=TIF G4", 1, ".TIF", false, 5, true, Formato::TIFF},
};

void Be32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}
uint32_t Leggi_Be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint32_t Le32(const uint8_t* p) {
  return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void Metti_Le32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

const Tipo_Immagine* Tipo_Immagine_Da_Codice(int codice) {
  if (codice < 0 || codice > 10) return nullptr;
  return &kTipi[codice];
}

std::string Estensione_Tipo(int codice) {
  const Tipo_Immagine* t = Tipo_Immagine_Da_Codice(codice);
  return t ? t->estensione : "";
}

std::string Opzioni_Tipo(int codice, int res_x, int res_y, int righe_strip, bool jpg_ottimizza, int jpg_qualita,
                         int jpg_attenuazione) {
  std::vector<std::string> righe;
  switch (codice) {
    case 0:
    case 10:
      righe.push_back("EXTENSION = TIF");
      if (codice == 0) righe.push_back("TIFF_FILLORDER = 2");
      righe.push_back("TIFF_XRES = " + Format(res_x, "000"));
      righe.push_back("TIFF_YRES = " + Format(res_y, "000"));
      if (righe_strip != 0) righe.push_back("TIFF_ROWSPERSTRIP = " + Format(righe_strip, "0"));
      break;
    case 1:
    case 2:
      righe.push_back("EXTENSION = TIF");
      righe.push_back("TIFF_XRES = " + Format(res_x, "000"));
      righe.push_back("TIFF_YRES = " + Format(res_y, "000"));
      break;
    case 3:
    case 4: righe.push_back("EXTENSION = BMP"); break;
    case 5:
    case 6:
      righe.push_back("EXTENSION = JPG");
      righe.push_back(std::string("JPEG_OPTIMIZE_CODING = ") + (jpg_ottimizza ? "ON" : "OFF"));
      righe.push_back("LOSSY_QUALITY = " + Format(jpg_qualita, "000"));
      righe.push_back("JPEG_SMOOTHING = " + Format(jpg_attenuazione, "000"));
      break;
    case 7:
    case 8:
    case 9: righe.push_back("EXTENSION = PNG"); break;
    default: return {};
  }
  std::string testo;
  for (size_t i = 0; i < righe.size(); ++i) {
    if (i) testo += '\r';
    testo += righe[i];
  }
  return testo;
}

uint32_t Crc32(const uint8_t* dati, size_t n, uint32_t crc) {
  static const std::array<uint32_t, 256> tabella = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = tabella[(crc ^ dati[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Pixel_Per_Metro(int dpi) {
  if (dpi <= 0) return 0;
  return static_cast<uint32_t>(Arrotonda_Pari(dpi * 39.3));
}

bool Risoluzione_Bmp(const fs::path& percorso, int dpi_x, int dpi_y) {
  if (dpi_x < 0 || dpi_y < 0 || dpi_x > 100000 || dpi_y > 100000) return false;
  File_C f(percorso.c_str(), "r+b");
  if (!f) return false;
  uint8_t testa[46];
  bool ok = std::fread(testa, 1, sizeof testa, f.get()) == sizeof testa && testa[0] == 'B' && testa[1] == 'M' &&
            Le32(testa + 14) >= 40;
  if (ok) {
    uint8_t v[8];
    Metti_Le32(v, Pixel_Per_Metro(dpi_x));
    Metti_Le32(v + 4, Pixel_Per_Metro(dpi_y));
    ok = std::fseek(f.get(), 38, SEEK_SET) == 0 && std::fwrite(v, 1, 8, f.get()) == 8;
  }
  if (!f.Chiudi()) ok = false;
  return ok;
}

bool Risoluzione_Jpeg(const fs::path& percorso, int dpi_x, int dpi_y) {
  if (dpi_x < 0 || dpi_y < 0 || dpi_x > 65535 || dpi_y > 65535) return false;
  File_C f(percorso.c_str(), "r+b");
  if (!f) return false;
  uint8_t testa[18];
  bool ok = std::fread(testa, 1, sizeof testa, f.get()) == sizeof testa && testa[0] == 0xFF && testa[1] == 0xD8 &&
            testa[2] == 0xFF && testa[3] == 0xE0 && std::memcmp(testa + 6, "JFIF", 5) == 0;
  if (ok) {
    const uint8_t v[4] = {static_cast<uint8_t>(dpi_x >> 8), static_cast<uint8_t>(dpi_x),
                          static_cast<uint8_t>(dpi_y >> 8), static_cast<uint8_t>(dpi_y)};
    ok = std::fseek(f.get(), 14, SEEK_SET) == 0 && std::fwrite(v, 1, 4, f.get()) == 4;
  }
  if (!f.Chiudi()) ok = false;
  return ok;
}

bool Risoluzione_Png(const fs::path& percorso, int dpi_x, int dpi_y) {
  if (dpi_x < 0 || dpi_y < 0 || dpi_x > 100000 || dpi_y > 100000) return false;
  std::string dati;
  if (!Leggi_File(percorso.string(), dati)) return false;
  const auto* d = reinterpret_cast<const uint8_t*>(dati.data());
  const size_t n = dati.size();
  if (Formato_Dati(d, n) != Formato::PNG) return false;
  std::string uscita(dati.data(), 8);
  uscita.reserve(n + 21);
  size_t p = 8;
  bool primo = true, fine = false;
  while (!fine) {
    if (n - p < 12) return false;  // no IEND: a truncated file is not patched
    const uint32_t lunghezza = Leggi_Be32(d + p);
    if (lunghezza > n - p - 12) return false;
    const std::string tipo(reinterpret_cast<const char*>(d + p + 4), 4);
    if (primo && (tipo != "IHDR" || lunghezza != 13)) return false;
    const size_t totale = 12 + size_t{lunghezza};
    if (tipo != "pHYs") uscita.append(reinterpret_cast<const char*>(d + p), totale);
    if (primo) {
      uint8_t c[21];
      Be32(c, 9);
      std::memcpy(c + 4, "pHYs", 4);
      Be32(c + 8, Pixel_Per_Metro(dpi_x));
      Be32(c + 12, Pixel_Per_Metro(dpi_y));
      c[16] = 1;
      Be32(c + 17, Crc32(c + 4, 13));
      uscita.append(reinterpret_cast<const char*>(c), sizeof c);
      primo = false;
    }
    fine = tipo == "IEND";
    p += totale;
  }
  const std::string destinazione = percorso.string();
  const std::string tmp = Nome_Temporaneo(destinazione);
  if (tmp.empty()) return false;
  File_C f(tmp.c_str(), "wb");
  bool ok = f && std::fwrite(uscita.data(), 1, uscita.size(), f.get()) == uscita.size();
  if (!f.Chiudi()) ok = false;
  if (!ok) {
    std::remove(tmp.c_str());
    return false;
  }
  return static_cast<bool>(Rinomina_Su(tmp, destinazione));
}

bool Risoluzione_Imposta(const fs::path& percorso, int codice, int dpi_x, int dpi_y) {
  const Tipo_Immagine* t = Tipo_Immagine_Da_Codice(codice);
  if (!t) return false;
  switch (t->formato) {
    case Formato::BMP: return Risoluzione_Bmp(percorso, dpi_x, dpi_y);
    case Formato::JPEG: return Risoluzione_Jpeg(percorso, dpi_x, dpi_y);
    case Formato::PNG: return Risoluzione_Png(percorso, dpi_x, dpi_y);
    default: return true;
  }
}

std::string Pagina_Salva(Immagine& tela, const fs::path& percorso, const Pagina_Salvataggio& p, std::string* motivo) {
  static const char* const kSalvataggio = "Errore nel salvataggio";
  static const char* const kRisoluzione = "Errore nell'impostazione della risoluzione";
  const Tipo_Immagine* t = Tipo_Immagine_Da_Codice(p.codice);
  if (!t) {
    if (motivo) *motivo = "image type " + std::to_string(p.codice);
    return kSalvataggio;
  }
  if (t->grigio && !tela.Converti_Grigio()) {
    if (motivo) *motivo = "grey conversion: image too large";
    return kSalvataggio;
  }
  tela.Imposta_Dpi(p.res_x, p.res_y);
  Parametri_Salvataggio s;
  s.compressione = t->compressione;
  s.accoda = t->multipagina && p.tif_multipagina;
  s.opzioni = Opzioni_Tipo(p.codice, p.res_x, p.res_y, p.righe_strip, p.jpg_ottimizza, p.jpg_qualita,
                           p.jpg_attenuazione);
  if (Esito e = Salva(tela, percorso, s); !e) {
    if (motivo) *motivo = e.motivo;
    return kSalvataggio;
  }
  if (!Risoluzione_Imposta(percorso, p.codice, p.res_x, p.res_y)) {
    if (motivo) *motivo = percorso.string() + ": resolution not written";
    return kRisoluzione;
  }
  if (motivo) motivo->clear();
  return {};
}

fs::path Bmp32_Converti(const fs::path& percorso, const fs::path& cartella_temp) {
  std::string dati;
  if (!Leggi_File(percorso.string(), dati)) return {};
  const auto* d = reinterpret_cast<const uint8_t*>(dati.data());
  const size_t n = dati.size();
  if (n < 54 || d[0] != 'B' || d[1] != 'M') return {};
  const uint32_t dim_info = Le32(d + 14);
  if (dim_info < 40 || dim_info > 4096 || 14 + uint64_t{dim_info} > n) return {};
  if ((d[28] | (d[29] << 8)) != 32) return {};
  const int64_t w = static_cast<int32_t>(Le32(d + 18));
  int64_t h = static_cast<int32_t>(Le32(d + 22));
  const bool dall_alto = h < 0;
  if (dall_alto) h = -h;
  const uint32_t compressione = Le32(d + 30);
  if (w < 1 || h < 1 || w > Lato_Massimo || h > Lato_Massimo) return {};
  uint32_t maschere[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};  // red, green, blue
  if (compressione == 3 || compressione == 6) {
    const uint64_t m = dim_info >= 52 ? 14 + 40 : 14 + uint64_t{dim_info};
    if (m + 12 > n) return {};
    for (int i = 0; i < 3; ++i) maschere[i] = Le32(d + m + 4 * i);
  } else if (compressione != 0) {
    return {};
  }
  const uint64_t offset = Le32(d + 10);
  const uint64_t passo_in = static_cast<uint64_t>(w) * 4;
  if (offset >= n || passo_in * static_cast<uint64_t>(h) > n - offset) return {};
  const uint64_t passo_out = (static_cast<uint64_t>(w) * 3 + 3) & ~uint64_t{3};
  const uint64_t dim_immagine = passo_out * static_cast<uint64_t>(h);
  if (54 + dim_immagine > 0xFFFFFFFFull) return {};

  uint8_t testa[54];
  std::memcpy(testa, d, 54);
  Metti_Le32(testa + 2, static_cast<uint32_t>(54 + dim_immagine));
  Metti_Le32(testa + 10, 54);
  Metti_Le32(testa + 14, 40);
  Metti_Le32(testa + 22, static_cast<uint32_t>(h));
  testa[28] = 24;
  testa[29] = 0;
  Metti_Le32(testa + 30, 0);
  Metti_Le32(testa + 34, static_cast<uint32_t>(dim_immagine));
  Metti_Le32(testa + 46, 0);

  std::string modello = (cartella_temp / "bmp32_XXXXXX.BMP").string();
  std::vector<char> nome(modello.begin(), modello.end());
  nome.push_back('\0');
  const int fd = mkstemps(nome.data(), 4);
  if (fd < 0) return {};
  File_C f(fdopen(fd, "wb"));
  if (!f) {
    close(fd);
    std::remove(nome.data());
    return {};
  }
  auto canale = [](uint32_t px, uint32_t m) -> uint8_t {
    if (!m) return 0;
    int sh = 0;
    while (!((m >> sh) & 1)) ++sh;
    const uint32_t massimo = m >> sh, v = (px & m) >> sh;
    return static_cast<uint8_t>(massimo == 255 ? v : (uint64_t{v} * 255 + massimo / 2) / massimo);
  };
  bool ok = std::fwrite(testa, 1, 54, f.get()) == 54;
  std::vector<uint8_t> riga(static_cast<size_t>(passo_out), 0);
  for (int64_t k = 0; ok && k < h; ++k) {
    // Output rows bottom-up; a top-down input is read from its last row.
    const int64_t sorgente = dall_alto ? h - 1 - k : k;
    const uint8_t* s = d + offset + passo_in * static_cast<uint64_t>(sorgente);
    for (int64_t x = 0; x < w; ++x) {
      const uint32_t px = Le32(s + 4 * x);
      riga[3 * x] = canale(px, maschere[2]);
      riga[3 * x + 1] = canale(px, maschere[1]);
      riga[3 * x + 2] = canale(px, maschere[0]);
    }
    ok = std::fwrite(riga.data(), 1, riga.size(), f.get()) == riga.size();
  }
  if (!f.Chiudi()) ok = false;
  if (!ok) {
    std::remove(nome.data());
    return {};
  }
  return fs::path(nome.data());
}

}  // namespace qod::img
