// Reference pictures of both panels after Draw It and of an exported picture, compared pixel by
// pixel so that any change in what the drawing puts on screen or in a file shows up.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdlib>
#include <functional>
#include <string>

#include "SceneTestSupport.h"
#include "scene/PanelRendering.h"
#include "scene/PictureExport.h"

namespace {

using namespace scene_test;

// Smoothing may round an edge pixel differently in another build, so a channel may differ by
// this much. Beyond it no pixel may differ: a curve one pixel away changes hundreds of pixels.
constexpr int ChannelTolerance = 16;
constexpr int AllowedOutliers = 0;

bool Refreshing() {
    const char* Value = std::getenv("TORVANE_REFRESH_GOLDEN");
    return Value && std::string(Value) == "1";
}

QString GoldenPath(const std::string& Name) {
    return QString::fromLatin1(TORVANE_SOURCE_DIR "/tests/scene/golden/") + QString::fromStdString(Name) +
           QStringLiteral(".png");
}

// Where a failed comparison leaves its pictures: beside the test binary's working folder.
QString FailureFolder() { return QDir::current().absoluteFilePath(QStringLiteral("golden-failures")); }

struct Comparison {
    bool SameSize = false;
    int Outliers = 0;  // pixels with a channel beyond the tolerance
    int Largest = 0;   // the largest channel difference
    QImage Difference; // black where equal, the difference where not, red beyond the tolerance
};

Comparison Compare(const QImage& ExpectedIn, const QImage& ActualIn) {
    Comparison C;
    const QImage Expected = ExpectedIn.convertToFormat(QImage::Format_RGB32);
    const QImage Actual = ActualIn.convertToFormat(QImage::Format_RGB32);
    C.SameSize = Expected.size() == Actual.size();
    if (!C.SameSize) return C;
    C.Difference = QImage(Actual.size(), QImage::Format_RGB32);
    for (int Y = 0; Y < Actual.height(); ++Y) {
        const QRgb* E = reinterpret_cast<const QRgb*>(Expected.constScanLine(Y));
        const QRgb* A = reinterpret_cast<const QRgb*>(Actual.constScanLine(Y));
        QRgb* D = reinterpret_cast<QRgb*>(C.Difference.scanLine(Y));
        for (int X = 0; X < Actual.width(); ++X) {
            const int R = std::abs(qRed(E[X]) - qRed(A[X]));
            const int G = std::abs(qGreen(E[X]) - qGreen(A[X]));
            const int B = std::abs(qBlue(E[X]) - qBlue(A[X]));
            const int Most = std::max({R, G, B});
            C.Largest = std::max(C.Largest, Most);
            if (Most > ChannelTolerance) {
                ++C.Outliers;
                D[X] = qRgb(255, 0, 0);
            } else {
                D[X] = qRgb(R * 8, G * 8, B * 8);  // small differences made visible
            }
        }
    }
    return C;
}

// Compares a picture with its reference, or writes the reference when refreshing. On a failure
// the actual picture and the difference are written for a look, and their paths printed.
void ExpectGolden(const QImage& Actual, const std::string& Name) {
    ASSERT_FALSE(Actual.isNull()) << Name;
    const QString Path = GoldenPath(Name);
    if (Refreshing()) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(Path).path()));
        ASSERT_TRUE(Actual.convertToFormat(QImage::Format_RGB32).save(Path, "PNG")) << Path.toStdString();
        std::printf("golden picture written: %s\n", qPrintable(Path));
        return;
    }
    const QImage Expected(Path);
    ASSERT_FALSE(Expected.isNull()) << "no reference picture " << Path.toStdString()
                                    << " (TORVANE_REFRESH_GOLDEN=1 writes it)";
    const Comparison C = Compare(Expected, Actual);
    if (C.SameSize && C.Outliers <= AllowedOutliers) return;
    QDir().mkpath(FailureFolder());
    const QString Base = FailureFolder() + QLatin1Char('/') + QString::fromStdString(Name);
    Actual.save(Base + QStringLiteral("-actual.png"), "PNG");
    if (C.SameSize) C.Difference.save(Base + QStringLiteral("-difference.png"), "PNG");
    ADD_FAILURE() << Name << ": "
                  << (C.SameSize ? std::to_string(C.Outliers) + " pixels differ by more than " +
                                       std::to_string(ChannelTolerance) + " (largest difference " +
                                       std::to_string(C.Largest) + ")"
                                 : "the size changed")
                  << "\n  reference:  " << Path.toStdString()
                  << "\n  actual:     " << (Base + QStringLiteral("-actual.png")).toStdString()
                  << (C.SameSize ? "\n  difference: " + (Base + QStringLiteral("-difference.png")).toStdString()
                                 : std::string())
                  << "\n  (TORVANE_REFRESH_GOLDEN=1 accepts the new pictures)";
}

void ExpectPanelsGolden(const TorvaneScene& T, const std::string& Name) {
    ASSERT_TRUE(T.S.SceneReady) << Name << ": " << T.StatusText;
    ASSERT_FALSE(T.CrossShown) << Name;  // the mouse's cross is no part of a drawing
    ExpectGolden(T.DomainSurface, Name + "-domain");
    ExpectGolden(T.ImageSurface, Name + "-image");
}

// The default real map at p = q = 1 on a small square of the domain around (2/3, 2/3), where
// the fold uv = 4/9 of the singular locus crosses it.
void DrawFoldsUpClose(TorvaneScene& T) {
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    T.Text(EditField::uMinEdit) = "0.6";
    T.Text(EditField::uMaxEdit) = "0.75";
    T.Text(EditField::vMinEdit) = "0.6";
    T.Text(EditField::vMaxEdit) = "0.75";
    T.ReadAndDraw(true);
}

