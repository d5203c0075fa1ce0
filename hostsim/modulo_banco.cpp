// A record for benchmarks only ("Z", with --bench): body "ccccc" "sssss"
// asks for ccccc replies (1..1000) of sssss body bytes each (0..8192), all
// sent in one write.
#include <memory>

#include "host.h"

namespace hostsim {

namespace {

class Banco : public Modulo {
 public:
  void Opzioni_Dichiara(Opzioni& o) override {
    o.Vero("bench", "answer the benchmark record \"Z\" (count 5 digits, size 5 digits)", attivo_);
  }
  void Gestori_Registra(Gestori& g) override {
    if (!attivo_) return;
    g.Registra("Z", [](Sessione&, const Richiesta& r) {
      const std::string corpo = r.Corpo_Testo();
      int quanti = 0, grandezza = 0;
      if (corpo.size() < 10 || !Intero_Da_Testo(corpo.substr(0, 5), quanti) ||
          !Intero_Da_Testo(corpo.substr(5, 5), grandezza) || quanti < 1 || quanti > 1000 || grandezza > 8192)
        return Risposta::Una('9');
      std::string dati(static_cast<size_t>(grandezza), '\0');
      for (size_t i = 0; i < dati.size(); ++i) dati[i] = static_cast<char>(0xC1 + i % 9);
      Corpo c;
      c.Grezzo(dati);
      Risposta risposta;
      for (int i = 0; i < quanti; ++i) risposta.Aggiungi('0', c);
      return risposta;
    });
  }

 private:
  bool attivo_ = false;
};

}  // namespace

std::unique_ptr<Modulo> Modulo_Banco() { return std::make_unique<Banco>(); }

}  // namespace hostsim
