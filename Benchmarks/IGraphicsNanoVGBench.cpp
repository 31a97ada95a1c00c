// Frame time of the drawing backend on the offscreen OpenGL context (Mesa's
// llvmpipe here): the editor-sized scene of thirteen film-strip controls over
// the background, redrawn whole at draw scales 1 and 1.5, and a frame with
// one dirty knob. Each iteration waits for OpenGL to finish (glFinish), so
// the figure includes the rasterising. Reports the allocations per frame of
// the calling thread too (operator new alone, and with the driver's mallocs).
#include "GlHarness.h"
#include "StripScene.h"

#include "AllocationCounter.h"
#include "IGraphicsEditorDelegate.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

namespace
{

using namespace iplug_test;

class BenchDelegate : public iplug::igraphics::IGEditorDelegate
{
public:
  BenchDelegate() : IGEditorDelegate(0) {}
  void BeginParamGesture(int) override {}
  void EndParamGesture(int) override {}
};

struct Editor
{
  explicit Editor(float scale)
      : window(static_cast<int>(580 * scale), static_cast<int>(250 * scale)), g(dlg, 580, 250, scale)
  {
    g.OnViewInitialized(nullptr);
    g.DrawResize();
    ok = g.GetDrawContext() && BuildStripScene(g, KESTRINE_BENCH_IMG_DIR, &strips);
  }
  ~Editor()
  {
    g.RemoveAllControls();
    g.OnViewDestroyed();
  }
  TestWindowFramebuffer window;
  BenchDelegate dlg;
  NanoVGTestGraphics g;
  std::vector<StripControl*> strips;
  bool ok = false;
};

bool ContextReady(benchmark::State& state)
{
  std::string error;
  if (kvg_test::MakeTestGlContextCurrent(&error)) return true;
  state.SkipWithError(error.c_str());
  return false;
}

void Count(benchmark::State& state, const kestrine_test::AllocationCounter& counter)
{
  const double frames = static_cast<double>(state.iterations());
  state.counters["new/frame"] = static_cast<double>(counter.NewCount()) / frames;
  state.counters["alloc/frame"] = static_cast<double>(counter.Count()) / frames;
}

void BM_FullRedraw(benchmark::State& state)
{
  if (!ContextReady(state)) return;
  Editor e(static_cast<float>(state.range(0)) / 100.f);
  if (!e.ok) return state.SkipWithError("scene not built");
  e.g.MarkAllDirty();
  e.g.Tick();
  glFinish();
  kestrine_test::AllocationCounter counter;
  for (auto _ : state)
  {
    for (StripControl* s : e.strips) s->Step();
    e.g.MarkAllDirty();
    e.g.Tick();
    glFinish();
  }
  Count(state, counter);
}
BENCHMARK(BM_FullRedraw)->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OneDirtyKnob(benchmark::State& state)
{
  if (!ContextReady(state)) return;
  Editor e(static_cast<float>(state.range(0)) / 100.f);
  if (!e.ok) return state.SkipWithError("scene not built");
  e.g.MarkAllDirty();
  e.g.Tick();
  glFinish();
  kestrine_test::AllocationCounter counter;
  for (auto _ : state)
  {
    e.strips[0]->Step();
    e.g.Tick();
    glFinish();
  }
  Count(state, counter);
}
BENCHMARK(BM_OneDirtyKnob)->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
