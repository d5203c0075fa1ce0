#include "frm_font.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <utility>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/imaging/qimage.h"
#include "qod/ui/dialogo_file.h"
#include "qod/ui/qt.h"
#include "qod/viewer/vista_immagine.h"

namespace qod {
namespace {

// Twips to screen pixels.
int Px(int twip) { return twip / kTwip_Pixel; }

QColor Qt_Colore(img::Colore c) { return QColor(c.r, c.g, c.b); }

void Swatch(QLabel* l, img::Colore c) {
  l->setStyleSheet(QString("background-color: %1; border: 1px solid gray;").arg(Qt_Colore(c).name()));
}

// A box valid or not: window colours, or the title bar's.
void Casella_Colora(QLineEdit* t, bool valida) {
  QPalette p = t->palette();
  const QPalette s = QApplication::palette();
  p.setColor(QPalette::Base, valida ? s.color(QPalette::Base) : s.color(QPalette::Highlight));
  p.setColor(QPalette::Text, valida ? s.color(QPalette::Text) : s.color(QPalette::HighlightedText));
  t->setPalette(p);
}

// A widget made with `argomenti`, named `nome`.
template <typename W, typename... A>
W* Crea(const char* nome, A&&... argomenti) {
  auto* w = new W(std::forward<A>(argomenti)...);
  w->setObjectName(nome);
  return w;
}

// An empty colour swatch.
QLabel* Campione(const char* nome, QWidget* genitore) {
  auto* l = Crea<QLabel>(nome, genitore);
  l->setFixedSize(40, 20);
  return l;
}

// A row of a form: the caption in the first column, the box in the second.
void Riga(QGridLayout* g, int riga, const char* etichetta, QWidget* casella) {
  g->addWidget(new QLabel(etichetta), riga, 0);
  g->addWidget(casella, riga, 1);
}

// A dialog box's value when it is valid (see Valore_Casella).
std::optional<int> Valore(const QLineEdit* t, double minimo, double massimo) {
  return Valore_Casella(Ansi_Qt(t->text()), minimo, massimo);
}

// Colours each box as its value is valid or not; true when all are.
template <size_t N>
bool Caselle_Colora(const std::array<QLineEdit*, N>& caselle, const std::array<std::optional<int>, N>& valori) {
  bool tutte = true;
  for (size_t i = 0; i < N; ++i) {
    Casella_Colora(caselle[i], valori[i].has_value());
    tutte = tutte && valori[i].has_value();
  }
  return tutte;
}

// A dialog's command: the hourglass and the dialog disabled while `lavoro`
// runs, then the dialog closes as accepted.
void Esegui_E_Chiudi(QDialog& d, const std::function<void()>& lavoro) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  d.setEnabled(false);
  lavoro();
  d.setEnabled(true);
  QApplication::restoreOverrideCursor();
  d.accept();
}

// The Qt font of the settings: face, size in pixels and style.
QFont Qt_Font(const Impostazioni_Font& f) {
  QFont q(Testo_Qt(f.Font_Nome));
  q.setPixelSize(std::max(1, f.Font_Punti));
  q.setBold(f.Font_Grassetto);
  q.setItalic(f.Font_Corsivo);
  q.setUnderline(f.Font_Sottolineato);
  q.setStrikeOut(f.Font_Tagliato);
  return q;
}

struct Tasto {
  const char* chiave;
  const char* suggerimento;
  QStyle::StandardPixmap icona;
};
constexpr Tasto kTasti[] = {
    {"Uscita", " Uscita ", QStyle::SP_DialogCloseButton},
    {"Apri", " Apri ", QStyle::SP_DialogOpenButton},
    {"Salva", " Salva ", QStyle::SP_DialogSaveButton},
    {"SalvaN", " Salva con nome ", QStyle::SP_DriveFDIcon},
    {"Nuovo", " Nuovo ", QStyle::SP_FileIcon},
    {"Genera", " Genera ", QStyle::SP_FileDialogContentsView},
    {"Sposta_L", " Sposta a sinistra ", QStyle::SP_ArrowLeft},
    {"Sposta_R", " Sposta a  destra ", QStyle::SP_ArrowRight},
    {"Sposta_T", " Sposta in alto ", QStyle::SP_ArrowUp},
    {"Sposta_B", " Sposta in basso ", QStyle::SP_ArrowDown},
};

}  // namespace

