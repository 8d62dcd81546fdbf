#include "imaging/angle_text.h"

#include <locale.h>

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

}  // namespace rumora
