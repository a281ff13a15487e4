#pragma once

#include <algorithm>
#include <cstring>
#include <optional>

#include "archive/LwCodec.h"
#include "format/Bytes.h"

// A codec for tests: the stream is a 268-byte header ("LWC", u32 at 4 the expanded length,
// u32 at 8 the payload length c) followed by c payload bytes, of which the first `expanded
// length` bytes are the output. Encode stores the input as it is (c = input length).
namespace tavrel::test {

class TestCodec : public LwCodec {
public:
    std::optional<Bytes> Decode(ByteView stream, std::uint32_t expected_length) override {
        ++decodes;
        if (fail_decode || stream.size() < kLwcHeaderSize) return std::nullopt;
        const std::uint32_t c = LoadU32(stream.data() + 8);
        if (stream.size() != std::uint64_t{c} + kLwcHeaderSize || expected_length > c)
            return std::nullopt;
        return Bytes(stream.begin() + kLwcHeaderSize,
                     stream.begin() + kLwcHeaderSize + expected_length);
    }
    std::optional<Bytes> Encode(ByteView input) override {
        ++encodes;
        if (fail_encode) return std::nullopt;
        return MakeStream(input, static_cast<std::uint32_t>(input.size()));
    }
    const char* Name() const override { return "test"; }

    // A stream whose payload is `payload` padded with zeros to c bytes and that expands to
    // `payload`.
    static Bytes MakeStream(ByteView payload, std::uint32_t c) {
        Bytes s(kLwcHeaderSize + std::max<std::size_t>(c, payload.size()), 0);
        std::memcpy(s.data(), "LWC", 3);
        StoreU32(s.data() + 4, static_cast<std::uint32_t>(payload.size()));
        StoreU32(s.data() + 8, c);
        std::copy(payload.begin(), payload.end(), s.begin() + kLwcHeaderSize);
        s.resize(kLwcHeaderSize + std::size_t{c});
        return s;
    }

    bool fail_decode = false;
    bool fail_encode = false;
    int decodes = 0;
    int encodes = 0;
};

}  // namespace tavrel::test
