#include "frm_impostazioni.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "qod/ansi.h"
#include "qod/ui/qt.h"

#ifndef QOD_VERSIONE
#define QOD_VERSIONE "0.0.0"
#endif
#ifndef QOD_DATA_VERSIONE
#define QOD_DATA_VERSIONE "01.01.2026"
#endif

namespace qod {

namespace {

// A character that has no ANSI code becomes "¿", which the checks refuse,
// rather than a "?" that would pass unnoticed.
// The password box shows "*" for every character, whatever the style.
class Stile_Password : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* opzione, const QWidget* widget,
                QStyleHintReturn* ritorno) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    if (hint == SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, opzione, widget, ritorno);
  }
};

}  // namespace

FrmImpostazioni::FrmImpostazioni(Editor_Impostazioni& editor, MessageSink& messaggi, const std::string& release,
                                 QWidget* parent)
    : QWidget(parent), editor_(editor), messaggi_(messaggi) {
  const auto& modulo = editor_.Modulo();
  setObjectName("frmBase");
  setWindowTitle(Testo_Qt(modulo.caption));
  setAttribute(Qt::WA_DeleteOnClose, false);

  auto* colonna = new QVBoxLayout(this);
  release_ = new QLabel(Testo_Qt(release), this);
  release_->setObjectName("Release");
  QFont piccolo = release_->font();
  piccolo.setPointSizeF(piccolo.pointSizeF() * 0.8);
  release_->setFont(piccolo);
  colonna->addWidget(release_, 0, Qt::AlignRight);

  auto* griglia = new QGridLayout;
  int riga = 0;
  for (const auto& c : modulo.campi) {
    auto* etichetta = new QLabel(Testo_Qt(c.etichetta), this);
    auto* box = new QLineEdit(this);
    box->setObjectName(c.box);
    box->setToolTip(Testo_Qt(c.tip));
    box->setMaxLength(32767);  // no box limits its text
    if (c.password) {
      auto* stile = new Stile_Password;
      stile->setParent(box);
      box->setStyle(stile);
      box->setEchoMode(QLineEdit::Password);
    }
    // Wide enough for the host name, narrow for the numbers.
    box->setMinimumWidth(c.larghezza >= 50 ? 300 : c.larghezza >= 10 ? 110 : 70);
    box->installEventFilter(this);
    etichetta->setBuddy(box);
    griglia->addWidget(etichetta, riga, 0);
    griglia->addWidget(box, riga, 1, Qt::AlignLeft);
    box_.push_back(box);
    ++riga;
  }
  griglia->setColumnStretch(1, 1);
  colonna->addLayout(griglia);

  for (const auto& k : modulo.caselle) {
    auto* casella = new QCheckBox(Testo_Qt(k.caption), this);
    casella->setObjectName(k.box);
    colonna->addWidget(casella);
    caselle_.push_back(casella);
  }

  auto* pulsanti = new QHBoxLayout;
  auto pulsante = [&](const char* nome, const char* testo, void (FrmImpostazioni::*azione)()) {
    auto* b = new QPushButton(testo, this);
    b->setObjectName(nome);
    QObject::connect(b, &QPushButton::clicked, this, [this, azione] { (this->*azione)(); });
    pulsanti->addWidget(b);
    pulsanti_.emplace_back(nome, b);
  };
  pulsante("cmdAggiorna", "Aggiorna", &FrmImpostazioni::cmdAggiorna_Click);
  pulsante("cmdStandard", "Standard", &FrmImpostazioni::cmdStandard_Click);
  pulsante("cmdUscita", "Uscita", &FrmImpostazioni::cmdUscita_Click);
  colonna->addLayout(pulsanti);

  // The tab order follows the rows.
  QWidget* prima = nullptr;
  for (QWidget* w : box_) {
    if (prima) setTabOrder(prima, w);
    prima = w;
  }
  for (QWidget* w : caselle_) {
    if (prima) setTabOrder(prima, w);
    prima = w;
  }
  Mostra();
}

