#include "app/UserSettings.h"

QSettings UserSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Torvane"),
                     QStringLiteral("Torvane"));
}

bool DrawsAtStart() {
    return UserSettings().value(QStringLiteral("Preferences/DrawAtStart"), false).toBool();
}

void SetDrawsAtStart(bool On) { UserSettings().setValue(QStringLiteral("Preferences/DrawAtStart"), On); }
