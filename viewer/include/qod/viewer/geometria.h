// The arithmetic of the viewer control, free of any window: the placement of
// the page counter and the zoom list behind the last visible toolbar key, the
// frame and image area of a resize, the zoom rules of the zoom box, the
// clamping of the scroll origin, and the steps of the wheel, the arrow keys
// and the zoom keys. Lengths are twips (1440 per inch) unless named pixels;
// tx and ty are the screen's twips per pixel across and down.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace qod::imv {

// ---- Toolbar ------------------------------------------------------------

inline constexpr int kTasti = 15;

// The fifteen toolbar keys, left to right.
enum Tasto {
  T_Uscita, T_Div1, T_Stampa, T_Set_Stampa, T_Salva, T_Ruota, T_Cancella, T_Posiz,
  T_Div2, T_InvioFax, T_InvioMail, T_Div4, T_Precedente, T_Successiva, T_Div3
};

// The key names ("Uscita" ... "Div3") and tooltips (with their blanks; ""
// for the placeholders), in toolbar order.
const std::array<const char*, kTasti>& Tasti_Chiave();
const std::array<const char*, kTasti>& Tasti_Suggerimento();
bool Tasto_Separatore(int tasto);
// The key of a name, or -1.
int Tasto_Da_Chiave(std::string_view chiave);

// Width of a button key and of a placeholder, in twips.
inline constexpr double kLarghezza_Pulsante = 345;  // 23 pixels at 96 dpi
inline constexpr double kLarghezza_Separatore = 200;
inline constexpr double kAltezza_Toolbar = 330;
inline constexpr double kLarghezza_Pagina = 735;    // the page box lblPag0
inline constexpr double kAltezza_Pagina = 315;
inline constexpr double kLarghezza_Contatore = 615; // the page counter lblPag1
inline constexpr double kAltezza_Contatore = 195;
inline constexpr double kLarghezza_Zoom = 1155;

struct Tasto_Posto {
  double sinistra = 0;  // relative to the toolbar
  double larghezza = 0;
};

// Where the keys sit in the toolbar: visible keys one after another from
// the toolbar's left edge; a hidden key takes no room (it keeps the left
// where it would start and its width).
std::array<Tasto_Posto, kTasti> Tasti_Disponi(const std::array<bool, kTasti>& visibili);

struct Barra_Posti {
  double larghezza_toolbar = 0;  // never below 0
  double sinistra_pagina = 0;    // lblPag0
  double sinistra_contatore = 0; // lblPag1
  double sinistra_zoom = 0;      // Zoom
};

// The toolbar-end placement: the page box 2 pixels after the last visible
// key, the counter 4 pixels into the page box, the zoom list 2 pixels after
// the page box (`larghezza_pagina` wide) when the page counter is shown,
// else where the page box is.
Barra_Posti Barra_Allinea(double sinistra_toolbar, const std::array<Tasto_Posto, kTasti>& tasti,
                          const std::array<bool, kTasti>& visibili, bool pagine, double tx,
                          double larghezza_pagina = kLarghezza_Pagina);

// ---- Resize layout ------------------------------------------------------

struct Linea {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool operator==(const Linea&) const = default;
};

struct Rettangolo {
  double sinistra = 0, alto = 0, larghezza = 0, altezza = 0;
  bool operator==(const Rettangolo&) const = default;
};

struct Disposizione {
  std::array<Linea, 4> linee;         // pnl_img 0 top, 1 right, 2 bottom, 3 left
  std::optional<Rettangolo> fondo;    // the image area; none when too small
};

// The frame of the image area under the toolbar of a control of w x h.
Disposizione Disposizione_Calcola(double w, double h, double alto_toolbar, double altezza_toolbar,
                                  double tx, double ty);

// The image control inside the frame: 3 pixels in from the frame's top-left
// corner, 2 pixels short of its far sides.
Rettangolo Immagine_Posto(const Disposizione& d, double tx, double ty);

// ---- Zoom ---------------------------------------------------------------

inline constexpr int kZoom_Massimo = 1600;
inline constexpr int kZoom_Minimo_Passo = 5;

// The zoom list's entries.
const std::array<const char*, 14>& Zoom_Voci();

struct Zoom_Scelta {
  bool adatta = false;          // fit the whole page into the view
  int zoom = 100;               // percent, when not fitting
  std::optional<std::string> testo;  // the zoom box's new text, when it changes
};

// The zoom mode of the zoom box's text for an image control of
// larghezza x altezza twips showing an image of img_w x img_h pixels.
// "Adatta", "Larghezza" and "Altezza" need the image's size: none when it is
// 0 (nothing to compute).
std::optional<Zoom_Scelta> Zoom_Regola(std::string_view testo, double larghezza, double altezza, double tx,
                                       double ty, int img_w, int img_h);

struct Origine {
  long x = 0, y = 0;
  bool operator==(const Origine&) const = default;
};

// The origin after a zoom, against the view now in force (used only when
// x or y is not 0): not past the page's far edges, 0 when the view is
// larger than the page.
Origine Origine_Dopo_Zoom(Origine o, int img_w, int img_h, double vis_w, double vis_h);

// The origin of a scroll: the same, and never below 0.
Origine Origine_Scorri(Origine o, int img_w, int img_h, double vis_w, double vis_h);

// ---- Wheel, arrow keys and zoom steps -----------------------------------

// The wheel's key word: 1 left, 2 right button, 4 Shift, 8 Ctrl, 16 middle
// button, 32 and 64 the side buttons.
enum : int { MK_LBUTTON = 1, MK_RBUTTON = 2, MK_SHIFT = 4, MK_CONTROL = 8, MK_MBUTTON = 16,
             MK_XBUTTON1 = 32, MK_XBUTTON2 = 64 };

// The scroll of a wheel turn of `delta` (120 a notch, towards the user
// negative) at `zoom` percent: the new origin, or none when it does not
// scroll (the left button alone, or a zoom of 0 with nothing shown).
std::optional<Origine> Rotella_Origine(int tasti, int delta, double zoom, Origine o);

// The arrow keys' step, 3000 / zoom image pixels; none for a zoom of 0.
std::optional<double> Passo_Frecce(double zoom);

struct Passo_Zoom {
  int zoom = 0;         // the new zoom, percent
  std::string testo;    // Format(zoom, "#0\%")
  Origine origine;      // keeping the view's centre
};

// The zoom keys: the current zoom from the image control's width in pixels
// and the visible width, stepped by 1.1 (piu) or 0.9; none past 1600 or
// below 5, or with a visible width of 0.
std::optional<Passo_Zoom> Zoom_Passo(bool piu, double larghezza_px, double vis_w, double vis_h, Origine o);

// The page position under the screen pointer: the pointer's offset in the
// image window's rectangle, scaled by the visible extent over the window's
// size, plus the scroll origin. Outside the window gives positions outside
// the page, passed on as they are.
struct Punto {
  float x = 0, y = 0;
};
Punto Pagina_Sotto_Puntatore(int px, int py, int rett_sinistra, int rett_alto, double larghezza_px,
                             double altezza_px, double vis_w, double vis_h, double origine_x,
                             double origine_y);

}  // namespace qod::imv
