// The text window: a plain editor for the page text file or the tag command
// file. It keeps the bytes of the file as they were read: every row keeps
// its own line end (CR LF, CR alone or LF alone), bytes 0x80-0xFF are the
// Windows-1252 characters, and control bytes (NUL among them) show as their
// control pictures, so a file opened and saved without edits is unchanged.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace qod::testers {

class FrmTxt : public QWidget {
 public:
  explicit FrmTxt(QWidget* genitore = nullptr);

  // Sets the title (a 20-character prefix and the file name, ANSI) and the
  // bytes to edit.
  void Apri(const std::string& titolo, const std::string& byte);
  std::string Titolo() const { return titolo_; }
  // The file name the title carries from its 21st character.
  std::string Nome_File() const;
  // The text as bytes, with the line ends of the bytes that were opened.
  std::string Testo() const;

  QPlainTextEdit* txt_Cmd;

  // Asked when the window is being closed; false keeps it open.
  std::function<bool()> chiusura;
  // Told when the window has closed (it is then deleted).
  std::function<void()> chiusa;

 protected:
  void closeEvent(QCloseEvent*) override;

 private:
  std::string titolo_;
  std::vector<std::string> fine_;
};

}  // namespace qod::testers
