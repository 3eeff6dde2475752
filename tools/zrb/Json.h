#pragma once
// The little JSON that "zrb show --json" writes.

#include <string>
#include <string_view>

namespace zrb::cli {

// `bytes` as a JSON string literal, quotes included, in plain ASCII: a valid UTF-8
// sequence becomes its code point, any other byte from 0x80 on is taken as Windows-1252
// (the code page model files are written in), and both are written as \u escapes.
std::string JsonString(std::string_view bytes);

// A finite number in the editor's 15-digit format; null for infinity and NaN, which
// JSON cannot express.
std::string JsonNumber(double value);

}  // namespace zrb::cli
