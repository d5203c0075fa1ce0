// The window of both settings editors, built from the editor's field table:
// one row per box (label on the left), the check boxes below, the buttons
// "Aggiorna", "Standard" and "Uscita" in one row at the bottom and the
// version label at the top right. The window only shows and collects the
// boxes; formatting, checks and writing are the editor model's.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

#include "qod/editor_impostazioni.h"
#include "qod/ui.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qod {

class FrmImpostazioni : public QWidget {
 public:
  // `release` is the text of the version label.
  FrmImpostazioni(Editor_Impostazioni& editor, MessageSink& messaggi, const std::string& release,
                  QWidget* parent = nullptr);

  // Puts the model's values into the boxes.
  void Mostra();

  // The buttons.
  void cmdAggiorna_Click();
  void cmdStandard_Click();
  void cmdUscita_Click();

 protected:
  bool eventFilter(QObject* oggetto, QEvent* evento) override;

 private:
  void Raccogli();

  Editor_Impostazioni& editor_;
  MessageSink& messaggi_;
  std::vector<QLineEdit*> box_;
  std::vector<QCheckBox*> caselle_;
};

// The program's start: reads the settings file `cartella` + the editor's
// file name into a new model, fills in the standard values when the command
// line is "/INIT", and builds the window (not shown yet).
struct Editor_Avviato {
  std::unique_ptr<Editor_Impostazioni> editor;
  std::unique_ptr<FrmImpostazioni> finestra;
};
Editor_Avviato Editor_Avvia(const Modulo_Impostazioni& modulo, const std::string& cartella,
                            std::string_view riga_comando, MessageSink& messaggi);

}  // namespace qod
