// The manual's sections, joined in order into the one text the manual window shows.
#pragma once

// The shortcuts, the introduction and the map types.
const char* ManualIntroduction();

// Typing formulas.
const char* ManualFormulaInput();

// The other fields, gestures, documents and the menus.
const char* ManualOtherInput();
