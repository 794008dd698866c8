// Drawing the panels into PNG, SVG and PDF files.
#include "scene/PictureExport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <functional>

#include "common/TaskPool.h"
#include "formula/x87/FloatingPointState.h"
#include "scene/PanelRendering.h"
#include "scene/PngEncoding.h"

namespace {

// The gap between the panels; a picture with Ratio device pixels to a pixel has the gap of
// the smaller picture, times Ratio.
int Gap(int Size, double Ratio = 1) {
    if (Ratio == 1) return std::max(4, Size / 40);
    return static_cast<int>(std::lround(Gap(static_cast<int>(std::lround(Size / Ratio))) * Ratio));
}

}  // namespace

bool PictureFormatOf(const std::string& Path, PictureFormat& Format) {
    size_t Dot = Path.find_last_of('.');
    if (Dot == std::string::npos || Path.find('/', Dot) != std::string::npos) return false;
    std::string E = Path.substr(Dot + 1);
    for (char& C : E)
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
    if (E == "png") Format = PictureFormat::Png;
    else if (E == "svg") Format = PictureFormat::Svg;
    else if (E == "pdf") Format = PictureFormat::Pdf;
    else return false;
    return true;
}

QSize PictureSize(PicturePanels Which, int Size, double Ratio) {
    return Which == PicturePanels::Both ? QSize(2 * Size + Gap(Size, Ratio), Size) : QSize(Size, Size);
}

namespace {

// What of a panel a painting puts on the picture: the locus goes over curves painted before.
enum class Layer { Whole, Curves, Locus };

using PanelDrawing = void (*)(const SceneState&, const PanelProjection&, QPainter&);

void DrawPanelAt(const SceneState& S, QPainter& P, const PanelProjection& Project, Layer What,
                 PanelDrawing Curves, PanelDrawing Locus) {
    P.save();
    if (What == Layer::Locus)
        P.setClipRect(ToQRect(Project.DrawingRect()));
    else
        PreparePanel(P, Project);
    if (What != Layer::Locus) Curves(S, Project, P);
    if (What != Layer::Curves && S.ShowSingLocus) Locus(S, Project, P);
    P.restore();
}

// A picture with Ratio device pixels to a pixel of the panels' Size / Ratio pixels takes the
// line widths of that smaller picture.
int PlainSize(int Size, double Ratio) { return static_cast<int>(std::lround(Size / Ratio)); }

void DrawDomainAt(const SceneState& S, QPainter& P, int Size, Layer What, double Ratio) {
    PanelProjection Project = DomainProjection(S, {0, 0, Size, Size});
    if (Ratio != 1) {
        const int Plain = PlainSize(Size, Ratio);
        TakeLineWidths(Project, DomainProjection(S, {0, 0, Plain, Plain}), Ratio);
    }
    DrawPanelAt(S, P, Project, What, DrawDomainCurves, DrawSingularLocusDom);
}

void DrawImageAt(const SceneState& S, QPainter& P, int Left, int Size, Layer What, double Ratio) {
    PanelProjection Project = ImageProjection(S, {Left, 0, Left + Size, Size});
    if (Ratio != 1) {
        const int Plain = PlainSize(Size, Ratio);
        TakeLineWidths(Project, ImageProjection(S, {0, 0, Plain, Plain}), Ratio);
    }
    DrawPanelAt(S, P, Project, What, DrawImageCurves, DrawSingularLocusImg);
}

void DrawPanelsAt(const SceneState& S, QPainter& P, PicturePanels Which, int Size, Layer What,
                  double Ratio = 1) {
    int Left = 0;
    if (Which != PicturePanels::Image) {
        DrawDomainAt(S, P, Size, What, Ratio);
        Left = Size + Gap(Size, Ratio);
    }
    if (Which != PicturePanels::Domain) DrawImageAt(S, P, Left, Size, What, Ratio);
}

// Both panels of a raster at once, each on its own thread through an image of its own over
// its part of the pixels (a device is painted by one painter at a time). The image panel's
// painter is moved by the panel's whole-pixel offset, so every pixel is the one a single
// painter over the whole raster gives. One panel is painted on this thread.
void PaintRaster(const SceneState& S, QImage& Raster, PicturePanels Which, int Size, Layer What,
                 double Ratio) {
    if (Which != PicturePanels::Both) {
        QPainter P(&Raster);
        P.setRenderHint(QPainter::Antialiasing, true);
        DrawPanelsAt(S, P, Which, Size, What, Ratio);
        return;
    }
    const int Left = Size + Gap(Size, Ratio);
    uchar* Bits = Raster.bits();
    const qsizetype Stride = Raster.bytesPerLine();
    const int Depth = Raster.depth() / 8;
    QImage DomainPart(Bits, Size, Size, Stride, Raster.format());
    QImage ImagePart(Bits + static_cast<qsizetype>(Left) * Depth, Size, Size, Stride,
                     Raster.format());
    TaskPool& Pool = TaskPool::Shared();
    TaskGroup Domain;
    Pool.Run(Domain, [&S, &DomainPart, Size, What, Ratio] {
        QPainter P(&DomainPart);
        P.setRenderHint(QPainter::Antialiasing, true);
        DrawDomainAt(S, P, Size, What, Ratio);
    });
    {
        QPainter P(&ImagePart);
        P.setRenderHint(QPainter::Antialiasing, true);
        P.translate(-Left, 0);
        DrawImageAt(S, P, Left, Size, What, Ratio);
    }
    Pool.Wait(Domain);
}

// The raster for a PNG picture, made anew only for another size; false when there is no
// memory for it.
bool PrepareRaster(QImage& Raster, QSize Whole) {
    if (Raster.size() != Whole) {
        Raster = QImage();  // the old raster goes before the new one is made
        Raster = QImage(Whole, QImage::Format_RGB32);
    }
    return !Raster.isNull();
}

}  // namespace

