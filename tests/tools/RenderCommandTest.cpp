// The command-line renderer run in-process: pictures in the three formats, the JSON dump of
// the computed scene, documents with options on top, the exit codes and messages of every
// kind of mistake, outputs that would destroy an input, writes that fail, and the size cap.
#include <gtest/gtest.h>

#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <csignal>

#include "common/ResStrings.h"
#include "scene/PictureExport.h"
#include "tools/RenderCommand.h"

namespace {

struct Outcome {
    int Code = -1;
    QString Out, Err;
};

Outcome Render(const QStringList& Arguments) {
    Outcome R;
    QTextStream Out(&R.Out), Err(&R.Err);
    R.Code = RunRender(Arguments, Out, Err);
    return R;
}

QString Fixture(const char* Name) {
    return QString::fromLatin1(TORVANE_SOURCE_DIR) + QStringLiteral("/tests/document/fixtures/") +
           QString::fromLatin1(Name);
}

nlohmann::json ReadJson(const QString& Path) {
    QFile F(Path);
    if (!F.open(QIODevice::ReadOnly)) return {};
    return nlohmann::json::parse(F.readAll().toStdString(), nullptr, false);
}

QByteArray Bytes(const QString& Path) {
    QFile F(Path);
    return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}

bool IsCharacterDevice(const QString& Path) {
    struct stat Status;
    return ::stat(QFile::encodeName(Path).constData(), &Status) == 0 && S_ISCHR(Status.st_mode);
}

// A name under which every write fails as on a full disk. Where the test may make device nodes
// it makes its own copy of the full device, so that a fault replacing the device by a file
// could only ever hit that copy; elsewhere a link to /dev/full, which such a test cannot replace.
QString FullDevice(const QTemporaryDir& Folder, const QString& Name) {
    const QString Path = Folder.filePath(Name);
    if (::mknod(QFile::encodeName(Path).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0) return Path;
    if (!IsCharacterDevice(QStringLiteral("/dev/full")) ||
        !QFile::link(QStringLiteral("/dev/full"), Path))
        return QString();
    return Path;
}

TEST(RenderCommand, DrawsTheDefaultMapInEveryFormat) {
    QTemporaryDir Folder;
    QString Png = Folder.filePath(QStringLiteral("default.png"));
    Outcome R = Render({Png});
    ASSERT_EQ(R.Code, RenderOk) << R.Err.toStdString();
    QImage I(Png);
    ASSERT_FALSE(I.isNull());
    EXPECT_EQ(I.height(), 460);
    EXPECT_GT(I.width(), 920);  // both panels, side by side
    EXPECT_EQ(Render({QStringLiteral("--panel"), QStringLiteral("domain"), QStringLiteral("--size"),
                      QStringLiteral("300"), Png}).Code, RenderOk);
    EXPECT_EQ(QImage(Png).size(), QSize(300, 300));

    QString Svg = Folder.filePath(QStringLiteral("map.svg")), Pdf = Folder.filePath(QStringLiteral("map.PDF"));
    ASSERT_EQ(Render({QStringLiteral("--params"), QStringLiteral("1,1"), Svg}).Code, RenderOk);
    ASSERT_EQ(Render({QStringLiteral("--sphere-image"), Pdf}).Code, RenderOk);
    QFile S(Svg), P(Pdf);
    ASSERT_TRUE(S.open(QIODevice::ReadOnly) && P.open(QIODevice::ReadOnly));
    QByteArray SvgText = S.readAll();
    EXPECT_TRUE(SvgText.contains("<svg"));
    EXPECT_TRUE(SvgText.contains("polyline") || SvgText.contains("<path"));  // vector lines
    EXPECT_TRUE(P.readAll().startsWith("%PDF"));
}

TEST(RenderCommand, DumpsTheComputedScene) {
    QTemporaryDir Folder;
    QString Json = Folder.filePath(QStringLiteral("scene.json"));
    Outcome R = Render({QStringLiteral("--x"), QStringLiteral("u"), QStringLiteral("--y"), QStringLiteral("v^2"),
                    QStringLiteral("--domain"), QStringLiteral("-1,1,-2,2"), QStringLiteral("--clip"),
                    QStringLiteral("-1,1,-0.5,4.5"), QStringLiteral("--dump"), Json});
    ASSERT_EQ(R.Code, RenderOk) << R.Err.toStdString();
    nlohmann::json D = ReadJson(Json);
    ASSERT_TRUE(D.is_object());
    EXPECT_EQ(D["status"], "");
    EXPECT_EQ(D["mapType"], "real");
    EXPECT_EQ(D["image"]["whole"], false);
    EXPECT_EQ(D["image"]["max"][1], 4.5);
    EXPECT_EQ(D["domain"]["min"][1], -2);
    EXPECT_GT(D["ImgDivisor"].get<double>(), 0);
    for (const char* Family : {"DomHLines", "DomVLines", "ImgHLines", "ImgVLines"})
        EXPECT_EQ(D["curves"][Family].size(), 21u) << Family;
    // The fold x = u, y = v^2 has its locus on v = 0.
    const nlohmann::json& Nodes = D["singularLocus"];
    ASSERT_GT(Nodes.size(), 10u);
    for (const nlohmann::json& N : Nodes) {
        EXPECT_NEAR(N["DomPt"][1].get<double>(), 0, 1e-6);
        EXPECT_NEAR(N["ImgPos"][1].get<double>(), 0, 1e-6);
    }

    Outcome C = Render({QStringLiteral("--w"), QStringLiteral("z^2"), QStringLiteral("--locus"), QStringLiteral("on"),
                    QStringLiteral("--dump"), Json});
    ASSERT_EQ(C.Code, RenderOk) << C.Err.toStdString();
    nlohmann::json Complex = ReadJson(Json);
    EXPECT_EQ(Complex["mapType"], "complex");
    EXPECT_EQ(Complex["status"], ResStrings::WholeRange);
    for (const nlohmann::json& N : Complex["singularLocus"]) EXPECT_EQ(N["flag"], 1);  // only z = 0
}

// The default map's cusp at (-2/3, -2/3) and its crossing at the origin; --cusps off seeks none.
TEST(RenderCommand, DumpsTheCuspsAndSingularPointsOfTheLocus) {
    QTemporaryDir Folder;
    const QString Json = Folder.filePath(QStringLiteral("scene.json"));
    Outcome R = Render({QStringLiteral("--params"), QStringLiteral("1,1"), QStringLiteral("--dump"), Json});
    ASSERT_EQ(R.Code, RenderOk) << R.Err.toStdString();
    nlohmann::json D = ReadJson(Json);
    ASSERT_EQ(D["cusps"].size(), 1u);
    EXPECT_NEAR(D["cusps"][0]["DomPt"][0].get<double>(), -2.0 / 3, 1e-12);
    EXPECT_NEAR(D["cusps"][0]["ImgPt"][1].get<double>(), 20.0 / 27, 1e-12);
    ASSERT_EQ(D["locusSingularPoints"].size(), 1u);
    EXPECT_NEAR(D["locusSingularPoints"][0]["DomPt"][0].get<double>(), 0, 1e-12);
    EXPECT_FALSE(D.contains("criticalPoints"));

    ASSERT_EQ(Render({QStringLiteral("--params"), QStringLiteral("1,1"), QStringLiteral("--cusps"),
                      QStringLiteral("off"), QStringLiteral("--dump"), Json}).Code,
              RenderOk);
    D = ReadJson(Json);
    EXPECT_TRUE(D["cusps"].empty());
    EXPECT_TRUE(D["locusSingularPoints"].empty());
    EXPECT_GT(D["singularLocus"].size(), 100u);
}

// The counts of the dump's raster at the pixel whose centre is nearest the image point (X, Y).
int DumpedCount(const nlohmann::json& P, double X, double Y) {
    const double XMin = P["rect"][0], XMax = P["rect"][1], YMin = P["rect"][2], YMax = P["rect"][3];
    const int W = P["width"], H = P["height"];
    const int I = static_cast<int>((X - XMin) / (XMax - XMin) * W);
    const int J = static_cast<int>((YMax - Y) / (YMax - YMin) * H);
    return P["counts"][static_cast<size_t>(J * W + I)];
}

TEST(RenderCommand, DumpsTheNumberOfPreimagesOfEachPixel) {
    QTemporaryDir Folder;
    const QString Json = Folder.filePath(QStringLiteral("scene.json"));
    // The fold x = u, y = v^2: two sheets over the image, none below the fold.
    ASSERT_EQ(Render({QStringLiteral("--x"), QStringLiteral("u"), QStringLiteral("--y"), QStringLiteral("v^2"),
                      QStringLiteral("--clip"), QStringLiteral("-1.5,1.5,-0.5,1.5"), QStringLiteral("--preimages"),
                      QStringLiteral("on"), QStringLiteral("--size"), QStringLiteral("300"), QStringLiteral("--dump"),
                      Json})
                  .Code,
              RenderOk);
    nlohmann::json P = ReadJson(Json)["preimages"];
    ASSERT_TRUE(P.is_object());
    EXPECT_EQ(P["rect"], nlohmann::json({-1.5, 1.5, -0.5, 1.5}));
    EXPECT_EQ(P["width"], 300);
    EXPECT_EQ(P["height"], 300);
    ASSERT_EQ(P["counts"].size(), 90000u);
    EXPECT_TRUE(P["complete"].get<bool>());
    // Two pixels (0.02) away from the fold, the image's edges and each other.
    for (double X : {-0.9, -0.3, 0.0, 0.5, 0.95}) {
        EXPECT_EQ(DumpedCount(P, X, 0.05), 2) << X;
        EXPECT_EQ(DumpedCount(P, X, 0.95), 2) << X;
        EXPECT_EQ(DumpedCount(P, X, -0.05), 0) << X;
        EXPECT_EQ(DumpedCount(P, X, 1.2), 0) << X;
    }
    EXPECT_EQ(DumpedCount(P, 1.1, 0.5), 0);

    // The cusp x = u^3 + u v, y = v: three sheets inside |x| < 2 (-y/3)^(3/2), one outside.
    // The domain is wide enough in u that all three roots of u^3 + u v = x stay inside it.
    ASSERT_EQ(Render({QStringLiteral("--x"), QStringLiteral("u^3+u v"), QStringLiteral("--y"), QStringLiteral("v"),
                      QStringLiteral("--domain"), QStringLiteral("-2,2,-1,1"), QStringLiteral("--clip"), QStringLiteral("-1,1,-1,1"), QStringLiteral("--preimages"),
                      QStringLiteral("on"), QStringLiteral("--size"), QStringLiteral("400"), QStringLiteral("--dump"),
                      Json})
                  .Code,
              RenderOk);
    P = ReadJson(Json)["preimages"];
    for (double Y : {-0.3, -0.6, -0.9}) {
        const double Edge = 2 * std::pow(-Y / 3, 1.5);
        EXPECT_EQ(DumpedCount(P, 0, Y), 3) << Y;
        EXPECT_EQ(DumpedCount(P, 0.6 * Edge, Y), 3) << Y;
        EXPECT_EQ(DumpedCount(P, Edge + 0.03, Y), 1) << Y;
        EXPECT_EQ(DumpedCount(P, -Edge - 0.03, Y), 1) << Y;
    }
    EXPECT_EQ(DumpedCount(P, 0.3, 0.5), 1);

    // Off by default, and a complex map's local degree: z^3 covers 0 three times.
    ASSERT_EQ(Render({QStringLiteral("--dump"), Json}).Code, RenderOk);
    EXPECT_FALSE(ReadJson(Json).contains("preimages"));
    ASSERT_EQ(Render({QStringLiteral("--w"), QStringLiteral("z^3"), QStringLiteral("--clip"),
                      QStringLiteral("-2,2,-2,2"), QStringLiteral("--preimages"), QStringLiteral("on"),
                      QStringLiteral("--dump"), Json})
                  .Code,
              RenderOk);
    P = ReadJson(Json)["preimages"];
    EXPECT_EQ(DumpedCount(P, 0.1, 0.05), 3);
    EXPECT_EQ(DumpedCount(P, -0.5, -0.4), 3);
    // The cube roots of 1.95 + 0.1i (modulus 1.25) all lie outside the square; one of those of
    // 1.9 + 1.9i, -0.98 + 0.98i, lies inside it.
    EXPECT_EQ(DumpedCount(P, 1.95, 0.1), 0);
    EXPECT_EQ(DumpedCount(P, 1.9, 1.9), 1);
}

TEST(RenderCommand, ReadsDocumentsAndLetsOptionsChangeThem) {
    QTemporaryDir Folder;
    QString Json = Folder.filePath(QStringLiteral("doc.json"));
    ASSERT_EQ(Render({Fixture("complex-sphere.tvn"), QStringLiteral("--dump"), Json}).Code, RenderOk);
    EXPECT_EQ(ReadJson(Json)["mapType"], "complex");
    ASSERT_EQ(Render({Fixture("complex-sphere.tvn"), QStringLiteral("--domain"), QStringLiteral("-3,3,-1,1"),
                      QStringLiteral("--dump"), Json}).Code,
              RenderOk);
    EXPECT_EQ(ReadJson(Json)["domain"]["max"][0], 3);
}

TEST(RenderCommand, ListsAndDrawsTheExamples) {
    const Outcome List = Render({QStringLiteral("--list-examples")});
    ASSERT_EQ(List.Code, RenderOk) << List.Err.toStdString();
    const QStringList Lines = List.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_GE(Lines.size(), 12);
    EXPECT_TRUE(Lines.front().startsWith(QStringLiteral("default-real ")));
    // The example's map, with the options over it as over a document.
    QTemporaryDir Folder;
    const QString Json = Folder.filePath(QStringLiteral("lips.json"));
    ASSERT_EQ(Render({QStringLiteral("--example"), QStringLiteral("lips"), QStringLiteral("--params"),
                      QStringLiteral("-0.3,0"), QStringLiteral("--dump"), Json}).Code,
              RenderOk);
    const nlohmann::json Lips = ReadJson(Json);
    // Its two cusps at v = 0, u = +-sqrt(0.3).
    EXPECT_EQ(Lips["mapType"], "real");
    ASSERT_EQ(Lips["cusps"].size(), 2u);
    EXPECT_NEAR(std::fabs(Lips["cusps"][0]["DomPt"][0].get<double>()), std::sqrt(0.3), 1e-6);
    const QString Png = Folder.filePath(QStringLiteral("cubic.png"));
    ASSERT_EQ(Render({QStringLiteral("--example"), QStringLiteral("cubic"), Png}).Code, RenderOk);
    EXPECT_FALSE(QImage(Png).isNull());
}

TEST(RenderCommand, EveryMistakeHasItsExitCodeAndMessage) {
    QTemporaryDir Folder;
    QString Png = Folder.filePath(QStringLiteral("x.png"));
    struct Case {
        QStringList Arguments;
        int Code;
        const char* Message;  // part of what goes to standard error
    };
    QString Bad = Folder.filePath(QStringLiteral("bad.tvn"));
    QFile F(Bad);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write("not a document");
    F.close();
    const std::vector<Case> Cases = {
        {{QStringLiteral("--x"), QStringLiteral("u +* v"), Png}, RenderBadMap, ResStrings::SyntaxDefect},
        {{QStringLiteral("--domain"), QStringLiteral("1,1,-1,1"), Png}, RenderBadMap, ResStrings::URangeReversed},
        {{QStringLiteral("--w"), QStringLiteral("z^0.5"), Png}, RenderBadMap, ResStrings::ComplexIntegerExponents},
        {{QStringLiteral("--params"), QStringLiteral("5,0"), Png}, RenderBadMap, ResStrings::PValueOutside},
        {{QStringLiteral("--panel"), QStringLiteral("left"), Png}, RenderUsage, "--panel"},
        {{QStringLiteral("--size"), QStringLiteral("5"), Png}, RenderUsage, "--size"},
        {{QStringLiteral("--domain"), QStringLiteral("1,2,3"), Png}, RenderUsage, "--domain"},
        {{QStringLiteral("--locus"), QStringLiteral("maybe"), Png}, RenderUsage, "--locus"},
        {{QStringLiteral("--cusps"), QStringLiteral("yes"), Png}, RenderUsage, "--cusps"},
        {{QStringLiteral("--preimages"), QStringLiteral("1"), Png}, RenderUsage, "--preimages takes on or off"},
        {{QStringLiteral("--colouring"), QStringLiteral("hue"), Png}, RenderUsage, "--colouring takes none"},
        {{QStringLiteral("--example"), QStringLiteral("nosuch"), Png}, RenderUsage, "no example nosuch"},
        {{QStringLiteral("--example"), QStringLiteral("lips"), Fixture("whole-image.tvn"), Png}, RenderUsage,
         "either a document or an --example"},
        {{QStringLiteral("--w"), QStringLiteral("z"), QStringLiteral("--x"), QStringLiteral("u"), Png}, RenderUsage,
         "not both"},
        {{QStringLiteral("--scale"), QStringLiteral("0.5"), Png}, RenderUsage, "--scale takes a number"},
        {{QStringLiteral("--scale"), QStringLiteral("nan"), Png}, RenderUsage, "--scale takes a number"},
        {{QStringLiteral("--scale"), QStringLiteral("2"), Folder.filePath(QStringLiteral("x.svg"))}, RenderUsage,
         "--scale is for a PNG picture"},
        {{QStringLiteral("--scale"), QStringLiteral("2"), QStringLiteral("--size"), QStringLiteral("3001"), Png},
         RenderUsage, "--size times --scale"},
        {{QStringLiteral("--bogus"), Png}, RenderUsage, "bogus"},
        {{Folder.filePath(QStringLiteral("x.gif"))}, RenderUsage, ".png"},
        {{}, RenderUsage, "picture"},
        {{Bad, Png}, RenderBadDocument, "Bad file type"},
        {{Folder.filePath(QStringLiteral("missing.tvn")), Png}, RenderBadDocument, "missing.tvn"},
        {{QStringLiteral("/nonexistent-folder/x.png")}, RenderNotWritten, "could not be written"},
    };
    for (const Case& C : Cases) {
        Outcome R = Render(C.Arguments);
        EXPECT_EQ(R.Code, C.Code) << C.Arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(R.Err.contains(QString::fromLatin1(C.Message)))
            << C.Arguments.join(QLatin1Char(' ')).toStdString() << ": " << R.Err.toStdString();
    }
    Outcome Help = Render({QStringLiteral("--help")});
    EXPECT_EQ(Help.Code, RenderOk);
    for (const char* Option : {"-x <", "-y <", "-w <", "--x, --y and --w", "--domain", "--params", "--param-range", "--clip",
                               "--locus", "--cusps", "--preimages", "--preserve-ratio", "--sphere-domain", "--sphere-image",
                               "--panel", "--size", "--scale", "--dump"})
        EXPECT_TRUE(Help.Out.contains(QString::fromLatin1(Option))) << Option;
}

TEST(RenderCommand, RefusesToWriteOverItsInputOrItsOtherOutput) {
    QTemporaryDir Folder;
    const QString Tvn = Folder.filePath(QStringLiteral("doc.tvn"));
    const QString Png = Folder.filePath(QStringLiteral("doc.png"));  // a document with a picture's name
    ASSERT_TRUE(QFile::copy(Fixture("complex-sphere.tvn"), Tvn));
    ASSERT_TRUE(QFile::copy(Fixture("complex-sphere.tvn"), Png));
    const QByteArray Document = Bytes(Tvn);
    ASSERT_FALSE(Document.isEmpty());
    ASSERT_TRUE(QFile::link(Tvn, Folder.filePath(QStringLiteral("link.png"))));
    ASSERT_TRUE(QDir(Folder.path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::link(Folder.filePath(QStringLiteral("later.png")), Folder.filePath(QStringLiteral("dangling.json"))));
    const QString Out = Folder.filePath(QStringLiteral("out.png"));
    struct Case {
        QStringList Arguments;
        const char* Message;
    };
    const std::vector<Case> Cases = {
        {{Png, Png}, "is the document"},
        {{QStringLiteral("--dump"), Tvn, Tvn, Out}, "dump"},
        {{QStringLiteral("--dump"), Tvn, Tvn}, "dump"},
        {{Tvn, Folder.filePath(QStringLiteral("link.png"))}, "is the document"},                 // a link to it
        {{Png, Folder.filePath(QStringLiteral("sub/../doc.png"))}, "is the document"},           // another spelling
        {{QStringLiteral("--dump"), Out, Out}, "same file"},                                     // neither exists yet
        {{QStringLiteral("--dump"), Folder.filePath(QStringLiteral("dangling.json")),
          Folder.filePath(QStringLiteral("sub/../later.png"))}, "same file"},                   // a link to a file to be
    };
    for (const Case& C : Cases) {
        Outcome R = Render(C.Arguments);
        const std::string What = C.Arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(R.Code, RenderUsage) << What;
        EXPECT_TRUE(R.Err.contains(QString::fromLatin1(C.Message))) << What << ": " << R.Err.toStdString();
        EXPECT_EQ(Bytes(Tvn), Document) << What;
        EXPECT_EQ(Bytes(Png), Document) << What;
        EXPECT_FALSE(QFileInfo::exists(Out)) << What;
        EXPECT_FALSE(QFileInfo::exists(Folder.filePath(QStringLiteral("later.png")))) << What;
    }
    // A hard link is the same file under another name.
    ASSERT_TRUE(::link(QFile::encodeName(Tvn).constData(), QFile::encodeName(Folder.filePath(QStringLiteral("hard.png"))).constData()) == 0);
    EXPECT_EQ(Render({Tvn, Folder.filePath(QStringLiteral("hard.png"))}).Code, RenderUsage);
    EXPECT_EQ(Bytes(Tvn), Document);
    // Distinct files are written as ever.
    const QString Json = Folder.filePath(QStringLiteral("doc.json"));
    Outcome R = Render({Tvn, QStringLiteral("--dump"), Json, Out});
    EXPECT_EQ(R.Code, RenderOk) << R.Err.toStdString();
    EXPECT_FALSE(QImage(Out).isNull());
    EXPECT_TRUE(ReadJson(Json).is_object());
}

TEST(RenderCommand, EveryFailedWriteIsReportedAndLeavesNoPartialFile) {
    QTemporaryDir Folder;
    const QString Png = FullDevice(Folder, QStringLiteral("full.png")), Svg = FullDevice(Folder, QStringLiteral("full.svg")),
                  Pdf = FullDevice(Folder, QStringLiteral("full.pdf")), Json = FullDevice(Folder, QStringLiteral("full.json"));
    if (Png.isEmpty() || Svg.isEmpty() || Pdf.isEmpty() || Json.isEmpty()) GTEST_SKIP() << "no full device";
    const QString Tvn = Fixture("complex-sphere.tvn"), Good = Folder.filePath(QStringLiteral("good.png"));
    const std::vector<QStringList> Cases = {
        {Png}, {Tvn, Png}, {Svg}, {Tvn, Svg}, {Pdf}, {QStringLiteral("--dump"), Json}, {QStringLiteral("--dump"), Json, Good},
    };
    for (const QStringList& C : Cases) {
        Outcome R = Render(C);
        const std::string What = C.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(R.Code, RenderNotWritten) << What;
        EXPECT_TRUE(R.Err.contains(QStringLiteral("could not be written"))) << What << ": " << R.Err.toStdString();
    }
    // The devices are still devices: nothing was put in their place.
    for (const QString& Device : {Png, Svg, Pdf, Json}) EXPECT_TRUE(IsCharacterDevice(Device)) << Device.toStdString();
    // A device that takes the bytes takes the picture.
    const QString Null = Folder.filePath(QStringLiteral("null.png"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), Null));
    EXPECT_EQ(Render({Null}).Code, RenderOk);
    EXPECT_TRUE(IsCharacterDevice(QStringLiteral("/dev/null")));

    // A file limit the picture and the dump exceed stands for a disk filling up while writing:
    // both fail, the old files keep every byte, and no temporary file is left behind.
    const QString Old = Folder.filePath(QStringLiteral("old.png")), OldJson = Folder.filePath(QStringLiteral("old.json"));
    ASSERT_EQ(Render({QStringLiteral("--panel"), QStringLiteral("domain"), QStringLiteral("--size"), QStringLiteral("16"),
                      QStringLiteral("--dump"), OldJson, Old}).Code, RenderOk);
    const QByteArray Picture = Bytes(Old), Dump = Bytes(OldJson);
    ASSERT_LT(Picture.size(), 1024);  // a panel of 16 pixels
    ASSERT_GT(Dump.size(), 1024);     // the same scene whatever the size
    const QStringList Before = QDir(Folder.path()).entryList(QDir::Files | QDir::System);
    rlimit Saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &Saved), 0);
    rlimit Small = Saved;
    Small.rlim_cur = 1024;
    auto PreviousHandler = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &Small), 0);
    const Outcome Failed[] = {Render({Old}), Render({Folder.filePath(QStringLiteral("new.svg"))}),
                              Render({Folder.filePath(QStringLiteral("new.pdf"))}),
                              Render({QStringLiteral("--dump"), OldJson})};
    ::setrlimit(RLIMIT_FSIZE, &Saved);
    std::signal(SIGXFSZ, PreviousHandler);
    for (const Outcome& R : Failed) {
        EXPECT_EQ(R.Code, RenderNotWritten) << R.Err.toStdString();
        EXPECT_TRUE(R.Err.contains(QStringLiteral("could not be written"))) << R.Err.toStdString();
    }
    EXPECT_EQ(Bytes(Old), Picture);
    EXPECT_EQ(Bytes(OldJson), Dump);
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files | QDir::System), Before);
}

