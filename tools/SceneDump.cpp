// JSON of the computed scene.
#include "tools/SceneDump.h"

#include <algorithm>

#include "curves/PreimageShading.h"

namespace {

nlohmann::json Point(Point2 P) { return {P.X, P.Y}; }
nlohmann::json Point(const Point3& P) { return {P.X, P.Y, P.Z}; }

// Non-finite numbers have no JSON form; they appear as null.
nlohmann::json Family(const Curve3* Lines) {
    nlohmann::json All = nlohmann::json::array();
    for (int I = 0; I <= 20; ++I) {
        nlohmann::json Points = nlohmann::json::array();
        for (int32_t J = 0; J <= Lines[I].LastIndex; ++J) {
            const CurvePoint& C = Lines[I].Points[static_cast<size_t>(J)];
            Points.push_back({{"flag", C.Flag}, {"point", Point(C.P)}});
        }
        All.push_back(Points);
    }
    return All;
}

}  // namespace

nlohmann::json DumpScene(const TorvaneScene& T, int RasterSize) {
    const SceneState& S = T.S;
    nlohmann::json Nodes = nlohmann::json::array();
    for (int32_t I = 0; I <= S.SingLocus.LastIndex; ++I) {
        const LocusNode& N = S.SingLocus.Nodes[static_cast<size_t>(I)];
        Nodes.push_back({{"flag", N.Flag},
                         {"DomPt", Point(N.DomPt)},
                         {"DomPos", Point(N.DomPos)},
                         {"ImgPos", Point(N.ImgPos)}});
    }
    nlohmann::json Cusps = nlohmann::json::array(), Singular = nlohmann::json::array(),
                   Critical = nlohmann::json::array();
    for (const SingularPoint& Q : S.SingPoints) {
        switch (Q.Kind) {
            case SingularPointKind::Cusp:
                Cusps.push_back({{"DomPt", Point(Q.DomPt)}, {"ImgPt", Point(Q.ImgPt)}});
                break;
            case SingularPointKind::LocusSingular:
                Singular.push_back({{"DomPt", Point(Q.DomPt)}});
                break;
            case SingularPointKind::Critical:
                Critical.push_back(
                    {{"z", Point(Q.DomPt)}, {"value", Point(Q.ImgPt)}, {"order", Q.Order}});
                break;
        }
    }
    nlohmann::json Dump = {
        {"status", T.StatusText},
        {"mapType", S.MapType == 0 ? "real" : "complex"},
        {"domain", {{"min", Point(S.DomMin)}, {"max", Point(S.DomMax)}}},
        {"image", {{"min", Point(S.ImgMin)}, {"max", Point(S.ImgMax)}, {"whole", S.WholeImage}}},
        {"ImgDivisor", S.ImgDivisor},
        {"ImgDiag", S.ImgDiag},
        {"curves",
         {{"DomHLines", Family(S.DomHLines)},
          {"DomVLines", Family(S.DomVLines)},
          {"ImgHLines", Family(S.ImgHLines)},
          {"ImgVLines", Family(S.ImgVLines)}}},
        {"singularLocus", Nodes},
    };
    if (S.MapType == 0) {
        Dump["cusps"] = Cusps;
        Dump["locusSingularPoints"] = Singular;
    } else {
        Dump["criticalPoints"] = Critical;
    }
    PreimageCounts Counts;
    if (S.ShadePreimages &&
        CountPlanePreimages(S, S.ImgMin, S.ImgMax, std::min(RasterSize, MaxShadingRaster),
                            std::min(RasterSize, MaxShadingRaster), Counts)) {
        Dump["preimages"] = {{"rect", {S.ImgMin.X, S.ImgMax.X, S.ImgMin.Y, S.ImgMax.Y}},
                             {"width", Counts.Width},
                             {"height", Counts.Height},
                             {"complete", Counts.Complete},
                             {"counts", Counts.Counts}};
    }
    return Dump;
}
