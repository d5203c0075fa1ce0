// The print device of the programs: the queues of CUPS.
//
// Printer names are CUPS destinations ("queue" or "queue/instance"), found
// exactly, then without regard to case, then, for a Windows name
// "\\server\queue", by its last part; an empty name is the default
// destination. The status comes from the queue's `printer-state`,
// `printer-state-reasons` and `printer-is-accepting-jobs`.
//
// A device context prints at the device mode's resolution across, else the
// queue's default resolution (`printer-resolution-default`), else 600 dpi;
// its page is the queue's default medium (A4 when the queue names none) in
// the device mode's orientation. The printable area is what the queue's
// margins for that medium leave (`media-*-margin` of its default media
// collection; the whole page when it gives none), the physical offsets are
// those margins in device pixels, and drawing is placed from the printable
// area's corner.
//
// A job is one PDF of the whole paper, in whole points, with every image
// where it lands on it. Starting a document creates the CUPS job (its id is
// the result: a queue that refuses jobs gives 0) and the PDF in a temporary
// file; each image drawn is an image object of it: a page file whose data
// can go as it stands (Disegna_Pagina of an image read without decoding)
// keeps its bytes, CCITT data under /CCITTFaxDecode; a decoded image is
// stored losslessly as a Flate stream. Ending a page writes it; ending the
// document hands the PDF to CUPS as the job's one document and succeeds
// only when CUPS has taken it whole. A job dropped before its end is
// cancelled in CUPS before any document reaches it, and its PDF removed;
// one taken whole can be cancelled by its id until CUPS has completed it.
// Copies, colour and the input slot of the paper bin (bins are the queue's
// input slots in their order; an unknown bin keeps the default) travel as
// the job's options, so the pages are drawn once. A Y resolution apart from
// X cannot be honoured: X is used.
//
// The user's own defaults for a queue (qod/printing/opzioni.h) are where a
// context starts from: its medium, and the colour, resolution and input
// slot of its device mode; a job carries the medium and the two-sided
// setting as options.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "qod/printing/opzioni.h"
#include "qod/printing/stampanti.h"

namespace qod::stampa {

class Dispositivo_Cups : public Dispositivo_Stampa, public Opzioni_Stampanti {
 public:
  // `preferenze`: the user's settings file for printers.
  explicit Dispositivo_Cups(std::string preferenze = Preferenze_File());
  ~Dispositivo_Cups() override;
  Dispositivo_Cups(const Dispositivo_Cups&) = delete;
  Dispositivo_Cups& operator=(const Dispositivo_Cups&) = delete;

  std::vector<std::string> Elenco() override;
  std::string Predefinita() override;
  Info_Stampante Info(const std::string& nome) override;
  int32_t Apri(const std::string& nome) override;
  int32_t Modo_Leggi(const std::string& nome, Modo_Dispositivo& modo) override;
  int32_t Modo_Scrivi(const std::string& nome, Modo_Dispositivo& modo) override;
  Contesto Crea_DC(const std::string& nome) override;
  int32_t Reimposta_DC(Contesto dc, const Modo_Dispositivo& modo) override;
  std::optional<Capacita> Capacita_DC(Contesto dc) override;
  int32_t Inizio_Doc(Contesto dc, const std::string& nome) override;
  int32_t Fine_Doc(Contesto dc) override;
  int32_t Annulla_Doc(Contesto dc) override;
  int32_t Annulla_Lavoro(int32_t lavoro) override;
  int32_t Inizio_Pagina(Contesto dc) override;
  int32_t Fine_Pagina(Contesto dc) override;
  int32_t Elimina_DC(Contesto dc) override;
  bool Disegna(Contesto dc, const img::Immagine& immagine, const Rettangolo& destinazione) override;
  bool Disegna_Pagina(Contesto dc, const Immagine_Pagina& pagina, const Rettangolo& destinazione) override;

  int32_t Opzioni(const std::string& nome, std::vector<Opzione_Stampante>& opzioni) override;
  int32_t Opzioni_Scrivi(const std::string& nome, const Preferenze& valori) override;

  // The CUPS id of the last job a context started (0 before any).
  int32_t Ultimo_Lavoro() const { return ultimo_lavoro_; }

 private:
  struct Contesto_Cups;
  Contesto_Cups* Trova(Contesto dc);
  // One of the two (`pagina` when given).
  bool Disegna_Immagine(Contesto dc, const Immagine_Pagina* pagina, const img::Immagine* immagine,
                        const Rettangolo& destinazione);
  std::string preferenze_;
  std::map<Contesto, std::unique_ptr<Contesto_Cups>> contesti_;
  Contesto prossimo_ = 1;
  int32_t ultimo_lavoro_ = 0;
};

}  // namespace qod::stampa
