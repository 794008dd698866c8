// Builds the main window at the pixel positions the program's layout is drawn for, and wires
// the menu commands that already have behaviour.
#include "app/FTorvane.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QStatusBar>

namespace {

const QColor FormColour(0xFF, 0xE8, 0xB0);
const QColor PanelColour(Qt::white);
const QColor DrawButtonTextColour(0x00, 0x00, 0x80);

// Arial and Times New Roman resolve to their metric-compatible Liberation faces through
// fontconfig; naming both keeps the metrics right where the alias is missing.
QFont LabelFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

QFont EditFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    font.setPixelSize(12);
    return font;
}

QAction* AddCheckable(QMenu* menu, const QString& text, bool checked, QActionGroup* group) {
    QAction* action = menu->addAction(text);
    action->setCheckable(true);
    action->setChecked(checked);
    if (group != nullptr) group->addAction(action);
    return action;
}

}  // namespace

TTorvane::TTorvane(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Torvane"));

    CreateMenus();
    CreateClientArea();

    // A fixed window has nothing to resize, so the grip would only mislead.
    statusBar()->setSizeGripEnabled(false);

    // The layout is drawn for a client area of 752 x 608 below the menu bar; the window grows
    // by whatever height the menu bar takes with the current style and font.
    setFixedSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
}

void TTorvane::CreateMenus() {
    CreateFileMenu();
    CreateEditMenu();
    CreateGeometryMenu();
    CreatePreferencesMenu();
}

void TTorvane::CreateFileMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("File"));
    ManualAction = menu->addAction(QStringLiteral("Manual..."));
    menu->addSeparator();
    RealFunctionsAction = menu->addAction(QStringLiteral("Real Functions"));
    ComplexFunctionAction = menu->addAction(QStringLiteral("Complex Function"));
    menu->addSeparator();
    OpenAction = menu->addAction(QStringLiteral("Open..."));
    SaveAction = menu->addAction(QStringLiteral("Save"));
    SaveAsAction = menu->addAction(QStringLiteral("Save As..."));
    PrintAction = menu->addAction(QStringLiteral("Print..."));
    menu->addSeparator();
    ExitAction = menu->addAction(QStringLiteral("Exit"));
    connect(ExitAction, &QAction::triggered, this, &QWidget::close);
}

void TTorvane::CreateEditMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("Edit"));
    CutAction = menu->addAction(QStringLiteral("Cu&t"));
    CutAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    CopyAction = menu->addAction(QStringLiteral("&Copy"));
    CopyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    PasteAction = menu->addAction(QStringLiteral("&Paste"));
    PasteAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    connect(CutAction, &QAction::triggered, this, [] {
        if (QLineEdit* edit = FocusedEdit()) edit->cut();
    });
    connect(CopyAction, &QAction::triggered, this, [] {
        if (QLineEdit* edit = FocusedEdit()) edit->copy();
    });
    connect(PasteAction, &QAction::triggered, this, [] {
        if (QLineEdit* edit = FocusedEdit()) edit->paste();
    });
}

void TTorvane::CreateGeometryMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("Geometry"));
    SingularLocusAction = AddCheckable(menu, QStringLiteral("Singular locus"), true, nullptr);
}

void TTorvane::CreatePreferencesMenu() {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("Preferences"));

    PanelFitGroup = new QActionGroup(this);
    AdjustToPanelsAction =
        AddCheckable(menu, QStringLiteral("Adjust to Panels"), true, PanelFitGroup);
    PreserveRatioAction =
        AddCheckable(menu, QStringLiteral("Preserve Ratio"), false, PanelFitGroup);
    menu->addSeparator();

    // Neither domain view is marked until the user picks one.
    DomainViewGroup = new QActionGroup(this);
    PlaneDomainAction = AddCheckable(menu, QStringLiteral("Plane domain"), false, DomainViewGroup);
    StereographicDomainAction =
        AddCheckable(menu, QStringLiteral("Stereographic domain"), false, DomainViewGroup);
    ResetDomainSphereAction = menu->addAction(QStringLiteral("Reset sphere"));
    menu->addSeparator();

    ImageViewGroup = new QActionGroup(this);
    PlaneImageAction = AddCheckable(menu, QStringLiteral("Plane image"), true, ImageViewGroup);
    StereographicImageAction =
        AddCheckable(menu, QStringLiteral("Stereographic image"), false, ImageViewGroup);
    ResetImageSphereAction = menu->addAction(QStringLiteral("Reset sphere"));
    ResetImageSphereAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    menu->addSeparator();
}

