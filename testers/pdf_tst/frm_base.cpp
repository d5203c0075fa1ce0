#include "frm_base.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "qt_testo.h"

namespace qod::testers {

namespace {
std::string Ansi_Testo(const QLineEdit* e) { return Ansi_Qt(e->text()); }
}  // namespace

FrmBase::FrmBase(const std::string& cartella, QWidget* genitore) : QWidget(genitore) {
  setObjectName("frmBase");
  setWindowTitle(" TEST Qod_PDF.OCX");
  auto* colonna = new QVBoxLayout(this);
  auto* modulo = new QFormLayout;
  colonna->addLayout(modulo);
  auto casella = [&](const char* nome, const char* etichetta, const std::string& testo) {
    auto* e = new QLineEdit(Testo_Qt(testo), this);
    e->setObjectName(nome);
    e->setMinimumWidth(nome == std::string("txtDir") || nome == std::string("txtOut") ? 320 : 80);
    modulo->addRow(etichetta, e);
    return e;
  };
  txtAutore = casella("txtAutore", "Autore", "Ufficio prove");
  txtTitolo = casella("txtTitolo", "Titolo", "Prova");
  txtOggetto = casella("txtOggetto", "Oggetto", "Oggetto");
  txtDir = casella("txtDir", "Cartella Input", cartella + "/TEST");
  txtFiles = casella("txtFiles", "Elenco files", "im1.png,im2.png");
  txtHeight = casella("txtHeight", "Altezza", "29.7");
  txtWidth = casella("txtWidth", "Larghezza", "21.1");
  txtLeft = casella("txtLeft", "Marg.Sinistro", "0.1");
  txtTop = casella("txtTop", "Marg.Superiore", "0.1");
  chkNumPag = new QCheckBox("Numero pagina", this);
  chkNumPag->setObjectName("chkNumPag");
  modulo->addRow("", chkNumPag);
  txtPagLeft = casella("txtPagLeft", "Marg.Sinistro", "0.1");
  txtPagTop = casella("txtPagTop", "Marg.Superiore", "0.1");
  txtOut = casella("txtOut", "File di output", cartella + "/TEST/Prova.pdf");
  Command1 = new QPushButton("Esegui", this);
  Command1->setObjectName("Command1");
  colonna->addWidget(Command1);
  lblStato = new QLabel(this);
  lblStato->setObjectName("lblStato");
  lblStato->setWordWrap(true);
  colonna->addWidget(lblStato);

  Timer1.setInterval(2000);
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(&Timer1, &QTimer::timeout, this, [this] {
    Timer1.stop();
    if (lblStato->text() == "OK") lblStato->clear();
  });
}

Campi_PDF FrmBase::Campi() const {
  Campi_PDF c;
  c.autore = Ansi_Testo(txtAutore);
  c.titolo = Ansi_Testo(txtTitolo);
  c.oggetto = Ansi_Testo(txtOggetto);
  c.cartella = Ansi_Testo(txtDir);
  c.files = Ansi_Testo(txtFiles);
  c.altezza = Ansi_Testo(txtHeight);
  c.larghezza = Ansi_Testo(txtWidth);
  c.sinistro = Ansi_Testo(txtLeft);
  c.superiore = Ansi_Testo(txtTop);
  c.numero_pagina = chkNumPag->isChecked();
  c.pag_sinistro = Ansi_Testo(txtPagLeft);
  c.pag_superiore = Ansi_Testo(txtPagTop);
  c.uscita = Ansi_Testo(txtOut);
  return c;
}

void FrmBase::Command1_Click() {
  lblStato->clear();
  Imposta_PDF(Campi(), Qod_PDF1);
  Qod_PDF1.qodpdf_Elabora();
  lblStato->setText(Testo_Qt(Stato_PDF(Qod_PDF1)));
  // A timer already running is not restarted, so "OK" can go sooner than
  // two seconds after a quick second run.
  if (!Qod_PDF1.qodpdf_Error && !Timer1.isActive()) Timer1.start();
}

}  // namespace qod::testers
