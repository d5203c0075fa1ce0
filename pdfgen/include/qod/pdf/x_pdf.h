// X_PDF: the PDF 1.3 writer of the PDF generator. It writes one document
// line by line straight into its output file: objects 1 (information),
// 2 (catalog) and 3 (encoding) when the document starts, then fonts, images,
// form objects and pages in call order, and at the end object 5 (resources),
// object 4 (page tree), the cross-reference table and the trailer.
//
// Text is Windows-1252 (one byte per character). Coordinates and lengths are
// in user units (the scale mode, centimetres by default) from the page's
// lower-left corner; numbers in the file never follow the process locale.
//
// The document is written under a temporary name in the target's folder and
// takes the target name only when ClosePDFFile has written it completely; a
// writer destroyed (or re-initialised) before that removes its temporary
// file, so a half-written document never stands at the target name.
//
// Failures (files, bad arguments, misuse such as loading a font inside a
// page) are thrown: Errore_PDF for files and data, std::logic_error for
// calls out of order, std::out_of_range / std::invalid_argument for values.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "qod/clock.h"
#include "qod/pdf/documento.h"

namespace qod::pdf {

class X_PDF {
 public:
  explicit X_PDF(const Clock& orologio = SystemClock::Istanza());
  ~X_PDF();
  X_PDF(const X_PDF&) = delete;
  X_PDF& operator=(const X_PDF&) = delete;

  // ---- Document properties ----------------------------------------------
  void Margin(float vData);       // crop box inset, user units
  void PaperWidth(float vData);   // user units
  void PaperHeight(float vData);  // user units
  int32_t Pages() const { return pagine_; }
  void ScaleMode(int32_t New_ScaleMode) { scala_ = New_ScaleMode; }  // 0 pt, 1 in, 2 mm, 3 cm
  void PaperSize(int32_t New_PaperSize);  // 0 A4, 1 A3, 2 Letter, 3 612 x 864
  void Orientation(int32_t NewOrientation) { orientamento_ = NewOrientation; }  // 2 landscape
  void Title(std::string_view New_Title);
  void Autor(std::string_view New_Autor);
  void Subject(std::string_view New_Subject);

  // ---- Document ---------------------------------------------------------
  // Starts a new document at strFileName (ANSI path); an empty name gets a
  // generated name in the temporary folder, stored back into the argument.
  // A document still open is dropped. Returns the document's path.
  std::string InitPDFFile(std::string& strFileName);
  // Writes resources, page tree, cross-reference table and trailer, and
  // gives the file its name.
  void ClosePDFFile();

  // ---- Page content -----------------------------------------------------
  int32_t StartPage();  // returns the page count
  void EndPage();
  void SetWordSpacing(float w);
  void SetCharSpacing(float w);
  void SetTextHorizontalScaling(float w);
  void SetTextRenderingMode(float w);
  // Align 2 right (the text ends at x), 3 centred, else left; Rotate in
  // degrees.
  void DrawText(float x, float y, std::string_view strTemp, std::string_view FontName, float Fontsize,
                int32_t Align = 0, float Rotate = 0);
  // -255..0 grey (0 black, -255 white), otherwise red + 256 green + 65536 blue.
  void SetColorStroke(int32_t rgb);
  void SetColorFill(int32_t rgb);
  void SetDash(float dash_on, float dash_off = 0);
  void SetLineWidth(float w);
  void SetLineCap(int16_t w);
  void SetLineJoin(int16_t w);
  void SetMiterLimit(float w);
  // Path options: 4 fills; otherwise 2 closes the path and 1 strokes it.
  void MoveTo(float x, float y);
  void LineTo(float x, float y, int32_t Options = 0);
  void Rectangle(float x, float y, float xdim, float ydim, int32_t Options = 0, float Ray = 0);
  void Curve(float x1, float y1, float x2, float y2, float X3, float Y3, int32_t Options = 0);
  void DrawCircle(float x, float y, float Ray, int32_t Options = 0);
  // Quality is the step in degrees and must be above 0. Options with 4
  // (fill) set Pie to True.
  void Arc(float x, float y, float Ray, float StartAngle, float EndAngle, float Ratio, bool& Pie, float Rotate,
           int16_t Quality, int32_t Options = 0);
  // Form objects: Options 1 first page, 2 even pages, 4 odd pages, 8 not on
  // the first page. Forms started before a page are placed by StartPage.
  void StartObject(std::string_view Name, uint8_t Options);
  void EndObject();
  void DrawObject(std::string_view Name);

