#include "frm_base.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QToolTip>

#include <vector>

#include "qod/server/ciclo.h"
#include "qod/ui/qt.h"

namespace qod {

namespace {

// ---- Layout, in pixels --------------------------------------------------------------

constexpr int kPrimaRiga = 1 + 31 + 1;  // below the toolbar band
constexpr int kAltezzaRiga = 14;
constexpr int kDidascalia = 60;
constexpr int kValoreCoppia = 130, kValorePieno = 322;
constexpr int kBordoDestro = 2 + 60 + 322 + 4;  // 388, the panel's right edge

struct Riga_Disposta {
  QRect didascalia, valore;
};

struct Gruppo_Disposto {
  int alto, basso;  // frame lines
};

struct Disposizione {
  std::array<Riga_Disposta, Pannello::kRighe> righe;
  std::array<Gruppo_Disposto, 6> gruppi;
  int altezza = 0;  // client area
};

const Disposizione& Layout() {
  static const Disposizione d = [] {
    Disposizione r;
    // The lines of each group: two rows side by side, or one across.
    const std::vector<std::vector<std::vector<int>>> gruppi = {
        {{0, 1}, {2, 3}},
        {{4, 5}, {6, 7}, {8, 9}, {10, 11}, {12, 13}, {14, 15}},
        {{16}, {17}},
        {{18, 19}},
        {{20}, {21}, {22}},
        {{23}},
    };
    int y = kPrimaRiga;
    for (size_t g = 0; g < gruppi.size(); ++g) {
      if (g > 0) y += kAltezzaRiga + 7;
      r.gruppi[g].alto = y - 2;
      for (size_t l = 0; l < gruppi[g].size(); ++l) {
        if (l > 0) y += 1 + kAltezzaRiga;
        const auto& linea = gruppi[g][l];
        if (linea.size() == 2) {
          r.righe[static_cast<size_t>(linea[0])] = {QRect(4, y, kDidascalia, kAltezzaRiga),
                                                    QRect(65, y, kValoreCoppia, kAltezzaRiga)};
          r.righe[static_cast<size_t>(linea[1])] = {QRect(196, y, kDidascalia, kAltezzaRiga),
                                                    QRect(257, y, kValoreCoppia, kAltezzaRiga)};
        } else {
          r.righe[static_cast<size_t>(linea[0])] = {QRect(4, y, kDidascalia, kAltezzaRiga),
                                                    QRect(65, y, kValorePieno, kAltezzaRiga)};
        }
      }
      r.gruppi[g].basso = y + kAltezzaRiga + 1;
    }
    r.altezza = r.gruppi[5].basso + 6;
    return r;
  }();
  return d;
}

QColor Colore(uint32_t rgb) {
  return QColor(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF));
}

QFont Carattere() {
  QFont f(QStringLiteral("Liberation Sans"));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(11);
  return f;
}

// The on and off pictures of the switches.
constexpr int kInterruttore = 13;
QRect Rettangolo_Interruttore(int riga) {
  const QRect c = Layout().righe[static_cast<size_t>(riga)].didascalia;
  return QRect(c.left(), c.top(), kInterruttore, kInterruttore);
}

void Disegna_Interruttore(QPainter& g, const QRect& r, bool acceso) {
  g.save();
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(60, 60, 60), 1));
  g.setBrush(acceso ? QColor(40, 170, 60) : QColor(200, 40, 40));
  g.drawEllipse(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
  g.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  const QRectF q = QRectF(r).adjusted(3.5, 3.5, -3.5, -3.5);
  if (acceso) {
    QPainterPath p;
    p.moveTo(q.left(), q.center().y());
    p.lineTo(q.left() + q.width() * 0.4, q.bottom());
    p.lineTo(q.right(), q.top());
    g.setBrush(Qt::NoBrush);
    g.drawPath(p);
  } else {
    g.drawLine(q.topLeft(), q.bottomRight());
    g.drawLine(q.topRight(), q.bottomLeft());
  }
  g.restore();
}

