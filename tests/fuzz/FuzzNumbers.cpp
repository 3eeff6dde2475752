// Number conversion and formatting against the C library, which the fuzzer runs in the
// "C" locale: the results must agree wherever the C library follows the same rules.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "model/Numbers.h"

namespace {

bool Same(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// strtod also reads hexadecimal, "inf" and "nan"; atof's decimal rules do not.
bool DecimalOnly(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) != nullptr && text[i] != 0) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const std::string_view rest = text.substr(i);
    auto startsWith = [&rest](const char* word) {
        const std::size_t n = std::strlen(word);
        if (rest.size() < n) {
            return false;
        }
        for (std::size_t k = 0; k < n; ++k) {
            if ((rest[k] | 0x20) != word[k]) {
                return false;
            }
        }
        return true;
    };
    return !startsWith("0x") && !startsWith("inf") && !startsWith("nan");
}

std::string Widened(const char* text) {
    std::string s = text;
    const auto e = s.find('e');
    if (e != std::string::npos && s.size() - (e + 2) < 3) {
        s.insert(e + 2, 3 - (s.size() - (e + 2)), '0');
    }
    return s;
}

void CheckFormats(double value) {
    if (!std::isfinite(value)) {
        return;
    }
    static char buffer[512];
    for (int decimals : {0, 1, 2, 4}) {
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
        if (zrb::FormatFixed(value, decimals) != buffer) {
            std::abort();
        }
    }
    std::snprintf(buffer, sizeof buffer, "%.1e", value);
    if (zrb::FormatExponent1(value) != Widened(buffer)) {
        std::abort();
    }
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    if (zrb::FormatGeneral15(value) != Widened(buffer)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = zrb::ParseNumber(text);
    if (DecimalOnly(text) && !Same(value, std::strtod(text.c_str(), nullptr))) {
        std::abort();
    }
    double plain = 0;
    if (zrb::ParsePlainNumber(text, plain) && !Same(plain, zrb::ParseNumber(text.substr(0, 31)))) {
        std::abort();
    }
    CheckFormats(value);
    if (size == sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        CheckFormats(raw);
    }
    return 0;
}
