#include "app/AnimateDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

#include "app/FTorvane.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "scene/TorvaneScene.h"

namespace {

constexpr int SliderSteps = 1000;

}  // namespace

TAnimate::TAnimate(TTorvane* Owner) : QDialog(Owner), Window(Owner) {
    setObjectName(QStringLiteral("AnimateDialog"));
    setWindowTitle(QStringLiteral("Animate"));
    // A tool beside the window, which stays usable while it is open.
    setModal(false);
    setWindowFlag(Qt::Tool, true);

    auto* Form = new QFormLayout;
    Shape = new QComboBox(this);
    Shape->addItems({QStringLiteral("Straight to a target"), QStringLiteral("Loop about the point")});
    Form->addRow(QStringLiteral("Path"), Shape);
    const char* FieldNames[5] = {"TargetP", "TargetQ", "Radius", "Seconds", "FramesPerSecond"};
    for (int I = 0; I < 5; ++I) {
        Fields[I] = new QLineEdit(this);
        Fields[I]->setObjectName(QString::fromLatin1(FieldNames[I]));
        connect(Fields[I], &QLineEdit::textEdited, this, &TAnimate::FieldsChanged);
    }
    Names[0] = new QLabel(this);
    Names[1] = new QLabel(this);
    Form->addRow(Names[0], Fields[TargetP]);
    Form->addRow(Names[1], Fields[TargetQ]);
    Form->addRow(QStringLiteral("Radius"), Fields[Radius]);
    Form->addRow(QStringLiteral("Seconds"), Fields[Seconds]);
    Form->addRow(QStringLiteral("Frames a second"), Fields[Fps]);
    Fields[Radius]->setText(QStringLiteral("0.5"));
    Fields[Seconds]->setText(QStringLiteral("4"));
    Fields[Fps]->setText(QStringLiteral("25"));
    connect(Shape, &QComboBox::currentIndexChanged, this, [this](int Index) {
        Fields[TargetP]->setEnabled(Index == 0);
        Fields[TargetQ]->setEnabled(Index == 0);
        Fields[Radius]->setEnabled(Index == 1);
        FieldsChanged();
    });
    Fields[Radius]->setEnabled(false);

    auto* Buttons = new QHBoxLayout;
    PlayButton = new QPushButton(QStringLiteral("Play"), this);
    PauseButton = new QPushButton(QStringLiteral("Pause"), this);
    StopButton = new QPushButton(QStringLiteral("Stop"), this);
    auto* ExportButton = new QPushButton(QStringLiteral("Export..."), this);
    for (QPushButton* B : {PlayButton, PauseButton, StopButton, ExportButton}) {
        B->setAutoDefault(false);
        Buttons->addWidget(B);
    }
    connect(PlayButton, &QPushButton::clicked, this, &TAnimate::Play);
    connect(PauseButton, &QPushButton::clicked, this, &TAnimate::Pause);
    connect(StopButton, &QPushButton::clicked, this, &TAnimate::Stop);
    connect(ExportButton, &QPushButton::clicked, this, &TAnimate::Export);

    Slider = new QSlider(Qt::Horizontal, this);
    Slider->setObjectName(QStringLiteral("TimeSlider"));
    Slider->setRange(0, SliderSteps);
    TimeText = new QLabel(this);
    Message = new QLabel(this);
    Message->setObjectName(QStringLiteral("AnimateMessage"));
    Message->setWordWrap(true);
    QPalette Red = Message->palette();
    Red.setColor(QPalette::WindowText, QColor(0xA0, 0, 0));
    Message->setPalette(Red);
    connect(Slider, &QSlider::sliderPressed, this, &TAnimate::SliderPressed);
    connect(Slider, &QSlider::sliderReleased, this, &TAnimate::SliderReleased);
    connect(Slider, &QSlider::valueChanged, this, &TAnimate::SliderMoved);

    auto* Time = new QHBoxLayout;
    Time->addWidget(Slider, 1);
    Time->addWidget(TimeText);
    auto* Column = new QVBoxLayout(this);
    Column->addLayout(Form);
    Column->addLayout(Time);
    Column->addLayout(Buttons);
    Column->addWidget(Message);

    Timer = new QTimer(this);
    Timer->setTimerType(Qt::PreciseTimer);
    connect(Timer, &QTimer::timeout, this, &TAnimate::Tick);
    FollowMap();
    ShowTime();
}

