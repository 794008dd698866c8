// Vector pictures get the panels' polylines with the points on straight runs merged: the same
// path in the same colours, through fewer points; raster painters get every point.
#include <gtest/gtest.h>

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <vector>

#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"
#include "tests/scene/SceneTestSupport.h"

namespace {

struct Polyline {
    QRgb Colour;
    std::vector<QPoint> Points;
};

// A paint engine that only notes the polylines drawn, posing as the kind of engine given.
class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(Type Kind) : Kind(Kind) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& State) override {
        if (State.state() & DirtyPen) Colour = State.pen().color().rgb();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPoint* Points, int Count, PolygonDrawMode Mode) override {
        if (Mode == PolylineMode) Lines.push_back({Colour, std::vector<QPoint>(Points, Points + Count)});
    }
    void drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode) override {
        if (Mode != PolylineMode) return;
        Polyline L{Colour, {}};
        for (int I = 0; I < Count; ++I) L.Points.push_back(Points[I].toPoint());
        Lines.push_back(L);
    }
    Type type() const override { return Kind; }

    std::vector<Polyline> Lines;

private:
    Type Kind;
    QRgb Colour = 0;
};

class RecordingDevice : public QPaintDevice {
public:
    explicit RecordingDevice(QPaintEngine::Type Kind) : Engine(Kind) {}
    QPaintEngine* paintEngine() const override { return &Engine; }
    std::vector<Polyline>& Lines() { return Engine.Lines; }

protected:
    int metric(PaintDeviceMetric M) const override {
        switch (M) {
            case PdmWidth:
            case PdmHeight:
                return 1000;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 96;
            case PdmDepth:
                return 32;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }

private:
    mutable RecordingEngine Engine;
};

std::vector<Polyline> Recorded(const TorvaneScene& T, QPaintEngine::Type Kind) {
    RecordingDevice Device(Kind);
    QPainter P(&Device);
    DrawPanels(T, P, PicturePanels::Both, 460);
    P.end();
    return Device.Lines();
}

// B lies on the segment from A to C, strictly after A.
bool OnSegment(QPoint A, QPoint B, QPoint C) {
    const long long X1 = B.x() - A.x(), Y1 = B.y() - A.y(), X2 = C.x() - A.x(), Y2 = C.y() - A.y();
    return X1 * Y2 == Y1 * X2 && X1 * X2 + Y1 * Y2 > 0 && X1 * X1 + Y1 * Y1 <= X2 * X2 + Y2 * Y2;
}

TEST(VectorPictures, StraightRunsAreMergedIntoTheSamePath) {
    TorvaneScene Plane, Sphere;
    ASSERT_TRUE(scene_test::DrawDefault(Plane)) << Plane.StatusText;
    ASSERT_TRUE(scene_test::DrawDefault(Sphere)) << Sphere.StatusText;
    Sphere.OnPreferences(TagStereographicImage);
    for (const TorvaneScene* T : {&Plane, &Sphere}) {
        const std::vector<Polyline> Every = Recorded(*T, QPaintEngine::Raster);
        size_t EveryPoint = 0, Kept = 0;
        for (QPaintEngine::Type Vector : {QPaintEngine::SVG, QPaintEngine::Pdf}) {
            const std::vector<Polyline> Merged = Recorded(*T, Vector);
            ASSERT_EQ(Merged.size(), Every.size());
            EveryPoint = Kept = 0;
            for (size_t L = 0; L < Every.size(); ++L) {
                const std::vector<QPoint>& All = Every[L].Points;
                const std::vector<QPoint>& Some = Merged[L].Points;
                EXPECT_EQ(Merged[L].Colour, Every[L].Colour);
                ASSERT_GE(Some.size(), 2u);
                EXPECT_EQ(Some.front(), All.front());
                EXPECT_EQ(Some.back(), All.back());
                // Walking both: every point left out lies on the kept segment that covers it.
                size_t K = 0;
                for (size_t I = 1; I < All.size(); ++I) {
                    if (K + 1 < Some.size() && All[I] == Some[K + 1]) {
                        ++K;
                        continue;
                    }
                    ASSERT_LT(K + 1, Some.size());
                    EXPECT_TRUE(OnSegment(Some[K], All[I], Some[K + 1])) << "line " << L << " point " << I;
                }
                EXPECT_EQ(K + 1, Some.size());
                EveryPoint += All.size();
                Kept += Some.size();
            }
        }
        EXPECT_LT(Kept, EveryPoint * 9 / 10);  // the domain's grid lines are straight
    }
}

}  // namespace
