#include "qod/viewer/frm_stampa.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <limits>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/imaging/file.h"
#include "qod/ui/cursore.h"
#include "qod/ui/qt.h"
#include "qod/viewer/pagine.h"
#include "qod/viewer/qod_imv.h"

namespace qod::imv {

namespace {

QLineEdit* Casella(QWidget* padre, const char* nome, int lunghezza) {
  auto* e = new QLineEdit(padre);
  e->setObjectName(nome);
  e->setMaxLength(lunghezza);
  e->setFixedWidth(lunghezza > 3 ? 64 : 44);
  return e;
}

QLabel* Etichetta(QWidget* padre, const char* nome, const char* testo) {
  auto* l = new QLabel(Testo_Qt(A(testo)), padre);
  l->setObjectName(nome);
  return l;
}

QGroupBox* Cornice(QWidget* padre, const char* nome, const char* titolo) {
  auto* g = new QGroupBox(Testo_Qt(A(titolo)), padre);
  g->setObjectName(nome);
  return g;
}

// A box in the system's colours of its state, or in the highlight colours of
// a bad value (also while disabled, as a disabled zoom box is still checked).
void Colori(QLineEdit* box, bool errato) {
  const QPalette sistema = QApplication::palette();
  QPalette p = box->palette();
  for (auto gruppo : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const auto g = errato ? QPalette::Active : gruppo;
    p.setColor(gruppo, QPalette::Base, sistema.color(g, errato ? QPalette::Highlight : QPalette::Base));
    p.setColor(gruppo, QPalette::Text, sistema.color(g, errato ? QPalette::HighlightedText : QPalette::Text));
  }
  box->setPalette(p);
}

}  // namespace

std::string Testo_Avanzamento(int inviate, int totale) {
  return "Pagine inviate: " + std::to_string(inviate) + " di " + std::to_string(totale);
}

FrmStampa::FrmStampa(const Servizi_Stampa& servizi, QWidget* padre) : QDialog(padre), servizi_(servizi) {
  setObjectName("frmStampa");
  setWindowTitle(QStringLiteral("Imposta stampa"));
  Costruisci();
}

FrmStampa::~FrmStampa() = default;

Separatori FrmStampa::Separatori_Utente() {
  const QLocale l;
  Separatori s;
  const QString g = l.groupSeparator(), d = l.decimalPoint();
  // A separator outside the one-byte set (a narrow blank) never occurs in a typed box.
  s.migliaia = g.size() == 1 && g[0].unicode() < 0x80 ? static_cast<char>(g[0].unicode()) : '\0';
  s.decimale = d.size() == 1 && d[0].unicode() < 0x80 ? static_cast<char>(d[0].unicode()) : '.';
  return s;
}

void FrmStampa::Costruisci() {
  auto* frame_1 = Cornici[0] = Cornice(this, "frame_1", " Stampante ");
  Stampanti = new QComboBox(frame_1);
  Stampanti->setObjectName("Stampanti");
  Stampanti->setMinimumWidth(260);
  cmd_Proprieta = new QPushButton(Testo_Qt(A("Proprietà")), frame_1);
  cmd_Proprieta->setObjectName("cmd_Proprieta");
  auto* l1 = new QHBoxLayout(frame_1);
  l1->addWidget(Etichetta(frame_1, "lbl1", "Nome"));
  l1->addWidget(Stampanti, 1);
  l1->addWidget(cmd_Proprieta);

  auto* frame_2 = Cornici[1] = Cornice(this, "frame_2", " Orientamento ");
  opt_Orienta[1] = new QRadioButton(QStringLiteral("Verticale"), frame_2);
  opt_Orienta[1]->setObjectName("opt_Orienta_1");
  opt_Orienta[0] = new QRadioButton(QStringLiteral("Orrizzontale"), frame_2);
  opt_Orienta[0]->setObjectName("opt_Orienta_0");
  auto* l2 = new QVBoxLayout(frame_2);
  l2->addWidget(opt_Orienta[1]);
  l2->addWidget(opt_Orienta[0]);
  l2->addStretch();

  auto* frame_3 = Cornici[2] = Cornice(this, "frame_3", " Margini (millimetri) ");
  txtMar_Sx = Casella(frame_3, "txtMar_Sx", 3);
  txtMar_Dx = Casella(frame_3, "txtMar_Dx", 3);
  txtMar_Top = Casella(frame_3, "txtMar_Top", 3);
  txtMar_Bot = Casella(frame_3, "txtMar_Bot", 3);
  auto* l3 = new QGridLayout(frame_3);
  l3->addWidget(Etichetta(frame_3, "lbl2", "Sinistro"), 0, 0);
  l3->addWidget(txtMar_Sx, 0, 1);
  l3->addWidget(Etichetta(frame_3, "lbl3", "Destro"), 0, 2);
  l3->addWidget(txtMar_Dx, 0, 3);
  l3->addWidget(Etichetta(frame_3, "lbl4", "Superiore"), 1, 0);
  l3->addWidget(txtMar_Top, 1, 1);
  l3->addWidget(Etichetta(frame_3, "lbl5", "Inferiore"), 1, 2);
  l3->addWidget(txtMar_Bot, 1, 3);

  auto* frame_4 = Cornici[3] = Cornice(this, "frame_4", " Copie ");
  txtCopie = Casella(frame_4, "txtCopie", 3);
  chkFascicola = new QCheckBox(QStringLiteral("Fascicola"), frame_4);
  chkFascicola->setObjectName("chkFascicola");
  auto* l4 = new QGridLayout(frame_4);
  l4->addWidget(Etichetta(frame_4, "lbl6", "Numero"), 0, 0);
  l4->addWidget(txtCopie, 0, 1);
  l4->addWidget(chkFascicola, 1, 0, 1, 2);

  auto* frame_5 = Cornici[4] = Cornice(this, "frame_5", " Dimensione ");
  chkAdatta = new QCheckBox(QStringLiteral("Adatta alla pagina"), frame_5);
  chkAdatta->setObjectName("chkAdatta");
  chkAllineaX = new QCheckBox(QStringLiteral("Allineamento orrizzontale"), frame_5);
  chkAllineaX->setObjectName("chkAllineaX");
  chkAllineaY = new QCheckBox(QStringLiteral("Allineamento verticale"), frame_5);
  chkAllineaY->setObjectName("chkAllineaY");
  txtZoomX = Casella(frame_5, "txtZoomX", 6);
  txtZoomY = Casella(frame_5, "txtZoomY", 6);
  lbl7 = Etichetta(frame_5, "lbl7", "zoom orizzontale");
  lbl8 = Etichetta(frame_5, "lbl8", "zoom verticale");
  auto* l5 = new QGridLayout(frame_5);
  l5->addWidget(chkAdatta, 0, 0, 1, 2);
  l5->addWidget(chkAllineaX, 1, 0, 1, 2);
  l5->addWidget(chkAllineaY, 2, 0, 1, 2);
  l5->addWidget(lbl7, 3, 0);
  l5->addWidget(txtZoomX, 3, 1);
  l5->addWidget(lbl8, 4, 0);
  l5->addWidget(txtZoomY, 4, 1);

  auto* frame_6 = Cornici[5] = Cornice(this, "frame_6", " Pagine da stampare ");
  txtPagDa = Casella(frame_6, "txtPagDa", 5);
  txtPagA = Casella(frame_6, "txtPagA", 5);
  auto* l6 = new QGridLayout(frame_6);
  l6->addWidget(Etichetta(frame_6, "lbl9", "Iniziale"), 0, 0);
  l6->addWidget(txtPagDa, 0, 1);
  l6->addWidget(Etichetta(frame_6, "lbl10", "Finale"), 1, 0);
  l6->addWidget(txtPagA, 1, 1);

  cmd_Conferma = new QPushButton(QStringLiteral("Conferma"), this);
  cmd_Conferma->setObjectName("cmd_Conferma");
  cmd_Stampa = new QPushButton(QStringLiteral("Stampa"), this);
  cmd_Stampa->setObjectName("cmd_Stampa");
  cmd_Annulla = new QPushButton(QStringLiteral("Annulla"), this);
  cmd_Annulla->setObjectName("cmd_Annulla");
  for (QPushButton* b : {cmd_Proprieta, cmd_Conferma, cmd_Stampa, cmd_Annulla}) b->setAutoDefault(false);

  auto* griglia = new QGridLayout(this);
  griglia->addWidget(frame_1, 0, 0, 1, 3);
  griglia->addWidget(frame_2, 1, 0);
  griglia->addWidget(frame_3, 1, 1);
  griglia->addWidget(frame_4, 1, 2);
  griglia->addWidget(frame_5, 2, 0, 1, 2);
  griglia->addWidget(frame_6, 2, 2);
  auto* pulsanti = new QHBoxLayout;
  pulsanti->addStretch();
  pulsanti->addWidget(cmd_Conferma);
  pulsanti->addWidget(cmd_Stampa);
  pulsanti->addWidget(cmd_Annulla);
  griglia->addLayout(pulsanti, 3, 0, 1, 3);

  // A change re-checks its box alone; the page boxes check each other.
  auto controlla_intero = [this](QLineEdit* box, int32_t* valore, int32_t minimo, int32_t massimo) {
    connect(box, &QLineEdit::textChanged, this,
            [=, this] { Campo_Controlla_Intero(box, *valore, minimo, massimo); });
  };
  controlla_intero(txtMar_Sx, &impostazioni_.Margine_Sx, 0, 999);
  controlla_intero(txtMar_Dx, &impostazioni_.Margine_Dx, 0, 999);
  controlla_intero(txtMar_Top, &impostazioni_.Margine_Top, 0, 999);
  controlla_intero(txtMar_Bot, &impostazioni_.Margine_Bot, 0, 999);
  controlla_intero(txtCopie, &impostazioni_.Copie, 1, 999);
  connect(txtZoomX, &QLineEdit::textChanged, this,
          [this] { Campo_Controlla_Decimale(txtZoomX, impostazioni_.Zoom_X, 10.0, 800.0); });
  connect(txtZoomY, &QLineEdit::textChanged, this,
          [this] { Campo_Controlla_Decimale(txtZoomY, impostazioni_.Zoom_Y, 10.0, 800.0); });
  connect(txtPagDa, &QLineEdit::textChanged, this, [this] { Pagina_Da_Cambiata(); });
  connect(txtPagA, &QLineEdit::textChanged, this, [this] { Pagina_A_Cambiata(); });
  connect(chkAdatta, &QCheckBox::clicked, this, [this] { Adatta_Applica(); });

  connect(cmd_Annulla, &QPushButton::clicked, this, &QDialog::reject);
  connect(cmd_Conferma, &QPushButton::clicked, this, [this] { Conferma(); });
  connect(cmd_Stampa, &QPushButton::clicked, this, [this] { Stampa_Ora(); });
  connect(cmd_Proprieta, &QPushButton::clicked, this, [this] {
    if (servizi_.proprieta) servizi_.proprieta(this, Trim(Ansi_Qt(Stampanti->currentText())));
  });
}

// ---- Settings ----------------------------------------------------------------------------

void FrmStampa::Impostazioni_Leggi() {
  auto* d = servizi_.dispositivo;
  impostazioni_ = imv::Impostazioni_Leggi(file_ini_, paragrafo_, Separatori_Utente(),
                                          [d] { return d ? d->Predefinita() : std::string(); });
}

bool FrmStampa::Impostazioni_Scrivi() {
  Impostazioni_Stampa i = impostazioni_;  // the boxes' values as their checks read them
  i.Nome = Trim(Ansi_Qt(Stampanti->currentText()));
  i.Adatta = chkAdatta->isChecked() ? 1 : 0;
  i.Allinea_X = chkAllineaX->isChecked() ? 1 : 0;
  i.Allinea_Y = chkAllineaY->isChecked() ? 1 : 0;
  i.Fascicola = chkFascicola->isChecked() ? 1 : 0;
  const bool scelto = opt_Orienta[0]->isChecked() || opt_Orienta[1]->isChecked();
  i.Verticale = opt_Orienta[1]->isChecked();
  return imv::Impostazioni_Scrivi(file_ini_, paragrafo_, i, scelto);
}

bool FrmStampa::Campo_Controlla_Intero(QLineEdit* box, int32_t& valore, int32_t minimo, int32_t massimo) {
  if (box->isHidden() || box->isReadOnly()) return true;
  Colori(box, false);
  const bool bene = Controlla_Intero(Ansi_Qt(box->text()), Separatori_Utente(), minimo, massimo, valore);
  if (!bene) Colori(box, true);
  return bene;
}

bool FrmStampa::Campo_Controlla_Decimale(QLineEdit* box, double& valore, double minimo, double massimo) {
  if (box->isHidden() || box->isReadOnly()) return true;
  Colori(box, false);
  const bool bene = Controlla_Decimale(Ansi_Qt(box->text()), Separatori_Utente(), minimo, massimo, valore);
  if (!bene) Colori(box, true);
  return bene;
}

bool FrmStampa::Campi_Controlla() {
  auto& i = impostazioni_;
  bool bene = Campo_Controlla_Intero(txtMar_Sx, i.Margine_Sx, 0, 999);
  bene = Campo_Controlla_Intero(txtMar_Dx, i.Margine_Dx, 0, 999) && bene;
  bene = Campo_Controlla_Intero(txtMar_Top, i.Margine_Top, 0, 999) && bene;
  bene = Campo_Controlla_Intero(txtMar_Bot, i.Margine_Bot, 0, 999) && bene;
  bene = Campo_Controlla_Intero(txtCopie, i.Copie, 1, 999) && bene;
  bene = Campo_Controlla_Decimale(txtZoomX, i.Zoom_X, 10.0, 800.0) && bene;
  bene = Campo_Controlla_Decimale(txtZoomY, i.Zoom_Y, 10.0, 800.0) && bene;
  bene = Campo_Controlla_Intero(txtPagDa, modello_.da, modello_.prima, modello_.ultima) && bene;
  bene = Campo_Controlla_Intero(txtPagA, modello_.a, modello_.prima, modello_.ultima) && bene;
  if (!bene) return false;
  const bool da = Campo_Controlla_Intero(txtPagDa, modello_.da, modello_.prima, modello_.a);
  const bool a = Campo_Controlla_Intero(txtPagA, modello_.a, modello_.da, modello_.ultima);
  return da && a;
}

void FrmStampa::Pagina_Da_Cambiata() {
  Campo_Controlla_Intero(txtPagDa, modello_.da, modello_.prima, modello_.ultima);
  if (Campo_Controlla_Intero(txtPagA, modello_.a, modello_.prima, modello_.ultima))
    Campo_Controlla_Intero(txtPagDa, modello_.da, modello_.prima, modello_.a);
}

void FrmStampa::Pagina_A_Cambiata() {
  Campo_Controlla_Intero(txtPagA, modello_.a, modello_.prima, modello_.ultima);
  if (Campo_Controlla_Intero(txtPagDa, modello_.da, modello_.prima, modello_.ultima))
    Campo_Controlla_Intero(txtPagA, modello_.a, modello_.da, modello_.ultima);
}

void FrmStampa::Adatta_Applica() {
  const bool libero = !chkAdatta->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{txtZoomX, txtZoomY, lbl7, lbl8}) w->setEnabled(libero);
}