// The toolbar pictures.
QIcon Icona_Tasto(Pannello::Tasto t) {
  QPixmap p(24, 24);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  switch (t) {
    case Pannello::Tasto_Uscita:  // a door with an arrow leaving it
      g.setPen(QPen(QColor(90, 60, 30), 1.5));
      g.setBrush(QColor(200, 150, 90));
      g.drawRect(QRectF(4, 3, 10, 18));
      g.setPen(QPen(QColor(180, 20, 20), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      g.drawLine(QPointF(10, 12), QPointF(21, 12));
      g.drawLine(QPointF(17, 8), QPointF(21, 12));
      g.drawLine(QPointF(17, 16), QPointF(21, 12));
      break;
    case Pannello::Tasto_Start: {  // play
      QPainterPath f;
      f.moveTo(6, 4);
      f.lineTo(20, 12);
      f.lineTo(6, 20);
      f.closeSubpath();
      g.setPen(QPen(QColor(20, 100, 30), 1.2));
      g.setBrush(QColor(50, 180, 70));
      g.drawPath(f);
      break;
    }
    case Pannello::Tasto_Stop:
      g.setPen(QPen(QColor(120, 20, 20), 1.2));
      g.setBrush(QColor(210, 50, 50));
      g.drawRoundedRect(QRectF(5, 5, 14, 14), 2, 2);
      break;
    case Pannello::Tasto_Uno: {  // one sheet
      g.setPen(QPen(QColor(60, 60, 90), 1.2));
      g.setBrush(Qt::white);
      g.drawRect(QRectF(5, 2, 14, 20));
      QFont f = Carattere();
      f.setPixelSize(13);
      f.setBold(true);
      g.setFont(f);
      g.setPen(QColor(30, 60, 160));
      g.drawText(QRectF(5, 2, 14, 20), Qt::AlignCenter, QStringLiteral("1"));
      break;
    }
    case Pannello::Tasto_Visualizza:  // a magnifier over a sheet
      g.setPen(QPen(QColor(60, 60, 90), 1.2));
      g.setBrush(Qt::white);
      g.drawRect(QRectF(3, 2, 13, 17));
      g.setPen(QPen(QColor(40, 40, 40), 2));
      g.setBrush(QColor(170, 210, 240, 200));
      g.drawEllipse(QRectF(9, 9, 9, 9));
      g.drawLine(QPointF(17, 17), QPointF(22, 22));
      break;
  }
  g.end();
  return QIcon(p);
}

const char* Suggerimento_Tasto(Pannello::Tasto t) {
  switch (t) {
    case Pannello::Tasto_Uscita:
      return " Uscita ";
    case Pannello::Tasto_Start:
      return " Avvio del funzionamento automatico ";
    case Pannello::Tasto_Stop:
      return " Arresto del funzionamento automatico ";
    case Pannello::Tasto_Uno:
      return " Recupera un file di spool ";
    case Pannello::Tasto_Visualizza:
      return " Visualizza ";
  }
  return "";
}

}  // namespace

// ---- The panel -------------------------------------------------------------------------

// Draws the six framed groups, the rows, the bars, the switches and the light
// from the model; clicks on a caption or a switch go to the window logic.
class Quadro_Qt : public QWidget {
 public:
  Quadro_Qt(Pannello& p, QWidget* padre) : QWidget(padre), p_(p) {
    setFont(Carattere());
    setMouseTracking(false);
  }
  std::function<void(int riga, int quale)> clic;  // quale: 0 caption, 1 yes, 2 no picture

  // A change of the model: the band of its row (the light is on row 1), or
  // the whole panel, is marked for the next repaint. Qt joins every mark
  // made before the event loop next runs into one repaint of their union.
  void Segna(int avviso) {
    if (avviso == Pannello::kAvviso_Sem) avviso = Pannello::Riga_Restart;
    if (avviso >= 0 && avviso < Pannello::kRighe)
      update(Fascia(avviso));
    else
      update();
  }

 protected:
  // The full-width band a row draws in: its caption (with the switch of
  // rows 20-22), its value with the bar and, on row 1, the light.
  QRect Fascia(int riga) const {
    const Riga_Disposta& rd = Layout().righe[static_cast<size_t>(riga)];
    const QRect r = rd.didascalia.united(rd.valore);
    return QRect(0, r.top(), width(), r.height());
  }

  void paintEvent(QPaintEvent* e) override {
    const Disposizione& d = Layout();
    // Only the rows in the part to repaint are drawn again.
    auto da_disegnare = [&](int r) { return e->region().intersects(Fascia(r)); };
    QPainter g(this);
    g.fillRect(rect(), palette().window());

    // Groups: grey background, then the frame lines.
    for (const auto& gr : d.gruppi) {
      g.fillRect(QRect(2, gr.alto, kBordoDestro - 2, gr.basso - gr.alto), QColor(192, 192, 192));
      g.setPen(QColor(0, 0, 0));
      g.drawLine(2, gr.alto, kBordoDestro, gr.alto);
      g.drawLine(2, gr.alto, 2, gr.basso);
      g.drawLine(2, gr.basso, kBordoDestro + 1, gr.basso);
      g.drawLine(kBordoDestro, gr.alto, kBordoDestro, gr.basso);
    }

    const QColor sfondo_valore = palette().color(QPalette::Base);
    const QColor testo = palette().color(QPalette::WindowText);
    for (int r = 0; r < Pannello::kRighe; ++r) {
      if (!da_disegnare(r)) continue;
      const Riga_Disposta& rd = d.righe[static_cast<size_t>(r)];
      // Caption, right-aligned (it ends in a blank).
      g.setPen(testo);
      g.drawText(rd.didascalia, Qt::AlignRight | Qt::AlignVCenter, Testo_Qt(Pannello::Didascalie()[static_cast<size_t>(r)]));
      // Value field; rows 18-22 carry a bar under their text.
      g.fillRect(rd.valore, sfondo_valore);
      if (p_.Barra_Visibile(r)) {
        const int larghezza = static_cast<int>(p_.Barra_Larghezza(r));
        g.fillRect(QRect(rd.valore.left() + 2, rd.valore.top() + 2, larghezza, rd.valore.height() - 4),
                   QColor(219, 234, 240));
      }
      g.save();
      g.setClipRect(rd.valore);
      g.setPen(testo);
      g.drawText(rd.valore.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, Testo_Qt(p_.Valore(r)));
      g.restore();
    }

    // The switches of rows 20-22.
    for (int r = Pannello::Riga_Stampa; r <= Pannello::Riga_Salva; ++r)
      if (da_disegnare(r)) Disegna_Interruttore(g, Rettangolo_Interruttore(r), p_.Interruttore(r));

    // The light: 6 x 10 at the right end of row 1's value.
    if (!da_disegnare(Pannello::Riga_Restart)) return;
    const QRect v = d.righe[Pannello::Riga_Restart].valore;
    const QRect luce(v.right() + 1 - 2 - 6, v.top() + 2, 6, 10);
    for (int i = 0; i < Pannello::kLuci; ++i) {
      if (!p_.Sem_Visibile(i)) continue;
      g.fillRect(luce, Colore(Colore_Sem(i)));
      g.setPen(QColor(64, 64, 64));
      g.drawRect(luce.adjusted(0, 0, -1, -1));
    }
  }

  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() != Qt::LeftButton || !clic) return;
    const QPoint p = e->position().toPoint();
    for (int r = Pannello::Riga_Stampa; r <= Pannello::Riga_Salva; ++r) {
      if (Rettangolo_Interruttore(r).contains(p)) {
        clic(r, p_.Interruttore(r) ? 1 : 2);
        return;
      }
    }
    for (int r = 0; r < Pannello::kRighe; ++r)
      if (Layout().righe[static_cast<size_t>(r)].didascalia.contains(p)) {
        clic(r, 0);
        return;
      }
  }

  bool event(QEvent* e) override {
    if (e->type() == QEvent::ToolTip) {
      auto* h = static_cast<QHelpEvent*>(e);
      static const char* const si[] = {" Stampa abilitata ", " Archiviazione abilitata ", " Salvataggio abilitato "};
      static const char* const no[] = {" Stampa non abilitata ", " Archiviazione non abilitata ",
                                       " Salvataggio non abilitato "};
      for (int r = Pannello::Riga_Stampa; r <= Pannello::Riga_Salva; ++r) {
        if (Rettangolo_Interruttore(r).contains(h->pos())) {
          const size_t k = static_cast<size_t>(r - Pannello::Riga_Stampa);
          QToolTip::showText(h->globalPos(), QString::fromLatin1(p_.Interruttore(r) ? si[k] : no[k]), this);
          return true;
        }
      }
      QToolTip::hideText();
      e->ignore();
      return true;
    }
    return QWidget::event(e);
  }

 private:
  Pannello& p_;
};

