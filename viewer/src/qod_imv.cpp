#include "qod/viewer/qod_imv.h"

#include <QApplication>
#include <QBitmap>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/ui/qt.h"
#include "qod/viewer/cursori.h"

namespace qod::imv {

namespace {

// The saved state's key properties, in interface order, as toolbar keys.
constexpr int kTasti_Stato[kTasti] = {T_Uscita,    T_Stampa,     T_Set_Stampa, T_Salva,   T_Ruota,
                                      T_Cancella,  T_Posiz,      T_Precedente, T_Successiva, T_InvioFax,
                                      T_InvioMail, T_Div1,       T_Div2,       T_Div3,    T_Div4};

// A system colour &H800000nn as the palette shows it; an RGB value as it is.
QColor Colore_Ole(uint32_t c, const QPalette& pal) {
  if (c & 0x80000000u) {
    switch (c & 0xFF) {
      case 0x05: return pal.color(QPalette::Base);
      case 0x08: return pal.color(QPalette::Text);
      case 0x0C: return pal.color(QPalette::Dark);
      case 0x10: return pal.color(QPalette::Dark);
      case 0x14: return pal.color(QPalette::Light);
      default: return pal.color(QPalette::Button);
    }
  }
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QCursor Cursore_Crea(long forma, int hx, int hy, const std::string& riga1, const std::string& riga2) {
  const Maschere_Bitmap b = Maschere_Per_Bitmap(Cursore_Maschere(Cursore_Immagine(forma, riga1, riga2)));
  const QBitmap bitmap = QBitmap::fromData(QSize(32, 32), b.bitmap.data(), QImage::Format_Mono);
  const QBitmap maschera = QBitmap::fromData(QSize(32, 32), b.maschera.data(), QImage::Format_Mono);
  return QCursor(bitmap, maschera, hx, hy);
}

// The toolbar pictures, 16 x 16, drawn in a few strokes.
QIcon Icona(int tasto, QStyle* stile) {
  switch (tasto) {
    case T_Uscita: return stile->standardIcon(QStyle::SP_DialogCloseButton);
    case T_Salva: return stile->standardIcon(QStyle::SP_DialogSaveButton);
    case T_Cancella: return stile->standardIcon(QStyle::SP_TrashIcon);
    case T_Precedente: return stile->standardIcon(QStyle::SP_ArrowLeft);
    case T_Successiva: return stile->standardIcon(QStyle::SP_ArrowRight);
    case T_Ruota: return stile->standardIcon(QStyle::SP_BrowserReload);
    default: break;
  }
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  switch (tasto) {
    case T_Stampa:  // a printer
    case T_Set_Stampa:
      p.setBrush(Qt::white);
      p.drawRect(4, 1, 8, 5);
      p.setBrush(QColor(160, 160, 160));
      p.drawRect(1, 6, 14, 6);
      p.setBrush(Qt::white);
      p.drawRect(4, 10, 8, 5);
      if (tasto == T_Set_Stampa) {
        p.setBrush(QColor(0, 128, 0));
        p.drawEllipse(10, 9, 6, 6);
      }
      break;
    case T_Posiz:  // cross hairs
      p.drawLine(8, 1, 8, 15);
      p.drawLine(1, 8, 15, 8);
      p.drawEllipse(4, 4, 8, 8);
      break;
    case T_InvioFax:  // a sheet with lines
      p.setBrush(Qt::white);
      p.drawRect(3, 1, 10, 14);
      for (int y = 4; y < 13; y += 3) p.drawLine(5, y, 11, y);
      break;
    case T_InvioMail:  // an envelope
      p.setBrush(QColor(255, 255, 210));
      p.drawRect(1, 4, 14, 9);
      p.drawLine(1, 4, 8, 10);
      p.drawLine(15, 4, 8, 10);
      break;
    default: break;
  }
  return QIcon(pm);
}

}  // namespace

// ---- Wheel and keys: one handler per thread, owned by the first control ---------------

class Aggancio : public QObject {
 public:
  explicit Aggancio(Qod_IMV* proprietario) : QObject(proprietario), proprietario_(proprietario) {
    attuale_ = this;
    qApp->installEventFilter(this);
  }
  ~Aggancio() override {
    if (qApp) qApp->removeEventFilter(this);
    if (attuale_ == this) attuale_ = nullptr;
  }
  static Aggancio* Attuale() { return attuale_; }
  Qod_IMV* Proprietario() const { return proprietario_; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: return Tasto(static_cast<QKeyEvent*>(e));
      case QEvent::Wheel: return Rotella(o, static_cast<QWheelEvent*>(e));
      default: return false;
    }
  }

