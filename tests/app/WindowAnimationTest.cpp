// The Animate window as a person uses it: opened from the Parameters panel, a path played to
// its end while the window's map follows (one undo step), paused and stopped back at the
// start, every field that cannot make a path refused with its reason, and a loop exported as
// an animated WebP file with a frame for each of its time's frames.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/AnimateDialog.h"
#include "app/FTorvane.h"
#include "scene/WebPAnimation.h"

namespace {

class WindowAnimation : public ::testing::Test {
protected:
    void SetUp() override {
        Window = std::make_unique<TTorvane>();
        Window->AskQuestion = [](const QString&) { return QMessageBox::No; };
        Window->ShowMessage = [this](const QString& Text) { Messages += Text; };
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        Window->Edit(EditField::pValue)->setText(QStringLiteral("1"));
        Window->Edit(EditField::qValue)->setText(QStringLiteral("1"));
        QTest::mouseClick(Window->DrawItButton(), Qt::LeftButton);
        Window->FinishDrawing();
        QTest::mouseClick(Window->AnimateButton(), Qt::LeftButton);
        Player = Window->Animator();
        ASSERT_NE(Player, nullptr);
        ASSERT_TRUE(Player->isVisible());
    }
    void Fill(const char* P, const char* Q, const char* Seconds, const char* Fps = "25") {
        Player->Field(TAnimate::TargetP)->setText(QString::fromLatin1(P));
        Player->Field(TAnimate::TargetQ)->setText(QString::fromLatin1(Q));
        Player->Field(TAnimate::Seconds)->setText(QString::fromLatin1(Seconds));
        Player->Field(TAnimate::Fps)->setText(QString::fromLatin1(Fps));
    }
    // An Edit menu command, as chosen from the menu.
    void Command(const QString& Text) {
        for (QAction* Menu : Window->menuBar()->actions())
            if (Menu->menu())
                for (QAction* A : Menu->menu()->actions())
                    if (A->text() == Text) A->trigger();
        Window->FinishDrawing();
    }
    QString P() { return Window->Edit(EditField::pValue)->text(); }
    std::unique_ptr<TTorvane> Window;
    TAnimate* Player = nullptr;
    QString Messages;
};

TEST_F(WindowAnimation, APathPlaysToItsEndAndIsOneUndoStep) {
    // The target starts where the parameters are.
    EXPECT_EQ(Player->Field(TAnimate::TargetP)->text(), QStringLiteral("1"));
    Fill("-1", "0.5", "0.4");
    Player->Play();
    EXPECT_EQ(Player->Now(), TAnimate::State::Playing);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Player->Now() == TAnimate::State::Finished; }, 10000));
    Window->FinishDrawing();
    EXPECT_EQ(Window->Scene().S.ParamValue.X, -1);
    EXPECT_EQ(Window->Scene().S.ParamValue.Y, 0.5);
    EXPECT_EQ(Player->TimeSlider()->value(), Player->TimeSlider()->maximum());
    // The whole play is one step of the map.
    Command(QStringLiteral("&Undo"));
    EXPECT_EQ(Window->Scene().S.ParamValue.X, 1);
    EXPECT_EQ(Window->Scene().Text(EditField::pValue), "1");
    // The map changed since the path ended: the next path starts where the parameters are,
    // and a target there is no path.
    Command(QStringLiteral("&Redo"));
    Player->Play();
    EXPECT_EQ(Player->Now(), TAnimate::State::Idle);
    EXPECT_TRUE(Player->Problem().contains(QStringLiteral("where the parameters are")));
    Fill("1", "1", "0.4");
    Player->Play();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Player->Now() == TAnimate::State::Finished; }, 10000));
    Window->FinishDrawing();
    EXPECT_EQ(Window->Scene().S.ParamValue.X, 1);
    // Play again starts the same path over from its start.
    Player->Play();
    EXPECT_LT(Window->Scene().S.ParamValue.X, -0.5);
    Player->Stop();
    Window->FinishDrawing();
    EXPECT_EQ(Window->Scene().S.ParamValue.X, -1);
    EXPECT_EQ(Player->TimeSlider()->value(), 0);
}

TEST_F(WindowAnimation, PauseKeepsThePlaceAndStopGoesBack) {
    Fill("-1", "-1", "20");
    Player->Play();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Window->Scene().S.ParamValue.X < 1; }, 10000));
    Player->Pause();
    EXPECT_EQ(Player->Now(), TAnimate::State::Paused);
    const double Paused = Window->Scene().S.ParamValue.X;
    EXPECT_LT(Paused, 1);
    EXPECT_GT(Paused, 0);
    EXPECT_FALSE(Window->Scene().Animating());
    // The slider moves the point while it is paused.
    Player->TimeSlider()->setValue(500);
    Window->FinishDrawing();
    EXPECT_DOUBLE_EQ(Window->Scene().S.ParamValue.X, 0);
    Player->Stop();
    Window->FinishDrawing();
    EXPECT_EQ(Player->Now(), TAnimate::State::Idle);
    EXPECT_EQ(Window->Scene().S.ParamValue.X, 1);
    EXPECT_EQ(P(), QStringLiteral("1"));
    // Draw It while a path plays ends it; the player notices at its next frame.
    Player->Play();
    QTest::mouseClick(Window->DrawItButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Player->Now() == TAnimate::State::Idle; }, 5000));
    // Closing the window pauses it (once the drawing that Draw It began is shown).
    Window->FinishDrawing();
    Player->Play();
    Player->close();
    EXPECT_EQ(Player->Now(), TAnimate::State::Paused);
    // A map drawn anew while the path is paused is another map: Stop leaves it alone.
    Window->Edit(EditField::pValue)->setText(QStringLiteral("0.25"));
    QTest::mouseClick(Window->DrawItButton(), Qt::LeftButton);
    Window->FinishDrawing();
    Player->Stop();
    Window->FinishDrawing();
    EXPECT_EQ(Player->Now(), TAnimate::State::Idle);
    EXPECT_EQ(Window->Scene().S.ParamValue.X, 0.25);
    EXPECT_EQ(P(), QStringLiteral("0.25"));
}

