// A scratch folder per test, removed at the end, and small file helpers.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace qod::test {

inline std::string Leggi_File(const std::filesystem::path& f) {
  std::ifstream in(f, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void Scrivi_File(const std::filesystem::path& f, const std::string& contenuto) {
  std::ofstream out(f, std::ios::binary);
  out << contenuto;
}

// Lines joined with "\n" become CR LF lines, each ended.
inline std::string Righe_CRLF(const std::string& righe) {
  std::string r;
  size_t inizio = 0;
  while (inizio <= righe.size()) {
    size_t fine = righe.find('\n', inizio);
    if (fine == std::string::npos) fine = righe.size();
    r += righe.substr(inizio, fine - inizio) + "\r\n";
    inizio = fine + 1;
  }
  return r;
}

// The names in a folder, sorted.
inline std::vector<std::string> Nomi(const std::filesystem::path& cartella) {
  std::vector<std::string> r;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(cartella, ec)) r.push_back(e.path().filename().string());
  std::sort(r.begin(), r.end());
  return r;
}

class Cartella_Test {
 public:
  Cartella_Test() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string nome = std::string(info ? info->test_suite_name() : "x") + "_" + (info ? info->name() : "y");
    for (auto& c : nome)
      if (c == '/') c = '_';
    dir_ = std::filesystem::temp_directory_path() / ("qod_spool_" + std::to_string(::getpid()) + "_" + nome);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~Cartella_Test() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::filesystem::path& Dir() const { return dir_; }
  // The folder as the programs write it: with a trailing "/".
  std::string Testo() const { return dir_.string() + "/"; }

 private:
  std::filesystem::path dir_;
};

}  // namespace qod::test
