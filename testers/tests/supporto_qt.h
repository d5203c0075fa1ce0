// What the window tests of the two test programs share besides
// qod/ui/prova_qt.h (the application and the screenshots): the sample files
// the image generator's form expects in "TEST".
#pragma once

#include <filesystem>

#include "qod/ui/prova_qt.h"

namespace qod::testers::prova_qt {

// The sample files under <dir>/TEST: a 16 x 24 font strip, a page text, a
// tag command file, a 1728 x 2144 logo (TIFF) and a 1024 x 768 one (JPEG).
void Cartella_Test(const std::filesystem::path& dir);

}  // namespace qod::testers::prova_qt
