#include "qod/printing/cups.h"

#include <cups/cups.h>
#include <stdlib.h>

#include <QPageSize>
#include <QSize>
#include <QSizeF>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "qod/ansi.h"
#include "qod/pdf/documento.h"
#include "qod/pdf/immagini.h"

namespace qod::stampa {

namespace {

constexpr int kDpi_Predefiniti = 600;

// The destinations CUPS lists, freed on leaving.
class Destinazioni {
 public:
  Destinazioni() {
    n_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &d_);
    if (n_ == 0 && cupsLastError() >= IPP_STATUS_ERROR_SERVICE_UNAVAILABLE) irraggiungibile_ = true;
  }
  ~Destinazioni() { cupsFreeDests(n_, d_); }
  Destinazioni(const Destinazioni&) = delete;
  Destinazioni& operator=(const Destinazioni&) = delete;

  // The names as the programs see them (Windows-1252), in CUPS's order.
  std::vector<std::string> Nomi() const {
    std::vector<std::string> r;
    for (int i = 0; i < n_; ++i) r.push_back(Nome(d_[i]));
    return r;
  }

  std::string Predefinita() const {
    for (int i = 0; i < n_; ++i)
      if (d_[i].is_default) return Nome(d_[i]);
    return {};
  }

  // The destination a printer name stands for; the error code when none.
  cups_dest_t* Trova(const std::string& nome, int32_t& errore) const {
    errore = 0;
    const auto coda = Coda_Per_Nome(nome, Nomi(), Predefinita());
    if (coda)
      for (int i = 0; i < n_; ++i)
        if (Nome(d_[i]) == *coda) return &d_[i];
    errore = irraggiungibile_ ? kErrore_Servizio : kErrore_Nome_Stampante;
    return nullptr;
  }

  static std::string Nome(const cups_dest_t& d) {
    std::string n = d.name ? d.name : "";
    if (d.instance) n += std::string("/") + d.instance;
    return Utf8_A_Ansi(n);
  }

 private:
  cups_dest_t* d_ = nullptr;
  int n_ = 0;
  bool irraggiungibile_ = false;
};

std::string Opzione(const cups_dest_t& d, const char* nome) {
  const char* v = cupsGetOption(nome, d.num_options, d.options);
  return v ? v : "";
}

std::vector<std::string> Dividi(const std::string& s, char sep) {
  std::vector<std::string> r;
  size_t i = 0;
  while (i <= s.size()) {
    const size_t j = s.find(sep, i);
    const std::string parte = s.substr(i, j == std::string::npos ? std::string::npos : j - i);
    if (!parte.empty()) r.push_back(parte);
    if (j == std::string::npos) break;
    i = j + 1;
  }
  return r;
}

// One value of an option as the keyword a job option takes.
std::string Parola(ipp_attribute_t* a, int i) {
  if (ippGetValueTag(a) == IPP_TAG_RESOLUTION) {
    ipp_res_t unita = IPP_RES_PER_INCH;
    int y = 0;
    const int x = ippGetResolution(a, i, &y, &unita);
    const char* u = unita == IPP_RES_PER_CM ? "dpcm" : "dpi";
    return x == y ? std::to_string(x) + u : std::to_string(x) + "x" + std::to_string(y) + u;
  }
  const char* s = ippGetString(a, i, nullptr);
  return s ? s : "";
}

// The values the queue supports for an option, in its order, and its default.
std::vector<std::string> Supportati(cups_dest_t* d, cups_dinfo_t* info, const char* nome) {
  std::vector<std::string> r;
  if (ipp_attribute_t* a = cupsFindDestSupported(CUPS_HTTP_DEFAULT, d, info, nome))
    for (int i = 0; i < ippGetCount(a); ++i) {
      std::string v = Parola(a, i);
      if (!v.empty()) r.push_back(std::move(v));
    }
  return r;
}

std::string Predefinito(cups_dest_t* d, cups_dinfo_t* info, const char* nome) {
  ipp_attribute_t* a = cupsFindDestDefault(CUPS_HTTP_DEFAULT, d, info, nome);
  return a && ippGetCount(a) > 0 ? Parola(a, 0) : std::string();
}

// The queue's input slots, in their order.
std::vector<std::string> Cassetti(cups_dest_t* d) {
  std::vector<std::string> r;
  cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, d);
  if (!info) return r;
  r = Supportati(d, info, "media-source");
  cupsFreeDestInfo(info);
  return r;
}

