// The stand-in host program: requests, replies and the table of record
// handlers. Each area of the protocol is a module (modulo_*.cpp) that
// declares its options, loads its fixtures and registers its handlers by
// record letter; moduli.cpp lists the modules.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ebcdic.h"
#include "opzioni.h"
#include "qod/basic.h"

namespace hostsim {

// Bytes kept without a copy: a part of a buffer that stays as long as
// anyone holds it (the request record they came in, for one).
struct Byte_Condivisi {
  std::shared_ptr<const void> tenuta;  // what keeps the buffer
  std::string_view byte;
  // A buffer of its own for `dati`.
  static Byte_Condivisi Di(std::string dati) {
    auto b = std::make_shared<const std::string>(std::move(dati));
    return {b, *b};
  }
};

// One request record as it came: letter, five digits of body length, body.
struct Richiesta {
  char lettera = 0;
  Byte_Condivisi record;   // every byte received, EBCDIC
  std::string_view corpo;  // the body bytes within it (some records carry raw data)

  // A record of `lettera` with `corpo` (EBCDIC), its header made here.
  static Richiesta Di(char lettera, std::string_view corpo);
  // The body in ANSI through the code page, from column 1 of the body; or
  // only its first `n` characters.
  std::string Corpo_Testo(size_t n = std::string::npos) const {
    return Ebcdic::Standard().Decodifica(corpo.substr(0, n));
  }
  // The body from byte `da` on, sharing the record.
  Byte_Condivisi Corpo_Da(size_t da) const { return {record.tenuta, corpo.substr(da)}; }
};

// A reply body built field by field, in EBCDIC.
class Corpo {
 public:
  // Text blank-padded or cut to `larghezza` ("A").
  Corpo& Testo(std::string_view ansi, size_t larghezza);
  Corpo& Zoned(int64_t valore, int cifre);     // "S"
  Corpo& Packed(int64_t valore, int byte);     // "P"
  Corpo& Binario(int64_t valore, int byte);    // "B"
  Corpo& Grezzo(std::string_view byte);
  const std::string& Byte() const { return byte_; }

 private:
  std::string byte_;
};

// The reply to one request: one or more frames (Esito and body), sent in one
// write.
struct Risposta {
  struct Frame {
    char esito;
    std::string corpo;      // EBCDIC
    Byte_Condivisi grezzo;  // or the body as it is kept elsewhere (a chunk of the store), not copied
    std::string_view Byte() const { return grezzo.tenuta ? grezzo.byte : std::string_view(corpo); }
  };
  std::vector<Frame> frame;
  bool chiudi = false;  // close the connection after the reply
  // Run outside the handlers' turn (others may run meanwhile): `prima`
  // before the reply is sent (what must be done by then but may take long),
  // `dopo` once it has been sent (what need not hold the reply up).
  std::function<void()> prima, dopo;

  Risposta& Aggiungi(char esito, const Corpo& corpo = {}) {
    frame.push_back({esito, corpo.Byte()});
    return *this;
  }
  static Risposta Una(char esito, const Corpo& corpo = {}) { return Risposta{}.Aggiungi(esito, corpo); }
};

// What one record connection knows about itself.
struct Sessione {
  int id = 0;
  std::map<char, int> conteggi;  // requests received, by letter
  bool accesso = false;          // logged in
  std::string utente;
  int indice_client = 0;
};

using Gestore = std::function<Risposta(Sessione&, const Richiesta&)>;

class Gestori {
 public:
  // `chiave` is the record letter, or the letter followed by the first
  // characters of the body to pick one kind of a record ("TCA").
  void Registra(const std::string& chiave, Gestore g) { tabella_[chiave] = std::move(g); }
  // The handler of the longest key that matches the request.
  const Gestore* Trova(const Richiesta& r) const;
  // `f` runs when a record connection ends, like a handler (one at a time).
  void Alla_Chiusura(std::function<void(Sessione&)> f) { chiusure_.push_back(std::move(f)); }
  void Chiusura(Sessione& s) const {
    for (const auto& f : chiusure_) f(s);
  }

 private:
  std::map<std::string, Gestore> tabella_;
  std::vector<std::function<void(Sessione&)>> chiusure_;
};

class Modulo {
 public:
  virtual ~Modulo() = default;
  virtual void Opzioni_Dichiara(Opzioni& o) = 0;
  // After the options: load fixtures. False with a message stops the start.
  virtual bool Prepara(std::string& /*errore*/) { return true; }
  virtual void Gestori_Registra(Gestori& g) = 0;
};

// The modules of the stand-in, in the order their options are listed.
std::vector<std::unique_ptr<Modulo>> Moduli_Crea();

}  // namespace hostsim
