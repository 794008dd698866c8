// The picture bench/reference_picture.py draws with numpy and matplotlib, made by Torvane's
// renderer from its fields: Draw It (compiling, the grid, the image curves and the locus of
// the default real map at p = q = 1; a renderer paints no panel bitmaps) and the PNG of both
// panels at 460 pixels each, written to a file. Compare its median with the script's, run
// right after it. The window's Draw It, which also paints both bitmaps, is timed beside it.
#ifdef TORVANE_HAS_SCENE

#include <benchmark/benchmark.h>

#include <QDir>

#include <optional>
#include <string>

#include "bench/BenchApplication.h"
#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"

namespace {

void FieldsToPng(benchmark::State& State, bool PaintsBitmaps) {
    EnsureApplication();
    static TorvaneScene* T = new TorvaneScene;  // lives as long as the application
    T->PaintsBitmaps = PaintsBitmaps;
    T->Text(EditField::pValue) = "1";
    T->Text(EditField::qValue) = "1";
    const std::string Path = QDir::tempPath().toStdString() + "/torvane-reference.png";
    for (auto _ : State) {
        // As the renderer makes a picture: its curves painted while the locus is traced.
        PictureExporter Exporter;
        {
            std::optional<PaintingAhead> Ahead;
            if (!PaintsBitmaps) Ahead.emplace(*T, Exporter, Path, PicturePanels::Both, 460);
            T->ReadAndDraw(true);
        }
        std::string Failure = Exporter.Export(*T, Path, PicturePanels::Both, 460);
        if (!Failure.empty()) State.SkipWithError(Failure.c_str());
    }
}

}  // namespace

BENCHMARK_CAPTURE(FieldsToPng, renderer, false)
    ->Name("ReferencePicture/torvane")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FieldsToPng, window, true)
    ->Name("ReferencePicture/torvane-window")
    ->Unit(benchmark::kMillisecond);

#endif
