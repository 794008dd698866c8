// File commands and printing through the window: Open with its caption, a bad file with its
// message box and status text, Save and Save As with the naming rules, the close question
// saving for real, and a printed page read back from a PDF file.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "app/FTorvane.h"
#include "app/PanelWidget.h"
#include "scene/WebPAnimation.h"

namespace {

class DocumentsAndPrinting : public ::testing::Test {
protected:
    void SetUp() override {
        Window.ChooseFile = [this](bool Saving, const QString& Title) {
            Asked.push_back((Saving ? QStringLiteral("save:") : QStringLiteral("open:")) + Title);
            return Chosen;
        };
        Window.ShowMessage = [this](const QString& Text) { Messages.push_back(Text); };
        Window.RunPrintDialog = [](QPrinter&) { return false; };
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }

    QString Fixture(const char* Name) {
        return QString::fromLatin1(TORVANE_SOURCE_DIR) + QStringLiteral("/tests/document/fixtures/") +
               QString::fromLatin1(Name);
    }

    // The drawing is computed on the scene's thread: its result comes through the event loop.
    void WaitForDrawing() {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Window.Scene().Computing(); }, 20000));
    }

    void Draw() {
        QTest::mouseClick(Window.DrawItButton(), Qt::LeftButton);
        WaitForDrawing();
        ASSERT_TRUE(Window.Scene().S.SceneReady);
    }

    TTorvane Window;
    QTemporaryDir Folder;
    QString Chosen;
    QStringList Asked, Messages;
};

TEST_F(DocumentsAndPrinting, OpenShowsTheDocumentAndItsName) {
    Chosen = Fixture("complex-sphere.tvn");
    Window.Open();
    WaitForDrawing();
    EXPECT_EQ(Asked, QStringList{QStringLiteral("open:Open")});
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("complex-sphere"));
    EXPECT_EQ(Window.Edit(EditField::F1Edit)->text(), QStringLiteral("z^3 - p z"));
    EXPECT_FALSE(Window.Edit(EditField::F2Edit)->isVisible());
    EXPECT_TRUE(Window.Scene().S.SceneReady);

    // Whatever its extension, the chosen file is what is read.
    QString Renamed = Folder.filePath(QStringLiteral("copy.map"));
    ASSERT_TRUE(QFile::copy(Fixture("whole-image.tvn"), Renamed));
    Chosen = Renamed;
    Window.Open();
    EXPECT_EQ(Window.Edit(EditField::F1Edit)->text(), QStringLiteral("p u^2 - v^3"));
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("copy"));
}

TEST_F(DocumentsAndPrinting, ABadFileShowsItsMessageAndChangesNothing) {
    Draw();
    QString Bad = Folder.filePath(QStringLiteral("bad.tvn"));
    QFile F(Bad);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write("\x07\x00\x00\x00NorliXh", 11);
    F.close();
    QString Formula = Window.Edit(EditField::F1Edit)->text();
    Chosen = Bad;
    Window.Open();
    EXPECT_EQ(Messages, QStringList{QStringLiteral("Bad file type")});
    EXPECT_EQ(Window.StatusText(), QStringLiteral("Error on reading file"));
    EXPECT_EQ(Window.Edit(EditField::F1Edit)->text(), Formula);
    EXPECT_TRUE(Window.Scene().S.SceneReady);  // the drawing stays usable
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("Torvane"));
    // A file that cannot be opened at all: the system's words.
    Chosen = Folder.filePath(QStringLiteral("missing.tvn"));
    Window.Open();
    ASSERT_EQ(Messages.size(), 2);
    EXPECT_FALSE(Messages[1].isEmpty());
}

TEST_F(DocumentsAndPrinting, SaveAndSaveAsFollowTheNamingRules) {
    Draw();
    Chosen = Folder.filePath(QStringLiteral("first"));
    Window.Save();  // a new modified document: Save asks for a name
    EXPECT_EQ(Asked, QStringList{QStringLiteral("save:Save As")});
    EXPECT_TRUE(QFile::exists(Chosen + QStringLiteral(".tvn")));
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("first"));
    EXPECT_FALSE(Window.Scene().S.Modified);
    // Nothing changed: Save writes nothing.
    QFile::remove(Chosen + QStringLiteral(".tvn"));
    Window.Save();
    EXPECT_FALSE(QFile::exists(Chosen + QStringLiteral(".tvn")));
    // A three-letter extension is kept as typed.
    Chosen = Folder.filePath(QStringLiteral("second.map"));
    Window.SaveAs();
    EXPECT_TRUE(QFile::exists(Chosen));
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("second"));
}