  // ---- Fonts and images -------------------------------------------------
  // Base font names lose their blanks (LoadFont also upper-cases them).
  // Styles: 1 regular, 2 bold, 3 italic, 4 bold italic.
  void LoadFontStandard(std::string_view Name, std::string& BaseFont, int32_t Options = 0);
  void LoadFont(std::string_view Name, std::string& BaseFont, int32_t Options = 0);
  // False when the file is not a BMP the reader handles; nothing written.
  bool LoadImgFromBMPFile(std::string_view Name, std::string_view FileName, int32_t ColorSpace = 0);
  // ImgBuf: width (2 bytes, high first), height (2 bytes), bits per pixel,
  // then the rows; ImgColor: 3 bytes (R, G, B) per palette entry;
  // ColorSpace 0 colour, else grey.
  void LoadImgFromBuffer(std::string_view Name, const std::vector<uint8_t>& ImgBuf, std::string_view ImgColor,
                         int32_t ColorSpace);
  // Draws image Name with its lower-left corner at (DestX, DestY) when
  // ImgHeight is negative (a positive height mirrors it downwards).
  void DrawImg(std::string_view Name, float DestX, float DestY, float ImgWidth, float ImgHeight);
  // PNG and TIFF page images. True when the image object was written; False
  // (nothing written) when the file holds no image the writer can use.
  // A file that cannot be opened or read throws Errore_PDF.
  bool LoadImgFromPNGFile(std::string_view Name, std::string_view FileName);
  bool LoadImgFromTIFFile(std::string_view Name, std::string_view FileName);
  // Reads an uncompressed BMP into the pixel buffer and palette above.
  // False (buffer and palette untouched) when the file is not one; a file
  // that cannot be read, or whose size does not fit the buffer head, throws.
  bool LeggeBMP(std::string_view FileName, std::vector<uint8_t>& ImgBuf, std::string& ImgColor);

  // The width of strTemp in the font loaded as FontName (by LoadFont), at
  // Fontsize points, with the current text state, in user units; 0 for a
  // name that was not loaded.
  float Length(std::string_view strTemp, std::string_view FontName, float Fontsize) const;

  // ---- Units and numbers ------------------------------------------------
  float ToPoints(float v) const;
  float FromPoints(float v) const;
  // Rounded to `decimali` places (halves to even), shortest form, "." as
  // the decimal point: 595.27, 28.346, 8, -1.5.
  static std::string FormatNum(double v, int decimali = 3);
  // ASCII base-85 without markers; d is consumed (emptied).
  static std::string Ascii85Encode(std::string& d);

 private:
  enum class Stato { Nessuno, Documento, Pagina, Forma };

  int32_t BeginObject(int32_t numero);
  void WriteEndObj();
  void WriteLine(std::string_view testo);
  void WriteBytes(const void* dati, size_t n);
  uint64_t Posizione() const;
  void PaintPath(int32_t Options);
  void InitFontMetrics();
  std::string Num(float valore_utente) const;  // FormatNum(ToPoints(v))
  void Richiedi_Caricamento(const char* chi) const;
  void Richiedi_Flusso(const char* chi) const;
  void Fine_Flusso();
  void Registra_Immagine(std::string_view name, int32_t n);
  // Writes the image file `file` as an object by `scrivi` and registers it
  // under `name`; false when it cannot be read.
  bool Carica_Immagine(const char* chi, std::string_view name, std::string_view file,
                       int32_t (*scrivi)(Documento_Pdf&, std::string_view, const std::filesystem::path&));
  // Keeps `valore` in `campo` and writes it with the text operator `operatore`.
  void Stato_Testo(const char* chi, float& campo, float valore, const char* operatore);
  void Abbandona();
  void Azzera_Documento();

  const Clock& orologio_;
  std::unique_ptr<Documento_Pdf> file_;
  Stato stato_ = Stato::Nessuno;
  std::string percorso_;          // the document's name
  std::string percorso_temp_;     // where it is being written
  int32_t pagine_ = 0;
  std::string lista_pagine_, lista_font_, registro_font_, lista_immagini_, lista_forme_;
  std::vector<std::pair<std::string, std::string>> forme_;  // name, placement flags
  uint64_t inizio_flusso_ = 0;
  int32_t oggetto_encoding_ = 0, oggetto_risorse_ = 0;
  int32_t scala_ = 3;
  int32_t formato_ = 0;
  float larghezza_carta_ = 595.27f, altezza_carta_ = 841.88f;
  float margine_ = 0;
  int32_t orientamento_ = 1;
  std::string titolo_, autore_, oggetto_;
  float spaziatura_car_ = 0, spaziatura_parole_ = 0, scala_orizz_ = 0;
};

}  // namespace qod::pdf
