// PNG encoding with ISA-L's igzip, the rows deflated in bands on every core.
//
// A deflate stream may be cut into pieces compressed apart: each piece but the last ends
// with a sync flush (an empty stored block, so the next piece starts on a byte boundary and
// no piece is marked final), no piece refers back into another, and the checksums of the
// pieces combine into the stream's. The file is then one zlib stream like any other, which
// every PNG reader opens; the pieces only lose the few matches that would have reached
// across a cut.
#include "scene/PngEncoding.h"

#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "common/TaskPool.h"
#include "common/ThreadLease.h"
#include "formula/x87/FloatingPointState.h"

namespace {

constexpr char NoMemory[] = "there is not enough memory to encode the picture";

// A band narrower than this is not worth a task of its own.
constexpr int MinBandRows = 32;
// Rows are packed and deflated about this many bytes at a time.
constexpr size_t ChunkBytes = size_t{64} << 10;
// An IDAT chunk's length is a 31-bit number: the stream goes into chunks of at most this.
constexpr size_t MaxChunk = size_t{1} << 30;

// The three bytes of each pixel, red first, after the filter byte (0: the row unfiltered;
// drawings of flat colour and thin lines gain little from filters, and they cost time). A
// pixel 0xAARRGGBB turned end for end and shifted is 0x00BBGGRR, whose first three bytes in
// memory are red, green and blue: each pixel but the last is stored as four bytes, the fourth
// overwritten by the next pixel.
void PackRow(const QImage& Image, int Y, uint8_t* Out) {
    static_assert(std::endian::native == std::endian::little);
    const QRgb* In = reinterpret_cast<const QRgb*>(Image.constScanLine(Y));
    *Out++ = 0;
    const int W = Image.width();
    for (int X = 0; X + 1 < W; ++X, Out += 3) {
        const uint32_t RGB = __builtin_bswap32(In[X]) >> 8;
        std::memcpy(Out, &RGB, 4);
    }
    const QRgb C = In[W - 1];
    Out[0] = static_cast<uint8_t>(qRed(C));
    Out[1] = static_cast<uint8_t>(qGreen(C));
    Out[2] = static_cast<uint8_t>(qBlue(C));
}

}  // namespace

PngBands::PngBands(const QImage& Source, int Wanted) : Image(Source) {
    const int H = Image.height();
    const int Count = std::max(1, std::min(Wanted, H / MinBandRows));
    Bands.resize(static_cast<size_t>(Count));
    for (int K = 0; K < Count; ++K) {
        Band& B = Bands[static_cast<size_t>(K)];
        B.FirstRow = static_cast<int>(static_cast<int64_t>(H) * K / Count);
        B.EndRow = static_cast<int>(static_cast<int64_t>(H) * (K + 1) / Count);
        B.Last = K + 1 == Count;
    }
}

void PngBands::Deflate(int K) {
    Band& B = Bands[static_cast<size_t>(K)];
    B.Done = true;
    try {
        DeflateRows(B);
    } catch (const std::bad_alloc&) {
        B.Error = NoMemory;
    }
}

namespace {

// What igzip works in, kept by each thread for its next band: made anew, its few hundred
// kilobytes would be fresh memory for every band of every picture.
struct Compressor {
    isal_zstream Z;
    uint8_t Level[ISAL_DEF_LVL1_DEFAULT];
    std::vector<uint8_t> Chunk;  // rows packed for igzip
    std::vector<uint8_t> Out;    // the band deflated, copied out whole
};

}  // namespace

