#include "qod/host/ftp.h"

#include <cstdint>

#include "qod/ansi.h"
#include "qod/basic.h"

namespace qod {

bool Ftp_Comando(Trasporto& t, int slot, const std::string& host, int porta, const std::string& utente,
                 const std::string& password, const std::string& comando, std::string& errore,
                 std::vector<std::string>* righe) {
  errore.clear();
  if (righe) righe->clear();

  std::string indirizzo;
  if (!t.Sock_Connect(slot, host, porta, indirizzo)) {
    errore = "Apertura della porta " + Format(porta, "#0") + " non riuscita";
    return false;
  }

  struct Passo {
    std::string riga;  // empty for the greeting
    const char* codice;
    std::string muto, rifiuto;
  };
  const Passo passi[] = {
      {"", "220", "Il server FTP non risponde", A("Il server FTP non è pronto")},
      {"USER " + Trim(utente), "331", "Il server FTP non risponde (USER)", "Utente errato"},
      {"PASS " + Trim(password), "230", "Il server FTP non risponde (PASS)", "Password errata"},
      {"RCMD " + Trim(comando), "250", "Il server FTP non risponde (RCMD)", "Comando non eseguito"},
  };

  bool ok = true;
  for (const Passo& p : passi) {
    // A send that fails shows up as the missing reply below.
    if (!p.riga.empty()) t.Invia_Grezzo(slot, p.riga + "\r\n");
    // The whole reply, its further lines included, comes within the long
    // wait: a server that never stops sending lines does not answer.
    const int64_t fine = t.Orologio().Millisecondi() + t.Attese().lunga_ms;
    std::string riga;
    if (!t.Sock_ReadLine(slot, riga, true)) {
      errore = p.muto;
      ok = false;
      break;
    }
    if (Left(riga, 3) != p.codice) {
      errore = p.rifiuto;
      ok = false;
      break;
    }
    if (righe) righe->push_back(riga);
    // The end of the reply is looked for even when its first line came at
    // the very end of the long wait; only lines that go on coming past it
    // make the reply unanswered.
    bool finita = false;  // the further lines stopped coming
    for (;;) {
      if (!t.Sock_ReadLine(slot, riga, false)) {
        finita = !t.Interrotto();
        break;
      }
      if (righe) righe->push_back(riga);
      if (t.Orologio().Millisecondi() >= fine) break;
    }
    if (!finita) {
      errore = p.muto;
      ok = false;
      break;
    }
  }
  if (ok) t.Invia_Grezzo(slot, "QUIT\r\n");
  t.Sock_Close(slot);
  return ok;
}

}  // namespace qod
