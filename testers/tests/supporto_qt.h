// What the window tests of the two test programs share: one offscreen
// application, screenshots under "schermate/" in the build folder, and the
// sample files the image generator's form expects in "TEST".
#pragma once

#include <QWidget>

#include <filesystem>
#include <string>

namespace qod::testers::prova_qt {

// The application, made once (offscreen when no platform is named).
void Applicazione();

// The window drawn into schermate/<nome>.png; the path written.
std::string Schermata(QWidget* w, const std::string& nome);

// The sample files under <dir>/TEST: a 16 x 24 font strip, a page text, a
// tag command file, a 1728 x 2144 logo (TIFF) and a 1024 x 768 one (JPEG).
void Cartella_Test(const std::filesystem::path& dir);

}  // namespace qod::testers::prova_qt
