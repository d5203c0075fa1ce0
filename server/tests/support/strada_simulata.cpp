#include "strada_simulata.h"

namespace qod::test {

namespace fs = std::filesystem;

Strada_Simulata::Strada_Simulata() { fs::create_directories(coda); }

void Strada_Simulata::Spool(const std::string& nome, const std::string& attributi, const std::string& definizioni,
                            const std::string& dati, const std::string& file_dati) const {
  const fs::path c = coda / nome;
  fs::create_directories(c);
  prova::File_Scrivi(c / "attributi.txt", attributi);
  prova::File_Scrivi(c / "definizioni.txt", definizioni);
  prova::File_Scrivi(c / file_dati, dati);
}

::testing::AssertionResult Strada_Simulata::Host_Avvia(const std::vector<std::string>& opzioni) {
  std::vector<std::string> a = {"--dictionary", prova::Host_Simulato::Dizionario_Predefinito(), "--ftp-port", "-1",
                                "--spool-queue", coda.string(), "--spool-done", fatti.string()};
  a.insert(a.end(), opzioni.begin(), opzioni.end());
  if (host) host->Ferma();
  host = std::make_unique<prova::Host_Simulato>(a);
  if (!host->Avvia()) return ::testing::AssertionFailure() << "the stand-in did not start: " << host->Uscita();
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Strada_Simulata::Avvia(const std::vector<std::string>& opzioni, int indice,
                                                  const std::string& utente, const std::string& password,
                                                  const std::function<void()>& prima_della_base) {
  if (auto r = Host_Avvia(opzioni); !r) return r;
  if (!host->Programma_Prepara(programma, indice, utente, password))
    return ::testing::AssertionFailure() << "program folder not prepared";
  if (prima_della_base) prima_della_base();
  if (!base.Base_Inizializza(programma.string(), ""))
    return ::testing::AssertionFailure() << "base not started";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Strada_Simulata::Riavvia_Host(const std::vector<std::string>& opzioni) {
  if (auto r = Host_Avvia(opzioni); !r) return r;
  base.Collegamento.Porta = host->Porta_Record();
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult Strada_Simulata::Collega(const Fasi_Spool& fasi, const Effetti_Collegamento& effetti) {
  conn = std::make_unique<Connessione_Host>(base, base, trasporto, effetti);
  if (!conn->Host_Collega())
    return ::testing::AssertionFailure() << "no connection: " << prova::File_Leggi(base.File_LOG) << host->Uscita();
  server = std::make_unique<Spool_Server>(base, trasporto, *conn, pannello, Pump{}, fasi);
  return ::testing::AssertionSuccess();
}

std::vector<std::string> Strada_Simulata::Record() const {
  std::vector<std::string> r;
  for (const auto& v : host->Log("REC")) r.push_back(v.testo);
  return r;
}

std::string Strada_Simulata::Esito_Host(const std::string& nome) const {
  return prova::File_Leggi(fatti / nome / "esito.txt");
}

}  // namespace qod::test
