// The procedures of a scene bound to its map kind and view modes, and the point under a
// Domain panel pixel.
#pragma once

#include "model/SceneState.h"

// Binds the procedures from MapType, StereoDomain and StereoImage; a MapType other than 0
// or 1 leaves the map procedures as they were.
void BindViewProcedures(SceneState& S);

// The domain point under a Domain panel pixel and its image; true when it lies in the domain
// rectangle. Hemisphere: 0 front, 1 rear, 2 front first then rear (set to the one used).
// The map is evaluated only for a point inside the domain.
bool PickDomainPoint(const SceneState& S, Point2& DomPt, Point2& ImgPt, int32_t X, int32_t Y,
                     int& Hemisphere);
