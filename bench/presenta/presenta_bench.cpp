// Fetch rate of the archive viewer (index record, then every page's chunks
// into its page files) for a document of 50 page images of 60 KB and a text
// document of 50 pages (a 66 x 80 page text and its tag commands, plus the
// attribute record), from the stand-in host's archive store, beside a plain
// loopback transfer (send/recv, 8192-byte sends) of the same number of bytes
// in the same run. The three run interleaved, round after round; each
// round's ratio fetch / plain is reported as the median with its spread
// (lowest - highest). Text pages are not rendered here: the generator is
// measured by bench_imagegen. Each round checks the page files byte for byte.
//
//   bench_presenta [rounds]     (default 5)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

#include "qod/basic.h"
#include "qod/bench/misura.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/presenta.h"
#include "qod/client/trasporto_client.h"
#include "qod/host_simulato.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"

using namespace qod;
namespace fs = std::filesystem;

namespace {

constexpr int kPagine = 50;
constexpr size_t kImmagine = 60 * 1024;
constexpr size_t kPezzo = 8161;  // the largest chunk the server uploads

// Renders nothing: the fetch alone is measured.
class Nessun_Generatore : public Generatore_Immagini {
 public:
  void Imposta(const Attributi_Spool&, const std::string&, const std::string&) override {}
  void Elabora(const Pagina_Immagine&) override {}
  bool Errore() const override { return false; }
  std::string Stato() const override { return {}; }
};

struct Vista_Muta : Vista_Documento {
  int messaggi = 0;
  void Messaggio_Mostra(const std::string& testo) override {
    std::fprintf(stderr, "%s\n", testo.c_str());
    ++messaggi;
  }
  void Immagine_Carica(const std::string&, const Valori_Fax&) override {}
  void Immagine_Stampa(const std::string&) override {}
  void Immagine_Set_Stampa(const std::string&) override {}
};

// A closed document of the store: its index record and its files cut into
// chunks as the server uploads them. Returns the bytes of its chunks.
size_t Documento(const fs::path& archivio, int numero, const std::string& tipo,
                 const std::map<std::string, std::string>& file) {
  const fs::path d = archivio / Format(numero, "0000000000");
  fs::create_directories(d / "chunk");
  std::string indice = "U" + Space(10) + Format(kPagine, "00000") + Space(93) + (tipo == "T" ? "TTT" : tipo + "  ");
  indice += Space(69);
  prova::File_Scrivi(d / "indice.txt", indice);
  prova::File_Scrivi(d / "stato.txt", "chiuso\n");
  size_t totale = 0;
  std::map<std::string, int> numeri;
  for (const auto& [nome, dati] : file) {  // "K_PPPPP" or "K_PPPPP_x" for a second file of the page
    const std::string pagina = nome.substr(0, 7);
    for (size_t i = 0; i < dati.size(); i += kPezzo) {
      const std::string pezzo = dati.substr(i, kPezzo);
      // The attribute record is chunk 0 of page 0.
      const int n = pagina == "0_00000" ? 0 : ++numeri[pagina];
      prova::File_Scrivi(d / "chunk" / (pagina + "_" + Format(n, "00000") + ".bin"), pezzo);
      totale += pezzo.size();
    }
  }
  return totale;
}

}  // namespace