// ---- The window ------------------------------------------------------------------------------

FrmBase::FrmBase(Pannello& pannello, std::function<void()> esci) : pannello_(pannello), esci_(std::move(esci)) {
  setFont(Carattere());
  const int larghezza = kBordoDestro + 3;
  setFixedSize(larghezza, Layout().altezza);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  // Toolbar band.
  for (int t = 0; t < Pannello::kTasti; ++t) {
    auto tasto = static_cast<Pannello::Tasto>(t);
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(Pannello::Chiave(tasto)));
    b->setIcon(Icona_Tasto(tasto));
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(true);
    b->setToolTip(QString::fromLatin1(Suggerimento_Tasto(tasto)));
    b->setGeometry(2 + t * 30, 1, 30, 31);
    b->setCheckable(tasto == Pannello::Tasto_Visualizza);
    b->setEnabled(false);
    QObject::connect(b, &QToolButton::clicked, [this, tasto](bool premuto) {
      if (!finestra_) return;
      if (tasto == Pannello::Tasto_Visualizza) pannello_.Visualizza_Imposta(premuto);
      finestra_->Toolbar_ButtonClick(Pannello::Chiave(tasto));
    });
    pulsanti_[static_cast<size_t>(t)] = b;
  }
  QFont piccolo = Carattere();
  piccolo.setPixelSize(10);
  release_ = new QLabel(this);
  client_ = new QLabel(this);
  for (QLabel* l : {release_, client_}) {
    l->setFont(piccolo);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  release_->setGeometry(170, 3, kBordoDestro - 170, 13);
  client_->setGeometry(170, 17, kBordoDestro - 170, 13);

  quadro_ = new Quadro_Qt(pannello_, this);
  quadro_->setGeometry(0, 0, larghezza, Layout().altezza);
  quadro_->lower();
  quadro_->clic = [this](int riga, int quale) {
    if (!finestra_) return;
    if (quale == 1)
      finestra_->si_Click(riga);
    else if (quale == 2)
      finestra_->no_Click(riga);
    else
      finestra_->lbl1_Click(riga);
  };

  pannello_.Osserva([this](int avviso) { Aggiorna(avviso); });
  Aggiorna(Pannello::kAvviso_Etichette);
  Aggiorna(Pannello::kAvviso_Tasti);
}

