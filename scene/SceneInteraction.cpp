// Mouse and keyboard handlers of the scene: the cross and read-outs, domain and image drags,
// sphere drags, the little circle, the cross size keys and the fields that redraw as they are
// typed in.
#include <cmath>

#include "curves/ImageBounds.h"
#include "scene/PanelRendering.h"
#include "scene/SceneWork.h"
#include "scene/TorvaneScene.h"
#include "view/SceneViews.h"
#include "view/SphereManipulation.h"
#include "view/ViewDrags.h"

namespace {

std::string ReadoutText(double X) { return FixedText(X, 7, 4); }
std::string ParameterText(double X) { return FixedText(X, 4, 4); }
std::string RewrittenText(double X) { return FixedText(X, 4, 2); }

DragModifiers Modifiers(ShiftState Held) { return {Held.Shift, Held.Ctrl}; }

}  // namespace

// ---- Domain panel ----

void TorvaneScene::OnMouseDownInDomain(MouseButton Button, ShiftState, int X, int Y) {
    if (S.SceneReady && Button == MouseButton::Right && S.StereoDomain) {
        DomSphereDragging = true;
        DomSphereLast = {X, Y};
    }
}

void TorvaneScene::WriteDomainFields() {
    Text(EditField::uMinEdit) = BoundText(S.DomMin.X);
    Text(EditField::vMinEdit) = BoundText(S.DomMin.Y);
    Text(EditField::uMaxEdit) = BoundText(S.DomMax.X);
    Text(EditField::vMaxEdit) = BoundText(S.DomMax.Y);
}

void TorvaneScene::WriteImageFields() {
    Text(EditField::xMinEdit) = BoundText(S.ImgMin.X);
    Text(EditField::yMinEdit) = BoundText(S.ImgMin.Y);
    Text(EditField::xMaxEdit) = BoundText(S.ImgMax.X);
    Text(EditField::yMaxEdit) = BoundText(S.ImgMax.Y);
}

void TorvaneScene::DomainGesture(int X, int Y, bool Translate) {
    if (!ChangeDomain(S, {X, Y}, Translate)) return;
    WriteDomainFields();
    ComputeAndDrawCurves(true);
}

void TorvaneScene::ImageGesture(int X, int Y, bool Translate) {
    if (!ChangeImageBounds(S, {X, Y}, Translate)) return;
    WriteImageFields();
    ComputeAndDrawCurves(true);
}

void TorvaneScene::OnMouseMoveInDomain(ShiftState Held, int X, int Y) {
    if (!S.SceneReady) return;
    if (DomSphereDragging) {
        if (ChangeSphere(S.DomSphere, DomSphereLast, {X, Y}, Modifiers(Held))) {
            Redo(WorkDomainCurves | (S.ShowSingLocus ? WorkLocusDomainPositions : 0) |
                     WorkDrawDomain,
                 true);
            DomSphereLast = {X, Y};
        }
    } else if (Held.Ctrl) {
        DomainGesture(X, Y, true);
    } else if (Held.Shift) {
        DomainGesture(X, Y, false);
    } else {
        S.DomShifting = S.DomZooming = false;
        Point2 DomPt, ImgPt;
        if (DrawCrossInImg(DomPt, ImgPt, X, Y)) {
            Text(EditField::uValueEdit) = ReadoutText(DomPt.X);
            Text(EditField::vValueEdit) = ReadoutText(DomPt.Y);
            Text(EditField::xValueEdit) = ReadoutText(ImgPt.X);
            Text(EditField::yValueEdit) = ReadoutText(ImgPt.Y);
        }
        NamePointAt(X, Y);
    }
}

namespace {

std::string ComplexText(Point2 Z) {
    return ReadoutText(Z.X) + (Z.Y < 0 ? " - " : " + ") + ReadoutText(std::fabs(Z.Y)) + "i";
}

std::string PointName(const SingularPoint& Q) {
    switch (Q.Kind) {
        case SingularPointKind::Cusp:
            return "Cusp at u = " + ReadoutText(Q.DomPt.X) + ", v = " + ReadoutText(Q.DomPt.Y) +
                   "; its image x = " + ReadoutText(Q.ImgPt.X) + ", y = " +
                   ReadoutText(Q.ImgPt.Y);
        case SingularPointKind::LocusSingular:
            return "Singular point of the locus at u = " + ReadoutText(Q.DomPt.X) +
                   ", v = " + ReadoutText(Q.DomPt.Y);
        case SingularPointKind::Critical:
            return "Critical point of order " + std::to_string(Q.Order) + " at z = " +
                   ComplexText(Q.DomPt) + "; critical value w = " + ComplexText(Q.ImgPt);
    }
    return {};
}

}  // namespace

