// Measurements for the benchmarks. Contenders run interleaved: every round
// runs each of them once, in turn (A B A B ...), so that a noisy moment of
// the machine falls on both; a ratio is taken within each round. A series is
// reported as its median with its spread (lowest and highest), so that one
// noisy round does not decide it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "qod/imaging/immagine.h"

namespace qod::bench {

class Serie {
 public:
  void Aggiungi(double v) { valori_.push_back(v); }
  bool Vuota() const { return valori_.empty(); }
  size_t Quanti() const { return valori_.size(); }
  double operator[](size_t i) const { return valori_[i]; }
  double Mediana() const;
  double Minimo() const;
  double Massimo() const;
  // "median (lowest - highest)" with `formato` for each number ("%.2f").
  std::string Testo(const char* formato = "%.2f") const;

 private:
  std::vector<double> valori_;
};

// The ratio a[i] / b[i] of each round.
Serie Rapporto(const Serie& a, const Serie& b);
// The sum a[i] + b[i] of each round.
Serie Somma(const Serie& a, const Serie& b);
// Every value of a series multiplied by k.
Serie Scala(const Serie& s, double k);

// Milliseconds `f` takes.
double Cronometra_Ms(const std::function<void()>& f);

// Milliseconds the bare moving of `byte` bytes over a fresh loopback TCP
// connection takes: one thread sends in 8192-byte pieces, another receives
// them all. The reference for transfers over the record protocol.
double Loopback_Ms(size_t byte);

// A 1728 x 2292 fax page (204 x 196 dpi) of text-like blocks, different for
// each seed.
img::Immagine Pagina_Testo(unsigned seme);

// The bare CCITT G4 encode of a 1-bit page with libtiff (white is 0 in the
// file, as fax readers expect), one strip, the fax resolution. The rows are
// packed into one buffer kept from call to call, as an encoder that writes
// page after page would keep it.
bool Tiff_G4(const img::Immagine& im, const std::string& file);

}  // namespace qod::bench
