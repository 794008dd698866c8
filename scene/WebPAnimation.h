// Animated WebP files, lossless: each frame is encoded on the pool's workers while the next
// one is drawn, and the frames are joined into one animation when the last has come.
#pragma once

#include <QImage>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class TaskGroup;

inline constexpr int MinFramesPerSecond = 1, MaxFramesPerSecond = 100;

class WebPAnimation {
public:
    // Frames of the given size, shown FramesPerSecond a second, the animation looping.
    WebPAnimation(QSize Size, int FramesPerSecond);
    ~WebPAnimation();
    WebPAnimation(const WebPAnimation&) = delete;
    WebPAnimation& operator=(const WebPAnimation&) = delete;

    // Takes a copy of the frame and encodes it meanwhile; false (with Why) for a frame of
    // another size or one that could not be encoded before it.
    bool Add(const QImage& Frame, std::string& Why);
    // The whole animation, written whole or not at all (WriteWholeFile); returns the cause
    // of a failure, empty on success.
    std::string Write(const std::string& Path);
    int Frames() const { return static_cast<int>(Encoded.size()); }

private:
    struct Frame;
    // Waits for the frames in flight beyond Keep (the oldest first).
    bool Settle(size_t Keep, std::string& Why);
    QSize Size;
    int Duration;  // milliseconds
    std::vector<std::unique_ptr<Frame>> Encoded;
    std::deque<Frame*> InFlight;
    QImage Previous;  // the last frame whole, to find what the next one changes
};

// The number of frames of an animated WebP file's bytes and its canvas; false when the bytes
// are no WebP animation (the demuxer's view, for checks and tests).
bool ReadWebPAnimation(const QByteArray& Bytes, int& Frames, QSize& Canvas);
// Every frame of an animated WebP file as shown (each over the ones before it); empty when
// the bytes cannot be decoded.
std::vector<QImage> DecodeWebPAnimation(const QByteArray& Bytes);
