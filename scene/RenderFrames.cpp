// The frames of animations: the parameters move along a straight segment while the map stays
// compiled, and each frame is written as a numbered picture or into one animated WebP file.
#include "scene/RenderFrames.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#include "common/ResStrings.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"
#include "scene/WebPAnimation.h"

namespace {

bool ReadBound(const QString& Text, double& V, std::string& Why) {
    try {
        EvaluateConstantFormula(Text.trimmed().toStdString(), V);
    } catch (const FormulaError& E) {
        Why = "\"" + Text.trimmed().toStdString() + "\": " + E.what();
        return false;
    }
    if (!std::isfinite(V)) {
        Why = "\"" + Text.trimmed().toStdString() + "\" is no finite number";
        return false;
    }
    return true;
}

}  // namespace

std::string ReadFramePath(const QString& Text, FramePath& Path) {
    Path = FramePath{};
    const QStringList Moves = Text.split(QLatin1Char(','));
    if (Moves.size() > 2) return "--animate moves p, q or both: \"p=a..b\", \"q=c..d\" or \"p=a..b,q=c..d\"";
    for (const QString& Move : Moves) {
        const qsizetype Equals = Move.indexOf(QLatin1Char('='));
        const QString Name = Move.left(Equals).trimmed().toLower();
        const QString Range = Move.mid(Equals + 1);
        const qsizetype Dots = Range.indexOf(QStringLiteral(".."));
        if (Equals < 0 || Dots < 0 || (Name != QStringLiteral("p") && Name != QStringLiteral("q")))
            return "--animate takes \"p=a..b\", \"q=c..d\" or both, separated by a comma; \"" +
                   Move.trimmed().toStdString() + "\" is neither";
        const bool IsP = Name == QStringLiteral("p");
        if (IsP ? Path.MovesP : Path.MovesQ)
            return "--animate names " + Name.toStdString() + " twice";
        double* Ends = IsP ? Path.P : Path.Q;
        std::string Why;
        if (!ReadBound(Range.left(Dots), Ends[0], Why) || !ReadBound(Range.mid(Dots + 2), Ends[1], Why))
            return "--animate: " + Why;
        (IsP ? Path.MovesP : Path.MovesQ) = true;
        (IsP ? Path.PStart : Path.QStart) = Range.left(Dots).trimmed();
    }
    return "";
}

bool FrameName(const QString& Pattern, int Frame, QString& Name) {
    static const QRegularExpression Place(QStringLiteral("%(0[1-9])?d"));
    if (Pattern.count(QLatin1Char('%')) != 1) return false;
    const QRegularExpressionMatch M = Place.match(Pattern);
    if (!M.hasMatch()) return false;
    const int Width = M.capturedLength(1) > 0 ? M.captured(1).mid(1).toInt() : 0;
    Name = Pattern;
    Name.replace(M.capturedStart(), M.capturedLength(),
                 QStringLiteral("%1").arg(Frame, Width, 10, QLatin1Char('0')));
    return true;
}

std::vector<Point2> FrameParameters(const FramePath& Path, Point2 From, int Count) {
    std::vector<Point2> Values;
    Count = std::max(0, Count);
    Values.reserve(static_cast<size_t>(Count));
    // The last frame is the end itself; rounding may not leave the segment's ends.
    auto At = [Count](const double Ends[2], int K) {
        if (Count == 1 || K == 0) return Ends[0];
        if (K == Count - 1) return Ends[1];
        const double V = Ends[0] + (Ends[1] - Ends[0]) * (static_cast<double>(K) / (Count - 1));
        return std::clamp(V, std::min(Ends[0], Ends[1]), std::max(Ends[0], Ends[1]));
    };
    for (int K = 0; K < Count; ++K)
        Values.push_back({Path.MovesP ? At(Path.P, K) : From.X, Path.MovesQ ? At(Path.Q, K) : From.Y});
    return Values;
}

namespace {

// Every value is checked before the first frame is drawn: a path that leaves the parameter
// ranges is refused whole.
const char* PathRefusal(const TorvaneScene& T, const std::vector<Point2>& Parameters) {
    for (const Point2& V : Parameters) {
        if (!(V.X >= T.S.ParamMin.X && V.X <= T.S.ParamMax.X)) return ResStrings::PValueOutside;
        if (!(V.Y >= T.S.ParamMin.Y && V.Y <= T.S.ParamMax.Y)) return ResStrings::QValueOutside;
    }
    return nullptr;
}

// Computes frame K at V unless the scene is there already (the first frame).
std::string ComputeFrameAt(TorvaneScene& T, size_t K, Point2 V) {
    if (K == 0 && V.X == T.S.ParamValue.X && V.Y == T.S.ParamValue.Y) return "";
    return T.ComputeFrame(V);
}

}  // namespace

std::string WriteAnimation(TorvaneScene& T, const std::vector<Point2>& Parameters,
                           const std::string& Path, PicturePanels Which, int Size,
                           int FramesPerSecond, bool& BadMap, const FrameProgress& Progress) {
    BadMap = false;
    if (const char* Refusal = PathRefusal(T, Parameters)) {
        BadMap = true;
        return Refusal;
    }
    PictureExporter Exporter;
    WebPAnimation Animation(PictureSize(Which, Size), FramesPerSecond);
    for (size_t K = 0; K < Parameters.size(); ++K) {
        {
            // The frame's curves are painted while its locus is traced (as a PNG frame's).
            PaintingAhead Ahead(T, Exporter, "frame.png", Which, Size);
            if (std::string Refusal = ComputeFrameAt(T, K, Parameters[K]); !Refusal.empty()) {
                BadMap = true;
                return Refusal;
            }
        }
        std::string Why;
        const QImage* Frame = Exporter.Raster(T, Which, Size, Why);
        if (!Frame || !Animation.Add(*Frame, Why)) return "The animation could not be made: " + Why + ".";
        if (Progress && !Progress(static_cast<int>(K) + 1, static_cast<int>(Parameters.size())))
            return StoppedAnimation;
    }
    if (std::string Cause = Animation.Write(Path); !Cause.empty())
        return "The animation could not be written to " + Path + ": " + Cause + ".";
    return "";
}

std::string WriteFrames(TorvaneScene& T, const std::vector<Point2>& Parameters,
                        const QString& Pattern, PicturePanels Which, int Size, bool& BadMap,
                        const FrameProgress& Progress) {
    BadMap = false;
    if (const char* Refusal = PathRefusal(T, Parameters)) {
        BadMap = true;
        return Refusal;
    }
    PictureExporter Exporter;  // one raster for every frame
    for (size_t K = 0; K < Parameters.size(); ++K) {
        const Point2 V = Parameters[K];
        QString Name;
        if (!FrameName(Pattern, static_cast<int>(K), Name)) return "the picture's name holds no frame number";
        {
            // The frame's curves are painted while its locus is traced.
            PaintingAhead Ahead(T, Exporter, Name.toStdString(), Which, Size);
            if (std::string Refusal = ComputeFrameAt(T, K, V); !Refusal.empty()) {
                BadMap = true;
                return Refusal;
            }
        }
        std::string Failure = Exporter.Export(T, Name.toStdString(), Which, Size);
        if (!Failure.empty()) return Failure;
        if (Progress && !Progress(static_cast<int>(K) + 1, static_cast<int>(Parameters.size())))
            return StoppedAnimation;
    }
    return "";
}
