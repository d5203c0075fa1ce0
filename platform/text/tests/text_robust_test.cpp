// Bad sizes and far-away or huge text: failures or clipped work, never a
// crash or an allocation the values ask for.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <utility>

#include "qod/text/text.h"

using namespace qod::text;

namespace {

struct Tela : PixelSink {
  int w, h;
  std::vector<uint8_t> g;
  Tela(int w_, int h_) : w(w_), h(h_), g(static_cast<size_t>(w_) * h_, 255) {}
  int Width() const override { return w; }
  int Height() const override { return h; }
  void Paint(int x, int y, int n, const uint8_t* cov, Rgb c) override {
    ASSERT_TRUE(x >= 0 && x + n <= w && y >= 0 && y < h);
    for (int i = 0; i < n; ++i)
      if (cov[i] >= 128) g[static_cast<size_t>(y) * w + x + i] = c.r;
  }
  uint8_t at(int x, int y) const { return g[static_cast<size_t>(y) * w + x]; }
};

std::unique_ptr<Font> Crea(const char* face, int32_t height) {
  LogFont lf;
  lf.face_name = face;
  lf.height = height;
  return Font::Create(lf);
}

}  // namespace

TEST(TextRobust, HugeAndFarTextIsClippedNotAllocated) {
  // A 16384-pixel em is the largest size; beyond it the font fails.
  LogFont lf;
  lf.face_name = "Arial";
  lf.height = -16385;
  std::string err;
  EXPECT_FALSE(Font::Create(lf, &err));
  EXPECT_FALSE(err.empty());
  lf.height = INT32_MIN;
  EXPECT_FALSE(Font::Create(lf));
  lf.height = INT32_MAX;
  EXPECT_FALSE(Font::Create(lf));
  lf.height = -20;
  lf.width = INT32_MIN;
  EXPECT_FALSE(Font::Create(lf));

  auto f = Crea("Arial", -16384);
  ASSERT_TRUE(f);
  const std::string lunga(200, 'W');
  auto t0 = std::chrono::steady_clock::now();
  // Unclipped, the planes would be far past the cap: a failure, not a crash.
  err.clear();
  EXPECT_FALSE(f->Render(lunga, Rendering::kMono, std::nullopt, &err));
  EXPECT_FALSE(err.empty());
  // Clipped to a small target, only the visible part is made.
  Tela t(64, 64);
  EXPECT_TRUE(TextOut(*f, t, -1000, -1000, lunga, {0, 0, 0}, {255, 255, 255}, BkMode::kOpaque, Rendering::kMono));
  auto img = f->Render(lunga, Rendering::kGrey, Rect{100, 100, 164, 164});
  ASSERT_TRUE(img);
  EXPECT_LE(img->ink.width, 64);
  EXPECT_LE(img->ink.height, 64);
  // A target far from the text, and a reference point at the end of the range.
  Tela t2(32, 32);
  EXPECT_TRUE(TextOut(*f, t2, INT32_MAX, INT32_MIN, lunga, {0, 0, 0}, {255, 255, 255}, BkMode::kOpaque,
                      Rendering::kMono));
  EXPECT_EQ(t2.at(5, 5), 255);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
}

TEST(TextRobust, AnyBytesInAnySetAndOddFontValues) {
  std::string tutti;
  for (int b = 0; b < 256; ++b) tutti.push_back(static_cast<char>(b));
  const std::string spezzati = "\x82\xA0\x82\xFF\x81\x00\xFE\xFE\xFE";  // broken double-byte runs
  const uint8_t sets[] = {0, 1, 2, 77, 128, 129, 130, 134, 136, 161, 162, 163, 177, 178, 186, 204, 222, 238, 255, 3, 100};
  for (uint8_t cs : sets) {
    LogFont lf;
    lf.face_name = "Arial";
    lf.height = -12;
    lf.charset = cs;
    auto f = Font::Create(lf);
    ASSERT_TRUE(f) << int(cs);
    for (const std::string* s : {&std::as_const(tutti), &spezzati}) {
      EXPECT_GE(f->Extent(*s).cx, 0);
      Tela t(300, 40);
      EXPECT_TRUE(TextOut(*f, t, 2, 2, *s, {0, 0, 0}, {255, 255, 255}, BkMode::kOpaque, Rendering::kGrey)) << int(cs);
    }
  }
  struct {
    const char* face;
    int32_t height, width, esc, weight;
  } casi[] = {
      {"", -20, 0, 0, 400},
      {"\xE0\xE8 nessun font \x80", 20, 0, 0, 400},
      {"Arial", -20, 0, INT32_MIN, 400},
      {"Arial", -20, 0, INT32_MAX, 400},
      {"Arial", -20, 0, 900, -5},
      {"Arial", -20, 0, 900, 100000},
      {"Arial", 1, 1, 0, 400},
      {"Arial", -1, 0, 123, 400},
  };
  for (auto& c : casi) {
    LogFont lf;
    lf.face_name = c.face;
    lf.height = c.height;
    lf.width = c.width;
    lf.escapement = c.esc;
    lf.weight = c.weight;
    lf.italic = lf.underline = lf.strike_out = true;
    auto f = Font::Create(lf);
    ASSERT_TRUE(f) << c.face << " " << c.height;
    Tela t(100, 100);
    EXPECT_TRUE(TextOut(*f, t, 50, 50, "Prova", {0, 0, 0}, {9, 9, 9}, BkMode::kOpaque, Rendering::kMono));
  }
}
