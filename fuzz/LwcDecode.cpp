// Hands any bytes to the built-in "LWC" decoder.
#include <cstddef>
#include <cstdint>

#include "archive/LwCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto codec = tavrel::MakeBuiltinLwCodec();
    const tavrel::ByteView stream(data, size);
    const std::uint32_t expected = tavrel::ReadU32(stream, 4);
    codec->Decode(stream, expected);
    return 0;
}