 private:
  bool Tasto(QKeyEvent* e) {
    if (!proprietario_->Focus()) return false;
    const Tasto_Visore t = Da_Qt(e->key());
    if (t == Tasto_Visore::Nessuno) return false;
    if (e->type() == QEvent::KeyRelease) return true;
    if (proprietario_->annidamento_.Inizio()) proprietario_->Tasto_Agisci(t);
    proprietario_->annidamento_.Fine();
    return true;
  }

  bool Rotella(QObject* o, QWheelEvent* e) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || !(w == proprietario_ || proprietario_->isAncestorOf(w))) return false;
    int tasti = 0;
    if (e->buttons() & Qt::LeftButton) tasti |= MK_LBUTTON;
    if (e->buttons() & Qt::RightButton) tasti |= MK_RBUTTON;
    if (e->buttons() & Qt::MiddleButton) tasti |= MK_MBUTTON;
    if (e->buttons() & Qt::XButton1) tasti |= MK_XBUTTON1;
    if (e->buttons() & Qt::XButton2) tasti |= MK_XBUTTON2;
    if (e->modifiers() & Qt::ShiftModifier) tasti |= MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier) tasti |= MK_CONTROL;
    // Some systems turn a wheel with Shift into a sideways turn.
    const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    proprietario_->Rotella_Gestisci(tasti, delta);
    return true;
  }

  // The main-keyboard and keypad plus and "=" step in; both minus keys step out.
  static Tasto_Visore Da_Qt(int k) {
    switch (k) {
      case Qt::Key_PageUp: return Tasto_Visore::Pagina_Su;
      case Qt::Key_PageDown: return Tasto_Visore::Pagina_Giu;
      case Qt::Key_Left: return Tasto_Visore::Sinistra;
      case Qt::Key_Up: return Tasto_Visore::Su;
      case Qt::Key_Right: return Tasto_Visore::Destra;
      case Qt::Key_Down: return Tasto_Visore::Giu;
      case Qt::Key_P: return Tasto_Visore::P;
      case Qt::Key_R: return Tasto_Visore::R;
      case Qt::Key_Plus:
      case Qt::Key_Equal: return Tasto_Visore::Piu;
      case Qt::Key_Minus: return Tasto_Visore::Meno;
      default: return Tasto_Visore::Nessuno;
    }
  }

  Qod_IMV* proprietario_;
  static thread_local Aggancio* attuale_;
};

thread_local Aggancio* Aggancio::attuale_ = nullptr;

// ---- Initialisation and termination ----------------------------------------------------

Qod_IMV::Qod_IMV(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  toolbar_ = new QWidget(this);
  toolbar_->setObjectName("Toolbar");
  for (int i = 0; i < kTasti; ++i) {
    visibili_[i] = true;
    if (Tasto_Separatore(i)) {
      tasti_widget_[i] = new QWidget(toolbar_);
      continue;
    }
    auto* b = new QToolButton(toolbar_);
    b->setObjectName(Tasti_Chiave()[i]);
    b->setAutoRaise(true);
    b->setIcon(Icona(i, style()));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(Tasti_Suggerimento()[i]);
    b->setFocusPolicy(Qt::NoFocus);
    if (i == T_Posiz) b->setCheckable(true);
    connect(b, &QToolButton::clicked, this, [this, i] { Toolbar_ButtonClick(i); });
    pulsanti_[i] = b;
    tasti_widget_[i] = b;
  }
  lbl_pag0_ = new QLabel(this);
  lbl_pag0_->setFrameShape(QFrame::Box);
  lbl_pag1_ = new QLabel(this);
  lbl_pag1_->setAlignment(Qt::AlignCenter);
  lbl_stato_ = new QLabel(this);
  lbl_stato_->setObjectName("lblStato");
  lbl_stato_->hide();
  zoom_ = new QComboBox(this);
  zoom_->setObjectName("Zoom");
  zoom_->setEditable(true);
  zoom_->setInsertPolicy(QComboBox::NoInsert);
  fondo_ = new QWidget(this);
  fondo_->setAutoFillBackground(true);
  im1_ = new img::Vista_Immagine(this);
  im1_->setObjectName("IM1");
  im1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  im1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  // The keys' pictures are set above; every key but "Uscita" disabled.
  for (int i = 0; i < kTasti; ++i)
    if (pulsanti_[i] && i != T_Uscita) pulsanti_[i]->setEnabled(false);
  // The counter empty; the zoom list disabled with its entries, "Adatta".
  lbl_pag1_->setText("");
  zoom_->setEnabled(false);
  zoom_->clear();
  for (const char* v : Zoom_Voci()) zoom_->addItem(v);
  zoom_->setEditText("Adatta");
  zoom_->lineEdit()->setCursorPosition(0);
  // Hide the image.
  im1_->hide();
  // The pointer shapes; the hand over the image; pointer state 0.
  cursori_[0] = QCursor(Qt::ArrowCursor);
  cursori_[1] = Cursore_Crea(1, 7, 16, "", "");
  cursori_[2] = Cursore_Crea(2, 7, 16, "", "");
  cursori_[3] = Cursore_Crea(3, 5, 23, "x1234", "y5678");
  im1_->viewport()->setCursor(cursori_[1]);
  memo_change_ = false;

  connect(zoom_->lineEdit(), &QLineEdit::returnPressed, this, [this] { Zoom_Conferma(); });
  connect(zoom_, qOverload<int>(&QComboBox::activated), this, [this](int) { Zoom_Conferma(); });
  connect(im1_, &img::Vista_Immagine::Premuto, this, [this](int b, int, float x, float y) {
    Puntatore_Evento(puntatore_.Premuto(b, x, y, Contesto_Puntatore()));
  });
  connect(im1_, &img::Vista_Immagine::Mosso, this, [this](int, int, float x, float y) {
    Puntatore_Evento(puntatore_.Mosso(x, y, Contesto_Puntatore()));
  });
  connect(im1_, &img::Vista_Immagine::Rilasciato, this,
          [this](int, int, float, float) { Puntatore_Evento(puntatore_.Rilasciato()); });
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* ora) {
    focus_ = ora && (ora == this || isAncestorOf(ora));
  });

  // The defaults of the saved state apply from the start.
  Stato_Ripristina(Borsa{});
  memo_change_ = false;
  posizione_ = [] { return QCursor::pos(); };
}