void DrawPanels(const TorvaneScene& T, QPainter& P, PicturePanels Which, int Size) {
    DrawPanelsAt(T.S, P, Which, Size, Layer::Whole);
}

std::string WriteWholeFile(const QString& Path, const QByteArray& Bytes) {
    // One write of the whole, checked for its count: a write that stops short (a full disk, a
    // file size limit) returns fewer bytes without an error, and its loss would go unseen.
    auto WriteAll = [&Bytes](QFileDevice& F) {
        return F.write(Bytes) == Bytes.size() && F.flush() && F.error() == QFileDevice::NoError;
    };
    auto Cause = [](const QFileDevice& F) {
        return F.error() != QFileDevice::NoError ? F.errorString().toStdString()
                                                 : std::string("not every byte could be written");
    };
    // A device or a pipe under the name (perhaps behind a link) cannot be replaced by a renamed
    // file, and must not be: the save file would put a plain file in its place. It is written
    // directly, so a full device is reported.
    const QFileInfo Existing(Path);
    if (Existing.exists() && !Existing.isFile()) {
        QFile Direct(Path);
        if (!Direct.open(QIODevice::WriteOnly)) return Direct.errorString().toStdString();
        return WriteAll(Direct) ? "" : Cause(Direct);
    }
    QSaveFile F(Path);
    if (!F.open(QIODevice::WriteOnly)) return F.errorString().toStdString();
    if (!WriteAll(F)) return Cause(F);  // the temporary file goes with F
    if (!F.commit()) return Cause(F);
    return "";
}

std::string ExportPicture(const TorvaneScene& T, const std::string& Path, PicturePanels Which, int Size) {
    return PictureExporter().Export(T, Path, Which, Size);
}

void PictureExporter::SetDeviceScale(double Scale) {
    DeviceScale = std::isnan(Scale) ? 1 : std::clamp(Scale, 1.0, MaxDeviceScale);
}

int PictureExporter::RasterSide(int Size) const {
    return static_cast<int>(std::lround(Size * DeviceScale));
}

void PictureExporter::PaintCurves(const SceneState& S, PicturePanels Which, int Size) {
    CurvesPainted = false;
    if (!PrepareRaster(Canvas, PictureSize(Which, RasterSide(Size), DeviceScale))) return;
    Canvas.fill(WindowColour(DrawingColour));
    PaintRaster(S, Canvas, Which, RasterSide(Size), Layer::Curves, DeviceScale);
    ClearUpperVectorHalves();  // the locus may be computed on this thread next
    CurvesPainted = true;
    PaintedPanels = Which;
    PaintedScene = &S;
}

PaintingAhead::PaintingAhead(TorvaneScene& T, PictureExporter& E, const std::string& Path,
                             PicturePanels Which, int Size)
    : Scene(T) {
    PictureFormat Format;
    if (!PictureFormatOf(Path, Format) || Format != PictureFormat::Png || Size < MinPictureSize ||
        Size * E.Scale() > MaxPngSize)
        return;
    T.OnCurvesComputed = [&T, &E, Which, Size] { E.PaintCurves(T.S, Which, Size); };
}

PaintingAhead::~PaintingAhead() { Scene.OnCurvesComputed = nullptr; }

