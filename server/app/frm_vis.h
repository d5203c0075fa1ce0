// The server's viewer window: one viewer control covering the window, which
// shows the first page image of a spool file while the main window's
// "Visualizza" key is down. The window is released when it closes, and its
// closing puts the key up.
#pragma once

#include <QWidget>

#include <functional>
#include <string>

#include "qod/ui.h"

namespace qod {

namespace imv {
class Qod_IMV;
}

class FrmVis : public QWidget {
 public:
  // `caption_base`: the main window's caption; `messaggi`: the program's
  // message boxes, which the viewer and its printing show theirs through;
  // `chiusa`: called once when the window closes (whichever side closes it).
  FrmVis(const std::string& caption_base, MessageSink& messaggi, std::function<void()> chiusa);
  ~FrmVis() override;

  // Shows the page image `immagine` in the viewer and shows the window.
  // `subclass`: the viewer's wheel and keys (off with "/NOSUBCLASS");
  // `file_ini`: the settings file where the viewer keeps its print settings.
  void Carica(const std::string& immagine, bool subclass, const std::string& file_ini);

  imv::Qod_IMV* Qod_IMV1() const { return qod_imv1_; }

 protected:
  void resizeEvent(QResizeEvent*) override;
  void closeEvent(QCloseEvent*) override;

 private:
  imv::Qod_IMV* qod_imv1_;
  std::function<void()> chiusa_;
};

}  // namespace qod
