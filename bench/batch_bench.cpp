// Batch import and export of a recognised 131-block archive holding 1000 Dxt5 frames of
// 256 x 256 (full level chains), through the same path as the progress dialog: a Session,
// OpenBatch and BatchWorker, with a window port whose RunOnUiThread runs the task at once.
//
//   build/bench/bench_batch_bench [--benchmark_filter=Import]
//   TAVREL_BENCH_BATCH_FRAMES=200 build/bench/bench_batch_bench   (default 1000)
//
// Each benchmark runs a fixed 1 to 3 iterations so the whole program takes about a minute or
// two (the default-quality import is most of it). For more samples pass
// --benchmark_repetitions=N (bench.sh reports the median); for a shorter run use fewer frames
// with TAVREL_BENCH_BATCH_FRAMES (the figures are per frame / per byte, so they compare).
//
// The fixture (archive and a folder of one BMP file per frame, about 0.35 GB) is written once
// into a temporary folder before the first run; the exports add about 0.26 GB per iteration
// until the end of their benchmark. Everything is removed at the end. Each measured run
// starts after a sync(), so no write-back of the set-up competes with it.
//
// Import: every frame replaced from its BMP file (encoded at the batch import's quality, the
// fast level by default; the default level is shown for comparison), changed blocks written to their temporary copies, archive rebuilt and reopened. The
// archive is copied back between iterations, outside the timing. Reported as frames per
// second and as the counter `ratio` against the floor of the external converter route: one
// converter run with a fixed 0.6 s wait per frame (1.667 frames/s). Goal: ratio >= 100.
//
// Export: every frame of blocks 1..131 decoded and written as a BMP file into a new folder,
// against one plain write() of the same number of bytes to one new file
// (BM_BatchExport_Limit). Goal: within 2x (ratio >= 0.5). Neither syncs to disk (the export
// does not).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/ArchiveIndex.h"
#include "archive/ContainerBuilder.h"
#include "archive/LwCodec.h"
#include "batch/BatchState.h"
#include "browse/Browsing.h"
#include "browse/Session.h"
#include "demo/DemoPictures.h"
#include "format/TextureInfo.h"
#include "picture/BitmapFile.h"
#include "picture/TextureEncoder.h"

namespace {

using namespace tavrel;
namespace fs = std::filesystem;

constexpr std::uint32_t kBlocks = 131;  // a recognised entry count
constexpr int kSideExp = 8;             // 256 x 256
constexpr int kSide = 1 << kSideExp;
constexpr int kLevels = kSideExp + 1;    // down to 1 x 1 (the stored chain stops at 4 x 4)
constexpr std::uint8_t kFormatDxt5 = 8;  // any code but 1 and 6 is Dxt5
constexpr double kFloorSecondsPerFrame = 0.6;

// The window of a batch without a window: messages are counted (and shown on stderr), every
// task for the user-interface thread runs at once on the calling thread.
class BenchUi : public UiPort {
public:
    int messages = 0;
    void ShowMessage(const std::string& text, const std::string&) override {
        ++messages;
        std::fprintf(stderr, "batch_bench: message: %s\n", text.c_str());
    }
    void SetTitle(const std::string&) override {}
    void InvalidateView() override {}
    void SetScrollExtent(int, int) override {}
    std::optional<fs::path> AskOpenBitmap() override { return std::nullopt; }
    std::optional<fs::path> AskSaveBitmap() override { return std::nullopt; }
    std::optional<std::string> AskNumberText() override { return std::nullopt; }
    std::optional<fs::path> BrowseFolder(const std::string&) override { return std::nullopt; }
    void RunOnUiThread(const std::function<void()>& task) override { task(); }
};

class NoProgress : public BatchProgress {
public:
    void SetProgressText(const std::string&) override {}
    void SetRange(std::uint16_t) override {}
    void SetPosition(std::int32_t) override {}
    void Close() override {}
};

std::uint32_t FrameCount() {
    const char* env = std::getenv("TAVREL_BENCH_BATCH_FRAMES");
    const unsigned long n = env ? std::strtoul(env, nullptr, 10) : 1000;
    return static_cast<std::uint32_t>(n == 0 ? 1000 : n);
}

demo::PictureKind Kind(std::uint32_t i) { return static_cast<demo::PictureKind>(i % 5); }

// Frames of block b (1-based) when `frames` are spread evenly over the blocks.
std::uint32_t FramesInBlock(std::uint32_t b, std::uint32_t frames) {
    return b * frames / kBlocks - (b - 1) * frames / kBlocks;
}

struct BatchFixture {
    fs::path dir;
    fs::path program_dir;
    fs::path archive;   // what the batches work on
    fs::path pristine;  // the archive as built, copied back before each import
    fs::path pictures;  // one BMP per frame, named by BatchFileName
    fs::path exported;  // holds a new target folder for every export
    std::uint32_t frames = FrameCount();
    std::uint64_t bmp_bytes = 0;  // bytes of all BMP files of one export

