// The image rectangle: estimated to hold the whole image, or read from the four clip fields,
// with the flatness tolerance of the image curves; and the translation and zoom of the domain
// and of the image rectangle by mouse drags.
#pragma once

#include <string>

#include "view/SceneState.h"

// Samples the plane map on a 16 x 16 grid over the domain and sets ImgMin, ImgMax (the
// sampled box widened by 10 %), ImgCentre, ImgHalf, ImgWidth, ImgDivisor and ImgDiag.
// Values beyond 1e6 are cut to +-1e6. With no evaluable sample the box is [-1.1, 1.1] on
// both axes; an axis on which the map is constant c gets the half width 0.55 max(1, |c|/10)
// about c, so the rectangle always has a positive width.
void EstimateImgBoundsAndDivisor(SceneState& S);

// Reads xMin, xMax, yMin, yMax (in this order) into ImgMin, ImgMax; true when all four are
// numbers and they form a rectangle of positive width and height.
bool VerifyImageBoundsEntries(SceneState& S, const std::string& XMin, const std::string& XMax,
                              const std::string& YMin, const std::string& YMax);

// One step of a drag over the Domain (Image) panel at pixel At: Translate (Ctrl) moves the
// rectangle with the mouse, otherwise (Shift) zooms it about its centre. Returns true when
// the rectangle changed; the derived fields are then set again (SetBasicData) and the image
// is a clip rectangle. Nothing happens unless the scene is ready (and, for the image, plane).
bool ChangeDomain(SceneState& S, PixelPoint At, bool Translate);
bool ChangeImageBounds(SceneState& S, PixelPoint At, bool Translate);

// The text a bound field shows for X: 5 characters, 6 for a negative value.
std::string BoundText(double X);
