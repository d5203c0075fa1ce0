#include "qod/ui/dialogo_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHash>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMimeDatabase>
#include <QMutex>
#include <QStandardPaths>
#include <QTreeView>
#include <QXmlStreamReader>

#include <algorithm>

namespace qod {

namespace {

const QLocale& Italiano() {
  static const QLocale l(QLocale::Italian, QLocale::Italy);
  return l;
}

// The Italian description of a file type, from the system's type database;
// the one Qt gives (in the language of the locale) when it has none.
QString Descrizione_Italiana(const QMimeType& tipo) {
  static QMutex mutex;
  static QHash<QString, QString> note;
  const QMutexLocker blocco(&mutex);
  if (const auto n = note.constFind(tipo.name()); n != note.constEnd()) return *n;
  QString testo;
  QFile f(QStandardPaths::locate(QStandardPaths::GenericDataLocation, "mime/" + tipo.name() + ".xml"));
  if (f.open(QIODevice::ReadOnly)) {
    QXmlStreamReader x(&f);
    while (testo.isEmpty() && !x.atEnd()) {
      if (x.readNext() == QXmlStreamReader::StartElement && x.name() == u"comment" &&
          x.attributes().value(QLatin1String("xml:lang")) == u"it")
        testo = x.readElementText().trimmed();
    }
  }
  if (testo.isEmpty()) testo = tipo.comment().isEmpty() ? tipo.name() : tipo.comment();
  note.insert(tipo.name(), testo);
  return testo;
}

// The "Tipo" column.
class Icone_Italiane : public QFileIconProvider {
 public:
  QString type(const QFileInfo& info) const override {
    if (info.isRoot()) return QString::fromUtf8("Unità");
    if (info.isFile()) return Descrizione_Italiana(tipi_.mimeTypeForFile(info));
    if (info.isDir()) return QStringLiteral("Cartella");
    if (info.isSymLink()) return QStringLiteral("Collegamento");
    return QStringLiteral("Sconosciuto");
  }

 private:
  QMimeDatabase tipi_;
};

// The "Dimensione" and "Data di modifica" columns.
class Colonne_Italiane : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& indice, int ruolo) const override {
    const auto* file = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (ruolo == Qt::DisplayRole && file) {
      const QModelIndex i = mapToSource(indice);
      if (indice.column() == 3) return Italiano().toString(file->lastModified(i), QLocale::ShortFormat);
      if (indice.column() == 1 && !file->isDir(i)) return Italiano().formattedDataSize(file->size(i));
    }
    return QIdentityProxyModel::data(indice, ruolo);
  }
};

}  // namespace

void Dialogo_File_Italiano(QFileDialog& dialogo) {
  dialogo.setOption(QFileDialog::DontUseNativeDialog);
  static Icone_Italiane icone;
  dialogo.setIconProvider(&icone);
  // The entries the dialog has listed already take their type again.
  if (auto* file = dialogo.findChild<QFileSystemModel*>()) {
    QEvent cambio(QEvent::LanguageChange);
    QCoreApplication::sendEvent(file, &cambio);
  }
  dialogo.setProxyModel(new Colonne_Italiane(&dialogo));
  // Qt sizes the columns for its English texts: wide enough for the Italian
  // ones here (a width the user chose and the dialog kept stays if larger).
  if (auto* vista = dialogo.findChild<QTreeView*>("treeView")) {
    QHeaderView* h = vista->header();
    const QString esempi[] = {{}, QStringLiteral("1023,99 KiB"), QStringLiteral("Immagine TIFF"),
                              Italiano().toString(QDateTime(QDate(2000, 12, 28), QTime(23, 58)), QLocale::ShortFormat)};
    const int margine = 3 * vista->fontMetrics().averageCharWidth();
    for (int c = 1; c <= 3; ++c) {
      const int voluta =
          std::max(vista->fontMetrics().horizontalAdvance(esempi[c]),
                   h->fontMetrics().horizontalAdvance(h->model()->headerData(c, Qt::Horizontal).toString())) +
          margine;
      if (h->sectionSize(c) < voluta) h->resizeSection(c, voluta);
    }
  }
}

}  // namespace qod
