#include "qod/barcode/barcode.h"

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/text/text.h"

namespace qod::barcode {
namespace {

constexpr int64_t kMaxLato = 16384;
constexpr int64_t kMaxPixel = 32LL * 1024 * 1024;

// How the data is made ready for the symbology.
enum class Prep { kNessuna, kEan13, kEan8, kEan5, kEan2, kUpcA, kUpcE, kEan99, kCodabar, k128A, k128B, k128C, kGs1, kCode93 };

struct Tipo {
  int32_t code;
  const char* name;
  int symbology;  // 0: none (no code)
  Prep prep;
  int option_2;
};

// "CODE 25" is the original two-of-five code (industrial); "EAN 99" an
// EAN 13 whose first two digits are 99; Code 128 A and C take only the data
// their code set can hold (the encoder picks the code sets itself, and the
// reader sees the same data); MSI carries one modulo-10 check digit.
constexpr Tipo kTipi[] = {
    {0, "ISBN", BARCODE_ISBNX, Prep::kNessuna, 0},
    {1, "EAN 13", BARCODE_EANX, Prep::kEan13, 0},
    {2, "EAN 8", BARCODE_EANX, Prep::kEan8, 0},
    {3, "EAN 5", BARCODE_EANX, Prep::kEan5, 0},
    {4, "EAN 2", BARCODE_EANX, Prep::kEan2, 0},
    {5, "UPC A", BARCODE_UPCA, Prep::kUpcA, 0},
    {6, "CODE 39", BARCODE_CODE39, Prep::kNessuna, 0},
    {7, "CODE 25 INTER.", BARCODE_C25INTER, Prep::kNessuna, 0},
    {8, "CODABAR", BARCODE_CODABAR, Prep::kCodabar, 0},
    {9, "CODE 25", BARCODE_C25IND, Prep::kNessuna, 0},
    {10, "CODE 39 EXTENDED", BARCODE_EXCODE39, Prep::kNessuna, 0},
    {11, "CODE 128 A", BARCODE_CODE128, Prep::k128A, 0},
    {12, "CODE 128 B", BARCODE_CODE128B, Prep::k128B, 0},
    {13, "CODE 128 C", BARCODE_CODE128, Prep::k128C, 0},
    {14, "CODE 128", BARCODE_CODE128, Prep::kNessuna, 0},
    {15, "EAN 128", BARCODE_GS1_128, Prep::kGs1, 0},
    {16, "EAN 99", BARCODE_EANX, Prep::kEan99, 0},
    {17, "UPC E", BARCODE_UPCE, Prep::kUpcE, 0},
    {18, "POST NET", BARCODE_POSTNET, Prep::kNessuna, 0},
    {19, "ROYAL MAIL", BARCODE_RM4SCC, Prep::kNessuna, 0},
    {20, "MSI", BARCODE_MSI_PLESSEY, Prep::kNessuna, 1},
    {21, "CODE 93", BARCODE_CODE93, Prep::kCode93, 0},
    {22, "CODE 93 EXTENDED", BARCODE_CODE93, Prep::kNessuna, 0},
    {23, "PZN", BARCODE_PZN, Prep::kNessuna, 0},
    {24, "IDENTCODE", BARCODE_DPIDENT, Prep::kNessuna, 0},
    {25, "LEITCODE", BARCODE_DPLEIT, Prep::kNessuna, 0},
    {kNessunCodice, "NESSUN CODICE", 0, Prep::kNessuna, 0},
};

const Tipo* Trova(int32_t code) {
  for (const auto& t : kTipi)
    if (t.code == code) return &t;
  return nullptr;
}

bool Cifre(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Zeri(std::string_view s, size_t n) { return std::string(n > s.size() ? n - s.size() : 0, '0') + std::string(s); }

struct Pronto {
  int symbology;
  int input_mode = DATA_MODE;
  std::string data;
};

// The data for the symbology, or the reason it cannot take it. Numeric EAN
// and UPC data shorter than the code is filled with leading zeros; the full
// length with its check digit has the check digit verified.
std::optional<Pronto> Prepara(const Tipo& t, const std::string& data, std::string& why) {
  Pronto p{t.symbology, DATA_MODE, data};
  auto numerica = [&](size_t con_check, size_t senza, int sym_check) -> bool {
    if (!Cifre(data) || data.size() > con_check) {
      why = "dati non validi per " + std::string(t.name);
      return false;
    }
    if (data.size() == con_check && sym_check != 0) {
      p.symbology = sym_check;
    } else {
      p.data = Zeri(data, senza);
    }
    return true;
  };
  switch (t.prep) {
    case Prep::kNessuna: break;
    case Prep::kEan13:
      if (!numerica(13, 12, BARCODE_EANX_CHK)) return std::nullopt;
      break;
    case Prep::kEan8:
      if (!numerica(8, 7, BARCODE_EANX_CHK)) return std::nullopt;
      break;
    case Prep::kEan5:
      if (!numerica(5, 5, 0)) return std::nullopt;
      break;
    case Prep::kEan2:
      if (!numerica(2, 2, 0)) return std::nullopt;
      break;
    case Prep::kUpcA:
      if (!numerica(12, 11, BARCODE_UPCA_CHK)) return std::nullopt;
      break;
    case Prep::kUpcE:
      if (!numerica(8, 6, BARCODE_UPCE_CHK)) return std::nullopt;
      break;
    case Prep::kEan99:
      if (Cifre(data) && (data.size() == 12 || data.size() == 13) && data.starts_with("99")) {
        p.symbology = data.size() == 13 ? BARCODE_EANX_CHK : BARCODE_EANX;
      } else if (Cifre(data) && data.size() <= 10) {
        p.data = "99" + Zeri(data, 10);
      } else {
        why = "dati non validi per EAN 99";
        return std::nullopt;
      }
      break;
    case Prep::kCodabar: {
      auto ss = [](char c) { return (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd'); };
      if (data.size() >= 2 && ss(data.front()) && ss(data.back())) {
        p.data.front() = static_cast<char>(Ansi_Maiuscolo(static_cast<unsigned char>(data.front())));
        p.data.back() = static_cast<char>(Ansi_Maiuscolo(static_cast<unsigned char>(data.back())));
      } else {
        p.data = "A" + data + "A";
      }
      break;
    }
    case Prep::k128A:
      if (!std::all_of(data.begin(), data.end(), [](char c) { return static_cast<unsigned char>(c) <= 95; })) {
        why = "carattere non valido per CODE 128 A";
        return std::nullopt;
      }
      break;
    case Prep::k128B:
      if (!std::all_of(data.begin(), data.end(), [](char c) {
            auto u = static_cast<unsigned char>(c);
            return u >= 32 && u <= 127;
          })) {
        why = "carattere non valido per CODE 128 B";
        return std::nullopt;
      }
      break;
    case Prep::k128C:
      if (!Cifre(data) || data.size() % 2 != 0) {
        why = "CODE 128 C vuole un numero pari di cifre";
        return std::nullopt;
      }
      break;
    case Prep::kGs1:
      if (data.starts_with("(")) {
        p.input_mode = GS1_MODE | GS1PARENS_MODE;
      } else if (data.starts_with("[")) {
        p.input_mode = GS1_MODE;
      } else {
        why = "EAN 128 vuole gli identificatori di applicazione, come (01)";
        return std::nullopt;
      }
      break;
    case Prep::kCode93: {
      constexpr std::string_view ammessi = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
      if (!std::all_of(data.begin(), data.end(), [&](char c) { return ammessi.find(c) != std::string_view::npos; })) {
        why = "carattere non valido per CODE 93";
        return std::nullopt;
      }
      break;
    }
  }
  return p;
}

struct Simbolo_Chiudi {
  void operator()(zint_symbol* s) const { ZBarcode_Delete(s); }
};

// Paints the ink of a text into the picture.
struct Sink : text::PixelSink {
  Bitmap& b;
  explicit Sink(Bitmap& bm) : b(bm) {}
  int Width() const override { return b.width; }
  int Height() const override { return b.height; }
  void Paint(int x, int y, int n, const uint8_t* cov, text::Rgb) override {
    uint8_t* riga = b.data.data() + static_cast<size_t>(y) * static_cast<size_t>(b.stride) + static_cast<size_t>(x);
    for (int i = 0; i < n; ++i)
      if (cov[i] >= 128) riga[i] = kInk;
  }
};

}  // namespace

std::string_view Nome_Tipo(int32_t type) {
  const Tipo* t = Trova(type);
  return t ? t->name : std::string_view{};
}

bool Barcode::Generate(int32_t width, int32_t height) {
  picture_ = Bitmap{};
  error_.clear();
  auto fail = [&](std::string why) {
    picture_ = Bitmap{};
    error_ = std::move(why);
    return false;
  };
  if (width < 1 || height < 1 || width > kMaxLato || height > kMaxLato ||
      static_cast<int64_t>(width) * height > kMaxPixel)
    return fail("dimensioni errate " + std::to_string(width) + " x " + std::to_string(height));
  const Tipo* tipo = Trova(type);
  if (tipo == nullptr) return fail("tipo di codice a barre sconosciuto " + std::to_string(type));

  Bitmap bm;
  bm.width = width;
  bm.height = height;
  bm.stride = width;
  bm.data.assign(static_cast<size_t>(width) * static_cast<size_t>(height), kPaper);
  if (tipo->symbology == 0) {
    picture_ = std::move(bm);
    return true;
  }
  if (text.empty()) return fail("nessun dato");

  std::string why;
  auto pronto = Prepara(*tipo, text, why);
  if (!pronto) return fail(why);
  std::unique_ptr<zint_symbol, Simbolo_Chiudi> sym(ZBarcode_Create());
  if (!sym) return fail("memoria insufficiente");
  sym->symbology = pronto->symbology;
  sym->input_mode = pronto->input_mode;
  sym->option_2 = tipo->option_2;
  sym->show_hrt = 1;
  int esito = ZBarcode_Encode(sym.get(), reinterpret_cast<const unsigned char*>(pronto->data.data()),
                              static_cast<int>(pronto->data.size()));
  if (esito >= ZINT_ERROR) return fail(sym->errtxt);
  const int righe = sym->rows;
  if (sym->width < 1 || righe < 1 || sym->width > 144 * 8 || righe > 200) return fail("simbolo vuoto");
  auto scuro = [&](int r, int c) { return ((sym->encoded_data[r][c >> 3] >> (c & 7)) & 1) != 0; };
  // The symbol from its first bar to its last (a trailing gap some codes
  // carry would shift it off centre).
  int primo = sym->width, ultimo = -1;
  for (int r = 0; r < righe; ++r)
    for (int c = 0; c < sym->width; ++c)
      if (scuro(r, c)) primo = std::min(primo, c), ultimo = std::max(ultimo, c);
  if (ultimo < primo) return fail("simbolo vuoto");
  const int moduli = ultimo - primo + 1;

  // The readable text and its font.
  std::unique_ptr<text::Font> font;
  std::string leggibile;
  int alto_testo = 0;
  if (show_text) {
    leggibile = Utf8_A_Ansi(reinterpret_cast<const char*>(sym->text));
    if (leggibile.empty()) leggibile = text;
    if (!std::isfinite(font_size) || std::abs(font_size) > 16384) return fail("dimensione del font errata");
    text::LogFont lf;
    lf.face_name = font_name;
    lf.height = -std::max<int32_t>(1, static_cast<int32_t>(Arrotonda_Pari(std::abs(font_size))));
    lf.weight = font_weight;
    lf.italic = font_italic;
    lf.underline = font_underline;
    std::string err;
    font = text::Font::Create(lf, &err);
    if (!font) return fail("font del testo: " + err);
    alto_testo = font->Metrics().height;
  }

  const int64_t bw = std::max<int32_t>(0, border_width), bh = std::max<int32_t>(0, border_height);
  const int64_t largo = width - 2 * bw;
  const int64_t y0 = bh, y1 = static_cast<int64_t>(height) - bh - alto_testo;
  if (largo < moduli || y1 - y0 < righe)
    return fail("spazio insufficiente: " + std::to_string(moduli) + " moduli, " + std::to_string(righe) + " righe");
  const int64_t scala = largo / moduli;
  const int64_t x0 = bw + (largo - scala * moduli) / 2;

  // Row heights: fixed rows keep their share, rows of height 0 share the rest.
  double fisse = 0;
  int libere = 0;
  for (int r = 0; r < righe; ++r) {
    if (sym->row_height[r] > 0) {
      fisse += sym->row_height[r];
    } else {
      ++libere;
    }
  }
  const double quota = libere > 0 ? std::max(1.0, (static_cast<double>(sym->height) - fisse) / libere) : 0;
  double totale = 0;
  std::vector<double> alte(static_cast<size_t>(righe));
  for (int r = 0; r < righe; ++r) totale += alte[static_cast<size_t>(r)] = sym->row_height[r] > 0 ? sym->row_height[r] : quota;
  double cumulo = 0;
  for (int r = 0; r < righe; ++r) {
    const int64_t ya = y0 + static_cast<int64_t>(std::llround(cumulo / totale * static_cast<double>(y1 - y0)));
    cumulo += alte[static_cast<size_t>(r)];
    const int64_t yb = y0 + static_cast<int64_t>(std::llround(cumulo / totale * static_cast<double>(y1 - y0)));
    for (int c = 0; c < moduli; ++c) {
      if (!scuro(r, primo + c)) continue;
      const int64_t xa = x0 + c * scala;
      for (int64_t y = ya; y < yb; ++y)
        std::fill_n(bm.data.begin() + y * width + xa, scala, kInk);
    }
  }

  if (font) {
    Sink sink(bm);
    const text::Size ext = font->Extent(leggibile);
    const int tx = static_cast<int>((static_cast<int64_t>(width) - ext.cx) / 2);
    const int ty = static_cast<int>(y1);
    std::string err;
    if (!text::TextOut(*font, sink, tx, ty, leggibile, {0, 0, 0}, {255, 255, 255}, text::BkMode::kTransparent,
                       text::Rendering::kMono, &err))
      return fail("testo: " + err);
  }
  picture_ = std::move(bm);
  return true;
}

}  // namespace qod::barcode