// ---- Dialogs -------------------------------------------------------------------

namespace {
QString Filtro_Qt(const std::string& filtro) {
  const QString f = Testo_Qt(filtro);
  const qsizetype barra = f.indexOf('|');
  if (barra < 0) return f;
  const QString schema = f.mid(barra + 1);
  return f.left(barra) + " (" + schema + " " + schema.toUpper() + ")";
}
}  // namespace

std::string Dialoghi_Font_Qt::Apri_File(const std::string& filtro) {
  QFileDialog d(finestra_);
  Dialogo_File_Italiano(d);
  d.setFileMode(QFileDialog::ExistingFile);
  d.setNameFilter(Filtro_Qt(filtro));
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return "";
  return Ansi_Qt(d.selectedFiles().front());
}

std::string Dialoghi_Font_Qt::Salva_File(const std::string& nome, const std::string& filtro) {
  QFileDialog d(finestra_);
  Dialogo_File_Italiano(d);
  d.setAcceptMode(QFileDialog::AcceptSave);
  d.setFileMode(QFileDialog::AnyFile);
  d.setOption(QFileDialog::DontConfirmOverwrite);
  d.setDefaultSuffix("BMP");
  d.setNameFilter(Filtro_Qt(filtro));
  d.selectFile(Testo_Qt(nome));
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return "";
  return Ansi_Qt(d.selectedFiles().front());
}

