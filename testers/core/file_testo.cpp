#include "qod/testers/file_testo.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "qod/scrittura.h"
#include "qod/winpath.h"

namespace qod::testers {

namespace fs = std::filesystem;

Esito_Lettura File_Leggi(const std::string& nome, std::string& byte) {
  byte.clear();
  const fs::path p = Percorso_Fs(Percorso_Risolvi(nome));
  std::error_code ec;
  if (nome.empty() || !fs::exists(p, ec)) return ec ? Esito_Lettura::Errore : Esito_Lettura::Mancante;
  if (!fs::is_regular_file(p, ec)) return Esito_Lettura::Errore;
  std::ifstream in(p, std::ios::binary);
  if (!in) return Esito_Lettura::Errore;
  std::string dati((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return Esito_Lettura::Errore;
  byte = std::move(dati);
  return Esito_Lettura::Letto;
}

bool File_Salva(const std::string& nome, std::string_view byte, std::string* errore) {
  auto fallito = [&](const std::string& motivo) {
    if (errore) *errore = motivo;
    return false;
  };
  if (nome.empty()) return fallito("nome del file mancante");
  const fs::path p = Percorso_Fs(Percorso_Risolvi(nome));
  // A file written again keeps its permissions; the new text is on the
  // disk before it takes the name.
  Opzioni_Scrittura o;
  o.modo = 0644;
  o.permessi_del_file = true;
  o.su_disco = true;
  std::string motivo;
  if (!File_Scrivi_Atomico(p, fs::path(p).concat(".~tmp"), byte, o, &motivo)) return fallito(motivo);
  return true;
}

Righe_Testo Dividi_Righe(std::string_view byte) {
  Righe_Testo r;
  std::string riga;
  for (size_t i = 0; i < byte.size(); ++i) {
    const char c = byte[i];
    if (c == '\r' || c == '\n') {
      const bool crlf = c == '\r' && i + 1 < byte.size() && byte[i + 1] == '\n';
      if (crlf) ++i;
      r.righe.push_back(std::move(riga));
      r.fine.emplace_back(crlf ? "\r\n" : c == '\r' ? "\r" : "\n");
      riga.clear();
    } else {
      riga += c;
    }
  }
  r.righe.push_back(std::move(riga));
  return r;
}

std::string Unisci_Righe(const std::vector<std::string>& righe, const std::vector<std::string>& fine) {
  std::map<std::string, size_t> conta;
  for (const auto& f : fine) ++conta[f];
  std::string solita = "\r\n";
  size_t massimo = 0;
  for (const auto& [f, n] : conta)
    if (n > massimo) solita = f, massimo = n;
  std::string out;
  for (size_t i = 0; i < righe.size(); ++i) {
    if (i > 0) out += i - 1 < fine.size() ? fine[i - 1] : solita;
    out += righe[i];
  }
  return out;
}

}  // namespace qod::testers
