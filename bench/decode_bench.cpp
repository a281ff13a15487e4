// Decode throughput of Dxt1, Dxt5 and Bgra32 entries against a plain memcpy of the same
// output size, in megapixels per second ("items_per_second" counts pixels). The ratio
// memcpy / decode is the figure to watch: every frame of a batch export is decoded.
//
//   build/bench/bench_decode_bench --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true
//
// BM_DecodeBlocks* decode into a ready output buffer (Arg 1: vector path, Arg 0: portable);
// BM_DecodeTexture includes allocating and zero-filling the picture.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "picture/TextureDecoder.h"

namespace {

using namespace tavrel;

constexpr std::int32_t kSide = 1024;
constexpr std::size_t kPixels = std::size_t{kSide} * kSide;

Bytes RandomBytes(std::size_t n) {
    std::mt19937 rng(42);
    Bytes b(n);
    for (auto& v : b) v = static_cast<std::uint8_t>(rng());
    return b;
}

void SetPixels(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPixels));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPixels * 4));
}

// The limit: copying the output's size from one buffer to another (pairs with every decode).
void BM_Memcpy_Limit(benchmark::State& state) {
    const Bytes in = RandomBytes(kPixels * 4);
    Bytes out(kPixels * 4);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    SetPixels(state);
}

// Arg 1: the vector path where the processor has one; arg 0: the portable path.
struct PathChoice {
    explicit PathChoice(benchmark::State& state)
        : previous(SetVectorDecoding(state.range(0) != 0)) {
        state.SetLabel(VectorDecodingActive() ? "vector" : "portable");
    }
    ~PathChoice() { SetVectorDecoding(previous); }
    bool previous;
};

void BM_DecodeBlocksDxt1(benchmark::State& state) {
    PathChoice path(state);
    const Bytes in = RandomBytes(kPixels / 2);
    Bytes out(kPixels * 4);
    for (auto _ : state) {
        DecodeDxt1Blocks(out.data(), in, kSide, kSide);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    SetPixels(state);
}

void BM_DecodeBlocksDxt5(benchmark::State& state) {
    PathChoice path(state);
    const Bytes in = RandomBytes(kPixels);
    Bytes out(kPixels * 4);
    for (auto _ : state) {
        DecodeBlocks(out.data(), in, kSide, kSide, AlphaMode::InterpolatedAlpha);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    SetPixels(state);
}

// Whole entries through DecodeTexture, allocation of the picture included.
Bytes MakeEntry(std::uint8_t format) {
    const std::size_t data = format == 1 ? kPixels * 4 : format == 6 ? kPixels / 2 : kPixels;
    Bytes entry = RandomBytes(8 + data);
    entry[0] = 0x10;
    entry[1] = format;
    entry[2] = 0xAA;  // 1024 x 1024
    StoreU32(entry.data() + 4, 0);
    return entry;
}

void BM_DecodeTexture(benchmark::State& state, std::uint8_t format) {
    const Bytes entry = MakeEntry(format);
    const TextureInfo info = ReadTextureInfo(entry);
    for (auto _ : state) {
        Picture p = DecodeTexture(entry, info);
        benchmark::DoNotOptimize(p.pixels.data());
    }
    SetPixels(state);
}

BENCHMARK(BM_Memcpy_Limit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeBlocksDxt1)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeBlocksDxt5)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeTexture, Bgra32, std::uint8_t{1})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeTexture, Dxt1, std::uint8_t{6})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeTexture, Dxt5, std::uint8_t{0})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
