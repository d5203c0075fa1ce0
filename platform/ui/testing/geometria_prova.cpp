#include "qod/ui/geometria_prova.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace qod::prova {

namespace {

std::string Nome(const QWidget* w) {
  std::string d = w->metaObject()->className();
  if (!w->objectName().isEmpty()) d += " " + w->objectName().toStdString();
  QString t;
  if (auto* l = qobject_cast<const QLabel*>(w)) t = l->text();
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) t = b->text();
  if (auto* g = qobject_cast<const QGroupBox*>(w)) t = g->title();
  if (!t.isEmpty()) d += " \"" + t.toStdString() + "\"";
  return d;
}

std::string Rettangolo(const QRect& r) {
  return "(" + std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
         std::to_string(r.height()) + ")";
}

// A button's or a label's text as drawn: "&&" is one "&", a single "&"
// marks the mnemonic and takes no room.
QString Senza_Mnemonico(const QString& t) {
  QString r;
  for (qsizetype i = 0; i < t.size(); ++i) {
    if (t[i] == '&' && i + 1 < t.size()) ++i;
    r += t[i];
  }
  return r;
}

int Larghezza_Righe(const QFontMetrics& fm, const QString& t) {
  int w = 0;
  for (const QString& riga : t.split('\n')) w = std::max(w, fm.horizontalAdvance(riga));
  return w;
}

int Altezza_Righe(const QFontMetrics& fm, const QString& t) {
  const auto n = static_cast<int>(t.count('\n'));
  return fm.height() + n * fm.lineSpacing();
}

// Controls whose insides are Qt's own.
bool Composto(const QWidget* w) {
  if (qobject_cast<const QScrollArea*>(w)) return false;
  return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
         qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractScrollArea*>(w) ||
         qobject_cast<const QTabBar*>(w) || qobject_cast<const QAbstractButton*>(w) ||
         qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QProgressBar*>(w);
}

// A widget that can hold others drawn over it: a group box, a frame or a
// plain container, a label without text.
bool Cornice(const QWidget* w) {
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->text().isEmpty() && l->pixmap().isNull();
  if (Composto(w) || qobject_cast<const QToolBar*>(w)) return false;
  return true;
}

bool Interno_Qt(const QWidget* w) { return w->objectName().startsWith(QLatin1String("qt_")); }

class Controllo {
 public:
  std::vector<std::string> difetti;

