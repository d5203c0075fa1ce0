#include "record_test.h"

#include <cstdlib>

namespace qod::test {

std::string Zoned(int64_t valore, int larghezza) {
  const bool negativo = valore < 0;
  uint64_t v = static_cast<uint64_t>(negativo ? -valore : valore);
  std::string r(static_cast<size_t>(larghezza), '\xF0');
  for (int i = larghezza - 1; i >= 0 && v > 0; --i, v /= 10) r[static_cast<size_t>(i)] = static_cast<char>(0xF0 | (v % 10));
  if (negativo && larghezza > 0) r.back() = static_cast<char>((r.back() & 0x0F) | 0xD0);
  return r;
}

std::string Binario(int32_t valore) {
  const auto u = static_cast<uint32_t>(valore);
  return {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8), static_cast<char>(u)};
}

std::string Risposta(char esito, const std::string& corpo, const Tabella_Ebcdic& t) {
  return Risposta_Lunga(esito, static_cast<int>(corpo.size()), corpo, t);
}

std::string Risposta_Lunga(char esito, int annunciati, const std::string& corpo, const Tabella_Ebcdic& t) {
  return t.Codifica(std::string(1, esito)) + Zoned(annunciati, 5) + corpo;
}

Attributi_Test::Attributi_Test(const Tabella_Ebcdic& t) : t_(t), dati_(1118, '\x40') {
  // No output of any kind, no print data and no pages asked for (a spool
  // file done without making anything); tests that lay pages out set the
  // data size at 139 and the page total at 131.
  A(1, "FATTURE", 20);
  A(41, "QPRINT", 10);
  A(91, "SAVE", 10);
  A(101, "JOB1", 10);
  A(111, "UTENTE", 10);
  A(121, "123456", 6);
  B(127, 1);
  B(131, 0);
  B(135, 0);
  B(139, 0);
  B(143, 1);
  B(147, 1);
  B(151, 0);
  for (int p = 155; p <= 175; p += 4) B(p, 0);
  A(244, "N", 1);
  A(245, "N", 1);
  A(433, "N", 1);
  A(636, "*", 1);
  A(637, "*", 1);
  A(638, "*", 1);
  A(639, "X", 1);
  // Numeric fields zero.
  for (int p : {239, 297, 302, 307, 312, 317, 322, 332, 337, 392, 596, 601, 784, 789, 862, 867, 915, 920})
    S(p, 0, 5);
  for (int p = 479; p <= 499; p += 4) S(p, 0, 4);
  for (int p : {529, 533, 537, 541, 571, 575, 579, 583, 587, 591, 632, 759, 763, 767, 771, 775, 779, 819, 823, 828,
                832, 836, 840, 844, 849, 853, 857, 872, 876, 881, 885, 889, 893, 897, 902, 906, 910, 925, 929, 933,
                937, 941, 945})
    S(p, 0, 4);
  for (int p : {503, 545, 595, 783}) S(p, 0, 1);
}

Attributi_Test& Attributi_Test::A(int posizione, std::string_view testo, int larghezza) {
  std::string campo(testo.substr(0, static_cast<size_t>(larghezza)));
  campo.resize(static_cast<size_t>(larghezza), ' ');
  dati_.replace(static_cast<size_t>(posizione - 1), campo.size(), t_.Codifica(campo));
  return *this;
}

Attributi_Test& Attributi_Test::S(int posizione, int64_t valore, int larghezza) {
  dati_.replace(static_cast<size_t>(posizione - 1), static_cast<size_t>(larghezza), Zoned(valore, larghezza));
  return *this;
}

Attributi_Test& Attributi_Test::B(int posizione, int32_t valore) {
  dati_.replace(static_cast<size_t>(posizione - 1), 4, Binario(valore));
  return *this;
}

Attributi_Test& Attributi_Test::Byte(int posizione, uint8_t b) {
  dati_[static_cast<size_t>(posizione - 1)] = static_cast<char>(b);
  return *this;
}

