// Qod_IMV, the document viewer control: a toolbar, a page counter, a zoom
// list and an image view showing one page of a document at a time. A host
// names a document by the file of its first page; the control finds the
// further pages, pages through them, zooms and scrolls, and follows the
// pointer, the wheel and the keys.
//
// Text crossing the control (file names, the zoom text, the hand-off values)
// is ANSI (Windows-1252), as everywhere in the programs.
#pragma once

#include <QCursor>
#include <QPoint>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "qod/ui.h"
#include "qod/viewer/azioni_file.h"
#include "qod/viewer/geometria.h"
#include "qod/viewer/pagine.h"
#include "qod/viewer/puntatore.h"
#include "qod/viewer/stato.h"
#include "qod/viewer/vista_immagine.h"

class QComboBox;
class QLabel;
class QToolButton;

namespace qod::imv {

class Qod_IMV;

// The page actions that live outside the control (printing). An unset
// action does nothing and its method reports False.
struct Azioni_Visore {
  // Print the document of `nome` with the kept settings; open the print
  // dialog for it. The page on show is not touched.
  std::function<bool(Qod_IMV&, const std::string& nome)> Stampa;
  std::function<bool(Qod_IMV&, const std::string& nome)> Set_Stampa;
};

class Qod_IMV : public QWidget {
  Q_OBJECT

 public:
  explicit Qod_IMV(QWidget* parent = nullptr);
  ~Qod_IMV() override;

  // ---- Properties ------------------------------------------------------------

  // True hooks the wheel and the keys (once per thread: the first control
  // that asks owns them); False does nothing.
  void qodimv_subclass(bool v);

  void qodimv_button_uscita(bool v) { Tasto_Mostra(T_Uscita, v); }
  bool qodimv_button_uscita() const { return visibili_[T_Uscita]; }
  void qodimv_button_stampa(bool v) { Tasto_Mostra(T_Stampa, v); }
  bool qodimv_button_stampa() const { return visibili_[T_Stampa]; }
  void qodimv_button_set_stampa(bool v) { Tasto_Mostra(T_Set_Stampa, v); }
  bool qodimv_button_set_stampa() const { return visibili_[T_Set_Stampa]; }
  void qodimv_button_salva(bool v) { Tasto_Mostra(T_Salva, v); }
  bool qodimv_button_salva() const { return visibili_[T_Salva]; }
  void qodimv_button_ruota(bool v) { Tasto_Mostra(T_Ruota, v); }
  bool qodimv_button_ruota() const { return visibili_[T_Ruota]; }
  void qodimv_button_cancella(bool v) { Tasto_Mostra(T_Cancella, v); }
  bool qodimv_button_cancella() const { return visibili_[T_Cancella]; }
  void qodimv_button_posiz(bool v) { Tasto_Mostra(T_Posiz, v); }
  bool qodimv_button_posiz() const { return visibili_[T_Posiz]; }
  void qodimv_button_precedente(bool v) { Tasto_Mostra(T_Precedente, v); }
  bool qodimv_button_precedente() const { return visibili_[T_Precedente]; }
  void qodimv_button_successiva(bool v) { Tasto_Mostra(T_Successiva, v); }
  bool qodimv_button_successiva() const { return visibili_[T_Successiva]; }
  void qodimv_button_invio_Fax(bool v) { Tasto_Mostra(T_InvioFax, v); }
  bool qodimv_button_invio_Fax() const { return visibili_[T_InvioFax]; }
  void qodimv_button_invio_EMail(bool v) { Tasto_Mostra(T_InvioMail, v); }
  bool qodimv_button_invio_EMail() const { return visibili_[T_InvioMail]; }
  void qodimv_button_div1(bool v) { Tasto_Mostra(T_Div1, v); }
  bool qodimv_button_div1() const { return visibili_[T_Div1]; }
  void qodimv_button_div2(bool v) { Tasto_Mostra(T_Div2, v); }
  bool qodimv_button_div2() const { return visibili_[T_Div2]; }
  void qodimv_button_div3(bool v) { Tasto_Mostra(T_Div3, v); }
  bool qodimv_button_div3() const { return visibili_[T_Div3]; }
  void qodimv_button_div4(bool v) { Tasto_Mostra(T_Div4, v); }
  bool qodimv_button_div4() const { return visibili_[T_Div4]; }

  void qodimv_button_pagine(bool v);
  bool qodimv_button_pagine() const { return pagine_; }
  void qodimv_button_zoom(bool v);
  bool qodimv_button_zoom() const { return zoom_lista_; }

