#include "app/RecentDocuments.h"

#include <QFileInfo>

#include "app/UserSettings.h"

namespace {

const QString SettingsKey = QStringLiteral("Recent/Documents");

}  // namespace

QStringList WithRecentDocument(const QStringList& List, const QString& Path) {
    const QString Absolute = QFileInfo(Path).absoluteFilePath();
    QStringList Result{Absolute};
    for (const QString& Entry : List)
        if (Result.size() < MaxRecentDocuments && !Entry.isEmpty() &&
            QFileInfo(Entry).absoluteFilePath() != Absolute)
            Result.push_back(Entry);
    return Result;
}

QStringList LoadRecentDocuments() {
    // A list edited by hand may hold empty or repeated entries, or too many.
    QStringList Result;
    const QStringList Stored = UserSettings().value(SettingsKey).toStringList();
    for (auto It = Stored.rbegin(); It != Stored.rend(); ++It)
        if (!It->isEmpty()) Result = WithRecentDocument(Result, *It);
    return Result;
}

void SaveRecentDocuments(const QStringList& List) { UserSettings().setValue(SettingsKey, List); }

QString RecentDocumentText(const QString& Path, int Index) {
    // An ampersand of the name is shown, not taken as an accelerator.
    QString Name = QFileInfo(Path).fileName();
    Name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return Index < 9 ? QStringLiteral("&%1 %2").arg(Index + 1).arg(Name)
                     : QStringLiteral("%1 %2").arg(Index + 1).arg(Name);
}
