// The manual window: the program's title, what it is for, and the user manual in a read-only
// text panel that grows with the window.
#pragma once

#include <QWidget>

class QLabel;
class QTextEdit;

class TManual : public QWidget {
    Q_OBJECT

public:
    explicit TManual(QWidget* Parent = nullptr);

    QTextEdit* Text() const { return ManualText; }

private:
    void OnCreateManual();

    QLabel* Title = nullptr;
    QLabel* Purpose = nullptr;
    QTextEdit* ManualText = nullptr;
};
