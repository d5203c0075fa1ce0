#include "qod/winpath.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <mutex>
#include <set>
#include <unordered_map>
#include <system_error>
#include <vector>

#include "qod/ansi.h"
#include "qod/basic.h"

namespace qod {
namespace {

std::string Variabile(const std::string& nome, std::string_view predefinito) {
  const char* v = std::getenv(nome.c_str());
  return v && *v ? std::string(v) : std::string(predefinito);
}

std::string Senza_Barra_Finale(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

std::string Percorso_Unix(std::string_view p) {
  std::string s(p);
  for (auto& c : s)
    if (c == '\\') c = '/';
  if (s.size() >= 2 && s[0] == '/' && s[1] == '/') {
    // UNC: //server/share/rest
    size_t i = 2;
    while (i < s.size() && s[i] == '/') ++i;
    return Senza_Barra_Finale(Variabile("QOD_UNC_ROOT", "/net")) + "/" + s.substr(i);
  }
  if (s.size() >= 2 && s[1] == ':' &&
      ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'))) {
    char lettera = static_cast<char>(Ansi_Maiuscolo(static_cast<unsigned char>(s[0])));
    std::string radice = Variabile(std::string("QOD_DRIVE_") + lettera, "");
    std::string resto = s.substr(2);
    if (radice.empty()) return resto.empty() || resto[0] != '/' ? "/" + resto : resto;
    radice = Senza_Barra_Finale(radice);
    if (resto.empty()) return radice + "/";
    return radice + (resto[0] == '/' ? "" : "/") + resto;
  }
  return s;
}

std::filesystem::path Percorso_Fs(std::string_view p) { return std::filesystem::path(Ansi_A_Utf8(p)); }

std::string Percorso_Ansi(const std::filesystem::path& p) { return Utf8_A_Ansi(p.string()); }

// ---- Signatures ----------------------------------------------------------------

namespace {

int64_t Ns(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

// How far before now a modification time must lie for nothing to be able to
// change again within its tick unseen: wider than the tick of any file
// system (two seconds on FAT), with a margin for the clock of a file server.
constexpr int64_t kFinestra_Sicura_Ns = 3'000'000'000;

}  // namespace

bool Firma_Leggi(const std::filesystem::path& p, Firma_File& f) {
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) return false;
  f.dispositivo = static_cast<uint64_t>(st.st_dev);
  f.inode = static_cast<uint64_t>(st.st_ino);
  f.dimensione = static_cast<int64_t>(st.st_size);
  f.modifica_ns = Ns(st.st_mtim);
  f.cambio_ns = Ns(st.st_ctim);
  f.cartella = S_ISDIR(st.st_mode);
  return true;
}

// Any change of a file's content or of a folder's names sets its
// modification time to the clock's current tick; a time already in a tick
// well past can only move. A recent one may stay the same through a change.
bool Firma_Recente(const Firma_File& f) {
  timespec adesso{};
  ::clock_gettime(CLOCK_REALTIME, &adesso);
  return Ns(adesso) - f.modifica_ns < kFinestra_Sicura_Ns;
}

// ---- Folder indexes ----------------------------------------------------------
//
// A name that does not exist as written is looked up in an index of its
// folder (upper-case name -> the first entry with that name in the order the
// folder lists them), built by one scan and used again while the folder's
// signature stays the same. An index of a folder that changed within the
// last ticks of the clock serves its one look-up only.
namespace {

struct Indice_Cartella {
  Firma_File firma;
  std::unordered_map<std::string, std::string> nomi;  // UCase(name) -> name
};

constexpr size_t kMax_Indici = 64;

struct Stato_Indici {
  std::mutex mutex;
  std::unordered_map<std::string, Indice_Cartella> indici;  // by the folder as looked up
  std::set<std::string> cartelle_proprie;                   // resolved, ending in "/"
  uint64_t scansioni = 0;
};

Stato_Indici& Indici() {
  static Stato_Indici s;
  return s;
}

std::filesystem::path Fs_Cartella(const std::string& cartella) { return Percorso_Fs(cartella.empty() ? "." : cartella); }

// The name in `cartella` that matches `nome` case-insensitively, or "".
std::string Cerca_Nella_Cartella(const std::string& cartella, const std::string& nome) {
  Stato_Indici& s = Indici();
  const std::string cercato = UCase(nome);
  Firma_File firma;
  if (!Firma_Leggi(Fs_Cartella(cartella), firma) || !firma.cartella) return {};
  std::lock_guard<std::mutex> blocco(s.mutex);
  if (auto it = s.indici.find(cartella); it != s.indici.end()) {
    if (it->second.firma == firma) {
      auto n = it->second.nomi.find(cercato);
      return n == it->second.nomi.end() ? std::string() : n->second;
    }
    s.indici.erase(it);
  }
  const bool recente = Firma_Recente(firma);
  Indice_Cartella indice;
  indice.firma = firma;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(Fs_Cartella(cartella), ec), fine; !ec && it != fine; it.increment(ec)) {
    std::string n = Percorso_Ansi(it->path().filename());
    indice.nomi.try_emplace(UCase(n), std::move(n));
  }
  ++s.scansioni;
  std::string trovato;
  if (auto n = indice.nomi.find(cercato); n != indice.nomi.end()) trovato = n->second;
  // Kept only when the folder did not change during the scan either.
  Firma_File dopo;
  if (!ec && !recente && Firma_Leggi(Fs_Cartella(cartella), dopo) && dopo == firma) {
    if (s.indici.size() >= kMax_Indici) s.indici.clear();
    s.indici.emplace(cartella, std::move(indice));
  }
  return trovato;
}

bool Cartella_Propria(const std::string& cartella) {
  Stato_Indici& s = Indici();
  std::lock_guard<std::mutex> blocco(s.mutex);
  return !s.cartelle_proprie.empty() && s.cartelle_proprie.count(cartella) > 0;
}

}  // namespace

void Percorso_Cartella_Propria(std::string_view cartella) {
  std::string c = Percorso_Risolvi(cartella);
  if (c.empty()) return;
  if (c.back() != '/') c += '/';
  Stato_Indici& s = Indici();
  std::lock_guard<std::mutex> blocco(s.mutex);
  s.cartelle_proprie.insert(std::move(c));
}

uint64_t Percorso_Scansioni() {
  Stato_Indici& s = Indici();
  std::lock_guard<std::mutex> blocco(s.mutex);
  return s.scansioni;
}

std::string Percorso_Risolvi(std::string_view percorso) {
  std::string s = Percorso_Unix(percorso);
  if (s.empty()) return s;
  // Split into components; keep a leading "/" and a trailing "/".
  bool assoluto = s[0] == '/';
  bool barra_finale = s.size() > 1 && s.back() == '/';
  std::vector<std::string> parti;
  size_t i = 0;
  while (i < s.size()) {
    size_t j = s.find('/', i);
    if (j == std::string::npos) j = s.size();
    if (j > i) parti.push_back(s.substr(i, j - i));
    i = j + 1;
  }
  std::string attuale = assoluto ? "/" : "";
  bool esiste = true;  // the folder built so far exists
  for (size_t k = 0; k < parti.size(); ++k) {
    std::string nome = parti[k];
    if (esiste && nome != "." && nome != "..") {
      struct stat st {};
      if (::stat(Percorso_Fs(attuale + nome).c_str(), &st) != 0) {
        // The last name in a folder of the program's own is kept as written.
        const bool propria = k + 1 == parti.size() && Cartella_Propria(attuale);
        std::string trovato = propria ? std::string() : Cerca_Nella_Cartella(attuale, nome);
        if (!trovato.empty())
          nome = trovato;
        else
          esiste = false;
      }
    }
    attuale += nome;
    if (k + 1 < parti.size()) attuale += "/";
  }
  if (barra_finale && !attuale.empty() && attuale.back() != '/') attuale += "/";
  return attuale;
}

bool Percorso_Esiste(std::string_view p) {
  std::error_code ec;
  return std::filesystem::exists(Percorso_Fs(Percorso_Risolvi(p)), ec);
}

std::string Percorso_Cartella(std::string_view p) {
  size_t k = p.find_last_of("/\\");
  return k == std::string_view::npos ? std::string() : std::string(p.substr(0, k + 1));
}

}  // namespace qod