    BatchFixture() {
        std::string pattern = (fs::temp_directory_path() / "tavrel-batch-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        program_dir = dir / "program";
        archive = dir / "game" / "Faces.bin";
        pristine = dir / "pristine.bin";
        pictures = dir / "pictures";
        exported = dir / "exported";
        for (const auto& d : {program_dir, archive.parent_path(), pictures, exported})
            fs::create_directories(d);
        Write();
    }
    ~BatchFixture() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // The archive's frames are encoded (Fast) from one set of pictures, the BMP files hold
    // another, so the import really changes every frame.
    void Write() {
        const std::int64_t data_size = LevelChainSize(kSide, kSide, kLevels, PixelClass::Dxt5);
        const EncodeOptions fast{EncodeQuality::Fast};
        std::vector<Bytes> blocks;
        std::uint32_t frame = 0;
        for (std::uint32_t b = 1; b <= kBlocks; ++b) {
            std::vector<Bytes> entries;
            const std::uint32_t n = FramesInBlock(b, frames);
            for (std::uint32_t f = 1; f <= n; ++f, ++frame) {
                const Picture old = demo::MakePicture(Kind(frame), kSide, kSide, frame + 5000);
                entries.push_back(BuildTextureEntry(
                    kLevels, kFormatDxt5, kSideExp, kSideExp,
                    EncodeLevelChain(old, PixelClass::Dxt5, data_size, fast)));
                const Picture next = demo::MakePicture(Kind(frame + 1), kSide, kSide, frame);
                WriteBitmapFile(BatchFileName(pictures.string(), b, f), next);
            }
            const Bytes head(12, static_cast<std::uint8_t>(b));
            const Bytes tail(5, static_cast<std::uint8_t>(b + 1));
            blocks.push_back(entries.empty() ? BuildLink({head})
                                             : BuildLink({head, BuildGt1g(entries), tail}));
        }
        const Bytes bytes = BuildLink(blocks, LinkHeader::Long32, Bytes{0xAA, 0xBB, 0xCC, 0xDD});
        std::FILE* f = std::fopen(pristine.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        bmp_bytes = std::uint64_t{frames} * (kBitmapHeaderSize + std::uint64_t{kSide} * kSide * 4);
        ::sync();  // no write-back of the set-up left to compete with the measured runs
    }

    void RestoreArchive() {
        fs::copy_file(pristine, archive, fs::copy_options::overwrite_existing);
        std::error_code ec;
        fs::remove_all(program_dir / "temppacks", ec);
        ::sync();  // the copy's write-back is not left to compete with the measured run
    }
};

BatchFixture& Fixture() {
    static BatchFixture fixture;
    return fixture;
}

// A session with the archive open as the file tree leaves it after a selection.
struct OpenSession {
    BenchUi ui;
    Session s;

    OpenSession(const BatchFixture& fx, EncodeQuality quality, int threads = 0) {
        s.ui = &ui;
        s.program_dir = fx.program_dir;
        s.codec = MakeBuiltinLwCodec();
        s.batch_encode_options.quality = quality;
        s.batch_encode_options.threads = threads;
        s.state.archive.archive_path = fx.archive;
        s.state.archive.archive_name = fx.archive.filename().string();
        OpenSelectedArchive(s);
    }
    ~OpenSession() { CloseArchive(s.state.archive); }
    bool Ready() const { return s.state.archive_open && s.state.block_count == kBlocks; }
};

// threads 0: the session's default (all cores), as the program runs it.
void BM_BatchImport(benchmark::State& state, EncodeQuality quality, int threads) {
    BatchFixture& fx = Fixture();
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fx.RestoreArchive();
        {
            OpenSession open(fx, quality, threads);
            BatchState batch;
            NoProgress progress;
            if (!open.Ready() || !CheckImportParameters(batch, fx.pictures.string()).empty()) {
                state.SkipWithError("fixture archive or folder refused");
                break;
            }
            open.s.state.busy = true;  // as the import's parameter dialog does
            OpenBatch(open.s, batch, BatchMode::Import);
            state.ResumeTiming();
            const auto start = std::chrono::steady_clock::now();
            BatchWorker(open.s, batch, progress);
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            state.PauseTiming();
            if (!batch.rebuild_ok || batch.frames_done != fx.frames || batch.frames_refused != 0 ||
                open.ui.messages != 0) {
                state.SkipWithError("import did not replace every frame");
            }
        }
        state.ResumeTiming();
    }
    const double frames = static_cast<double>(state.iterations()) * fx.frames;
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
    state.counters["frames_per_s"] = seconds > 0 ? frames / seconds : 0;
    state.counters["ratio"] = seconds > 0 ? frames / seconds * kFloorSecondsPerFrame : 0;
    char label[160];
    std::snprintf(label, sizeof label,
                  "frames/s over the floor of %.3f frames/s (converter + 0.6 s wait per frame); "
                  "%u frames 256x256 Dxt5",
                  1 / kFloorSecondsPerFrame, fx.frames);
    state.SetLabel(label);
}

// A new empty folder (or file name) for every export: a user exports into an empty folder,
// and files deleted just before the run would slow the file system's inode allocation for
// the next one (ext4 skips recently freed inodes). Everything is removed after the runs.
fs::path FreshTarget(const BatchFixture& fx, const char* kind) {
    static int count = 0;
    return fx.exported / (std::string(kind) + std::to_string(++count));
}

void RemoveExported(const BatchFixture& fx) {
    std::error_code ec;
    fs::remove_all(fx.exported, ec);
    fs::create_directories(fx.exported, ec);
}

void BM_BatchExport(benchmark::State& state) {
    BatchFixture& fx = Fixture();
    fx.RestoreArchive();
    OpenSession open(fx, EncodeQuality::Default);
    if (!open.Ready()) {
        state.SkipWithError("fixture archive refused");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path folder = FreshTarget(fx, "export");
        fs::create_directories(folder);
        ::sync();  // each run starts without write-back pending from the one before
        BatchState batch;
        NoProgress progress;
        const std::string refusal =
            CheckExportParameters(batch, "1", std::to_string(kBlocks), folder.string());
        OpenBatch(open.s, batch, BatchMode::Export);
        state.ResumeTiming();
        BatchWorker(open.s, batch, progress);
        if (!refusal.empty() || batch.frames_done != fx.frames || open.ui.messages != 0)
            state.SkipWithError("export did not write every frame");
    }
    RemoveExported(fx);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fx.bmp_bytes));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * fx.frames));
}

// The limit: the same number of bytes written with one write() to one new file.
void BM_BatchExport_Limit(benchmark::State& state) {
    BatchFixture& fx = Fixture();
    const Bytes bytes(fx.bmp_bytes, 0x5A);
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path path = FreshTarget(fx, "sequential");
        ::sync();
        state.ResumeTiming();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::size_t done = 0;
        while (fd >= 0 && done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        if (fd < 0 || ::close(fd) != 0 || done != bytes.size()) state.SkipWithError("write failed");
    }
    RemoveExported(fx);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fx.bmp_bytes));
}

BENCHMARK_CAPTURE(BM_BatchImport, Fast, EncodeQuality::Fast, 0)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
// Frames of 256 x 256 are below the size at which the fast level starts a second thread, so
// the thread count makes no difference here; shown to keep it that way.
BENCHMARK_CAPTURE(BM_BatchImport, Fast_1thread, EncodeQuality::Fast, 1)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK_CAPTURE(BM_BatchImport, Default, EncodeQuality::Default, 0)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_BatchExport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_BatchExport_Limit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