TEST(RenderCommand, BoundsThatAreNoFiniteNumbersAreRefused) {
    QTemporaryDir Folder;
    const QString Png = Folder.filePath(QStringLiteral("x.png"));
    struct Case {
        const char* Option;
        const char* Values;
        const char* Message;
    };
    const std::vector<Case> Cases = {
        {"--clip", "nan,1,-1,1", ResStrings::NumberTooLarge},
        {"--clip", "-inf,inf,-1,1", ResStrings::NumberTooLarge},
        {"--clip", "-1,1,-1,+Infinity", ResStrings::NumberTooLarge},
        {"--clip", "-10^400,1,-1,1", ResStrings::NumberTooLarge},
        {"--clip", "-1,1,-1,1..2", ResStrings::MiswrittenNumber},  // not silently the whole image
        {"--clip", "-1,u,-1,1", ResStrings::VariableInNumber},
        {"--domain", "nan,1,-1,1", ResStrings::NumberTooLarge},
        {"--params", "0,-inf", ResStrings::NumberTooLarge},
        {"--param-range", "-2,2,NaN,2", ResStrings::NumberTooLarge},
    };
    for (const Case& C : Cases) {
        Outcome R = Render({QString::fromLatin1(C.Option), QString::fromLatin1(C.Values), Png});
        EXPECT_EQ(R.Code, RenderBadMap) << C.Option << " " << C.Values;
        EXPECT_TRUE(R.Err.contains(QString::fromLatin1(C.Message))) << C.Values << ": " << R.Err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Png)) << C.Values;
    }
    const QString Json = Folder.filePath(QStringLiteral("clip.json"));
    ASSERT_EQ(Render({QStringLiteral("--clip"), QStringLiteral("-sqrt(2),1,-1,10^300"), QStringLiteral("--dump"), Json}).Code,
              RenderOk);
    EXPECT_EQ(ReadJson(Json)["image"]["whole"], false);
}

