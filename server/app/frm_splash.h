// The splash window: shaped, centred, with the moving bar, and the three
// one-shot and animation timers that run the start of the server.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "qod/server/splash.h"

namespace qod {

class FrmSplash : public QWidget {
 public:
  // `prepara` runs from the 200 ms tick, `avvio` (the whole start of the
  // server) from the 1000 ms tick; the window then unloads itself.
  FrmSplash(std::function<void()> prepara, std::function<void()> avvio);
  ~FrmSplash() override;

  // Stops the three timers and closes the window (as the unload does).
  void Scarica();

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void Disegna(const std::vector<Splash_Barra::Riquadro>& riquadri);
  void Sfondo();

  std::function<void()> prepara_, avvio_;
  Splash_Barra barra_;
  QImage immagine_;
  QTimer timer1_, timer2_, timer3_;
  bool cursore_ = false;
};

}  // namespace qod
