// A scene with compiled formulas, its derived fields set and its procedures bound, as a
// Draw It would leave it before the curves are computed.
#pragma once

#include <memory>
#include <string>

#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "model/SceneState.h"
#include "model/MapDerivatives.h"
#include "model/MapKinds.h"
#include "view/SceneViews.h"

struct SceneFixture {
    TOCFunctDDDoubleSafe X, Y;
    TOCComplexFunction W;
    SceneState S;

    SceneFixture(const std::string& XText, const std::string& YText, double P = 0, double Q = 0) {
        std::string Error;
        X.Compile(XText, "uv", "pq", Error);
        Y.Compile(YText, "uv", "pq", Error);
        const double Parameters[] = {P, Q};
        X.SetParameters(Parameters);
        Y.SetParameters(Parameters);
        S.XFunction = &X;
        S.YFunction = &Y;
        S.WFunction = &W;
        S.WholeImage = true;
        Prepare();
    }

    // A complex map w(z) with parameter p.
    SceneFixture(const std::string& WText, Point2 P) {
        W.Compile(WText, "pz");
        S.XFunction = &X;
        S.YFunction = &Y;
        S.WFunction = &W;
        S.MapType = 1;
        S.ComplexParam = P;
        S.WholeImage = true;
        Prepare();
    }

    void Prepare() {
        BindViewProcedures(S);
        SetBasicData(S);
        S.SceneReady = true;
    }
};
