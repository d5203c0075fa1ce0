#include "qod/pdf/qod_pdf.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/pdf/x_pdf.h"
#include "qod/winpath.h"

namespace qod::pdf {
namespace {

namespace fs = std::filesystem;
using Messaggio = std::optional<std::string>;

// Runs one step: its own check message, or the step's failure message when
// anything inside it fails.
template <class F>
bool Passo(std::string& stato, const std::string& errore, F&& f) {
  try {
    Messaggio m = f();
    if (m) {
      stato = *m;
      return false;
    }
    return true;
  } catch (...) {
    stato = errore;
    return false;
  }
}

// The items of a comma-separated list: from the position to the next comma
// (or the end); the scan goes on while the next position is less than the
// length of the list, so a one-character item after the last comma is not
// visited.
std::vector<std::string> Voci(const std::string& lista) {
  std::vector<std::string> voci;
  const int64_t lunghezza = static_cast<int64_t>(lista.size());
  int64_t pos = 1;
  do {
    int64_t virgola = InStr(pos, lista, ",");
    if (virgola == 0) {
      voci.push_back(Mid(lista, pos));
      pos = lunghezza + 2;
    } else {
      voci.push_back(Mid(lista, pos, virgola - pos));
      pos = virgola + 1;
    }
  } while (pos < lunghezza);
  return voci;
}

bool Cartella_Esiste(const std::string& percorso) {
  std::error_code ec;
  return !percorso.empty() && fs::is_directory(Percorso_Fs(Percorso_Risolvi(percorso)), ec);
}

// A plain file; hidden files (names beginning with ".") count as missing.
bool File_Esiste(const std::string& percorso) {
  std::error_code ec;
  fs::path p = Percorso_Fs(Percorso_Risolvi(percorso));
  std::string nome = p.filename().string();
  return !nome.empty() && nome[0] != '.' && fs::is_regular_file(p, ec);
}

bool Nel_Campo(float v) { return v >= -99 && v <= 99; }

// The paths of the list's items that are not blank: the folder and the name
// joined by "/" (unless the folder already ends with a separator).
std::vector<std::string> Percorsi_Voci(const std::string& lista, const std::string& cartella) {
  const bool barra = !cartella.empty() && (cartella.back() == '/' || cartella.back() == '\\');
  std::vector<std::string> percorsi;
  for (const std::string& voce : Voci(lista)) {
    std::string nome = Trim(voce);
    if (!nome.empty()) percorsi.push_back(cartella + (barra ? "" : "/") + nome);
  }
  return percorsi;
}

// The output file: trimmed (and kept so), its folder must exist.
Messaggio Uscita_Controlla(std::string& uscita) {
  uscita = Trim(uscita);
  if (uscita.empty()) return "Qod_PDF: Manca il file di output";
  size_t barra = uscita.find_last_of("\\/");
  if (barra == std::string::npos || !Cartella_Esiste(uscita.substr(0, barra)))
    return A("Qod_PDF: La cartella dell file di output è errata o mancante");
  return std::nullopt;
}

// The input folder: trimmed (and kept so), it must exist.
Messaggio Ingresso_Controlla(std::string& cartella) {
  cartella = Trim(cartella);
  if (cartella.empty()) return "Qod_PDF: Manca la cartella dei file di input";
  if (!Cartella_Esiste(cartella)) return A("Qod_PDF: La cartella dei file di input è errata");
  return std::nullopt;
}

// The checking scan of the file list: every item a PNG or TIFF file that
// exists, and at least one.
Messaggio Elenco_Controlla(const std::string& lista, const std::string& cartella) {
  if (Trim(lista).empty()) return "Qod_PDF: Manca l'elenco dei files";
  int contati = 0;
  for (const std::string& percorso : Percorsi_Voci(lista, cartella)) {
    if (!File_Esiste(percorso)) return A("Qod_PDF: Il file '") + percorso + A("' è errato o mancante");
    std::string estensione = UCase(Right(percorso, 4));
    if (estensione != ".PNG" && estensione != ".TIF")
      return A("Qod_PDF: L'estensione '") + estensione + A("' non è supportata");
    ++contati;
  }
  if (contati == 0) return "Qod_PDF: Files nell'elenco errati o mancanti";
  return std::nullopt;
}

// An existing output file goes.
void Uscita_Cancella(const std::string& uscita) {
  fs::path p = Percorso_Fs(uscita);
  if (fs::is_regular_file(p) || fs::is_symlink(p)) fs::remove(p);
}

// The writer and its document, with the document's information and
// orientation. It is written under a temporary name and takes the output
// name only when complete; a writer released before that leaves nothing at
// the output name.
std::unique_ptr<X_PDF> Documento_Apri(const Qod_PDF& q, const Clock& orologio, const std::string& uscita) {
  auto pdf = std::make_unique<X_PDF>(orologio);
  pdf->Title(q.qodpdf_Title);
  pdf->Autor(q.qodpdf_Autor);
  pdf->Subject(q.qodpdf_Subject);
  pdf->Orientation(q.qodpdf_Width > q.qodpdf_Height ? 2 : 1);
  std::string nome = uscita;
  pdf->InitPDFFile(nome);
  return pdf;
}

// The loading scan of the file list: "Img1", "Img2", ... in list order,
// skipping what the checking scan would refuse. An image that adds nothing
// to the document is a failure. `n`: the images loaded.
Messaggio Immagini_Carica(X_PDF& pdf, const Qod_PDF& q, int& n) {
  for (const std::string& percorso : Percorsi_Voci(q.qodpdf_Files, q.qodpdf_Dir)) {
    if (!File_Esiste(percorso)) continue;
    std::string estensione = UCase(Right(percorso, 4));
    const bool tiff = estensione == ".TIF";
    if (!tiff && estensione != ".PNG") continue;
    ++n;
    const std::string errore = tiff ? "Qod_PDF: Errore caricamento TIFF" : "Qod_PDF: Errore caricamento PNG";
    bool caricato = false;
    try {
      std::string file = Percorso_Risolvi(percorso);
      std::string img = "Img" + std::to_string(n);
      caricato = tiff ? pdf.LoadImgFromTIFFile(img, file) : pdf.LoadImgFromPNGFile(img, file);
    } catch (...) {
      caricato = false;
    }
    if (!caricato) return errore;
  }
  return std::nullopt;
}

// One page per image, with "pag. i / n" when asked.
void Pagine_Scrivi(X_PDF& pdf, const Qod_PDF& q, int n) {
  for (int i = 1; i <= n; ++i) {
    pdf.StartPage();
    pdf.DrawImg("Img" + std::to_string(i), q.qodpdf_Left, q.qodpdf_Top, q.qodpdf_Width, -q.qodpdf_Height);
    if (q.qodpdf_Pag)
      pdf.DrawText(q.qodpdf_Pag_Left, q.qodpdf_Pag_Top, "pag. " + std::to_string(i) + " / " + std::to_string(n),
                   "Fnt1", 8, 2, 0);
    pdf.EndPage();
  }
}

}  // namespace

void Qod_PDF::qodpdf_Elabora() {
  qodpdf_Status.clear();
  qodpdf_Error = true;
  std::string& stato = qodpdf_Status;
  // A step that fails only by throwing.
  const auto fatto = [](auto passo) {
    return [passo]() -> Messaggio {
      passo();
      return std::nullopt;
    };
  };

  // The positions and sizes in range, in this order; the page number's
  // also without qodpdf_Pag.
  struct Campo {
    float valore;
    const char* fuori;
    const char* errore;
  };
  const Campo campi[] = {
      {qodpdf_Left, "Qod_PDF: Posizione Left errata", "Qod_PDF: Errore nel controllo della posizione Left"},
      {qodpdf_Top, "Qod_PDF: Posizione Top errata", "Qod_PDF: Errore nel controllo della posizione Top"},
      {qodpdf_Width, "Qod_PDF: Dimensione Width errata", "Qod_PDF: Errore nel controllo della dimensione Width"},
      {qodpdf_Height, "Qod_PDF: Dimensione Height errata", "Qod_PDF: Errore nel controllo della dimensione Height"},
      {qodpdf_Pag_Left, "Qod_PDF: Posizione Left per il numero pagina errata",
       "Qod_PDF: Errore nel controllo della posizione Left per il numero pagina"},
      {qodpdf_Pag_Top, "Qod_PDF: Posizione Top per il numero pagina errata",
       "Qod_PDF: Errore nel controllo della posizione Top per il numero pagina"},
  };
  for (const Campo& c : campi)
    if (!Passo(stato, c.errore, [&]() -> Messaggio {
          if (!Nel_Campo(c.valore)) return c.fuori;
          return std::nullopt;
        }))
      return;

  // The output file, the input folder, the file list.
  if (!Passo(stato, "Qod_PDF: Errore nel controllo del file di output", [&] { return Uscita_Controlla(qodpdf_Out); }))
    return;
  if (!Passo(stato, "Qod_PDF: Errore nel controllo della cartella dei file di input",
             [&] { return Ingresso_Controlla(qodpdf_Dir); }))
    return;
  if (!Passo(stato, "Qod_PDF: Errore nel controllo dell'elenco dei files",
             [&] { return Elenco_Controlla(qodpdf_Files, qodpdf_Dir); }))
    return;

  // An existing output file goes; then the document, its page number font,
  // its images and its pages; closed, it takes the output name.
  const std::string uscita = Percorso_Risolvi(qodpdf_Out);
  if (!Passo(stato, "Qod_PDF: Errore nella cancellazione del file di output" + qodpdf_Out,
             fatto([&] { Uscita_Cancella(uscita); })))
    return;
  std::unique_ptr<X_PDF> pdf;
  if (!Passo(stato, "Qod_PDF: Errore inizializzazione documento PDF",
             fatto([&] { pdf = Documento_Apri(*this, orologio_, uscita); })))
    return;
  if (!Passo(stato, "Qod_PDF: Errore caricamento font", fatto([&] {
               if (qodpdf_Pag) {
                 std::string font = "Arial";
                 pdf->LoadFont("Fnt1", font, 1);
               }
             })))
    return;
  int n = 0;
  if (!Passo(stato, "Qod_PDF: Errore caricamento immagini", [&] { return Immagini_Carica(*pdf, *this, n); })) return;
  if (!Passo(stato, "Qod_PDF: Errore documento PDF", fatto([&] { Pagine_Scrivi(*pdf, *this, n); }))) return;
  if (!Passo(stato, "Qod_PDF: Errore chiusura documento PDF", fatto([&] {
               pdf->ClosePDFFile();
               pdf.reset();
             })))
    return;
  qodpdf_Error = false;
}

}  // namespace qod::pdf
