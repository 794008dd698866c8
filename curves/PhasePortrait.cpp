#include "curves/PhasePortrait.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "common/TaskPool.h"
#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "formula/x87/FloatingPointState.h"

namespace {

// Rows are handed out in runs of this many, to whichever thread asks next: rows across poles
// or overflowing regions cost more than others, and a fixed split would leave a core idle.
constexpr int RowsPerRun = 8;

// The map of a scene on a thread of its own: copies of its formulas (their runs keep scratch in
// the object), made on that thread from formulas that other threads may be running.
// Whether the scene has its map's formulas compiled.
bool HasMap(const SceneState& S) {
    return S.MapType == 1 ? S.WFunction && S.WFunction->IsCompiled()
                          : S.XFunction && S.YFunction && S.XFunction->IsCompiled() &&
                                S.YFunction->IsCompiled();
}

class PortraitMap {
public:
    explicit PortraitMap(const SceneState& S) : Complex(S.MapType == 1), Defined(HasMap(S)) {
        if (Complex) {
            if (Defined) W.CopyFrom(*S.WFunction);
            Parameter = {S.ComplexParam.X, S.ComplexParam.Y};
        } else {
            if (Defined) {
                X.CopyValueFrom(*S.XFunction);
                Y.CopyValueFrom(*S.YFunction);
            }
        }
    }

    // w at Z; a NaN where there is no map.
    std::complex<double> At(Point2 Z) const {
        if (!Defined) return {NAN, NAN};
        if (Complex) {
            const std::complex<double> Inputs[2] = {Parameter, {Z.X, Z.Y}};
            std::complex<double> Result;
            W.Evaluate(Result, Inputs);
            return Result;
        }
        const double Values[2] = {Z.X, Z.Y};
        return {X.Evaluate(Values), Y.Evaluate(Values)};
    }

private:
    const bool Complex;
    const bool Defined;
    std::complex<double> Parameter;
    TOCComplexFunction W;
    TOCFunctDDDoubleSafe X, Y;
};

// Out sized for Project's drawing rectangle at Step (or the step its size needs); false when
// the rectangle is empty.
bool SizeRaster(const PanelProjection& Project, int Step, PortraitRaster& Out) {
    Out = PortraitRaster{};
    const PixelRect R = Project.DrawingRect();
    const int Width = R.Right - R.Left, Height = R.Bottom - R.Top;
    if (Width <= 0 || Height <= 0) return false;
    const int Needed = (std::max(Width, Height) + MaxPortraitRaster - 1) / MaxPortraitRaster;
    Out.Rect = R;
    Out.Step = std::max({Step, Needed, 1});
    Out.Width = (Width + Out.Step - 1) / Out.Step;
    Out.Height = (Height + Out.Step - 1) / Out.Step;
    Out.Pixels.assign(static_cast<size_t>(Out.Width) * static_cast<size_t>(Out.Height), 0);
    return true;
}

// Colours Out's rows on every core: Colour(Own, X, Y) gives the colour at panel position
// (X, Y), with Own the thread's own state made by MakeOwn() on that thread. False (with Out
// emptied) when stopped.
template <typename MakeOwnFn, typename ColourFn>
bool ColourRows(PortraitRaster& Out, const std::atomic<bool>* Stop, const MakeOwnFn& MakeOwn,
                const ColourFn& Colour) {
    std::atomic<int> NextRun{0};
    std::atomic<bool> Stopped{false};
    const int Runs = (Out.Height + RowsPerRun - 1) / RowsPerRun;
    const double Centre = (Out.Step - 1) * 0.5;
    auto Share = [&] {
        std::optional<decltype(MakeOwn())> Own;
        for (int Run = NextRun++; Run < Runs; Run = NextRun++) {
            if ((Stop && Stop->load(std::memory_order_relaxed)) || Stopped) {
                Stopped = true;
                return;
            }
            if (!Own) Own.emplace(MakeOwn());
            const int End = std::min(Out.Height, (Run + 1) * RowsPerRun);
            for (int J = Run * RowsPerRun; J < End; ++J) {
                const double Y = Out.Rect.Top + J * Out.Step + Centre;
                uint32_t* Line = Out.Pixels.data() + static_cast<size_t>(J) * static_cast<size_t>(Out.Width);
                for (int I = 0; I < Out.Width; ++I)
                    Line[I] = Colour(*Own, Out.Rect.Left + I * Out.Step + Centre, Y);
            }
        }
    };
    TaskPool& Pool = TaskPool::Shared();
    const int Shares = std::clamp(std::min(Pool.Workers() + 1, 8), 1, std::max(1, Runs));
    {
        TaskGroup Group;
        for (int K = 1; K < Shares; ++K)
            Pool.Run(Group, [&Share] {
                SetComputingFloatState();
                Share();
            });
        // The caller may have painted just before.
        ClearUpperVectorHalves();
        Share();
        Pool.Wait(Group);
    }
    if (Stopped || (Stop && Stop->load())) {
        Out = PortraitRaster{};
        return false;
    }
    return true;
}

}  // namespace

