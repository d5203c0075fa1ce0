// Fetch rate of the archive viewer's real code path (index record, then
// every page's chunks into its page files, as Qod_C does when a document is
// opened) from the stand-in host's archive store: a document of 50 page images
// of 60 KB (3 MB) and a text document of 50 pages (a 66 x 80 page text and its
// tag commands, plus the attribute record). Beside each, in the same round, a
// bare request/reply loop of the same exchanges (the same request and reply
// sizes, one after another, over loopback; bench/comune/scambi.h), once
// writing the same page files the bare way and once without them; and, to
// see what the stand-in itself costs, the same fetch from that bare answering
// process (with the replies the stand-in sends) in place of the stand-in. In
// each round the contenders run interleaved, three times each, and each
// keeps its fastest time (on a shared machine the other runs only add time); each
// round's ratio fetch / bare is reported as the median over the rounds with
// its spread (lowest - highest). Text pages are not rendered here: the
// generator is measured by bench_imagegen. Every fetch checks the page files
// byte for byte and the stand-in's log for the number of requests.
//
// Everything runs on one core (bench/comune/scambi.h: Un_Nucleo) unless
// QOD_BENCH_CORE says otherwise; TMPDIR chooses the page files' file system.
//
//   bench_presenta [rounds]     (default 9)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "qod/basic.h"
#include "qod/bench/misura.h"
#include "qod/bench/scambi.h"
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
constexpr size_t kRichiesta_K = 6 + 15, kRichiesta_R = 6 + 21;  // "K": id, width; "R": id, kind, page, chunk

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

// Five zoned digits, as the host writes a length.
std::string Zoned_5(size_t n) {
  std::string z(5, '\xF0');
  for (int i = 4; i >= 0; --i, n /= 10) z[static_cast<size_t>(i)] = static_cast<char>(0xF0 + n % 10);
  return z;
}