Qod_IMV::~Qod_IMV() {
  // The wheel and key handling is a child of its owner and ends with it;
  // another control's end leaves it in place.
  im1_->viewport()->unsetCursor();
}

bool Qod_IMV::Aggancio_Proprio() const {
  return Aggancio::Attuale() && Aggancio::Attuale()->Proprietario() == this;
}

void Qod_IMV::qodimv_subclass(bool v) {
  if (v && !Aggancio::Attuale()) new Aggancio(this);
  Cambiata("qodimv_subclass");
}

double Qod_IMV::Twips_X() const { return 1440.0 / logicalDpiX(); }
double Qod_IMV::Twips_Y() const { return 1440.0 / logicalDpiY(); }

QRect Qod_IMV::In_Pixel(const Rettangolo& r) const {
  const double tx = Twips_X(), ty = Twips_Y();
  return QRect(static_cast<int>(std::lround(r.sinistra / tx)), static_cast<int>(std::lround(r.alto / ty)),
               static_cast<int>(std::lround(r.larghezza / tx)), static_cast<int>(std::lround(r.altezza / ty)));
}

void Qod_IMV::Cambiata(const char* nome) { emit Proprieta_Cambiata(QString::fromLatin1(nome)); }

// ---- Properties ---------------------------------------------------------------------------

void Qod_IMV::Tasto_Mostra(int tasto, bool visibile) {
  visibili_[tasto] = visibile;
  tasti_widget_[tasto]->setVisible(visibile);
  Barra_Allinea();
  for (int i = 0; i < kTasti; ++i)
    if (kTasti_Stato[i] == tasto) Cambiata(Voci_Stato()[i].nome);
}

void Qod_IMV::qodimv_button_pagine(bool v) {
  pagine_ = v;
  lbl_pag0_->setVisible(v);
  lbl_pag1_->setVisible(v);
  Barra_Allinea();
  Cambiata("qodimv_button_pagine");
}

void Qod_IMV::qodimv_button_zoom(bool v) {
  zoom_lista_ = v;
  zoom_->setVisible(v);
  Barra_Allinea();
  Cambiata("qodimv_button_zoom");
}

void Qod_IMV::qodimv_zoom(const std::string& testo) {
  zoom_->setEditText(Testo_Qt(testo));
  Cambiata("qodimv_zoom");
}

std::string Qod_IMV::qodimv_zoom() const { return Ansi_Qt(zoom_->currentText()); }

void Qod_IMV::qodimv_Brv_Tipo(const std::string& v) {
  brv_tipo_ = v;
  const bool si = !Trim(v).empty();
  Abilita(T_InvioFax, si);
  Abilita(T_InvioMail, si);
  Barra_Allinea();
  Cambiata("qodimv_Brv_Tipo");
}

void Qod_IMV::qodimv_BackColor(uint32_t colore) {
  sfondo_ = colore;
  const QColor c = Colore_Ole(colore, palette());
  im1_->Imposta_Sfondo(c);
  QPalette pal = fondo_->palette();
  pal.setColor(QPalette::Window, c);
  fondo_->setPalette(pal);
  Cambiata("qodimv_BackColor");
}

