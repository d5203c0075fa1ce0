// Rows of raw bytes through the editor's text and back, and the locale's
// separators.
#include <gtest/gtest.h>

#include "qt_testo.h"

namespace qod::testers {
namespace {

TEST(RigaQt, EveryByteButTheLineEndsComesBack) {
  std::string tutti;
  for (int c = 0; c < 256; ++c)
    if (c != '\r' && c != '\n') tutti += static_cast<char>(c);
  const QString q = Riga_Qt(tutti);
  EXPECT_EQ(q.size(), static_cast<qsizetype>(tutti.size()));
  EXPECT_EQ(Riga_Ansi(q), tutti);
  EXPECT_EQ(Riga_Qt(std::string(1, '\0')), QString(QChar(0x2400)));
  EXPECT_EQ(Riga_Qt("\xE8\x80\xA0"), QString::fromUtf8("è€\u00A0"));
  EXPECT_EQ(Riga_Ansi(QString::fromUtf8("a\u4E2D")), "a?");
}

TEST(RigaQt, SeparatorsOfTheLocale) {
  const Separatori it = Separatori_Locale(QLocale(QLocale::Italian, QLocale::Italy));
  EXPECT_EQ(it.decimale, ',');
  EXPECT_EQ(it.migliaia, '.');
  const Separatori en = Separatori_Locale(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(en.decimale, '.');
  EXPECT_EQ(en.migliaia, ',');
  const Separatori c = Separatori_Locale(QLocale::c());
  EXPECT_EQ(c.decimale, '.');
}

}  // namespace
}  // namespace qod::testers
