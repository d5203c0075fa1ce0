// The start every Qt program shares: Qt's own texts (the exit question's
// buttons, the save dialog) in Italian; "--help" and an unknown word for
// every program of the build, which make nothing; and a program whose
// message nobody can answer (no display, or offscreen with nobody there),
// which says it on the error output and ends with an error instead of
// waiting.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "qod/prova/costruzione.h"
#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"
#include "qod/ui/qt.h"

using namespace qod;
using namespace qod::prova;
namespace fs = std::filesystem;

namespace {

QString Senza_Tasto(QString t) { return t.remove('&'); }

}  // namespace

using Testi_Qt = Prova_Qt;

TEST_F(Testi_Qt, TheExitQuestionAnswersSiOrNo) {
  Messaggi_Qt messaggi;
  QStringList pulsanti;
  QString predefinito;
  Quando_Aperto<QMessageBox>([&](QMessageBox& b) {
    for (QAbstractButton* p : b.buttons()) pulsanti << Senza_Tasto(p->text());
    predefinito = Senza_Tasto(b.defaultButton()->text());
    Schermata(b, "avvio_domanda_uscita");
    b.button(QMessageBox::No)->click();
  });
  EXPECT_EQ(messaggi.MsgBox("Confermi l'uscita dal programma ?", vbYesNo | vbCritical | vbDefaultButton2, "Uscita"),
            vbNo);
  pulsanti.sort();
  EXPECT_EQ(pulsanti.join('|').toStdString(), "No|Sì");
  EXPECT_EQ(predefinito.toStdString(), "No");
}

TEST_F(Testi_Qt, TheSaveDialogSpeaksItalian) {
  Cartella_Prova dir("avvio_dialogo");
  QFileDialog d(nullptr, "Salva con nome", QString::fromStdString(dir.Dir().string()));
  d.setOption(QFileDialog::DontUseNativeDialog);
  d.setAcceptMode(QFileDialog::AcceptSave);
  d.setNameFilters({"TIF colori (*.TIF)"});
  d.show();
  QCoreApplication::processEvents();
  auto testo = [&](const char* nome) {
    auto* l = d.findChild<QLabel*>(nome);
    return l ? Senza_Tasto(l->text()).toStdString() : std::string("(missing)");
  };
  EXPECT_EQ(testo("lookInLabel"), "Cerca in:");
  EXPECT_EQ(testo("fileNameLabel"), "Nome del file:");
  EXPECT_EQ(testo("fileTypeLabel"), "File di tipo:");
  auto* pulsanti = d.findChild<QDialogButtonBox*>("buttonBox");
  ASSERT_NE(pulsanti, nullptr);
  QStringList testi;
  for (QAbstractButton* p : pulsanti->buttons()) testi << Senza_Tasto(p->text());
  testi.sort();
  EXPECT_EQ(testi.join('|').toStdString(), "Annulla|Salva");
  d.resize(700, 450);
  Schermata(d, "avvio_dialogo_salva");
  d.close();
}

// ---- As separate processes ---------------------------------------------------------