// Archives a document in the stand-in's store the way the server does (its
// index record "I", then "C", its files cut into chunks "W", "B"), so that the
// store holds it as it holds what a server archived. Adds to `scambi` the
// exchanges that fetch it (after the index record): the attribute record
// first (chunk 0 of page 0), then each page's chunks and the reply that ends
// the page, each naming the file its bytes go to (none for the attribute
// record, which the viewer keeps in memory) and carrying the reply as the
// host sends it. Returns the bytes of its chunks, 0 when the upload failed;
// `indice` gets its index record.
size_t Documento(Trasporto& t, const std::string& tipo, const std::map<std::string, std::string>& file,
                 std::vector<bench::Scambio>& scambi, std::string& indice) {
  indice = "U" + Space(10) + Format(kPagine, "00000") + Space(93) + (tipo == "T" ? "TTT" : tipo + "  ");
  indice += Space(69);
  Intestazione_Risposta r;
  if (!t.Richiesta(kSlot_Host, 'I', "U" + Space(10) + Format(static_cast<int64_t>(indice.size()), "00000") + indice, r) ||
      !r.Accettata() || !t.Sock_Read(kSlot_Host, r.Lunghezza))
    return 0;
  const std::string id = t.Sock_Field("A", 1, 10);
  auto semplice = [&](char lettera) {
    return t.Richiesta(kSlot_Host, lettera, id, r) && r.Accettata() && t.Corpo_Scarta(kSlot_Host, r.Lunghezza);
  };
  if (!semplice('C')) return 0;
  size_t totale = 0;
  std::map<std::string, int> numeri;
  std::string ultima;
  auto fine_pagina = [&] {
    if (!ultima.empty() && ultima != "0_00000")
      scambi.push_back({kRichiesta_R, 0, scambi.back().file, 0, "\xF1\xF0\xF0\xF0\xF0\xF0"});
  };
  for (const auto& [nome, dati] : file) {  // "K_PPPPP" or "K_PPPPP_x" for a second file of the page
    const std::string pagina = nome.substr(0, 7);
    if (pagina != ultima) fine_pagina();
    ultima = pagina;
    for (size_t i = 0; i < dati.size(); i += kPezzo) {
      const std::string pezzo = dati.substr(i, kPezzo);
      // The attribute record is chunk 0 of page 0.
      const int n = pagina == "0_00000" ? 0 : ++numeri[pagina];
      const std::string testata = id + pagina.substr(0, 1) + pagina.substr(2, 5) + Format(n, "00000") +
                                  Format(static_cast<int64_t>(pezzo.size()), "0000");
      if (!t.Richiesta_Grezza_Invia(kSlot_Host, 'W', testata,
                                    std::span(reinterpret_cast<const uint8_t*>(pezzo.data()), pezzo.size())) ||
          !t.Intestazione_Leggi(kSlot_Host, r) || !r.Accettata() || !t.Corpo_Scarta(kSlot_Host, r.Lunghezza))
        return 0;
      totale += pezzo.size();
      scambi.push_back({kRichiesta_R, pezzo.size(), pagina == "0_00000" ? "" : nome + ".bin", 0,
                        "\xF0" + Zoned_5(pezzo.size()) + pezzo});
    }
  }
  fine_pagina();
  return semplice('B') ? totale : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int giri = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const int nucleo = bench::Un_Nucleo();
  const fs::path dir = fs::temp_directory_path() / ("bench_presenta_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  prova::Host_Simulato host({"--dictionary", prova::Host_Simulato::Dizionario_Predefinito(), "--ftp-port", "-1"});
  if (!host.Avvia()) return 1;
  if (!prova::Host_Simulato::Scrivi_Tabella(dir / "Qod_TBL1.Tbl")) return 1;

  // The image document: 50 pages of varied bytes. The text document: the
  // attribute record (1118 EBCDIC blanks with image type "7"), then per page
  // 66 lines of 80 characters and a few tag lines.
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

  FakeClock orologio;
  RecordingMessageSink messaggi;
  Base_Programma base(orologio, messaggi, kNomi_Client);
  base.Cartella_Imposta(dir.string());
  Dati_Collegamento dati;
  dati.Collegamento = host.Collegamento();
  Trasporto_Client t;
  Collegamento_Client collegamento(base, dati, t, 1);
  if (!collegamento.Host_Collega()) return 1;
  std::vector<bench::Scambio> scambi_img, scambi_txt;
  std::string indice_img, indice_txt;
  const size_t byte_immagini = Documento(t, "7", immagini, scambi_img, indice_img);
  const size_t byte_testo = Documento(t, "T", testi, scambi_txt, indice_txt);
  if (byte_immagini == 0 || byte_testo == 0) {
    std::fprintf(stderr, "the documents could not be archived\n");
    return 1;
  }
  // Every fetch, the viewer's and the bare one, writes into a folder of its
  // own, and nothing is deleted before the end: on ext4 a file made soon
  // after many were deleted costs a search past their inodes, a cost of the
  // benchmark's own pace (a person opens a document now and then).
  int cartelle = 0;
  auto Nuova = [&] {
    const std::string d = (dir / ("pagine" + std::to_string(++cartelle))).string() + "/";
    fs::create_directories(d);
    return d;
  };
  Nessun_Generatore generatore;
  // The index record comes first, of the width the viewer asks for.
  const size_t indice = static_cast<size_t>(collegamento.Dizionario().Inizio[static_cast<size_t>(
                            collegamento.Dizionario().Numero + 1)] - 1);
  // As the host sends it: in EBCDIC (the conversion table read backwards),
  // the archive id in columns 2-11.
  const std::string tabella = prova::File_Leggi(dir / "Qod_TBL1.Tbl");
  std::string da_ansi(256, '\0');
  for (size_t i = 256; i-- > 0;) da_ansi[static_cast<unsigned char>(tabella[6 + i])] = static_cast<char>(i);
  auto K = [&](std::string x, const std::string& id) {
    x.replace(1, 10, id);
    for (char& ch : x) ch = da_ansi[static_cast<unsigned char>(ch)];
    return bench::Scambio{kRichiesta_K, indice, "", 0, "\xF0" + Zoned_5(indice) + x};
  };
  scambi_img.insert(scambi_img.begin(), K(indice_img, "0000000001"));
  scambi_txt.insert(scambi_txt.begin(), K(indice_txt, "0000000002"));
  // The same exchanges without the page files.
  auto senza_file = [](std::vector<bench::Scambio> v) {
    for (auto& s : v) s.file.clear();
    return v;
  };
  const std::vector<bench::Scambio> solo_img = senza_file(scambi_img), solo_txt = senza_file(scambi_txt);

  bench::Serie f_img, s_img, n_img, h_img, f_txt, s_txt, n_txt, h_txt;
  bool esatti = true;
  // One fetch of document `id` by the viewer into a new folder: its time,
  // and whether the page files came whole.
  // With `nudo`, from the bare answering process of those exchanges in place
  // of the stand-in, on a connection of its own.
  Trasporto_Client verso_nudo;
  std::string descrizione;
  verso_nudo.Sock_Init(descrizione, (dir / "Qod_TBL1.Tbl").string());
  auto Preleva = [&](const char* id, const std::vector<std::pair<std::string, std::string>>& attesi,
                     const std::vector<bench::Scambio>* nudo = nullptr) {
    const std::string tmpc = Nuova();
    std::unique_ptr<bench::Risponditore> risponditore;
    std::string indirizzo;
    if (nudo) {
      risponditore = std::make_unique<bench::Risponditore>(*nudo);
      if (!verso_nudo.Sock_Connect(kSlot_Host, "127.0.0.1", risponditore->Porta(), indirizzo)) std::exit(1);
    }
    Presenta_Client presenta(nudo ? verso_nudo : t, collegamento.Dizionario(), collegamento.Accesso(),
                             Cartelle_Client{tmpc, tmpc, tmpc}, 1, &generatore);
    Vista_Muta vista;
    Esito_Presenta e;
    const double ms = bench::Cronometra_Ms([&] { e = presenta.Spool_Presenta(id, "", vista); });
    esatti = esatti && e.completo && vista.messaggi == 0;
    for (const auto& [nome, contenuto] : attesi) esatti = esatti && prova::File_Leggi(tmpc + nome) == contenuto;
    if (nudo) {
      verso_nudo.Sock_Close(kSlot_Host);
      esatti = esatti && risponditore->Fine();
    }
    return ms;
  };
  // A first fetch of each, not counted.
  Preleva("0000000001", {});
  Preleva("0000000002", {});
  const size_t richieste = host.Log("REC").size();
  for (int g = 0; g < giri; ++g) {
    double f[2] = {1e300, 1e300}, b[2] = {1e300, 1e300}, n[2] = {1e300, 1e300}, h[2] = {1e300, 1e300};
    for (int volta = 0; volta < 3; ++volta) {
      f[0] = std::min(f[0], Preleva("0000000001", {{"00001_I_00001_00050.PNG", immagini["1_00050"]}}));
      b[0] = std::min(b[0], bench::Scambi_Ms(scambi_img, Nuova()));
      n[0] = std::min(n[0], bench::Scambi_Ms(solo_img));
      h[0] = std::min(h[0], Preleva("0000000001", {{"00001_I_00001_00050.PNG", immagini["1_00050"]}}, &scambi_img));
      f[1] = std::min(f[1], Preleva("0000000002", {{"00001_S_00050.TXT", testi["0_00050"]},
                                                   {"00001_C_00050.TXT", testi["0_00050_c"]}}));
      b[1] = std::min(b[1], bench::Scambi_Ms(scambi_txt, Nuova()));
      n[1] = std::min(n[1], bench::Scambi_Ms(solo_txt));
      h[1] = std::min(h[1], Preleva("0000000002", {{"00001_S_00050.TXT", testi["0_00050"]},
                                                   {"00001_C_00050.TXT", testi["0_00050_c"]}},
                                    &scambi_txt));
    }
    f_img.Aggiungi(f[0]);
    s_img.Aggiungi(b[0]);
    n_img.Aggiungi(n[0]);
    h_img.Aggiungi(h[0]);
    f_txt.Aggiungi(f[1]);
    s_txt.Aggiungi(b[1]);
    n_txt.Aggiungi(n[1]);
    h_txt.Aggiungi(h[1]);
  }
  const bool conteggio = host.Log("REC").size() - richieste ==
                         static_cast<size_t>(3 * giri) * (scambi_img.size() + scambi_txt.size());
  auto rate = [](const bench::Serie& ms, size_t byte) {
    bench::Serie r;
    for (size_t i = 0; i < ms.Quanti(); ++i) r.Aggiungi(static_cast<double>(byte) / 1e6 / (ms[i] / 1000.0));
    return r;
  };
  std::printf("document fetch from the stand-in's archive store, %d rounds of 3, interleaved, the fastest of each\n"
              "in a round, on %s; median (lowest - highest)\n",
              giri, nucleo < 0 ? "every core" : ("core " + std::to_string(nucleo)).c_str());
  auto riporta = [&](const char* nome, const bench::Serie& f, const bench::Serie& s, const bench::Serie& n,
                     const bench::Serie& h, size_t byte, size_t quanti) {
    std::printf("%s (%.2f MB, %zu exchanges)\n", nome, static_cast<double>(byte) / 1e6, quanti);
    std::printf("  fetch MB/s:                         %s\n", rate(f, byte).Testo("%.1f").c_str());
    std::printf("  bare exchanges + page files MB/s:   %s\n", rate(s, byte).Testo("%.1f").c_str());
    std::printf("  bare exchanges alone MB/s:          %s\n", rate(n, byte).Testo("%.1f").c_str());
    std::printf("  ratio fetch / bare with files:      %s\n", bench::Rapporto(f, s).Testo("%.2f").c_str());
    std::printf("  ratio fetch / bare exchanges alone: %s\n", bench::Rapporto(f, n).Testo("%.2f").c_str());
    std::printf("  fetch from a bare host MB/s:        %s\n", rate(h, byte).Testo("%.1f").c_str());
    std::printf("  ratio stand-in / bare host:         %s\n", bench::Rapporto(f, h).Testo("%.2f").c_str());
  };
  riporta("image document, 50 pages x 60 KB", f_img, s_img, n_img, h_img, byte_immagini, scambi_img.size());
  riporta("text document, 50 pages of text and tags + attribute record", f_txt, s_txt, n_txt, h_txt, byte_testo,
          scambi_txt.size());
  std::printf("page files byte for byte: %s; requests per round as expected: %s\n", esatti ? "ok" : "MISMATCH",
              conteggio ? "ok" : "MISMATCH");
  std::error_code ec;
  fs::remove_all(dir, ec);
  return esatti && conteggio ? 0 : 1;
}
