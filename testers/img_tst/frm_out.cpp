#include "frm_out.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QCloseEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "finestra.h"
#include "qod/basic.h"
#include "qod/testers/vista.h"
#include "qod/winpath.h"
#include "qt_testo.h"

namespace qod::testers {

namespace {
constexpr int kStriscia = 20;  // the height of the top strip in pixels
}

FrmOut::FrmOut(QWidget* genitore) : QWidget(genitore, Qt::Window) {
  auto* colonna = Finestra_Colonna(this, "frmOut", "Test Qod_IMG.ocx", 420, 160);
  colonna->setSpacing(0);
  auto* striscia = new QWidget(this);
  auto* riga = new QHBoxLayout(striscia);
  riga->setContentsMargins(2, 0, 2, 0);
  striscia->setFont(Font_Piccolo(font()));
  auto valore = [&](const char* didascalia, const char* nome) {
    riga->addWidget(new QLabel(didascalia, striscia));
    auto* l = new QLabel(striscia);
    l->setObjectName(nome);
    l->setStyleSheet("color: blue");
    l->setMinimumWidth(40);
    riga->addWidget(l);
    return l;
  };
  riga->addWidget(new QLabel("Zoom", striscia));
  Zoom1 = new QComboBox(striscia);
  Zoom1->setObjectName("Zoom1");
  Zoom1->setEditable(true);
  Zoom1->setInsertPolicy(QComboBox::NoInsert);
  for (const char* v : kVociZoom) Zoom1->addItem(v);
  Zoom1->setEditText(kZoomIniziale);
  riga->addWidget(Zoom1);
  lblDim = valore("Dim.", "lblDim");
  lbl_Width = valore("Larg.", "lbl_Width");
  lbl_Height = valore("Alt.", "lbl_Height");
  lbl_Rx = valore("Rx", "lbl_Rx");
  lbl_Ry = valore("Ry", "lbl_Ry");
  lbl_n_colori = valore("Col.", "lbl_n_colori");
  riga->addStretch(1);
  // As designed, or as high as the zoom list needs at a larger font.
  striscia->setFixedHeight(std::max(kStriscia, riga->sizeHint().height()));
  colonna->addWidget(striscia);
  ImageMan1 = new img::Vista_Immagine(this);
  ImageMan1->setObjectName("ImageMan1");
  ImageMan1->hide();
  colonna->addWidget(ImageMan1, 1);

  // Only a choice from the list applies the zoom; a typed text waits for the
  // next choice, resize or load.
  connect(Zoom1, &QComboBox::activated, this, [this] { x_zoom(); });

  connect(ImageMan1, &img::Vista_Immagine::Premuto, this, [this](int, int, float x, float y) {
    x0_ = x;
    y0_ = y;
    trascina_ = true;
  });
  connect(ImageMan1, &img::Vista_Immagine::Mosso, this, [this](int, int, float x, float y) {
    if (!trascina_) return;
    const auto origine_x = static_cast<float>(ImageMan1->Origine_X());
    const auto origine_y = static_cast<float>(ImageMan1->Origine_Y());
    const float nx = Trascina(x0_, x, origine_x, ImageMan1->Larghezza_Immagine(),
                              static_cast<int>(ImageMan1->Larghezza_Visibile()));
    const float ny = Trascina(y0_, y, origine_y, ImageMan1->Altezza_Immagine(),
                              static_cast<int>(ImageMan1->Altezza_Visibile()));
    ImageMan1->Imposta_Origine(nx, ny);
  });
  connect(ImageMan1, &img::Vista_Immagine::Rilasciato, this, [this] { trascina_ = false; });
}

void FrmOut::Svuota_Etichette() {
  for (QLabel* l : {lblDim, lbl_Width, lbl_Height, lbl_Rx, lbl_Ry, lbl_n_colori}) l->clear();
}

void FrmOut::Pulizia(const std::string& titolo) {
  titolo_ = titolo;
  setWindowTitle(Testo_Qt(titolo));
  Svuota_Etichette();
  ImageMan1->hide();
  show();
  QApplication::processEvents();
}

void FrmOut::Carica() {
  Svuota_Etichette();
  ImageMan1->hide();
  QApplication::processEvents();
  const std::string nome = Mid(titolo_, 21);
  if (nome.empty()) {
    ImageMan1->Svuota();
    return;
  }
  if (!ImageMan1->Carica(Percorso_Fs(Percorso_Risolvi(nome)))) return;
  const int64_t colori = ImageMan1->Colori();
  lbl_n_colori->setText(QString::number(colori));
  if (colori == 2) {
    ImageMan1->Imposta_Modo(3);
  } else if (colori != (int64_t{1} << 24) && ImageMan1->Converti_Bit(24)) {
    ImageMan1->Imposta_Modo(2);
  }
  opzione_vista2 = 1;
  ImageMan1->show();
  const Separatori s = Separatori_Locale();
  std::error_code ec;
  const auto lunghezza = std::filesystem::file_size(Percorso_Fs(Percorso_Risolvi(nome)), ec);
  lblDim->setText(Testo_Qt(Dimensione_File(ec ? 0 : static_cast<int64_t>(lunghezza), "", s)));
  lbl_Rx->setText(QString::number(static_cast<int16_t>(ImageMan1->Dpi_X())));
  lbl_Ry->setText(QString::number(static_cast<int16_t>(ImageMan1->Dpi_Y())));
  lbl_Height->setText(QString::number(ImageMan1->Altezza_Immagine()));
  if (Trim(Left(titolo_, 20)) == "Immagine del font") {
    // The width of one glyph cell of a strip of 256.
    const double cella = ImageMan1->Larghezza_Immagine() / 256.0;
    lbl_Width->setText(QLocale().toString(cella, 'g', 15));
  } else {
    lbl_Width->setText(QString::number(ImageMan1->Larghezza_Immagine()));
  }
  x_zoom();
  QApplication::processEvents();
}

void FrmOut::x_zoom() {
  if (!ImageMan1->isVisibleTo(this) || ImageMan1->Vuota()) return;
  ImageMan1->hide();
  ImageMan1->Imposta_Origine(0, 0);
  const Zoom z = Zoom_Calcola(Ansi_Qt(Zoom1->currentText()), ImageMan1->width(), ImageMan1->height(),
                              ImageMan1->Larghezza_Immagine(), ImageMan1->Altezza_Immagine());
  if (z.adatta) {
    ImageMan1->Imposta_Adatta(true);
  } else {
    ImageMan1->Imposta_Adatta(false);
    ImageMan1->Imposta_Zoom(z.percento);
  }
  ImageMan1->show();
  ImageMan1->update();
  ImageMan1->setFocus();
}

void FrmOut::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  x_zoom();
}

void FrmOut::closeEvent(QCloseEvent* e) {
  QWidget::closeEvent(e);
  if (chiusa) chiusa();
}

}  // namespace qod::testers
