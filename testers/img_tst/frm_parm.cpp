#include "frm_parm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <chrono>

#include "qod/basic.h"
#include "qod/testers/file_testo.h"
#include "qod/testers/parametri.h"
#include "qt_testo.h"

namespace qod::testers {

namespace {

const std::vector<std::string>* Voci_Di(const std::string& nome) {
  if (nome == "txt_S") return &Voci_Formato();
  if (nome == "txt_Orie") return &Voci_Orientamento();
  if (nome.starts_with("Img_Pos")) return &Voci_Posizione();
  return &Voci_Modo();
}

// The caption beside a field, where it has one.
std::string Didascalia(const std::string& nome) {
  static const std::vector<std::pair<std::string, std::string>> d = {
      {"txt_Rx", "Rx"}, {"txt_Ry", "Ry"}, {"chkOtt", "Ott."}, {"txtQual", "Qual."}, {"txtAtt", "Att."},
      {"txt_Rows_Strip", "RowStrip"}, {"chkMulti", "MultiPage"}, {"txt_Cmd_CPY", "Indice copia"},
      {"txt_Col_Dim", "Dim. colonne"}, {"txt_Row_Dim", "Dim. righe"}};
  for (const auto& [n, t] : d)
    if (n == nome) return t;
  return "";
}

// A short name of what an uncaptioned field holds, shown beside it in place
// of the sketch of its group.
std::string Segno(const std::string& nome) {
  const std::string base = nome.substr(0, nome.find('('));
  static const std::vector<std::pair<std::string, std::string>> d = {
      {"out_Width", "Larg."},   {"out_Height", "Alt."},   {"txt_Top", "Alto"},       {"txt_Left", "Sin."},
      {"txt_Cols", "Colonne"},  {"txt_Rows", "Righe"},    {"fnt_Top", "Alto"},       {"fnt_Left", "Sin."},
      {"fnt_Width", "Larg."},   {"fnt_Height", "Alt."},   {"fnt_Mode", "Modo"},      {"img_Left", "Sin."},
      {"img_Top", "Alto"},      {"img_Src_Left", "Src sin."}, {"img_Src_Top", "Src alto"}, {"img_Width", "Larg."},
      {"img_Height", "Alt."},   {"img_Mode", "Modo"},     {"Img_Pos", "Pos."},       {"img_ZoomX", "Zoom X"},
      {"img_ZoomY", "Zoom Y"},  {"txt_Orie", "Orient."},  {"txt_S", "Formato"}};
  for (const auto& [n, t] : d)
    if (n == base) return t;
  return "";
}

}  // namespace

FrmParm::FrmParm(Dialoghi& dialoghi, const std::string& cartella, QWidget* genitore)
    : QWidget(genitore), dialoghi_(dialoghi), cartella_(cartella) {
  setObjectName("frmParm");
  setWindowTitle("Parametri per Qod_IMG.ocx");
  Costruisci();
  // The defaults: the paths under the start folder, the list choices, the
  // numbers and the check states.
  const auto valori = Valori_Predefiniti(cartella_);
  const auto& campi = Campi();
  for (size_t i = 0; i < campi.size(); ++i) {
    if (campi[i].tipo == Tipo_Campo::Colore) {
      Colore_Imposta(Valore_Numerico(valori[i]));
    } else {
      Imposta_Campo(campi[i].nome, valori[i]);
    }
  }
}

FrmParm::~FrmParm() = default;

void FrmParm::Costruisci() {
  setFont(Font_Piccolo(font()));
  campi_ = Campi_Crea();
  out_Colore = static_cast<QPushButton*>(Campo_Widget("out_Colore"));
  Pulsanti_Crea();

  // The groups, in the form's order; the page sketches inside them.
  QGroupBox* gOut = Gruppo_Out();
  QGroupBox* gMsg = Gruppo_Messaggi();
  QGroupBox* gCmd = Gruppo_Comandi();
  QGroupBox* gFnt = Gruppo_Font();
  QGroupBox* gTxt = Gruppo_Testo();
  QGroupBox* gImg[2] = {Gruppo_Immagine(0), Gruppo_Immagine(1)};

  auto* g = new QGridLayout(this);
  g->addWidget(gOut, 0, 0, 1, 2);
  g->addWidget(gMsg, 1, 0);
  g->addWidget(gCmd, 1, 1);
  g->addWidget(gFnt, 2, 0);
  g->addWidget(gTxt, 2, 1);
  g->addWidget(gImg[0], 3, 0);
  g->addWidget(gImg[1], 3, 1);

  Pulsanti_Collega();
}

std::vector<QWidget*> FrmParm::Campi_Crea() {
  std::vector<QWidget*> campi;
  for (const Campo& c : Campi()) {
    QWidget* w = nullptr;
    switch (c.tipo) {
      case Tipo_Campo::Testo: {
        auto* e = new QLineEdit(this);
        e->setMinimumWidth(c.conversione == Conversione::Testo ? 220 : 44);
        w = e;
        break;
      }
      case Tipo_Campo::Lista: {
        auto* l = new QComboBox(this);
        for (const std::string& v : *Voci_Di(c.nome)) l->addItem(Testo_Qt(v));
        w = l;
        break;
      }
      case Tipo_Campo::Spunta: w = new QCheckBox(Testo_Qt(Didascalia(c.nome)), this); break;
      case Tipo_Campo::Colore: {
        auto* b = new QPushButton(this);
        b->setFixedSize(36, 18);
        w = b;
        break;
      }
    }
    w->setObjectName(QString::fromStdString(c.nome));
    w->setToolTip(QString::fromStdString(c.proprieta));
    campi.push_back(w);
  }
  return campi;
}

void FrmParm::Pulsanti_Crea() {
  auto pulsante = [this](const char* testo, const QString& nome) {
    auto* b = new QPushButton(testo, this);
    b->setObjectName(nome);
    return b;
  };
  out_Apri = pulsante("Apri", "out_Apri");
  out_Visualizza = pulsante("Visualizza", "out_Visualizza");
  out_Esegui = pulsante("Esegui", "out_Esegui");
  fnt_Apri = pulsante("Apri", "fnt_Apri");
  fnt_Visualizza = pulsante("Visualizza", "fnt_Visualizza");
  txt_Apri = pulsante("Apri", "txt_Apri");
  txt_Modifica = pulsante("Modifica", "txt_Modifica");
  cmd_Apri = pulsante("Apri", "cmd_Apri");
  cmd_Modifica = pulsante("Modifica", "cmd_Modifica");
  cmd_Help = pulsante("Help", "cmd_Help");
  for (int i = 0; i < 2; ++i) {
    img_Apri[i] = pulsante("Apri", QString("img_Apri(%1)").arg(i));
    img_Visualizza[i] = pulsante("Visualizza", QString("img_Visualizza(%1)").arg(i));
  }
  lblStato = new QLabel(this);
  lblStato->setObjectName("lblStato");
  lblStato->setStyleSheet("color: red");
  lblStato->setWordWrap(true);
  lblTempo = new QLabel(this);
  lblTempo->setObjectName("lblTempo");
  lblTempo->setStyleSheet("color: blue");
  lblTempo->setMinimumWidth(50);
}

void FrmParm::Metti(QGridLayout* g, const std::string& nome, int riga, int colonna, int ampiezza) {
  QWidget* w = Campo_Widget(nome);
  std::string etichetta = dynamic_cast<QCheckBox*>(w) ? "" : Didascalia(nome);
  if (etichetta.empty() && !dynamic_cast<QCheckBox*>(w)) etichetta = Segno(nome);
  if (!etichetta.empty()) g->addWidget(new QLabel(Testo_Qt(etichetta), this), riga, colonna);
  g->addWidget(w, riga, colonna + 1, 1, ampiezza);
}

QFrame* FrmParm::Schizzo(const QString& nome) {
  auto* f = new QFrame(this);
  f->setObjectName(nome);
  f->setFrameShape(QFrame::Box);
  f->setFixedSize(26, 34);
  f->setAutoFillBackground(true);
  schizzi_.push_back(f);
  return f;
}

QGroupBox* FrmParm::Gruppo_Out() {
  auto* gOut = new QGroupBox(" Out ", this);
  auto* lo = new QGridLayout(gOut);
  lo->addWidget(Campo_Widget("out_Nome"), 0, 0, 1, 6);
  lo->addWidget(out_Apri, 0, 6);
  lo->addWidget(out_Visualizza, 0, 7);
  Metti(lo, "out_Width", 1, 0);
  Metti(lo, "out_Height", 1, 2);
  Metti(lo, "txt_S", 1, 4);
  Metti(lo, "txt_Rx", 2, 0);
  Metti(lo, "txt_Ry", 2, 2);
  lo->addWidget(new QLabel("Colore", this), 2, 4);
  lo->addWidget(out_Colore, 2, 5);
  auto* gJpeg = new QGroupBox(" JPEG ", this);
  auto* lj = new QGridLayout(gJpeg);
  lj->addWidget(Campo_Widget("chkOtt"), 0, 0, 1, 2);
  Metti(lj, "txtQual", 1, 0);
  Metti(lj, "txtAtt", 2, 0);
  auto* gTiff = new QGroupBox(" TIFF", this);
  auto* lt = new QGridLayout(gTiff);
  Metti(lt, "txt_Rows_Strip", 0, 0);
  lt->addWidget(Campo_Widget("chkMulti"), 1, 0, 1, 2);
  lo->addWidget(gJpeg, 1, 6, 3, 1);
  lo->addWidget(gTiff, 1, 7, 3, 1);
  lo->addWidget(out_Esegui, 3, 0, 1, 2);
  lo->addWidget(lblTempo, 3, 2, 1, 2);
  return gOut;
}

QGroupBox* FrmParm::Gruppo_Messaggi() {
  auto* gMsg = new QGroupBox(" Messaggi ", this);
  auto* lm = new QVBoxLayout(gMsg);
  lm->addWidget(lblStato);
  return gMsg;
}

QGroupBox* FrmParm::Gruppo_Comandi() {
  auto* gCmd = new QGroupBox(" Comandi ", this);
  auto* lc = new QGridLayout(gCmd);
  lc->addWidget(Campo_Widget("cmd_Nome"), 0, 0, 1, 3);
  lc->addWidget(cmd_Apri, 1, 0);
  lc->addWidget(cmd_Modifica, 1, 1);
  lc->addWidget(cmd_Help, 1, 2);
  return gCmd;
}

QGroupBox* FrmParm::Gruppo_Font() {
  auto* gFnt = new QGroupBox(" Font ", this);
  auto* lf = new QGridLayout(gFnt);
  lf->addWidget(Campo_Widget("fnt_Nome"), 0, 0, 1, 4);
  lf->addWidget(fnt_Apri, 0, 4);
  lf->addWidget(fnt_Visualizza, 0, 5);
  Metti(lf, "fnt_Top", 1, 0);
  Metti(lf, "fnt_Left", 1, 2);
  Metti(lf, "fnt_Width", 2, 0);
  Metti(lf, "fnt_Height", 2, 2);
  Metti(lf, "fnt_Mode", 3, 0, 2);
  return gFnt;
}

QGroupBox* FrmParm::Gruppo_Testo() {
  auto* gTxt = new QGroupBox(" Testo ", this);
  auto* lx = new QGridLayout(gTxt);
  lx->addWidget(Campo_Widget("txt_Nome"), 0, 0, 1, 4);
  lx->addWidget(txt_Apri, 0, 4);
  lx->addWidget(txt_Modifica, 0, 5);
  Metti(lx, "txt_Cmd_CPY", 1, 0);
  Metti(lx, "txt_Orie", 1, 2);
  Metti(lx, "txt_Col_Dim", 2, 0);
  Metti(lx, "txt_Row_Dim", 2, 2);
  Metti(lx, "txt_Top", 3, 0);
  Metti(lx, "txt_Left", 3, 2);
  Metti(lx, "txt_Cols", 4, 0);
  Metti(lx, "txt_Rows", 4, 2);
  lx->addWidget(Schizzo("out_img_txt"), 1, 5, 3, 1);
  return gTxt;
}

QGroupBox* FrmParm::Gruppo_Immagine(int i) {
  const std::string e = "(" + std::to_string(i) + ")";
  auto* gImg = new QGroupBox(i == 0 ? " Immagine 1 " : " Immagine 2 ", this);
  auto* li = new QGridLayout(gImg);
  li->addWidget(Campo_Widget("img_Nome" + e), 0, 0, 1, 4);
  li->addWidget(img_Apri[i], 0, 4);
  li->addWidget(img_Visualizza[i], 0, 5);
  Metti(li, "img_Left" + e, 1, 0);
  Metti(li, "img_Top" + e, 1, 2);
  Metti(li, "img_Src_Left" + e, 2, 0);
  Metti(li, "img_Src_Top" + e, 2, 2);
  Metti(li, "img_Width" + e, 3, 0);
  Metti(li, "img_Height" + e, 3, 2);
  Metti(li, "img_Mode" + e, 4, 0);
  Metti(li, "Img_Pos" + e, 4, 2);
  Metti(li, "img_ZoomX" + e, 5, 0);
  Metti(li, "img_ZoomY" + e, 5, 2);
  li->addWidget(Schizzo(QString("out_img_img(%1)").arg(i)), 1, 5, 3, 1);
  return gImg;
}

void FrmParm::Pulsanti_Collega() {
  connect(static_cast<QComboBox*>(Campo_Widget("txt_S")), &QComboBox::activated, this, [this] {
    Imposta_Campo("out_Nome", Estensione_Cambia(Testo_Campo("out_Nome"), Testo_Campo("txt_S")));
  });
  connect(out_Apri, &QPushButton::clicked, this, [this] { Apri("TIF", "out_Nome"); });
  connect(fnt_Apri, &QPushButton::clicked, this, [this] { Apri("BMP", "fnt_Nome"); });
  connect(txt_Apri, &QPushButton::clicked, this, [this] { Apri("TXT", "txt_Nome"); });
  connect(cmd_Apri, &QPushButton::clicked, this, [this] { Apri("TXT", "cmd_Nome"); });
  connect(out_Visualizza, &QPushButton::clicked, this, [this] { Visualizza("Immagine out        ", "out_Nome"); });
  connect(fnt_Visualizza, &QPushButton::clicked, this, [this] { Visualizza("Immagine del font   ", "fnt_Nome"); });
  for (int i = 0; i < 2; ++i) {
    const std::string campo = "img_Nome(" + std::to_string(i) + ")";
    connect(img_Apri[i], &QPushButton::clicked, this, [this, campo] { Apri("TIF", campo); });
    connect(img_Visualizza[i], &QPushButton::clicked, this, [this, campo, i] {
      Visualizza("Immagine " + std::to_string(i + 1) + Space(10), campo);
    });
  }
  connect(txt_Modifica, &QPushButton::clicked, this, [this] { Modifica(kTesto); });
  connect(cmd_Modifica, &QPushButton::clicked, this, [this] { Modifica(kComandi); });
  connect(cmd_Help, &QPushButton::clicked, this, [this] {
    frmHelp()->show();
    frmHelp()->raise();
  });
  connect(out_Colore, &QPushButton::clicked, this, [this] {
    if (auto c = dialoghi_.Scegli_Colore(colore_)) Colore_Imposta(*c);
  });
  connect(out_Esegui, &QPushButton::clicked, this, [this] {
    // The file being edited is saved first, so the run reads what was typed;
    // if it cannot be saved the run does not start and the reason stays.
    for (QPushButton* b : {txt_Modifica, cmd_Modifica}) {
      if (b->text() == "Salva") {
        Modifica(b == txt_Modifica ? kTesto : kComandi);
        if (b->text() == "Salva") return;
      }
    }
    frmOut()->Pulizia("Immagine out        " + Testo_Campo("out_Nome"));
    Esegui_Elaborazione();
  });
}

QWidget* FrmParm::Campo_Widget(const std::string& nome) const {
  const auto& campi = Campi();
  for (size_t i = 0; i < campi.size(); ++i)
    if (campi[i].nome == nome) return campi_[i];
  return nullptr;
}

std::string FrmParm::Testo_Campo(const std::string& nome) const {
  QWidget* w = Campo_Widget(nome);
  if (auto* e = dynamic_cast<QLineEdit*>(w)) return Ansi_Qt(e->text());
  if (auto* l = dynamic_cast<QComboBox*>(w)) return Ansi_Qt(l->currentText());
  if (auto* c = dynamic_cast<QCheckBox*>(w)) return c->isChecked() ? "1" : "0";
  return std::to_string(colore_);
}

void FrmParm::Imposta_Campo(const std::string& nome, const std::string& testo) {
  QWidget* w = Campo_Widget(nome);
  if (auto* e = dynamic_cast<QLineEdit*>(w)) e->setText(Testo_Qt(testo));
  if (auto* l = dynamic_cast<QComboBox*>(w)) l->setCurrentText(Testo_Qt(testo));
  if (auto* c = dynamic_cast<QCheckBox*>(w)) c->setChecked(testo == "1");
}

std::vector<std::string> FrmParm::Valori() const {
  std::vector<std::string> v;
  for (const Campo& c : Campi()) v.push_back(Testo_Campo(c.nome));
  return v;
}

void FrmParm::Colore_Imposta(int32_t rgb) {
  colore_ = rgb;
  const QColor c(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  out_Colore->setStyleSheet(QString("background-color: %1; border: 1px solid black").arg(c.name()));
  for (QFrame* f : schizzi_) {
    QPalette p = f->palette();
    p.setColor(QPalette::Window, c);
    f->setPalette(p);
  }
}

void FrmParm::Apri(const std::string& tipo, const std::string& campo) {
  const std::string filtro = tipo == "TIF" ? "Immagini (*.TIF;*.BMP;*.JPG;*.PGN)|*.TIF;*.BMP;*.JPG;*.PNG"
                                           : "(*." + tipo + ")|*." + tipo;
  // Cancelling gives "", which empties the field.
  Imposta_Campo(campo, dialoghi_.Scegli_File(filtro));
}

void FrmParm::Visualizza(const std::string& prefisso, const std::string& campo) {
  frmOut()->Pulizia(prefisso + Testo_Campo(campo));
  frmOut()->Carica();
}

void FrmParm::Accanto(QWidget* finestra) {
  finestra->resize(size());
  finestra->move(x() + frameGeometry().width(), y());
}

template <class Finestra>
Finestra* FrmParm::Secondaria(QPointer<Finestra>& finestra) {
  if (!finestra) {
    finestra = new Finestra(this);
    finestra->setAttribute(Qt::WA_DeleteOnClose);
    finestra->chiusa = [&finestra] { finestra = nullptr; };
    Accanto(finestra);
  }
  return finestra;
}

FrmOut* FrmParm::frmOut() { return Secondaria(out_); }

FrmHelp* FrmParm::frmHelp() { return Secondaria(help_); }

FrmTxt* FrmParm::frmTxt() {
  const bool nuova = !txt_;
  FrmTxt* t = Secondaria(txt_);
  if (nuova) t->chiusura = [this] { return Chiudi_Editor(); };
  return t;
}

void FrmParm::Modifica(int quale) {
  QPushButton* questo = quale == kTesto ? txt_Modifica : cmd_Modifica;
  QPushButton* altro = quale == kTesto ? cmd_Modifica : txt_Modifica;
  // One file at a time: the other one is saved first.
  if (altro->text() == "Salva") {
    Modifica(quale == kTesto ? kComandi : kTesto);
    if (altro->text() == "Salva") return;
  }
  const std::string campo = quale == kTesto ? "txt_Nome" : "cmd_Nome";
  const std::string nome = Testo_Campo(campo);
  if (questo->text() == "Modifica") {
    std::string byte;
    if (File_Leggi(nome, byte) == Esito_Lettura::Errore) {
      // Editing an empty text would overwrite the file on the next save.
      lblStato->setText(Testo_Qt("Impossibile leggere il file " + nome));
      return;
    }
    questo->setText("Salva");
    const std::string prefisso = quale == kTesto ? "File di testo       " : "File dei comandi    ";
    frmTxt()->Apri(prefisso + nome, byte);
    frmTxt()->show();
    frmTxt()->raise();
    return;
  }
  if (Salva_Editor(quale, nome)) frmTxt()->hide();
}

bool FrmParm::Salva_Editor(int quale, const std::string& nome) {
  QPushButton* questo = quale == kTesto ? txt_Modifica : cmd_Modifica;
  std::string motivo;
  if (!File_Salva(nome, frmTxt()->Testo(), &motivo)) {
    lblStato->setText(Testo_Qt("Impossibile scrivere il file " + nome + ": " + motivo));
    return false;
  }
  questo->setText("Modifica");
  return true;
}

bool FrmParm::Chiudi_Editor() {
  // Closing writes only while a file is being edited, to the file the
  // window's title names.
  for (QPushButton* b : {txt_Modifica, cmd_Modifica}) {
    if (b->text() != "Salva") continue;
    if (!Salva_Editor(b == txt_Modifica ? kTesto : kComandi, txt_->Nome_File())) return false;
  }
  txt_Modifica->setText("Modifica");
  cmd_Modifica->setText("Modifica");
  return true;
}

void FrmParm::Esegui_Elaborazione() {
  using Orologio = std::chrono::steady_clock;
  frmOut()->ImageMan1->hide();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setEnabled(false);
  const auto t0 = Orologio::now();
  lblTempo->setText("....");
  frmOut()->lblDim->clear();
  lblStato->setText("in esecuzione ...");
  QApplication::processEvents();

  const Separatori s = Separatori_Locale();
  if (auto errore = Imposta_Generatore(Valori(), s, Qod_IMG1)) {
    // Every field converts before the generator is touched.
    lblStato->setText(Testo_Qt(Messaggio_Campo(*errore)));
  } else {
    Qod_IMG1.qodimg_Elabora(true);
    lblStato->setText(Testo_Qt(Qod_IMG1.qodimg_Status));
    if (!Qod_IMG1.qodimg_Error) frmOut()->Carica();
  }
  const double secondi = std::chrono::duration<double>(Orologio::now() - t0).count();
  lblTempo->setText(Testo_Qt(Numero_Testo(secondi, 3, false, s)));
  setEnabled(true);
  QApplication::restoreOverrideCursor();
}

void FrmParm::closeEvent(QCloseEvent* e) {
  // The program ends with this window: the editor saves what is being
  // edited (a failure is reported and the earlier file stays), then the
  // other windows go.
  if (txt_) {
    Chiudi_Editor();
    txt_->chiusura = nullptr;
    txt_->close();
  }
  if (out_) out_->close();
  if (help_) help_->close();
  e->accept();
}

}  // namespace qod::testers