// The dots per inch of a resolution keyword ("600dpi", "300x600dpi"); 0 when none.
int Dpi_Parola(const std::string& v) {
  const int n = std::atoi(v.c_str());
  if (n <= 0 || n > 32767) return 0;
  if (v.size() >= 4 && v.compare(v.size() - 4, 4, "dpcm") == 0) return static_cast<int>(std::lround(n * 2.54));
  return n;
}

// What a context prints on: the medium as a page size, the margins the
// queue cannot print in (hundredths of a millimetre, the paper upright) and
// the queue's own resolution (0 when it names none).
struct Carta {
  QPageSize formato{QPageSize::A4};
  int sinistro = 0, alto = 0, destro = 0, basso = 0;
  int dpi = 0;
};

// The margins of a `media-col` value; false when it has none.
bool Margini_Collezione(ipp_attribute_t* a, Carta& c) {
  ipp_t* col = a ? ippGetCollection(a, 0) : nullptr;
  if (!col) return false;
  bool trovati = false;
  auto margine = [&](const char* nome, int& v) {
    if (ipp_attribute_t* m = ippFindAttribute(col, nome, IPP_TAG_INTEGER)) {
      v = std::max(0, ippGetInteger(m, 0));
      trovati = true;
    }
  };
  margine("media-left-margin", c.sinistro);
  margine("media-top-margin", c.alto);
  margine("media-right-margin", c.destro);
  margine("media-bottom-margin", c.basso);
  return trovati;
}

// The medium is the user's, else the queue's default, as a page size (A4
// when it names none Qt knows). Its margins: for the queue's default medium
// those of its default media collection, for another the ones the queue
// gives for that medium; none when it gives none.
Carta Carta_Coda(cups_dest_t* d, const std::string& media_utente) {
  Carta c;
  std::string media = media_utente.empty() ? Opzione(*d, "media") : media_utente;
  if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, d)) {
    const std::string predefinito = Predefinito(d, info, "media");
    if (media.empty()) media = predefinito;
    bool margini = false;
    if (media == predefinito) margini = Margini_Collezione(cupsFindDestDefault(CUPS_HTTP_DEFAULT, d, info, "media-col"), c);
    cups_size_t misura{};
    if (!margini && !media.empty() &&
        cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, d, info, media.c_str(), CUPS_MEDIA_FLAGS_DEFAULT, &misura)) {
      c.sinistro = std::max(0, misura.left);
      c.alto = std::max(0, misura.top);
      c.destro = std::max(0, misura.right);
      c.basso = std::max(0, misura.bottom);
    }
    c.dpi = Dpi_Parola(Predefinito(d, info, "printer-resolution"));
    cupsFreeDestInfo(info);
  }
  if (!media.empty()) {
    if (pwg_media_t* p = pwgMediaForPWG(media.c_str())) {
      if (p->width > 0 && p->length > 0)
        c.formato = QPageSize(QSizeF(p->width / 100.0, p->length / 100.0), QPageSize::Millimeter);
    }
  }
  return c;
}

}  // namespace

struct Dispositivo_Cups::Contesto_Cups {
  std::string coda;      // CUPS name, UTF-8, without the instance
  std::string istanza;   // UTF-8
  Preferenze preferenze; // the user's defaults for the queue
  Modo_Dispositivo modo;
  std::string cassetto;  // the input slot asked for, or ""
  Carta carta;
  int32_t lavoro = 0;

  // The job's PDF while it is being drawn: objects 1 (information),
  // 2 (catalog) and 3 (page tree) come at its end.
  std::filesystem::path pdf;
  std::unique_ptr<pdf::Documento_Pdf> documento;
  std::string titolo;           // Windows-1252
  int larghezza_punti = 0, altezza_punti = 0;  // the paper as oriented
  double punti_pixel = 0;       // points per device pixel
  std::string pagine;           // the pages' references, in order
  int32_t numero_pagine = 0, immagini = 0;
  bool pagina_aperta = false;
  std::string contenuto, risorse;  // of the open page