void PngBands::DeflateRows(Band& B) {
    ClearUpperVectorHalves();  // the picture was just painted, perhaps on this thread
    const size_t RowLength = static_cast<size_t>(Image.width()) * 3 + 1;
    const ThreadLease<Compressor> Lease;
    Compressor& C = *Lease;
    // Rows are packed a chunk at a time into a buffer that stays in the cache.
    const int ChunkRows = static_cast<int>(std::max<size_t>(1, ChunkBytes / RowLength));
    C.Chunk.resize(RowLength * static_cast<size_t>(std::min(ChunkRows, B.EndRow - B.FirstRow)));
    // Raw deflate (no zlib header or checksum of its own): the pieces are framed together.
    // The fastest level packs drawings smaller than zlib's fastest, many times faster.
    isal_zstream& Z = C.Z;
    isal_deflate_init(&Z);
    Z.level = 1;
    Z.level_buf = C.Level;
    Z.level_buf_size = sizeof C.Level;
    Z.gzip_flag = IGZIP_DEFLATE;
    B.RawLength = RowLength * static_cast<size_t>(B.EndRow - B.FirstRow);
    // Drawings deflate to a few percent of their rows; a full buffer is grown.
    if (C.Out.size() < B.RawLength / 8 + 4096) C.Out.resize(B.RawLength / 8 + 4096);
    size_t Written = 0;
    B.Adler = 1;  // the checksum of no bytes
    for (int Y = B.FirstRow; Y < B.EndRow && !B.Error;) {
        const int Rows = std::min(ChunkRows, B.EndRow - Y);
        for (int R = 0; R < Rows; ++R) PackRow(Image, Y + R, C.Chunk.data() + RowLength * static_cast<size_t>(R));
        Y += Rows;
        const size_t Length = RowLength * static_cast<size_t>(Rows);
        B.Adler = isal_adler32(B.Adler, C.Chunk.data(), Length);
        const bool Final = Y == B.EndRow;
        Z.next_in = C.Chunk.data();
        Z.avail_in = static_cast<uint32_t>(Length);
        // The last band ends the stream; the others end on a byte boundary with a sync flush,
        // so that the next band's blocks follow them.
        Z.end_of_stream = Final && B.Last ? 1 : 0;
        Z.flush = Final && !B.Last ? SYNC_FLUSH : NO_FLUSH;
        for (int Calls = 0;; ++Calls) {
            if (Written == C.Out.size()) C.Out.resize(2 * C.Out.size());
            Z.next_out = C.Out.data() + Written;
            Z.avail_out = static_cast<uint32_t>(std::min<size_t>(C.Out.size() - Written, 1u << 30));
            const int Code = isal_deflate(&Z);
            Written = static_cast<size_t>(Z.next_out - C.Out.data());
            if (Code != COMP_OK) {
                B.Error = "the compressor failed";
                break;
            }
            // The input is taken whole and, at the band's end, the flush or the end written.
            const bool Through = Z.avail_in == 0 &&
                                 (!Final || (B.Last ? Z.internal_state.state == ZSTATE_END
                                                    : Z.internal_state.state == ZSTATE_NEW_HDR));
            if (Through) break;
            if (Z.avail_out != 0 && Calls > 64) {
                B.Error = "the compressor did not finish";
                break;
            }
        }
    }
    B.Deflated.assign(C.Out.begin(), C.Out.begin() + static_cast<std::ptrdiff_t>(Written));
}

namespace {

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
    TaskPool& Pool = TaskPool::Shared();
    PngBands Bands(Converted.isNull() ? Image : Converted, Pool.Workers() + 1);
    {
        TaskGroup Group;
        for (int K = 1; K < Bands.Count(); ++K) Pool.Run(Group, [&Bands, K] { Bands.Deflate(K); });
        Bands.Deflate(0);
        Pool.Wait(Group);
    }
    return Bands.Join(Error);
}

QByteArray PngBands::Join(std::string& Error) const {
    Error.clear();
    size_t Total = 2 + 4;
    uLong Adler = adler32(0, nullptr, 0);
    for (const Band& B : Bands) {
        if (!B.Done) {
            Error = "a part of the picture was not encoded";
            return {};
        }
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
        const uint32_t Size[2] = {static_cast<uint32_t>(Image.width()), static_cast<uint32_t>(Image.height())};
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
