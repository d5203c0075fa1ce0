#include "qod/viewer/geometria.h"

#include <cmath>

#include "qod/basic.h"

namespace qod::imv {

const std::array<const char*, kTasti>& Tasti_Chiave() {
  static const std::array<const char*, kTasti> k = {
      "Uscita", "Div1", "Stampa", "Set_Stampa", "Salva", "Ruota", "Cancella", "Posiz",
      "Div2", "InvioFax", "InvioMail", "Div4", "Precedente", "Successiva", "Div3"};
  return k;
}

const std::array<const char*, kTasti>& Tasti_Suggerimento() {
  static const std::array<const char*, kTasti> k = {
      " Uscita ", "", " Stampa ", " Imposta stampante ", " Salva con nome l'immagine scelta ",
      " Ruota l'immagine scelta ", " Cancella ", " Posizione ", "", " Invio Fax ", " Invio E-Mail ", "",
      " Pagina precedente ", " Pagina successiva ", ""};
  return k;
}

bool Tasto_Separatore(int tasto) {
  return tasto == T_Div1 || tasto == T_Div2 || tasto == T_Div3 || tasto == T_Div4;
}

int Tasto_Da_Chiave(std::string_view chiave) {
  for (int i = 0; i < kTasti; ++i)
    if (chiave == Tasti_Chiave()[i]) return i;
  return -1;
}

std::array<Tasto_Posto, kTasti> Tasti_Disponi(const std::array<bool, kTasti>& visibili) {
  std::array<Tasto_Posto, kTasti> r{};
  double x = 0;
  for (int i = 0; i < kTasti; ++i) {
    r[i].sinistra = x;
    r[i].larghezza = Tasto_Separatore(i) ? kLarghezza_Separatore : kLarghezza_Pulsante;
    if (visibili[i]) x += r[i].larghezza;
  }
  return r;
}

Barra_Posti Barra_Allinea(double sinistra_toolbar, const std::array<Tasto_Posto, kTasti>& tasti,
                          const std::array<bool, kTasti>& visibili, bool pagine, double tx,
                          double larghezza_pagina) {
  Barra_Posti b;
  double x = Arrotonda_Pari(sinistra_toolbar);
  int i = kTasti - 1;
  while (i > 0 && !visibili[i]) --i;
  if (visibili[i]) x = Arrotonda_Pari(sinistra_toolbar + tasti[i].sinistra + tasti[i].larghezza + 2 * tx);
  // With no key visible the width would go below 0: the toolbar is then empty.
  b.larghezza_toolbar = std::max(0.0, x - 2 * tx);
  b.sinistra_pagina = x;
  b.sinistra_contatore = x + 4 * tx;
  if (pagine) x = Arrotonda_Pari(b.sinistra_pagina + larghezza_pagina + 2 * tx);
  b.sinistra_zoom = x;
  return b;
}

Disposizione Disposizione_Calcola(double w, double h, double alto_toolbar, double altezza_toolbar, double tx,
                                  double ty) {
  Disposizione d;
  const double y = alto_toolbar + altezza_toolbar + 2 * ty;
  d.linee[0] = {0, y, w - tx, y};
  d.linee[1] = {w - tx, y, w - tx, h - ty};
  d.linee[2] = {0, h - ty, w, h - ty};
  d.linee[3] = {0, y, 0, h - ty};
  const float aw = static_cast<float>((w - tx) - 0 - 5 * tx);
  const float ah = static_cast<float>((h - ty) - y - 5 * ty);
  if (aw > 0 && ah > 0) d.fondo = Rettangolo{0 + 3 * tx, y + 3 * ty, aw, ah};
  return d;
}

Rettangolo Immagine_Posto(const Disposizione& d, double tx, double ty) {
  // The frame's corners: the top line's start and the right line's end.
  const double x1 = d.linee[0].x1, y1 = d.linee[0].y1, x2 = d.linee[1].x2, y2 = d.linee[1].y2;
  return Rettangolo{x1 + 3 * tx, y1 + 3 * ty, x2 - x1 - 5 * tx, y2 - y1 - 5 * ty};
}

const std::array<const char*, 14>& Zoom_Voci() {
  static const std::array<const char*, 14> v = {"Adatta", "Larghezza", "Altezza", "10%",  "20%",
                                                "25%",    "30%",       "50%",     "75%",  "100%",
                                                "150%",   "200%",      "300%",    "400%"};
  return v;
}

namespace {

int Limita_Zoom(double z) {
  if (z < 1) return 1;
  if (z > kZoom_Massimo) return kZoom_Massimo;
  return static_cast<int>(z);
}

}  // namespace

std::optional<Zoom_Scelta> Zoom_Regola(std::string_view testo, double larghezza, double altezza, double tx,
                                       double ty, int img_w, int img_h) {
  Zoom_Scelta s;
  if (testo == "Adatta") {
    if (img_w <= 0 || img_h <= 0 || tx <= 0 || ty <= 0) return std::nullopt;
    const double zx = Arrotonda_Pari(larghezza * 100 / (tx * img_w));
    const double zy = Arrotonda_Pari(altezza * 100 / (ty * img_h));
    if (zx >= kZoom_Massimo && zy >= kZoom_Massimo) {
      s.adatta = false;
      s.zoom = kZoom_Massimo;
    } else {
      s.adatta = true;
    }
    return s;
  }
  if (testo == "Altezza" || testo == "Larghezza") {
    const bool alt = testo == "Altezza";
    const int lato = alt ? img_h : img_w;
    const double t = alt ? ty : tx;
    if (lato <= 0 || t <= 0) return std::nullopt;
    s.zoom = Limita_Zoom(std::trunc((alt ? altezza : larghezza) * 100 / (t * lato)));
    return s;
  }
  std::string cifre;
  for (char c : testo)
    if (c >= '0' && c <= '9') cifre += c;
  double z = 1;
  if (cifre.size() >= 6)
    z = kZoom_Massimo;
  else if (!cifre.empty())
    z = std::stod(cifre);
  s.zoom = Limita_Zoom(z);
  s.testo = std::to_string(s.zoom) + "%";
  return s;
}

namespace {

long Intero(double v) { return static_cast<long>(Arrotonda_Pari(v)); }

}  // namespace

Origine Origine_Dopo_Zoom(Origine o, int img_w, int img_h, double vis_w, double vis_h) {
  if (o.x > img_w - vis_w) o.x = Intero(img_w - vis_w);
  if (o.y > img_h - vis_h) o.y = Intero(img_h - vis_h);
  if (vis_w > img_w) o.x = 0;
  if (vis_h > img_h) o.y = 0;
  return o;
}

Origine Origine_Scorri(Origine o, int img_w, int img_h, double vis_w, double vis_h) {
  if (o.x < 0) o.x = 0;
  if (o.x > img_w - vis_w) o.x = Intero(img_w - vis_w);
  if (o.y < 0) o.y = 0;
  if (o.y > img_h - vis_h) o.y = Intero(img_h - vis_h);
  if (vis_w > img_w) o.x = 0;
  if (vis_h > img_h) o.y = 0;
  return o;
}

std::optional<Origine> Rotella_Origine(int tasti, int delta, double zoom, Origine o) {
  if (!(zoom > 0)) return std::nullopt;
  if (tasti == MK_LBUTTON) return std::nullopt;
  const long passo = Intero(delta * 25.0 / zoom);
  if (tasti == 0) return Origine{o.x, o.y - passo};
  return Origine{o.x - passo, o.y};
}

std::optional<double> Passo_Frecce(double zoom) {
  if (!(zoom > 0)) return std::nullopt;
  return 3000.0 / zoom;
}

std::optional<Passo_Zoom> Zoom_Passo(bool piu, double larghezza_px, double vis_w, double vis_h, Origine o) {
  if (!(vis_w > 0)) return std::nullopt;
  const double attuale = larghezza_px * 100 / vis_w;
  const int nuovo = static_cast<int>(Arrotonda_Pari(attuale * (piu ? 1.1 : 0.9)));
  if (piu && nuovo > kZoom_Massimo) return std::nullopt;
  if (!piu && nuovo < kZoom_Minimo_Passo) return std::nullopt;
  Passo_Zoom p;
  p.zoom = nuovo;
  p.testo = std::to_string(nuovo) + "%";
  if (piu)
    p.origine = {Intero(o.x + vis_w / 22), Intero(o.y + vis_h / 22)};
  else
    p.origine = {Intero(o.x - vis_w / 18), Intero(o.y - vis_h / 18)};
  return p;
}

Punto Pagina_Sotto_Puntatore(int px, int py, int rett_sinistra, int rett_alto, double larghezza_px,
                             double altezza_px, double vis_w, double vis_h, double origine_x,
                             double origine_y) {
  Punto p;
  if (larghezza_px > 0) p.x = static_cast<float>((px - rett_sinistra) * vis_w / larghezza_px + origine_x);
  if (altezza_px > 0) p.y = static_cast<float>((py - rett_alto) * vis_h / altezza_px + origine_y);
  return p;
}

}  // namespace qod::imv
