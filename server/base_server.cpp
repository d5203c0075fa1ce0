#include "qod/server/base_server.h"

#include <filesystem>
#include <system_error>

#include "qod/basic.h"
#include "qod/profile.h"
#include "qod/winpath.h"

namespace qod {

bool Server_Base::Base_Inizializza(const std::string& cartella, std::string_view riga_comando,
                                   const std::function<bool()>& prima_delle_cartelle) {
  // The first keep-alive is due at once.
  Ultimo_Keep_Alive = Orologio().Adesso().Piu_Giorni(-1);

  // The program's folders and files.
  Percorsi_Imposta(cartella);
  Percorso_Lgo = Percorso + "Lgo/";
  Percorso_Fnt = Percorso + "Fnt/";
  Percorso_Backup = Percorso + "Backup/";
  File_CHM = Percorso + "Qod_S.CHM";

  // Read the connection record and check its text, before anything is made
  // in the folder: a start in the wrong folder leaves it as it was.
  // The message names the file and the key or line at fault, also on the
  // error output: a program started without anyone at the screen says why.
  std::string difetto;
  if (!Collegamento_Leggi(File_INI, Collegamento, &difetto)) {
    Messaggi().MsgBox_Errore("Impostazione del server non corretta\r" + difetto, vbCritical, "Quillon Server");
    return false;
  }
  if (prima_delle_cartelle && !prima_delle_cartelle()) return false;

  // The folders are made when missing.
  Temporanea_Crea();
  for (const auto* c : {&Percorso_Lgo, &Percorso_Fnt, &Percorso_Backup}) {
    std::error_code ec;
    std::filesystem::create_directories(Percorso_Fs(*c), ec);
  }
  // The page files and images of every spool file are named here by the
  // server itself: new names need no look-up in a folder that grows.
  Percorso_Cartella_Propria(Percorso_Tmp);

  // The login title.
  Titolo_Login = "Quillon Server  " + Format(Collegamento.Indice_Server, "#0");

  // No reconnection pending; the trimmed command line.
  Riconnessione = false;
  Riga_Comando = Trim(riga_comando);

  // Read the settings of [Generale].
  auto leggi = [&](const char* chiave, const char* predefinito) {
    return Profilo_Leggi(File_INI, "Generale", chiave, predefinito, 255);
  };
  Generale.Fine_Collegamento_Ora = leggi("Fine Collegamento Ora", "");
  Generale.Fine_Collegamento_Anticipo = Valore_Numerico(leggi("Fine Collegamento Anticipo", ""));
  Generale.Inizio_Collegamento_Ora = leggi("Inizio Collegamento Ora", "");
  Generale.Inizio_Collegamento_Attesa = Valore_Numerico(leggi("Inizio Collegamento Attesa", ""));
  Generale.Tempo_Ciclo = Valore_Numerico(leggi("Tempo Ciclo", ""));
  Generale.Log = leggi("Log", "N") == "S";
  Generale.Backup = leggi("Backup", "N") == "S";
  Generale.Max_Pagine_Blocco = Valore_Numerico(leggi("Max Pagine Blocco", "0"));
  Generale.Time_Out = Valore_Numerico(leggi("Time Out", "0"));

  // Log the configured printers.
  Log_Scrivi(true, true, "Stampanti configurate");
  Log_Scrivi(false, false, Stringa(50, '='));
  for (const auto& s : stampanti_.Stampanti()) Log_Scrivi(false, false, s);
  Log_Scrivi(false, false, Stringa(50, '='));

  // The spool log heading is written before the first spool file.
  Log_Intestazione = true;
  return true;
}

std::string Server_Base::Nome_File_Espandi(std::string t, std::string_view sostituto, bool pulisci) {
  auto contatore = [&](const std::string& chiave) -> int32_t {
    std::string v = Impostazione_Leggi("Numeratori", chiave, "0");
    auto n = Testo_Numerico(v);
    if (!n) return 0;
    double x = Arrotonda_Pari(*n);
    if (x < 0 || x > 999999) return 0;
    return static_cast<int32_t>(x);
  };
  // "##N": increased and written back; 999999 starts again at 1.
  for (int64_t c; (c = InStr(t, "##N")) > 0;) {
    std::string chiave = Mid(t, c, 6);
    int32_t v = contatore(chiave) + 1;
    if (v > 999999) v = 1;
    Impostazione_Scrivi("Numeratori", chiave, Format(v, "#0"));
    Mid_Imposta(t, c, 6, Format(v, "000000"));
  }
  // "##V": the counter of the same name, read only.
  for (int64_t c; (c = InStr(t, "##V")) > 0;) {
    std::string chiave = "##N" + Mid(t, c + 3, 3);
    Mid_Imposta(t, c, 6, Format(contatore(chiave), "000000"));
  }
  // "##DATA", "##TIME" and the document and page counters.
  const DateTime adesso = Orologio().Adesso();
  const std::pair<const char*, std::string> fissi[] = {
      {"##DATA", Format(adesso, "yymmdd")},
      {"##TIME", Format(adesso, "hhnnss")},
      {"##INDI", Format(Contatore_Documento, "000000")},
      {"##PAGT", Format(Contatore_Pagina, "000000")},
  };
  for (const auto& [token, valore] : fissi)
    for (int64_t c; (c = InStr(t, token)) > 0;) Mid_Imposta(t, c, 6, valore);
  // Cleaning: characters a file name cannot hold become "_", blanks become the substitute.
  if (pulisci) {
    for (auto& ch : t)
      if (std::string_view("\\/:*?\"<>|").find(ch) != std::string_view::npos) ch = '_';
    std::string r;
    for (char ch : t) {
      if (ch == ' ')
        r += sostituto;
      else
        r.push_back(ch);
    }
    t = r;
  }
  return t;
}

}  // namespace qod
