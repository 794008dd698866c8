// The Parameters panel's Animate window: the parameters move along a straight segment from
// where they are to a target, or once round a circle about where they are, in a given time
// at a given number of frames a second; Play, Pause and Stop, a slider over the time, and the
// export of the same frames to a file. The window's map follows every step, computed in the
// background, so playing never blocks the window; Stop puts the parameters back where they
// were.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "model/ParameterPath.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;
class TTorvane;

class TAnimate : public QDialog {
    Q_OBJECT

public:
    explicit TAnimate(TTorvane* Window);

    enum class State { Idle, Playing, Paused, Finished };
    State Now() const { return Player; }

    void Play();
    void Pause();
    void Stop();
    // Writes the path's frames to a file the user chooses.
    void Export();
    // Where the play is, as a fraction of the path (the slider's place).
    double Fraction() const;
    // The fields, for tests: the shape (0 segment, 1 loop), the target, the radius, the time
    // in seconds and the frames a second, each a formula without variables.
    QComboBox* ShapeBox() const { return Shape; }
    QLineEdit* Field(int I) const { return Fields[I]; }
    QSlider* TimeSlider() const { return Slider; }
    // What went wrong last (a field that is no number, a path that leaves the ranges).
    QString Problem() const;
    // Follows the map kind: the names of the parameters, and the target's start.
    void FollowMap();

    static constexpr int TargetP = 0, TargetQ = 1, Radius = 2, Seconds = 3, Fps = 4;

protected:
    void hideEvent(QHideEvent* Event) override;

private:
    // The path of the fields from where the parameters are; false with the problem shown.
    bool ReadPath(ParameterPath& P);
    bool Begin();
    // A paused or finished path whose map has changed since is forgotten: the next Play
    // reads a new one from where the parameters are.
    void ForgetStalePath();
    void Tick();
    void SliderPressed();
    void SliderReleased();
    void SliderMoved(int Value);
    void Seek(double Fraction);
    void ShowTime();
    void Say(const QString& Text);
    void FieldsChanged();

    TTorvane* Window;
    QComboBox* Shape = nullptr;
    QLineEdit* Fields[5] = {};
    QLabel* Names[2] = {};
    QPushButton* PlayButton = nullptr;
    QPushButton* PauseButton = nullptr;
    QPushButton* StopButton = nullptr;
    QSlider* Slider = nullptr;
    QLabel* TimeText = nullptr;
    QLabel* Message = nullptr;
    QTimer* Timer = nullptr;

    State Player = State::Idle;
    ParameterPath Path;      // the path being played (valid but when Idle)
    double Offset = 0;       // seconds of the path played before the clock's start
    QElapsedTimer Clock;     // since the play (re)started
    bool Sliding = false;    // the slider is held while the play is not running
    unsigned MapChanges = 0; // the scene's count of path-ending changes when the path began
};
