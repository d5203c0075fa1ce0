// The spool file cycle against a scripted host on loopback: records sent,
// replies read, failures, definitions, rendering driver, totals, log table
// and backup copy.
#include <gtest/gtest.h>

#include <climits>

#include "qod/basic.h"
#include "qod/profile.h"
#include "qod/server/registro.h"
#include "strada_test.h"

using namespace qod;
using namespace qod::test;

namespace {

const std::string kFinestra = "2026030720300020260308073000";

std::string P_Ok() { return Risposta('0', Tabella_Ebcdic::IBM280().Codifica(kFinestra)); }
std::string Fine_Lista() { return Risposta('1'); }
std::string Ok() { return Risposta('0'); }

std::string S_Atteso() { return "S0000500003"; }
std::string F_Atteso(char flag, const char* lettera = "F") {
  return std::string(lettera) + "00021" + Testo_Largo("FATTURE", 20) + flag;
}

}  // namespace

TEST_F(Strada, KeepAliveAtMostEvery172SecondsAndAQuietRefusal) {
  Avvia();
  Host(P_Ok() + Risposta('1'));
  EXPECT_FALSE(Server().Spool_Get());
  EXPECT_EQ(Ricevute(), (std::vector<std::string>{"P00000", S_Atteso()}));
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stop), " 07/03/26  20:30");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Restart), " 08/03/26  07:30");
  EXPECT_EQ(Server().End(), "20260307203000");
  EXPECT_EQ(Server().Restart(), "20260308073000");

  // 100 s later: no keep-alive. A refusal that carries a body keeps the
  // stream in step.
  orologio_.Avanza(100000);
  Host(Risposta('2', std::string(7, '\x40')));
  EXPECT_FALSE(Server().Spool_Get());
  EXPECT_EQ(Ricevute(), (std::vector<std::string>{S_Atteso()}));

  // 180 s after the first: due again.
  orologio_.Avanza(80000);
  Host(P_Ok() + Risposta('1'));
  EXPECT_FALSE(Server().Spool_Get());
  EXPECT_EQ(Ricevute(), (std::vector<std::string>{"P00000", S_Atteso()}));
  EXPECT_EQ(Log_Spool(), "");
  EXPECT_TRUE(stati_.empty());
  EXPECT_FALSE(Server().Spool_In_Corso());
}

TEST_F(Strada, SilentPrinterClosesTheSpoolFileWithTheErrorOutcome) {
  Avvia();
  ping_.risultato = {"*** errore : Requested IP timed out", 1000, true};
  Attributi_Test r;
  r.A(417, "10.0.0.9", 15).A(244, "S", 1).B(143, 1234).A(639, "X", 1).B(139, 500);
  Host(P_Ok() + Risposta('0', r.Dati()) + Ok());
  EXPECT_TRUE(Server().Spool_Get());
  const auto ricevute = Ricevute();
  ASSERT_EQ(ricevute.size(), 3u);  // no definitions, no data
  EXPECT_EQ(ricevute[2], "D0002500003000001234*ERR      X");
  EXPECT_EQ(ricevute[2].size(), 31u);
  EXPECT_EQ(ping_.indirizzi, std::vector<std::string>{"10.0.0.9       "});
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stato), "La stampante non risponde");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Salvataggio), "*ERR      ");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stampa), " - ");
  // The log table is written for a failed spool file even with Log "N".
  const std::string log = Log_Spool();
  EXPECT_NE(log.find("07/03/2026 09:00:00 - NRR        File Spool Lavoro"), std::string::npos) << log;
  EXPECT_NE(log.find("07/03/2026 09:00:00 - 1234       QPRINT     JOB1/UTENTE/123456"), std::string::npos) << log;
  EXPECT_NE(log.find("*ERR       "), std::string::npos);
  // No totals for a failed spool file.
  EXPECT_EQ(Server().Stampe_Totali(), 0);
}

