// The command-line renderer run in-process: pictures in the three formats, the JSON dump of
// the computed scene, documents with options on top, and the exit codes and messages of every
// kind of mistake.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include "common/ResStrings.h"
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
        {{QStringLiteral("--w"), QStringLiteral("z"), QStringLiteral("--x"), QStringLiteral("u"), Png}, RenderUsage,
         "not both"},
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
                               "--locus", "--preserve-ratio", "--sphere-domain", "--sphere-image",
                               "--panel", "--size", "--dump"})
        EXPECT_TRUE(Help.Out.contains(QString::fromLatin1(Option))) << Option;
}

}  // namespace
