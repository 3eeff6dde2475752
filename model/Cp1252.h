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

}  // namespace zrb
