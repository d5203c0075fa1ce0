// Login ("U") and re-registration after an error ("X").
#include <memory>

#include "host.h"

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
      return Risposta::Una('0', Corpo().Testo(accettato ? "S" : "N", 1).Testo("", 50).Zoned(s.indice_client, 3));
    });
    // Body: the previous client index (3 digits). Acknowledged, no body.
    g.Registra("X", [](Sessione&, const Richiesta&) { return Risposta::Una('0'); });
  }

 private:
  struct Utente {
    std::string nome, password;
    int indice = 1;
  };
  std::vector<Utente> utenti_;
};

}  // namespace

std::unique_ptr<Modulo> Modulo_Accesso() { return std::make_unique<Accesso>(); }

}  // namespace hostsim
