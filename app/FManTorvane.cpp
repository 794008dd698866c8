// Builds the manual window; it frees itself when closed, so each "Manual..." opens a fresh one.
#include "app/FManTorvane.h"

#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/AppFonts.h"
#include "app/ManualText.h"

namespace {

QLabel* ColouredLabel(QWidget* Parent, const QFont& F, const QColor& C) {
    auto* L = new QLabel(Parent);
    L->setFont(F);
    QPalette P = L->palette();
    P.setColor(QPalette::WindowText, C);
    L->setPalette(P);
    return L;
}

}  // namespace

TManual::TManual(QWidget* Parent) : QWidget(Parent, Qt::Window) {
    setObjectName(QStringLiteral("Manual"));
    setWindowTitle(QStringLiteral("Manual"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(457, 528);

    Title = ColouredLabel(this, NamedFont(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), 19, true),
                          QColor(0x80, 0x00, 0x00));
    Purpose = ColouredLabel(this, NamedFont(QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), 15, true),
                            QColor(0x00, 0x00, 0x80));
    Purpose->setWordWrap(true);
    auto* Heading = new QLabel(QStringLiteral("Manual:"), this);
    Heading->setFont(NamedFont(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), 13, true));

    ManualText = new QTextEdit(this);
    ManualText->setObjectName(QStringLiteral("ManualText"));
    ManualText->setReadOnly(true);
    ManualText->setFont(NamedFont(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"), 13, false));
    ManualText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ManualText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Title);
    Layout->addWidget(Purpose);
    Layout->addWidget(Heading);
    Layout->addWidget(ManualText, 1);  // the text panel takes whatever the window grows by
    OnCreateManual();
}

void TManual::OnCreateManual() {
    Title->setText(QString::fromUtf8(ManualTitle()));
    Purpose->setText(QString::fromUtf8(ManualPurpose()));
    ManualText->setHtml(QString::fromUtf8(ManualHtml()));
}
