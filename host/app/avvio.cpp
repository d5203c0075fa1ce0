#include "avvio.h"

#include <filesystem>
#include <system_error>

#include "qod/ansi.h"
#include "qod/ui/qt.h"
#include "qod/winpath.h"

namespace qod {

std::string Cartella_Programma() {
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return Percorso_Ansi(cwd) + "/";
}

std::string Riga_Comando(int argc, char** argv) {
  std::string riga;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) riga += ' ';
    riga += argv[i];
  }
  return Utf8_A_Ansi(riga);
}

MessageSink& Messaggi_Scegli(MessageSink* data, std::unique_ptr<MessageSink>& propria, Messaggi_Qt*& qt) {
  if (data) return *data;
  auto m = std::make_unique<Messaggi_Qt>();
  qt = m.get();
  propria = std::move(m);
  return *propria;
}

}  // namespace qod
