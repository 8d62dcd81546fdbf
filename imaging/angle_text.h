#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rumora {

// The number a text names, as the angle box reads it: optional blanks, an optional sign,
// digits with at most one `decimalSeparator` (digits on at least one side of it), an optional
// exponent ("e" or "E", optional sign, digits), optional blanks; converted in extended
// precision. Nothing for any other text, and for a number whose 32-bit float would not be
// finite ("1e39"): such an angle cannot reach the rotation.
std::optional<long double> ParseAngleText(std::string_view text, std::string_view decimalSeparator);

// The angle as the angle box shows it: fixed point with one digit after `decimalSeparator`,
// every digit of the whole part written out (a double may have 309), the tenths rounded on the
// exact value with halves away from zero, a leading "-" for a negative value that does not round
// to zero ("0.0", never "-0.0"). Not-a-number is "nan" and the infinities "inf" and "-inf", none
// of which the angle box takes back. Neither text depends on the program's locale.
std::string FormatAngle(double degrees, std::string_view decimalSeparator);

}  // namespace rumora