void Qod_IMV::Abilita(int tasto, bool si) {
  if (pulsanti_[tasto]) pulsanti_[tasto]->setEnabled(si);
}

bool Qod_IMV::Tasto_Abilitato(int tasto) const { return pulsanti_[tasto] && pulsanti_[tasto]->isEnabled(); }

// ---- Saved state ---------------------------------------------------------------------------

void Qod_IMV::Imposta_Per_Nome(const std::string& nome, const std::string& valore) {
  const auto& voci = Voci_Stato();
  for (int i = 0; i < kTasti; ++i)
    if (nome == voci[i].nome) return Tasto_Mostra(kTasti_Stato[i], Leggi_Booleano(valore));
  if (nome == "qodimv_button_pagine") return qodimv_button_pagine(Leggi_Booleano(valore));
  if (nome == "qodimv_button_zoom") return qodimv_button_zoom(Leggi_Booleano(valore));
  if (nome == "qodimv_zoom") return qodimv_zoom(valore);
  if (nome == "qodimv_FileINI") return qodimv_FileINI(valore);
  if (nome == "qodimv_Paragrafo") return qodimv_Paragrafo(valore);
  if (nome == "qodimv_Brv_Tipo") return qodimv_Brv_Tipo(valore);
  if (nome == "qodimv_Brv_Codi") return qodimv_Brv_Codi(valore);
  if (nome == "qodimv_Brv_Rife") return qodimv_Brv_Rife(valore);
  if (nome == "qodimv_Pag_Fine") return qodimv_Pag_Fine(Leggi_Lungo(valore));
  if (nome == "qodimv_BackColor") return qodimv_BackColor(static_cast<uint32_t>(Leggi_Lungo(valore)));
  if (nome == "qodimv_Memo") return qodimv_Memo(Leggi_Booleano(valore));
}

std::string Qod_IMV::Leggi_Per_Nome(const std::string& nome) const {
  const auto& voci = Voci_Stato();
  for (int i = 0; i < kTasti; ++i)
    if (nome == voci[i].nome) return Testo_Booleano(visibili_[kTasti_Stato[i]]);
  if (nome == "qodimv_button_pagine") return Testo_Booleano(pagine_);
  if (nome == "qodimv_button_zoom") return Testo_Booleano(zoom_lista_);
  if (nome == "qodimv_zoom") return qodimv_zoom();
  if (nome == "qodimv_FileINI") return file_ini_;
  if (nome == "qodimv_Paragrafo") return paragrafo_;
  if (nome == "qodimv_Brv_Tipo") return brv_tipo_;
  if (nome == "qodimv_Brv_Codi") return brv_codi_;
  if (nome == "qodimv_Brv_Rife") return brv_rife_;
  if (nome == "qodimv_Pag_Fine") return std::to_string(qodimv_Pag_Fine());
  if (nome == "qodimv_BackColor") return std::to_string(static_cast<int32_t>(sfondo_));
  if (nome == "qodimv_Memo") return Testo_Booleano(memo_);
  return "";
}

void Qod_IMV::Stato_Ripristina(const Borsa& borsa) {
  for (const Voce_Stato& v : Voci_Stato()) {
    const auto it = borsa.find(v.nome);
    Imposta_Per_Nome(v.nome, it != borsa.end() ? it->second : std::string(v.predefinito));
  }
}

Borsa Qod_IMV::Stato_Salva() const {
  Borsa b;
  for (const Voce_Stato& v : Voci_Stato()) {
    const std::string t = Leggi_Per_Nome(v.nome);
    bool uguale = false;
    switch (v.tipo) {
      case Tipo_Valore::Booleano: uguale = Leggi_Booleano(t) == Leggi_Booleano(v.predefinito); break;
      case Tipo_Valore::Testo: uguale = t == v.predefinito; break;
      case Tipo_Valore::Lungo:
      case Tipo_Valore::Colore: uguale = Leggi_Lungo(t) == Leggi_Lungo(v.predefinito); break;
    }
    if (!uguale) b[v.nome] = t;
  }
  return b;
}

// ---- Layout ----------------------------------------------------------------------------------

