#include "qod/viewer/vista_immagine.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "qod/imaging/qimage.h"

namespace qod::img {

namespace {

// The bits 1, 2 and 4 of the flags `uno`, `due` and `quattro` set in `f`.
template <typename Flags, typename Flag>
int Bit_Di(Flags f, Flag uno, Flag due, Flag quattro) {
  return (f & uno ? 1 : 0) | (f & due ? 2 : 0) | (f & quattro ? 4 : 0);
}

int Pulsante_Di(Qt::MouseButtons b) { return Bit_Di(b, Qt::LeftButton, Qt::RightButton, Qt::MiddleButton); }

int Shift_Di(Qt::KeyboardModifiers m) { return Bit_Di(m, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier); }

// The image's own pixels as a QImage, without a copy where the layout is one
// Qt reads (rows top first, 1-bit MSB first, RGB and RGBA bytes); the QImage
// is valid while the image stays as it is. 4-bit images are copied.
QImage Vista_Pixel(const Immagine& im) {
  if (im.Vuota()) return {};
  QImage::Format f;
  switch (im.Bit()) {
    case 1: f = QImage::Format_Mono; break;
    case 8: f = QImage::Format_Indexed8; break;
    case 24: f = QImage::Format_RGB888; break;
    case 32: f = QImage::Format_RGBA8888; break;
    default: return A_QImage(im);
  }
  QImage q(im.Riga(0), im.Larghezza(), im.Altezza(), static_cast<qsizetype>(im.Passo()), f);
  if (im.Bit() <= 8) {
    QList<QRgb> tavola;
    for (const Colore& c : im.Tavolozza()) tavola.push_back(qRgb(c.r, c.g, c.b));
    q.setColorTable(tavola);
  }
  return q;
}

}  // namespace

Vista_Immagine::Vista_Immagine(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  sfondo_ = palette().color(QPalette::Button);
  setFocusPolicy(Qt::StrongFocus);
}

Vista_Immagine::~Vista_Immagine() = default;

// ---- The image ---------------------------------------------------------------------

Esito Vista_Immagine::Carica(const std::filesystem::path& percorso, int indice) {
  Immagine im;
  File_Aperto f;
  Esito e = f.Apri(percorso);
  if (e) e = f.Carica(indice, im);
  file_ = percorso;
  immagini_ = e ? f.Info().immagini : 0;
  Imposta_Immagine(std::move(im));
  if (e) {
    aperto_ = std::move(f);
    indice_ = indice;
  } else {
    aperto_.Chiudi();
  }
  return e;
}

Esito Vista_Immagine::Seleziona(int indice) {
  if (file_.empty()) return Esito::Errore("nessun file caricato");
  if (indice == indice_ && !immagine_.Vuota() && aperto_.Invariato()) {
    // Already on show as the file holds it: only the stretch is reset.
    allungamento_x_ = allungamento_y_ = 1;
    Barre_Aggiorna();
    viewport()->update();
    return Esito::Bene();
  }
  if (!aperto_.Aperto()) {
    if (Esito e = aperto_.Apri(file_); !e) return e;
  }
  Immagine im;
  Esito e = aperto_.Carica(indice, im);
  if (e) {
    Imposta_Immagine(std::move(im));
    indice_ = indice;
  }
  return e;
}

void Vista_Immagine::Imposta_Immagine(Immagine im) {
  immagine_ = std::move(im);
  allungamento_x_ = allungamento_y_ = 1;
  Immagine_Cambiata();
}

void Vista_Immagine::Svuota() {
  immagine_.Svuota();
  file_.clear();
  immagini_ = 0;
  aperto_.Chiudi();
  allungamento_x_ = allungamento_y_ = 1;
  Immagine_Cambiata();
}

void Vista_Immagine::Immagine_Cambiata() {
  indice_ = 0;
  ridotta_.Svuota();
  qimmagine_ = Vista_Pixel(immagine_);
  Barre_Aggiorna();
  viewport()->update();
}

bool Vista_Immagine::Converti_Bit(int bit) {
  if (immagine_.Vuota() || !immagine_.Converti_Bit(bit)) return false;
  Immagine_Cambiata();
  return true;
}

bool Vista_Immagine::Riduci_Colori(int64_t colori, bool grigio) {
  if (immagine_.Vuota() || !immagine_.Riduci_Colori(colori, grigio)) return false;
  Immagine_Cambiata();
  return true;
}

bool Vista_Immagine::Ruota(long centesimi, Colore riempimento) {
  if (immagine_.Vuota() || !immagine_.Ruota(centesimi, riempimento)) return false;
  Immagine_Cambiata();
  return true;
}

bool Vista_Immagine::Crea(int larghezza, int altezza, int bit) {
  Immagine im;
  if (!im.Crea(larghezza, altezza, bit)) return false;
  file_.clear();
  immagini_ = 0;
  aperto_.Chiudi();
  Imposta_Immagine(std::move(im));
  return true;
}

bool Vista_Immagine::Disegna_Su(const std::function<void(QPainter&)>& disegno) {
  if (immagine_.Vuota()) return false;
  // QPainter draws on 32-bit images only: paint a copy, then bring it back
  // to the image's depth and resolution.
  QImage q = qimmagine_.convertToFormat(QImage::Format_RGB32);
  if (q.isNull()) return false;
  {
    QPainter p(&q);
    disegno(p);
  }
  Immagine nuova;
  if (!Da_QImage(q, nuova)) return false;
  if (nuova.Bit() != immagine_.Bit() && !nuova.Converti_Bit(immagine_.Bit())) return false;
  nuova.Imposta_Dpi(immagine_.Dpi_X(), immagine_.Dpi_Y());
  immagine_ = std::move(nuova);
  Immagine_Cambiata();
  return true;
}

Esito Vista_Immagine::Salva(const std::filesystem::path& percorso, const Parametri_Salvataggio& parametri) const {
  if (immagine_.Vuota()) return Esito::Errore("nessuna immagine");
  return img::Salva(immagine_, percorso, parametri);
}

void Vista_Immagine::Copia() const {
  if (!immagine_.Vuota()) QGuiApplication::clipboard()->setImage(A_QImage(immagine_));
}

bool Vista_Immagine::Incolla() {
  const QImage q = QGuiApplication::clipboard()->image();
  Immagine im;
  if (q.isNull() || !Da_QImage(q, im)) return false;
  file_.clear();
  immagini_ = 0;
  aperto_.Chiudi();
  Imposta_Immagine(std::move(im));
  return true;
}

// ---- Display -----------------------------------------------------------------------

void Vista_Immagine::Imposta_Sorgente(int sinistra, int alto, int destra, int basso) {
  src_[0] = sinistra;
  src_[1] = alto;
  src_[2] = destra;
  src_[3] = basso;
}

void Vista_Immagine::Imposta_Destinazione(double sinistra, double alto, double destra, double basso) {
  dst_[0] = sinistra;
  dst_[1] = alto;
  dst_[2] = destra;
  dst_[3] = basso;
}

void Vista_Immagine::Applica_Rettangoli() {
  const double sw = src_[2] - src_[0] + 1, sh = src_[3] - src_[1] + 1;
  const double dw = dst_[2] - dst_[0], dh = dst_[3] - dst_[1];
  allungamento_x_ = (sw > 0 && dw > 0) ? dw / sw : 1;
  allungamento_y_ = (sh > 0 && dh > 0) ? dh / sh : 1;
  Barre_Aggiorna();
  viewport()->update();
}

void Vista_Immagine::Imposta_Adatta(bool adatta) {
  adatta_ = adatta;
  Barre_Aggiorna();
  viewport()->update();
}

void Vista_Immagine::Imposta_Zoom(double percento) {
  if (percento > 0) zoom_ = percento;
  Barre_Aggiorna();
  viewport()->update();
}

double Vista_Immagine::Zoom() const {
  if (immagine_.Vuota()) return 0;
  if (!adatta_) return zoom_;
  const double w = immagine_.Larghezza() * allungamento_x_, h = immagine_.Altezza() * allungamento_y_;
  const QSize v = Dimensione_Vista();
  const double vw = v.width(), vh = v.height();
  if (vw <= 0 || vh <= 0) return 0;
  return std::min(vw / w, vh / h) * 100;
}

double Vista_Immagine::Scala_X() const { return Zoom() / 100 * allungamento_x_; }
double Vista_Immagine::Scala_Y() const { return Zoom() / 100 * allungamento_y_; }

void Vista_Immagine::Imposta_Modo(int modo) {
  modo_ = modo;
  viewport()->update();
}

void Vista_Immagine::Imposta_Sfondo(const QColor& c) {
  sfondo_ = c;
  viewport()->update();
}

void Vista_Immagine::Imposta_Origine(double x, double y) {
  origine_x_ = x;
  origine_y_ = y;
  Barre_Aggiorna();
  viewport()->update();
}

QSize Vista_Immagine::Dimensione_Vista() const {
  // Without scroll bars the view is the whole inside of the widget, known
  // at once when the widget is placed (even while hidden).
  if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff && verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
    return contentsRect().size();
  return viewport()->size();
}

double Vista_Immagine::Larghezza_Visibile() const {
  const double s = Scala_X();
  return s > 0 ? Dimensione_Vista().width() / s : 0;
}

double Vista_Immagine::Altezza_Visibile() const {
  const double s = Scala_Y();
  return s > 0 ? Dimensione_Vista().height() / s : 0;
}

QPointF Vista_Immagine::Punto_Immagine(const QPointF& v) const {
  const double sx = Scala_X(), sy = Scala_Y();
  if (sx <= 0 || sy <= 0) return {};
  return {v.x() / sx + origine_x_, v.y() / sy + origine_y_};
}

void Vista_Immagine::Barre_Aggiorna() {
  in_barre_ = true;
  const double vw = Larghezza_Visibile(), vh = Altezza_Visibile();
  const int mx = immagine_.Vuota() ? 0 : std::max(0, static_cast<int>(std::ceil(immagine_.Larghezza() - vw)));
  const int my = immagine_.Vuota() ? 0 : std::max(0, static_cast<int>(std::ceil(immagine_.Altezza() - vh)));
  horizontalScrollBar()->setRange(0, mx);
  horizontalScrollBar()->setPageStep(std::max(1, static_cast<int>(vw)));
  horizontalScrollBar()->setValue(static_cast<int>(origine_x_));
  verticalScrollBar()->setRange(0, my);
  verticalScrollBar()->setPageStep(std::max(1, static_cast<int>(vh)));
  verticalScrollBar()->setValue(static_cast<int>(origine_y_));
  in_barre_ = false;
}

void Vista_Immagine::scrollContentsBy(int, int) {
  if (in_barre_) return;
  origine_x_ = horizontalScrollBar()->value();
  origine_y_ = verticalScrollBar()->value();
  viewport()->update();
}

void Vista_Immagine::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  Barre_Aggiorna();
}

