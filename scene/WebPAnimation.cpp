#include "scene/WebPAnimation.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include "common/TaskPool.h"
#include "scene/PictureExport.h"

struct WebPAnimation::Frame {
    QImage Pixels;  // the part that changed, until encoded
    QPoint Offset;  // where that part goes on the canvas (even, as the format wants)
    std::vector<uint8_t> Bytes;
    bool Failed = false;
    TaskGroup Done;
};

namespace {

// A lossless still picture of the frame, at the quickest effort: the panels are flat colours
// and thin lines, which the lossless coder packs small even so.
bool EncodeLossless(const QImage& Frame, std::vector<uint8_t>& Out) {
    WebPConfig Config;
    if (!WebPConfigInit(&Config)) return false;
    Config.lossless = 1;
    Config.method = 0;
    Config.quality = 0;
    Config.exact = 1;
    WebPPicture Picture;
    if (!WebPPictureInit(&Picture)) return false;
    Picture.use_argb = 1;
    Picture.width = Frame.width();
    Picture.height = Frame.height();
    WebPMemoryWriter Writer;
    WebPMemoryWriterInit(&Writer);
    Picture.writer = WebPMemoryWrite;
    Picture.custom_ptr = &Writer;
    // QImage's 32-bit pixels are B, G, R, A in memory on this machine: WebP's BGRA.
    const bool Ok = WebPPictureImportBGRA(&Picture, Frame.constBits(), static_cast<int>(Frame.bytesPerLine())) &&
                    WebPEncode(&Config, &Picture);
    if (Ok) Out.assign(Writer.mem, Writer.mem + Writer.size);
    WebPPictureFree(&Picture);
    WebPMemoryWriterClear(&Writer);
    return Ok;
}

// The smallest rectangle holding every pixel in which A and B (of one size) differ, its
// corner moved to even coordinates; a 2 x 2 corner when they are the same.
QRect ChangedRect(const QImage& A, const QImage& B) {
    const int W = A.width(), H = A.height();
    int Top = -1, Bottom = -1, Left = W, Right = -1;
    for (int Y = 0; Y < H; ++Y) {
        const auto* RowA = reinterpret_cast<const uint32_t*>(A.constScanLine(Y));
        const auto* RowB = reinterpret_cast<const uint32_t*>(B.constScanLine(Y));
        if (std::memcmp(RowA, RowB, static_cast<size_t>(W) * 4) == 0) continue;
        if (Top < 0) Top = Y;
        Bottom = Y;
        int L = 0, R = W - 1;
        while (RowA[L] == RowB[L]) ++L;
        while (RowA[R] == RowB[R]) --R;
        Left = std::min(Left, L);
        Right = std::max(Right, R);
    }
    if (Top < 0) return QRect(0, 0, std::min(2, W), std::min(2, H));
    Left &= ~1;
    Top &= ~1;
    return QRect(QPoint(Left, Top), QPoint(Right, Bottom));
}

}  // namespace

WebPAnimation::WebPAnimation(QSize S, int FramesPerSecond)
    : Size(S), Duration(1000 / std::clamp(FramesPerSecond, MinFramesPerSecond, MaxFramesPerSecond)) {}

WebPAnimation::~WebPAnimation() {
    // No task may outlive the frames it writes.
    std::string Ignored;
    Settle(0, Ignored);
}

bool WebPAnimation::Settle(size_t Keep, std::string& Why) {
    bool Ok = true;
    while (InFlight.size() > Keep) {
        Frame* F = InFlight.front();
        InFlight.pop_front();
        TaskPool::Shared().Wait(F->Done);
        if (F->Failed && Ok) {
            Why = "a frame of the animation could not be encoded";
            Ok = false;
        }
    }
    return Ok;
}

bool WebPAnimation::Add(const QImage& Picture, std::string& Why) {
    if (Picture.size() != Size) {
        Why = "the frames of an animation must all have one size";
        return false;
    }
    // Two frames a core at most wait for their encoding: the memory stays a few frames'.
    TaskPool& Pool = TaskPool::Shared();
    if (!Settle(static_cast<size_t>(2 * (Pool.Workers() + 1)), Why)) return false;
    QImage Whole = Picture.convertToFormat(QImage::Format_ARGB32);
    if (Whole.isNull()) {
        Why = "there is not enough memory for the animation's frames";
        return false;
    }
    // Only the rectangle that changed since the last frame is encoded, put over it: the
    // Domain panel's grid, say, stays as it is while the parameters move.
    const QRect Changed = Previous.isNull() ? Whole.rect() : ChangedRect(Previous, Whole);
    Encoded.push_back(std::make_unique<Frame>());
    Frame* F = Encoded.back().get();
    F->Offset = Changed.topLeft();
    // A copy of its own (never pixels shared with Previous): the encoding task frees it.
    F->Pixels = Whole.copy(Changed);
    Previous = std::move(Whole);
    if (F->Pixels.isNull()) {
        Why = "there is not enough memory for the animation's frames";
        return false;
    }
    InFlight.push_back(F);
    Pool.Run(F->Done, [F] {
        F->Failed = !EncodeLossless(F->Pixels, F->Bytes);
        F->Pixels = QImage();
    });
    return true;
}

