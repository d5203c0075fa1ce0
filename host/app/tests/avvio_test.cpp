// The start every Qt program shares: Qt's own texts (the exit question's
// buttons, the save dialog) in Italian; "--help" and an unknown option for
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
};

const Programma kProgrammi[] = {
    {"Qod_S", QOD_PROGRAMMA_Qod_S, "uso: Qod_S [/AUTO] [/ICON] [/NOSUBCLASS]\n"},
    {"Qod_C", QOD_PROGRAMMA_Qod_C, "uso: Qod_C [/NOSUBCLASS]\n"},
    {"Qod_S_INI", QOD_PROGRAMMA_Qod_S_INI, "uso: Qod_S_INI [/INIT]\n"},
    {"Qod_C_INI", QOD_PROGRAMMA_Qod_C_INI, "uso: Qod_C_INI [/INIT]\n"},
    {"ZuFNT", QOD_PROGRAMMA_ZuFNT, "uso: ZuFNT\n"},
    {"ZuTBL", QOD_PROGRAMMA_ZuTBL, "uso: ZuTBL\n"},
    {"Qod_IMG_TST", QOD_PROGRAMMA_Qod_IMG_TST, "uso: Qod_IMG_TST\n"},
    {"Qod_PDF_TST", QOD_PROGRAMMA_Qod_PDF_TST, "uso: Qod_PDF_TST\n"},
    {"zufnt_genera", QOD_PROGRAMMA_zufnt_genera, "usage: zufnt_genera OUT.BMP"},
    {"zutbl_standard", QOD_PROGRAMMA_zutbl_standard, "usage: zutbl_standard [FOLDER]\n"},
    {"qod_s_imposta", QOD_PROGRAMMA_qod_s_imposta, "uso: qod_s_imposta FILE.INI"},
    {"qod_c_schermata", QOD_PROGRAMMA_qod_c_schermata, "uso: qod_c_schermata FILE.png"},
    {"qod_hostsim", QOD_PROGRAMMA_qod_hostsim, "qod_hostsim: stand-in"},
};

struct Uscita_Processo {
  int codice = -1;  // -1: still running at the limit (then ended)
  std::string uscita, errori;
  std::chrono::milliseconds durata{};
};

// Runs `argomenti` in `cartella` without a display (nor a platform named),
// plus `ambiente`, for at most `limite_ms`.
Uscita_Processo Esegui_In(const fs::path& cartella, const std::vector<std::string>& argomenti,
                          std::vector<std::pair<std::string, std::string>> ambiente = {}, int limite_ms = 15000) {
  const fs::path fuori = cartella.parent_path() / (cartella.filename().string() + ".out");
  const fs::path errori = cartella.parent_path() / (cartella.filename().string() + ".err");
  fs::remove(fuori);
  fs::remove(errori);
  std::vector<std::pair<std::string, std::string>> env = {
      {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
  env.insert(env.end(), ambiente.begin(), ambiente.end());
  const auto inizio = std::chrono::steady_clock::now();
  Processo p;
  Uscita_Processo r;
  if (!p.Avvia({.argomenti = argomenti, .cartella = cartella, .uscita = fuori, .errori = errori, .ambiente = env})) {
    r.errori = p.Errore();
    return r;
  }
  r.codice = p.Attendi(limite_ms).value_or(-1);
  r.durata = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - inizio);
  p.Ferma(0);
  r.uscita = File_Leggi(fuori);
  r.errori = File_Leggi(errori);
  return r;
}

bool Contiene(const std::string& testo, const std::string& parte) { return testo.find(parte) != std::string::npos; }

}  // namespace

// "--help": the usage on standard output and 0; an unknown option: the word
// and the usage on standard error and 2. Neither makes a file or a folder.
TEST(Uso_Programmi, HelpAndUnknownOptionsMakeNothing) {
  Cartella_Prova dir("avvio_uso");
  for (const auto& p : kProgrammi) {
    const struct {
      std::vector<std::string> argomenti;
      int codice;
    } prove[] = {{{"--help"}, 0}, {{"--bogus"}, 2}};
    for (const auto& c : prove) {
      SCOPED_TRACE(std::string(p.nome) + " " + c.argomenti[0]);
      const fs::path vuota = dir.Dir() / (std::string(p.nome) + c.argomenti[0]);
      fs::create_directories(vuota);
      std::vector<std::string> a = {Programma_Build(p.percorso)};
      a.insert(a.end(), c.argomenti.begin(), c.argomenti.end());
      const Uscita_Processo r = Esegui_In(vuota, a);
      EXPECT_EQ(r.codice, c.codice) << r.uscita << r.errori;
      if (c.codice == 0) {
        EXPECT_TRUE(Contiene(r.uscita, p.uso)) << r.uscita;
        EXPECT_EQ(r.errori, "");
      } else {
        EXPECT_EQ(r.uscita, "");
        EXPECT_TRUE(Contiene(r.errori, "--bogus")) << r.errori;
        EXPECT_TRUE(Contiene(r.errori, p.uso)) << r.errori;
      }
      EXPECT_EQ(Nomi(vuota), std::vector<std::string>{});
    }
  }
}

// The switches of the server and the editors keep their case rules; Qt's
// own options are not unknown ones.
TEST(Uso_Programmi, TheSwitchesCaseRules) {
  Cartella_Prova dir("avvio_parole");
  const struct {
    const char* percorso;
    std::vector<std::string> argomenti;
    int codice;
  } casi[] = {
      {QOD_PROGRAMMA_Qod_S, {"/auto"}, 2},
      {QOD_PROGRAMMA_Qod_S, {"/AUTO/ICON", "-platform", "offscreen", "--help"}, 0},
      {QOD_PROGRAMMA_Qod_C, {"/ICON"}, 2},
      {QOD_PROGRAMMA_Qod_S_INI, {"/init", "--help"}, 0},
      {QOD_PROGRAMMA_Qod_C_INI, {"/INITX"}, 2},
      {QOD_PROGRAMMA_Qod_IMG_TST, {"/AUTO"}, 2},
  };
  int n = 0;
  for (const auto& c : casi) {
    SCOPED_TRACE(std::string(c.percorso) + " " + c.argomenti[0]);
    const fs::path vuota = dir.Dir() / std::to_string(++n);
    fs::create_directories(vuota);
    std::vector<std::string> a = {Programma_Build(c.percorso)};
    a.insert(a.end(), c.argomenti.begin(), c.argomenti.end());
    const Uscita_Processo r = Esegui_In(vuota, a);
    EXPECT_EQ(r.codice, c.codice) << r.uscita << r.errori;
    EXPECT_EQ(Nomi(vuota), std::vector<std::string>{});
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
  }
}
