#include <dlfcn.h>

#include <cstring>

#include "archive/LwCodec.h"

// The "LWC" codec of a plug-in library, Plugins/VESKLW.so under the program directory.
//
// Its three entries (looked up by plain or decorated name):
//   int  LW_MemoryDecode(const void* input, uint32 input_length, void** output,
//                        uint32* output_length, uint32 0, uint32 0)
//   int  LW_MemoryEncode(same arguments)
//   void LW_Free(void* output)
// Decode: input is the whole stream (c + 268 bytes), the output length is preset to the
// expanded length. Encode: the output length is preset to the input length; while the entry
// returns 1 it is called again with 256 more bytes of input (zeros behind the data). Every
// output is copied at once and handed back with LW_Free.
namespace tavrel {

namespace {

using CodeFn = int (*)(const void*, std::uint32_t, void**, std::uint32_t*, std::uint32_t,
                       std::uint32_t);
using FreeFn = void (*)(void*);

constexpr std::uint32_t kEncodeStep = 256;
constexpr int kMaxEncodeRetries = 16;

void* FindEntry(void* library, const char* plain, const char* decorated) {
    if (void* entry = ::dlsym(library, plain)) return entry;
    return ::dlsym(library, decorated);
}

class PluginLwCodec final : public LwCodec {
public:
    PluginLwCodec(void* library, CodeFn decode, CodeFn encode, FreeFn release)
        : library_(library), decode_(decode), encode_(encode), free_(release) {}
    ~PluginLwCodec() override { ::dlclose(library_); }

    std::optional<Bytes> Decode(ByteView stream, std::uint32_t expected_length) override {
        if (stream.size() < kLwcHeaderSize || !StartsWithLwc(stream)) return std::nullopt;
        const std::uint32_t c = LoadU32(stream.data() + 8);
        if (c > stream.size() - kLwcHeaderSize || expected_length > kLwcMaxExpanded)
            return std::nullopt;
        void* output = nullptr;
        std::uint32_t length = expected_length;
        decode_(stream.data(), c + kLwcHeaderSize, &output, &length, 0, 0);
        return TakeOutput(output, length, kLwcMaxExpanded);
    }

    std::optional<Bytes> Encode(ByteView input) override {
        if (input.size() > kLwcMaxExpanded) return std::nullopt;
        // The plug-in may be asked for up to kMaxEncodeRetries * 256 bytes past the data;
        // they are zeros of our own copy, never bytes outside a buffer.
        Bytes padded(input.size() + kEncodeStep * kMaxEncodeRetries, 0);
        if (!input.empty()) std::memcpy(padded.data(), input.data(), input.size());
        auto input_length = static_cast<std::uint32_t>(input.size());
        for (int attempt = 0; attempt <= kMaxEncodeRetries; ++attempt) {
            void* output = nullptr;
            std::uint32_t length = input_length;
            const int status = encode_(padded.data(), input_length, &output, &length, 0, 0);
            if (status != 1) {
                auto stream =
                    TakeOutput(output, length, kLwcMaxExpanded + kLwcHeaderSize + (1u << 20));
                if (!stream || !IsCompleteStream(*stream)) return std::nullopt;
                return stream;
            }
            if (output) free_(output);
            input_length += kEncodeStep;
        }
        return std::nullopt;
    }

    const char* Name() const override { return "plug-in"; }

private:
    // Copies the plug-in's output into a buffer of ours and hands the original back.
    std::optional<Bytes> TakeOutput(void* output, std::uint32_t length, std::uint64_t ceiling) {
        if (!output) return std::nullopt;
        std::optional<Bytes> copy;
        if (length <= ceiling) {
            const auto* bytes = static_cast<const std::uint8_t*>(output);
            copy.emplace(bytes, bytes + length);
        }
        free_(output);
        return copy;
    }

    static bool IsCompleteStream(const Bytes& stream) {
        return stream.size() >= kLwcHeaderSize && StartsWithLwc(stream) &&
               LoadU32(stream.data() + 8) <= stream.size() - kLwcHeaderSize;
    }

    void* library_;
    CodeFn decode_;
    CodeFn encode_;
    FreeFn free_;
};

}  // namespace

std::unique_ptr<LwCodec> LoadLwCodec(const std::filesystem::path& program_dir) {
    const auto library_path = program_dir / "Plugins" / "VESKLW.so";
    void* library = ::dlopen(library_path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return MakeBuiltinLwCodec();
    auto decode =
        reinterpret_cast<CodeFn>(FindEntry(library, "LW_MemoryDecode", "_LW_MemoryDecode@24"));
    auto encode =
        reinterpret_cast<CodeFn>(FindEntry(library, "LW_MemoryEncode", "_LW_MemoryEncode@24"));
    auto release = reinterpret_cast<FreeFn>(FindEntry(library, "LW_Free", "_LW_Free@4"));
    if (!decode || !encode || !release) {
        ::dlclose(library);
        return MakeBuiltinLwCodec();
    }
    return std::make_unique<PluginLwCodec>(library, decode, encode, release);
}

}  // namespace tavrel
