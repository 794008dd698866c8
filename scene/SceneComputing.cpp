// How the scene's redraws are done: at once on the caller's thread, or on the computing
// thread while the last finished picture stays on show. Requests made while a computation
// runs merge into one waiting piece of work; the newest state is always what is computed
// next, and a computation's result is shown whole or not at all.
//
// Merging is exact for steps of one kind (each step of a drag recomputes all that the step
// before it did, from the newest state). Partial work of different kinds is not: the locus
// traced before the domain went onto the sphere, then re-projected, differs from the locus
// traced on the sphere. Such a mixture becomes a full recomputation of the newest state,
// which is what Draw It would show for it.
#include <utility>

#include "common/ResStrings.h"
#include "scene/SceneComputer.h"
#include "scene/SceneWork.h"
#include "scene/TorvaneScene.h"

TorvaneScene::~TorvaneScene() = default;

void TorvaneScene::ComputeInBackground(std::function<void()> Ready) {
    FinishComputing();
    Computer = std::make_unique<SceneComputer>(std::move(Ready));
}

void TorvaneScene::ShowDrawn(int Panels) {
    if (Panels & 1) DomainSurface = DomBitmap;
    if (Panels & 2) {
        ImageSurface = ImgBitmap;  // the copy wipes the cross
        CrossShown = false;
    }
    S.SceneReady = true;
}

namespace {

unsigned Merged(unsigned Waiting, unsigned Work) {
    return Waiting == 0 || Waiting == Work ? Work : WorkFull;
}

}  // namespace

void TorvaneScene::Redo(unsigned Work, bool Coalesce) {
    // A step of a parameter drag whose full portrait took too long draws a coarse one; every
    // other drawing is in full.
    S.CoarsePortrait = ParametersDragging && S.PortraitColouring != Colouring::None &&
                       S.PortraitMilliseconds > CoarsePortraitBudget;
    if (S.CoarsePortrait && (PanelsDrawnBy(Work) & 1)) CoarsePortraitDrawn = true;
    if (!Computer) {
        RunSceneWork({S, SingTracer, DomBitmap, ImgBitmap, DomBitmapClip, ImgBitmapClip, PaintsBitmaps,
                      &OnCurvesComputed},
                     Work);
        ShowDrawn(PaintsBitmaps ? PanelsDrawnBy(Work) : 0);
        return;
    }
    WaitingWork = Merged(WaitingWork, Work);
    StoppedByUser = false;
    if (!WorkOut)
        StartWaitingWork();
    else if (!Coalesce)
        Computer->Stop();  // its work is done again with the newest state when it returns
}

void TorvaneScene::StartWaitingWork() {
    // Generated once here, the programs are shared by every copy instead of each copy
    // generating its own.
    if (S.MapType == 0) {
        XFunction.GenerateAllPrograms();
        YFunction.GenerateAllPrograms();
    }
    auto Job = std::make_unique<SceneJob>(S, XFunction, YFunction, WFunction, DomBitmap,
                                          ImgBitmap, DomBitmapClip, ImgBitmapClip, WaitingWork);
    WaitingWork = 0;
    WorkOut = true;
    Computer->Start(std::move(Job));
}

void TorvaneScene::HandBack(std::unique_ptr<SceneJob> Job) {
    WorkOut = false;
    if (!Job) return;
    if (DropOut) {
        DropOut = false;  // cancelled: nothing of it counts
        if (StoppedByUser) Inform(ResStrings::DrawingStopped);
    } else if (Job->Discarded()) {
        // Stopped for a newer request: its work is done again with the newest state. Stopped
        // by the user: it is forgotten, and the old picture stays.
        if (StoppedByUser)
            Inform(ResStrings::DrawingStopped);
        else
            WaitingWork = Merged(WaitingWork, Job->Work);
    } else if (WaitingWork == 0) {
        TakeComputedParts(S, std::move(Job->S));
        DomBitmap = std::move(Job->DomBitmap);
        ImgBitmap = std::move(Job->ImgBitmap);
        DomBitmapClip = Job->DomClip;
        ImgBitmapClip = Job->ImgClip;
        ShowDrawn(PanelsDrawnBy(Job->Work));
    } else {
        // Newer requests wait: the pictures follow the drag, but the scene keeps its parts
        // until the newest state is computed, with this job's work merged into the next.
        const int Panels = PanelsDrawnBy(Job->Work);
        if (Panels & 1) DomainSurface = Job->DomBitmap;
        if (Panels & 2) {
            ImageSurface = Job->ImgBitmap;
            CrossShown = false;
        }
        WaitingWork = Merged(WaitingWork, Job->Work);
    }
    StoppedByUser = false;
    if (WaitingWork != 0) StartWaitingWork();
}

bool TorvaneScene::TakeFinishedWork() {
    if (!Computer || !WorkOut) return false;
    std::unique_ptr<SceneJob> Job = Computer->TakeFinished();
    if (!Job) return false;
    HandBack(std::move(Job));
    return true;
}

void TorvaneScene::FinishComputing() {
    while (Computer && WorkOut) HandBack(Computer->WaitFinished());
}

void TorvaneScene::StopComputing() {
    WaitingWork = 0;
    if (!Computer || !WorkOut) return;
    StoppedByUser = true;
    Computer->Stop();
}

void TorvaneScene::CancelComputing() {
    WaitingWork = 0;
    if (!Computer || !WorkOut) return;
    // Not waited for: the job has its own copy of everything, and is dropped when it returns;
    // what is requested meanwhile starts then.
    Computer->Stop();
    DropOut = true;
    StoppedByUser = false;
}

bool TorvaneScene::Computing() const { return Computer && WorkOut; }

double TorvaneScene::ComputingFraction() const { return Computer ? Computer->Fraction() : 0; }
