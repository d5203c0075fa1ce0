#include "ebcdic_test.h"

#include <iconv.h>

#include <cstdio>

namespace qod::test {

const Tabella_Ebcdic& Tabella_Ebcdic::IBM280() {
  static const Tabella_Ebcdic t = [] {
    Tabella_Ebcdic r;
    iconv_t cd = iconv_open("CP1252", "IBM280");
    for (int i = 0; i < 256; ++i) {
      char in = static_cast<char>(i), out[8];
      char* pin = &in;
      char* pout = out;
      size_t nin = 1, nout = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (cd != reinterpret_cast<iconv_t>(-1) && iconv(cd, &pin, &nin, &pout, &nout) != static_cast<size_t>(-1) &&
          pout - out == 1)
        r.ansi[static_cast<size_t>(i)] = static_cast<uint8_t>(out[0]);
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    for (int i = 0; i < 256; ++i) r.ebcdic[r.ansi[static_cast<size_t>(i)]] = static_cast<uint8_t>(i);
    return r;
  }();
  return t;
}

std::string Tabella_Ebcdic::File() const {
  std::string f = "QODTBL";
  for (uint8_t b : ansi) f.push_back(static_cast<char>(b));
  return f;
}

bool Tabella_Ebcdic::Scrivi(const std::string& percorso) const {
  std::FILE* f = std::fopen(percorso.c_str(), "wb");
  if (!f) return false;
  std::string s = File();
  bool ok = std::fwrite(s.data(), 1, s.size(), f) == s.size();
  return (std::fclose(f) == 0) && ok;
}

std::string Tabella_Ebcdic::Codifica(std::string_view t) const {
  std::string r(t.size(), '\0');
  for (size_t i = 0; i < t.size(); ++i) r[i] = static_cast<char>(ebcdic[static_cast<unsigned char>(t[i])]);
  return r;
}

Scs& Scs::Testo(std::string_view t) {
  for (char c : t) dati.push_back(t_.ebcdic[static_cast<unsigned char>(c)]);
  return *this;
}

Scs& Scs::Controllo(uint8_t classe, std::initializer_list<uint8_t> parametri) {
  return Controllo(classe, std::vector<uint8_t>(parametri));
}

Scs& Scs::Controllo(uint8_t classe, const std::vector<uint8_t>& parametri) {
  dati.push_back(0x2B);
  dati.push_back(classe);
  dati.push_back(static_cast<uint8_t>(parametri.size() + 1));
  dati.insert(dati.end(), parametri.begin(), parametri.end());
  return *this;
}

}  // namespace qod::test
