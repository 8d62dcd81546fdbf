#include "imaging/system_reason.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "tests/test_helpers.h"

namespace rumora {
namespace {

// Every reason reads in Japanese; one without words of its own keeps the system's in parentheses
// for a bug report.
TEST(SystemReason, EveryCodeReadsInJapanese) {
  for (int code = 1; code < 134; ++code) {
    EXPECT_TRUE(testing::ReadsInJapanese(SystemReason(code))) << code << ": " << SystemReason(code);
  }
  EXPECT_NE(SystemReason(EOVERFLOW).find(std::strerror(EOVERFLOW)), std::string::npos);
}

}  // namespace
}  // namespace rumora
