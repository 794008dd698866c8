// The main window's frame: title, client area at the smallest size, the menus and the commands already wired.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <string>
#include <vector>

#include "app/FTorvane.h"

namespace {

// One menu entry as the user sees it: its text, "[x]" or "[ ]" when it carries a check mark,
// and its shortcut; "-" for a separator.
std::string Describe(const QAction* action) {
    if (action->isSeparator()) return "-";
    std::string text = action->text().toStdString();
    if (action->isCheckable()) text += action->isChecked() ? " [x]" : " [ ]";
    if (!action->shortcut().isEmpty()) {
        text += " " + action->shortcut().toString(QKeySequence::PortableText).toStdString();
    }
    return text;
}

QMenu* FindMenu(TTorvane& window, const QString& title) {
    for (QAction* action : window.menuBar()->actions()) {
        if (action->text() == title) return action->menu();
    }
    return nullptr;
}

QAction* FindItem(TTorvane& window, const QString& menuTitle, const QString& text,
                  int occurrence = 0) {
    QMenu* menu = FindMenu(window, menuTitle);
    if (menu == nullptr) return nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text() == text && occurrence-- == 0) return action;
    }
    return nullptr;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.ChooseFile = [](bool, const QString&) { return QString(); };
        window.ShowMessage = [](const QString&) {};
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
    }

    TTorvane window;
};

TEST_F(MainWindowTest, StartsAtItsSmallestSizeBelowMenuBar) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Torvane"));

    const int menuHeight = window.menuBar()->height();
    EXPECT_GT(menuHeight, 0);
    EXPECT_EQ(window.width(), 752);
    EXPECT_EQ(window.height() - menuHeight, 608);
    EXPECT_EQ(window.minimumSize(), window.size()) << "the layout as drawn is the smallest size";
    EXPECT_GT(window.maximumWidth(), 4000) << "the window grows";
    EXPECT_DOUBLE_EQ(window.Enlargement(), 1);

    // The client area starts right under the menu bar, and every control placed on it stays
    // clear of the status bar at its foot.
    const QWidget* client = window.centralWidget();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->geometry().top(), menuHeight);
    EXPECT_EQ(window.statusBar()->geometry().bottom(), window.height() - 1);
    const QRect clientRect = client->rect();
    for (const QWidget* child : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(clientRect.contains(child->geometry()))
            << child->objectName().toStdString() << " reaches outside the client area";
    }
}

TEST_F(MainWindowTest, MenusListTheirItemsInOrder) {
    struct MenuCase {
        const char* title;
        std::vector<std::string> items;
    };
    const std::vector<MenuCase> expected = {
        {"File",
         {"Manual... F1", "-", "Real Functions", "Complex Function", "-", "Open... Ctrl+O",
          "Open Recent", "Examples", "Save Ctrl+S", "Save As... Ctrl+Shift+S", "Print... Ctrl+P",
          "Export Picture... Ctrl+E", "Export Panel Picture... Ctrl+Shift+E", "Export Animation...", "-", "Exit Ctrl+Q"}},
        {"Edit", {"&Undo Ctrl+Z", "&Redo Ctrl+Y", "-", "Cu&t Ctrl+X", "&Copy Ctrl+C", "&Paste Ctrl+V"}},
        {"Geometry", {"Singular locus [x]"}},
        {"Preferences",
         {"Adjust to Panels [x]", "Preserve Ratio [ ]", "-", "Plane domain [ ]",
          "Stereographic domain [ ]", "Reset sphere", "-", "Plane image [x]",
          "Stereographic image [ ]", "Reset sphere Ctrl+R", "-",
          "Draw the map when a document opens or at start [ ]"}},
        {"View", {"Show Cusps [x]", "Shade by Number of Preimages [ ]", "Colouring"}},
    };

    std::vector<std::string> titles;
    for (const QAction* action : window.menuBar()->actions()) {
        titles.push_back(action->text().toStdString());
    }
    std::vector<std::string> expectedTitles;
    for (const MenuCase& menu : expected) expectedTitles.push_back(menu.title);
    EXPECT_EQ(titles, expectedTitles);

    for (const MenuCase& menuCase : expected) {
        SCOPED_TRACE(menuCase.title);
        QMenu* menu = FindMenu(window, QString::fromLatin1(menuCase.title));
        ASSERT_NE(menu, nullptr);
        std::vector<std::string> items;
        for (const QAction* action : menu->actions()) items.push_back(Describe(action));
        EXPECT_EQ(items, menuCase.items);
    }
    // The View menu's colourings, one at a time.
    QMenu* view = FindMenu(window, QStringLiteral("View"));
    ASSERT_NE(view, nullptr);
    QMenu* colourings = view->actions().back()->menu();
    ASSERT_NE(colourings, nullptr);
    std::vector<std::string> items;
    for (const QAction* action : colourings->actions()) items.push_back(Describe(action));
    EXPECT_EQ(items, (std::vector<std::string>{"None [x]", "Phase [ ]", "Phase and Modulus [ ]",
                                               "Enhanced [ ]"}));
    colourings->actions()[3]->trigger();
    colourings->actions()[1]->trigger();
    items.clear();
    for (const QAction* action : colourings->actions()) items.push_back(Describe(action));
    EXPECT_EQ(items, (std::vector<std::string>{"None [ ]", "Phase [x]", "Phase and Modulus [ ]",
                                               "Enhanced [ ]"}));
    colourings->actions()[0]->trigger();
}