Qod_IMV::Misure_Barra Qod_IMV::Misure() const {
  // The design sizes, each grown to what its text needs at the current font:
  // the counter to its text, the page box round it with the same 4-pixel
  // margins, the zoom list to its longest entry; the toolbar's row as high
  // as the tallest of them.
  const double tx = Twips_X(), ty = Twips_Y();
  const QFontMetrics fm(lbl_pag1_->font());
  Misure_Barra m;
  m.contatore_x = std::max(kLarghezza_Contatore, (fm.horizontalAdvance(lbl_pag1_->text()) + 2) * tx);
  m.contatore_y = std::max(kAltezza_Contatore, fm.height() * ty);
  m.pagina_x = std::max(kLarghezza_Pagina, m.contatore_x + 8 * tx);
  m.pagina_y = std::max(kAltezza_Pagina, m.contatore_y + 8 * ty);
  const QFontMetrics fz(zoom_->font());
  int voce = 0;
  for (int i = 0; i < zoom_->count(); ++i) voce = std::max(voce, fz.horizontalAdvance(zoom_->itemText(i)));
  // The list's frame and arrow: all of it but its text field; and the
  // field's own margins.
  QStyleOptionComboBox o;
  o.initFrom(zoom_);
  o.editable = true;
  o.rect = QRect(0, 0, 1000, zoom_->sizeHint().height());
  const int cornice = 1000 - zoom_->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField,
                                                             zoom_).width();
  m.zoom_x = std::max(kLarghezza_Zoom, (voce + cornice + 4) * tx);
  m.barra_y = std::max({kAltezza_Toolbar, zoom_->sizeHint().height() * ty, m.pagina_y});
  return m;
}

void Qod_IMV::Barra_Allinea() {
  const double tx = Twips_X(), ty = Twips_Y();
  const Misure_Barra m = Misure();
  const auto posti = Tasti_Disponi(visibili_);
  const Barra_Posti b = imv::Barra_Allinea(0, posti, visibili_, pagine_, tx, m.pagina_x);
  toolbar_->setGeometry(0, 0, static_cast<int>(std::lround(b.larghezza_toolbar / tx)),
                        static_cast<int>(std::lround(kAltezza_Toolbar / ty)));
  for (int i = 0; i < kTasti; ++i)
    tasti_widget_[i]->setGeometry(In_Pixel({posti[i].sinistra, 0, posti[i].larghezza, kAltezza_Toolbar}));
  lbl_pag0_->setGeometry(In_Pixel({b.sinistra_pagina, 0, m.pagina_x, m.pagina_y}));
  lbl_pag1_->setGeometry(In_Pixel({b.sinistra_contatore, 60, m.contatore_x, m.contatore_y}));
  zoom_->setGeometry(In_Pixel({b.sinistra_zoom, 0, m.zoom_x, m.barra_y}));
  // The status line of a print fills the rest of the row.
  const int x = (zoom_->isHidden() ? zoom_->x() : zoom_->geometry().right() + 1) + 8;
  lbl_stato_->setGeometry(x, 0, std::max(0, width() - x - 4), zoom_->height());
}

void Qod_IMV::Stato_Stampa_Mostra(const std::string& testo) {
  if (Stato_Stampa) {
    Stato_Stampa(testo);
    return;
  }
  Stato_Mostra(testo);
}

void Qod_IMV::Stato_Mostra(const std::string& testo) {
  lbl_stato_->setText(Testo_Qt(testo));
  lbl_stato_->setVisible(!testo.empty() && lbl_stato_->width() > 0);
}

void Qod_IMV::resizeEvent(QResizeEvent*) {
  Barra_Allinea();
  const double tx = Twips_X(), ty = Twips_Y();
  disposizione_ = Disposizione_Calcola(width() * tx, height() * ty, 0, Misure().barra_y, tx, ty);
  update();
  if (disposizione_.fondo) {
    fondo_->setGeometry(In_Pixel(*disposizione_.fondo));
    long x = 0, y = 0;
    Zoom_Applica(x, y);
  }
}

void Qod_IMV::paintEvent(QPaintEvent*) {
  // The sunken frame: top and left in the shadow colour, right and bottom
  // in the highlight colour.
  QPainter p(this);
  const double tx = Twips_X(), ty = Twips_Y();
  const QColor ombra = Colore_Ole(0x80000010u, palette()), luce = Colore_Ole(0x80000014u, palette());
  for (int i = 0; i < 4; ++i) {
    const Linea& l = disposizione_.linee[i];
    p.setPen(i == 0 || i == 3 ? ombra : luce);
    p.drawLine(QPointF(l.x1 / tx, l.y1 / ty), QPointF(l.x2 / tx, l.y2 / ty));
  }
}

// ---- Pages -----------------------------------------------------------------------------------

bool Qod_IMV::Immagine_Carica(const std::string& NomeFile) {
  memo_change_ = false;
  pagine_stato_.File_Documento = NomeFile;
  return Immagine_Pagina(0);
}

bool Qod_IMV::Immagine_Carica_Pagina(const std::string& NomeFile, long pagina) {
  memo_change_ = false;
  pagine_stato_.File_Documento = NomeFile;
  return Immagine_Pagina_(pagina);
}

