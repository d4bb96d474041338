// One screen of the graphics window painted at zoom 2 over a 32 MiB ROM, as each
// scrolling step repaints it: the tiles decoded, coloured, scaled and gridded.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <random>

#include "ui/GraphicsForm.h"
#include "workspace/Rom.h"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_graphics_view";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

void BM_PaintGraphicsScreen(benchmark::State& state) {
  App();
  NullHost host;
  Workspace ws(host);
  ws.RomImage.resize(size_t{32} << 20);
  std::mt19937 rng(25);
  for (char& c : ws.RomImage) c = static_cast<char>(rng());
  DiscardRomWork(ws);
  ws.RomLoaded = true;
  GraphicsForm form(ws);
  form.resize(1024, 768);
  form.findChild<QSpinBox*>("fldZoom")->setValue(static_cast<int>(state.range(0)));
  form.findChild<QCheckBox*>("chkGrid")->setChecked(state.range(1) != 0);
  form.show();
  QWidget* canvas = form.findChild<QWidget*>("TileView");
  QImage screen(canvas->size(), QImage::Format_RGB32);
  int step = 0;
  for (auto _ : state) {
    state.PauseTiming();
    form.scrollBy(ScrollStep::Page, ++step % 2 ? 1 : 50);  // somewhere new every time
    state.ResumeTiming();
    canvas->render(&screen);
    benchmark::DoNotOptimize(screen.constBits());
  }
  state.counters["canvas_w"] = canvas->width();
  state.counters["canvas_h"] = canvas->height();
}
BENCHMARK(BM_PaintGraphicsScreen)->Args({2, 0})->Args({2, 1})->Unit(benchmark::kMillisecond);

}  // namespace
