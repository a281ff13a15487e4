#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "../../src/archive/ArchiveCopy.h"
#include "support/TestDir.h"

// The range copy under the archive rebuild, in the kernel and through its buffer.
namespace tavrel {
namespace {

TEST(ArchiveCopy, CopiesExactRangesAndReportsShortFiles) {
    test::TestDir dir;
    Bytes source(3 * 4096 + 17);
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i * 7);
    std::ofstream(dir / "in", std::ios::binary)
        .write(reinterpret_cast<const char*>(source.data()), source.size());

    for (bool kernel : {true, false}) {
        SCOPED_TRACE(kernel ? "kernel" : "buffer");
        const int in = ::open((dir / "in").c_str(), O_RDONLY);
        const int out = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(in, 0);
        ASSERT_GE(out, 0);
        ArchiveCopier copier(4096, kernel);  // a buffer smaller than the ranges
        EXPECT_TRUE(copier.Copy(in, 5, 9000, out));
        EXPECT_TRUE(copier.Copy(in, 0, 0, out));
        EXPECT_TRUE(copier.Copy(in, source.size() - 3, 3, out));
        EXPECT_FALSE(copier.Copy(in, source.size() - 3, 4, out));
        EXPECT_NE(copier.Message("cannot copy", dir / "in").find("ends before"), std::string::npos);
        ::close(in);
        ::close(out);

        std::ifstream result(dir / "out", std::ios::binary);
        const Bytes got(std::istreambuf_iterator<char>(result), {});
        Bytes expected(source.begin() + 5, source.begin() + 9005);
        expected.insert(expected.end(), source.end() - 3, source.end());
        ASSERT_GE(got.size(), expected.size());
        EXPECT_EQ(Bytes(got.begin(), got.begin() + expected.size()), expected);
    }
}

}  // namespace
}  // namespace tavrel
