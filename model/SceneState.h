// The scene that the window shows: the map kind, the domain, parameter and image rectangles,
// the view flags, the four families of grid lines, the views of the two panels and the
// procedures bound to the current map and view modes. The curve and view operations take it
// explicitly, so that each can be used and tested without a window.
#pragma once

#include "common/ConstTypesAndGlobals.h"
#include "model/Colouring.h"
#include "model/ComputeControl.h"
#include "model/Maps.h"

class TOCFunctDDDoubleSafe;
class TOCComplexFunction;
struct SceneState;

// Procedures chosen once per change of map kind or view mode, so that no inner loop tests a
// mode flag. The map procedures return false where the map cannot be evaluated (a result
// that is not a finite number).
struct ViewProcedures {
    bool (*MapPoint)(const SceneState& S, Point2 P, Point2& Q) = nullptr;
    Point2 (*DomToPanel)(const SceneState& S, const Point3& P, bool& Rear) = nullptr;
    Point2 (*ImgToPanel)(const SceneState& S, const Point3& P, bool& Rear) = nullptr;
    Point2 (*ImgPixelToPoint)(const SceneState& S, int32_t X, int32_t Y, bool Rear) = nullptr;
    bool (*ImagePoint3)(const SceneState& S, Point2 P, Point3& G) = nullptr;
    // The Jacobian determinant of the map and its gradient (false where they fail).
    bool (*Jacobian)(const SceneState& S, Point2 P, double& J) = nullptr;
    bool (*JacobianGradient)(const SceneState& S, Point2 P, Point2& G) = nullptr;
};

// A node of the singular locus: its domain point and where each panel shows it and its image.
struct LocusNode {
    int32_t Flag = 0;  // 1: starts a new piece
    Point2 DomPt;
    Point3 DomPos, ImgPos;
};

struct Curve33 {
    int32_t LastIndex = -1;
    std::vector<LocusNode> Nodes;  // grows in blocks of 100
};

// The isolated points of the singular set: cusps of a real map's folds, points where its
// locus is itself singular (J and its gradient vanish: crossings, lips, beaks), and the
// critical points of a holomorphic map with their critical values.
enum class SingularPointKind : int32_t { Cusp, LocusSingular, Critical };

struct SingularPoint {
    SingularPointKind Kind = SingularPointKind::Cusp;
    int32_t Order = 0;  // of a critical point: the multiplicity of the zero of w'
    Point2 DomPt, ImgPt;  // the point and its image (the critical value)
    Point3 DomPos, ImgPos;  // where the panels show them
};

// The images of the vertices of a fine triangulation of the domain (NU x NV squares, vertex
// (A, B) at index A (NV + 1) + B, as the preimage counts lay it out), from which the Image
// panel is shaded by the number of preimages of each pixel. World points; Valid is 0 where the
// map failed. Computed with the curves when the shading is on, empty otherwise; every view of
// the image is counted from them without evaluating the map again.
struct PreimageSamples {
    int NU = 0, NV = 0;
    std::vector<Point2> Images;
    std::vector<uint8_t> Valid;

    bool Empty() const { return Images.empty(); }
    void Clear() {
        NU = NV = 0;
        Images = {};
        Valid = {};
    }
};

struct SceneState {
    SceneState();

    int MapType = 0;  // 0: real functions x(u,v), y(u,v); 1: complex function w(z)
    Point2 DomMin{-1, -1}, DomMax{1, 1};
    double DomWidth[2] = {2, 2}, DomHalf[2] = {1, 1}, DomCentre[2] = {0, 0};
    double DomDiag = 0, DomPixelSize = 0;
    Point2 ParamMin{-2, -2}, ParamMax{2, 2}, ParamValue, ComplexParam;
    double ParamWidth[2] = {4, 4}, ParamScale[2] = {0, 0};
    Point2 ImgMin{-1, -1}, ImgMax{1, 1};
    double ImgWidth[2] = {2, 2}, ImgHalf[2] = {1, 1}, ImgCentre[2] = {0, 0};
    double ImgDiag = 0, ImgDivisor = 0;
    double LineStep[2] = {0.1, 0.1};
    double DomJump = 0, ImgJump = 0;
    Curve3 DomHLines[21], DomVLines[21], ImgHLines[21], ImgVLines[21];
    bool PreserveRatio = false, WholeImage = false, StereoDomain = false, StereoImage = false;
    bool ShowSingLocus = true, DataValid = false, SceneReady = false, Modified = false;
    // Cusps and singular points of a real map's locus are sought and marked (with the locus).
    bool ShowCusps = true;
    // The Image panel is shaded by how many points of the domain map to each pixel.
    bool ShadePreimages = false;
    // The panels are coloured as a phase portrait of the map, the Domain panel by the value
    // at each point, the Image panel by the point itself; the lines go over it, thinner.
    Colouring PortraitColouring = Colouring::None;
    // The screen's Domain panel colours its portrait at half resolution: set for the steps of
    // a parameter drag that the full resolution would outrun.
    bool CoarsePortrait = false;
    // How long the screen's last full-resolution Domain panel took to draw with its portrait,
    // in milliseconds (0 before one).
    double PortraitMilliseconds = 0;
    PixelRect DomRect{0, 0, 280, 280}, ImgRect{0, 0, 460, 460}, ParamRect{0, 0, 200, 200};
    // The screen's bitmaps have this many device pixels to a pixel of the rectangles above
    // (the window's enlargement times the screen's device pixel ratio), of which ScreenRatio
    // is the screen's own part. Everything the mouse, the views and the sampling use stays in
    // the rectangles' pixels; only the screen's drawing is finer.
    double PanelScale = 1, ScreenRatio = 1;

    // Drags over the panels that translate (Ctrl) or zoom (Shift) a rectangle.
    bool DomShifting = false, DomZooming = false, ImgShifting = false, ImgZooming = false;
    PixelPoint DomDragOrigin, ImgDragOrigin;

    SphereView DomSphere, ImgSphere;
    PlaneView DomView, ImgView;

    // The compiled formulas, owned by whoever owns the scene.
    TOCFunctDDDoubleSafe* XFunction = nullptr;
    TOCFunctDDDoubleSafe* YFunction = nullptr;
    TOCComplexFunction* WFunction = nullptr;

    ViewProcedures Procedures;

    // The singular locus and the step thresholds of its tracing, and its isolated points.
    Curve33 SingLocus;
    std::vector<SingularPoint> SingPoints;
    PreimageSamples Preimages;

    // Set while a computation may be asked to stop; its loops check it and report progress.
    // Owned by whoever runs the computation.
    ComputeControl* Control = nullptr;

    // Counts the map evaluations (for the benchmarks); the curve code adds to it.
    mutable long long MapEvaluations = 0;
    mutable long long JacobianEvaluations = 0, GradientEvaluations = 0;
};

// True when the computation working on S has been asked to stop: its loops then end at once
// and what they leave is never shown.
inline bool StopRequested(const SceneState& S) { return S.Control && S.Control->Stopped(); }

// The derived domain and parameter fields, and the image fields in clip mode; then fits the
// domain view and sets DomDiag and DomPixelSize.
void SetBasicData(SceneState& S);
