// Fonts and text output in the manner of the Windows graphics interface:
// logical fonts chosen by face name (through fontconfig; the Liberation faces
// stand for Arial, Times New Roman and Courier New), drawn with FreeType.
//
// Conventions
// - Text is ANSI bytes. Each byte is turned into a character through the code
//   page of the font's character set: 1252 for ANSI and DEFAULT (so code c is
//   the Windows-1252 character c), 1253 Greek, 1251 Russian, 932 Shift-JIS and
//   so on; SYMBOL draws byte c as glyph c of the font's own symbol encoding.
// - Coordinates are device pixels, x to the right, y down. Text is placed with
//   the top-left corner of its character cell at the reference point (x, y);
//   the baseline lies `ascent` pixels below it. A non-zero escapement turns the
//   whole cell counter-clockwise around the reference point (900 = the text
//   reads upwards).
// - A rendered text is two coverage planes of one size, already turned: `ink`
//   (glyphs, underline, strike-out) and `box` (the text cell, which an opaque
//   background fills). Coverage 0 is untouched, 255 fully covered; monochrome
//   rendering gives only 0 and 255.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qod::text {

// Character sets of a logical font (the Windows values).
namespace charset {
inline constexpr uint8_t kAnsi = 0;
inline constexpr uint8_t kDefault = 1;
inline constexpr uint8_t kSymbol = 2;
inline constexpr uint8_t kMac = 77;
inline constexpr uint8_t kShiftJis = 128;
inline constexpr uint8_t kHangeul = 129;
inline constexpr uint8_t kJohab = 130;
inline constexpr uint8_t kGb2312 = 134;
inline constexpr uint8_t kChineseBig5 = 136;
inline constexpr uint8_t kGreek = 161;
inline constexpr uint8_t kTurkish = 162;
inline constexpr uint8_t kVietnamese = 163;
inline constexpr uint8_t kHebrew = 177;
inline constexpr uint8_t kArabic = 178;
inline constexpr uint8_t kBaltic = 186;
inline constexpr uint8_t kRussian = 204;
inline constexpr uint8_t kThai = 222;
inline constexpr uint8_t kEastEurope = 238;
inline constexpr uint8_t kOem = 255;
}  // namespace charset

// A logical font, as a program asks for it.
struct LogFont {
  // > 0: cell height in pixels (ascent + descent, from the face's Windows
  // ascent and descent); < 0: character height (the em size) in pixels;
  // 0: the default, a cell height of 16.
  int32_t height = 0;
  // Average character width in pixels: the glyphs are scaled horizontally so
  // that the face's average width becomes this value. 0 keeps the face's own
  // proportions. The sign is ignored.
  int32_t width = 0;
  // Angle of the baseline in tenths of a degree, counter-clockwise. The glyphs
  // turn with it; `orientation` is accepted and not used (as in the
  // compatible graphics mode).
  int32_t escapement = 0;
  int32_t orientation = 0;
  // 0 counts as 400 (normal); 600 and above ask for a bold face, made by
  // emboldening the outlines when the family has none.
  int32_t weight = 0;
  bool italic = false;  // slanted outlines when the family has no italic face
  bool underline = false;
  bool strike_out = false;
  uint8_t charset = charset::kDefault;
  // Face name in ANSI bytes; only the first 31 bytes count. Blanks at both
  // ends are ignored; an empty name takes the default sans-serif face.
  std::string face_name;
};

// The physical font's measurements, in pixels.
struct TextMetrics {
  int height = 0;            // ascent + descent
  int ascent = 0;
  int descent = 0;
  int internal_leading = 0;  // height - em size
  int external_leading = 0;
  int ave_char_width = 0;
  int max_char_width = 0;
  int weight = 400;
  bool italic = false;
  bool underlined = false;
  bool struck_out = false;
  uint8_t charset = charset::kDefault;
  std::string family;        // the family actually used (UTF-8)
  std::string file;          // its font file
  bool charset_covered = true;  // false: no installed font has the charset's script
  bool synthetic_bold = false;
  bool synthetic_italic = false;
};

struct Size {
  int cx = 0;
  int cy = 0;
};

// A rectangle in pixels; right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// A coverage plane: one byte per pixel, rows `stride` bytes apart.
struct Plane {
  int width = 0;
  int height = 0;
  int stride = 0;
  std::vector<uint8_t> data;
  uint8_t at(int x, int y) const { return data[static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x)]; }
};

// A rendered text. The planes' top-left pixel lies at (x + left, y + top)
// for the reference point (x, y).
struct TextImage {
  int left = 0;
  int top = 0;
  Plane ink;
  Plane box;
  bool empty() const { return ink.width == 0 || ink.height == 0; }
};

enum class Rendering {
  kMono,  // no anti-aliasing, for 1-bit targets
  kGrey,  // 256 levels of coverage, for 24-bit targets
};

// A physical font. One font is used by one thread at a time; fonts of
// different threads may be used side by side.
class Font {
 public:
  // Chooses and opens the physical font nearest to the logical one. Fails
  // only when no usable font is found (or the size is beyond 16384 pixels),
  // with the reason in `error`.
  static std::unique_ptr<Font> Create(const LogFont& logical, std::string* error = nullptr);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const LogFont& Logical() const;
  const TextMetrics& Metrics() const;

  // The extent of a text in the unturned frame: cx the sum of the characters'
  // advances (whole pixels, no kerning), cy the cell height.
  Size Extent(std::string_view ansi) const;

  // Renders the text for the reference point (0, 0). `clip`, in the same
  // frame, limits the planes to what can be seen (pass the target's bounds
  // less the reference point); without it the planes hold the whole text.
  // Fails when the planes would pass 32 million pixels.
  std::optional<TextImage> Render(std::string_view ansi, Rendering mode, const std::optional<Rect>& clip = std::nullopt,
                                  std::string* error = nullptr) const;

 private:
  struct Impl;
  explicit Font(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

enum class BkMode { kTransparent, kOpaque };

// Where text is painted: a target of Width() x Height() pixels.
class PixelSink {
 public:
  virtual ~PixelSink() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Paints pixels x .. x + n - 1 of row y with colour c, pixel i at coverage
  // coverage[i] (0 leaves it, 255 replaces it). Always inside the target.
  virtual void Paint(int x, int y, int n, const uint8_t* coverage, Rgb c) = 0;
};

// Paints a rendered text at the reference point (x, y): with kOpaque the box
// in `background` first, then the ink in `text_colour`. Clipped to the sink.
void Draw(const TextImage& image, int x, int y, Rgb text_colour, Rgb background, BkMode mode, PixelSink& sink);

// Render and Draw in one, clipped to the sink (the text out call).
bool TextOut(const Font& font, PixelSink& sink, int x, int y, std::string_view ansi, Rgb text_colour, Rgb background,
             BkMode mode, Rendering rendering, std::string* error = nullptr);

}  // namespace qod::text
