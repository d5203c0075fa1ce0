// One logical font made, one tag text drawn (black and white, grey, turned),
// one barcode generated; the baseline fills the same number of pixels as the
// text's cell, the least any drawing of it costs.
#include <benchmark/benchmark.h>

#include <cstring>

#include "qod/barcode/barcode.h"
#include "qod/text/text.h"

using namespace qod::text;

namespace {

struct Pagina : PixelSink {
  int w = 2480, h = 3508;
  std::vector<uint8_t> g = std::vector<uint8_t>(static_cast<size_t>(w) * h, 255);
  int Width() const override { return w; }
  int Height() const override { return h; }
  void Paint(int x, int y, int n, const uint8_t* cov, Rgb c) override {
    uint8_t* p = &g[static_cast<size_t>(y) * w + x];
    for (int i = 0; i < n; ++i) p[i] = static_cast<uint8_t>((p[i] * (255 - cov[i]) + c.r * cov[i]) / 255);
  }
};

const char* const kTesto = "FATTURA N. 000123 DEL 01/02/2026 - Spett.le Cliente";

LogFont Arial(int32_t esc = 0) {
  LogFont lf;
  lf.face_name = "Arial";
  lf.height = -24;
  lf.escapement = lf.orientation = esc;
  return lf;
}

void BM_Baseline_FillCell(benchmark::State& st) {
  Pagina p;
  auto f = Font::Create(Arial());
  Size e = f->Extent(kTesto);
  for (auto _ : st) {
    for (int y = 0; y < e.cy; ++y) std::memset(&p.g[static_cast<size_t>(100 + y) * p.w + 100], 0, static_cast<size_t>(e.cx));
    benchmark::DoNotOptimize(p.g.data());
  }
}
BENCHMARK(BM_Baseline_FillCell);

void BM_FontCreate(benchmark::State& st) {
  Font::Create(Arial());
  for (auto _ : st) benchmark::DoNotOptimize(Font::Create(Arial()));
}
BENCHMARK(BM_FontCreate);

void BM_TextOut(benchmark::State& st) {
  Pagina p;
  auto f = Font::Create(Arial(static_cast<int32_t>(st.range(1))));
  Rendering r = st.range(0) ? Rendering::kGrey : Rendering::kMono;
  for (auto _ : st) TextOut(*f, p, 1000, 1000, kTesto, {0, 0, 0}, {255, 255, 255}, BkMode::kOpaque, r);
}
BENCHMARK(BM_TextOut)->Args({0, 0})->Args({1, 0})->Args({0, 900})->Args({1, 450});

void BM_Barcode(benchmark::State& st) {
  qod::barcode::Barcode b;
  b.type = 1;
  b.text = "978020137962";
  b.show_text = st.range(0) != 0;
  b.font_size = 10 * 0.66666;
  for (auto _ : st) benchmark::DoNotOptimize(b.Generate(300, 100));
}
BENCHMARK(BM_Barcode)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
