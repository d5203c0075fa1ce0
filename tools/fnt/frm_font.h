// The font editor's windows: the main window (the toolbar, six preview
// cells beside a scroll bar, the selected cell enlarged where pixels are set
// with the mouse, the two colour swatches), the dialog of a new blank strip
// and the dialog that generates the glyphs from an installed font.
#pragma once

#include <QDialog>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "editor_font.h"
#include "qod/ui.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QToolBar;

namespace qod {

namespace img {
class Vista_Immagine;
}

// The common dialogs of the editor; tests answer them from a script.
class Dialoghi_Font {
 public:
  virtual ~Dialoghi_Font() = default;
  // An existing file to open, ANSI; "" when cancelled.
  virtual std::string Apri_File(const std::string& filtro) = 0;
  // A name to save under (starting from `nome`; ".BMP" added to a name
  // typed without an extension); "" when cancelled.
  virtual std::string Salva_File(const std::string& nome, const std::string& filtro) = 0;
  // A colour starting from `iniziale`; nothing when cancelled.
  virtual std::optional<img::Colore> Scegli_Colore(img::Colore iniziale) = 0;
  // Face, size, bold, italic, underline and strike-out of `f`; false when
  // cancelled (f unchanged).
  virtual bool Scegli_Font(Impostazioni_Font& f) = 0;
};

class Dialoghi_Font_Qt : public Dialoghi_Font {
 public:
  explicit Dialoghi_Font_Qt(QWidget* finestra = nullptr) : finestra_(finestra) {}
  void Imposta_Finestra(QWidget* finestra) { finestra_ = finestra; }
  std::string Apri_File(const std::string& filtro) override;
  std::string Salva_File(const std::string& nome, const std::string& filtro) override;
  std::optional<img::Colore> Scegli_Colore(img::Colore iniziale) override;
  bool Scegli_Font(Impostazioni_Font& f) override;

 private:
  QWidget* finestra_;
};

inline constexpr const char* kFiltro_Font = "Immagine font (*.bmp)|*.bmp";

class FrmFont : public QWidget {
 public:
  FrmFont(Editor_Font& editor, MessageSink& messaggi, Dialoghi_Font& dialoghi, const std::string& release,
          QWidget* parent = nullptr);

  // How a modal dialog is shown (exec by default; tests script it).
  std::function<void(QDialog&)> Mostra_Modale = [](QDialog& d) { d.exec(); };

  // Toolbar actions.
  void Apri();
  void Salva();
  void Salva_Con_Nome();
  void Nuovo();
  void Genera();
  void Sposta(Direzione d);

  // Called by the two dialogs.
  void Immagine_Nuova();
  void Immagine_Genera();

  // Redraws the previews (with `reset` first rebuilding the editor images).
  void Anteprima_Aggiorna(bool reset);
  // Shows the editor image and the strip's changes.
  void Carattere_Mostra();

  QAction* Azione(const char* chiave) const;
  img::Vista_Immagine* Editor_Box() const { return im2_; }
  img::Vista_Immagine* Anteprima(int i) const { return im1_[static_cast<size_t>(i)]; }
  QScrollBar* Barra() const { return VScroll1_; }
  // Preview i's character, code and row labels; the cell's height and width.
  QLabel* lbl1(int i) const { return lbl1_[static_cast<size_t>(i)]; }
  QLabel* lbl2(int i) const { return lbl2_[static_cast<size_t>(i)]; }
  QLabel* lbl3(int i) const { return lbl3_[static_cast<size_t>(i)]; }
  QLineEdit* txtAltezza() const { return txtAltezza_; }
  QLineEdit* txtLarghezza() const { return txtLarghezza_; }

 protected:
  void keyReleaseEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* oggetto, QEvent* evento) override;

 private:
  void Stato_Mostra();
  void Abilita();
  void Riga_Colora(int i, bool scelta);
  // Scrolls the previews back to code 0 without reacting to the bar.
  void Barra_In_Cima();
  void Premuto_Editor(int pulsante, float x, float y);

  Editor_Font& editor_;
  MessageSink& messaggi_;
  Dialoghi_Font& dialoghi_;
  QToolBar* Toolbar_ = nullptr;
  std::array<img::Vista_Immagine*, kAnteprime> im1_{};
  std::array<QLabel*, kAnteprime> lbl1_{}, lbl2_{}, lbl3_{};
  QScrollBar* VScroll1_ = nullptr;
  img::Vista_Immagine* im2_ = nullptr;
  QLineEdit* txtAltezza_ = nullptr;
  QLineEdit* txtLarghezza_ = nullptr;
  QLabel* lblColore1_ = nullptr;
  QLabel* lblColore2_ = nullptr;
  bool in_scorri_ = false;
};

