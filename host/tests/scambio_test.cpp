// The one exchange with the host: the request, the header, the body taken
// by the rule, and the failure texts of its steps.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "qod/host/scambio.h"
#include "support/pari.h"

using namespace qod;
using namespace qod::prova;

namespace {

// A reply header in EBCDIC: the outcome digit and the length in five zoned digits.
std::string Testata(char esito, int lunghezza) {
  char cifre[8];
  std::snprintf(cifre, sizeof cifre, "%05d", lunghezza);
  std::string t(1, static_cast<char>(0xF0 + (esito - '0')));
  for (int i = 0; i < 5; ++i) t += static_cast<char>(0xF0 + (cifre[i] - '0'));
  return t;
}

const std::string kA(1, '\xC1'), kB(1, '\xC2');
const std::string kOk = Esa("D6D2");  // "OK"

std::string Ripeti(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

class Exchange : public ::testing::Test {
 protected:
  void SetUp() override {
    tabella_ = (dir_.Dir() / "Qod_TBL1.Tbl").string();
    Tabella_Scrivi(tabella_, Tabella_Prova());
    std::string descrizione;
    ASSERT_TRUE(t_.Sock_Init(descrizione, tabella_));
    std::string indirizzo;
    ASSERT_TRUE(t_.Sock_Connect(kSlot_Host, "127.0.0.1", pari_.Porta(), indirizzo));
    ASSERT_TRUE(pari_.Accetta());
  }

  // The next two bytes of the stream are "OK": the reply before them was
  // taken whole.
  bool In_Passo() {
    return t_.Sock_Read(kSlot_Host, 2) && t_.Sock_Field("A", 1, 2) == "OK";
  }

  Cartella_Prova dir_{"scambio"};
  std::string tabella_;
  Trasporto t_{Attese_Rete{2000, 100, 1000}};
  Pari pari_;
};

}  // namespace

TEST_F(Exchange, TheRequestGoesOutAsTheTransportWritesIt) {
  pari_.Invia(Testata('0', 0) + Testata('0', 0));
  Scambio_Host(t_, {}, {'T', "CA01", 22}, kSenza_Dati);
  EXPECT_EQ(pari_.Ricevi(28), Esa("E3 F0F0F0F2F2 C3C1F0F1") + std::string(18, '\x40'));
  const std::vector<uint8_t> grezzi{0x00, 0xFF, 0x41};
  Scambio_Host(t_, {}, {'W', "AB0", -1, grezzi}, kSolo_Esito);
  EXPECT_EQ(pari_.Ricevi(12), Esa("E6 F0F0F0F0F6 C1C2F0 00FF41"));
}

// Every length against every way of taking a record body: what the caller
// gets, and where the stream stands after it.
TEST_F(Exchange, ARecordBodyIsReadOrDroppedByTheRule) {
  enum class Dopo { In_Passo, Corpo_Intatto };
  struct Caso {
    const char* nome;
    Regola_Corpo regola;
    int lunghezza;
    Passo_Scambio guasto;
    bool scartato;
    int letti;
    Dopo dopo;
  } casi[] = {
      {"fits", {}, 1, Passo_Scambio::Nessuno, false, 1, Dopo::In_Passo},
      {"one block", {}, kBlocco_Massimo, Passo_Scambio::Nessuno, false, kBlocco_Massimo, Dopo::In_Passo},
      {"too long fails unread", {}, kBlocco_Massimo + 1, Passo_Scambio::Corpo, false, 0, Dopo::Corpo_Intatto},
      {"empty fails", {}, 0, Passo_Scambio::Corpo, false, 0, Dopo::In_Passo},
      {"empty allowed", {.Minimo = 0}, 0, Passo_Scambio::Nessuno, false, 0, Dopo::In_Passo},
      {"too long dropped", {.Fuori = Fuori_Misura::Scartato}, kBlocco_Massimo + 1, Passo_Scambio::Nessuno, true, 0,
       Dopo::In_Passo},
      {"far too long dropped", {.Fuori = Fuori_Misura::Scartato}, 20000, Passo_Scambio::Nessuno, true, 0,
       Dopo::In_Passo},
      {"empty dropped", {.Fuori = Fuori_Misura::Scartato}, 0, Passo_Scambio::Nessuno, true, 0, Dopo::In_Passo},
      {"short fails unread", {.Minimo = 10, .Fuori = Fuori_Misura::Troncato}, 9, Passo_Scambio::Corpo, false, 0,
       Dopo::Corpo_Intatto},
      {"shortest", {.Minimo = 10, .Fuori = Fuori_Misura::Troncato}, 10, Passo_Scambio::Nessuno, false, 10,
       Dopo::In_Passo},
      {"first block kept", {.Minimo = 10, .Fuori = Fuori_Misura::Troncato}, 20000, Passo_Scambio::Nessuno, false,
       kBlocco_Massimo, Dopo::In_Passo},
      {"no data expected", kSenza_Dati, 20000, Passo_Scambio::Nessuno, false, 0, Dopo::In_Passo},
  };
  for (const auto& c : casi) {
    // The body: "B" then "A"s, so that a kept first block shows its start.
    const std::string corpo = c.lunghezza > 0 ? kB + Ripeti(kA, c.lunghezza - 1) : "";
    pari_.Invia(Testata('0', c.lunghezza) + corpo + kOk);
    const Risposta_Host r = Scambio_Host(t_, {"Prova", 'Z'}, {'Z', ""}, c.regola);
    pari_.Ricevi(6);
    EXPECT_TRUE(r.Accettata()) << c.nome;
    EXPECT_EQ(r.Lunghezza(), c.lunghezza) << c.nome;
    EXPECT_EQ(r.Guasto(), c.guasto) << c.nome;
    EXPECT_EQ(r.Scartato(), c.scartato) << c.nome;
    EXPECT_EQ(r.Passo(), c.guasto != Passo_Scambio::Nessuno || c.scartato ? Passo_Scambio::Corpo : Passo_Scambio::Nessuno)
        << c.nome;
    ASSERT_EQ(r.Dati().size(), static_cast<size_t>(c.letti)) << c.nome;
    if (c.letti > 0) {
      EXPECT_EQ(r.Testo(1, 2), c.letti > 1 ? "BA" : "B ") << c.nome;
      EXPECT_EQ(r.Dati()[0], 0xC2) << c.nome;
      EXPECT_EQ(r.Record()[static_cast<size_t>(c.letti)], 0x40) << c.nome;  // blanks after the body
    }
    if (c.dopo == Dopo::Corpo_Intatto) {
      // Nothing of the body was taken: the connection goes, the stream is as it came.
      ASSERT_TRUE(t_.Sock_Read(kSlot_Host, 1)) << c.nome;
      EXPECT_EQ(t_.Sock_Field("A", 1, 1), "B") << c.nome;
      ASSERT_TRUE(t_.Corpo_Scarta(kSlot_Host, c.lunghezza - 1)) << c.nome;
    }
    EXPECT_TRUE(In_Passo()) << c.nome;
  }
}

TEST_F(Exchange, ABodyCutShortIsAFailedTransferNotADroppedOne) {
  for (const auto regola : {Regola_Corpo{.Fuori = Fuori_Misura::Scartato}, Regola_Corpo{.Fuori = Fuori_Misura::Troncato}}) {
    SCOPED_TRACE(static_cast<int>(regola.Fuori));
    Pari pari;
    std::string indirizzo;
    ASSERT_TRUE(t_.Sock_Connect(kSlot_Host, "127.0.0.1", pari.Porta(), indirizzo));
    ASSERT_TRUE(pari.Accetta());
    pari.Invia(Testata('0', 9001) + Ripeti(kA, 9000));
    pari.Chiudi();  // no request follows: it would reset the connection
    const Risposta_Host r = Risposta_Leggi(t_, {}, regola);
    EXPECT_EQ(r.Guasto(), Passo_Scambio::Corpo);
    EXPECT_FALSE(r.Scartato());
  }
}

TEST_F(Exchange, ARefusalsBodyIsDroppedUnlessTheRefusalEndsTheConnection) {
  struct Caso {
    const char* nome;
    Regola_Corpo regola;
    char esito;
    bool rifiutata, fine, lasciato;
  } casi[] = {
      {"refusal dropped", {}, '1', true, false, false},
      {"refusal without data dropped", kSenza_Dati, '2', true, false, false},
      {"refusal ends the connection", {.Rifiuto_Chiude = true}, '1', true, false, true},
      {"the end of a list dropped", {.Rifiuto_Chiude = true, .Fine = '1'}, '1', false, true, false},
      {"another outcome still refuses", {.Rifiuto_Chiude = true, .Fine = '1'}, '2', true, false, true},
  };
  for (const auto& c : casi) {
    pari_.Invia(Testata(c.esito, 3) + Ripeti(kA, 3) + kOk);
    const Risposta_Host r = Scambio_Host(t_, {}, {'Z', ""}, c.regola);
    EXPECT_FALSE(r.Accettata()) << c.nome;
    EXPECT_EQ(r.Esito(), std::string(1, c.esito)) << c.nome;
    EXPECT_EQ(r.Rifiutata(), c.rifiutata) << c.nome;
    EXPECT_EQ(r.Fine(), c.fine) << c.nome;
    EXPECT_EQ(r.Guasto(), Passo_Scambio::Nessuno) << c.nome;
    EXPECT_EQ(r.Passo(), c.rifiutata ? Passo_Scambio::Esito : Passo_Scambio::Nessuno) << c.nome;
    EXPECT_TRUE(r.Dati().empty()) << c.nome;
    if (c.lasciato) {
      ASSERT_TRUE(t_.Sock_Read(kSlot_Host, 3)) << c.nome;
    }
    EXPECT_TRUE(In_Passo()) << c.nome;
  }
}

TEST_F(Exchange, AFailedDropIsTheBodysStepOrTheOnlyStepOfAReplyWithoutData) {
  struct Caso {
    const char* nome;
    Regola_Corpo regola;
    char esito;
    Passo_Scambio guasto, passo;
  } casi[] = {
      {"refusal", {}, '1', Passo_Scambio::Corpo, Passo_Scambio::Esito},
      {"end of a list", {.Fine = '1'}, '1', Passo_Scambio::Corpo, Passo_Scambio::Corpo},
      {"no data", kSenza_Dati, '0', Passo_Scambio::Intestazione, Passo_Scambio::Intestazione},
      {"no data, refused", kSenza_Dati, '1', Passo_Scambio::Intestazione, Passo_Scambio::Esito},
  };
  for (const auto& c : casi) {
    Pari pari;
    std::string indirizzo;
    ASSERT_TRUE(t_.Sock_Connect(kSlot_Host, "127.0.0.1", pari.Porta(), indirizzo));
    ASSERT_TRUE(pari.Accetta());
    pari.Invia(Testata(c.esito, 5) + Ripeti(kA, 2));
    pari.Chiudi();
    const Risposta_Host r = Risposta_Leggi(t_, {}, c.regola);
    EXPECT_TRUE(r.Letta()) << c.nome;
    EXPECT_EQ(r.Guasto(), c.guasto) << c.nome;
    EXPECT_EQ(r.Passo(), c.passo) << c.nome;
  }
}

TEST_F(Exchange, NoRequestOrNoHeaderIsTheFirstStep) {
  pari_.Chiudi();
  const Risposta_Host r = Scambio_Host(t_, {}, {'Z', ""});
  EXPECT_FALSE(r.Letta());
  EXPECT_FALSE(r.Accettata());
  EXPECT_FALSE(r.Rifiutata());
  EXPECT_EQ(r.Guasto(), Passo_Scambio::Intestazione);
  EXPECT_EQ(r.Passo(), Passo_Scambio::Intestazione);
  t_.Sock_Close(kSlot_Host);
  EXPECT_EQ(Scambio_Host(t_, {}, {'Z', ""}).Guasto(), Passo_Scambio::Intestazione);
  EXPECT_EQ(Risposta_Leggi(t_, {}, kSolo_Esito).Passo(), Passo_Scambio::Intestazione);
}

TEST(ExchangeTexts, EveryStepIsNamedByProcedureLetterAndNumber) {
  struct Caso {
    Nome_Scambio nome;
    Passo_Scambio passo;
    const char* testo;
  } casi[] = {
      {{"Spool_Formato", 'F'}, Passo_Scambio::Intestazione, "[Spool_Formato] Errore Sock_Read {F}(1)"},
      {{"Spool_Formato", 'F'}, Passo_Scambio::Corpo, "[Spool_Formato] Errore Sock_Read {F}(2)"},
      {{"Spool_Formato", 'F'}, Passo_Scambio::Esito, "[Spool_Formato] Errore Esito {F}"},
      {{"Spool_Presenta", 'R', Numeri_Passo::Passo, 5}, Passo_Scambio::Intestazione,
       "[Spool_Presenta] Errore Sock_Read {R}(5)"},
      {{"Spool_Presenta", 'R', Numeri_Passo::Passo, 5}, Passo_Scambio::Corpo, "[Spool_Presenta] Errore Sock_Read {R}(6)"},
      {{"Spool_Get", 'P', Numeri_Passo::Letture}, Passo_Scambio::Intestazione, "[Spool_Get] Errore Sock_Read_1 {P}(1)"},
      {{"Spool_Get", 'P', Numeri_Passo::Letture}, Passo_Scambio::Corpo, "[Spool_Get] Errore Sock_Read_2 {P}(2)"},
      {{"Spool_Get", 'D', Numeri_Passo::Letture}, Passo_Scambio::Esito, "[Spool_Get] Errore Esito {D}"},
      {{"Spool_Archivia", 'W', Numeri_Passo::Parte, 3}, Passo_Scambio::Intestazione,
       "[Spool_Archivia] Errore Sock_Read {W}(3)"},
      {{"Spool_Archivia", 'W', Numeri_Passo::Parte, 3}, Passo_Scambio::Corpo, "[Spool_Archivia] Errore Sock_Read {W}(3)"},
      {{"Spool_Archivia", 'W', Numeri_Passo::Parte, 3}, Passo_Scambio::Esito, "[Spool_Archivia] Errore Esito {W}(3)"},
      {{"Spool_Ricerca", 'O', Numeri_Passo::Nessuno}, Passo_Scambio::Intestazione, "[Spool_Ricerca] Errore Sock_Read {O}"},
      {{"Spool_Ricerca", 'O', Numeri_Passo::Nessuno}, Passo_Scambio::Esito, "[Spool_Ricerca] Errore esito {O}"},
      {{"", 'G'}, Passo_Scambio::Corpo, "Errore Sock_Read {G}(2)"},
  };
  for (const auto& c : casi) EXPECT_EQ(Testo_Passo(c.nome, c.passo), c.testo);
}
