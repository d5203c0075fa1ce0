#include "frm_vis.h"

#include <QCloseEvent>

#include "qod/basic.h"
#include "qod/ui/qt.h"
#include "qod/viewer/qod_imv.h"
#include "qod/viewer/stampa_programma.h"

namespace qod {

FrmVis::FrmVis(const std::string& caption_base, MessageSink& messaggi, std::function<void()> chiusa)
    : qod_imv1_(new imv::Qod_IMV(this)), chiusa_(std::move(chiusa)) {
  qod_imv1_->Imposta_Messaggi(&messaggi);
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName("frmVis");
  setWindowTitle(Testo_Qt(Trim(caption_base) + "  Viewer"));
  imv::Stampa_Programma().Collega(*qod_imv1_);
  resize(800, 600);
}

FrmVis::~FrmVis() = default;

void FrmVis::resizeEvent(QResizeEvent*) { qod_imv1_->setGeometry(0, 0, width(), height()); }

void FrmVis::closeEvent(QCloseEvent* e) {
  e->accept();
  if (auto c = std::move(chiusa_)) c();
}

void FrmVis::Carica(const std::string& immagine, bool subclass, const std::string& file_ini) {
  qod_imv1_->qodimv_subclass(subclass);
  qod_imv1_->qodimv_FileINI(file_ini);
  qod_imv1_->Immagine_Carica(immagine);
  if (qod_imv1_->isVisible()) qod_imv1_->setFocus();
  show();
}

}  // namespace qod
