#include "archivio.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace hostsim {

namespace {

namespace fs = std::filesystem;

std::string& Cartella() {
  static std::string cartella = "archivio";
  return cartella;
}

std::string Leggi(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Id_Valido(const std::string& n) {
  return n.size() == 10 && std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool Completo(const fs::path& d) { return Leggi(d / "stato.txt") == "chiuso\n"; }

}  // namespace

void Archivio_Cartella_Imposta(const std::string& cartella) { Cartella() = cartella; }
const std::string& Archivio_Cartella() { return Cartella(); }

std::vector<std::string> Archivio_Documenti() {
  std::vector<std::string> ids;
  std::error_code ec;
  for (const auto& d : fs::directory_iterator(Cartella(), ec)) {
    const std::string n = d.path().filename().string();
    if (Id_Valido(n) && Completo(d.path())) ids.push_back(n);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::string Archivio_Documento(const std::string& id) {
  if (!Id_Valido(id)) return {};
  const fs::path d = fs::path(Cartella()) / id;
  return Completo(d) ? d.string() : std::string();
}

std::string Archivio_Indice(const std::string& id) {
  const std::string d = Archivio_Documento(id);
  if (d.empty()) return {};
  std::string indice = Leggi(fs::path(d) / "indice.txt");
  if (indice.size() < 11) indice.resize(11, ' ');
  indice.replace(1, 10, id);
  return indice;
}

}  // namespace hostsim
