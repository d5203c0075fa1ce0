// Upload rate of the server's archive stage, its real code path (index
// record, open, the page image files read and sent in chunks, close), for a
// document of 100 pages of 50 KB images (5 MB) against the stand-in host's
// archive store; beside, in the same round, a bare request/reply loop of the
// same exchanges (the same request and reply sizes, one after another, over
// loopback; bench/comune/scambi.h), once reading the same page files the
// bare way and once without them; and, to see what the stand-in itself
// costs, the same upload against that bare answering process (with replies
// the server understands) in place of the stand-in. In each round the four
// run interleaved, three times each, and each keeps its fastest time (on a
// shared machine the other runs only add time); each round's ratios are
// reported as the median over the rounds with their spread (lowest -
// highest).
// Each round also checks the request count: the sum of ceil(size / 8161)
// over the pages plus 3 per document.
//
// Everything runs on one core (bench/comune/scambi.h: Un_Nucleo) unless
// QOD_BENCH_CORE says otherwise; TMPDIR chooses the page files' file system.
//
//   bench_archivio [rounds]     (default 9)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "qod/basic.h"
#include "qod/bench/misura.h"
#include "qod/bench/scambi.h"
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
  const int giri = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const int nucleo = bench::Un_Nucleo();
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
  Stato_Spool stato;
  Attributi_Spool& a = stato.Attributi;
  a.Prima_Pagina = 1;
  a.Tipo_Immagine = "7";
  stato.Dizionario = &conn.Dizionario;
  stato.Estensione_Immagine = ".PNG";
  Pagine_Spool& pagine = stato.Pagine;
  pagine.Pagine_Aperte = kPagine;
  size_t totale = 0;
  int64_t pezzi = 0;
  // The exchanges: "I" (prefix 16 and the index record, the id back), "C",
  // the chunks ("W": id, kind, page, chunk, length, the bytes), "B".
  const size_t indice = static_cast<size_t>(conn.Dizionario.Inizio[static_cast<size_t>(conn.Dizionario.Numero + 1)] - 1);
  std::vector<bench::Scambio> scambi = {{6 + 16 + indice, 10}, {6 + 10, 0}};
  for (int p = 1; p <= kPagine; ++p) {
    pagine.Tabelle.Chiave_Documento.push_back("DOC");
    pagine.Tabelle.Pagina_Documento.push_back(p);
    pagine.Tabelle.Dati_Archivio.push_back(conn.Modello_Archivio);
    std::string dati(kImmagine, '\0');
    for (size_t i = 0; i < dati.size(); ++i) dati[i] = static_cast<char>((i * 131 + static_cast<size_t>(p)) & 0xFF);
    const std::string file = File_Immagine(base.Percorso_Tmp, base.Collegamento.Indice_Server, 1, p, ".PNG");
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f || std::fwrite(dati.data(), 1, dati.size(), f) != dati.size() || std::fclose(f) != 0) return 1;
    totale += dati.size();
    pezzi += static_cast<int64_t>((dati.size() + kPezzo_Massimo - 1) / kPezzo_Massimo);
    for (size_t i = 0; i < dati.size(); i += kPezzo_Massimo) {
      const size_t n = std::min(dati.size() - i, static_cast<size_t>(kPezzo_Massimo));
      scambi.push_back({6 + 25 + n, 0, file, n});
    }
  }
  scambi.push_back({6 + 10, 0});
  std::vector<bench::Scambio> solo = scambi;
  for (auto& x : solo) x.file.clear(), x.dal_file = 0;
  // The replies the server understands, in EBCDIC: "0", the zoned length,
  // the body (for "I" an id of ten digits).
  std::vector<bench::Scambio> risposte = solo;
  for (auto& x : risposte) x.risposta = x.corpo == 10 ? "\xF0\xF0\xF0\xF0\xF1\xF0" + std::string(9, '\xF0') + "\xF1"
                                                      : std::string(6, '\xF0');
  // Against that bare host, the server's transport has a connection of its
  // own to it for each upload.
  Trasporto verso_nudo;
  std::string descrizione;
  verso_nudo.Sock_Init(descrizione, (programma / "Qod_TBL1.Tbl").string());
  Pannello quadro;
  bool errore = false;
  Strada_Fase strada;
  strada.Errore = [&](const std::string&) { errore = true; };
  strada.Guasto = [&](const std::string&) {
    errore = true;
    return false;
  };
  // The stage on the server's connection, and on the one to the bare host.
  Fase_Archivia fase({base, quadro, {}}, trasporto);
  Fase_Archivia fase_nudo({base, quadro, {}}, verso_nudo);
  // The upload against the bare host: its time.
  auto Verso_Nudo = [&]() {
    bench::Risponditore r(risposte);
    std::string indirizzo;
    if (!verso_nudo.Sock_Connect(kSlot_Host, "127.0.0.1", r.Porta(), indirizzo)) std::exit(1);
    bool ok = true;
    const double ms = bench::Cronometra_Ms([&] { ok = fase_nudo.Esegui(stato, strada); });
    verso_nudo.Sock_Close(kSlot_Host);
    if (!ok || errore || !r.Fine()) {
      std::fprintf(stderr, "upload to the bare host failed\n");
      std::exit(1);
    }
    return ms;
  };

  // First, uploads that are not counted, as many as the stand-in keeps in
  // memory and one more: it then runs as it does for good, on memory it has
  // had before (fresh memory costs a page fault for every page).
  for (int volta = 0; volta < 5; ++volta) {
    if (!fase.Esegui(stato, strada) || errore) return 1;
    host.Sincronizza();
  }
  Verso_Nudo();
  bench::Serie upload, nudo, solo_scambi, host_nudo;
  const size_t richieste_prima = host.Log("REC").size();
  for (int g = 0; g < giri; ++g) {
    double u = 1e300, n = 1e300, k = 1e300, h = 1e300;
    for (int volta = 0; volta < 3; ++volta) {
      bool ok = true;
      u = std::min(u, bench::Cronometra_Ms([&] { ok = fase.Esegui(stato, strada); }));
      if (!ok || errore) {
        std::fprintf(stderr, "upload failed\n");
        return 1;
      }
      // The stand-in writes the store's files and its log once the document
      // is closed; it has done so before the next contender starts.
      host.Sincronizza();
      n = std::min(n, bench::Scambi_Ms(scambi));
      k = std::min(k, bench::Scambi_Ms(solo));
      h = std::min(h, Verso_Nudo());
    }
    host_nudo.Aggiungi(h);
    upload.Aggiungi(u);
    nudo.Aggiungi(n);
    solo_scambi.Aggiungi(k);
  }
  const bool conteggio =
      static_cast<int64_t>(host.Log("REC").size() - richieste_prima) == 3 * giri * (pezzi + 3);
  const double mb = static_cast<double>(totale) / 1e6;
  auto rate = [&](const bench::Serie& ms) {
    bench::Serie r;
    for (size_t i = 0; i < ms.Quanti(); ++i) r.Aggiungi(mb / (ms[i] / 1000.0));
    return r;
  };
  std::printf("archive upload, 1 document of %d pages x %zu bytes (%.1f MB, %zu exchanges), %d rounds of 3,\n", kPagine,
              kImmagine, mb, scambi.size(), giri);
  std::printf("interleaved, the fastest of each in a round, on %s; median (lowest - highest)\n",
              nucleo < 0 ? "every core" : ("core " + std::to_string(nucleo)).c_str());
  std::printf("  upload MB/s:                         %s\n", rate(upload).Testo("%.1f").c_str());
  std::printf("  bare exchanges + page files MB/s:    %s\n", rate(nudo).Testo("%.1f").c_str());
  std::printf("  bare exchanges alone MB/s:           %s\n", rate(solo_scambi).Testo("%.1f").c_str());
  std::printf("  ratio upload / bare with files:      %s\n", bench::Rapporto(upload, nudo).Testo("%.2f").c_str());
  std::printf("  ratio upload / bare exchanges alone: %s\n", bench::Rapporto(upload, solo_scambi).Testo("%.2f").c_str());
  std::printf("  upload to a bare host MB/s:          %s\n", rate(host_nudo).Testo("%.1f").c_str());
  std::printf("  ratio stand-in / bare host:          %s\n", bench::Rapporto(upload, host_nudo).Testo("%.2f").c_str());
  std::printf("  requests per upload:  %lld expected (sum of chunks %lld + 3): %s\n",
              static_cast<long long>(pezzi + 3), static_cast<long long>(pezzi), conteggio ? "ok" : "MISMATCH");
  std::error_code ec;
  fs::remove_all(dir, ec);
  return conteggio ? 0 : 1;
}
