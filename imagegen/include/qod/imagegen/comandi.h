// The tag command language of the page command files: one tag per line,
// "{" + two-character code + "=" + value + "}". Each tag sets one value of
// the drawing state; a "VA" line draws one element (a barcode, a text, an
// image or a filled "<CLR>" area) with the state as it stands.
//
// Reading a line: the code is characters 2 and 3 (case-sensitive; the
// first and fourth characters may be anything); the value runs from
// character 5 up to the first "}" found from character 6 on. A line with no
// "}" at character 6 or later is no tag. A code not in the table is ignored.
// Numbers are the leading numeric part of the value (BASIC Val), rounded to
// a whole number of the field's width (halves to even); a value past that
// width is a read failure. Flags are True only for the value "S".
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qod/imaging/immagine.h"

namespace qod::imagegen {

// The drawing state; the values are the defaults a reset gives.
struct Stato_Comandi {
  int32_t TP = 800;        // 0..99 barcode type, 800..818 text, 900 image or "<CLR>"
  int32_t rc = 0;          // current row, 0-based (used when RC)
  bool RC = false;         // row from rc (S) or from RI
  int32_t RI = 0;          // row, 0-based
  int32_t CO = 0;          // column, 1-based (used when RX)
  int32_t bW = 2, bH = 2;  // barcode borders
  int32_t BW = 300, BH = 100;  // barcode size in pixels
  bool BT = false;         // barcode shows its text
  std::string FN = "Arial";
  int32_t FD = 10;         // font height in pixels
  int32_t FR = 0;          // text rotation, tenths of a degree, 0..3600
  int32_t FW = 0;          // font width, 0 = proportional
  int32_t FP = 400;        // font weight
  bool FI = false, FU = false;  // italic, underline
  bool RX = false, RY = false;  // position relative to the text grid
  int32_t OX = 0, OY = 0;       // position, or offset when relative
  int32_t IW = 0, IH = 0;       // output size; 0 = the source's own
  int32_t iX = 0, iY = 0;       // source origin
  int32_t iW = 0, iH = 0;       // source size; 0 = the image's own
  int32_t iR = 0;               // image rotation, tenths of a degree, 0..3600
  int32_t OV = 0;               // 0 copy, 1 AND, 2 OR; for text 1 and 2 transparent
  img::Colore CF = img::Bianco; // text background, "<CLR>" fill
  img::Colore CT = img::Nero;   // text colour
  bool B32 = false;             // tag "32": the image is a 32-bit BMP to convert
  bool IN = false;              // invert the image
  int16_t CP = 0;               // copy selector: 0 all, 1..4 that copy, 5 copy 5 on
  std::string VA;               // the value drawn

  bool operator==(const Stato_Comandi&) const = default;
};

// A line taken apart: code, value, and the position of the closing "}"
// (1-based), or nothing when the line is no tag.
struct Tag {
  std::string codice;
  std::string valore;
  size_t chiusa = 0;
};
std::optional<Tag> Leggi_Tag(std::string_view riga);

// Applies one line to the state. `disegna` is True for a "VA" line;
// `errore` holds the failure message (the state then keeps its old value).
struct Esito_Riga {
  std::string errore;
  bool disegna = false;
};
Esito_Riga Applica_Riga(Stato_Comandi& stato, std::string_view riga);

// The three whole numbers of a value "a,b,c": the line is cut at the first
// "," from character 6 on and the next "," after it, the last part ending
// before the closing "}". Nothing when a comma is missing or a part is no
// 32-bit number.
std::optional<std::array<int32_t, 3>> Tre_Numeri(std::string_view riga, size_t chiusa);

// The bytes of a value of text tags 801..818: pairs of characters, each
// worth its code minus 48 (below 65) or minus 55; a pair of two values in
// 0..15 is one byte, any other pair is skipped, an odd last character is
// ignored.
std::string Byte_Esadecimali(std::string_view valore);

// The Windows character set of a text tag 800..818.
uint8_t Set_Caratteri(int32_t tp);

// Reads a command file line by line (CR LF, CR or LF end a line). Lines
// longer than Lettore_Righe::Massimo keep their start.
class Lettore_Righe {
 public:
  static constexpr size_t Massimo = 1 << 20;
  explicit Lettore_Righe(const std::filesystem::path& percorso);
  ~Lettore_Righe();
  Lettore_Righe(const Lettore_Righe&) = delete;
  Lettore_Righe& operator=(const Lettore_Righe&) = delete;

  bool Aperto() const { return f_ != nullptr; }
  // The next line without its end; False at the end of the file.
  bool Prossima(std::string& riga);

 private:
  std::FILE* f_ = nullptr;
  int dopo_cr_ = 0;  // a LF right after a CR belongs to the same line end
};

// Where the elements are drawn and what the page gives them.
struct Pagina_Comandi {
  img::Immagine* tela = nullptr;
  int32_t txt_left = 0, txt_top = 0, col_dim = 0, row_dim = 0;
  img::Colore sfondo = img::Bianco;  // the page background: fill of rotations
  int bit_aree = 1;                  // depth of "<CLR>" areas: 1 or 24
  img::Immagine* im1 = nullptr;      // images and turned barcodes
  img::Immagine* im4 = nullptr;      // "<CLR>" areas
  std::filesystem::path temp;        // folder of 32-bit BMP conversions
};

// Draws the element of a "VA" line; "" or the failure message.
std::string Disegna(const Stato_Comandi& s, Pagina_Comandi& p);

// One pass over a command file: with `azzera` the state is reset first;
// each line is applied in file order and a "VA" line draws when `scelta`
// says so for its copy selector. The first failure ends the pass with its
// message; a run-time failure gives "Errore applicazione estensioni".
enum class Passata { A, B };
std::string Applica_Comandi(const std::filesystem::path& file, Stato_Comandi& stato, bool azzera, Passata passata,
                            int32_t cmd_cpy, Pagina_Comandi& p);

// Largest image a tag may make, in bytes of pixels.
inline constexpr int64_t Limite_Immagine = 128LL << 20;
// Bytes of pixels of a w x h image of `bit` bits, rows padded to 4 bytes.
int64_t Byte_Immagine(int64_t w, int64_t h, int bit);
// Rotation held to Limite_Immagine: False when the turned image would pass it.
bool Ruota_Limitato(img::Immagine& im, long centesimi, img::Colore riempimento);

}  // namespace qod::imagegen
