#include "registro.h"

#include "ebcdic.h"
#include "qod/ansi.h"

namespace hostsim {

Registro::~Registro() {
  if (f_) std::fclose(f_);
}

bool Registro::Apri(const std::string& file) {
  f_ = std::fopen(file.c_str(), "ab");
  return f_ != nullptr;
}

void Registro::Richiesta(const char* canale, int sessione, std::string_view grezzo, std::string_view testo) {
  std::string t;
  for (unsigned char c : testo) {
    if (c < 32 || c == 127 || c == '\\') {
      t += "\\x" + Esadecimale(std::string_view(reinterpret_cast<const char*>(&c), 1));
    } else {
      t.push_back(static_cast<char>(c));
    }
  }
  std::string riga = std::string(canale) + "\t" + std::to_string(sessione) + "\t" + Esadecimale(grezzo) + "\t" +
                     qod::Ansi_A_Utf8(t) + "\n";
  std::lock_guard<std::mutex> l(m_);
  if (!f_) return;
  std::fwrite(riga.data(), 1, riga.size(), f_);
  std::fflush(f_);
}

void Registro::Evento(int sessione, const std::string& testo) { Richiesta("EVT", sessione, "", testo); }

}  // namespace hostsim