std::optional<img::Colore> Dialoghi_Font_Qt::Scegli_Colore(img::Colore iniziale) {
  const QColor c = QColorDialog::getColor(Qt_Colore(iniziale), finestra_);
  if (!c.isValid()) return std::nullopt;
  return img::Colore{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}

bool Dialoghi_Font_Qt::Scegli_Font(Impostazioni_Font& f) {
  bool ok = false;
  const QFont q = QFontDialog::getFont(&ok, Qt_Font(f), finestra_);
  if (!ok) return false;
  f.Font_Nome = Ansi_Qt(q.family());
  f.Font_Punti = static_cast<int>(Arrotonda_Pari(q.pointSizeF() > 0 ? q.pointSizeF() : q.pixelSize()));
  f.Font_Grassetto = q.bold();
  f.Font_Corsivo = q.italic();
  f.Font_Sottolineato = q.underline();
  f.Font_Tagliato = q.strikeOut();
  return true;
}

// ---- Main window -----------------------------------------------------------------

FrmFont::FrmFont(Editor_Font& editor, MessageSink& messaggi, Dialoghi_Font& dialoghi, const std::string& release,
                 QWidget* parent)
    : QWidget(parent), editor_(editor), messaggi_(messaggi), dialoghi_(dialoghi) {
  setObjectName("frmBase");
  setWindowTitle("Z_U_FNT");

  Toolbar_ = new QToolBar(this);
  Toolbar_->setObjectName("Toolbar");
  Toolbar_->setIconSize(QSize(24, 24));
  for (const Tasto& t : kTasti) {
    QAction* a = Toolbar_->addAction(style()->standardIcon(t.icona), t.chiave);
    a->setObjectName(t.chiave);
    a->setToolTip(t.suggerimento);
  }
  connect(Azione("Uscita"), &QAction::triggered, this, [this] { close(); });
  connect(Azione("Apri"), &QAction::triggered, this, [this] { Apri(); });
  connect(Azione("Salva"), &QAction::triggered, this, [this] { Salva(); });
  connect(Azione("SalvaN"), &QAction::triggered, this, [this] { Salva_Con_Nome(); });
  connect(Azione("Nuovo"), &QAction::triggered, this, [this] { Nuovo(); });
  connect(Azione("Genera"), &QAction::triggered, this, [this] { Genera(); });
  connect(Azione("Sposta_L"), &QAction::triggered, this, [this] { Sposta(Direzione::Sinistra); });
  connect(Azione("Sposta_R"), &QAction::triggered, this, [this] { Sposta(Direzione::Destra); });
  connect(Azione("Sposta_T"), &QAction::triggered, this, [this] { Sposta(Direzione::Alto); });
  connect(Azione("Sposta_B"), &QAction::triggered, this, [this] { Sposta(Direzione::Basso); });

  // The six previews: boxes of 480 x 735 twips, 900 twips apart, each with
  // its character and code on a label coloured with the row.
  auto* colonna = new QWidget(this);
  colonna->setFixedSize(Px(2400), 6 * Px(900));
  for (int i = 0; i < kAnteprime; ++i) {
    const auto k = static_cast<size_t>(i);
    lbl3_[k] = new QLabel(colonna);
    lbl3_[k]->setObjectName(QString("lbl3_%1").arg(i));
    lbl3_[k]->setGeometry(0, i * Px(900), Px(2400), Px(900) - 4);
    lbl3_[k]->setAutoFillBackground(true);
    im1_[k] = new img::Vista_Immagine(colonna);
    im1_[k]->setObjectName(QString("im1_%1").arg(i));
    im1_[k]->setGeometry(Px(120), i * Px(900) + Px(60), Px(480), Px(735));
    im1_[k]->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    im1_[k]->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    im1_[k]->Imposta_Adatta(true);
    im1_[k]->hide();
    lbl1_[k] = new QLabel(colonna);
    lbl1_[k]->setObjectName(QString("lbl1_%1").arg(i));
    lbl1_[k]->setGeometry(Px(800), i * Px(900) + Px(200), Px(600), Px(500));
    lbl1_[k]->setFont(QFont("Liberation Mono", 14));
    lbl1_[k]->setAutoFillBackground(true);
    lbl1_[k]->hide();
    lbl2_[k] = new QLabel(colonna);
    lbl2_[k]->setObjectName(QString("lbl2_%1").arg(i));
    lbl2_[k]->setGeometry(Px(1500), i * Px(900) + Px(250), Px(800), Px(400));
    lbl2_[k]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbl2_[k]->setAutoFillBackground(true);
    lbl2_[k]->hide();
    for (QWidget* w : {static_cast<QWidget*>(im1_[k]), static_cast<QWidget*>(im1_[k]->viewport()),
                       static_cast<QWidget*>(lbl1_[k]), static_cast<QWidget*>(lbl2_[k]),
                       static_cast<QWidget*>(lbl3_[k])}) {
      w->setProperty("riga", i);
      w->installEventFilter(this);
    }
  }
  VScroll1_ = new QScrollBar(Qt::Vertical, this);
  VScroll1_->setObjectName("VScroll1");
  VScroll1_->setRange(0, kPrimo_Codice_Massimo);
  VScroll1_->setPageStep(kAnteprime);
  VScroll1_->setFixedHeight(6 * Px(900));
  VScroll1_->setEnabled(false);
  connect(VScroll1_, &QScrollBar::valueChanged, this, [this](int v) {
    if (in_scorri_) return;
    editor_.Scorri(v);
    Anteprima_Aggiorna(false);
  });

  // The editor box, square, the cell anchored at its top-left corner at the
  // scale the pointer is read with.
  im2_ = new img::Vista_Immagine(this);
  im2_->setObjectName("im2");
  im2_->setFixedSize(Px(kLato_Editor_Twip) + 2 * im2_->frameWidth(), Px(kLato_Editor_Twip) + 2 * im2_->frameWidth());
  im2_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  im2_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  im2_->Imposta_Sfondo(palette().color(QPalette::Window));
  im2_->hide();
  connect(im2_, &img::Vista_Immagine::Premuto, this,
          [this](int pulsante, int, float x, float y) { Premuto_Editor(pulsante, x, y); });

  txtAltezza_ = new QLineEdit("0", this);
  txtAltezza_->setObjectName("txtAltezza");
  txtAltezza_->setReadOnly(true);
  txtAltezza_->setFixedWidth(50);
  txtLarghezza_ = new QLineEdit("0", this);
  txtLarghezza_->setObjectName("txtLarghezza");
  txtLarghezza_->setReadOnly(true);
  txtLarghezza_->setFixedWidth(50);
  lblColore1_ = Campione("lblColore1", this);
  lblColore2_ = Campione("lblColore2", this);
  Swatch(lblColore1_, editor_.Colore_Testo);
  Swatch(lblColore2_, editor_.Colore_Sfondo);
  auto* rel = new QLabel(Testo_Qt(release), this);
  rel->setObjectName("Release");

  auto* dati = new QGridLayout;
  Riga(dati, 0, "Altezza", txtAltezza_);
  Riga(dati, 1, "Larghezza", txtLarghezza_);
  Riga(dati, 2, "Testo", lblColore1_);
  Riga(dati, 3, "Sfondo", lblColore2_);
  dati->setRowStretch(4, 1);
  dati->addWidget(rel, 5, 0, 1, 2);

  auto* corpo = new QHBoxLayout;
  corpo->addWidget(colonna, 0, Qt::AlignTop);
  corpo->addWidget(VScroll1_, 0, Qt::AlignTop);
  corpo->addSpacing(12);
  corpo->addWidget(im2_, 0, Qt::AlignTop);
  corpo->addSpacing(12);
  corpo->addLayout(dati);
  auto* tutto = new QVBoxLayout(this);
  tutto->setMenuBar(Toolbar_);
  tutto->addLayout(corpo);
  setFocusPolicy(Qt::StrongFocus);
  Abilita();
}

QAction* FrmFont::Azione(const char* chiave) const { return Toolbar_->findChild<QAction*>(chiave); }

void FrmFont::Abilita() {
  for (const char* k : {"Salva", "SalvaN", "Genera", "Sposta_L", "Sposta_R", "Sposta_T", "Sposta_B"})
    Azione(k)->setEnabled(editor_.Presente());
}

void FrmFont::Stato_Mostra() {
  setWindowTitle(Testo_Qt(Trim(editor_.Nome_Striscia)));
  Abilita();
  txtAltezza_->setText(QString::number(editor_.Altezza_Cella));
  txtLarghezza_->setText(QString::number(editor_.Larghezza_Cella));
  Swatch(lblColore1_, editor_.Colore_Testo);
  Swatch(lblColore2_, editor_.Colore_Sfondo);
}

void FrmFont::Apri() {
  const std::string nome = dialoghi_.Apri_File(kFiltro_Font);
  if (Trim(nome).empty()) return;
  const std::string errore = editor_.Apri(nome);
  if (!errore.empty()) {
    messaggi_.MsgBox(errore, vbExclamation, "ERRORE");
    return;
  }
  Stato_Mostra();
  Anteprima_Aggiorna(true);
}

void FrmFont::Salva() {
  if (!editor_.Presente()) return;
  const std::string errore = editor_.Salva(editor_.Nome_Striscia);
  if (!errore.empty()) messaggi_.MsgBox(errore, vbExclamation, "ERRORE");
}

void FrmFont::Salva_Con_Nome() {
  if (!editor_.Presente()) return;
  const std::string nome = dialoghi_.Salva_File(editor_.Nome_Striscia, kFiltro_Font);
  if (Trim(nome).empty()) return;
  editor_.Nome_Striscia = nome;
  setWindowTitle(Testo_Qt(Trim(nome)));
  Salva();
}

void FrmFont::Nuovo() {
  FrmNuovo d(*this, editor_, dialoghi_);
  Mostra_Modale(d);
}

void FrmFont::Genera() {
  if (!editor_.Presente()) return;
  FrmGenera d(*this, editor_, dialoghi_);
  Mostra_Modale(d);
}

void FrmFont::Immagine_Nuova() {
  Stato_Mostra();
  Anteprima_Aggiorna(true);
}

void FrmFont::Immagine_Genera() {
  if (!editor_.Genera()) return;
  Barra_In_Cima();
  Anteprima_Aggiorna(false);
}

void FrmFont::Barra_In_Cima() {
  in_scorri_ = true;
  VScroll1_->setValue(0);
  in_scorri_ = false;
}

void FrmFont::Sposta(Direzione d) {
  if (!editor_.Presente()) return;
  editor_.Sposta(d);
  Carattere_Mostra();
}

void FrmFont::Riga_Colora(int i, bool scelta) {
  const auto k = static_cast<size_t>(i);
  const QPalette s = QApplication::palette();
  const QColor fondo = scelta ? s.color(QPalette::Highlight) : s.color(QPalette::Button);
  const QColor testo = scelta ? s.color(QPalette::HighlightedText) : s.color(QPalette::ButtonText);
  for (QLabel* l : {lbl1_[k], lbl2_[k], lbl3_[k]}) {
    QPalette p = l->palette();
    p.setColor(QPalette::Window, fondo);
    p.setColor(QPalette::WindowText, testo);
    l->setPalette(p);
  }
  im1_[k]->Imposta_Sfondo(fondo);
}

void FrmFont::Anteprima_Aggiorna(bool reset) {
  if (!editor_.Presente()) return;
  if (reset) {
    editor_.Codice_Scelto = 0;
    editor_.Scorri(0);
    Barra_In_Cima();
    VScroll1_->setEnabled(true);
    const int z = Scala_Editor(editor_.Larghezza_Cella, editor_.Altezza_Cella);
    im2_->Imposta_Adatta(false);
    im2_->Imposta_Zoom(100.0 * z / kTwip_Pixel);
    im2_->Imposta_Origine(0, 0);
    im2_->show();
  }
  for (int i = 0; i < kAnteprime; ++i) {
    const auto k = static_cast<size_t>(i);
    const int codice = editor_.Primo_Codice + i;
    im1_[k]->Imposta_Immagine(editor_.Cella_Di(codice));
    im1_[k]->show();
    lbl1_[k]->setText(codice == 38 ? "&&" : Testo_Qt(std::string(1, static_cast<char>(codice))));
    lbl2_[k]->setText(Testo_Qt(Format(static_cast<int64_t>(codice), "##0")));
    lbl1_[k]->show();
    lbl2_[k]->show();
    Riga_Colora(i, codice == editor_.Codice_Scelto);
  }
  if (editor_.Riga_Scelta() >= 0) editor_.Carattere_Carica();
  Carattere_Mostra();
}

void FrmFont::Carattere_Mostra() {
  im2_->Imposta_Immagine(editor_.Cella);
  const int r = editor_.Riga_Scelta();
  if (r < 0) return;
  im1_[static_cast<size_t>(r)]->Imposta_Immagine(editor_.Cella_Di(editor_.Codice_Scelto));
}

void FrmFont::Premuto_Editor(int pulsante, float x, float y) {
  const int z = Scala_Editor(editor_.Larghezza_Cella, editor_.Altezza_Cella);
  if (!editor_.Presente() || z < 1) return;
  // The view gives image pixels at z twips each: back to twips from the
  // box's corner, then the pixel by whole twips.
  if (editor_.Premi_Twip(static_cast<double>(x) * z, static_cast<double>(y) * z, pulsante == 1)) Carattere_Mostra();
}

bool FrmFont::eventFilter(QObject* oggetto, QEvent* evento) {
  if (evento->type() == QEvent::MouseButtonPress) {
    const QVariant riga = oggetto->property("riga");
    if (riga.isValid() && editor_.Presente()) {
      editor_.Seleziona(riga.toInt());
      for (int i = 0; i < kAnteprime; ++i) Riga_Colora(i, i == riga.toInt());
      Carattere_Mostra();
      return true;
    }
  }
  return QWidget::eventFilter(oggetto, evento);
}

void FrmFont::keyReleaseEvent(QKeyEvent* e) {
  if (e->modifiers() == Qt::ControlModifier && editor_.Presente()) {
    if (e->key() == Qt::Key_C) {
      im2_->Copia();
      QCoreApplication::processEvents();
      editor_.Appunti_Pieni = true;
      return;
    }
    if (e->key() == Qt::Key_V && editor_.Appunti_Pieni) {
      img::Immagine incollata;
      img::Da_QImage(QGuiApplication::clipboard()->image(), incollata);
      QCoreApplication::processEvents();
      editor_.Incolla(incollata);
      Carattere_Mostra();
      return;
    }
  }
  QWidget::keyReleaseEvent(e);
}

// ---- "Nuovo " ----------------------------------------------------------------------

FrmNuovo::FrmNuovo(FrmFont& base, Editor_Font& editor, Dialoghi_Font& dialoghi)
    : QDialog(&base), base_(base), editor_(editor), dialoghi_(dialoghi) {
  setObjectName("frmNew");
  setWindowTitle("Nuovo ");
  setModal(true);
  txtLarghezza_ =
      Crea<QLineEdit>("txtLarghezza", QString::number(editor_.Larghezza_Cella ? editor_.Larghezza_Cella : 16), this);
  txtAltezza_ = Crea<QLineEdit>("txtAltezza", QString::number(editor_.Altezza_Cella ? editor_.Altezza_Cella : 32), this);
  optBN_ = Crea<QRadioButton>("optBN", "Bianco / Nero", this);
  optColore_ = Crea<QRadioButton>("optColore", "Colori", this);
  (editor_.Bit_Pixel == 1 ? optBN_ : optColore_)->setChecked(true);
  testo_ = editor_.Colore_Testo;
  sfondo_ = editor_.Colore_Sfondo;
  lblColore1_ = Campione("lblColore1", this);
  lblColore2_ = Campione("lblColore2", this);
  lblColore1X_ = Crea<QLabel>("lblColore1X", "Colore del testo", this);
  lblColore2X_ = Crea<QLabel>("lblColore2X", "Colore dello sfondo", this);
  for (QLabel* l : {lblColore1_, lblColore1X_}) l->setProperty("testo", true);
  for (QLabel* l : {lblColore2_, lblColore2X_}) l->setProperty("testo", false);
  for (QLabel* l : {lblColore1_, lblColore1X_, lblColore2_, lblColore2X_}) {
    l->setCursor(Qt::PointingHandCursor);
    l->installEventFilter(this);
  }
  cmdNuovo_ = Crea<QPushButton>("cmdNuovo", "Nuovo", this);
  auto* cmdEsci = Crea<QPushButton>("cmdEsci", "Esci", this);

  auto* g = new QGridLayout(this);
  Riga(g, 0, "Larghezza del carattere", txtLarghezza_);
  Riga(g, 1, "Altezza del carattere", txtAltezza_);
  g->addWidget(optBN_, 2, 0);
  g->addWidget(optColore_, 2, 1);
  g->addWidget(lblColore1X_, 3, 0);
  g->addWidget(lblColore1_, 3, 1);
  g->addWidget(lblColore2X_, 4, 0);
  g->addWidget(lblColore2_, 4, 1);
  g->addWidget(cmdNuovo_, 5, 0);
  g->addWidget(cmdEsci, 5, 1);

  connect(txtLarghezza_, &QLineEdit::textChanged, this, [this] { Verifica(); });
  connect(txtAltezza_, &QLineEdit::textChanged, this, [this] { Verifica(); });
  connect(optBN_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    testo_ = img::Nero;
    sfondo_ = img::Bianco;
    Colori_Mostra();
  });
  connect(cmdNuovo_, &QPushButton::clicked, this, [this] { cmdNuovo_Click(); });
  connect(cmdEsci, &QPushButton::clicked, this, [this] { reject(); });
  Colori_Mostra();
  Verifica();
}

