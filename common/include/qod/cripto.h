// The host connection record and its keyless scrambling, shared by the
// server, the client and the settings editors.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "qod/profile.h"

namespace qod {

// Scrambles `chiaro` into `cifrato` and gives the check text of the record.
void cripto_in(const std::string& chiaro, std::string& cifrato, std::string& controllo);

// Unscrambles `cifrato` into `chiaro` and gives the check text of the result.
void cripto_out(std::string& chiaro, const std::string& cifrato, std::string& controllo);

// A number field of the record: the numeric value of the text, zero-filled to
// at least `larghezza` digits; empty or not numeric gives `larghezza` zeros.
std::string Numero_Zeri(std::string_view testo, int larghezza);

// The fields of the record, as the readers take them (trimmed text, numbers).
struct Parametri_Collegamento {
  std::string Host;        // 1-50
  int32_t Porta = 0;       // 51-55 record connection port
  std::string Utente;      // 56-65
  std::string Password;    // 66-75
  int32_t Porta_Ftp = 0;   // 76-80, 0: no FTP start
  std::string Libreria;    // 81-90, empty: no FTP start
  int32_t Indice_Server = 0;  // 91-95 (server record only)

  // Takes the fields by position from an unscrambled record.
  static Parametri_Collegamento Leggi(std::string_view record);
  // Composes the record as the editors write it: 95 characters, or 90 for
  // the client (no index).
  std::string Componi(bool con_indice = true) const;
};

// The reading rule of the programs: read `Licenza` and `Check` from
// [Generale] of the settings file, unscramble, compare. False when the check
// text differs (the caller shows its message and ends); `difetto` then says
// why, as Collegamento_Difetto does.
bool Collegamento_Leggi(const std::string& file_ini, Parametri_Collegamento& out, std::string* difetto = nullptr);

// Why the record of `file_ini` does not pass its check, naming the file and
// the key or its line: the file missing or unreadable, no [Generale], a key
// missing, an empty `Licenza`, or a `Check` that does not match (ANSI).
std::string Collegamento_Difetto(const std::string& file_ini);

// The two writes that store a record: `Licenza` with the scrambled text and
// `Check` with its check text. A scrambled text that begins or ends with a
// blank or a quote is written inside double quotes, so that reading it back
// (which trims and strips one pair of quotes) gives it whole.
std::vector<Profilo_Voce> Collegamento_Voci(const std::string& record);

// Scrambles the record and writes `Licenza` and `Check` in one rewrite of
// the file. False when the file could not be written.
bool Collegamento_Scrivi(const std::string& file_ini, const std::string& record);

}  // namespace qod