TEST(RenderCommand, ThePixelsOfAPngPictureAreCapped) {
    QTemporaryDir Folder;
    const QString Png = Folder.filePath(QStringLiteral("big.png")), Svg = Folder.filePath(QStringLiteral("big.svg"));
    const QString Cap = QString::number(MaxPngSize), Over = QString::number(MaxPngSize + 1);
    for (const QString& Panel : {QStringLiteral("both"), QStringLiteral("domain")}) {
        Outcome R = Render({QStringLiteral("--size"), Over, QStringLiteral("--panel"), Panel, Png});
        EXPECT_EQ(R.Code, RenderUsage);
        EXPECT_TRUE(R.Err.contains(Cap)) << R.Err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Png));
    }
    // Vector pictures cost no memory by their size and keep their range.
    EXPECT_EQ(Render({QStringLiteral("--size"), Over, Svg}).Code, RenderOk);
    EXPECT_EQ(Render({QStringLiteral("--size"), QString::number(MaxPictureSize + 1), Svg}).Code, RenderUsage);
    EXPECT_TRUE(Render({QStringLiteral("--help")}).Out.contains(Cap));
    // The window's export shares the cap.
    TorvaneScene T;
    T.ReadAndDraw(true);
    EXPECT_NE(ExportPicture(T, Png.toStdString(), PicturePanels::Image, MaxPngSize + 1), "");
    EXPECT_FALSE(QFileInfo::exists(Png));
}

