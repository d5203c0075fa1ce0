#include "frm_splash.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>

namespace qod {

namespace {

constexpr int kLarghezza = 400, kAltezza = 154;
constexpr int kTwips = 15;

}  // namespace

FrmSplash::FrmSplash(std::function<void()> prepara, std::function<void()> avvio, QString programma)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint),
      prepara_(std::move(prepara)),
      avvio_(std::move(avvio)),
      programma_(std::move(programma)) {
  // The hourglass, and the pending messages processed once.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  cursore_ = true;
  QCoreApplication::processEvents();

  setFixedSize(kLarghezza, kAltezza);
  immagine_ = QImage(kLarghezza, kAltezza, QImage::Format_RGB32);
  Sfondo();

  // Load the bar's blocks.
  const auto iniziali = barra_.Carica(kTwips, kTwips);

  // The window's shape: four rounded rectangles joined.
  QPainterPath forma;
  for (const auto& r : Splash_Regione()) {
    QPainterPath p;
    p.addRoundedRect(QRectF(r.x1, r.y1, r.x2 - r.x1, r.y2 - r.y1), r.w / 2.0, r.h / 2.0);
    forma = forma.united(p);
  }
  // (The offscreen platform has no window shapes.)
  if (QGuiApplication::platformName() != QLatin1String("offscreen"))
    setMask(QRegion(forma.toFillPolygon().toPolygon()));

  // Centre the window on the screen.
  const QScreen* s = QGuiApplication::primaryScreen();
  const QRect g = s ? s->geometry() : QRect(0, 0, 1024, 768);
  int32_t x = 0, y = 0;
  Splash_Centro(g.width(), g.height(), x, y);
  move(g.left() + x, g.top() + y);

  // The timers: the bar moves every 100 ms, the preparation runs at 200 ms, the start at 1000 ms.
  timer1_.setInterval(100);
  timer2_.setInterval(200);
  timer3_.setInterval(1000);
  QObject::connect(&timer1_, &QTimer::timeout, [this] { Disegna(barra_.Passo()); });
  QObject::connect(&timer2_, &QTimer::timeout, [this] {
    timer2_.stop();
    QCoreApplication::processEvents();
    if (prepara_) prepara_();
  });
  QObject::connect(&timer3_, &QTimer::timeout, [this] {
    timer3_.stop();
    QCoreApplication::processEvents();
    if (avvio_) avvio_();
    if (cursore_) {
      QApplication::restoreOverrideCursor();
      cursore_ = false;
    }
    QCoreApplication::processEvents();
    Scarica();
  });
  timer1_.start();
  timer2_.start();
  timer3_.start();

  // Seven steps at once: the bar starts part-filled.
  Disegna(iniziali);
}

FrmSplash::~FrmSplash() {
  Scarica();
  if (cursore_) QApplication::restoreOverrideCursor();
}

void FrmSplash::Scarica() {
  timer1_.stop();
  timer2_.stop();
  timer3_.stop();
  close();
}

void FrmSplash::Sfondo() {
  QPainter g(&immagine_);
  g.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sf(0, 0, 0, kAltezza);
  sf.setColorAt(0, QColor(236, 244, 248));
  sf.setColorAt(1, QColor(188, 212, 226));
  g.fillRect(immagine_.rect(), sf);
  // A round mark at the left, where the shape swells.
  g.setPen(Qt::NoPen);
  g.setBrush(QColor(40, 110, 160));
  g.drawEllipse(QRectF(48, 18, 118, 118));
  g.setBrush(QColor(236, 244, 248));
  g.drawEllipse(QRectF(68, 38, 78, 78));
  g.setBrush(QColor(40, 110, 160));
  QPainterPath coda;
  coda.moveTo(118, 100);
  coda.lineTo(150, 132);
  coda.lineTo(160, 122);
  coda.lineTo(128, 90);
  coda.closeSubpath();
  g.drawPath(coda);
  QFont f(QStringLiteral("Liberation Sans"));
  f.setPixelSize(30);
  f.setBold(true);
  g.setFont(f);
  g.setPen(QColor(30, 70, 110));
  g.drawText(QRect(178, 52, 210, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillon"));
  f.setPixelSize(15);
  f.setBold(false);
  g.setFont(f);
  g.drawText(QRect(180, 88, 210, 22), Qt::AlignLeft | Qt::AlignVCenter, programma_);
  // The bar's background.
  g.fillRect(QRect(156 - 4, 142, 214 + 8, 13), QColor(0xDA, 0xE8, 0xF0));
}

void FrmSplash::Disegna(const std::vector<Splash_Barra::Riquadro>& riquadri) {
  QPainter g(&immagine_);
  for (const auto& r : riquadri) {
    const QRect q(r.x1 / kTwips, r.y1 / kTwips, (r.x2 - r.x1 + kTwips - 1) / kTwips, (r.y2 - r.y1) / kTwips);
    g.fillRect(q, QColor(static_cast<int>(r.colore >> 16), static_cast<int>((r.colore >> 8) & 0xFF),
                         static_cast<int>(r.colore & 0xFF)));
  }
  g.end();
  update();
}

void FrmSplash::Stato_Imposta(const QString& testo) {
  stato_ = testo;
  update();
}

void FrmSplash::paintEvent(QPaintEvent*) {
  QPainter g(this);
  g.drawImage(0, 0, immagine_);
  if (stato_.isEmpty()) return;
  QFont f(QStringLiteral("Liberation Sans"));
  f.setPixelSize(12);
  g.setFont(f);
  g.setPen(QColor(30, 70, 110));
  const QRect riga(180, 112, 200, 18);
  g.drawText(riga, Qt::AlignLeft | Qt::AlignVCenter, g.fontMetrics().elidedText(stato_, Qt::ElideMiddle, riga.width()));
}

}  // namespace qod
