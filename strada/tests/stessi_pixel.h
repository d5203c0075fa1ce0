// The check the road tests share: two page images of the same size
// whose pixels differ nowhere, and which hold text (a blank page equal to a
// blank page proves nothing).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "qod/imaging/file.h"

namespace qod::test {

inline ::testing::AssertionResult Stessi_Pixel(const std::string& a, const std::string& b) {
  img::Immagine x, y;
  if (!img::Carica(a, x)) return ::testing::AssertionFailure() << "cannot read " << a;
  if (!img::Carica(b, y)) return ::testing::AssertionFailure() << "cannot read " << b;
  if (x.Larghezza() != y.Larghezza() || x.Altezza() != y.Altezza())
    return ::testing::AssertionFailure() << "sizes differ";
  int diversi = 0, scuri = 0;
  for (int j = 0; j < x.Altezza(); ++j)
    for (int i = 0; i < x.Larghezza(); ++i) {
      diversi += x.Pixel(i, j).Luminanza() != y.Pixel(i, j).Luminanza();
      scuri += x.Pixel(i, j).Luminanza() < 128;
    }
  if (diversi) return ::testing::AssertionFailure() << diversi << " pixels differ";
  if (scuri < 1000) return ::testing::AssertionFailure() << "a page without text (" << scuri << " dark pixels)";
  return ::testing::AssertionSuccess();
}

}  // namespace qod::test