TEST_F(Strada, AddressThatCannotBeLookedUpIsAFailureOfTheLookUp) {
  Avvia();
  ping_.risultato = std::nullopt;
  Attributi_Test r;
  r.A(417, "1.2.3.4.5", 15).A(244, "S", 1).B(143, 1234).A(639, "X", 1).B(139, 500);
  Host(P_Ok() + Risposta('0', r.Dati()) + Ok());
  EXPECT_TRUE(Server().Spool_Get());
  const auto ricevute = Ricevute();
  ASSERT_EQ(ricevute.size(), 3u);
  EXPECT_EQ(ricevute[2], "D0002500003000001234*ERR      X");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stato), "errore generico di stampa");
}

TEST_F(Strada, BrokenDefinitionReplyDropsTheConnectionAndSendsNoDoneRecord) {
  Avvia();
  trasporto_.Imposta_Attese(Attese_Rete{150, 50, 1000});
  Host(P_Ok() + Risposta('0', Attributi_Test().Dati()) + Risposta_Lunga('0', 39, std::string(10, '\xD2')));
  EXPECT_FALSE(Server().Spool_Get());
  EXPECT_EQ(Ricevute(), (std::vector<std::string>{"P00000", S_Atteso(), F_Atteso('S')}));
  EXPECT_EQ(Log_Spool(), " \r\n07/03/2026 09:00:00 - [Spool_Formato] Errore Sock_Read {F}(2)\r\n");
  EXPECT_EQ(stati_, std::vector<int>{4});
  EXPECT_TRUE(base_.Riconnessione);
  EXPECT_FALSE(Server().Spool_In_Corso());
}

TEST_F(Strada, ShortAttributeRecordIsLoggedAndNeverReadsStaleBytes) {
  Avvia();
  // No print data and no pages asked: nothing to make, a good done record.
  Attributi_Test pieno;
  pieno.A(999, "OLD", 100).B(143, 7).B(131, 0);
  Host(P_Ok() + Risposta('0', pieno.Dati()) + Fine_Lista() + Ok());
  ASSERT_TRUE(Server().Spool_Get());
  EXPECT_EQ(Server().Stato().Attributi.Cartella, "OLD");
  Ricevute();

  Attributi_Test corto;
  corto.B(143, 8).B(131, 0);
  Host(Risposta('0', corto.Dati().substr(0, 700)) + Fine_Lista() + Ok());
  ASSERT_TRUE(Server().Spool_Get());
  EXPECT_EQ(Server().Stato().Attributi.Cartella, "");
  EXPECT_EQ(Server().Stato().Attributi.Numero_Spool, 8);
  EXPECT_EQ(Server().Stato().Attributi.Esito_Finale, "X");
  EXPECT_NE(Log_Spool().find("[Spool_Get] Record corto {S}: 700 byte invece di 1118"), std::string::npos);
  auto ricevute = Ricevute();
  ASSERT_EQ(ricevute.size(), 3u);
  EXPECT_EQ(ricevute[2], "D0002500003000000008SAVE      X");
}

TEST_F(Strada, RefusedDoneRecordIsATransferFailure) {
  Avvia();
  Host(P_Ok() + Risposta('0', Attributi_Test().Dati()) + Fine_Lista() + Risposta('9'));
  EXPECT_FALSE(Server().Spool_Get());
  EXPECT_EQ(Log_Spool(), " \r\n07/03/2026 09:00:00 - [Spool_Get] Errore Esito {D}\r\n");
  EXPECT_EQ(stati_, std::vector<int>{4});
}

