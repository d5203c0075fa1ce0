#include "archivio.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace hostsim {

namespace {

namespace fs = std::filesystem;

// The writer runs once the reply to a document's close is out, when asked
// to, past this many queued bytes, and otherwise once requests pause for
// kQuiete (or what waits has waited kAttesa): while a document comes in, the
// stand-in does little but answer.
constexpr auto kQuiete = std::chrono::milliseconds(200);
constexpr auto kAttesa = std::chrono::seconds(5);
constexpr size_t kSoglia = size_t{64} << 20;
// Past this many bytes of chunks in memory, the oldest complete documents
// whose files are written are left to the folder (and their memory serves
// what comes next).
constexpr size_t kMemoria = size_t{16} << 20;

// The whole file; false when it cannot be read.
bool Leggi(const std::string& file, std::string& dati) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  dati.resize(ok ? static_cast<size_t>(st.st_size) : 0);
  size_t letti = 0;
  while (ok) {
    if (letti == dati.size()) dati.resize(dati.size() + 4096);  // it grew meanwhile
    const ssize_t n = ::read(fd, dati.data() + letti, dati.size() - letti);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    letti += static_cast<size_t>(n);
  }
  dati.resize(letti);
  ::close(fd);
  return ok;
}

std::string Leggi(const std::string& file) {
  std::string dati;
  Leggi(file, dati);
  return dati;
}

bool Scrivi(const std::string& file, const std::vector<Byte_Condivisi>& parti) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  for (const auto& p : parti) {
    std::string_view resto = p.byte;
    while (ok && !resto.empty()) {
      const ssize_t n = ::write(fd, resto.data(), resto.size());
      if (n < 0 && errno == EINTR) continue;
      ok = n > 0;
      if (ok) resto.remove_prefix(static_cast<size_t>(n));
    }
  }
  return ::close(fd) == 0 && ok;
}

bool Cifre(const std::string& t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool Id_Valido(const std::string& n) { return n.size() == 10 && Cifre(n); }

std::string Cinque(int n) {
  char t[8];
  std::snprintf(t, sizeof t, "%05d", n);
  return t;
}

// "K_PPPPP_CCCCC.bin" of a chunk.
std::string Nome_Pezzo(char tipo, int pagina, int pezzo) {
  return std::string(1, tipo) + "_" + Cinque(pagina) + "_" + Cinque(pezzo) + ".bin";
}

// A document that other hands put in the folder, read as it stands now.
bool Completo_Su_Disco(const std::string& d) { return Leggi(d + "/stato.txt") == "chiuso\n"; }

}  // namespace

Archivio& Archivio::Store() {
  static Archivio a;
  return a;
}

Archivio::~Archivio() {
  {
    std::lock_guard<std::mutex> l(m_);
    fine_ = true;
    lavoro_.notify_one();
  }
  if (filo_.joinable()) filo_.join();
}

bool Archivio::Prepara(const std::string& cartella, std::string& errore) {
  cartella_ = cartella.empty() ? "archivio" : cartella;
  std::error_code ec;
  fs::create_directories(cartella_, ec);
  if (ec) {
    errore = "cannot create the archive store " + cartella_ + ": " + ec.message();
    return false;
  }
  for (const auto& d : fs::directory_iterator(cartella_, ec)) {
    const std::string n = d.path().filename().string();
    if (Id_Valido(n)) ultimo_ = std::max(ultimo_, std::stoll(n));
  }
  if (!filo_.joinable()) filo_ = std::thread([this] { Scrittore(); });
  return true;
}

std::string Archivio::Crea(Byte_Condivisi richiesta_i, const std::string& indice) {
  Alleggerisci();
  char nome[24];
  std::snprintf(nome, sizeof nome, "%010lld", ++ultimo_);
  const std::string id = nome;
  Documento& d = documenti_[id];
  d = Documento{};
  d.indice = indice;
  Accoda({Operazione::Cartella, Percorso(id) + "/chunk"});
  Accoda({Operazione::File, Percorso(id) + "/richiesta_i.ebc", {std::move(richiesta_i)}, true});
  Accoda({Operazione::File, Percorso(id) + "/indice.txt", {Byte_Condivisi::Di(indice)}, true});
  Scrivi_Stato(id, d, "indice");
  return id;
}

