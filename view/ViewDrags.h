// The drags over the panels that change what the views show: the translation (Ctrl) and zoom
// (Shift) of the domain and of the image rectangle, and the parameter spot of the Parameters
// pad, whose pixels stand for parameter values. (A drag over a sphere is in
// SphereManipulation.)
#pragma once

#include "model/SceneState.h"

// One step of a drag over the Domain (Image) panel at pixel At: Translate (Ctrl) moves the
// rectangle with the mouse, otherwise (Shift) zooms it about its centre. Returns true when
// the rectangle changed; the derived fields are then set again (SetBasicData) and the image
// is a clip rectangle. Nothing happens unless the scene is ready (and, for the image, plane).
bool ChangeDomain(SceneState& S, PixelPoint At, bool Translate);
bool ChangeImageBounds(SceneState& S, PixelPoint At, bool Translate);

// The scale of the Parameters pad: parameter units per pixel along each axis (pixels 0..199
// span the parameter rectangle).
void SetParameterScale(SceneState& S);
// The parameter values at a pad pixel (left edge pMin, top edge qMax).
Point2 ParametersAtPixel(const SceneState& S, PixelPoint Pixel);
// The pad pixel of the current parameter values; the pad's centre along an axis of zero width.
PixelPoint SpotOfParameters(const SceneState& S);
