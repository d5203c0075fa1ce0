// Starting the host program through the host's FTP server: log in, send one
// remote command, quit. Plain CR LF lines, not converted to EBCDIC.
#pragma once

#include <string>
#include <vector>

#include "qod/host/trasporto.h"

namespace qod {

// One FTP dialogue on `slot`: the greeting must start "220", "USER " &
// Trim(utente) "331", "PASS " & Trim(password) "230", "RCMD " &
// Trim(comando) "250"; then "QUIT" is sent without reading a reply. The first
// line of each reply is read with the long wait, further lines (multi-line
// replies, banners) with the short wait until one fails; the whole reply
// must come within the long wait, or the step counts as not answered. The
// socket is closed at the end whenever it was opened.
//
// True when every reply carried its code. Otherwise `errore` holds the
// message of the first failure ("Il server FTP non risponde (USER)",
// "Utente errato", ...). `righe`, when given, is emptied and receives every
// reply line read, in order.
bool Ftp_Comando(Trasporto& trasporto, int slot, const std::string& host, int porta, const std::string& utente,
                 const std::string& password, const std::string& comando, std::string& errore,
                 std::vector<std::string>* righe = nullptr);

}  // namespace qod
