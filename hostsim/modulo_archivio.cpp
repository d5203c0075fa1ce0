// The archive store: the index record of a document ("I", which gives the
// document its archive id), opening it for content ("C"), its content in
// chunks ("W": a converted 25-character header, then raw bytes) and closing
// it ("B"). Every document is a folder of the store named by its archive id;
// README.md describes the layout, which the archive queries and fetches read.
// The archive viewer fetches a closed document back: its index record ("K")
// and its chunks one by one as they were stored ("R"). The store itself
// (archivio.h) keeps what it receives in memory and writes it out.
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "archivio.h"
#include "host.h"

namespace hostsim {

namespace {

constexpr size_t kId = 10;
constexpr size_t kTestata_W = 25;  // id 10, kind 1, page 5, chunk 5, length 4
const std::string kNessun_Id(kId, '*');

bool Cifre(const std::string& t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class Modulo_Store : public Modulo {
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

  bool Prepara(std::string& errore) override { return store_.Prepara(cartella_, errore); }

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
    const std::string id = rifiuti_.count(indici_) ? kNessun_Id : store_.Crea(r.Corpo_Da(0), corpo.substr(16));
    Corpo c;
    c.Testo(id.substr(0, static_cast<size_t>(lunghezza_id_)), static_cast<size_t>(lunghezza_id_));
    return Risposta::Una('0', c);
  }

  Risposta Apri(Sessione& s, const Richiesta& r) {
    const std::string id = r.Corpo_Testo(kId);
    if (id.size() != kId || !Cifre(id) || !store_.Apri(id)) return Risposta::Una('9');
    aperti_[s.id] = id;
    return Risposta::Una('0');
  }

  // "W": id, kind, page, chunk, length n, then n raw bytes.
  Risposta Scrivi(Sessione& s, const Richiesta& r) {
    if (++pezzi_ == rifiuta_pezzo_ || r.corpo.size() < kTestata_W) return Risposta::Una('9');
    const std::string t = r.Corpo_Testo(kTestata_W);
    const std::string id = t.substr(0, 10), tipo = t.substr(10, 1), pagina = t.substr(11, 5),
                      pezzo = t.substr(16, 5);
    int n = 0;
    if (aperti_[s.id] != id || (tipo != "0" && tipo != "1") || !Cifre(pagina) || !Cifre(pezzo) ||
        !Intero_Da_Testo(t.substr(21, 4), n) || static_cast<size_t>(n) != r.corpo.size() - kTestata_W)
      return Risposta::Una('9');
    store_.Pezzo_Aggiungi(id, tipo, pagina, pezzo, r.Corpo_Da(kTestata_W));
    return Risposta::Una('0');
  }

  // "B": the document is complete; every page's chunks are joined in chunk
  // order into one file per kind and page.
  Risposta Chiudi(Sessione& s, const Richiesta& r) {
    const std::string id = r.Corpo_Testo(kId);
    if (aperti_[s.id] != id || store_.Stato(id).empty()) return Risposta::Una('9');
    aperti_.erase(s.id);
    store_.Chiudi(id);
    // The files are written once the reply is out.
    Risposta r0 = Risposta::Una('0');
    r0.dopo = [this] { store_.Scrivi_Ora(); };
    return r0;
  }

  // "K": archive id (10), the index width R (5 digits). The index record
  // with the id at columns 2-11, blank-padded or cut to R.
  Risposta Indice_Documento(const Richiesta& r) {
    const std::string corpo = r.Corpo_Testo();
    int larghezza = 0;
    const std::string indice = corpo.size() == kId + 5 ? store_.Indice(corpo.substr(0, kId)) : std::string();
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
    const std::string tipo = corpo.substr(kId, 1), pagina = corpo.substr(kId + 1, 5), pezzo = corpo.substr(kId + 6, 5);
    if (!Cifre(pagina) || !Cifre(pezzo)) return Risposta::Una('9');
    Risposta risposta;
    risposta.frame.push_back({'0', {}});
    switch (store_.Pezzo_Leggi(corpo.substr(0, kId), tipo, pagina, pezzo, senza_fine_, risposta.frame[0].grezzo)) {
      case Archivio::Pezzo::Letto: return risposta;
      case Archivio::Pezzo::Nessuno: return Risposta::Una('1');
      case Archivio::Pezzo::Non_Completo: break;
    }
    return Risposta::Una('9');
  }

  Archivio& store_ = Archivio::Store();
  std::string cartella_;
  bool senza_fine_ = false;
  std::set<int> rifiuti_;
  int lunghezza_id_ = 10;
  int rifiuta_pezzo_ = 0;
  int indici_ = 0;  // index records received
  int pezzi_ = 0;   // chunks received
  std::map<int, std::string> aperti_;  // session -> the document open on it
};

}  // namespace

std::unique_ptr<Modulo> Modulo_Archivio() { return std::make_unique<Modulo_Store>(); }

}  // namespace hostsim