TEST_F(Strada, FormatDefinitionRows) {
  Avvia();
  Attributi_Spool fatture;
  fatture.Formato = Testo_Largo("FATTURE", 20);
  Server().Spool_Prepara(fatture);
  Host(Risposta('0', Riga_Formato('K', 1, 2, 1, 6, 'A')) + Risposta('0', Riga_Formato('K', 2, 0, 0, 4, 'C', "ABCD")) +
       Risposta('0', Riga_Formato('F', 1, 3, 10, 8, 'N')) + Risposta('0', Riga_Formato('F', 2, 3, 20, 20, 'A')) +
       Risposta('0', Riga_Formato('C', 0, 5, 1, 10, 'A', "  {TP=800}  ", 0)) +
       Risposta('0', Riga_Formato('C', 0, 5, 1, 10, 'C', "{FN=Arial}", 9)) +
       Risposta('0', Riga_Formato('Z', 1, 1, 1, 1, 'A')) + Risposta('1', std::string(3, '\x40')));
  ASSERT_TRUE(Server().Spool_Formato());
  const auto& f = Server().Stato().Formato;
  EXPECT_EQ(f.Numero_Chiavi, 2);
  EXPECT_EQ(std::vector<int>(f.E.begin(), f.E.begin() + 3), std::vector<int>({1, 7, 11}));
  EXPECT_EQ(f.Lunghezza_Chiave(), 10);
  EXPECT_EQ(f.Chiave[2].Costante, Testo_Largo("ABCD", 20));
  EXPECT_EQ(f.Numero_Indici, 2);
  // Index field n takes the width of dictionary entry n + 13.
  EXPECT_EQ(std::vector<int>(f.X.begin(), f.X.begin() + 3), std::vector<int>({113, 121, 141}));
  ASSERT_EQ(f.Costanti.size(), 2u);
  EXPECT_EQ(f.Costanti[0].Costante, "{TP=800}");
  EXPECT_EQ(f.Costanti[0].Riga_Fine, 5);
  EXPECT_EQ(f.Costanti[1].Riga_Fine, 9);
  auto ricevute = Ricevute();
  ASSERT_EQ(ricevute.size(), 8u);
  EXPECT_EQ(ricevute[0], F_Atteso('S'));
  EXPECT_EQ(ricevute[7], F_Atteso('N'));
  EXPECT_FALSE(Server().Stato().Errore_Spool);

  // An empty list.
  Host(Fine_Lista());
  ASSERT_TRUE(Server().Spool_Formato());
  EXPECT_EQ(Server().Stato().Formato.Numero_Chiavi, 0);
  EXPECT_EQ(Server().Stato().Formato.Numero_Indici, 0);
  EXPECT_TRUE(Server().Stato().Formato.Costanti.empty());
  EXPECT_EQ(Server().Stato().Formato.Chiave[1].Lunghezza, 0);  // slots cleared
}

TEST_F(Strada, FieldNumbersOutsideTheirSlotsFailTheSpoolFileWithTheHostInStep) {
  Avvia();
  Host(P_Ok() + Risposta('0', Attributi_Test().Dati()) + Risposta('0', Riga_Formato('K', 9, 1, 1, 4, 'A')) +
       Risposta('0', Riga_Formato('K', 1, 1, 1, 4, 'A')) + Risposta('0', Riga_Formato('F', 65, 1, 1, 4, 'A')) +
       Risposta('0', Riga_Formato('F', 0, 1, 1, 4, 'A')) + Fine_Lista() + Ok());
  EXPECT_TRUE(Server().Spool_Get());
  auto ricevute = Ricevute();
  ASSERT_EQ(ricevute.size(), 8u);  // P, S, five F, D
  EXPECT_EQ(ricevute[7].substr(20, 10), "*ERR      ");
  EXPECT_EQ(Server().Stato().Formato.Numero_Chiavi, 1);
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stato), "Definizione del formato errata");
  const std::string log = Log_Spool();
  EXPECT_NE(log.find("[Spool_Formato] Campo K 9 fuori limite"), std::string::npos);
  EXPECT_NE(log.find("[Spool_Formato] Campo F 65 fuori limite"), std::string::npos);
  EXPECT_NE(log.find("[Spool_Formato] Campo F 0 fuori limite"), std::string::npos);
}

