// Frames of an animation: a frame computed from the compiled map is the very picture and scene
// a fresh Draw It at its parameters gives, after any frames before it; the renderer writes
// every frame under its number and refuses a bad path before it writes any.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "common/ResStrings.h"
#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"
#include "scene/WebPAnimation.h"
#include "tools/RenderCommand.h"
#include "scene/RenderFrames.h"
#include "tools/SceneDump.h"

namespace {

QByteArray Bytes(const QString& Path) {
    QFile F(Path);
    return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}

int Render(const QStringList& Arguments, QString* Errors = nullptr) {
    QString Out, Err;
    QTextStream O(&Out), E(&Err);
    const int Code = RunRender(Arguments, O, E);
    if (Errors) *Errors = Err;
    return Code;
}

void DrawAt(TorvaneScene& T, bool Complex, const char* P, const char* Q) {
    if (Complex) T.OnFunctionType(1);
    T.Text(EditField::pValue) = P;
    T.Text(EditField::qValue) = Q;
    T.AdjustMenus(static_cast<uint8_t>(T.SceneFlags() | 2));  // the locus on
    T.ReadAndDraw(false);
}

TEST(RenderFrames, AFrameIsWhatAFreshDrawItDrawsThere) {
    QTemporaryDir Folder;
    const struct {
        bool Complex;
        Point2 Before, At;
        const char *P, *Q;
    } Cases[] = {{false, {0.5, 1.25}, {1.5, 0.75}, "1.5", "0.75"},
                 {true, {0.25, -0.5}, {0.5, 0.5}, "0.5", "0.5"}};
    for (const auto& C : Cases) {
        TorvaneScene Moved, Fresh;
        DrawAt(Moved, C.Complex, "1", "1");
        ASSERT_TRUE(Moved.S.SceneReady);
        // A frame before leaves its locus, thresholds and tracer state behind.
        ASSERT_EQ(Moved.ComputeFrame(C.Before), "");
        ASSERT_EQ(Moved.ComputeFrame(C.At), "");
        DrawAt(Fresh, C.Complex, C.P, C.Q);
        ASSERT_TRUE(Fresh.S.SceneReady);
        EXPECT_EQ(DumpScene(Moved), DumpScene(Fresh)) << "complex " << C.Complex;
        if (C.Complex)
            EXPECT_FALSE(Moved.S.SingPoints.empty());  // its critical point
        else
            EXPECT_GT(Moved.S.SingLocus.LastIndex, 0);

        // Exported by one exporter after another picture, and by a new one.
        PictureExporter Reused;
        const std::string A = Folder.filePath(QStringLiteral("a.png")).toStdString();
        const std::string B = Folder.filePath(QStringLiteral("b.png")).toStdString();
        ASSERT_EQ(Reused.Export(Fresh, A, PicturePanels::Image, 200), "");
        ASSERT_EQ(Reused.Export(Moved, A, PicturePanels::Both, 300), "");
        ASSERT_EQ(ExportPicture(Fresh, B, PicturePanels::Both, 300), "");
        EXPECT_EQ(Bytes(QString::fromStdString(A)), Bytes(QString::fromStdString(B)));
        EXPECT_EQ(QString::fromStdString(Moved.Text(EditField::pValue)).toDouble(), C.At.X);
    }

    TorvaneScene T;
    EXPECT_NE(T.ComputeFrame({1, 1}), "");  // nothing drawn yet
    DrawAt(T, false, "1", "1");
    const nlohmann::json Before = DumpScene(T);
    EXPECT_EQ(T.ComputeFrame({5, 1}), ResStrings::PValueOutside);
    EXPECT_EQ(T.ComputeFrame({1, -5}), ResStrings::QValueOutside);
    EXPECT_EQ(DumpScene(T), Before);
    EXPECT_EQ(T.Text(EditField::pValue), "1");
}

// The renderer's scene paints no bitmaps: it computes what the window's computes, with the
// locus on and off, for Draw It and for frames, and exports the same bytes.
TEST(RenderFrames, ARendererSceneComputesWhatTheWindowDrawsAndPaintsNothing) {
    QTemporaryDir Folder;
    const std::string A = Folder.filePath(QStringLiteral("a.png")).toStdString();
    const std::string B = Folder.filePath(QStringLiteral("b.png")).toStdString();
    for (bool Complex : {false, true})
        for (bool Locus : {true, false}) {
            TorvaneScene Window, Renderer;
            Renderer.PaintsBitmaps = false;
            const QImage Domain = Renderer.DomainSurface.copy(), Image = Renderer.ImageSurface.copy();
            const QImage DomBitmap = Renderer.DomBitmap.copy(), ImgBitmap = Renderer.ImgBitmap.copy();
            auto Untouched = [&] {
                return Renderer.DomainSurface == Domain && Renderer.ImageSurface == Image &&
                       Renderer.DomBitmap == DomBitmap && Renderer.ImgBitmap == ImgBitmap;
            };
            for (TorvaneScene* T : {&Window, &Renderer}) {
                DrawAt(*T, Complex, "1", "0.5");
                if (!Locus) T->AdjustMenus(static_cast<uint8_t>(T->SceneFlags() & ~2));
                T->ReadAndDraw(false);
                ASSERT_TRUE(T->S.SceneReady) << T->StatusText;
            }
            EXPECT_EQ(DumpScene(Renderer), DumpScene(Window)) << Complex << Locus;
            EXPECT_TRUE(Untouched());
            EXPECT_NE(Window.ImageSurface, Image);
            ASSERT_EQ(Window.ComputeFrame({0.75, 0.25}), "");
            ASSERT_EQ(Renderer.ComputeFrame({0.75, 0.25}), "");
            EXPECT_EQ(DumpScene(Renderer), DumpScene(Window)) << Complex << Locus;
            ASSERT_EQ(ExportPicture(Window, A, PicturePanels::Both, 300), "");
            ASSERT_EQ(ExportPicture(Renderer, B, PicturePanels::Both, 300), "");
            EXPECT_EQ(Bytes(QString::fromStdString(A)), Bytes(QString::fromStdString(B)));
            EXPECT_TRUE(Untouched());
        }
}

// A renderer paints a PNG picture's curves while the locus is traced, and the locus over them
// once it is: the file is the one painted whole, for Draw It and for frames, with the locus on
// and off. Curves painted for other panels or another size are not used.
TEST(RenderFrames, CurvesPaintedAheadGiveThePicturePaintedWhole) {
    QTemporaryDir Folder;
    const std::string A = Folder.filePath(QStringLiteral("a.png")).toStdString();
    const std::string B = Folder.filePath(QStringLiteral("b.png")).toStdString();
    for (bool Complex : {false, true})
        for (bool Locus : {true, false})
            for (PicturePanels Which : {PicturePanels::Both, PicturePanels::Image}) {
                TorvaneScene T;
                T.PaintsBitmaps = false;
                DrawAt(T, Complex, "1", "0.5");
                if (!Locus) T.AdjustMenus(static_cast<uint8_t>(T.SceneFlags() & ~2));
                PictureExporter Ahead;
                auto Same = [&](PicturePanels Exported, int Size) {
                    if (Ahead.Export(T, A, Exported, Size) != "" || ExportPicture(T, B, Exported, Size) != "")
                        return false;
                    return Bytes(QString::fromStdString(A)) == Bytes(QString::fromStdString(B));
                };
                {
                    PaintingAhead Painting(T, Ahead, A, Which, 300);
                    T.ReadAndDraw(false);
                }
                ASSERT_TRUE(T.S.SceneReady) << T.StatusText;
                EXPECT_FALSE(T.OnCurvesComputed);
                EXPECT_TRUE(Same(Which, 300)) << Complex << Locus;
                {
                    PaintingAhead Painting(T, Ahead, A, Which, 300);
                    ASSERT_EQ(T.ComputeFrame({0.75, 0.25}), "");
                }
                EXPECT_TRUE(Same(Which, 300)) << "a frame " << Complex << Locus;
                for (const auto& [Painted, Size] : {std::pair{Which, 200}, {PicturePanels::Domain, 300}}) {
                    PaintingAhead Painting(T, Ahead, A, Painted, Size);
                    T.ReadAndDraw(false);
                    EXPECT_TRUE(Same(Which, 300)) << Complex << Locus << Size;
                }
            }
    // Curves painted for one scene are not used for another.
    TorvaneScene First, Second;
    DrawAt(First, false, "1", "1");
    DrawAt(Second, false, "0.5", "1");
    PictureExporter Ahead;
    {
        PaintingAhead Painting(First, Ahead, A, PicturePanels::Both, 300);
        First.ReadAndDraw(false);
    }
    ASSERT_EQ(Ahead.Export(Second, A, PicturePanels::Both, 300), "");
    ASSERT_EQ(ExportPicture(Second, B, PicturePanels::Both, 300), "");
    EXPECT_EQ(Bytes(QString::fromStdString(A)), Bytes(QString::fromStdString(B)));

    // Nothing is painted ahead for vector pictures or a size a PNG picture may not have.
    TorvaneScene T;
    PictureExporter E;
    for (const auto& [Name, Size] : {std::pair{"a.svg", 300}, {"a.pdf", 300}, {"a.png", MaxPngSize + 1}}) {
        PaintingAhead Painting(T, E, Name, PicturePanels::Both, Size);
        EXPECT_FALSE(T.OnCurvesComputed) << Name;
    }
}

TEST(RenderFrames, NamesAndParametersOfTheFrames) {
    QString Name;
    ASSERT_TRUE(FrameName(QStringLiteral("a-%d.png"), 7, Name));
    EXPECT_EQ(Name, QStringLiteral("a-7.png"));
    ASSERT_TRUE(FrameName(QStringLiteral("dir/%03d.svg"), 42, Name));
    EXPECT_EQ(Name, QStringLiteral("dir/042.svg"));
    ASSERT_TRUE(FrameName(QStringLiteral("%02d.png"), 123, Name));
    EXPECT_EQ(Name, QStringLiteral("123.png"));  // a width is a least width
    for (const char* Bad : {"a.png", "%d-%d.png", "%%d.png", "%s.png", "%3d.png", "%010d.png"})
        EXPECT_FALSE(FrameName(QString::fromLatin1(Bad), 1, Name)) << Bad;

    FramePath Path;
    ASSERT_EQ(ReadFramePath(QStringLiteral(" p = -1 .. pi/2 "), Path), "");
    EXPECT_TRUE(Path.MovesP);
    EXPECT_FALSE(Path.MovesQ);
    const std::vector<Point2> V = FrameParameters(Path, {9, 0.3}, 7);
    ASSERT_EQ(V.size(), 7u);
    EXPECT_EQ(V.front().X, -1);
    EXPECT_EQ(V.back().X, std::acos(-1.0) / 2);  // the end exactly, not an end rounded
    for (const Point2& P : V) {
        EXPECT_EQ(P.Y, 0.3);  // q stays where it was
        EXPECT_GE(P.X, -1);
        EXPECT_LE(P.X, std::acos(-1.0) / 2);
    }
    EXPECT_EQ(FrameParameters(Path, {0, 0}, 1).front().X, -1);
    ASSERT_EQ(ReadFramePath(QStringLiteral("q=1..0,p=2..2"), Path), "");
    EXPECT_EQ(FrameParameters(Path, {0, 0}, 3)[1].Y, 0.5);
    for (const char* Bad : {"p=1", "r=0..1", "p=0..1,p=1..2", "p=0..u", "p=0..1,q=0..1,p=1..2", "p=..1"})
        EXPECT_NE(ReadFramePath(QString::fromLatin1(Bad), Path), "") << Bad;
}

TEST(RenderFrames, TheRendererWritesEveryFrameOrNone) {
    QTemporaryDir Folder;
    const QString Pattern = Folder.filePath(QStringLiteral("f-%02d.png"));
    QString Err;
    ASSERT_EQ(Render({QStringLiteral("--animate"), QStringLiteral("p=0.5..1.5,q=1..0"), QStringLiteral("--frames"),
                      QStringLiteral("4"), QStringLiteral("--size"), QStringLiteral("100"), Pattern},
                     &Err),
              RenderOk)
        << Err.toStdString();
    QStringList Written = QDir(Folder.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(Written, (QStringList{QStringLiteral("f-00.png"), QStringLiteral("f-01.png"),
                                    QStringLiteral("f-02.png"), QStringLiteral("f-03.png")}));
    // The last frame is the picture of the map drawn at the path's end.
    const QString End = Folder.filePath(QStringLiteral("end.png"));
    ASSERT_EQ(Render({QStringLiteral("--params"), QStringLiteral("1.5,0"), QStringLiteral("--size"),
                      QStringLiteral("100"), End}),
              RenderOk);
    EXPECT_EQ(Bytes(Folder.filePath(QStringLiteral("f-03.png"))), Bytes(End));
    EXPECT_NE(Bytes(Folder.filePath(QStringLiteral("f-00.png"))), Bytes(End));

    QTemporaryDir Empty;
    const QString Frames = Empty.filePath(QStringLiteral("g%d.png"));
    // A path that leaves the parameters' ranges is the map's fault; the rest are the options'.
    EXPECT_EQ(Render({QStringLiteral("--animate"), QStringLiteral("p=0..100"), Frames}, &Err), RenderBadMap);
    EXPECT_TRUE(Err.contains(QString::fromLatin1(ResStrings::PValueOutside)));
    const QStringList Wrong[] = {
        {QStringLiteral("--animate"), QStringLiteral("p=0..1"), QStringLiteral("--frames"), QStringLiteral("0"), Frames},
        {QStringLiteral("--animate"), QStringLiteral("p=0..1"), QStringLiteral("--frames"), QStringLiteral("10001"),
         Frames},
        {QStringLiteral("--animate"), QStringLiteral("p=0..1"), QStringLiteral("--frames"), QStringLiteral("two"), Frames},
        {QStringLiteral("--animate"), QStringLiteral("p=0..1"), Empty.filePath(QStringLiteral("one.png"))},
        {QStringLiteral("--animate"), QStringLiteral("p=0to1"), Frames},
        {QStringLiteral("--frames"), QStringLiteral("3"), Frames},
        {QStringLiteral("--animate"), QStringLiteral("p=0..1"), QStringLiteral("--dump"),
         Empty.filePath(QStringLiteral("s.json")), Frames}};
    for (const QStringList& Arguments : Wrong)
        EXPECT_EQ(Render(Arguments), RenderUsage) << Arguments.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(QDir(Empty.path()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(QFile::exists(Empty.filePath(QStringLiteral("g0.png"))));

    // No frame may be the document it draws, whatever the document's name.
    const QString Document = Empty.filePath(QStringLiteral("m2.png"));
    TorvaneScene Saved;
    Saved.ReadAndDraw(false);
    ASSERT_TRUE(Saved.WriteToDisk(Document.toStdString()).Ok());
    const QByteArray Kept = Bytes(Document);
    EXPECT_EQ(Render({QStringLiteral("--animate"), QStringLiteral("p=0..1"), QStringLiteral("--frames"),
                      QStringLiteral("3"), Document, Empty.filePath(QStringLiteral("m%d.png"))}),
              RenderUsage);
    EXPECT_EQ(Bytes(Document), Kept);
}

TEST(RenderFrames, AnAnimatedWebPHoldsEveryFrameAsThePicturesShowIt) {
    QTemporaryDir Folder;
    const QString Animation = Folder.filePath(QStringLiteral("a.webp"));
    QString Err;
    ASSERT_EQ(Render({QStringLiteral("--animate"), QStringLiteral("p=0.5..1.5,q=1..0"), QStringLiteral("--frames"),
                      QStringLiteral("5"), QStringLiteral("--fps"), QStringLiteral("10"), QStringLiteral("--size"),
                      QStringLiteral("120"), Animation},
                     &Err),
              RenderOk)
        << Err.toStdString();
    const QByteArray Bytes = ::Bytes(Animation);
    int Frames = 0;
    QSize Canvas;
    ASSERT_TRUE(ReadWebPAnimation(Bytes, Frames, Canvas));
    EXPECT_EQ(Frames, 5);
    EXPECT_EQ(Canvas, PictureSize(PicturePanels::Both, 120));
    // Lossless, each frame over the ones before it: the pictures of the PNG frames exactly.
    const std::vector<QImage> Shown = DecodeWebPAnimation(Bytes);
    ASSERT_EQ(Shown.size(), 5u);
    const QString Pattern = Folder.filePath(QStringLiteral("f-%d.png"));
    ASSERT_EQ(Render({QStringLiteral("--animate"), QStringLiteral("p=0.5..1.5,q=1..0"), QStringLiteral("--frames"),
                      QStringLiteral("5"), QStringLiteral("--size"), QStringLiteral("120"), Pattern}),
              RenderOk);
    for (int K = 0; K < 5; ++K) {
        const QImage Png = QImage(Folder.filePath(QStringLiteral("f-%1.png").arg(K))).convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(Shown[static_cast<size_t>(K)], Png) << K;
    }

    // What cannot be made leaves no file under the name.
    QTemporaryDir Empty;
    const QString Refused = Empty.filePath(QStringLiteral("b.webp"));
    EXPECT_EQ(Render({QStringLiteral("--animate"), QStringLiteral("p=0..100"), Refused}, &Err), RenderBadMap);
    for (const QStringList& Arguments :
         {QStringList{Refused}, QStringList{QStringLiteral("--animate"), QStringLiteral("p=0..1"),
                                            QStringLiteral("--fps"), QStringLiteral("0"), Refused},
          QStringList{QStringLiteral("--animate"), QStringLiteral("p=0..1"), QStringLiteral("--fps"),
                      QStringLiteral("5"), Empty.filePath(QStringLiteral("g%d.png"))},
          QStringList{QStringLiteral("--animate"), QStringLiteral("p=0..1"), QStringLiteral("--frames"),
                      QStringLiteral("0"), Refused}})
        EXPECT_EQ(Render(Arguments), RenderUsage) << Arguments.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(QDir(Empty.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(Render({QStringLiteral("--animate"), QStringLiteral("p=0..1"), QStringLiteral("--frames"),
                      QStringLiteral("3"), QStringLiteral("/nonexistent-folder/c.webp")},
                     &Err),
              RenderNotWritten);
    EXPECT_TRUE(Err.contains(QStringLiteral("could not be written")));
}

}  // namespace
