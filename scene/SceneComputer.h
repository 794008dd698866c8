// The computing thread of a scene. A job owns everything it reads: a copy of the scene state
// with its own copies of the compiled formulas, the two bitmaps it draws on (shared with the
// window's until the first stroke copies them) and its stop and progress control. The window's
// thread hands a job over whole, the computing thread runs it and hands it back whole; they
// share nothing else, so no lock guards anything but the hand-over itself.
#pragma once

#include <QImage>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "curves/FImplicitCurveLine.h"
#include "formula/OCComplexFunct.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "model/SceneState.h"

struct SceneJob {
    SceneState S;
    TOCFunctDDDoubleSafe XFunction, YFunction;
    TOCComplexFunction WFunction;
    QImage DomBitmap, ImgBitmap;
    PixelRect DomClip, ImgClip;
    unsigned Work = 0;
    ComputeControl Control;
    bool Failed = false;  // the work threw: its result is not to be shown

    // Made on the window's thread. The formulas should have all their programs generated
    // (GenerateAllPrograms), so that the copies share them instead of making their own. Work
    // that computes everything again copies From without its curves and locus (From is left
    // as it was): those of a wild map run to millions of points.
    SceneJob(SceneState& From, const TOCFunctDDDoubleSafe& X, const TOCFunctDDDoubleSafe& Y,
             const TOCComplexFunction& W, const QImage& Dom, const QImage& Img, PixelRect DClip,
             PixelRect IClip, unsigned WorkToDo);
    SceneJob(const SceneJob&) = delete;
    SceneJob& operator=(const SceneJob&) = delete;
    // Whether it was asked to stop or failed: then nothing of it may be shown.
    bool Discarded() const { return Failed || Control.Stopped(); }
};

class SceneComputer {
public:
    // Ready is called on the computing thread each time a job has finished; the owner then
    // takes it with TakeFinished on its own thread.
    explicit SceneComputer(std::function<void()> Ready);
    // Asks a running job to stop and waits for the thread; nothing is handed back after.
    ~SceneComputer();
    SceneComputer(const SceneComputer&) = delete;
    SceneComputer& operator=(const SceneComputer&) = delete;

    // Hands a job over. At most one job is out at a time: one must not be started while an
    // earlier one has not been taken back.
    void Start(std::unique_ptr<SceneJob> Job);
    // Asks the job that is out to stop at its next check.
    void Stop();
    // The finished job, or null while it runs (or none is out).
    std::unique_ptr<SceneJob> TakeFinished();
    // Waits until the job that is out has finished and returns it (null when none is out).
    std::unique_ptr<SceneJob> WaitFinished();
    // The fraction done of the job that is out (0 when none is).
    double Fraction() const;

private:
    void Loop();

    std::function<void()> Ready;
    mutable std::mutex Lock;
    std::condition_variable Changed;
    std::unique_ptr<SceneJob> Next, Finished;
    SceneJob* Out = nullptr;  // the job handed over and not yet taken back
    bool Quit = false;
    // The tracer's grids are large; one serves every job of this thread.
    std::unique_ptr<TImplicitCurveLine> Tracer = std::make_unique<TImplicitCurveLine>();
    std::thread Thread;
};
