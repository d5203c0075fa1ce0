#include <gtest/gtest.h>

#include "qod/clock.h"
#include "qod/prova/finti.h"

using namespace qod;

TEST(Clock, SerialDates) {
  EXPECT_DOUBLE_EQ(DateTime::Da(1899, 12, 30).Seriale(), 0);
  EXPECT_DOUBLE_EQ(DateTime::Da(1900, 1, 1).Seriale(), 2);
  EXPECT_DOUBLE_EQ(DateTime::Da(2026, 12, 10).Seriale(), 46366);
  EXPECT_DOUBLE_EQ(DateTime::Da(2026, 12, 10, 12, 0, 0).Seriale(), 46366.5);
  auto d = DateTime::Da(2024, 2, 28, 23, 59, 59);
  EXPECT_EQ(d.Piu_Giorni(1), DateTime::Da(2024, 2, 29, 23, 59, 59));
  EXPECT_EQ(DateTime::Da_Seriale(d.Seriale()), d);
  EXPECT_EQ(DateTime::Da(2026, 12, 31, 8, 0, 0).Piu_Giorni(1).Solo_Data(), DateTime::Da(2027, 1, 1));
}

TEST(Clock, DatePatterns) {
  auto d = DateTime::Da(2026, 3, 7, 9, 5, 4);
  EXPECT_EQ(Format(d, "yyyymmdd"), "20260307");
  EXPECT_EQ(Format(d, "yymmdd"), "260307");
  EXPECT_EQ(Format(d, "hhnnss"), "090504");
  EXPECT_EQ(Format(d, "dd/mm/yyyy hh:nn:ss"), "07/03/2026 09:05:04");
  EXPECT_EQ(Format(d, "dd/mm/yy  hh:nn"), "07/03/26  09:05");
}

TEST(Clock, FakeClockSleepsAdvanceTime) {
  FakeClock c(DateTime::Da(2026, 1, 1, 23, 59, 59));
  c.Attendi(1500);
  EXPECT_EQ(Format(c.Adesso(), "dd/mm/yyyy hh:nn:ss"), "02/01/2026 00:00:00");
  EXPECT_EQ(c.Millisecondi(), 1500);
}