void DrawComplexDefault(TorvaneScene& T) {
    T.OnFunctionType(1);
    T.Text(EditField::pValue) = "0.5";
    T.Text(EditField::qValue) = "0.5";
    T.ReadAndDraw(true);
}

TEST(GoldenPictures, PanelsOfTheDefaultMaps) {
    {
        TorvaneScene T;  // Draw It on a fresh window: p = q = 0
        T.ReadAndDraw(true);
        ExpectPanelsGolden(T, "real-fresh");
    }
    {
        TorvaneScene T;
        ASSERT_TRUE(DrawDefault(T)) << T.StatusText;  // p = q = 1, with its locus
        ExpectPanelsGolden(T, "real-p1-q1");
    }
    {
        TorvaneScene T;
        DrawComplexDefault(T);
        ExpectPanelsGolden(T, "complex");
    }
}

TEST(GoldenPictures, PanelsOnTheSphere) {
    TorvaneScene T;
    DrawComplexDefault(T);
    T.OnPreferences(TagStereographicImage);
    ExpectPanelsGolden(T, "complex-image-sphere");
    T.OnPreferences(TagStereographicDomain);
    ExpectPanelsGolden(T, "complex-both-spheres");
}

TEST(GoldenPictures, FoldsUpClose) {
    TorvaneScene T;
    DrawFoldsUpClose(T);
    EXPECT_GT(T.S.SingLocus.LastIndex, 10);  // the fold runs through the square
    ExpectPanelsGolden(T, "real-fold");
}

// Both panels of a PNG are painted at once, each on its own thread: every pixel must be the
// one a single painter over the whole picture gives.
void ExpectPaintedAsInTurn(const TorvaneScene& T, const std::string& Path, int Size,
                           const char* Name) {
    ASSERT_EQ(ExportPicture(T, Path, PicturePanels::Both, Size), "") << Name;
    const QImage Exported = QImage(QString::fromStdString(Path)).convertToFormat(QImage::Format_RGB32);
    QImage InTurn(PictureSize(PicturePanels::Both, Size), QImage::Format_RGB32);
    InTurn.fill(WindowColour(DrawingColour));
    {
        QPainter P(&InTurn);
        P.setRenderHint(QPainter::Antialiasing, true);
        DrawPanels(T, P, PicturePanels::Both, Size);
    }
    ASSERT_EQ(Exported.size(), InTurn.size()) << Name;
    int Different = 0;
    for (int Y = 0; Y < InTurn.height(); ++Y)
        for (int X = 0; X < InTurn.width(); ++X) Different += Exported.pixel(X, Y) != InTurn.pixel(X, Y);
    EXPECT_EQ(Different, 0) << Name << " at " << Size;
}

// The exported file, smoothed and at another size than the screen's, pins the export road.
TEST(GoldenPictures, ExportedPictures) {
    QTemporaryDir Folder;
    ASSERT_TRUE(Folder.isValid());
    const std::pair<const char*, std::function<void(TorvaneScene&)>> Cases[] = {
        {"export-real-fold", DrawFoldsUpClose},
        {"export-complex-image-sphere",
         [](TorvaneScene& T) {
             DrawComplexDefault(T);
             T.OnPreferences(TagStereographicImage);
         }},
    };
    for (const auto& [Name, Draw] : Cases) {
        TorvaneScene T;
        Draw(T);
        ASSERT_TRUE(T.S.SceneReady) << Name << ": " << T.StatusText;
        const std::string Path = Folder.filePath(QStringLiteral("picture.png")).toStdString();
        ASSERT_EQ(ExportPicture(T, Path, PicturePanels::Both, 240), "") << Name;
        ExpectGolden(QImage(QString::fromStdString(Path)), Name);
        for (int Size : {240, 461}) ExpectPaintedAsInTurn(T, Path, Size, Name);
    }
}

// The comparison itself: a picture moved by one pixel, or one line of it, is a failure.
TEST(GoldenPictures, AOnePixelShiftFails) {
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T)) << T.StatusText;
    const QImage Picture = T.ImageSurface.convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Compare(Picture, Picture).Outliers, 0);
    QImage Shifted = Picture.copy(1, 0, Picture.width(), Picture.height());  // one pixel left
    const Comparison Moved = Compare(Picture, Shifted);
    ASSERT_TRUE(Moved.SameSize);
    EXPECT_GT(Moved.Outliers, 100 * (AllowedOutliers + 1));

    // One grid line of the domain, a column of its own colour, moved by one pixel.
    QImage Line = T.DomainSurface.convertToFormat(QImage::Format_RGB32);
    const QImage Before = Line;
    const int Row = Line.height() / 3;  // away from the locus on the axes
    int Column = -1;
    for (int X = 1; X + 1 < Line.width() && Column < 0; ++X)
        if (PixelColour(Line, X, Row) == VLineColour && PixelColour(Line, X + 1, Row) != VLineColour)
            Column = X;
    ASSERT_GE(Column, 0);
    for (int Y = 0; Y < Line.height(); ++Y)
        if (PixelColour(Before, Column, Y) == VLineColour) {
            Line.setPixel(Column + 1, Y, Before.pixel(Column, Y));
            Line.setPixel(Column, Y, Before.pixel(Column + 1, Y));
        }
    EXPECT_GT(Compare(Before, Line).Outliers, AllowedOutliers);
}

}  // namespace
