// The window while a drawing is computed on the scene's thread: it goes on taking events, the
// parameter spot follows the mouse at once, a long drawing shows its progress and stops with
// Esc leaving the old picture, and a window closed in the middle of one goes at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/FTorvane.h"
#include "app/PanelWidget.h"
#include "common/ResStrings.h"

namespace {

// The corpus' slowest map: a hundred and fifty nested products of cosines, with its locus.
QString SlowMap() {
    std::string W = "p";
    for (int I = 0; I < 150; ++I) W = "cos(z)*(" + W + ")";
    return QString::fromStdString(W);
}

void Press(QWidget* Panel, QPoint At, Qt::MouseButton Button) {
    QMouseEvent E(QEvent::MouseButtonPress, QPointF(At), QPointF(At), Button, Button,
                  Qt::NoModifier);
    QApplication::sendEvent(Panel, &E);
}

void Drag(QWidget* Panel, QPoint At, Qt::MouseButton Button) {
    QMouseEvent E(QEvent::MouseMove, QPointF(At), QPointF(At), Qt::NoButton, Button,
                  Qt::NoModifier);
    QApplication::sendEvent(Panel, &E);
}

class WindowComputing : public ::testing::Test {
protected:
    void SetUp() override {
        Window = std::make_unique<TTorvane>();
        Window->AskQuestion = [](const QString&) { return QMessageBox::No; };
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }
    bool Settled(int Milliseconds = 20000) {
        return QTest::qWaitFor([this] { return !Window->Scene().Computing(); }, Milliseconds);
    }
    QImage Shown(PanelWidget* Panel) {
        return Panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    std::unique_ptr<TTorvane> Window;
};

TEST_F(WindowComputing, TheSpotFollowsTheMouseAndTheLastDragStepIsDrawn) {
    QTest::mouseClick(Window->DrawItButton(), Qt::LeftButton);
    ASSERT_TRUE(Settled());
    QWidget* Pad = Window->ParametersPanel();
    Press(Pad, {120, 80}, Qt::LeftButton);
    for (int X = 121; X <= 150; ++X) {
        Drag(Pad, {X, 80}, Qt::LeftButton);
        // The spot moves with every step, whether or not a drawing is being computed.
        EXPECT_EQ(Window->Scene().Spot.X, X);
        QApplication::processEvents();
    }
    ASSERT_TRUE(Settled());

    // The picture is the one computed at once for the last step.
    TorvaneScene Now;
    Now.ReadAndDraw(true);
    Now.OnMouseDownInParameters(MouseButton::Left, {false, false, true, false, false}, 120, 80);
    Now.OnMouseMoveInParameters({false, false, true, false, false}, 150, 80);
    EXPECT_EQ(Shown(Window->ImagePanel()), Now.ImageSurface.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(Shown(Window->DomainPanel()),
              Now.DomainSurface.convertToFormat(QImage::Format_RGB32));
}

TEST_F(WindowComputing, ALongDrawingShowsItsProgressAndEscStopsIt) {
    QTest::mouseClick(Window->DrawItButton(), Qt::LeftButton);
    ASSERT_TRUE(Settled());
    const QImage Before = Shown(Window->ImagePanel());
    ASSERT_EQ(Window->DrawingProgress(), nullptr);

    Window->Edit(EditField::F1Edit)->setText(SlowMap().replace('z', 'u'));
    Window->Edit(EditField::F2Edit)->setText(SlowMap().replace('z', 'v'));
    QTest::mouseClick(Window->DrawItButton(), Qt::LeftButton);
    ASSERT_TRUE(Window->Scene().Computing());
    ASSERT_TRUE(QTest::qWaitFor([this] { return Window->DrawingProgress() != nullptr; }, 5000));
    // For a look at the window while it draws: TORVANE_DUMP=folder.
    if (const char* Folder = std::getenv("TORVANE_DUMP"))
        Window->grab().save(QString::fromLocal8Bit(Folder) + QStringLiteral("/window-drawing.png"));
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    ASSERT_TRUE(Settled(5000));
    EXPECT_EQ(Window->StatusText().toStdString(), ResStrings::DrawingStopped);
    EXPECT_EQ(Window->DrawingProgress(), nullptr);
    EXPECT_EQ(Shown(Window->ImagePanel()), Before);
}

TEST_F(WindowComputing, AWindowClosedDuringADrawingGoesAtOnce) {
    Window->Edit(EditField::F1Edit)->setText(SlowMap().replace('z', 'u'));
    Window->Edit(EditField::F2Edit)->setText(QStringLiteral("v"));
    QTest::mouseClick(Window->DrawItButton(), Qt::LeftButton);
    ASSERT_TRUE(Window->Scene().Computing());
    Window->close();
    EXPECT_FALSE(Window->isVisible());
    Window.reset();  // stops the computation and waits for its thread
    QApplication::processEvents();  // a result posted meanwhile finds no window
}

}  // namespace
