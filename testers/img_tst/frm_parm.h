// The image generator's test form: a field for each input property of the
// generator but the output zoom, buttons to pick, view and edit its input
// files, the page background colour, and the run that times the generator
// and shows its result in the output window.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "dialoghi.h"
#include "frm_help.h"
#include "frm_out.h"
#include "frm_txt.h"
#include "qod/imagegen/qod_img.h"

namespace qod::testers {

class FrmParm : public QWidget {
 public:
  // `cartella`: the start folder (ANSI, no trailing separator), under which
  // the default files are looked for in "TEST".
  FrmParm(Dialoghi& dialoghi, const std::string& cartella, QWidget* genitore = nullptr);
  ~FrmParm() override;

  // The texts of the fifty fields in the generator's order (ANSI; check
  // boxes "1" or "0", the colour as its Windows RGB value).
  std::vector<std::string> Valori() const;
  // The field of that name ("out_Width", "img_Left(1)" ...).
  QWidget* Campo_Widget(const std::string& nome) const;

  // The run of "Esegui" after the open editor is saved.
  void Esegui_Elaborazione();

  Qod_IMG Qod_IMG1;
  QLabel *lblStato, *lblTempo;
  QPushButton *out_Apri, *out_Visualizza, *out_Esegui, *out_Colore;
  QPushButton *fnt_Apri, *fnt_Visualizza, *txt_Apri, *txt_Modifica, *cmd_Apri, *cmd_Modifica, *cmd_Help;
  std::array<QPushButton*, 2> img_Apri{}, img_Visualizza{};

  // The secondary windows, made on first use; closing one ends it, and the
  // next use makes it again.
  FrmOut* frmOut();
  FrmTxt* frmTxt();
  FrmHelp* frmHelp();
  bool Caricato_Out() const { return out_ != nullptr; }
  bool Caricato_Txt() const { return txt_ != nullptr; }

 protected:
  void closeEvent(QCloseEvent*) override;

 private:
  enum Quale { kTesto = 0, kComandi = 1 };
  // The form: the fields, the buttons, the groups in their grid, the
  // buttons' actions.
  void Costruisci();
  // One widget for each field of the table, in its order.
  std::vector<QWidget*> Campi_Crea();
  // The buttons and the two status labels.
  void Pulsanti_Crea();
  // A field with its caption (or its short name) in a grid cell pair.
  void Metti(QGridLayout* g, const std::string& nome, int riga, int colonna, int ampiezza = 1);
  // A page sketch, in the background colour.
  QFrame* Schizzo(const QString& nome);
  // " Out " with " JPEG " and " TIFF" inside; " Messaggi "; " Comandi ";
  // " Font "; " Testo "; " Immagine 1 " (0) and " Immagine 2 " (1).
  QGroupBox* Gruppo_Out();
  QGroupBox* Gruppo_Messaggi();
  QGroupBox* Gruppo_Comandi();
  QGroupBox* Gruppo_Font();
  QGroupBox* Gruppo_Testo();
  QGroupBox* Gruppo_Immagine(int i);
  // What the buttons and the format list do.
  void Pulsanti_Collega();
  void Modifica(int quale);
  bool Salva_Editor(int quale, const std::string& nome);
  bool Chiudi_Editor();
  void Visualizza(const std::string& prefisso, const std::string& campo);
  void Apri(const std::string& tipo, const std::string& campo);
  void Colore_Imposta(int32_t rgb);
  void Accanto(QWidget* finestra);
  // A secondary window, made beside the form when it is not open.
  template <class Finestra>
  Finestra* Secondaria(QPointer<Finestra>& finestra);
  std::string Testo_Campo(const std::string& nome) const;
  void Imposta_Campo(const std::string& nome, const std::string& testo);

  Dialoghi& dialoghi_;
  std::string cartella_;
  std::vector<QWidget*> campi_;  // in the order of the field table
  int32_t colore_ = 0xFFFFFF;
  std::vector<QFrame*> schizzi_;  // the page rectangles that show the colour
  QPointer<FrmOut> out_;
  QPointer<FrmTxt> txt_;
  QPointer<FrmHelp> help_;
};

}  // namespace qod::testers
