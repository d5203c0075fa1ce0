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

// The path of a list item: the folder and the name joined by "/" (unless the
// folder already ends with a separator).
std::string Percorso_Voce(const std::string& cartella, const std::string& nome) {
  const bool barra = !cartella.empty() && (cartella.back() == '/' || cartella.back() == '\\');
  return cartella + (barra ? "" : "/") + nome;
}

}  // namespace

void Qod_PDF::qodpdf_Elabora() {
  qodpdf_Status.clear();
  qodpdf_Error = true;
  std::string& stato = qodpdf_Status;

  // 2. Ranges, in this order; the page number positions also without qodpdf_Pag.
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

  // 3. Output file and its folder.
  if (!Passo(stato, "Qod_PDF: Errore nel controllo del file di output", [&]() -> Messaggio {
        qodpdf_Out = Trim(qodpdf_Out);
        if (qodpdf_Out.empty()) return "Qod_PDF: Manca il file di output";
        size_t barra = qodpdf_Out.find_last_of("\\/");
        if (barra == std::string::npos || !Cartella_Esiste(qodpdf_Out.substr(0, barra)))
          return A("Qod_PDF: La cartella dell file di output è errata o mancante");
        return std::nullopt;
      }))
    return;

  // 4. Input folder.
  if (!Passo(stato, "Qod_PDF: Errore nel controllo della cartella dei file di input", [&]() -> Messaggio {
        qodpdf_Dir = Trim(qodpdf_Dir);
        if (qodpdf_Dir.empty()) return "Qod_PDF: Manca la cartella dei file di input";
        if (!Cartella_Esiste(qodpdf_Dir)) return A("Qod_PDF: La cartella dei file di input è errata");
        return std::nullopt;
      }))
    return;

  // 5. File list, checking scan.
  if (!Passo(stato, "Qod_PDF: Errore nel controllo dell'elenco dei files", [&]() -> Messaggio {
        if (Trim(qodpdf_Files).empty()) return "Qod_PDF: Manca l'elenco dei files";
        int contati = 0;
        for (const std::string& voce : Voci(qodpdf_Files)) {
          std::string nome = Trim(voce);
          if (nome.empty()) continue;
          std::string percorso = Percorso_Voce(qodpdf_Dir, nome);
          if (!File_Esiste(percorso)) return A("Qod_PDF: Il file '") + percorso + A("' è errato o mancante");
          std::string estensione = UCase(Right(percorso, 4));
          if (estensione != ".PNG" && estensione != ".TIF")
            return A("Qod_PDF: L'estensione '") + estensione + A("' non è supportata");
          ++contati;
        }
        if (contati == 0) return "Qod_PDF: Files nell'elenco errati o mancanti";
        return std::nullopt;
      }))
    return;

  // 6. An existing output file is deleted.
  const std::string uscita = Percorso_Risolvi(qodpdf_Out);
  if (!Passo(stato, "Qod_PDF: Errore nella cancellazione del file di output" + qodpdf_Out, [&]() -> Messaggio {
        fs::path p = Percorso_Fs(uscita);
        if (fs::is_regular_file(p) || fs::is_symlink(p)) fs::remove(p);
        return std::nullopt;
      }))
    return;

  // 7. The writer and its document. It is written under a temporary name and
  // takes the output name only when complete; a writer released before that
  // leaves nothing at qodpdf_Out.
  std::unique_ptr<X_PDF> pdf;
  if (!Passo(stato, "Qod_PDF: Errore inizializzazione documento PDF", [&]() -> Messaggio {
        pdf = std::make_unique<X_PDF>(orologio_);
        pdf->Title(qodpdf_Title);
        pdf->Autor(qodpdf_Autor);
        pdf->Subject(qodpdf_Subject);
        pdf->Orientation(qodpdf_Width > qodpdf_Height ? 2 : 1);
        std::string nome = uscita;
        pdf->InitPDFFile(nome);
        return std::nullopt;
      }))
    return;

  // 8. The page number font.
  if (!Passo(stato, "Qod_PDF: Errore caricamento font", [&]() -> Messaggio {
        if (qodpdf_Pag) {
          std::string font = "Arial";
          pdf->LoadFont("Fnt1", font, 1);
        }
        return std::nullopt;
      }))
    return;

  // 9. File list, loading scan: "Img1", "Img2", ... in list order. An image
  // that adds nothing to the document is a failure.
  int n = 0;
  if (!Passo(stato, "Qod_PDF: Errore caricamento immagini", [&]() -> Messaggio {
        for (const std::string& voce : Voci(qodpdf_Files)) {
          std::string nome = Trim(voce);
          if (nome.empty()) continue;
          std::string percorso = Percorso_Voce(qodpdf_Dir, nome);
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
            caricato = tiff ? pdf->LoadImgFromTIFFile(img, file) : pdf->LoadImgFromPNGFile(img, file);
          } catch (...) {
            caricato = false;
          }
          if (!caricato) return errore;
        }
        return std::nullopt;
      }))
    return;

  // 10. One page per image.
  if (!Passo(stato, "Qod_PDF: Errore documento PDF", [&]() -> Messaggio {
        for (int i = 1; i <= n; ++i) {
          pdf->StartPage();
          pdf->DrawImg("Img" + std::to_string(i), qodpdf_Left, qodpdf_Top, qodpdf_Width, -qodpdf_Height);
          if (qodpdf_Pag)
            pdf->DrawText(qodpdf_Pag_Left, qodpdf_Pag_Top, "pag. " + std::to_string(i) + " / " + std::to_string(n),
                          "Fnt1", 8, 2, 0);
          pdf->EndPage();
        }
        return std::nullopt;
      }))
    return;

  // 11. Close and name the document.
  if (!Passo(stato, "Qod_PDF: Errore chiusura documento PDF", [&]() -> Messaggio {
        pdf->ClosePDFFile();
        pdf.reset();
        return std::nullopt;
      }))
    return;
  qodpdf_Error = false;
}

}  // namespace qod::pdf
