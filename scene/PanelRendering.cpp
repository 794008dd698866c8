// Panel drawing on a painter: polylines of projected points, batched so that a run of drawn
// segments becomes one polyline call.
#include "scene/PanelRendering.h"

#include <QPen>

#include <cmath>
#include <vector>

#include "curves/GridCurves.h"

QColor WindowColour(uint32_t BBGGRR) {
    return QColor(static_cast<int>(BBGGRR & 0xFF), static_cast<int>((BBGGRR >> 8) & 0xFF),
                  static_cast<int>((BBGGRR >> 16) & 0xFF));
}

QRect ToQRect(PixelRect R) { return QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }

namespace {

// MoveTo / LineTo over a painter, flushed as polylines.
class Pen {
public:
    explicit Pen(QPainter& Canvas) : C(Canvas) {}
    ~Pen() { Flush(); }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;

    void Select(uint32_t Colour, int Width) {
        Flush();
        QPen P(WindowColour(Colour));
        // A one-pixel pen is drawn as a cosmetic pen: the same pixels by the quick line
        // rasteriser instead of the outline stroker.
        P.setWidth(Width <= 1 ? 0 : Width);
        P.setCapStyle(Qt::SquareCap);
        P.setJoinStyle(Qt::MiterJoin);
        C.setPen(P);
        Current = Colour;
    }
    uint32_t Colour() const { return Current; }
    void MoveTo(QPoint Q) {
        Flush();
        Points.push_back(Q);
    }
    void LineTo(QPoint Q) {
        if (Points.empty()) Points.push_back(Last);
        Points.push_back(Q);
        Last = Q;
    }
    void Flush() {
        if (Points.size() >= 2) C.drawPolyline(Points.data(), static_cast<int>(Points.size()));
        if (!Points.empty()) Last = Points.back();
        Points.clear();
    }

private:
    QPainter& C;
    std::vector<QPoint> Points;
    QPoint Last;
    uint32_t Current = 0;
};

QPoint Pixel(Point2 Q) { return QPoint(RoundPixel(Q.X), RoundPixel(Q.Y)); }

using Projection = Point2 (*)(const SceneState&, const Point3&, bool&);

// One family of lines in one pass. Rear pass: a segment is drawn when either end is behind
// the sphere; front pass: when both ends are in front. Breaks: a point flagged 1 is always
// moved to (only for image lines, where the sampling breaks curves).
void DrawFamily(const SceneState& S, const Curve3* Lines, Projection Project, bool RearPass,
                bool HonourBreaks, Pen& P) {
    for (int I = 0; I <= 20; ++I) {
        const Curve3& L = Lines[I];
        if (L.LastIndex < 0) continue;
        bool PreviousRear = false;
        P.MoveTo(Pixel(Project(S, L.Points[0].P, PreviousRear)));
        for (int32_t J = 1; J <= L.LastIndex; ++J) {
            const CurvePoint& C = L.Points[static_cast<size_t>(J)];
            bool Rear = false;
            QPoint Q = Pixel(Project(S, C.P, Rear));
            bool Draw = RearPass ? (Rear || PreviousRear) : (!Rear && !PreviousRear);
            if (HonourBreaks && C.Flag == 1) Draw = false;
            if (Draw)
                P.LineTo(Q);
            else
                P.MoveTo(Q);
            PreviousRear = Rear;
        }
        P.Flush();
    }
}

void DrawOutline(QPainter& Canvas, const SphereView& Sphere) {
    int R = RoundPixel(Sphere.Radius * Sphere.Scale);
    Canvas.setPen(QPen(WindowColour(OutlineColour), Canvas.pen().width()));
    Canvas.setBrush(Qt::NoBrush);
    Canvas.drawEllipse(QRect(Sphere.CentrePixel.X - R, Sphere.CentrePixel.Y - R, 2 * R, 2 * R));
}

void DrawGrid(SceneState& S, const Curve3* HLines, const Curve3* VLines, Projection Project,
              bool Sphere, const SphereView& View, int Width, bool HonourBreaks,
              QPainter& Canvas) {
    // Smoothing is the caller's choice: off on the screen bitmaps, where overlays must erase
    // themselves exactly, on for exported pictures.
    Canvas.save();
    {
        Pen P(Canvas);
        if (Sphere) {
            P.Select(RearLineColour, Width);
            DrawFamily(S, HLines, Project, true, HonourBreaks, P);
            DrawFamily(S, VLines, Project, true, HonourBreaks, P);
        }
        P.Select(HLineColour, Width);
        DrawFamily(S, HLines, Project, false, HonourBreaks, P);
        P.Select(VLineColour, Width);
        DrawFamily(S, VLines, Project, false, HonourBreaks, P);
    }
    if (Sphere) DrawOutline(Canvas, View);
    Canvas.restore();
}

// The locus nodes as they are projected by Project from the position Position picks; nodes
// that fail Visible are skipped without drawing.
template <class PositionOf, class VisibleTest>
void DrawLocus(const SceneState& S, Projection Project, PositionOf Position, VisibleTest Visible,
               int Width, QPainter& Canvas) {
    const Curve33& L = S.SingLocus;
    if (L.LastIndex < 0) return;
    Canvas.save();
    {
        Pen P(Canvas);
        P.Select(LocusColour, Width);
        bool PreviousRear = false;
        Point2 Q = Project(S, Position(L.Nodes[0]), PreviousRear);
        bool PreviousVisible = Visible(Q);
        if (PreviousVisible) P.MoveTo(Pixel(Q));
        for (int32_t I = 1; I <= L.LastIndex; ++I) {
            const LocusNode& N = L.Nodes[static_cast<size_t>(I)];
            bool Rear = false;
            Q = Project(S, Position(N), Rear);
            bool IsVisible = Visible(Q);
            if (IsVisible) {
                if (N.Flag == 1 || !PreviousVisible) {
                    P.MoveTo(Pixel(Q));
                } else {
                    uint32_t Colour = Rear || PreviousRear ? RearLocusColour : LocusColour;
                    if (Colour != P.Colour()) P.Select(Colour, Width);
                    P.LineTo(Pixel(Q));
                }
            }
            PreviousRear = Rear;
            PreviousVisible = IsVisible;
        }
    }
    Canvas.restore();
}

}  // namespace

