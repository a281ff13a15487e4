#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "archive/LwCodec.h"
#include "support/TestDir.h"

// LoadLwCodec with the stand-in plug-in of tests/archive/plugin installed under Plugins/.
namespace tavrel {
namespace {

using test::TestDir;
namespace fs = std::filesystem;

struct Counters {
    int decode_calls = 0;
    int encode_calls = 0;
    int free_calls = 0;
    std::uint32_t last_encode_length = 0;
    std::uint32_t last_decode_preset = 0;
};

// The plug-in as installed, opened a second time by path: the same loaded instance as the
// codec's, so its counters show what the loader did.
class InstalledPlugin {
public:
    explicit InstalledPlugin(const fs::path& library)
        : handle_(::dlopen(library.c_str(), RTLD_NOW)) {}
    ~InstalledPlugin() {
        if (handle_) ::dlclose(handle_);
    }
    bool ok() const { return handle_ != nullptr; }
    void SetRefusals(int n) {
        reinterpret_cast<void (*)(int)>(::dlsym(handle_, "FakeLw_SetRefusals"))(n);
    }
    Counters Read() {
        Counters c;
        using Fn = void (*)(int*, int*, int*, std::uint32_t*, std::uint32_t*);
        reinterpret_cast<Fn>(::dlsym(handle_, "FakeLw_Counters"))(
            &c.decode_calls, &c.encode_calls, &c.free_calls, &c.last_encode_length,
            &c.last_decode_preset);
        return c;
    }

private:
    void* handle_;
};

fs::path Install(const TestDir& program, const char* built) {
    fs::create_directories(program / "Plugins");
    const auto target = program / "Plugins" / "VESKLW.so";
    fs::copy_file(built, target, fs::copy_options::overwrite_existing);
    return target;
}

Bytes Sample(std::size_t size) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return b;
}

TEST(LwPlugin, MissingLibraryOrEntryGivesTheBuiltinCodec) {
    TestDir program;
    EXPECT_STREQ(LoadLwCodec(program.path())->Name(), "built-in");
    Install(program, TAVREL_FAKE_LW_PLUGIN_NO_FREE);
    EXPECT_STREQ(LoadLwCodec(program.path())->Name(), "built-in");
    fs::create_directories(program / "Plugins");
    std::ofstream(program / "Plugins" / "VESKLW.so") << "not a library";
    EXPECT_STREQ(LoadLwCodec(program.path())->Name(), "built-in");
}

TEST(LwPlugin, LoaderCallsThroughThePlugin) {
    TestDir program;
    const auto library = Install(program, TAVREL_FAKE_LW_PLUGIN);
    auto codec = LoadLwCodec(program.path());
    ASSERT_STREQ(codec->Name(), "plug-in");
    InstalledPlugin plugin(library);
    ASSERT_TRUE(plugin.ok());
    plugin.SetRefusals(0);
    const Counters before = plugin.Read();

    const Bytes input = Sample(1000);
    auto stream = codec->Encode(input);
    ASSERT_TRUE(stream);
    EXPECT_EQ(std::memcmp(stream->data(), "LWCF", 4), 0);  // the plug-in's own stream
    auto back = codec->Decode(*stream, 1000);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, input);

    const Counters after = plugin.Read();
    EXPECT_EQ(after.encode_calls - before.encode_calls, 1);
    EXPECT_EQ(after.decode_calls - before.decode_calls, 1);
    EXPECT_EQ(after.free_calls - before.free_calls, 2);  // every output handed back
    EXPECT_EQ(after.last_encode_length, 1000u);
    EXPECT_EQ(after.last_decode_preset, 1000u);  // expected length set before decoding
}

// While encode answers 1 the input grows by 256 zero bytes per call, within a bound.
TEST(LwPlugin, EncodeRetriesWithLongerInputAndGivesUp) {
    TestDir program;
    const auto library = Install(program, TAVREL_FAKE_LW_PLUGIN);
    auto codec = LoadLwCodec(program.path());
    ASSERT_STREQ(codec->Name(), "plug-in");
    InstalledPlugin plugin(library);
    const Bytes input = Sample(300);

    plugin.SetRefusals(2);
    Counters before = plugin.Read();
    auto stream = codec->Encode(input);
    ASSERT_TRUE(stream);
    Counters after = plugin.Read();
    EXPECT_EQ(after.encode_calls - before.encode_calls, 3);
    EXPECT_EQ(after.last_encode_length, 300u + 2 * 256);
    auto back = codec->Decode(*stream, 300 + 512);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 300u + 512);
    EXPECT_TRUE(std::equal(input.begin(), input.end(), back->begin()));
    EXPECT_TRUE(
        std::all_of(back->begin() + 300, back->end(), [](std::uint8_t b) { return b == 0; }));

    plugin.SetRefusals(1000);
    before = plugin.Read();
    EXPECT_FALSE(codec->Encode(input));
    after = plugin.Read();
    EXPECT_EQ(after.encode_calls - before.encode_calls, 17);
    EXPECT_EQ(after.last_encode_length, 300u + 16 * 256);
    plugin.SetRefusals(0);
}

TEST(LwPlugin, DecodeRefusesStreamsShorterThanTheyDeclare) {
    TestDir program;
    const auto library = Install(program, TAVREL_FAKE_LW_PLUGIN);
    auto codec = LoadLwCodec(program.path());
    InstalledPlugin plugin(library);
    plugin.SetRefusals(0);
    const Bytes whole = *codec->Encode(Sample(50));
    const Bytes stream(whole.begin(), whole.end() - 1);
    const Counters before = plugin.Read();
    EXPECT_FALSE(codec->Decode(stream, 50));
    EXPECT_EQ(plugin.Read().decode_calls, before.decode_calls);  // never handed to the plug-in
}

}  // namespace
}  // namespace tavrel
