// PNG files of drawn panels, encoded fast: the panels are large white areas crossed by thin
// lines, which the quickest deflate level packs nearly as small as the slowest, in a fraction
// of the time; the rows are deflated in bands, one on each core.
#pragma once

#include <QByteArray>
#include <QImage>

#include <string>

// Encodes the image as an 8-bit RGB PNG (any alpha is dropped). Returns the file's bytes, or
// an empty array with the cause in Error.
QByteArray EncodePng(const QImage& Image, std::string& Error);
