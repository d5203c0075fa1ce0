// The splash window of the programs: shaped, centred, with the moving bar,
// the program's name, and the three one-shot and animation timers that run
// the program's start.
#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "qod/host/splash.h"

namespace qod {

class FrmSplash : public QWidget {
 public:
  // `prepara` runs from the 200 ms tick, `avvio` (the whole start of the
  // program) from the 1000 ms tick; the window then unloads itself.
  // `programma` is drawn under the product name ("Server", "Viewer").
  FrmSplash(std::function<void()> prepara, std::function<void()> avvio, QString programma);
  ~FrmSplash() override;

  // Stops the three timers and closes the window (as the unload does).
  void Scarica();

  // What the start is waiting for ("Connessione a HOST ..."), drawn under
  // the program's name until replaced; empty: nothing.
  void Stato_Imposta(const QString& testo);
  const QString& Stato() const { return stato_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void Disegna(const std::vector<Splash_Barra::Riquadro>& riquadri);
  void Sfondo();

  std::function<void()> prepara_, avvio_;
  QString programma_, stato_;
  Splash_Barra barra_;
  QImage immagine_;
  QTimer timer1_, timer2_, timer3_;
  bool cursore_ = false;
};

}  // namespace qod