int PortraitPoint(const PanelProjection& Project, double X, double Y, Point2& P) {
    if (!Project.Sphere) {
        const PlaneView& V = Project.View;
        P = {(X - V.ViewRect.Left) * V.UnitPerPixel.X + V.ViewMin.X,
             (V.ViewRect.Top - Y) * V.UnitPerPixel.Y + V.ViewMax.Y};
        return 1;
    }
    // The front hemisphere's point under the position, as the sphere's pixel reading finds it.
    const SphereView& S = Project.SphereV;
    const double A = (X - S.CentrePixel.X) / S.Scale, B = (Y - S.CentrePixel.Y) / S.Scale;
    const double D = S.RadiusSqr - A * A - B * B;
    if (!(D > 0)) return 0;
    const double H = -std::sqrt(D);
    double Q[3];
    for (int J = 0; J < 3; ++J)
        Q[J] = A * S.Rotation[0][J] + B * S.Rotation[1][J] + H * S.Rotation[2][J];
    const double W = S.Radius + Q[2];
    if (!(W > 0)) return 2;
    P = {S.Radius * Q[0] / W + S.Centre.X, S.Radius * Q[1] / W + S.Centre.Y};
    // So close to the pole that the quotient overflows: still the point at infinity.
    return std::isfinite(P.X) && std::isfinite(P.Y) ? 1 : 2;
}

bool ColourDomainPortrait(const SceneState& S, const PanelProjection& Project, Colouring C,
                          int Step, PortraitRaster& Out, const std::atomic<bool>* Stop) {
    if (C == Colouring::None || !SizeRaster(Project, Step, Out)) {
        Out = PortraitRaster{};
        return false;
    }
    if (!HasMap(S)) {
        Out = PortraitRaster{};
        return false;
    }
    // The plane view shows the domain from edge to edge (with the pixels its margins round
    // to), the sphere's front shows it where the domain's rectangle holds the point.
    const bool Plane = !Project.Sphere;
    const Point2 Min = S.DomMin, Max = S.DomMax;
    return ColourRows(
        Out, Stop, [&S] { return std::make_unique<PortraitMap>(S); },
        [&](const std::unique_ptr<PortraitMap>& Map, double X, double Y) -> uint32_t {
            Point2 P;
            if (PortraitPoint(Project, X, Y, P) != 1) return 0;
            if (!Plane && !(P.X >= Min.X && P.X <= Max.X && P.Y >= Min.Y && P.Y <= Max.Y))
                return 0;
            return PhaseColour(Map->At(P), C);
        });
}

bool ColourImagePortrait(const PanelProjection& Project, Colouring C, int Step,
                         PortraitRaster& Out, const std::atomic<bool>* Stop) {
    if (C == Colouring::None || !SizeRaster(Project, Step, Out)) {
        Out = PortraitRaster{};
        return false;
    }
    return ColourRows(
        Out, Stop, [] { return 0; },
        [&](int, double X, double Y) -> uint32_t {
            Point2 P;
            switch (PortraitPoint(Project, X, Y, P)) {
                case 1: return PhaseColour({P.X, P.Y}, C);
                case 2: return PoleColour;
                default: return 0;
            }
        });
}
