// The output image window: one image file at a time (the generated page,
// the font strip or a logo) in the viewer's image view, with a zoom choice,
// a line of facts about the image and panning by dragging. The title carries
// the file name after a 20-character prefix.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

#include "qod/viewer/vista_immagine.h"

namespace qod::testers {

class FrmOut : public QWidget {
 public:
  explicit FrmOut(QWidget* genitore = nullptr);

  // Empties the window, gives it the title (ANSI) and shows it.
  void Pulizia(const std::string& titolo);
  // Loads and shows the file named in the title from its 21st character.
  void Carica();
  // Applies the zoom text to the image shown.
  void x_zoom();

  std::string Titolo() const { return titolo_; }
  img::Vista_Immagine* ImageMan1;
  // The second display option of the image control, set to 1 after every
  // load (the view has no use for it).
  int opzione_vista2 = 0;
  QComboBox* Zoom1;
  QLabel *lblDim, *lbl_Width, *lbl_Height, *lbl_Rx, *lbl_Ry, *lbl_n_colori;

  // Told when the window closes (it is then deleted).
  std::function<void()> chiusa;

 protected:
  void resizeEvent(QResizeEvent*) override;
  void closeEvent(QCloseEvent*) override;

 private:
  void Svuota_Etichette();

  std::string titolo_;
  float x0_ = 0, y0_ = 0;
  bool trascina_ = false;
};

}  // namespace qod::testers
