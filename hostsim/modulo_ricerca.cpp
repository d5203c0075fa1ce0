// Archive queries of the archive viewer: a search definition is opened
// ("O"), a query names up to eight key fields of the index record with their
// operators and values ("Q"), and the matching documents come back one index
// record at a time ("L"). The documents are those of the archive store
// (archivio.h); README.md describes the matching.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archivio.h"
#include "host.h"

namespace hostsim {

namespace {

constexpr size_t kTestata_Q = 107;  // operators, widths, positions, starts, count, L, R
constexpr char kBlank = '\x40';     // EBCDIC blank

struct Chiave {
  char operatore = ' ';
  int larghezza = 0, posizione = 0, inizio = 0;
  std::string da, a;  // EBCDIC
};

struct Stato {
  int aperta = 0;                      // the definition opened by "O", 0 none
  bool interrogata = false;            // a query was accepted
  std::vector<std::string> risultati;  // ids of the matching documents
  size_t prossimo = 0;                 // the next one "L" returns
  int lunghezza_indice = 0;            // R of the query
};

// The bytes of `s` from column `inizio` (from 1), `n` of them, padded with
// EBCDIC blanks past its end.
std::string Campo(const std::string& s, int inizio, int n) {
  std::string t = static_cast<size_t>(inizio - 1) < s.size() ? s.substr(static_cast<size_t>(inizio - 1), static_cast<size_t>(n)) : "";
  t.resize(static_cast<size_t>(n), kBlank);
  return t;
}

bool Soddisfa(const Chiave& k, const std::string& indice) {
  const std::string v = Campo(indice, k.inizio, k.larghezza);
  switch (k.operatore) {
    case '1': return v >= k.da;
    case '2': return k.da <= v && v <= k.a;
    case '3':
    case '4': return v == k.da;
    default: return true;
  }
}

class Ricerca : public Modulo {
 public:
  void Opzioni_Dichiara(Opzioni&) override {}

  void Gestori_Registra(Gestori& g) override {
    // "O": the definition number (2 digits). Reply "0", no body.
    g.Registra("O", [this](Sessione& s, const Richiesta& r) {
      int n = 0;
      const std::string t = r.Corpo_Testo();
      if (t.size() != 2 || !Intero_Da_Testo(t, n) || n < 1 || n > 32) return Risposta::Una('9');
      stati_[s.id] = Stato{n};
      return Risposta::Una('0');
    });
    g.Registra("Q", [this](Sessione& s, const Richiesta& r) { return Interroga(stati_[s.id], r); });
    // "L": the next matching index record; "1", no body, past the last.
    g.Registra("L", [this](Sessione& s, const Richiesta&) {
      Stato& st = stati_[s.id];
      while (st.interrogata && st.prossimo < st.risultati.size()) {
        std::string indice = Archivio::Store().Indice(st.risultati[st.prossimo++]);
        if (indice.empty()) continue;  // gone meanwhile
        const size_t r = st.lunghezza_indice > 0 ? static_cast<size_t>(st.lunghezza_indice) : indice.size();
        return Risposta::Una('0', Corpo().Testo(indice, r));
      }
      return Risposta::Una('1');
    });
  }

 private:
  // "Q": refused ("9") without an open definition or when the record does
  // not hold together; otherwise the matching documents are listed and "0"
  // answered with no body.
  static Risposta Interroga(Stato& st, const Richiesta& r) {
    st.interrogata = false;
    if (st.aperta == 0) return Risposta::Una('9');
    const std::string t = r.Corpo_Testo();
    int numero = 0, l = 0, lunghezza = 0;
    if (t.size() < kTestata_Q || !Intero_Da_Testo(t.substr(96, 3), numero) || numero > 8 ||
        !Intero_Da_Testo(t.substr(99, 3), l) || !Intero_Da_Testo(t.substr(102, 5), lunghezza) ||
        t.size() != kTestata_Q + 2 * static_cast<size_t>(l))
      return Risposta::Una('9');
    std::vector<Chiave> chiavi;
    for (int q = 1; q <= numero; ++q) {
      Chiave k;
      k.operatore = t[static_cast<size_t>(q - 1)];
      if (!Intero_Da_Testo(t.substr(static_cast<size_t>(5 + 3 * q), 3), k.larghezza) ||
          !Intero_Da_Testo(t.substr(static_cast<size_t>(29 + 3 * q), 3), k.posizione) ||
          !Intero_Da_Testo(t.substr(static_cast<size_t>(51 + 5 * q), 5), k.inizio) || k.larghezza < 0 ||
          k.posizione < 1 || k.inizio < 0 || k.posizione - 1 + k.larghezza > l)
        return Risposta::Una('9');
      if (k.larghezza == 0 || k.inizio == 0) continue;  // a key with no field: no condition
      k.da = r.corpo.substr(kTestata_Q + static_cast<size_t>(k.posizione - 1), static_cast<size_t>(k.larghezza));
      k.a = r.corpo.substr(kTestata_Q + static_cast<size_t>(l + k.posizione - 1), static_cast<size_t>(k.larghezza));
      chiavi.push_back(k);
    }
    st.risultati.clear();
    for (const std::string& id : Archivio::Store().Documenti()) {
      const std::string indice = Ebcdic::Standard().Codifica(Archivio::Store().Indice(id));
      bool ok = true;
      for (const Chiave& k : chiavi) ok = ok && Soddisfa(k, indice);
      if (ok) st.risultati.push_back(id);
    }
    st.prossimo = 0;
    st.lunghezza_indice = lunghezza;
    st.interrogata = true;
    return Risposta::Una('0');
  }

  std::map<int, Stato> stati_;  // by session
};

}  // namespace

std::unique_ptr<Modulo> Modulo_Ricerca() { return std::make_unique<Ricerca>(); }

}  // namespace hostsim
