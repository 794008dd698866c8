// Panel drawing on a painter: polylines of projected points, batched so that a run of drawn
// segments becomes one polyline call.
#include "scene/PanelRendering.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#include "curves/GridCurves.h"
#include "curves/PhasePortrait.h"
#include "curves/PreimageShading.h"
#include "formula/x87/FloatingPointState.h"

QColor WindowColour(uint32_t BBGGRR) {
    return QColor(static_cast<int>(BBGGRR & 0xFF), static_cast<int>((BBGGRR >> 8) & 0xFF),
                  static_cast<int>((BBGGRR >> 16) & 0xFF));
}

QRect ToQRect(PixelRect R) { return QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }

namespace {

// Whether C goes on from B exactly in the direction from A to B.
bool ContinuesStraight(QPoint A, QPoint B, QPoint C) {
    const long long DX1 = B.x() - A.x(), DY1 = B.y() - A.y(), DX2 = C.x() - B.x(), DY2 = C.y() - B.y();
    return DX1 * DY2 == DY1 * DX2 && DX1 * DX2 + DY1 * DY2 > 0;
}

// Vector pictures (SVG, PDF and printing) keep every point as text or numbers in the file,
// where the raster engines only rasterise.
bool IsVectorPicture(const QPainter& Canvas) {
    const QPaintEngine* Engine = Canvas.paintEngine();
    return Engine && (Engine->type() == QPaintEngine::SVG || Engine->type() == QPaintEngine::Pdf);
}

// MoveTo / LineTo over a painter, flushed as polylines. In a vector picture, a point on the
// straight continuation of the segment before it replaces that segment's end: the stroke is the
// same (a straight join adds nothing to it), and the file and its writing shorter. The raster
// engines get every point, as their pixels depend on where segments end.
class Pen {
public:
    explicit Pen(QPainter& Canvas) : C(Canvas), MergeStraightRuns(IsVectorPicture(Canvas)) {}
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
        const size_t N = Points.size();
        if (MergeStraightRuns && N >= 2 && ContinuesStraight(Points[N - 2], Points[N - 1], Q))
            Points.back() = Q;
        else
            Points.push_back(Q);
        Last = Q;
    }
    void Flush() {
        if (Points.size() >= 2) {
            // The painting engine's AVX blending of the last polyline leaves the upper halves
            // of the vector registers in use, and its stroker, built for SSE, would run the next
            // one at a fraction of its speed on some processors.
            ClearUpperVectorHalves();
            C.drawPolyline(Points.data(), static_cast<int>(Points.size()));
        }
        if (!Points.empty()) Last = Points.back();
        Points.clear();
    }

private:
    QPainter& C;
    const bool MergeStraightRuns;
    std::vector<QPoint> Points;
    QPoint Last;
    uint32_t Current = 0;
};

QPoint Pixel(Point2 Q) { return QPoint(RoundPixel(Q.X), RoundPixel(Q.Y)); }

