// PNG encoding through libspng.
#include "scene/PngEncoding.h"

#include <spng.h>

#include <cstdlib>
#include <memory>

namespace {

struct ContextFree {
    void operator()(spng_ctx* C) const { spng_ctx_free(C); }
};
struct BufferFree {
    void operator()(void* B) const { std::free(B); }
};

std::string Cause(int Code) { return spng_strerror(Code); }

}  // namespace

QByteArray EncodePng(const QImage& Image, std::string& Error) {
    Error.clear();
    if (Image.isNull()) {
        Error = "there is no picture to encode";
        return {};
    }
    const QImage Rgb = Image.convertToFormat(QImage::Format_RGB888);
    if (Rgb.isNull()) {
        Error = "there is not enough memory to encode the picture";
        return {};
    }
    std::unique_ptr<spng_ctx, ContextFree> Context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!Context) {
        Error = "there is not enough memory to encode the picture";
        return {};
    }
    spng_ctx* C = Context.get();
    spng_ihdr Header{};
    Header.width = static_cast<uint32_t>(Rgb.width());
    Header.height = static_cast<uint32_t>(Rgb.height());
    Header.bit_depth = 8;
    Header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    int Code = spng_set_option(C, SPNG_ENCODE_TO_BUFFER, 1);
    // Drawings are mostly flat colour with thin lines: unfiltered rows and deflate's fastest
    // level with the filtered-data strategy encode them about four times faster than the
    // usual settings, in files of about the same size.
    if (Code == 0) Code = spng_set_option(C, SPNG_IMG_COMPRESSION_LEVEL, 1);
    if (Code == 0) Code = spng_set_option(C, SPNG_IMG_COMPRESSION_STRATEGY, 1);  // Z_FILTERED
    if (Code == 0) Code = spng_set_option(C, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_NONE);
    if (Code == 0) Code = spng_set_ihdr(C, &Header);
    if (Code == 0) Code = spng_encode_image(C, nullptr, 0, SPNG_FMT_PNG,
                                            SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    // Rows go in one by one: a QImage's rows may be padded beyond three bytes a pixel.
    for (int Y = 0; Code == 0 && Y < Rgb.height(); ++Y)
        Code = spng_encode_row(C, Rgb.constScanLine(Y), static_cast<size_t>(Rgb.width()) * 3);
    // The last row ends the image and returns SPNG_EOI.
    if (Code == SPNG_EOI) Code = 0;
    if (Code != 0) {
        Error = Cause(Code);
        return {};
    }
    size_t Length = 0;
    std::unique_ptr<void, BufferFree> Bytes(spng_get_png_buffer(C, &Length, &Code));
    if (!Bytes || Code != 0) {
        Error = Code != 0 ? Cause(Code) : "the encoder gave no picture";
        return {};
    }
    return QByteArray(static_cast<const char*>(Bytes.get()), static_cast<qsizetype>(Length));
}
