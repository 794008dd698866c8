// The window at other sizes: the layout scales with the client area in twentieths, keeping
// the panels square and the fields in their places; the mouse reads the same points at any
// size; the panels are drawn with the screen's device pixels, thin lines one device pixel;
// the size comes back at the next start. Run once more with QT_SCALE_FACTOR=2 (see the test
// list), where the screen has two device pixels to a pixel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

#include "app/FTorvane.h"
#include "app/PanelWidget.h"
#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"

namespace {

void MoveOver(QWidget* Panel, QPointF At) {
    QMouseEvent Move(QEvent::MouseMove, At, Panel->mapToGlobal(At), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(Panel, &Move);
}

// The pixels of a picture that are neither white nor the form's colour: the lines' ink.
long long Ink(const QImage& Picture) {
    long long N = 0;
    for (int Y = 0; Y < Picture.height(); ++Y)
        for (int X = 0; X < Picture.width(); ++X) {
            const QRgb C = Picture.pixel(X, Y) & 0xFFFFFF;
            if (C != 0xFFFFFF && C != 0xFFE8B0) ++N;
        }
    return N;
}

class WindowSize : public ::testing::Test {
protected:
    void SetUp() override { Open(); }
    void Open() {
        Window = std::make_unique<TTorvane>();
        Window->AskQuestion = [](const QString&) { return QMessageBox::No; };
        Window->ShowMessage = [](const QString&) {};
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }
    // The window with a client area Scale times the smallest.
    void Grow(double Scale) {
        const int Menu = Window->menuBar()->height();
        Window->resize(static_cast<int>(std::ceil(752 * Scale)),
                       static_cast<int>(std::ceil((608 - 19) * Scale)) + 19 + Menu);
        QTest::qWait(1);
        QApplication::processEvents();
    }
    void Draw() {
        QTest::mouseClick(Window->DrawItButton(), Qt::LeftButton);
        Window->FinishDrawing();
    }
    QString Field(EditField F) { return Window->Edit(F)->text(); }
    std::unique_ptr<TTorvane> Window;
};

TEST_F(WindowSize, TheLayoutScalesAndTheMouseReadsTheSamePoints) {
    Draw();
    const double Ratio = Window->devicePixelRatioF();
    MoveOver(Window->DomainPanel(), QPointF(210, 35));
    const QString U = Field(EditField::uValueEdit), V = Field(EditField::vValueEdit),
                  X = Field(EditField::xValueEdit), Y = Field(EditField::yValueEdit);
    const QRect Formula = Window->Edit(EditField::F1Edit)->geometry();
    const QRect Button = Window->DrawItButton()->geometry();

    Grow(2);
    ASSERT_DOUBLE_EQ(Window->Enlargement(), 2);
    Window->FinishDrawing();
    // The panels keep their squares and proportions, the fields and the button their places.
    EXPECT_EQ(Window->DomainPanel()->geometry(), QRect(4, 20, 560, 560));
    EXPECT_EQ(Window->ImagePanel()->geometry(), QRect(572, 20, 920, 920));
    EXPECT_EQ(Window->ParametersPanel()->geometry(), QRect(160, 676, 400, 400));
    EXPECT_EQ(Window->Edit(EditField::F1Edit)->geometry(),
              QRect(2 * Formula.left(), 2 * Formula.top(), 2 * Formula.width(), 2 * Formula.height()));
    EXPECT_EQ(Window->DrawItButton()->geometry().topLeft(), 2 * Button.topLeft());
    const QRect Client = Window->centralWidget()->rect();
    for (const QWidget* W : Window->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (W->isVisible()) {
            EXPECT_TRUE(Client.contains(W->geometry())) << W->objectName().toStdString();
        }
    // Every panel's picture has the panel's device pixels.
    const TorvaneScene& T = Window->Scene();
    EXPECT_EQ(T.ImageSurface.width(), static_cast<int>(920 * Ratio));
    EXPECT_EQ(T.DomainSurface.width(), static_cast<int>(560 * Ratio));
    EXPECT_EQ(T.ParametersSurface.width(), static_cast<int>(400 * Ratio));
    EXPECT_EQ(T.ImgBitmap.size(), T.ImageSurface.size());

    // The same point of the panel is the same point of the map.
    MoveOver(Window->DomainPanel(), QPointF(420, 70));
    EXPECT_EQ(Field(EditField::uValueEdit), U);
    EXPECT_EQ(Field(EditField::vValueEdit), V);
    EXPECT_EQ(Field(EditField::xValueEdit), X);
    EXPECT_EQ(Field(EditField::yValueEdit), Y);
    EXPECT_TRUE(T.CrossShown);

    // Wider than tall: the layout grows with the height and stays centred.
    Grow(1);
    const int Menu = Window->menuBar()->height();
    Window->resize(2000, 884 + 19 + Menu);
    QTest::qWait(1);
    EXPECT_DOUBLE_EQ(Window->Enlargement(), 1.5);
    EXPECT_EQ(Window->DomainPanel()->geometry(), QRect((2000 - 1128) / 2 + 3, 15, 420, 420));
    Window->FinishDrawing();
    EXPECT_EQ(T.ImageSurface.width(), static_cast<int>(690 * Ratio));

    // Back to the smallest size, the pictures are what they were at the start.
    Grow(1);
    Window->FinishDrawing();
    EXPECT_DOUBLE_EQ(Window->Enlargement(), 1);
    EXPECT_EQ(T.ImageSurface.width(), static_cast<int>(460 * Ratio));
    EXPECT_EQ(Window->Edit(EditField::F1Edit)->geometry(), Formula);
}

// A picture exported or printed from an enlarged window is the one of the smallest window.
TEST_F(WindowSize, PicturesDoNotDependOnTheWindowsSize) {
    Draw();
    QTemporaryDir Folder;
    auto Export = [&](const char* Name) {
        const QString Path = Folder.filePath(QString::fromLatin1(Name));
        EXPECT_EQ(ExportPicture(Window->Scene(), Path.toStdString(), PicturePanels::Both, 460), "");
        return QImage(Path);
    };
    const QImage Small = Export("small.png");
    Grow(1.5);
    Window->FinishDrawing();
    const QImage Large = Export("large.png");
    ASSERT_FALSE(Small.isNull());
    EXPECT_TRUE(Small == Large);
    Grow(1);
}

TEST_F(WindowSize, TheSizeComesBackAtTheNextStart) {
    Grow(1.25);
    const QSize Size = Window->size();
    Window->close();
    Open();
    EXPECT_EQ(Window->size(), Size);
    EXPECT_DOUBLE_EQ(Window->Enlargement(), 1.25);
    Grow(1);  // for the tests after this one
    Window->close();
}

// A screenshot of the panel: at QT_SCALE_FACTOR=2 it has two device pixels to a pixel, every
// one the scene's, and the grid's lines stay one device pixel thin.
TEST_F(WindowSize, PanelsShowTheirSurfacesPixelForPixel) {
    const double Ratio = qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2 ? 2 : 1;
    ASSERT_DOUBLE_EQ(Window->devicePixelRatioF(), Ratio);
    Window->Scene().OnGeometryMenu();  // the grid alone
    Draw();
    const QImage Grabbed = Window->ImagePanel()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage Surface = Window->Scene().ImageSurface.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(Grabbed.size(), QSize(460, 460) * Ratio);
    ASSERT_EQ(Grabbed.size(), Surface.size());
    EXPECT_TRUE(Grabbed == Surface);
    TorvaneScene Plain;
    Plain.OnGeometryMenu();
    Plain.ReadAndDraw(true);
    const double Thickening = double(Ink(Grabbed)) / double(Ink(Plain.ImgBitmap));
    EXPECT_GT(Thickening, 0.8 * Ratio);
    EXPECT_LT(Thickening, 1.25 * Ratio);
}

// The scene drawn with two device pixels to a pixel: the thin grid stays one device pixel, so
// its ink doubles with its length; enlarged twice on a plain screen, it is twice as wide too.
TEST(CrispPanels, ThinLinesAreOneDevicePixel) {
    auto InkAt = [](double Scale, double Ratio) {
        TorvaneScene T;
        T.OnGeometryMenu();  // the grid alone
        T.SetPanelScale(Scale, Ratio);
        T.ReadAndDraw(true);
        EXPECT_EQ(T.ImgBitmap.width(), static_cast<int>(460 * Scale));
        EXPECT_EQ(T.DomBitmap.width(), static_cast<int>(280 * Scale));
        return std::pair{Ink(T.DomBitmap), Ink(T.ImgBitmap)};
    };
    const auto Plain = InkAt(1, 1), Fine = InkAt(2, 2), Large = InkAt(2, 1);
    for (double R : {double(Fine.first) / Plain.first, double(Fine.second) / Plain.second}) {
        EXPECT_GT(R, 1.6);
        EXPECT_LT(R, 2.5);
    }
    for (double R : {double(Large.first) / Plain.first, double(Large.second) / Plain.second}) {
        EXPECT_GT(R, 3.2);
        EXPECT_LT(R, 4.8);
    }
}

}  // namespace
