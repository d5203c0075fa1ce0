#include "qod/client/base_client.h"

#include "qod/basic.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/istanze.h"
#include "qod/profile.h"

namespace qod {

bool Client_Base::Base_Inizializza(const std::string& cartella, std::string_view riga_comando) {
  // Folders and files.
  Percorsi_Imposta(cartella);
  Percorso_Lgo = Percorso + "Lgo/";
  Percorso_Fnt = Percorso + "Fnt/";
  File_DAT = Percorso + kFile_Istanze;
  File_CHM = Percorso + "Qod_C.CHM";

  // Read the connection record, its check text and its values, before
  // anything is made in the folder. The message names the file and the key
  // or line at fault, also on the error output.
  std::string difetto;
  if (!Collegamento_Leggi(File_INI, Collegamento, &difetto)) {
    Messaggi().MsgBox_Errore("Impostazione del server non corretta\r" + difetto, vbCritical, kTitolo_Client);
    return false;
  }
  // Only a start that goes on makes the page files' folder, when missing.
  Temporanea_Crea();

  // The search switch: on only for exactly "1".
  Ricerche_Maiuscolo = Profilo_Leggi(File_INI, "Generale", "Ricerche in maiuscolo", "0", 255) == "1";

  // Keep the command line, trimmed.
  Riga_Comando = Trim(riga_comando);
  return true;
}

void Client_Base::Istanza_Imposta(int numero) {
  Numero_Istanza = numero;
  Titolo_Istanza = kTitolo_Viewer + Format(numero, "#0");
  Titolo_Login = Titolo_Istanza;
}

}  // namespace qod