TEST_F(DocumentsAndPrinting, TheCloseQuestionSavesForReal) {
    Draw();
    Window.AskQuestion = [](const QString&) { return QMessageBox::Yes; };
    Chosen = Folder.filePath(QStringLiteral("closing"));
    Window.close();
    EXPECT_FALSE(Window.isVisible());
    EXPECT_EQ(Asked, QStringList{QStringLiteral("save:Save changes?")});
    EXPECT_TRUE(QFile::exists(Chosen + QStringLiteral(".tvn")));
}

TEST_F(DocumentsAndPrinting, ExportsBothPanelsOrTheLastUsedOne) {
    Draw();
    Chosen = Folder.filePath(QStringLiteral("both.png"));
    Window.ExportPicture(false);
    EXPECT_EQ(Asked.last(), QStringLiteral("save:Export Picture"));
    QImage Both(Chosen);
    EXPECT_EQ(Both.height(), 920);
    EXPECT_GT(Both.width(), 2 * 920);
    QMouseEvent Move(QEvent::MouseMove, QPointF(100, 100), QPointF(100, 100), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Window.ImagePanel(), &Move);
    Chosen = Folder.filePath(QStringLiteral("image.svg"));
    Window.ExportPicture(true);
    QFile Svg(Chosen);
    ASSERT_TRUE(Svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(Svg.readAll().contains("viewBox=\"0 0 460 460\""));  // one panel
    Chosen = Folder.filePath(QStringLiteral("picture.gif"));
    Window.ExportPicture(false);
    ASSERT_FALSE(Messages.isEmpty());
    EXPECT_TRUE(Messages.last().contains(QStringLiteral(".png")));
}

TEST_F(DocumentsAndPrinting, APrintedPageReadsBackFromPdf) {
    Draw();
    Window.Edit(EditField::uMinEdit)->setText(QStringLiteral("-1.0"));
    QTest::mouseClick(Window.DrawItButton(), Qt::LeftButton);
    WaitForDrawing();
    // The cross before printing.
    QMouseEvent Move(QEvent::MouseMove, QPointF(210, 35), QPointF(210, 35), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Window.DomainPanel(), &Move);
    ASSERT_TRUE(Window.Scene().CrossShown);
    PixelPoint Before = Window.Scene().CrossEnds[0][0];

    QString Pdf = Folder.filePath(QStringLiteral("page.pdf"));
    QPrinter Printer(QPrinter::HighResolution);
    Printer.setOutputFormat(QPrinter::PdfFormat);
    Printer.setOutputFileName(Pdf);
    Window.PrintTo(Printer);
    ASSERT_TRUE(QFile::exists(Pdf));

    QProcess Text;
    Text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), Pdf, QStringLiteral("-")});
    ASSERT_TRUE(Text.waitForFinished(20000)) << "pdftotext did not run";
    QString Page = QString::fromUtf8(Text.readAllStandardOutput()).simplified();
    for (const char* Expected :
         {"Torvane : real map", "Untitled", "x(u,v) = p u^2 - v^3", "y(u,v) = q v^2 - u^3",
          "-1.0 < u < 1 , -1 < v < 1", "-1.100 < x < 1.1000 , -1.100 < y < 1.1000"})
        EXPECT_TRUE(Page.contains(QString::fromLatin1(Expected))) << Expected << " in: "
                                                                   << Page.toStdString();
    // The text extractor closes up the blanks around "=" and before ",".
    EXPECT_TRUE(Page.contains(QRegularExpression(QStringLiteral("p ?= ?0 ?, +q ?= ?0"))))
        << Page.toStdString();
    if (qEnvironmentVariableIsSet("TORVANE_DUMP"))
        QFile::copy(Pdf, qEnvironmentVariable("TORVANE_DUMP") + QStringLiteral("/page.pdf"));
    QProcess Info;
    Info.start(QStringLiteral("pdfinfo"), {Pdf});
    ASSERT_TRUE(Info.waitForFinished(20000));
    QString Size = QString::fromUtf8(Info.readAllStandardOutput());
    QRegularExpressionMatch M =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(Size);
    ASSERT_TRUE(M.hasMatch()) << Size.toStdString();
    EXPECT_GT(M.captured(1).toDouble(), M.captured(2).toDouble()) << "landscape";

    // The screen views are back: the same move draws the same cross.
    QApplication::sendEvent(Window.DomainPanel(), &Move);
    QApplication::sendEvent(Window.DomainPanel(), &Move);
    ASSERT_TRUE(Window.Scene().CrossShown);
    EXPECT_EQ(Window.Scene().CrossEnds[0][0].X, Before.X);
    EXPECT_EQ(Window.Scene().CrossEnds[0][0].Y, Before.Y);
}

}  // namespace

