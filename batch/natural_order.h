#pragma once

#include <string_view>

namespace rumora {

// Whether file name `a` comes before `b` in natural order, as a person sorts photo names: runs
// of digits compare by their value ("IMG_9.jpg" before "IMG_10.jpg"), letters of the Latin
// alphabet without regard to case, every other byte by its value. Names equal that way (such as
// "a01" and "a1", or "A.jpg" and "a.jpg") fall back to their bytes, so the order is total and
// the same on every run. Cannot fail.
bool NaturalLess(std::string_view a, std::string_view b);

}  // namespace rumora
