#include <gtest/gtest.h>

#include "archive/LwCodec.h"

namespace tavrel {
namespace {

Bytes Pattern(std::size_t size) {
    Bytes out(size);
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = static_cast<std::uint8_t>(i % 7 == 0 ? x >> 24 : i / 64);
    }
    return out;
}

TEST(BuiltinLwCodec, RoundTripsWithTheFieldsTheArchiveReadsBack) {
    auto codec = MakeBuiltinLwCodec();
    for (std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{300}, std::size_t{1} << 20}) {
        const Bytes input = Pattern(size);
        auto stream = codec->Encode(input);
        ASSERT_TRUE(stream) << size;
        ASSERT_TRUE(StartsWithLwc(*stream));
        EXPECT_EQ(LoadU32(stream->data() + 4), size);
        EXPECT_EQ(LoadU32(stream->data() + 8) + kLwcHeaderSize, stream->size());
        EXPECT_EQ(codec->Encode(input), stream) << "output must be deterministic";
        auto back = codec->Decode(*stream, static_cast<std::uint32_t>(size));
        ASSERT_TRUE(back) << size;
        EXPECT_EQ(*back, input);
        // Bytes behind c + 268 (a leaf's slack) are not part of the stream.
        Bytes with_slack = *stream;
        with_slack.resize(with_slack.size() + 256, 0xEE);
        EXPECT_EQ(codec->Decode(with_slack, static_cast<std::uint32_t>(size)), input);
    }
    EXPECT_LT(codec->Encode(Bytes(100000, 0))->size(), 1000u);
}

TEST(BuiltinLwCodec, DamagedStreamsAreRefused) {
    auto codec = MakeBuiltinLwCodec();
    const Bytes input = Pattern(5000);
    const Bytes good = *codec->Encode(input);
    struct Case {
        const char* name;
        Bytes stream;
    };
    auto with_u32 = [&](std::size_t at, std::uint32_t v) {
        Bytes s = good;
        StoreU32(s.data() + at, v);
        return s;
    };
    const Bytes cut(good.begin(), good.end() - 1);
    Bytes flipped = good;
    flipped[flipped.size() - 10] ^= 0x5A;
    Bytes not_lwc = good;
    not_lwc[0] = 'X';
    const Case cases[] = {
        {"empty", {}},
        {"shorter than the header", Bytes(good.begin(), good.begin() + 100)},
        {"not LWC", not_lwc},
        {"stream cut short", cut},
        {"c past the bytes present", with_u32(8, LoadU32(good.data() + 8) + 1)},
        {"c huge", with_u32(8, 0xFFFFFFF0u)},
        {"c smaller than the frame", with_u32(8, LoadU32(good.data() + 8) - 1)},
        {"expanded length differs from the frame", with_u32(4, 5001)},
        {"expanded length beyond the ceiling", with_u32(4, kLwcMaxExpanded + 1)},
        {"damaged frame bytes", flipped},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(codec->Decode(c.stream, 5000)) << c.name;
    }
}

}  // namespace
}  // namespace tavrel
