#include "dialoghi.h"

#include <QColorDialog>
#include <QFileDialog>

#include "qod/ui/dialogo_file.h"
#include "qt_testo.h"

namespace qod::testers {

std::string Dialoghi_Qt::Scegli_File(const std::string& filtro) {
  // "Descrizione|pattern" becomes Qt's "Descrizione (pattern)"; the patterns
  // match in any case, as the file names the programs meet do.
  const QString f = Testo_Qt(filtro);
  const qsizetype barra = f.indexOf('|');
  QString descrizione = barra < 0 ? f : f.left(barra);
  QString schemi = barra < 0 ? QString() : f.mid(barra + 1);
  QStringList elenco;
  for (const QString& s : schemi.split(';', Qt::SkipEmptyParts)) elenco << s << s.toLower();
  schemi = elenco.join(' ');
  QFileDialog d(finestra_);
  Dialogo_File_Italiano(d);
  d.setFileMode(QFileDialog::ExistingFile);
  d.setNameFilter(descrizione + " (" + schemi + ")");
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return "";
  return Ansi_Qt(d.selectedFiles().front());
}

std::optional<int32_t> Dialoghi_Qt::Scegli_Colore(int32_t iniziale) {
  const QColor inizio(iniziale & 0xFF, (iniziale >> 8) & 0xFF, (iniziale >> 16) & 0xFF);
  const QColor c = QColorDialog::getColor(inizio, finestra_);
  if (!c.isValid()) return std::nullopt;
  return c.red() + c.green() * 256 + c.blue() * 65536;
}

}  // namespace qod::testers
