#include "qod/ui/prova_qt.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "qod/prova/costruzione.h"
#include "qod/ui/applicazione_qt.h"
#include "qod/ui/qt.h"

namespace qod::prova {

namespace {

int attese = 0;
int limite_attese_ms = 15000;

// How often the guard looks for a modal window.
constexpr int kGiro_ms = 100;

std::optional<int> Box_Controllato(const std::string& testo, int stile, const std::string& titolo) {
  if (Modali_Attese::Attive()) return std::nullopt;
  ADD_FAILURE() << "a message box nobody expected came up (answered with its default button, not shown):\n"
                << "  title: \"" << Testo_Qt(titolo).toStdString() << "\"\n"
                << "  text:  \"" << Testo_Qt(testo).toStdString() << "\"";
  return Messaggi_Qt::Risposta_Predefinita(stile);
}

std::string Descrizione(QWidget* w) {
  std::string d = std::string(w->metaObject()->className()) + " \"" + w->windowTitle().toStdString() + "\"";
  if (!w->objectName().isEmpty()) d += " (" + w->objectName().toStdString() + ")";
  if (auto* box = qobject_cast<QMessageBox*>(w)) d += ": \"" + box->text().toStdString() + "\"";
  return d;
}

void Chiudi(QWidget* w) {
  if (auto* d = qobject_cast<QDialog*>(w))
    d->reject();
  else
    w->close();
}

// Looks at the modal window on top every few milliseconds (the event loop
// of a modal window runs timers too): one nobody expects fails and closes
// at once, an expected one once it has been open too long.
class Sorveglianza : public QObject {
 public:
  explicit Sorveglianza(QObject* genitore) : QObject(genitore) {
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Guarda(); });
    timer_.start(kGiro_ms);
  }

 private:
  void Guarda() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) {
      vista_ = nullptr;
      return;
    }
    const auto adesso = std::chrono::steady_clock::now();
    if (w != vista_) {
      vista_ = w;
      da_ = adesso;
    }
    if (!Modali_Attese::Attive()) {
      ADD_FAILURE() << "a modal window nobody expected came up (closed): " << Descrizione(w);
    } else if (adesso - da_ > std::chrono::milliseconds(Modali_Attese::Limite_ms())) {
      ADD_FAILURE() << "an expected modal window was left unanswered for " << Modali_Attese::Limite_ms()
                    << " ms (closed): " << Descrizione(w);
    } else {
      return;
    }
    vista_ = nullptr;
    Chiudi(w);
  }

  QTimer timer_;
  QPointer<QWidget> vista_;
  std::chrono::steady_clock::time_point da_;
};

}  // namespace

void Applicazione() {
  static int argc = 1;
  static char nome[] = "prova_qt";
  static char* argv[] = {nome, nullptr};
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The programs' own start: Qt's texts in Italian.
  auto* app = new Applicazione_Qt(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  Messaggi_Qt::Controllo_Imposta(Box_Controllato);
  new Sorveglianza(app);
}

Modali_Attese::Modali_Attese(int limite_ms) : limite_precedente_(limite_attese_ms) {
  ++attese;
  limite_attese_ms = limite_ms;
}

Modali_Attese::~Modali_Attese() {
  --attese;
  limite_attese_ms = limite_precedente_;
}

bool Modali_Attese::Attive() { return attese > 0; }

int Modali_Attese::Limite_ms() { return limite_attese_ms; }

std::filesystem::path Schermate() { return Cartella_Immagini("schermate"); }

QString Schermata(const std::string& nome) {
  return QString::fromStdString((Schermate() / (nome + ".png")).string());
}

QPixmap Schermata(QWidget& finestra, const std::string& nome) {
  QApplication::processEvents();
  const QPixmap p = finestra.grab();
  EXPECT_FALSE(p.isNull()) << nome;
  EXPECT_TRUE(p.save(Schermata(nome))) << nome;
  return p;
}

}  // namespace qod::prova