  // The device mode's resolution, else the queue's, else 600 dpi.
  int Dpi() const { return modo.qualita > 0 ? modo.qualita : carta.dpi > 0 ? carta.dpi : kDpi_Predefiniti; }

  // The page in device pixels: the medium at the resolution, cut to whole
  // pixels, across and down as oriented; the printable area the whole
  // pixels inside the margins. In landscape the paper lies a quarter turn
  // anticlockwise: its left margin is at the top, its bottom one on the left.
  Capacita Geometria() const {
    const int dpi = Dpi();
    const QSizeF mm = carta.formato.size(QPageSize::Millimeter);
    double w = mm.width() * 100, h = mm.height() * 100;  // hundredths of a millimetre
    int s = carta.sinistro, a = carta.alto, de = carta.destro, b = carta.basso;
    if (modo.orientamento == 2) {
      std::swap(w, h);
      const int s0 = s;
      s = b;
      b = de;
      de = a;
      a = s0;
    }
    auto giu = [dpi](double centesimi) { return static_cast<int>(std::floor(centesimi * dpi / 2540.0 + 1e-6)); };
    auto su = [dpi](double centesimi) { return static_cast<int>(std::ceil(centesimi * dpi / 2540.0 - 1e-6)); };
    Capacita c;
    c.dpi_x = c.dpi_y = dpi;
    c.larghezza_fisica = giu(w);
    c.altezza_fisica = giu(h);
    c.offset_x = std::min(su(s), c.larghezza_fisica);
    c.offset_y = std::min(su(a), c.altezza_fisica);
    c.larghezza = std::max(0, giu(w - de) - c.offset_x);
    c.altezza = std::max(0, giu(h - b) - c.offset_y);
    return c;
  }

  // Starts the job's PDF in a new temporary file: the paper in whole
  // points, device pixels at the resolution. False when it cannot.
  bool Apri_Pdf(const std::string& nome) {
    std::string modello = (std::filesystem::temp_directory_path() / "qod-stampa-XXXXXX.pdf").string();
    const int fd = mkstemps(modello.data(), 4);
    if (fd < 0) return false;
    pdf = modello;
    documento = pdf::Documento_Pdf::Su_Descrittore(fd);
    if (!documento) {
      Chiudi_Pdf();
      return false;
    }
    titolo = nome;
    QSize punti = carta.formato.sizePoints();
    if (modo.orientamento == 2) punti.transpose();
    larghezza_punti = punti.width();
    altezza_punti = punti.height();
    punti_pixel = 72.0 / Dpi();
    pagine.clear();
    numero_pagine = immagini = 0;
    pagina_aperta = false;
    try {
      documento->Riga("%PDF-1.3");
      documento->Riserva(3);
    } catch (const std::exception&) {
      Chiudi_Pdf();
      return false;
    }
    return true;
  }

  // Writes the open page: its content, then the page naming its images.
  void Scrivi_Pagina() {
    pagina_aperta = false;
    const int32_t flusso = documento->Inizia_Oggetto();
    documento->Riga("<< /Length " + std::to_string(contenuto.size()) + " >>");
    documento->Riga("stream");
    documento->Byte(contenuto.data(), contenuto.size());
    documento->Riga("endstream");
    documento->Fine_Oggetto();
    const int32_t p = documento->Inizia_Oggetto();
    documento->Riga("<<");
    documento->Riga("/Type /Page");
    documento->Riga("/Parent 3 0 R");
    documento->Riga("/MediaBox [0 0 " + std::to_string(larghezza_punti) + " " + std::to_string(altezza_punti) + "]");
    documento->Riga("/Resources << /ProcSet [/PDF /ImageB /ImageC /ImageI] /XObject <<" + risorse + " >> >>");
    documento->Riga("/Contents " + std::to_string(flusso) + " 0 R");
    documento->Riga(">>");
    documento->Fine_Oggetto();
    pagine += " " + std::to_string(p) + " 0 R";
    contenuto.clear();
    risorse.clear();
  }

