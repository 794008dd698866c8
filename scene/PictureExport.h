// Pictures of the panels in files: PNG, SVG or PDF by the file's extension, both panels side
// by side or one of them, drawn again at the chosen size by the panel drawing (vector lines in
// SVG and PDF), as the window's export and the command-line renderer make them.
#pragma once

#include <QByteArray>
#include <QPainter>

#include <string>

#include "scene/TorvaneScene.h"

enum class PictureFormat { Png, Svg, Pdf };
enum class PicturePanels { Domain, Image, Both };

// The format named by the file's extension (in any case); false for any other extension.
bool PictureFormatOf(const std::string& Path, PictureFormat& Format);

// The picture's size in pixels (points for PDF) for panels Size pixels square, in a picture
// with Ratio device pixels to a pixel.
QSize PictureSize(PicturePanels Which, int Size, double Ratio = 1);

// Draws the panels of a drawn scene, each a square of side Size, the domain on the left.
void DrawPanels(const TorvaneScene& T, QPainter& P, PicturePanels Which, int Size);

// The sides a panel may have: any vector picture up to MaxPictureSize, a PNG picture up to
// MaxPngSize, which keeps the raster of both panels under 300 MB of memory.
inline constexpr int MinPictureSize = 16, MaxPictureSize = 20000, MaxPngSize = 6000;

// Writes the picture; returns an error text, empty on success. The scene, its screen views
// included, is only read. A picture that cannot be written whole leaves whatever file had its
// name as it was.
std::string ExportPicture(const TorvaneScene& T, const std::string& Path, PicturePanels Which, int Size);

// Writes pictures one after another, as ExportPicture does, keeping the raster of the last
// PNG picture for the next one of the same size: the frames of an animation then cost their
// drawing and encoding, not fresh megabytes of memory each.
class PictureExporter {
public:
    // A PNG picture's device pixels to each of its Size pixels (1 to MaxDeviceScale): the
    // raster has Size times as many a side, drawn as a screen that fine draws the panels.
    // SVG and PDF pictures have no pixels and are not affected.
    static constexpr double MaxDeviceScale = 4;
    // A scale outside 1 to MaxDeviceScale (or NaN) is brought to the nearest end (NaN to 1).
    void SetDeviceScale(double Scale);
    double Scale() const { return DeviceScale; }

    std::string Export(const TorvaneScene& T, const std::string& Path, PicturePanels Which, int Size);
    // Paints a PNG picture's background and curves of a scene whose curves are computed and
    // whose locus may not be yet (see PaintingAhead); the next Export, of that scene with the
    // same panels and size, paints only the locus over them.
    void PaintCurves(const SceneState& S, PicturePanels Which, int Size);
    // The PNG picture's raster, painted as Export paints it but kept in memory (the frames of
    // an animation): valid until the next call; null with Why when it cannot be painted.
    const QImage* Raster(const TorvaneScene& T, PicturePanels Which, int Size, std::string& Why);

private:
    double DeviceScale = 1;
    int RasterSide(int Size) const;
    std::string PaintPicture(const TorvaneScene& T, PicturePanels Which, int Size, bool Ahead);
    QImage Canvas;
    bool CurvesPainted = false;
    PicturePanels PaintedPanels = PicturePanels::Both;
    const SceneState* PaintedScene = nullptr;
};

// While it lives, the scene computes everything (Draw It, a frame) with the exporter painting
// the PNG picture's curves as soon as they are computed, on a core the locus leaves free; the
// next export of the picture then paints only the locus. Nothing is painted ahead for other
// formats or sizes a PNG picture may not have.
class PaintingAhead {
public:
    PaintingAhead(TorvaneScene& T, PictureExporter& E, const std::string& Path, PicturePanels Which,
                  int Size);
    ~PaintingAhead();
    PaintingAhead(const PaintingAhead&) = delete;
    PaintingAhead& operator=(const PaintingAhead&) = delete;

private:
    TorvaneScene& Scene;
};

// Writes a file whole or not at all: the bytes go to a temporary file beside Path, which takes
// the name only when every byte reached it (a device under the name is written directly).
// Returns the cause of a failure, empty on success.
std::string WriteWholeFile(const QString& Path, const QByteArray& Bytes);