bool Qod_IMV::Immagine_Set_Stampa(const std::string& NomeFile) {
  if (!azioni_.Set_Stampa) return false;
  azioni_.Set_Stampa(*this, NomeFile);
  return true;
}

bool Qod_IMV::Immagine_Stampa(const std::string& NomeFile) {
  if (!azioni_.Stampa) return false;
  azioni_.Stampa(*this, NomeFile);
  return true;
}

void Qod_IMV::Nascondi_Per_Cambio() {
  zoom_->setEnabled(false);
  im1_->hide();
}

bool Qod_IMV::Stato_Vuoto() {
  for (int t : {T_Stampa, T_Set_Stampa, T_Salva, T_Ruota, T_Cancella, T_Posiz, T_Precedente, T_Successiva})
    Abilita(t, false);
  lbl_pag1_->setText("");
  zoom_->setEnabled(false);
  im1_->hide();
  return false;
}

bool Qod_IMV::Carica_Pagina_Attuale() {
  if (im1_->Immagini_Nel_File() > 1) return static_cast<bool>(im1_->Seleziona(pagine_stato_.Pagina_Attuale));
  if (pagine_stato_.Cifre_Numero >= 1)
    return static_cast<bool>(im1_->Carica(pagine_stato_.File_Pagina(pagine_stato_.Pagina_Attuale)));
  return true;
}

bool Qod_IMV::Immagine_Pagina(long pagina) {
  Pagine& s = pagine_stato_;
  Nascondi_Per_Cambio();
  if (pagina == 0) {
    s.Azzera();
    // An empty name is no document (it names no file to look for).
    if (s.File_Documento.empty() || !im1_->Carica(s.File_Documento)) {
      s.Azzera();
      return Stato_Vuoto();
    }
    if (!s.Scopri(im1_->Immagini_Nel_File())) return Stato_Vuoto();
    if (s.Pagine_Numero >= 1 && im1_->Immagini_Nel_File() > 1 && !im1_->Seleziona(1)) return Stato_Vuoto();
  } else if (pagina == -1) {
    if (s.Pagine_Numero > 0 && s.Pagina_Attuale > 1) {
      --s.Pagina_Attuale;
      if (!Carica_Pagina_Attuale()) return Stato_Vuoto();
    }
  } else if (pagina == 1) {
    if (s.Pagine_Numero >= 1 && s.Pagina_Attuale < s.Pagine_Numero) {
      ++s.Pagina_Attuale;
      if (!Carica_Pagina_Attuale()) return Stato_Vuoto();
    }
  }
  return Mostra();
}

bool Qod_IMV::Immagine_Pagina_(long pagina) {
  Pagine& s = pagine_stato_;
  Nascondi_Per_Cambio();
  s.Azzera();
  if (s.File_Documento.empty() || !im1_->Carica(s.File_Documento)) {
    s.Azzera();
    return Stato_Vuoto();
  }
  if (!s.Scopri(im1_->Immagini_Nel_File())) return Stato_Vuoto();
  if (pagina < 1 || pagina > s.Pagine_Numero) return Stato_Vuoto();
  s.Pagina_Attuale = pagina;
  if (!Carica_Pagina_Attuale()) return Stato_Vuoto();
  return Mostra();
}

bool Qod_IMV::Mostra() {
  const Pagine& s = pagine_stato_;
  if (s.Pagine_Numero < 1 || im1_->Vuota()) return Stato_Vuoto();
  // Square pixels: a page whose two resolutions differ is shown stretched.
  const int rx = im1_->Dpi_X(), ry = im1_->Dpi_Y();
  rapporto_ = 1;
  if (rx != ry && rx != 0 && ry != 0) {
    rapporto_ = static_cast<double>(rx) / ry;
    const int w = im1_->Larghezza_Immagine(), h = im1_->Altezza_Immagine();
    im1_->Imposta_Sorgente(0, 0, w - 1, h - 1);
    im1_->Imposta_Destinazione(0, 0, w, h * rapporto_);
    im1_->Applica_Rettangoli();
  }
  // Colour: two colours smoothed when shrunk; other palettes shown as 24 bits.
  const int64_t colori = im1_->Colori();
  if (colori == 2) {
    im1_->Imposta_Modo(3);
  } else if (colori != 16777216 && colori != 0) {
    if (!im1_->Converti_Bit(24)) return Stato_Vuoto();
    im1_->Imposta_Modo(2);
  }
  for (int t : {T_Stampa, T_Set_Stampa, T_Salva, T_Ruota, T_Cancella, T_Posiz}) Abilita(t, true);
  Abilita(T_Precedente, s.Pagina_Attuale >= 2);
  Abilita(T_Successiva, s.Pagina_Attuale < s.Pagine_Numero);
  lbl_pag1_->setText(QString::fromStdString(s.Contatore()));
  // A longer count widens its box.
  Barra_Allinea();
  long x = 0, y = 0;
  return Zoom_Applica(x, y);
}

