#include "qod/viewer/azioni_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "qod/ansi.h"
#include "qod/basic.h"

namespace qod::imv {

namespace fs = std::filesystem;

namespace {

// Option lines are joined by CR, with none after the last.
std::string Righe(std::initializer_list<std::string> righe) {
  std::string r;
  for (const std::string& s : righe) {
    if (!r.empty()) r += '\r';
    r += s;
  }
  return r;
}

std::string Opzioni_Tiff_G3(int xres, int yres) {
  return Righe({"EXTENSION = TIF", "TIFF_FILLORDER = 2", "TIFF_XRES = " + Format(xres, "000"),
                "TIFF_YRES = " + Format(yres, "000")});
}

std::string Opzioni_Tiff(int xres, int yres) {
  return Righe({"EXTENSION = TIF", "TIFF_XRES = " + Format(xres, "000"), "TIFF_YRES = " + Format(yres, "000")});
}

const std::string kOpzioni_Bmp = "EXTENSION = BMP";
const std::string kOpzioni_Png = "EXTENSION = PNG";
const std::string kOpzioni_Jpeg =
    Righe({"EXTENSION = JPG", "JPEG_OPTIMIZE_CODING = ON", "LOSSY_QUALITY = 080", "JPEG_SMOOTHING = 060"});

}  // namespace

std::string Estensione_Salva(std::string_view file) {
  // The name alone: a "." in a folder name is no extension.
  const size_t barra = file.find_last_of('/');
  const std::string_view nome = barra == std::string_view::npos ? file : file.substr(barra + 1);
  const size_t punto = nome.find_last_of('.');
  if (punto == std::string_view::npos) return "TIF";
  return UCase(Trim(nome.substr(punto + 1)));
}

std::string Filtro_Salva(std::string_view ext) {
  const std::string e(ext);
  return A("Così com'è") + " (*." + e + ")|*." + e +
         "|TIF 3-1D (*.TIF)|*.TIF|TIF bianco e nero (*TIF)|*.TIF|TIF colori (*.TIF)|*.TIF"
         "|BMP bianco e nero (*.BMP)|*.BMP|BMP colori (*.BMP)|*.BMP"
         "|JPG toni di grigio (*.JPG)|*.JPG|JPG colori (*.JPG)|*.JPG"
         "|PNG bianco e nero (*.PNG)|*.PNG|PNG toni di grigio (*.PNG)|*.PNG|PNG colori (*.PNG)|*.PNG";
}

std::string Nome_Proposto(long pagina) { return Format(static_cast<int64_t>(pagina), "\\P00000"); }

std::optional<Voce_Salva> Voce_Salvataggio(int voce, int xres, int yres) {
  using C = Conversione;
  switch (voce) {
    case 2: return Voce_Salva{C::Bianco_Nero, {4, false, Opzioni_Tiff_G3(xres, yres)}};
    case 3: return Voce_Salva{C::Bianco_Nero, {0, false, Opzioni_Tiff(xres, yres)}};
    case 4: return Voce_Salva{C::Colore, {0, false, Opzioni_Tiff(xres, yres)}};
    case 5: return Voce_Salva{C::Bianco_Nero, {0, false, kOpzioni_Bmp}};
    case 6: return Voce_Salva{C::Colore, {0, false, kOpzioni_Bmp}};
    case 7: return Voce_Salva{C::Grigio, {0, false, kOpzioni_Jpeg}};
    case 8: return Voce_Salva{C::Colore, {0, false, kOpzioni_Jpeg}};
    case 9: return Voce_Salva{C::Bianco_Nero, {0, false, kOpzioni_Png}};
    case 10: return Voce_Salva{C::Grigio, {0, false, kOpzioni_Png}};
    case 11: return Voce_Salva{C::Colore, {0, false, kOpzioni_Png}};
    default: return std::nullopt;
  }
}

bool Converti(img::Immagine& im, Conversione c) {
  constexpr int64_t kColori_24 = 16777216;
  const int64_t n = im.Numero_Colori();
  switch (c) {
    case Conversione::Bianco_Nero: return n == 2 || im.Riduci_Colori(2, true);
    case Conversione::Grigio:
      if (n < kColori_24 && !im.Converti_Bit(24)) return false;
      return im.Riduci_Colori(16, true);
    case Conversione::Colore:
      if (n < kColori_24) return im.Converti_Bit(24);
      if (n > kColori_24) return im.Riduci_Colori(kColori_24, false);
      return true;
  }
  return false;
}

std::optional<img::Parametri_Salvataggio> Parametri_Riscrittura(std::string_view file, int64_t colori, int xres,
                                                                int yres) {
  const std::string fine = UCase(Right(file, 4));
  if (fine == ".TIF" && colori == 2) return img::Parametri_Salvataggio{4, false, Opzioni_Tiff_G3(xres, yres)};
  if (fine == ".TIF") return img::Parametri_Salvataggio{0, false, "EXTENSION = TIF"};
  if (fine == ".BMP") return img::Parametri_Salvataggio{0, false, kOpzioni_Bmp};
  if (fine == ".JPG") return img::Parametri_Salvataggio{0, false, kOpzioni_Jpeg};
  if (fine == ".PNG") return img::Parametri_Salvataggio{0, false, kOpzioni_Png};
  return std::nullopt;
}

bool Stesso_File(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

bool File_Scrivibile(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISREG(st.st_mode)) return false;
  const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool Rinomina_Libero(const fs::path& da, const fs::path& a) {
  if (::renameat2(AT_FDCWD, da.c_str(), AT_FDCWD, a.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace rename: a new link fails on a
  // taken name as well.
  if (::link(da.c_str(), a.c_str()) != 0) return false;
  if (::unlink(da.c_str()) != 0) {
    ::unlink(a.c_str());
    return false;
  }
  return true;
}

}  // namespace qod::imv
