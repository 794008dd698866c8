// The window over the scene, with real Qt events: the layout of every control, Draw It, the
// cross and read-outs under the mouse, Ctrl drags, arrow keys in any field, typing in the clip
// fields, the menus, the manual window and the close question.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QPrinter>
#include <QTextEdit>

#include <string>
#include <vector>

#include "app/FTorvane.h"
#include "app/PanelWidget.h"
#include "common/ResStrings.h"

namespace {

class WindowWiring : public ::testing::Test {
protected:
    void SetUp() override {
        // No dialog may wait for a user here.
        Window.ChooseFile = [this](bool, const QString& Title) {
            Titles.push_back(Title);
            return Chosen;
        };
        Window.ShowMessage = [this](const QString& Text) { Messages.push_back(Text); };
        Window.RunPrintDialog = [](QPrinter&) { return false; };
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
        Window.activateWindow();
    }

    void Move(QWidget* Panel, QPoint At, Qt::KeyboardModifiers Keys = Qt::NoModifier,
              Qt::MouseButtons Buttons = Qt::NoButton) {
        QMouseEvent E(QEvent::MouseMove, QPointF(At), Panel->mapToGlobal(QPointF(At)),
                      Qt::NoButton, Buttons, Keys);
        QApplication::sendEvent(Panel, &E);
    }

    // QTest clicks at the centre when asked for (0, 0), so the press is sent directly.
    void Press(QWidget* Panel, QPoint At) {
        QMouseEvent E(QEvent::MouseButtonPress, QPointF(At), Panel->mapToGlobal(QPointF(At)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Panel, &E);
    }

    QAction* Find(const QString& MenuTitle, const QString& Text, int Occurrence = 0) {
        for (QAction* M : Window.menuBar()->actions()) {
            if (M->text() != MenuTitle) continue;
            for (QAction* A : M->menu()->actions())
                if (A->text() == Text && Occurrence-- == 0) return A;
        }
        return nullptr;
    }

    std::string Text(EditField F) { return Window.Edit(F)->text().toStdString(); }

    // The drawing is computed on the scene's thread: its result comes through the event loop.
    void WaitForDrawing() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Window.Scene().Computing(); }, 20000));
    }

    TTorvane Window;
    QString Chosen;  // what the file dialog answers; empty: cancelled
    QStringList Titles, Messages;
};