TEST_F(Strada, MailAndXmlFieldGroups) {
  Avvia();
  Attributi_Spool fatture;
  fatture.Formato = Testo_Largo("FATTURE", 20);
  Server().Spool_Prepara(fatture);
  Host(Risposta('0', Riga_Posta('1', 1, 1, 30, 'A', 'R')) + Risposta('0', Riga_Posta('1', 1, 40, 10, 'A', 'R')) +
       Risposta('0', Riga_Posta('3', 2, 1, 50, 'C', 'R', "mail@example.com")) +
       Risposta('0', Riga_Posta('5', 2, 1, 5, 'A', 'R')) + Fine_Lista());
  ASSERT_TRUE(Server().Spool_Formato_Posta());
  const auto& g = Server().Stato().Gruppi;
  EXPECT_EQ(g[1].Numero(), 2);
  EXPECT_EQ(g[1].Inizi, (std::vector<int32_t>{1, 31, 41}));
  EXPECT_EQ(g[1].Lunghezza(), 40);
  EXPECT_EQ(g[2].Numero(), 0);
  EXPECT_EQ(g[3].Lunghezza(), 50);
  EXPECT_EQ(g[3].Campi[0].Costante, Testo_Largo("mail@example.com", 60));
  EXPECT_EQ(g[5].Numero(), 0);
  EXPECT_EQ(Ricevute()[0], F_Atteso('S', "E"));

  Host(Risposta('0', Riga_XML('5', "IGNOTO", 2, 1, 5, 'A', 'R')) +
       Risposta('0', Riga_XML('6', "Cliente", 3, 120, 1000, 'A', 'Z')) +
       Risposta('0', Riga_XML('1', "Nome", 1, 1, 8, 'N', ' ')) + Fine_Lista());
  ASSERT_TRUE(Server().Spool_Formato_XML());
  EXPECT_EQ(g[1].Numero(), 1);  // the mail groups went
  EXPECT_EQ(g[1].Campi[0].Nome, "");
  EXPECT_EQ(g[5].Numero(), 1);
  EXPECT_EQ(g[6].Campi[0].Nome, "Cliente");
  EXPECT_EQ(g[6].Campi[0].Colonna, 120);
  EXPECT_EQ(g[6].Campi[0].Lunghezza, 1000);
  EXPECT_EQ(g[6].Campi[0].Compattazione, "Z");
  EXPECT_EQ(Ricevute()[0], F_Atteso('S', "M"));

  // A broken XML reply.
  trasporto_.Imposta_Attese(Attese_Rete{150, 50, 1000});
  Host(Risposta_Lunga('0', 84, std::string(20, '\x40')));
  EXPECT_FALSE(Server().Spool_Formato_XML());
  EXPECT_NE(Log_Spool().find(" \r\n07/03/2026 09:00:00 - [Spool_Formato_XML] Errore Sock_Read {M}(2)\r\n"),
            std::string::npos);
}

TEST_F(Strada, MailDefinitionsOnlyWhenAskedFor) {
  Avvia();
  struct Caso {
    const char *salva, *consegna;
    const char* attesa;  // the request after F, or "D"
  } casi[] = {{"*", "P", "E"}, {"*", "X", "M"}, {"N", "P", "D"}, {"N", "X", "D"}, {"S", " ", "D"}};
  Host(P_Ok());
  for (const auto& c : casi) {
    Attributi_Test r;
    r.A(638, c.salva, 1).A(640, c.consegna, 1);
    std::string risposte = Risposta('0', r.Dati()) + Fine_Lista();
    if (std::string(c.attesa) != "D") risposte += Fine_Lista();
    Host(risposte + Ok());
    orologio_.Avanza(1000);
    Server().Spool_Get();
    auto ricevute = Ricevute();
    if (!ricevute.empty() && ricevute[0] == "P00000") ricevute.erase(ricevute.begin());
    ASSERT_GE(ricevute.size(), 3u) << c.salva << c.consegna;
    EXPECT_EQ(ricevute[2].substr(0, 1), c.attesa) << c.salva << c.consegna;
  }
}

