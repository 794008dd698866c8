// Encoding the PNG of both panels of the default real map (p = q = 1, locus on, 460 pixels a
// panel) with Qt's own writer and with the fast encoder the export uses, side by side in one
// run; the counter kb is the file's size.
#ifdef TORVANE_HAS_SCENE

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImageWriter>

#include "bench/BenchApplication.h"
#include "scene/PictureExport.h"
#include "scene/PngEncoding.h"
#include "scene/TorvaneScene.h"

namespace {

const QImage& Panels() {
    static const QImage Picture = [] {
        EnsureApplication();
        static TorvaneScene* T = new TorvaneScene;  // lives as long as the application
        T->Text(EditField::pValue) = "1";
        T->Text(EditField::qValue) = "1";
        T->ReadAndDraw(true);
        QImage I(PictureSize(PicturePanels::Both, 460), QImage::Format_RGB32);
        I.fill(Qt::white);
        QPainter P(&I);
        P.setRenderHint(QPainter::Antialiasing, true);
        DrawPanels(*T, P, PicturePanels::Both, 460);
        return I;
    }();
    return Picture;
}

void QtWriter(benchmark::State& State) {
    const QImage& I = Panels();
    qsizetype Size = 0;
    for (auto _ : State) {
        QBuffer B;
        B.open(QIODevice::WriteOnly);
        QImageWriter(&B, "png").write(I);
        Size = B.data().size();
    }
    State.counters["kb"] = static_cast<double>(Size) / 1024;
}

void FastEncoder(benchmark::State& State) {
    const QImage& I = Panels();
    qsizetype Size = 0;
    for (auto _ : State) {
        std::string Error;
        Size = EncodePng(I, Error).size();
        if (!Error.empty()) State.SkipWithError(Error.c_str());
    }
    State.counters["kb"] = static_cast<double>(Size) / 1024;
}

}  // namespace

BENCHMARK(QtWriter)->Name("PngEncoding/both-panels/qt-writer")->Unit(benchmark::kMillisecond);
BENCHMARK(FastEncoder)->Name("PngEncoding/both-panels/fast")->Unit(benchmark::kMillisecond);

#endif
