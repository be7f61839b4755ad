// The HEX reader on any bytes: no crash, no undefined behaviour, and an
// image it accepts keeps its promise: blocks in increasing address order
// that neither touch nor overlap, each found again by the search.

#include "generator/hex_check.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto parsed = generator::ParseIntelHex(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const auto *image = std::get_if<generator::HexImage>(&parsed);
    if (!image)
        return 0;
    qint64 end = -1;
    for (const generator::HexBlock &block : *image) {
        if (block.bytes.isEmpty() || qint64(block.address) <= end)
            std::abort();
        end = qint64(block.address) + block.bytes.size();
    }
    if (!image->isEmpty()) {
        const generator::HexBlock &first = image->first();
        if (generator::FindBytes(*image, first.bytes.left(4)) != first.address)
            std::abort();
    }
    return 0;
}
