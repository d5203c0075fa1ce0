// The pointer and the keyboard of the viewer, free of any window: the
// pointer state machine (normal, hand, grab, position) with drag panning,
// and the table of the keys the viewer takes while it has the focus.
#pragma once

#include <optional>
#include <string>

#include "qod/viewer/geometria.h"

namespace qod::imv {

enum Stato_Puntatore { P_Normale = 0, P_Mano = 1, P_Presa = 2, P_Posizione = 3 };

// What a pointer event asks of the control.
struct Azione_Puntatore {
  std::optional<Origine> scorri;     // scroll to this origin (drag panning)
  std::optional<std::string> riga1, riga2;  // remake the position cursor with these texts
  bool cursore = false;              // set the cursor of the state as class and current cursor
};

class Puntatore {
 public:
  // The facts a move is judged by.
  struct Contesto {
    bool posizione = false;      // position mode ("Posiz" down)
    bool dentro = false;         // the screen pointer inside the image window (edges included)
    int img_w = 0, img_h = 0;
    double origine_x = 0, origine_y = 0;
  };

  int Stato() const { return stato_; }
  int Pulsante() const { return pulsante_; }

  // Pressed over the image: keeps the button and the point, then moves.
  Azione_Puntatore Premuto(int pulsante, float x, float y, const Contesto& c);
  // Moved over the image (the button held is the one of the last press).
  Azione_Puntatore Mosso(float x, float y, const Contesto& c);
  // Released over the image: button 0; from states 0 and 2 back to the hand.
  Azione_Puntatore Rilasciato();
  // Moved over the control outside the image.
  Azione_Puntatore Fuori();

 private:
  // No button held any more; when `cambia`, the state becomes `nuovo` and the
  // pointer is drawn again.
  Azione_Puntatore Lascia(bool cambia, int nuovo);

  int stato_ = P_Normale;
  int pulsante_ = 0;
  float premuto_x_ = 0, premuto_y_ = 0;
};

// The keys the viewer takes while it has the focus. Their press and release
// never reach the host; only the press acts.
enum class Tasto_Visore { Nessuno, Pagina_Su, Pagina_Giu, Sinistra, Su, Destra, Giu, P, R, Piu, Meno };

// Counts the key actions under way: a key that arrives while another's
// action runs (the action let pending events run) is swallowed unacted.
class Annidamento {
 public:
  // True when the caller may act; then Fine() must follow.
  bool Inizio() { return ++livello_ == 1; }
  void Fine() { --livello_; }
  int Livello() const { return livello_; }

 private:
  int livello_ = 0;
};

}  // namespace qod::imv