std::string PictureExporter::PaintPicture(const TorvaneScene& T, PicturePanels Which, int Size,
                                          bool Ahead) {
    QImage& I = Canvas;
    if (Ahead) {
        if (T.S.ShowSingLocus) PaintRaster(T.S, I, Which, RasterSide(Size), Layer::Locus, DeviceScale);
        return "";
    }
    if (!PrepareRaster(I, PictureSize(Which, RasterSide(Size), DeviceScale)))
        return "There is not enough memory for a picture of this size.";
    I.fill(WindowColour(DrawingColour));
    PaintRaster(T.S, I, Which, RasterSide(Size), Layer::Whole, DeviceScale);
    return "";
}

const QImage* PictureExporter::Raster(const TorvaneScene& T, PicturePanels Which, int Size,
                                      std::string& Why) {
    const bool Ahead = CurvesPainted && PaintedScene == &T.S && PaintedPanels == Which &&
                       Canvas.size() == PictureSize(Which, RasterSide(Size), DeviceScale);
    CurvesPainted = false;
    if (!T.S.SceneReady) Why = "There is no drawing to export.";
    else if (Size < MinPictureSize || RasterSide(Size) > MaxPngSize)
        Why = "A picture's panels may be from " + std::to_string(MinPictureSize) + " to " +
              std::to_string(MaxPngSize) + " pixels square.";
    else
        Why = PaintPicture(T, Which, Size, Ahead);
    return Why.empty() ? &Canvas : nullptr;
}

std::string PictureExporter::Export(const TorvaneScene& T, const std::string& Path,
                                    PicturePanels Which, int Size) {
    // Curves painted ahead serve this picture only.
    const bool Ahead = CurvesPainted && PaintedScene == &T.S && PaintedPanels == Which &&
                       Canvas.size() == PictureSize(Which, RasterSide(Size), DeviceScale);
    CurvesPainted = false;
    PictureFormat Format;
    if (!PictureFormatOf(Path, Format)) return "The picture's name must end in .png, .svg or .pdf.";
    if (!T.S.SceneReady) return "There is no drawing to export.";
    if (Size < MinPictureSize || Size > MaxPictureSize)
        return "The picture's size must lie between " + std::to_string(MinPictureSize) + " and " +
               std::to_string(MaxPictureSize) + ".";
    if (Format == PictureFormat::Png && RasterSide(Size) > MaxPngSize)
        return "A PNG picture's panels may be at most " + std::to_string(MaxPngSize) +
               " pixels square.";
    const QSize Whole = PictureSize(Which, Size);
    const QColor Background = WindowColour(DrawingColour);
    auto PaintVector = [&](QPaintDevice& Device) {
        QPainter P;
        if (!P.begin(&Device)) return false;
        P.fillRect(QRect(QPoint(0, 0), Whole), Background);
        DrawPanels(T, P, Which, Size);
        return P.end();
    };
    // The picture is made in memory first, and written only when it is whole.
    std::function<bool(QIODevice&)> Write;
    QImage& I = Canvas;
    switch (Format) {
        case PictureFormat::Png:
            if (std::string Why = PaintPicture(T, Which, Size, Ahead); !Why.empty()) return Why;
            Write = [&I](QIODevice& D) {
                std::string Why;
                const QByteArray Png = EncodePng(I, Why);
                return !Png.isEmpty() && D.write(Png) == Png.size();
            };
            break;
        case PictureFormat::Svg:
            Write = [&](QIODevice& D) {
                QSvgGenerator G;
                G.setOutputDevice(&D);
                G.setSize(Whole);
                G.setViewBox(QRect(QPoint(0, 0), Whole));
                G.setResolution(96);
                G.setTitle(QStringLiteral("Torvane"));
                return PaintVector(G);
            };
            break;
        case PictureFormat::Pdf:
            Write = [&](QIODevice& D) {
                QPdfWriter W(&D);
                // One unit of drawing is one point of the page.
                W.setResolution(72);
                W.setPageSize(QPageSize(QSizeF(Whole), QPageSize::Point));
                W.setPageMargins(QMarginsF(0, 0, 0, 0));
                return PaintVector(W);
            };
            break;
    }
    QBuffer Buffer;
    Buffer.open(QIODevice::WriteOnly);
    if (!Write(Buffer)) return "The picture for " + Path + " could not be made.";
    std::string Cause = WriteWholeFile(QString::fromStdString(Path), Buffer.data());
    if (!Cause.empty()) return "The picture could not be written to " + Path + ": " + Cause + ".";
    return "";
}
