// The frames of an animation as the renderer writes them: the default real map with its
// locus, p moving from 0.5 to 1.5 at q = 1, 60 frames of both panels at 460 pixels each,
// each computed from the compiled map and written as a numbered PNG file (a temporary
// folder), or as one lossless animated WebP file; and the same frames computed only, without
// pictures.
#if defined(TORVANE_HAS_SCENE) && defined(TORVANE_HAS_RENDER)

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "bench/BenchApplication.h"
#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"
#include "scene/RenderFrames.h"

namespace {

constexpr int Count = 60;

TorvaneScene& Scene() {
    static TorvaneScene* T = [] {
        EnsureApplication();
        auto* S = new TorvaneScene;  // lives as long as the application
        S->Text(EditField::pValue) = "0.5";
        S->Text(EditField::qValue) = "1";
        S->ReadAndDraw(false);
        return S;
    }();
    return *T;
}

std::vector<Point2> Path() {
    FramePath P;
    ReadFramePath(QStringLiteral("p=0.5..1.5"), P);
    return FrameParameters(P, {0.5, 1}, Count);
}

void PngFrames(benchmark::State& State) {
    TorvaneScene& T = Scene();
    QTemporaryDir Folder;
    const QString Pattern = Folder.filePath(QStringLiteral("frame-%03d.png"));
    const std::vector<Point2> V = Path();
    for (auto _ : State) {
        bool BadMap = false;
        std::string Failure = WriteFrames(T, V, Pattern, PicturePanels::Both, 460, BadMap);
        if (!Failure.empty()) State.SkipWithError(Failure.c_str());
    }
    State.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(Count) * static_cast<double>(State.iterations()),
                           benchmark::Counter::kIsRate);
}

void WebPFrames(benchmark::State& State) {
    TorvaneScene& T = Scene();
    QTemporaryDir Folder;
    const std::string Name = Folder.filePath(QStringLiteral("animation.webp")).toStdString();
    const std::vector<Point2> V = Path();
    for (auto _ : State) {
        bool BadMap = false;
        std::string Failure = WriteAnimation(T, V, Name, PicturePanels::Both, 460, 20, BadMap);
        if (!Failure.empty()) State.SkipWithError(Failure.c_str());
    }
    State.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(Count) * static_cast<double>(State.iterations()),
                           benchmark::Counter::kIsRate);
    State.counters["file_kB"] = static_cast<double>(QFileInfo(QString::fromStdString(Name)).size()) / 1000;
}

void ComputedFrames(benchmark::State& State) {
    TorvaneScene& T = Scene();
    const std::vector<Point2> V = Path();
    for (auto _ : State)
        for (const Point2& P : V)
            if (!T.ComputeFrame(P).empty()) State.SkipWithError("a frame was refused");
    State.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(Count) * static_cast<double>(State.iterations()),
                           benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(PngFrames)->Name("Frames/real/60-png")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WebPFrames)->Name("Frames/real/60-webp")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ComputedFrames)->Name("Frames/real/60-computed")->Unit(benchmark::kMillisecond)->UseRealTime();

#endif
