// PNG files of drawn panels, encoded fast: the panels are large white areas crossed by thin
// lines, which the quickest deflate level packs nearly as small as the slowest, in a fraction
// of the time; the rows are deflated in bands, one on each core.
#pragma once

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Encodes the image as an 8-bit RGB PNG (any alpha is dropped). Returns the file's bytes, or
// an empty array with the cause in Error.
QByteArray EncodePng(const QImage& Image, std::string& Error);

// The same file made from bands of rows that are deflated apart, each as soon as its rows are
// drawn, on whichever thread drew them. The image must be 32-bit RGB (Format_RGB32 or
// Format_ARGB32) and outlive the bands; its size is fixed from the start.
class PngBands {
public:
    // Count bands of nearly equal height, fewer where the image has too few rows for them.
    PngBands(const QImage& Image, int Count);
    int Count() const { return static_cast<int>(Bands.size()); }
    int FirstRow(int K) const { return Bands[static_cast<size_t>(K)].FirstRow; }
    int EndRow(int K) const { return Bands[static_cast<size_t>(K)].EndRow; }
    // Deflates band K from the image's rows as they are now. Distinct bands may be deflated
    // on different threads at the same time.
    void Deflate(int K);
    // The file's bytes, once every band has been deflated; empty with the cause in Error.
    QByteArray Join(std::string& Error) const;

private:
    struct Band {
        int FirstRow = 0, EndRow = 0;
        bool Last = false;
        bool Done = false;
        std::vector<uint8_t> Deflated;
        uint32_t Adler = 1;
        size_t RawLength = 0;
        const char* Error = nullptr;
    };
    void DeflateRows(Band& B);
    const QImage& Image;
    std::vector<Band> Bands;
};