TEST_F(Strada, PrintDataIsLaidOutAndRenderedPerCopy) {
  Avvia();
  Scs s;
  s.Testo("Pagina uno").NL().Testo("{CP=2}").FF().Testo("Pagina due").FF();
  Attributi_Test r;
  r.B(139, static_cast<int32_t>(s.Lunghezza())).B(131, 2).B(127, 2).A(827, "7", 1).B(143, 55);
  r.S(819, 1728, 4).S(823, 2292, 4);
  const std::string dati(s.dati.begin(), s.dati.end());
  Host(P_Ok() + Risposta('0', r.Dati()) + Fine_Lista() + Risposta('0', dati) + Ok());
  pannello_.Visualizza_Imposta(true);
  std::vector<std::string> visti;
  fasi_.Visore_Carica = [&](const std::string& f) { visti.push_back(f); };
  // (the server was built before the viewer was set: build it again)
  server_ = std::make_unique<Spool_Server>(base_, trasporto_, *host_, pannello_, Pump{}, fasi_);
  EXPECT_TRUE(Server().Spool_Get());
  auto ricevute = Ricevute();
  ASSERT_EQ(ricevute.size(), 5u);
  EXPECT_EQ(ricevute[3], "G000100000000000");
  EXPECT_EQ(ricevute[4], "D0002500003000000055SAVE      X");
  // Two pages, two copies each: the copy selector makes every page copy-dependent.
  ASSERT_EQ(img_.chiamate.size(), 4u);
  const std::string tmps = base_.Percorso_Tmp;
  EXPECT_EQ(img_.chiamate[0].Out_File, tmps + "00003_I_00001_00001.PNG");
  EXPECT_EQ(img_.chiamate[1].Out_File, tmps + "00003_I_00002_00001.PNG");
  EXPECT_EQ(img_.chiamate[3].Out_File, tmps + "00003_I_00002_00002.PNG");
  EXPECT_EQ(img_.chiamate[2].Txt_File, tmps + "00003_S_00002.TXT");
  EXPECT_EQ(img_.chiamate[2].Cmd_File, tmps + "00003_C_00002.TXT");
  EXPECT_EQ(img_.chiamate[1].Cmd_CPY, 2);
  EXPECT_TRUE(img_.chiamate[1].inizializza);
  EXPECT_FALSE(img_.chiamate[2].inizializza);
  EXPECT_EQ(File_Leggi(tmps + "00003_S_00001.TXT"), "Pagina uno\r\n\r\n");
  EXPECT_EQ(File_Leggi(tmps + "00003_C_00001.TXT"), "{CP=2}\r\n");
  EXPECT_EQ(visti, std::vector<std::string>{tmps + "00003_I_00001_00001.PNG"});
  EXPECT_EQ(Server().Immagine_Visualizza(), tmps + "00003_I_00001_00001.PNG");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Immagini), " 2 / 2");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Dati), " 29 / 29");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stato), "Ok");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Pagine), " 2 / 2");
  EXPECT_EQ(Profilo_Leggi(base_.File_INI, "Progressivi", "Pagine"), "2");

  // The next spool file starts by removing these page files.
  Host(Risposta('0', Attributi_Test().Dati()) + Fine_Lista() + Ok());
  Server().Spool_Get();
  for (const auto& f : Nomi(base_.Percorso_Tmp)) ADD_FAILURE() << "left: " << f;
}