Archivio::Documento* Archivio::Trova(const std::string& id) {
  if (auto it = documenti_.find(id); it != documenti_.end()) return &it->second;
  if (!Id_Valido(id)) return nullptr;
  const std::string cartella = Percorso(id);
  std::error_code ec;
  if (!fs::is_directory(cartella, ec)) return nullptr;
  // Adopted with what the folder holds: from now on it is kept here.
  Documento& d = documenti_[id];
  d.indice = Leggi(cartella + "/indice.txt");
  d.stato = Leggi(cartella + "/stato.txt");
  if (!d.stato.empty() && d.stato.back() == '\n') d.stato.pop_back();
  for (const auto& f : fs::directory_iterator(cartella + "/chunk", ec)) {
    const std::string n = f.path().filename().string();  // K_PPPPP_CCCCC.bin
    if (n.size() != 17 || n.substr(13) != ".bin" || n[1] != '_' || n[7] != '_' || !Cifre(n.substr(2, 5)) ||
        !Cifre(n.substr(8, 5)))
      continue;
    auto p = Byte_Condivisi::Di(Leggi(f.path().string()));
    byte_memoria_ += p.byte.size();
    d.pezzi[{n[0], std::stoi(n.substr(2, 5)), std::stoi(n.substr(8, 5))}] = std::move(p);
  }
  return &d;
}

std::string Archivio::Stato(const std::string& id) {
  const Documento* d = Trova(id);
  return d ? (d->stato.empty() ? "?" : d->stato) : std::string();
}

void Archivio::Scrivi_Stato(const std::string& id, Documento& d, const std::string& stato) {
  d.stato = stato;
  Accoda({Operazione::File, Percorso(id) + "/stato.txt", {Byte_Condivisi::Di(stato + "\n")}, true});
}

bool Archivio::Apri(const std::string& id) {
  Documento* d = Trova(id);
  if (!d) return false;
  Scrivi_Stato(id, *d, "aperto");
  return true;
}

void Archivio::Pezzo_Aggiungi(const std::string& id, const std::string& tipo, const std::string& pagina,
                              const std::string& pezzo, Byte_Condivisi dati) {
  Documento* d = Trova(id);
  if (!d) return;
  const int n_pagina = std::stoi(pagina), n_pezzo = std::stoi(pezzo);
  const Chiave chiave{tipo[0], n_pagina, n_pezzo};
  auto& posto = d->pezzi[chiave];
  byte_memoria_ = byte_memoria_ - posto.byte.size() + dati.byte.size();
  posto = dati;
  // Its file's name is made by the writer.
  Accoda({Operazione::Pezzo, id, {}, false, chiave, std::move(dati)});
}

void Archivio::Chiudi(const std::string& id) {
  Documento* d = Trova(id);
  if (!d) return;
  // The chunks are in kind, page, chunk order: each run of one kind and
  // page is one file.
  for (auto it = d->pezzi.begin(); it != d->pezzi.end();) {
    const auto [tipo, pagina, pezzo] = it->first;
    Operazione o{Operazione::File, Percorso(id) + "/" + std::string(1, tipo) + "_" + Cinque(pagina) + ".bin", {}, true};
    for (; it != d->pezzi.end() && std::get<0>(it->first) == tipo && std::get<1>(it->first) == pagina; ++it)
      o.dati.push_back(it->second);
    Accoda(std::move(o));
  }
  Scrivi_Stato(id, *d, "chiuso");
  std::lock_guard<std::mutex> l(m_);
  d->scritto_con = accodate_;
}

void Archivio::Scrivi_Ora() {
  std::lock_guard<std::mutex> l(m_);
  sveglia_ = true;
  lavoro_.notify_one();
}

void Archivio::Alleggerisci() {
  uint64_t eseguite = 0;
  {
    std::lock_guard<std::mutex> l(m_);
    eseguite = eseguite_;
  }
  for (auto it = documenti_.begin(); byte_memoria_ > kMemoria && it != documenti_.end();) {
    const Documento& d = it->second;
    if (d.stato != "chiuso" || d.scritto_con == 0 || d.scritto_con > eseguite) {
      ++it;
      continue;
    }
    for (const auto& [chiave, dati] : d.pezzi) byte_memoria_ -= dati.byte.size();
    it = documenti_.erase(it);
  }
}