bool FrmNuovo::eventFilter(QObject* oggetto, QEvent* evento) {
  if (evento->type() == QEvent::MouseButtonPress && oggetto->property("testo").isValid()) {
    Colore_Click(oggetto->property("testo").toBool());
    return true;
  }
  return QDialog::eventFilter(oggetto, evento);
}

void FrmNuovo::Colori_Mostra() {
  Swatch(lblColore1_, testo_);
  Swatch(lblColore2_, sfondo_);
}

std::array<std::optional<int>, 2> FrmNuovo::Valori() const {
  return {Valore(txtLarghezza_, 4, 128), Valore(txtAltezza_, 4, 128)};
}

void FrmNuovo::Verifica() { cmdNuovo_->setEnabled(Caselle_Colora(std::array{txtLarghezza_, txtAltezza_}, Valori())); }

void FrmNuovo::Colore_Click(bool testo) {
  if (optColore_->isChecked()) {
    if (auto c = dialoghi_.Scegli_Colore(testo ? testo_ : sfondo_)) (testo ? testo_ : sfondo_) = *c;
  } else if (testo) {
    const bool nero = testo_ == img::Nero;
    testo_ = nero ? img::Bianco : img::Nero;
    sfondo_ = nero ? img::Nero : img::Bianco;
  } else {
    const bool nero = sfondo_ == img::Nero;
    testo_ = nero ? img::Nero : img::Bianco;
    sfondo_ = nero ? img::Bianco : img::Nero;
  }
  Colori_Mostra();
}

