// PNG encoding with zlib, the rows deflated in bands on every core.
//
// A deflate stream may be cut into pieces compressed apart: each piece but the last ends
// with a sync flush (an empty stored block, so the next piece starts on a byte boundary and
// no piece is marked final), no piece refers back into another, and the checksums of the
// pieces combine into the stream's. The file is then one zlib stream like any other, which
// every PNG reader opens; the pieces only lose the few matches that would have reached
// across a cut.
#include "scene/PngEncoding.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/TaskPool.h"
#include "formula/x87/FloatingPointState.h"

namespace {

constexpr char NoMemory[] = "there is not enough memory to encode the picture";

// A band narrower than this is not worth a task of its own.
constexpr int MinBandRows = 32;
// An IDAT chunk's length is a 31-bit number: the stream goes into chunks of at most this.
constexpr size_t MaxChunk = size_t{1} << 30;

struct Band {
    int FirstRow = 0, EndRow = 0;
    bool Last = false;
    std::vector<uint8_t> Deflated;
    uLong Adler = 1;
    size_t RawLength = 0;
    const char* Error = nullptr;
};

// The three bytes of each pixel, red first, after the filter byte (0: the row unfiltered;
// drawings of flat colour and thin lines gain little from filters, and they cost time).
void PackRow(const QImage& Image, int Y, uint8_t* Out) {
    const QRgb* In = reinterpret_cast<const QRgb*>(Image.constScanLine(Y));
    *Out++ = 0;
    for (int X = 0, W = Image.width(); X < W; ++X, Out += 3) {
        const QRgb C = In[X];
        Out[0] = static_cast<uint8_t>(qRed(C));
        Out[1] = static_cast<uint8_t>(qGreen(C));
        Out[2] = static_cast<uint8_t>(qBlue(C));
    }
}

void DeflateBand(const QImage& Image, Band& B) {
    ClearUpperVectorHalves();  // the picture was just painted, perhaps on this thread
    const size_t RowLength = static_cast<size_t>(Image.width()) * 3 + 1;
    std::vector<uint8_t> Row(RowLength);
    z_stream Z{};
    // Raw deflate (no zlib header or checksum of its own): the pieces are framed together.
    // The fastest level with the filtered-data strategy packs drawings about as small as the
    // usual settings, several times faster.
    if (deflateInit2(&Z, 1, Z_DEFLATED, -15, 8, Z_FILTERED) != Z_OK) {
        B.Error = NoMemory;
        return;
    }
    B.RawLength = RowLength * static_cast<size_t>(B.EndRow - B.FirstRow);
    B.Deflated.resize(static_cast<size_t>(deflateBound(&Z, static_cast<uLong>(B.RawLength))) + 64);
    size_t Written = 0;
    bool Ended = false;
    B.Adler = adler32(0, nullptr, 0);
    for (int Y = B.FirstRow; Y < B.EndRow && !B.Error; ++Y) {
        PackRow(Image, Y, Row.data());
        B.Adler = adler32(B.Adler, Row.data(), static_cast<uInt>(RowLength));
        const int Flush = Y + 1 < B.EndRow ? Z_NO_FLUSH : B.Last ? Z_FINISH : Z_SYNC_FLUSH;
        Z.next_in = Row.data();
        Z.avail_in = static_cast<uInt>(RowLength);
        // The bound holds for the whole band, but a full buffer is grown rather than trusted.
        do {
            if (Written == B.Deflated.size()) B.Deflated.resize(2 * B.Deflated.size());
            Z.next_out = B.Deflated.data() + Written;
            Z.avail_out = static_cast<uInt>(std::min<size_t>(B.Deflated.size() - Written, 1u << 30));
            const int Code = deflate(&Z, Flush);
            Written = static_cast<size_t>(Z.next_out - B.Deflated.data());
            if (Code == Z_STREAM_ERROR) {
                B.Error = "the compressor failed";
                break;
            }
            if (Code == Z_STREAM_END) {
                Ended = true;
                break;
            }
        } while (Z.avail_out == 0 || Z.avail_in > 0);
    }
    deflateEnd(&Z);
    if (B.Last && !Ended && !B.Error) B.Error = "the compressor did not finish";
    B.Deflated.resize(Written);
}

void PutU32(QByteArray& Out, uint32_t V) {
    const char Bytes[4] = {static_cast<char>(V >> 24), static_cast<char>(V >> 16),
                           static_cast<char>(V >> 8), static_cast<char>(V)};
    Out.append(Bytes, 4);
}

// A chunk: its length, its type and data, and the CRC of type and data.
void PutChunk(QByteArray& Out, const char Type[4], const uint8_t* Data, size_t Length) {
    PutU32(Out, static_cast<uint32_t>(Length));
    const qsizetype TypeAt = Out.size();
    Out.append(Type, 4);
    if (Length > 0) Out.append(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Length));
    const uLong Crc = crc32(0, reinterpret_cast<const Bytef*>(Out.constData() + TypeAt),
                            static_cast<uInt>(Length + 4));
    PutU32(Out, static_cast<uint32_t>(Crc));
}

}  // namespace