// ---- Zoom and scrolling ---------------------------------------------------------------------

bool Qod_IMV::Zoom_Applica(long& x, long& y) {
  const double tx = Twips_X(), ty = Twips_Y();
  const Rettangolo posto = Immagine_Posto(disposizione_, tx, ty);
  im1_->setGeometry(In_Pixel(posto));
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  im1_->Imposta_Origine(x, y);
  const int iw = im1_->Larghezza_Immagine(), ih = im1_->Altezza_Immagine();
  const std::string testo = qodimv_zoom();
  const auto z = Zoom_Regola(testo, im1_->width() * tx, im1_->height() * ty, tx, ty, iw, ih);
  if (!z) return false;
  im1_->Imposta_Adatta(z->adatta);
  if (!z->adatta) im1_->Imposta_Zoom(z->zoom);
  if (z->testo) zoom_->setEditText(Testo_Qt(*z->testo));
  if (x != 0 || y != 0) {
    const Origine o = Origine_Dopo_Zoom({x, y}, iw, ih, im1_->Larghezza_Visibile(), im1_->Altezza_Visibile());
    x = o.x;
    y = o.y;
    im1_->Imposta_Origine(x, y);
  }
  zoom_->setEnabled(true);
  zoom_->lineEdit()->deselect();
  im1_->show();
  im1_->viewport()->update();
  if (im1_->isVisible()) im1_->setFocus();
  QCoreApplication::processEvents();
  return true;
}

void Qod_IMV::Immagine_Scorri(long x, long y) {
  const Origine o = Origine_Scorri({x, y}, im1_->Larghezza_Immagine(), im1_->Altezza_Immagine(),
                                   im1_->Larghezza_Visibile(), im1_->Altezza_Visibile());
  im1_->Imposta_Origine(o.x, o.y);
}

void Qod_IMV::Zoom_Conferma() {
  Cambiata("qodimv_zoom");
  long x = 0, y = 0;
  Zoom_Applica(x, y);
}

// ---- Pointer ------------------------------------------------------------------------------------

bool Qod_IMV::Dentro_Finestra() const {
  const QRect r(im1_->mapToGlobal(QPoint(0, 0)), im1_->size());
  const QPoint p = posizione_();
  // Edges included: the rectangle's right and bottom edges too.
  return p.x() >= r.left() && p.x() <= r.left() + r.width() && p.y() >= r.top() && p.y() <= r.top() + r.height();
}

Puntatore::Contesto Qod_IMV::Contesto_Puntatore() const {
  Puntatore::Contesto c;
  c.posizione = posizione_modo_;
  c.dentro = Dentro_Finestra();
  c.img_w = im1_->Larghezza_Immagine();
  c.img_h = im1_->Altezza_Immagine();
  c.origine_x = im1_->Origine_X();
  c.origine_y = im1_->Origine_Y();
  return c;
}

void Qod_IMV::Puntatore_Evento(const Azione_Puntatore& a) {
  if (a.riga1) cursori_[3] = Cursore_Crea(3, 5, 23, *a.riga1, a.riga2.value_or(""));
  if (a.scorri) Immagine_Scorri(a.scorri->x, a.scorri->y);
  if (a.cursore) Cursore_Imposta();
}

void Qod_IMV::Cursore_Imposta() { im1_->viewport()->setCursor(cursori_[puntatore_.Stato()]); }

void Qod_IMV::Puntatore_Aggiorna() {
  const QPoint sinistra_alto = im1_->mapToGlobal(QPoint(0, 0));
  const QPoint p = posizione_();
  const Punto q = Pagina_Sotto_Puntatore(p.x(), p.y(), sinistra_alto.x(), sinistra_alto.y(), im1_->width(),
                                         im1_->height(), im1_->Larghezza_Visibile(), im1_->Altezza_Visibile(),
                                         im1_->Origine_X(), im1_->Origine_Y());
  Puntatore_Evento(puntatore_.Mosso(q.x, q.y, Contesto_Puntatore()));
}

void Qod_IMV::mouseMoveEvent(QMouseEvent*) {
  // Over the control outside the image.
  const Azione_Puntatore a = puntatore_.Fuori();
  if (a.cursore) Cursore_Imposta();
}

// ---- Turning and deleting as the window shows them -----------------------------------------------

void Qod_IMV::Immagine_Ruota() {
  if (!Immagine_Gira()) return;
  long x = 0, y = 0;
  Zoom_Applica(x, y);
}

