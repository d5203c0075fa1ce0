// Qod_S_INI and Qod_C_INI: the settings editors of the spool server and of
// the archive viewer client. Each edits [Generale] of its settings file in
// the current folder; "/INIT" opens the window with the standard values.
#include <QApplication>
#include <QMessageBox>

#include <filesystem>
#include <string>

#include "frm_impostazioni.h"
#include "qod/ansi.h"
#include "qod/winpath.h"

namespace {

class Messaggi_Editor : public qod::MessageSink {
 public:
  int MsgBox(const std::string& testo, int stile, const std::string& titolo) override {
    auto icona = (stile & 0x70) == qod::vbCritical ? QMessageBox::Critical : QMessageBox::Warning;
    QMessageBox box(icona, QString::fromStdString(qod::Ansi_A_Utf8(titolo)),
                    QString::fromStdString(qod::Ansi_A_Utf8(testo)));
    box.exec();
    return qod::vbOK;
  }
};

}  // namespace

int main(int argc, char** argv) {
  std::error_code ec;
  const std::string cartella = qod::Percorso_Ansi(std::filesystem::current_path(ec)) + "/";
  std::string riga;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) riga += ' ';
    riga += argv[i];
  }
  QApplication app(argc, argv);
  Messaggi_Editor messaggi;
  auto avviato = qod::Editor_Avvia(QOD_EDITOR, cartella, qod::Utf8_A_Ansi(riga), messaggi);
  avviato.finestra->show();
  return app.exec();
}
