#include "qod/cripto.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/profile.h"
#include "qod/winpath.h"

namespace qod {

namespace {
constexpr char kSostituto = '\xBF';  // "¿"
}

void cripto_in(const std::string& chiaro, std::string& cifrato, std::string& controllo) {
  const int64_t n = static_cast<int64_t>(chiaro.size());
  std::string s;
  s.reserve(chiaro.size());
  int64_t somma = 0;
  for (int64_t k = 1; k <= n; ++k) {
    // Even positions ascending, then odd positions descending.
    int64_t p = (2 * k <= n) ? 2 * k : 2 * n - 2 * k + 1;
    int c = static_cast<unsigned char>(chiaro[static_cast<size_t>(p - 1)]);
    somma += (k % 2 == 1) ? c * 3 : c * 5;
    if (c >= 32 && c <= 123) {
      int h = c - 31;
      int m = h <= 46 ? 2 * h : 185 - 2 * h;
      s.push_back(static_cast<char>(m + 31));
    } else {
      s.push_back(kSostituto);
    }
  }
  cifrato = s;
  controllo = std::to_string(somma * 7);
}

void cripto_out(std::string& chiaro, const std::string& cifrato, std::string& controllo) {
  const int64_t n = static_cast<int64_t>(cifrato.size());
  std::string p;
  p.reserve(cifrato.size());
  int64_t somma = 0;
  for (int64_t k = 1; k <= n; ++k) {
    int64_t q = (k % 2 == 0) ? k / 2 : n - (k - 1) / 2;
    int d = static_cast<unsigned char>(cifrato[static_cast<size_t>(q - 1)]);
    if (d >= 32 && d <= 123) {
      int m = d - 31;
      int h = (m % 2 == 0) ? m / 2 : (185 - m) / 2;
      int c = h + 31;
      p.push_back(static_cast<char>(c));
      somma += (q % 2 == 1) ? c * 3 : c * 5;
    } else {
      p.push_back(kSostituto);
    }
  }
  chiaro = p;
  controllo = std::to_string(somma * 7);
}

std::string Numero_Zeri(std::string_view testo, int larghezza) {
  std::string t = Trim(testo);
  if (t.empty()) return Stringa(larghezza, '0');
  auto v = Testo_Numerico(t);
  if (!v) return Stringa(larghezza, '0');
  return Format(*v, std::string(static_cast<size_t>(larghezza), '0'));
}

Parametri_Collegamento Parametri_Collegamento::Leggi(std::string_view r) {
  Parametri_Collegamento p;
  p.Host = Trim(Mid(r, 1, 50));
  p.Porta = Valore_Numerico(Mid(r, 51, 5));
  p.Utente = Trim(Mid(r, 56, 10));
  p.Password = Trim(Mid(r, 66, 10));
  p.Porta_Ftp = Valore_Numerico(Mid(r, 76, 5));
  p.Libreria = Trim(Mid(r, 81, 10));
  p.Indice_Server = Valore_Numerico(Mid(r, 91, 5));
  return p;
}

std::string Parametri_Collegamento::Componi(bool con_indice) const {
  std::string r = Testo_Largo(Host, 50) + Numero_Zeri(std::to_string(Porta), 5) + UCase(Testo_Largo(Utente, 10)) +
                  UCase(Testo_Largo(Password, 10)) + Numero_Zeri(std::to_string(Porta_Ftp), 5) +
                  UCase(Testo_Largo(Libreria, 10));
  if (con_indice) r += Numero_Zeri(std::to_string(Indice_Server), 5);
  return r;
}

std::string Collegamento_Difetto(const std::string& file_ini) {
  const std::filesystem::path percorso = Percorso_Fs(file_ini);
  std::error_code ec;
  const auto stato = std::filesystem::status(percorso, ec);
  if (!std::filesystem::exists(stato)) return file_ini + ": il file non esiste";
  if (std::filesystem::is_directory(stato)) return file_ini + A(": è una cartella, non un file");
  std::ifstream in(percorso, std::ios::binary);
  if (!in) return file_ini + ": il file non si legge (" + Utf8_A_Ansi(std::strerror(errno)) + ")";
  std::ostringstream contenuto;
  contenuto << in.rdbuf();
  const Profilo_Testo t(contenuto.str());
  bool generale = false;
  for (const auto& s : t.Sezioni()) generale = generale || UCase(Trim(s)) == "GENERALE";
  if (!generale) return file_ini + ": manca la sezione [Generale]";
  const int riga_licenza = t.Riga_Chiave("Generale", "Licenza");
  if (riga_licenza == 0) return file_ini + ": manca la chiave Licenza in [Generale]";
  const int riga_check = t.Riga_Chiave("Generale", "Check");
  if (riga_check == 0) return file_ini + ": manca la chiave Check in [Generale]";
  std::string licenza;
  t.Leggi("Generale", "Licenza", licenza);
  if (licenza.empty())
    return file_ini + ", riga " + std::to_string(riga_licenza) + A(": la chiave Licenza è vuota");
  return file_ini + ", riga " + std::to_string(riga_check) + ": la chiave Check non corrisponde a Licenza (riga " +
         std::to_string(riga_licenza) + ")";
}

bool Collegamento_Leggi(const std::string& file_ini, Parametri_Collegamento& out, std::string* difetto) {
  std::string licenza = Profilo_Leggi(file_ini, "Generale", "Licenza", "", 255);
  std::string check = Profilo_Leggi(file_ini, "Generale", "Check", "", 255);
  std::string chiaro, calcolato;
  cripto_out(chiaro, licenza, calcolato);
  if (calcolato != check) {
    if (difetto) *difetto = Collegamento_Difetto(file_ini);
    return false;
  }
  out = Parametri_Collegamento::Leggi(chiaro);
  return true;
}

std::vector<Profilo_Voce> Collegamento_Voci(const std::string& record) {
  std::string cifrato, check;
  cripto_in(record, cifrato, check);
  auto protetto = [](char c) { return c == ' ' || c == '"' || c == '\''; };
  if (!cifrato.empty() && (protetto(cifrato.front()) || protetto(cifrato.back()))) cifrato = "\"" + cifrato + "\"";
  return {{"Generale", "Licenza", cifrato}, {"Generale", "Check", check}};
}

bool Collegamento_Scrivi(const std::string& file_ini, const std::string& record) {
  return Profilo_Scrivi_Tutti(file_ini, Collegamento_Voci(record));
}

}  // namespace qod
