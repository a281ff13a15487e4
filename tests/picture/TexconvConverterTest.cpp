#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "EncoderTestSupport.h"
#include "picture/TextureEncoder.h"
#include "support/TestDir.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

// A program directory (with a blank in its name) holding the stand-in converter as
// Plugins/texconv, told what to do through the file "stand-in-mode".
class Converter : public ::testing::Test {
protected:
    void SetUp() override {
        program_dir_ = dir_.path() / "Mod Tools";
        fs::create_directories(program_dir_ / "Plugins");
        fs::copy_file(TAVREL_STAND_IN_TEXCONV, converter());
        fs::permissions(converter(), fs::perms::owner_all);
    }
    fs::path converter() const { return program_dir_ / "Plugins" / "texconv"; }
    void SetMode(const std::string& mode) { std::ofstream(program_dir_ / "stand-in-mode") << mode; }
    std::string Arguments() const {
        std::ifstream in(program_dir_ / "stand-in-args");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void ExpectNoTemporaryFiles() const {
        EXPECT_FALSE(fs::exists(program_dir_ / "temp.bmp"));
        EXPECT_FALSE(fs::exists(program_dir_ / "temp.dds"));
    }
    static EncodeOptions Options(int timeout_ms = 20000) {
        EncodeOptions o;
        o.quality = EncodeQuality::Fast;
        o.converter_timeout = std::chrono::milliseconds(timeout_ms);
        return o;
    }

    test::TestDir dir_;
    fs::path program_dir_;
    const Picture picture_ = test::SolidPicture(16, 16, 42, 1, 2);
    // 16 x 16 Dxt5 with 3 levels: 256 + 64 + 16 bytes.
    const std::int64_t n_ = LevelChainSize(16, 16, 3, PixelClass::Dxt5);
};

Bytes StandInBytes(std::size_t count, int blue) {
    Bytes b(count);
    for (std::size_t i = 0; i < count; ++i) b[i] = static_cast<std::uint8_t>((i * 7 + blue) & 0xFF);
    return b;
}

TEST_F(Converter, ReadsTheLevelsBehindTheHeaderAndCleansUp) {
    ASSERT_EQ(n_, 336);
    SetMode("ok 400");
    const EncodeResult r =
        EncodeWithTexconv(program_dir_, picture_, 3, PixelClass::Dxt5, n_, Options());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.outcome, EncodeOutcome::Success);
    EXPECT_EQ(r.data, StandInBytes(336, 42));  // the BMP's first pixel reached the converter
    const std::string dir = program_dir_.string();
    EXPECT_EQ(Arguments(),
              "-f\nDXT5\n" + (program_dir_ / "temp.bmp").string() + "\n-o\n" + dir + "\n");
    ExpectNoTemporaryFiles();

    const EncodeResult dxt1 =
        EncodeWithTexconv(program_dir_, picture_, 3, PixelClass::Dxt1, n_ / 2, Options());
    ASSERT_TRUE(dxt1.ok) << dxt1.error;
    EXPECT_EQ(dxt1.data, StandInBytes(168, 42));
    EXPECT_EQ(Arguments().substr(0, 8), "-f\nDXT1\n");
}

TEST_F(Converter, StaleOutputIsRemovedBeforeTheRun) {
    std::ofstream(program_dir_ / "temp.dds", std::ios::binary) << std::string(1000, 'x');
    SetMode("none");
    const EncodeResult r =
        EncodeWithTexconv(program_dir_, picture_, 3, PixelClass::Dxt5, n_, Options());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.outcome, EncodeOutcome::NoOutput);
    EXPECT_EQ(r.error, EncodeOutcomeMessage(EncodeOutcome::NoOutput));
    EXPECT_TRUE(r.data.empty());
    ExpectNoTemporaryFiles();

    std::ofstream(program_dir_ / "temp.dds", std::ios::binary) << std::string(1000, 'x');
    SetMode("ok 336");
    const EncodeResult fresh =
        EncodeWithTexconv(program_dir_, picture_, 3, PixelClass::Dxt5, n_, Options());
    ASSERT_TRUE(fresh.ok) << fresh.error;
    EXPECT_EQ(fresh.data, StandInBytes(336, 42));
}

TEST_F(Converter, ShortOutputIsAnError) {
    SetMode("ok 335");
    const EncodeResult r =
        EncodeWithTexconv(program_dir_, picture_, 3, PixelClass::Dxt5, n_, Options());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.outcome, EncodeOutcome::OutputTooShort);
    ExpectNoTemporaryFiles();
    SetMode("ok 0");  // the header alone
    EXPECT_EQ(EncodeWithTexconv(program_dir_, picture_, 3, PixelClass::Dxt5, n_, Options()).outcome,
              EncodeOutcome::OutputTooShort);

    // Dxt1 with sides that are not powers of two: the converter owes only the Dxt1 count
    // (117 of the 118 bytes for 20 x 9 with 3 levels); the byte it does not owe is zero.
    const Picture odd = test::SolidPicture(20, 9, 42, 1, 2);
    const std::int64_t n = LevelChainSize(20, 9, 3, PixelClass::Dxt1);
    SetMode("ok 117");
    const EncodeResult r117 =
        EncodeWithTexconv(program_dir_, odd, 3, PixelClass::Dxt1, n, Options());
    ASSERT_TRUE(r117.ok) << r117.error;
    Bytes expected = StandInBytes(117, 42);
    expected.push_back(0);
    EXPECT_EQ(r117.data, expected);
    SetMode("ok 116");
    EXPECT_EQ(EncodeWithTexconv(program_dir_, odd, 3, PixelClass::Dxt1, n, Options()).outcome,
              EncodeOutcome::OutputTooShort);
}

TEST_F(Converter, AConverterThatHangsIsStoppedAfterTheTimeOut) {
    SetMode("sleep");
    const auto start = std::chrono::steady_clock::now();
    const EncodeResult r =
        EncodeWithTexconv(program_dir_, picture_, 3, PixelClass::Dxt5, n_, Options(300));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.outcome, EncodeOutcome::ConverterTimedOut);
    EXPECT_FALSE(r.error.empty());
    EXPECT_LT(waited, std::chrono::seconds(20));
    ExpectNoTemporaryFiles();
}

TEST_F(Converter, WithoutAnExecutableConverterTheBuiltInEncoderRuns) {
    const Bytes built_in = EncodeLevelChain(picture_, PixelClass::Dxt5, n_, Options());
    fs::permissions(converter(), fs::perms::owner_read | fs::perms::owner_write);
    SetMode("ok 400");
    EncodeResult r = EncodeWithTexconv(program_dir_, picture_, 3, PixelClass::Dxt5, n_, Options());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, built_in);
    fs::remove(converter());
    r = EncodeWithTexconv(program_dir_, picture_, 3, PixelClass::Dxt5, n_, Options());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.data, built_in);
    EXPECT_FALSE(fs::exists(program_dir_ / "stand-in-args"));
    ExpectNoTemporaryFiles();
}

}  // namespace
}  // namespace tavrel