QLineEdit* FrmImpostazioni::Box(std::string_view nome) const {
  const auto& campi = editor_.Modulo().campi;
  for (size_t i = 0; i < campi.size(); ++i)
    if (nome == campi[i].box) return box_[i];
  return nullptr;
}

QCheckBox* FrmImpostazioni::Casella(std::string_view nome) const {
  const auto& caselle = editor_.Modulo().caselle;
  for (size_t i = 0; i < caselle.size(); ++i)
    if (nome == caselle[i].box) return caselle_[i];
  return nullptr;
}

QPushButton* FrmImpostazioni::Pulsante(std::string_view nome) const {
  for (const auto& [n, b] : pulsanti_)
    if (n == nome) return b;
  return nullptr;
}

void FrmImpostazioni::Mostra() {
  for (size_t i = 0; i < box_.size(); ++i) box_[i]->setText(Testo_Qt(editor_.valori[i]));
  for (size_t i = 0; i < caselle_.size(); ++i) caselle_[i]->setChecked(editor_.spunte[i]);
}

void FrmImpostazioni::Raccogli() {
  for (size_t i = 0; i < box_.size(); ++i) editor_.valori[i] = Ansi_Qt(box_[i]->text(), '\xBF');
  for (size_t i = 0; i < caselle_.size(); ++i) editor_.spunte[i] = caselle_[i]->isChecked();
}

void FrmImpostazioni::cmdAggiorna_Click() {
  const std::string titolo = editor_.Modulo().caption;
  Raccogli();
  if (auto rifiuto = editor_.Formatta()) {
    // Nothing is written; the box refused gets the focus with its text selected.
    messaggi_.MsgBox(rifiuto->messaggio, vbExclamation, titolo);
    QLineEdit* box = box_[static_cast<size_t>(rifiuto->campo)];
    box->setFocus();
    box->selectAll();
    return;
  }
  Mostra();
  if (!editor_.Scrivi()) {
    messaggi_.MsgBox("Impossibile aggiornare il file " + editor_.File(), vbCritical, titolo);
    return;
  }
  close();
}

void FrmImpostazioni::cmdStandard_Click() {
  editor_.Valori_Standard();
  Mostra();
  if (!box_.empty()) box_.front()->setFocus();
}

void FrmImpostazioni::cmdUscita_Click() { close(); }

bool FrmImpostazioni::eventFilter(QObject* oggetto, QEvent* evento) {
  // A box that gets the focus has its whole text selected.
  if (evento->type() == QEvent::FocusIn) {
    if (auto* box = qobject_cast<QLineEdit*>(oggetto)) QTimer::singleShot(0, box, [box] { box->selectAll(); });
  }
  return QWidget::eventFilter(oggetto, evento);
}

Nomi_Programma Nomi_Editor(const Modulo_Impostazioni& modulo) {
  const Nomi_Programma& nomi = &modulo == &kEditor_Client ? kNomi_Client : kNomi_Server;
  return {nomi.Impostazioni, "", ""};
}

Editor_Avviato Editor_Avvia(const Modulo_Impostazioni& modulo, const std::string& cartella,
                            std::string_view riga_comando, MessageSink& messaggi, Clock& orologio) {
  Editor_Avviato r;
  r.base = std::make_unique<Base_Programma>(orologio, messaggi, Nomi_Editor(modulo));
  r.base->Cartella_Imposta(cartella);
  r.editor = std::make_unique<Editor_Impostazioni>(modulo, r.base->File_INI);
  r.editor->Carica();
  if (Riga_Comando_Init(riga_comando)) r.editor->Valori_Standard();
  r.finestra = std::make_unique<FrmImpostazioni>(*r.editor, r.base->Messaggi(),
                                                 std::string(QOD_VERSIONE) + "   " + QOD_DATA_VERSIONE);
  return r;
}

}  // namespace qod
