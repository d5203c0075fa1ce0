// The conversion-table editor's window: the EBCDIC->ASCII table on the left,
// the ASCII->EBCDIC table on the right, 15 rows of both from the scroll bar's
// code, one edit box placed over the value of the cell clicked, and "Salva".
#pragma once

#include <QWidget>

#include <array>
#include <string>
#include <string_view>

#include "editor_tabelle.h"
#include "qod/ui.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace qod {

inline constexpr int kRighe_Griglia = 15;

class FrmTabelle : public QWidget {
 public:
  FrmTabelle(Editor_Tabelle& editor, MessageSink& messaggi, const std::string& release,
             QWidget* parent = nullptr);

  void Griglia_Visualizza();
  void Riga_Visualizza(int riga);
  void Cella_Modifica(int riga, int tabella);
  bool Cella_Conferma();
  void cmd_Salva_Click();

  int Prima_Riga() const { return prima_riga_; }

  // The controls: the label of a column ("lblI1" ... "lblC4") in a grid row
  // (nullptr for a name the grid does not have), the scroll bar, the edit box
  // and "Salva".
  QLabel* Etichetta(std::string_view colonna, int riga) const;
  QScrollBar* VScroll1() const { return VScroll1_; }
  QLineEdit* Text1() const { return Text1_; }
  QPushButton* cmd_Salva() const { return cmd_Salva_; }

 protected:
  bool eventFilter(QObject* oggetto, QEvent* evento) override;

 private:
  void VScroll1_Change(int valore);

  Editor_Tabelle& editor_;
  MessageSink& messaggi_;
  // The twelve label columns: lblI1 lblH1 lblC1 lblI2 lblH2 lblC2 (left),
  // lblI3 lblH3 lblC3 lblI4 lblH4 lblC4 (right).
  std::array<std::array<QLabel*, kRighe_Griglia>, 12> lbl_{};
  QScrollBar* VScroll1_ = nullptr;
  QLineEdit* Text1_ = nullptr;
  QPushButton* cmd_Salva_ = nullptr;
  int prima_riga_ = 0;
  int riga_corrente_ = 0;
  int codice_corrente_ = 0;
  int tabella_corrente_ = 0;
};

}  // namespace qod
