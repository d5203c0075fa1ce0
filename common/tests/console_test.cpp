// The command line's check before a program starts, the messages it writes
// on the error output, and the command line and folder it starts with.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "qod/console.h"

using namespace qod;

namespace {

// What a stream received.
std::string Letto(std::FILE* f) {
  std::string r;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;) r.push_back(static_cast<char>(c));
  return r;
}

struct Esito {
  std::optional<int> codice;
  std::string uscita, errori;
};

Esito Controlla(const Uso_Programma& uso, std::vector<const char*> parole) {
  parole.insert(parole.begin(), "programma");
  std::FILE* u = std::tmpfile();
  std::FILE* e = std::tmpfile();
  Esito r;
  r.codice = Uso_Controlla(uso, static_cast<int>(parole.size()), parole.data(), u, e);
  r.uscita = Letto(u);
  r.errori = Letto(e);
  std::fclose(u);
  std::fclose(e);
  return r;
}

}  // namespace

TEST(Uso, HelpUnknownOptionsAndTheProgramsOwnWords) {
  const Uso_Programma server{"Qod_S", "uso: Qod_S [/AUTO] [/ICON]\n", {"/AUTO", "/ICON", "/NOSUBCLASS"}, true};
  const Uso_Programma editore{"Qod_S_INI", "uso: Qod_S_INI [/INIT]\n", {"/INIT"}, false};
  const Uso_Programma senza{"ZuFNT", "uso: ZuFNT\n", {}, true};
  const struct {
    const Uso_Programma& uso;
    std::vector<const char*> parole;
    std::optional<int> codice;  // nothing: the program starts
    const char* sconosciuta;    // the word named on the error output
  } casi[] = {
      {server, {}, std::nullopt, nullptr},
      {server, {"/AUTO", "/ICON"}, std::nullopt, nullptr},
      {server, {"/AUTO/ICON"}, std::nullopt, nullptr},           // written together
      {server, {"/AUTO /NOSUBCLASS"}, std::nullopt, nullptr},    // one argument, two words
      {server, {"altro", "x/AUTOy"}, std::nullopt, nullptr},     // not options: the program's
      {server, {"--help"}, 0, nullptr},
      {server, {"/AUTO", "-h"}, 0, nullptr},
      {server, {"/?"}, 0, nullptr},
      {server, {"--bogus", "--help"}, 0, nullptr},               // help wins
      {server, {"--bogus"}, 2, "--bogus"},
      {server, {"/auto"}, 2, "/auto"},                           // the switches' case as written
      {server, {"/AUTOMATICO"}, 2, "/AUTOMATICO"},
      {server, {"/AUTO/"}, 2, "/AUTO/"},
      {server, {"/"}, 2, "/"},
      {server, {"-"}, 2, "-"},
      // Qt's own options, with their values (which may look like options).
      {server, {"-platform", "offscreen", "/AUTO"}, std::nullopt, nullptr},
      {server, {"--style", "fusion", "-reverse", "-stylesheet", "/tmp/a.qss"}, std::nullopt, nullptr},
      {server, {"-qmljsdebugger=port:1234"}, std::nullopt, nullptr},
      {server, {"-reverse=1"}, 2, "-reverse=1"},
      {editore, {"/init"}, std::nullopt, nullptr},               // any case for the editors
      {editore, {"/Init", "/INIT"}, std::nullopt, nullptr},
      {editore, {"/INITX"}, 2, "/INITX"},
      {senza, {"/INIT"}, 2, "/INIT"},
      {senza, {"file.txt"}, std::nullopt, nullptr},
  };
  for (const auto& c : casi) {
    std::string tutte;
    for (const char* p : c.parole) tutte += std::string(p) + " ";
    SCOPED_TRACE(c.uso.nome + ": " + tutte);
    const Esito r = Controlla(c.uso, c.parole);
    EXPECT_EQ(r.codice, c.codice);
    if (c.codice == 0) {
      EXPECT_EQ(r.uscita, c.uso.testo);
      EXPECT_EQ(r.errori, "");
    } else if (c.codice == 2) {
      EXPECT_EQ(r.uscita, "");
      EXPECT_EQ(r.errori, c.uso.nome + ": opzione sconosciuta: " + c.sconosciuta + "\n\n" + c.uso.testo);
    } else {
      EXPECT_EQ(r.uscita + r.errori, "");
    }
  }
}

TEST(Uso, ErrorMessagesGoOneLineEachAfterTheProgramsName) {
  std::FILE* e = std::tmpfile();
  const std::string n = Nome_Programma();
  Errore_Scrivi("Quillon Server", "Impostazione del server non corretta\r/x/Qod_S.INI: il file non esiste", e);
  Errore_Scrivi("", "uno\r\ndue\nperch\xE9\r", e);  // ANSI text, every kind of line end
  EXPECT_EQ(Letto(e), n + ": Quillon Server: Impostazione del server non corretta\n" + n +
                          ": /x/Qod_S.INI: il file non esiste\n" + n + ": uno\n" + n + ": due\n" + n +
                          ": perch\xC3\xA9\n");
  std::fclose(e);
}

// What a program starts with: the words after its name joined by one blank,
// in the program's code page; its folder with one trailing "/".
TEST(Uso, TheCommandLineAndTheFolderAProgramStartsWith) {
  const char* solo[] = {"Qod_S"};
  const char* parole[] = {"Qod_S", "/AUTO", "perch\xC3\xA9", "", "/ICON"};
  EXPECT_EQ(Riga_Comando(1, solo), "");
  EXPECT_EQ(Riga_Comando(5, parole), "/AUTO perch\xE9  /ICON");
  const std::string cartella = Cartella_Programma();
  ASSERT_GE(cartella.size(), 2u);
  EXPECT_EQ(cartella.back(), '/');
  EXPECT_NE(cartella[cartella.size() - 2], '/');
}
