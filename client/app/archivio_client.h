// What the archive viewer's window holds on its pages and does with it:
// the search form on tab 0 (the key rows of the chosen definition with
// their criteria boxes), the result list on tab 1, the viewer control on
// tab 2 and the data grid of the shown document on tab 3; the toolbar keys
// and the list's events; the search, the list loading and the document
// fetch over the one host connection.
//
// One exchange with the host at a time: while a search, a list load or a
// fetch waits for the host, window events (a tab change, a toolbar key, a
// click on the list) start nothing. Printing several rows takes their keys
// first and keeps the window busy for the whole run.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "qod/client/base_client.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/elenco.h"
#include "qod/client/presenta.h"
#include "qod/client/trasporto_client.h"
#include "qod/imagegen/qod_img.h"
#include "qod/record/immagini.h"
#include "qod/ui.h"

namespace qod {

namespace imv {
class Qod_IMV;
}

class FrmClient;

// The list of documents: a table whose rows are the documents, with the
// right and middle button reported before the table's own handling.
class Griglia_Elenco : public QTableWidget {
 public:
  using QTableWidget::QTableWidget;
  // The right or middle button pressed over the list; true when it was
  // handled (the table then does nothing with it).
  std::function<bool(Qt::MouseButton, const QPoint&)> Pulsante_Premuto;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
};

class Archivio_Client : public Vista_Documento {
 public:
  // The rows of the search form: key q = 1..8, box q (from or equal value)
  // and box q + 8 (to value).
  Archivio_Client(FrmClient& finestra, Client_Base& base, Trasporto_Client& trasporto,
                  Collegamento_Client& collegamento, Pump pompa);
  ~Archivio_Client() override;

  // While the program loads its window the list tab starts no search and
  // the focus stays where it is.
  void In_Caricamento(bool si) { in_caricamento_ = si; }

  // A definition chosen in the list of searches: its form and list columns.
  void Ricerche_Click(int numero);
  // The layout of tab `scheda` is done: the page's contents follow it.
  void Scheda_Disposta(int scheda);
  void Toolbar_Azione(const std::string& chiave);
  // Checks the criteria, queries the host and loads the list.
  void Spool_Ricerca();
  // The list's events.
  void Grid1_DblClick(int riga);
  void Grid1_Scroll();
  bool Grid1_MouseDown(Qt::MouseButton pulsante, const QPoint& punto);

  // At exit: the list's column widths, then (after the window's place)
  // the viewer's zoom.
  void Larghezze_Salva();
  void Zoom_Salva();

  // True while an exchange with the host runs.
  bool Occupato() const { return occupato_ || ricerca_.Occupato(); }

  // ---- Vista_Documento ----------------------------------------------------------------
  void Occupato(bool occupato) override;
  void Dati_Mostra(const std::vector<std::string>& valori) override;
  void Messaggio_Mostra(const std::string& testo) override;
  void Immagine_Carica(const std::string& primo_file, const Valori_Fax& fax) override;
  void Immagine_Stampa(const std::string& primo_file) override;
  void Immagine_Set_Stampa(const std::string& primo_file) override;

  // ---- Parts (for tests) -----------------------------------------------------------------
  QLabel* lblChiave(int q) const { return lbl_chiave_[static_cast<size_t>(q)]; }
  QLabel* lblDa(int i) const { return lbl_da_[static_cast<size_t>(i)]; }
  QLineEdit* txtDa(int i) const { return txt_da_[static_cast<size_t>(i)]; }
  Griglia_Elenco* Grid1() const { return grid1_; }
  QTableWidget* Grid3() const { return grid3_; }
  imv::Qod_IMV* Qod_IMV1() const { return imv_; }
  const Ricerca_Archivio& Ricerca() const { return ricerca_; }
  // The colours a box of each state shows.
  static QColor Sfondo(Colore_Casella c);

 private:
  // The form from the model, and the typed criteria into it.
  void Modulo_Mostra();
  // Places the form's rows and columns for the texts they show.
  void Modulo_Disponi();
  void Caselle_Leggi();
  void Caselle_Mostra();
  // The list's columns for the chosen definition, with their kept widths.
  void Griglia_Prepara();
  // Rows the list loader added since the last call.
  void Righe_Aggiungi();
  void Elenco_Mostra();
  // The height the list has on its tab, in pixels.
  int Griglia_Altezza() const;
  // The selected rows: first and last (from 0); false when none.
  bool Selezione(int& prima, int& ultima) const;
  void Riga_Scegli(int riga);
  void Presenta(int riga, const char* modo);
  void Stampa_Righe(int prima, int ultima);
  // The status line of a print run.
  void Stato_Mostra(const std::string& testo);

  FrmClient& finestra_;
  Client_Base& base_;
  Collegamento_Client& collegamento_;
  Pump pompa_;
  Ricerca_Archivio ricerca_;
  Qod_IMG qod_img1_;
  Generatore_Qod_IMG<Qod_IMG> generatore_{qod_img1_};
  Presenta_Client presenta_;

  std::array<QLabel*, kChiavi_Massime + 1> lbl_chiave_{};
  std::array<QLabel*, kCaselle + 1> lbl_da_{};
  std::array<QLineEdit*, kCaselle + 1> txt_da_{};
  Griglia_Elenco* grid1_ = nullptr;
  QTableWidget* grid3_ = nullptr;
  imv::Qod_IMV* imv_ = nullptr;

  // The two-digit definition whose columns the list shows ("" none).
  std::string griglia_ricerca_;
  // The list tab starts a new search at its next visit (after tab 0).
  bool elenco_azzerato_ = true;
  bool nuovo_elenco_ = false;
  bool in_caricamento_ = false;
  bool occupato_ = false;
  int occupato_livello_ = 0;
  // Which of several documents a print run is at ("" otherwise).
  std::string stato_documento_;
};

}  // namespace qod