QByteArray EncodePng(const QImage& Image, std::string& Error) {
    Error.clear();
    if (Image.isNull()) {
        Error = "there is no picture to encode";
        return {};
    }
    // Pixels are read as 32-bit colours; other formats are converted first.
    QImage Converted;
    const QImage::Format F = Image.format();
    if (F != QImage::Format_RGB32 && F != QImage::Format_ARGB32) {
        Converted = Image.convertToFormat(QImage::Format_RGB32);
        if (Converted.isNull()) {
            Error = NoMemory;
            return {};
        }
    }
    const QImage& Source = Converted.isNull() ? Image : Converted;
    const int H = Source.height();

    TaskPool& Pool = TaskPool::Shared();
    const int Count = std::max(1, std::min(Pool.Workers() + 1, H / MinBandRows));
    std::vector<Band> Bands(static_cast<size_t>(Count));
    for (int K = 0; K < Count; ++K) {
        Band& B = Bands[static_cast<size_t>(K)];
        B.FirstRow = static_cast<int>(static_cast<int64_t>(H) * K / Count);
        B.EndRow = static_cast<int>(static_cast<int64_t>(H) * (K + 1) / Count);
        B.Last = K + 1 == Count;
    }
    try {
        TaskGroup Group;
        for (size_t K = 1; K < Bands.size(); ++K)
            Pool.Run(Group, [&Source, &B = Bands[K]] { DeflateBand(Source, B); });
        DeflateBand(Source, Bands[0]);
        Pool.Wait(Group);
    } catch (const std::bad_alloc&) {
        Error = NoMemory;
        return {};
    }

    size_t Total = 2 + 4;
    uLong Adler = adler32(0, nullptr, 0);
    for (const Band& B : Bands) {
        if (B.Error) {
            Error = B.Error;
            return {};
        }
        Total += B.Deflated.size();
        Adler = adler32_combine(Adler, B.Adler, static_cast<z_off_t>(B.RawLength));
    }
    try {
        // The zlib stream: its header (deflate, 32 KiB window, the fastest level), the bands,
        // the checksum of all rows.
        std::vector<uint8_t> Stream;
        Stream.reserve(Total);
        Stream.push_back(0x78);
        Stream.push_back(0x01);
        for (const Band& B : Bands) Stream.insert(Stream.end(), B.Deflated.begin(), B.Deflated.end());
        for (int Shift = 24; Shift >= 0; Shift -= 8) Stream.push_back(static_cast<uint8_t>(Adler >> Shift));

        QByteArray Out;
        Out.reserve(static_cast<qsizetype>(Total + 64));
        Out.append("\x89PNG\r\n\x1a\n", 8);
        uint8_t Header[13];
        const uint32_t Size[2] = {static_cast<uint32_t>(Source.width()), static_cast<uint32_t>(H)};
        for (int K = 0; K < 2; ++K)
            for (int B = 0; B < 4; ++B) Header[4 * K + B] = static_cast<uint8_t>(Size[K] >> (24 - 8 * B));
        Header[8] = 8;   // bits per channel
        Header[9] = 2;   // truecolour, no alpha
        Header[10] = 0;  // deflate
        Header[11] = 0;  // the adaptive filters
        Header[12] = 0;  // not interlaced
        PutChunk(Out, "IHDR", Header, sizeof Header);
        for (size_t At = 0; At < Stream.size(); At += MaxChunk)
            PutChunk(Out, "IDAT", Stream.data() + At, std::min(MaxChunk, Stream.size() - At));
        PutChunk(Out, "IEND", nullptr, 0);
        return Out;
    } catch (const std::bad_alloc&) {
        Error = NoMemory;
        return {};
    }
}
