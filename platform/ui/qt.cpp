#include "qod/ui/qt.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

#include <algorithm>
#include <cmath>
#include <utility>

#include "qod/ansi.h"
#include "qod/console.h"

namespace qod {

QString Testo_Qt(const std::string& ansi) {
  std::string t;
  t.reserve(ansi.size());
  for (size_t i = 0; i < ansi.size(); ++i) {
    if (ansi[i] == '\r') {
      t.push_back('\n');
      if (i + 1 < ansi.size() && ansi[i + 1] == '\n') ++i;
    } else {
      t.push_back(ansi[i]);
    }
  }
  return QString::fromStdString(Ansi_A_Utf8(t));
}

std::string Ansi_Qt(const QString& testo, char sostituto) {
  return Utf8_A_Ansi(testo.toStdString(), sostituto);
}

// ---- Timers ----------------------------------------------------------------------

Timer_Qt::Timer_Qt() {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (richiamo_) richiamo_();
  });
}

void Timer_Qt::Avvia(int32_t ms, std::function<void()> richiamo) {
  richiamo_ = std::move(richiamo);
  timer_.start(Intervallo_Timer(ms));
}

void Timer_Qt::Ferma() { timer_.stop(); }

bool Timer_Qt::Attivo() const { return timer_.isActive(); }

// ---- Message boxes -----------------------------------------------------------------

namespace {

Messaggi_Qt::Controllo& Controllo_Box() {
  static Messaggi_Qt::Controllo controllo;
  return controllo;
}

}  // namespace

void Messaggi_Qt::Controllo_Imposta(Controllo controllo) { Controllo_Box() = std::move(controllo); }

namespace {

std::function<void()>& Fine_Senza_Risposta() {
  static std::function<void()> fine;
  return fine;
}
bool senza_risposta = false;

}  // namespace

bool Messaggi_Qt::Nessuno_Risponde() {
  if (Controllo_Box()) return false;
  const QString piattaforma = QGuiApplication::platformName();
  return piattaforma == QLatin1String("offscreen") || piattaforma == QLatin1String("minimal");
}

void Messaggi_Qt::Fine_Senza_Risposta_Imposta(std::function<void()> fine) { Fine_Senza_Risposta() = std::move(fine); }

void Messaggi_Qt::Senza_Risposta() {
  if (senza_risposta) return;
  senza_risposta = true;
  QTimer::singleShot(0, QCoreApplication::instance(), [] {
    if (Fine_Senza_Risposta())
      Fine_Senza_Risposta()();
    else
      QCoreApplication::exit(1);
  });
}

bool Messaggi_Qt::Senza_Risposta_Avvenuta() { return senza_risposta; }

int Messaggi_Qt::Risposta_Predefinita(int stile) {
  const int pulsanti = stile & 0xF;
  const int predefinito = (stile >> 8) & 0xF;  // 0 first, 1 second, 2 third button
  switch (pulsanti) {
    case vbOKCancel:
      return predefinito >= 1 ? vbCancel : vbOK;
    case vbYesNo:
      return predefinito >= 1 ? vbNo : vbYes;
    case 3:  // Yes, No, Cancel
      return predefinito == 0 ? vbYes : predefinito == 1 ? vbNo : vbCancel;
    default:
      return vbOK;
  }
}

namespace {

// Moves a box, as it is shown, so that its centre lies on the centre of its
// owner's frame (halves rounded to even), without changing its size.
class Centratore : public QObject {
 public:
  Centratore(QWidget* proprietario, QObject* genitore) : QObject(genitore), proprietario_(proprietario) {}

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Show && o->isWidgetType()) {
      auto* box = static_cast<QWidget*>(o);
      const QRect r = proprietario_->frameGeometry();
      const QRect b = box->frameGeometry();
      const double x = r.width() / 2.0 + r.left() - b.width() / 2.0;
      const double y = r.height() / 2.0 + r.top() - b.height() / 2.0;
      box->move(static_cast<int>(std::nearbyint(x)), static_cast<int>(std::nearbyint(y)));
    }
    return false;
  }

 private:
  QWidget* proprietario_;
};

}  // namespace

int Messaggi_Qt::MsgBox_Errore(const std::string& testo, int stile, const std::string& titolo) {
  if (Nessuno_Risponde()) return MsgBox(testo, stile, titolo);
  return MessageSink::MsgBox_Errore(testo, stile, titolo);
}

