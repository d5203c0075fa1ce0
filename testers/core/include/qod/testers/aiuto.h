// The help text of the tag command language, as the help window shows it:
// ANSI, every line ended by CR LF.
#pragma once

#include <string>

namespace qod::testers {

const std::string& Testo_Help();

}  // namespace qod::testers
