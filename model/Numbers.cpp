#include "model/Numbers.h"
#include "platform/Text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace zrb {

namespace {

// The decimal number at the start of `text` (sign, digits, point, fraction, exponent),
// as atof would find it. Returns its length, 0 when there is none.
struct NumberPrefix {
    std::size_t length = 0;
    std::size_t mantissaEnd = 0;  // position after the last mantissa character
    bool negative = false;
};

NumberPrefix ScanNumber(std::string_view text) {
    NumberPrefix result;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        result.negative = text[i] == '-';
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsAsciiDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsAsciiDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return {};
    }
    result.mantissaEnd = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && IsAsciiDigit(text[j])) {
            while (j < text.size() && IsAsciiDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    result.length = i;
    return result;
}

// Decides, for a number that from_chars found out of range, whether it overflowed
// (true) or underflowed. The decimal magnitude is the exponent plus the position of
// the first significant digit relative to the point.
bool Overflows(std::string_view number, std::size_t mantissaEnd) {
    std::int64_t exponent = 0;
    if (mantissaEnd < number.size()) {
        std::size_t j = mantissaEnd + 1;
        bool negative = false;
        if (number[j] == '+' || number[j] == '-') {
            negative = number[j] == '-';
            ++j;
        }
        for (; j < number.size(); ++j) {
            if (exponent < 1'000'000'000) {
                exponent = exponent * 10 + (number[j] - '0');
            }
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    std::int64_t position = 0;  // digits before the point, counted from the first nonzero one
    bool seenNonZero = false;
    bool afterPoint = false;
    for (std::size_t j = 0; j < mantissaEnd; ++j) {
        const char c = number[j];
        if (c == '.') {
            afterPoint = true;
        } else if (IsAsciiDigit(c)) {
            if (!seenNonZero && c != '0') {
                seenNonZero = true;
            }
            if (!afterPoint && seenNonZero) {
                ++position;
            } else if (afterPoint && !seenNonZero) {
                --position;
            }
        }
    }
    return exponent + position > 0;
}

// Writes the exponent of a to_chars result ("e+05", "e-300") with at least three digits.
std::string WidenExponent(std::string_view text) {
    const std::size_t e = text.find('e');
    if (e == std::string_view::npos) {
        return std::string(text);
    }
    std::string result(text.substr(0, e + 2));  // up to and including the sign
    const std::string_view digits = text.substr(e + 2);
    for (std::size_t n = digits.size(); n < 3; ++n) {
        result += '0';
    }
    result += digits;
    return result;
}

template <typename... Args>
std::string ToChars(double value, Args... args) {
    // Fixed notation of 1e308 needs over 300 digits; 400 bytes hold any double with
    // the precisions used here, and a larger buffer is tried if one ever does not.
    std::array<char, 400> small{};
    auto [end, ec] = std::to_chars(small.data(), small.data() + small.size(), value, args...);
    if (ec == std::errc()) {
        return std::string(small.data(), end);
    }
    std::string big(4096, '\0');
    auto [bigEnd, bigEc] = std::to_chars(big.data(), big.data() + big.size(), value, args...);
    big.resize(bigEc == std::errc() ? static_cast<std::size_t>(bigEnd - big.data()) : 0);
    return big;
}

}  // namespace

std::size_t DecimalNumberLength(std::string_view text) {
    return ScanNumber(text).length;
}

double ParseNumber(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && IsAsciiSpace(text[start])) {
        ++start;
    }
    text.remove_prefix(start);
    const NumberPrefix prefix = ScanNumber(text);
    if (prefix.length == 0) {
        return 0.0;
    }
    // from_chars takes no leading plus sign; the sign is applied afterwards.
    const std::size_t signLength = (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const std::string_view number = text.substr(signLength, prefix.length - signLength);
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value,
                                           std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        value = Overflows(number, prefix.mantissaEnd - signLength)
                    ? std::numeric_limits<double>::infinity()
                    : 0.0;
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    return prefix.negative ? -value : value;
}

bool ParsePlainNumber(std::string_view text, double& value) {
    return ParseWholePlainNumber(text.substr(0, 31), value);
}

bool ParseWholePlainNumber(std::string_view text, double& value) {
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) {
        ++start;
    }
    text.remove_prefix(start);
    const NumberPrefix prefix = ScanNumber(text);
    for (std::size_t i = prefix.length; i < text.size(); ++i) {
        if (text[i] != ' ' && text[i] != '\t') {
            return false;
        }
    }
    const double result = ParseNumber(text.substr(0, prefix.length));
    if (result == 0.0 && (text.empty() || text[0] != '0')) {
        return false;
    }
    value = result;
    return true;
}

std::string FormatFixed(double value, int decimals) {
    return ToChars(value, std::chars_format::fixed, decimals);
}

std::string FormatExponent1(double value) {
    return WidenExponent(ToChars(value, std::chars_format::scientific, 1));
}

std::string FormatGeneral15(double value) {
    return WidenExponent(ToChars(value, std::chars_format::general, 15));
}

namespace {

std::string WithoutNegativeZeroSign(std::string text) {
    if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

}  // namespace

std::string FormatBoxNumber(double value) {
    return WithoutNegativeZeroSign(FormatGeneral15(value));
}

std::string FormatWholeNumber(double value) {
    return WithoutNegativeZeroSign(FormatFixed(value, 0));
}

std::string SpeedText(double gasScaleFactor) {
    return FormatFixed(gasScaleFactor * 600.0, 0);
}

}  // namespace zrb
