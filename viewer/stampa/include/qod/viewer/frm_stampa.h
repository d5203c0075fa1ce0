// Printing from the viewer: the dialog "Imposta stampa" over the print
// settings kept in a section of the host's settings file, and the printing
// of a document with those settings, with or without the dialog.
//
// A document is named by the file of its first page (see
// impostazioni_stampa.h for its pages). Every page is drawn on the printable
// area of the printer, fitted or zoomed, centred or at the margins, in one
// job named "Quillon"; collated copies are whole passes of the document,
// others the printer's own copy count.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

#include "qod/imaging/immagine.h"
#include "qod/printing/opzioni.h"
#include "qod/printing/stampanti.h"
#include "qod/ui.h"
#include "qod/viewer/impostazioni_stampa.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qod::imv {

class Qod_IMV;

// What printing needs of the platform.
struct Servizi_Stampa {
  stampa::Dispositivo_Stampa* dispositivo = nullptr;
  MessageSink* messaggi = nullptr;
  // Lets pending window events run.
  Pump pompa;
  // Shows the properties of the printer `nome`, owned by `finestra`; its code.
  std::function<int32_t(QWidget* finestra, const std::string& nome)> proprieta;
  // Told, in a job of more than kPoche_Pagine pages, how many were sent so
  // far after each one; (0, 0) when the job is over, whatever its end.
  std::function<void(int inviate, int totale)> avanzamento;
};

// The title of the viewer's message boxes.
inline constexpr const char* kTitolo_Stampa = "Qod_IMV";

// A job of this many pages or fewer is sent without counting its pages.
inline constexpr int kPoche_Pagine = 5;
// The status line while a longer one is sent: "Pagine inviate: 3 di 12".
std::string Testo_Avanzamento(int inviate, int totale);

// The dialog and the printing procedure: one for each request.
class FrmStampa : public QDialog {
  Q_OBJECT

 public:
  explicit FrmStampa(const Servizi_Stampa& servizi, QWidget* padre = nullptr);
  ~FrmStampa() override;

  // Reads the settings, finds the document's pages (none for an empty name:
  // page 1 only) and shows the dialog modally, owned by `Padre`. Returns
  // when it is closed; false when it could not open ("errore nella ricerca
  // delle pagine").
  bool Carica(QWidget* Padre, const std::string& FileINI, const std::string& Paragrafo, const std::string& NomeFile);
  // Prints the whole document with the kept settings, without the dialog.
  bool Stampa(int64_t hWnd, const std::string& FileINI, const std::string& Paragrafo, const std::string& NomeFile);

  // Page -1 finds the pages and loads the first file; p >= 0 loads page p.
  bool Pagine_Cerca(int32_t pagina);
  // Prints pages da..a with the settings read afresh from the section.
  bool Documento_Stampa();

  void Impostazioni_Leggi();
  // Writes the boxes' contents into the section; false when a write failed.
  bool Impostazioni_Scrivi();
  bool Campo_Controlla_Intero(QLineEdit* box, int32_t& valore, int32_t minimo, int32_t massimo);
  bool Campo_Controlla_Decimale(QLineEdit* box, double& valore, double minimo, double massimo);
  bool Campi_Controlla();

  const Impostazioni_Stampa& Impostazioni() const { return impostazioni_; }
  const Modello_Stampa& Modello() const { return modello_; }
  // The user's separators, from the locale in force.
  static Separatori Separatori_Utente();

  // The controls, by their names.
  QComboBox* Stampanti = nullptr;
  QPushButton* cmd_Proprieta = nullptr;
  QRadioButton* opt_Orienta[2] = {nullptr, nullptr};  // 1 portrait, 0 landscape
  QLineEdit *txtMar_Sx = nullptr, *txtMar_Dx = nullptr, *txtMar_Top = nullptr, *txtMar_Bot = nullptr;
  QLineEdit* txtCopie = nullptr;
  QCheckBox* chkFascicola = nullptr;
  QCheckBox *chkAdatta = nullptr, *chkAllineaX = nullptr, *chkAllineaY = nullptr;
  QLineEdit *txtZoomX = nullptr, *txtZoomY = nullptr;
  QLabel *lbl7 = nullptr, *lbl8 = nullptr;
  QLineEdit *txtPagDa = nullptr, *txtPagA = nullptr;
  QPushButton *cmd_Conferma = nullptr, *cmd_Stampa = nullptr, *cmd_Annulla = nullptr;
  QGroupBox* Cornici[6] = {};  // frame_1 ... frame_6

 private:
  void Costruisci();
  void Riempi();
  void Adatta_Applica();
  void Pagina_Da_Cambiata();
  void Pagina_A_Cambiata();
  void Conferma();
  void Stampa_Ora();
  void Messaggio(const std::string& testo);
  bool Scrivi_O_Avvisa();

  Servizi_Stampa servizi_;
  std::string file_ini_, paragrafo_;
  int64_t finestra_ = 0;  // the caller's window; kept, nothing reads it
  Impostazioni_Stampa impostazioni_;
  Modello_Stampa modello_;
  img::Immagine im3_;  // the page loaded last
};

// Printing for every viewer of the program: one request at a time (a second
// one while a document prints or the dialog is open is refused).
class Stampa_Visore {
 public:
  explicit Stampa_Visore(Servizi_Stampa servizi) : servizi_(std::move(servizi)) {}

  // `messaggi` shows this request's boxes and `avanzamento` counts its
  // pages when the services have none.
  using Avanzamento = std::function<void(int inviate, int totale)>;
  bool Carica(QWidget* Padre, const std::string& FileINI, const std::string& Paragrafo, const std::string& NomeFile,
              MessageSink* messaggi = nullptr, Avanzamento avanzamento = {});
  bool Stampa(int64_t hWnd, const std::string& FileINI, const std::string& Paragrafo, const std::string& NomeFile,
              MessageSink* messaggi = nullptr, Avanzamento avanzamento = {});
  bool Occupato() const { return occupato_; }

  // Gives the viewer its print and printer set-up actions (keys "Stampa",
  // "Set_Stampa", and the methods Immagine_Stampa, Immagine_Set_Stampa);
  // without boxes of the services, they show the viewer's (Qod_IMV::Messaggi),
  // and the pages sent show in the viewer's status line.
  void Collega(Qod_IMV& visore);

 private:
  Servizi_Stampa Servizi(MessageSink* messaggi, Avanzamento avanzamento) const;

  Servizi_Stampa servizi_;
  bool occupato_ = false;
};

}  // namespace qod::imv