void TAnimate::FollowMap() {
    const bool Complex = Window->Scene().S.MapType == 1;
    Names[0]->setText(Complex ? QStringLiteral("Re p goes to") : QStringLiteral("p goes to"));
    Names[1]->setText(Complex ? QStringLiteral("Im p goes to") : QStringLiteral("q goes to"));
    for (int I : {TargetP, TargetQ})
        if (Fields[I]->text().isEmpty())
            Fields[I]->setText(Window->Edit(I == TargetP ? EditField::pValue : EditField::qValue)->text());
}

QString TAnimate::Problem() const { return Message->text(); }

void TAnimate::Say(const QString& Text) { Message->setText(Text); }

void TAnimate::FieldsChanged() {
    // A new path from where the parameters are at the next Play.
    if (Player == State::Paused || Player == State::Finished) {
        Player = State::Idle;
        ShowTime();
    }
}

void TAnimate::ForgetStalePath() {
    if (Player != State::Playing && Player != State::Idle && Window->Scene().PathChanges() != MapChanges) {
        Player = State::Idle;
        Offset = 0;
    }
}

// The slider held: the play follows it; let go, it stays there (paused).
void TAnimate::SliderPressed() {
    if (Player == State::Playing) return;
    Sliding = Begin();
}

void TAnimate::SliderReleased() {
    if (!Sliding) return;
    Sliding = false;
    Window->EndAnimation(false);
    Player = State::Paused;
}

void TAnimate::SliderMoved(int Value) {
    const double F = Value / double(SliderSteps);
    if (Player == State::Playing) {
        if (Slider->isSliderDown()) Seek(F);
    } else if (Sliding) {
        Offset = F * Path.Seconds;
        Window->AnimateTo(F);
    } else if (!Slider->isSliderDown() && Begin()) {
        // A key or a click on the groove: one step to there.
        Offset = F * Path.Seconds;
        Window->AnimateTo(F);
        Window->EndAnimation(false);
        Player = State::Paused;
    }
    ShowTime();
}

bool TAnimate::ReadPath(ParameterPath& P) {
    double Values[5] = {};
    const char* What[5] = {"The target", "The target", "The radius", "The time", "The frames a second"};
    for (int I = 0; I < 5; ++I) {
        if (!Fields[I]->isEnabled()) continue;
        try {
            EvaluateConstantFormula(Fields[I]->text().trimmed().toStdString(), Values[I]);
        } catch (const FormulaError& E) {
            Say(QString::fromLatin1(What[I]) + QStringLiteral(": ") + QString::fromUtf8(E.what()));
            return false;
        }
    }
    const TorvaneScene& T = Window->Scene();
    P = ParameterPath();
    P.Shape = Shape->currentIndex() == 1 ? PathShape::Loop : PathShape::Segment;
    P.From = T.S.ParamValue;
    P.To = {Values[TargetP], Values[TargetQ]};
    P.Radius = Values[Radius];
    P.Seconds = Values[Seconds];
    const double Fps = Values[this->Fps];
    if (!(Fps >= 1 && Fps <= MaxPathFramesPerSecond && Fps == std::floor(Fps))) {
        Say(QStringLiteral("The frames a second must be a whole number from 1 to %1.").arg(MaxPathFramesPerSecond));
        return false;
    }
    P.FramesPerSecond = static_cast<int>(Fps);
    const std::string Why = CheckParameterPath(P, T.S.ParamMin, T.S.ParamMax);
    if (!Why.empty()) {
        Say(QString::fromStdString(Why));
        return false;
    }
    return true;
}

