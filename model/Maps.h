// View transforms of the two panels: the plane view (an affine fit of a world rectangle) and
// the sphere view (the plane carried onto a sphere by inverse stereographic projection and
// shown along a rotatable direction), both ways between world points and panel pixels.
#pragma once

#include "common/ConstTypesAndGlobals.h"

// The u (or x) coordinate of the point a sphere pixel shows when it shows none.
inline constexpr double NoPoint = 1511724757.0;

// One panel's sphere. Rotation holds the rows r1, r2, r3 of the view matrix.
struct SphereView {
    double Radius = 1;
    double RadiusSqr = 1;
    double Scale = 126;  // pixels per world unit of the sphere picture
    Point2 Centre;
    PixelPoint CentrePixel{140, 140};
    double Rotation[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}};
};

// One panel's plane view, as the last fitting left it.
struct PlaneView {
    Point2 ViewMin, ViewMax;
    Point2 PixPerUnit, UnitPerPixel;
    PixelRect ViewRect;
    PixelPoint PanelCentre;
};

// A panel position rounded to the nearest pixel (halves to even); positions far outside any
// panel are pulled in to a million pixels, where they still lie outside.
int RoundPixel(double X);

// Which = 1: the domain sphere's reset values, 2: the image sphere's; other values: nothing.
void ResetSphere(SphereView& S, int Which);

// The space point, relative to the sphere's centre, of a plane point.
Point3 InvStereo(const SphereView& S, Point2 P);

// Panel position (not rounded) of a world point in plane mode; z is ignored.
Point2 PlaneToPanel(const PlaneView& V, const Point3& P);
// Panel position of a space point relative to the sphere's centre; Rear when it is on the
// half facing away from the viewer (the silhouette counts as front).
Point2 SphereToPanel(const SphereView& S, PixelPoint PanelCentre, const Point3& P, bool& Rear);

// World point at a panel pixel in plane mode.
Point2 PlanePixelToPoint(const PlaneView& V, int32_t X, int32_t Y);
// World point at a panel pixel in sphere mode, on the front or the rear hemisphere;
// (NoPoint, 0) off the sphere's outline or at its south pole.
Point2 SpherePixelToPoint(const SphereView& S, int32_t X, int32_t Y, bool Rear);

// Fits a panel's view into a pixel rectangle (the panel or a printed frame). In sphere mode
// the sphere's Scale and CentrePixel follow the rectangle; the image's plane quantities then
// keep their last values, while the domain's are fitted to the whole rectangle.
void FitDomainView(PlaneView& V, SphereView& S, bool Sphere, PixelRect Rect, Point2 Min,
                   Point2 Max, bool PreserveRatio);
void FitImageView(PlaneView& V, SphereView& S, bool Sphere, PixelRect Rect, Point2 Min,
                  Point2 Max, bool PreserveRatio);
