#include "qod/server/registro.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/winpath.h"

namespace qod {

namespace {

struct Colonna_Log {
  const char* titolo;
  int larghezza;
};

constexpr Colonna_Log kColonne[17] = {
    {"NRR", 11},      {"File Spool", 11}, {"Lavoro", 33},   {"Libr/Outq", 26}, {"Formato", 11}, {"Dati Uten.", 11},
    {"Save", 11},     {"Stampante", 51},  {"Pagine", 26},   {"Copie", 11},     {"Cartella", 51}, {"Dati", 26},
    {"Immagini", 16}, {"Stampa", 16},     {"Archivia", 16}, {"Salva", 16},     {"Segnalaz.", 61},
};

// True when `nome` begins with `prefisso`, compared as Windows does (case-insensitive).
bool Inizia_Con(const std::string& nome, const std::string& prefisso) {
  if (nome.size() < prefisso.size()) return false;
  for (size_t i = 0; i < prefisso.size(); ++i)
    if (Ansi_Maiuscolo(static_cast<unsigned char>(nome[i])) != Ansi_Maiuscolo(static_cast<unsigned char>(prefisso[i])))
      return false;
  return true;
}

std::vector<std::filesystem::path> Elenco(const std::string& cartella, const std::string& prefisso,
                                         std::error_code& ec) {
  std::vector<std::filesystem::path> r;
  for (std::filesystem::directory_iterator it(Percorso_Fs(cartella), ec), fine; !ec && it != fine; it.increment(ec))
    if (it->is_regular_file() && Inizia_Con(Percorso_Ansi(it->path().filename()), prefisso)) r.push_back(it->path());
  return r;
}

}  // namespace

std::vector<std::filesystem::path> File_Con_Prefisso(const std::string& cartella, const std::string& prefisso) {
  std::error_code ec;
  return Elenco(cartella, prefisso, ec);
}

std::string Log_Titolo() {
  std::string r;
  for (const auto& c : kColonne) r += Testo_Largo(c.titolo, c.larghezza);
  return r;
}

std::string Log_Righello() {
  std::string r;
  for (const auto& c : kColonne) r += Stringa(c.larghezza - 1, '=') + " ";
  return r;
}

std::string Log_Valori(const Pannello& p) {
  auto v = [&](int riga) { return Trim(p.Valore(riga)); };
  const std::string valori[17] = {
      v(Pannello::Riga_Numero),
      v(Pannello::Riga_File_Spool),
      v(Pannello::Riga_Lavoro) + "/" + v(Pannello::Riga_Utente) + "/" + v(Pannello::Riga_Job),
      v(Pannello::Riga_Libreria) + "/" + v(Pannello::Riga_Coda),
      v(Pannello::Riga_Formato),
      v(Pannello::Riga_Dati_Utente),
      v(Pannello::Riga_Salvataggio),
      v(Pannello::Riga_Stampante),
      v(Pannello::Riga_Pagine_Spool),
      v(Pannello::Riga_Copie),
      v(Pannello::Riga_Cartella),
      v(Pannello::Riga_Dati),
      v(Pannello::Riga_Immagini),
      v(Pannello::Riga_Stampa),
      v(Pannello::Riga_Archivia),
      v(Pannello::Riga_Salva),
      v(Pannello::Riga_Stato),
  };
  std::string r;
  for (size_t i = 0; i < 17; ++i) r += Testo_Largo(valori[i], kColonne[i].larghezza);
  return r;
}

void Log_Tabella(Server_Base& base, const Pannello& pannello) {
  if (base.Log_Intestazione) {
    base.Log_Scrivi(false, true, Log_Titolo());
    base.Log_Scrivi(false, true, Log_Righello());
    base.Log_Intestazione = false;
  }
  base.Log_Scrivi(false, true, Log_Valori(pannello));
}

void Backup_Copia(Server_Base& base) {
  // Take the next backup number and keep it.
  auto letto = CLng(std::string_view(base.Impostazione_Leggi("Backup", "Indice", "0")));
  int64_t n = letto && *letto >= 0 && *letto <= 999999999 ? *letto : 0;
  n += 1;
  base.Impostazione_Scrivi("Backup", "Indice", Format(n, "0"));
  const std::string numero = Format(n, "000000000") + "_";

  // Remove the files left under the same number.
  std::error_code ec;
  for (const auto& f : Elenco(base.Percorso_Backup, numero, ec)) {
    std::error_code ec_rimozione;
    if (!std::filesystem::remove(f, ec_rimozione))
      base.Log_Scrivi(true, true, "[Backup] Errore cancellazione " + Percorso_Ansi(f));
  }

  // Copy the slot's page files under that number.
  const std::string slot = Format(base.Collegamento.Indice_Server, "00000") + "_";
  ec.clear();
  const auto file = Elenco(base.Percorso_Tmp, slot, ec);
  if (ec) base.Log_Scrivi(true, true, "[Backup] Errore lettura cartella " + base.Percorso_Tmp);
  for (const auto& f : file) {
    const std::string destinazione = base.Percorso_Backup + numero + Percorso_Ansi(f.filename());
    std::error_code ec_copia;
    std::filesystem::copy_file(f, Percorso_Fs(destinazione), std::filesystem::copy_options::overwrite_existing,
                               ec_copia);
    if (ec_copia) base.Log_Scrivi(true, true, "[Backup] Errore copia " + Percorso_Ansi(f) + " in " + destinazione);
  }
}

}  // namespace qod
