#include "qod/profile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/scrittura.h"
#include "qod/winpath.h"

namespace qod {
namespace {

bool Bianco(char c) { return c == ' ' || c == '\t'; }

std::string_view Pulisci(std::string_view s) {
  while (!s.empty() && Bianco(s.front())) s.remove_prefix(1);
  while (!s.empty() && Bianco(s.back())) s.remove_suffix(1);
  return s;
}

bool Uguali(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Ansi_Maiuscolo(static_cast<unsigned char>(a[i])) != Ansi_Maiuscolo(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// "[name]" gives name; anything else gives false.
bool E_Sezione(std::string_view riga, std::string_view& nome) {
  riga = Pulisci(riga);
  if (riga.empty() || riga.front() != '[') return false;
  size_t chiusa = riga.find(']');
  if (chiusa == std::string_view::npos) return false;
  nome = Pulisci(riga.substr(1, chiusa - 1));
  return true;
}

bool E_Commento(std::string_view riga) {
  riga = Pulisci(riga);
  return !riga.empty() && riga.front() == ';';
}

// "key=value": key and raw value text.
bool E_Chiave(std::string_view riga, std::string_view& chiave, std::string_view& valore) {
  if (E_Commento(riga)) return false;
  size_t uguale = riga.find('=');
  if (uguale == std::string_view::npos) return false;
  chiave = Pulisci(riga.substr(0, uguale));
  valore = riga.substr(uguale + 1);
  return true;
}

std::string Valore_Letto(std::string_view grezzo) {
  std::string_view v = Pulisci(grezzo);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

bool Leggi_File(const std::string& file, std::string& contenuto) {
  std::ifstream in(Percorso_Fs(file), std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  contenuto = ss.str();
  return true;
}

// Written whole to a temporary name beside the file, then renamed over it,
// so a failed write never leaves a half-written settings file.
bool Scrivi_File(const std::string& file, const std::string& contenuto) {
  auto dest = Percorso_Fs(file);
  // A file that exists but may not be written stays as it is.
  if (::access(dest.c_str(), F_OK) == 0 && ::access(dest.c_str(), W_OK) != 0) return false;
  auto tmp = dest;
  tmp += ".~tmp";
  return File_Scrivi_Atomico(dest, tmp, contenuto);
}

}  // namespace

Profilo_Testo::Profilo_Testo(std::string contenuto) : testo_(std::move(contenuto)) {}

std::vector<Profilo_Testo::Riga> Profilo_Testo::Righe() const {
  std::vector<Riga> r;
  size_t i = 0, n = testo_.size();
  while (i < n) {
    size_t j = i;
    while (j < n && testo_[j] != '\r' && testo_[j] != '\n') ++j;
    size_t k = j;
    if (k < n && testo_[k] == '\r') ++k;
    if (k < n && testo_[k] == '\n' && (k == j || testo_[k - 1] == '\r')) ++k;
    if (k == j && k < n) ++k;  // lone "\n"
    r.push_back({i, j, k});
    i = k;
  }
  return r;
}

size_t Profilo_Testo::Trova(std::string_view sezione, std::string_view chiave, const std::vector<Riga>& righe) const {
  bool dentro = false;
  std::string_view nome, k, v;
  for (size_t i = 0; i < righe.size(); ++i) {
    std::string_view t = Testo(righe[i]);
    if (E_Sezione(t, nome)) {
      dentro = Uguali(nome, Pulisci(sezione));
      continue;
    }
    if (dentro && E_Chiave(t, k, v) && Uguali(k, Pulisci(chiave))) return i;
  }
  return righe.size();
}

bool Profilo_Testo::Leggi(std::string_view sezione, std::string_view chiave, std::string& valore) const {
  const std::vector<Riga> righe = Righe();
  const size_t i = Trova(sezione, chiave, righe);
  if (i == righe.size()) return false;
  std::string_view k, v;
  E_Chiave(Testo(righe[i]), k, v);
  valore = Valore_Letto(v);
  return true;
}

int Profilo_Testo::Riga_Chiave(std::string_view sezione, std::string_view chiave) const {
  const std::vector<Riga> righe = Righe();
  const size_t i = Trova(sezione, chiave, righe);
  return i == righe.size() ? 0 : static_cast<int>(i) + 1;
}

void Profilo_Testo::Scrivi(std::string_view sezione, std::string_view chiave, std::string_view valore) {
  std::string riga_nuova = std::string(Pulisci(chiave)) + "=" + std::string(valore);
  bool dentro = false, trovata = false;
  size_t dopo_ultima = 0;  // where a new key of the section goes
  std::string_view nome, k, v;
  for (const auto& r : Righe()) {
    std::string_view t = Testo(r);
    if (E_Sezione(t, nome)) {
      if (trovata) break;  // only the first section of that name
      dentro = Uguali(nome, Pulisci(sezione));
      if (dentro) {
        trovata = true;
        dopo_ultima = r.fine_con_a_capo;
        if (r.fine_con_a_capo == r.fine) {  // header on the last line, no line end
          testo_.insert(r.fine, "\r\n");
          dopo_ultima = r.fine + 2;
        }
      }
      continue;
    }
    if (!dentro) continue;
    if (E_Chiave(t, k, v) && Uguali(k, Pulisci(chiave))) {
      testo_.replace(r.inizio, r.fine - r.inizio, riga_nuova);
      return;
    }
    if (!Pulisci(t).empty()) {
      dopo_ultima = r.fine_con_a_capo;
      if (r.fine_con_a_capo == r.fine) {
        testo_.insert(r.fine, "\r\n");
        dopo_ultima = r.fine + 2;
      }
    }
  }
  if (trovata) {
    testo_.insert(dopo_ultima, riga_nuova + "\r\n");
    return;
  }
  if (!testo_.empty() && testo_.back() != '\n' && testo_.back() != '\r') testo_ += "\r\n";
  testo_ += "[" + std::string(Pulisci(sezione)) + "]\r\n" + riga_nuova + "\r\n";
}

void Profilo_Testo::Cancella_Chiave(std::string_view sezione, std::string_view chiave) {
  bool dentro = false;
  std::string_view nome, k, v;
  for (const auto& r : Righe()) {
    std::string_view t = Testo(r);
    if (E_Sezione(t, nome)) {
      dentro = Uguali(nome, Pulisci(sezione));
      continue;
    }
    if (dentro && E_Chiave(t, k, v) && Uguali(k, Pulisci(chiave))) {
      testo_.erase(r.inizio, r.fine_con_a_capo - r.inizio);
      return;
    }
  }
}

void Profilo_Testo::Cancella_Sezione(std::string_view sezione) {
  auto righe = Righe();
  std::string_view nome;
  for (size_t i = 0; i < righe.size(); ++i) {
    if (E_Sezione(Testo(righe[i]), nome) && Uguali(nome, Pulisci(sezione))) {
      size_t j = i + 1;
      while (j < righe.size() && !E_Sezione(Testo(righe[j]), nome)) ++j;
      size_t fine = j < righe.size() ? righe[j].inizio : testo_.size();
      testo_.erase(righe[i].inizio, fine - righe[i].inizio);
      return;
    }
  }
}

std::vector<std::string> Profilo_Testo::Chiavi(std::string_view sezione) const {
  std::vector<std::string> out;
  bool dentro = false;
  std::string_view nome, k, v;
  for (const auto& r : Righe()) {
    std::string_view t = Testo(r);
    if (E_Sezione(t, nome)) {
      dentro = Uguali(nome, Pulisci(sezione));
      continue;
    }
    if (dentro && E_Chiave(t, k, v)) out.emplace_back(k);
  }
  return out;
}

std::vector<std::string> Profilo_Testo::Sezioni() const {
  std::vector<std::string> out;
  std::string_view nome;
  for (const auto& r : Righe())
    if (E_Sezione(Testo(r), nome)) out.emplace_back(nome);
  return out;
}

std::string Profilo_Leggi(const std::string& file, std::string_view sezione, std::string_view chiave,
                          std::string_view predefinito, int dimensione) {
  std::string contenuto, valore;
  bool ok = Leggi_File(file, contenuto) && Profilo_Testo(std::move(contenuto)).Leggi(sezione, chiave, valore);
  if (!ok) valore = RTrim(predefinito);
  if (dimensione <= 0) return {};
  if (valore.size() > static_cast<size_t>(dimensione - 1)) valore.resize(static_cast<size_t>(dimensione - 1));
  return valore;
}

bool Profilo_Scrivi_Tutti(const std::string& file, const std::vector<Profilo_Voce>& voci) {
  std::string contenuto;
  Leggi_File(file, contenuto);
  Profilo_Testo p(std::move(contenuto));
  for (const auto& v : voci) p.Scrivi(v.sezione, v.chiave, v.valore);
  return Scrivi_File(file, p.Contenuto());
}

bool Profilo_Scrivi(const std::string& file, std::string_view sezione, std::string_view chiave,
                    std::string_view valore) {
  return Profilo_Scrivi_Tutti(file, {{std::string(sezione), std::string(chiave), std::string(valore)}});
}

bool Profilo_Cancella_Chiave(const std::string& file, std::string_view sezione, std::string_view chiave) {
  std::string contenuto;
  if (!Leggi_File(file, contenuto)) return true;
  Profilo_Testo p(std::move(contenuto));
  p.Cancella_Chiave(sezione, chiave);
  return Scrivi_File(file, p.Contenuto());
}

bool Profilo_Cancella_Sezione(const std::string& file, std::string_view sezione) {
  std::string contenuto;
  if (!Leggi_File(file, contenuto)) return true;
  Profilo_Testo p(std::move(contenuto));
  p.Cancella_Sezione(sezione);
  return Scrivi_File(file, p.Contenuto());
}

std::vector<std::string> Profilo_Chiavi(const std::string& file, std::string_view sezione) {
  std::string contenuto;
  if (!Leggi_File(file, contenuto)) return {};
  return Profilo_Testo(std::move(contenuto)).Chiavi(sezione);
}

std::vector<std::string> Profilo_Sezioni(const std::string& file) {
  std::string contenuto;
  if (!Leggi_File(file, contenuto)) return {};
  return Profilo_Testo(std::move(contenuto)).Sezioni();
}

}  // namespace qod