TEST_F(Strada, RenderingDriverCopiesRangeAndFailures) {
  Avvia();
  auto corsa = [&](int32_t copie, std::initializer_list<std::pair<int, const char*>> sovrapposte, bool dipendente,
                   int32_t prima, int32_t ultima, int32_t aperte) {
    img_.chiamate.clear();
    Spool_Server& s = Server();
    Attributi_Spool a;
    a.Copie = copie;
    a.Tipo_Immagine = "5";
    a.Prima_Pagina = prima;
    a.Ultima_Pagina = ultima;
    for (auto [k, f] : sovrapposte) (k == 2 ? a.Im2_File_2 : k == 3 ? a.Im2_File_3 : a.Im2_File_5) = f;
    s.Spool_Prepara(a, aperte, dipendente);
    pannello_.Valore_Imposta(Pannello::Riga_Stato, "");
    s.Spool_Immagini();
  };
  const std::string lgo = base_.Percorso_Lgo;
  corsa(3, {}, false, 1, 1, 1);
  EXPECT_EQ(img_.chiamate.size(), 1u);
  EXPECT_EQ(Server().Stato().Copie_Immagini, 1);

  corsa(3, {{2, "OVL2.BMP"}}, false, 1, 1, 1);
  ASSERT_EQ(img_.chiamate.size(), 3u);
  EXPECT_EQ(img_.chiamate[0].Im2_File, "");
  EXPECT_EQ(img_.chiamate[1].Im2_File, lgo + "OVL2.BMP");
  EXPECT_EQ(img_.chiamate[2].Im2_File, "");  // no overlay for copy 3
  EXPECT_EQ(img_.chiamate[2].Cmd_CPY, 0);

  corsa(7, {{5, "OVL5.BMP"}}, false, 1, 1, 1);
  ASSERT_EQ(img_.chiamate.size(), 7u);
  EXPECT_EQ(img_.chiamate[4].Im2_File, lgo + "OVL5.BMP");
  EXPECT_EQ(img_.chiamate[6].Im2_File, lgo + "OVL5.BMP");

  corsa(0, {}, true, 1, 1, 1);  // no copies asked, a copy selector: one copy
  ASSERT_EQ(img_.chiamate.size(), 1u);
  EXPECT_EQ(img_.chiamate[0].Cmd_CPY, 1);

  corsa(1, {}, false, 3, 5, 8);  // pages 3 to 5 of 8
  ASSERT_EQ(img_.chiamate.size(), 3u);
  EXPECT_EQ(img_.chiamate[0].Txt_File, base_.Percorso_Tmp + "00003_S_00003.TXT");
  EXPECT_EQ(img_.chiamate[2].Out_File, base_.Percorso_Tmp + "00003_I_00001_00005.JPG");
  EXPECT_TRUE(img_.chiamate[0].inizializza);
  EXPECT_FALSE(img_.chiamate[1].inizializza);
  EXPECT_EQ(Server().Stato().Pagine.Pagine_Aperte, 3);

  corsa(1, {}, false, 2, 9, 4);  // the range is lowered to the pages opened
  EXPECT_EQ(img_.chiamate.size(), 3u);
  EXPECT_EQ(Server().Stato().Pagine.Pagine_Aperte, 3);

  // A failing page does not stop the run; the first message stays.
  img_.fallisce = "_00002.";
  img_.messaggio = "Errore nel salvataggio";
  corsa(1, {}, false, 1, 3, 3);
  EXPECT_EQ(img_.chiamate.size(), 3u);
  EXPECT_TRUE(Server().Stato().Errore_Spool);
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stato), "Errore nel salvataggio");
  img_.fallisce.clear();

  EXPECT_EQ(Estensione_Tipo("0"), ".TIF");
  EXPECT_EQ(Estensione_Tipo("A"), ".TIF");
  EXPECT_EQ(Estensione_Tipo("4"), ".BMP");
  EXPECT_EQ(Estensione_Tipo("6"), ".JPG");
  EXPECT_EQ(Estensione_Tipo("9"), ".PNG");
  EXPECT_EQ(Estensione_Tipo("B"), "");
}

// The range arithmetic holds at the ends of the number range.
TEST_F(Strada, ExtremePageRangesStayDefined) {
  Avvia();
  struct Caso {
    int32_t prima, ultima, aperte;
    size_t immagini;
  } casi[] = {
      {INT32_MAX, INT32_MIN, 3, 0},
      {INT32_MAX, INT32_MAX, INT32_MAX, 1},  // the last page there can be
  };
  for (const auto& c : casi) {
    img_.chiamate.clear();
    Attributi_Spool a;
    a.Prima_Pagina = c.prima;
    a.Ultima_Pagina = c.ultima;
    Server().Spool_Prepara(a, c.aperte);
    Server().Spool_Immagini();
    EXPECT_EQ(img_.chiamate.size(), c.immagini) << c.prima << " " << c.ultima;
    EXPECT_EQ(Server().Stato().Pagine.Pagine_Aperte, static_cast<int32_t>(c.immagini));
  }
}

// CR and LF in the user data never split the log table's row.
TEST_F(Strada, LineBreaksInTextFieldsStayOnTheirLogRow) {
  Avvia(true);
  Attributi_Test r;
  r.A(71, "AB\r\nCD", 10).B(131, 0);
  Host(P_Ok() + Risposta('0', r.Dati()) + Fine_Lista() + Ok());
  ASSERT_TRUE(Server().Spool_Get());
  const std::string log = Log_Spool();
  EXPECT_NE(log.find(" AB  CD "), std::string::npos) << log;
  EXPECT_EQ(log.find("\nCD"), std::string::npos) << log;
}

TEST_F(Strada, MissingOutputStageFailsTheSpoolFile) {
  Avvia();
  pannello_.Interruttore_Imposta(Pannello::Riga_Archivia, true);
  Attributi_Test r;
  r.A(245, "S", 1).B(131, 0);
  Host(P_Ok() + Risposta('0', r.Dati()) + Fine_Lista() + Ok());
  EXPECT_TRUE(Server().Spool_Get());
  EXPECT_EQ(Ricevute().back().substr(20, 10), "*ERR      ");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stato), "Archiviazione non disponibile");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stampa), " - ");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Salva), " - ");
}

