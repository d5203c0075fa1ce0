#include "qod/host/programma.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "qod/basic.h"
#include "qod/process.h"
#include "qod/profile.h"
#include "qod/risorse_c.h"
#include "qod/winpath.h"

namespace qod {

void Base_Programma::Cartella_Imposta(const std::string& cartella) {
  Percorsi_Imposta(cartella);
  Temporanea_Crea();
}

void Base_Programma::Percorsi_Imposta(const std::string& cartella) {
  Percorso = cartella;
  if (Percorso.empty() || Percorso.back() != '/') Percorso += "/";
  Percorso_Tmp = Percorso + nomi_.Temporanea + "/";
  File_INI = Percorso + nomi_.Impostazioni;
  File_LOG = nomi_.Registro.empty() ? std::string() : Percorso + nomi_.Registro;
  File_TBL = Percorso + kFile_Tabella;
}

void Base_Programma::Temporanea_Crea() const {
  std::error_code ec;
  std::filesystem::create_directories(Percorso_Fs(Percorso_Tmp), ec);
}

void Base_Programma::Log_Scrivi(bool riga_vuota, bool data, std::string_view testo) const {
  if (File_LOG.empty()) return;
  File_C f(Percorso_Fs(File_LOG).c_str(), "ab");
  if (!f) return;
  std::string righe;
  if (riga_vuota) righe += " \r\n";
  if (data) righe += Format(orologio_.Adesso(), "dd/mm/yyyy hh:nn:ss") + " - ";
  // Values from the host or a file may hold control characters: a CR or LF
  // would split the line and put a line of their choosing into the log.
  const size_t da = righe.size();
  righe += testo;
  for (size_t i = da; i < righe.size(); ++i)
    if (static_cast<unsigned char>(righe[i]) < 32 || righe[i] == 127) righe[i] = ' ';
  righe += "\r\n";
  std::fwrite(righe.data(), 1, righe.size(), f.get());
}

bool Base_Programma::Impostazione_Scrivi(std::string_view sezione, std::string_view chiave,
                                         std::string_view valore) const {
  bool ok = Profilo_Scrivi(File_INI, sezione, chiave, valore);
  if (!ok)
    Log_Scrivi(true, true,
               "Impossibile scrivere [" + std::string(sezione) + "] " + std::string(chiave) + "=" +
                   std::string(valore) + " in " + File_INI);
  return ok;
}

std::string Base_Programma::Impostazione_Leggi(std::string_view sezione, std::string_view chiave,
                                               std::string_view predefinito) const {
  return Profilo_Leggi(File_INI, sezione, chiave, predefinito, 255);
}

bool Base_Programma::Esegui_Attendi(std::string_view riga, const Pump& pompa,
                                    const std::function<bool()>& arresto) const {
  Log_Scrivi(false, true, "[Esegui_Attendi] Avvio: " + std::string(riga));
  const Processo_Avviato p = Processo_Attendi(riga, pompa, arresto, 50);
  if (p.Pid == 0) {
    Log_Scrivi(false, true, "[Esegui_Attendi] Avvio non riuscito: " + std::string(riga));
    return false;
  }
  if (!p.Codice) {
    Log_Scrivi(false, true,
               "[Esegui_Attendi] Arresto richiesto: il comando \xE8 ancora in esecuzione, processo " +
                   std::to_string(p.Pid));
    return true;
  }
  Log_Scrivi(false, true, "[Esegui_Attendi] Fine, codice " + std::to_string(*p.Codice));
  return true;
}

}  // namespace qod
