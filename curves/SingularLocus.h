// The singular locus of the map, where its Jacobian determinant vanishes: the Jacobian of
// either map kind, the tracing with the implicit curve tracer, and the node store that keeps
// each node's domain point, so that a change of view only re-projects the nodes.
#pragma once

#include "curves/FImplicitCurveLine.h"
#include "view/SceneState.h"

// Jacobians for BindViewProcedures: exact from the derivative programs for real maps, by the
// five-point rule (h = 0.0002) for complex maps.
bool RealJacobian(const SceneState& S, Point2 P, double& J);
bool RealJacobianGradient(const SceneState& S, Point2 P, Point2& G);
bool ComplexJacobian(const SceneState& S, Point2 P, double& J);
bool ComplexJacobianGradient(const SceneState& S, Point2 P, Point2& G);

// Sets DomJump and ImgJump, empties SingLocus and, when ShowSingLocus, traces it again.
void ComputeSingularLocus(SceneState& S, TImplicitCurveLine& Tracer);

// The tracer's step test: the step must not jump in either panel.
bool CheckJump(const SceneState& S, Point2 Old, Point2 New);
void StoreSingLocusNode(SceneState& S, Point2 P, int32_t Flag);

// Which = 1 re-projects every node's domain position, any other value its image position.
void UpdateSingularLocus(SceneState& S, int Which);
