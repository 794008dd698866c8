// Map evaluation for both map kinds, and the space points of domain and image points.
#include "model/MapKinds.h"

#include <cmath>
#include <complex>

#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"

bool RealMapPoint(const SceneState& S, Point2 P, Point2& Q) {
    ++S.MapEvaluations;
    const double Values[2] = {P.X, P.Y};
    Q = {S.XFunction->Evaluate(Values), S.YFunction->Evaluate(Values)};
    return std::isfinite(Q.X) && std::isfinite(Q.Y);
}

bool ComplexMapPoint(const SceneState& S, Point2 P, Point2& Q) {
    ++S.MapEvaluations;
    if (!S.WFunction->IsCompiled()) return false;
    const std::complex<double> Inputs[2] = {{S.ComplexParam.X, S.ComplexParam.Y}, {P.X, P.Y}};
    std::complex<double> W;
    S.WFunction->Evaluate(W, Inputs);
    Q = {W.real(), W.imag()};
    return std::isfinite(Q.X) && std::isfinite(Q.Y);
}

Point3 DomainPoint3(const SceneState& S, Point2 P) {
    return S.StereoDomain ? InvStereo(S.DomSphere, P) : Point3{P.X, P.Y, 0};
}

bool ImagePointOnPlane(const SceneState& S, Point2 P, Point3& G) {
    Point2 Q;
    if (!S.Procedures.MapPoint(S, P, Q)) return false;
    G = {Q.X, Q.Y, 0};
    return true;
}

bool ImagePointOnSphere(const SceneState& S, Point2 P, Point3& G) {
    Point2 Q;
    if (!S.Procedures.MapPoint(S, P, Q)) return false;
    G = InvStereo(S.ImgSphere, Q);
    return true;
}
