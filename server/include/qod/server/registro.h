// The last two steps of a spool file: the spool log table (one fixed-column
// line per spool file in the server log, after a title block written once
// per run) and the backup copy of the spool file's page files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "qod/server/base_server.h"
#include "qod/server/pannello.h"

namespace qod {

// The regular files of `cartella` whose names begin with `prefisso`,
// compared without regard to case as the Windows file patterns do.
std::vector<std::filesystem::path> File_Con_Prefisso(const std::string& cartella, const std::string& prefisso);

// The title line, the rule line and the value line of the spool log table;
// the values are the trimmed texts of the panel rows the spool file filled.
std::string Log_Titolo();
std::string Log_Righello();
std::string Log_Valori(const Pannello& pannello);

// Writes the title block when it is still due in this run, then the value
// line, each with the date prefix and no blank line before it.
void Log_Tabella(Server_Base& base, const Pannello& pannello);

// Copies every page file of the server's slot from the temporary folder to
// the backup folder under the next backup number, as number (9 digits) &
// "_" & name, after removing files left there under the same number. A copy
// that fails is logged and the others go on.
void Backup_Copia(Server_Base& base);

}  // namespace qod
