// The command line's check before a program starts, the messages it writes
// on the error output, and the command line and folder it starts with.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <type_traits>
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
  std::vector<Voce_Comando> voci;  // a tool's
};

// The check of `uso` over `parole`, its output and errors caught.
template <class Uso>
Esito Controlla(const Uso& uso, std::vector<const char*> parole) {
  parole.insert(parole.begin(), "programma");
  std::FILE* u = std::tmpfile();
  std::FILE* e = std::tmpfile();
  Esito r;
  if constexpr (std::is_same_v<Uso, Uso_Strumento>)
    r.codice = Uso_Controlla(uso, static_cast<int>(parole.size()), parole.data(), &r.voci, u, e);
  else
    r.codice = Uso_Controlla(uso, static_cast<int>(parole.size()), parole.data(), u, e);
  r.uscita = Letto(u);
  r.errori = Letto(e);
  std::fclose(u);
  std::fclose(e);
  return r;
}

// "Qod_S: /AUTO /ICON", for the trace of a case.
std::string Traccia(const std::string& nome, const std::vector<const char*>& parole) {
  std::string r = nome + ":";
  for (const char* p : parole) r += std::string(" ") + p;
  return r;
}

}  // namespace

// The system's programs: only "--help" (also "-h", "/?") ends them; every
// other word is the program's to look at, and one that will not count is
// said on the error output. Qt's options (with their values) are Qt's.
TEST(Uso, TheProgramsTakeOnlyHelpAndNameTheWordsThatWillNotCount) {
  const Uso_Programma server{"Qod_S", "uso: Qod_S [/AUTO] [/ICON]\n", {"/AUTO", "/ICON", "/NOSUBCLASS"}};
  const Uso_Programma editore{"Qod_S_INI", "uso: Qod_S_INI [/INIT]\n", {"/INIT"}, false, true};
  const Uso_Programma senza{"ZuFNT", "uso: ZuFNT\n", {}};
  const struct {
    const Uso_Programma& uso;
    std::vector<const char*> parole;
    std::optional<int> codice;         // nothing: the program starts
    std::vector<const char*> ignorate;  // named on the error output
  } casi[] = {
      {server, {}, std::nullopt, {}},
      {server, {"/AUTO", "/ICON"}, std::nullopt, {}},
      {server, {"/AUTO/ICON"}, std::nullopt, {}},
      {server, {"/AUTOMATIC"}, std::nullopt, {}},                 // holds "/AUTO"
      {server, {"x/NOSUBCLASSy"}, std::nullopt, {}},
      {server, {"/AUTO /nosubclass"}, std::nullopt, {"/nosubclass"}},  // one argument, two words
      {server, {"/auto", "--bogus", "altro"}, std::nullopt, {"/auto", "--bogus", "altro"}},
      {server, {"--help"}, 0, {}},
      {server, {"/AUTO", "-h"}, 0, {}},
      {server, {"/?"}, 0, {}},
      {server, {"--bogus", "--help"}, 0, {}},  // help wins
      {server, {"-help"}, std::nullopt, {"-help"}},
      {server, {"x/?"}, std::nullopt, {"x/?"}},
      // Qt's own options, with their values (which may look like words).
      {server, {"-platform", "offscreen", "/AUTO"}, std::nullopt, {}},
      {server, {"--style", "fusion", "-reverse", "-stylesheet", "/?"}, std::nullopt, {}},
      {server, {"-qmljsdebugger=port:1234"}, std::nullopt, {}},
      {server, {"-reverse=1"}, std::nullopt, {"-reverse=1"}},
      // The editors' switch is the whole command line, in any case.
      {editore, {"/init"}, std::nullopt, {}},
      {editore, {" /Init "}, std::nullopt, {}},
      {editore, {"-platform", "offscreen", "/INIT"}, std::nullopt, {}},
      {editore, {"/INIT", "/INIT"}, std::nullopt, {"/INIT /INIT"}},
      {editore, {"/INITX"}, std::nullopt, {"/INITX"}},
      {editore, {"/INIT", "-h"}, 0, {}},
      {senza, {"/INIT", "file.txt"}, std::nullopt, {"/INIT", "file.txt"}},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(Traccia(c.uso.nome, c.parole));
    const Esito r = Controlla(c.uso, c.parole);
    EXPECT_EQ(r.codice, c.codice);
    if (c.codice == 0) {
      EXPECT_EQ(r.uscita, c.uso.testo);
      EXPECT_EQ(r.errori, "");
      continue;
    }
    std::string attese;
    for (const char* p : c.ignorate)
      attese += c.uso.nome + (c.uso.riga_intera ? ": riga di comando ignorata: " : ": parola sconosciuta, ignorata: ") +
                p + "\n";
    EXPECT_EQ(r.uscita, "");
    EXPECT_EQ(r.errori, attese);
  }
}

