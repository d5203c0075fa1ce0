#include "vista_immagine.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "qod/imaging/file.h"
#include "qod/imaging/qimage.h"
#include "qod/winpath.h"

namespace qod::testers {

Vista_Immagine::Vista_Immagine(QWidget* genitore) : QWidget(genitore) {
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(128, 128, 128));
  setPalette(p);
  setFocusPolicy(Qt::StrongFocus);
}

bool Vista_Immagine::Carica(const std::string& nome) {
  immagine_ = QImage();
  bit_ = dpi_x_ = dpi_y_ = 0;
  origine_x_ = origine_y_ = 0;
  img::Immagine im;
  if (nome.empty() || !img::Carica(Percorso_Fs(Percorso_Risolvi(nome)), im)) {
    update();
    return false;
  }
  bit_ = im.Bit();
  dpi_x_ = im.Dpi_X();
  dpi_y_ = im.Dpi_Y();
  immagine_ = img::A_QImage(im);
  update();
  return !immagine_.isNull();
}

int64_t Vista_Immagine::Colori() const {
  if (immagine_.isNull()) return 0;
  if (bit_ >= 24) return int64_t{1} << 24;
  return int64_t{1} << bit_;
}

void Vista_Immagine::Converti_24() {
  if (immagine_.isNull() || bit_ == 24) return;
  immagine_ = immagine_.convertToFormat(QImage::Format_RGB888);
  bit_ = 24;
  update();
}

void Vista_Immagine::Imposta_Adatta(bool adatta) {
  adatta_ = adatta;
  update();
}

void Vista_Immagine::Imposta_Zoom(int percento) {
  zoom_ = std::clamp(percento, 10, 1600);
  update();
}

void Vista_Immagine::Imposta_Origine(float x, float y) {
  origine_x_ = x;
  origine_y_ = y;
  update();
}

double Vista_Immagine::Scala() const {
  if (immagine_.isNull()) return 1;
  if (adatta_)
    return std::min(static_cast<double>(width()) / immagine_.width(), static_cast<double>(height()) / immagine_.height());
  return zoom_ / 100.0;
}

int Vista_Immagine::Visibile_Larghezza() const {
  return std::min(immagine_.width(), static_cast<int>(width() / Scala()));
}
int Vista_Immagine::Visibile_Altezza() const {
  return std::min(immagine_.height(), static_cast<int>(height() / Scala()));
}

QPointF Vista_Immagine::In_Immagine(const QPointF& p) const {
  const double s = Scala();
  if (adatta_) return p / s;
  return {p.x() / s + origine_x_, p.y() / s + origine_y_};
}

void Vista_Immagine::paintEvent(QPaintEvent*) {
  if (immagine_.isNull()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  const double s = Scala();
  if (adatta_) {
    p.drawImage(QRectF(0, 0, immagine_.width() * s, immagine_.height() * s), immagine_);
    return;
  }
  // Only the part of the image inside the view, so the scale stays exact at
  // the edges.
  const QRectF vista(origine_x_, origine_y_, width() / s, height() / s);
  const QRectF sorgente = vista.intersected(QRectF(immagine_.rect()));
  if (sorgente.isEmpty()) return;
  const QRectF destinazione((sorgente.x() - origine_x_) * s, (sorgente.y() - origine_y_) * s, sorgente.width() * s,
                            sorgente.height() * s);
  p.drawImage(destinazione, immagine_, sorgente);
}

void Vista_Immagine::mousePressEvent(QMouseEvent* e) {
  const QPointF q = In_Immagine(e->position());
  if (premuto) premuto(static_cast<float>(q.x()), static_cast<float>(q.y()));
}
void Vista_Immagine::mouseMoveEvent(QMouseEvent* e) {
  const QPointF q = In_Immagine(e->position());
  if (mosso) mosso(static_cast<float>(q.x()), static_cast<float>(q.y()));
}
void Vista_Immagine::mouseReleaseEvent(QMouseEvent* e) {
  const QPointF q = In_Immagine(e->position());
  if (rilasciato) rilasciato(static_cast<float>(q.x()), static_cast<float>(q.y()));
}

}  // namespace qod::testers
