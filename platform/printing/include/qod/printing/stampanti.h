// Printer access as the programs use it: the status of a printer as a code
// and a text, the job settings applied to a device context, the page metrics
// of a device context, and thin wrappers for the document and page calls.
// Everything goes through a print device (Dispositivo_Stampa): the CUPS one
// in the programs (qod/printing/cups.h), a recording one in the tests
// (qod/printing/registrato.h). Text is Windows-1252 bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qod/imaging/immagine.h"

namespace qod::stampa {

// ---- Status words --------------------------------------------------------

// Bits of a printer's status word.
inline constexpr uint32_t kStato_Pausa = 0x1;
inline constexpr uint32_t kStato_Errore = 0x2;
inline constexpr uint32_t kStato_Carta_Inceppata = 0x8;
inline constexpr uint32_t kStato_Senza_Carta = 0x10;
inline constexpr uint32_t kStato_Fuori_Linea = 0x80;
inline constexpr uint32_t kStato_In_Stampa = 0x400;
inline constexpr uint32_t kStato_Toner_Scarso = 0x20000;
inline constexpr uint32_t kStato_Senza_Toner = 0x40000;
inline constexpr uint32_t kStato_Sportello_Aperto = 0x400000;

// Error codes a device gives when a printer cannot be reached.
inline constexpr int32_t kErrore_Nome_Stampante = 1801;  // no such printer
inline constexpr int32_t kErrore_Percorso_Rete = 53;     // its server is unreachable
inline constexpr int32_t kErrore_Servizio = 1722;        // the print service does not answer

// Result code and text for a whole status word (not bit by bit): 0 with
// "è in Pronto" for 0, 0 with "" for the toner-low bit alone, the word with
// its phrase for one known bit, the word with "ha un errore sconosciuto"
// for anything else.
int32_t Stato_Testo(uint32_t stato, std::string& testo);

// What a device knows of a printer when asked for its status.
struct Info_Stampante {
  int32_t errore_apertura = 0;  // 0: found; else the device's error code (0 is never a failure code)
  int32_t errore_lettura = 0;   // 0: status read; else the device's error code
  bool fuori_linea = false;     // the printer is set to work offline (does not take jobs)
  uint32_t stato = 0;           // status word
};

// The status word and the offline mark of a CUPS queue: `printer-state`
// (3 idle and 4 processing are both ready, 5 stopped is paused), its
// `printer-state-reasons` (with or without the "-report", "-warning",
// "-error" endings) and `printer-is-accepting-jobs`.
Info_Stampante Info_Da_Cups(int stato, const std::vector<std::string>& motivi, bool accetta_lavori);

// ---- Device mode -----------------------------------------------------------

// The members of the device mode the programs change, and the bits that
// say which ones were set.
inline constexpr uint32_t DM_ORIENTATION = 0x1;
inline constexpr uint32_t DM_COPIES = 0x100;
inline constexpr uint32_t DM_DEFAULTSOURCE = 0x200;
inline constexpr uint32_t DM_PRINTQUALITY = 0x400;
inline constexpr uint32_t DM_COLOR = 0x800;
inline constexpr uint32_t DM_YRESOLUTION = 0x2000;

struct Modo_Dispositivo {
  int16_t orientamento = 1;   // 1 portrait, 2 landscape
  int16_t copie = 1;
  int16_t colore = 1;         // 1 monochrome, 2 colour
  int16_t qualita = 0;        // resolution across, dpi
  int16_t risoluzione_y = 0;  // resolution down, dpi
  int16_t cassetto = 0;       // paper bin, 1 = the first input slot
  uint32_t campi = 0;         // DM_ bits
  bool operator==(const Modo_Dispositivo&) const = default;
};

// ---- Device contexts -------------------------------------------------------

// A device context; 0 is none.
using Contesto = int64_t;

// What a device context says of itself, in device pixels.
struct Capacita {
  int32_t dpi_x = 0, dpi_y = 0;                  // LOGPIXELSX, LOGPIXELSY
  int32_t offset_x = 0, offset_y = 0;            // PHYSICALOFFSETX, PHYSICALOFFSETY
  int32_t larghezza = 0, altezza = 0;            // HORZRES, VERTRES (printable area)
  int32_t larghezza_fisica = 0, altezza_fisica = 0;  // PHYSICALWIDTH, PHYSICALHEIGHT
};

// A destination in twips, from the top left corner of the printable area.
struct Rettangolo {
  int32_t sinistra = 0, alto = 0, destra = 0, basso = 0;
  bool operator==(const Rettangolo&) const = default;
};

// A page image to print: image 1 of its file, and what placing it needs.
// When the file's data can go to a printer as it stands (a TIFF whose
// image is one strip of CCITT data, or uncompressed or single-strip LZW
// data, that a PDF filter reads exactly), only its directory is read and
// `decodificata` stays empty; otherwise it holds the decoded image.
struct Immagine_Pagina {
  std::filesystem::path file;
  int larghezza = 0, altezza = 0;  // pixels
  int dpi_x = 0, dpi_y = 0;        // 0 when the file gives none
  img::Immagine decodificata;
  bool Diretta() const { return decodificata.Vuota(); }
};

// Reads a page file for printing, as above. On failure (the file cannot be
// decoded) the reason, and `pagina` holds no image.
img::Esito Immagine_Pagina_Leggi(const std::filesystem::path& file, Immagine_Pagina& pagina);

// The printing system under the programs. Printer names are Windows-1252.
class Dispositivo_Stampa {
 public:
  virtual ~Dispositivo_Stampa() = default;

