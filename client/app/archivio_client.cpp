#include "archivio_client.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "frm_client.h"
#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/occupato.h"
#include "qod/profile.h"
#include "qod/ui/cursore.h"
#include "qod/ui/qt.h"
#include "qod/viewer/qod_imv.h"
#include "qod/viewer/stampa_programma.h"

namespace qod {

namespace {

constexpr int kTwips = 15;  // twips per pixel
// Width of a list column the settings do not name, and the data grid's two
// columns, in twips.
constexpr const char* kLarghezza_Colonna = "1500";
constexpr int kDati_Etichetta = 2400, kDati_Valore = 3500;
constexpr int kDati_Righe = Dizionario_Campi::kMassimo;

// The form's rows on the search tab, in pixels: where they stand at the
// usual font; a wider text or a taller box moves what follows it.
constexpr int kRiga_Alto = 44, kRiga_Altezza = 24, kRiga_Spazio = 6;
constexpr int kX_Etichetta = 8, kL_Etichetta = 180;
constexpr int kL_Da = 56, kL_Casella = 170, kL_A = 20;
// The gaps after the key's label, after a caption and after the first box.
constexpr int kDopo_Etichetta = 8, kDopo_Didascalia = 4, kDopo_Casella = 10;

// The section of the list widths of definition "NN".
std::string Sezione_Elenco(const std::string& ricerca) { return "Elenco " + ricerca; }

}  // namespace

void Griglia_Elenco::mousePressEvent(QMouseEvent* e) {
  if ((e->button() == Qt::RightButton || e->button() == Qt::MiddleButton) && Pulsante_Premuto &&
      Pulsante_Premuto(e->button(), e->position().toPoint()))
    return;
  QTableWidget::mousePressEvent(e);
}

QColor Archivio_Client::Sfondo(Colore_Casella c) {
  switch (c) {
    case Colore_Casella::Bloccata:  // the scroll bar's colour
      return QColor(212, 208, 200);
    case Colore_Casella::Non_Valida:  // the active caption's colour
      return QColor(10, 36, 106);
    default:  // the window's colour
      return QColor(255, 255, 255);
  }
}

Archivio_Client::Archivio_Client(FrmClient& finestra, Client_Base& base, Trasporto_Client& trasporto,
                                 Collegamento_Client& collegamento, Pump pompa)
    : finestra_(finestra),
      base_(base),
      collegamento_(collegamento),
      pompa_(std::move(pompa)),
      ricerca_(trasporto, collegamento.Dizionario(),
               Effetti_Ricerca{[this](const std::string& t) { Messaggio_Mostra(t); },
                               [this](bool si) { Occupato(si); }, [this] { Elenco_Mostra(); }, pompa_}),
      presenta_(trasporto, collegamento.Dizionario(), collegamento.Accesso(),
                Cartelle_Client{base.Percorso_Tmp, base.Percorso_Fnt, base.Percorso_Lgo}, base.Numero_Istanza,
                &generatore_, pompa_) {
  ricerca_.Modello().Ricerche_Maiuscolo = base.Ricerche_Maiuscolo;

  // Tab 0: the key rows under the list of searches.
  QWidget* p0 = finestra_.Pagina(0);
  for (int q = 1; q <= kChiavi_Massime; ++q) {
    auto* l = new QLabel(p0);
    l->setObjectName(QStringLiteral("lblChiave%1").arg(q));
    l->hide();
    lbl_chiave_[static_cast<size_t>(q)] = l;
    for (int i : {q, q + kChiavi_Massime}) {
      auto* d = new QLabel(p0);
      d->setObjectName(QStringLiteral("lblDa%1").arg(i));
      d->hide();
      lbl_da_[static_cast<size_t>(i)] = d;
      auto* t = new QLineEdit(p0);
      t->setObjectName(QStringLiteral("txtDa%1").arg(i));
      t->hide();
      txt_da_[static_cast<size_t>(i)] = t;
    }
  }
  Modulo_Disponi();

  // Tab 1: the result list; whole rows are chosen, one run of them at a time.
  grid1_ = new Griglia_Elenco(finestra_.Pagina(1));
  grid1_->setObjectName(QStringLiteral("Grid1"));
  grid1_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid1_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid1_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  grid1_->verticalHeader()->hide();
  grid1_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid1_->verticalHeader()->setDefaultSectionSize(grid1_->fontMetrics().height() + 6);
  grid1_->horizontalHeader()->setFixedHeight(grid1_->verticalHeader()->defaultSectionSize());
  grid1_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid1_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grid1_->horizontalHeader()->setHighlightSections(false);
  QObject::connect(grid1_, &QTableWidget::cellDoubleClicked, [this](int r, int) { Grid1_DblClick(r); });
  QObject::connect(grid1_->verticalScrollBar(), &QScrollBar::valueChanged, [this](int) { Grid1_Scroll(); });
  grid1_->Pulsante_Premuto = [this](Qt::MouseButton b, const QPoint& p) { return Grid1_MouseDown(b, p); };

  // Tab 2: the viewer control, with the program's settings file and zoom.
  imv_ = new imv::Qod_IMV(finestra_.Pagina(2));
  imv_->setObjectName(QStringLiteral("Qod_IMV1"));
  imv_->qodimv_subclass(base_.Subclass());
  imv_->qodimv_FileINI(base_.File_INI);
  imv_->qodimv_zoom(Profilo_Leggi(base_.File_INI, "Visualizza", "Zoom", "Adatta", 378));
  // Its boxes are the program's; its printing and print set-up: the
  // program's printers.
  imv_->Imposta_Messaggi(&base_.Messaggi());
  imv::Stampa_Programma().Collega(*imv_);
  // What its printing has sent shows in the window's status line.
  imv_->Stato_Stampa = [this](const std::string& t) {
    std::string stato = stato_documento_;
    if (!t.empty()) stato = stato.empty() ? t : stato + " - " + t;
    Stato_Mostra(stato);
  };

  // Tab 3: the index fields of the shown document, one row per data row.
  grid3_ = new QTableWidget(kDati_Righe, 2, finestra_.Pagina(3));
  grid3_->setObjectName(QStringLiteral("Grid3"));
  grid3_->horizontalHeader()->hide();
  grid3_->verticalHeader()->hide();
  grid3_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid3_->verticalHeader()->setDefaultSectionSize(grid3_->fontMetrics().height() + 6);
  grid3_->setColumnWidth(0, kDati_Etichetta / kTwips);
  grid3_->setColumnWidth(1, kDati_Valore / kTwips);
  const Dizionario_Campi& d = collegamento_.Dizionario();
  const Dati_Accesso& a = collegamento_.Accesso();
  for (int r = 1; r <= kDati_Righe; ++r) {
    auto* etichetta = new QTableWidgetItem;
    etichetta->setBackground(Sfondo(Colore_Casella::Bloccata));
    etichetta->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int32_t f = r <= d.Numero ? a.Ordine_Dati[static_cast<size_t>(r)] : 0;
    if (f > 0 && f <= d.Numero) etichetta->setText(Testo_Qt(d.Etichetta[static_cast<size_t>(f)]));
    grid3_->setItem(r - 1, 0, etichetta);
    auto* valore = new QTableWidgetItem;
    valore->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid3_->setItem(r - 1, 1, valore);
  }
}

Archivio_Client::~Archivio_Client() = default;

// ---- The search form ---------------------------------------------------------------------

void Archivio_Client::Ricerche_Click(int numero) {
  if (Occupato()) {
    // The choice waits for the exchange: the list keeps naming the form shown.
    QComboBox* c = finestra_.Ricerche();
    const QSignalBlocker blocco(c);
    c->setCurrentIndex(c->findData(static_cast<int>(Val(ricerca_.Modello().Ricerca_Scelta))));
    return;
  }
  Occupato_Finche guardia(occupato_);
  // The widths the user gave the columns shown stay with their definition.
  Larghezze_Salva();
  ricerca_.Ricerche_Click(numero);
  Modulo_Mostra();
  Griglia_Prepara();
  if (txt_da_[1]->isVisibleTo(finestra_.Pagina(0)) && !in_caricamento_) txt_da_[1]->setFocus();
}

void Archivio_Client::Modulo_Mostra() {
  const Modello_Ricerca& m = ricerca_.Modello();
  for (int q = 1; q <= kChiavi_Massime; ++q) {
    const std::string& e = m.Etichetta_Chiave[static_cast<size_t>(q)];
    lbl_chiave_[static_cast<size_t>(q)]->setText(Testo_Qt(e));
    lbl_chiave_[static_cast<size_t>(q)]->setVisible(m.Chiave_Campo[static_cast<size_t>(q)] != 0);
  }
  for (int i = 1; i <= kCaselle; ++i) {
    const std::string& c = m.Didascalia[static_cast<size_t>(i)];
    lbl_da_[static_cast<size_t>(i)]->setText(Testo_Qt(c));
    lbl_da_[static_cast<size_t>(i)]->setVisible(!c.empty());
  }
  Modulo_Disponi();
  Caselle_Mostra();
}

void Archivio_Client::Modulo_Disponi() {
  // Each column as wide as its widest text shown, at least as designed.
  const QFontMetrics fm(finestra_.Pagina(0)->font());
  auto larghezza = [&](int minimo, auto&& etichette) {
    int l = minimo;
    for (QLabel* e : etichette)
      if (!e->text().isEmpty()) l = std::max(l, fm.horizontalAdvance(e->text()) + 2);
    return l;
  };
  std::vector<QLabel*> chiavi, da, a;
  for (int q = 1; q <= kChiavi_Massime; ++q) {
    chiavi.push_back(lbl_chiave_[static_cast<size_t>(q)]);
    da.push_back(lbl_da_[static_cast<size_t>(q)]);
    a.push_back(lbl_da_[static_cast<size_t>(q + kChiavi_Massime)]);
  }
  const int l_etichetta = larghezza(kL_Etichetta, chiavi);
  const int x_da = kX_Etichetta + l_etichetta + kDopo_Etichetta;
  const int l_da = larghezza(kL_Da, da);
  const int x_casella = x_da + l_da + kDopo_Didascalia;
  const int x_a = x_casella + kL_Casella + kDopo_Casella;
  const int l_a = larghezza(kL_A, a);
  const int x_casella_a = x_a + l_a + kDopo_Didascalia;
  const int altezza = std::max(kRiga_Altezza, txt_da_[1]->sizeHint().height());
  const int alto = std::max(kRiga_Alto, finestra_.Ricerche()->geometry().bottom() + 1 + 10);
  for (int q = 1; q <= kChiavi_Massime; ++q) {
    const int y = alto + (q - 1) * (altezza + kRiga_Spazio);
    const auto k = static_cast<size_t>(q), k_a = static_cast<size_t>(q + kChiavi_Massime);
    lbl_chiave_[k]->setGeometry(kX_Etichetta, y, l_etichetta, altezza);
    lbl_da_[k]->setGeometry(x_da, y, l_da, altezza);
    txt_da_[k]->setGeometry(x_casella, y, kL_Casella, altezza);
    lbl_da_[k_a]->setGeometry(x_a, y, l_a, altezza);
    txt_da_[k_a]->setGeometry(x_casella_a, y, kL_Casella, altezza);
  }
}

void Archivio_Client::Caselle_Mostra() {
  const Modello_Ricerca& m = ricerca_.Modello();
  for (int i = 1; i <= kCaselle; ++i) {
    const Casella& c = m.txtDa[static_cast<size_t>(i)];
    QLineEdit* t = txt_da_[static_cast<size_t>(i)];
    if (Ansi_Qt(t->text()) != c.Testo) t->setText(Testo_Qt(c.Testo));
    t->setReadOnly(c.Bloccata);
    t->setVisible(c.Visibile);
    QPalette p = t->palette();
    p.setColor(QPalette::Base, Sfondo(c.Colore));
    p.setColor(QPalette::Text, c.Colore == Colore_Casella::Non_Valida ? QColor(Qt::white) : QColor(Qt::black));
    t->setPalette(p);
  }
  const int f = m.Casella_Focus;
  if (f >= 1 && f <= kCaselle && txt_da_[static_cast<size_t>(f)]->isVisibleTo(finestra_.Pagina(0)))
    txt_da_[static_cast<size_t>(f)]->setFocus();
}

void Archivio_Client::Caselle_Leggi() {
  Modello_Ricerca& m = ricerca_.Modello();
  for (int i = 1; i <= kCaselle; ++i)
    if (!m.txtDa[static_cast<size_t>(i)].Bloccata)
      m.txtDa[static_cast<size_t>(i)].Testo = Ansi_Qt(txt_da_[static_cast<size_t>(i)]->text());
}

// ---- The result list ----------------------------------------------------------------------

void Archivio_Client::Griglia_Prepara() {
  const Modello_Ricerca& m = ricerca_.Modello();
  const Dizionario_Campi& d = collegamento_.Dizionario();
  grid1_->setUpdatesEnabled(false);
  grid1_->clear();
  grid1_->setRowCount(0);
  grid1_->setColumnCount(m.Colonne_Numero + 3);
  QStringList intestazioni{QStringLiteral("{indice}"), QStringLiteral("{numero pagine}"),
                           QStringLiteral("{tipo immagine}")};
  for (int c = 1; c <= m.Colonne_Numero; ++c) intestazioni << Testo_Qt(Colonna_Intestazione(m, d, c));
  grid1_->setHorizontalHeaderLabels(intestazioni);
  for (int c = 0; c < 3; ++c) grid1_->setColumnHidden(c, true);
  griglia_ricerca_ = m.Ricerca_Scelta;
  for (int c = 1; c <= m.Colonne_Numero; ++c) {
    const double twips = Val(Profilo_Leggi(base_.File_INI, Sezione_Elenco(griglia_ricerca_), Format(c, "00"),
                                           kLarghezza_Colonna, 378));
    const double px = std::isfinite(twips) && twips > 0 && twips < 1e7 ? twips / kTwips : 0;
    grid1_->setColumnWidth(c + 2, static_cast<int>(std::lround(px)));
  }
  grid1_->setUpdatesEnabled(true);
}

void Archivio_Client::Righe_Aggiungi() {
  const std::vector<Riga_Elenco>& righe = ricerca_.Elenco().Righe;
  if (static_cast<size_t>(grid1_->rowCount()) > righe.size()) grid1_->setRowCount(0);
  const int da = grid1_->rowCount();
  grid1_->setRowCount(static_cast<int>(righe.size()));
  for (int r = da; r < static_cast<int>(righe.size()); ++r) {
    const Riga_Elenco& riga = righe[static_cast<size_t>(r)];
    const std::string* celle[] = {&riga.Chiave, &riga.Pagine, &riga.Tipo_Immagine};
    for (int c = 0; c < 3; ++c) grid1_->setItem(r, c, new QTableWidgetItem(Testo_Qt(*celle[c])));
    for (size_t c = 0; c < riga.Celle.size() && static_cast<int>(c) + 3 < grid1_->columnCount(); ++c)
      grid1_->setItem(r, static_cast<int>(c) + 3, new QTableWidgetItem(Testo_Qt(riga.Celle[c])));
  }
}

void Archivio_Client::Elenco_Mostra() {
  elenco_azzerato_ = false;
  {
    // Rows added under the rows shown keep the list where it is.
    const QSignalBlocker blocco(grid1_->verticalScrollBar());
    if (nuovo_elenco_) grid1_->setRowCount(0);
    nuovo_elenco_ = false;
    Righe_Aggiungi();
  }
  finestra_.Scheda_Imposta(1);
  grid1_->setFocus();
  Pompa(pompa_);
}

int Archivio_Client::Griglia_Altezza() const { return finestra_.Altezza_Pagine(); }

void Archivio_Client::Spool_Ricerca() {
  if (Occupato()) return;
  Occupato_Finche guardia(occupato_);
  Caselle_Leggi();
  // The page size follows the height the list has on its own tab.
  ricerca_.Griglia_Imposta(Griglia_Altezza() * kTwips, grid1_->verticalHeader()->defaultSectionSize() * kTwips);
  // A list that loads replaces the rows shown.
  nuovo_elenco_ = true;
  ricerca_.Spool_Ricerca();
  nuovo_elenco_ = false;
  Caselle_Mostra();
}

void Archivio_Client::Grid1_Scroll() {
  if (Occupato()) return;
  const int alto = std::max(grid1_->rowAt(0), 0);
  Occupato_Finche guardia(occupato_);
  ricerca_.Elenco_Scorri(alto);
}

bool Archivio_Client::Selezione(int& prima, int& ultima) const {
  const QList<QTableWidgetSelectionRange> s = grid1_->selectedRanges();
  if (s.isEmpty()) {
    const int r = grid1_->currentRow();
    if (r < 0) return false;
    prima = ultima = r;
    return true;
  }
  prima = s.front().topRow();
  ultima = s.front().bottomRow();
  for (const auto& i : s) {
    prima = std::min(prima, i.topRow());
    ultima = std::max(ultima, i.bottomRow());
  }
  return true;
}

void Archivio_Client::Riga_Scegli(int riga) {
  const QSignalBlocker blocco(grid1_->verticalScrollBar());
  grid1_->setCurrentCell(riga, std::min(3, grid1_->columnCount() - 1), QItemSelectionModel::NoUpdate);
  grid1_->clearSelection();
  grid1_->setRangeSelected(QTableWidgetSelectionRange(riga, 0, riga, grid1_->columnCount() - 1), true);
  grid1_->setFocus();
}

void Archivio_Client::Grid1_DblClick(int riga) {
  if (Occupato()) return;
  int prima = 0, ultima = 0;
  if (Selezione(prima, ultima)) riga = prima;
  if (riga < 0 || riga >= grid1_->rowCount()) return;
  Riga_Scegli(riga);
  Presenta(riga, "Visualizza");
}

bool Archivio_Client::Grid1_MouseDown(Qt::MouseButton, const QPoint& punto) {
  if (Occupato()) return true;
  int prima = 0, ultima = 0;
  if (Selezione(prima, ultima) && prima != ultima) return true;
  const int riga = grid1_->rowAt(punto.y());
  if (riga < 0) return true;
  Riga_Scegli(riga);
  Presenta(riga, "Visualizza");
  return true;
}

void Archivio_Client::Presenta(int riga, const char* modo) {
  if (Occupato() || riga < 0 || static_cast<size_t>(riga) >= ricerca_.Elenco().Righe.size()) return;
  Occupato_Finche guardia(occupato_);
  presenta_.Spool_Presenta(ricerca_.Elenco().Righe[static_cast<size_t>(riga)].Chiave, modo, *this);
}

void Archivio_Client::Stampa_Righe(int prima, int ultima) {
  const std::string domanda =
      prima == ultima ? std::string("Confermi la stampa\rdel documento selezionato ?")
                      : "Confermi la stampa\rdi " + Format(static_cast<int32_t>(ultima - prima + 1), "#0") +
                            " documenti selezionati ?";
  if (base_.Messaggi().MsgBox(domanda, vbYesNo | vbQuestion, "Stampa") != vbYes) return;
  // The keys first: the list may not change under the run, and the window
  // stays busy until the last document is printed.
  std::vector<std::string> chiavi;
  for (int r = prima; r <= ultima; ++r) chiavi.push_back(ricerca_.Elenco().Righe[static_cast<size_t>(r)].Chiave);
  Occupato_Finche guardia(occupato_);
  // The busy pointer for the whole run, which document is on its way in the
  // status line when there are several, cleared at the end.
  const Cursore_Attesa attesa;
  struct Fine_Stato {
    Archivio_Client& a;
    ~Fine_Stato() {
      a.stato_documento_.clear();
      a.Stato_Mostra("");
    }
  } fine{*this};
  for (size_t i = 0; i < chiavi.size(); ++i) {
    if (chiavi.size() > 1) {
      stato_documento_ = "Stampa documento " + std::to_string(i + 1) + " di " + std::to_string(chiavi.size());
      Stato_Mostra(stato_documento_);
      Pompa(pompa_);
    }
    presenta_.Spool_Presenta(chiavi[i], "Stampa", *this);
  }
}

void Archivio_Client::Toolbar_Azione(const std::string& chiave) {
  if (Occupato()) return;
  if (chiave == "Aggiorna") {
    Spool_Ricerca();
    return;
  }
  int prima = 0, ultima = 0;
  const bool scelta = Selezione(prima, ultima) && prima >= 0 && prima < grid1_->rowCount();
  if (chiave == "Visualizza" || chiave == "Set_Stampa") {
    if (scelta && prima == ultima) {
      Riga_Scegli(prima);
      Presenta(prima, chiave.c_str());
    } else if (chiave == "Set_Stampa") {
      // No document: the viewer's print settings alone.
      imv_->Immagine_Set_Stampa("");
    }
    return;
  }
  if (chiave == "Stampa" && scelta) Stampa_Righe(prima, std::min(ultima, grid1_->rowCount() - 1));
}

// ---- Layout of the pages ----------------------------------------------------------------

void Archivio_Client::Scheda_Disposta(int scheda) {
  switch (scheda) {
    case 0:
      elenco_azzerato_ = true;
      break;
    case 1:
      grid1_->setGeometry(finestra_.Pagina(1)->rect());
      // A first visit, a visit after the search tab and one after the
      // window changed size search again, with the page size of the new height.
      if ((elenco_azzerato_ || ricerca_.Elenco().Elenco_Altezza != Griglia_Altezza() * kTwips) &&
          !in_caricamento_ && !Occupato())
        Spool_Ricerca();
      break;
    case 2:
      imv_->setGeometry(finestra_.Pagina(2)->rect());
      if (imv_->isVisible()) imv_->setFocus();
      break;
    case 3:
      grid3_->setGeometry(finestra_.Pagina(3)->rect());
      grid3_->setColumnWidth(1, std::max(grid3_->viewport()->width() - grid3_->columnWidth(0), 0));
      break;
    default:
      break;
  }
}

// ---- At exit -----------------------------------------------------------------------------

void Archivio_Client::Larghezze_Salva() {
  // Only once a search was made, under the definition whose columns the list shows.
  if (ricerca_.Modello().Ricerca_Aperta.empty() || griglia_ricerca_.empty()) return;
  for (int c = 1; c <= grid1_->columnCount() - 3; ++c)
    Profilo_Scrivi(base_.File_INI, Sezione_Elenco(griglia_ricerca_), Format(c, "00"),
                   Format(static_cast<int32_t>(grid1_->columnWidth(c + 2) * kTwips), "0"));
}

void Archivio_Client::Zoom_Salva() { Profilo_Scrivi(base_.File_INI, "Visualizza", "Zoom", imv_->qodimv_zoom()); }

// ---- The document's presentation ----------------------------------------------------------

void Archivio_Client::Occupato(bool occupato) {
  if (occupato) {
    if (occupato_livello_++ == 0) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      finestra_.setEnabled(false);
    }
  } else if (occupato_livello_ > 0 && --occupato_livello_ == 0) {
    QApplication::restoreOverrideCursor();
    finestra_.setEnabled(true);
  }
  Pompa(pompa_);
}