namespace {

// The entries of File > Open Recent before its separator.
QStringList RecentEntries(const TTorvane& Window) {
    QStringList Paths;
    for (const QAction* A : Window.RecentDocumentsMenu()->actions()) {
        if (A->isSeparator()) break;
        Paths.push_back(A->data().toString());
    }
    return Paths;
}

}  // namespace

TEST_F(DocumentsAndPrinting, RecentDocumentsOutliveTheWindowAndLoseFilesThatAreGone) {
    Window.ClearRecent();
    EXPECT_TRUE(RecentEntries(Window).isEmpty());
    EXPECT_FALSE(Window.RecentDocumentsMenu()->actions().back()->isEnabled());  // Clear Menu
    // Opened and saved documents come first, a file once; a bad file does not come at all.
    const QString Sphere = Folder.filePath(QStringLiteral("sphere & more.tvn"));
    ASSERT_TRUE(QFile::copy(Fixture("complex-sphere.tvn"), Sphere));
    Chosen = Fixture("whole-image.tvn");
    Window.Open();
    Chosen = Sphere;
    Window.Open();
    WaitForDrawing();
    Chosen = Folder.filePath(QStringLiteral("saved.tvn"));
    Window.SaveAs();
    const QString Saved = QFileInfo(Chosen).absoluteFilePath();
    Chosen = Fixture("whole-image.tvn");
    Window.Open();
    WaitForDrawing();
    const QString Whole = QFileInfo(Chosen).absoluteFilePath();
    QString Bad = Folder.filePath(QStringLiteral("bad.tvn"));
    {
        QFile F(Bad);
        ASSERT_TRUE(F.open(QIODevice::WriteOnly));
        F.write("not a map");
    }
    Chosen = Bad;
    Window.Open();
    EXPECT_EQ(RecentEntries(Window), (QStringList{Whole, Saved, QFileInfo(Sphere).absoluteFilePath()}));
    EXPECT_EQ(Window.RecentDocumentsMenu()->actions()[2]->text(), QStringLiteral("&3 sphere && more.tvn"));

    // A new window has the list; a chosen entry opens its file.
    {
        TTorvane Later;
        Later.ShowMessage = [this](const QString& Text) { Messages.push_back(Text); };
        EXPECT_EQ(RecentEntries(Later), RecentEntries(Window));
        Later.RecentDocumentsMenu()->actions()[2]->trigger();
        EXPECT_EQ(Later.Edit(EditField::F1Edit)->text(), QStringLiteral("z^3 - p z"));
        EXPECT_EQ(RecentEntries(Later).front(), QFileInfo(Sphere).absoluteFilePath());
        // One that is gone is taken off with a message, and the map stays.
        ASSERT_TRUE(QFile::remove(Saved));
        Messages.clear();
        Later.OpenRecent(Saved);
        EXPECT_EQ(Messages.size(), 1);
        EXPECT_TRUE(Messages.front().contains(QStringLiteral("no longer exists")));
        EXPECT_EQ(Later.Edit(EditField::F1Edit)->text(), QStringLiteral("z^3 - p z"));
        EXPECT_FALSE(RecentEntries(Later).contains(Saved));
    }
    // At most eight, the newest first.
    for (int I = 0; I < 10; ++I) {
        Chosen = Folder.filePath(QStringLiteral("map-%1.tvn").arg(I));
        Window.SaveAs();
    }
    const QStringList Eight = RecentEntries(Window);
    ASSERT_EQ(Eight.size(), 8);
    EXPECT_TRUE(Eight.front().endsWith(QStringLiteral("map-9.tvn")));
    EXPECT_TRUE(Eight.back().endsWith(QStringLiteral("map-2.tvn")));
    Window.RecentDocumentsMenu()->actions().back()->trigger();  // Clear Menu
    TTorvane Cleared;
    EXPECT_TRUE(RecentEntries(Cleared).isEmpty());
}

TEST_F(DocumentsAndPrinting, CtrlReturnDrawsFromAnyField) {
    Window.Edit(EditField::uMaxEdit)->setFocus();
    QTest::keyClick(Window.Edit(EditField::uMaxEdit), Qt::Key_Return, Qt::ControlModifier);
    WaitForDrawing();
    EXPECT_TRUE(Window.Scene().S.SceneReady);
}