void FrmStampa::Riempi() {
  const Impostazioni_Stampa i = impostazioni_;
  const Modello_Stampa m = modello_;
  Stampanti->clear();
  std::vector<std::string> elenco;
  if (servizi_.dispositivo) elenco = servizi_.dispositivo->Elenco();
  // The kept name picks its printer as printing finds it (exactly, without
  // regard to case, or by the queue part of a Windows name); a printer that
  // is gone leaves the list without a choice.
  const auto coda = stampa::Coda_Per_Nome(i.Nome, elenco, servizi_.dispositivo ? servizi_.dispositivo->Predefinita() : "");
  int scelta = -1;
  for (size_t k = 0; k < elenco.size(); ++k) {
    Stampanti->addItem(Testo_Qt(elenco[k]));
    if (scelta < 0 && coda && elenco[k] == *coda) scelta = static_cast<int>(k);
  }
  Stampanti->setCurrentIndex(scelta);

  chkAdatta->setChecked(i.Adatta == 1);
  chkAllineaX->setChecked(i.Allinea_X == 1);
  chkAllineaY->setChecked(i.Allinea_Y == 1);
  const QChar decimale = QChar::fromLatin1(Separatori_Utente().decimale);
  auto zoom = [&](double v) { return QString::fromStdString(Format(v, "#0.00")).replace(QChar('.'), decimale); };
  txtZoomX->setText(zoom(i.Zoom_X));
  txtZoomY->setText(zoom(i.Zoom_Y));
  opt_Orienta[1]->setChecked(i.Verticale);
  opt_Orienta[0]->setChecked(!i.Verticale);
  auto intero = [](int32_t v) { return QString::fromStdString(Format(v, "#0")); };
  txtMar_Sx->setText(intero(i.Margine_Sx));
  txtMar_Dx->setText(intero(i.Margine_Dx));
  txtMar_Top->setText(intero(i.Margine_Top));
  txtMar_Bot->setText(intero(i.Margine_Bot));
  txtCopie->setText(intero(i.Copie));
  chkFascicola->setChecked(i.Fascicola == 1);
  txtPagDa->setText(intero(m.prima));
  txtPagA->setText(intero(m.ultima));
}