namespace {

std::string Testo(const Tabella_Ebcdic& t, std::string_view s, int larghezza) {
  std::string c(s.substr(0, static_cast<size_t>(larghezza)));
  c.resize(static_cast<size_t>(larghezza), ' ');
  return t.Codifica(c);
}

}  // namespace

std::string Riga_Formato(char tipo, int numero, int riga, int colonna, int lunghezza, char estrazione,
                         std::string_view costante, int riga_fine) {
  const auto& t = Tabella_Ebcdic::IBM280();
  return Testo(t, std::string(1, tipo), 1) + Zoned(numero, 5) + Zoned(riga, 3) + Zoned(riga_fine, 3) +
         Zoned(colonna, 3) + Zoned(lunghezza, 3) + Testo(t, std::string(1, estrazione), 1) +
         Testo(t, costante, tipo == 'C' ? 300 : 20);
}

std::string Riga_Posta(char gruppo, int riga, int colonna, int lunghezza, char estrazione, char compattazione,
                       std::string_view costante) {
  const auto& t = Tabella_Ebcdic::IBM280();
  return Testo(t, std::string(1, gruppo), 1) + Zoned(riga, 3) + Zoned(colonna, 3) + Zoned(lunghezza, 3) +
         Testo(t, std::string(1, estrazione), 1) + Testo(t, std::string(1, compattazione), 1) + Testo(t, costante, 60);
}

std::string Riga_XML(char gruppo, std::string_view nome, int riga, int colonna, int lunghezza, char estrazione,
                     char compattazione, std::string_view costante) {
  const auto& t = Tabella_Ebcdic::IBM280();
  return Testo(t, std::string(1, gruppo), 1) + Testo(t, nome, 10) + Zoned(riga, 3) + Zoned(colonna, 4) +
         Zoned(lunghezza, 4) + Testo(t, std::string(1, estrazione), 1) + Testo(t, std::string(1, compattazione), 1) +
         Testo(t, costante, 60);
}

std::vector<std::string> Richieste(const std::string& ebcdic, const Tabella_Ebcdic& t) {
  std::vector<std::string> r;
  size_t i = 0;
  while (i + 6 <= ebcdic.size()) {
    std::string testata;
    for (size_t k = 0; k < 6; ++k) testata.push_back(static_cast<char>(t.ansi[static_cast<unsigned char>(ebcdic[i + k])]));
    const size_t corpo = static_cast<size_t>(std::strtol(testata.c_str() + 1, nullptr, 10));
    std::string testo = testata;
    for (size_t k = 0; k < corpo && i + 6 + k < ebcdic.size(); ++k)
      testo.push_back(static_cast<char>(t.ansi[static_cast<unsigned char>(ebcdic[i + 6 + k])]));
    r.push_back(testo);
    i += 6 + corpo;
  }
  return r;
}

Dizionario_Campi Dizionario_Prova() {
  Dizionario_Campi d;
  const int larghezze[] = {1, 10, 5, 4, 40, 5, 14, 10, 10, 10, 1, 1, 1, 8, 20, 8, 14};
  const char* tipi[] = {"A", "A", "N", "A", "A", "N", "Z", "A", "A", "A", "A", "A", "A", "N", "A", "D", "Z"};
  d.Inizio[1] = 1;
  for (int k = 1; k <= 17; ++k) {
    d.Numero = k;
    d.Larghezza[static_cast<size_t>(k)] = larghezze[k - 1];
    d.Tipo[static_cast<size_t>(k)] = tipi[k - 1];
    d.Inizio[static_cast<size_t>(k + 1)] = d.Inizio[static_cast<size_t>(k)] + larghezze[k - 1];
  }
  return d;
}

std::string Modello_Prova() { return "00000000" + std::string(20, ' ') + "00000000" + std::string(14, '0'); }

}  // namespace qod::test