// A PNG picture for a screen with two device pixels to a pixel: the picture of --size with
// twice the pixels a side, its thin lines still one pixel (the grid's ink about doubles with
// its length), its locus twice as wide.
TEST(RenderCommand, AScaledPngPictureHasTheDevicePixelsOfAFineScreen) {
    QTemporaryDir Folder;
    auto Ink = [](const QImage& I) {
        long long N = 0;
        for (int Y = 0; Y < I.height(); ++Y)
            for (int X = 0; X < I.width(); ++X) N += (I.pixel(X, Y) & 0xFFFFFF) != 0xFFFFFF;
        return N;
    };
    const QString Plain = Folder.filePath(QStringLiteral("plain.png")), Fine = Folder.filePath(QStringLiteral("fine.png"));
    for (const QString& Locus : {QStringLiteral("off"), QStringLiteral("on")}) {
        ASSERT_EQ(Render({QStringLiteral("--locus"), Locus, Plain}).Code, RenderOk);
        ASSERT_EQ(Render({QStringLiteral("--locus"), Locus, QStringLiteral("--scale"), QStringLiteral("2"), Fine}).Code,
                  RenderOk);
        const QImage A(Plain), B(Fine);
        ASSERT_EQ(B.size(), 2 * A.size());
        const double Ratio = double(Ink(B)) / double(Ink(A));
        if (Locus == QStringLiteral("off")) {
            EXPECT_GT(Ratio, 1.5);
            EXPECT_LT(Ratio, 2.6);
        } else {
            EXPECT_GT(Ratio, 2.0) << "the locus is twice as wide";
        }
    }
}

}  // namespace