// ---- Opening and the buttons -----------------------------------------------------------------

bool FrmStampa::Carica(QWidget* Padre, const std::string& FileINI, const std::string& Paragrafo,
                       const std::string& NomeFile) {
  finestra_ = reinterpret_cast<intptr_t>(Padre);
  file_ini_ = FileINI;
  paragrafo_ = Paragrafo;
  modello_ = Modello_Stampa{};
  modello_.NomeFile = NomeFile;
  Impostazioni_Leggi();
  // Without a document there are no pages to find: page 1 only, and the
  // dialog can only keep the settings.
  if (!NomeFile.empty() && !Pagine_Cerca(-1)) {
    Messaggio("errore nella ricerca delle pagine");
    return false;
  }
  Riempi();
  Adatta_Applica();
  cmd_Stampa->setVisible(!NomeFile.empty());
  setWindowModality(Qt::ApplicationModal);
  exec();
  return true;
}

bool FrmStampa::Scrivi_O_Avvisa() {
  if (Impostazioni_Scrivi()) return true;
  // The settings did not reach the file: the dialog stays open.
  Messaggio("Impossibile salvare le impostazioni di stampa in " + file_ini_);
  return false;
}

void FrmStampa::Conferma() {
  if (!Campi_Controlla() || !Scrivi_O_Avvisa()) return;
  accept();
}

