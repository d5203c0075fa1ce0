#include "qod/risorse_c.h"
#include "qod/imagegen/qod_img.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <system_error>

#include "qod/basic.h"
#include "qod/imagegen/tempi.h"
#include "qod/imaging/file.h"
#include "qod/imaging/pagina.h"
#include "qod/winpath.h"

namespace qod {

namespace fs = std::filesystem;
using imagegen::Limite_Immagine;

namespace {

fs::path Fs(const std::string& percorso) { return Percorso_Fs(Percorso_Risolvi(percorso)); }

bool File_Esiste(const std::string& percorso) {
  std::error_code ec;
  return !percorso.empty() && fs::is_regular_file(Fs(percorso), ec);
}

bool Cartella_Esiste(const std::string& cartella) {
  std::error_code ec;
  return fs::is_directory(Fs(cartella), ec);
}

template <class T>
bool Fra(T v, int64_t da, int64_t a) {
  return v >= da && v <= a;
}

bool Zoom_Valido(double z) { return z >= 0.1 && z <= 16; }

double Ora_Ms() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The members of one logo.
struct Logo {
  const char* n;  // "Im1", "Im2"
  std::string& File;
  int16_t &Left, &Top, &Src_Left, &Src_Top, &Width, &Height, &Mode, &Pos;
  double &ZoomX, &ZoomY;
  // The names of the composite checks in the messages of run-time failures.
  const char* somma_x;
  const char* somma_y;
};

}  // namespace

// One call of qodimg_Elabora: the checks in order, then the composition and
// the save. Every step names in `fase` the message a run-time failure
// inside it gives.
struct Qod_IMG::Motore {
  Qod_IMG& g;
  Tempi* tempi;
  std::string fase;

  img::Immagine& tela;  // kept by the generator from call to call
  img::Immagine im1, im4;
  // The font strip and the logos of this call, kept by the generator.
  const img::Immagine* striscia = nullptr;
  const img::Immagine* logo1 = nullptr;
  const img::Immagine* logo2 = nullptr;
  int cella_w = 0;
  int32_t W = 0, H = 0;                 // canvas size
  std::vector<uint8_t> nascoste;        // Txt_Cols x Txt_Rows, row by row
  const img::Tipo_Immagine* tipo = nullptr;

  Motore(Qod_IMG& gen, Tempi* t) : g(gen), tempi(t), tela(gen.tela_) {}

  using Prepara = std::function<std::string(img::Immagine&)>;
  static std::string Tenuta(Caricata& c, const fs::path& file, const std::string& modo, const Prepara& prepara);

  std::string Esegui(bool inizializza);
  std::string Controlli();
  std::string Striscia();
  std::string Logo_Controlla(Logo l, Caricata& c, const img::Immagine*& im);
  std::string Nascoste();
  std::string Testo();
  void Logo_Posa(const Logo& l, const img::Immagine& im);
  std::string Comandi(bool azzera, imagegen::Passata passata);

