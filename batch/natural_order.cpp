#include "batch/natural_order.h"

#include <cstddef>

namespace rumora {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Folded(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The digit run starting at `at`, its leading zeros skipped: any length of digits compares
// without overflow, by its count of significant digits first.
std::string_view DigitRun(std::string_view name, std::size_t& at) {
  while (at < name.size() && name[at] == '0' && at + 1 < name.size() && IsDigit(name[at + 1])) {
    ++at;
  }
  const std::size_t start = at;
  while (at < name.size() && IsDigit(name[at])) ++at;
  return name.substr(start, at - start);
}

// -1, 0 or 1 as `a` sorts before, with or after `b`, ties left to the caller.
int NaturalCompare(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::string_view x = DigitRun(a, i), y = DigitRun(b, j);
      if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
      if (const int c = x.compare(y); c != 0) return c < 0 ? -1 : 1;
      continue;
    }
    const auto x = static_cast<unsigned char>(Folded(a[i])),
               y = static_cast<unsigned char>(Folded(b[j]));
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
  if (const int c = NaturalCompare(a, b); c != 0) return c < 0;
  return a < b;
}

}  // namespace rumora
