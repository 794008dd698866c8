// Frames of an animation from the command line: the parameters move along a straight segment
// while the map stays compiled, and each frame is written as a numbered picture.
#pragma once

#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "common/ConstTypesAndGlobals.h"

class TorvaneScene;
enum class PicturePanels;

// The most frames one run may write.
inline constexpr int MaxFrames = 10000;

// Where p and q go: from their values in the scene unless the path moves them.
struct FramePath {
    bool MovesP = false, MovesQ = false;
    double P[2] = {0, 0}, Q[2] = {0, 0};  // start and end
    QString PStart, QStart;                // the starts as written, for the fields
};

// Reads "p=a..b", "q=c..d" or both separated by a comma; a and b may be formulas without
// variables. Returns the reason it cannot, empty when Path is filled.
std::string ReadFramePath(const QString& Text, FramePath& Path);

// The pattern's one "%d" or "%0Nd" (N from 1 to 9) replaced by Frame; false when the pattern
// has no such place, or more than one, or another '%'.
bool FrameName(const QString& Pattern, int Frame, QString& Name);

// The parameters of each of Count frames: evenly spaced from start to end, the last exactly
// the end; a parameter the path does not move keeps From's value.
std::vector<Point2> FrameParameters(const FramePath& Path, Point2 From, int Count);

// Draws and writes each frame of a drawn scene: the first where the scene is, the others
// computed by ComputeFrame. Returns the failure's text, empty when every frame was written;
// BadMap tells a refused parameter value from a picture that could not be written.
// Progress, when given, hears of each frame drawn (frames done, of how many) and may stop the
// writing by answering false: the result is then StoppedAnimation.
using FrameProgress = std::function<bool(int Done, int Count)>;
inline constexpr const char* StoppedAnimation = "The animation was stopped.";
std::string WriteFrames(TorvaneScene& T, const std::vector<Point2>& Parameters,
                        const QString& Pattern, PicturePanels Which, int Size, bool& BadMap,
                        const FrameProgress& Progress = {});

// The same frames as one lossless animated WebP file at Path, FramesPerSecond frames a
// second: written whole when every frame was drawn, or not at all.
std::string WriteAnimation(TorvaneScene& T, const std::vector<Point2>& Parameters,
                           const std::string& Path, PicturePanels Which, int Size,
                           int FramesPerSecond, bool& BadMap, const FrameProgress& Progress = {});
