// A stand-in for the image generator with its members, for the stages and
// the viewer that drive it through `Generatore_Qod_IMG`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qod/imagegen/qod_img.h"

namespace qod::test {

// Records every call.
struct Qod_IMG_Finto : Membri_Qod_IMG {
  // Every call, with the members it was made with; an output file named
  // in `fallisce` fails with `messaggio`.
  struct Chiamata {
    std::string Out_File, Txt_File, Cmd_File, Im2_File;
    int32_t Cmd_CPY;
    bool inizializza;
  };
  std::vector<Chiamata> chiamate;
  std::string fallisce, messaggio = "Out_File manca";
  // When set, each call writes a blank page of the asked size at the output
  // name (as a PBM image, whatever the extension says).
  bool scrivi = false;
  void qodimg_Elabora(bool& inizializza);
};

}  // namespace qod::test
