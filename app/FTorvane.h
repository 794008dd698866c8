// The main window: menus, the three drawing panels, the formula and range edits. It adapts the
// user's gestures to the program's logic and shows the results; it computes nothing itself.
#pragma once

#include <QMainWindow>

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

class TTorvane : public QMainWindow {
    Q_OBJECT

public:
    // The client area below the menu bar; the status bar lies inside it.
    static constexpr int ClientWidth = 752;
    static constexpr int ClientHeight = 608;

    explicit TTorvane(QWidget* parent = nullptr);

private:
    void CreateMenus();
    void CreateFileMenu();
    void CreateEditMenu();
    void CreateGeometryMenu();
    void CreatePreferencesMenu();
    void CreateClientArea();

    QFrame* CreatePanel(const char* name, const QRect& geometry);
    QLabel* CreateLabel(const QString& text, const QPoint& topLeft);
    QLineEdit* CreateEdit(const char* name, const QString& text, const QRect& geometry);

    // Cut, copy and paste act on whichever edit has the keyboard focus.
    static QLineEdit* FocusedEdit();

    QWidget* ClientArea = nullptr;

    QFrame* DomainPanel = nullptr;
    QFrame* ImagePanel = nullptr;
    QFrame* ParametersPanel = nullptr;

    QLineEdit* F1Edit = nullptr;
    QLineEdit* F2Edit = nullptr;
    QLineEdit* uMinEdit = nullptr;
    QLineEdit* uMaxEdit = nullptr;
    QLineEdit* vMinEdit = nullptr;
    QLineEdit* vMaxEdit = nullptr;
    QPushButton* DrawButton = nullptr;

    QAction* ManualAction = nullptr;
    QAction* RealFunctionsAction = nullptr;
    QAction* ComplexFunctionAction = nullptr;
    QAction* OpenAction = nullptr;
    QAction* SaveAction = nullptr;
    QAction* SaveAsAction = nullptr;
    QAction* PrintAction = nullptr;
    QAction* ExitAction = nullptr;

    QAction* CutAction = nullptr;
    QAction* CopyAction = nullptr;
    QAction* PasteAction = nullptr;

    QAction* SingularLocusAction = nullptr;

    QActionGroup* PanelFitGroup = nullptr;
    QAction* AdjustToPanelsAction = nullptr;
    QAction* PreserveRatioAction = nullptr;
    QActionGroup* DomainViewGroup = nullptr;
    QAction* PlaneDomainAction = nullptr;
    QAction* StereographicDomainAction = nullptr;
    QAction* ResetDomainSphereAction = nullptr;
    QActionGroup* ImageViewGroup = nullptr;
    QAction* PlaneImageAction = nullptr;
    QAction* StereographicImageAction = nullptr;
    QAction* ResetImageSphereAction = nullptr;
};