TEST_F(WindowWiring, EveryControlSitsWhereTheLayoutPutsIt) {
    struct Place {
        const char* Name;
        QRect Geometry;
    };
    const std::vector<Place> Places = {
        {"Domain", {2, 10, 280, 280}},       {"Image", {286, 10, 460, 460}},
        {"Parameters", {80, 338, 200, 200}}, {"InfinityDomBox", {136, 0, 10, 10}},
        {"InfinityImgBox", {510, 0, 10, 10}}, {"F1Edit", {336, 529, 410, 20}},
        {"F2Edit", {336, 552, 410, 20}},     {"uMinEdit", {151, 294, 40, 16}},
        {"uMaxEdit", {242, 294, 38, 16}},    {"vMinEdit", {151, 314, 40, 16}},
        {"vMaxEdit", {242, 314, 38, 16}},    {"pValue", {37, 422, 40, 16}},
        {"qValue", {37, 446, 40, 16}},       {"pMinEdit", {82, 542, 38, 16}},
        {"pMaxEdit", {162, 542, 38, 16}},    {"qMinEdit", {82, 562, 38, 16}},
        {"qMaxEdit", {162, 562, 38, 16}},    {"uValueEdit", {39, 294, 40, 16}},
        {"vValueEdit", {39, 314, 40, 16}},   {"xValueEdit", {375, 474, 40, 16}},
        {"yValueEdit", {375, 494, 40, 16}},  {"xMinEdit", {547, 474, 40, 16}},
        {"xMaxEdit", {642, 474, 40, 16}},    {"yMinEdit", {547, 494, 40, 16}},
        {"yMaxEdit", {642, 494, 40, 16}},    {"DrawButton", {212, 548, 70, 26}},
    };
    for (const Place& P : Places) {
        auto* W = Window.centralWidget()->findChild<QWidget*>(QString::fromLatin1(P.Name));
        ASSERT_NE(W, nullptr) << P.Name;
        EXPECT_EQ(W->geometry(), P.Geometry) << P.Name;
    }
    const std::vector<std::pair<const char*, QPoint>> LabelPlaces = {
        {"uName", {12, 293}},  {"vName", {12, 313}},   {"uLabel", {200, 293}},
        {"vLabel", {200, 313}}, {"pName", {6, 421}},   {"qName", {6, 445}},
        {"pLabel", {126, 541}}, {"qLabel", {126, 561}}, {"xName", {348, 473}},
        {"yName", {348, 493}},  {"xLabel", {598, 473}}, {"yLabel", {598, 493}},
        {"xuvLabel", {294, 530}}, {"yuvLabel", {294, 553}}};
    for (const auto& [Name, TopLeft] : LabelPlaces) {
        auto* L = Window.centralWidget()->findChild<QLabel*>(QString::fromLatin1(Name));
        ASSERT_NE(L, nullptr) << Name;
        EXPECT_EQ(L->pos(), TopLeft) << Name;
    }
    EXPECT_EQ(Window.statusBar()->height(), 19);
    EXPECT_EQ(Window.statusBar()->width(), 752);
    EXPECT_TRUE(Window.Edit(EditField::xValueEdit)->isReadOnly());
    EXPECT_FALSE(Window.Edit(EditField::xValueEdit)->hasFrame());
    EXPECT_EQ(QApplication::focusWidget(), Window.Edit(EditField::F1Edit));
    EXPECT_TRUE(Window.DrawItButton()->isDefault());
    // Tab order: the fields, then the read-outs, then the button.
    const std::vector<const char*> Order = {"F1Edit",   "F2Edit",   "uMinEdit", "uMaxEdit",
                                            "vMinEdit", "vMaxEdit", "pMinEdit", "pMaxEdit",
                                            "qMinEdit", "qMaxEdit", "qValue",   "pValue",
                                            "xMinEdit", "xMaxEdit", "yMinEdit", "yMaxEdit",
                                            "uValueEdit", "vValueEdit", "xValueEdit",
                                            "yValueEdit", "DrawButton"};
    QWidget* W = Window.Edit(EditField::F1Edit);
    for (size_t I = 1; I < Order.size(); ++I) {
        W = W->nextInFocusChain();
        while (W && W->focusPolicy() == Qt::NoFocus) W = W->nextInFocusChain();
        ASSERT_NE(W, nullptr);
        EXPECT_EQ(W->objectName().toStdString(), Order[I]);
    }
}

TEST_F(WindowWiring, DrawItThenTheMouseOverTheDomain) {
    QTest::mouseClick(Window.DrawItButton(), Qt::LeftButton);
    WaitForDrawing();
    TorvaneScene& S = Window.Scene();
    ASSERT_TRUE(S.S.SceneReady) << S.StatusText;
    EXPECT_EQ(Window.StatusText().toStdString(), ResStrings::WholeRange);
    EXPECT_FALSE(Window.DrawItButton()->isDefault());
    // The panel shows the scene's surface.
    QImage Shown = Window.DomainPanel()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Shown, S.DomainSurface.convertToFormat(QImage::Format_RGB32));

    Move(Window.DomainPanel(), QPoint(210, 35));  // (0.5, 0.75)
    EXPECT_TRUE(S.CrossShown);
    EXPECT_EQ(Text(EditField::uValueEdit), "0.5000");
    EXPECT_EQ(Text(EditField::vValueEdit), "0.7500");
    EXPECT_EQ(Text(EditField::xValueEdit), "-0.4219");  // 0 u^2 - v^3
    EXPECT_EQ(Text(EditField::yValueEdit), "-0.1250");  // 0 v^2 - u^3

    // Ctrl held: the first move records, the next shifts the domain and rewrites its fields.
    Move(Window.DomainPanel(), QPoint(100, 100), Qt::ControlModifier);
    Move(Window.DomainPanel(), QPoint(114, 100), Qt::ControlModifier);
    EXPECT_EQ(Text(EditField::uMinEdit), "-1.100");
    EXPECT_EQ(Text(EditField::uMaxEdit), "0.900");
    EXPECT_TRUE(S.S.Modified);

    // A click in the Parameters pad moves p and q and redraws.
    Press(Window.ParametersPanel(), QPoint(0, 0));
    EXPECT_EQ(Text(EditField::pValue), "-2.0000");
    EXPECT_EQ(Text(EditField::qValue), "2.0000");
}

