// The help text of the tag language, line for line where it matters.
#include <gtest/gtest.h>

#include "qod/basic.h"
#include "qod/testers/aiuto.h"

namespace qod::testers {
namespace {

std::vector<std::string> Righe(const std::string& t) {
  std::vector<std::string> r;
  size_t inizio = 0;
  for (size_t k; (k = t.find("\r\n", inizio)) != std::string::npos; inizio = k + 2) r.push_back(t.substr(inizio, k - inizio));
  EXPECT_EQ(inizio, t.size()) << "text after the last line end";
  return r;
}

TEST(TestoHelp, LinesAndLineEnds) {
  const std::string& t = Testo_Help();
  size_t crlf = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\n') {
      EXPECT_TRUE(i > 0 && t[i - 1] == '\r') << "bare LF at " << i;
      ++crlf;
    }
    if (t[i] == '\r') {
      EXPECT_TRUE(i + 1 < t.size() && t[i + 1] == '\n') << "bare CR at " << i;
    }
  }
  EXPECT_EQ(crlf, 126u);
  const auto r = Righe(t);
  ASSERT_EQ(r.size(), 126u);
  EXPECT_EQ(r.front(), "");
  EXPECT_NE(r.back(), "");
  EXPECT_EQ(std::count(r.begin(), r.end(), std::string()), 1 + 1 + 1 + 36);
}

TEST(TestoHelp, ExactLines) {
  const auto r = Righe(Testo_Help());
  const std::string rientro(19, ' ');
  EXPECT_EQ(r[1], "{TP=...}           tipo estensione");
  EXPECT_EQ(r[2], rientro + "000 = ISBN");
  EXPECT_EQ(r[28], rientro + "099 = NESSUN CODICE");
  EXPECT_EQ(r[29], "");
  EXPECT_EQ(r[30], rientro + "800 = testo ASCII DEFAULT");
  EXPECT_EQ(r[48], rientro + "818 = OEM");
  EXPECT_EQ(r[50], rientro + "900 = immagine");
  EXPECT_EQ(r[52], "{rc=...}           riga corrente (calcolata automaticamente");
  EXPECT_EQ(r[53], rientro + "alla presenza di {VA=..    ..})");
  const std::vector<std::string> attese = {
      "{IW=....}          larghezza immagine in outout / 0=larghezza immagine",
      "{iY=....}          posizione immagina input Y",
      // The colours as the generator applies them: CF the background, CT the text.
      "{CF=...,...,...}   colore del fondo R,G,B",
      "{CT=...,...,...}   colore del testo R,G,B",
      "{CP=.}             0=su tutte le copie, 1-4 sulla copia 1-4, 5 sulla copia 5 e sulle successive",
      "{VA=<CLR>}         carica immagine vuota",
      rientro + "(utilizzando {CF=}{IH=}{IH=} )",
      rientro + "(esecuzione dell'estensione)",
  };
  for (const auto& a : attese) EXPECT_NE(std::find(r.begin(), r.end(), a), r.end()) << a;
  EXPECT_EQ(r.back(), "{TN=...,...,...}   testo da non visualizzare riga,colonna,lunghezza");
  // Every entry line puts its description at column 20.
  for (const auto& riga : r)
    if (!riga.empty() && riga[0] == '{') {
      EXPECT_NE(riga[19], ' ') << riga;
    }
}

}  // namespace
}  // namespace qod::testers
