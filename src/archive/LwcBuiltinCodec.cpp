#include <zstd.h>

#include "archive/LwCodec.h"

// The built-in "LWC" codec, used when no plug-in library is installed.
//
// Stream layout (268-byte header, then a zstd frame):
//   0   "LWC"
//   3   u8  codec version, 1
//   4   u32 expanded length
//   8   u32 c, the byte count of the zstd frame that follows the header
//   12  256 bytes, zero
//   268 zstd frame of c bytes (content size and checksum included)
// Output is deterministic: the same input always gives the same stream.
namespace tavrel {

namespace {

constexpr std::uint8_t kBuiltinVersion = 1;
constexpr int kCompressionLevel = 9;

class BuiltinLwCodec final : public LwCodec {
public:
    std::optional<Bytes> Decode(ByteView stream, std::uint32_t /*expected_length*/) override {
        if (stream.size() < kLwcHeaderSize || !StartsWithLwc(stream)) return std::nullopt;
        const std::uint32_t expanded = LoadU32(stream.data() + 4);
        const std::uint32_t c = LoadU32(stream.data() + 8);
        if (expanded > kLwcMaxExpanded || c > stream.size() - kLwcHeaderSize) return std::nullopt;
        const std::uint8_t* frame = stream.data() + kLwcHeaderSize;
        if (ZSTD_findFrameCompressedSize(frame, c) != c) return std::nullopt;
        if (ZSTD_getFrameContentSize(frame, c) != expanded) return std::nullopt;
        Bytes out(expanded);
        const std::size_t got = ZSTD_decompress(out.data(), out.size(), frame, c);
        if (ZSTD_isError(got) || got != expanded) return std::nullopt;
        return out;
    }

    std::optional<Bytes> Encode(ByteView input) override {
        if (input.size() > kLwcMaxExpanded) return std::nullopt;
        ZSTD_CCtx* ctx = ZSTD_createCCtx();
        if (!ctx) return std::nullopt;
        ZSTD_CCtx_setParameter(ctx, ZSTD_c_compressionLevel, kCompressionLevel);
        ZSTD_CCtx_setParameter(ctx, ZSTD_c_checksumFlag, 1);
        ZSTD_CCtx_setParameter(ctx, ZSTD_c_contentSizeFlag, 1);
        Bytes out(kLwcHeaderSize + ZSTD_compressBound(input.size()), 0);
        const std::size_t c =
            ZSTD_compress2(ctx, out.data() + kLwcHeaderSize, out.size() - kLwcHeaderSize,
                           input.data(), input.size());
        ZSTD_freeCCtx(ctx);
        if (ZSTD_isError(c)) return std::nullopt;
        out.resize(kLwcHeaderSize + c);
        out[0] = 'L';
        out[1] = 'W';
        out[2] = 'C';
        out[3] = kBuiltinVersion;
        StoreU32(out.data() + 4, static_cast<std::uint32_t>(input.size()));
        StoreU32(out.data() + 8, static_cast<std::uint32_t>(c));
        return out;
    }

    const char* Name() const override { return "built-in"; }
};

}  // namespace

std::unique_ptr<LwCodec> MakeBuiltinLwCodec() { return std::make_unique<BuiltinLwCodec>(); }

}  // namespace tavrel
