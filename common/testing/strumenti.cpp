#include "qod/prova/strumenti.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace qod::prova {

int Esegui(const std::string& comando, std::string* uscita) {
  FILE* p = popen(comando.c_str(), "r");
  if (!p) return -1;
  std::string testo;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) testo.append(buf, n);
  const int st = pclose(p);
  if (uscita) *uscita = testo;
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

std::string Comando(const std::string& comando) {
  std::string out;
  if (Esegui(comando, &out) < 0 && out.empty()) return "<" + comando + " non avviato>";
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string File_Leggi(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool File_Scrivi(const std::filesystem::path& file, std::string_view dati) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(dati.data(), static_cast<std::streamsize>(dati.size()));
  return static_cast<bool>(out);
}

}  // namespace qod::prova
