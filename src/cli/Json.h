#pragma once

#include <string>
#include <string_view>

// Small helpers for the commands' --json output.
namespace tavrel::cli {

// `text` as a JSON string literal, quotes included: quote, backslash and control characters
// are escaped, valid UTF-8 is kept as it is, and each byte that is not part of valid UTF-8
// (a file name need not be UTF-8) becomes U+FFFD, so the output is always valid JSON.
std::string JsonString(std::string_view text);

// "true" or "false".
inline const char* JsonBool(bool value) { return value ? "true" : "false"; }

}  // namespace tavrel::cli