void Vista_Immagine::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const QRect vp = viewport()->rect();
  p.fillRect(vp, sfondo_);
  if (qimmagine_.isNull()) return;
  const double sx = Scala_X(), sy = Scala_Y();
  if (sx <= 0 || sy <= 0) return;
  if (sx < 1 || sy < 1) {
    // Shrunk: the page at its size on screen, area averaged, made once for
    // this zoom; only the rows under the view are made, then copied. A page
    // too large to keep so (a long stretch) is made for the view alone.
    const double w = qimmagine_.width(), h = qimmagine_.height();
    const int wd = static_cast<int>(std::max(1.0, std::min(w * sx + 0.5, double(Lato_Massimo))));
    const int hd = static_cast<int>(std::max(1.0, std::min(h * sy + 0.5, double(Lato_Massimo))));
    const int ox = static_cast<int>(std::lround(origine_x_ * wd / w));
    const int oy = static_cast<int>(std::lround(origine_y_ * hd / h));
    const QRect vista = QRect(ox, oy, vp.width(), vp.height()) & QRect(0, 0, wd, hd);
    if (vista.isEmpty()) return;
    constexpr int64_t kPixel_Tenuti = int64_t{16} << 20;
    const QRect finestra = int64_t{wd} * hd <= kPixel_Tenuti ? QRect() : vista;
    if (!ridotta_.Pronta() || ridotta_.Larghezza() != wd || ridotta_.Altezza() != hd ||
        (!finestra.isEmpty() && !ridotta_.Finestra().contains(vista)))
      ridotta_.Prepara(immagine_, wd, hd, finestra);
    if (ridotta_.Pronta()) {
      ridotta_.Righe(vista.top(), vista.bottom() + 1);
      const QPoint angolo = ridotta_.Finestra().topLeft();
      p.drawImage(vista.topLeft() - QPoint(ox, oy), ridotta_.Risultato(), vista.translated(-angolo));
      return;
    }
  }
  // Only the image pixels under the view are drawn.
  const double x0 = std::max(0.0, std::floor(origine_x_));
  const double y0 = std::max(0.0, std::floor(origine_y_));
  const double x1 = std::min<double>(qimmagine_.width(), std::ceil(origine_x_ + vp.width() / sx));
  const double y1 = std::min<double>(qimmagine_.height(), std::ceil(origine_y_ + vp.height() / sy));
  if (x1 <= x0 || y1 <= y0) return;
  const QRectF sorgente(x0, y0, x1 - x0, y1 - y0);
  const QRectF bersaglio((x0 - origine_x_) * sx, (y0 - origine_y_) * sy, (x1 - x0) * sx, (y1 - y0) * sy);
  p.drawImage(bersaglio, qimmagine_, sorgente);
}

