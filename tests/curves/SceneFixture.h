// A scene with compiled formulas, its derived fields set and its procedures bound, as a
// Draw It would leave it before the curves are computed.
#pragma once

#include <gtest/gtest.h>

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
        // A fixture with a mistake in a formula would test nothing: it fails the test.
        std::string Error;
        X.Compile(XText, "uv", "pq", Error);
        EXPECT_EQ(Error, "") << "x(u,v) = " << XText;
        Y.Compile(YText, "uv", "pq", Error);
        EXPECT_EQ(Error, "") << "y(u,v) = " << YText;
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
        try {
            W.Compile(WText, "pz");
        } catch (const FormulaError& E) {
            ADD_FAILURE() << "w(z) = " << WText << ": " << E.what();
        }
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
