#include "frm_client.h"

#include <QAction>
#include <QCloseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "qod/ui/qt.h"

namespace qod {

namespace {

// The window's geometry is given in twips on screens of 15 twips a pixel.
constexpr int kMinimo_X = 7500 / 15, kMinimo_Y = 3900 / 15;
constexpr int kInterno_Minimo = 150 / 15;
// A move or a resize counts as ended when the window has kept still this long.
constexpr int kFine_Spostamento_ms = 200;

const char* const kSchede[] = {" Ricerca  ", " Elenco  ", " Documento  ", " Dati  "};

struct Tasto_Barra {
  const char* chiave;
  const char* suggerimento;  // empty: a separator
};
const Tasto_Barra kBarra[] = {
    {"Uscita", " Uscita "},         {"Aggiorna", " Aggiorna elenco "}, {"Separatore", ""},
    {"Visualizza", " Visualizza "}, {"Stampa", " Stampa "},            {"Set_Stampa", " Imposta stampa "},
    {"Separatore2", ""},
};

// The images of the toolbar keys, drawn at 24 x 24.
QIcon Immagine_Tasto(const std::string& chiave) {
  QPixmap p(24, 24);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  const QColor blu(40, 110, 160), scuro(50, 50, 60);
  if (chiave == "Uscita") {
    g.setPen(QPen(scuro, 1.5));
    g.setBrush(QColor(200, 170, 120));
    g.drawRect(QRectF(5, 3, 11, 18));
    g.setPen(QPen(QColor(180, 40, 40), 2.5));
    g.drawLine(QPointF(12, 12), QPointF(21, 12));
    g.drawLine(QPointF(18, 9), QPointF(21, 12));
    g.drawLine(QPointF(18, 15), QPointF(21, 12));
  } else if (chiave == "Aggiorna") {
    g.setPen(QPen(blu, 2.5));
    g.drawArc(QRectF(4, 4, 16, 16), 60 * 16, 290 * 16);
    QPainterPath punta;
    punta.moveTo(15, 2);
    punta.lineTo(21, 6);
    punta.lineTo(14, 9);
    punta.closeSubpath();
    g.fillPath(punta, blu);
  } else if (chiave == "Visualizza") {
    g.setPen(QPen(scuro, 2));
    g.setBrush(QColor(220, 236, 248));
    g.drawEllipse(QRectF(3, 3, 13, 13));
    g.setPen(QPen(scuro, 3.5));
    g.drawLine(QPointF(14, 14), QPointF(21, 21));
  } else {  // "Stampa", "Set_Stampa"
    g.setPen(QPen(scuro, 1.2));
    g.setBrush(Qt::white);
    g.drawRect(QRectF(7, 2, 10, 8));
    g.setBrush(QColor(150, 156, 166));
    g.drawRoundedRect(QRectF(2, 9, 20, 9), 2, 2);
    g.setBrush(Qt::white);
    g.drawRect(QRectF(7, 15, 10, 7));
    if (chiave == "Set_Stampa") {
      g.setPen(Qt::NoPen);
      g.setBrush(QColor(200, 120, 20));
      g.drawEllipse(QRectF(14, 12, 9, 9));
      g.setBrush(Qt::white);
      g.drawEllipse(QRectF(16.5, 14.5, 4, 4));
    }
  }
  return QIcon(p);
}

}  // namespace

// The tab control's body: the tabs along its top, a panel under them, and
// the frame round the page area on every tab but the document's.
class FrmClient::Area_Schede : public QWidget {
 public:
  Area_Schede(FrmClient& finestra, QWidget* genitore) : QWidget(genitore), finestra_(finestra) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter g(this);
    const int alto = finestra_.schede_ ? finestra_.schede_->height() - 1 : 0;
    g.setPen(palette().color(QPalette::Mid));
    g.setBrush(palette().color(QPalette::Window));
    g.drawRect(QRect(0, alto, width() - 1, height() - alto - 1));
    if (!finestra_.linee_visibili_) return;
    g.setPen(QPen(palette().color(QPalette::Dark), 1));
    for (const QLine& l : finestra_.linee_) g.drawLine(l);
  }

