// Table rows ("T"): the archive field dictionary, kind "CA", from a fixture.
#include <fstream>
#include <memory>
#include <sstream>

#include "host.h"
#include "qod/ansi.h"

namespace hostsim {

namespace {

class Tabelle : public Modulo {
 public:
  void Opzioni_Dichiara(Opzioni& o) override {
    o.Testo("dictionary", "FILE", "the archive field dictionary (\"T\" kind \"CA\"), up to 77 rows", file_);
  }

  bool Prepara(std::string& errore) override {
    if (file_.empty()) return true;
    const bool letto = Righe_Fixture(file_, [&](int numero, const std::vector<std::string>& campi) {
      Riga r;
      if (campi.size() < 3 || campi.size() > 5 || (campi[0] != "" && campi[0] != "A") ||
          !Intero_Da_Testo(campi[1], r.larghezza) || r.larghezza < 0 || r.larghezza > 999 || campi[2].size() != 1) {
        errore = file_ + ":" + std::to_string(numero) + ": expected SKIP|WIDTH|TYPE|LABEL|HEADING";
        return false;
      }
      r.salta = campi[0] == "A";
      r.tipo = campi[2];
      if (campi.size() > 3) r.etichetta = campi[3];
      if (campi.size() > 4) r.intestazione = campi[4];
      righe_.push_back(r);
      return true;
    }, errore);
    if (!letto) return false;
    if (righe_.size() > 77) {
      errore = file_ + ": more than 77 rows";
      return false;
    }
    return true;
  }

  void Gestori_Registra(Gestori& g) override {
    // Body: "CA", the row number (2 digits), 18 blanks. Reply: column 1 "A"
    // (row left out) or blank, 22 blanks, label (40), heading (15), width
    // (S3), type (1). Past the last row: Esito "1", no body.
    g.Registra("TCA", [this](Sessione&, const Richiesta& r) {
      const std::string corpo = r.Corpo_Testo();
      int riga = 0;
      if (corpo.size() < 4 || !Intero_Da_Testo(corpo.substr(2, 2), riga) || riga < 1) return Risposta::Una('9');
      if (static_cast<size_t>(riga) > righe_.size()) return Risposta::Una('1');
      const Riga& d = righe_[static_cast<size_t>(riga - 1)];
      return Risposta::Una('0', Corpo()
                                    .Testo(d.salta ? "A" : " ", 1)
                                    .Testo("", 22)
                                    .Testo(d.etichetta, 40)
                                    .Testo(d.intestazione, 15)
                                    .Zoned(d.larghezza, 3)
                                    .Testo(d.tipo, 1));
    });
  }

 private:
  struct Riga {
    bool salta = false;
    int larghezza = 0;
    std::string tipo, etichetta, intestazione;
  };
  std::string file_;
  std::vector<Riga> righe_;
};

}  // namespace

std::unique_ptr<Modulo> Modulo_Tabelle() { return std::make_unique<Tabelle>(); }

}  // namespace hostsim
