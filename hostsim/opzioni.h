// The stand-in's options: each module declares its own, with a help line.
// They come from the command line and from an optional settings file
// (--config FILE, section [hostsim], keys named as the options without
// "--"); the command line wins. A repeatable option may list several values
// in the file, separated by blanks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "qod/console.h"

namespace hostsim {

class Opzioni {
 public:
  using Imposta = std::function<bool(const std::string& valore, std::string& errore)>;

  // An option with a value ("--nome VALORE" or "--nome=VALORE").
  void Valore(std::string nome, std::string argomento, std::string aiuto, Imposta imposta, bool ripetibile = false);
  // A switch without a value.
  void Interruttore(std::string nome, std::string aiuto, std::function<void()> imposta);

  // Typed shorthands.
  void Testo(std::string nome, std::string argomento, std::string aiuto, std::string& dove);
  void Intero(std::string nome, std::string argomento, std::string aiuto, int& dove, int minimo, int massimo);
  void Elenco(std::string nome, std::string argomento, std::string aiuto, std::vector<std::string>& dove);
  void Vero(std::string nome, std::string aiuto, bool& dove);

  // Reads the settings file named by --config (if any), then the command
  // line. False with a message on an unknown option or a bad value.
  bool Analizza(const std::vector<std::string>& argomenti, std::string& errore);

  std::string Aiuto() const;
  // The options as the command line's check takes them: each "--nome", with
  // one value or none (a number's may begin with "-"); --config as well.
  std::vector<qod::Opzione_Strumento> Elenco() const;

 private:
  struct Voce {
    std::string nome, argomento, aiuto;
    Imposta imposta;           // options with a value
    std::function<void()> on;  // switches
    bool ripetibile = false;
    qod::Tipo_Valore tipo = qod::Tipo_Valore::Nome;  // what the command line's check lets through
  };
  const Voce* Trova(const std::string& nome) const;
  bool Applica(const Voce& v, const std::string& valore, std::string& errore) const;
  std::vector<Voce> voci_;
};

// "A" and "A#3" style selectors used by the misbehaviour options.
bool Intero_Da_Testo(const std::string& t, int& v);

// Reads a fixture file of "|"-separated fields, one record a line: blank lines and lines that
// start with "#" are passed over, fields are trimmed and turned from UTF-8 into ANSI. `riga` gets
// the line number and the fields and returns false, with `errore` set, to stop at a bad line.
bool Righe_Fixture(const std::string& file,
                   const std::function<bool(int numero, const std::vector<std::string>& campi)>& riga,
                   std::string& errore);

}  // namespace hostsim