  void Visita(QWidget* w) {
    Testi(w);
    if (Composto(w)) return;
    std::vector<QWidget*> figli;
    for (QWidget* c : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (!c->isWindow() && c->isVisible()) figli.push_back(c);
    for (size_t i = 0; i < figli.size(); ++i) {
      for (size_t j = i + 1; j < figli.size(); ++j) {
        QWidget *a = figli[i], *b = figli[j];
        if (Interno_Qt(a) || Interno_Qt(b)) continue;
        const QRect ra = a->geometry(), rb = b->geometry();
        if (!ra.intersects(rb)) continue;
        if ((Cornice(a) && ra.contains(rb)) || (Cornice(b) && rb.contains(ra))) continue;
        Difetto(Nome(a) + " " + Rettangolo(ra) + " overlaps " + Nome(b) + " " + Rettangolo(rb) + " in " + Nome(w));
      }
    }
    for (QWidget* c : figli) Visita(c);
  }

 private:
  void Difetto(const std::string& d) { difetti.push_back(d); }

  void Larghezza(const QWidget* w, const QString& cosa, int serve, int c_e) {
    if (serve > c_e)
      Difetto(Nome(w) + ": " + cosa.toStdString() + " needs " + std::to_string(serve) + " px, has " +
              std::to_string(c_e));
  }

  void Testi(QWidget* w) {
    const QFontMetrics fm(w->font());
    QStyle* s = w->style();
    if (auto* l = qobject_cast<QLabel*>(w)) {
      if (l->text().isEmpty() || !l->pixmap().isNull()) return;
      if (l->wordWrap()) {
        Larghezza(w, "the wrapped text's height", l->heightForWidth(l->width()), l->height());
        return;
      }
      QString t = l->text();
      int serve_x = 0, serve_y = 0;
      if (l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(t))) {
        QTextDocument d;
        d.setDefaultFont(l->font());
        d.setDocumentMargin(0);
        d.setHtml(t);
        serve_x = static_cast<int>(std::ceil(d.idealWidth()));
        serve_y = static_cast<int>(std::ceil(d.size().height()));
      } else {
        serve_x = Larghezza_Righe(fm, t);
        serve_y = Altezza_Righe(fm, t);
      }
      QRect r = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
      int rientro = l->indent();
      if (rientro < 0 && l->frameWidth() > 0) rientro = fm.horizontalAdvance(QLatin1Char('x')) / 2;
      if (rientro > 0) {
        if (l->alignment() & (Qt::AlignLeft | Qt::AlignRight)) r.setWidth(r.width() - rientro);
        if (l->alignment() & (Qt::AlignTop | Qt::AlignBottom)) r.setHeight(r.height() - rientro);
      }
      Larghezza(w, "its text", serve_x, r.width());
      Larghezza(w, "its text's height", serve_y, r.height());
      return;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      const QString t = Senza_Mnemonico(b->text());
      if (t.isEmpty()) return;
      int icona = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
      if (auto* tb = qobject_cast<QToolButton*>(w)) {
        if (tb->toolButtonStyle() == Qt::ToolButtonIconOnly && !tb->icon().isNull()) return;
        Larghezza(w, "its text", tb->sizeHint().width(), tb->width());
        return;
      }
      QStyleOptionButton o;
      o.initFrom(b);
      o.text = b->text();
      o.icon = b->icon();
      o.iconSize = b->iconSize();
      QStyle::SubElement parte = QStyle::SE_PushButtonContents;
      if (qobject_cast<QCheckBox*>(w)) parte = QStyle::SE_CheckBoxContents;
      if (qobject_cast<QRadioButton*>(w)) parte = QStyle::SE_RadioButtonContents;
      if (auto* p = qobject_cast<QPushButton*>(w); p && p->isFlat()) o.features |= QStyleOptionButton::Flat;
      const QRect r = s->subElementRect(parte, &o, b);
      Larghezza(w, "its text", Larghezza_Righe(fm, t) + icona, r.width());
      Larghezza(w, "its text's height", Altezza_Righe(fm, t), r.height());
      return;
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
      QStyleOptionComboBox o;
      o.initFrom(c);
      o.editable = c->isEditable();
      o.frame = c->hasFrame();
      o.currentText = c->currentText();
      o.iconSize = c->iconSize();
      o.subControls = QStyle::SC_All;
      const QRect r = s->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, c);
      for (int i = 0; i < c->count(); ++i) {
        const int icona = c->itemIcon(i).isNull() ? 0 : c->iconSize().width() + 4;
        Larghezza(w, "entry \"" + c->itemText(i) + "\"", fm.horizontalAdvance(c->itemText(i)) + icona, r.width());
      }
      Larghezza(w, "its text's height", c->minimumSizeHint().height(), c->height());
      return;
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      Larghezza(e, "its text's height", e->minimumSizeHint().height(), e->height());
      return;
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
      if (g->title().isEmpty()) return;
      QStyleOptionGroupBox o;
      o.initFrom(g);
      o.text = g->title();
      o.lineWidth = 1;
      o.textAlignment = g->alignment();
      o.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
      if (g->isCheckable()) o.subControls |= QStyle::SC_GroupBoxCheckBox;
      if (g->isFlat()) o.features |= QStyleOptionFrame::Flat;
      const QRect r = s->subControlRect(QStyle::CC_GroupBox, &o, QStyle::SC_GroupBoxLabel, g);
      if (!g->rect().contains(r)) Difetto(Nome(w) + ": its title " + Rettangolo(r) + " lies outside the frame");
      return;
    }
    if (auto* tb = qobject_cast<QTabBar*>(w)) {
      for (int i = 0; i < tb->count(); ++i) {
        const QRect r = tb->tabRect(i);
        if (!tb->rect().contains(r))
          Difetto(Nome(w) + ": tab \"" + tb->tabText(i).toStdString() + "\" " + Rettangolo(r) + " lies outside the bar");
        Larghezza(w, "tab \"" + tb->tabText(i) + "\"", fm.horizontalAdvance(Senza_Mnemonico(tb->tabText(i))),
                  r.width());
      }
    }
  }
};

}  // namespace

std::vector<std::string> Difetti_Geometria(QWidget& finestra) {
  Controllo c;
  c.Visita(&finestra);
  return c.difetti;
}

}  // namespace qod::prova
