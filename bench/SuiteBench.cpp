// The speed suite: for four maps (the two defaults and two harder ones, all with the singular
// locus on), the cost of compiling the formulas, computing the image curves, tracing the locus,
// a whole redraw, one step of a parameter drag, reading a document, and rendering both panels
// to PNG and to SVG. Names read Suite/<map>/<task>.
#ifdef TORVANE_HAS_SCENE

#include <benchmark/benchmark.h>

#include <QDir>

#include <string>

#include "bench/BenchApplication.h"
#include "curves/GridCurves.h"
#include "curves/SingularLocus.h"
#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"

namespace {

struct SuiteMap {
    const char* Name;
    int Kind;
    const char* X;
    const char* Y;
    const char* P;
    const char* Q;
};

// Harder maps: a cubic with a wavy perturbation (many folds and cusps), and a complex map
// with two poles and an essential growth inside the domain.
const SuiteMap Maps[] = {
    {"real", 0, "p u^2 - v^3", "q v^2 - u^3", "1", "1"},
    {"complex", 1, "z(1-p) + p cos(z)", "", "0.5", "0.5"},
    {"wavy-cubic", 0, "u^3 - 3u v^2 + p sin(4v)", "3u^2 v - v^3 + q cos(4u)", "0.3", "0.3"},
    {"poles", 1, "sin(3z)/(z^2 - p)", "", "0.3", "0.2"},
};

TorvaneScene& Scene(int Index) {
    static TorvaneScene* Scenes[4] = {};
    if (!Scenes[Index]) {
        EnsureApplication();
        auto* T = new TorvaneScene;
        const SuiteMap& M = Maps[Index];
        if (M.Kind == 1) {
            T->OnFunctionType(1);
            T->OnGeometryMenu();  // the locus on for complex maps too
        }
        T->Text(EditField::F1Edit) = M.X;
        if (M.Kind == 0) T->Text(EditField::F2Edit) = M.Y;
        T->Text(EditField::pValue) = M.P;
        T->Text(EditField::qValue) = M.Q;
        T->ReadAndDraw(true);
        Scenes[Index] = T;
    }
    return *Scenes[Index];
}

std::string TempPath(const std::string& Name) {
    return (QDir::tempPath() + QStringLiteral("/torvane-bench-")).toStdString() + Name;
}

void Compile(benchmark::State& State, int I) {
    const SuiteMap& M = Maps[I];
    TOCFunctDDDoubleSafe X, Y;
    TOCComplexFunction W;
    std::string Error;
    for (auto _ : State) {
        if (M.Kind == 0) {
            X.Compile(M.X, "uv", "pq", Error);
            Y.Compile(M.Y, "uv", "pq", Error);
        } else {
            W.Compile(M.X, "pz");
        }
    }
}

void ImageCurves(benchmark::State& State, int I) {
    TorvaneScene& T = Scene(I);
    for (auto _ : State) ComputeImageCurves(T.S);
}

void Locus(benchmark::State& State, int I) {
    TorvaneScene& T = Scene(I);
    for (auto _ : State) ComputeSingularLocus(T.S, T.SingTracer);
    State.counters["nodes"] = T.S.SingLocus.LastIndex + 1;
}

void Redraw(benchmark::State& State, int I) {
    TorvaneScene& T = Scene(I);
    for (auto _ : State) T.ComputeAndDrawCurves();
}

void DragStep(benchmark::State& State, int I) {
    TorvaneScene& T = Scene(I);
    ShiftState Left;
    Left.Left = true;
    int Step = 0;
    for (auto _ : State) T.OnMouseMoveInParameters(Left, T.Spot.X + (Step++ % 2 ? -1 : 1), T.Spot.Y);
}

void DocumentRead(benchmark::State& State, int I) {
    TorvaneScene& T = Scene(I);
    std::string Path = TempPath(std::string(Maps[I].Name) + ".tvn");
    T.WriteToDisk(Path);
    MapDocument D;
    for (auto _ : State) benchmark::DoNotOptimize(LoadDocumentFile(Path, D));
}

void Render(benchmark::State& State, int I, const char* Extension) {
    TorvaneScene& T = Scene(I);
    std::string Path = TempPath(std::string(Maps[I].Name) + Extension);
    for (auto _ : State) {
        std::string Failure = ExportPicture(T, Path, PicturePanels::Both, 460);
        if (!Failure.empty()) State.SkipWithError(Failure.c_str());
    }
}

void Register() {
    for (int I = 0; I < 4; ++I) {
        std::string Base = std::string("Suite/") + Maps[I].Name + "/";
        auto Ms = benchmark::kMillisecond;
        benchmark::RegisterBenchmark((Base + "compile").c_str(), Compile, I)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((Base + "image-curves").c_str(), ImageCurves, I)->Unit(Ms);
        benchmark::RegisterBenchmark((Base + "locus").c_str(), Locus, I)->Unit(Ms);
        benchmark::RegisterBenchmark((Base + "redraw").c_str(), Redraw, I)->Unit(Ms);
        benchmark::RegisterBenchmark((Base + "drag-step").c_str(), DragStep, I)->Unit(Ms);
        benchmark::RegisterBenchmark((Base + "document-read").c_str(), DocumentRead, I)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((Base + "render-png").c_str(), Render, I, ".png")->Unit(Ms);
        benchmark::RegisterBenchmark((Base + "render-svg").c_str(), Render, I, ".svg")->Unit(Ms);
    }
}

const bool Registered = (Register(), true);

}  // namespace

#endif