  // Closes the PDF whole: the open page, the page tree, the catalog and
  // the information.
  void Completa_Pdf() {
    if (pagina_aperta) Scrivi_Pagina();
    documento->Inizia_Oggetto(3);
    documento->Riga("<< /Type /Pages /Count " + std::to_string(numero_pagine) + " /Kids [" + pagine + " ] >>");
    documento->Fine_Oggetto();
    documento->Inizia_Oggetto(2);
    documento->Riga("<< /Type /Catalog /Pages 3 0 R >>");
    documento->Fine_Oggetto();
    documento->Inizia_Oggetto(1);
    documento->Riga("<< /Title (" + pdf::Escape_Pdf(titolo) + ") /Creator (Quillon) /Producer (Quillon) >>");
    documento->Fine_Oggetto();
    documento->Chiudi(1, 2, false);
    documento.reset();
  }

  void Chiudi_Pdf() {
    documento.reset();
    if (!pdf.empty()) {
      std::error_code ec;
      std::filesystem::remove(pdf, ec);
      pdf.clear();
    }
    pagina_aperta = false;
    contenuto.clear();
    risorse.clear();
  }

  void Annulla() {
    Chiudi_Pdf();
    if (lavoro > 0) cupsCancelJob2(CUPS_HTTP_DEFAULT, coda.c_str(), lavoro, 0);
    lavoro = 0;
  }
};

Dispositivo_Cups::Dispositivo_Cups(std::string preferenze) : preferenze_(std::move(preferenze)) {}

Dispositivo_Cups::~Dispositivo_Cups() {
  for (auto& [dc, c] : contesti_) c->Annulla();
}

Dispositivo_Cups::Contesto_Cups* Dispositivo_Cups::Trova(Contesto dc) {
  const auto i = contesti_.find(dc);
  return i == contesti_.end() ? nullptr : i->second.get();
}

std::vector<std::string> Dispositivo_Cups::Elenco() { return Destinazioni().Nomi(); }

std::string Dispositivo_Cups::Predefinita() { return Destinazioni().Predefinita(); }

Info_Stampante Dispositivo_Cups::Info(const std::string& nome) {
  Destinazioni dd;
  int32_t errore = 0;
  cups_dest_t* d = dd.Trova(nome, errore);
  if (!d) return {errore, 0, false, 0};
  const std::string stato = Opzione(*d, "printer-state");
  if (stato.empty()) return {0, kErrore_Percorso_Rete, false, 0};
  return Info_Da_Cups(std::atoi(stato.c_str()), Dividi(Opzione(*d, "printer-state-reasons"), ','),
                      Opzione(*d, "printer-is-accepting-jobs") != "false");
}

int32_t Dispositivo_Cups::Apri(const std::string& nome) {
  int32_t errore = 0;
  Destinazioni().Trova(nome, errore);
  return errore;
}

int32_t Dispositivo_Cups::Modo_Leggi(const std::string& nome, Modo_Dispositivo& modo) {
  Destinazioni dd;
  int32_t errore = 0;
  cups_dest_t* d = dd.Trova(nome, errore);
  if (!d) return errore;
  modo = {};
  const int copie = std::atoi(Opzione(*d, "copies").c_str());
  modo.copie = static_cast<int16_t>(copie > 0 && copie < 32768 ? copie : 1);
  modo.colore = Opzione(*d, "print-color-mode") == "color" ? 2 : 1;
  modo.orientamento = Opzione(*d, "orientation-requested") == "4" ? 2 : 1;
  // The user's defaults over the queue's.
  const Preferenze p = Preferenze_Leggi(preferenze_, Destinazioni::Nome(*d));
  if (auto i = p.find("print-color-mode"); i != p.end()) modo.colore = i->second == "color" ? 2 : 1;
  if (auto i = p.find("printer-resolution"); i != p.end()) modo.qualita = static_cast<int16_t>(Dpi_Parola(i->second));
  if (auto i = p.find("media-source"); i != p.end()) {
    const auto cassetti = Cassetti(d);
    for (size_t k = 0; k < cassetti.size(); ++k)
      if (cassetti[k] == i->second) {
        modo.cassetto = static_cast<int16_t>(k + 1);
        modo.campi |= DM_DEFAULTSOURCE;
      }
  }
  return 0;
}

