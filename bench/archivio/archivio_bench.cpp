// Upload rate of the archive stage (index record, open, chunks, close) for a
// document of 100 pages of 50 KB images, against the stand-in host's archive
// store, beside a plain loopback transfer (send/recv, 8192-byte sends) of the
// same number of bytes in the same run. The two run interleaved, round after
// round; each round's ratio upload / plain is reported as the median with its
// spread (lowest - highest). Each round also checks the request count: the
// sum of ceil(size / 8161) over the pages plus 3 per document.
//
//   bench_archivio [rounds]     (default 5)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "qod/basic.h"
#include "qod/bench/misura.h"
#include "qod/host_simulato.h"
#include "qod/prova/finti.h"
#include "qod/server/archivia.h"
#include "qod/server/pagine.h"

using namespace qod;
namespace fs = std::filesystem;

namespace {

constexpr int kPagine = 100;
constexpr size_t kImmagine = 50 * 1024;

}  // namespace

int main(int argc, char** argv) {
  const int giri = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const fs::path dir = fs::temp_directory_path() / ("bench_archivio_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  prova::Host_Simulato host({"--dictionary", prova::Host_Simulato::Dizionario_Predefinito(), "--ftp-port", "-1"});
  if (!host.Avvia()) return 1;
  const fs::path programma = dir / "Qod_S";
  if (!host.Programma_Prepara(programma)) return 1;
  FakeClock orologio;
  RecordingMessageSink messaggi;
  NoPrinters stampanti;
  Server_Base base(orologio, messaggi, stampanti);
  if (!base.Base_Inizializza(programma.string(), "")) return 1;
  Trasporto trasporto;
  Connessione_Host conn(base, base, trasporto);
  if (!conn.Host_Collega()) return 1;

  // One document of 100 pages; each page image 50 KB of varied bytes.
  Attributi_Spool a;
  a.Prima_Pagina = 1;
  a.Tipo_Immagine = "7";
  Pagine_Spool pagine;
  pagine.Pagine_Aperte = kPagine;
  size_t totale = 0;
  int64_t pezzi = 0;
  for (int p = 1; p <= kPagine; ++p) {
    pagine.Tabelle.Chiave_Documento.push_back("DOC");
    pagine.Tabelle.Pagina_Documento.push_back(p);
    pagine.Tabelle.Dati_Archivio.push_back(conn.Modello_Archivio);
    std::string dati(kImmagine, '\0');
    for (size_t i = 0; i < dati.size(); ++i) dati[i] = static_cast<char>((i * 131 + static_cast<size_t>(p)) & 0xFF);
    std::FILE* f = std::fopen(File_Immagine(base.Percorso_Tmp, base.Collegamento.Indice_Server, 1, p, ".PNG").c_str(), "wb");
    if (!f || std::fwrite(dati.data(), 1, dati.size(), f) != dati.size() || std::fclose(f) != 0) return 1;
    totale += dati.size();
    pezzi += static_cast<int64_t>((dati.size() + kPezzo_Massimo - 1) / kPezzo_Massimo);
  }
  Definizione_Formato formato;
  Gruppi_Campi gruppi;
  const std::string estensione = ".PNG";
  Risultato_Ping ping;
  Pannello quadro;
  const Pump pompa;
  bool errore = false;
  Contesto_Fase c{a, {}, formato, gruppi, pagine, estensione, 1, ping, base, quadro, pompa, trasporto, conn,
                  [&](const std::string&) { errore = true; }, [&](const std::string&) {
                    errore = true;
                    return false;
                  }};
  Fase_Archivia fase;

  bench::Serie upload, semplice;
  size_t richieste_prima = host.Log("REC").size();
  bool conteggio = true;
  for (int g = 0; g < giri; ++g) {
    bool ok = true;
    upload.Aggiungi(bench::Cronometra_Ms([&] { ok = fase.Esegui(c); }));
    if (!ok || errore) {
      std::fprintf(stderr, "upload failed\n");
      return 1;
    }
    semplice.Aggiungi(bench::Loopback_Ms(totale));
    const size_t richieste = host.Log("REC").size();
    conteggio = conteggio && static_cast<int64_t>(richieste - richieste_prima) == pezzi + 3;
    richieste_prima = richieste;
  }
  const double mb = static_cast<double>(totale) / 1e6;
  auto rate = [&](const bench::Serie& ms) {
    bench::Serie r;
    for (size_t i = 0; i < ms.Quanti(); ++i) r.Aggiungi(mb / (ms[i] / 1000.0));
    return r;
  };
  std::printf("archive upload, 1 document of %d pages x %zu bytes (%.1f MB), %d rounds, interleaved\n", kPagine,
              kImmagine, mb, giri);
  std::printf("  upload MB/s:        %s\n", rate(upload).Testo("%.1f").c_str());
  std::printf("  plain loopback MB/s: %s\n", rate(semplice).Testo("%.1f").c_str());
  std::printf("  ratio upload/plain:  %s\n", bench::Rapporto(rate(upload), rate(semplice)).Testo("%.3f").c_str());
  std::printf("  requests per round:  %lld expected (sum of chunks %lld + 3): %s\n",
              static_cast<long long>(pezzi + 3), static_cast<long long>(pezzi), conteggio ? "ok" : "MISMATCH");
  std::error_code ec;
  fs::remove_all(dir, ec);
  return conteggio ? 0 : 1;
}
