// The archive viewer's main window: the tab control with its four pages
// (" Ricerca  ", " Elenco  ", " Documento  ", " Dati  "), the toolbar, the
// version label and the frame round the page area, laid out as the window
// changes size; the notification-area icon while it is minimised, and the
// message boxes that first bring it back and then appear centred on it.
//
// The pages are empty containers the search form, the result list, the
// viewer control and the data grid go into: `Pagina(n)` is placed for tab n
// by `Scheda_Disponi` (tabs 0, 1 and 3 inside the tab control under the
// frame's top line, tab 2 over the tab control, where the viewer covers the
// page with its own toolbar).
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "qod/ui.h"

class QAction;

namespace qod {

class Messaggi_Qt;

class FrmClient : public QWidget {
 public:
  // The toolbar keys in their order on the bar.
  static constexpr std::array<const char*, 7> kTasti{"Uscita",     "Aggiorna", "Separatore", "Visualizza",
                                                      "Stampa",     "Set_Stampa", "Separatore2"};

  // `tray` receives the icon while the window is minimised; `messaggi` shows
  // the boxes, and `messaggi_qt`, when they are on screen, is told the
  // window to centre them on. `pompa` lets pending messages run.
  FrmClient(Area_Notifica& tray, MessageSink& messaggi, Messaggi_Qt* messaggi_qt, Pump pompa);
  ~FrmClient() override;

  // ---- What the program sets at load ------------------------------------------

  // The instance's title ("Quillon Viewer " & number): the caption and the
  // tip of the icon.
  void Istanza_Imposta(const std::string& titolo);
  void Release_Imposta(const std::string& testo);
  // The window's status line, after the toolbar's keys on tabs 0, 1 and 3:
  // what a print in progress has done ("" hides it).
  void Stato_Imposta(const std::string& testo);
  // Installs the re-layout at the end of a move or a resize and the minimum
  // size (500 x 260 pixels); without it ("/NOSUBCLASS") every resize lays
  // the window out at once and there is no minimum.
  void Subclass_Attiva(bool attiva);
  bool Subclass_Attivo() const { return subclass_; }
  // The search definitions offered: names and numbers.
  void Ricerche_Riempi(const std::vector<std::pair<int, std::string>>& voci);

  // ---- Layout ----------------------------------------------------------------------

  // Lays the tab control out inside the window, then the tab shown; nothing
  // when the window is minimised or its inside is 10 pixels or less.
  void Base_Ridimensiona_();
  void Scheda_Disponi(int scheda);
  // The height of the pages inside the tab control (tabs 0, 1 and 3).
  int Altezza_Pagine() const;
  int Scheda() const { return schede_->currentIndex(); }
  void Scheda_Imposta(int scheda) { schede_->setCurrentIndex(scheda); }

  // ---- Notification area and messages ----------------------------------------------

  void Form_Resize();
  // The icon's mouse messages: 514 (left) and 517 (right button up) bring
  // the window back, any other is ignored.
  void pic_try__MouseMove(int messaggio);
  void Finestra_Ripristina();
  // A message about the host's work: the window comes back from the
  // notification area first, then the box appears centred on it.
  int Messaggio_Mostra(const std::string& testo, int stile, const std::string& titolo);
  bool Icona_Presente() const { return icona_presente_; }
  const Icona_Tray& Icona() const { return icona_; }

  // ---- Events the program handles ----------------------------------------------------

  // The close request (the toolbar's "Uscita", the window's close button):
  // true lets the window close.
  std::function<bool()> Form_Unload;
  // A toolbar key other than "Uscita".
  std::function<void(const std::string&)> Toolbar_Azione;
  // Every layout of a tab ends here, with the tab: the pages' contents lay
  // themselves out (and the list tab decides whether to search again).
  std::function<void(int)> Scheda_Disposta;
  // A search definition was chosen (its number).
  std::function<void(int)> Ricerche_Click;

  // ---- Parts (for the pages' contents and for tests) ------------------------------------

  QWidget* Tab_() const;
  QTabBar* Schede() const { return schede_; }
  QWidget* Pagina(int scheda) const { return pagine_[static_cast<size_t>(scheda)]; }
  QToolBar* Toolbar() const { return toolbar_; }
  QAction* Tasto(const std::string& chiave) const;
  QLabel* Release() const { return release_; }
  QLabel* Stato() const { return stato_; }
  QComboBox* Ricerche() const { return ricerche_; }
  // The four lines of the frame (0 top, 1 right, 2 bottom, 3 left), in the
  // tab control's pixels, and whether they are drawn.
  const std::array<QLine, 4>& Line1() const { return linee_; }
  bool Linee_Visibili() const { return linee_visibili_; }
  // How many times the window has been laid out.
  int Disposizioni() const { return disposizioni_; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;

 private:
  class Area_Schede;
  void Ripristina_Da_Tray();
  int Alto_Barra() const;
  int Alto_Linea() const;

  Area_Notifica& tray_;
  MessageSink& messaggi_;
  Messaggi_Qt* messaggi_qt_;
  Pump pompa_;
  Area_Schede* tab_ = nullptr;
  QTabBar* schede_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  std::vector<std::pair<std::string, QAction*>> tasti_;
  QLabel* release_ = nullptr;
  QLabel* stato_ = nullptr;
  QComboBox* ricerche_ = nullptr;
  std::array<QWidget*, 4> pagine_{};
  std::array<QLine, 4> linee_{};
  bool linee_visibili_ = true;
  QTimer fine_spostamento_;
  Icona_Tray icona_;
  bool icona_presente_ = false;
  bool subclass_ = false;
  bool in_riempimento_ = false;
  int disposizioni_ = 0;
};

}  // namespace qod