// One family of lines in one pass. Rear pass: a segment is drawn when either end is behind
// the sphere; front pass: when both ends are in front. Breaks: a point flagged 1 is always
// moved to (only for image lines, where the sampling breaks curves).
// A computation asked to stop ends its drawing at the next line: a line of the most
// oscillating maps crosses the panel thousands of times.
void DrawFamily(const SceneState& S, const Curve3* Lines, const PanelProjection& Project,
                bool RearPass, bool HonourBreaks, Pen& P) {
    for (int I = 0; I <= 20 && !StopRequested(S); ++I) {
        const Curve3& L = Lines[I];
        if (L.LastIndex < 0) continue;
        bool PreviousRear = false;
        P.MoveTo(Pixel(Project.ToPanel(L.Points[0].P, PreviousRear)));
        for (int32_t J = 1; J <= L.LastIndex; ++J) {
            const CurvePoint& C = L.Points[static_cast<size_t>(J)];
            bool Rear = false;
            QPoint Q = Pixel(Project.ToPanel(C.P, Rear));
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

void DrawGrid(const SceneState& S, const Curve3* HLines, const Curve3* VLines,
              const PanelProjection& Project, bool HonourBreaks, QPainter& Canvas) {
    // Smoothing is the caller's choice: off on the screen bitmaps, where overlays must erase
    // themselves exactly, on for exported pictures.
    Canvas.save();
    {
        Pen P(Canvas);
        const int Width = Project.GridWidth;
        if (Project.Sphere) {
            P.Select(RearLineColour, Width);
            DrawFamily(S, HLines, Project, true, HonourBreaks, P);
            DrawFamily(S, VLines, Project, true, HonourBreaks, P);
        }
        P.Select(HLineColour, Width);
        DrawFamily(S, HLines, Project, false, HonourBreaks, P);
        P.Select(VLineColour, Width);
        DrawFamily(S, VLines, Project, false, HonourBreaks, P);
    }
    if (Project.Sphere) DrawOutline(Canvas, Project.SphereV);
    Canvas.restore();
}

// The locus nodes as Project places the position Position picks; nodes that fail Visible
// are skipped without drawing.
template <class PositionOf, class VisibleTest>
void DrawLocus(const Curve33& L, const PanelProjection& Project, PositionOf Position,
               VisibleTest Visible, QPainter& Canvas) {
    if (L.LastIndex < 0) return;
    const int Width = Project.LocusWidth;
    Canvas.save();
    {
        Pen P(Canvas);
        P.Select(LocusColour, Width);
        bool PreviousRear = false;
        Point2 Q = Project.ToPanel(Position(L.Nodes[0]), PreviousRear);
        bool PreviousVisible = Visible(Q);
        if (PreviousVisible) P.MoveTo(Pixel(Q));
        for (int32_t I = 1; I <= L.LastIndex; ++I) {
            const LocusNode& N = L.Nodes[static_cast<size_t>(I)];
            bool Rear = false;
            Q = Project.ToPanel(Position(N), Rear);
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

// The marks of the singular points: a filled triangle for a cusp, a ring for a singular
// point of the locus, a filled dot for a critical point (or value), with its order beside it
// from 2 on. Marks grow with the locus pen, so a page or an export shows them alike.
template <class PositionOf, class VisibleTest>
void DrawPointMarks(const std::vector<SingularPoint>& Points, const PanelProjection& Project,
                    PositionOf Position, VisibleTest Visible, QPainter& Canvas) {
    if (Points.empty()) return;
    const int Width = Project.LocusWidth;
    const double R = 3.0 * Project.PixelRatio + 1.5 * Width;
    Canvas.save();
    for (const SingularPoint& Q : Points) {
        bool Rear = false;
        const Point2 C = Project.ToPanel(Position(Q), Rear);
        if (!Visible(C)) continue;
        const QColor Colour = WindowColour(Rear ? RearLocusColour : LocusColour);
        const QPointF At(std::round(C.X), std::round(C.Y));
        switch (Q.Kind) {
            case SingularPointKind::Cusp: {
                Canvas.setPen(Qt::NoPen);
                Canvas.setBrush(Colour);
                const QPointF Corners[] = {At + QPointF(0, -1.2 * R), At + QPointF(R, 0.8 * R),
                                           At + QPointF(-R, 0.8 * R)};
                Canvas.drawPolygon(Corners, 3);
                break;
            }
            case SingularPointKind::LocusSingular: {
                QPen P(Colour);
                P.setWidth(std::max(1, Width / 2));
                Canvas.setPen(P);
                Canvas.setBrush(Qt::NoBrush);
                Canvas.drawEllipse(At, R, R);
                break;
            }
            case SingularPointKind::Critical: {
                Canvas.setPen(Qt::NoPen);
                Canvas.setBrush(Colour);
                Canvas.drawEllipse(At, 0.8 * R, 0.8 * R);
                if (Q.Order >= 2) {
                    QFont F = Canvas.font();
                    F.setPixelSize(static_cast<int>(std::lround(3 * R)));
                    Canvas.setFont(F);
                    Canvas.setPen(Colour);
                    Canvas.drawText(At + QPointF(1.2 * R, -0.6 * R), QString::number(Q.Order));
                }
                break;
            }
        }
    }
    Canvas.restore();
}

const std::atomic<bool>* StopOf(const SceneState& S) {
    return S.Control ? &S.Control->Stop : nullptr;
}

// One light tint per number of preimages from 1 on, the last one for every larger number:
// light enough that the grid's lines stay clear over any of them, and far enough apart in hue
// that neighbouring counts read apart.
constexpr QRgb PreimageTints[] = {0xFFFFF2B3, 0xFFCDEFC4, 0xFFC9DDF7, 0xFFF7CFE0,
                                  0xFFE0D4F5, 0xFFFADDC3, 0xFFC6EDEB, 0xFFDDDDDD};
constexpr int TintCount = static_cast<int>(std::size(PreimageTints));

// Paints the counts of the panel's pixels (none stays white) and returns the largest, or -1
// when there is no shading.
int DrawPreimageShading(const SceneState& S, const PanelProjection& Project, QPainter& Canvas) {
    if (!S.ShadePreimages || S.Preimages.Empty()) return -1;
    PreimageCounts Counts;
    const int Step = CountPanelPreimages(S, Project, Counts, StopOf(S));
    if (Step == 0) return -1;
    QImage Shade(Counts.Width, Counts.Height, QImage::Format_ARGB32_Premultiplied);
    if (Shade.isNull()) return -1;
    int Largest = 0;
    for (int J = 0; J < Counts.Height; ++J) {
        QRgb* Line = reinterpret_cast<QRgb*>(Shade.scanLine(J));
        for (int I = 0; I < Counts.Width; ++I) {
            const int N = Counts.At(I, J);
            Largest = std::max(Largest, N);
            Line[I] = N == 0 ? 0 : PreimageTints[std::min(N, TintCount) - 1];
        }
    }
    const PixelRect R = Project.Rect;
    Canvas.save();
    Canvas.setRenderHint(QPainter::LosslessImageRendering);  // no JPEG in a PDF file
    if (Step == 1)
        Canvas.drawImage(QPoint(R.Left, R.Top), Shade);
    else
        Canvas.drawImage(QRectF(R.Left, R.Top, Counts.Width * Step, Counts.Height * Step), Shade);
    Canvas.restore();
    return Largest;
}

// The key to the tints in the drawing's lower left corner (outside the sphere's disc): a
// swatch and its number for each count from 0 to the largest shown, the last tint's number
// with a plus where larger counts share it.
void DrawPreimageLegend(const PanelProjection& Project, int Largest, QPainter& Canvas) {
    const QRect Area = ToQRect(Project.DrawingRect());
    const int Box = std::clamp(Area.height() / 42, 8, 48);
    Canvas.save();
    QFont F = Canvas.font();
    F.setPixelSize(Box);
    Canvas.setFont(F);
    const QFontMetricsF Metrics(F);
    const int Last = std::min(Largest, TintCount);
    std::vector<QString> Labels;
    for (int N = 0; N <= Last; ++N)
        Labels.push_back(N == TintCount && Largest > TintCount ? QStringLiteral("%1+").arg(N)
                                                               : QString::number(N));
    const double Gap = Box / 3.0;
    double Width = Gap;
    for (const QString& L : Labels) Width += Box + Gap + Metrics.horizontalAdvance(L) + Gap;
    const QRectF Back(Area.left() + Gap, Area.bottom() + 1 - 2 * Gap - Box - Gap, Width, Box + 2 * Gap);
    Canvas.setPen(QPen(WindowColour(OutlineColour), 1));
    Canvas.setBrush(WindowColour(DrawingColour));
    Canvas.drawRect(Back);
    double X = Back.left() + Gap;
    const double Y = Back.top() + Gap;
    for (int N = 0; N <= Last; ++N) {
        Canvas.setBrush(N == 0 ? QColor(WindowColour(DrawingColour))
                               : QColor::fromRgba(PreimageTints[N - 1]));
        Canvas.drawRect(QRectF(X, Y, Box, Box));
        X += Box + Gap;
        const QString& L = Labels[static_cast<size_t>(N)];
        Canvas.drawText(QRectF(X, Y, Metrics.horizontalAdvance(L) + 1, Box),
                        Qt::AlignLeft | Qt::AlignVCenter, L);
        X += Metrics.horizontalAdvance(L) + Gap;
    }
    Canvas.restore();
}

// Paints a portrait's colours over its rectangle (its transparent pixels leave the panel as
// it was); blocks of pixels are scaled up without smoothing, each keeping its one colour.
void DrawPortrait(const PortraitRaster& R, QPainter& Canvas) {
    if (R.Empty()) return;
    // Every colour is opaque or wholly transparent (0), so the colours are premultiplied as
    // they stand, and the painter blends them without converting.
    const QImage Colours(reinterpret_cast<const uchar*>(R.Pixels.data()), R.Width, R.Height,
                         R.Width * static_cast<qsizetype>(sizeof(uint32_t)),
                         QImage::Format_ARGB32_Premultiplied);
    const PixelRect Rect = R.Rect;
    Canvas.save();
    Canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // A PDF file would otherwise hold the colours as a JPEG picture, with its blur at edges.
    Canvas.setRenderHint(QPainter::LosslessImageRendering);
    if (R.Step == 1)
        Canvas.drawImage(QPoint(Rect.Left, Rect.Top), Colours);
    else
        Canvas.drawImage(QRectF(Rect.Left, Rect.Top, R.Width * R.Step, R.Height * R.Step), Colours);
    Canvas.restore();
}

// The values of a projection that decide the Image panel's portrait, which is the same
// picture for the same values: a drag of the parameters redraws the panel at every step
// with the same view.
std::vector<double> PortraitKey(const PanelProjection& P, Colouring C) {
    const PlaneView& V = P.View;
    const SphereView& Q = P.SphereV;
    std::vector<double> Key = {double(P.Rect.Left), double(P.Rect.Top), double(P.Rect.Right),
                               double(P.Rect.Bottom), double(P.Sphere), double(P.PortraitStep),
                               double(static_cast<int>(C))};
    if (P.Sphere) {
        Key.insert(Key.end(), {Q.Radius, Q.RadiusSqr, Q.Scale, Q.Centre.X, Q.Centre.Y,
                               double(Q.CentrePixel.X), double(Q.CentrePixel.Y)});
        for (const auto& Row : Q.Rotation) Key.insert(Key.end(), Row, Row + 3);
    } else {
        Key.insert(Key.end(), {V.ViewMin.X, V.ViewMin.Y, V.ViewMax.X, V.ViewMax.Y, V.UnitPerPixel.X,
                               V.UnitPerPixel.Y, double(V.ViewRect.Left), double(V.ViewRect.Top),
                               double(V.ViewRect.Right), double(V.ViewRect.Bottom)});
    }
    return Key;
}

// The Image panel's portrait for a projection: the last one made is kept (any thread may
// draw the panel, so it is kept under a lock and shared read-only).
std::shared_ptr<const PortraitRaster> ImagePortrait(const PanelProjection& Project, Colouring C,
                                                    const std::atomic<bool>* Stop) {
    static std::mutex Lock;
    static std::vector<double> LastKey;
    static std::shared_ptr<const PortraitRaster> Last;
    std::vector<double> Key = PortraitKey(Project, C);
    {
        std::lock_guard<std::mutex> Hold(Lock);
        if (Last && Key == LastKey) return Last;
    }
    auto Made = std::make_shared<PortraitRaster>();
    if (!ColourImagePortrait(Project, C, Project.PortraitStep, *Made, Stop)) return nullptr;
    std::lock_guard<std::mutex> Hold(Lock);
    LastKey = std::move(Key);
    Last = Made;
    return Made;
}

}  // namespace

void DrawDomainCurves(const SceneState& S, const PanelProjection& Project, QPainter& Canvas) {
    if (S.PortraitColouring != Colouring::None) {
        PortraitRaster R;
        if (ColourDomainPortrait(S, Project, S.PortraitColouring, Project.PortraitStep, R, StopOf(S)))
            DrawPortrait(R, Canvas);
    }
    DrawGrid(S, S.DomHLines, S.DomVLines, Project, false, Canvas);
}

void DrawImageCurves(const SceneState& S, const PanelProjection& Project, QPainter& Canvas) {
    // The shading by the number of preimages, when it is on, takes the portrait's place: it
    // is asked for on its own and has its key.
    const int Largest = DrawPreimageShading(S, Project, Canvas);
    if (Largest < 0 && S.PortraitColouring != Colouring::None)
        if (const auto R = ImagePortrait(Project, S.PortraitColouring, StopOf(S))) DrawPortrait(*R, Canvas);
    DrawGrid(S, S.ImgHLines, S.ImgVLines, Project, true, Canvas);
    if (Largest >= 0) DrawPreimageLegend(Project, Largest, Canvas);
}

void DrawSingularLocusDom(const SceneState& S, const PanelProjection& Project,
                          QPainter& Canvas) {
    auto Visible = [](Point2 Q) { return std::hypot(Q.X, Q.Y) < 10000; };
    DrawLocus(
        S.SingLocus, Project, [](const LocusNode& N) { return N.DomPos; }, Visible, Canvas);
    DrawPointMarks(
        S.SingPoints, Project, [](const SingularPoint& Q) { return Q.DomPos; }, Visible, Canvas);
}

void DrawSingularLocusImg(const SceneState& S, const PanelProjection& Project,
                          QPainter& Canvas) {
    auto Visible = [&S](Point2 Q) { return NotFarAwayImgPanel(S, Q.X, Q.Y); };
    DrawLocus(
        S.SingLocus, Project, [](const LocusNode& N) { return N.ImgPos; }, Visible, Canvas);
    DrawPointMarks(
        S.SingPoints, Project, [](const SingularPoint& Q) { return Q.ImgPos; }, Visible, Canvas);
}

void DrawDomainPanel(const SceneState& S, const PanelProjection& Project, QPainter& Canvas) {
    DrawDomainCurves(S, Project, Canvas);
    if (S.ShowSingLocus) DrawSingularLocusDom(S, Project, Canvas);
}

void DrawImagePanel(const SceneState& S, const PanelProjection& Project, QPainter& Canvas) {
    DrawImageCurves(S, Project, Canvas);
    if (S.ShowSingLocus) DrawSingularLocusImg(S, Project, Canvas);
}

void PreparePanel(QPainter& Canvas, const PanelProjection& Project) {
    Canvas.fillRect(ToQRect(Project.Rect), WindowColour(FormColour));
    Canvas.fillRect(ToQRect(Project.DrawingRect()), WindowColour(DrawingColour));
    Canvas.setClipRect(ToQRect(Project.DrawingRect()));
}

void DrawOctagon(QPainter& Canvas, PixelPoint C) {
    const int X = C.X, Y = C.Y;
    const QPoint Points[] = {{X - 4, Y + 1}, {X - 2, Y + 3}, {X + 1, Y + 3},
                             {X + 3, Y + 1}, {X + 3, Y - 2}, {X + 1, Y - 4},
                             {X - 2, Y - 4}, {X - 4, Y - 2}, {X - 4, Y + 1}};
    Canvas.drawPolyline(Points, 9);
}
