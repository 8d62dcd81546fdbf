#pragma once

// The benchmarks' photos are the tests' synthetic ones; their memory figures come from the same
// helpers.
#include "tests/synthetic_photos.h"
#include "tests/test_helpers.h"

namespace rumora {

using testing::StatusKilobytes;

}  // namespace rumora
