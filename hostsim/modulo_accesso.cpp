// Login ("U"), re-registration after an error ("X"), and what the archive
// viewer reads besides: the login values (data grid order, fax fields) and
// the search definitions ("T" kind "CR"), from one fixture.
#include <fstream>
#include <memory>
#include <sstream>

#include "host.h"
#include "qod/ansi.h"

namespace hostsim {

namespace {

class Accesso : public Modulo {
 public:
  void Opzioni_Dichiara(Opzioni& o) override {
    o.Valore(
        "user", "NAME:PASSWORD[:INDEX]",
        "an accepted login and the client index it gets (default 1); with no --user every login is accepted",
        [this](const std::string& v, std::string& e) {
          Utente u;
          size_t a = v.find(':');
          if (a == std::string::npos || a == 0) {
            e = "expected NAME:PASSWORD[:INDEX]";
            return false;
          }
          u.nome = v.substr(0, a);
          std::string resto = v.substr(a + 1);
          size_t b = resto.find(':');
          u.password = resto.substr(0, b);
          if (b != std::string::npos && !Intero_Da_Testo(resto.substr(b + 1), u.indice)) {
            e = "the index must be a number (negative allowed)";
            return false;
          }
          utenti_.push_back(u);
          return true;
        },
        true);
    o.Testo("viewer", "FILE",
            "the archive viewer's login values and search definitions (ORDER, FAX and SEARCH lines)", viewer_);
  }

  bool Prepara(std::string& errore) override {
    if (viewer_.empty()) return true;
    return Righe_Fixture(viewer_, [&](int numero, const std::vector<std::string>& c) {
      auto sbagliata = [&](const char* atteso) {
        errore = viewer_ + ":" + std::to_string(numero) + ": expected " + atteso;
        return false;
      };
      if (c[0] == "ORDER") {
        if (c.size() != 2) return sbagliata("ORDER|N N N ...");
        std::stringstream n(c[1]);
        ordine_.clear();
        for (int v; n >> v;) {
          if (v < 0 || v > 99 || ordine_.size() >= 77) return sbagliata("at most 77 numbers 0..99");
          ordine_.push_back(v);
        }
      } else if (c[0] == "FAX") {
        if (c.size() != 4 || !Intero_Da_Testo(c[1], brv_tipo_) || !Intero_Da_Testo(c[2], brv_codice_))
          return sbagliata("FAX|TYPE FIELD|CODE FIELD|REFERENCE TEMPLATE");
        brv_modello_ = c[3];
      } else if (c[0] == "SEARCH") {
        int n = 0;
        if (c.size() != 8 || !Intero_Da_Testo(c[1], n) || n < 1 || n > 32 || (c[2] != "" && c[2] != "A"))
          return sbagliata("SEARCH|NN|SKIP|NAME|KEYS|OPERATORS|FIXED|COLUMNS");
        // 279 columns: skip mark, name at 24, key fields at 44, operators at
        // 68, fixed values at 76 (20 per key), list columns at 236.
        std::string d = qod::Testo_Largo(c[2], 1) + qod::Space(22) + qod::Testo_Largo(c[3], 20) +
                        qod::Testo_Largo(c[4], 16) + qod::Space(8) + qod::Testo_Largo(c[5], 8) +
                        qod::Testo_Largo(c[6], 160) + qod::Testo_Largo(c[7], 36) + qod::Space(8);
        ricerche_[n] = d;
      } else {
        return sbagliata("ORDER, FAX or SEARCH");
      }
      return true;
    }, errore);
  }

  void Gestori_Registra(Gestori& g) override {
    // Body: user (10), password (10), title (15), address (15), port (5),
    // host name (20). Reply: "S" accepted, 50 blanks, the client index (S3).
    g.Registra("U", [this](Sessione& s, const Richiesta& r) {
      const std::string corpo = r.Corpo_Testo();
      const std::string nome = qod::Trim(qod::Left(corpo, 10));
      const std::string password = qod::Trim(qod::Mid(corpo, 11, 10));
      int indice = 1;
      bool accettato = utenti_.empty();
      for (const auto& u : utenti_)
        if (qod::UCase(u.nome) == nome && qod::UCase(u.password) == password) {
          accettato = true;
          indice = u.indice;
        }
      s.accesso = accettato;
      s.utente = nome;
      s.indice_client = accettato ? indice : 0;
      // Then, for the viewer: 77 pairs of data grid field numbers, the fax
      // type and code fields, the fax reference template (242 columns).
      Corpo c;
      c.Testo(accettato ? "S" : "N", 1).Testo("", 50).Zoned(s.indice_client, 3);
      for (size_t k = 0; k < 77; ++k) c.Testo(k < ordine_.size() ? Due_Cifre(ordine_[k]) : "00", 2);
      c.Testo(Due_Cifre(brv_tipo_), 2).Testo(Due_Cifre(brv_codice_), 2).Testo(brv_modello_, 30);
      return Risposta::Una('0', c);
    });
    // Body: "CR", the definition number (2 digits), 18 blanks. Reply: the
    // 279-column definition; an unknown number is refused with Esito "1".
    g.Registra("TCR", [this](Sessione&, const Richiesta& r) {
      const std::string corpo = r.Corpo_Testo();
      int n = 0;
      if (corpo.size() < 4 || !Intero_Da_Testo(corpo.substr(2, 2), n)) return Risposta::Una('9');
      auto d = ricerche_.find(n);
      if (d == ricerche_.end()) return Risposta::Una('1');
      return Risposta::Una('0', Corpo().Testo(d->second, d->second.size()));
    });
    // Body: the previous client index (3 digits). Acknowledged, no body.
    g.Registra("X", [](Sessione&, const Richiesta&) { return Risposta::Una('0'); });
  }

 private:
  struct Utente {
    std::string nome, password;
    int indice = 1;
  };
  static std::string Due_Cifre(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v < 0 || v > 99 ? 0 : v);
    return b;
  }
  std::vector<Utente> utenti_;
  std::string viewer_;
  std::vector<int> ordine_;
  int brv_tipo_ = 0, brv_codice_ = 0;
  std::string brv_modello_;
  std::map<int, std::string> ricerche_;
};

}  // namespace

std::unique_ptr<Modulo> Modulo_Accesso() { return std::make_unique<Accesso>(); }

}  // namespace hostsim