int32_t Dispositivo_Cups::Modo_Scrivi(const std::string& nome, Modo_Dispositivo& modo) {
  Destinazioni dd;
  int32_t errore = 0;
  cups_dest_t* d = dd.Trova(nome, errore);
  if (!d) return errore;
  if (modo.copie < 1) modo.copie = 1;
  if (modo.qualita < 0) modo.qualita = 0;
  // Bins the queue does not have keep its default.
  if ((modo.campi & DM_DEFAULTSOURCE) && (modo.cassetto < 1 || static_cast<size_t>(modo.cassetto) > Cassetti(d).size())) {
    modo.cassetto = 0;
    modo.campi &= ~DM_DEFAULTSOURCE;
  }
  return 0;
}

Contesto Dispositivo_Cups::Crea_DC(const std::string& nome) {
  Destinazioni dd;
  int32_t errore = 0;
  cups_dest_t* d = dd.Trova(nome, errore);
  if (!d) return 0;
  auto c = std::make_unique<Contesto_Cups>();
  c->coda = d->name;
  c->istanza = d->instance ? d->instance : "";
  c->preferenze = Preferenze_Leggi(preferenze_, Destinazioni::Nome(*d));
  c->carta = Carta_Coda(d, c->preferenze.count("media") ? c->preferenze.at("media") : std::string());
  Modo_Dispositivo modo;
  if (Modo_Leggi(nome, modo) == 0) c->modo = modo;
  const Contesto dc = prossimo_++;
  contesti_[dc] = std::move(c);
  return dc;
}

int32_t Dispositivo_Cups::Reimposta_DC(Contesto dc, const Modo_Dispositivo& modo) {
  Contesto_Cups* c = Trova(dc);
  if (!c || (c->documento && c->numero_pagine > 0)) return 6;  // no such context, or a document is being drawn
  c->modo = modo;
  c->cassetto.clear();
  if ((modo.campi & DM_DEFAULTSOURCE) && modo.cassetto > 0) {
    if (cups_dest_t* d = cupsGetNamedDest(CUPS_HTTP_DEFAULT, c->coda.c_str(),
                                          c->istanza.empty() ? nullptr : c->istanza.c_str())) {
      const auto cassetti = Cassetti(d);
      if (static_cast<size_t>(modo.cassetto) <= cassetti.size())
        c->cassetto = cassetti[static_cast<size_t>(modo.cassetto) - 1];
      cupsFreeDests(1, d);
    }
  }
  return 0;
}

std::optional<Capacita> Dispositivo_Cups::Capacita_DC(Contesto dc) {
  Contesto_Cups* c = Trova(dc);
  if (!c) return std::nullopt;
  return c->Geometria();
}

int32_t Dispositivo_Cups::Inizio_Doc(Contesto dc, const std::string& nome) {
  Contesto_Cups* c = Trova(dc);
  if (!c || c->lavoro > 0) return 0;

  // The job's PDF, written beside the other temporary files.
  if (!c->Apri_Pdf(nome)) return 0;

  cups_option_t* opzioni = nullptr;
  int n = 0;
  n = cupsAddIntegerOption("copies", c->modo.copie > 0 ? c->modo.copie : 1, n, &opzioni);
  n = cupsAddOption("print-color-mode", c->modo.colore == 2 ? "color" : "monochrome", n, &opzioni);
  if (!c->cassetto.empty()) n = cupsAddOption("media-source", c->cassetto.c_str(), n, &opzioni);
  // The user's medium and two-sided setting; the resolution only when the
  // context still prints at the user's.
  for (const char* o : {"media", "sides"})
    if (auto i = c->preferenze.find(o); i != c->preferenze.end()) n = cupsAddOption(o, i->second.c_str(), n, &opzioni);
  if (auto i = c->preferenze.find("printer-resolution");
      i != c->preferenze.end() && c->modo.qualita > 0 && Dpi_Parola(i->second) == c->modo.qualita)
    n = cupsAddOption("printer-resolution", i->second.c_str(), n, &opzioni);
  const std::string titolo = Ansi_A_Utf8(nome);
  const int lavoro = cupsCreateJob(CUPS_HTTP_DEFAULT, c->coda.c_str(), titolo.c_str(), n, opzioni);
  cupsFreeOptions(n, opzioni);
  if (lavoro <= 0) {
    c->Chiudi_Pdf();
    return 0;
  }
  c->lavoro = lavoro;
  ultimo_lavoro_ = lavoro;
  return lavoro;
}

