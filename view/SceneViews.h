// The map and view procedures of a scene: binding them to the map kind and the view modes,
// and the operations built on them (space points of domain and image points, the point under
// a Domain panel pixel).
#pragma once

#include "view/SceneState.h"

// Binds the procedures from MapType, StereoDomain and StereoImage; a MapType other than 0
// or 1 leaves the map procedure as it was.
void BindViewProcedures(SceneState& S);

// The space point of a domain point: on the domain sphere or (u, v, 0).
Point3 DomainPoint3(const SceneState& S, Point2 P);

// ImagePoint3 at P and its two partial derivatives by central differences (h = 1e-6);
// false where one of the five evaluations fails.
bool ImagePoint3Derivs(const SceneState& S, Point2 P, Point3& G, Point3& Gu, Point3& Gv);

// The domain point under a Domain panel pixel and its image; true when it lies in the domain
// rectangle. Hemisphere: 0 front, 1 rear, 2 front first then rear (set to the one used).
// The map is evaluated only for a point inside the domain.
bool PickDomainPoint(const SceneState& S, Point2& DomPt, Point2& ImgPt, int32_t X, int32_t Y,
                     int& Hemisphere);