// A stage that records what its context shows it and may fail.
class Fase_Registrata : public Fase_Uscita {
 public:
  Fase_Registrata(const Server_Base& base, Pannello& quadro) : base_(base), quadro_(quadro) {}
  bool Esegui(const Stato_Spool& stato, const Strada_Fase& strada) override {
    numero = stato.Attributi.Numero_Spool;
    const auto record = stato.Record_Attributi();
    grezzo.assign(record.begin(), record.end());
    cartella = base_.Percorso_Tmp;
    quadro_.Valore_Imposta(Pannello::Riga_Archivia, " fatto");
    if (!errore.empty()) strada.Errore(errore);
    return true;
  }
  int32_t numero = 0;
  std::string grezzo, cartella, errore;

 private:
  const Server_Base& base_;
  Pannello& quadro_;
};

TEST_F(Strada, OutputStageWorksThroughItsContext) {
  Avvia();
  pannello_.Interruttore_Imposta(Pannello::Riga_Archivia, true);
  Fase_Registrata archivia(base_, pannello_);
  fasi_.Archivia = &archivia;
  server_ = std::make_unique<Spool_Server>(base_, trasporto_, *host_, pannello_, Pump{}, fasi_);
  struct Caso {
    const char* grezzo;  // field 621
    std::string errore;
    bool visto;          // the stage sees the raw record
    std::string esito;   // in the done record
  } casi[] = {
      {"T", "", true, "SAVE      "},
      {"N", "", false, "SAVE      "},
      {"T", "Archiviazione fallita", true, "*ERR      "},
  };
  int32_t n = 0;
  for (const auto& c : casi) {
    SCOPED_TRACE(c.grezzo + c.errore);
    archivia.errore = c.errore;
    pannello_.Valore_Imposta(Pannello::Riga_Stato, "");
    Attributi_Test r;
    r.A(245, "S", 1).A(621, c.grezzo, 1).B(143, ++n);
    Host((n == 1 ? P_Ok() : "") + Risposta('0', r.Dati()) + Fine_Lista() + Ok());
    EXPECT_TRUE(Server().Spool_Get());
    EXPECT_EQ(archivia.numero, n);
    EXPECT_EQ(archivia.grezzo, c.visto ? r.Dati() : "");
    EXPECT_EQ(archivia.cartella, base_.Percorso_Tmp);
    EXPECT_EQ(pannello_.Valore(Pannello::Riga_Archivia), " fatto");
    EXPECT_EQ(Ricevute().back().substr(20, 10), c.esito);
    EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stato), c.errore.empty() ? "Ok" : c.errore);
  }
}

TEST_F(Strada, LogTableBackupAndTotalsOverTwoSpoolFiles) {
  Avvia(true, true);
  Server().Stampe_Avvio_Imposta(2000000001);  // both counters since start reset before the count
  Scs s;
  s.Testo("Riga").FF();
  const std::string dati(s.dati.begin(), s.dati.end());
  for (int n = 1; n <= 2; ++n) {
    Attributi_Test r;
    r.B(139, static_cast<int32_t>(dati.size())).B(131, 1).B(143, n).A(827, "7", 1);
    Host((n == 1 ? P_Ok() : "") + Risposta('0', r.Dati()) + Fine_Lista() + Risposta('0', dati) + Ok());
    ASSERT_TRUE(Server().Spool_Get()) << n;
  }
  const std::string log = Log_Spool();
  auto conta = [&](const std::string& t) {
    size_t n = 0;
    for (size_t p = log.find(t); p != std::string::npos; p = log.find(t, p + 1)) ++n;
    return n;
  };
  EXPECT_EQ(conta("NRR        File Spool "), 1u);
  EXPECT_EQ(conta(" - ========== ========== "), 1u);
  EXPECT_EQ(conta(" - 1          QPRINT     "), 1u);
  EXPECT_EQ(conta(" - 2          QPRINT     "), 1u);
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stampe), " 2 / 2");
  EXPECT_EQ(Profilo_Leggi(base_.File_INI, "Backup", "Indice"), "2");
  EXPECT_EQ(Nomi(base_.Percorso_Backup),
            (std::vector<std::string>{"000000001_00003_C_00001.TXT", "000000001_00003_S_00001.TXT",
                                      "000000002_00003_C_00001.TXT", "000000002_00003_S_00001.TXT"}));
}

