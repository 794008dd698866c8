// The picture bench/reference_picture.py draws with numpy and matplotlib, made by Torvane from
// its fields: Draw It (compiling, the grid, the image curves and the locus of the default
// real map at p = q = 1, both panel bitmaps) and the PNG of both panels at 460 pixels each,
// written to a file. Compare its median with the script's, run right after it.
#ifdef TORVANE_HAS_SCENE

#include <benchmark/benchmark.h>

#include <QDir>

#include <string>

#include "bench/BenchApplication.h"
#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"

namespace {

void FieldsToPng(benchmark::State& State) {
    EnsureApplication();
    static TorvaneScene* T = new TorvaneScene;  // lives as long as the application
    T->Text(EditField::pValue) = "1";
    T->Text(EditField::qValue) = "1";
    const std::string Path = QDir::tempPath().toStdString() + "/torvane-reference.png";
    for (auto _ : State) {
        T->ReadAndDraw(true);
        std::string Failure = ExportPicture(*T, Path, PicturePanels::Both, 460);
        if (!Failure.empty()) State.SkipWithError(Failure.c_str());
    }
}

}  // namespace

BENCHMARK(FieldsToPng)->Name("ReferencePicture/torvane")->Unit(benchmark::kMillisecond);

#endif