void Archivio_Client::Dati_Mostra(const std::vector<std::string>& valori) {
  for (int r = 0; r < grid3_->rowCount(); ++r)
    grid3_->item(r, 1)->setText(static_cast<size_t>(r) < valori.size() ? Testo_Qt(valori[static_cast<size_t>(r)])
                                                                        : QString());
}

void Archivio_Client::Stato_Mostra(const std::string& testo) {
  // The window's line, and the viewer's for the document's tab.
  finestra_.Stato_Imposta(testo);
  imv_->Stato_Mostra(testo);
}

void Archivio_Client::Messaggio_Mostra(const std::string& testo) {
  // The box waits for the user with the normal pointer.
  const Cursore_Sospeso normale;
  finestra_.Messaggio_Mostra(testo, 0, "");
}

void Archivio_Client::Immagine_Carica(const std::string& primo_file, const Valori_Fax& fax) {
  imv_->qodimv_Brv_Tipo(fax.Tipo);
  imv_->qodimv_Brv_Codi(fax.Codice);
  imv_->qodimv_Brv_Rife(fax.Riferimento);
  imv_->Immagine_Carica(primo_file);
  finestra_.Scheda_Imposta(2);
}

void Archivio_Client::Immagine_Stampa(const std::string& primo_file) { imv_->Immagine_Stampa(primo_file); }

void Archivio_Client::Immagine_Set_Stampa(const std::string& primo_file) { imv_->Immagine_Set_Stampa(primo_file); }

}  // namespace qod
