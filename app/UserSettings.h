// The user's settings, kept from one session to the next: the View menu's marks, the recent
// documents, the window's start.
#pragma once

#include <QSettings>

QSettings UserSettings();

// Preferences > "Draw the map when a document opens or at start" (off unless chosen).
bool DrawsAtStart();
void SetDrawsAtStart(bool On);
