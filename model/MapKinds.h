// The two kinds of map and what the formulas see: the real map (x(u,v), y(u,v) with the
// parameters p, q handed to the compiled formulas) and the complex map (w(z) with the complex
// parameter p), evaluated at a domain point; and where domain and image points lie in space
// for the view modes of the scene.
#pragma once

#include "model/SceneState.h"

inline constexpr int RealMapType = 0, ComplexMapType = 1;

// The image of P under the map; false where it is not a finite point (or, for a complex
// map, where no formula is compiled). Each call counts as one map evaluation.
bool RealMapPoint(const SceneState& S, Point2 P, Point2& Q);
bool ComplexMapPoint(const SceneState& S, Point2 P, Point2& Q);

// The space point of a domain point: on the domain sphere or (u, v, 0).
Point3 DomainPoint3(const SceneState& S, Point2 P);

// The space point of P's image: (x, y, 0) in the plane or on the image sphere; false where
// the map fails.
bool ImagePointOnPlane(const SceneState& S, Point2 P, Point3& G);
bool ImagePointOnSphere(const SceneState& S, Point2 P, Point3& G);