FrmBase::~FrmBase() = default;

QWidget* FrmBase::Quadro() const { return quadro_; }

QRect FrmBase::Didascalia(int riga) const {
  if (riga < 0 || riga >= Pannello::kRighe) return {};
  return Layout().righe[static_cast<size_t>(riga)].didascalia;
}

void FrmBase::Aggiorna(int avviso) {
  switch (avviso) {
    case Pannello::kAvviso_Etichette:
      setWindowTitle(Testo_Qt(pannello_.Caption()));
      release_->setText(Testo_Qt(pannello_.Release()));
      client_->setText(Testo_Qt(pannello_.Client()));
      break;
    case Pannello::kAvviso_Tasti:
      for (int t = 0; t < Pannello::kTasti; ++t)
        pulsanti_[static_cast<size_t>(t)]->setEnabled(pannello_.Tasto_Abilitato(static_cast<Pannello::Tasto>(t)));
      break;
    case Pannello::kAvviso_Visualizza: {
      QToolButton* b = pulsanti_[Pannello::Tasto_Visualizza];
      if (b->isChecked() != pannello_.Visualizza()) {
        const bool bloccati = b->blockSignals(true);
        b->setChecked(pannello_.Visualizza());
        b->blockSignals(bloccati);
      }
      break;
    }
    default:
      quadro_->Segna(avviso);
      break;
  }
}

void FrmBase::Mostra_Dopo_Caricamento() {
  if (finestra_ && finestra_->Icona_Presente) return;
  if (Minimizzata())
    showMinimized();
  else
    show();
}

// ---- Vista_Base --------------------------------------------------------------------------------

bool FrmBase::Minimizzata() const { return windowState() & Qt::WindowMinimized; }

bool FrmBase::Normale() const {
  return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void FrmBase::Minimizza() { setWindowState(windowState() | Qt::WindowMinimized); }

void FrmBase::Nascondi() { hide(); }

void FrmBase::Mostra_Normale() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
}

void FrmBase::Ripristina() {
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void FrmBase::Posizione(int32_t& left, int32_t& top) const {
  left = x() * kTwips_Pixel;
  top = y() * kTwips_Pixel;
}

void FrmBase::Sposta(int32_t left, int32_t top) { move(left / kTwips_Pixel, top / kTwips_Pixel); }

void FrmBase::Schermo(int32_t& larghezza, int32_t& altezza) const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const QRect g = s ? s->geometry() : QRect(0, 0, 1024, 768);
  larghezza = g.width();
  altezza = g.height();
}

void FrmBase::Chiudi() { close(); }

void FrmBase::Esci() {
  if (esci_) esci_();
}

void FrmBase::closeEvent(QCloseEvent* e) {
  if (!finestra_ || finestra_->Form_Unload())
    e->ignore();
  else
    e->accept();
}

void FrmBase::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::WindowStateChange && finestra_ && Minimizzata()) finestra_->Form_Resize();
}

}  // namespace qod
