// Map evaluation for both map kinds, and the bound view procedures.
#include "view/SceneViews.h"

#include <cmath>
#include <complex>

#include "curves/SingularLocus.h"
#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"

namespace {

bool RealMap(const SceneState& S, Point2 P, Point2& Q) {
    ++S.MapEvaluations;
    const double Values[2] = {P.X, P.Y};
    Q = {S.XFunction->Evaluate(Values), S.YFunction->Evaluate(Values)};
    return std::isfinite(Q.X) && std::isfinite(Q.Y);
}

bool ComplexMap(const SceneState& S, Point2 P, Point2& Q) {
    ++S.MapEvaluations;
    if (!S.WFunction->IsCompiled()) return false;
    const std::complex<double> Inputs[2] = {{S.ComplexParam.X, S.ComplexParam.Y}, {P.X, P.Y}};
    std::complex<double> W;
    S.WFunction->Evaluate(W, Inputs);
    Q = {W.real(), W.imag()};
    return std::isfinite(Q.X) && std::isfinite(Q.Y);
}

Point2 DomPlaneToPanel(const SceneState& S, const Point3& P, bool& Rear) {
    Rear = false;
    return PlaneToPanel(S.DomView, P);
}
Point2 DomSphereToPanel(const SceneState& S, const Point3& P, bool& Rear) {
    return SphereToPanel(S.DomSphere, S.DomView.PanelCentre, P, Rear);
}
Point2 ImgPlaneToPanel(const SceneState& S, const Point3& P, bool& Rear) {
    Rear = false;
    return PlaneToPanel(S.ImgView, P);
}
Point2 ImgSphereToPanel(const SceneState& S, const Point3& P, bool& Rear) {
    return SphereToPanel(S.ImgSphere, S.ImgView.PanelCentre, P, Rear);
}
Point2 DomPlanePixel(const SceneState& S, int32_t X, int32_t Y, bool) {
    return PlanePixelToPoint(S.DomView, X, Y);
}
Point2 DomSpherePixel(const SceneState& S, int32_t X, int32_t Y, bool Rear) {
    return SpherePixelToPoint(S.DomSphere, X, Y, Rear);
}
Point2 ImgPlanePixel(const SceneState& S, int32_t X, int32_t Y, bool) {
    return PlanePixelToPoint(S.ImgView, X, Y);
}
Point2 ImgSpherePixel(const SceneState& S, int32_t X, int32_t Y, bool Rear) {
    return SpherePixelToPoint(S.ImgSphere, X, Y, Rear);
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

bool Inside(const SceneState& S, Point2 P) {
    return P.X != NoPoint && S.DomView.ViewMin.X <= P.X && P.X <= S.DomView.ViewMax.X &&
           S.DomView.ViewMin.Y <= P.Y && P.Y <= S.DomView.ViewMax.Y;
}

}  // namespace

void BindViewProcedures(SceneState& S) {
    ViewProcedures& V = S.Procedures;
    if (S.MapType == 0) {
        V.MapPoint = RealMap;
        V.Jacobian = RealJacobian;
        V.JacobianGradient = RealJacobianGradient;
    }
    if (S.MapType == 1) {
        V.MapPoint = ComplexMap;
        V.Jacobian = ComplexJacobian;
        V.JacobianGradient = ComplexJacobianGradient;
    }
    V.ImgToPanel = S.StereoImage ? ImgSphereToPanel : ImgPlaneToPanel;
    V.ImgPixelToPoint = S.StereoImage ? ImgSpherePixel : ImgPlanePixel;
    V.ImagePoint3 = S.StereoImage ? ImagePointOnSphere : ImagePointOnPlane;
    V.DomToPanel = S.StereoDomain ? DomSphereToPanel : DomPlaneToPanel;
    V.DomPixelToPoint = S.StereoDomain ? DomSpherePixel : DomPlanePixel;
}

Point3 DomainPoint3(const SceneState& S, Point2 P) {
    return S.StereoDomain ? InvStereo(S.DomSphere, P) : Point3{P.X, P.Y, 0};
}

bool ImagePoint3Derivs(const SceneState& S, Point2 P, Point3& G, Point3& Gu, Point3& Gv) {
    constexpr double H = 1e-6;
    Point3 UPlus, UMinus, VPlus, VMinus;
    auto Image = S.Procedures.ImagePoint3;
    if (!Image(S, P, G) || !Image(S, {P.X + H, P.Y}, UPlus) ||
        !Image(S, {P.X - H, P.Y}, UMinus) || !Image(S, {P.X, P.Y + H}, VPlus) ||
        !Image(S, {P.X, P.Y - H}, VMinus))
        return false;
    Gu = {(UPlus.X - UMinus.X) * 500000, (UPlus.Y - UMinus.Y) * 500000,
          (UPlus.Z - UMinus.Z) * 500000};
    Gv = {(VPlus.X - VMinus.X) * 500000, (VPlus.Y - VMinus.Y) * 500000,
          (VPlus.Z - VMinus.Z) * 500000};
    return true;
}

bool PickDomainPoint(const SceneState& S, Point2& DomPt, Point2& ImgPt, int32_t X, int32_t Y,
                     int& Hemisphere) {
    bool Result;
    if (S.StereoDomain) {
        if (Hemisphere == 0 || Hemisphere == 1) {
            DomPt = SpherePixelToPoint(S.DomSphere, X, Y, Hemisphere == 1);
            Result = Inside(S, DomPt);
        } else {
            Point2 Front = SpherePixelToPoint(S.DomSphere, X, Y, false);
            if (Inside(S, Front)) {
                DomPt = Front;
                Hemisphere = 0;
                Result = true;
            } else {
                DomPt = SpherePixelToPoint(S.DomSphere, X, Y, true);
                Hemisphere = 1;
                Result = Inside(S, DomPt);
            }
        }
    } else {
        DomPt = PlanePixelToPoint(S.DomView, X, Y);
        Result = Inside(S, DomPt);
        Hemisphere = 0;
    }
    // A point outside the domain is never evaluated: it may be NoPoint, or where the map
    // has a pole.
    if (!Result) return false;
    return S.Procedures.MapPoint(S, DomPt, ImgPt);
}
