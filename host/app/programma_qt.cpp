#include "programma_qt.h"

#include <QCoreApplication>

#include <utility>

#include "avvio.h"
#include "frm_splash.h"
#include "qod/ui/qt.h"

namespace qod {

Programma_Qt::Programma_Qt(const Opzioni_Programma& o, QString nome, std::function<QIcon(int)> icona)
    : fine_(o.fine), nome_(std::move(nome)) {
  messaggi_ = &Messaggi_Scegli(o.messaggi, messaggi_propri_, messaggi_qt_);
  orologio_ = o.orologio ? o.orologio : &SystemClock::Istanza();
  tray_ = o.tray;
  if (!tray_) {
    tray_proprio_ = std::make_unique<Area_Notifica_Qt>(std::move(icona), [this](int m) { Tray_Mouse(m); });
    tray_ = tray_proprio_.get();
  }
}

Programma_Qt::~Programma_Qt() = default;

void Programma_Qt::Pompa_Qt() { QCoreApplication::processEvents(); }

void Programma_Qt::Avvia() {
  if (avviato_) return;
  avviato_ = true;
  splash_ = std::make_unique<FrmSplash>([this] { Base_Prepara(); }, [this] { Base_Avvio(); }, nome_);
  splash_->show();
}

void Programma_Qt::Base_Avvio() {
  if (finito_) return;
  if (!Base_Inizializza()) {
    Fine(1);
    return;
  }
  if (finito_) return;  // asked to end while the settings message was open
  Carica();
}

void Programma_Qt::Stato_Connessione(const std::string& host) {
  if (!splash_) return;
  splash_->Stato_Imposta(Testo_Qt("Connessione a " + host + " ..."));
  Pompa_Qt();
}

void Programma_Qt::Splash_Chiudi() { splash_.reset(); }

void Programma_Qt::Termina_Richiesta() {
  if (messaggi_qt_) messaggi_qt_->Interrompi();
  Termina();
}

void Programma_Qt::Fine(int codice) {
  if (finito_) return;
  finito_ = true;
  if (splash_) splash_->Scarica();
  Alla_Fine();
  if (fine_)
    fine_(codice);
  else
    QCoreApplication::exit(codice);
}

}  // namespace qod
