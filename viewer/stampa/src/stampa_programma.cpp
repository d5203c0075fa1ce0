#include "qod/viewer/stampa_programma.h"

#include <QCoreApplication>

#include "qod/printing/cups.h"
#include "qod/ui/qt.h"
#include "qod/viewer/proprieta_stampante.h"

namespace qod::imv {

Stampa_Visore& Stampa_Programma() {
  static stampa::Dispositivo_Cups cups;
  static Messaggi_Qt messaggi;
  static Stampa_Visore visore(Servizi_Stampa{
      &cups, &messaggi, [] { QCoreApplication::processEvents(); },
      [](QWidget* finestra, const std::string& nome) { return Stampante_Proprieta(finestra, nome, cups); }});
  return visore;
}

}  // namespace qod::imv
