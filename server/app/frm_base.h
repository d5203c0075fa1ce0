// The server's main window on screen: the toolbar, the status panel drawn
// from the panel model, the light, the labels `Client` and `Release`. It
// forwards its events (toolbar, clicks on the switches, minimising, closing)
// to the window logic and gives it the window's state and position.
#pragma once

#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include <array>
#include <functional>

#include "qod/server/finestra_base.h"
#include "qod/server/pannello.h"

namespace qod {

class Quadro_Qt;

class FrmBase : public QWidget, public Vista_Base {
 public:
  // `esci` ends the program.
  FrmBase(Pannello& pannello, std::function<void()> esci);
  ~FrmBase() override;

  void Collega(Finestra_Base* finestra) { finestra_ = finestra; }

  // Shows the window after its load, unless it went to the notification area.
  void Mostra_Dopo_Caricamento();

  // The toolbar button of a key, and the panel (for tests and screenshots).
  QToolButton* Pulsante(Pannello::Tasto t) const { return pulsanti_[static_cast<size_t>(t)]; }
  QWidget* Quadro() const;
  // Where a row's caption lies, in window pixels.
  QRect Didascalia(int riga) const;

  // ---- Vista_Base ----------------------------------------------------------------
  bool Minimizzata() const override;
  bool Normale() const override;
  void Minimizza() override;
  void Nascondi() override;
  void Mostra_Normale() override;
  void Ripristina() override;
  void Posizione(int32_t& left, int32_t& top) const override;
  void Sposta(int32_t left, int32_t top) override;
  void Schermo(int32_t& larghezza, int32_t& altezza) const override;
  void Chiudi() override;
  void Esci() override;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void Aggiorna(int avviso);

  Pannello& pannello_;
  std::function<void()> esci_;
  Finestra_Base* finestra_ = nullptr;
  std::array<QToolButton*, Pannello::kTasti> pulsanti_{};
  Quadro_Qt* quadro_ = nullptr;
  QLabel* release_ = nullptr;
  QLabel* client_ = nullptr;
};

}  // namespace qod
