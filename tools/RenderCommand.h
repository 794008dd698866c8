// The command-line renderer: a map from a document or from options, drawn by the scene as the
// window draws it, written to a PNG, SVG or PDF file and, on request, dumped as JSON.
#pragma once

#include <QStringList>
#include <QTextStream>

// Exit codes of the renderer.
inline constexpr int RenderOk = 0;
inline constexpr int RenderBadMap = 1;       // a formula or a bound the scene refuses
inline constexpr int RenderUsage = 2;        // options that make no sense
inline constexpr int RenderBadDocument = 3;  // a document that cannot be read
inline constexpr int RenderNotWritten = 4;   // the picture or the dump could not be written

// Arguments without the program's name. Messages go to Err, the help text to Out.
int RunRender(const QStringList& Arguments, QTextStream& Out, QTextStream& Err);
