// Helpers of the PDF tests: scratch folders, files, external readers
// (qpdf, poppler) and a structural check of a written PDF.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "qod/prova/strumenti.h"

namespace qod::pdf::test {

namespace fs = std::filesystem;

// The shared test helpers: the scratch folder, the files, the outside readers.
using Cartella = prova::Cartella_Prova;
using Esito = prova::Esito_Comando;
using prova::Esegui;
inline std::string Leggi_File(const fs::path& p) { return prova::File_Leggi(p); }
inline void Scrivi_File(const fs::path& p, std::string_view dati) { prova::File_Scrivi(p, dati); }

// qpdf --check must pass with exit 0 (3 means warnings).
inline ::testing::AssertionResult Qpdf_Ok(const std::string& pdf) {
  Esito e = Esegui({"qpdf", "--check", pdf});
  if (e.rc != 0) return ::testing::AssertionFailure() << "qpdf rc " << e.rc << "\n" << e.out << e.err;
  return ::testing::AssertionSuccess();
}

inline std::string Pdfinfo(const std::string& pdf) {
  Esito e = Esegui({"pdfinfo", pdf});
  return e.out + e.err;
}

// Every cross-reference entry points at "n 0 obj" and startxref at "xref";
// every line ends in LF alone except the entries (CR LF).
inline ::testing::AssertionResult Struttura_Ok(const std::string& dati) {
  size_t sx = dati.rfind("startxref\n");
  if (sx == std::string::npos) return ::testing::AssertionFailure() << "no startxref";
  uint64_t off = std::stoull(dati.substr(sx + 10));
  if (dati.compare(off, 5, "xref\n") != 0) return ::testing::AssertionFailure() << "startxref does not point at xref";
  size_t p = off + 5;
  size_t nl = dati.find('\n', p);
  std::string intest = dati.substr(p, nl - p);
  if (intest.rfind("0 ", 0) != 0) return ::testing::AssertionFailure() << "bad xref subsection " << intest;
  int n = std::stoi(intest.substr(2));
  p = nl + 1;
  for (int i = 0; i < n; ++i, p += 20) {
    std::string e = dati.substr(p, 20);
    if (e.size() != 20 || e.substr(18) != "\r\n") return ::testing::AssertionFailure() << "entry " << i << " not 20 bytes";
    if (i == 0) {
      if (e != "0000000000 65535 f\r\n") return ::testing::AssertionFailure() << "bad entry 0";
      continue;
    }
    if (e.substr(10, 8) != " 00000 n") return ::testing::AssertionFailure() << "entry " << i << ": " << e;
    uint64_t o = std::stoull(e.substr(0, 10));
    std::string atteso = std::to_string(i) + " 0 obj\n";
    if (dati.compare(o, atteso.size(), atteso) != 0)
      return ::testing::AssertionFailure() << "entry " << i << " points at " << dati.substr(o, 12);
  }
  // Line ends: no CR LF outside the table and the stream data.
  std::string fuori = dati.substr(0, off) + dati.substr(p);
  std::string testo;
  size_t q = 0;
  while (q < fuori.size()) {
    size_t s = fuori.find("\nstream\n", q);
    if (s == std::string::npos) {
      testo += fuori.substr(q);
      break;
    }
    testo += fuori.substr(q, s + 8 - q);
    size_t es = fuori.find("endstream\n", s + 8);
    if (es == std::string::npos) return ::testing::AssertionFailure() << "stream without endstream";
    q = es;
    testo += "endstream\n";
    q += 10;
  }
  if (testo.find("\r\n") != std::string::npos) return ::testing::AssertionFailure() << "CR LF outside the table";
  return ::testing::AssertionSuccess();
}

}  // namespace qod::pdf::test

namespace qod::pdf::test {

// A rendered page: PGM (grey, 1 byte a pixel) or PPM (RGB, 3 bytes).
struct Pnm {
  int larghezza = 0, altezza = 0, canali = 0;
  std::vector<uint8_t> pixel;
  const uint8_t* at(int x, int y) const { return &pixel[(size_t(y) * larghezza + x) * canali]; }
};

inline Pnm Leggi_Pnm(const fs::path& p) {
  Pnm r;
  std::string d = Leggi_File(p);
  if (d.size() < 2 || d[0] != 'P' || (d[1] != '5' && d[1] != '6')) return r;
  r.canali = d[1] == '5' ? 1 : 3;
  std::istringstream in(d.substr(2));
  int massimo = 0;
  in >> r.larghezza >> r.altezza >> massimo;
  size_t inizio = 2 + static_cast<size_t>(in.tellg()) + 1;
  size_t n = size_t(r.larghezza) * r.altezza * r.canali;
  if (d.size() < inizio + n) return Pnm{};
  r.pixel.assign(d.begin() + inizio, d.begin() + inizio + n);
  return r;
}

// Renders page `pagina` with pdftoppm (extra options such as "-r", "72" or
// "-scale-to-x") and reads it back; poppler's stderr must stay empty.
inline Pnm Rendi(const std::string& pdf, int pagina, std::vector<std::string> opzioni, bool grigio,
                 std::string* errori = nullptr) {
  std::string prefisso = pdf + ".p" + std::to_string(pagina);
  std::vector<std::string> argv = {"pdftoppm", "-f", std::to_string(pagina), "-l", std::to_string(pagina),
                                   "-singlefile", "-aa", "no", "-aaVector", "no"};
  if (grigio) argv.push_back("-gray");
  argv.insert(argv.end(), opzioni.begin(), opzioni.end());
  argv.push_back(pdf);
  argv.push_back(prefisso);
  Esito e = Esegui(argv);
  if (errori) *errori = e.err + (e.rc ? " rc " + std::to_string(e.rc) : "");
  return Leggi_Pnm(prefisso + (grigio ? ".pgm" : ".ppm"));
}

}  // namespace qod::pdf::test

namespace qod::pdf::test {

// The page rendered at four device pixels per image pixel (poppler does not
// interpolate at that scale) and sampled back at each pixel's centre, for an
// image of w x h pixels that covers the page.
inline Pnm Rendi_Campioni(const std::string& pdf, int pagina, int w, int h, bool grigio,
                          std::string* errori = nullptr) {
  Pnm grande = Rendi(pdf, pagina, {"-scale-to-x", std::to_string(4 * w), "-scale-to-y", std::to_string(4 * h)},
                     grigio, errori);
  Pnm r;
  if (grande.larghezza != 4 * w || grande.altezza != 4 * h) return r;
  r.larghezza = w;
  r.altezza = h;
  r.canali = grande.canali;
  r.pixel.resize(size_t(w) * h * r.canali);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < r.canali; ++c)
        r.pixel[(size_t(y) * w + x) * r.canali + c] = grande.at(4 * x + 2, 4 * y + 2)[c];
  return r;
}

}  // namespace qod::pdf::test