// Ready to move: a path read anew when there is none, and the map playing it.
bool TAnimate::Begin() {
    ForgetStalePath();
    if (Player == State::Idle) {
        ParameterPath P;
        if (!ReadPath(P)) return false;
        Path = P;
        Offset = 0;
    }
    const std::string Why = Window->BeginAnimation(Path);
    if (!Why.empty()) {
        Say(QString::fromStdString(Why));
        Player = State::Idle;
        return false;
    }
    MapChanges = Window->Scene().PathChanges();
    Say(QString());
    return true;
}

void TAnimate::Play() {
    if (Player == State::Playing) return;
    const bool Again = Player == State::Finished;
    if (!Begin()) return;
    if (Again) Offset = 0;
    Player = State::Playing;
    Clock.start();
    Timer->start(std::max(1, static_cast<int>(std::lround(1000.0 / Path.FramesPerSecond))));
    Tick();
}

double TAnimate::Fraction() const {
    // No path yet: the next one starts at its start.
    if (Player == State::Idle) return 0;
    double Played = Offset;
    if (Player == State::Playing) Played += Clock.elapsed() / 1000.0;
    return std::min(1.0, Played / Path.Seconds);
}

void TAnimate::Tick() {
    if (Player != State::Playing) return;
    // The time decides the frame, not the count of ticks: a slow drawing skips frames and the
    // path keeps its time.
    const double F = Fraction();
    const double Frames = PathFrameCount(Path) - 1;
    const double Shown = std::floor(F * Frames + 1e-9) / Frames;
    if (!Window->AnimateTo(F >= 1 ? 1 : Shown)) {
        // Another change of the map ended it: a new path at the next Play.
        Timer->stop();
        Player = State::Idle;
        ShowTime();
        return;
    }
    if (F >= 1) {
        Timer->stop();
        Offset = Path.Seconds;
        Window->EndAnimation(false);
        Player = State::Finished;
    }
    ShowTime();
}

void TAnimate::Seek(double F) {
    Offset = F * Path.Seconds;
    Clock.start();
}

void TAnimate::Pause() {
    if (Player != State::Playing) return;
    Timer->stop();
    Offset = Fraction() * Path.Seconds;
    Window->EndAnimation(false);
    Player = State::Paused;
    ShowTime();
}

void TAnimate::Stop() {
    Timer->stop();
    ForgetStalePath();
    if (Player == State::Playing) {
        Window->EndAnimation(true);
    } else if (Player != State::Idle) {
        if (const std::string Why = Window->BeginAnimation(Path); Why.empty())
            Window->EndAnimation(true);
        else
            Say(QString::fromStdString(Why));
    }
    Player = State::Idle;
    Offset = 0;
    ShowTime();
}

void TAnimate::Export() {
    ForgetStalePath();
    ParameterPath P = Path;
    if (Player == State::Idle && !ReadPath(P)) return;
    Pause();
    Say(QString());
    Window->WriteAnimationFrames(PathFrames(P), P.FramesPerSecond);
}

void TAnimate::ShowTime() {
    const double F = Fraction();
    if (!Slider->isSliderDown()) {
        const QSignalBlocker Quiet(Slider);
        Slider->setValue(static_cast<int>(std::lround(F * SliderSteps)));
    }
    const double Total = Player == State::Idle ? 0 : Path.Seconds;
    TimeText->setText(Player == State::Idle ? QString()
                                            : QStringLiteral("%1 s of %2 s")
                                                  .arg(F * Total, 0, 'f', 1)
                                                  .arg(Total, 0, 'f', 1));
    PauseButton->setEnabled(Player == State::Playing);
    StopButton->setEnabled(Player != State::Idle);
}

void TAnimate::hideEvent(QHideEvent* Event) {
    // A closed window plays nothing, and a slider held as it closes is let go.
    Pause();
    if (Sliding) SliderReleased();
    QDialog::hideEvent(Event);
}
