// The PDF saving stage: pages per second over a spool file of 1000 pages in
// 100 documents of 10 pages (G4 TIFF page images, 1728 x 2292), beside
// Qod_PDF alone writing the same 100 PDFs from the same images. The two are
// interleaved, repetition by repetition (the order alternating), so that
// both see the same machine; the median and the spread (lowest, highest)
// of each are printed, and the ratio of the medians.
//
//   bench_uscite [work folder] [repetitions, default 7]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "qod/basic.h"
#include "qod/bench/misura.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/imaging/file.h"
#include "qod/pdf/qod_pdf.h"
#include "qod/prova/finti.h"
#include "qod/server/emissione.h"

using namespace qod;
namespace fs = std::filesystem;

namespace {

constexpr int kDocumenti = 100, kPagine_Documento = 10, kPagine = kDocumenti * kPagine_Documento;

double Mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path cartella = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "qod_bench_uscite";
  const int ripetizioni = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  fs::remove_all(cartella);
  const fs::path tmps = cartella / "TmpS", uscita = cartella / "stage", sola = cartella / "alone";
  fs::create_directories(tmps);
  fs::create_directories(uscita);
  fs::create_directories(sola);

  // 1000 page images from 20 different pages.
  for (unsigned k = 0; k < 20; ++k)
    if (!img::Salva(bench::Pagina_Testo(k), tmps / ("modello_" + std::to_string(k) + ".TIF"), {5, false, "EXTENSION = TIF"}))
      return 1;
  for (int p = 1; p <= kPagine; ++p)
    fs::copy_file(tmps / ("modello_" + std::to_string(p % 20) + ".TIF"),
                  tmps / ("00001_I_00001_" + Format(static_cast<int64_t>(p), "00000") + ".TIF"));

  // A server whose last spool file left those pages: 100 documents of 10.
  FakeClock orologio;
  RecordingMessageSink messaggi;
  NoPrinters stampanti;
  Server_Base base(orologio, messaggi, stampanti);
  base.Percorso = cartella.string() + "/";
  base.Percorso_Tmp = tmps.string() + "/";
  base.File_INI = (cartella / "Qod_S.INI").string();
  base.File_LOG = (cartella / "Qod_S.LOG").string();
  base.Collegamento.Indice_Server = 1;
  Trasporto trasporto;
  Pannello pannello;
  // The spool file as the road would hand it over, and the stage's parts.
  Stato_Spool stato;
  Attributi_Spool& a = stato.Attributi;
  Pagine_Spool& pagine = stato.Pagine;
  stato.Estensione_Immagine = ".TIF";
  bool errore_spool = false;
  Strada_Fase strada;
  strada.Errore = [&](const std::string&) { errore_spool = true; };
  strada.Guasto = [&](const std::string&) {
    errore_spool = true;
    return false;
  };
  a.Prima_Pagina = 1;
  a.Utente = "BENCH";
  a.Cartella = uscita.string();
  a.PDF_Width = 21.0f;
  a.PDF_Height = 29.7f;
  Tabelle_Pagine& t = pagine.Tabelle;
  for (int p = 1; p <= kPagine; ++p) {
    t.Chiave_Documento.push_back("D" + Format(static_cast<int64_t>((p - 1) / kPagine_Documento + 1), "000"));
    t.Pagina_Documento.push_back((p - 1) % kPagine_Documento + 1);
  }
  pagine.Pagine_Aperte = kPagine;
  Emissione_PDF fase({base, pannello, {}}, trasporto);

  // Qod_PDF alone: the same documents, the same settings.
  auto Da_Solo = [&]() -> bool {
    pdf::Qod_PDF q(orologio);
    q.qodpdf_Width = 21.0f;
    q.qodpdf_Height = 29.7f;
    q.qodpdf_Autor = "BENCH";
    q.qodpdf_Subject = "Oggetto";
    q.qodpdf_Title = "Titolo";
    q.qodpdf_Dir = base.Percorso_Tmp;
    for (int d = 0; d < kDocumenti; ++d) {
      std::string files;
      for (int j = 1; j <= kPagine_Documento; ++j)
        files += (j > 1 ? "," : "") + std::string("00001_I_00001_") +
                 Format(static_cast<int64_t>(d * kPagine_Documento + j), "00000") + ".TIF";
      q.qodpdf_Out = (sola / ("D" + Format(static_cast<int64_t>(d + 1), "000") + ".PDF")).string();
      q.qodpdf_Files = files;
      q.qodpdf_Elabora();
      if (q.qodpdf_Error) return false;
    }
    return true;
  };
  auto Fase = [&]() -> bool {
    errore_spool = false;
    pannello.Valore_Imposta(Pannello::Riga_Stato, "");
    return fase.Esegui(stato, strada) && !errore_spool;
  };

  using Orologio = std::chrono::steady_clock;
  auto Tempo = [](auto&& f, std::vector<double>& pagine_s) -> bool {
    const auto t0 = Orologio::now();
    if (!f()) return false;
    pagine_s.push_back(kPagine / std::chrono::duration<double>(Orologio::now() - t0).count());
    return true;
  };
  std::vector<double> di_fase, di_solo;
  for (int r = 0; r < ripetizioni; ++r) {
    const bool ok = r % 2 == 0 ? Tempo(Fase, di_fase) && Tempo(Da_Solo, di_solo)
                               : Tempo(Da_Solo, di_solo) && Tempo(Fase, di_fase);
    if (!ok) {
      std::fprintf(stderr, "failed: %s\n", pannello.Valore(Pannello::Riga_Stato).c_str());
      return 2;
    }
  }
  if (fs::file_size(uscita / "D100.PDF") == 0 || fs::file_size(sola / "D100.PDF") == 0) return 3;

  auto Riga = [](const char* nome, const std::vector<double>& v) {
    std::printf("  %-28s median %7.0f pages/s   spread %7.0f .. %7.0f\n", nome, Mediana(v),
                *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
  };
  std::printf("PDF saving, %d pages in %d documents of %d (G4 TIFF 1728 x 2292), %d interleaved repetitions:\n",
              kPagine, kDocumenti, kPagine_Documento, ripetizioni);
  Riga("Spool_PDF stage", di_fase);
  Riga("Qod_PDF alone", di_solo);
  std::printf("  ratio stage / alone (medians): %.3f\n", Mediana(di_fase) / Mediana(di_solo));
  fs::remove_all(cartella);
  return 0;
}
