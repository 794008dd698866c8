// Arbitrary bytes as a document. Reading must never crash, never allocate beyond the bytes
// given, refuse a document whole (the record untouched) or accept it whole; an accepted one
// must hold only numbers the program can draw with, and must write back into bytes that read
// again into the same record. Any violation aborts, so libFuzzer keeps the input.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "document/MapDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const MapDocument Before;
    MapDocument D = Before;
    DocumentError E = ReadDocument(std::span<const uint8_t>(Data, Size), D);
    std::vector<uint8_t> Written = WriteDocument(D);
    if (E != DocumentError::None) {
        if (Written != WriteDocument(Before)) std::abort();  // a refused file changed the record
        return 0;
    }
    if (D.MapType < 0 || D.MapType > 2 || (D.Version != 0 && D.Version != 1)) std::abort();
    if (!std::isfinite(D.P) || !std::isfinite(D.DomMax.Y) || !(D.ImgSphere.Radius >= 0.001))
        std::abort();
    MapDocument Again;
    if (ReadDocument(Written, Again) != DocumentError::None) std::abort();
    if (WriteDocument(Again) != Written) std::abort();
    return 0;
}