TEST_F(Strada, BackupNumbersAdvanceAndWrap) {
  Avvia();
  File_Scrivi(base_.Percorso_Tmp + "00003_S_00001.TXT", "x");
  File_Scrivi(base_.Percorso_Tmp + "00004_S_00001.TXT", "another slot");
  struct Caso {
    const char* indice;
    const char* prefisso;
  } casi[] = {{"", "000000001_"}, {"abc", "000000001_"}, {"41", "000000042_"},
              {"999999999", "1000000000_"}, {"1000000000", "000000001_"}};
  for (const auto& c : casi) {
    std::filesystem::remove_all(base_.Percorso_Backup);
    std::filesystem::create_directories(base_.Percorso_Backup);
    Profilo_Scrivi(base_.File_INI, "Backup", "Indice", c.indice);
    Backup_Copia(base_);
    EXPECT_EQ(Nomi(base_.Percorso_Backup), std::vector<std::string>{std::string(c.prefisso) + "00003_S_00001.TXT"})
        << c.indice;
  }
  // Files left under the new number go first; another number that merely
  // begins with the same digits stays.
  Profilo_Scrivi(base_.File_INI, "Backup", "Indice", "99999999");
  File_Scrivi(base_.Percorso_Backup + "100000000_old.TXT", "old");
  File_Scrivi(base_.Percorso_Backup + "1000000000_keep.TXT", "keep");
  Backup_Copia(base_);
  EXPECT_FALSE(std::filesystem::exists(base_.Percorso_Backup + "100000000_old.TXT"));
  EXPECT_TRUE(std::filesystem::exists(base_.Percorso_Backup + "1000000000_keep.TXT"));
  EXPECT_TRUE(std::filesystem::exists(base_.Percorso_Backup + "100000000_00003_S_00001.TXT"));

  // No page files: nothing copied, the number still advances.
  std::filesystem::remove(base_.Percorso_Tmp + "00003_S_00001.TXT");
  Backup_Copia(base_);
  EXPECT_EQ(Profilo_Leggi(base_.File_INI, "Backup", "Indice"), "100000001");
}

TEST(Log_Tabella, ColumnsOfTheTable) {
  EXPECT_EQ(Log_Titolo().substr(0, 55), "NRR        File Spool Lavoro                           ");
  EXPECT_EQ(Log_Righello().substr(0, 55), std::string(10, '=') + " " + std::string(10, '=') + " " +
                                              std::string(32, '=') + " ");
  EXPECT_EQ(Log_Titolo().size(), 404u);
  EXPECT_EQ(Log_Righello().size(), 404u);
  Pannello p;
  p.Valore_Imposta(Pannello::Riga_Lavoro, " ABCDEFGHIJ");
  p.Valore_Imposta(Pannello::Riga_Utente, " KLMNOPQRST");
  p.Valore_Imposta(Pannello::Riga_Job, " 123456");
  p.Valore_Imposta(Pannello::Riga_Stato, "Ok");
  const std::string v = Log_Valori(p);
  EXPECT_EQ(v.size(), 404u);
  EXPECT_EQ(v.substr(22, 33), "ABCDEFGHIJ/KLMNOPQRST/123456     ");
  EXPECT_EQ(v.substr(343, 61), Testo_Largo("Ok", 61));
  p.Valore_Imposta(Pannello::Riga_Lavoro, " ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(Log_Valori(p).substr(22, 33), "ABCDEFGHIJKLMNOPQRST/KLMNOPQRST/1");  // cut at 33
}

TEST_F(Strada, TotalsFromTheSettingsFile) {
  Avvia();
  Profilo_Scrivi(base_.File_INI, "Progressivi", "Stampe", "1234567");
  Profilo_Scrivi(base_.File_INI, "Progressivi", "Pagine", "abc");
  Server().Progressivi_Carica();
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stampe), " 0 / 1.234.567");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Pagine), " 0 / 0");
}
