// The window of both settings editors, built from the editor's field table:
// one row per box (label on the left), the check boxes below, the buttons
// "Aggiorna", "Standard" and "Uscita" in one row at the bottom and the
// version label at the top right. The window only shows and collects the
// boxes; formatting, checks and writing are the editor model's.
#pragma once

#include <QWidget>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "qod/config/editor_impostazioni.h"
#include "qod/host/programma.h"
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

  // The controls by their names (the table's "txt01", "chk01"; "cmdAggiorna",
  // "cmdStandard", "cmdUscita"); nullptr for a name the window does not have.
  QLineEdit* Box(std::string_view nome) const;
  QCheckBox* Casella(std::string_view nome) const;
  QPushButton* Pulsante(std::string_view nome) const;
  QLabel* Release() const { return release_; }

 protected:
  bool eventFilter(QObject* oggetto, QEvent* evento) override;

 private:
  void Raccogli();

  Editor_Impostazioni& editor_;
  MessageSink& messaggi_;
  std::vector<QLineEdit*> box_;
  std::vector<QCheckBox*> caselle_;
  std::vector<std::pair<std::string_view, QPushButton*>> pulsanti_;
  QLabel* release_ = nullptr;
};

// The names of an editor program: the settings file of the program it
// edits; no log and no temporary folder of its own.
Nomi_Programma Nomi_Editor(const Modulo_Impostazioni& modulo);

// The program's start: the program base in `cartella` (the current folder),
// its settings file read into a new model, the standard values filled in
// when the command line is "/INIT", and the window built (not shown yet).
struct Editor_Avviato {
  std::unique_ptr<Base_Programma> base;
  std::unique_ptr<Editor_Impostazioni> editor;
  std::unique_ptr<FrmImpostazioni> finestra;
};
Editor_Avviato Editor_Avvia(const Modulo_Impostazioni& modulo, const std::string& cartella,
                            std::string_view riga_comando, MessageSink& messaggi,
                            Clock& orologio = SystemClock::Istanza());

}  // namespace qod
