#include "qod/imagegen/comandi.h"

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <system_error>

#include "qod/barcode/barcode.h"
#include "qod/basic.h"
#include "qod/imaging/file.h"
#include "qod/imaging/pagina.h"
#include "qod/text/text.h"
#include "qod/winpath.h"
#include "tela_testo.h"

namespace qod::imagegen {

namespace fs = std::filesystem;

namespace {

const char* const kApplicazione = "Errore applicazione estensioni";

std::optional<int32_t> Numero32(std::string_view v) { return CLng(Val(v)); }

std::optional<int16_t> Numero16(std::string_view v) {
  const auto n = CLng(Val(v));
  if (!n || *n < std::numeric_limits<int16_t>::min() || *n > std::numeric_limits<int16_t>::max()) return std::nullopt;
  return static_cast<int16_t>(*n);
}

enum class Genere { N32, N16, Flag, Testo, Colore, Valore, Nascoste };

struct Voce {
  const char* codice;
  Genere genere;
  const char* errore;  // read failure
  int32_t Stato_Comandi::*n32 = nullptr;
  bool Stato_Comandi::*flag = nullptr;
  const char* fuori = nullptr;  // message of a value outside 0..3600
};

const Voce kVoci[] = {
    {"TP", Genere::N32, "Errore lettura di {TP=...}", &Stato_Comandi::TP},
    {"rc", Genere::N32, "Errore lettura di {rc=...}", &Stato_Comandi::rc},
    {"RC", Genere::Flag, "Errore lettura di {RC=.}", nullptr, &Stato_Comandi::RC},
    {"RI", Genere::N32, "Errore lettura di {RI=...}", &Stato_Comandi::RI},
    {"CO", Genere::N32, "Errore lettura di {CO=...}", &Stato_Comandi::CO},
    {"bW", Genere::N32, "Errore lettura di {bW=...}", &Stato_Comandi::bW},
    {"bH", Genere::N32, "Errore lettura di {bH=...}", &Stato_Comandi::bH},
    {"BW", Genere::N32, "Errore lettura di {BW=....}", &Stato_Comandi::BW},
    {"BH", Genere::N32, "Errore lettura di {BH=....}", &Stato_Comandi::BH},
    {"BT", Genere::Flag, "Errore lettura di {BT=.}", nullptr, &Stato_Comandi::BT},
    {"FN", Genere::Testo, "Errore lettura di {FN=.. ..}"},
    {"FD", Genere::N32, "Errore lettura di {FD=...}", &Stato_Comandi::FD},
    {"FR", Genere::N32, "Errore lettura di {FR=...}", &Stato_Comandi::FR, nullptr, "{FR=...} errato"},
    {"FW", Genere::N32, "Errore lettura di {FW=...}", &Stato_Comandi::FW},
    {"FP", Genere::N32, "Errore lettura di {FP=...}", &Stato_Comandi::FP},
    {"FI", Genere::Flag, "Errore lettura di {FI=.}", nullptr, &Stato_Comandi::FI},
    {"FU", Genere::Flag, "Errore lettura di {FU=.}", nullptr, &Stato_Comandi::FU},
    {"RX", Genere::Flag, "Errore lettura di {RX=.}", nullptr, &Stato_Comandi::RX},
    {"RY", Genere::Flag, "Errore lettura di {RY=.}", nullptr, &Stato_Comandi::RY},
    {"OX", Genere::N32, "Errore lettura di {OX=....}", &Stato_Comandi::OX},
    {"OY", Genere::N32, "Errore lettura di {OY=....}", &Stato_Comandi::OY},
    {"IW", Genere::N32, "Errore lettura di {IW=....}", &Stato_Comandi::IW},
    {"IH", Genere::N32, "Errore lettura di {IH=....}", &Stato_Comandi::IH},
    {"iX", Genere::N32, "Errore lettura di {iX=....}", &Stato_Comandi::iX},
    {"iY", Genere::N32, "Errore lettura di {iY=....}", &Stato_Comandi::iY},
    {"iW", Genere::N32, "Errore lettura di {iW=....}", &Stato_Comandi::iW},
    {"iH", Genere::N32, "Errore lettura di {iH=....}", &Stato_Comandi::iH},
    {"iR", Genere::N32, "Errore lettura di {iR=...}", &Stato_Comandi::iR, nullptr, "{iR=...} errato"},
    {"OV", Genere::N32, "Errore lettura di {OV=.}", &Stato_Comandi::OV},
    {"CF", Genere::Colore, "Errore lettura di {CF=...,...,...}"},
    {"CT", Genere::Colore, "Errore lettura di {CT=...,...,...}"},
    {"32", Genere::Flag, "Errore lettura di {32=.}", nullptr, &Stato_Comandi::B32},
    {"IN", Genere::Flag, "Errore lettura di {IN=.}", nullptr, &Stato_Comandi::IN},
    {"CP", Genere::N16, "Errore lettura di {CP=.}"},
    {"VA", Genere::Valore, "Errore lettura di {VA=..    ..}"},
    {"TN", Genere::Nascoste, ""},
};

const Voce* Trova(std::string_view codice) {
  for (const auto& v : kVoci)
    if (codice == v.codice) return &v;
  return nullptr;
}

// A coordinate that cannot lie on any image (past the 32-bit range).
bool Fuori_Campo(int64_t v) {
  return v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max();
}

// The image `src` placed at (x, y): output size IW x IH (0: the image's),
// source rectangle iX, iY, iW x iH (0: the image's size); equal sizes give a
// block transfer, others a stretched one. Negative sizes draw nothing.
void Posa(const Stato_Comandi& s, const img::Immagine& src, int64_t x, int64_t y, img::Immagine& tela) {
  if (src.Vuota() || Fuori_Campo(x) || Fuori_Campo(y)) return;
  const int32_t ow = s.IW != 0 ? s.IW : src.Larghezza();
  const int32_t oh = s.IH != 0 ? s.IH : src.Altezza();
  const int32_t sw = s.iW != 0 ? s.iW : src.Larghezza();
  const int32_t sh = s.iH != 0 ? s.iH : src.Altezza();
  if (ow < 1 || oh < 1 || sw < 1 || sh < 1) return;
  const img::Raster modo = img::Raster_Da_Modo(s.OV);
  const int dx = static_cast<int>(x), dy = static_cast<int>(y);
  if (ow == sw && oh == sh)
    img::Trasferisci(tela, dx, dy, ow, oh, src, s.iX, s.iY, modo);
  else
    img::Trasferisci_Adattato(tela, dx, dy, ow, oh, src, s.iX, s.iY, sw, sh, modo);
}

// The barcode picture as a 1-bit image (ink black, paper white).
bool Da_Codice(const barcode::Bitmap& b, img::Immagine& out) {
  if (!out.Crea(b.width, b.height, 1)) return false;
  for (int y = 0; y < b.height; ++y) {
    uint8_t* d = out.Riga(y);
    const uint8_t* s = b.data.data() + static_cast<size_t>(y) * static_cast<size_t>(b.stride);
    for (int x = 0; x < b.width; ++x)
      if (s[x] == barcode::kInk) d[x >> 3] = static_cast<uint8_t>(d[x >> 3] & ~(0x80u >> (x & 7)));
  }
  return true;
}

std::string Codice_A_Barre(const Stato_Comandi& s, Pagina_Comandi& p, int64_t x, int64_t y) {
  barcode::Barcode b;
  b.text = s.VA;
  b.show_text = s.BT;
  b.type = s.TP;
  b.border_width = s.bW;
  b.border_height = s.bH;
  b.font_name = s.FN;
  b.font_size = s.FD * 0.66666;
  b.font_italic = s.FI;
  b.font_underline = s.FU;
  b.font_weight = s.FP;
  if (!b.Generate(s.BW, s.BH)) return "Errore generazione codice a barre" + s.VA;
  img::Immagine codice;
  if (!Da_Codice(b.Picture(), codice)) return "Errore sovrapposizione codice a barre " + s.VA;
  const img::Raster modo = img::Raster_Da_Modo(s.OV);
  if (s.iR == 0) {
    if (!Fuori_Campo(x) && !Fuori_Campo(y))
      img::Trasferisci(*p.tela, static_cast<int>(x), static_cast<int>(y), codice.Larghezza(), codice.Altezza(), codice,
                       0, 0, modo);
    return {};
  }
  img::Immagine& im1 = *p.im1;
  if (!im1.Crea(codice.Larghezza(), codice.Altezza(), 1)) return "Errore sovrapposizione codice a barre ruotato " + s.VA;
  im1.Riempi(p.sfondo);
  img::Trasferisci(im1, 0, 0, codice.Larghezza(), codice.Altezza(), codice, 0, 0, modo);
  if (!Ruota_Limitato(im1, static_cast<long>(s.iR) * 10, p.sfondo))
    return "Errore sovrapposizione codice a barre ruotato " + s.VA;
  Posa(s, im1, x, y, *p.tela);
  return {};
}

std::string Testo(const Stato_Comandi& s, Pagina_Comandi& p, int64_t x, int64_t y) {
  // Heights past what a font can have are refused by the font itself.
  const int32_t fd = std::max(s.FD, -std::numeric_limits<int32_t>::max());
  text::LogFont lf;
  if (s.FW != 0) {
    lf.height = fd;
    lf.width = s.FW;
  } else {
    lf.height = -fd;
    lf.width = 0;
  }
  lf.escapement = lf.orientation = s.FR;
  lf.weight = s.FP;
  lf.italic = s.FI;
  lf.underline = s.FU;
  lf.strike_out = false;
  lf.charset = Set_Caratteri(s.TP);
  lf.face_name = Left(Trim(s.FN), 31);
  auto font = text::Font::Create(lf);
  if (!font) return "Errore creazione font " + s.VA;
  const std::string byte = s.TP == 800 ? s.VA : Byte_Esadecimali(s.VA);
  if (Fuori_Campo(x) || Fuori_Campo(y)) return {};
  Tela_Testo tela(*p.tela);
  const text::BkMode sfondo = s.OV == 1 || s.OV == 2 ? text::BkMode::kTransparent : text::BkMode::kOpaque;
  const text::Rendering resa = p.tela->Bit() == 1 ? text::Rendering::kMono : text::Rendering::kGrey;
  if (!text::TextOut(*font, tela, static_cast<int>(x), static_cast<int>(y), byte, {s.CT.r, s.CT.g, s.CT.b},
                     {s.CF.r, s.CF.g, s.CF.b}, sfondo, resa))
    return "Errore scrittura testo " + s.VA;
  return {};
}

std::string Immagine_Tag(const Stato_Comandi& s, Pagina_Comandi& p, int64_t x, int64_t y) {
  std::error_code ec;
  const fs::path file = Percorso_Fs(Percorso_Risolvi(s.VA));
  if (s.VA.empty() || !fs::is_regular_file(file, ec)) return {};
  img::Immagine& im1 = *p.im1;
  fs::path da_caricare = file;
  fs::path convertito;
  if (s.B32) {
    convertito = img::Bmp32_Converti(file, p.temp);
    if (convertito.empty()) {
      im1.Svuota();
      return {};
    }
    da_caricare = convertito;
  }
  const img::Esito e = img::Carica(da_caricare, im1);
  if (!convertito.empty()) fs::remove(convertito, ec);
  if (!e) return "Errore caricamento immagine " + s.VA;
  if (s.IN) im1.Inverti();
  if (s.iR != 0 && !Ruota_Limitato(im1, static_cast<long>(s.iR) * 10, p.sfondo))
    return "Errore sovrapposizione immagine " + s.VA;
  Posa(s, im1, x, y, *p.tela);
  return {};
}

std::string Area(const Stato_Comandi& s, Pagina_Comandi& p, int64_t x, int64_t y) {
  if (s.IW < 1) return "Errore {IW=....}<1 per <CLR>";
  if (s.IH < 1) return "Errore {IH=....}<1 per <CLR>";
  img::Immagine& im4 = *p.im4;
  if (Byte_Immagine(s.IW, s.IH, p.bit_aree) > Limite_Immagine || !im4.Crea(s.IW, s.IH, p.bit_aree))
    return "Errore preparazione <CLR>";
  im4.Riempi(s.CF);
  if (s.IN) im4.Inverti();
  if (s.iR != 0 && !Ruota_Limitato(im4, static_cast<long>(s.iR) * 10, p.sfondo)) return "Errore sovrapposizione <CLR>";
  Posa(s, im4, x, y, *p.tela);
  return {};
}

}  // namespace

std::optional<Tag> Leggi_Tag(std::string_view riga) {
  if (riga.size() < 6) return std::nullopt;
  const size_t chiusa = riga.find('}', 5);
  if (chiusa == std::string_view::npos) return std::nullopt;
  return Tag{std::string(riga.substr(1, 2)), std::string(riga.substr(4, chiusa - 4)), chiusa + 1};
}

std::optional<std::array<int32_t, 3>> Tre_Numeri(std::string_view riga, size_t chiusa) {
  const int64_t p1 = InStr(6, riga, ",");
  if (p1 == 0) return std::nullopt;
  const int64_t p2 = InStr(p1 + 1, riga, ",");
  if (p2 == 0 || static_cast<int64_t>(chiusa) - p2 - 1 < 0) return std::nullopt;
  const std::string parti[3] = {Mid(riga, 5, p1 - 5), Mid(riga, p1 + 1, p2 - p1 - 1),
                                Mid(riga, p2 + 1, static_cast<int64_t>(chiusa) - p2 - 1)};
  std::array<int32_t, 3> n{};
  for (int i = 0; i < 3; ++i) {
    const auto v = Numero32(parti[i]);
    if (!v) return std::nullopt;
    n[static_cast<size_t>(i)] = *v;
  }
  return n;
}

Esito_Riga Applica_Riga(Stato_Comandi& stato, std::string_view riga) {
  Esito_Riga esito;
  const auto tag = Leggi_Tag(riga);
  if (!tag) return esito;
  const Voce* v = Trova(tag->codice);
  if (!v) return esito;
  const std::string& valore = tag->valore;
  switch (v->genere) {
    case Genere::N32: {
      const auto n = Numero32(valore);
      if (!n) {
        esito.errore = v->errore;
      } else if (v->fuori && (*n < 0 || *n > 3600)) {
        esito.errore = v->fuori;
      } else {
        stato.*(v->n32) = *n;
      }
      break;
    }
    case Genere::N16: {
      const auto n = Numero16(valore);
      if (!n) esito.errore = v->errore;
      else stato.CP = *n;
      break;
    }
    case Genere::Flag: stato.*(v->flag) = valore == "S"; break;
    case Genere::Testo: stato.FN = valore; break;
    case Genere::Colore: {
      const auto n = Tre_Numeri(riga, tag->chiusa);
      // The parts are red, green and blue; a part above 255 counts as 255,
      // a negative part is refused.
      if (!n || (*n)[0] < 0 || (*n)[1] < 0 || (*n)[2] < 0) {
        esito.errore = v->errore;
        break;
      }
      const img::Colore c{static_cast<uint8_t>(std::min((*n)[0], 255)), static_cast<uint8_t>(std::min((*n)[1], 255)),
                          static_cast<uint8_t>(std::min((*n)[2], 255))};
      (tag->codice == "CF" ? stato.CF : stato.CT) = c;
      break;
    }
    case Genere::Valore:
      stato.VA = valore;
      esito.disegna = true;
      break;
    case Genere::Nascoste: break;
  }
  return esito;
}

std::string Byte_Esadecimali(std::string_view valore) {
  auto cifra = [](unsigned char c) { return c < 65 ? static_cast<int>(c) - 48 : static_cast<int>(c) - 55; };
  std::string r;
  for (size_t i = 0; i + 1 < valore.size(); i += 2) {
    const int a = cifra(static_cast<unsigned char>(valore[i]));
    const int b = cifra(static_cast<unsigned char>(valore[i + 1]));
    if (a >= 0 && a <= 15 && b >= 0 && b <= 15) r.push_back(static_cast<char>(a * 16 + b));
  }
  return r;
}

uint8_t Set_Caratteri(int32_t tp) {
  static constexpr uint8_t kSet[19] = {1, 0, 2, 77, 128, 129, 130, 134, 136, 161, 162, 163, 177, 178, 186, 204, 222, 238, 255};
  if (tp < 800 || tp > 818) return text::charset::kDefault;
  return kSet[tp - 800];
}

Lettore_Righe::Lettore_Righe(const fs::path& percorso) { f_ = std::fopen(percorso.c_str(), "rb"); }

Lettore_Righe::~Lettore_Righe() {
  if (f_) std::fclose(f_);
}

bool Lettore_Righe::Prossima(std::string& riga) {
  riga.clear();
  if (!f_) return false;
  bool letto = false;
  int c;
  while ((c = std::getc(f_)) != EOF) {
    if (dopo_cr_ && c == '\n') {
      dopo_cr_ = 0;
      continue;
    }
    dopo_cr_ = 0;
    letto = true;
    if (c == '\r') {
      dopo_cr_ = 1;
      return true;
    }
    if (c == '\n') return true;
    if (riga.size() < Massimo) riga.push_back(static_cast<char>(c));
  }
  return letto;
}

int64_t Byte_Immagine(int64_t w, int64_t h, int bit) {
  if (w < 1 || h < 1) return 0;
  if (w > (1LL << 31) || h > (1LL << 31)) return std::numeric_limits<int64_t>::max();
  return ((w * bit + 31) / 32) * 4 * h;
}

bool Ruota_Limitato(img::Immagine& im, long centesimi, img::Colore riempimento) {
  const double a = std::fmod(static_cast<double>(centesimi), 36000.0) / 100.0 * std::numbers::pi / 180.0;
  const double w = im.Larghezza(), h = im.Altezza();
  const double rw = std::abs(w * std::cos(a)) + std::abs(h * std::sin(a)) + 2;
  const double rh = std::abs(w * std::sin(a)) + std::abs(h * std::cos(a)) + 2;
  if (Byte_Immagine(static_cast<int64_t>(rw), static_cast<int64_t>(rh), im.Bit()) > Limite_Immagine) return false;
  return im.Ruota(centesimi, riempimento);
}

std::string Disegna(const Stato_Comandi& s, Pagina_Comandi& p) {
  int64_t x = s.OX;
  if (s.RX) x = int64_t{s.OX} + p.txt_left + int64_t{p.col_dim} * (int64_t{s.CO} - 1);
  int64_t y = s.OY;
  if (s.RY) y = int64_t{s.OY} + p.txt_top + int64_t{p.row_dim} * (s.RC ? s.rc : s.RI);
  if (s.TP < 100) return Codice_A_Barre(s, p, x, y);
  if (s.TP >= 800 && s.TP <= 818) return Testo(s, p, x, y);
  if (s.TP == 900) return s.VA == "<CLR>" ? Area(s, p, x, y) : Immagine_Tag(s, p, x, y);
  return {};
}

std::string Applica_Comandi(const fs::path& file, Stato_Comandi& stato, bool azzera, Passata passata, int32_t cmd_cpy,
                            Pagina_Comandi& p) {
  try {
    if (azzera) stato = Stato_Comandi{};
    Lettore_Righe in(file);
    if (!in.Aperto()) return kApplicazione;
    std::string riga;
    while (in.Prossima(riga)) {
      const Esito_Riga e = Applica_Riga(stato, riga);
      if (!e.errore.empty()) return e.errore;
      if (!e.disegna) continue;
      const bool scelta = passata == Passata::A ? cmd_cpy == 0 || stato.CP == 0
                                                : stato.CP == cmd_cpy || (stato.CP == 5 && cmd_cpy >= 5);
      if (!scelta) continue;
      if (std::string d = Disegna(stato, p); !d.empty()) return d;
    }
    return {};
  } catch (...) {
    return kApplicazione;
  }
}

}  // namespace qod::imagegen
