#include "scene/SceneComputer.h"

#include <exception>

#include "formula/x87/FloatingPointState.h"
#include "model/SceneCopy.h"
#include "scene/SceneWork.h"

SceneJob::SceneJob(SceneState& From, const TOCFunctDDDoubleSafe& X,
                   const TOCFunctDDDoubleSafe& Y, const TOCComplexFunction& W, const QImage& Dom,
                   const QImage& Img, PixelRect DClip, PixelRect IClip, unsigned WorkToDo)
    : S(WorkToDo & WorkEverything ? CopyWithoutCurves(From) : SceneState(From)),
      DomBitmap(Dom),
      ImgBitmap(Img),
      DomClip(DClip),
      ImgClip(IClip),
      Work(WorkToDo) {
    XFunction.CopyFrom(X);
    YFunction.CopyFrom(Y);
    WFunction.CopyFrom(W);
    S.XFunction = &XFunction;
    S.YFunction = &YFunction;
    S.WFunction = &WFunction;
    S.Control = &Control;
}

SceneComputer::SceneComputer(std::function<void()> ReadyCall)
    : Ready(std::move(ReadyCall)), Thread([this] { Loop(); }) {}

SceneComputer::~SceneComputer() {
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Quit = true;
        if (Out) Out->Control.Stop = true;
    }
    Changed.notify_all();
    Thread.join();
}

void SceneComputer::Start(std::unique_ptr<SceneJob> Job) {
    {
        std::lock_guard<std::mutex> Guard(Lock);
        if (Out || !Job) return;  // the owner keeps to one job at a time
        Out = Job.get();
        Next = std::move(Job);
    }
    Changed.notify_all();
}

void SceneComputer::Stop() {
    std::lock_guard<std::mutex> Guard(Lock);
    if (Out) Out->Control.Stop = true;
}

std::unique_ptr<SceneJob> SceneComputer::TakeFinished() {
    std::lock_guard<std::mutex> Guard(Lock);
    if (Finished) Out = nullptr;
    return std::move(Finished);
}

std::unique_ptr<SceneJob> SceneComputer::WaitFinished() {
    std::unique_lock<std::mutex> Guard(Lock);
    Changed.wait(Guard, [this] { return Finished || !Out; });
    Out = nullptr;
    return std::move(Finished);
}

double SceneComputer::Fraction() const {
    std::lock_guard<std::mutex> Guard(Lock);
    return Out ? Out->Control.Fraction() : 0;
}

void SceneComputer::Loop() {
    // The programs compute in the x87 state they were written for, on this thread as on the
    // window's.
    SetComputingFloatState();
    for (;;) {
        std::unique_ptr<SceneJob> Job;
        {
            std::unique_lock<std::mutex> Guard(Lock);
            Changed.wait(Guard, [this] { return Quit || Next; });
            if (Quit) return;
            Job = std::move(Next);
        }
        try {
            RunSceneWork({Job->S, *Tracer, Job->DomBitmap, Job->ImgBitmap, Job->DomClip,
                          Job->ImgClip},
                         Job->Work);
        } catch (const std::exception&) {
            Job->Failed = true;
        }
        {
            std::lock_guard<std::mutex> Guard(Lock);
            if (Quit) return;
            Finished = std::move(Job);
        }
        Changed.notify_all();
        if (Ready) Ready();
    }
}
