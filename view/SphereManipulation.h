// One step of a mouse drag over a panel in sphere mode: a plain drag turns the sphere like a
// trackball, Shift changes its radius, Ctrl moves its centre over the plane.
#pragma once

#include "model/Maps.h"

struct DragModifiers {
    bool Shift = false;
    bool Ctrl = false;
};

// Prev: the mouse position at the previous step, Cur: the present one (panel pixels).
// Returns true when S was changed.
bool ChangeSphere(SphereView& S, PixelPoint Prev, PixelPoint Cur, DragModifiers Held);

// The unit vector, in sphere coordinates, of the pixel P wrapped onto a virtual sphere about
// the centre pixel; false when it is too short to use.
bool TrackballVector(const SphereView& S, PixelPoint P, Point3& Result);

// Turns S so that the sphere point shown under Prev appears under Cur; false (S unchanged)
// where the turn is undefined (a vector too short, or two opposite vectors).
bool RotateSphere(SphereView& S, PixelPoint Cur, PixelPoint Prev);