namespace {

struct Programma {
  const char* nome;
  const char* percorso;  // under the build folder
  const char* uso;       // how its usage begins
  bool strumento;        // a tool of the build: it refuses an option it does not take
};

const Programma kProgrammi[] = {
    {"Qod_S", QOD_PROGRAMMA_Qod_S, "uso: Qod_S [/AUTO] [/ICON] [/NOSUBCLASS]\n", false},
    {"Qod_C", QOD_PROGRAMMA_Qod_C, "uso: Qod_C [/NOSUBCLASS]\n", false},
    {"Qod_S_INI", QOD_PROGRAMMA_Qod_S_INI, "uso: Qod_S_INI [/INIT]\n", false},
    {"Qod_C_INI", QOD_PROGRAMMA_Qod_C_INI, "uso: Qod_C_INI [/INIT]\n", false},
    {"ZuFNT", QOD_PROGRAMMA_ZuFNT, "uso: ZuFNT\n", false},
    {"ZuTBL", QOD_PROGRAMMA_ZuTBL, "uso: ZuTBL\n", false},
    {"Qod_IMG_TST", QOD_PROGRAMMA_Qod_IMG_TST, "uso: Qod_IMG_TST\n", false},
    {"Qod_PDF_TST", QOD_PROGRAMMA_Qod_PDF_TST, "uso: Qod_PDF_TST\n", false},
    {"zufnt_genera", QOD_PROGRAMMA_zufnt_genera, "usage: zufnt_genera OUT.BMP", true},
    {"zutbl_standard", QOD_PROGRAMMA_zutbl_standard, "usage: zutbl_standard [FOLDER]\n", true},
    {"qod_s_imposta", QOD_PROGRAMMA_qod_s_imposta, "uso: qod_s_imposta FILE.INI", true},
    {"qod_c_schermata", QOD_PROGRAMMA_qod_c_schermata, "uso: qod_c_schermata FILE.png", true},
    {"qod_hostsim", QOD_PROGRAMMA_qod_hostsim, "qod_hostsim: stand-in", true},
    {"qod_brvsim", QOD_PROGRAMMA_qod_brvsim, "usage: qod_brvsim", true},
};

struct Uscita_Processo {
  int codice = -1;  // -1: still running at the limit (then ended)
  std::string uscita, errori;
  std::chrono::milliseconds durata{};
};

// A program started in `cartella` without a display (nor a platform named),
// plus `ambiente`; its output and errors go beside the folder.
class Avviato {
 public:
  Avviato(const fs::path& cartella, const std::vector<std::string>& argomenti,
          std::vector<std::pair<std::string, std::string>> ambiente = {})
      : fuori_(cartella.parent_path() / (cartella.filename().string() + ".out")),
        errori_(cartella.parent_path() / (cartella.filename().string() + ".err")),
        inizio_(std::chrono::steady_clock::now()) {
    fs::remove(fuori_);
    fs::remove(errori_);
    std::vector<std::pair<std::string, std::string>> env = {
        {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
    env.insert(env.end(), ambiente.begin(), ambiente.end());
    if (!p_.Avvia({.argomenti = argomenti, .cartella = cartella, .uscita = fuori_, .errori = errori_, .ambiente = env}))
      errore_ = p_.Errore();
  }
  // Waits at most `limite_ms` for the end (then ends it).
  Uscita_Processo Fine(int limite_ms = 15000) {
    Uscita_Processo r;
    if (!errore_.empty()) {
      r.errori = errore_;
      return r;
    }
    r.codice = p_.Attendi(limite_ms).value_or(-1);
    r.durata = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inizio_);
    p_.Ferma(0);
    r.uscita = File_Leggi(fuori_);
    r.errori = File_Leggi(errori_);
    return r;
  }

 private:
  fs::path fuori_, errori_;
  std::chrono::steady_clock::time_point inizio_;
  Processo p_;
  std::string errore_;
};

Uscita_Processo Esegui_In(const fs::path& cartella, const std::vector<std::string>& argomenti,
                          std::vector<std::pair<std::string, std::string>> ambiente = {}, int limite_ms = 15000) {
  return Avviato(cartella, argomenti, std::move(ambiente)).Fine(limite_ms);
}

bool Contiene(const std::string& testo, const std::string& parte) { return testo.find(parte) != std::string::npos; }

// The lines a program wrote itself (after its name), the folder's path as
// "@", without the notes on the words it ignored; Qt's own lines left out.
std::string Righe_Proprie(const std::string& errori, const std::string& nome, const fs::path& cartella) {
  std::string r;
  size_t k = 0;
  while (k < errori.size()) {
    const size_t fine = std::min(errori.find('\n', k), errori.size());
    std::string riga = errori.substr(k, fine - k);
    k = fine + 1;
    if (riga.rfind(nome + ": ", 0) != 0 || Contiene(riga, ": parola sconosciuta, ignorata: ") ||
        Contiene(riga, ": riga di comando ignorata: "))
      continue;
    for (size_t c; (c = riga.find(cartella.string())) != std::string::npos;) riga.replace(c, cartella.string().size(), "@");
    r += riga + "\n";
  }
  return r;
}

}  // namespace

// "--help", "-h" and "/?": the usage on standard output and 0, for every
// program of the build; nothing is made.
TEST(Uso_Programmi, HelpShowsTheUsageAndMakesNothing) {
  Cartella_Prova dir("avvio_uso");
  int n = 0;
  for (const auto& p : kProgrammi)
    for (const char* aiuto : {"--help", "-h", "/?"}) {
      SCOPED_TRACE(std::string(p.nome) + " " + aiuto);
      const fs::path vuota = dir.Dir() / std::to_string(++n);
      fs::create_directories(vuota);
      const Uscita_Processo r = Esegui_In(vuota, {Programma_Build(p.percorso), aiuto});
      EXPECT_EQ(r.codice, 0) << r.uscita << r.errori;
      EXPECT_TRUE(Contiene(r.uscita, p.uso)) << r.uscita;
      EXPECT_EQ(r.errori, "");
      EXPECT_EQ(Nomi(vuota), std::vector<std::string>{});
    }
}

// A word a program does not take. A tool refuses it: the word and the usage
// on standard error, 2, nothing made. A program of the system starts as it
// does without the word, here without a display in an empty folder: Qod_S
// and Qod_C with their settings message, the others at their first window
// (ZuTBL at its message on the missing tables), each ending with 1 and
// leaving the folder empty; the word is named on standard error. Qod_S
// takes "/AUTOMATIC" for "/AUTO", Qod_C runs without "/nosubclass" (not its
// switch as written).
TEST(Uso_Programmi, ToolsRefuseAnUnknownOptionAndProgramsStartAsWithoutIt) {
  Cartella_Prova dir("avvio_parole");
  const std::vector<std::vector<std::string>> parole = {{}, {"--bogus"}, {"/BOGUS", "altro"}};
  struct Avvio_Riga {
    const Programma* p;
    std::vector<std::string> parole;
    fs::path cartella;
    std::unique_ptr<Avviato> avviato;
  };
  std::vector<Avvio_Riga> righe;
  for (const auto& p : kProgrammi) {
    if (p.strumento) {
      righe.push_back({&p, {"--bogus"}, {}, nullptr});
      continue;
    }
    for (const auto& w : parole) righe.push_back({&p, w, {}, nullptr});
    if (std::string(p.nome) == "Qod_S") righe.push_back({&p, {"/AUTOMATIC"}, {}, nullptr});
    if (std::string(p.nome) == "Qod_C") righe.push_back({&p, {"/nosubclass"}, {}, nullptr});
  }
  // All at once: each waits for its splash or its window.
  int n = 0;
  for (auto& r : righe) {
    r.cartella = dir.Dir() / std::to_string(++n);
    fs::create_directories(r.cartella);
    std::vector<std::string> a = {Programma_Build(r.p->percorso)};
    a.insert(a.end(), r.parole.begin(), r.parole.end());
    r.avviato = std::make_unique<Avviato>(r.cartella, a);
  }
  std::map<std::string, std::pair<int, std::string>> senza_parole;  // by program: code, own lines
  for (auto& r : righe) {
    std::string tutte;
    for (const auto& w : r.parole) tutte += " " + w;
    SCOPED_TRACE(r.p->nome + tutte);
    const Uscita_Processo u = r.avviato->Fine();
    EXPECT_EQ(Nomi(r.cartella), std::vector<std::string>{});
    if (r.p->strumento) {
      EXPECT_EQ(u.codice, 2) << u.uscita << u.errori;
      EXPECT_EQ(u.uscita, "");
      EXPECT_TRUE(Contiene(u.errori, std::string(r.p->nome) + ": opzione sconosciuta: --bogus\n")) << u.errori;
      EXPECT_TRUE(Contiene(u.errori, r.p->uso)) << u.errori;
      continue;
    }
    EXPECT_EQ(u.codice, 1) << u.errori;
    const std::string proprie = Righe_Proprie(u.errori, r.p->nome, r.cartella);
    EXPECT_NE(proprie, "") << u.errori;
    if (r.parole.empty()) {
      senza_parole[r.p->nome] = {u.codice, proprie};
      EXPECT_FALSE(Contiene(u.errori, "ignorata")) << u.errori;
    } else {
      EXPECT_EQ(u.codice, senza_parole[r.p->nome].first);
      EXPECT_EQ(proprie, senza_parole[r.p->nome].second) << u.errori;
    }
    for (const auto& w : r.parole) {
      if (w.find("/AUTO") == std::string::npos) {
        EXPECT_TRUE(Contiene(u.errori, w)) << u.errori;
      }
    }
  }
  // Without settings the server and the viewer say so, before they make or
  // lock anything.
  EXPECT_EQ(senza_parole["Qod_S"].second,
            "Qod_S: Quillon Server: Impostazione del server non corretta\nQod_S: @/Qod_S.INI: il file non esiste\n");
  EXPECT_EQ(senza_parole["Qod_C"].second,
            "Qod_C: Quillon Viewer: Impostazione del server non corretta\nQod_C: @/Qod_C.INI: il file non esiste\n");
  EXPECT_TRUE(Contiene(senza_parole["Qod_S_INI"].second, "la finestra \"Quillon  Impostazione server di stampa\""))
      << senza_parole["Qod_S_INI"].second;
}

// A word that looks like an option is no name of a tool's nor an option's
// value ("/NAME" is a switch where nothing is so named at the root): the
// tool refuses it, the word and the usage on standard error, 2, and makes
// nothing, in its folder nor at the root.
TEST(Uso_Programmi, AToolTakesNoWordThatLooksLikeAnOptionForAName) {
  Cartella_Prova dir("avvio_come_opzioni");
  const struct {
    const char* nome;
    std::vector<std::string> parole;
    std::string motivo;
    const char* radice;  // what it would have made at the root
  } casi[] = {
      {"zufnt_genera", {"/qod-prova-inesistente"}, "opzione sconosciuta: /qod-prova-inesistente",
       "/qod-prova-inesistente"},
      {"zufnt_genera", {"out.bmp", "--face", "--help"}, "valore di --face simile a un'opzione: --help", nullptr},
      {"zufnt_genera", {"out.bmp", "--size", "-h"}, "valore di --size non numerico: -h", nullptr},
      {"zutbl_standard", {"/qod-prova-inesistente"}, "opzione sconosciuta: /qod-prova-inesistente",
       "/qod-prova-inesistente"},
      {"qod_s_imposta", {"/qod-prova-inesistente.INI", "Generale", "Log", "S"},
       "opzione sconosciuta: /qod-prova-inesistente.INI", "/qod-prova-inesistente.INI"},
      {"qod_c_schermata", {"/QOD-PROVA-H"}, "opzione sconosciuta: /QOD-PROVA-H", "/QOD-PROVA-H"},
      {"qod_hostsim", {"--write-table", "/?"}, "valore di --write-table simile a un'opzione: /?", "/?"},
      {"qod_hostsim", {"--write-table", "-h"}, "valore di --write-table simile a un'opzione: -h", nullptr},
      {"qod_hostsim", {"--log", "--help"}, "valore di --log simile a un'opzione: --help", nullptr},
      {"qod_brvsim", {"--socket", "b.sock", "--registro", "/qod-prova-inesistente"},
       "valore di --registro simile a un'opzione: /qod-prova-inesistente", "/qod-prova-inesistente"},
      {"qod_brvsim", {"--socket", "b.sock", "--pausa", "abc"}, "valore di --pausa non numerico: abc", nullptr},
  };
  int n = 0;
  for (const auto& c : casi) {
    std::string tutte;
    for (const auto& w : c.parole) tutte += " " + w;
    SCOPED_TRACE(c.nome + tutte);
    const Programma* p = nullptr;
    for (const auto& q : kProgrammi)
      if (std::string(q.nome) == c.nome) p = &q;
    ASSERT_NE(p, nullptr);
    // "/?" is refused even where it is there.
    const bool prima = c.radice && fs::exists(fs::symlink_status(c.radice));
    if (c.radice && std::string(c.radice) != "/?") {
      ASSERT_FALSE(prima) << c.radice << " is there";
    }
    const fs::path vuota = dir.Dir() / std::to_string(++n);
    fs::create_directories(vuota);
    std::vector<std::string> a = {Programma_Build(p->percorso)};
    a.insert(a.end(), c.parole.begin(), c.parole.end());
    const Uscita_Processo r = Esegui_In(vuota, a);
    EXPECT_EQ(r.codice, 2) << r.uscita << r.errori;
    EXPECT_EQ(r.uscita, "");
    EXPECT_TRUE(Contiene(r.errori, c.nome + (": " + c.motivo) + "\n")) << r.errori;
    EXPECT_TRUE(Contiene(r.errori, p->uso)) << r.errori;
    EXPECT_EQ(Nomi(vuota), std::vector<std::string>{});
    if (c.radice && !prima) {
      std::error_code ec;
      EXPECT_FALSE(fs::exists(fs::symlink_status(c.radice))) << c.radice << " was made";
      fs::remove(c.radice, ec);
    }
  }
}

// A program whose message nobody can answer writes it on the error output
// and ends with an error within seconds: started without a display, or on
// the offscreen platform with nobody there. Without a display, a program
// that gets to its window ends the same way.
TEST(Senza_Risposta, TheMessageGoesToStandardErrorAndTheProgramEnds) {
  Cartella_Prova dir("avvio_senza_risposta");
  const std::string spazzatura("\x7F" "ELF\x02\x01\x01\0\0\0\r\n\xFF\xFE=\x01", 16);
  const struct {
    const char* nome;
    const char* percorso;
    const char* ini;  // written with garbage; null: none
    std::vector<std::pair<std::string, std::string>> ambiente;
    std::vector<std::string> attesi;  // on standard error ("@" stands for the folder)
  } casi[] = {
      {"Qod_S, garbage settings, no display", QOD_PROGRAMMA_Qod_S, "Qod_S.INI", {},
       {"Quillon Server: Impostazione del server non corretta\n", "@/Qod_S.INI: manca la sezione [Generale]\n"}},
      {"Qod_S /AUTO, garbage settings, offscreen", QOD_PROGRAMMA_Qod_S, "Qod_S.INI", {{"QT_QPA_PLATFORM", "offscreen"}},
       {"Quillon Server: Impostazione del server non corretta\n", "@/Qod_S.INI: manca la sezione [Generale]\n"}},
      {"Qod_C, no settings, no display", QOD_PROGRAMMA_Qod_C, nullptr, {},
       {"Quillon Viewer: Impostazione del server non corretta\n", "@/Qod_C.INI: il file non esiste\n"}},
      {"Qod_PDF_TST, no display", QOD_PROGRAMMA_Qod_PDF_TST, nullptr, {},
       {"nessun display (DISPLAY e WAYLAND_DISPLAY non impostati): la finestra \""}},
  };
  int n = 0;
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    const fs::path cartella = dir.Dir() / std::to_string(++n);
    fs::create_directories(cartella);
    if (c.ini) {
      ASSERT_TRUE(File_Scrivi(cartella / c.ini, spazzatura));
    }
    std::vector<std::string> a = {Programma_Build(c.percorso)};
    if (std::string(c.nome).find("/AUTO") != std::string::npos) a.push_back("/AUTO");
    const Uscita_Processo r = Esegui_In(cartella, a, c.ambiente, 10000);
    EXPECT_NE(r.codice, 0) << r.errori;
    EXPECT_NE(r.codice, -1) << "still running after 10 s: " << r.errori;
    EXPECT_LT(r.durata, std::chrono::milliseconds(5000));
    for (std::string atteso : c.attesi) {
      if (atteso[0] == '@') atteso = cartella.string() + atteso.substr(1);
      EXPECT_TRUE(Contiene(r.errori, atteso)) << atteso << "\n" << r.errori;
    }
    // A start that fails leaves the folder as it was.
    EXPECT_EQ(Nomi(cartella), c.ini ? std::vector<std::string>{c.ini} : std::vector<std::string>{});
  }
}
