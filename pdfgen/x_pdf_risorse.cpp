// Fonts, images from pixel buffers and BMP files, image placement, text
// width and ASCII85.
#include <algorithm>
#include <cmath>

#include "qod/pdf/documento.h"
#include "qod/basic.h"
#include "qod/pdf/font_metrics.h"
#include "qod/pdf/x_pdf.h"
#include "qod/winpath.h"

namespace qod::pdf {
namespace {

std::string Senza_Spazi(std::string_view s) {
  std::string r;
  for (char c : s)
    if (c != ' ') r += c;
  return r;
}

// 0.33 R + 0.59 G + 0.11 B, halves to even, at most 255.
uint8_t Grigio(uint8_t r, uint8_t g, uint8_t b) {
  double v = Arrotonda_Pari(0.33 * r + 0.59 * g + 0.11 * b);
  return static_cast<uint8_t>(std::min(v, 255.0));
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

void X_PDF::Registra_Immagine(std::string_view name, int32_t n) {
  lista_immagini_ += "/" + std::string(name) + " " + std::to_string(n) + " 0 R \r";
}

// ---- Fonts -------------------------------------------------------------

void X_PDF::LoadFontStandard(std::string_view Name, std::string& BaseFont, int32_t Options) {
  Richiedi_Caricamento("LoadFontStandard");
  BaseFont = Senza_Spazi(BaseFont);
  const char* suffisso = Options == 2 ? ",Bold" : Options == 3 ? ",Italic" : Options == 4 ? ",BoldItalic" : "";
  int32_t n = BeginObject(0);
  WriteLine("<<");
  WriteLine("/Type /Font ");
  WriteLine("/Subtype /Type1");
  WriteLine("/Name /" + std::string(Name));
  WriteLine("/BaseFont /" + BaseFont + suffisso);
  WriteLine("/Encoding " + std::to_string(oggetto_encoding_) + " 0 R");
  WriteLine(">>");
  WriteEndObj();
  lista_font_ += "/" + std::string(Name) + " " + std::to_string(n) + " 0 R \r";
}

void X_PDF::LoadFont(std::string_view Name, std::string& BaseFont, int32_t Options) {
  Richiedi_Caricamento("LoadFont");
  BaseFont = UCase(Senza_Spazi(BaseFont));
  int famiglia = BaseFont == "TIMESNEWROMAN" ? 2 : BaseFont == "ARIAL" ? 3 : 1;
  if (Options < 1 || Options > 4) throw std::invalid_argument("X_PDF::LoadFont: style must be 1 to 4");
  const Metrica_Font& m = Tabella_Metriche()[Indice_Metrica(famiglia, Options)];

  int32_t n = BeginObject(0);
  WriteLine("<< /Type /Font ");
  WriteLine("/Subtype /" + m.Subtype);
  WriteLine("/Name /" + std::string(Name));
  WriteLine("/BaseFont /" + m.BaseFont);
  WriteLine("/FirstChar " + std::to_string(m.FirstChar));
  WriteLine("/LastChar " + std::to_string(m.LastChar));
  WriteLine("/FontDescriptor " + std::to_string(n + 1) + " 0 R");
  WriteLine("/Encoding " + std::to_string(oggetto_encoding_) + " 0 R");
  WriteLine("/Widths [");
  std::string riga;
  for (int c = m.FirstChar, k = 1; c <= m.LastChar; ++c, ++k) {
    riga += FormatNum(m.Widths[c]) + " ";
    if (k % 16 == 0 || c == m.LastChar) {
      WriteLine(riga);
      riga.clear();
    }
  }
  WriteLine("] >>");
  WriteEndObj();
  lista_font_ += "/" + std::string(Name) + " " + std::to_string(n) + " 0 R \r";
  char voce[8];
  std::snprintf(voce, sizeof voce, "%02X%d;", famiglia, Options);
  registro_font_ += "<" + std::string(Name) + ">" + voce;

  BeginObject(0);
  WriteLine("<<");
  WriteLine("/Type /FontDescriptor");
  WriteLine("/FontName /" + m.BaseFont);
  WriteLine("/Flags " + std::to_string(m.Flags));
  WriteLine("/FontBBox " + m.FontBBox);
  WriteLine("/MissingWidth " + std::to_string(m.MissingWidth));
  WriteLine("/StemV " + std::to_string(m.StemV));
  WriteLine("/StemH " + std::to_string(m.StemH));
  WriteLine("/ItalicAngle " + std::to_string(m.ItalicAngle));
  WriteLine("/CapHeight " + std::to_string(m.CapHeight));
  WriteLine("/XHeight " + std::to_string(m.XHeight));
  WriteLine("/Ascent " + std::to_string(m.Ascent));
  WriteLine("/Descent " + std::to_string(m.Descent));
  WriteLine("/Leading " + std::to_string(m.Leading));
  WriteLine("/MaxWidth " + std::to_string(m.MaxWidth));
  WriteLine("/AvgWidth " + std::to_string(m.AvgWidth));
  WriteLine(">>");
  WriteEndObj();
}

float X_PDF::Length(std::string_view strTemp, std::string_view FontName, float Fontsize) const {
  std::string registro = UCase(registro_font_);
  int64_t k = InStr(registro, UCase("<" + std::string(FontName) + ">"));
  if (k == 0) return 0;
  size_t dopo = static_cast<size_t>(k - 1) + FontName.size() + 2;
  if (dopo + 3 > registro_font_.size()) return 0;
  int famiglia = std::stoi(registro_font_.substr(dopo, 2), nullptr, 16);
  int stile = registro_font_[dopo + 2] - '0';
  if (famiglia < 1 || famiglia > 4 || stile < 1 || stile > 4) return 0;
  const Metrica_Font& m = Tabella_Metriche()[Indice_Metrica(famiglia, stile)];
  float W = 0;
  int spazi = 0;
  for (char ch : strTemp) {
    unsigned c = static_cast<unsigned char>(ch);
    W += static_cast<float>(c >= m.FirstChar && c <= m.LastChar ? m.Widths[c] : m.MissingWidth);
    if (c == 32) ++spazi;
  }
  float punti = (W * Fontsize / 1000 + spazi * spaziatura_parole_ +
                 static_cast<float>(strTemp.size()) * spaziatura_car_) *
                scala_orizz_ / 100;
  return FromPoints(punti);
}

// ---- Images from pixel buffers -----------------------------------------

void X_PDF::LoadImgFromBuffer(std::string_view Name, const std::vector<uint8_t>& ImgBuf, std::string_view ImgColor,
                              int32_t ColorSpace) {
  Richiedi_Caricamento("LoadImgFromBuffer");
  if (ImgBuf.size() < 5) throw std::invalid_argument("X_PDF::LoadImgFromBuffer: buffer shorter than its head");
  const uint32_t W = static_cast<uint32_t>(ImgBuf[0]) << 8 | ImgBuf[1];
  const uint32_t H = static_cast<uint32_t>(ImgBuf[2]) << 8 | ImgBuf[3];
  const int B = ImgBuf[4];
  if (B != 1 && B != 4 && B != 8 && B != 24)
    throw std::invalid_argument("X_PDF::LoadImgFromBuffer: bits per pixel must be 1, 4, 8 or 24");
  if (W == 0 || H == 0) throw std::invalid_argument("X_PDF::LoadImgFromBuffer: empty image");
  const uint64_t riga = B == 24 ? uint64_t(W) * 3 : (uint64_t(W) * B + 7) / 8;
  const uint64_t dati = riga * H;
  if (ImgBuf.size() - 5 < dati) throw std::invalid_argument("X_PDF::LoadImgFromBuffer: buffer shorter than the image");
  const bool colore = ColorSpace == 0;
  const std::string spazio = colore ? "DeviceRGB" : "DeviceGray";

  int32_t n = BeginObject(0);
  WriteLine("<<");
  WriteLine("/Type /XObject");
  WriteLine("/Subtype /Image");
  WriteLine("/Name /" + std::string(Name));
  WriteLine("/Width " + std::to_string(W));
  WriteLine("/Height " + std::to_string(H));
  if (B == 24) {
    WriteLine("/BitsPerComponent 8");
    WriteLine("/ColorSpace /" + spazio);
    WriteLine("/Length " + std::to_string(colore ? uint64_t(W) * H * 3 : uint64_t(W) * H));
  } else {
    WriteLine("/BitsPerComponent " + std::to_string(B));
    WriteLine("/ColorSpace [/Indexed /" + spazio + " " + std::to_string((1 << B) - 1) + " " + std::to_string(n + 1) +
              " 0 R]");
    WriteLine("/Length " + std::to_string(dati));
  }
  WriteLine(">>");
  WriteLine("stream");
  if (B == 24 && !colore) {
    std::vector<uint8_t> grigi(size_t(W) * H);
    for (size_t i = 0; i < grigi.size(); ++i)
      grigi[i] = Grigio(ImgBuf[5 + 3 * i], ImgBuf[6 + 3 * i], ImgBuf[7 + 3 * i]);
    WriteBytes(grigi.data(), grigi.size());
  } else {
    WriteBytes(ImgBuf.data() + 5, dati);
  }
  WriteLine("");
  WriteLine("endstream");
  WriteEndObj();
  Registra_Immagine(Name, n);

  if (B < 9) {
    // The lookup table holds exactly one entry per index.
    const size_t voci = size_t(1) << B;
    std::string tavola(voci * 3, '\0');
    std::copy_n(ImgColor.begin(), std::min(ImgColor.size(), tavola.size()), tavola.begin());
    if (!colore) {
      std::string grigi(voci, '\0');
      for (size_t i = 0; i < voci; ++i)
        grigi[i] = static_cast<char>(Grigio(static_cast<uint8_t>(tavola[3 * i]), static_cast<uint8_t>(tavola[3 * i + 1]),
                                            static_cast<uint8_t>(tavola[3 * i + 2])));
      tavola = grigi;
    }
    std::string testo = Ascii85Encode(tavola) + "~>";
    BeginObject(0);
    WriteLine("<<");
    WriteLine("/Filter /ASCII85Decode");
    WriteLine("/Length " + std::to_string(testo.size()));
    WriteLine(">>");
    WriteLine("stream");
    WriteLine(testo);
    WriteLine("endstream");
    WriteEndObj();
  }
}

bool X_PDF::LoadImgFromBMPFile(std::string_view Name, std::string_view FileName, int32_t ColorSpace) {
  Richiedi_Caricamento("LoadImgFromBMPFile");
  std::vector<uint8_t> buffer;
  std::string tavolozza;
  if (!LeggeBMP(FileName, buffer, tavolozza)) return false;
  LoadImgFromBuffer(Name, buffer, tavolozza, ColorSpace);
  return true;
}

void X_PDF::DrawImg(std::string_view Name, float DestX, float DestY, float ImgWidth, float ImgHeight) {
  Richiedi_Flusso("DrawImg");
  WriteLine("q");
  WriteLine(Num(ImgWidth) + " 0 0 " + Num(-ImgHeight) + " " + Num(DestX) + " " + Num(DestY) + " cm");
  WriteLine("/" + std::string(Name) + " Do");
  WriteLine("Q");
}

// ---- BMP reader ----------------------------------------------------------

bool X_PDF::LeggeBMP(std::string_view FileName, std::vector<uint8_t>& ImgBuf, std::string& ImgColor) {
  File_Ingresso f(Percorso_Fs(FileName));
  uint8_t tipo[2] = {0, 0};
  if (!f.Contiene(0, 2)) return false;
  f.Leggi(0, tipo, 2);
  if (tipo[0] != 'B' || tipo[1] != 'M') return false;

  uint8_t h[54];
  if (!f.Contiene(0, sizeof h)) throw Errore_PDF("BMP: truncated header");
  f.Leggi(0, h, sizeof h);
  const uint32_t offset_pixel = Le32(h + 10);
  const uint32_t dim_header = Le32(h + 14);
  const int32_t larghezza = static_cast<int32_t>(Le32(h + 18));
  const int32_t altezza = static_cast<int32_t>(Le32(h + 22));
  const int B = Le16(h + 28);
  const uint32_t compressione = Le32(h + 30);
  if (dim_header < 40) throw Errore_PDF("BMP: header of an unsupported kind");
  if (compressione != 0) throw Errore_PDF("BMP: compressed files are not supported");
  if (B != 1 && B != 4 && B != 8 && B != 24) throw Errore_PDF("BMP: unsupported bits per pixel");
  if (larghezza <= 0 || altezza <= 0 || larghezza > 65535 || altezza > 65535)
    throw Errore_PDF("BMP: size does not fit the pixel buffer");

  const uint64_t R = (uint64_t(B) * larghezza + 7) / 8;
  const uint64_t S = (uint64_t(B) * larghezza + 31) / 32 * 4;
  // The last row may come without its padding.
  if (!f.Contiene(offset_pixel, S * (altezza - 1) + R)) throw Errore_PDF("BMP: pixel data past the end of the file");

  std::string tavolozza;
  if (B <= 8) {
    const uint64_t voci = uint64_t(1) << B;
    const uint64_t inizio = 14 + uint64_t(dim_header);
    if (!f.Contiene(inizio, voci * 4)) throw Errore_PDF("BMP: colour table past the end of the file");
    std::vector<uint8_t> t(voci * 4);
    f.Leggi(inizio, t.data(), t.size());
    for (uint64_t i = 0; i < voci; ++i) {
      tavolozza += static_cast<char>(t[4 * i + 2]);
      tavolozza += static_cast<char>(t[4 * i + 1]);
      tavolozza += static_cast<char>(t[4 * i]);
    }
  }

  std::vector<uint8_t> buffer(5 + R * altezza);
  buffer[0] = static_cast<uint8_t>(larghezza / 256);
  buffer[1] = static_cast<uint8_t>(larghezza % 256);
  buffer[2] = static_cast<uint8_t>(altezza / 256);
  buffer[3] = static_cast<uint8_t>(altezza % 256);
  buffer[4] = static_cast<uint8_t>(B);
  std::vector<uint8_t> riga(S);
  for (int32_t y = 0; y < altezza; ++y) {
    uint8_t* dst = buffer.data() + 5 + R * y;
    f.Leggi(offset_pixel + S * y, riga.data(), y + 1 < altezza ? S : R);
    if (B == 24) {
      for (int32_t x = 0; x < larghezza; ++x) {
        dst[3 * x] = riga[3 * x + 2];
        dst[3 * x + 1] = riga[3 * x + 1];
        dst[3 * x + 2] = riga[3 * x];
      }
    } else {
      std::copy_n(riga.begin(), R, dst);
    }
  }
  ImgBuf = std::move(buffer);
  ImgColor = std::move(tavolozza);
  return true;
}

// ---- ASCII85 -------------------------------------------------------------

std::string X_PDF::Ascii85Encode(std::string& d) {
  std::string r;
  r.reserve(d.size() / 4 * 5 + 5);
  for (size_t i = 0; i < d.size(); i += 4) {
    size_t n = std::min<size_t>(4, d.size() - i);
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) v = v << 8 | (k < n ? static_cast<uint8_t>(d[i + k]) : 0);
    if (n == 4 && v == 0) {
      r += 'z';
      continue;
    }
    char c[5];
    for (int k = 4; k >= 0; --k) {
      c[k] = static_cast<char>(v % 85 + 33);
      v /= 85;
    }
    r.append(c, n + 1);
  }
  d.clear();
  return r;
}

}  // namespace qod::pdf
