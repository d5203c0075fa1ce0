// The arithmetic of the output image window: the zoom its list text asks
// for, the file-size text and where a drag leaves the image.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "qod/testers/numeri.h"

namespace qod::testers {

// The zoom list's entries, in order, and its start text.
inline constexpr const char* kVociZoom[] = {"Adatta", "Altezza", "Larghezza", "10", "20", "30", "40",
                                            "50",     "75",      "100",       "150", "200", "300"};
inline constexpr const char* kZoomIniziale = "100";

struct Zoom {
  bool adatta = false;  // fit the whole image into the control
  int32_t percento = 100;  // used when not fitting
};

// What the zoom text asks for, for an image of `img_w` x `img_h` pixels in a
// control of `ctl_w` x `ctl_h` screen pixels (16 pixels of each are kept for
// a scroll bar):
//  - "Adatta": fitting, unless the image fits 1600% in both directions, then
//    1600% without fitting;
//  - "Altezza" / "Larghezza": the percentage that fits the height / width;
//  - any other text: its digits and "," only; six or more of them give 1600,
//    none give 0, else the number before the first ",".
// Percentages are held to 10..1600.
Zoom Zoom_Calcola(std::string_view testo, int ctl_w, int ctl_h, int img_w, int img_h);

// The size of a file for display: "" for 0 or less, then "n byte" up to
// 1023, "n,nn KB" up to 1048575, "n,nn MB" beyond, in the locale's
// separators, after `prefisso`.
std::string Dimensione_File(int64_t dimensione, std::string_view prefisso, Separatori s);

// The scroll offset after dragging the pointer from `da` to `a` (image
// pixels, scroll origin included) from offset `attuale`: held to
// 0..(image - visible), and 0 when the image is smaller than what is visible.
float Trascina(float da, float a, float attuale, int immagine, int visibile);

}  // namespace qod::testers
