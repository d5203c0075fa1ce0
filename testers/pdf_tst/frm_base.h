// The PDF generator's test form: a box for every property of the
// generator, "Esegui" to run it, and a state line that shows the generator's
// message, or "OK" for two seconds after a run that completed.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <string>

#include "qod/pdf/qod_pdf.h"
#include "qod/testers/prova_pdf.h"

namespace qod::testers {

class FrmBase : public QWidget {
 public:
  // `cartella`: the folder the sample input and output names start in
  // (ANSI, no trailing separator).
  explicit FrmBase(const std::string& cartella, QWidget* genitore = nullptr);

  Campi_PDF Campi() const;
  void Command1_Click();

  pdf::Qod_PDF Qod_PDF1;
  QLineEdit *txtAutore, *txtTitolo, *txtOggetto, *txtDir, *txtFiles, *txtHeight, *txtWidth, *txtLeft, *txtTop;
  QCheckBox* chkNumPag;
  QLineEdit *txtPagLeft, *txtPagTop, *txtOut;
  QPushButton* Command1;
  QLabel* lblStato;
  QTimer Timer1;
};

}  // namespace qod::testers
