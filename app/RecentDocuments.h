// The documents opened or saved last, newest first, kept in the user's settings for the File
// menu's Open Recent.
#pragma once

#include <QString>
#include <QStringList>

inline constexpr int MaxRecentDocuments = 8;

// List with Path first (as an absolute path), without another entry for the same file, cut to
// MaxRecentDocuments.
QStringList WithRecentDocument(const QStringList& List, const QString& Path);

// The list in the user's settings ("Recent/Documents"), and writing it there.
QStringList LoadRecentDocuments();
void SaveRecentDocuments(const QStringList& List);

// The menu's text of the entry at Index (0 first): its number as the accelerator, then the
// file's name; the folder goes in the status tip.
QString RecentDocumentText(const QString& Path, int Index);
