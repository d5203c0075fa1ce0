#include "programma.h"

#include <QApplication>
#include <QCoreApplication>

#include "frm_base.h"
#include "frm_vis.h"
#include "qod/basic.h"
#include "qod/imagegen/qod_img.h"
#include "qod/printing/cups.h"
#include "qod/server/ciclo.h"
#include "qod/server/spool.h"
#include "luci.h"
#include "qod/printing/stampanti_cups.h"
#include "qod/server/stampa.h"
#include "qod/ui/qt.h"

#ifndef QOD_VERSIONE
#define QOD_VERSIONE "0.0.0"
#endif

namespace qod {

Programma_Qod_S::Programma_Qod_S(Opzioni_Qod_S o)
    : Programma_Qt(o, QStringLiteral("Server"), Icona_Sem), opzioni_(std::move(o)) {
  PrinterList* stampanti = opzioni_.stampanti;
  if (!stampanti) {
    stampanti_proprie_ = std::make_unique<Stampanti_Cups>();
    stampanti = stampanti_proprie_.get();
  }
  base_ = std::make_unique<Server_Base>(Orologio(), Messaggi(), *stampanti);
  trasporto_ = std::make_unique<Trasporto>(opzioni_.attese_rete, Pump(Pompa_Qt));
  pannello_ = std::make_unique<Pannello>();

  Effetti_Collegamento effetti;
  effetti.Etichetta_Client = [this](const std::string& t) { pannello_->Client_Imposta(t); };
  effetti.Stato_Imposta = [this](int s) {
    if (finestra_) finestra_->Stato_Imposta(s);
  };
  effetti.Automatico = [this] { return finestra_ && finestra_->Automatico(); };
  // The one stop request of the program's work: every wait on the host
  // (connect, send, reply, the pauses between connection attempts) and the
  // spool file's road with its stages give way to it.
  const std::function<bool()> termina = [this] { return finestra_ && finestra_->Termina_Richiesto(); };
  // A spool file whose mail has gone reaches its done record all the same.
  trasporto_->Imposta_Interruzione([this, termina] { return termina() && !(spool_ && spool_->Irrevocabile()); });
  Attese_Collegamento attese = opzioni_.attese_collegamento;
  if (!attese.interrompi) attese.interrompi = termina;
  host_ = std::make_unique<Connessione_Host>(*base_, *base_, *trasporto_, effetti, attese);

  // The page image generator the window hosts, and the saving stages. The
  // output stages that come with their own work stay unset: the road then
  // reports them as not available on the spool file, never as done.
  qod_img_ = std::make_unique<Qod_IMG>();
  generatore_ = std::make_unique<Generatore_Qod_IMG<Qod_IMG>>(*qod_img_);
  Fasi_Spool fasi;
  fasi.Immagini = generatore_.get();
  fasi.Visore_Carica = [this](const std::string& immagine) { Visore_Carica(immagine); };
  // Printing on the queues of CUPS, after the printer's echo.
  dispositivo_stampa_ = std::make_unique<stampa::Dispositivo_Cups>();
  ping_ = std::make_unique<Ping_Rete>();
  const Servizi_Fase servizi{*base_, *pannello_, Pump(Pompa_Qt)};
  fase_stampa_ = std::make_unique<Fase_Stampa>(*dispositivo_stampa_, *ping_, servizi);
  fase_archivia_ = std::make_unique<Fase_Archivia>(servizi, *trasporto_);
  emissione_pdf_ = std::make_unique<Emissione_PDF>(servizi, *trasporto_);
  emissione_immagini_ = std::make_unique<Emissione_Immagini>(servizi);
  fasi.Stampa = fase_stampa_.get();
  fasi.Ping = ping_.get();
  fasi.Archivia = fase_archivia_.get();
  fasi.PDF = emissione_pdf_.get();
  fasi.Salva_Immagini = emissione_immagini_.get();
  spool_ = std::make_unique<Spool_Server>(*base_, *trasporto_, *host_, *pannello_, Pump(Pompa_Qt), fasi);
  spool_->Arresto_Imposta(termina);
  lavoro_ = std::make_unique<Lavoro_Host>(*host_, *spool_, Pump(Pompa_Qt));
  ciclo_ = std::make_unique<Timer_Qt>();
  semaforo_ = std::make_unique<Timer_Qt>();

  vista_ = std::make_unique<FrmBase>(*pannello_, [this] { Fine(0); });
  fase_stampa_->Finestra = [this] { return vista_ ? static_cast<int64_t>(vista_->winId()) : int64_t{0}; };
  Finestra_Base::Visore visore;
  visore.Carica = [this](const std::string& immagine) { Visore_Carica(immagine); };
  visore.Scarica = [this] { Visore_Scarica(); };
  finestra_ = std::make_unique<Finestra_Base>(*base_, *pannello_, *lavoro_, *vista_, Tray(), *ciclo_, *semaforo_,
                                              Pump(Pompa_Qt), std::move(visore));
  finestra_->Versione = std::string(QOD_VERSIONE) + "   Quillon per Linux";
  vista_->Collega(finestra_.get());
}

Programma_Qod_S::~Programma_Qod_S() {
  Splash_Chiudi();
  delete visore_.data();
  if (finestra_) {
    finestra_->Ciclo_Timer_Ferma();
    finestra_->Semaforo_Timer_Ferma();
  }
  if (vista_) vista_->Collega(nullptr);
}

void Programma_Qod_S::Base_Prepara() { base_->Base_Prepara(); }

bool Programma_Qod_S::Base_Inizializza() {
  return base_->Base_Inizializza(opzioni_.cartella, opzioni_.riga_comando, [this] {
    const std::optional<int> fine = opzioni_.istanza ? opzioni_.istanza() : std::nullopt;
    if (fine) Fine(*fine);
    return !fine;
  });
}

void Programma_Qod_S::Carica() {
  // The window's load connects to the host: the splash says so meanwhile.
  Stato_Connessione(base_->Collegamento.Host);
  spool_->Finestra_Iniziale();
  // From here on the window logic ends the program in order.
  in_finestra_ = true;
  finestra_->Form_Load();
  caricato_ = true;
  if (!finestra_->Terminato()) vista_->Mostra_Dopo_Caricamento();
}

// The viewer window: made at the first load, released when it closes; its
// closing puts the main window's "Visualizza" key up.
void Programma_Qod_S::Visore_Carica(const std::string& immagine) {
  if (!visore_)
    visore_ = new FrmVis(pannello_->Caption(), base_->Messaggi(), [this] { pannello_->Visualizza_Imposta(false); });
  visore_->Carica(immagine, Visore_Subclass(base_->Riga_Comando), base_->File_INI);
}

FrmVis* Programma_Qod_S::Visore() { return visore_.data(); }

void Programma_Qod_S::Visore_Scarica() {
  if (visore_) visore_->close();
}

void Programma_Qod_S::Termina() {
  if (in_finestra_) {
    finestra_->Termina_Richiesta();
    return;
  }
  // Still in the splash: nothing runs yet.
  Fine(0);
}

void Programma_Qod_S::Tray_Mouse(int messaggio) {
  if (finestra_) finestra_->pic_try__MouseMove(messaggio);
}

}  // namespace qod