void FrmStampa::Stampa_Ora() {
  if (!Campi_Controlla() || !Scrivi_O_Avvisa()) return;
  Documento_Stampa();
  accept();
}

void FrmStampa::Messaggio(const std::string& testo) {
  // A box waits for the user with the normal pointer, also in the middle of a print.
  const Cursore_Sospeso normale;
  if (servizi_.messaggi) servizi_.messaggi->MsgBox(A(testo), vbOKOnly, kTitolo_Stampa);
}

// ---- Pages and printing --------------------------------------------------------------------

bool FrmStampa::Pagine_Cerca(int32_t pagina) {
  try {
    if (pagina < 0) {
      img::Info_File info;
      if (!img::Carica(modello_.NomeFile, im3_, 1, &info)) return false;
      return modello_.Scopri(info.immagini, File_Esiste);
    }
    if (modello_.immagini > 1) return static_cast<bool>(img::Carica(modello_.NomeFile, im3_, pagina));
    if (modello_.cifre_numero == 0) return !im3_.Vuota();  // the one file stays loaded
    return static_cast<bool>(img::Carica(modello_.File(pagina), im3_, 1));
  } catch (const std::exception&) {
    return false;
  }
}

bool FrmStampa::Stampa(int64_t hWnd, const std::string& FileINI, const std::string& Paragrafo,
                       const std::string& NomeFile) {
  finestra_ = hWnd;
  file_ini_ = FileINI;
  paragrafo_ = Paragrafo;
  modello_ = Modello_Stampa{};
  modello_.NomeFile = NomeFile;
  if (!Pagine_Cerca(-1)) {
    Messaggio("errore nella ricerca delle pagine");
    return false;
  }
  return Documento_Stampa();
}

