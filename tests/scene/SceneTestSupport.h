// Helpers of the scene tests: pixel colours as window colours, counting colours in a surface,
// mouse states, and dumping surfaces to PNG files for a look (TORVANE_DUMP=folder).
#pragma once

#include <QColor>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "scene/PanelRendering.h"
#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"

namespace scene_test {

inline uint32_t PixelColour(const QImage& I, int X, int Y) {
    QRgb C = I.pixel(X, Y);
    return static_cast<uint32_t>(qRed(C)) | static_cast<uint32_t>(qGreen(C)) << 8 |
           static_cast<uint32_t>(qBlue(C)) << 16;
}

inline int CountColour(const QImage& I, uint32_t Colour) {
    int N = 0;
    for (int Y = 0; Y < I.height(); ++Y)
        for (int X = 0; X < I.width(); ++X)
            if (PixelColour(I, X, Y) == Colour) ++N;
    return N;
}

// Pixels that differ between two surfaces of the same size.
inline int Differences(const QImage& A, const QImage& B) {
    int N = 0;
    for (int Y = 0; Y < A.height(); ++Y)
        for (int X = 0; X < A.width(); ++X)
            if (A.pixel(X, Y) != B.pixel(X, Y)) ++N;
    return N;
}

inline ShiftState Plain() { return {}; }
inline ShiftState WithCtrl() { return {false, true, false, false, false}; }
inline ShiftState WithShift() { return {true, false, false, false, false}; }
inline ShiftState LeftHeld() { return {false, false, true, false, false}; }
inline ShiftState RightHeld() { return {false, false, false, true, false}; }

// A drawn default map with p = q = 1, marked unmodified.
inline bool DrawDefault(TorvaneScene& T) {
    T.Text(EditField::pValue) = "1";
    T.Text(EditField::qValue) = "1";
    T.ReadAndDraw(true);
    T.S.Modified = false;
    return T.S.SceneReady;
}

// A picture of the scene exported into Folder as Name (its kind by its ending), read back
// as an image (PNG) or as its text (SVG); empty when the export fails.
inline QImage ExportedImage(TorvaneScene& T, const QTemporaryDir& Folder, const char* Name,
                            PicturePanels Panels, int Size) {
    const std::string Path = Folder.filePath(QString::fromLatin1(Name)).toStdString();
    if (ExportPicture(T, Path, Panels, Size) != "") return {};
    return QImage(QString::fromStdString(Path));
}
inline QByteArray ExportedText(TorvaneScene& T, const QTemporaryDir& Folder, const char* Name,
                               PicturePanels Panels, int Size) {
    const std::string Path = Folder.filePath(QString::fromLatin1(Name)).toStdString();
    if (ExportPicture(T, Path, Panels, Size) != "") return {};
    QFile F(QString::fromStdString(Path));
    return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}

inline void Dump(const TorvaneScene& T, const std::string& Name) {
    const char* Folder = std::getenv("TORVANE_DUMP");
    if (!Folder) return;
    std::string Base = std::string(Folder) + "/" + Name;
    T.DomainSurface.save(QString::fromStdString(Base + "-domain.png"));
    T.ImageSurface.save(QString::fromStdString(Base + "-image.png"));
    T.ParametersSurface.save(QString::fromStdString(Base + "-parameters.png"));
}

}  // namespace scene_test