  // The zoom list's text (applied at the next Zoom_Applica).
  void qodimv_zoom(const std::string& testo);
  std::string qodimv_zoom() const;

  void qodimv_FileINI(const std::string& v) { file_ini_ = v; Cambiata("qodimv_FileINI"); }
  const std::string& qodimv_FileINI() const { return file_ini_; }
  void qodimv_Paragrafo(const std::string& v) { paragrafo_ = v; Cambiata("qodimv_Paragrafo"); }
  const std::string& qodimv_Paragrafo() const { return paragrafo_; }
  // The hand-off type also enables the fax and mail keys when not blank.
  void qodimv_Brv_Tipo(const std::string& v);
  const std::string& qodimv_Brv_Tipo() const { return brv_tipo_; }
  void qodimv_Brv_Codi(const std::string& v) { brv_codi_ = v; Cambiata("qodimv_Brv_Codi"); }
  const std::string& qodimv_Brv_Codi() const { return brv_codi_; }
  void qodimv_Brv_Rife(const std::string& v) { brv_rife_ = v; Cambiata("qodimv_Brv_Rife"); }
  const std::string& qodimv_Brv_Rife() const { return brv_rife_; }
  void qodimv_Pag_Fine(int32_t v) { pagine_stato_.Pagina_Ultima = v; Cambiata("qodimv_Pag_Fine"); }
  int32_t qodimv_Pag_Fine() const { return static_cast<int32_t>(pagine_stato_.Pagina_Ultima); }
  // An RGB value, or &H800000nn for system colour nn.
  void qodimv_BackColor(uint32_t colore);
  uint32_t qodimv_BackColor() const { return sfondo_; }
  void qodimv_Memo(bool v) { memo_ = v; Cambiata("qodimv_Memo"); }
  bool qodimv_Memo() const { return memo_; }
  void qodimv_Memo_Change(bool v) { memo_change_ = v; Cambiata("qodimv_Memo_Change"); }
  bool qodimv_Memo_Change() const { return memo_change_; }

  // ---- Methods ------------------------------------------------------------------

  bool Immagine_Carica(const std::string& NomeFile);
  bool Immagine_Carica_Pagina(const std::string& NomeFile, long pagina);
  // Printing keeps its document apart from the one on show.
  bool Immagine_Set_Stampa(const std::string& NomeFile);
  bool Immagine_Stampa(const std::string& NomeFile);
  // 0 discovers and shows the first page, -1 the previous, 1 the next, any
  // other value the current page again.
  bool Immagine_Pagina(long pagina);
  // Discovers and shows page index `pagina`.
  bool Immagine_Pagina_(long pagina);

  // ---- Saved state -------------------------------------------------------------

  void Stato_Ripristina(const Borsa& borsa);
  Borsa Stato_Salva() const;

  // ---- Display -----------------------------------------------------------------

  bool Zoom_Applica(long& x, long& y);
  void Immagine_Scorri(long x, long y);
  void Puntatore_Aggiorna();
  void Barra_Allinea();

  // ---- For hosts and tests -----------------------------------------------------

  void Imposta_Azioni(Azioni_Visore azioni) { azioni_ = std::move(azioni); }
  Azioni_Visore& Azioni() { return azioni_; }
  // The save dialog and the message boxes of the page actions, and the
  // socket of the fax program: the control's own on-screen dialogs and
  // Brevin_Indirizzo() unless replaced (what is given stays the caller's).
  void Imposta_Dialogo_Salva(Dialogo_Salva* d) { dialogo_salva_ = d; }
  void Imposta_Messaggi(MessageSink* m) { messaggi_ = m; }
  // The boxes in force: the ones given, else the control's own on screen.
  MessageSink& Messaggi();
  void Imposta_Brevin(std::string indirizzo) { brevin_ = std::move(indirizzo); }
  // The status line of a print in progress ("" when it is over): the host's
  // when it sets one, else the control's own, after the zoom list.
  std::function<void(const std::string& testo)> Stato_Stampa;
  void Stato_Stampa_Mostra(const std::string& testo);
  // The control's own status line ("" hides it).
  void Stato_Mostra(const std::string& testo);
  // The screen position of the pointer (QCursor::pos() unless replaced).
  void Imposta_Posizione_Puntatore(std::function<QPoint()> f) { posizione_ = std::move(f); }

