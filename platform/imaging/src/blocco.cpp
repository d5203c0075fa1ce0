// The block a TIFF file is read through: private memory of the file's size,
// filled where libtiff is to read, and let go after each image.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "formati.h"

namespace qod::img {

// ---- Runs of pages ----------------------------------------------------------

std::vector<std::pair<uint64_t, uint64_t>> Sorgente_Blocco::Tratti::Mancanti(uint64_t da, uint64_t a) const {
  std::vector<std::pair<uint64_t, uint64_t>> v;
  auto it = m_.upper_bound(da);
  if (it != m_.begin() && std::prev(it)->second > da) da = std::prev(it)->second;
  for (; da < a; ++it) {
    if (it == m_.end() || it->first >= a) {
      v.emplace_back(da, a);
      break;
    }
    if (it->first > da) v.emplace_back(da, it->first);
    da = std::max(da, it->second);
  }
  return v;
}

void Sorgente_Blocco::Tratti::Aggiungi(uint64_t da, uint64_t a) {
  auto it = m_.upper_bound(da);
  if (it != m_.begin() && std::prev(it)->second >= da) --it;
  while (it != m_.end() && it->first <= a) {
    da = std::min(da, it->first);
    a = std::max(a, it->second);
    it = m_.erase(it);
  }
  m_.emplace(da, a);
}

void Sorgente_Blocco::Tratti::Togli(uint64_t da, uint64_t a) {
  auto it = m_.upper_bound(da);
  if (it != m_.begin() && std::prev(it)->second > da) --it;
  while (it != m_.end() && it->first < a) {
    const uint64_t inizio = it->first, fine = it->second;
    it = m_.erase(it);
    if (inizio < da) m_.emplace(inizio, da);
    if (fine > a) m_.emplace(a, fine);
  }
}

// ---- The block --------------------------------------------------------------

Sorgente_Blocco::Sorgente_Blocco(uint64_t dimensione) : n_(dimensione) {
  pagina_ = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  if (pagina_ == 0 || pagina_ > (1u << 20)) pagina_ = 4096;
  if (n_ > 0 && n_ <= SIZE_MAX) {
    void* b = ::mmap(nullptr, static_cast<size_t>(n_), PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (b != MAP_FAILED) base_ = static_cast<uint8_t*>(b);
  }
}

Sorgente_Blocco::~Sorgente_Blocco() {
  if (base_) ::munmap(base_, static_cast<size_t>(n_));
}

size_t Sorgente_Blocco::Leggi(uint64_t off, void* buf, size_t n) {
  if (off >= n_) return 0;
  return Copia(off, buf, static_cast<size_t>(std::min<uint64_t>(n, n_ - off)));
}

const uint8_t* Sorgente_Blocco::Vedi(uint64_t off, size_t n) {
  if (off > n_ || n > n_ - off) return nullptr;
  if (off >= vista_da_ && off - vista_da_ + n <= vista_.size()) return vista_.data() + (off - vista_da_);
  // One read takes a directory's count and, as a rule, its entries.
  const size_t k = static_cast<size_t>(std::max<uint64_t>(n, std::min<uint64_t>(kAnticipo, n_ - off)));
  vista_.resize(k);
  vista_.resize(Copia(off, vista_.data(), k));
  vista_da_ = off;
  return vista_.size() >= n ? vista_.data() : nullptr;
}

bool Sorgente_Blocco::Prepara(uint64_t off, uint64_t n, bool tieni) {
  if (!base_ || off > n_ || n > n_ - off) return false;
  if (n == 0) return true;
  const uint64_t prima = off / pagina_, dopo = (off + n - 1) / pagina_ + 1;
  for (const auto& [p, q] : tenute_.Mancanti(prima, dopo)) {
    // Each run of pages not read yet: one read.
    for (const auto& [da, a] : dati_.Mancanti(p, q)) {
      const uint64_t inizio = da * pagina_, quanti = std::min(a * pagina_, n_) - inizio;
      if (Copia(inizio, base_ + inizio, static_cast<size_t>(quanti)) != quanti) return false;
    }
    if (tieni) {
      tenute_.Aggiungi(p, q);
      dati_.Togli(p, q);
    } else {
      dati_.Aggiungi(p, q);
    }
  }
  return true;
}

void Sorgente_Blocco::Rilascia() {
  for (const auto& [da, a] : dati_.Tutti()) {
    const uint64_t inizio = da * pagina_, fine = std::min(a * pagina_, n_);
    ::madvise(base_ + inizio, static_cast<size_t>(fine - inizio), MADV_DONTNEED);
  }
  dati_.Svuota();
}

bool Sorgente_Blocco::Riscrivi(uint64_t off, const void* dati, size_t n) {
  if (!base_ || off > n_ || n > n_ - off) return false;
  if (n == 0) return true;
  const uint64_t prima = off / pagina_, dopo = (off + n - 1) / pagina_ + 1;
  if (!tenute_.Copre(prima, dopo)) return false;
  std::memcpy(base_ + off, dati, n);
  return true;
}

size_t Sorgente_Copia::Copia(uint64_t off, void* buf, size_t n) {
  const uint64_t tutti = Dimensione();
  if (off >= tutti) return 0;
  const size_t k = static_cast<size_t>(std::min<uint64_t>(n, tutti - off));
  std::memcpy(buf, d_ + off, k);
  return k;
}

}  // namespace qod::img
