// A stand-in for the "LWC" plug-in library, built as a loadable module for the loader's tests.
//
// Its streams store the bytes as they are: "LWC" + 'F', u32 expanded length n at 4, u32 c = n
// at 8, 256 zero bytes, then the n bytes. Its encode entry refuses (returns 1) as many times as
// FakeLw_SetRefusals asked, so the caller's retry path runs. FakeLw_Counters reports what the
// caller did. FAKE_LW_NO_FREE builds it without LW_Free. (ELF linkers read "name@24" as a
// symbol version, so the decorated names cannot be exported here; plain names are.)
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uint32_t kHeader = 268;

int g_refusals = 0;
int g_decode_calls = 0;
int g_encode_calls = 0;
int g_free_calls = 0;
std::uint32_t g_last_encode_length = 0;
std::uint32_t g_last_decode_preset = 0;

std::uint32_t Load(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void Store(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int LW_MemoryDecode(const void* input, std::uint32_t length,
                                                           void** output,
                                                           std::uint32_t* output_length,
                                                           std::uint32_t, std::uint32_t);
__attribute__((visibility("default"))) int LW_MemoryEncode(const void* input, std::uint32_t length,
                                                           void** output,
                                                           std::uint32_t* output_length,
                                                           std::uint32_t, std::uint32_t);
#ifndef FAKE_LW_NO_FREE
__attribute__((visibility("default"))) void LW_Free(void* p);
#endif

int LW_MemoryDecode(const void* input, std::uint32_t length, void** output,
                    std::uint32_t* output_length, std::uint32_t, std::uint32_t) {
    ++g_decode_calls;
    g_last_decode_preset = *output_length;
    const auto* in = static_cast<const std::uint8_t*>(input);
    if (length < kHeader || std::memcmp(in, "LWCF", 4) != 0) return 0;
    const std::uint32_t n = Load(in + 4);
    if (Load(in + 8) != n || length != kHeader + n) return 0;
    auto* out = static_cast<std::uint8_t*>(std::malloc(n ? n : 1));
    std::memcpy(out, in + kHeader, n);
    *output = out;
    *output_length = n;
    return 0;
}

int LW_MemoryEncode(const void* input, std::uint32_t length, void** output,
                    std::uint32_t* output_length, std::uint32_t, std::uint32_t) {
    ++g_encode_calls;
    g_last_encode_length = length;
    if (*output_length != length) return 2;
    if (g_refusals > 0) {
        --g_refusals;
        return 1;
    }
    auto* out = static_cast<std::uint8_t*>(std::calloc(kHeader + length, 1));
    std::memcpy(out, "LWCF", 4);
    Store(out + 4, length);
    Store(out + 8, length);
    std::memcpy(out + kHeader, input, length);  // reads every byte it was told it may read
    *output = out;
    *output_length = kHeader + length;
    return 0;
}

#ifndef FAKE_LW_NO_FREE
void LW_Free(void* p) {
    ++g_free_calls;
    std::free(p);
}
#endif

__attribute__((visibility("default"))) void FakeLw_SetRefusals(int refusals) {
    g_refusals = refusals;
}

__attribute__((visibility("default"))) void FakeLw_Counters(int* decode_calls, int* encode_calls,
                                                            int* free_calls,
                                                            std::uint32_t* last_encode_length,
                                                            std::uint32_t* last_decode_preset) {
    *decode_calls = g_decode_calls;
    *encode_calls = g_encode_calls;
    *free_calls = g_free_calls;
    *last_encode_length = g_last_encode_length;
    *last_decode_preset = g_last_decode_preset;
}

}  // extern "C"
