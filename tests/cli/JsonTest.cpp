#include <gtest/gtest.h>

#include "Json.h"

namespace tavrel::cli {
namespace {

TEST(Json, StringsAreAlwaysValidJson) {
    struct Case {
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"line\nnext\ttab\r", "\"line\\nnext\\ttab\\r\""},
        {std::string("nul\0x\x1f", 6), "\"nul\\u0000x\\u001f\""},
        {"中文路径", "\"中文路径\""},
        {"bad\xff"
         "byte",
         "\"bad\\ufffdbyte\""},
        {"cut\xe4\xb8", "\"cut\\ufffd\\ufffd\""},
        {"overlong\xc0\xaf", "\"overlong\\ufffd\\ufffd\""},
        {"surrogate\xed\xa0\x80", "\"surrogate\\ufffd\\ufffd\\ufffd\""},
    };
    for (const Case& c : cases) EXPECT_EQ(JsonString(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace tavrel::cli
