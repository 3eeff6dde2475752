#include "tools/zrb/Json.h"

#include <cmath>
#include <cstdint>

#include "model/Cp1252.h"
#include "model/Numbers.h"

namespace zrb::cli {

namespace {

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
            const Utf8Char decoded = DecodeUtf8(bytes.substr(i));
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