 private:
  FrmClient& finestra_;
};

FrmClient::FrmClient(Area_Notifica& tray, MessageSink& messaggi, Messaggi_Qt* messaggi_qt, Pump pompa)
    : tray_(tray), messaggi_(messaggi), messaggi_qt_(messaggi_qt), pompa_(std::move(pompa)) {
  setWindowTitle(QStringLiteral("Quillon Viewer"));
  resize(800, 560);

  tab_ = new Area_Schede(*this, this);
  schede_ = new QTabBar(tab_);
  schede_->setExpanding(false);
  schede_->setDrawBase(false);
  for (const char* c : kSchede) schede_->addTab(QString::fromLatin1(c));
  schede_->resize(schede_->sizeHint());
  schede_->move(0, 0);

  // Pages 0, 1 and 3 lie inside the tab control; page 2, the viewer's, over it.
  for (size_t n = 0; n < pagine_.size(); ++n) {
    pagine_[n] = new QWidget(n == 2 ? static_cast<QWidget*>(this) : tab_);
    pagine_[n]->setObjectName(QStringLiteral("Pagina%1").arg(n));
    pagine_[n]->hide();
  }

  toolbar_ = new QToolBar(tab_);
  // The bar fills the band between the tabs and the frame's top line.
  toolbar_->setIconSize(QSize(20, 20));
  toolbar_->setMovable(false);
  toolbar_->setFixedHeight(24);
  toolbar_->setContentsMargins(0, 0, 0, 0);
  for (const auto& t : kBarra) {
    QAction* a = nullptr;
    if (*t.suggerimento == '\0') {
      a = toolbar_->addSeparator();
    } else {
      a = toolbar_->addAction(Immagine_Tasto(t.chiave), QString());
      a->setToolTip(QString::fromLatin1(t.suggerimento));
      const std::string chiave = t.chiave;
      QObject::connect(a, &QAction::triggered, [this, chiave] {
        if (chiave == "Uscita") {
          close();
          return;
        }
        if (Toolbar_Azione) Toolbar_Azione(chiave);
      });
    }
    a->setObjectName(QString::fromLatin1(t.chiave));
    tasti_.emplace_back(t.chiave, a);
  }

  release_ = new QLabel(tab_);
  stato_ = new QLabel(tab_);
  stato_->setObjectName(QStringLiteral("lblStato"));
  stato_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  stato_->hide();

  ricerche_ = new QComboBox(pagine_[0]);
  ricerche_->setObjectName(QStringLiteral("Ricerche"));
  ricerche_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  // 320 pixels, or what the longest name needs: Qt fits the box to its
  // entries a moment after they change, never below that.
  ricerche_->setMinimumWidth(320);
  ricerche_->setGeometry(8, 8, 320, ricerche_->sizeHint().height());
  QObject::connect(ricerche_, &QComboBox::currentIndexChanged, [this](int i) {
    if (in_riempimento_ || i < 0 || !Ricerche_Click) return;
    Ricerche_Click(ricerche_->itemData(i).toInt());
  });

  QObject::connect(schede_, &QTabBar::currentChanged, [this](int n) { Scheda_Disponi(n); });

  fine_spostamento_.setSingleShot(true);
  fine_spostamento_.setInterval(kFine_Spostamento_ms);
  QObject::connect(&fine_spostamento_, &QTimer::timeout, [this] {
    if (subclass_) Base_Ridimensiona_();
  });
}

FrmClient::~FrmClient() {
  if (icona_presente_) tray_.Shell_NotifyIcon(NIM_DELETE, icona_);
}

QWidget* FrmClient::Tab_() const { return tab_; }

QAction* FrmClient::Tasto(const std::string& chiave) const {
  for (const auto& [k, a] : tasti_)
    if (k == chiave) return a;
  return nullptr;
}

