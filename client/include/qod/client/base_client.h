// The archive viewer's module level: its program base with the viewer's
// names, the further folders and files, the connection values, the search
// switch and the command line, set once at start-up; and the instance number
// the main window takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "qod/host/collegamento.h"
#include "qod/host/programma.h"

namespace qod {

// Title of the viewer's start-up message.
inline constexpr const char* kTitolo_Client = "Quillon Viewer";
// The one switch of the viewer's command line.
inline constexpr const char* kSwitch_No_Subclass = "/NOSUBCLASS";

class Client_Base : public Base_Programma, public Dati_Collegamento {
 public:
  Client_Base(Clock& orologio, MessageSink& messaggi) : Base_Programma(orologio, messaggi, kNomi_Client) {}

  // Does nothing; called by the splash window before the settings load.
  void Base_Prepara() {}

  // Fixes the program folder (`cartella`, the current directory at start-up)
  // and its files, checks and cuts the connection record, makes the page
  // files' folder when missing, reads the search switch and keeps the
  // trimmed command line. False when the record fails its check:
  // "Impostazione del server non corretta" has been shown, nothing was made
  // in the folder and the program must end.
  bool Base_Inizializza(const std::string& cartella, std::string_view riga_comando);

  // The instance number taken by the main window, and the caption and login
  // title it gives: "Quillon Viewer " & number.
  void Istanza_Imposta(int numero);

  // False when the command line holds "/NOSUBCLASS" anywhere (as written):
  // no minimum size, and every resize lays the window out again.
  bool Subclass() const { return Riga_Comando.find(kSwitch_No_Subclass) == std::string::npos; }

  std::string Percorso_Lgo, Percorso_Fnt;  // with their trailing "/"
  std::string File_DAT, File_CHM;
  bool Ricerche_Maiuscolo = false;         // [Generale] "Ricerche in maiuscolo" exactly "1"
  std::string Riga_Comando;                // trimmed
  int Numero_Istanza = 0;                  // 1..32
  std::string Titolo_Istanza;              // "Quillon Viewer " & Numero_Istanza
};

}  // namespace qod
