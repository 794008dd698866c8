// The derivatives of the scene's map, for both map kinds, in one place: the Jacobian
// determinant and its gradient (exact from the derivative programs for real maps, by the
// five-point rule for complex maps), and the partial derivatives of the image point in space
// that the tangent cross shows.
#pragma once

#include <complex>

#include "model/SceneState.h"

// The Jacobian and its gradient: exact from the derivative programs for real maps, by the
// five-point rule (h = 0.0002) for complex maps. A holomorphic w needs only its derivative
// along u (J = |w'|^2, and the gradient follows from w'' on the same five samples); other
// complex maps take the rule along both axes, and the rule again on J for its gradient.
bool RealJacobian(const SceneState& S, Point2 P, double& J);
bool RealJacobianGradient(const SceneState& S, Point2 P, Point2& G);
bool RealJacobianAndGradient(const SceneState& S, Point2 P, double& J, Point2& G);
// The partials of x and of y at P, each as (f_u, f_v, f_uu, f_vv, f_uv), exact from the
// second-order programs; false where one is not a finite number.
bool RealSecondPartials(const SceneState& S, Point2 P, double X[5], double Y[5]);
bool ComplexJacobian(const SceneState& S, Point2 P, double& J);
bool ComplexJacobianGradient(const SceneState& S, Point2 P, Point2& G);
bool ComplexJacobianAndGradient(const SceneState& S, Point2 P, double& J, Point2& G);

// The samples of w at P - 2h .. P + 2h along u, kept so that J and then its gradient at the
// same point cost five map evaluations together.
class HolomorphicStencil {
public:
    bool Jacobian(const SceneState& S, Point2 P, double& J);
    bool JacobianAndGradient(const SceneState& S, Point2 P, double& J, Point2& G);
    bool Holds(Point2 P) const { return HaveSides && P.X == At.X && P.Y == At.Y; }

private:
    bool Sides(const SceneState& S, Point2 P);
    Point2 At{0, 0};
    std::complex<double> W[5];
    bool HaveSides = false, HaveCentre = false;
};

// The image point in space (ImagePoint3) at P and its two partial derivatives by central
// differences (h = 1e-6); false where one of the five evaluations fails.
bool ImagePoint3Derivs(const SceneState& S, Point2 P, Point3& G, Point3& Gu, Point3& Gv);