// "Nuovo ": cell size 4 to 128, black and white or colour, the two colours.
class FrmNuovo : public QDialog {
 public:
  FrmNuovo(FrmFont& base, Editor_Font& editor, Dialoghi_Font& dialoghi);
  void cmdNuovo_Click();

  // The controls: the size boxes, the two kinds, the colour swatches of the
  // text (1) and the background (2) and their captions (X), "Nuovo".
  QLineEdit* txtLarghezza() const { return txtLarghezza_; }
  QLineEdit* txtAltezza() const { return txtAltezza_; }
  QRadioButton* optBN() const { return optBN_; }
  QRadioButton* optColore() const { return optColore_; }
  QLabel* lblColore1() const { return lblColore1_; }
  QLabel* lblColore2() const { return lblColore2_; }
  QLabel* lblColore1X() const { return lblColore1X_; }
  QLabel* lblColore2X() const { return lblColore2X_; }
  QPushButton* cmdNuovo() const { return cmdNuovo_; }

 protected:
  bool eventFilter(QObject* oggetto, QEvent* evento) override;

 private:
  // The width and height boxes, each when valid.
  std::array<std::optional<int>, 2> Valori() const;
  void Verifica();
  void Colore_Click(bool testo);
  void Colori_Mostra();

  FrmFont& base_;
  Editor_Font& editor_;
  Dialoghi_Font& dialoghi_;
  QLineEdit* txtLarghezza_ = nullptr;
  QLineEdit* txtAltezza_ = nullptr;
  QRadioButton* optBN_ = nullptr;
  QRadioButton* optColore_ = nullptr;
  QLabel* lblColore1_ = nullptr;
  QLabel* lblColore2_ = nullptr;
  QLabel* lblColore1X_ = nullptr;
  QLabel* lblColore2X_ = nullptr;
  QPushButton* cmdNuovo_ = nullptr;
  img::Colore testo_, sfondo_;
};

// "Genera ": the font, its width and rotation, the offsets and centring.
class FrmGenera : public QDialog {
 public:
  FrmGenera(FrmFont& base, Editor_Font& editor, Dialoghi_Font& dialoghi);
  void cmdGenera_Click();
  void cmdFont_Click();

  // The controls: the width, rotation and offset boxes, the centring, the
  // font's labels, "Font" and "Genera".
  QLineEdit* txtFontW() const { return txtFontW_; }
  QLineEdit* txtFontR() const { return txtFontR_; }
  QLineEdit* txtDesX() const { return txtDesX_; }
  QLineEdit* txtDesY() const { return txtDesY_; }
  QCheckBox* chkCentraX() const { return chkCentraX_; }
  QCheckBox* chkCentraY() const { return chkCentraY_; }
  QLabel* lblFntTipo() const { return lblFntTipo_; }
  QLabel* lblFntStile() const { return lblFntStile_; }
  QLabel* lblFntPunti() const { return lblFntPunti_; }
  QPushButton* cmdFont() const { return cmdFont_; }
  QPushButton* cmdGenera() const { return cmdGenera_; }

 private:
  // The width, rotation, left and top boxes, each when valid.
  std::array<std::optional<int>, 4> Valori() const;
  void Verifica();
  void Font_Mostra();

  FrmFont& base_;
  Editor_Font& editor_;
  Dialoghi_Font& dialoghi_;
  QLineEdit* txtFontW_ = nullptr;
  QLineEdit* txtFontR_ = nullptr;
  QLineEdit* txtDesX_ = nullptr;
  QLineEdit* txtDesY_ = nullptr;
  QCheckBox* chkCentraX_ = nullptr;
  QCheckBox* chkCentraY_ = nullptr;
  QLabel* lblFntTipo_ = nullptr;
  QLabel* lblFntStile_ = nullptr;
  QLabel* lblFntPunti_ = nullptr;
  QLabel* lblFntEsempio_ = nullptr;
  QPushButton* cmdFont_ = nullptr;
  QPushButton* cmdGenera_ = nullptr;
};

}  // namespace qod
