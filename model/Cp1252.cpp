#include "model/Cp1252.h"

#include <array>

namespace zrb {

namespace {

// 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char16_t Cp1252ToUnicode(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : char16_t{byte};
}

std::optional<unsigned char> UnicodeToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<unsigned char>(c);
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == c) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const char32_t c = Cp1252ToUnicode(static_cast<unsigned char>(b));
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

Utf8Char DecodeUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1};
    }
    // Sequence length, smallest code point it may carry, and the lead byte's bits.
    std::size_t length = 0;
    char32_t min = 0;
    unsigned char mask = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2, min = 0x80, mask = 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3, min = 0x800, mask = 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4, min = 0x10000, mask = 0x07;
    } else {
        return {};
    }
    if (text.size() < length) {
        return {};
    }
    char32_t cp = lead & mask;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) {
            return {};
        }
        cp = (cp << 6) | (byte(i) & 0x3f);
    }
    if (cp < min || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) {
        return {};
    }
    return {cp, length};
}

std::optional<std::string> Utf8ToCp1252(std::string_view text, std::string& refused) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8(text.substr(i));
        const std::optional<unsigned char> byte =
            c.length > 0 ? UnicodeToCp1252(c.codePoint) : std::nullopt;
        if (!byte) {
            refused.assign(text.substr(i, c.length > 0 ? c.length : 1));
            return std::nullopt;
        }
        bytes += static_cast<char>(*byte);
        i += c.length;
    }
    return bytes;
}

}  // namespace zrb
