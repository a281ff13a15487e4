// Resource tree and archive rebuild throughput.
//
//   build/bench/bench_tree_bench [--benchmark_filter=...]
//   TAVREL_BENCH_ARCHIVE_MIB=256 build/bench/bench_tree_bench   (default 1024)
//
// ParseSerialize: ParseBlock + SerializeToBytes of a 64 MiB block of texture packs, against
// two memcpy of the same bytes (what parsing and writing back copy at least).
// Rebuild: RebuildArchive of a large archive with every 16th block taken from a temporary
// copy, against a plain copy of the same file (cp, and a read/write loop), each followed by
// an fsync as the rebuild does. The ratios are printed at the end; peak memory growth of the
// rebuild is reported as the counter rss_growth_MiB.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "archive/ArchiveRebuild.h"
#include "archive/BlockWriter.h"
#include "archive/ContainerBuilder.h"
#include "archive/ResourceTree.h"

namespace {

using namespace tavrel;
namespace fs = std::filesystem;

constexpr std::uint64_t kMiB = 1 << 20;

// 64 packs of 16 textures of 256 x 256 Dxt5 (65544 bytes each): 64 MiB.
const Bytes& LargeBlock() {
    static const Bytes block = [] {
        std::vector<Bytes> packs;
        for (int p = 0; p < 64; ++p) {
            std::vector<Bytes> textures;
            for (int t = 0; t < 16; ++t) {
                textures.push_back(
                    BuildTextureEntry(9, 8, 8, 8, Bytes(65536, static_cast<std::uint8_t>(p + t))));
            }
            packs.push_back(BuildGt1g(textures));
        }
        return BuildLink(packs);
    }();
    return block;
}

void BM_ParseSerialize(benchmark::State& state) {
    const Bytes& block = LargeBlock();
    for (auto _ : state) {
        BlockTree tree;
        ParseBlock(tree, block, nullptr);
        auto out = SerializeToBytes(tree.root, nullptr);
        if (!out || out->size() != block.size() || tree.frames.size() != 1024)
            state.SkipWithError("bad round trip");
        benchmark::DoNotOptimize(out->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}

void BM_ParseSerializePeerMemcpy(benchmark::State& state) {
    const Bytes& block = LargeBlock();
    for (auto _ : state) {
        Bytes a(block.size());
        std::memcpy(a.data(), block.data(), block.size());
        Bytes b(block.size());
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}

struct BenchArchive {
    fs::path dir;
    fs::path archive;
    fs::path temp;
    std::uint64_t size = 0;

    BenchArchive() {
        const char* env = std::getenv("TAVREL_BENCH_ARCHIVE_MIB");
        const std::uint64_t mib = env ? std::strtoull(env, nullptr, 10) : 1024;
        std::string pattern = (fs::temp_directory_path() / "tavrel-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        archive = dir / "big.bin";
        temp = dir / "temppacks";
        fs::create_directories(temp);
        Write(mib);
    }
    ~BenchArchive() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // 256 blocks (4 MiB each for 1 GiB), tflag after each, every 16th block also as a copy.
    void Write(std::uint64_t mib) {
        const std::uint32_t blocks = 256;
        const std::uint64_t block_size = mib * kMiB / blocks;
        const std::uint32_t header = 32 + 8 * blocks;
        Bytes head(header, 0);
        StoreU32(head.data(), kMagicLink);
        StoreU32(head.data() + 4, blocks);
        for (std::uint32_t i = 0; i < blocks; ++i) {
            StoreU32(head.data() + 32 + 8 * i,
                     static_cast<std::uint32_t>(header + i * (block_size + 4)));
            StoreU32(head.data() + 36 + 8 * i, static_cast<std::uint32_t>(block_size));
        }
        std::FILE* f = std::fopen(archive.c_str(), "wb");
        std::fwrite(head.data(), 1, head.size(), f);
        Bytes block(block_size);
        for (std::uint32_t i = 0; i < blocks; ++i) {
            std::memset(block.data(), static_cast<int>(i * 37 + 1), block.size());
            std::fwrite(block.data(), 1, block.size(), f);
            std::fwrite("\x01\x02\x03\x04", 1, 4, f);
            if (i % 16 == 5) {
                char name[32];
                std::snprintf(name, sizeof name, "%.5u.data", i + 1);
                std::FILE* copy = std::fopen((temp / name).c_str(), "wb");
                std::fwrite(block.data(), 1, block.size(), copy);
                std::fclose(copy);
            }
        }
        std::fclose(f);
        size = fs::file_size(archive);
        ::sync();  // no write-back of the set-up left to compete with the measured runs
    }
};

BenchArchive& Archive() {
    static BenchArchive archive;
    return archive;
}

long MaxRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void SyncFile(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
}

void BM_RebuildArchive(benchmark::State& state) {
    auto& a = Archive();
    const long rss_before = MaxRssKiB();
    for (auto _ : state) {
        const auto result = RebuildArchive(a.archive, a.temp);
        if (!result.ok) state.SkipWithError(result.error.c_str());
    }
    state.counters["rss_growth_MiB"] = static_cast<double>(MaxRssKiB() - rss_before) / 1024.0;
    state.counters["archive_MiB"] = static_cast<double>(a.size) / kMiB;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * a.size));
}

void BM_RebuildPeerCp(benchmark::State& state) {
    auto& a = Archive();
    const fs::path copy = a.dir / "copy.bin";
    const std::string command = "cp '" + a.archive.string() + "' '" + copy.string() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
        SyncFile(copy);
    }
    fs::remove(copy);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * a.size));
}

void BM_RebuildPeerReadWriteLoop(benchmark::State& state) {
    auto& a = Archive();
    const fs::path copy = a.dir / "copy.bin";
    Bytes buffer(4 * kMiB);
    for (auto _ : state) {
        const int in = ::open(a.archive.c_str(), O_RDONLY);
        const int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t n;
        while ((n = ::read(in, buffer.data(), buffer.size())) > 0) {
            if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n)
                state.SkipWithError("write failed");
        }
        ::fsync(out);
        ::close(in);
        ::close(out);
    }
    fs::remove(copy);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * a.size));
}

BENCHMARK(BM_RebuildArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_RebuildPeerCp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_RebuildPeerReadWriteLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ParseSerialize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseSerializePeerMemcpy)->Unit(benchmark::kMillisecond);

// Keeps the mean real time of every run so the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* label, const std::string& a, const std::string& b) const {
        const auto ia = Find(a);
        const auto ib = Find(b);
        if (ia > 0 && ib > 0) std::printf("%-44s %.2fx\n", label, ia / ib);
    }

private:
    double Find(const std::string& prefix) const {
        for (const auto& [name, time] : times_) {
            if (name == prefix || name.rfind(prefix + "/", 0) == 0) return time;
        }
        return 0;
    }
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios of real time (lower is better):\n");
    reporter.PrintRatio("rebuild / cp + fsync", "BM_RebuildArchive", "BM_RebuildPeerCp");
    reporter.PrintRatio("rebuild / read-write loop + fsync", "BM_RebuildArchive",
                        "BM_RebuildPeerReadWriteLoop");
    reporter.PrintRatio("parse+serialize / two memcpy", "BM_ParseSerialize",
                        "BM_ParseSerializePeerMemcpy");
    benchmark::Shutdown();
    return 0;
}