void DrawDomainCurves(SceneState& S, PixelRect Rect, QPainter& Canvas) {
    FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, Rect, S.DomMin, S.DomMax,
                  S.PreserveRatio);
    int Width = (Rect.Right - Rect.Left) / 500 + 1;
    DrawGrid(S, S.DomHLines, S.DomVLines, S.Procedures.DomToPanel, S.StereoDomain, S.DomSphere,
             Width, false, Canvas);
}

void DrawImageCurves(SceneState& S, PixelRect Rect, QPainter& Canvas) {
    FitImageView(S.ImgView, S.ImgSphere, S.StereoImage, Rect, S.ImgMin, S.ImgMax,
                 S.PreserveRatio);
    int Width = (S.ImgRect.Right - S.ImgRect.Left) / 500 + 1;
    DrawGrid(S, S.ImgHLines, S.ImgVLines, S.Procedures.ImgToPanel, S.StereoImage, S.ImgSphere,
             Width, true, Canvas);
}

void DrawSingularLocusDom(SceneState& S, PixelRect Rect, QPainter& Canvas) {
    if (S.SingLocus.LastIndex < 0) return;
    FitDomainView(S.DomView, S.DomSphere, S.StereoDomain, Rect, S.DomMin, S.DomMax,
                  S.PreserveRatio);
    DrawLocus(
        S, S.Procedures.DomToPanel, [](const LocusNode& N) { return N.DomPos; },
        [](Point2 Q) { return std::hypot(Q.X, Q.Y) < 10000; },
        (Rect.Right - Rect.Left) / 500 + 2, Canvas);
}

void DrawSingularLocusImg(const SceneState& S, PixelRect Rect, QPainter& Canvas) {
    DrawLocus(
        S, S.Procedures.ImgToPanel, [](const LocusNode& N) { return N.ImgPos; },
        [&S](Point2 Q) { return NotFarAwayImgPanel(S, Q.X, Q.Y); },
        (Rect.Right - Rect.Left) / 500 + 2, Canvas);
}

void DrawOctagon(QPainter& Canvas, PixelPoint C) {
    const int X = C.X, Y = C.Y;
    const QPoint Points[] = {{X - 4, Y + 1}, {X - 2, Y + 3}, {X + 1, Y + 3},
                             {X + 3, Y + 1}, {X + 3, Y - 2}, {X + 1, Y - 4},
                             {X - 2, Y - 4}, {X - 4, Y - 2}, {X - 4, Y + 1}};
    Canvas.drawPolyline(Points, 9);
}