void FrmNuovo::cmdNuovo_Click() {
  const auto [w, h] = Valori();
  if (!w || !h) return;
  Esegui_E_Chiudi(*this, [&] {
    if (editor_.Nuova(*w, *h, optBN_->isChecked() ? 1 : 24, testo_, sfondo_)) base_.Immagine_Nuova();
  });
}

// ---- "Genera " ---------------------------------------------------------------------

FrmGenera::FrmGenera(FrmFont& base, Editor_Font& editor, Dialoghi_Font& dialoghi)
    : QDialog(&base), base_(base), editor_(editor), dialoghi_(dialoghi) {
  setObjectName("frmFont");
  setWindowTitle("Genera ");
  setModal(true);
  const Impostazioni_Font& f = editor_.Font;
  auto casella = [this](const char* nome, int valore) {
    auto* t = Crea<QLineEdit>(nome, QString::number(valore), this);
    connect(t, &QLineEdit::textChanged, this, [this] { Verifica(); });
    return t;
  };
  txtFontW_ = casella("txtFontW", f.Font_Larghezza);
  txtFontR_ = casella("txtFontR", f.Font_Rotazione);
  txtDesX_ = casella("txtDesX", f.Distanza_X);
  txtDesY_ = casella("txtDesY", f.Distanza_Y);
  chkCentraX_ = Crea<QCheckBox>("chkCentraX", "Centra in orrizzontale", this);
  chkCentraX_->setChecked(f.Centra_X);
  chkCentraY_ = Crea<QCheckBox>("chkCentraY", "Centra in verticale", this);
  chkCentraY_->setChecked(f.Centra_Y);
  lblFntTipo_ = Crea<QLabel>("lblFntTipo", this);
  lblFntStile_ = Crea<QLabel>("lblFntStile", this);
  lblFntPunti_ = Crea<QLabel>("lblFntPunti", this);
  auto* Frame1 = Crea<QGroupBox>("Frame1", " Esempio ", this);
  lblFntEsempio_ = Crea<QLabel>("lblFntEsempio", " ABC abc ", Frame1);
  (new QVBoxLayout(Frame1))->addWidget(lblFntEsempio_);
  cmdFont_ = Crea<QPushButton>("cmdFont", "Font", this);
  cmdGenera_ = Crea<QPushButton>("cmdGenera", "Genera ", this);
  auto* cmdEsci = Crea<QPushButton>("cmdEsci", "Esci", this);

  auto* g = new QGridLayout(this);
  Riga(g, 0, "Tipo font", lblFntTipo_);
  Riga(g, 1, "Stile font", lblFntStile_);
  Riga(g, 2, "Punti ", lblFntPunti_);
  g->addWidget(Frame1, 3, 0, 1, 2);
  Riga(g, 4, "Larghezza (0= proporzionato)", txtFontW_);
  Riga(g, 5, "Rotazione (in gradi)", txtFontR_);
  Riga(g, 6, "Distanza a sinistra", txtDesX_);
  Riga(g, 7, "Distanza in alto", txtDesY_);
  g->addWidget(chkCentraX_, 8, 0);
  g->addWidget(chkCentraY_, 8, 1);
  auto* tasti = new QHBoxLayout;
  tasti->addWidget(cmdFont_);
  tasti->addWidget(cmdGenera_);
  tasti->addWidget(cmdEsci);
  g->addLayout(tasti, 9, 0, 1, 2);

  connect(cmdFont_, &QPushButton::clicked, this, [this] { cmdFont_Click(); });
  connect(cmdGenera_, &QPushButton::clicked, this, [this] { cmdGenera_Click(); });
  connect(cmdEsci, &QPushButton::clicked, this, [this] { reject(); });
  Font_Mostra();
  Verifica();
}

