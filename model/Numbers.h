#pragma once
// Number conversion and formatting for motion models.
//
// Everything here is independent of the C locale: Qt calls setlocale(), and a German
// locale would turn printf's decimal point into a comma. Results are the bytes the
// classic C library gives in the "C" locale, with the exponent written in three digits.

#include <string>
#include <string_view>

namespace zrb {

// Text to number by the rules of atof: leading white space skipped, the longest prefix
// that forms a decimal floating-point number converted, the rest ignored. Never fails:
// text without such a prefix gives 0.0, hexadecimal, "inf" and "nan" are not numbers
// (they give 0.0), a value too large gives +-infinity and one too small +-0.0 or a
// denormal.
double ParseNumber(std::string_view text);

// The length of the decimal number (sign, digits, point, fraction, exponent) that
// starts `text`, as ParseNumber would take it after the white space; 0 when none does.
std::size_t DecimalNumberLength(std::string_view text);

// The plain-number rule: blanks and TABs may stand around a decimal number and nothing
// else may. A result of zero is accepted only when the number starts with the digit 0
// (so "", "-", ".", "-0" and ".0" are rejected). Returns false without touching `value`
// when rejected. The whole text counts, as it should for a value given on a command line.
bool ParseWholePlainNumber(std::string_view text, double& value);

// The editor's boxes take the plain-number rule on their first 31 characters only.
bool ParsePlainNumber(std::string_view text, double& value);

// printf("%.<decimals>f", value): fixed notation, any magnitude.
std::string FormatFixed(double value, int decimals);

// printf("%.1e", value) with a three-digit exponent: 7.5e+001.
std::string FormatExponent1(double value);

// printf("%.15g", value) with a three-digit exponent: 1e-005. The format of the
// editor's numeric boxes.
std::string FormatGeneral15(double value);

// The text a numeric box shows for a value: FormatGeneral15, except that a negative
// zero shows as "0". The pull refuses "-0", so a box showing it could never be saved.
std::string FormatBoxNumber(double value);

// The calculator's rounded result, printf("%.0f", value), with "0" for a value that
// rounds to a negative zero (-0.4 shows as "0"), for the same reason.
std::string FormatWholeNumber(double value);

// The approximate top speed: gasScaleFactor * 600 formatted with "%.0f".
std::string SpeedText(double gasScaleFactor);

}  // namespace zrb