void FrmClient::Istanza_Imposta(const std::string& titolo) {
  setWindowTitle(Testo_Qt(titolo));
  icona_.cbSize = 88;
  icona_.uID = 1;
  icona_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icona_.uCallbackMessage = WM_MOUSEMOVE;
  icona_.hIcon = 1;
  // "Quillon Viewer " & the number, blank-filled to the field's 64 characters.
  icona_.Suggerimento_Imposta(titolo);
}

void FrmClient::Release_Imposta(const std::string& testo) {
  release_->setText(Testo_Qt(testo));
  release_->adjustSize();
}

void FrmClient::Stato_Imposta(const std::string& testo) {
  stato_->setText(Testo_Qt(testo));
  stato_->setVisible(!testo.empty() && Scheda() != 2);
}

void FrmClient::Subclass_Attiva(bool attiva) {
  subclass_ = attiva;
  if (attiva) {
    setMinimumSize(kMinimo_X, kMinimo_Y);
  } else {
    setMinimumSize(0, 0);
    fine_spostamento_.stop();
  }
  Pompa(pompa_);
}

void FrmClient::Ricerche_Riempi(const std::vector<std::pair<int, std::string>>& voci) {
  in_riempimento_ = true;
  ricerche_->clear();
  for (const auto& [numero, nome] : voci) ricerche_->addItem(Testo_Qt(nome), numero);
  ricerche_->resize(ricerche_->sizeHint());
  in_riempimento_ = false;
  // The first entry is chosen, which builds its form.
  if (ricerche_->count() > 0) {
    ricerche_->setCurrentIndex(0);
    if (Ricerche_Click) Ricerche_Click(ricerche_->itemData(0).toInt());
  }
}

// ---- Layout ------------------------------------------------------------------------

void FrmClient::Base_Ridimensiona_() {
  if (isMinimized() || width() <= kInterno_Minimo || height() <= kInterno_Minimo) return;
  tab_->setGeometry(3, 3, width() - 6, height() - 3 - 4);
  ++disposizioni_;
  Scheda_Disponi(Scheda());
}

// The toolbar 26 pixels down and the frame's top line 50, unless a larger
// font makes the tabs or the bar taller: then they follow right under them.
int FrmClient::Alto_Barra() const { return std::max(26, schede_->sizeHint().height()); }
int FrmClient::Alto_Linea() const { return std::max(50, Alto_Barra() + toolbar_->height()); }
int FrmClient::Altezza_Pagine() const { return tab_->height() - 9 - (Alto_Linea() + 2); }

void FrmClient::Scheda_Disponi(int scheda) {
  const int tw = tab_->width(), th = tab_->height();
  schede_->resize(schede_->sizeHint());
  // The version label at the top right, on every tab.
  release_->move(tw - release_->width() - 3, 4);
  release_->raise();

  // The toolbar and the frame, on every tab but the document's.
  const bool documento = scheda == 2;
  const int alto_barra = Alto_Barra(), alto_linea = Alto_Linea();
  if (!documento) {
    pagine_[2]->hide();
    toolbar_->move(6, alto_barra);
    toolbar_->resize(toolbar_->sizeHint());
    const int x0 = 6, y0 = alto_linea, x1 = tw - 8, y1 = th - 8;
    linee_[0] = QLine(x0, y0, x1, y0);
    linee_[1] = QLine(x1, y0, x1, y1);
    linee_[2] = QLine(x0, y1, x1 + 1, y1);
    linee_[3] = QLine(x0, y0, x0, y1);
  }
  toolbar_->setVisible(!documento);
  linee_visibili_ = !documento;

  // Show the keys and the page of the tab.
  auto mostra = [this](std::initializer_list<const char*> chiavi, bool si) {
    for (const char* c : chiavi)
      if (QAction* a = Tasto(c)) a->setVisible(si);
  };
  switch (scheda) {
    case 0:
      mostra({"Aggiorna", "Separatore"}, true);
      mostra({"Visualizza", "Stampa", "Set_Stampa", "Separatore2"}, false);
      break;
    case 1:
      mostra({"Aggiorna", "Separatore", "Visualizza", "Stampa", "Set_Stampa", "Separatore2"}, true);
      break;
    case 3:
      mostra({"Aggiorna", "Separatore", "Visualizza", "Stampa", "Set_Stampa", "Separatore2"}, false);
      break;
    default:
      break;
  }
  toolbar_->resize(toolbar_->sizeHint());
  // The status line after the toolbar's keys, up to the frame's right end;
  // on the document's tab the viewer's own row shows it.
  const int x_stato = toolbar_->geometry().right() + 1 + 8;
  stato_->setGeometry(x_stato, alto_barra, std::max(0, tw - 8 - 4 - x_stato), toolbar_->height());
  stato_->setVisible(!documento && !stato_->text().isEmpty());
  for (size_t n = 0; n < pagine_.size(); ++n) {
    if (static_cast<int>(n) == scheda) continue;
    pagine_[n]->hide();
  }
  if (scheda >= 0 && scheda < 4) {
    QWidget* p = pagine_[static_cast<size_t>(scheda)];
    if (documento)
      p->setGeometry(tab_->x() + 6, tab_->y() + alto_barra, tw - 13, th - 7 - alto_barra);
    else
      p->setGeometry(8, alto_linea + 2, tw - 17, Altezza_Pagine());
    p->show();
    p->raise();
    if (documento && p->isVisible()) p->setFocus();
  }
  tab_->update();
  if (Scheda_Disposta) Scheda_Disposta(scheda);
}

