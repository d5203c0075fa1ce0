// Document structure: properties, units, number text, the writing
// primitives, the start and the end of a document.
#include "qod/pdf/x_pdf.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <random>

#include "qod/basic.h"
#include "qod/pdf/font_metrics.h"
#include "qod/scrittura.h"
#include "qod/winpath.h"

namespace qod::pdf {
namespace {

std::mt19937& Casuale() {
  static std::mt19937 g{std::random_device{}()};
  return g;
}

}  // namespace

X_PDF::X_PDF(const Clock& orologio) : orologio_(orologio) {
  Title("(senza titolo)");
  autore_.clear();
  oggetto_.clear();
  scala_ = 3;
  PaperSize(0);
  orientamento_ = 1;
  margine_ = 0;
  pagine_ = 0;
  InitFontMetrics();
}

X_PDF::~X_PDF() { Abbandona(); }

// ---- Properties --------------------------------------------------------

void X_PDF::Margin(float vData) { margine_ = ToPoints(vData); }
void X_PDF::PaperWidth(float vData) { larghezza_carta_ = ToPoints(vData); }
void X_PDF::PaperHeight(float vData) { altezza_carta_ = ToPoints(vData); }

void X_PDF::PaperSize(int32_t New_PaperSize) {
  formato_ = New_PaperSize;
  switch (New_PaperSize) {
    case 0: larghezza_carta_ = 595.27f, altezza_carta_ = 841.88f; break;
    case 1: larghezza_carta_ = 841.88f, altezza_carta_ = 1190.55f; break;
    case 2: larghezza_carta_ = 612, altezza_carta_ = 792; break;
    case 3: larghezza_carta_ = 612, altezza_carta_ = 864; break;
    default: break;
  }
}

void X_PDF::Title(std::string_view New_Title) { titolo_ = Escape_Pdf(New_Title); }
void X_PDF::Autor(std::string_view New_Autor) { autore_ = Escape_Pdf(New_Autor); }
void X_PDF::Subject(std::string_view New_Subject) { oggetto_ = Escape_Pdf(New_Subject); }

void X_PDF::InitFontMetrics() { (void)Tabella_Metriche(); }

// ---- Units and numbers -------------------------------------------------

float X_PDF::ToPoints(float v) const {
  switch (scala_) {
    case 0: return v;
    case 1: return static_cast<float>(double(v) * 72);
    case 2: return static_cast<float>(double(v) * 72 / 25.4);
    case 3: return static_cast<float>(double(v) * 72 / 2.54);
    default: return 0;
  }
}

float X_PDF::FromPoints(float v) const {
  switch (scala_) {
    case 0: return v;
    case 1: return static_cast<float>(double(v) / 72);
    case 2: return static_cast<float>(double(v) / 72 * 25.4);
    case 3: return static_cast<float>(double(v) / 72 * 2.54);
    default: return 0;
  }
}

std::string X_PDF::FormatNum(double v, int decimali) { return Numero_Pdf(v, decimali); }

std::string X_PDF::Num(float valore_utente) const { return FormatNum(ToPoints(valore_utente)); }

// ---- Writing primitives ------------------------------------------------

void X_PDF::WriteBytes(const void* dati, size_t n) {
  if (!file_) throw std::logic_error("X_PDF: no document open");
  file_->Byte(dati, n);
}

void X_PDF::WriteLine(std::string_view testo) {
  if (!file_) throw std::logic_error("X_PDF: no document open");
  file_->Riga(testo);
}

void X_PDF::WriteEndObj() { WriteLine("endobj"); }

uint64_t X_PDF::Posizione() const {
  if (!file_) throw std::logic_error("X_PDF: no document open");
  return file_->Posizione();
}

int32_t X_PDF::BeginObject(int32_t numero) {
  if (!file_) throw std::logic_error("X_PDF: no document open");
  if (numero < 0) throw std::invalid_argument("X_PDF: negative object number");
  return file_->Inizia_Oggetto(numero);
}

void X_PDF::Richiedi_Caricamento(const char* chi) const {
  if (stato_ == Stato::Nessuno) throw std::logic_error(std::string("X_PDF::") + chi + ": no document open");
  if (stato_ != Stato::Documento)
    throw std::logic_error(std::string("X_PDF::") + chi + ": not allowed inside a page or form object");
}

void X_PDF::Richiedi_Flusso(const char* chi) const {
  if (stato_ != Stato::Pagina && stato_ != Stato::Forma)
    throw std::logic_error(std::string("X_PDF::") + chi + ": no page or form object open");
}

// ---- Document ----------------------------------------------------------

void X_PDF::Abbandona() {
  if (file_) {
    file_.reset();
    std::error_code ec;
    std::filesystem::remove(Percorso_Fs(percorso_temp_), ec);
  }
  stato_ = Stato::Nessuno;
  percorso_temp_.clear();
}

void X_PDF::Azzera_Documento() {
  pagine_ = 0;
  lista_pagine_.clear();
  lista_font_.clear();
  registro_font_.clear();
  lista_immagini_.clear();
  lista_forme_.clear();
  forme_.clear();
  inizio_flusso_ = 0;
  oggetto_encoding_ = 0;
  oggetto_risorse_ = 0;
  spaziatura_car_ = spaziatura_parole_ = scala_orizz_ = 0;
}

std::string X_PDF::InitPDFFile(std::string& strFileName) {
  Abbandona();
  Azzera_Documento();

  DateTime adesso = orologio_.Adesso();
  if (strFileName.empty()) {
    std::error_code ec;
    std::string cartella = Percorso_Ansi(std::filesystem::temp_directory_path(ec));
    if (cartella.empty()) cartella = "/tmp";
    if (cartella.back() != '/') cartella += '/';
    // Day (no leading zero), hours, minutes, seconds and one random digit,
    // read as a decimal number and written in hexadecimal.
    uint32_t cifra = std::uniform_int_distribution<uint32_t>(0, 9)(Casuale());
    uint64_t numero = std::stoull(std::to_string(adesso.giorno) + Format(adesso, "hhnnss") + std::to_string(cifra));
    char hex[32];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(numero));
    strFileName = cartella + "~" + hex + ".pdf";
  }

