#include "programma_client.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QPainter>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

#include "archivio_client.h"
#include "frm_client.h"
#include "qod/basic.h"
#include "qod/client/istanze.h"
#include "qod/profile.h"
#include "qod/ui/qt.h"

#ifndef QOD_VERSIONE
#define QOD_VERSIONE "0.0.0"
#endif

namespace qod {

namespace {

constexpr int kTwips = 15;  // twips per pixel

// The program's icon in the notification area.
QIcon Icona_Client(int) {
  QPixmap p(32, 32);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(Qt::NoPen);
  g.setBrush(QColor(40, 110, 160));
  g.drawEllipse(QRectF(2, 2, 24, 24));
  g.setBrush(Qt::white);
  g.drawEllipse(QRectF(7, 7, 14, 14));
  g.setPen(QPen(QColor(40, 110, 160), 4));
  g.drawLine(QPointF(20, 20), QPointF(29, 29));
  return QIcon(p);
}

int32_t Numero_Impostazione(const Client_Base& b, const char* chiave) {
  const double v = Val(Profilo_Leggi(b.File_INI, "Dimensioni", chiave, "0", 378));
  if (!std::isfinite(v) || v > 1e9 || v < -1e9) return 0;
  return static_cast<int32_t>(std::nearbyint(v));
}

}  // namespace

Programma_Qod_C::Programma_Qod_C(Opzioni_Qod_C o)
    : Programma_Qt(o, QStringLiteral("Viewer"), Icona_Client), opzioni_(std::move(o)) {
  base_ = std::make_unique<Client_Base>(Orologio(), Messaggi());
  trasporto_ = std::make_unique<Trasporto_Client>(opzioni_.attese_rete, Pump(Pompa_Qt));
  // Every wait, and the pauses between connection attempts, give way once
  // the program is ending.
  trasporto_->Imposta_Interruzione([this] { return Finito(); });
  if (!opzioni_.attese_collegamento.interrompi) opzioni_.attese_collegamento.interrompi = [this] { return Finito(); };

  vista_ = std::make_unique<FrmClient>(Tray(), Messaggi(), Messaggi_Schermo(), Pump(Pompa_Qt));
  vista_->Form_Unload = [this] { return Form_Unload(); };
}

Programma_Qod_C::~Programma_Qod_C() {
  Splash_Chiudi();
  if (vista_) {
    vista_->Form_Unload = nullptr;
    vista_->Ricerche_Click = nullptr;
    vista_->Toolbar_Azione = nullptr;
    vista_->Scheda_Disposta = nullptr;
  }
  archivio_.reset();
}

void Programma_Qod_C::Base_Prepara() { base_->Base_Prepara(); }

bool Programma_Qod_C::Base_Inizializza() {
  return base_->Base_Inizializza(opzioni_.cartella, opzioni_.riga_comando);
}

void Programma_Qod_C::Carica() {
  if (!Form_Load()) {
    Fine(1);
    return;
  }
  caricato_ = true;
  vista_->show();
  vista_->Base_Ridimensiona_();
}

bool Programma_Qod_C::Form_Load() {
  in_caricamento_ = true;
  struct Fine_Caricamento {
    bool& f;
    ~Fine_Caricamento() { f = false; }
  } fine{in_caricamento_};

  // Take an instance slot: the number keeps the page files of the copies apart.
  const int32_t pid = opzioni_.pid ? opzioni_.pid : static_cast<int32_t>(::getpid());
  auto attivo = opzioni_.attivo;
  if (!attivo) attivo = [](int32_t p) { return Processo_Attivo(p, kProgramma_Client); };
  const int numero = Istanza_Slot(base_->File_DAT, pid, attivo);
  Pompa_Qt();
  if (numero == 0) {
    base_->Messaggi().MsgBox("Troppe istanze attive", vbCritical, kTitolo_Errore_Client);
    return false;
  }

  // The caption and the version.
  base_->Istanza_Imposta(numero);
  vista_->Istanza_Imposta(base_->Titolo_Istanza);
  vista_->Release_Imposta(std::string(QOD_VERSIONE) + "   Quillon Viewer per Linux");

  // Connect to the host: FTP start, connection, login, dictionary; the splash says
  // so meanwhile.
  Stato_Connessione(base_->Collegamento.Host);
  collegamento_ = std::make_unique<Collegamento_Client>(*base_, *base_, *trasporto_, numero,
                                                        opzioni_.attese_collegamento);
  if (Finito() || !collegamento_->Host_Collega(Pump(Pompa_Qt))) return false;
  if (Finito()) return false;

  // The pages' contents: the search form, the list, the viewer
  // with the settings file and the kept zoom, the data grid with its labels.
  archivio_ = std::make_unique<Archivio_Client>(*vista_, *base_, *trasporto_, *collegamento_, Pump(Pompa_Qt));
  archivio_->In_Caricamento(true);
  vista_->Ricerche_Click = [this](int n) { archivio_->Ricerche_Click(n); };
  vista_->Toolbar_Azione = [this](const std::string& k) { archivio_->Toolbar_Azione(k); };
  vista_->Scheda_Disposta = [this](int n) { archivio_->Scheda_Disposta(n); };

  // List the search definitions the host offers; the first is chosen.
  ricerche_ = collegamento_->Ricerche_Elenca();
  std::vector<std::pair<int, std::string>> voci;
  for (const auto& r : ricerche_) voci.emplace_back(r.Numero, r.Nome);
  vista_->Ricerche_Riempi(voci);

  // The minimum size and the re-layout at the end of a move or resize.
  vista_->Subclass_Attiva(base_->Subclass());

  // Put the window where it was at the last exit, then lay it out.
  Posizione_Carica();
  archivio_->In_Caricamento(false);
  return !Finito();
}

void Programma_Qod_C::Posizione_Carica() {
  const int32_t stato = Numero_Impostazione(*base_, "WindowState");
  int32_t left = Numero_Impostazione(*base_, "Left"), top = Numero_Impostazione(*base_, "Top");
  const int32_t width = Numero_Impostazione(*base_, "Width"), height = Numero_Impostazione(*base_, "Height");
  const QScreen* s = QGuiApplication::primaryScreen();
  const QSize schermo = s ? s->size() : QSize(1024, 768);
  left = std::max(left, 0);
  left = std::min(left, (schermo.width() - 20) * kTwips);
  top = std::max(top, 0);
  top = std::min(top, (schermo.height() - 20) * kTwips);
  vista_->move(left / kTwips, top / kTwips);
  // A size never saved (0) keeps the window's own; the minimum applies.
  if (width > 0 && height > 0) vista_->resize(width / kTwips, height / kTwips);
  if (stato == 2) vista_->setWindowState(Qt::WindowMaximized);
  if (stato == 1) vista_->setWindowState(Qt::WindowMinimized);
}

void Programma_Qod_C::Posizione_Salva() {
  const std::string& ini = base_->File_INI;
  const int32_t stato = vista_->isMinimized() || !vista_->isVisible() ? 1 : vista_->isMaximized() ? 2 : 0;
  Profilo_Scrivi(ini, "Dimensioni", "WindowState", Format(stato, "0"));
  if (stato != 0) return;
  Profilo_Scrivi(ini, "Dimensioni", "Left", Format(static_cast<int32_t>(vista_->x() * kTwips), "0"));
  Profilo_Scrivi(ini, "Dimensioni", "Top", Format(static_cast<int32_t>(vista_->y() * kTwips), "0"));
  Profilo_Scrivi(ini, "Dimensioni", "Width", Format(static_cast<int32_t>(vista_->width() * kTwips), "0"));
  Profilo_Scrivi(ini, "Dimensioni", "Height", Format(static_cast<int32_t>(vista_->height() * kTwips), "0"));
}

bool Programma_Qod_C::Form_Unload() {
  if (Finito()) return true;
  if (!caricato_) return false;
  const int r = base_->Messaggi().MsgBox("Confermi l'uscita dal programma ?", vbYesNo | vbCritical | vbDefaultButton2,
                                         "Uscita");
  if (r != vbYes) return false;
  Chiudi_Ordinato();
  Fine(0);
  return true;
}

void Programma_Qod_C::Chiudi_Ordinato() {
  if (collegamento_) collegamento_->Host_Scollega();
  if (archivio_) archivio_->Larghezze_Salva();
  Posizione_Salva();
  if (archivio_) archivio_->Zoom_Salva();
  Pompa_Qt();
  vista_->Subclass_Attiva(false);
}

void Programma_Qod_C::Termina() {
  if (caricato_ && !Finito()) Chiudi_Ordinato();
  Fine(0);
}

void Programma_Qod_C::Alla_Fine() {
  if (vista_) vista_->hide();
}

void Programma_Qod_C::Tray_Mouse(int messaggio) {
  if (vista_) vista_->pic_try__MouseMove(messaggio);
}

}  // namespace qod
