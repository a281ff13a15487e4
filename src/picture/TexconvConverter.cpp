#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <system_error>

#include "ChildProcess.h"
#include "picture/BitmapFile.h"
#include "picture/TextureEncoder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDdsHeaderBytes = 128;  // magic and the plain DDS header

bool IsExecutableFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && access(path.c_str(), X_OK) == 0;
}

EncodeResult Failure(EncodeOutcome outcome) {
    EncodeResult r;
    r.outcome = outcome;
    r.error = EncodeOutcomeMessage(outcome);
    return r;
}

EncodeResult Success(Bytes data) {
    EncodeResult r;
    r.ok = true;
    r.data = std::move(data);
    return r;
}

// Reads the encoded levels behind the DDS header: at least `required` bytes must be there,
// up to `n` are taken, the rest of the n bytes stay zero.
EncodeResult ReadConverterOutput(const fs::path& dds, std::size_t required, std::size_t n) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(dds, ec);
    if (ec) return Failure(EncodeOutcome::NoOutput);
    if (size < kDdsHeaderBytes + required) return Failure(EncodeOutcome::OutputTooShort);
    const std::size_t available =
        static_cast<std::size_t>(std::min<std::uintmax_t>(size - kDdsHeaderBytes, n));
    Bytes data(n, 0);
    std::ifstream in(dds, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(kDdsHeaderBytes));
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(available));
    if (!in || static_cast<std::size_t>(in.gcount()) != available) {
        return Failure(EncodeOutcome::OutputTooShort);
    }
    return Success(std::move(data));
}

EncodeResult RunConverter(const fs::path& program_dir, const fs::path& converter,
                          const Picture& picture, int levels, PixelClass c, std::int64_t n,
                          const EncodeOptions& options) {
    const fs::path bmp = program_dir / "temp.bmp";
    const fs::path dds = program_dir / "temp.dds";
    std::error_code ec;
    fs::remove(dds, ec);  // never take a left-over result for the new one
    if (fs::exists(dds, ec)) return Failure(EncodeOutcome::StaleOutputStuck);
    if (!WriteBitmapFile(bmp, picture)) {
        fs::remove(bmp, ec);
        return Failure(EncodeOutcome::BitmapWriteFailed);
    }
    const std::vector<std::string> arguments = {"-f", c == PixelClass::Dxt1 ? "DXT1" : "DXT5",
                                                bmp.string(), "-o", program_dir.string()};
    const detail::ChildResult run =
        detail::RunChild(converter, arguments, program_dir, options.converter_timeout);
    EncodeResult result;
    switch (run.outcome) {
        case detail::ChildOutcome::NotStarted:
            result = Failure(EncodeOutcome::ConverterNotStarted);
            break;
        case detail::ChildOutcome::TimedOut:
            result = Failure(EncodeOutcome::ConverterTimedOut);
            break;
        case detail::ChildOutcome::Exited: {
            const auto required = static_cast<std::size_t>(std::max<std::int64_t>(
                0, std::min(n, ConverterByteCount(picture.width, picture.height, levels, c))));
            result = ReadConverterOutput(dds, required, static_cast<std::size_t>(n));
            break;
        }
    }
    fs::remove(bmp, ec);
    fs::remove(dds, ec);
    return result;
}

}  // namespace

const char* EncodeOutcomeMessage(EncodeOutcome outcome) {
    switch (outcome) {
        case EncodeOutcome::Success:
            return "";
        case EncodeOutcome::BitmapWriteFailed:
            return "临时文件temp.bmp写入失败！\n ";
        case EncodeOutcome::StaleOutputStuck:
            return "无法删除旧的temp.dds文件！\n ";
        case EncodeOutcome::ConverterNotStarted:
            return "无法启动转换程序texconv！\n ";
        case EncodeOutcome::ConverterTimedOut:
            return "转换程序texconv超时未完成，已被终止！\n ";
        case EncodeOutcome::NoOutput:
            return "转换程序texconv没有生成temp.dds文件！\n ";
        case EncodeOutcome::OutputTooShort:
            return "temp.dds文件数据不完整！\n ";
    }
    return "";
}

std::int64_t ConverterByteCount(std::int32_t width, std::int32_t height, int levels, PixelClass c) {
    if (c != PixelClass::Dxt1) return LevelChainSize(width, height, levels, c);
    std::int64_t sum = 0;
    for (int i = 0; i < levels; ++i) {
        if ((width >> i) < 4) continue;
        sum += static_cast<std::int64_t>(width) * height / 2 / (std::int64_t{1} << i) /
               (std::int64_t{1} << i);
    }
    return sum;
}

EncodeResult EncodeWithTexconv(const fs::path& program_dir, const Picture& picture, int levels,
                               PixelClass c, std::int64_t n, const EncodeOptions& options) {
    const fs::path converter = program_dir / "Plugins" / "texconv";
    if (c == PixelClass::Bgra32 || n <= 0 || !IsExecutableFile(converter)) {
        return Success(EncodeLevelChain(picture, c, n, options));
    }
    return RunConverter(program_dir, converter, picture, levels, c, n, options);
}

}  // namespace tavrel