int main(int argc, char** argv) {
  const int giri = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const fs::path dir = fs::temp_directory_path() / ("bench_presenta_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  prova::Host_Simulato host({"--dictionary", prova::Host_Simulato::Dizionario_Predefinito(), "--ftp-port", "-1"});
  if (!host.Avvia()) return 1;
  if (!prova::Host_Simulato::Scrivi_Tabella(dir / "Qod_TBL1.Tbl")) return 1;

  // The image document: 50 pages of varied bytes. The text document: the
  // attribute record (1118 EBCDIC blanks with image type "7"), then per page
  // 66 lines of 80 characters and a few tag lines.
  const fs::path archivio = host.Cartella() / "archivio";
  std::map<std::string, std::string> immagini, testi;
  for (int p = 1; p <= kPagine; ++p) {
    std::string dati(kImmagine, '\0');
    for (size_t i = 0; i < dati.size(); ++i) dati[i] = static_cast<char>((i * 131 + static_cast<size_t>(p)) & 0xFF);
    immagini["1_" + Format(p, "00000")] = dati;
    std::string testo;
    for (int r = 1; r <= 66; ++r) testo += Testo_Largo("RIGA " + Format(r, "00") + " DELLA PAGINA " + Format(p, "0"), 80) + "\r";
    testi["0_" + Format(p, "00000")] = testo;
    testi["0_" + Format(p, "00000") + "_c"] = "{TP=800}{FN=Arial}{FD=48}{OX=1150}{OY=100}{VA=FATTURA}\r\n";
  }
  std::string attributi(1118, '\x40');
  attributi[826] = '\xF7';
  testi["0_00000"] = attributi;
  const size_t byte_immagini = Documento(archivio, 1, "7", immagini);
  const size_t byte_testo = Documento(archivio, 2, "T", testi);

  FakeClock orologio;
  RecordingMessageSink messaggi;
  Base_Programma base(orologio, messaggi, kNomi_Client);
  base.Cartella_Imposta(dir.string());
  Dati_Collegamento dati;
  dati.Collegamento = host.Collegamento();
  Trasporto_Client t;
  Collegamento_Client collegamento(base, dati, t, 1);
  if (!collegamento.Host_Collega()) return 1;
  const std::string tmpc = (dir / "TmpC").string() + "/";
  Nessun_Generatore generatore;
  Presenta_Client presenta(t, collegamento.Dizionario(), collegamento.Accesso(),
                           Cartelle_Client{tmpc, tmpc, tmpc}, 1, &generatore);

  bench::Serie f_img, s_img, f_txt, s_txt;
  bool esatti = true;
  for (int g = 0; g < giri; ++g) {
    Vista_Muta vista;
    Esito_Presenta e;
    f_img.Aggiungi(bench::Cronometra_Ms([&] { e = presenta.Spool_Presenta("0000000001", "", vista); }));
    esatti = esatti && e.completo && prova::File_Leggi(tmpc + "00001_I_00001_00050.PNG") == immagini["1_00050"];
    s_img.Aggiungi(bench::Loopback_Ms(byte_immagini));
    f_txt.Aggiungi(bench::Cronometra_Ms([&] { e = presenta.Spool_Presenta("0000000002", "", vista); }));
    esatti = esatti && e.completo && prova::File_Leggi(tmpc + "00001_S_00050.TXT") == testi["0_00050"] &&
             prova::File_Leggi(tmpc + "00001_C_00050.TXT") == testi["0_00050_c"];
    s_txt.Aggiungi(bench::Loopback_Ms(byte_testo));
    if (vista.messaggi) return 1;
  }
  auto rate = [](const bench::Serie& ms, size_t byte) {
    bench::Serie r;
    for (size_t i = 0; i < ms.Quanti(); ++i) r.Aggiungi(static_cast<double>(byte) / 1e6 / (ms[i] / 1000.0));
    return r;
  };
  std::printf("document fetch from the stand-in's archive store, %d rounds, interleaved\n", giri);
  std::printf("image document, %d pages x %zu bytes (%.2f MB)\n", kPagine, kImmagine, byte_immagini / 1e6);
  std::printf("  fetch MB/s:          %s\n", rate(f_img, byte_immagini).Testo("%.1f").c_str());
  std::printf("  plain loopback MB/s: %s\n", rate(s_img, byte_immagini).Testo("%.1f").c_str());
  std::printf("  ratio fetch/plain:   %s\n",
              bench::Rapporto(rate(f_img, byte_immagini), rate(s_img, byte_immagini)).Testo("%.3f").c_str());
  std::printf("text document, %d pages of text and tags + attribute record (%.2f MB)\n", kPagine, byte_testo / 1e6);
  std::printf("  fetch MB/s:          %s\n", rate(f_txt, byte_testo).Testo("%.1f").c_str());
  std::printf("  plain loopback MB/s: %s\n", rate(s_txt, byte_testo).Testo("%.1f").c_str());
  std::printf("  ratio fetch/plain:   %s\n",
              bench::Rapporto(rate(f_txt, byte_testo), rate(s_txt, byte_testo)).Testo("%.3f").c_str());
  std::printf("  page files byte for byte: %s\n", esatti ? "ok" : "MISMATCH");
  std::error_code ec;
  fs::remove_all(dir, ec);
  return esatti ? 0 : 1;
}