  Logo Logo1() {
    return {"Im1",           g.qodimg_Im1_File,  g.qodimg_Im1_Left,  g.qodimg_Im1_Top,   g.qodimg_Im1_Src_Left,
            g.qodimg_Im1_Src_Top, g.qodimg_Im1_Width, g.qodimg_Im1_Height, g.qodimg_Im1_Mode,  g.qodimg_Im1_Pos,
            g.qodimg_Im1_ZoomX, g.qodimg_Im1_ZoomY, "Im1_Src_Left + Im1_Width", "Im1_Src_Top + Im1_Height"};
  }
  Logo Logo2() {
    return {"Im2",           g.qodimg_Im2_File,  g.qodimg_Im2_Left,  g.qodimg_Im2_Top,   g.qodimg_Im2_Src_Left,
            g.qodimg_Im2_Src_Top, g.qodimg_Im2_Width, g.qodimg_Im2_Height, g.qodimg_Im2_Mode,  g.qodimg_Im2_Pos,
            g.qodimg_Im2_ZoomX, g.qodimg_Im2_ZoomY, "Im2_Src_Left+Im2_Width", "Im2_Src_Top+Im2_Height"};
  }
};

std::string Qod_IMG::Motore::Controlli() {
  // Check the output size.
  fase = "Errore di Out_Width";
  if (!Fra(g.qodimg_Out_Width, 2, 4288)) return "Out_Width errato";
  fase = "Errore di Out_Height";
  if (!Fra(g.qodimg_Out_Height, 2, 4288)) return "Out_Height errato";
  // Check the output zoom (0 is taken as 1).
  fase = "Errore di Out_ZoomX";
  if (g.qodimg_Out_ZoomX == 0) g.qodimg_Out_ZoomX = 1;
  if (!Zoom_Valido(g.qodimg_Out_ZoomX)) return "Out_ZoomX errato";
  fase = "Errore di Out_ZoomY";
  if (g.qodimg_Out_ZoomY == 0) g.qodimg_Out_ZoomY = 1;
  if (!Zoom_Valido(g.qodimg_Out_ZoomY)) return "Out_ZoomY errato";
  // Check the orientation, the image type and the resolution.
  fase = "Errore di Txt_Orie";
  if (!Fra(g.qodimg_Txt_Orie, 0, 1)) return "Txt_Orie errato";
  fase = "Errore di Out_Save";
  if (!Fra(g.qodimg_Out_Save, 0, 10)) return "Out_Save errato";
  fase = "Errore di Out_ResX";
  if (!Fra(g.qodimg_Out_ResX, 10, 800)) return "Out_ResX errato";
  fase = "Errore di Out_ResY";
  if (!Fra(g.qodimg_Out_ResY, 10, 800)) return "Out_ResY errato";
  // Fax types need the fax resolution.
  fase = "Errore di Out_Save e Out_ResX/Y ";
  if (g.qodimg_Out_Save == 0 || g.qodimg_Out_Save == 10) {
    if (g.qodimg_Out_ResX != 204) return "Out_Save,Out_ResX incompatibili";
    if (g.qodimg_Out_ResY != 196) return "Out_Save,Out_ResY incompatibili";
  }
  tipo = img::Tipo_Immagine_Da_Codice(g.qodimg_Out_Save);
  // Check JPG_Qual and JPG_Atte.
  fase = "Errore di JPG_Qual";
  if (!Fra(g.qodimg_JPG_Qual, 0, 100)) return "JPG_Qual errato";
  fase = "Errore di JPG_Atte";
  if (!Fra(g.qodimg_JPG_Atte, 0, 100)) return "JPG_Atte errato";
  // Check the rows per strip (9999: the whole height).
  fase = "Errore di Rows_Strip";
  if (g.qodimg_Rows_Strip == 9999) g.qodimg_Rows_Strip = g.qodimg_Out_Height;
  if (!Fra(g.qodimg_Rows_Strip, 0, g.qodimg_Out_Height)) return "Rows_Strip errato";
  // The page text, when named, must exist.
  fase = "Errore di Txt_File";
  if (!g.qodimg_Txt_File.empty() && !File_Esiste(g.qodimg_Txt_File)) return "Txt_File errato";
  // Check the text grid: the cells' size, its position and its columns and rows.
  fase = "Errore di Txt_Col_Dim";
  if (!Fra(g.qodimg_Txt_Col_Dim, 0, 1999)) return "Txt_Col_Dim errato";
  fase = "Errore di Txt_Row_Dim";
  if (!Fra(g.qodimg_Txt_Row_Dim, 0, 1999)) return "Txt_Row_Dim errato";
  fase = "Errore di Txt_Top";
  if (!Fra(g.qodimg_Txt_Top, 1 - g.qodimg_Out_Height, g.qodimg_Out_Height - 1)) return "Txt_Top errato";
  fase = "Errore di Txt_Left";
  if (!Fra(g.qodimg_Txt_Left, 1 - g.qodimg_Out_Width, g.qodimg_Out_Width - 1)) return "Txt_Left errato";
  fase = "Errore di Txt_Cols";
  if (!Fra(g.qodimg_Txt_Cols, 1, 999)) return "Txt_Cols errato";
  fase = "Errore di Txt_Rows";
  if (!Fra(g.qodimg_Txt_Rows, 1, 999)) return "Txt_Rows errato";
  // The output file: its folder must exist; an earlier file goes,
  // unless the page is added to a TIFF file.
  fase = "Errore di Out_File";
  g.qodimg_Out_File = Trim(g.qodimg_Out_File);
  if (g.qodimg_Out_File.empty()) return "Out_File manca";
  const std::string cartella = Percorso_Cartella(g.qodimg_Out_File);
  if (!cartella.empty() && !Cartella_Esiste(cartella)) return "Dir di Out_File errata";
  if (!(tipo->multipagina && g.qodimg_TIF_MultiP)) {
    std::error_code ec;
    const fs::path uscita = Fs(g.qodimg_Out_File);
    const auto st = fs::symlink_status(uscita, ec);
    if (fs::exists(st) && !fs::is_directory(uscita, ec)) {
      if (!fs::remove(uscita, ec) || ec) return "Errore cancellazione " + g.qodimg_Out_File;
    }
  }
  // Make the canvas, in the background colour.
  fase = "Errore generazione " + g.qodimg_Out_File + " vuoto";
  {
    const double w = g.qodimg_Txt_Orie == 0 ? g.qodimg_Out_Height / g.qodimg_Out_ZoomX
                                            : g.qodimg_Out_Width / g.qodimg_Out_ZoomX;
    const double h = g.qodimg_Txt_Orie == 0 ? g.qodimg_Out_Width / g.qodimg_Out_ZoomY
                                            : g.qodimg_Out_Height / g.qodimg_Out_ZoomY;
    W = static_cast<int32_t>(Arrotonda_Pari(w));
    H = static_cast<int32_t>(Arrotonda_Pari(h));
    if (W < 1 || H < 1 || imagegen::Byte_Immagine(W, H, tipo->bit_tela) > Limite_Immagine ||
        !tela.Crea(W, H, tipo->bit_tela, img::Colore::Da_RGB(static_cast<uint32_t>(g.qodimg_Out_BkColor))))
      return fase;
  }
  // The font strip is needed for a page text.
  fase = "Errore di Fnt_File";
  g.qodimg_Fnt_File = Trim(g.qodimg_Fnt_File);
  if (g.qodimg_Fnt_File.empty() ? !g.qodimg_Txt_File.empty() : !File_Esiste(g.qodimg_Fnt_File))
    return "Fnt_File manca";
  // Check the font strip, the logos, the command file, the copy and the hidden cells.
  if (!g.qodimg_Fnt_File.empty() && !g.qodimg_Txt_File.empty())
    if (std::string e = Striscia(); !e.empty()) return e;
  if (std::string e = Logo_Controlla(Logo1(), g.logo1_, logo1); !e.empty()) return e;
  if (std::string e = Logo_Controlla(Logo2(), g.logo2_, logo2); !e.empty()) return e;
  fase = "Errore di Cmd_File";
  g.qodimg_Cmd_File = Trim(g.qodimg_Cmd_File);
  if (!g.qodimg_Cmd_File.empty() && !File_Esiste(g.qodimg_Cmd_File)) return "Cmd_File errato";
  fase = "Indice delle copie errato";
  if (g.qodimg_Cmd_CPY < 0) g.qodimg_Cmd_CPY = 0;
  nascoste.assign(static_cast<size_t>(g.qodimg_Txt_Cols) * static_cast<size_t>(g.qodimg_Txt_Rows), 0);
  if (!g.qodimg_Txt_File.empty() && !g.qodimg_Cmd_File.empty())
    if (std::string e = Nascoste(); !e.empty()) return e;
  return {};
}

// An image read from `file` and made ready by `prepara` (its message on a
// failure), or the one kept from an earlier call while the file has the same
// signature and `modo` (what else the preparation depends on) is the same.
// An image read from a file changed in the last ticks of the clock is not
// kept: a further change within the same tick could not be seen.
std::string Qod_IMG::Motore::Tenuta(Caricata& c, const fs::path& file, const std::string& modo,
                                    const Prepara& prepara) {
  Firma_File f;
  std::string chiave;
  if (Firma_Leggi(file, f) && !f.cartella)
    chiave = file.string() + '\n' + modo + '\n' + std::to_string(f.dispositivo) + ' ' + std::to_string(f.inode) +
             ' ' + std::to_string(f.dimensione) + ' ' + std::to_string(f.modifica_ns) + ' ' +
             std::to_string(f.cambio_ns);
  if (!chiave.empty() && chiave == c.chiave) return {};
  const bool tenibile = !chiave.empty() && !Firma_Recente(f);
  c.chiave.clear();
  if (std::string e = prepara(c.im); !e.empty()) {
    c.im.Svuota();
    return e;
  }
  if (tenibile) c.chiave = std::move(chiave);
  return {};
}

std::string Qod_IMG::Motore::Striscia() {
  const std::string& file = g.qodimg_Fnt_File;
  // The strip is brought to the canvas depth once: each glyph transfer then
  // copies its bytes as they stand (the same pixels a transfer across two
  // depths gives).
  const int bit = tela.Bit();
  const fs::path percorso = Fs(file);
  fase = "Errore caricamento " + file;
  if (std::string e = Tenuta(g.striscia_, percorso, "bit " + std::to_string(bit),
                             [&](img::Immagine& im) -> std::string {
                               if (!img::Carica(percorso, im)) return fase;
                               if (im.Bit() != bit) {
                                 img::Immagine copia = im;
                                 if (copia.Converti_Bit(bit)) im = std::move(copia);
                               }
                               return {};
                             });
      !e.empty()) {
    fase = e;
    return e;
  }
  striscia = &g.striscia_.im;
  fase = "Il file " + file + " immagine errata";
  const int h = striscia->Altezza();
  const int w = static_cast<int>(Arrotonda_Pari(striscia->Larghezza() / 256.0));
  if (!Fra(h, 4, 128)) return "Altezza del font errata";
  if (!Fra(w, 4, 128)) return "Larghezza del font errata";
  cella_w = w;
  fase = "Errore di Fnt_Top";
  if (!Fra(g.qodimg_Fnt_Top, 0, h - 1)) return "Fnt_Top errato";
  fase = "Errore di Fnt_Left";
  if (!Fra(g.qodimg_Fnt_Left, 0, w - 1)) return "Fnt_Left errato";
  fase = "Errore di Fnt_Width";
  if (g.qodimg_Fnt_Width == 0) g.qodimg_Fnt_Width = static_cast<int16_t>(w);
  if (!Fra(g.qodimg_Fnt_Width, 1, w)) return "Fnt_Width errato";
  fase = "Errore di Fnt_Height";
  if (g.qodimg_Fnt_Height == 0) g.qodimg_Fnt_Height = static_cast<int16_t>(h);
  if (!Fra(g.qodimg_Fnt_Height, 1, h)) return "Fnt_Height errato";
  fase = "Errore di Fnt_Mode";
  if (!Fra(g.qodimg_Fnt_Mode, 0, 2)) return "Fnt_Mode errato";
  return {};
}

std::string Qod_IMG::Motore::Logo_Controlla(Logo l, Caricata& c, const img::Immagine*& logo) {
  const std::string n = l.n;
  logo = nullptr;
  fase = "Errore di " + n + "_File";
  l.File = Trim(l.File);
  if (l.File.empty()) return {};
  if (!File_Esiste(l.File)) return n + "_File errato";
  fase = "Errore di " + n + "_ZoomX";
  if (l.ZoomX == 0) l.ZoomX = 1;
  if (!Zoom_Valido(l.ZoomX)) return n + "_ZoomX errato";
  fase = "Errore di " + n + "_ZoomY";
  if (l.ZoomY == 0) l.ZoomY = 1;
  if (!Zoom_Valido(l.ZoomY)) return n + "_ZoomY errato";
  const std::string modo = "zoom " + std::to_string(l.ZoomX) + " " + std::to_string(l.ZoomY);
  const fs::path percorso = Fs(l.File);
  fase = "Errore caricamento " + l.File;
  if (std::string e = Tenuta(c, percorso, modo,
                             [&](img::Immagine& im) -> std::string {
                               if (!img::Carica(percorso, im)) return fase;
                               if (l.ZoomX != 1 || l.ZoomY != 1) {
                                 fase = "Errore adattamento " + l.File;
                                 const double nw = Arrotonda_Pari(im.Larghezza() * l.ZoomX);
                                 const double nh = Arrotonda_Pari(im.Altezza() * l.ZoomY);
                                 if (nw < 1 || nh < 1 ||
                                     imagegen::Byte_Immagine(static_cast<int64_t>(nw), static_cast<int64_t>(nh),
                                                             im.Bit()) > Limite_Immagine)
                                   return fase;
                                 if (!im.Ridimensiona(static_cast<int>(nw), static_cast<int>(nh))) return fase;
                               }
                               return {};
                             });
      !e.empty()) {
    fase = e;
    return e;
  }
  logo = &c.im;
  const int64_t lw = logo->Larghezza(), lh = logo->Altezza();
  constexpr int64_t kMax16 = std::numeric_limits<int16_t>::max();
  fase = "Errore di " + n + "_Left";
  if (!Fra(l.Left, 1 - int64_t{W}, int64_t{W} - 1)) return n + "_Left errato";
  fase = "Errore di " + n + "_Top";
  if (!Fra(l.Top, 1 - int64_t{H}, int64_t{H} - 1)) return n + "_Top errato";
  fase = "Errore di " + n + "_Src_Left";
  if (!Fra(l.Src_Left, 0, lw)) return n + "_Src_Left errato";
  fase = "Errore di " + n + "_Src_Top";
  if (!Fra(l.Src_Top, 0, lh)) return n + "_Src_Top errato";
  // A logo wider or taller than a 16-bit member holds cannot be written back.
  fase = "Errore di " + n + "_Width";
  if (l.Width == 0) {
    if (lw > kMax16) return fase;
    l.Width = static_cast<int16_t>(lw);
  }
  if (!Fra(l.Width, 0, lw)) return n + "_Width errato";
  fase = "Errore di " + n + "_Height";
  if (l.Height == 0) {
    if (lh > kMax16) return fase;
    l.Height = static_cast<int16_t>(lh);
  }
  if (!Fra(l.Height, 0, lh)) return n + "_Height errato";
  fase = "Errore di " + n + "_Mode";
  if (!Fra(l.Mode, 0, 2)) return n + "_Mode errato";
  fase = "Errore di qodimg_" + n + "_Pos";
  if (!Fra(l.Pos, 0, 1)) return n + "_Pos errato";
  fase = std::string("Errore di ") + l.somma_x;
  if (int64_t{l.Src_Left} + l.Width > lw) return n + "_Src_Left+" + n + "_Width errato";
  fase = std::string("Errore di ") + l.somma_y;
  if (int64_t{l.Src_Top} + l.Height > lh) return n + "_Src_Top+" + n + "_Height errato";
  return {};
}

std::string Qod_IMG::Motore::Nascoste() {
  static const char* const kLettura = "Errore lettura {TN=...,...,...}";
  fase = "Errore caricamento aree da nascondere";
  imagegen::Lettore_Righe in(Fs(g.qodimg_Cmd_File));
  if (!in.Aperto()) return fase;
  const int32_t righe = g.qodimg_Txt_Rows, colonne = g.qodimg_Txt_Cols;
  std::string riga;
  while (in.Prossima(riga)) {
    fase = kLettura;
    const auto tag = imagegen::Leggi_Tag(riga);
    if (!tag || tag->codice != "TN") continue;
    const auto n = imagegen::Tre_Numeri(riga, tag->chiusa);
    if (!n) return kLettura;
    const auto [r, c, len] = *n;
    if (r < 1 || r > righe) return "Riga errata in {TN=...,...,...}";
    if (c < 1 || c > colonne) return "Colonna errata in {TN=...,...,...}";
    if (len < 1 || int64_t{c} - 1 + len > colonne) return "Lunghezza errata in {TN=...,...,...}";
    uint8_t* p = nascoste.data() + static_cast<size_t>(r - 1) * static_cast<size_t>(colonne) + static_cast<size_t>(c - 1);
    std::fill(p, p + len, uint8_t{1});
    fase = "Errore caricamento aree da nascondere";
  }
  return {};
}

std::string Qod_IMG::Motore::Testo() {
  fase = "Errore sovrapposizione testo";
  if (!striscia) return fase;
  File_C f(Fs(g.qodimg_Txt_File).c_str(), "rb");
  if (!f) return fase;
  const int32_t righe = g.qodimg_Txt_Rows, colonne = g.qodimg_Txt_Cols;
  const int32_t passo_c = g.qodimg_Txt_Col_Dim, passo_r = g.qodimg_Txt_Row_Dim;
  const int32_t left = g.qodimg_Txt_Left, top = g.qodimg_Txt_Top;
  const int gw = g.qodimg_Fnt_Width, gh = g.qodimg_Fnt_Height;
  const int fl = g.qodimg_Fnt_Left, ft = g.qodimg_Fnt_Top;
  const img::Raster modo = img::Raster_Da_Modo(g.qodimg_Fnt_Mode);
  int32_t fine = top - passo_r;
  int32_t r = 0, c = 0;
  int32_t y = top;
  bool finito = false;
  unsigned char buffer[8192];
  size_t letti;
  while (!finito && (letti = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
    for (size_t i = 0; i < letti; ++i) {
      const unsigned char b = buffer[i];
      if (b == 13) {
        if (++r >= righe) {
          finito = true;
          break;
        }
        c = 0;
        y = r * passo_r + top;
      } else if (b == 10) {
      } else if (b == 32) {
        ++c;
      } else {
        if (c < colonne && !nascoste[static_cast<size_t>(r) * static_cast<size_t>(colonne) + static_cast<size_t>(c)]) {
          img::Trasferisci(tela, c * passo_c + left, y, gw, gh, *striscia, b * cella_w + fl, ft, modo);
          fine = y;
        }
        ++c;
      }
    }
  }
  const bool errore = std::ferror(f.get()) != 0;
  g.fine_testo_ = fine + passo_r;
  if (errore) return fase;
  return {};
}

void Qod_IMG::Motore::Logo_Posa(const Logo& l, const img::Immagine& im) {
  fase = "Errore sovrapposizione " + l.File;
  const int64_t top = int64_t{l.Top} + (l.Pos == 1 ? g.fine_testo_ : 0);
  if (top < std::numeric_limits<int>::min() || top > std::numeric_limits<int>::max()) return;
  img::Trasferisci(tela, l.Left, static_cast<int>(top), l.Width, l.Height, im, l.Src_Left, l.Src_Top,
                   img::Raster_Da_Modo(l.Mode));
}

std::string Qod_IMG::Motore::Comandi(bool azzera, imagegen::Passata passata) {
  fase = "Errore applicazione estensioni";
  imagegen::Pagina_Comandi p;
  p.tela = &tela;
  p.txt_left = g.qodimg_Txt_Left;
  p.txt_top = g.qodimg_Txt_Top;
  p.col_dim = g.qodimg_Txt_Col_Dim;
  p.row_dim = g.qodimg_Txt_Row_Dim;
  p.sfondo = img::Colore::Da_RGB(static_cast<uint32_t>(g.qodimg_Out_BkColor));
  p.bit_aree = tipo->bit_tela;
  p.im1 = &im1;
  p.im4 = &im4;
  std::error_code ec;
  p.temp = fs::temp_directory_path(ec);
  if (ec) p.temp = "/tmp";
  return imagegen::Applica_Comandi(Fs(g.qodimg_Cmd_File), g.stato_, azzera, passata, g.qodimg_Cmd_CPY, p);
}

std::string Qod_IMG::Motore::Esegui(bool inizializza) {
  const double t0 = tempi ? Ora_Ms() : 0;
  if (std::string e = Controlli(); !e.empty()) return e;
  const bool testo = !g.qodimg_Txt_File.empty();
  const bool comandi = !g.qodimg_Cmd_File.empty();
  if (testo)
    if (std::string e = Testo(); !e.empty()) return e;
  if (logo1) Logo_Posa(Logo1(), *logo1);
  if (comandi)
    if (std::string e = Comandi(inizializza, imagegen::Passata::A); !e.empty()) return e;
  if (logo2) Logo_Posa(Logo2(), *logo2);
  if (comandi && g.qodimg_Cmd_CPY >= 1)
    if (std::string e = Comandi(false, imagegen::Passata::B); !e.empty()) return e;
  const img::Colore sfondo = img::Colore::Da_RGB(static_cast<uint32_t>(g.qodimg_Out_BkColor));
  if (g.qodimg_Txt_Orie == 0) {
    fase = "Errore nella rotazione";
    if (!tela.Ruota(27000, sfondo, &g.riserva_)) return fase;
  }
  if (g.qodimg_Out_ZoomX != 1 || g.qodimg_Out_ZoomY != 1) {
    fase = "Errore nello zoom";
    if (!tela.Ridimensiona(g.qodimg_Out_Width, g.qodimg_Out_Height, &g.riserva_)) return fase;
  }
  const double t1 = tempi ? Ora_Ms() : 0;
  fase = "Errore nel salvataggio";
  img::Pagina_Salvataggio s;
  s.codice = g.qodimg_Out_Save;
  s.res_x = g.qodimg_Out_ResX;
  s.res_y = g.qodimg_Out_ResY;
  s.righe_strip = g.qodimg_Rows_Strip;
  s.tif_multipagina = g.qodimg_TIF_MultiP;
  s.jpg_ottimizza = g.qodimg_JPG_Otti;
  s.jpg_qualita = g.qodimg_JPG_Qual;
  s.jpg_attenuazione = g.qodimg_JPG_Atte;
  std::string esito = img::Pagina_Salva(tela, Fs(g.qodimg_Out_File), s);
  if (tempi) {
    tempi->componi_ms = t1 - t0;
    tempi->salva_ms = Ora_Ms() - t1;
  }
  return esito;
}

void Qod_IMG::qodimg_Elabora(bool inizializza) { Elabora(inizializza, nullptr); }

void Qod_IMG::Elabora(bool inizializza, Tempi* tempi) {
  qodimg_Status.clear();
  qodimg_Error = true;
  std::string esito;
  {
    Motore m(*this, tempi);
    try {
      esito = m.Esegui(inizializza);
    } catch (...) {
      esito = m.fase.empty() ? "Errore applicazione estensioni" : m.fase;
    }
  }
  if (esito.empty()) {
    qodimg_Error = false;
  } else {
    qodimg_Status = std::move(esito);
  }
}

void Qod_IMG_Fasi::Elabora(Qod_IMG& g, bool inizializza, double& componi_ms, double& salva_ms) {
  Qod_IMG::Tempi t;
  g.Elabora(inizializza, &t);
  componi_ms = t.componi_ms;
  salva_ms = t.salva_ms;
}

}  // namespace qod