  // The printers, in the order the system lists them.
  virtual std::vector<std::string> Elenco() = 0;
  // The name of the default printer; "" when there is none.
  virtual std::string Predefinita() { return {}; }
  // Finds the printer and reads its status.
  virtual Info_Stampante Info(const std::string& nome) = 0;
  // Opens the printer for its settings: 0, or an error code.
  virtual int32_t Apri(const std::string& nome) = 0;
  // The printer's own device mode (its defaults): 0, or an error code.
  virtual int32_t Modo_Leggi(const std::string& nome, Modo_Dispositivo& modo) = 0;
  // Checks a changed device mode against the printer and merges it: 0, or an error code.
  virtual int32_t Modo_Scrivi(const std::string& nome, Modo_Dispositivo& modo) = 0;

  virtual Contesto Crea_DC(const std::string& nome) = 0;
  // Applies a device mode to a device context: 0, or an error code.
  virtual int32_t Reimposta_DC(Contesto dc, const Modo_Dispositivo& modo) = 0;
  virtual std::optional<Capacita> Capacita_DC(Contesto dc) = 0;
  // Starts a print job: its id, 0 or less on failure.
  virtual int32_t Inizio_Doc(Contesto dc, const std::string& nome) = 0;
  // Ends the print job: above 0 when the printing system has it whole.
  virtual int32_t Fine_Doc(Contesto dc) = 0;
  // Drops the open print job, whatever was drawn.
  virtual int32_t Annulla_Doc(Contesto dc) = 0;
  // Cancels a job the printing system took whole (by the id Inizio_Doc
  // gave) unless it is already complete: above 0 when it was cancelled.
  virtual int32_t Annulla_Lavoro(int32_t lavoro) {
    (void)lavoro;
    return 0;
  }
  virtual int32_t Inizio_Pagina(Contesto dc) = 0;
  virtual int32_t Fine_Pagina(Contesto dc) = 0;
  virtual int32_t Elimina_DC(Contesto dc) = 0;
  // Draws the image stretched into the destination (twips from the
  // printable area's corner) on the open page. False when it cannot.
  virtual bool Disegna(Contesto dc, const img::Immagine& immagine, const Rettangolo& destinazione) = 0;
  // The same for a page image read by Immagine_Pagina_Leggi. A device that
  // can pass the file's own data on does; by default the image is drawn
  // decoded (decoded now when it was not).
  virtual bool Disegna_Pagina(Contesto dc, const Immagine_Pagina& pagina, const Rettangolo& destinazione);
};

// ---- The calls of the programs ---------------------------------------------

// One log line, written with a blank line before it and the date prefix.
using Scrivi_Log = std::function<void(std::string_view riga)>;

// The status of a printer: 0 = ready, else the status value or error code;
// `testo` gets the predicate the caller puts behind "La stampante ".
int32_t Stampante_Stato(Dispositivo_Stampa& dispositivo, const std::string& nome, std::string& testo);

// Applies orientation, copies, colour ("S" colour, "N" monochrome, other
// text leaves it), resolution and paper bin (each only when above 0) to the
// device context. 0 = applied, else the error code of the failing step.
// Writes its diagnostic line first, and one more line for a failing step.
// Copies above 32767 throw std::overflow_error.
int32_t Stampante_Imposta(Dispositivo_Stampa& dispositivo, const Scrivi_Log& log, int64_t finestra, Contesto dc,
                          const std::string& nome, bool verticale, int32_t copie, const std::string& colore,
                          int32_t risoluzione_x, int32_t risoluzione_y, int32_t cassetto);

// The page metrics of a device context.
struct Metriche_Pagina {
  int16_t Dpi_X = 0, Dpi_Y = 0;
  int16_t Offset_X = 0, Offset_Y = 0;
  int16_t Larghezza = 0, Altezza = 0;                  // printable, pixels
  int16_t Larghezza_Fisica = 0, Altezza_Fisica = 0;    // pixels
  float Pixel_Mm_X = 0, Pixel_Mm_Y = 0;
  int16_t Larghezza_Twips = 0, Altezza_Twips = 0;      // printable, twips
  float Twips_Pixel_X = 0, Twips_Pixel_Y = 0;
};

// The metrics from a device's capabilities. A value that does not fit 16
// bits, or a resolution of 0, throws std::overflow_error.
Metriche_Pagina Metriche_Da_Capacita(const Capacita& c);
// Fills the metrics of the device context; throws std::overflow_error as
// above, std::runtime_error when the context has none.
void Metriche_Pagina_Leggi(Dispositivo_Stampa& dispositivo, Contesto dc, Metriche_Pagina& metriche);

// The one-call wrappers.
inline Contesto Stampante_Crea_DC(Dispositivo_Stampa& d, const std::string& nome) { return d.Crea_DC(nome); }
inline int32_t Stampante_Elimina_DC(Dispositivo_Stampa& d, Contesto dc) { return d.Elimina_DC(dc); }
inline int32_t Stampante_Inizio_Doc(Dispositivo_Stampa& d, Contesto dc, const std::string& nome) {
  return d.Inizio_Doc(dc, nome);
}
inline int32_t Stampante_Fine_Doc(Dispositivo_Stampa& d, Contesto dc) { return d.Fine_Doc(dc); }
inline int32_t Stampante_Inizio_Pagina(Dispositivo_Stampa& d, Contesto dc) { return d.Inizio_Pagina(dc); }
inline int32_t Stampante_Fine_Pagina(Dispositivo_Stampa& d, Contesto dc) { return d.Fine_Pagina(dc); }

// ---- Printer names -----------------------------------------------------------

// The queue a printer name stands for, among `code`: the same name, else
// the same name without regard to case, else for "\\server\queue" its last
// part the same two ways; an empty name is `predefinita`. Nothing when no
// queue matches.
std::optional<std::string> Coda_Per_Nome(const std::string& nome, const std::vector<std::string>& code,
                                         const std::string& predefinita);

}  // namespace qod::stampa