void Qod_IMV::Pagina_Cancella() {
  switch (Pagina_Cancella_File()) {
    case Cancellazione::Nessuna: return;
    // A gap is left: show the document as it now is on disk.
    case Cancellazione::Con_Buco: Immagine_Pagina(0); return;
    case Cancellazione::Fatta: break;
  }
  Pagine& s = pagine_stato_;
  if (s.Pagina_Attuale > 1) {
    Immagine_Pagina(-1);
    return;
  }
  // The first page was deleted: the page that took its number is shown.
  Nascondi_Per_Cambio();
  if (s.Pagine_Numero < 1 || !Carica_Pagina_Attuale()) {
    s.Azzera();
    Stato_Vuoto();
    return;
  }
  Mostra();
}

// ---- Toolbar, wheel and keys ---------------------------------------------------------------------

void Qod_IMV::Toolbar_ButtonClick(int tasto) {
  switch (tasto) {
    case T_Uscita: window()->close(); break;
    case T_Stampa:
      if (azioni_.Stampa) azioni_.Stampa(*this, pagine_stato_.File_Documento);
      break;
    case T_Set_Stampa:
      if (azioni_.Set_Stampa) azioni_.Set_Stampa(*this, pagine_stato_.File_Documento);
      break;
    case T_Salva: Immagine_Salva_Come(); break;
    case T_Ruota: Immagine_Ruota(); break;
    case T_Cancella: Pagina_Cancella(); break;
    case T_Posiz: posizione_modo_ = pulsanti_[T_Posiz]->isChecked(); break;
    case T_Precedente: Immagine_Pagina(-1); break;
    case T_Successiva: Immagine_Pagina(1); break;
    case T_InvioFax: Documento_Invia('F'); break;
    case T_InvioMail: Documento_Invia('E'); break;
    default: break;
  }
}

void Qod_IMV::Rotella_Gestisci(int tasti, int delta) {
  const auto o = Rotella_Origine(tasti, delta, im1_->Zoom(),
                                 {std::lround(im1_->Origine_X()), std::lround(im1_->Origine_Y())});
  if (o) Immagine_Scorri(o->x, o->y);
  if (!im1_->Vuota()) Puntatore_Aggiorna();
}

void Qod_IMV::Tasto_Agisci(Tasto_Visore t) {
  const long ox = std::lround(im1_->Origine_X()), oy = std::lround(im1_->Origine_Y());
  auto intero = [](double v) { return static_cast<long>(Arrotonda_Pari(v)); };
  switch (t) {
    case Tasto_Visore::Pagina_Su:
      if (Tasto_Abilitato(T_Precedente)) Immagine_Pagina(-1);
      break;
    case Tasto_Visore::Pagina_Giu:
      if (Tasto_Abilitato(T_Successiva)) Immagine_Pagina(1);
      break;
    case Tasto_Visore::Sinistra:
    case Tasto_Visore::Su:
    case Tasto_Visore::Destra:
    case Tasto_Visore::Giu: {
      const auto passo = Passo_Frecce(im1_->Zoom());
      if (!passo) break;
      if (t == Tasto_Visore::Sinistra) Immagine_Scorri(intero(ox - *passo), oy);
      if (t == Tasto_Visore::Su) Immagine_Scorri(ox, intero(oy - *passo));
      if (t == Tasto_Visore::Destra) Immagine_Scorri(intero(ox + *passo), oy);
      if (t == Tasto_Visore::Giu) Immagine_Scorri(ox, intero(oy + *passo));
      Puntatore_Aggiorna();
      break;
    }
    case Tasto_Visore::P:
      if (Tasto_Abilitato(T_Posiz)) {
        pulsanti_[T_Posiz]->setChecked(!pulsanti_[T_Posiz]->isChecked());
        posizione_modo_ = pulsanti_[T_Posiz]->isChecked();
        Puntatore_Aggiorna();
      }
      break;
    case Tasto_Visore::R:
      if (Tasto_Abilitato(T_Ruota) && im1_->Ruota(27000, img::Nero)) {
        long x = 0, y = 0;
        Zoom_Applica(x, y);
      }
      break;
    case Tasto_Visore::Piu:
    case Tasto_Visore::Meno: {
      const auto p = Zoom_Passo(t == Tasto_Visore::Piu, im1_->Dimensione_Vista().width(), im1_->Larghezza_Visibile(),
                                im1_->Altezza_Visibile(), {ox, oy});
      if (!p) break;
      zoom_->setEditText(QString::fromStdString(p->testo));
      Cambiata("qodimv_zoom");
      long x = p->origine.x, y = p->origine.y;
      Zoom_Applica(x, y);
      Puntatore_Aggiorna();
      break;
    }
    case Tasto_Visore::Nessuno: break;
  }
}

}  // namespace qod::imv