TEST_F(DocumentsAndPrinting, ExamplesOpenFromTheMenuAndTheStartFollowsThePreference) {
    QMenu* File = nullptr;
    for (QAction* A : Window.menuBar()->actions())
        if (A->text() == QStringLiteral("File")) File = A->menu();
    ASSERT_TRUE(File);
    QMenu* ExampleMenu = nullptr;
    for (QAction* A : File->actions())
        if (A->text() == QStringLiteral("Examples")) ExampleMenu = A->menu();
    ASSERT_TRUE(ExampleMenu);
    ASSERT_GE(ExampleMenu->actions().size(), 12);
    QAction* Cubic = nullptr;
    for (QAction* A : ExampleMenu->actions())
        if (A->data().toString() == QStringLiteral("cubic")) Cubic = A;
    ASSERT_TRUE(Cubic);
    EXPECT_FALSE(Cubic->statusTip().isEmpty());
    Cubic->trigger();
    WaitForDrawing();
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("Cubic"));
    EXPECT_EQ(Window.Edit(EditField::F1Edit)->text(), QStringLiteral("z^3 - p z"));
    EXPECT_TRUE(Window.Scene().S.SceneReady);

    // At start: nothing is drawn unless the preference asks for it; a document named on the
    // command line opens either way.
    QAction* AtStart = nullptr;
    for (QAction* M : Window.menuBar()->actions())
        if (M->text() == QStringLiteral("Preferences"))
            for (QAction* A : M->menu()->actions())
                if (A->text() == QStringLiteral("Draw the map when a document opens or at start")) AtStart = A;
    ASSERT_TRUE(AtStart);
    EXPECT_FALSE(AtStart->isChecked());
    {
        TTorvane Plain;
        Plain.Start(QString());
        EXPECT_FALSE(Plain.Scene().S.SceneReady);
        Plain.Start(Fixture("complex-sphere.tvn"));
        EXPECT_EQ(Plain.Edit(EditField::F1Edit)->text(), QStringLiteral("z^3 - p z"));
    }
    AtStart->trigger();
    {
        TTorvane Drawing;
        Drawing.Start(QString());
        EXPECT_TRUE(QTest::qWaitFor([&] { return Drawing.Scene().S.SceneReady && !Drawing.Scene().Computing(); }, 20000));
    }
    AtStart->trigger();
    TTorvane Again;
    Again.Start(QString());
    EXPECT_FALSE(Again.Scene().S.SceneReady);
}

TEST_F(DocumentsAndPrinting, AnAnimationIsExportedAndTheMapStaysAsItWas) {
    Draw();
    const std::vector<uint8_t> Map = WriteDocument(Window.Scene().CurrentDocument());
    int Asked = 0;
    Window.AskAnimation = [&](TTorvane::AnimationRequest& R) {
        ++Asked;
        EXPECT_EQ(R.PEnd, Window.Edit(EditField::pValue)->text());
        R.PEnd = QStringLiteral("0.5");
        R.QEnd = QStringLiteral("sqrt(2)/2");
        R.Frames = 4;
        R.FramesPerSecond = 8;
        return true;
    };
    Chosen = Folder.filePath(QStringLiteral("moving"));
    Window.ExportAnimation();
    EXPECT_EQ(Asked, 1);
    EXPECT_TRUE(Messages.isEmpty()) << Messages.join(QLatin1Char(' ')).toStdString();
    QFile F(Folder.filePath(QStringLiteral("moving.webp")));
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    int Frames = 0;
    QSize Canvas;
    EXPECT_TRUE(ReadWebPAnimation(F.readAll(), Frames, Canvas));
    EXPECT_EQ(Frames, 4);
    EXPECT_EQ(WriteDocument(Window.Scene().CurrentDocument()), Map);

    // A value that is no number, or a folder that cannot be written: a message, no file.
    Window.AskAnimation = [](TTorvane::AnimationRequest& R) {
        R.PEnd = QStringLiteral("1 +* 2");
        return true;
    };
    Window.ExportAnimation();
    EXPECT_EQ(Messages.size(), 1);
    Window.AskAnimation = [](TTorvane::AnimationRequest& R) {
        R.Frames = 2;
        return true;
    };
    Chosen = QStringLiteral("/nonexistent-folder/a.webp");
    Window.ExportAnimation();
    ASSERT_EQ(Messages.size(), 2);
    EXPECT_TRUE(Messages.back().contains(QStringLiteral("could not be written")));
    EXPECT_EQ(WriteDocument(Window.Scene().CurrentDocument()), Map);
}
