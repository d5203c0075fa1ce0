#include "qod/viewer/proprieta_stampante.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/ui/qt.h"

namespace qod::imv {

std::string Opzione_Etichetta(const std::string& opzione) {
  if (opzione == "media") return "Formato carta";
  if (opzione == "media-source") return "Alimentazione";
  if (opzione == "printer-resolution") return "Risoluzione";
  if (opzione == "print-color-mode") return "Colore";
  if (opzione == "sides") return "Fronte/retro";
  return opzione;
}

std::string Scelta_Etichetta(const std::string& opzione, const std::string& valore) {
  if (opzione == "media") {
    // A self-describing medium name "class_name_size": the name and the size.
    const size_t a = valore.find('_'), b = valore.rfind('_');
    if (a != std::string::npos && b != a) {
      std::string nome = valore.substr(a + 1, b - a - 1);
      if (!nome.empty()) nome[0] = static_cast<char>(Ansi_Maiuscolo(static_cast<unsigned char>(nome[0])));
      if (nome.size() == 2 && nome[1] >= '0' && nome[1] <= '9') nome = UCase(nome);  // "A4", "B5"
      return nome + " (" + valore.substr(b + 1) + ")";
    }
    return valore;
  }
  if (opzione == "printer-resolution") {
    const size_t d = valore.find_first_not_of("0123456789x");
    return d == std::string::npos ? valore : valore.substr(0, d) + " " + valore.substr(d);
  }
  static const struct {
    const char *opzione, *valore, *testo;
  } kNomi[] = {
      {"print-color-mode", "monochrome", "Bianco e nero"},
      {"print-color-mode", "color", "Colore"},
      {"print-color-mode", "auto", "Automatico"},
      {"sides", "one-sided", "Solo fronte"},
      {"sides", "two-sided-long-edge", "Fronte/retro, lato lungo"},
      {"sides", "two-sided-short-edge", "Fronte/retro, lato corto"},
      {"media-source", "auto", "Automatica"},
      {"media-source", "manual", "Manuale"},
  };
  for (const auto& n : kNomi)
    if (opzione == n.opzione && valore == n.valore) return n.testo;
  if (opzione == "media-source" && valore.rfind("tray-", 0) == 0) return "Cassetto " + valore.substr(5);
  return valore;
}

FrmProprieta::FrmProprieta(const std::string& nome, std::vector<stampa::Opzione_Stampante> opzioni, QWidget* padre)
    : QDialog(padre), opzioni_(std::move(opzioni)) {
  setObjectName("frmProprieta");
  setWindowTitle(Testo_Qt(A("Proprietà - ") + nome));
  auto* colonna = new QVBoxLayout(this);
  auto* modulo = new QFormLayout;
  colonna->addLayout(modulo);
  for (const auto& o : opzioni_) {
    auto* lista = new QComboBox(this);
    lista->setObjectName(QString::fromStdString(o.nome));
    for (const auto& v : o.scelte) lista->addItem(Testo_Qt(A(Scelta_Etichetta(o.nome, v))), QString::fromStdString(v));
    lista->setCurrentIndex(lista->findData(QString::fromStdString(o.scelta)));
    modulo->addRow(Testo_Qt(A(Opzione_Etichetta(o.nome))), lista);
    liste_.push_back(lista);
  }
  if (opzioni_.empty()) colonna->addWidget(new QLabel(Testo_Qt(A("La stampante non ha impostazioni da scegliere.")), this));
  auto* pulsanti = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  cmd_ok_ = pulsanti->button(QDialogButtonBox::Ok);
  cmd_annulla_ = pulsanti->button(QDialogButtonBox::Cancel);
  cmd_ok_->setObjectName("cmd_OK");
  cmd_annulla_->setObjectName("cmd_Annulla");
  cmd_annulla_->setText(QStringLiteral("Annulla"));
  colonna->addWidget(pulsanti);
  connect(pulsanti, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(pulsanti, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

stampa::Preferenze FrmProprieta::Scelte() const {
  stampa::Preferenze p;
  for (size_t i = 0; i < opzioni_.size(); ++i) {
    const QString v = liste_[i]->currentData().toString();
    if (!v.isEmpty()) p[opzioni_[i].nome] = v.toStdString();
  }
  return p;
}

QComboBox* FrmProprieta::Lista(const std::string& opzione) const {
  for (size_t i = 0; i < opzioni_.size(); ++i)
    if (opzioni_[i].nome == opzione) return liste_[i];
  return nullptr;
}

int32_t Stampante_Proprieta(QWidget* finestra, const std::string& nome, stampa::Opzioni_Stampanti& opzioni) {
  std::vector<stampa::Opzione_Stampante> elenco;
  if (opzioni.Opzioni(nome, elenco) != 0) return 1;
  FrmProprieta frm(nome, std::move(elenco), finestra);
  frm.setWindowModality(Qt::ApplicationModal);
  if (frm.exec() != QDialog::Accepted) return 0;
  return opzioni.Opzioni_Scrivi(nome, frm.Scelte()) == 0 ? 0 : 6;
}

}  // namespace qod::imv