// The close question is about the map as it stands: the path stops where it is before it is
// asked, and stays paused when the window is kept.
TEST_F(WindowAnimation, ClosingTheMainWindowPausesAPlayBeforeTheQuestion) {
    Fill("-1", "-1", "20");
    Player->Play();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Window->Scene().S.ParamValue.X < 1; }, 10000));
    bool PlayingWhenAsked = true;
    Window->AskQuestion = [this, &PlayingWhenAsked](const QString&) {
        PlayingWhenAsked = Window->Scene().Animating();
        return QMessageBox::Cancel;
    };
    Window->close();
    EXPECT_FALSE(PlayingWhenAsked);
    EXPECT_TRUE(Window->isVisible());
    EXPECT_EQ(Player->Now(), TAnimate::State::Paused);
    const double Kept = Window->Scene().S.ParamValue.X;
    QTest::qWait(150);
    EXPECT_EQ(Window->Scene().S.ParamValue.X, Kept);
    // Played on, and the window let go: no frame follows it.
    Player->Play();
    ASSERT_TRUE(QTest::qWaitFor([this, Kept] { return Window->Scene().S.ParamValue.X < Kept; }, 10000));
    Window->AskQuestion = [](const QString&) { return QMessageBox::No; };
    Window->close();
    EXPECT_FALSE(Window->isVisible());
    EXPECT_FALSE(Window->Scene().Animating());
    const double Closed = Window->Scene().S.ParamValue.X;
    QTest::qWait(150);
    EXPECT_EQ(Window->Scene().S.ParamValue.X, Closed);
}

TEST_F(WindowAnimation, FieldsThatMakeNoPathAreRefused) {
    struct Case {
        const char *P, *Q, *Seconds, *Fps, *Part;
    };
    const Case Cases[] = {{"0", "0", "-2", "25", "time"},   {"0", "0", "0", "25", "time"},
                          {"0", "0", "abc", "25", "time"},  {"0", "0", "2", "0", "frames a second"},
                          {"0", "0", "2", "2.5", "frames a second"}, {"5", "0", "2", "25", "outside"},
                          {"0", "1/0", "2", "25", "outside"}, {"u", "0", "2", "25", "target"}};
    for (const Case& C : Cases) {
        Fill(C.P, C.Q, C.Seconds, C.Fps);
        Player->Play();
        EXPECT_EQ(Player->Now(), TAnimate::State::Idle) << C.Seconds;
        EXPECT_TRUE(Player->Problem().contains(QString::fromLatin1(C.Part)))
            << C.P << " " << C.Seconds << ": " << Player->Problem().toStdString();
        EXPECT_EQ(Window->Scene().S.ParamValue.X, 1);
    }
    Player->ShapeBox()->setCurrentIndex(1);
    Player->Field(TAnimate::Radius)->setText(QStringLiteral("1.5"));
    Fill("0", "0", "2");
    Player->Play();
    EXPECT_TRUE(Player->Problem().contains(QStringLiteral("radius smaller"))) << Player->Problem().toStdString();
}

TEST_F(WindowAnimation, ALoopIsExportedFrameByFrame) {
    QTemporaryDir Folder;
    const QString Name = Folder.filePath(QStringLiteral("loop.webp"));
    Window->ChooseFile = [&Name](bool, const QString&) { return Name; };
    Player->ShapeBox()->setCurrentIndex(1);
    Player->Field(TAnimate::Radius)->setText(QStringLiteral("0.5"));
    Fill("0", "0", "0.5", "10");
    Player->Export();
    EXPECT_TRUE(Messages.isEmpty()) << Messages.toStdString();
    QFile F(Name);
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    int Frames = 0;
    QSize Canvas;
    ASSERT_TRUE(ReadWebPAnimation(F.readAll(), Frames, Canvas));
    EXPECT_EQ(Frames, 5);
    // The window's map stays where it was.
    EXPECT_EQ(Window->Scene().S.ParamValue.X, 1);
    // A file that cannot be written says why and leaves nothing under its name.
    const QString Bad = Folder.filePath(QStringLiteral("missing/loop.webp"));
    Window->ChooseFile = [&Bad](bool, const QString&) { return Bad; };
    Player->Export();
    EXPECT_FALSE(Messages.isEmpty());
    EXPECT_FALSE(QFile::exists(Bad));
}

}  // namespace