bool FrmStampa::Documento_Stampa() {
  if (!servizi_.dispositivo) return false;
  stampa::Dispositivo_Stampa& d = *servizi_.dispositivo;
  stampa::Contesto dc = 0;
  bool lavoro = false;
  int saltate = 0;
  // The busy pointer while the pages are drawn and sent, and the count of
  // a long job, until the job ends however it ends.
  const Cursore_Attesa attesa;
  struct Conteggio {
    const Servizi_Stampa& s;
    bool attivo = false;
    void Inviate(int n, int totale) {
      if (totale <= kPoche_Pagine || !s.avanzamento) return;
      attivo = true;
      s.avanzamento(n, totale);
    }
    ~Conteggio() {
      if (attivo) s.avanzamento(0, 0);
    }
  } conteggio{servizi_};
  try {
    Impostazioni_Leggi();
    const Impostazioni_Stampa& i = impostazioni_;
    std::string testo;
    if (stampa::Stampante_Stato(d, i.Nome, testo) != 0) {
      Messaggio(Ansi_A_Utf8("La stampante " + testo));
      return false;
    }
    dc = stampa::Stampante_Crea_DC(d, i.Nome);
    if (dc == 0) throw std::runtime_error("no device context");
    // Fewer than one copy is one copy, so that a document always prints.
    const int32_t copie = std::max<int32_t>(1, i.Copie);
    const int32_t passate = i.Fascicola == 1 ? copie : 1;
    const int32_t copie_pagina = i.Fascicola == 1 ? 1 : copie;
    if (stampa::Stampante_Imposta(d, {}, reinterpret_cast<intptr_t>(this), dc, i.Nome, i.Verticale, copie_pagina, "",
                                  0, 0, 0) != 0) {
      stampa::Stampante_Elimina_DC(d, dc);
      return false;
    }
    const auto capacita = d.Capacita_DC(dc);
    if (!capacita || capacita->dpi_x <= 0 || capacita->dpi_y <= 0) throw std::runtime_error("no page metrics");
    // The printable area in twips, 32 bits wide.
    const auto W = static_cast<int32_t>(Arrotonda_Pari(capacita->larghezza * 1440.0 / capacita->dpi_x));
    const auto H = static_cast<int32_t>(Arrotonda_Pari(capacita->altezza * 1440.0 / capacita->dpi_y));
    if (stampa::Stampante_Inizio_Doc(d, dc, "Quillon") <= 0) throw std::runtime_error("job not started");
    lavoro = true;
    const int64_t totale = static_cast<int64_t>(passate) * std::max<int64_t>(0, int64_t{modello_.a} - modello_.da + 1);
    const int totale_int = static_cast<int>(std::min<int64_t>(totale, std::numeric_limits<int>::max()));
    int inviate = 0;
    for (int32_t passata = 1; passata <= passate; ++passata) {
      for (int64_t p = modello_.da; p <= modello_.a; ++p) {
        if (!Pagine_Cerca(static_cast<int32_t>(p))) {
          ++saltate;
          continue;
        }
        const stampa::Rettangolo r = Posizione_Pagina(i, im3_.Larghezza(), im3_.Altezza(), im3_.Dpi_X(), im3_.Dpi_Y(), W, H);
        if (stampa::Stampante_Inizio_Pagina(d, dc) <= 0) throw std::runtime_error("page not started");
        if (!d.Disegna(dc, im3_, r)) throw std::runtime_error("page not drawn");
        Pompa(servizi_.pompa);
        stampa::Stampante_Fine_Pagina(d, dc);
        conteggio.Inviate(++inviate, totale_int);
        Pompa(servizi_.pompa);
      }
    }
    lavoro = false;
    if (stampa::Stampante_Fine_Doc(d, dc) <= 0) throw std::runtime_error("job not ended");
    stampa::Stampante_Elimina_DC(d, dc);
    dc = 0;
    Pompa(servizi_.pompa);
  } catch (const std::exception&) {
    // Nothing half-made reaches the printer, and the context is freed.
    if (lavoro) d.Annulla_Doc(dc);
    if (dc != 0) stampa::Stampante_Elimina_DC(d, dc);
    Messaggio("Errore generico in stampa");
    return false;
  }
  if (saltate > 0) {
    // The rest was printed; a short print is not a success.
    Messaggio("Pagine non stampate: " + std::to_string(saltate));
    return false;
  }
  return true;
}

