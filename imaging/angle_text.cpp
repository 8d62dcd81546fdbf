#include "imaging/angle_text.h"

#include <locale.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace rumora {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The C locale's numbers, whatever the program's locale is.
locale_t CNumbers() {
  static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace

std::optional<long double> ParseAngleText(std::string_view text,
                                          std::string_view decimalSeparator) {
  std::size_t i = 0;
  const auto digits = [&] {
    std::string run;
    while (i < text.size() && IsDigit(text[i])) run += text[i++];
    return run;
  };
  while (i < text.size() && IsBlank(text[i])) ++i;
  std::string plain;  // the number in the C locale's spelling
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
  const std::string whole = digits();
  std::string fraction;
  if (!decimalSeparator.empty() && text.substr(i, decimalSeparator.size()) == decimalSeparator) {
    i += decimalSeparator.size();
    fraction = digits();
  }
  if (whole.empty() && fraction.empty()) return std::nullopt;
  plain += (whole.empty() ? "0" : whole) + "." + (fraction.empty() ? "0" : fraction);
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    plain += 'e';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    const std::string exponent = digits();
    if (exponent.empty()) return std::nullopt;
    plain += exponent;
  }
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i != text.size()) return std::nullopt;
  const long double value = strtold_l(plain.c_str(), nullptr, CNumbers());
  if (!std::isfinite(static_cast<float>(value))) return std::nullopt;
  return value;
}

std::string FormatAngle(double degrees, std::string_view decimalSeparator) {
  if (std::isnan(degrees)) return "nan";
  if (std::isinf(degrees)) return degrees < 0 ? "-inf" : "inf";
  // The decimal expansion to 120 places is exact up to the hundredths: a double with more
  // fraction digits is below 2^-67, whose first 20 places are zeros that no rounding reaches.
  std::array<char, 309 + 1 + 120> buffer;
  const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                     std::fabs(degrees), std::chars_format::fixed, 120);
  const std::string_view expansion(buffer.data(), written.ptr);
  const std::size_t point = expansion.find('.');
  std::string tenths(expansion.substr(0, point));  // the value in tenths, as decimal digits
  tenths += expansion[point + 1];
  if (expansion[point + 2] >= '5') {
    std::size_t i = tenths.size();
    while (i > 0 && tenths[i - 1] == '9') tenths[--i] = '0';
    if (i == 0) {
      tenths.insert(tenths.begin(), '1');
    } else {
      ++tenths[i - 1];
    }
  }
  const bool negative = std::signbit(degrees) && tenths.find_first_not_of('0') != std::string::npos;
  return (negative ? "-" : "") + tenths.substr(0, tenths.size() - 1) +
         std::string(decimalSeparator) + tenths.back();
}

}  // namespace rumora
