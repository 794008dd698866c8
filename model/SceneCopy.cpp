#include "model/SceneCopy.h"

#include <utility>

SceneState CopyWithoutCurves(SceneState& From) {
    Curve3 Kept[4][21];
    Curve3* Families[4] = {From.DomHLines, From.DomVLines, From.ImgHLines, From.ImgVLines};
    for (int F = 0; F < 4; ++F)
        for (int I = 0; I <= 20; ++I) Kept[F][I] = std::move(Families[F][I]);
    Curve33 KeptLocus = std::move(From.SingLocus);
    PreimageSamples KeptSamples = std::move(From.Preimages);
    SceneState Copy = From;
    From.Preimages = std::move(KeptSamples);
    for (int F = 0; F < 4; ++F)
        for (int I = 0; I <= 20; ++I) Families[F][I] = std::move(Kept[F][I]);
    From.SingLocus = std::move(KeptLocus);
    return Copy;
}

SceneCopy::SceneCopy(SceneState& From) : S(CopyWithoutCurves(From)) {
    if (From.XFunction) X.CopyFrom(*From.XFunction);
    if (From.YFunction) Y.CopyFrom(*From.YFunction);
    if (From.WFunction) W.CopyFrom(*From.WFunction);
    S.XFunction = &X;
    S.YFunction = &Y;
    S.WFunction = &W;
}