int32_t Dispositivo_Cups::Inizio_Pagina(Contesto dc) {
  Contesto_Cups* c = Trova(dc);
  if (!c || c->lavoro <= 0 || !c->documento || c->pagina_aperta) return 0;
  c->pagina_aperta = true;
  ++c->numero_pagine;
  return 1;
}

int32_t Dispositivo_Cups::Fine_Pagina(Contesto dc) {
  Contesto_Cups* c = Trova(dc);
  if (!c || !c->pagina_aperta) return 0;
  try {
    c->Scrivi_Pagina();
  } catch (const std::exception&) {
    // The file cannot be written: the job cannot end whole.
    c->Chiudi_Pdf();
    return 0;
  }
  return 1;
}

// Each image is an image object of the job's PDF, drawn by the open page
// into the destination: twips from the printable area's corner, on a page
// drawn whole, device pixels at the resolution, the paper's top edge the
// top of the PDF page.
bool Dispositivo_Cups::Disegna_Immagine(Contesto dc, const Immagine_Pagina* pagina, const img::Immagine* immagine,
                                        const Rettangolo& r) {
  Contesto_Cups* c = Trova(dc);
  if (!c || !c->pagina_aperta || !c->documento) return false;
  const std::string nome = "Im" + std::to_string(c->immagini + 1);
  int32_t oggetto = 0;
  try {
    if (pagina && pagina->Diretta()) {
      oggetto = pdf::Scrivi_Tiff(*c->documento, nome, pagina->file);
    } else {
      pdf::Raster_Pdf raster;
      std::string motivo;
      if (!pdf::Raster_Da_Immagine(pagina ? pagina->decodificata : *immagine, raster, motivo)) return false;
      oggetto = pdf::Scrivi_Raster(*c->documento, nome, raster);
    }
  } catch (const std::exception&) {
    // A file that could not be read or written midway leaves half an
    // object: the job cannot end whole.
    c->Chiudi_Pdf();
    return false;
  }
  if (oggetto == 0) return false;
  ++c->immagini;
  const Capacita g = c->Geometria();
  const double k = g.dpi_x / 1440.0, s = c->punti_pixel;
  const double x = g.offset_x + r.sinistra * k, y = g.offset_y + r.alto * k;
  const double w = (r.destra - r.sinistra) * k, h = (r.basso - r.alto) * k;
  auto numero = [](double v) { return pdf::Numero_Pdf(v, 6); };
  c->contenuto += "q " + numero(w * s) + " 0 0 " + numero(h * s) + " " + numero(x * s) + " " +
                  numero(c->altezza_punti - (y + h) * s) + " cm /" + nome + " Do Q\n";
  c->risorse += " /" + nome + " " + std::to_string(oggetto) + " 0 R";
  return true;
}

bool Dispositivo_Cups::Disegna(Contesto dc, const img::Immagine& immagine, const Rettangolo& r) {
  return Disegna_Immagine(dc, nullptr, &immagine, r);
}

bool Dispositivo_Cups::Disegna_Pagina(Contesto dc, const Immagine_Pagina& pagina, const Rettangolo& r) {
  return Disegna_Immagine(dc, &pagina, nullptr, r);
}