void TorvaneScene::NamePointAt(int X, int Y) {
    // The mark's size on the screen: within it the mouse is on the point.
    constexpr double Reach = 6;
    const SingularPoint* Nearest = nullptr;
    double Best = Reach;
    if (S.ShowSingLocus)
        for (const SingularPoint& Q : S.SingPoints) {
            bool Rear = false;
            const Point2 C = S.Procedures.DomToPanel(S, Q.DomPos, Rear);
            const double D = std::hypot(C.X - X, C.Y - Y);
            if (D <= Best) {
                Best = D;
                Nearest = &Q;
            }
        }
    if (Nearest) {
        PointNamed = PointName(*Nearest);
        Inform(PointNamed);
    } else if (!PointNamed.empty()) {
        if (StatusText == PointNamed) Inform("");
        PointNamed.clear();
    }
}

void TorvaneScene::OnMouseUpInDomain(MouseButton, ShiftState, int, int) {
    DomSphereDragging = S.DomShifting = S.DomZooming = false;
}

// ---- Image panel ----

void TorvaneScene::OnMouseDownInImage(MouseButton Button, ShiftState, int X, int Y) {
    if (S.SceneReady && Button == MouseButton::Right && S.StereoImage) {
        ImgSphereDragging = true;
        ImgSphereLast = {X, Y};
    }
}

void TorvaneScene::OnMouseMoveInImage(ShiftState Held, int X, int Y) {
    if (!S.SceneReady) return;
    if (ImgSphereDragging) {
        if (ChangeSphere(S.ImgSphere, ImgSphereLast, {X, Y}, Modifiers(Held))) {
            const unsigned Locus = S.ShowSingLocus ? WorkLocus : 0;
            // A pure turn: the image points stay, only the view of them changes.
            if (!Held.Shift && !Held.Ctrl && !Held.Middle)
                Redo((S.ShowSingLocus ? WorkLocusImagePositions : 0) | WorkDrawImage, true);
            else
                Redo(WorkImageCurves | Locus | WorkDrawImage, true);
            ImgSphereLast = {X, Y};
        }
    } else if (Held.Ctrl) {
        ImageGesture(X, Y, true);
    } else if (Held.Shift) {
        ImageGesture(X, Y, false);
    } else {
        S.ImgShifting = S.ImgZooming = false;
        if (!S.StereoImage) {
            Point2 P = S.Procedures.ImgPixelToPoint(S, X, Y, false);
            Text(EditField::xValueEdit) = ReadoutText(P.X);
            Text(EditField::yValueEdit) = ReadoutText(P.Y);
        }
    }
}

void TorvaneScene::OnMouseUpInImage(MouseButton, ShiftState, int, int) {
    S.ImgShifting = S.ImgZooming = ImgSphereDragging = false;
}

// ---- Parameters panel ----

void TorvaneScene::ShowParameterValues() {
    Point2 V = S.ParamValue;
    Text(EditField::pValue) = ParameterText(V.X);
    Text(EditField::qValue) = ParameterText(V.Y);
    if (S.MapType == 0)
        HandParametersToFormulas();
    else
        S.ComplexParam = V;
}

void TorvaneScene::OnMouseDownInParameters(MouseButton, ShiftState, int X, int Y) {
    if (!S.SceneReady) return;
    DropAnimation();  // the user takes the spot
    // A click lands inside the panel; pixels 0 and 199 are the ends of each range.
    X = std::max(0, std::min(199, X));
    Y = std::max(0, std::min(199, Y));
    DrawLittleCircle({X, Y}, true);
    ParametersDragging = CoarsePortraitDrawn = false;
    ParametersHeld = true;  // the click and the drag after it are one step
    S.ParamValue = FromParamPanelToParameters({X, Y});
    ShowParameterValues();
    SetCoordinateChangesParam();
    S.Modified = true;
    ComputeAndDrawCurves();
}

void TorvaneScene::TakeParameters(Point2 V) {
    S.ParamValue = V;
    ShowParameterValues();
    SetBasicData(S);
    SetCoordinateChangesParam();
    S.Modified = true;
}

void TorvaneScene::OnMouseMoveInParameters(ShiftState Held, int X, int Y) {
    if (!S.SceneReady || !Held.Left || (X == Spot.X && Y == Spot.Y)) return;
    // Beyond pixel 199 a value would leave its range, and the next Draw It would refuse it.
    if (X < 0 || X > 199 || Y < 0 || Y > 199) return;
    TakeParameters(FromParamPanelToParameters({X, Y}));
    ParametersDragging = true;
    ComputeAndDrawCurves(true);
}

void TorvaneScene::OnMouseUpInParameters(MouseButton, ShiftState, int, int) {
    ParametersDragging = ParametersHeld = false;
    if (!CoarsePortraitDrawn) return;
    CoarsePortraitDrawn = false;
    if (S.SceneReady) Redo(WorkDrawDomain, false);
}

// ---- Keyboard ----

void TorvaneScene::OnKeyDownInForm(int Key) {
    if (Key != KeyLeft && Key != KeyUp && Key != KeyDown) return;
    if (CrossShown) {
        DrawCrossArms();
        CrossShown = false;
    }
    if (Key == KeyLeft)
        CrossSize = 1;
    else if (Key == KeyUp)
        CrossSize = std::min(50.0, 1.3 * CrossSize);
    else
        CrossSize = std::max(0.02, CrossSize / 1.3);
}

