#include "strada_test.h"

#include "qod/basic.h"
#include "qod/cripto.h"
#include "qod/profile.h"

namespace qod::test {

void Strada::Avvia(bool log, bool backup) {
  Parametri_Collegamento p;
  p.Host = "127.0.0.1";
  p.Porta = pari_.Porta();
  p.Utente = "QSYS";
  p.Password = "PW";
  p.Indice_Server = 3;
  const std::string ini = dir_.Testo() + "Qod_S.INI";
  ASSERT_TRUE(Collegamento_Scrivi(ini, p.Componi()));
  Profilo_Scrivi(ini, "Generale", "Log", log ? "S" : "N");
  Profilo_Scrivi(ini, "Generale", "Backup", backup ? "S" : "N");
  ASSERT_TRUE(base_.Base_Inizializza(dir_.Testo(), ""));
  ASSERT_TRUE(Tabella_Ebcdic::IBM280().Scrivi(base_.File_TBL));
  std::string descrizione, indirizzo;
  ASSERT_TRUE(trasporto_.Sock_Init(descrizione, base_.File_TBL));
  ASSERT_TRUE(trasporto_.Sock_Connect(kSlot_Host, "127.0.0.1", pari_.Porta(), indirizzo));
  ASSERT_TRUE(pari_.Accetta());
  Effetti_Collegamento effetti;
  effetti.Stato_Imposta = [this](int s) { stati_.push_back(s); };
  host_ = std::make_unique<Connessione_Host>(base_, base_, trasporto_, effetti);
  host_->Dizionario = Dizionario_Prova();
  host_->Modello_Archivio = Modello_Prova();
  if (!fasi_.Immagini) fasi_.Immagini = &generatore_;
  if (!fasi_.Ping) fasi_.Ping = &ping_;
  server_ = std::make_unique<Spool_Server>(base_, trasporto_, *host_, pannello_, Pump{}, fasi_);
  log_avvio_ = Log().size();
}

void Strada::TearDown() { server_.reset(); }

std::vector<std::string> Strada::Ricevute() { return Richieste(pari_.Ricevi(1 << 22, 30)); }

std::string Strada::Log_Spool() const { return Log().substr(log_avvio_); }

}  // namespace qod::test
