// The computed scene as JSON: the status text, the image rectangle, the flatness tolerance and
// diagonal of the image, the 84 grid and image curves with their flags and points, and the
// singular-locus nodes, the isolated singular points, and, when the scene shades by the number
// of preimages, the counts of a RasterSize x RasterSize raster over the image rectangle.
#pragma once

#include <nlohmann/json.hpp>

#include "scene/TorvaneScene.h"

nlohmann::json DumpScene(const TorvaneScene& T, int RasterSize = 460);