void Vista_Immagine::Disegna(QPainter& p, const QRectF& destinazione) const {
  if (qimmagine_.isNull()) return;
  QRectF sorgente(0, 0, qimmagine_.width(), qimmagine_.height());
  if (src_[2] > src_[0] && src_[3] > src_[1])
    sorgente = QRectF(src_[0], src_[1], src_[2] - src_[0] + 1, src_[3] - src_[1] + 1);
  p.drawImage(destinazione, qimmagine_, sorgente);
}

// ---- Pointer -------------------------------------------------------------------------

void Vista_Immagine::mousePressEvent(QMouseEvent* e) {
  const QPointF q = Punto_Immagine(e->position());
  emit Premuto(Pulsante_Di(e->button()), Shift_Di(e->modifiers()), static_cast<float>(q.x()),
               static_cast<float>(q.y()));
}

void Vista_Immagine::mouseMoveEvent(QMouseEvent* e) {
  const QPointF q = Punto_Immagine(e->position());
  emit Mosso(Pulsante_Di(e->buttons()), Shift_Di(e->modifiers()), static_cast<float>(q.x()),
             static_cast<float>(q.y()));
}

void Vista_Immagine::mouseReleaseEvent(QMouseEvent* e) {
  const QPointF q = Punto_Immagine(e->position());
  emit Rilasciato(Pulsante_Di(e->button()), Shift_Di(e->modifiers()), static_cast<float>(q.x()),
                  static_cast<float>(q.y()));
}

void Vista_Immagine::wheelEvent(QWheelEvent* e) {
  // The wheel belongs to the host of the view (the viewer scrolls by its
  // own rule); the view itself does not scroll with it.
  e->ignore();
}

}  // namespace qod::img