int Messaggi_Qt::MsgBox(const std::string& testo, int stile, const std::string& titolo) {
  if (interrotto_) return Risposta_Predefinita(stile);
  if (const Controllo& c = Controllo_Box())
    if (const std::optional<int> risposta = c(testo, stile, titolo)) return *risposta;
  if (Nessuno_Risponde()) {
    Errore_Scrivi(titolo, testo);
    Senza_Risposta();
    return Risposta_Predefinita(stile);
  }
  QMessageBox box(proprietario_ ? proprietario_ : QApplication::activeWindow());
  if (proprietario_) box.installEventFilter(new Centratore(proprietario_, &box));
  box.setWindowTitle(Testo_Qt(titolo));
  box.setText(Testo_Qt(testo));
  static constexpr std::pair<int, QMessageBox::Icon> kIcone[] = {{vbCritical, QMessageBox::Critical},
                                                                  {vbQuestion, QMessageBox::Question},
                                                                  {vbExclamation, QMessageBox::Warning},
                                                                  {vbInformation, QMessageBox::Information}};
  for (const auto& [icona, qt] : kIcone)
    if ((stile & 0x70) == icona) box.setIcon(qt);
  struct Pulsante {
    QMessageBox::StandardButton qt;
    int risposta;
  };
  std::vector<Pulsante> pulsanti;
  switch (stile & 0xF) {
    case vbOKCancel:
      pulsanti = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
      break;
    case 3:
      pulsanti = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
      break;
    case vbYesNo:
      pulsanti = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
      break;
    default:
      pulsanti = {{QMessageBox::Ok, vbOK}};
      break;
  }
  QMessageBox::StandardButtons tutti;
  for (const auto& p : pulsanti) tutti |= p.qt;
  box.setStandardButtons(tutti);
  const size_t predefinito = std::min<size_t>(static_cast<size_t>((stile >> 8) & 0xF), pulsanti.size() - 1);
  box.setDefaultButton(pulsanti[predefinito].qt);
  box.setEscapeButton(pulsanti.back().qt);
  aperta_ = &box;
  const int scelto = box.exec();
  aperta_ = nullptr;
  if (interrotto_) return Risposta_Predefinita(stile);
  for (const auto& p : pulsanti)
    if (p.qt == scelto) return p.risposta;
  return Risposta_Predefinita(stile);
}

void Messaggi_Qt::Interrompi() {
  interrotto_ = true;
  if (aperta_) aperta_->done(QMessageBox::NoButton);
}

// ---- Notification area ------------------------------------------------------------

Area_Notifica_Qt::Area_Notifica_Qt(std::function<QIcon(int)> icone, std::function<void(int)> mouse)
    : icone_(std::move(icone)), mouse_(std::move(mouse)) {}

Area_Notifica_Qt::~Area_Notifica_Qt() = default;

bool Area_Notifica_Qt::Shell_NotifyIcon(int messaggio, const Icona_Tray& icona) {
  switch (messaggio) {
    case NIM_ADD: {
      if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
      if (!icona_) {
        icona_ = std::make_unique<QSystemTrayIcon>();
        QObject::connect(icona_.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason r) {
          if (!mouse_) return;
          if (r == QSystemTrayIcon::Trigger) mouse_(WM_LBUTTONUP);
          if (r == QSystemTrayIcon::Context) mouse_(WM_RBUTTONUP);
        });
      }
      icona_->setIcon(icone_ ? icone_(icona.hIcon) : QIcon());
      if (icona.uFlags & NIF_TIP) icona_->setToolTip(Testo_Qt(icona.Suggerimento()));
      icona_->show();
      return true;
    }
    case NIM_MODIFY:
      if (!icona_ || !icona_->isVisible()) return false;
      if (icona.uFlags & NIF_ICON) icona_->setIcon(icone_ ? icone_(icona.hIcon) : QIcon());
      if (icona.uFlags & NIF_TIP) icona_->setToolTip(Testo_Qt(icona.Suggerimento()));
      return true;
    case NIM_DELETE:
      if (!icona_) return false;
      icona_->hide();
      return true;
    default:
      return false;
  }
}

}  // namespace qod