TEST_F(WindowWiring, ArrowKeysReachTheSceneFromAnyFieldAndTheField) {
    QLineEdit* F1 = Window.Edit(EditField::F1Edit);
    F1->setFocus();
    F1->setCursorPosition(3);
    QTest::keyClick(F1, Qt::Key_Up);
    EXPECT_DOUBLE_EQ(Window.Scene().CrossSize, 0.039);
    QTest::keyClick(F1, Qt::Key_Left);
    EXPECT_EQ(Window.Scene().CrossSize, 1);
    EXPECT_EQ(F1->cursorPosition(), 2);  // the field still got the key
    QTest::keyClick(Window.Edit(EditField::uMinEdit), Qt::Key_Down);
    EXPECT_DOUBLE_EQ(Window.Scene().CrossSize, 1 / 1.3);
}

TEST_F(WindowWiring, TypingInFieldsRedrawsAsTheyChange) {
    QTest::mouseClick(Window.DrawItButton(), Qt::LeftButton);
    WaitForDrawing();
    ASSERT_TRUE(Window.Scene().S.SceneReady);
    const EditField Fields[4] = {EditField::xMinEdit, EditField::xMaxEdit, EditField::yMinEdit,
                                 EditField::yMaxEdit};
    const char* Texts[4] = {"-1", "1", "-1", "1"};
    for (int I = 0; I < 4; ++I) {
        QLineEdit* E = Window.Edit(Fields[I]);
        E->setFocus();
        QTest::keyClicks(E, QString::fromLatin1(Texts[I]));
        EXPECT_EQ(Window.Scene().S.WholeImage, I < 3);
    }
    // A parameter value typed key by key: the field keeps what is typed (no "1.00" under the
    // cursor), the scene follows each usable value, and the other fields are rewritten.
    QLineEdit* P = Window.Edit(EditField::pValue);
    P->setFocus();
    P->selectAll();
    QTest::keyClicks(P, QStringLiteral("1.25"));
    EXPECT_EQ(Text(EditField::pValue), "1.25");
    EXPECT_EQ(Window.Scene().S.ParamValue.X, 1.25);
    QLineEdit* PMax = Window.Edit(EditField::pMaxEdit);
    PMax->setFocus();
    PMax->selectAll();
    QTest::keyClick(PMax, Qt::Key_1);  // below p: p follows to 1, its field is rewritten
    EXPECT_EQ(Text(EditField::pMaxEdit), "1");
    EXPECT_EQ(Text(EditField::pValue), "1.00");
    EXPECT_EQ(Window.Scene().S.ParamValue.X, 1);
}

