// Loading and saving by format: format detection, the save options, and the
// write-then-rename of every saved file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

#include "formati.h"
#include "interno.h"
#include "qod/risorse_c.h"
#include "qod/basic.h"
#include "qod/imaging/file.h"
#include "qod/imaging/pagina.h"
#include "qod/scrittura.h"

namespace qod::img {

namespace fs = std::filesystem;

Formato Formato_Dati(const uint8_t* d, size_t n) {
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return Formato::BMP;
  if (n >= 4 && ((d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
                 (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43))))
    return Formato::TIFF;
  static const uint8_t firma_png[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  if (n >= 8 && std::memcmp(d, firma_png, 8) == 0) return Formato::PNG;
  if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return Formato::JPEG;
  return Formato::Sconosciuto;
}

Esito Leggi_File(const std::string& percorso, std::string& dati) {
  dati.clear();
  File_C f(percorso.c_str(), "rb");
  if (!f) return Esito::Errore("cannot open " + percorso + ": " + std::strerror(errno));
  struct stat st {};
  if (fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) return Esito::Errore("not a regular file: " + percorso);
  const uint64_t dimensione = static_cast<uint64_t>(st.st_size);
  if (dimensione > Limite_Memoria()) return Esito::Errore("file larger than the memory limit: " + percorso);
  dati.resize(static_cast<size_t>(dimensione));
  const size_t letti = dimensione ? std::fread(dati.data(), 1, dati.size(), f.get()) : 0;
  f.Chiudi();
  if (letti != dati.size()) {
    dati.clear();
    return Esito::Errore("read error: " + percorso);
  }
  return Esito::Bene();
}

Formato Formato_File(const fs::path& percorso) {
  File_C f(percorso.c_str(), "rb");
  if (!f) return Formato::Sconosciuto;
  uint8_t testa[8] = {};
  const size_t n = std::fread(testa, 1, sizeof testa, f.get());
  return Formato_Dati(testa, n);
}

Esito Carica_Memoria(const uint8_t* dati, size_t n, Immagine& out, int indice, Info_File* info) {
  out.Svuota();
  Info_File i;
  i.formato = Formato_Dati(dati, n);
  Esito e;
  switch (i.formato) {
    case Formato::BMP: i.immagini = 1; e = indice == 1 ? Carica_Bmp(dati, n, out) : Esito::Errore("no such image"); break;
    case Formato::PNG: i.immagini = 1; e = indice == 1 ? Carica_Png(dati, n, out) : Esito::Errore("no such image"); break;
    case Formato::JPEG: i.immagini = 1; e = indice == 1 ? Carica_Jpeg(dati, n, out) : Esito::Errore("no such image"); break;
    case Formato::TIFF: e = Carica_Tiff(dati, n, out, indice, &i.immagini); break;
    default: e = Esito::Errore("unknown image format"); break;
  }
  if (!e) out.Svuota();
  if (info) *info = i;
  return e;
}

Esito Carica(const fs::path& percorso, Immagine& out, int indice, Info_File* info) {
  out.Svuota();
  File_Aperto f;
  Esito e = f.Apri(percorso);
  if (e) e = f.Carica(indice, out);
  if (info) *info = f.Info();
  return e;
}

int Conta_Immagini(const fs::path& percorso) {
  File_Aperto f;
  return f.Apri(percorso) ? f.Info().immagini : 0;
}

// ---- Options -----------------------------------------------------------

Opzioni Leggi_Opzioni(const std::string& testo) {
  Opzioni o;
  size_t inizio = 0;
  while (inizio <= testo.size()) {
    size_t fine = testo.find_first_of("\r\n", inizio);
    if (fine == std::string::npos) fine = testo.size();
    const std::string riga = testo.substr(inizio, fine - inizio);
    inizio = fine + 1;
    const size_t uguale = riga.find('=');
    if (uguale == std::string::npos) continue;
    const std::string chiave = UCase(Trim(riga.substr(0, uguale)));
    const std::string valore = Trim(riga.substr(uguale + 1));
    auto numero = [&] {
      const double v = Val(valore);
      if (!(v > -1e9 && v < 1e9)) return 0;
      return static_cast<int>(Arrotonda_Pari(v));
    };
    if (chiave == "EXTENSION") {
      const std::string e = UCase(valore);
      if (e == "TIF" || e == "TIFF") o.formato = Formato::TIFF;
      else if (e == "BMP") o.formato = Formato::BMP;
      else if (e == "JPG" || e == "JPEG") o.formato = Formato::JPEG;
      else if (e == "PNG") o.formato = Formato::PNG;
    } else if (chiave == "TIFF_FILLORDER") {
      o.ordine_bit_2 = numero() == 2;
    } else if (chiave == "TIFF_XRES") {
      o.dpi_x = numero();
    } else if (chiave == "TIFF_YRES") {
      o.dpi_y = numero();
    } else if (chiave == "TIFF_ROWSPERSTRIP") {
      o.righe_strip = numero();
    } else if (chiave == "JPEG_OPTIMIZE_CODING") {
      o.ottimizza = UCase(valore) == "ON";
    } else if (chiave == "LOSSY_QUALITY") {
      o.qualita = std::clamp(numero(), 0, 100);
    } else if (chiave == "JPEG_SMOOTHING") {
      o.attenuazione = std::clamp(numero(), 0, 100);
    }
    if (fine == testo.size()) break;
  }
  return o;
}

int Dpi_Da_Ppm(uint32_t ppm) {
  if (ppm == 0) return 0;
  const double k = Arrotonda_Pari(ppm / 39.3);
  if (k >= 1 && k < 100000 && Pixel_Per_Metro(static_cast<int>(k)) == ppm) return static_cast<int>(k);
  const double d = Arrotonda_Pari(ppm * 0.0254);
  return d > 1e6 ? 0 : static_cast<int>(d);
}

// ---- Temporary files -----------------------------------------------------

namespace {

// The file mode creation mask of the process, read once (from
// /proc/self/status, which leaves it untouched; else by setting it and
// putting it back, at the first save).
mode_t Maschera_Processo() {
  static const mode_t maschera = [] {
    File_C f("/proc/self/status", "r");
    char riga[256];
    while (f && std::fgets(riga, sizeof riga, f.get()))
      if (std::strncmp(riga, "Umask:", 6) == 0) return static_cast<mode_t>(std::strtoul(riga + 6, nullptr, 8) & 0777);
    const mode_t m = umask(0);
    umask(m);
    return m;
  }();
  return maschera;
}

// Where this process's temporary names start: a random point, so that two
// processes writing into one folder seldom meet.
uint64_t Inizio_Nomi() {
  try {
    std::random_device caso;
    return (uint64_t{caso()} << 32) ^ caso();
  } catch (...) {
    return static_cast<uint64_t>(getpid()) * 2654435761u ^
           static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
}

}  // namespace

// Puts the finished temporary file in place of the target, with the target's
// permissions (or the usual ones for a new file: the temporary file was
// created private).
Esito Rinomina_Su(const std::string& tmp, const std::string& destinazione) {
  struct stat st {};
  const mode_t modo = stat(destinazione.c_str(), &st) == 0 ? st.st_mode & 07777 : 0666 & ~Maschera_Processo();
  chmod(tmp.c_str(), modo);
  std::string motivo;
  if (!Temporaneo_Rinomina(tmp, destinazione, &motivo))
    return Esito::Errore("cannot rename onto " + destinazione + ": " + motivo);
  return Esito::Bene();
}

// "<destination>.<six characters>.~tmp": the characters count on from a
// number of this process (digits and lower-case letters only, so that two
// names never differ only in case), and the create itself (O_EXCL) tells
// whether a name is free: one system call for a name.
std::string Nome_Temporaneo(const std::string& destinazione) {
  static std::atomic<uint64_t> prossimo{Inizio_Nomi()};
  static constexpr char kCifre[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  constexpr uint64_t kNomi = 36ull * 36 * 36 * 36 * 36 * 36;
  std::string nome = destinazione + ".000000.~tmp";
  const size_t da = destinazione.size() + 1;
  for (int tentativo = 0; tentativo < 1000; ++tentativo) {
    uint64_t v = prossimo.fetch_add(1, std::memory_order_relaxed) % kNomi;
    for (size_t i = 6; i-- > 0; v /= 36) nome[da + i] = kCifre[v % 36];
    const int fd = open(nome.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      close(fd);
      return nome;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

namespace {

Formato Formato_Da_Estensione(const fs::path& p) {
  std::string e = UCase(p.extension().string());
  if (e == ".TIF" || e == ".TIFF") return Formato::TIFF;
  if (e == ".BMP") return Formato::BMP;
  if (e == ".JPG" || e == ".JPEG") return Formato::JPEG;
  if (e == ".PNG") return Formato::PNG;
  return Formato::Sconosciuto;
}

bool Copia_Byte(const std::string& da, const std::string& a) {
  std::error_code ec;
  fs::copy_file(da, a, fs::copy_options::overwrite_existing, ec);
  return !ec;
}

}  // namespace

Esito Salva(const Immagine& immagine, const fs::path& percorso, const Parametri_Salvataggio& p) {
  if (immagine.Vuota()) return Esito::Errore("no image to save");
  Opzioni o = Leggi_Opzioni(p.opzioni);
  if (o.formato == Formato::Sconosciuto) o.formato = Formato_Da_Estensione(percorso);
  if (o.formato == Formato::Sconosciuto) return Esito::Errore("no image format for " + percorso.string());
  if (o.formato != Formato::TIFF && p.compressione != 0)
    return Esito::Errore("compression " + std::to_string(p.compressione) + " needs TIFF");

  const std::string destinazione = percorso.string();
  const std::string tmp = Nome_Temporaneo(destinazione);
  if (tmp.empty()) return Esito::Errore("cannot create a file beside " + destinazione + ": " + std::strerror(errno));

  bool accoda = false;
  if (o.formato == Formato::TIFF && p.accoda) {
    std::error_code ec;
    if (fs::exists(percorso, ec)) {
      if (Formato_File(percorso) != Formato::TIFF || Conta_Immagini(percorso) < 1) {
        std::remove(tmp.c_str());
        return Esito::Errore("cannot add a page to " + destinazione + ": not a readable TIFF file");
      }
      if (!Copia_Byte(destinazione, tmp)) {
        std::remove(tmp.c_str());
        return Esito::Errore("cannot copy " + destinazione);
      }
      accoda = true;
    }
  }

  Esito e;
  switch (o.formato) {
    case Formato::BMP: e = Salva_Bmp(immagine, tmp); break;
    case Formato::PNG: e = Salva_Png(immagine, tmp); break;
    case Formato::JPEG: e = Salva_Jpeg(immagine, tmp, o); break;
    default: {
      const int prima = accoda ? Conta_Immagini(tmp) : 0;
      e = Salva_Tiff(immagine, tmp, o, p.compressione, accoda);
      if (e && accoda && Conta_Immagini(tmp) != prima + 1) e = Esito::Errore("the added page cannot be read back");
      break;
    }
  }
  if (!e) {
    std::remove(tmp.c_str());
    e.motivo = destinazione + ": " + e.motivo;
    return e;
  }
  return Rinomina_Su(tmp, destinazione);
}

Esito Sostituisci_Pagina_Tiff(const Immagine& immagine, const fs::path& percorso, int indice,
                              const Parametri_Salvataggio& p) {
  if (immagine.Vuota()) return Esito::Errore("no image to save");
  const std::string destinazione = percorso.string();
  // The file is read as the reader reads it, through a block of its own:
  // each page it copies within the memory limit, never the whole file
  // (but where no block can be had, as far as the limit lets it be read).
  File_C f(destinazione.c_str(), "rb");
  if (!f) return Esito::Errore("cannot open " + destinazione + ": " + std::strerror(errno));
  struct stat st {};
  if (fstat(fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) return Esito::Errore("not a regular file: " + destinazione);
  Sorgente_File blocco(static_cast<uint64_t>(st.st_size));
  std::string dati;
  std::optional<Sorgente_Memoria> memoria;
  Sorgente* s = &blocco;
  if (blocco.Pronta()) {
    blocco.Usa(fileno(f.get()));
  } else {
    if (Esito e = Leggi_File(destinazione, dati); !e) return e;
    s = &memoria.emplace(reinterpret_cast<const uint8_t*>(dati.data()), dati.size());
  }
  uint8_t testa[4] = {};
  if (s->Leggi(0, testa, sizeof testa) != sizeof testa || Formato_Dati(testa, sizeof testa) != Formato::TIFF)
    return Esito::Errore(destinazione + ": not a TIFF file");
  int totale = 0;
  (void)Lettore_Tiff().Apri(*s, &totale);
  if (indice < 1 || indice > totale) return Esito::Errore(destinazione + ": no such image");
  const std::string tmp = Nome_Temporaneo(destinazione);
  if (tmp.empty()) return Esito::Errore("cannot create a file beside " + destinazione);
  Esito e = Sostituisci_Tiff(immagine, *s, tmp, indice, Leggi_Opzioni(p.opzioni), p.compressione);
  if (e && Conta_Immagini(tmp) != totale) e = Esito::Errore("the rewritten file cannot be read back");
  if (!e) {
    std::remove(tmp.c_str());
    e.motivo = destinazione + ": " + e.motivo;
    return e;
  }
  return Rinomina_Su(tmp, destinazione);
}

Esito Copia_File(const fs::path& da, const fs::path& a) {
  const std::string destinazione = a.string();
  const std::string tmp = Nome_Temporaneo(destinazione);
  if (tmp.empty()) return Esito::Errore("cannot create a file beside " + destinazione + ": " + std::strerror(errno));
  std::error_code ec;
  fs::copy_file(da, tmp, fs::copy_options::overwrite_existing, ec);
  if (ec) {
    std::remove(tmp.c_str());
    return Esito::Errore("cannot copy " + da.string() + ": " + ec.message());
  }
  return Rinomina_Su(tmp, destinazione);
}

}  // namespace qod::img
