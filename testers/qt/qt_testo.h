// Text where the test programs meet Qt (ANSI for Qt is Testo_Qt of the
// platform's Qt layer): QString to ANSI, the
// locale's separators, and the lossless mapping of a row of raw bytes for the
// text window (control bytes other than TAB show as their control pictures,
// U+2400 + code, and come back as the same bytes).
#pragma once

#include <QFont>
#include <QLocale>
#include <QString>

#include <string>

#include "qod/testers/numeri.h"
#include "qod/ui/qt.h"

namespace qod::testers {

// The decimal and group separators of `l` (the user's locale by default).
Separatori Separatori_Locale(const QLocale& l = QLocale());

// One row (no line ends in it) for the editor and back.
QString Riga_Qt(const std::string& riga);
std::string Riga_Ansi(const QString& riga);

// The forms' small font: the share of `base` that 6.75 points are of 8.25,
// so that it grows with the user's font.
QFont Font_Piccolo(const QFont& base);
// The installed font that has the control pictures (U+2400 to U+2421).
inline constexpr const char* kFont_Simboli = "Unifont";
// The text windows' font: the system's fixed font at the size of `base`,
// then the font with the control pictures for the characters it lacks.
QFont Font_Testo(const QFont& base);

}  // namespace qod::testers
