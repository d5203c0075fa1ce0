// The printer's properties from the print dialog's button "Proprietà": a
// dialog over the options of the printer's queue (medium, input slot,
// resolution, colour, two-sided printing, those the queue has), whose "OK"
// keeps the choices as the user's defaults for that printer, so that every
// later print on it starts from them.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

#include "qod/printing/opzioni.h"

class QComboBox;
class QPushButton;

namespace qod::imv {

class FrmProprieta : public QDialog {
  Q_OBJECT

 public:
  FrmProprieta(const std::string& nome, std::vector<stampa::Opzione_Stampante> opzioni, QWidget* padre = nullptr);

  // The choice of every option shown.
  stampa::Preferenze Scelte() const;
  // The list of an option ("media", "sides", ...); nullptr when not shown.
  QComboBox* Lista(const std::string& opzione) const;
  QPushButton* cmd_OK() const { return cmd_ok_; }
  QPushButton* cmd_Annulla() const { return cmd_annulla_; }

 private:
  std::vector<stampa::Opzione_Stampante> opzioni_;
  std::vector<QComboBox*> liste_;
  QPushButton *cmd_ok_ = nullptr, *cmd_annulla_ = nullptr;
};

// The name the dialog shows for an option and for one of its values.
std::string Opzione_Etichetta(const std::string& opzione);
std::string Scelta_Etichetta(const std::string& opzione, const std::string& valore);

// Shows the dialog for the printer `nome`, owned by `finestra`. Result: 0
// done or cancelled, 1 the printer cannot be found, 6 the choices could not
// be kept.
int32_t Stampante_Proprieta(QWidget* finestra, const std::string& nome, stampa::Opzioni_Stampanti& opzioni);

}  // namespace qod::imv