// The parameter fields; true when the change needs a redraw.
bool TorvaneScene::ParameterKeyUp(EditField Field, double V) {
    const bool First = Field == EditField::pValue || Field == EditField::pMinEdit ||
                       Field == EditField::pMaxEdit;
    double& Value = First ? S.ParamValue.X : S.ParamValue.Y;
    double& Min = First ? S.ParamMin.X : S.ParamMin.Y;
    double& Max = First ? S.ParamMax.X : S.ParamMax.Y;
    double& Complex = First ? S.ComplexParam.X : S.ComplexParam.Y;
    const EditField ValueField = First ? EditField::pValue : EditField::qValue;
    const EditField MinField = First ? EditField::pMinEdit : EditField::qMinEdit;
    const EditField MaxField = First ? EditField::pMaxEdit : EditField::qMaxEdit;
    auto SetValue = [&](double X) {
        Value = X;
        Complex = X;
        Text(ValueField) = RewrittenText(X);
    };
    if (Field == ValueField) {
        if (V == Value) return false;
        if (V < Min) {
            Min = V - (Max - Min) / 2;
            Text(MinField) = RewrittenText(Min);
        } else if (V > Max) {
            Max = V + (Max - Min) / 2;
            Text(MaxField) = RewrittenText(Max);
        }
        SetValue(V);
        S.ParamWidth[First ? 0 : 1] = Max - Min;
        SetCoordinateChangesParam();
        return true;
    }
    bool Redraw = false;
    if (Field == MinField) {
        if (V == Min) return false;
        if (V >= Value) {
            if (V >= Max) {
                Max = V;
                Text(MaxField) = RewrittenText(Max);
            }
            SetValue(V);
            Redraw = true;
        }
        Min = V;
        Text(MinField) = RewrittenText(Min);
    } else {
        if (V == Max) return false;
        if (V <= Value) {
            if (V <= Min) {
                Min = V;
                Text(MinField) = RewrittenText(Min);
            }
            SetValue(V);
            Redraw = true;
        }
        Max = V;
        Text(MaxField) = RewrittenText(Max);
    }
    return Redraw;
}

void TorvaneScene::OnKeyUp(EditField Field) {
    if (!S.SceneReady) return;
    DropAnimation();
    const std::string& T = Text(Field);
    double V = 0;
    try {
        EvaluateConstantFormula(T, V);
    } catch (const FormulaError& E) {
        // A field being emptied to type a new number is no mistake yet.
        if (!TrimBlanks(T).empty()) Inform(E.what());
        return;
    }
    if (!std::isfinite(V)) return;
    bool Redraw = false, ParameterRedraw = false;
    switch (Field) {
        case EditField::pValue:
        case EditField::qValue:
        case EditField::pMinEdit:
        case EditField::pMaxEdit:
        case EditField::qMinEdit:
        case EditField::qMaxEdit:
            Redraw = ParameterRedraw = ParameterKeyUp(Field, V);
            break;
        default: {
            // A domain bound: stored in any case, drawn only while it stays on its side of
            // the other bound of its axis.
            struct Bound {
                EditField Field;
                double* Value;
                const double* Other;
                bool IsMin;
            };
            const Bound Bounds[] = {{EditField::uMinEdit, &S.DomMin.X, &S.DomMax.X, true},
                                    {EditField::uMaxEdit, &S.DomMax.X, &S.DomMin.X, false},
                                    {EditField::vMinEdit, &S.DomMin.Y, &S.DomMax.Y, true},
                                    {EditField::vMaxEdit, &S.DomMax.Y, &S.DomMin.Y, false}};
            for (const Bound& B : Bounds) {
                if (B.Field != Field || V == *B.Value) continue;
                *B.Value = V;
                Redraw = B.IsMin ? V < *B.Other : V > *B.Other;
            }
            break;
        }
    }
    if (!Redraw) return;
    // A domain whose other bound was left out of order by an earlier key is not drawn.
    if (!(S.DomMin.X < S.DomMax.X && S.DomMin.Y < S.DomMax.Y)) return;
    SetBasicData(S);
    if (ParameterRedraw) {
        if (S.MapType == 0) HandParametersToFormulas();
        SetCoordinateChangesParam();
        AdjustSpotToParameters();
    }
    S.Modified = true;
    ComputeAndDrawCurves();
}

void TorvaneScene::OnKeyUpImageBounds(EditField) {
    if (!S.SceneReady) return;
    if (VerifyImageBoundsEntries(S, Text(EditField::xMinEdit), Text(EditField::xMaxEdit),
                                 Text(EditField::yMinEdit), Text(EditField::yMaxEdit))) {
        S.WholeImage = false;
        SetBasicData(S);
        ComputeAndDrawCurves();
        S.Modified = true;
    } else if (!S.WholeImage) {
        S.WholeImage = true;
        ComputeAndDrawCurves();
    }
}