std::string WebPAnimation::Write(const std::string& Path) {
    std::string Why;
    if (!Settle(0, Why)) return Why;
    if (Encoded.empty()) return "an animation needs a frame";
    WebPMux* Mux = WebPMuxNew();
    if (!Mux) return "there is not enough memory for the animation";
    bool Ok = WebPMuxSetCanvasSize(Mux, Size.width(), Size.height()) == WEBP_MUX_OK;
    WebPMuxAnimParams Params;
    Params.bgcolor = 0xFFFFFFFF;
    Params.loop_count = 0;  // for ever
    Ok = Ok && WebPMuxSetAnimationParams(Mux, &Params) == WEBP_MUX_OK;
    for (const auto& F : Encoded) {
        if (!Ok) break;
        WebPMuxFrameInfo Info{};
        Info.bitstream.bytes = F->Bytes.data();
        Info.bitstream.size = F->Bytes.size();
        Info.x_offset = F->Offset.x();
        Info.y_offset = F->Offset.y();
        Info.duration = Duration;
        Info.id = WEBP_CHUNK_ANMF;
        Info.dispose_method = WEBP_MUX_DISPOSE_NONE;
        Info.blend_method = WEBP_MUX_NO_BLEND;
        Ok = WebPMuxPushFrame(Mux, &Info, 0) == WEBP_MUX_OK;
    }
    WebPData Assembled;
    WebPDataInit(&Assembled);
    Ok = Ok && WebPMuxAssemble(Mux, &Assembled) == WEBP_MUX_OK;
    QByteArray Bytes;
    if (Ok) Bytes = QByteArray(reinterpret_cast<const char*>(Assembled.bytes), static_cast<qsizetype>(Assembled.size));
    WebPDataClear(&Assembled);
    WebPMuxDelete(Mux);
    if (!Ok) return "the animation could not be assembled";
    return WriteWholeFile(QString::fromStdString(Path), Bytes);
}

bool ReadWebPAnimation(const QByteArray& Bytes, int& Frames, QSize& Canvas) {
    WebPData Data{reinterpret_cast<const uint8_t*>(Bytes.constData()), static_cast<size_t>(Bytes.size())};
    WebPDemuxer* Demux = WebPDemux(&Data);
    if (!Demux) return false;
    Frames = static_cast<int>(WebPDemuxGetI(Demux, WEBP_FF_FRAME_COUNT));
    Canvas = QSize(static_cast<int>(WebPDemuxGetI(Demux, WEBP_FF_CANVAS_WIDTH)),
                   static_cast<int>(WebPDemuxGetI(Demux, WEBP_FF_CANVAS_HEIGHT)));
    const bool Animated = (WebPDemuxGetI(Demux, WEBP_FF_FORMAT_FLAGS) & ANIMATION_FLAG) != 0;
    WebPDemuxDelete(Demux);
    return Animated;
}

std::vector<QImage> DecodeWebPAnimation(const QByteArray& Bytes) {
    std::vector<QImage> Frames;
    WebPData Data{reinterpret_cast<const uint8_t*>(Bytes.constData()), static_cast<size_t>(Bytes.size())};
    WebPAnimDecoderOptions Options;
    if (!WebPAnimDecoderOptionsInit(&Options)) return Frames;
    Options.color_mode = MODE_BGRA;  // QImage's ARGB32 in memory
    WebPAnimDecoder* Decoder = WebPAnimDecoderNew(&Data, &Options);
    if (!Decoder) return Frames;
    WebPAnimInfo Info;
    if (WebPAnimDecoderGetInfo(Decoder, &Info)) {
        const int W = static_cast<int>(Info.canvas_width), H = static_cast<int>(Info.canvas_height);
        while (WebPAnimDecoderHasMoreFrames(Decoder)) {
            uint8_t* Pixels = nullptr;
            int Timestamp = 0;
            if (!WebPAnimDecoderGetNext(Decoder, &Pixels, &Timestamp)) {
                Frames.clear();
                break;
            }
            Frames.push_back(QImage(Pixels, W, H, W * 4, QImage::Format_ARGB32).copy());
        }
    }
    WebPAnimDecoderDelete(Decoder);
    return Frames;
}