TEST_F(WindowWiring, MenusDriveTheScene) {
    QTest::mouseClick(Window.DrawItButton(), Qt::LeftButton);
    WaitForDrawing();
    QAction* Locus = Find(QStringLiteral("Geometry"), QStringLiteral("Singular locus"));
    QAction* SphereImage = Find(QStringLiteral("Preferences"), QStringLiteral("Stereographic image"));
    QAction* PlaneImage = Find(QStringLiteral("Preferences"), QStringLiteral("Plane image"));
    QAction* PlaneDomain = Find(QStringLiteral("Preferences"), QStringLiteral("Plane domain"));
    QAction* ResetImage = Find(QStringLiteral("Preferences"), QStringLiteral("Reset sphere"), 1);
    ASSERT_TRUE(Locus && SphereImage && PlaneImage && PlaneDomain && ResetImage);
    Locus->trigger();
    EXPECT_FALSE(Locus->isChecked());
    EXPECT_FALSE(Window.Scene().S.ShowSingLocus);
    Locus->trigger();
    EXPECT_TRUE(Window.Scene().S.ShowSingLocus);
    SphereImage->trigger();
    PlaneDomain->trigger();
    EXPECT_TRUE(SphereImage->isChecked());
    EXPECT_FALSE(PlaneImage->isChecked());
    EXPECT_TRUE(PlaneDomain->isChecked());
    EXPECT_TRUE(Window.Scene().S.StereoImage);
    EXPECT_EQ(ResetImage->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    Window.Scene().S.ImgSphere.Radius = 3;
    QTest::keyClick(&Window, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Window.Scene().S.ImgSphere.Radius, 1);

    // The kind: labels follow.
    Find(QStringLiteral("File"), QStringLiteral("Complex Function"))->trigger();
    auto* Xuv = Window.centralWidget()->findChild<QLabel*>(QStringLiteral("xuvLabel"));
    EXPECT_EQ(Xuv->text(), QStringLiteral("w(z)="));
    EXPECT_FALSE(Window.Edit(EditField::F2Edit)->isVisible());
    EXPECT_EQ(Window.Label(SceneLabel::uName)->pos(), QPoint(2, 293));
    EXPECT_TRUE(Find(QStringLiteral("Preferences"), QStringLiteral("Preserve Ratio"))->isChecked());
}

// The View menu's marks are the user's preferences: a window opened later starts with them.
TEST_F(WindowWiring, ViewPreferencesOutliveTheWindow) {
    QAction* Cusps = Find(QStringLiteral("View"), QStringLiteral("Show Cusps"));
    ASSERT_TRUE(Cusps);
    EXPECT_TRUE(Cusps->isChecked());
    Cusps->trigger();
    EXPECT_FALSE(Window.Scene().S.ShowCusps);
    {
        TTorvane Later;
        EXPECT_FALSE(Later.Scene().S.ShowCusps);
        EXPECT_FALSE(Later.Scene().Checked(MenuItem::ShowCusps1));
    }
    Cusps->trigger();
    QAction* Shade = Find(QStringLiteral("View"), QStringLiteral("Shade by Number of Preimages"));
    ASSERT_TRUE(Shade);
    EXPECT_FALSE(Shade->isChecked());
    Shade->trigger();
    EXPECT_TRUE(Window.Scene().S.ShadePreimages);
    {
        TTorvane Later;
        EXPECT_TRUE(Later.Scene().S.ShowCusps);
        EXPECT_TRUE(Later.Scene().S.ShadePreimages);
        EXPECT_TRUE(Later.Scene().Checked(MenuItem::ShadePreimages1));
    }
    Shade->trigger();
    {
        TTorvane Again;
        EXPECT_TRUE(Again.Scene().S.ShowCusps);
        EXPECT_FALSE(Again.Scene().S.ShadePreimages);
        EXPECT_EQ(Again.Scene().S.PortraitColouring, Colouring::None);
    }
    // The colouring, by its name in the settings.
    QMenu* Colourings = Find(QStringLiteral("View"), QStringLiteral("Colouring"))->menu();
    ASSERT_TRUE(Colourings);
    Colourings->actions()[2]->trigger();
    EXPECT_EQ(Window.Scene().S.PortraitColouring, Colouring::Modulus);
    {
        TTorvane Later;
        EXPECT_EQ(Later.Scene().S.PortraitColouring, Colouring::Modulus);
        EXPECT_TRUE(Later.Scene().Checked(MenuItem::ColouringModulus1));
        EXPECT_FALSE(Later.Scene().Checked(MenuItem::ColouringNone1));
    }
    Colourings->actions()[0]->trigger();
    TTorvane Again;
    EXPECT_EQ(Again.Scene().S.PortraitColouring, Colouring::None);
    EXPECT_TRUE(Again.Scene().Checked(MenuItem::ColouringNone1));
}

TEST_F(WindowWiring, OneManualWindowAtATime) {
    Window.OnManual();
    TManual* First = Window.Manual();
    ASSERT_NE(First, nullptr);
    EXPECT_EQ(First->windowTitle(), QStringLiteral("Manual"));
    EXPECT_EQ(First->size(), QSize(457, 528));
    EXPECT_TRUE(First->Text()->isReadOnly());
    QString Manual = First->Text()->toPlainText();
    for (const char* Section : {"LIST OF SHORTCUTS", "1. INTRODUCTION.", "2. MAP TYPES",
                                "3. INPUT OF FORMULAS", "4. OTHER INPUT",
                                "5. GEOMETRY, VIEW AND PREFERENCES MENUS"})
        EXPECT_TRUE(Manual.contains(QString::fromLatin1(Section))) << Section;
    Window.OnManual();
    EXPECT_EQ(Window.Manual(), First);
    First->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Window.Manual(), nullptr);  // freed when closed
    Window.OnManual();
    EXPECT_NE(Window.Manual(), nullptr);
}

