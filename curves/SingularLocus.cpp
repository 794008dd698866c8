// Jacobians, the locus tracing and its node store.
#include "curves/SingularLocus.h"

#include <cmath>

#include "formula/OCFunctDDDoubleSafe.h"
#include "view/SceneViews.h"

namespace {

// f_u, f_v, f_uu, f_vv and f_uv of a real formula at P, from its second-order program.
bool SecondPartials(TOCFunctDDDoubleSafe& F, Point2 P, double D[5]) {
    SecondDerivativeResult U, V, UV;
    const double AlongU[] = {P.X, P.Y, 1, 0, 0, 0};
    const double AlongV[] = {P.X, P.Y, 0, 1, 0, 0};
    const double AlongBoth[] = {P.X, P.Y, 1, 1, 0, 0};
    F.EvaluateWithSecondDerivative(AlongU, U);
    F.EvaluateWithSecondDerivative(AlongV, V);
    F.EvaluateWithSecondDerivative(AlongBoth, UV);
    D[0] = U.Derivative;
    D[1] = V.Derivative;
    D[2] = U.SecondDerivative;
    D[3] = V.SecondDerivative;
    D[4] = (UV.SecondDerivative - U.SecondDerivative - V.SecondDerivative) * 0.5;
    for (int I = 0; I < 5; ++I)
        if (!std::isfinite(D[I])) return false;
    return true;
}

constexpr double H = 0.0002;

// The five-point rule along u and v of a function g of the domain point.
template <class Function>
bool FivePoint(Point2 P, Function G, double Du[], double Dv[], int Count) {
    const double Offsets[4] = {H, -H, -2 * H, 2 * H};
    double Values[2][4][2];
    for (int Axis = 0; Axis < 2; ++Axis)
        for (int K = 0; K < 4; ++K) {
            Point2 Q = Axis == 0 ? Point2{P.X + Offsets[K], P.Y} : Point2{P.X, P.Y + Offsets[K]};
            if (!G(Q, Values[Axis][K])) return false;
        }
    for (int C = 0; C < Count; ++C) {
        Du[C] = (8 * (Values[0][0][C] - Values[0][1][C]) + Values[0][2][C] - Values[0][3][C]) / 0.0024;
        Dv[C] = (8 * (Values[1][0][C] - Values[1][1][C]) + Values[1][2][C] - Values[1][3][C]) / 0.0024;
    }
    return true;
}

// The tracer's view of the scene.
class LocusClient : public ImplicitCurveClient {
public:
    explicit LocusClient(SceneState& Scene) : S(Scene) {}
    bool Value(Point2 P, double& F) override { return S.Procedures.Jacobian(S, P, F); }
    bool Gradient(Point2 P, Point2& G) override { return S.Procedures.JacobianGradient(S, P, G); }
    void StoreNode(Point2 P, int32_t Flag) override { StoreSingLocusNode(S, P, Flag); }
    bool AcceptStep(Point2 Old, Point2 New) override { return CheckJump(S, Old, New); }

private:
    SceneState& S;
};

// A node whose image cannot be computed is kept where no panel draws it.
Point3 ImagePosition(const SceneState& S, Point2 P) {
    Point3 G;
    if (!S.Procedures.ImagePoint3(S, P, G)) G = {NoPoint, 0, 0};
    return G;
}

}  // namespace

bool RealJacobian(const SceneState& S, Point2 P, double& J) {
    ++S.JacobianEvaluations;
    DerivativeResult XU, XV, YU, YV;
    const double AlongU[] = {P.X, P.Y, 1, 0};
    const double AlongV[] = {P.X, P.Y, 0, 1};
    S.XFunction->EvaluateWithDerivative(AlongU, XU);
    S.XFunction->EvaluateWithDerivative(AlongV, XV);
    S.YFunction->EvaluateWithDerivative(AlongU, YU);
    S.YFunction->EvaluateWithDerivative(AlongV, YV);
    J = XU.Derivative * YV.Derivative - XV.Derivative * YU.Derivative;
    return std::isfinite(J);
}

bool RealJacobianGradient(const SceneState& S, Point2 P, Point2& G) {
    ++S.GradientEvaluations;
    double X[5], Y[5];  // u, v, uu, vv, uv
    if (!SecondPartials(*S.XFunction, P, X) || !SecondPartials(*S.YFunction, P, Y)) return false;
    G.X = X[2] * Y[1] + X[0] * Y[4] - X[4] * Y[0] - X[1] * Y[2];
    G.Y = X[4] * Y[1] + X[0] * Y[3] - X[3] * Y[0] - X[1] * Y[4];
    return std::isfinite(G.X) && std::isfinite(G.Y);
}

bool ComplexJacobian(const SceneState& S, Point2 P, double& J) {
    ++S.JacobianEvaluations;
    double Du[2], Dv[2];
    auto Map = [&S](Point2 Q, double* Out) {
        Point2 W;
        if (!S.Procedures.MapPoint(S, Q, W)) return false;
        Out[0] = W.X;
        Out[1] = W.Y;
        return true;
    };
    if (!FivePoint(P, Map, Du, Dv, 2)) return false;
    J = Du[0] * Dv[1] - Du[1] * Dv[0];
    return std::isfinite(J);
}

bool ComplexJacobianGradient(const SceneState& S, Point2 P, Point2& G) {
    ++S.GradientEvaluations;
    double Du[1], Dv[1];
    auto Jacobian = [&S](Point2 Q, double* Out) { return ComplexJacobian(S, Q, Out[0]); };
    if (!FivePoint(P, Jacobian, Du, Dv, 1)) return false;
    G = {Du[0], Dv[0]};
    return std::isfinite(G.X) && std::isfinite(G.Y);
}

bool CheckJump(const SceneState& S, Point2 Old, Point2 New) {
    if (!(Distance3(DomainPoint3(S, Old), DomainPoint3(S, New)) < S.DomJump)) return false;
    Point3 A, B;
    if (!S.Procedures.ImagePoint3(S, Old, A) || !S.Procedures.ImagePoint3(S, New, B)) return false;
    return Distance3(A, B) < S.ImgJump;
}

void StoreSingLocusNode(SceneState& S, Point2 P, int32_t Flag) {
    Curve33& L = S.SingLocus;
    int32_t K = ++L.LastIndex;
    if (static_cast<int32_t>(L.Nodes.size()) <= K) L.Nodes.resize(static_cast<size_t>(K) + 100);
    L.Nodes[static_cast<size_t>(K)] = {Flag, P, DomainPoint3(S, P), ImagePosition(S, P)};
}

void ComputeSingularLocus(SceneState& S, TImplicitCurveLine& Tracer) {
    S.DomJump = S.StereoDomain ? S.DomSphere.Radius / 40 : S.DomDiag / 100;
    S.ImgJump = S.StereoImage ? S.ImgSphere.Radius / 40 : S.ImgDiag / 100;
    S.SingLocus.LastIndex = -1;
    if (!S.ShowSingLocus) return;
    LocusClient Client(S);
    Tracer.Run(Client, S.DomMin, S.DomMax, 50, 500, S.DomPixelSize);
}

void UpdateSingularLocus(SceneState& S, int Which) {
    Curve33& L = S.SingLocus;
    if (L.LastIndex <= 0) return;
    for (int32_t I = 0; I <= L.LastIndex; ++I) {
        LocusNode& N = L.Nodes[static_cast<size_t>(I)];
        if (Which == 1)
            N.DomPos = DomainPoint3(S, N.DomPt);
        else
            N.ImgPos = ImagePosition(S, N.DomPt);
    }
}
