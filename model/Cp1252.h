#pragma once
// The 8-bit text of model files read as Windows-1252.
//
// All 256 byte values map to characters and back: the five bytes that 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same
// value, so any description round-trips byte for byte.

#include <optional>
#include <string>
#include <string_view>

namespace zrb {

// The character a byte stands for.
char16_t Cp1252ToUnicode(unsigned char byte);

// The byte that stands for `c`, or nothing when 1252 cannot hold it.
std::optional<unsigned char> UnicodeToCp1252(char32_t c);

// The characters of 1252 bytes, as UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// The UTF-8 sequence at the start of `text`: its character and its length in bytes;
// length 0 when the bytes there are not a well-formed sequence (overlong forms and
// surrogates included) or `text` is empty.
struct Utf8Char {
    char32_t codePoint = 0;
    std::size_t length = 0;
};
Utf8Char DecodeUtf8(std::string_view text);

// UTF-8 text as 1252 bytes. Fails on bytes that are not UTF-8 and on the first character
// 1252 cannot hold: returns nothing then, with that character (or the byte) in `refused`.
std::optional<std::string> Utf8ToCp1252(std::string_view text, std::string& refused);

}  // namespace zrb
