#include "Json.h"

#include <cstdint>
#include <cstdio>

namespace tavrel::cli {

namespace {

// Length of the valid UTF-8 sequence at the start of `s`, or 0 when it is not valid.
std::size_t Utf8SequenceLength(std::string_view s) {
    const auto b0 = static_cast<std::uint8_t>(s[0]);
    std::size_t n = 0;
    std::uint32_t min = 0;
    std::uint32_t cp = 0;
    if (b0 < 0x80) return 1;
    if ((b0 & 0xE0) == 0xC0) {
        n = 2;
        min = 0x80;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3;
        min = 0x800;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4;
        min = 0x10000;
        cp = b0 & 0x07;
    } else
        return 0;
    if (s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        const auto b = static_cast<std::uint8_t>(s[i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    while (!text.empty()) {
        const char ch = text[0];
        const std::size_t n = Utf8SequenceLength(text);
        if (n == 0) {
            out += "\\ufffd";
            text.remove_prefix(1);
            continue;
        }
        if (n == 1) {
            switch (ch) {
                case '"':
                    out += "\\\"";
                    break;
                case '\\':
                    out += "\\\\";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) {
                        char escaped[8];
                        std::snprintf(escaped, sizeof escaped, "\\u%04x",
                                      static_cast<unsigned char>(ch));
                        out += escaped;
                    } else {
                        out += ch;
                    }
            }
        } else {
            out.append(text.substr(0, n));
        }
        text.remove_prefix(n);
    }
    out += '"';
    return out;
}

}  // namespace tavrel::cli
