// The archive store: the index record of a document ("I", which gives the
// document its archive id), opening it for content ("C"), its content in
// chunks ("W": a converted 25-character header, then raw bytes) and closing
// it ("B"). Every document is a folder of the store named by its archive id;
// README.md describes the layout, which the archive queries and fetches read.
// The archive viewer fetches a closed document back: its index record ("K")
// and its chunks one by one as they were stored ("R").
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "archivio.h"
#include "host.h"

namespace hostsim {

namespace {

namespace fs = std::filesystem;

constexpr size_t kId = 10;
constexpr size_t kTestata_W = 25;  // id 10, kind 1, page 5, chunk 5, length 4
const std::string kNessun_Id(kId, '*');

bool Scrivi_File(const fs::path& file, std::string_view dati) {
  const fs::path tmp = file.string() + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f.write(dati.data(), static_cast<std::streamsize>(dati.size()))) return false;
  }
  std::error_code ec;
  fs::rename(tmp, file, ec);
  return !ec;
}

bool Cifre(const std::string& t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class Archivio : public Modulo {
 public:
  void Opzioni_Dichiara(Opzioni& o) override {
    o.Testo("archive", "DIR", "the archive store (default: archivio in the working folder)", cartella_);
    o.Valore(
        "archive-refuse", "N", "the N-th index record the store receives is answered \"**********\" (not archived)",
        [this](const std::string& v, std::string& e) {
          int n = 0;
          if (!Intero_Da_Testo(v, n) || n < 1) {
            e = "a number from 1";
            return false;
          }
          rifiuti_.insert(n);
          return true;
        },
        true);
    o.Intero("archive-refuse-chunk", "N", "the N-th chunk (\"W\") the store receives is refused (Esito 9)",
             rifiuta_pezzo_, 1, 1 << 30);
    o.Vero("archive-endless", "\"R\" answers a chunk number past a page's last with its last chunk again",
           senza_fine_);
    o.Intero("archive-id-length", "N", "bytes of archive id in the reply to \"I\" (default 10; fewer is a short reply)",
             lunghezza_id_, 0, 10);
  }

  bool Prepara(std::string& errore) override {
    if (cartella_.empty()) cartella_ = "archivio";
    Archivio_Cartella_Imposta(cartella_);
    std::error_code ec;
    fs::create_directories(cartella_, ec);
    if (ec) {
      errore = "cannot create the archive store " + cartella_ + ": " + ec.message();
      return false;
    }
    // Ids go on from the highest already in the store.
    for (const auto& d : fs::directory_iterator(cartella_, ec)) {
      const std::string n = d.path().filename().string();
      if (n.size() == kId && Cifre(n)) ultimo_ = std::max(ultimo_, std::stoll(n));
    }
    return true;
  }

  void Gestori_Registra(Gestori& g) override {
    g.Registra("I", [this](Sessione&, const Richiesta& r) { return Indice(r); });
    g.Registra("C", [this](Sessione& s, const Richiesta& r) { return Apri(s, r); });
    g.Registra("W", [this](Sessione& s, const Richiesta& r) { return Scrivi(s, r); });
    g.Registra("B", [this](Sessione& s, const Richiesta& r) { return Chiudi(s, r); });
    g.Registra("K", [this](Sessione&, const Richiesta& r) { return Indice_Documento(r); });
    g.Registra("R", [this](Sessione&, const Richiesta& r) { return Pezzo_Documento(r); });
  }

 private:
  // "I": prefix of 16 (attribute 620, attributes 622-631, the index width
  // T), then the T characters of the index record.
  Risposta Indice(const Richiesta& r) {
    const std::string corpo = r.Corpo_Testo();
    int larghezza = 0;
    if (corpo.size() < 16 || !Intero_Da_Testo(corpo.substr(11, 5), larghezza) ||
        corpo.size() != 16 + static_cast<size_t>(larghezza))
      return Risposta::Una('9');
    ++indici_;
    std::string id = kNessun_Id;
    if (!rifiuti_.count(indici_)) {
      char nome[24];
      std::snprintf(nome, sizeof nome, "%010lld", ++ultimo_);
      id = nome;
      const fs::path d = fs::path(cartella_) / id;
      std::error_code ec;
      fs::create_directories(d / "chunk", ec);
      if (ec || !Scrivi_File(d / "richiesta_i.ebc", r.corpo) || !Scrivi_File(d / "indice.txt", corpo.substr(16)) ||
          !Scrivi_File(d / "stato.txt", "indice\n"))
        return Risposta::Una('9');
    }
    Corpo c;
    c.Testo(id.substr(0, static_cast<size_t>(lunghezza_id_)), static_cast<size_t>(lunghezza_id_));
    return Risposta::Una('0', c);
  }

  // The folder of an id the store gave, or empty.
  fs::path Documento(const std::string& id) const {
    if (id.size() != kId || !Cifre(id)) return {};
    const fs::path d = fs::path(cartella_) / id;
    return fs::is_directory(d) ? d : fs::path();
  }

  Risposta Apri(Sessione& s, const Richiesta& r) {
    const std::string id = r.Corpo_Testo().substr(0, kId);
    const fs::path d = Documento(id);
    if (d.empty() || !Scrivi_File(d / "stato.txt", "aperto\n")) return Risposta::Una('9');
    aperti_[s.id] = id;
    return Risposta::Una('0');
  }

  // "W": id, kind, page, chunk, length n, then n raw bytes.
  Risposta Scrivi(Sessione& s, const Richiesta& r) {
    if (++pezzi_ == rifiuta_pezzo_ || r.corpo.size() < kTestata_W) return Risposta::Una('9');
    const std::string t = r.Corpo_Testo().substr(0, kTestata_W);
    const std::string id = t.substr(0, 10), tipo = t.substr(10, 1), pagina = t.substr(11, 5),
                      pezzo = t.substr(16, 5);
    int n = 0;
    if (aperti_[s.id] != id || (tipo != "0" && tipo != "1") || !Cifre(pagina) || !Cifre(pezzo) ||
        !Intero_Da_Testo(t.substr(21, 4), n) || static_cast<size_t>(n) != r.corpo.size() - kTestata_W)
      return Risposta::Una('9');
    const fs::path d = Documento(id);
    if (d.empty() || !Scrivi_File(d / "chunk" / (tipo + "_" + pagina + "_" + pezzo + ".bin"), r.corpo.substr(kTestata_W)))
      return Risposta::Una('9');
    return Risposta::Una('0');
  }

  // "B": the document is complete; every page's chunks are joined in chunk
  // order into one file per kind and page.
  Risposta Chiudi(Sessione& s, const Richiesta& r) {
    const std::string id = r.Corpo_Testo().substr(0, kId);
    const fs::path d = Documento(id);
    if (d.empty() || aperti_[s.id] != id) return Risposta::Una('9');
    aperti_.erase(s.id);
    std::map<std::string, std::map<int, fs::path>> pagine;  // "K_PPPPP" -> chunk -> file
    std::error_code ec;
    for (const auto& f : fs::directory_iterator(d / "chunk", ec)) {
      const std::string n = f.path().filename().string();  // K_PPPPP_CCCCC.bin
      if (n.size() != 17 || f.path().extension() != ".bin") continue;
      pagine[n.substr(0, 7)][std::stoi(n.substr(8, 5))] = f.path();
    }
    for (const auto& [nome, pezzi] : pagine) {
      std::string dati;
      for (const auto& [numero, file] : pezzi) {
        std::ifstream in(file, std::ios::binary);
        dati.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      }
      if (!Scrivi_File(d / (nome + ".bin"), dati)) return Risposta::Una('9');
    }
    if (!Scrivi_File(d / "stato.txt", "chiuso\n")) return Risposta::Una('9');
    return Risposta::Una('0');
  }

  // "K": archive id (10), the index width R (5 digits). The index record
  // with the id at columns 2-11, blank-padded or cut to R.
  Risposta Indice_Documento(const Richiesta& r) {
    const std::string corpo = r.Corpo_Testo();
    int larghezza = 0;
    const std::string indice = corpo.size() == kId + 5 ? Archivio_Indice(corpo.substr(0, kId)) : std::string();
    if (indice.empty() || !Intero_Da_Testo(corpo.substr(kId, 5), larghezza) || larghezza < 12)
      return Risposta::Una('1');
    Corpo c;
    c.Testo(indice, static_cast<size_t>(larghezza));
    return Risposta::Una('0', c);
  }

  // "R": archive id (10), kind (1), page (5), chunk (5). The chunk as it
  // was stored, raw; "1" and no body past the page's last chunk.
  Risposta Pezzo_Documento(const Richiesta& r) {
    const std::string corpo = r.Corpo_Testo();
    if (corpo.size() != kId + 11) return Risposta::Una('9');
    const fs::path d = Archivio_Documento(corpo.substr(0, kId));
    const std::string tipo = corpo.substr(kId, 1), pagina = corpo.substr(kId + 1, 5), pezzo = corpo.substr(kId + 6, 5);
    if (d.empty() || !Cifre(pagina) || !Cifre(pezzo)) return Risposta::Una('9');
    auto nome = [&](int numero) {
      char n[8];
      std::snprintf(n, sizeof n, "%05d", numero);
      return d / "chunk" / (tipo + "_" + pagina + "_" + n + ".bin");
    };
    fs::path file = nome(std::stoi(pezzo));
    if (senza_fine_ && !fs::exists(file)) {
      // The page's last chunk again, for as long as it is asked for.
      for (int n = 1; n < std::stoi(pezzo) && fs::exists(nome(n)); ++n) file = nome(n);
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) return Risposta::Una('1');
    const std::string dati((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Corpo c;
    c.Grezzo(dati);
    return Risposta::Una('0', c);
  }

  std::string cartella_;
  bool senza_fine_ = false;
  std::set<int> rifiuti_;
  int lunghezza_id_ = 10;
  int rifiuta_pezzo_ = 0;
  int indici_ = 0;       // index records received
  int pezzi_ = 0;        // chunks received
  long long ultimo_ = 0;  // the last id given
  std::map<int, std::string> aperti_;  // session -> the document open on it
};

}  // namespace

std::unique_ptr<Modulo> Modulo_Archivio() { return std::make_unique<Archivio>(); }

}  // namespace hostsim