std::vector<std::string> Archivio::Documenti() const {
  std::vector<std::string> ids;
  for (const auto& [id, d] : documenti_)
    if (d.stato == "chiuso") ids.push_back(id);
  std::error_code ec;
  for (const auto& f : fs::directory_iterator(cartella_, ec)) {
    const std::string n = f.path().filename().string();
    if (Id_Valido(n) && !documenti_.count(n) && Completo_Su_Disco(f.path().string())) ids.push_back(n);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::string Archivio::Indice(const std::string& id) const {
  std::string indice;
  if (auto it = documenti_.find(id); it != documenti_.end()) {
    if (it->second.stato != "chiuso") return {};
    indice = it->second.indice;
  } else {
    if (!Id_Valido(id) || !Completo_Su_Disco(Percorso(id))) return {};
    indice = Leggi(Percorso(id) + "/indice.txt");
  }
  if (indice.size() < 11) indice.resize(11, ' ');
  indice.replace(1, 10, id);
  return indice;
}

Archivio::Pezzo Archivio::Pezzo_Leggi(const std::string& id, const std::string& tipo, const std::string& pagina,
                                      const std::string& pezzo, bool senza_fine, Byte_Condivisi& dati) const {
  const int n_pagina = std::stoi(pagina), n_pezzo = std::stoi(pezzo);
  if (auto it = documenti_.find(id); it != documenti_.end()) {
    const Documento& d = it->second;
    if (d.stato != "chiuso") return Pezzo::Non_Completo;
    auto p = d.pezzi.find({tipo[0], n_pagina, n_pezzo});
    if (p == d.pezzi.end() && senza_fine) {
      // The page's last chunk again, for as long as it is asked for.
      for (int n = 1; n < n_pezzo; ++n) {
        auto q = d.pezzi.find({tipo[0], n_pagina, n});
        if (q == d.pezzi.end()) break;
        p = q;
      }
    }
    if (p == d.pezzi.end()) return Pezzo::Nessuno;
    dati = p->second;
    return Pezzo::Letto;
  }
  if (!Id_Valido(id) || !Completo_Su_Disco(Percorso(id))) return Pezzo::Non_Completo;
  const std::string cartella = Percorso(id) + "/chunk/" + tipo + "_" + pagina + "_";
  std::string file = cartella + pezzo + ".bin";
  if (senza_fine && ::access(file.c_str(), F_OK) != 0) {
    for (int n = 1; n < n_pezzo && ::access((cartella + Cinque(n) + ".bin").c_str(), F_OK) == 0; ++n)
      file = cartella + Cinque(n) + ".bin";
  }
  std::string letti;
  if (!Leggi(file, letti)) return Pezzo::Nessuno;
  dati = Byte_Condivisi::Di(std::move(letti));
  return Pezzo::Letto;
}

void Archivio::Accoda(Operazione o) {
  std::lock_guard<std::mutex> l(m_);
  for (const auto& p : o.dati) byte_in_coda_ += p.byte.size();
  byte_in_coda_ += o.pezzo.byte.size();
  ultima_ = std::chrono::steady_clock::now();
  if (coda_.empty()) prima_ = ultima_;
  coda_.push_back(std::move(o));
  ++accodate_;
  if (byte_in_coda_ >= kSoglia) lavoro_.notify_one();
}

void Archivio::Sincronizza() {
  std::unique_lock<std::mutex> l(m_);
  const uint64_t fino = accodate_;
  if (!filo_.joinable() || eseguite_ >= fino) return;
  richiesta_ = true;
  lavoro_.notify_one();
  fatto_.wait(l, [&] { return eseguite_ >= fino; });
}

void Archivio::Scrittore() {
  pthread_setname_np(pthread_self(), "archivio");
  std::vector<Operazione> lotto;
  std::map<std::string, size_t> ultima;  // path -> its last write in the batch
  std::unique_lock<std::mutex> l(m_);
  for (;;) {
    lavoro_.wait_for(l, kQuiete, [this] { return fine_ || richiesta_ || sveglia_ || byte_in_coda_ >= kSoglia; });
    const auto adesso = std::chrono::steady_clock::now();
    if (!fine_ && !richiesta_ && !sveglia_ && byte_in_coda_ < kSoglia && adesso - ultima_ < kQuiete &&
        adesso - prima_ < kAttesa)
      continue;
    richiesta_ = sveglia_ = false;
    if (!coda_.empty()) {
      lotto.swap(coda_);
      byte_in_coda_ = 0;
      const uint64_t fino = accodate_;
      l.unlock();
      ultima.clear();
      for (size_t i = 0; i < lotto.size(); ++i) {
        Operazione& o = lotto[i];
        if (o.tipo == Operazione::Pezzo) {
          const auto [tipo, pagina, numero] = o.chiave;
          o.percorso = Percorso(o.percorso) + "/chunk/" + Nome_Pezzo(tipo, pagina, numero);
          o.dati = {std::move(o.pezzo)};
        }
        if (o.tipo != Operazione::Cartella) ultima[o.percorso] = i;
      }
      for (size_t i = 0; i < lotto.size(); ++i) {
        const Operazione& o = lotto[i];
        std::error_code ec;
        if (o.tipo == Operazione::Cartella) {
          fs::create_directories(o.percorso, ec);
        } else if (ultima[o.percorso] != i) {
          continue;  // written again later in the batch: only the last one counts
        } else if (!o.sostituisci) {
          if (!Scrivi(o.percorso, o.dati)) ec = std::error_code(errno, std::generic_category());
        } else {
          const std::string tmp = o.percorso + ".tmp";
          if (!Scrivi(tmp, o.dati) || std::rename(tmp.c_str(), o.percorso.c_str()) != 0)
            ec = std::error_code(errno, std::generic_category());
        }
        if (ec) std::fprintf(stderr, "qod_hostsim: archive store: %s: %s\n", o.percorso.c_str(), ec.message().c_str());
      }
      lotto.clear();
      l.lock();
      eseguite_ = fino;
      fatto_.notify_all();
    }
    if (fine_) break;
  }
}

}  // namespace hostsim
