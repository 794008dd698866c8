// The bound procedures of a scene, and picking in the Domain panel.
#include "view/SceneViews.h"

#include "model/MapDerivatives.h"
#include "model/MapKinds.h"

namespace {

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
Point2 ImgPlanePixel(const SceneState& S, int32_t X, int32_t Y, bool) {
    return PlanePixelToPoint(S.ImgView, X, Y);
}
Point2 ImgSpherePixel(const SceneState& S, int32_t X, int32_t Y, bool Rear) {
    return SpherePixelToPoint(S.ImgSphere, X, Y, Rear);
}
bool Inside(const SceneState& S, Point2 P) {
    return P.X != NoPoint && S.DomView.ViewMin.X <= P.X && P.X <= S.DomView.ViewMax.X &&
           S.DomView.ViewMin.Y <= P.Y && P.Y <= S.DomView.ViewMax.Y;
}

}  // namespace

void BindViewProcedures(SceneState& S) {
    ViewProcedures& V = S.Procedures;
    if (S.MapType == RealMapType) {
        V.MapPoint = RealMapPoint;
        V.Jacobian = RealJacobian;
        V.JacobianGradient = RealJacobianGradient;
    }
    if (S.MapType == ComplexMapType) {
        V.MapPoint = ComplexMapPoint;
        V.Jacobian = ComplexJacobian;
        V.JacobianGradient = ComplexJacobianGradient;
    }
    V.ImgToPanel = S.StereoImage ? ImgSphereToPanel : ImgPlaneToPanel;
    V.ImgPixelToPoint = S.StereoImage ? ImgSpherePixel : ImgPlanePixel;
    V.ImagePoint3 = S.StereoImage ? ImagePointOnSphere : ImagePointOnPlane;
    V.DomToPanel = S.StereoDomain ? DomSphereToPanel : DomPlaneToPanel;
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
