// The file actions of the viewer control's toolbar: "Salva", "Ruota",
// "Cancella" and the fax and mail hand-off.
#include <QApplication>
#include <QFileDialog>

#include <unistd.h>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/ui/dialogo_file.h"
#include "qod/ui/qt.h"
#include "qod/viewer/azioni_file.h"
#include "qod/viewer/invio_brv.h"
#include "qod/viewer/qod_imv.h"

namespace qod::imv {

namespace {

// The save dialog on screen: a Qt file dialog (not the desktop's own, so
// that it behaves the same everywhere, in Italian) with the entries of the
// filter.
class Dialogo_Salva_Qt : public Dialogo_Salva {
 public:
  explicit Dialogo_Salva_Qt(QWidget* finestra) : finestra_(finestra) {}

  std::optional<Scelta_Salva> Salva(const Richiesta_Salva& r) override {
    // "entry|pattern|..." becomes one Qt filter per entry, its pattern in
    // both cases (names on disk keep their case); only the entry is shown.
    const QStringList parti = Testo_Qt(r.filtro).split('|');
    QStringList voci, mostrate, estensioni;
    for (qsizetype i = 0; i + 1 < parti.size(); i += 2) {
      const QString schema = parti[i + 1];
      mostrate << parti[i];
      voci << parti[i] + " (" + schema + " " + schema.toLower() + ")";
      const qsizetype punto = schema.lastIndexOf('.');
      estensioni << (punto < 0 ? QString() : schema.mid(punto + 1));
    }
    QFileDialog d(finestra_, Testo_Qt(r.titolo), Testo_Qt(r.cartella));
    d.setObjectName("CmnDlg");
    Dialogo_File_Italiano(d);
    d.setOption(QFileDialog::HideNameFilterDetails);
    d.setOption(QFileDialog::DontConfirmOverwrite, (r.flags & 2) == 0);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    d.setNameFilters(voci);
    if (r.voce >= 1 && r.voce <= voci.size()) d.selectNameFilter(voci[r.voce - 1]);
    // A name typed without extension takes the one of the entry chosen.
    d.setDefaultSuffix(Testo_Qt(r.estensione));
    QObject::connect(&d, &QFileDialog::filterSelected, &d, [&](const QString& f) {
      qsizetype i = voci.indexOf(f);
      if (i < 0) i = mostrate.indexOf(f);
      if (i >= 0 && !estensioni[i].isEmpty()) d.setDefaultSuffix(estensioni[i]);
    });
    d.selectFile(Testo_Qt(r.nome));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
    Scelta_Salva s;
    s.file = Ansi_Qt(d.selectedFiles().front());
    // The entry chosen, given back whole or as shown.
    qsizetype i = voci.indexOf(d.selectedNameFilter());
    if (i < 0) i = mostrate.indexOf(d.selectedNameFilter());
    s.voce = static_cast<int>(i) + 1;
    return s;
  }

