#include "frm_tabelle.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "qod/ansi.h"
#include "qod/ui/qt.h"

namespace qod {
namespace {

constexpr const char* kNomi[12] = {"lblI1", "lblH1", "lblC1", "lblI2", "lblH2", "lblC2",
                                   "lblI3", "lblH3", "lblC3", "lblI4", "lblH4", "lblC4"};

QString Carattere_Ansi(int codice) {
  const QString s = Testo_Qt(std::string(1, static_cast<char>(codice)));
  return s.size() == 1 && s[0].isPrint() ? s : QString(" ");
}

QString Esadecimale(int n) { return QString::number(n, 16).toUpper(); }

// One frame: two headings over three columns each, then the 15 rows.
QGroupBox* Riquadro(const char* sinistra, const char* destra, int primo,
                    std::array<std::array<QLabel*, kRighe_Griglia>, 12>& lbl, QWidget* padre) {
  auto* riquadro = new QGroupBox(padre);
  riquadro->setObjectName(primo == 0 ? "Frame1" : "Frame2");
  auto* g = new QGridLayout(riquadro);
  g->setHorizontalSpacing(10);
  g->setVerticalSpacing(2);
  g->addWidget(new QLabel(sinistra), 0, 0, 1, 3, Qt::AlignHCenter);
  g->addWidget(new QLabel(destra), 0, 3, 1, 3, Qt::AlignHCenter);
  const char* colonne[3] = {"Dec", "Hex", "Chr"};
  for (int c = 0; c < 6; ++c) g->addWidget(new QLabel(colonne[c % 3]), 1, c, Qt::AlignRight);
  for (int c = 0; c < 6; ++c)
    for (int r = 0; r < kRighe_Griglia; ++r) {
      auto* l = new QLabel(riquadro);
      l->setObjectName(QString("%1_%2").arg(kNomi[primo + c]).arg(r));
      l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      l->setMinimumWidth(30);
      l->setMinimumHeight(20);
      g->addWidget(l, r + 2, c);
      lbl[static_cast<size_t>(primo + c)][static_cast<size_t>(r)] = l;
    }
  return riquadro;
}

}  // namespace

QLabel* FrmTabelle::Etichetta(std::string_view colonna, int riga) const {
  if (riga < 0 || riga >= kRighe_Griglia) return nullptr;
  for (size_t c = 0; c < lbl_.size(); ++c)
    if (colonna == kNomi[c]) return lbl_[c][static_cast<size_t>(riga)];
  return nullptr;
}

FrmTabelle::FrmTabelle(Editor_Tabelle& editor, MessageSink& messaggi, const std::string& release,
                       QWidget* parent)
    : QWidget(parent), editor_(editor), messaggi_(messaggi) {
  setObjectName("frmBase");
  setWindowTitle("Tabelle di conversione  EBCDIC-->ASCII   ASCII-->EBCDIC");
  auto* principale = new QVBoxLayout(this);
  auto* versione = new QLabel(QString::fromStdString(release), this);
  versione->setObjectName("Release");
  principale->addWidget(versione, 0, Qt::AlignRight);
  auto* riga = new QHBoxLayout;
  riga->addWidget(Riquadro("EBCDIC", "ASCII", 0, lbl_, this));
  riga->addWidget(Riquadro("ASCII", "EBCDIC", 6, lbl_, this));
  VScroll1_ = new QScrollBar(Qt::Vertical, this);
  VScroll1_->setObjectName("VScroll1");
  VScroll1_->setRange(0, kTabella_Voci - kRighe_Griglia);
  VScroll1_->setPageStep(kRighe_Griglia);
  riga->addWidget(VScroll1_);
  principale->addLayout(riga);
  cmd_Salva_ = new QPushButton("Salva", this);
  cmd_Salva_->setObjectName("cmd_Salva");
  principale->addWidget(cmd_Salva_, 0, Qt::AlignRight);
  Text1_ = new QLineEdit(this);
  Text1_->setObjectName("Text1");
  Text1_->setFont(QFont("Arial"));
  Text1_->hide();
  for (auto& colonna : lbl_)
    for (auto* l : colonna) l->installEventFilter(this);
  connect(VScroll1_, &QScrollBar::valueChanged, this, [this](int v) { VScroll1_Change(v); });
  connect(cmd_Salva_, &QPushButton::clicked, this, [this] { cmd_Salva_Click(); });
  Griglia_Visualizza();
}

void FrmTabelle::Griglia_Visualizza() {
  for (int r = 0; r < kRighe_Griglia; ++r) Riga_Visualizza(r);
}

void FrmTabelle::Riga_Visualizza(int riga) {
  const int codice = prima_riga_ + riga;
  const auto r = static_cast<size_t>(riga);
  const int valori[4] = {codice, editor_.Tabella_1.Voci[static_cast<size_t>(codice)],
                         editor_.Tabella_2.Voci[static_cast<size_t>(codice)], codice};
  for (int blocco = 0; blocco < 4; ++blocco) {
    const int v = valori[blocco];
    const auto b = static_cast<size_t>(blocco * 3);
    lbl_[b][r]->setText(QString::number(v));
    lbl_[b + 1][r]->setText(Esadecimale(v));
    lbl_[b + 2][r]->setText(blocco == 0 || blocco == 3 ? QString::fromUtf8(Carattere_EBCDIC(v)) : Carattere_Ansi(v));
  }
}

void FrmTabelle::Cella_Modifica(int riga, int tabella) {
  if (!Cella_Conferma()) return;
  riga_corrente_ = riga;
  codice_corrente_ = prima_riga_ + riga;
  tabella_corrente_ = tabella;
  QLabel* valore = lbl_[tabella == 0 ? 3 : 6][static_cast<size_t>(riga)];
  Text1_->setGeometry(QRect(valore->mapTo(this, QPoint(0, 0)), valore->size()));
  Text1_->setText(QString::number(editor_.Tabella(tabella).Voci[static_cast<size_t>(codice_corrente_)]));
  Text1_->show();
  Text1_->raise();
  Text1_->setFocus();
}

bool FrmTabelle::Cella_Conferma() {
  if (Text1_->isHidden()) return true;
  if (auto v = Codice_Valido(Text1_->text().toStdString())) {
    editor_.Tabella(tabella_corrente_).Voci[static_cast<size_t>(codice_corrente_)] = static_cast<uint8_t>(*v);
    Text1_->hide();
    if (codice_corrente_ - prima_riga_ >= 0 && codice_corrente_ - prima_riga_ < kRighe_Griglia)
      Riga_Visualizza(codice_corrente_ - prima_riga_);
    return true;
  }
  messaggi_.MsgBox(kMsg_Codice, vbExclamation, "ERRORE");
  Text1_->setFocus();
  return false;
}

void FrmTabelle::VScroll1_Change(int valore) {
  if (valore == prima_riga_) return;
  if (Cella_Conferma()) {
    prima_riga_ = valore;
    Griglia_Visualizza();
  } else {
    VScroll1_->setValue(prima_riga_);
  }
}

void FrmTabelle::cmd_Salva_Click() {
  if (!Cella_Conferma()) return;
  const std::string errore = editor_.Salva();
  if (!errore.empty()) {
    // The edits stay in the window, so the user can free the file and save again.
    messaggi_.MsgBox(errore, vbExclamation, "ERRORE");
    return;
  }
  close();
}

bool FrmTabelle::eventFilter(QObject* oggetto, QEvent* evento) {
  if (evento->type() == QEvent::MouseButtonPress) {
    for (size_t c = 0; c < lbl_.size(); ++c)
      for (size_t r = 0; r < lbl_[c].size(); ++r)
        if (lbl_[c][r] == oggetto) {
          Cella_Modifica(static_cast<int>(r), c < 6 ? 0 : 1);
          return true;
        }
  }
  return QWidget::eventFilter(oggetto, evento);
}

}  // namespace qod
