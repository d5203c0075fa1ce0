// Page content: pages, text state, text, colours, line state, paths and
// form objects.
#include <cmath>
#include <limits>

#include "qod/basic.h"
#include "qod/pdf/x_pdf.h"

namespace qod::pdf {
namespace {
constexpr float kGradi = 3.141592f / 180;
}

// ---- Pages -------------------------------------------------------------

int32_t X_PDF::StartPage() {
  Richiedi_Caricamento("StartPage");
  if (pagine_ == std::numeric_limits<int32_t>::max()) throw Errore_PDF("too many pages");
  ++pagine_;
  int32_t p = BeginObject(0);
  WriteLine("<<");
  WriteLine("/Type /Page");
  WriteLine("/Parent 4 0 R");
  WriteLine("/Contents " + std::to_string(p + 1) + " 0 R");
  WriteLine(">>");
  WriteEndObj();
  lista_pagine_ += std::to_string(p) + " 0 R ";

  BeginObject(p + 1);
  WriteLine("<< /Length " + std::to_string(p + 2) + " 0 R >>");
  WriteLine("stream");
  inizio_flusso_ = Posizione();
  stato_ = Stato::Pagina;

  // Forms are placed by their flags: "\a" every page, "\e" even pages,
  // "\o" odd pages, "\f" the first page, "\F" holds back "\a" and "\o" on
  // the first page.
  const int32_t P = pagine_;
  for (const auto& [nome, flag] : forme_) {
    auto ha = [&](const char* f) { return InStr(flag, f) > 0; };
    bool non_prima = ha("\\F") && P == 1;
    if ((ha("\\a") && !non_prima) || (ha("\\e") && P % 2 == 0) || (ha("\\o") && P % 2 == 1 && !non_prima) ||
        (ha("\\f") && P == 1))
      DrawObject(nome);
  }

  spaziatura_car_ = 0;
  spaziatura_parole_ = 0;
  scala_orizz_ = 100;
  return pagine_;
}

void X_PDF::Fine_Flusso() {
  uint64_t lunghezza = Posizione() - inizio_flusso_;
  WriteLine("endstream");
  WriteEndObj();
  stato_ = Stato::Documento;
  BeginObject(0);
  WriteLine(std::to_string(lunghezza));
  WriteEndObj();
}

void X_PDF::EndPage() {
  if (stato_ != Stato::Pagina) throw std::logic_error("X_PDF::EndPage: no page open");
  Fine_Flusso();
}

// ---- Text state and text -----------------------------------------------

void X_PDF::Stato_Testo(const char* chi, float& campo, float valore, const char* operatore) {
  Richiedi_Flusso(chi);
  campo = valore;
  WriteLine(FormatNum(valore) + " " + operatore);
}

void X_PDF::SetWordSpacing(float w) { Stato_Testo("SetWordSpacing", spaziatura_parole_, w, "Tw"); }
void X_PDF::SetCharSpacing(float w) { Stato_Testo("SetCharSpacing", spaziatura_car_, w, "Tc"); }
void X_PDF::SetTextHorizontalScaling(float w) { Stato_Testo("SetTextHorizontalScaling", scala_orizz_, w, "Tz"); }

void X_PDF::SetTextRenderingMode(float w) {
  Richiedi_Flusso("SetTextRenderingMode");
  if (w >= 0 && w <= 2) WriteLine(FormatNum(w) + " Tr");
}

void X_PDF::DrawText(float x, float y, std::string_view strTemp, std::string_view FontName, float Fontsize,
                     int32_t Align, float Rotate) {
  Richiedi_Flusso("DrawText");
  if (Align == 2) x -= Length(strTemp, FontName, Fontsize);
  if (Align == 3) x -= Length(strTemp, FontName, Fontsize) / 2;
  std::string font_riga = "/" + std::string(FontName) + " " + FormatNum(Fontsize) + " Tf";
  std::string posizione;
  if (Rotate == 0) {
    posizione = Num(x) + " " + Num(y) + " Td";
  } else {
    float s = std::sin(kGradi * Rotate), c = std::cos(kGradi * Rotate);
    posizione = FormatNum(c) + " " + FormatNum(s) + " " + FormatNum(-s) + " " + FormatNum(c) + " " + Num(x) + " " +
                Num(y) + " Tm";
  }
  WriteLine("BT");
  WriteLine(font_riga);
  WriteLine(posizione);
  WriteLine("(" + Escape_Pdf(strTemp) + ") Tj");
  WriteLine("ET");
}

// ---- Colours and line state --------------------------------------------

namespace {
std::string Colore(int32_t rgb, const char* grigio, const char* rgb_op) {
  if (rgb < -255) throw std::out_of_range("colour below -255");
  if (rgb <= 0) return X_PDF::FormatNum(-double(rgb) / 255) + " " + grigio;
  int r = rgb % 256, g = (rgb / 256) % 256, b = (rgb / 65536) % 256;
  return X_PDF::FormatNum(r / 255.0) + " " + X_PDF::FormatNum(g / 255.0) + " " + X_PDF::FormatNum(b / 255.0) + " " +
         rgb_op;
}
}  // namespace

void X_PDF::SetColorStroke(int32_t rgb) {
  Richiedi_Flusso("SetColorStroke");
  WriteLine(Colore(rgb, "G", "RG"));
}

void X_PDF::SetColorFill(int32_t rgb) {
  Richiedi_Flusso("SetColorFill");
  WriteLine(Colore(rgb, "g", "rg"));
}

void X_PDF::SetDash(float dash_on, float dash_off) {
  Richiedi_Flusso("SetDash");
  if (dash_on == 0 && dash_off == 0)
    WriteLine("[ ] 0 d");
  else
    WriteLine("[" + Num(dash_on) + " " + Num(dash_off) + "] 0 d");
}

void X_PDF::SetLineWidth(float w) {
  Richiedi_Flusso("SetLineWidth");
  WriteLine(Num(w) + " w");
}

void X_PDF::SetLineCap(int16_t w) {
  Richiedi_Flusso("SetLineCap");
  if (w >= 0 && w <= 2) WriteLine(FormatNum(w) + " J");
}

void X_PDF::SetLineJoin(int16_t w) {
  Richiedi_Flusso("SetLineJoin");
  if (w >= 0 && w <= 2) WriteLine(FormatNum(w) + " j");
}

void X_PDF::SetMiterLimit(float w) {
  Richiedi_Flusso("SetMiterLimit");
  if (w >= 1) WriteLine(FormatNum(w) + " M");
}

// ---- Paths -------------------------------------------------------------

void X_PDF::PaintPath(int32_t Options) {
  if (Options & 4) {
    WriteLine("f");
    return;
  }
  if (Options & 2) WriteLine("h");
  if (Options & 1) WriteLine("S");
}

void X_PDF::MoveTo(float x, float y) {
  Richiedi_Flusso("MoveTo");
  WriteLine(Num(x) + " " + Num(y) + " m");
}

void X_PDF::LineTo(float x, float y, int32_t Options) {
  Richiedi_Flusso("LineTo");
  WriteLine(Num(x) + " " + Num(y) + " l");
  PaintPath(Options);
}

void X_PDF::Curve(float x1, float y1, float x2, float y2, float X3, float Y3, int32_t Options) {
  Richiedi_Flusso("Curve");
  WriteLine(Num(x1) + " " + Num(y1) + " " + Num(x2) + " " + Num(y2) + " " + Num(X3) + " " + Num(Y3) + " c");
  PaintPath(Options);
}

void X_PDF::Rectangle(float x, float y, float xdim, float ydim, int32_t Options, float Ray) {
  Richiedi_Flusso("Rectangle");
  WriteLine("n");
  const float w = xdim, h = ydim;
  float r = Ray;
  if (r > 0) {
    if (w / 2 < r) r = w / 2;
    if (h / 2 < r) r = h / 2;
    const float k = r * 0.55f;
    MoveTo(x + r, y);
    LineTo(x + w - r, y);
    Curve(x + w - r + k, y, x + w, y + r - k, x + w, y + r);
    LineTo(x + w, y + h - r);
    Curve(x + w, y + h - r + k, x + w - r + k, y + h, x + w - r, y + h);
    LineTo(x + r, y + h);
    Curve(x + r - k, y + h, x, y + h - r + k, x, y + h - r);
    LineTo(x, y + r);
    Curve(x, y + r - k, x + r - k, y, x + r, y);
  } else {
    WriteLine(Num(x) + " " + Num(y) + " " + Num(w) + " " + Num(h) + " re");
  }
  PaintPath(Options);
}

void X_PDF::DrawCircle(float x, float y, float Ray, int32_t Options) {
  Richiedi_Flusso("DrawCircle");
  const float r = Ray, k = r * 0.55f;
  MoveTo(x, y - r);
  Curve(x + k, y - r, x + r, y - k, x + r, y);
  Curve(x + r, y + k, x + k, y + r, x, y + r);
  Curve(x - k, y + r, x - r, y + k, x - r, y);
  Curve(x - r, y - k, x - k, y - r, x, y - r);
  PaintPath(Options);
}

void X_PDF::Arc(float x, float y, float Ray, float StartAngle, float EndAngle, float Ratio, bool& Pie, float Rotate,
                int16_t Quality, int32_t Options) {
  Richiedi_Flusso("Arc");
  if (Quality <= 0) throw std::invalid_argument("X_PDF::Arc: Quality must be above 0");
  if (!std::isfinite(StartAngle) || !std::isfinite(EndAngle) ||
      (double(EndAngle) - StartAngle) / Quality > 1000000)
    throw std::invalid_argument("X_PDF::Arc: angles out of range");
  WriteLine("n");
  MoveTo(x, y);
  if (Options & 4) Pie = true;
  const float sr = std::sin(-kGradi * Rotate), cr = std::cos(-kGradi * Rotate);
  for (float a = StartAngle; a <= EndAngle;) {
    float px = Ray * std::cos(kGradi * a);
    float py = Ratio * Ray * std::sin(kGradi * a);
    float X = cr * px + sr * py;
    float Y = -px * sr + cr * py;
    if (!Pie && a == StartAngle) MoveTo(x + X, y + Y);
    LineTo(x + X, y + Y, 0);
    float dopo = a + Quality;
    if (!(dopo > a)) break;  // the step is lost in the precision of a
    a = dopo;
  }
  if (Pie) LineTo(x, y, 0);
  PaintPath(Options);
}

// ---- Form objects ------------------------------------------------------

void X_PDF::StartObject(std::string_view Name, uint8_t Options) {
  Richiedi_Caricamento("StartObject");
  int32_t n = BeginObject(0);
  WriteLine("<<");
  WriteLine("/Type /XObject");
  WriteLine("/Subtype /Form");
  WriteLine("/FormType 1");
  WriteLine("/Name /" + std::string(Name));
  WriteLine("/BBox [" + FormatNum(margine_) + " " + FormatNum(margine_) + " " + FormatNum(larghezza_carta_ - margine_) +
            " " + FormatNum(altezza_carta_ - margine_) + "]");
  WriteLine("/Matrix [1 0 0 1 0 0]");
  WriteLine("/Length " + std::to_string(n + 1) + " 0 R");
  WriteLine(">>");
  WriteLine("stream");
  inizio_flusso_ = Posizione();
  stato_ = Stato::Forma;
  lista_forme_ += "/" + std::string(Name) + " " + std::to_string(n) + " 0 R \r";
  std::string flag;
  if ((Options & 7) == 7) flag += "\\a";
  if (Options & 2) flag += "\\e";
  if (Options & 1) flag += "\\f";
  if (Options & 4) flag += "\\o";
  if (Options & 8) flag += "\\F";
  forme_.emplace_back(std::string(Name), flag);
}

void X_PDF::EndObject() {
  if (stato_ != Stato::Forma) throw std::logic_error("X_PDF::EndObject: no form object open");
  Fine_Flusso();
}

void X_PDF::DrawObject(std::string_view Name) {
  Richiedi_Flusso("DrawObject");
  WriteLine("/" + std::string(Name) + " Do");
}

}  // namespace qod::pdf
