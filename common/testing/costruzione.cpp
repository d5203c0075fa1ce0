#include "qod/prova/costruzione.h"

#include <system_error>

namespace qod::prova {

namespace fs = std::filesystem;

const fs::path& Cartella_Eseguibile() {
  static const fs::path cartella = [] {
    std::error_code ec;
    const fs::path eseguibile = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : eseguibile.parent_path();
  }();
  return cartella;
}

const fs::path& Cartella_Build() {
  static const fs::path radice = [] {
    std::error_code ec;
    for (fs::path c = Cartella_Eseguibile(); !c.empty(); c = c.parent_path()) {
      if (fs::exists(c / "CMakeCache.txt", ec)) return c;
      if (c == c.root_path()) break;
    }
    return Cartella_Eseguibile();
  }();
  return radice;
}

std::string Programma_Build(const std::string& relativo) { return (Cartella_Build() / relativo).string(); }

namespace {

fs::path Cartella_Accanto(const std::string& nome) {
  const fs::path d = Cartella_Eseguibile() / nome;
  std::error_code ec;
  fs::create_directories(d, ec);
  return d;
}

}  // namespace

fs::path Cartella_Immagini(const std::string& nome) { return Cartella_Accanto(nome); }

fs::path Cartella_Temporanea() { return Cartella_Accanto("tmp"); }

}  // namespace qod::prova
