// The help window of the tag command language: the fixed help text in a
// monospaced box that fills the window. What is typed there is not kept.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>

#include <functional>

namespace qod::testers {

class FrmHelp : public QWidget {
 public:
  explicit FrmHelp(QWidget* genitore = nullptr);
  QPlainTextEdit* txt_help;

  // Told when the window closes (it is then deleted).
  std::function<void()> chiusa;

 protected:
  void closeEvent(QCloseEvent*) override;
};

}  // namespace qod::testers