  // The document is written under a hidden temporary name beside its target.
  std::filesystem::path destinazione = Percorso_Fs(strFileName);
  std::filesystem::path cartella = destinazione.parent_path();
  if (cartella.empty()) cartella = ".";
  std::unique_ptr<Documento_Pdf> f;
  std::filesystem::path temp;
  for (int tentativo = 0; tentativo < 100 && !f; ++tentativo) {
    char nome[40];
    std::snprintf(nome, sizeof nome, ".~qodpdf%08X.tmp", static_cast<unsigned>(Casuale()()));
    temp = cartella / nome;
    f = Documento_Pdf::Crea(temp);
    if (!f && errno != EEXIST) break;
  }
  if (!f) throw Errore_PDF("cannot create the PDF file in " + cartella.string());
  file_ = std::move(f);
  percorso_ = strFileName;
  percorso_temp_ = Percorso_Ansi(temp);
  stato_ = Stato::Documento;

  try {
    WriteLine("%PDF-1.3");

    BeginObject(1);
    WriteLine("<<");
    WriteLine("/Title (" + titolo_ + ")");
    if (!Trim(oggetto_).empty()) WriteLine("/Subject (" + oggetto_ + ")");
    if (!Trim(autore_).empty()) WriteLine("/Author (" + autore_ + ")");
    WriteLine("/Creator  (ZuPDF)");
    WriteLine("/Producer (ZuPDF)");
    WriteLine("/CreationDate (D:" + Format(adesso, "yyyymmddhhnnss") + "+01'00')");
    WriteLine(">>");
    WriteEndObj();

    BeginObject(2);
    WriteLine("<<");
    WriteLine("/Type /Catalog");
    WriteLine("/Pages 4 0 R");
    WriteLine("/PageLayout /OneColumn");
    WriteLine("/PageMode /UseNone");
    WriteLine("/Lang (it) ");
    WriteLine("/ViewerPreferences << ");
    WriteLine("/HideToolbar false ");
    WriteLine("/DisplayDocTitle true ");
    WriteLine("/HideWindowUI false");
    WriteLine(">>");
    WriteLine(">>");
    WriteEndObj();

    oggetto_encoding_ = BeginObject(3);
    WriteLine("<<");
    WriteLine("/Type /Encoding");
    WriteLine("/BaseEncoding /WinAnsiEncoding");
    WriteLine(">>");
    WriteEndObj();

    // 4 (page tree) and 5 (resources) are written at the end.
    file_->Riserva(5);
  } catch (...) {
    Abbandona();
    throw;
  }
  return percorso_;
}

void X_PDF::ClosePDFFile() {
  if (stato_ == Stato::Nessuno) throw std::logic_error("X_PDF::ClosePDFFile: no document open");
  if (stato_ != Stato::Documento)
    throw std::logic_error("X_PDF::ClosePDFFile: a page or form object is still open");
  try {
    oggetto_risorse_ = BeginObject(5);
    WriteLine("<<");
    if (!lista_font_.empty()) WriteLine(" /Font <<" + lista_font_ + ">>");
    WriteLine(std::string("/ProcSet [ /PDF /Text") + (lista_immagini_.empty() ? "" : " /ImageB /ImageC /ImageI") +
              " ]");
    if (!lista_immagini_.empty() || !lista_forme_.empty())
      WriteLine("/XObject <<\r" + lista_immagini_ + "\r" + lista_forme_ + ">>");
    WriteLine(">>");
    WriteEndObj();

    BeginObject(4);
    WriteLine("<<");
    WriteLine("/Type /Pages");
    WriteLine("/Count " + std::to_string(pagine_));
    WriteLine("/MediaBox [0 0 " + FormatNum(larghezza_carta_) + " " + FormatNum(altezza_carta_) + "]");
    WriteLine("/CropBox [" + FormatNum(margine_) + " " + FormatNum(margine_) + " " +
              FormatNum(larghezza_carta_ - margine_) + " " + FormatNum(altezza_carta_ - margine_) + "]");
    if (orientamento_ == 2) WriteLine("/Rotate 270");
    WriteLine("/Kids [" + lista_pagine_ + " ]");
    WriteLine("/Resources " + std::to_string(oggetto_risorse_) + " 0 R");
    WriteLine(">>");
    WriteEndObj();

    file_->Chiudi(1, 2, true);
    file_.reset();
    std::string motivo;
    if (!Temporaneo_Rinomina(Percorso_Fs(percorso_temp_), Percorso_Fs(percorso_), &motivo))
      throw Errore_PDF("cannot give the PDF file its name: " + motivo);
  } catch (...) {
    if (!file_) {
      std::error_code ec;
      std::filesystem::remove(Percorso_Fs(percorso_temp_), ec);
    }
    Abbandona();
    throw;
  }
  stato_ = Stato::Nessuno;
  percorso_temp_.clear();
}

}  // namespace qod::pdf