int32_t Dispositivo_Cups::Fine_Doc(Contesto dc) {
  Contesto_Cups* c = Trova(dc);
  if (!c || c->lavoro <= 0) return 0;
  if (!c->documento) {
    // A page could not be written: the job is dropped.
    c->Annulla();
    return 0;
  }
  if (c->numero_pagine == 0) {
    // No page: nothing for the printer.
    c->Annulla();
    return 1;
  }
  bool bene = false;
  try {
    c->Completa_Pdf();
    bene = true;
  } catch (const std::exception&) {
  }
  std::ifstream in(c->pdf, std::ios::binary);
  const std::string nome_doc = c->pdf.filename().string();
  if (bene && in &&
      cupsStartDocument(CUPS_HTTP_DEFAULT, c->coda.c_str(), c->lavoro, nome_doc.c_str(), CUPS_FORMAT_PDF, 1) ==
          HTTP_STATUS_CONTINUE) {
    std::vector<char> blocco(1 << 18);
    while (in) {
      in.read(blocco.data(), static_cast<std::streamsize>(blocco.size()));
      const auto n = in.gcount();
      if (n > 0 && cupsWriteRequestData(CUPS_HTTP_DEFAULT, blocco.data(), static_cast<size_t>(n)) !=
                       HTTP_STATUS_CONTINUE) {
        bene = false;
        break;
      }
    }
    // The document request is always finished, so the connection stays usable.
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, c->coda.c_str()) > IPP_STATUS_OK_CONFLICTING) bene = false;
  } else {
    bene = false;
  }
  if (!bene) {
    c->Annulla();
    return 0;
  }
  c->lavoro = 0;
  c->Chiudi_Pdf();
  return 1;
}

int32_t Dispositivo_Cups::Annulla_Doc(Contesto dc) {
  Contesto_Cups* c = Trova(dc);
  if (!c || c->lavoro <= 0) return 0;
  c->Annulla();
  return 1;
}

int32_t Dispositivo_Cups::Annulla_Lavoro(int32_t lavoro) {
  // By the job's own URI: the queue is not needed. A job already complete
  // cannot be cancelled any more.
  if (lavoro <= 0) return 0;
  return cupsCancelJob2(CUPS_HTTP_DEFAULT, nullptr, lavoro, 0) == IPP_STATUS_OK ? 1 : 0;
}

int32_t Dispositivo_Cups::Opzioni(const std::string& nome, std::vector<Opzione_Stampante>& opzioni) {
  opzioni.clear();
  Destinazioni dd;
  int32_t errore = 0;
  cups_dest_t* d = dd.Trova(nome, errore);
  if (!d) return errore;
  cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, d);
  if (!info) return kErrore_Percorso_Rete;
  const Preferenze p = Preferenze_Leggi(preferenze_, Destinazioni::Nome(*d));
  for (const char* o : kOpzioni_Utente) {
    Opzione_Stampante op{o, Supportati(d, info, o), {}};
    if (op.scelte.size() < 2) continue;  // nothing to choose
    const auto u = p.find(o);
    if (u != p.end() && std::find(op.scelte.begin(), op.scelte.end(), u->second) != op.scelte.end()) {
      op.scelta = u->second;
    } else {
      op.scelta = o == std::string("media") && !Opzione(*d, "media").empty() ? Opzione(*d, "media")
                                                                               : Predefinito(d, info, o);
      // A queue that names no default prints with its first choice.
      if (std::find(op.scelte.begin(), op.scelte.end(), op.scelta) == op.scelte.end()) op.scelta = op.scelte[0];
    }
    opzioni.push_back(std::move(op));
  }
  cupsFreeDestInfo(info);
  return 0;
}

int32_t Dispositivo_Cups::Opzioni_Scrivi(const std::string& nome, const Preferenze& valori) {
  Destinazioni dd;
  int32_t errore = 0;
  cups_dest_t* d = dd.Trova(nome, errore);
  if (!d) return errore;
  return Preferenze_Scrivi(preferenze_, Destinazioni::Nome(*d), valori) ? 0 : 5;  // 5: access denied
}

int32_t Dispositivo_Cups::Elimina_DC(Contesto dc) {
  const auto i = contesti_.find(dc);
  if (i == contesti_.end()) return 0;
  i->second->Annulla();
  contesti_.erase(i);
  return 1;
}

}  // namespace qod::stampa
