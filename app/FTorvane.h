// The main window: menus, the three drawing panels, the formula, bound and parameter fields,
// the read-outs and the status bar. It adapts the user's gestures to the scene, which holds
// the program's behaviour, and shows what the scene changed; it computes nothing itself.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <functional>

#include "app/FManTorvane.h"
#include "scene/TorvaneScene.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class PanelWidget;


class TTorvane : public QMainWindow {
    Q_OBJECT

public:
    // The client area below the menu bar; the status bar lies inside it.
    static constexpr int ClientWidth = 752;
    static constexpr int ClientHeight = 608;

    explicit TTorvane(QWidget* parent = nullptr);
    ~TTorvane() override;

    TorvaneScene& Scene() { return SceneModel; }
    QLineEdit* Edit(EditField F) const { return Edits[static_cast<int>(F)]; }
    QLabel* Label(SceneLabel L) const { return Labels[static_cast<int>(L)]; }
    PanelWidget* DomainPanel() const { return Domain; }
    PanelWidget* ImagePanel() const { return Image; }
    PanelWidget* ParametersPanel() const { return Parameters; }
    QPushButton* DrawItButton() const { return DrawButton; }
    QString StatusText() const;
    TManual* Manual() const { return ManualWindow; }

    // Asks the close question; tests replace it. Returns QMessageBox::Yes, No or Cancel.
    std::function<QMessageBox::StandardButton(const QString&)> AskQuestion;

    // The menu and button commands (the menus and the button call these).
    void ReadAndDraw();
    void OnManual();
    void ExecuteQuit();
    // Saves the document if the user wants to; false when nothing was saved.
    bool WantToSave();

protected:
    void closeEvent(QCloseEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateMenus();
    void CreateClientArea();
    QLabel* CreateLabel(const QPoint& TopLeft);
    QLineEdit* CreateEdit(EditField F, const QRect& Geometry);
    void WirePanels();

    // Before a handler: the scene gets the texts the user typed. After it: the window shows
    // what the scene changed.
    void SyncIn();
    void SyncOut();
    template <class Handler>
    void Run(Handler H) {
        SyncIn();
        H();
        SyncOut();
    }

    TorvaneScene SceneModel;
    int FocusRequestsSeen = 0;

    QWidget* ClientArea = nullptr;
    PanelWidget* Domain = nullptr;
    PanelWidget* Image = nullptr;
    PanelWidget* Parameters = nullptr;
    QLineEdit* Edits[EditFieldCount] = {};
    QLabel* Labels[SceneLabelCount] = {};
    int LabelTops[SceneLabelCount] = {};
    QLabel* InfoBar = nullptr;
    QPushButton* DrawButton = nullptr;
    QPointer<TManual> ManualWindow;
    QLineEdit* Typing = nullptr;  // the field whose key release is being handled

    QAction* MenuActions[MenuItemCount] = {};
    QAction* QuitAction = nullptr;
};