 private:
  QWidget* finestra_;
};

std::string Testo_Non_Pronto() {
  return A("Il client Brevin non è pronto,") + "\r" + A("controllare se è in esecuzione") + "\r" +
         "e riperete l'invio";
}

constexpr const char* kTitolo_Brevin = "Brevin      ERRORE";

}  // namespace

Dialogo_Salva& Qod_IMV::Dialogo() {
  if (dialogo_salva_) return *dialogo_salva_;
  if (!dialogo_proprio_) dialogo_proprio_ = std::make_unique<Dialogo_Salva_Qt>(this);
  return *dialogo_proprio_;
}

MessageSink& Qod_IMV::Messaggi() {
  if (messaggi_) return *messaggi_;
  if (!messaggi_propri_) messaggi_propri_ = std::make_unique<Messaggi_Qt>();
  return *messaggi_propri_;
}

// ---- Save as ------------------------------------------------------------------------

void Qod_IMV::Immagine_Salva_Come() {
  if (im1_->isHidden() || im1_->Vuota()) return;
  const std::string mostrato = im1_->File().string();
  const std::string ext = Estensione_Salva(mostrato);
  Richiesta_Salva r;
  r.nome = Nome_Proposto(pagine_stato_.Pagina_Attuale);
  r.estensione = ext;
  r.filtro = Filtro_Salva(ext);
  r.voce = 1;
  r.flags = 6;
  const std::optional<Scelta_Salva> scelta = Dialogo().Salva(r);
  if (!scelta || scelta->file.empty()) return;
  const std::filesystem::path destinazione = scelta->file;
  if (scelta->voce == 1) {
    // The file shown, as it is, with every image it holds. Onto itself
    // there is nothing to do (deleting the target first would lose it).
    if (mostrato.empty() || Stesso_File(destinazione, mostrato) || !File_Scrivibile(destinazione)) return;
    img::Copia_File(mostrato, destinazione);
    return;
  }
  // The page shown, as it is on show (turned included), converted in a
  // copy: the page on screen keeps its colours.
  img::Immagine im2 = im1_->Immagine_Attuale();
  const std::optional<Voce_Salva> voce = Voce_Salvataggio(scelta->voce, im2.Dpi_X(), im2.Dpi_Y());
  if (!voce || !File_Scrivibile(destinazione) || !Converti(im2, voce->conversione)) return;
  img::Salva(im2, destinazione, voce->parametri);
}

// ---- Rotation -----------------------------------------------------------------------

bool Qod_IMV::Immagine_Gira() {
  // A quarter turn with a black fill; with write-back on the page is written
  // to its file. The counter, the keys and the stretch stay as they are.
  if (im1_->Vuota() || !im1_->Ruota(27000, img::Nero)) return false;
  memo_change_ = true;
  if (memo_) Pagina_Riscrivi();
  return true;
}

void Qod_IMV::Pagina_Riscrivi() {
  const std::string file = im1_->File().string();
  if (file.empty()) return;
  // The turned page carries its resolutions turned with it.
  const img::Immagine& im2 = im1_->Immagine_Attuale();
  const auto parametri = Parametri_Riscrittura(file, im2.Numero_Colori(), im2.Dpi_X(), im2.Dpi_Y());
  if (!parametri) return;
  // A read-only file is not tried; a save that fails says why.
  std::string testo = A("Impossibile scrivere la pagina ruotata nel file") + "\r" + file;
  if (File_Scrivibile(file)) {
    // One page of a multi-image file is replaced in place, the others kept.
    const img::Esito e =
        im1_->Immagini_Nel_File() > 1
            ? img::Sostituisci_Pagina_Tiff(im2, file, static_cast<int>(pagine_stato_.Pagina_Attuale), *parametri)
            : img::Salva(im2, file, *parametri);
    if (e) return;
    testo += "\r" + e.motivo;
  }
  Messaggi().MsgBox(testo, vbCritical, "Qod_IMV");
}

// ---- Deletion -----------------------------------------------------------------------

Qod_IMV::Cancellazione Qod_IMV::Pagina_Cancella_File() {
  Pagine& s = pagine_stato_;
  // Only a page shown from a document of one file per numbered page.
  if (im1_->Vuota() || s.Pagine_Numero < 1 || im1_->Immagini_Nel_File() != 1 || s.Cifre_Numero <= 0)
    return Cancellazione::Nessuna;
  const std::string f = s.File_Pagina(s.Pagina_Attuale);
  // A read-only page file is not deleted.
  if (!File_Esiste(Trim(f)) || !File_Scrivibile(f) || ::unlink(f.c_str()) != 0) return Cancellazione::Nessuna;
  // The later pages move down one number each, into the name freed before.
  for (long k = s.Pagina_Attuale + 1; k <= s.Pagine_Numero; ++k) {
    if (!Rinomina_Libero(s.File_Pagina(k), s.File_Pagina(k - 1))) return Cancellazione::Con_Buco;
  }
  --s.Pagine_Numero;
  --s.Pagina_Ultima;
  return Cancellazione::Fatta;
}

// ---- Hand-off -----------------------------------------------------------------------

void Qod_IMV::Documento_Invia(char tipo) {
  // Nothing shown, nothing to send.
  if (im1_->Vuota() || pagine_stato_.Pagine_Numero < 1) return;
  std::unique_ptr<Casella_Brv> casella = Client_Brv_Trova(brevin_.empty() ? Brevin_Indirizzo() : brevin_);
  if (!casella) {
    Messaggi().MsgBox(Testo_Non_Pronto(), vbCritical | vbOKOnly, kTitolo_Brevin);
    return;
  }
  const Copie_Brv copie = Copie_Scrivi(Piano_Copie(pagine_stato_));
  if (!copie.ok) {
    // Nothing is sent for a document whose pages could not all be copied.
    casella.reset();
    Messaggi().MsgBox(A("Errore nella copia della pagina") + "\r" + copie.errore + "\r" +
                          A("il documento non è stato inviato"),
                      vbCritical | vbOKOnly, kTitolo_Brevin);
    return;
  }
  const bool preso = casella->Invia(Messaggio_Brv(copie.copie.back(), brv_rife_, tipo, brv_tipo_, brv_codi_));
  if (!preso) Messaggi().MsgBox(Testo_Non_Pronto(), vbCritical | vbOKOnly, kTitolo_Brevin);
  QCoreApplication::processEvents();
}

}  // namespace qod::imv