// ---- One request at a time --------------------------------------------------------------------

Servizi_Stampa Stampa_Visore::Servizi(MessageSink* messaggi, Avanzamento avanzamento) const {
  Servizi_Stampa s = servizi_;
  if (!s.messaggi) s.messaggi = messaggi;
  if (!s.avanzamento) s.avanzamento = std::move(avanzamento);
  return s;
}

bool Stampa_Visore::Carica(QWidget* Padre, const std::string& FileINI, const std::string& Paragrafo,
                           const std::string& NomeFile, MessageSink* messaggi, Avanzamento avanzamento) {
  if (occupato_) return false;
  occupato_ = true;
  bool r = false;
  {
    FrmStampa frm(Servizi(messaggi, std::move(avanzamento)), Padre);
    r = frm.Carica(Padre, FileINI, Paragrafo, NomeFile);
  }
  occupato_ = false;
  return r;
}

bool Stampa_Visore::Stampa(int64_t hWnd, const std::string& FileINI, const std::string& Paragrafo,
                           const std::string& NomeFile, MessageSink* messaggi, Avanzamento avanzamento) {
  if (occupato_) return false;
  occupato_ = true;
  bool r = false;
  {
    FrmStampa frm(Servizi(messaggi, std::move(avanzamento)), nullptr);
    r = frm.Stampa(hWnd, FileINI, Paragrafo, NomeFile);
  }
  occupato_ = false;
  return r;
}

void Stampa_Visore::Collega(Qod_IMV& visore) {
  Azioni_Visore& a = visore.Azioni();
  auto stato = [](Qod_IMV& v) {
    return [&v](int inviate, int totale) { v.Stato_Stampa_Mostra(inviate > 0 ? Testo_Avanzamento(inviate, totale) : ""); };
  };
  a.Set_Stampa = [this, stato](Qod_IMV& v, const std::string& nome) {
    return Carica(v.window(), v.qodimv_FileINI(), v.qodimv_Paragrafo(), nome, &v.Messaggi(), stato(v));
  };
  a.Stampa = [this, stato](Qod_IMV& v, const std::string& nome) {
    return Stampa(reinterpret_cast<intptr_t>(v.window()), v.qodimv_FileINI(), v.qodimv_Paragrafo(), nome,
                  &v.Messaggi(), stato(v));
  };
}

}  // namespace qod::imv
