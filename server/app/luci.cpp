#include "luci.h"

#include <QPainter>
#include <QPixmap>

#include "qod/server/ciclo.h"

namespace qod {

QIcon Icona_Sem(int i) {
  const uint32_t c = Colore_Sem(i);
  QIcon icona;
  for (int lato : {16, 22, 32}) {
    QPixmap p(lato, lato);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(QColor(40, 40, 40), lato / 16.0));
    g.setBrush(QColor(static_cast<int>(c >> 16), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF)));
    g.drawEllipse(QRectF(1, 1, lato - 2, lato - 2));
    g.end();
    icona.addPixmap(p);
  }
  return icona;
}

}  // namespace qod
