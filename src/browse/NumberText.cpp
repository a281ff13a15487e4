#include <cctype>
#include <cstdint>
#include <string>

#include "browse/Browsing.h"

namespace tavrel {

std::int32_t AtoiSaturating(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) {
            value = limit;  // saturate; keep consuming digits
        }
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::uint32_t ClampNumberText(const std::string& text, std::uint32_t bound) {
    // The prompt's text goes through a 32-byte narrow buffer: only 31 characters take part.
    const std::string cut = text.substr(0, 31);
    auto value = static_cast<std::uint32_t>(AtoiSaturating(cut));
    if (value == 0) value = 1;
    if (value > bound) value = bound;
    return value;
}

}  // namespace tavrel