namespace {

// The items as one text: "--cell=16x32 [OUT.BMP] --bold".
std::string Voci(const std::vector<Voce_Comando>& voci) {
  std::string r;
  for (const auto& v : voci) {
    std::string valori;
    for (const auto& x : v.valori) valori += (valori.empty() ? "" : ",") + x;
    r += (r.empty() ? "" : " ") + (v.opzione.empty() ? "[" + valori + "]" : v.opzione + (v.valori.empty() ? "" : "=" + valori));
  }
  return r;
}

}  // namespace

// A tool: "--help" (also "-h", "/?") where an option may stand; an option it
// does not take, or one without its value, is refused. A word that looks
// like an option ("-...", "/?", "/NAME" with nothing so named at the root) is
// never one of its own words nor an option's value, but a number's ("-3")
// and a text's; a path is. (Nothing is made at the root: a word is only
// looked up there.)
TEST(Uso, AToolRefusesWhatItDoesNotTakeAndGivesTheRestInOrder) {
  using enum Tipo_Valore;
  for (const char* n : {"/qod-prova-inesistente", "/qod-prova-inesistente.ini", "/QOD-PROVA-H"})
    ASSERT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(n))) << n << " is there";
  ASSERT_TRUE(std::filesystem::is_directory("/tmp"));
  const Uso_Strumento genera{"genera", "usage: genera OUT [--cell WxH] [--left N] [--bold]\n",
                             {{"--cell", 1}, {"--left", 1, Numero}, {"--bold"}}};
  // FILE, then groups of three words whose last two are texts.
  const Uso_Strumento imposta{"imposta",
                              "uso: imposta FILE [--record A B] [--copia DA A] [S K V ...]\n",
                              {{"--record", 2, Testo}, {"--copia", 2}},
                              false,
                              false,
                              [](size_t n) { return n == 0 ? 0 : 2; }};
  const Uso_Strumento rete{"rete", "usage: rete [--port N] [--dir D]\n", {{"--port", 1, Numero}, {"--dir", 1}}, true};
  const Uso_Strumento schermata{"schermata", "uso: schermata FILE [/NOSUBCLASS]\n", {{"/NOSUBCLASS"}}, false, true};
  const struct {
    const Uso_Strumento& uso;
    std::vector<const char*> parole;
    std::optional<int> codice;
    const char* atteso;  // the items, or the reason refused
  } casi[] = {
      {genera, {}, std::nullopt, ""},
      {genera, {"out.bmp", "--cell", "20x32", "--bold"}, std::nullopt, "[out.bmp] --cell=20x32 --bold"},
      {genera, {"/?"}, 0, nullptr},
      {genera, {"out.bmp", "-h"}, 0, nullptr},
      {genera, {"--bogus", "--help"}, 0, nullptr},
      {genera, {"--bogus"}, 2, "opzione sconosciuta: --bogus"},
      {genera, {"-"}, 2, "opzione sconosciuta: -"},
      {genera, {"out.bmp", "-help"}, 2, "opzione sconosciuta: -help"},
      {genera, {"--cell=20x32"}, 2, "opzione sconosciuta: --cell=20x32"},
      {genera, {"out.bmp", "--cell"}, 2, "manca il valore di --cell"},
      // Names: paths are taken whole; "/NAME" only where something is so
      // named at the root; the ways to write the others.
      {genera, {"/tmp/a b.bmp"}, std::nullopt, "[/tmp/a b.bmp]"},
      {genera, {"/tmp"}, std::nullopt, "[/tmp]"},
      {genera, {"/"}, std::nullopt, "[/]"},
      {genera, {"/tmp/"}, std::nullopt, "[/tmp/]"},
      {genera, {"/./qod-prova-inesistente"}, std::nullopt, "[/./qod-prova-inesistente]"},
      {genera, {"./-h"}, std::nullopt, "[./-h]"},
      {genera, {"/qod-prova-inesistente"}, 2, "opzione sconosciuta: /qod-prova-inesistente"},
      {genera, {"out.bmp", "/QOD-PROVA-H"}, 2, "opzione sconosciuta: /QOD-PROVA-H"},
      // A value that looks like an option; "--help" in a value's place is
      // no help.
      {genera, {"--cell", "-h"}, 2, "valore di --cell simile a un'opzione: -h"},
      {genera, {"out.bmp", "--cell", "--help"}, 2, "valore di --cell simile a un'opzione: --help"},
      {genera, {"--cell", "/?", "out.bmp"}, 2, "valore di --cell simile a un'opzione: /?"},
      {genera, {"--cell", "/qod-prova-inesistente"}, 2, "valore di --cell simile a un'opzione: /qod-prova-inesistente"},
      {genera, {"--help", "--cell", "-h"}, 0, nullptr},
      // A number's value may begin with "-"; it is a number.
      {genera, {"out.bmp", "--left", "-3"}, std::nullopt, "[out.bmp] --left=-3"},
      {genera, {"--left", "007"}, std::nullopt, "--left=007"},
      {genera, {"--left", "abc"}, 2, "valore di --left non numerico: abc"},
      {genera, {"--left", "-h"}, 2, "valore di --left non numerico: -h"},
      {genera, {"--left", "-"}, 2, "valore di --left non numerico: -"},
      {genera, {"--left", "3x"}, 2, "valore di --left non numerico: 3x"},
      {genera, {"--left", "+3"}, 2, "valore di --left non numerico: +3"},
      {genera, {"--left", ""}, 2, "valore di --left non numerico: "},
      // Texts are taken as they are, a name's value is not.
      {imposta, {"a.ini", "Generale", "Left", "-100", "--record", "-x", "/?"}, std::nullopt,
       "[a.ini] [Generale,Left,-100] --record=-x,/?"},
      {imposta, {"a.ini", "S", "--help", "/qod-prova-inesistente"}, std::nullopt,
       "[a.ini] [S,--help,/qod-prova-inesistente]"},
      {imposta, {"a.ini", "--copia", "b.ini", "-c"}, 2, "valore di --copia simile a un'opzione: -c"},
      {imposta, {"/qod-prova-inesistente.ini", "S", "K", "V"}, 2, "opzione sconosciuta: /qod-prova-inesistente.ini"},
      {imposta, {"a.ini", "Generale", "Left"}, 2, "mancano parole dopo Generale"},
      {imposta, {"a.ini", "--standard", "Generale", "Log", "S"}, 2, "opzione sconosciuta: --standard"},
      // "--name=VALUE" is looked at the same way.
      {rete, {"--port=0", "--dir", "/srv/x"}, std::nullopt, "--port=0 --dir=/srv/x"},
      {rete, {"--port=-1"}, std::nullopt, "--port=-1"},
      {rete, {"--dir="}, std::nullopt, "--dir="},
      {rete, {"--dir=/?"}, 2, "valore di --dir simile a un'opzione: /?"},
      {rete, {"--dir", "--help"}, 2, "valore di --dir simile a un'opzione: --help"},
      {rete, {"--port=x"}, 2, "valore di --port non numerico: x"},
      {schermata, {"a.png", "/NOSUBCLASS", "-platform", "offscreen"}, std::nullopt, "[a.png] /NOSUBCLASS"},
      {schermata, {"a.png", "-bogus"}, 2, "opzione sconosciuta: -bogus"},
      {schermata, {"a.png", "/nosubclass"}, 2, "opzione sconosciuta: /nosubclass"},
      {schermata, {"/QOD-PROVA-H"}, 2, "opzione sconosciuta: /QOD-PROVA-H"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(Traccia(c.uso.nome, c.parole));
    const Esito r = Controlla(c.uso, c.parole);
    EXPECT_EQ(r.codice, c.codice);
    if (c.codice == 0) {
      EXPECT_EQ(r.uscita, c.uso.testo);
      EXPECT_EQ(r.errori, "");
    } else if (c.codice == 2) {
      EXPECT_EQ(r.uscita, "");
      EXPECT_EQ(r.errori, c.uso.nome + ": " + c.atteso + "\n\n" + c.uso.testo);
      EXPECT_TRUE(r.voci.empty());
    } else {
      EXPECT_EQ(r.uscita + r.errori, "");
      EXPECT_EQ(Voci(r.voci), c.atteso);
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
// in the program's code page (without Qt's options, which Qt takes); its
// folder with one trailing "/".
TEST(Uso, TheCommandLineAndTheFolderAProgramStartsWith) {
  const char* solo[] = {"Qod_S"};
  const char* parole[] = {"Qod_S", "/AUTO", "perch\xC3\xA9", "", "/ICON"};
  const char* con_qt[] = {"Qod_S_INI", "-platform", "offscreen", "/INIT", "-reverse", "-style=fusion", "x y"};
  EXPECT_EQ(Riga_Comando(1, solo), "");
  EXPECT_EQ(Riga_Comando(5, parole), "/AUTO perch\xE9  /ICON");
  EXPECT_EQ(Riga_Comando(7, con_qt), "-platform offscreen /INIT -reverse -style=fusion x y");
  EXPECT_EQ(Riga_Comando(7, con_qt, true), "/INIT x y");  // Qt takes its own
  const std::string cartella = Cartella_Programma();
  ASSERT_GE(cartella.size(), 2u);
  EXPECT_EQ(cartella.back(), '/');
  EXPECT_NE(cartella[cartella.size() - 2], '/');
}
