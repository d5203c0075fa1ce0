#include "qod/ui/applicazione_qt.h"

#include <QEvent>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTranslator>
#include <QWidget>

#include <cstdio>
#include <string>
#include <string_view>

#include "qod/ansi.h"
#include "qod/console.h"
#include "qod/ui/qt.h"

namespace qod {

namespace {

bool senza_display = false;

int& Piattaforma_Prepara(int& argc, char** argv, bool incustodito) {
  bool nominata = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
  for (int i = 1; i < argc && !nominata; ++i) {
    const std::string_view a = argv[i] ? argv[i] : "";
    nominata = a == "-platform" || a == "--platform";
  }
  if (!nominata && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    senza_display = !incustodito;
  }
  return argc;
}

// Without a display the first window that would come up ends the program:
// nobody would ever see it.
class Guardia_Finestre : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::Show || !o->isWidgetType() || visto_) return false;
    auto* w = static_cast<QWidget*>(o);
    if (!w->isWindow()) return false;
    switch (w->windowType()) {
      case Qt::SplashScreen:
      case Qt::ToolTip:
      case Qt::Popup:
        return false;
      default:
        break;
    }
    visto_ = true;
    std::string testo = "nessun display (DISPLAY e WAYLAND_DISPLAY non impostati): la finestra \"" +
                        Utf8_A_Ansi(w->windowTitle().toStdString()) + "\" non si pu\xF2 mostrare";
    if (auto* box = qobject_cast<QMessageBox*>(w)) testo += "\r" + Utf8_A_Ansi(box->text().toStdString());
    Errore_Scrivi("", testo);
    Messaggi_Qt::Senza_Risposta();
    return false;
  }

 private:
  bool visto_ = false;
};

}  // namespace

bool Traduzioni_Qt_Carica() {
  static QPointer<QTranslator> caricata;
  if (caricata) return true;
  auto* t = new QTranslator(QCoreApplication::instance());
  const QString cartella = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!t->load(QStringLiteral("qtbase_it"), cartella)) {
    delete t;
    std::fprintf(stderr, "%s: traduzioni di Qt non trovate (qtbase_it.qm in %s): i testi di Qt restano in inglese\n",
                 Nome_Programma().c_str(), cartella.toLocal8Bit().constData());
    return false;
  }
  QCoreApplication::installTranslator(t);
  caricata = t;
  return true;
}

Applicazione_Qt::Applicazione_Qt(int& argc, char** argv, bool incustodito)
    : QApplication(Piattaforma_Prepara(argc, argv, incustodito), argv) {
  Traduzioni_Qt_Carica();
  if (senza_display) installEventFilter(new Guardia_Finestre(this));
}

Applicazione_Qt::~Applicazione_Qt() = default;

int Applicazione_Qt::Esegui() {
  const int codice = exec();
  return codice == 0 && Messaggi_Qt::Senza_Risposta_Avvenuta() ? 1 : codice;
}

}  // namespace qod
