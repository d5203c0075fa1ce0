#include "qod/prova/strumenti.h"

#include "qod/prova/costruzione.h"
#include "qod/prova/finti.h"
#include "qod/prova/processo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qod::prova {

namespace fs = std::filesystem;

Cartella_Prova::Cartella_Prova(const std::string& prefisso) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string caso = info ? std::string(info->test_suite_name()) + "_" + info->name() : "fuori";
  for (auto& c : caso)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  dir_ = Cartella_Temporanea() / ("qod_" + prefisso + "_" + std::to_string(::getpid()) + "_" + caso);
  std::error_code ec;
  fs::remove_all(dir_, ec);
  fs::create_directories(dir_);
}

Cartella_Prova::~Cartella_Prova() {
  if (std::getenv("QOD_KEEP_TEST_FILES")) return;
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

namespace {

// A file for one output stream of a child.
struct Flusso {
  std::string nome;
  Flusso() {
    std::string modello = (fs::temp_directory_path() / "qod_esegui_XXXXXX").string();
    const int fd = ::mkstemp(modello.data());
    if (fd >= 0) {
      ::close(fd);
      nome = modello;
    }
  }
  ~Flusso() {
    std::error_code ec;
    if (!nome.empty()) fs::remove(nome, ec);
  }
};

}  // namespace

Esito_Comando Esegui(const std::vector<std::string>& argomenti) {
  Esito_Comando e;
  if (argomenti.empty()) return e;
  Flusso out, err;
  if (out.nome.empty() || err.nome.empty()) return e;
  Processo p;
  if (p.Avvia({.argomenti = argomenti, .uscita = out.nome, .errori = err.nome})) e.rc = p.Attendi().value_or(-1);
  e.out = File_Leggi(out.nome);
  e.err = File_Leggi(err.nome);
  return e;
}

int Esegui(const std::string& comando, std::string* uscita) {
  Esito_Comando e = Esegui({"/bin/sh", "-c", comando});
  if (uscita) *uscita = std::move(e.out);
  return e.rc;
}

std::string Comando(const std::string& comando) {
  std::string out;
  if (Esegui(comando, &out) < 0 && out.empty()) return "<" + comando + " non avviato>";
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

bool File_Scrivi(const std::filesystem::path& file, std::string_view dati) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(dati.data(), static_cast<std::streamsize>(dati.size()));
  return static_cast<bool>(out);
}

std::string Righe_CRLF(const std::string& righe) {
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

std::vector<std::string> Nomi(const fs::path& cartella) {
  std::vector<std::string> r;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(cartella, ec)) r.push_back(e.path().filename().string());
  std::sort(r.begin(), r.end());
  return r;
}

}  // namespace qod::prova

namespace qod {

void FakeClock::Avanza(int64_t ms) {
  ms_ += ms;
  adesso_ = DateTime::Da_Seriale(adesso_.Seriale() + static_cast<double>(ms) / 86400000.0);
}

}  // namespace qod