// ---- Notification area and messages ----------------------------------------------------

void FrmClient::Form_Resize() {
  if (isMinimized()) {
    if (icona_presente_) return;
    // Without a notification area the window stays minimised where the
    // desktop can give it back, rather than hidden beyond reach.
    if (!tray_.Shell_NotifyIcon(NIM_ADD, icona_)) return;
    icona_presente_ = true;
    hide();
    return;
  }
  if (isMaximized() || !subclass_) Base_Ridimensiona_();
}

void FrmClient::pic_try__MouseMove(int messaggio) {
  if (messaggio == WM_LBUTTONUP || messaggio == WM_RBUTTONUP) Finestra_Ripristina();
}

void FrmClient::Ripristina_Da_Tray() {
  if (icona_presente_) {
    tray_.Shell_NotifyIcon(NIM_DELETE, icona_);
    icona_presente_ = false;
  }
  Pompa(pompa_);
  showNormal();
  Pompa(pompa_);
}

void FrmClient::Finestra_Ripristina() {
  if (isMinimized() || icona_presente_) Ripristina_Da_Tray();
  // The restore command: a window that was hidden or minimised comes back
  // at its former size, in front.
  if (isMinimized() || !isVisible()) showNormal();
  raise();
  activateWindow();
  Base_Ridimensiona_();
}

int FrmClient::Messaggio_Mostra(const std::string& testo, int stile, const std::string& titolo) {
  if (isMinimized() || icona_presente_) {
    Ripristina_Da_Tray();
    raise();
    activateWindow();
  }
  if (messaggi_qt_) messaggi_qt_->Proprietario(this);
  const int r = messaggi_.MsgBox(testo, stile, titolo);
  if (messaggi_qt_) messaggi_qt_->Proprietario(nullptr);
  return r;
}

// ---- Window events ---------------------------------------------------------------------------

void FrmClient::closeEvent(QCloseEvent* e) {
  if (Form_Unload && !Form_Unload()) {
    e->ignore();
    return;
  }
  e->accept();
}

void FrmClient::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  // The window's state changes inside the call that changes it (which may
  // show the window afterwards): the tray is settled once it is done.
  if (e->type() == QEvent::WindowStateChange) QTimer::singleShot(0, this, [this] { Form_Resize(); });
}

void FrmClient::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (isMinimized()) return;
  if (isMaximized() || !subclass_)
    Base_Ridimensiona_();
  else
    fine_spostamento_.start();
}

void FrmClient::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  if (subclass_ && isVisible() && !isMinimized()) fine_spostamento_.start();
}

}  // namespace qod
