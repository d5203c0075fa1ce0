// The files the text window edits, kept byte for byte: read whole, split
// into rows at CR LF, CR or LF with each row's own line end remembered, and
// written back through a temporary name so that a failed write leaves the
// earlier file as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qod::testers {

enum class Esito_Lettura {
  Letto,     // the bytes were read
  Mancante,  // no such file: editing starts empty and a save creates it
  Errore,    // the file exists but could not be read
};

// Reads the whole file named by `nome` (ANSI, a Windows path is resolved).
Esito_Lettura File_Leggi(const std::string& nome, std::string& byte);

// Writes `byte` to the file named by `nome`: first into a temporary file in
// the same folder, then renamed onto the name. False (with the reason in
// `errore`) when it could not; the earlier file is then unchanged.
bool File_Salva(const std::string& nome, std::string_view byte, std::string* errore = nullptr);

// A text split into rows. `fine[i]` is the line end after row i ("\r\n",
// "\r" or "\n"); the last row has none (it is empty when the text ends with
// a line end), so rows.size() == fine.size() + 1.
struct Righe_Testo {
  std::vector<std::string> righe;
  std::vector<std::string> fine;
};

Righe_Testo Dividi_Righe(std::string_view byte);

// The rows joined again: the line end after row i is `fine[i]` of the text
// as it was read, and for rows beyond those the line end the read text used
// most (CR LF when it had none). Rows unchanged give the bytes read.
std::string Unisci_Righe(const std::vector<std::string>& righe, const std::vector<std::string>& fine);

}  // namespace qod::testers