  img::Vista_Immagine* IM1() const { return im1_; }
  QComboBox* Zoom() const { return zoom_; }
  QLabel* lblPag0() const { return lbl_pag0_; }
  QLabel* lblPag1() const { return lbl_pag1_; }
  QLabel* lblStato() const { return lbl_stato_; }
  QWidget* Toolbar() const { return toolbar_; }
  QWidget* Fondo() const { return fondo_; }
  QToolButton* Pulsante(int tasto) const { return pulsanti_[tasto]; }
  bool Tasto_Abilitato(int tasto) const;
  const Pagine& Stato_Pagine() const { return pagine_stato_; }
  double Rapporto_Risoluzione() const { return rapporto_; }
  bool Focus() const { return focus_; }
  bool Posizione() const { return posizione_modo_; }
  const Puntatore& Puntatore_Stato() const { return puntatore_; }
  const Disposizione& Disposizione_Attuale() const { return disposizione_; }
  double Twips_X() const;
  double Twips_Y() const;
  // Whether this control holds the thread's wheel and key handling.
  bool Aggancio_Proprio() const;

  // The actions of a toolbar key and of a viewer key.
  void Toolbar_ButtonClick(int tasto);
  void Tasto_Agisci(Tasto_Visore t);
  // A wheel turn with the key word of the wheel message.
  void Rotella_Gestisci(int tasti, int delta);

 signals:
  // A property was set (the name of the property).
  void Proprieta_Cambiata(const QString& nome);

 protected:
  void resizeEvent(QResizeEvent*) override;
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;

 private:
  friend class Aggancio;
  void Tasto_Mostra(int tasto, bool visibile);
  void Cambiata(const char* nome);
  void Imposta_Per_Nome(const std::string& nome, const std::string& valore);
  std::string Leggi_Per_Nome(const std::string& nome) const;
  bool Mostra();
  bool Stato_Vuoto();
  bool Carica_Pagina_Attuale();
  void Nascondi_Per_Cambio();
  void Abilita(int tasto, bool si);
  void Zoom_Conferma();
  void Puntatore_Evento(const Azione_Puntatore& a);
  void Cursore_Imposta();
  bool Dentro_Finestra() const;
  Puntatore::Contesto Contesto_Puntatore() const;
  void Posiziona_Figli();
  QRect In_Pixel(const Rettangolo& r) const;
  // The sizes of the toolbar's end at the current font, in twips.
  struct Misure_Barra {
    double contatore_x = 0, contatore_y = 0, pagina_x = 0, pagina_y = 0, zoom_x = 0, barra_y = 0;
  };
  Misure_Barra Misure() const;

  // The file actions of the toolbar: save the page shown in another format,
  // turn it (and write it back with qodimv_Memo), delete it, hand the
  // document to the fax program ('F' fax, 'E' mail). Turning and deleting
  // touch the files here; what the window then shows follows in
  // Immagine_Ruota and Pagina_Cancella.
  void Immagine_Salva_Come();
  bool Immagine_Gira();
  void Immagine_Ruota();
  void Pagina_Riscrivi();
  // What a deletion did on disk: nothing, the page gone and the later ones
  // renumbered, or the page gone with a later one left under its old name.
  enum class Cancellazione { Nessuna, Fatta, Con_Buco };
  Cancellazione Pagina_Cancella_File();
  void Pagina_Cancella();
  void Documento_Invia(char tipo);
  Dialogo_Salva& Dialogo();

  QWidget* toolbar_ = nullptr;
  std::array<QToolButton*, kTasti> pulsanti_{};
  std::array<QWidget*, kTasti> tasti_widget_{};
  std::array<bool, kTasti> visibili_{};
  QLabel* lbl_pag0_ = nullptr;
  QLabel* lbl_pag1_ = nullptr;
  QLabel* lbl_stato_ = nullptr;
  QComboBox* zoom_ = nullptr;
  QWidget* fondo_ = nullptr;
  img::Vista_Immagine* im1_ = nullptr;

  bool pagine_ = true, zoom_lista_ = true;
  std::string file_ini_, paragrafo_, brv_tipo_, brv_codi_, brv_rife_;
  uint32_t sfondo_ = kColore_Sfondo;
  bool memo_ = false, memo_change_ = false;
  bool focus_ = false, posizione_modo_ = false;
  Pagine pagine_stato_;
  double rapporto_ = 1;
  Disposizione disposizione_;
  Puntatore puntatore_;
  std::array<QCursor, 4> cursori_;
  Annidamento annidamento_;
  Azioni_Visore azioni_;
  Dialogo_Salva* dialogo_salva_ = nullptr;
  MessageSink* messaggi_ = nullptr;
  std::unique_ptr<Dialogo_Salva> dialogo_proprio_;
  std::unique_ptr<MessageSink> messaggi_propri_;
  std::string brevin_;
  std::function<QPoint()> posizione_;
};

}  // namespace qod::imv
