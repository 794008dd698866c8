// The texts of the Manual window: the program's title, what it is for, and the user manual.
#pragma once

// The program's name, shown as the manual window's title.
const char* ManualTitle();

// One line saying what the program is for.
const char* ManualPurpose();

// The user manual as simple HTML (headings, paragraphs, lists and tables) for a read-only
// rich-text panel.
const char* ManualHtml();