void TTorvane::CreateClientArea() {
    // Children sit at absolute positions: the layout is a fixed drawing, not a flowing form.
    ClientArea = new QWidget(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    ClientArea->setAutoFillBackground(true);
    QPalette palette = ClientArea->palette();
    palette.setColor(QPalette::Window, FormColour);
    ClientArea->setPalette(palette);
    setCentralWidget(ClientArea);

    DomainPanel = CreatePanel("Domain", QRect(2, 10, 280, 280));
    ImagePanel = CreatePanel("Image", QRect(286, 10, 460, 460));
    ParametersPanel = CreatePanel("Parameters", QRect(80, 338, 200, 200));

    CreateLabel(QStringLiteral("x(u,v)="), QPoint(294, 530));
    CreateLabel(QStringLiteral("y(u,v)="), QPoint(294, 553));
    F1Edit = CreateEdit("F1Edit", QStringLiteral("p u^2 - v^3"), QRect(336, 529, 410, 20));
    F2Edit = CreateEdit("F2Edit", QStringLiteral("q v^2 - u^3"), QRect(336, 552, 410, 20));

    uMinEdit = CreateEdit("uMinEdit", QStringLiteral("-1"), QRect(151, 294, 40, 16));
    CreateLabel(QStringLiteral("< u <"), QPoint(200, 293));
    uMaxEdit = CreateEdit("uMaxEdit", QStringLiteral("1"), QRect(242, 294, 40, 16));
    vMinEdit = CreateEdit("vMinEdit", QStringLiteral("-1"), QRect(151, 314, 40, 16));
    CreateLabel(QStringLiteral("< v <"), QPoint(200, 313));
    vMaxEdit = CreateEdit("vMaxEdit", QStringLiteral("1"), QRect(242, 314, 40, 16));

    DrawButton = new QPushButton(QStringLiteral("Draw It"), ClientArea);
    DrawButton->setObjectName(QStringLiteral("DrawButton"));
    DrawButton->setGeometry(212, 548, 70, 26);
    DrawButton->setFont(LabelFont());
    QPalette buttonPalette = DrawButton->palette();
    buttonPalette.setColor(QPalette::ButtonText, DrawButtonTextColour);
    DrawButton->setPalette(buttonPalette);
}

QFrame* TTorvane::CreatePanel(const char* name, const QRect& geometry) {
    auto* panel = new QFrame(ClientArea);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(geometry);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, PanelColour);
    panel->setPalette(palette);
    return panel;
}

QLabel* TTorvane::CreateLabel(const QString& text, const QPoint& topLeft) {
    auto* label = new QLabel(text, ClientArea);
    label->setFont(LabelFont());
    label->move(topLeft);
    label->adjustSize();
    return label;
}

QLineEdit* TTorvane::CreateEdit(const char* name, const QString& text, const QRect& geometry) {
    auto* edit = new QLineEdit(text, ClientArea);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFont(EditFont());
    edit->setFrame(false);
    edit->setGeometry(geometry);
    // The text must start at the left edge of the field, not after a style-dependent margin.
    edit->setTextMargins(0, 0, 0, 0);
    edit->setCursorPosition(0);
    return edit;
}

QLineEdit* TTorvane::FocusedEdit() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