std::array<std::optional<int>, 4> FrmGenera::Valori() const {
  const int w = editor_.Larghezza_Cella, h = editor_.Altezza_Cella;
  return {Valore(txtFontW_, 0, 512), Valore(txtFontR_, 0, 360), Valore(txtDesX_, 0, w - 1),
          Valore(txtDesY_, 1 - h, h - 1)};
}

void FrmGenera::Verifica() {
  cmdGenera_->setEnabled(Caselle_Colora(std::array{txtFontW_, txtFontR_, txtDesX_, txtDesY_}, Valori()));
}

void FrmGenera::Font_Mostra() {
  const Impostazioni_Font& f = editor_.Font;
  lblFntTipo_->setText(Testo_Qt(f.Font_Nome));
  std::string stile;
  if (f.Font_Corsivo) stile += "Corsivo ";
  if (f.Font_Grassetto) stile += "Grassetto ";
  if (f.Font_Tagliato) stile += "Tagliato ";
  if (f.Font_Sottolineato) stile += "Sottolineato ";
  lblFntStile_->setText(Testo_Qt(stile));
  lblFntPunti_->setText(QString::number(f.Font_Punti));
  lblFntEsempio_->setFont(Qt_Font(f));
}

void FrmGenera::cmdFont_Click() {
  if (dialoghi_.Scegli_Font(editor_.Font)) Font_Mostra();
}

void FrmGenera::cmdGenera_Click() {
  const auto [fw, fr, dx, dy] = Valori();
  if (!fw || !fr || !dx || !dy) return;
  Esegui_E_Chiudi(*this, [&] {
    Impostazioni_Font& f = editor_.Font;
    f.Font_Larghezza = *fw;
    f.Font_Rotazione = *fr;
    f.Distanza_X = *dx;
    f.Distanza_Y = *dy;
    f.Centra_X = chkCentraX_->isChecked();
    f.Centra_Y = chkCentraY_->isChecked();
    base_.Immagine_Genera();
  });
}

}  // namespace qod