TEST_F(WindowWiring, TheCloseQuestionAndItsAnswers) {
    int Asked = 0;
    QString Question;
    QMessageBox::StandardButton Answer = QMessageBox::Cancel;
    Window.AskQuestion = [&](const QString& Text) {
        ++Asked;
        Question = Text;
        return Answer;
    };
    QTest::mouseClick(Window.DrawItButton(), Qt::LeftButton);  // Draw It modifies
    WaitForDrawing();
    ASSERT_TRUE(Window.Scene().S.Modified);
    for (QMessageBox::StandardButton A : {QMessageBox::Cancel, QMessageBox::Yes}) {
        Answer = A;
        Window.ExecuteQuit();
        EXPECT_TRUE(Window.isVisible());  // cancelled, or nothing could be saved
    }
    EXPECT_EQ(Asked, 2);
    EXPECT_EQ(Titles, QStringList{QStringLiteral("Save changes?")});  // Yes asked for a name
    EXPECT_EQ(Question, QStringLiteral("Save changes made to Torvane before exiting?"));
    Answer = QMessageBox::No;
    Find(QStringLiteral("File"), QStringLiteral("Exit"))->trigger();
    EXPECT_FALSE(Window.isVisible());

    // Unmodified: closes at once without a question.
    TTorvane Fresh;
    Fresh.ChooseFile = [](bool, const QString&) { return QString(); };
    Fresh.AskQuestion = [&](const QString&) {
        ++Asked;
        return QMessageBox::Cancel;
    };
    Fresh.show();
    Fresh.close();
    EXPECT_FALSE(Fresh.isVisible());
    EXPECT_EQ(Asked, 3);
}

// Ctrl+Z in a field takes back the map's last step, typed text included, and the close
// question is asked only while the map differs from what was saved.
TEST_F(WindowWiring, UndoKeysWorkFromTheFieldsAndTheCloseQuestionFollowsThem) {
    int Asked = 0;
    Window.AskQuestion = [&](const QString&) {
        ++Asked;
        return QMessageBox::Cancel;
    };
    QTest::mouseClick(Window.DrawItButton(), Qt::LeftButton);
    WaitForDrawing();
    QLineEdit* Formula = Window.Edit(EditField::F1Edit);
    const QString Drawn = Formula->text();
    Formula->setFocus();
    Formula->selectAll();
    QTest::keyClicks(Formula, QStringLiteral("u^2 - v^2"));
    QTest::keyClick(Formula, Qt::Key_Return, Qt::ControlModifier);
    WaitForDrawing();
    ASSERT_EQ(Window.Scene().History.count(), 2);
    QTest::keyClick(Formula, Qt::Key_Z, Qt::ControlModifier);
    WaitForDrawing();
    EXPECT_EQ(Formula->text(), Drawn);
    EXPECT_EQ(Window.Scene().History.index(), 1);
    QTest::keyClick(Formula, Qt::Key_Y, Qt::ControlModifier);
    WaitForDrawing();
    EXPECT_EQ(Formula->text(), QStringLiteral("u^2 - v^2"));
    // Back to the start, where nothing was drawn: nothing to lose, no question.
    QTest::keyClick(Formula, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Formula, Qt::Key_Z, Qt::ControlModifier);
    WaitForDrawing();
    EXPECT_FALSE(Window.Scene().S.Modified);
    Window.close();
    EXPECT_EQ(Asked, 0);
    EXPECT_FALSE(Window.isVisible());
}

}  // namespace
