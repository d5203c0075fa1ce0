#include "qt_testo.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <algorithm>

#include "qod/ansi.h"

namespace qod::testers {

Separatori Separatori_Locale(const QLocale& l) {
  Separatori s;
  const QString d = l.decimalPoint(), g = l.groupSeparator();
  if (d.size() == 1 && d[0].unicode() < 0x80) s.decimale = static_cast<char>(d[0].unicode());
  // A locale that groups with a (non-breaking) blank still reads and writes
  // groups; in ANSI text they are a plain blank.
  if (g.size() == 1) s.migliaia = g[0].unicode() < 0x80 ? static_cast<char>(g[0].unicode()) : ' ';
  if (s.migliaia == s.decimale) s.migliaia = s.decimale == ',' ? '.' : ',';
  return s;
}

namespace {
// The control picture of DEL.
constexpr char16_t kSimbolo_Canc = 0x2421;
}  // namespace

QString Riga_Qt(const std::string& riga) {
  QString q;
  q.reserve(static_cast<qsizetype>(riga.size()));
  for (unsigned char c : riga) {
    if (c < 0x20 && c != '\t')
      q += QChar(static_cast<char16_t>(0x2400 + c));
    else if (c == 0x7F)
      q += QChar(kSimbolo_Canc);
    else
      q += QChar(static_cast<char16_t>(Ansi_A_Unicode(c)));
  }
  return q;
}

std::string Riga_Ansi(const QString& riga) {
  std::string s;
  s.reserve(static_cast<size_t>(riga.size()));
  for (QChar ch : riga) {
    const char16_t u = ch.unicode();
    if (u >= 0x2400 && u < 0x2420) {
      s += static_cast<char>(u - 0x2400);
    } else if (u == kSimbolo_Canc) {
      s += '\x7F';
    } else {
      const int a = Unicode_A_Ansi(u);
      s += a < 0 ? '?' : static_cast<char>(a);
    }
  }
  return s;
}

QFont Font_Piccolo(const QFont& base) {
  QFont f = base;
  if (base.pointSizeF() > 0)
    f.setPointSizeF(base.pointSizeF() * 6.75 / 8.25);
  else
    f.setPixelSize(std::max(1, base.pixelSize() * 675 / 825));
  return f;
}

QFont Font_Testo(const QFont& base) {
  QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (base.pointSizeF() > 0)
    f.setPointSizeF(base.pointSizeF());
  else
    f.setPixelSize(base.pixelSize());
  // A character the first family lacks is taken from the next one that has
  // it: the control pictures from the font installed for them.
  // The fixed font by the name it resolves to ("monospace" is only an alias).
  f.setFamilies({QFontInfo(f).family(), QString::fromLatin1(kFont_Simboli)});
  return f;
}

}  // namespace qod::testers