TEST_F(MainWindowTest, PreferenceChoicesExcludeEachOtherWithinTheirGroup) {
    const QString menu = QStringLiteral("Preferences");
    QAction* adjust = FindItem(window, menu, QStringLiteral("Adjust to Panels"));
    QAction* preserve = FindItem(window, menu, QStringLiteral("Preserve Ratio"));
    QAction* planeDomain = FindItem(window, menu, QStringLiteral("Plane domain"));
    QAction* sphereDomain = FindItem(window, menu, QStringLiteral("Stereographic domain"));
    QAction* planeImage = FindItem(window, menu, QStringLiteral("Plane image"));
    QAction* sphereImage = FindItem(window, menu, QStringLiteral("Stereographic image"));
    for (QAction* action : {adjust, preserve, planeDomain, sphereDomain, planeImage, sphereImage}) {
        ASSERT_NE(action, nullptr);
    }

    preserve->trigger();
    EXPECT_TRUE(preserve->isChecked());
    EXPECT_FALSE(adjust->isChecked());
    // A choice in one group leaves the other groups as they were.
    EXPECT_TRUE(planeImage->isChecked());
    EXPECT_FALSE(planeDomain->isChecked());
    EXPECT_FALSE(sphereDomain->isChecked());

    sphereDomain->trigger();
    planeDomain->trigger();
    EXPECT_TRUE(planeDomain->isChecked());
    EXPECT_FALSE(sphereDomain->isChecked());

    sphereImage->trigger();
    EXPECT_TRUE(sphereImage->isChecked());
    EXPECT_FALSE(planeImage->isChecked());
    EXPECT_TRUE(preserve->isChecked());
    EXPECT_TRUE(planeDomain->isChecked());
}

TEST_F(MainWindowTest, EditCommandsActOnTheFocusedEdit) {
    auto* f1 = window.findChild<QLineEdit*>(QStringLiteral("F1Edit"));
    auto* f2 = window.findChild<QLineEdit*>(QStringLiteral("F2Edit"));
    ASSERT_NE(f1, nullptr);
    ASSERT_NE(f2, nullptr);
    QAction* cut = FindItem(window, QStringLiteral("Edit"), QStringLiteral("Cu&t"));
    QAction* copy = FindItem(window, QStringLiteral("Edit"), QStringLiteral("&Copy"));
    QAction* paste = FindItem(window, QStringLiteral("Edit"), QStringLiteral("&Paste"));
    ASSERT_NE(cut, nullptr);
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(paste, nullptr);

    QApplication::clipboard()->clear();
    f1->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), f1);
    f1->selectAll();
    copy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("p u^2 - v^3"));
    EXPECT_EQ(f1->text(), QStringLiteral("p u^2 - v^3"));

    f2->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), f2);
    f2->selectAll();
    cut->trigger();
    EXPECT_EQ(f2->text(), QString());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("q v^2 - u^3"));
    EXPECT_EQ(f1->text(), QStringLiteral("p u^2 - v^3")) << "only the focused edit may change";

    paste->trigger();
    EXPECT_EQ(f2->text(), QStringLiteral("q v^2 - u^3"));
}

TEST_F(MainWindowTest, ExitClosesTheWindow) {
    QAction* exitItem = FindItem(window, QStringLiteral("File"), QStringLiteral("Exit"));
    ASSERT_NE(exitItem, nullptr);
    ASSERT_TRUE(window.isVisible());
    exitItem->trigger();
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
