// Host records for tests, encoded here (not with the product's transport):
// replies, attribute records, definition rows, and the requests the server
// sent split back into texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ebcdic_test.h"
#include "qod/host/collegamento.h"

namespace qod::test {

// Zoned decimal of `larghezza` digits (sign F, or D when negative).
std::string Zoned(int64_t valore, int larghezza);
// Four bytes, big-endian two's complement.
std::string Binario(int32_t valore);

// A reply: `Esito`, the body length as 5 zoned digits, the body (EBCDIC).
std::string Risposta(char esito, const std::string& corpo = {}, const Tabella_Ebcdic& t = Tabella_Ebcdic::IBM280());
// A reply whose header announces `annunciati` bytes, with `corpo` after it.
std::string Risposta_Lunga(char esito, int annunciati, const std::string& corpo,
                           const Tabella_Ebcdic& t = Tabella_Ebcdic::IBM280());

// An attribute record of 1118 EBCDIC bytes, blank, filled field by field.
// The default is a spool file that asks for no output.
class Attributi_Test {
 public:
  explicit Attributi_Test(const Tabella_Ebcdic& t = Tabella_Ebcdic::IBM280());
  Attributi_Test& A(int posizione, std::string_view testo, int larghezza);
  Attributi_Test& S(int posizione, int64_t valore, int larghezza);
  Attributi_Test& B(int posizione, int32_t valore);
  Attributi_Test& Byte(int posizione, uint8_t b);
  const std::string& Dati() const { return dati_; }

 private:
  const Tabella_Ebcdic& t_;
  std::string dati_;
};

// Definition rows (bodies, EBCDIC).
std::string Riga_Formato(char tipo, int numero, int riga, int colonna, int lunghezza, char estrazione,
                         std::string_view costante = "", int riga_fine = 0);
std::string Riga_Posta(char gruppo, int riga, int colonna, int lunghezza, char estrazione, char compattazione,
                       std::string_view costante = "");
std::string Riga_XML(char gruppo, std::string_view nome, int riga, int colonna, int lunghezza, char estrazione,
                     char compattazione, std::string_view costante = "");

// The requests in a stream of bytes the server sent, each decoded to ANSI
// text (letter, five digits, body).
std::vector<std::string> Richieste(const std::string& ebcdic, const Tabella_Ebcdic& t = Tabella_Ebcdic::IBM280());

// A dictionary whose fixed part covers columns 1-112 (13 fields), then an
// amount ("N", 8), a customer ("A", 20), a date ("D", 8) and a timestamp
// ("Z", 14); and its blank archive template.
Dizionario_Campi Dizionario_Prova();
std::string Modello_Prova();

}  // namespace qod::test
