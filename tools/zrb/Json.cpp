#include "tools/zrb/Json.h"

#include <cmath>
#include <cstdint>

#include "model/Cp1252.h"
#include "model/Numbers.h"

namespace zrb::cli {

namespace {

// The code point of the UTF-8 sequence at the start of `text` and its length; length 0
// when the bytes are not a well-formed sequence (overlong forms and surrogates
// included).
struct Decoded {
    char32_t codePoint = 0;
    std::size_t length = 0;
};

Decoded DecodeUtf8(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    // Sequence length, smallest code point it may carry, and the lead byte's bits.
    struct Form {
        std::size_t length;
        char32_t min;
        unsigned char mask;
    };
    Form form{};
    if (lead >= 0xc2 && lead <= 0xdf) {
        form = {2, 0x80, 0x1f};
    } else if (lead >= 0xe0 && lead <= 0xef) {
        form = {3, 0x800, 0x0f};
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        form = {4, 0x10000, 0x07};
    } else {
        return {};
    }
    const std::size_t length = form.length;
    char32_t cp = lead & form.mask;
    if (text.size() < length) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) {
            return {};
        }
        cp = (cp << 6) | (byte(i) & 0x3f);
    }
    if (cp < form.min || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) {
        return {};
    }
    return {cp, length};
}

void AppendEscape(std::string& out, char32_t unit) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += kHex[(unit >> shift) & 0xf];
    }
}

void AppendCodePoint(std::string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        AppendEscape(out, 0xd800 + (cp >> 10));
        AppendEscape(out, 0xdc00 + (cp & 0x3ff));
    } else {
        AppendEscape(out, cp);
    }
}

}  // namespace

std::string JsonString(std::string_view bytes) {
    std::string out = "\"";
    for (std::size_t i = 0; i < bytes.size();) {
        const char c = bytes[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const Decoded decoded = DecodeUtf8(bytes.substr(i));
            if (decoded.length > 0) {
                AppendCodePoint(out, decoded.codePoint);
                i += decoded.length;
            } else {
                AppendCodePoint(out, Cp1252ToUnicode(byte));
                ++i;
            }
            continue;
        }
        switch (c) {
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
                if (byte < 0x20 || byte == 0x7f) {
                    AppendCodePoint(out, byte);
                } else {
                    out += c;
                }
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    return FormatGeneral15(value);
}

}  // namespace zrb::cli
