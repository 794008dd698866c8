// The image rectangle: estimated to hold the whole image, or read from the four clip fields,
// with the flatness tolerance of the image curves; and the texts of the bound fields.
#pragma once

#include <string>

#include "model/SceneState.h"

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

// The text a bound field shows for X: 5 characters, 6 for a negative value.
std::string BoundText(double X);
