#include "qod/viewer/stampa_programma.h"

#include <QCoreApplication>

#include "qod/printing/cups.h"
#include "qod/viewer/proprieta_stampante.h"

namespace qod::imv {

Stampa_Visore& Stampa_Programma() {
  static stampa::Dispositivo_Cups cups;
  // No boxes of its own: those of the viewer that asks (Collega).
  static Stampa_Visore visore(Servizi_Stampa{
      &cups, nullptr, [] { QCoreApplication::processEvents(); },
      [](QWidget* finestra, const std::string& nome) { return Stampante_Proprieta(finestra, nome, cups); }});
  return visore;
}

}  // namespace qod::imv
