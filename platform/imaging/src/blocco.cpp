// The block a TIFF file is read through: private memory of the file's size,
// filled where libtiff is to read, and let go after each image.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

#include "formati.h"

namespace qod::img {

size_t Leggi_Fd(int fd, uint64_t off, void* buf, size_t n) {
  size_t fatti = 0;
  while (fatti < n) {
    const ssize_t r = ::pread(fd, static_cast<char*>(buf) + fatti, n - fatti, static_cast<off_t>(off + fatti));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    fatti += static_cast<size_t>(r);
  }
  return fatti;
}

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

uint64_t Sorgente_Blocco::Tratti::Quanti_Mancano(uint64_t da, uint64_t a) const {
  uint64_t n = 0;
  auto it = m_.upper_bound(da);
  if (it != m_.begin() && std::prev(it)->second > da) da = std::prev(it)->second;
  for (; da < a; ++it) {
    if (it == m_.end() || it->first >= a) return n + (a - da);
    if (it->first > da) n += it->first - da;
    da = std::max(da, it->second);
  }
  return n;
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

uint64_t Sorgente_Blocco::Tenuto() const { return piene_ * pagina_ + pronte_.Tutti().size() * kCosto_Tratto; }

uint64_t Sorgente_Blocco::Costo(uint64_t off, uint64_t n) const {
  if (n == 0 || off > n_ || n > n_ - off) return 0;
  const uint64_t mancano = pronte_.Quanti_Mancano(off / pagina_, (off + n - 1) / pagina_ + 1);
  return mancano ? mancano * pagina_ + kCosto_Tratto : 0;
}

bool Sorgente_Blocco::Prepara(uint64_t off, uint64_t n) {
  if (!base_ || off > n_ || n > n_ - off) return false;
  if (n == 0) return true;
  if (const uint64_t c = Costo(off, n); c > massimo_ || Tenuto() > massimo_ - c) {
    oltre_ = true;
    return false;
  }
  const uint64_t prima = off / pagina_, dopo = (off + n - 1) / pagina_ + 1;
  // Each run of pages not read yet: one read.
  for (const auto& [da, a] : pronte_.Mancanti(prima, dopo)) {
    const uint64_t inizio = da * pagina_, quanti = std::min(a * pagina_, n_) - inizio;
    const size_t letti = Copia(inizio, base_ + inizio, static_cast<size_t>(quanti));
    if (letti != quanti) {
      // What a short read filled is let go with the rest.
      if (letti) {
        const uint64_t fino = (inizio + letti + pagina_ - 1) / pagina_;
        pronte_.Aggiungi(da, fino);
        piene_ += fino - da;
      }
      return false;
    }
    pronte_.Aggiungi(da, a);
    piene_ += a - da;
  }
  return true;
}

void Sorgente_Blocco::Rilascia() {
  for (const auto& [da, a] : pronte_.Tutti()) {
    const uint64_t inizio = da * pagina_, fine = std::min(a * pagina_, n_);
    ::madvise(base_ + inizio, static_cast<size_t>(fine - inizio), MADV_DONTNEED);
  }
  pronte_.Svuota();
  piene_ = 0;
  massimo_ = UINT64_MAX;
  oltre_ = false;
}

bool Sorgente_Blocco::Riscrivi(uint64_t off, const void* dati, size_t n) {
  if (!base_ || off > n_ || n > n_ - off) return false;
  if (n == 0) return true;
  if (!pronte_.Copre(off / pagina_, (off + n - 1) / pagina_ + 1)) return false;
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
